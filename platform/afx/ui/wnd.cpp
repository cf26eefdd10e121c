// CWnd: creation over widgets, the window procedure and message dispatch,
// geometry, painting requests, text, focus, capture, caret and scroll bars.
#include <QAbstractScrollArea>
#include <QApplication>
#include <QCursor>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>

#include <cstring>

#include "platform/afx/core/afxgdi.h"
#include "platform/afx/core/dc_qt.h"
#include "platform/afx/ui/ui_private.h"
#include "platform/afx/ui/window_widget.h"

using namespace afx_detail;

namespace afx_detail {

AfxWindowWidget::AfxWindowWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    // Typing through an input method (Chinese) arrives as WM_CHAR bytes.
    setAttribute(Qt::WA_InputMethodEnabled);
}

QVariant AfxWindowWidget::inputMethodQuery(Qt::InputMethodQuery query) const {
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImCursorRectangle: {
        HWND hwnd = HandleOfWidget(this);
        WindowState* s = StateOf(hwnd);
        const CaretState& c = Caret();
        if (s && c.hwnd == hwnd) return QRect(c.rect.translated(ClientOrigin(s)));
        return QRect();
    }
    default:
        return QWidget::inputMethodQuery(query);
    }
}

CaretState& Caret() {
    static CaretState c;
    return c;
}

void AfxWindowWidget::paintEvent(QPaintEvent*) {
    HWND hwnd = HandleOfWidget(this);
    WindowState* s = StateOf(hwnd);
    QPainter p(this);
    if (!s) {
        p.fillRect(rect(), Qt::white);
        return;
    }
    p.drawImage(ClientOrigin(s), s->surface);
    CaretState& c = Caret();
    if (c.hwnd == hwnd && c.hideCount <= 0 && c.blinkOn)
        p.fillRect(c.rect.translated(ClientOrigin(s)), Qt::black);
}

int ScrollCodeOf(int action) {
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: return SB_LINEDOWN;
    case QAbstractSlider::SliderSingleStepSub: return SB_LINEUP;
    case QAbstractSlider::SliderPageStepAdd: return SB_PAGEDOWN;
    case QAbstractSlider::SliderPageStepSub: return SB_PAGEUP;
    case QAbstractSlider::SliderToMinimum: return SB_TOP;
    case QAbstractSlider::SliderToMaximum: return SB_BOTTOM;
    case QAbstractSlider::SliderMove: return SB_THUMBTRACK;
    default: return -1;
    }
}

namespace {
void OnScrollAction(HWND hwnd, int bar, int action) {
    WindowState* s = StateOf(hwnd);
    if (!s) return;
    QScrollBar* sb = s->scroll[bar].bar;
    int mapped = ScrollCodeOf(action);
    if (mapped < 0) return;
    auto code = static_cast<UINT>(mapped);
    int pos = sb->sliderPosition();
    s->scroll[bar].trackPos = pos;
    UINT msg = bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL;
    CallWnd(s->wnd, msg, MAKEWPARAM(static_cast<WORD>(code), static_cast<WORD>(pos)), 0);
    // The window moves its own scroll bar (SetScrollPos); undo the widget's own step.
    if (WindowState* after = StateOf(hwnd); after && action != QAbstractSlider::SliderMove)
        after->scroll[bar].bar->setSliderPosition(after->scroll[bar].pos);
}

QScrollBar* MakeBar(WindowState* s, int bar) {
    if (s->scroll[bar].bar || !s->widget) return s->scroll[bar].bar;
    auto* sb = new QScrollBar(bar == SB_VERT ? Qt::Vertical : Qt::Horizontal, s->widget);
    sb->hide();
    HWND hwnd = s->hwnd;
    QObject::connect(sb, &QAbstractSlider::actionTriggered, sb, [hwnd, bar](int a) { OnScrollAction(hwnd, bar, a); });
    QObject::connect(sb, &QAbstractSlider::sliderReleased, sb, [hwnd, bar] {
        WindowState* st = StateOf(hwnd);
        if (!st) return;
        int pos = st->scroll[bar].bar->sliderPosition();
        UINT msg = bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL;
        CallWnd(st->wnd, msg, MAKEWPARAM(SB_THUMBPOSITION, static_cast<WORD>(pos)), 0);
        if (StateOf(hwnd)) CallWnd(st->wnd, msg, MAKEWPARAM(SB_ENDSCROLL, 0), 0);
    });
    s->scroll[bar].bar = sb;
    return sb;
}

void ApplyScroll(WindowState* s, int bar) {
    ScrollState& st = s->scroll[bar];
    QScrollBar* sb = MakeBar(s, bar);
    if (!sb) return;
    int maxTop = st.maxPos - (st.page > 0 ? st.page - 1 : 0);
    if (maxTop < st.minPos) maxTop = st.minPos;
    if (st.pos > maxTop) st.pos = maxTop;
    if (st.pos < st.minPos) st.pos = st.minPos;
    QSignalBlocker block(sb);
    sb->setRange(st.minPos, maxTop);
    sb->setPageStep(st.page > 0 ? st.page : 1);
    sb->setValue(st.pos);
    bool needed = st.maxPos > st.minPos && (st.page == 0 || static_cast<int>(st.page) <= st.maxPos - st.minPos);
    bool visible = needed || st.disableNoScroll;
    sb->setEnabled(needed);
    if (visible != st.visible) {
        st.visible = visible;
        LayoutNonClient(s);
        QRect c = ClientRectQ(s);
        CallWnd(s->wnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(static_cast<WORD>(c.width()), static_cast<WORD>(c.height())));
    }
}
}  // namespace

}  // namespace afx_detail

namespace {
HWND g_capture = nullptr;  // the window that holds the mouse capture
}  // namespace

IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

CWnd::CWnd() = default;

CWnd::~CWnd() {
    if (m_hWnd && !m_bTemporary && StateOf(m_hWnd)) DestroyWindow();
}

HWND CWnd::GetSafeHwnd() const {
    const CWnd* self = this;
    asm("" : "+r"(self));
    return self ? self->m_hWnd : nullptr;
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
    WindowState* s = StateOf(hwnd);
    return s ? s->wnd : nullptr;
}

CWnd* CWnd::FromHandle(HWND hwnd) {
    if (!hwnd) return nullptr;
    if (CWnd* w = FromHandlePermanent(hwnd)) return w;
    if (IsRemoteHandle(hwnd)) return TemporaryFor(hwnd);
    return nullptr;
}

BOOL CWnd::Attach(HWND hwnd) {
    WindowState* s = StateOf(hwnd);
    // A handle belongs to one object at a time.
    if (!s || m_hWnd || (s->wnd && s->wnd != this)) return FALSE;
    s->wnd = this;
    m_hWnd = hwnd;
    m_pWidget = s->widget;
    return TRUE;
}

HWND CWnd::Detach() {
    HWND h = m_hWnd;
    // The window stays, without an object: messages no longer reach this one (nor a deleted one).
    if (WindowState* s = StateOf(h); s && s->wnd == this) s->wnd = nullptr;
    m_hWnd = nullptr;
    m_pWidget = nullptr;
    return h;
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
    WindowState* s = StateOf(hwnd);
    if (!s) return FALSE;
    CWnd* old = s->wnd;
    if (old && old != this) {
        old->m_hWnd = nullptr;
        old->m_pWidget = nullptr;
        s->autoDelete = false;
    }
    s->wnd = this;
    m_hWnd = hwnd;
    m_pWidget = s->widget;
    if (old && old != this) {
        m_dwStyle = old->m_dwStyle;
        m_dwExStyle = old->m_dwExStyle;
        m_nID = old->m_nID;
        m_strClass = old->m_strClass;
    }
    return TRUE;
}

HWND CWnd::UnsubclassWindow() { return Detach(); }

namespace afx_detail {
void OwnControl(CWnd* wnd) {
    if (WindowState* s = StateOf(wnd)) s->autoDelete = true;
}
void ReleaseOwnedControl(CWnd* old) {
    // The framework's object for the control was replaced by the caller's.
    if (old && !old->m_hWnd && !old->m_bTemporary) delete old;
}
}  // namespace afx_detail

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
    CWnd* item = parent ? parent->GetDlgItem(static_cast<int>(id)) : nullptr;
    if (!item) return FALSE;
    HWND h = item->m_hWnd;
    if (item == this) return TRUE;
    if (!SubclassWindow(h)) return FALSE;
    ReleaseOwnedControl(item);
    return TRUE;
}

BOOL CWnd::PreCreateWindow(CREATESTRUCT&) { return TRUE; }

QWidget* CWnd::CreateWidget(CREATESTRUCT& cs, QWidget* parent) {
    if (auto f = FindWidgetFactory(cs.lpszClass)) return f(this, cs, parent);
    return new AfxWindowWidget(parent);
}

BOOL CWnd::Create(LPCTSTR className, LPCTSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                  void* context) {
    return CreateEx(0, className, windowName, style | WS_CHILD, rect, parent, id, context);
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCTSTR className, LPCTSTR windowName, DWORD style, const RECT& rect,
                    CWnd* parent, UINT id, LPVOID param) {
    return CreateEx(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(id)), param);
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCTSTR className, LPCTSTR windowName, DWORD style, int x, int y, int cx,
                    int cy, HWND parent, HMENU idOrMenu, LPVOID param) {
    if (m_hWnd) return FALSE;
    EnsureApplication();
    CREATESTRUCT cs{};
    cs.lpCreateParams = param;
    cs.hMenu = idOrMenu;
    cs.hwndParent = parent;
    cs.x = x;
    cs.y = y;
    cs.cx = cx;
    cs.cy = cy;
    cs.style = static_cast<LONG>(style);
    cs.lpszName = windowName;
    cs.lpszClass = className;
    cs.dwExStyle = exStyle;
    if (!PreCreateWindow(cs)) return FALSE;
    style = static_cast<DWORD>(cs.style);
    CString cls = (cs.lpszClass && !IS_INTRESOURCE(cs.lpszClass)) ? CString(cs.lpszClass) : CString();
    WindowState* ps = StateOf(cs.hwndParent);
    QWidget* pw = ps ? ps->widget.data() : nullptr;
    bool child = (style & WS_CHILD) != 0 && pw;
    m_dwStyle = style;
    m_dwExStyle = cs.dwExStyle;
    m_strClass = cls;
    m_nID = child ? static_cast<UINT>(reinterpret_cast<std::uintptr_t>(cs.hMenu)) : 0;
    SetPendingSetup(nullptr);
    QWidget* w = CreateWidget(cs, child ? pw : nullptr);
    if (!w) {
        SetPendingSetup(nullptr);
        return FALSE;
    }
    if (!child) {
        if (pw) {
            // An owned top-level window stays above its owner.
            w->setParent(pw->window(), Qt::Window | ((style & WS_CAPTION) == WS_CAPTION || !(style & WS_POPUP)
                                                         ? Qt::WindowFlags() : Qt::FramelessWindowHint));
            m_pOwner = ps->wnd;
        } else if ((style & WS_POPUP) && (style & WS_CAPTION) != WS_CAPTION) {
            w->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        } else {
            w->setWindowFlags(Qt::Window);
        }
    }
    m_pWidget = w;
    m_hWnd = RegisterWindow(this, w);
    WindowState* s = StateOf(m_hWnd);
    if (w->testAttribute(Qt::WA_SetCursor)) {
        s->hasOwnCursor = true;
        s->ownCursor = w->cursor();
    }
    s->ownsPainting = dynamic_cast<AfxWindowWidget*>(w) != nullptr || FindMessageEntry(WM_PAINT, 0, 0) != nullptr;
    RunPendingSetup(s);
    InstallBridge(w);
    if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) {
        AliasWidget(area->viewport(), m_hWnd);
        InstallBridge(area->viewport());
    }
    if (style & WS_VSCROLL) s->scroll[SB_VERT].bar = nullptr;
    constexpr int kDefault = static_cast<int>(0x80000000);
    if (cs.x == kDefault) cs.x = 80;
    if (cs.y == kDefault) cs.y = 60;
    if (cs.cx == kDefault) cs.cx = 800;
    if (cs.cy == kDefault) cs.cy = 600;
    QPoint origin = (child && ps) ? ClientOrigin(ps) : QPoint(0, 0);
    {
        QSignalBlocker block(w);
        w->setGeometry(cs.x + origin.x(), cs.y + origin.y(), cs.cx < 0 ? 0 : cs.cx, cs.cy < 0 ? 0 : cs.cy);
    }
    if (!child || !dynamic_cast<AfxWindowWidget*>(w) || true) {
        if (cs.lpszName && (!child || dynamic_cast<AfxWindowWidget*>(w))) w->setWindowTitle(ToQ(cs.lpszName));
    }
    if (style & WS_DISABLED) w->setEnabled(false);
    LayoutNonClient(s);
    HWND self = m_hWnd;
    if (CallWnd(this, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        if (StateOf(self)) DestroyWindow();
        return FALSE;
    }
    if (!StateOf(self)) return FALSE;
    ReportSize(s);
    if (!StateOf(self)) return FALSE;
    if (style & WS_VISIBLE) {
        if (style & WS_MAXIMIZE) w->showMaximized();
        else w->show();
    } else if (child) {
        w->hide();
    }
    if (!child) PublishWindows();
    return TRUE;
}

BOOL CWnd::DestroyWindow() {
    HWND h = m_hWnd;
    WindowState* s = StateOf(h);
    // A handler of the destruction asking for it again (its own or a parent's) changes nothing.
    if (!s || s->destroying) return FALSE;
    s->destroying = true;
    // Children first get WM_DESTROY after their parent, as the window system does.
    CallWnd(this, WM_DESTROY, 0, 0);
    if (!StateOf(h)) return TRUE;
    QPointer<QWidget> w = s->widget;
    if (w) {
        // A copy: each child leaves the list as it goes.
        const QObjectList children = w->children();
        for (QObject* o : children) {
            auto* cw = qobject_cast<QWidget*>(o);
            HWND ch = cw ? HandleOfWidget(cw) : nullptr;
            if (!ch || ch == h) continue;
            if (CWnd* c = FromHandlePermanent(ch)) c->DestroyWindow();
            else UnregisterWindow(ch);  // detached: its widget goes with this one
        }
        // Owned top-level windows go too.
        for (QWidget* tl : QApplication::topLevelWidgets()) {
            if (tl->parentWidget() == w.data()) {
                HWND th = HandleOfWidget(tl);
                if (CWnd* c = FromHandlePermanent(th)) c->DestroyWindow();
            }
        }
    }
    if (Caret().hwnd == h) Caret().hwnd = nullptr;
    if (g_capture == h) {
        if (w) w->releaseMouse();
        g_capture = nullptr;
    }
    if (s->timers.size()) {
        for (auto& [id, t] : s->timers) {
            t->stop();
            t->deleteLater();
        }
        s->timers.clear();
    }
    CallWnd(this, WM_NCDESTROY, 0, 0);
    bool autoDelete = s->autoDelete;
    UnregisterWindow(h);
    m_hWnd = nullptr;
    m_pWidget = nullptr;
    // A window object made again later (a kept dialog) must not find the
    // owner of its last window, which may be gone by then.
    m_pOwner = nullptr;
    if (w) {
        w->hide();
        w->removeEventFilter(nullptr);
        w->deleteLater();
        w->setParent(nullptr);
    }
    PostNcDestroy();
    if (autoDelete) delete this;
    return TRUE;
}

void CWnd::PostNcDestroy() {}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    LRESULT r = 0;
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam)) return FALSE;
        if (pResult) *pResult = 1;
        return TRUE;
    }
    if (message == WM_NOTIFY) {
        if (!OnNotify(wParam, lParam, &r)) return FALSE;
        if (pResult) *pResult = r;
        return TRUE;
    }
    if (message == WM_DRAWITEM || message == WM_MEASUREITEM) {
        if (DispatchWindowMessage(message, wParam, lParam, &r)) {
            if (pResult) *pResult = r;
            return TRUE;
        }
        // Not handled by the parent: the control draws itself.
        HWND from = nullptr;
        if (message == WM_DRAWITEM) from = reinterpret_cast<LPDRAWITEMSTRUCT>(lParam)->hwndItem;
        else if (CWnd* c = GetDlgItem(static_cast<int>(wParam))) from = c->m_hWnd;
        if (from && from != m_hWnd)
            if (CWnd* c = FromHandlePermanent(from))
                if (c->OnChildNotify(message, wParam, lParam, &r)) {
                    if (pResult) *pResult = r;
                    return TRUE;
                }
        return FALSE;
    }
    if (!DispatchWindowMessage(message, wParam, lParam, &r)) return FALSE;
    if (pResult) *pResult = r;
    return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    UINT id = LOWORD(wParam);
    int code = static_cast<int>(HIWORD(wParam));
    HWND control = reinterpret_cast<HWND>(lParam);
    if (control) {
        // The control's own reflected handler comes first.
        if (CWnd* c = FromHandlePermanent(control); c && c != this) {
            LRESULT r = 0;
            if (c->OnChildNotify(WM_COMMAND, wParam, lParam, &r)) return TRUE;
        }
    } else {
        code = CN_COMMAND;
    }
    return OnCmdMsg(id, code, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult) {
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (!hdr) return FALSE;
    LRESULT r = 0;
    if (CWnd* c = FromHandlePermanent(hdr->hwndFrom); c && c != this)
        if (c->OnChildNotify(WM_NOTIFY, 0, lParam, &r)) {
            if (pResult) *pResult = r;
            return TRUE;
        }
    AFX_NOTIFY n{&r, hdr};
    UINT id = static_cast<UINT>(hdr->idFrom);
    if (OnCmdMsg(id, static_cast<int>(MAKELONG(static_cast<WORD>(hdr->code), WM_NOTIFY)), &n, nullptr)) {
        if (pResult) *pResult = r;
        return TRUE;
    }
    return FALSE;
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    return ReflectChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    LRESULT r = 0;
    BOOL done = FALSE;
    if (message == WM_COMMAND) {
        const AFX_MSGMAP_ENTRY* e = FindMessageEntry(WM_REFLECT_BASE + WM_COMMAND, HIWORD(wParam), 0);
        if (e) {
            AFX_MSGCALL call{message, wParam, lParam, 0, 0, nullptr};
            e->pfn(this, call);
            done = TRUE;
        }
    } else if (message == WM_NOTIFY) {
        auto* hdr = reinterpret_cast<NMHDR*>(lParam);
        const AFX_MSGMAP_ENTRY* e = FindMessageEntry(WM_REFLECT_BASE + WM_NOTIFY, hdr->code, 0);
        if (e) {
            AFX_NOTIFY n{&r, hdr};
            AFX_MSGCALL call{message, wParam, lParam, 0, 0, &n};
            e->pfn(this, call);
            done = TRUE;
        }
    } else {
        done = DispatchWindowMessage(WM_REFLECT_BASE + message, wParam, lParam, &r);
    }
    if (done && pResult) *pResult = r;
    return done;
}

BOOL CWnd::ReflectLastMsg(HWND child, LRESULT* pResult) {
    CWnd* c = FromHandlePermanent(child);
    MessageFrame* f = CurrentFrame();
    if (!c || !f) return FALSE;
    return c->OnChildNotify(f->msg.message, f->msg.wParam, f->msg.lParam, pResult);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    MessageFrame* f = CurrentFrame();
    if (f && f->msg.hwnd == m_hWnd && f->msg.message == message) f->defaultCalled = true;
    WindowState* s = StateOf(m_hWnd);
    if (s && s->controlProc) {
        LRESULT r = 0;
        auto proc = s->controlProc;  // the call may destroy the window
        if (proc(message, wParam, lParam, &r)) return r;
    }
    switch (message) {
    case WM_CLOSE:
        DestroyWindow();
        return 0;
    case WM_SETTEXT:
        if (s && s->widget) s->widget->setWindowTitle(ToQ(reinterpret_cast<LPCSTR>(lParam)));
        return TRUE;
    case WM_GETTEXTLENGTH:
        return s && s->widget ? FromQ(s->widget->windowTitle()).GetLength() : 0;
    case WM_GETTEXT: {
        if (!s || !s->widget || wParam == 0 || !lParam) return 0;
        CString t = FromQ(s->widget->windowTitle());
        int n = t.GetLength() < static_cast<int>(wParam) - 1 ? t.GetLength() : static_cast<int>(wParam) - 1;
        std::memcpy(reinterpret_cast<char*>(lParam), t.GetString(), static_cast<size_t>(n));
        reinterpret_cast<char*>(lParam)[n] = 0;
        return n;
    }
    case WM_PAINT:
        DefaultPaint(this);
        return 0;
    case WM_SETFONT:
        if (s) {
            s->font = reinterpret_cast<HFONT>(wParam);
            if (s->widget) {
                s->widget->setFont(s->font ? AfxFontOf(s->font) : QFont());
                if (lParam) s->widget->update();
            }
        }
        return 0;
    case WM_GETFONT:
        return s ? reinterpret_cast<LRESULT>(s->font) : 0;
    case WM_ERASEBKGND:
        return DefaultErase(this, reinterpret_cast<HDC>(wParam));
    case WM_CONTEXTMENU:
    case WM_MOUSEWHEEL:
        // Passed on to the parent, as the window system does.
        if (CWnd* p = GetParent(); p && (m_dwStyle & WS_CHILD)) return p->SendMessage(message, wParam, lParam);
        return 0;
    case WM_SETCURSOR:
        if (CWnd* p = GetParent(); p && (m_dwStyle & WS_CHILD))
            if (p->SendMessage(message, wParam, lParam)) return TRUE;
        // Nobody chose one: the window under the mouse shows its own cursor.
        if (LOWORD(lParam) == HTCLIENT && reinterpret_cast<HWND>(wParam) == m_hWnd) ShowOwnCursor(s);
        return FALSE;
    case WM_MOUSEACTIVATE:
        return 1;
    case WM_NCHITTEST:
        return HTCLIENT;
    case WM_NCLBUTTONDOWN:
        if (wParam == HTCAPTION) BeginCaptionDrag(m_hWnd, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    default:
        return 0;
    }
}

LRESULT CWnd::Default() {
    MessageFrame* f = CurrentFrame();
    if (!f) return 0;
    f->defaultCalled = true;
    return DefWindowProc(f->msg.message, f->msg.wParam, f->msg.lParam);
}

const MSG* CWnd::GetCurrentMessage() {
    MessageFrame* f = CurrentFrame();
    return f ? &f->msg : &LastMessage();
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!m_hWnd) return 0;
    if (IsRemoteHandle(m_hWnd)) return ::SendMessage(m_hWnd, message, wParam, lParam);
    auto q = QueueOfWindow(m_hWnd);
    if (q && q->owner == std::this_thread::get_id()) {
        CWnd* w = FromHandlePermanent(m_hWnd);
        return w ? CallWnd(w, message, wParam, lParam) : 0;
    }
    return ::SendMessage(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::PostMessage(m_hWnd, message, wParam, lParam);
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL deep) {
    WindowState* s = StateOf(m_hWnd);
    if (!s || !s->widget) return;
    std::vector<HWND> kids;
    for (QObject* o : s->widget->children())
        if (auto* cw = qobject_cast<QWidget*>(o))
            if (HWND h = HandleOfWidget(cw); h && h != m_hWnd) kids.push_back(h);
    for (HWND h : kids) {
        CWnd* c = FromHandlePermanent(h);
        if (!c) continue;
        c->SendMessage(message, wParam, lParam);
        if (deep && StateOf(h)) c->SendMessageToDescendants(message, wParam, lParam, TRUE);
    }
}

// Relations.
CWnd* CWnd::GetParent() const {
    WindowState* s = StateOf(m_hWnd);
    if (!s || !s->widget) return nullptr;
    if (!(m_dwStyle & WS_CHILD)) return m_pOwner;
    for (QWidget* p = s->widget->parentWidget(); p; p = p->parentWidget())
        if (HWND h = HandleOfWidget(p); h && h != m_hWnd) return FromHandlePermanent(h);
    return nullptr;
}

CWnd* CWnd::SetParent(CWnd* parent) {
    CWnd* old = GetParent();
    WindowState* s = StateOf(m_hWnd);
    if (!s || !s->widget) return nullptr;
    if (parent && parent->m_pWidget) {
        // The window keeps its own visibility, whatever the new parent's.
        bool vis = !s->widget->isHidden();
        s->widget->setParent(parent->m_pWidget);
        s->widget->setVisible(vis);
        m_dwStyle |= WS_CHILD;
    }
    return old;
}

CWnd* CWnd::GetOwner() const { return m_pOwner ? m_pOwner : GetParent(); }

CWnd* CWnd::GetTopLevelParent() const {
    CWnd* w = const_cast<CWnd*>(this);
    while (w && (w->m_dwStyle & WS_CHILD))
        if (CWnd* p = w->GetParent()) w = p;
        else break;
    return w;
}

CFrameWnd* CWnd::GetParentFrame() const {
    for (CWnd* p = GetParent(); p; p = p->GetParent())
        if (FrameClass() && p->IsKindOf(FrameClass())) return reinterpret_cast<CFrameWnd*>(p);
    return nullptr;
}

CWnd* CWnd::GetWindow(UINT cmd) const {
    WindowState* s = StateOf(m_hWnd);
    if (!s || !s->widget) return nullptr;
    if (cmd == GW_OWNER) return m_pOwner;
    auto windowsOf = [](QWidget* parent, HWND self) {
        std::vector<HWND> out;
        if (!parent) return out;
        for (QObject* o : parent->children())
            if (auto* cw = qobject_cast<QWidget*>(o); cw && !cw->isWindow())
                if (HWND h = HandleOfWidget(cw); h && h != self) out.push_back(h);
        return out;
    };
    if (cmd == GW_CHILD) {
        auto kids = windowsOf(s->widget, m_hWnd);
        return kids.empty() ? nullptr : FromHandlePermanent(kids.front());
    }
    QWidget* pw = s->widget->parentWidget();
    HWND ph = pw ? HandleOfWidget(pw) : nullptr;
    auto sibs = windowsOf(pw, ph);
    auto it = std::find(sibs.begin(), sibs.end(), m_hWnd);
    if (it == sibs.end()) return nullptr;
    switch (cmd) {
    case GW_HWNDFIRST: return FromHandlePermanent(sibs.front());
    case GW_HWNDLAST: return FromHandlePermanent(sibs.back());
    case GW_HWNDNEXT: return it + 1 == sibs.end() ? nullptr : FromHandlePermanent(*(it + 1));
    case GW_HWNDPREV: return it == sibs.begin() ? nullptr : FromHandlePermanent(*(it - 1));
    default: return nullptr;
    }
}

CWnd* CWnd::GetDlgItem(int id) const {
    WindowState* s = StateOf(m_hWnd);
    if (!s || !s->widget) return nullptr;
    // Direct children first, then deeper ones (controls inside group widgets).
    QList<QWidget*> all = s->widget->findChildren<QWidget*>();
    for (QWidget* w : all) {
        HWND h = HandleOfWidget(w);
        if (!h || h == m_hWnd) continue;
        CWnd* c = FromHandlePermanent(h);
        if (c && c->m_nID == static_cast<UINT>(id) && (c->m_dwStyle & WS_CHILD) && c->GetParent() == this) return c;
    }
    return nullptr;
}

CWnd* CWnd::GetNextDlgTabItem(CWnd* control, BOOL previous) const {
    WindowState* s = StateOf(m_hWnd);
    if (!s || !s->widget) return nullptr;
    std::vector<CWnd*> tabs;
    for (QWidget* w : s->widget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (CWnd* c = FromHandlePermanent(HandleOfWidget(w)); c && (c->m_dwStyle & WS_TABSTOP) && w->isVisible() && w->isEnabled())
            tabs.push_back(c);
    if (tabs.empty()) return nullptr;
    auto it = std::find(tabs.begin(), tabs.end(), control);
    if (it == tabs.end()) return tabs.front();
    if (previous) return it == tabs.begin() ? tabs.back() : *(it - 1);
    return it + 1 == tabs.end() ? tabs.front() : *(it + 1);
}

CWnd* CWnd::GetNextDlgGroupItem(CWnd* control, BOOL previous) const { return GetNextDlgTabItem(control, previous); }

int CWnd::GetDlgCtrlID() const { return static_cast<int>(m_nID); }
int CWnd::SetDlgCtrlID(int id) {
    int old = static_cast<int>(m_nID);
    m_nID = static_cast<UINT>(id);
    return old;
}

BOOL CWnd::IsChild(const CWnd* wnd) const {
    for (const CWnd* p = wnd ? wnd->GetParent() : nullptr; p; p = p->GetParent())
        if (p == this) return TRUE;
    return FALSE;
}

DWORD CWnd::GetStyle() const {
    DWORD st = m_dwStyle & ~(WS_VISIBLE | WS_DISABLED);
    if (IsWindowVisible()) st |= WS_VISIBLE;
    if (!IsWindowEnabled()) st |= WS_DISABLED;
    return st;
}
DWORD CWnd::GetExStyle() const { return m_dwExStyle; }

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT) {
    DWORD old = m_dwStyle;
    m_dwStyle = (m_dwStyle & ~remove) | add;
    if ((remove & WS_VISIBLE) && m_pWidget) m_pWidget->hide();
    if ((add & WS_VISIBLE) && m_pWidget) m_pWidget->show();
    if ((remove & WS_DISABLED) && m_pWidget) m_pWidget->setEnabled(true);
    if ((add & WS_DISABLED) && m_pWidget) m_pWidget->setEnabled(false);
    return old != m_dwStyle;
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT) {
    DWORD old = m_dwExStyle;
    m_dwExStyle = (m_dwExStyle & ~remove) | add;
    if (add & WS_EX_ACCEPTFILES) DragAcceptFiles(TRUE);
    if (remove & WS_EX_ACCEPTFILES) DragAcceptFiles(FALSE);
    return old != m_dwExStyle;
}

LONG_PTR CWnd::GetWindowLong(int index) const {
    switch (index) {
    case GWL_STYLE: return static_cast<LONG_PTR>(GetStyle());
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(m_dwExStyle);
    case GWL_ID: return static_cast<LONG_PTR>(m_nID);
    case GWL_USERDATA: return m_userData;
    default: return 0;
    }
}

LONG_PTR CWnd::SetWindowLong(int index, LONG_PTR value) {
    LONG_PTR old = GetWindowLong(index);
    switch (index) {
    case GWL_STYLE: ModifyStyle(0xFFFFFFFFu, static_cast<DWORD>(value)); break;
    case GWL_EXSTYLE: m_dwExStyle = static_cast<DWORD>(value); break;
    case GWL_ID: m_nID = static_cast<UINT>(value); break;
    case GWL_USERDATA: m_userData = value; break;
    default: break;
    }
    return old;
}

// State and geometry.
BOOL CWnd::ShowWindow(int cmdShow) {
    WindowState* s = StateOf(m_hWnd);
    if (!s) return ::ShowWindow(m_hWnd, cmdShow);
    QWidget* w = s->widget;
    if (!w) return FALSE;
    BOOL was = w->isVisible();
    switch (cmdShow) {
    case SW_HIDE: w->hide(); break;
    case SW_SHOWMAXIMIZED: w->showMaximized(); break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE: w->showMinimized(); break;
    case SW_RESTORE:
    case SW_SHOWNORMAL: w->showNormal(); break;
    default: w->show(); break;
    }
    if (cmdShow == SW_HIDE) m_dwStyle &= ~WS_VISIBLE;
    else m_dwStyle |= WS_VISIBLE;
    return was;
}

BOOL CWnd::IsWindowVisible() const {
    if (IsRemoteHandle(m_hWnd)) return RemoteVisible(m_hWnd) == 1;
    WindowState* s = StateOf(m_hWnd);
    if (!s || !s->widget) return FALSE;
    // Visible when it and its parents are shown, even if the top level is not on screen yet.
    for (QWidget* w = s->widget; w; w = w->isWindow() ? nullptr : w->parentWidget())
        if (w->isHidden()) return FALSE;
    return TRUE;
}

BOOL CWnd::IsWindowEnabled() const {
    WindowState* s = StateOf(m_hWnd);
    return s && s->widget && s->widget->isEnabled();
}

BOOL CWnd::EnableWindow(BOOL enable) {
    WindowState* s = StateOf(m_hWnd);
    if (!s || !s->widget) return FALSE;
    BOOL wasDisabled = !s->widget->isEnabled();
    s->widget->setEnabled(enable != FALSE);
    // Windows owned by this one (dialogs, pop-ups) keep their own state, as
    // owned windows do: a modal dialog stays usable over its disabled owner.
    if (!enable)
        for (QWidget* owned : s->widget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (owned->isWindow() && !owned->testAttribute(Qt::WA_ForceDisabled)) owned->setEnabled(true);
    if (enable) m_dwStyle &= ~WS_DISABLED;
    else m_dwStyle |= WS_DISABLED;
    return wasDisabled;
}

BOOL CWnd::IsIconic() const { return m_pWidget && m_pWidget->isMinimized(); }
BOOL CWnd::IsZoomed() const { return m_pWidget && m_pWidget->isMaximized(); }

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint) {
    WindowState* s = StateOf(m_hWnd);
    if (!s || !s->widget) return;
    QPoint origin(0, 0);
    if (m_dwStyle & WS_CHILD)
        if (CWnd* p = GetParent()) origin = ClientOrigin(StateOf(p->m_hWnd));
    HWND self = m_hWnd;
    if (s->widget->isWindow()) {
        // A top-level window's rectangle takes in its frame, as GetWindowRect reports it.
        QRect frame = s->widget->frameGeometry(), inner = s->widget->geometry();
        QMargins m(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                   frame.bottom() - inner.bottom());
        origin = QPoint(m.left(), m.top());
        width -= m.left() + m.right();
        height -= m.top() + m.bottom();
    }
    s->widget->setGeometry(x + origin.x(), y + origin.y(), width < 0 ? 0 : width, height < 0 ? 0 : height);
    // A hidden widget hears of its new size only when shown; the window is told now.
    if (WindowState* now = StateOf(self)) ReportSize(now);
    if (WindowState* now = StateOf(self); now && repaint && now->widget) now->widget->update();
}

void CWnd::MoveWindow(LPCRECT r, BOOL repaint) { MoveWindow(r->left, r->top, r->right - r->left, r->bottom - r->top, repaint); }

BOOL CWnd::SetWindowPos(const CWnd* after, int x, int y, int cx, int cy, UINT flags) {
    WindowState* s = StateOf(m_hWnd);
    if (!s || !s->widget) return FALSE;
    QWidget* w = s->widget;
    CRect r;
    GetWindowRect(&r);
    if (m_dwStyle & WS_CHILD)
        if (CWnd* p = GetParent()) p->ScreenToClient(&r);
    if (flags & SWP_NOMOVE) { x = r.left; y = r.top; }
    if (flags & SWP_NOSIZE) { cx = r.Width(); cy = r.Height(); }
    if (!(flags & SWP_NOMOVE) || !(flags & SWP_NOSIZE)) MoveWindow(x, y, cx, cy, !(flags & SWP_NOREDRAW));
    if (!(flags & SWP_NOZORDER)) {
        if (after == reinterpret_cast<const CWnd*>(HWND_TOPMOST)) {
            w->setWindowFlag(Qt::WindowStaysOnTopHint, true);
            m_dwExStyle |= WS_EX_TOPMOST;
        } else if (after == reinterpret_cast<const CWnd*>(HWND_NOTOPMOST)) {
            w->setWindowFlag(Qt::WindowStaysOnTopHint, false);
            m_dwExStyle &= ~WS_EX_TOPMOST;
        } else if (after == reinterpret_cast<const CWnd*>(HWND_BOTTOM)) {
            w->lower();
        } else if (after == nullptr) {
            w->raise();
        } else if (after->m_pWidget) {
            w->stackUnder(after->m_pWidget);
        }
    }
    if (flags & SWP_SHOWWINDOW) ShowWindow(SW_SHOWNA);
    if (flags & SWP_HIDEWINDOW) ShowWindow(SW_HIDE);
    return TRUE;
}

void CWnd::GetClientRect(LPRECT rect) const {
    WindowState* s = StateOf(m_hWnd);
    if (!s) {
        ::GetClientRect(m_hWnd, rect);
        return;
    }
    QRect c = ClientRectQ(s);
    ::SetRect(rect, 0, 0, c.width(), c.height());
}

void CWnd::GetWindowRect(LPRECT rect) const {
    WindowState* s = StateOf(m_hWnd);
    if (!s || !s->widget) {
        ::GetWindowRect(m_hWnd, rect);
        return;
    }
    QWidget* w = s->widget;
    QPoint tl = w->isWindow() ? w->frameGeometry().topLeft() : w->mapToGlobal(QPoint(0, 0));
    QSize sz = w->isWindow() ? w->frameGeometry().size() : w->size();
    ::SetRect(rect, tl.x(), tl.y(), tl.x() + sz.width(), tl.y() + sz.height());
}

void CWnd::ClientToScreen(LPPOINT p) const {
    WindowState* s = StateOf(m_hWnd);
    if (!s || !s->widget) return;
    QPoint g = s->widget->mapToGlobal(QPoint(p->x, p->y) + ClientOrigin(s));
    p->x = g.x();
    p->y = g.y();
}

void CWnd::ClientToScreen(LPRECT r) const {
    ClientToScreen(reinterpret_cast<LPPOINT>(&r->left));
    ClientToScreen(reinterpret_cast<LPPOINT>(&r->right));
}

void CWnd::ScreenToClient(LPPOINT p) const {
    WindowState* s = StateOf(m_hWnd);
    if (!s || !s->widget) return;
    QPoint l = s->widget->mapFromGlobal(QPoint(p->x, p->y)) - ClientOrigin(s);
    p->x = l.x();
    p->y = l.y();
}

void CWnd::ScreenToClient(LPRECT r) const {
    ScreenToClient(reinterpret_cast<LPPOINT>(&r->left));
    ScreenToClient(reinterpret_cast<LPPOINT>(&r->right));
}

void CWnd::MapWindowPoints(CWnd* to, LPPOINT points, UINT count) const {
    for (UINT i = 0; i < count; ++i) {
        ClientToScreen(&points[i]);
        if (to) to->ScreenToClient(&points[i]);
    }
}

void CWnd::MapWindowPoints(CWnd* to, LPRECT rect) const { MapWindowPoints(to, reinterpret_cast<LPPOINT>(rect), 2); }

void CWnd::CenterWindow(CWnd* alternate) {
    WindowState* s = StateOf(m_hWnd);
    if (!s || !s->widget) return;
    QRect area;
    CWnd* ref = alternate ? alternate : GetOwner();
    if (ref && ref->m_pWidget) area = ref->m_pWidget->window()->frameGeometry();
    else if (QScreen* sc = QGuiApplication::primaryScreen()) area = sc->availableGeometry();
    QWidget* w = s->widget;
    QSize sz = w->frameGeometry().size();
    QPoint tl = area.center() - QPoint(sz.width() / 2, sz.height() / 2);
    if (w->isWindow()) w->move(tl);
    else w->move(w->parentWidget()->mapFromGlobal(tl));
}

BOOL CWnd::GetWindowPlacement(WINDOWPLACEMENT* wp) const {
    if (!wp || !m_pWidget) return FALSE;
    wp->flags = 0;
    wp->showCmd = IsIconic() ? SW_SHOWMINIMIZED : IsZoomed() ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    QRect g = m_pWidget->normalGeometry().isValid() ? m_pWidget->normalGeometry() : m_pWidget->geometry();
    ::SetRect(&wp->rcNormalPosition, g.left(), g.top(), g.right() + 1, g.bottom() + 1);
    return TRUE;
}

BOOL CWnd::SetWindowPlacement(const WINDOWPLACEMENT* wp) {
    if (!wp || !m_pWidget) return FALSE;
    const RECT& r = wp->rcNormalPosition;
    m_pWidget->setGeometry(r.left, r.top, r.right - r.left, r.bottom - r.top);
    ShowWindow(static_cast<int>(wp->showCmd));
    return TRUE;
}

CWnd* CWnd::ChildWindowFromPoint(POINT point) const {
    WindowState* s = StateOf(m_hWnd);
    if (!s || !s->widget) return nullptr;
    QWidget* c = s->widget->childAt(QPoint(point.x, point.y) + ClientOrigin(s));
    for (; c && c != s->widget; c = c->parentWidget())
        if (HWND h = HandleOfWidget(c)) return FromHandlePermanent(h);
    return const_cast<CWnd*>(this);
}

CWnd* CWnd::WindowFromPoint(POINT point) {
    QWidget* w = QApplication::widgetAt(QPoint(point.x, point.y));
    for (; w; w = w->parentWidget())
        if (HWND h = HandleOfWidget(w)) return FromHandlePermanent(h);
    return nullptr;
}

void CWnd::BringWindowToTop() {
    if (m_pWidget) m_pWidget->window()->raise();
}

BOOL CWnd::SetForegroundWindow() {
    if (IsRemoteHandle(m_hWnd)) return RemoteShow(m_hWnd, -1, true);
    if (!m_pWidget) return FALSE;
    m_pWidget->window()->raise();
    m_pWidget->window()->activateWindow();
    return TRUE;
}

CWnd* CWnd::GetForegroundWindow() {
    QWidget* w = QApplication::activeWindow();
    return w ? FromHandlePermanent(HandleOfWidget(w)) : nullptr;
}

CWnd* CWnd::GetActiveWindow() { return GetForegroundWindow(); }

CWnd* CWnd::SetActiveWindow() {
    CWnd* old = GetActiveWindow();
    if (m_pWidget) m_pWidget->window()->activateWindow();
    return old;
}

void CWnd::DragAcceptFiles(BOOL accept) {
    WindowState* s = StateOf(m_hWnd);
    if (!s || !s->widget) return;
    s->acceptFiles = accept != FALSE;
    s->widget->setAcceptDrops(s->acceptFiles);
    if (accept) m_dwExStyle |= WS_EX_ACCEPTFILES;
    else m_dwExStyle &= ~WS_EX_ACCEPTFILES;
}

// Painting.
void CWnd::Invalidate(BOOL erase) { InvalidateRect(nullptr, erase); }

void CWnd::InvalidateRect(LPCRECT rect, BOOL erase) {
    WindowState* s = StateOf(m_hWnd);
    if (!s || !s->widget) return;
    QRect c = ClientRectQ(s);
    QRect r = rect ? QRect(QPoint(rect->left, rect->top), QPoint(rect->right - 1, rect->bottom - 1))
                   : QRect(QPoint(0, 0), c.size());
    r &= QRect(QPoint(0, 0), c.size());
    if (r.isEmpty()) return;
    if (s->ownsPainting) {
        s->invalid += r;
        if (erase) s->erase = true;
    }
    if (s->redraw) s->widget->update(r.translated(ClientOrigin(s)));
}

void CWnd::ValidateRect(LPCRECT rect) {
    WindowState* s = StateOf(m_hWnd);
    if (!s) return;
    if (!rect) s->invalid = QRegion();
    else s->invalid -= QRect(QPoint(rect->left, rect->top), QPoint(rect->right - 1, rect->bottom - 1));
    // An erase asked for with the validated part is not owed any more.
    if (s->invalid.isEmpty()) s->erase = false;
}

void CWnd::UpdateWindow() {
    WindowState* s = StateOf(m_hWnd);
    if (!s || !s->widget) return;
    if (s->ownsPainting && !s->invalid.isEmpty()) {
        // Paint now, even where the window system would wait for an expose.
        PaintSurface(s, QRegion());
        if (StateOf(m_hWnd) && s->widget) s->widget->update();
    } else if (s->widget->isVisible()) {
        s->widget->repaint();
    }
}

BOOL CWnd::RedrawWindow(LPCRECT update, HRGN, UINT flags) {
    if (flags & RDW_INVALIDATE) InvalidateRect(update, (flags & RDW_ERASE) != 0);
    if (flags & RDW_VALIDATE) ValidateRect(update);
    if (flags & RDW_ALLCHILDREN) {
        WindowState* s = StateOf(m_hWnd);
        if (s && s->widget)
            for (QWidget* c : s->widget->findChildren<QWidget*>())
                if (CWnd* cw = FromHandlePermanent(HandleOfWidget(c)); cw && cw != this) cw->RedrawWindow(nullptr, nullptr, flags & ~RDW_ALLCHILDREN);
    }
    if (flags & (RDW_UPDATENOW | RDW_ERASENOW)) UpdateWindow();
    return TRUE;
}

BOOL CWnd::GetUpdateRect(LPRECT rect, BOOL) {
    WindowState* s = StateOf(m_hWnd);
    if (!s || s->invalid.isEmpty()) {
        if (rect) ::SetRectEmpty(rect);
        return FALSE;
    }
    QRect b = s->invalid.boundingRect();
    if (rect) ::SetRect(rect, b.left(), b.top(), b.right() + 1, b.bottom() + 1);
    return TRUE;
}

void CWnd::SetRedraw(BOOL redraw) {
    WindowState* s = StateOf(m_hWnd);
    if (!s || !s->widget) return;
    s->redraw = redraw != FALSE;
    s->widget->setUpdatesEnabled(s->redraw);
}

void CWnd::ScrollWindow(int dx, int dy, LPCRECT scrollRect, LPCRECT clipRect) {
    WindowState* s = StateOf(m_hWnd);
    if (!s || !s->widget) return;
    QRect client(QPoint(0, 0), ClientRectQ(s).size());
    auto toQ = [](const RECT& r) { return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)); };
    // The pixels of the area move inside it; what comes in waits to be painted,
    // and so does what waited already, at its new place.
    QRect area = client;
    if (scrollRect) area &= toQ(*scrollRect);
    if (clipRect) area &= toQ(*clipRect);
    if (!area.isEmpty() && (dx || dy)) {
        if (s->ownsPainting && !s->surface.isNull()) {
            QImage before = s->surface.copy();
            QPainter p(&s->surface);
            p.setClipRect(area);
            p.fillRect(area, BackgroundOf(this));
            p.drawImage(area.topLeft() + QPoint(dx, dy), before, area);
        }
        QRegion inside = s->invalid & area;
        QRegion landed = QRegion(area.translated(dx, dy)) & area;
        s->invalid = (s->invalid - QRegion(area)) + (inside.translated(dx, dy) & area) + (QRegion(area) - landed);
        if (s->redraw) s->widget->update();
    }
    // Child windows move with the contents when the whole client area scrolls.
    if (scrollRect || clipRect) return;
    for (QObject* o : s->widget->children())
        if (auto* cw = qobject_cast<QWidget*>(o); cw && HandleOfWidget(cw) && !cw->isWindow()) cw->move(cw->pos() + QPoint(dx, dy));
}

void CWnd::SetFont(CFont* font, BOOL redraw) {
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font ? font->GetSafeHandle() : nullptr), redraw);
}

CFont* CWnd::GetFont() const {
    auto font = reinterpret_cast<HFONT>(const_cast<CWnd*>(this)->SendMessage(WM_GETFONT));
    return font ? CFont::FromHandle(font) : nullptr;
}

// Text.
void CWnd::SetWindowText(LPCTSTR text) { SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")); }

int CWnd::GetWindowText(LPTSTR text, int maxCount) const {
    return static_cast<int>(const_cast<CWnd*>(this)->SendMessage(WM_GETTEXT, static_cast<WPARAM>(maxCount), reinterpret_cast<LPARAM>(text)));
}

void CWnd::GetWindowText(CString& text) const {
    int n = GetWindowTextLength();
    std::string buf(static_cast<size_t>(n) + 1, '\0');
    int got = GetWindowText(buf.data(), n + 1);
    text = CString(buf.data(), got);
}

int CWnd::GetWindowTextLength() const { return static_cast<int>(const_cast<CWnd*>(this)->SendMessage(WM_GETTEXTLENGTH)); }

// Dialog items.
void CWnd::SetDlgItemText(int id, LPCTSTR text) {
    if (CWnd* c = GetDlgItem(id)) c->SetWindowText(text);
}

int CWnd::GetDlgItemText(int id, LPTSTR text, int maxCount) const {
    CWnd* c = GetDlgItem(id);
    if (!c) {
        if (text && maxCount > 0) text[0] = 0;
        return 0;
    }
    return c->GetWindowText(text, maxCount);
}

int CWnd::GetDlgItemText(int id, CString& text) const {
    text.Empty();
    if (CWnd* c = GetDlgItem(id)) c->GetWindowText(text);
    return text.GetLength();
}

void CWnd::SetDlgItemInt(int id, UINT value, BOOL isSigned) {
    char buf[32];
    if (isSigned) std::snprintf(buf, sizeof buf, "%d", static_cast<int>(value));
    else std::snprintf(buf, sizeof buf, "%u", value);
    SetDlgItemText(id, buf);
}

UINT CWnd::GetDlgItemInt(int id, BOOL* translated, BOOL isSigned) const {
    CString t;
    if (translated) *translated = FALSE;
    if (!GetDlgItem(id)) return 0;
    GetDlgItemText(id, t);
    t.Trim();
    const char* p = t.GetString();
    bool neg = false;
    if (*p == '-' && isSigned) {
        neg = true;
        ++p;
    }
    if (!*p) return 0;
    long long v = 0;
    for (; *p; ++p) {
        if (*p < '0' || *p > '9') return 0;
        v = v * 10 + (*p - '0');
        if (v > 0xFFFFFFFFll) return 0;
    }
    if (isSigned && (neg ? -v < -2147483648ll : v > 2147483647ll)) return 0;
    if (translated) *translated = TRUE;
    return static_cast<UINT>(neg ? -v : v);
}

void CWnd::CheckDlgButton(int id, UINT check) {
    if (CWnd* c = GetDlgItem(id)) c->SendMessage(0x00F1 /* BM_SETCHECK */, check, 0);
}

UINT CWnd::IsDlgButtonChecked(int id) const {
    CWnd* c = GetDlgItem(id);
    return c ? static_cast<UINT>(c->SendMessage(0x00F0 /* BM_GETCHECK */, 0, 0)) : 0;
}

void CWnd::CheckRadioButton(int firstId, int lastId, int checkId) {
    for (int id = firstId; id <= lastId; ++id) CheckDlgButton(id, id == checkId ? BST_CHECKED : BST_UNCHECKED);
}

int CWnd::GetCheckedRadioButton(int firstId, int lastId) {
    for (int id = firstId; id <= lastId; ++id)
        if (IsDlgButtonChecked(id)) return id;
    return 0;
}

LRESULT CWnd::SendDlgItemMessage(int id, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* c = GetDlgItem(id);
    return c ? c->SendMessage(message, wParam, lParam) : 0;
}

// Focus and capture.
CWnd* CWnd::SetFocus() {
    CWnd* old = GetFocus();
    if (m_pWidget) {
        m_pWidget->setFocus(Qt::OtherFocusReason);
        if (QApplication::focusWidget() != m_pWidget && old != this) {
            // Off screen the widget may not take focus; messages still follow the request.
            if (old) CallWnd(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(m_hWnd), 0);
            FocusOverride() = m_hWnd;
            CallWnd(this, WM_SETFOCUS, reinterpret_cast<WPARAM>(old ? old->m_hWnd : nullptr), 0);
        }
    }
    return old;
}

CWnd* CWnd::GetFocus() {
    if (HWND h = FocusOverride(); h && StateOf(h) && !QApplication::focusWidget()) return FromHandlePermanent(h);
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget())
        if (HWND h = HandleOfWidget(w)) return FromHandlePermanent(h);
    return nullptr;
}

CWnd* CWnd::SetCapture() {
    CWnd* old = GetCapture();
    if (!StateOf(m_hWnd)) return old;
    if (m_pWidget) m_pWidget->grabMouse();
    g_capture = m_hWnd;
    // The window losing the capture hears which window took it.
    if (old && old != this) CallWnd(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(m_hWnd));
    return old;
}

CWnd* CWnd::GetCapture() { return StateOf(g_capture) ? FromHandlePermanent(g_capture) : nullptr; }

HWND SetCapture(HWND hwnd) {
    CWnd* w = CWnd::FromHandlePermanent(hwnd);
    CWnd* old = w ? w->SetCapture() : nullptr;
    return old ? old->m_hWnd : nullptr;
}

BOOL ReleaseCapture() {
    if (WindowState* s = StateOf(g_capture); s && s->widget) s->widget->releaseMouse();
    HWND was = g_capture;
    g_capture = nullptr;
    if (CWnd* w = CWnd::FromHandlePermanent(was)) CallWnd(w, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND GetCapture() { return StateOf(g_capture) ? g_capture : nullptr; }

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc) { return ::SetTimer(m_hWnd, id, elapse, proc); }
BOOL CWnd::KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }

// Caret.
void CWnd::CreateSolidCaret(int width, int height) { ::CreateCaret(m_hWnd, nullptr, width, height); }
void CWnd::CreateGrayCaret(int width, int height) { ::CreateCaret(m_hWnd, nullptr, width, height); }
void CWnd::ShowCaret() { ::ShowCaret(m_hWnd); }
void CWnd::HideCaret() { ::HideCaret(m_hWnd); }
void CWnd::SetCaretPos(POINT p) { ::SetCaretPos(p.x, p.y); }
CPoint CWnd::GetCaretPos() {
    POINT p{0, 0};
    ::GetCaretPos(&p);
    return CPoint(p);
}

namespace {
void UpdateCaretArea() {
    CaretState& c = Caret();
    if (WindowState* s = StateOf(c.hwnd); s && s->widget) s->widget->update(c.rect.adjusted(-1, -1, 1, 1).translated(ClientOrigin(s)));
}
QTimer* BlinkTimer() {
    static QTimer* t = nullptr;
    if (!t) {
        t = new QTimer;
        QObject::connect(t, &QTimer::timeout, [] {
            Caret().blinkOn = !Caret().blinkOn;
            UpdateCaretArea();
        });
        t->start(static_cast<int>(GetDoubleClickTime() > 0 ? 530 : 530));
    }
    return t;
}
}  // namespace

BOOL CreateCaret(HWND hwnd, HBITMAP, int width, int height) {
    if (!StateOf(hwnd)) return FALSE;
    UpdateCaretArea();
    CaretState& c = Caret();
    c.hwnd = hwnd;
    c.rect = QRect(c.rect.topLeft(), QSize(width > 0 ? width : 1, height > 0 ? height : 16));
    c.hideCount = 1;
    BlinkTimer();
    return TRUE;
}

BOOL DestroyCaret() {
    UpdateCaretArea();
    Caret().hwnd = nullptr;
    return TRUE;
}

BOOL ShowCaret(HWND hwnd) {
    CaretState& c = Caret();
    if (hwnd && c.hwnd != hwnd) return FALSE;
    if (c.hideCount > 0) --c.hideCount;
    c.blinkOn = true;
    UpdateCaretArea();
    return TRUE;
}

BOOL HideCaret(HWND hwnd) {
    CaretState& c = Caret();
    if (hwnd && c.hwnd != hwnd) return FALSE;
    ++c.hideCount;
    UpdateCaretArea();
    return TRUE;
}

BOOL SetCaretPos(int x, int y) {
    UpdateCaretArea();
    Caret().rect.moveTo(x, y);
    Caret().blinkOn = true;
    UpdateCaretArea();
    return TRUE;
}

BOOL GetCaretPos(LPPOINT p) {
    if (!p) return FALSE;
    p->x = Caret().rect.x();
    p->y = Caret().rect.y();
    return TRUE;
}

UINT GetDoubleClickTime() { return static_cast<UINT>(QApplication::doubleClickInterval()); }

// Scroll bars.
int CWnd::SetScrollPos(int bar, int pos, BOOL) {
    WindowState* s = StateOf(m_hWnd);
    if (!s || bar < 0 || bar > 1) return 0;
    int old = s->scroll[bar].pos;
    s->scroll[bar].pos = pos;
    ApplyScroll(s, bar);
    return old;
}

int CWnd::GetScrollPos(int bar) const {
    WindowState* s = StateOf(m_hWnd);
    return s && bar >= 0 && bar <= 1 ? s->scroll[bar].pos : 0;
}

void CWnd::SetScrollRange(int bar, int minPos, int maxPos, BOOL redraw) {
    SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE, minPos, maxPos, 0, 0, 0};
    SetScrollInfo(bar, &si, redraw);
}

void CWnd::GetScrollRange(int bar, LPINT minPos, LPINT maxPos) const {
    WindowState* s = StateOf(m_hWnd);
    if (!s || bar < 0 || bar > 1) return;
    if (minPos) *minPos = s->scroll[bar].minPos;
    if (maxPos) *maxPos = s->scroll[bar].maxPos;
}

BOOL CWnd::SetScrollInfo(int bar, LPSCROLLINFO info, BOOL) {
    WindowState* s = StateOf(m_hWnd);
    if (!s || !info) return FALSE;
    if (bar == SB_BOTH) return SetScrollInfo(SB_HORZ, info) && SetScrollInfo(SB_VERT, info);
    if (bar < 0 || bar > 1) return FALSE;
    ScrollState& st = s->scroll[bar];
    if (info->fMask & SIF_RANGE) {
        st.minPos = info->nMin;
        st.maxPos = info->nMax;
    }
    if (info->fMask & SIF_PAGE) st.page = static_cast<int>(info->nPage);
    if (info->fMask & SIF_POS) st.pos = info->nPos;
    st.disableNoScroll = (info->fMask & SIF_DISABLENOSCROLL) != 0;
    ApplyScroll(s, bar);
    return TRUE;
}

BOOL CWnd::GetScrollInfo(int bar, LPSCROLLINFO info, UINT mask) {
    WindowState* s = StateOf(m_hWnd);
    if (!s || !info || bar < 0 || bar > 1) return FALSE;
    ScrollState& st = s->scroll[bar];
    info->fMask = mask;
    info->nMin = st.minPos;
    info->nMax = st.maxPos;
    info->nPage = static_cast<UINT>(st.page);
    info->nPos = st.pos;
    info->nTrackPos = st.trackPos;
    return TRUE;
}

int CWnd::GetScrollLimit(int bar) {
    WindowState* s = StateOf(m_hWnd);
    if (!s || bar < 0 || bar > 1) return 0;
    ScrollState& st = s->scroll[bar];
    int limit = st.maxPos - (st.page > 0 ? st.page - 1 : 0);
    return limit < st.minPos ? st.minPos : limit;
}

void CWnd::ShowScrollBar(UINT bar, BOOL show) {
    WindowState* s = StateOf(m_hWnd);
    if (!s) return;
    for (int b = 0; b < 2; ++b) {
        if (!(bar == SB_BOTH || static_cast<int>(bar) == b)) continue;
        MakeBar(s, b);
        s->scroll[b].visible = show != FALSE;
    }
    LayoutNonClient(s);
}

BOOL CWnd::EnableScrollBar(int bar, UINT arrows) {
    WindowState* s = StateOf(m_hWnd);
    if (!s) return FALSE;
    for (int b = 0; b < 2; ++b)
        if ((bar == SB_BOTH || bar == b) && s->scroll[b].bar) s->scroll[b].bar->setEnabled(arrows == 0);
    return TRUE;
}

CScrollBar* CWnd::GetScrollBarCtrl(int) const { return nullptr; }

int CWnd::MessageBox(LPCTSTR text, LPCTSTR caption, UINT type) { return ShowMessageBox(this, text, caption, type); }

void CWnd::OnUpdateCmdUI_Children(BOOL) {}

BOOL CWnd::GrabToFile(LPCTSTR path) {
    WindowState* s = StateOf(m_hWnd);
    if (!s || !s->widget || !path) return FALSE;
    QWidget* w = s->widget;
    if (!w->isVisible()) w->ensurePolished();
    QPixmap pm = w->grab();
    return pm.save(ToQ(path), "PNG") ? TRUE : FALSE;
}

// The handle-level calls.
BOOL IsWindow(HWND hwnd) { return IsLocalWindow(hwnd) || IsRemoteHandle(hwnd); }
BOOL IsWindowVisible(HWND hwnd) {
    if (IsRemoteHandle(hwnd)) return RemoteVisible(hwnd) == 1;
    CWnd* w = CWnd::FromHandlePermanent(hwnd);
    return w && w->IsWindowVisible();
}
BOOL IsWindowEnabled(HWND hwnd) {
    CWnd* w = CWnd::FromHandlePermanent(hwnd);
    return w && w->IsWindowEnabled();
}
BOOL IsIconic(HWND hwnd) {
    CWnd* w = CWnd::FromHandlePermanent(hwnd);
    return w && w->IsIconic();
}
BOOL IsZoomed(HWND hwnd) {
    CWnd* w = CWnd::FromHandlePermanent(hwnd);
    return w && w->IsZoomed();
}
BOOL ShowWindow(HWND hwnd, int cmd) {
    if (IsRemoteHandle(hwnd)) return RemoteShow(hwnd, cmd, false);
    CWnd* w = CWnd::FromHandlePermanent(hwnd);
    return w ? w->ShowWindow(cmd) : FALSE;
}
BOOL SetForegroundWindow(HWND hwnd) {
    if (IsRemoteHandle(hwnd)) return RemoteShow(hwnd, -1, true);
    CWnd* w = CWnd::FromHandlePermanent(hwnd);
    return w ? w->SetForegroundWindow() : FALSE;
}
BOOL BringWindowToTop(HWND hwnd) {
    if (IsRemoteHandle(hwnd)) return RemoteShow(hwnd, -1, true);
    CWnd* w = CWnd::FromHandlePermanent(hwnd);
    if (w) w->BringWindowToTop();
    return w != nullptr;
}
HWND GetForegroundWindow() {
    CWnd* w = CWnd::GetForegroundWindow();
    return w ? w->m_hWnd : nullptr;
}
BOOL DestroyWindow(HWND hwnd) {
    CWnd* w = CWnd::FromHandlePermanent(hwnd);
    return w ? w->DestroyWindow() : FALSE;
}
BOOL EnableWindow(HWND hwnd, BOOL enable) {
    CWnd* w = CWnd::FromHandlePermanent(hwnd);
    return w ? w->EnableWindow(enable) : FALSE;
}
HWND GetParent(HWND hwnd) {
    CWnd* w = CWnd::FromHandlePermanent(hwnd);
    CWnd* p = w ? w->GetParent() : nullptr;
    return p ? p->m_hWnd : nullptr;
}
HWND SetFocus(HWND hwnd) {
    CWnd* w = CWnd::FromHandlePermanent(hwnd);
    CWnd* old = w ? w->SetFocus() : nullptr;
    return old ? old->m_hWnd : nullptr;
}
HWND GetFocus() {
    CWnd* w = CWnd::GetFocus();
    return w ? w->m_hWnd : nullptr;
}
HWND GetDesktopWindow() { return nullptr; }
int GetWindowText(HWND hwnd, LPSTR text, int maxCount) {
    CWnd* w = CWnd::FromHandlePermanent(hwnd);
    if (!w) {
        if (text && maxCount > 0) text[0] = 0;
        return 0;
    }
    return w->GetWindowText(text, maxCount);
}
BOOL SetWindowText(HWND hwnd, LPCSTR text) {
    CWnd* w = CWnd::FromHandlePermanent(hwnd);
    if (w) w->SetWindowText(text);
    return w != nullptr;
}
BOOL InvalidateRect(HWND hwnd, LPCRECT rect, BOOL erase) {
    CWnd* w = CWnd::FromHandlePermanent(hwnd);
    if (w) w->InvalidateRect(rect, erase);
    return w != nullptr;
}
BOOL UpdateWindow(HWND hwnd) {
    CWnd* w = CWnd::FromHandlePermanent(hwnd);
    if (w) w->UpdateWindow();
    return w != nullptr;
}
BOOL GetClientRect(HWND hwnd, LPRECT rect) {
    WindowState* s = StateOf(hwnd);
    if (!s || !rect) return FALSE;
    QRect c = ClientRectQ(s);
    ::SetRect(rect, 0, 0, c.width(), c.height());
    return TRUE;
}
BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
    CWnd* w = CWnd::FromHandlePermanent(hwnd);
    if (!w || !rect) return FALSE;
    w->GetWindowRect(rect);
    return TRUE;
}
BOOL GetCursorPos(LPPOINT p) {
    if (!p) return FALSE;
    QPoint q = QCursor::pos();
    p->x = q.x();
    p->y = q.y();
    return TRUE;
}
BOOL SetCursorPos(int x, int y) {
    QCursor::setPos(x, y);
    return TRUE;
}
short GetKeyState(int vk) {
    Qt::MouseButtons b = QGuiApplication::mouseButtons();
    bool down = false;
    switch (vk) {
    // Modifiers as the messages being handled had them.
    case VK_SHIFT: down = KeyIsDown(VK_SHIFT); break;
    case VK_CONTROL: down = KeyIsDown(VK_CONTROL); break;
    case VK_MENU: down = KeyIsDown(VK_MENU); break;
    case VK_LBUTTON: down = b & Qt::LeftButton; break;
    case VK_RBUTTON: down = b & Qt::RightButton; break;
    case VK_MBUTTON: down = b & Qt::MiddleButton; break;
    default: down = KeyIsDown(static_cast<UINT>(vk)); break;
    }
    // The high bit: down; the low bit: toggled (Caps Lock, Num Lock, ... on).
    int state = (down ? 0x8000 : 0) | (KeyIsToggled(static_cast<UINT>(vk)) ? 1 : 0);
    return static_cast<short>(state);
}
short GetAsyncKeyState(int vk) {
    Qt::KeyboardModifiers m = QGuiApplication::queryKeyboardModifiers();
    if (vk == VK_SHIFT) return (m & Qt::ShiftModifier) ? static_cast<short>(0x8000) : 0;
    if (vk == VK_CONTROL) return (m & Qt::ControlModifier) ? static_cast<short>(0x8000) : 0;
    if (vk == VK_MENU) return (m & Qt::AltModifier) ? static_cast<short>(0x8000) : 0;
    return static_cast<short>(GetKeyState(vk) & 0x8000);
}
BOOL MessageBeep(UINT) {
    QApplication::beep();
    return TRUE;
}
