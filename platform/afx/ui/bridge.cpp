// The bridge between window-system events and window messages: input becomes
// WM_ mouse and key messages (queued while a message pump collects them, so
// PeekMessage sees them in order), paint events run WM_PAINT into the
// window's surface, and resize, move, focus, close and drop events become the
// matching messages. Events a window leaves to default processing go on to
// the widget.
#include <QAbstractScrollArea>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>

#include "platform/afx/ui/drawstate.h"
#include "platform/afx/ui/testing.h"
#include "platform/afx/ui/ui_private.h"
#include "platform/afx/ui/window_widget.h"
#include "platform/win/path.h"

namespace afx_detail {

namespace {
thread_local MessageFrame* t_frame = nullptr;
thread_local int t_replaying = 0;
thread_local HWND t_focusLost = nullptr;  // the window the last FocusOut left

UINT KeyFlags(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons) {
    UINT f = 0;
    if (buttons & Qt::LeftButton) f |= MK_LBUTTON;
    if (buttons & Qt::RightButton) f |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton) f |= MK_MBUTTON;
    if (mods & Qt::ShiftModifier) f |= MK_SHIFT;
    if (mods & Qt::ControlModifier) f |= MK_CONTROL;
    return f;
}

LPARAM PackPoint(QPoint p) { return MAKELPARAM(static_cast<WORD>(p.x()), static_cast<WORD>(p.y())); }

bool IsInput(QEvent::Type t) {
    switch (t) {
    case QEvent::InputMethod:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
        return true;
    default:
        return false;
    }
}
// The key message of a key event and its lParam: a repeat count of one, the
// scan code, Alt's context bit, and the previous-state and transition bits.
UINT KeyMessage(const QKeyEvent* k) {
    bool alt = (k->modifiers() & Qt::AltModifier) != 0;
    if (k->type() == QEvent::KeyPress) return alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
    return alt ? WM_SYSKEYUP : WM_KEYUP;
}

LPARAM KeyLParam(const QKeyEvent* k) {
    LPARAM lp = 1 | (static_cast<LPARAM>(k->nativeScanCode() & 0xFF) << 16);
    if (k->modifiers() & Qt::AltModifier) lp |= (1 << 29);
    if (k->type() != QEvent::KeyPress) lp |= (static_cast<LPARAM>(3) << 30);
    else if (k->isAutoRepeat()) lp |= (1 << 30);
    return lp;
}

// WM_MOUSEWHEEL: key state and turn in wParam, the screen point in lParam.
WPARAM WheelWParam(const QWheelEvent* w) {
    UINT flags = KeyFlags(w->modifiers(), w->buttons());
    return MAKEWPARAM(static_cast<WORD>(flags), static_cast<WORD>(static_cast<short>(w->angleDelta().y())));
}
LPARAM WheelLParam(const QWheelEvent* w) { return PackPoint(w->globalPosition().toPoint()); }

// The text an input method committed, in the code page: one WM_CHAR a byte.
CString CommittedBytes(const QInputMethodEvent* e) { return FromQ(e->commitString()); }
}  // namespace

MessageFrame* CurrentFrame() { return t_frame; }

LRESULT CallWnd(CWnd* wnd, UINT message, WPARAM wParam, LPARAM lParam, bool* defaultCalled) {
    MessageFrame frame;
    frame.msg.hwnd = wnd->m_hWnd;
    frame.msg.message = message;
    frame.msg.wParam = wParam;
    frame.msg.lParam = lParam;
    frame.outer = t_frame;
    t_frame = &frame;
    LRESULT r = 0;
    try {
        r = CallWindowChain(wnd, message, wParam, lParam);
    } catch (...) {
        t_frame = frame.outer;
        throw;
    }
    t_frame = frame.outer;
    if (defaultCalled) *defaultCalled = frame.defaultCalled;
    return r;
}

QPoint ClientOrigin(const WindowState* s) { return QPoint(s->nc.left(), s->nc.top()); }

QRect ClientRectQ(const WindowState* s) {
    if (!s->widget) return QRect();
    QRect r = s->widget->rect().marginsRemoved(s->nc);
    if (r.width() < 0) r.setWidth(0);
    if (r.height() < 0) r.setHeight(0);
    return r;
}

void LayoutNonClient(WindowState* s) {
    if (!s->widget) return;
    int top = 0;
    if (s->menuBar) {
        int h = s->menuBar->sizeHint().height();
        s->menuBar->setGeometry(0, 0, s->widget->width(), h);
        top = h;
    }
    int ext = QApplication::style() ? 16 : 16;
    bool v = s->scroll[SB_VERT].visible, h = s->scroll[SB_HORZ].visible;
    int right = v ? ext : 0, bottom = h ? ext : 0;
    s->nc = QMargins(0, top, right, bottom);
    if (auto* bar = s->scroll[SB_VERT].bar) {
        bar->setVisible(v);
        bar->setGeometry(s->widget->width() - ext, top, ext, s->widget->height() - top - bottom);
    }
    if (auto* bar = s->scroll[SB_HORZ].bar) {
        bar->setVisible(h);
        bar->setGeometry(0, s->widget->height() - ext, s->widget->width() - right, ext);
    }
}

namespace {
// Sends a message that came from the window system, noting whether default processing was asked for.
bool Send(CWnd* wnd, UINT message, WPARAM wp, LPARAM lp, LRESULT* result = nullptr) {
    bool def = false;
    LRESULT r = CallWnd(wnd, message, wp, lp, &def);
    if (result) *result = r;
    return def;
}

// Widget-local position -> window client position.
QPoint ToClient(WindowState* s, QObject* receiver, QPointF local) {
    QPoint p = local.toPoint();
    if (auto* w = qobject_cast<QWidget*>(receiver); w && w != s->widget && s->widget)
        p = w->mapTo(s->widget, p);
    return p - ClientOrigin(s);
}

// The window being moved by its caption, if any.
struct CaptionDrag {
    HWND hwnd = nullptr;
    QPoint startGlobal;
    QPoint startOrigin;
};
CaptionDrag& TheCaptionDrag() {
    static CaptionDrag drag;
    return drag;
}

struct HDropData {
    std::vector<CString> files;
    POINT pt;
};
}  // namespace

void BeginCaptionDrag(HWND hwnd, POINT global) {
    WindowState* s = StateOf(hwnd);
    if (!s || !s->wnd) return;
    CRect r;
    s->wnd->GetWindowRect(&r);
    CaptionDrag& d = TheCaptionDrag();
    d.hwnd = hwnd;
    d.startGlobal = QPoint(global.x, global.y);
    d.startOrigin = QPoint(r.left, r.top);
}

void ReportSize(WindowState* s) {
    if (!s || !s->widget) return;
    LayoutNonClient(s);
    QRect c = ClientRectQ(s);
    if (c.size() == s->reportedSize) return;
    s->reportedSize = c.size();
    if (s->ownsPainting) s->invalid = QRegion(QRect(QPoint(0, 0), c.size()));
    QWidget* w = s->widget;
    UINT kind = w->isMaximized() ? SIZE_MAXIMIZED : w->isMinimized() ? SIZE_MINIMIZED : SIZE_RESTORED;
    Send(s->wnd, WM_SIZE, kind, MAKELPARAM(static_cast<WORD>(c.width()), static_cast<WORD>(c.height())));
}

void DeliverInput(HWND hwnd, QEvent* e, QObject* receiver) {
    WindowState* s = StateOf(hwnd);
    if (!s || !s->wnd || !s->widget) return;
    CWnd* wnd = s->wnd;
    QPointer<QWidget> widget = s->widget;
    if (!receiver) {
        auto* area = qobject_cast<QAbstractScrollArea*>(widget.data());
        receiver = area ? area->viewport() : widget.data();
    }
    bool def = true;
    SetModifiersFrom(e);
    switch (e->type()) {
    case QEvent::InputMethod: {
        CString bytes = CommittedBytes(static_cast<QInputMethodEvent*>(e));
        for (int i = 0; i < bytes.GetLength() && StateOf(hwnd); ++i) {
            bool d = Send(wnd, WM_CHAR, static_cast<BYTE>(bytes[i]), 1);
            def = def && d;
        }
        break;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto* k = static_cast<QKeyEvent*>(e);
        UINT vk = VirtualKeyOf(k->key());
        if (vk) SetKeyDown(vk, e->type() == QEvent::KeyPress);
        bool alt = (k->modifiers() & Qt::AltModifier) != 0;
        bool press = e->type() == QEvent::KeyPress;
        LPARAM lp = KeyLParam(k);
        if (vk) def = Send(wnd, KeyMessage(k), vk, lp);
        if (press && !k->text().isEmpty() && StateOf(hwnd)) {
            // Each byte of the character in the ANSI code page is one WM_CHAR, lead byte first.
            CString bytes = FromQ(k->text());
            for (int i = 0; i < bytes.GetLength() && StateOf(hwnd); ++i) {
                bool d = Send(wnd, alt ? WM_SYSCHAR : WM_CHAR, static_cast<BYTE>(bytes[i]), lp);
                def = def && d;
            }
        }
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        auto* m = static_cast<QMouseEvent*>(e);
        const QPoint global = m->globalPosition().toPoint();
        if (CaptionDrag& drag = TheCaptionDrag(); drag.hwnd) {
            // The window follows the mouse until the button comes up.
            if (drag.hwnd == hwnd && e->type() == QEvent::MouseMove) {
                const QPoint to = drag.startOrigin + (global - drag.startGlobal);
                wnd->SetWindowPos(nullptr, to.x(), to.y(), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
                return;
            }
            if (e->type() == QEvent::MouseButtonRelease) {
                const bool ours = drag.hwnd == hwnd;
                drag = CaptionDrag{};
                if (ours) return;
            }
        }
        if (e->type() == QEvent::MouseButtonPress && m->button() == Qt::LeftButton) {
            // Where the window says the press landed: on its caption it is moved.
            LRESULT hit = HTCLIENT;
            Send(wnd, WM_NCHITTEST, 0, PackPoint(global), &hit);
            if (!StateOf(hwnd)) return;
            if (hit == HTCAPTION) {
                Send(wnd, WM_NCLBUTTONDOWN, HTCAPTION, PackPoint(global));
                return;
            }
        }
        QPoint p = ToClient(s, receiver, m->position());
        UINT flags = KeyFlags(m->modifiers(), m->buttons());
        UINT msg = WM_MOUSEMOVE;
        int base = m->button() == Qt::RightButton ? WM_RBUTTONDOWN : m->button() == Qt::MiddleButton ? WM_MBUTTONDOWN : WM_LBUTTONDOWN;
        if (e->type() == QEvent::MouseButtonPress) msg = base;
        else if (e->type() == QEvent::MouseButtonRelease) msg = base + 1;
        else if (e->type() == QEvent::MouseButtonDblClick) msg = base + 2;
        if (msg == WM_MOUSEMOVE && !GetCapture()) {
            // The window picks its cursor (its default processing shows its own);
            // while the mouse is captured the drag keeps the cursor it set.
            Send(wnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
            if (!StateOf(hwnd)) return;
        }
        def = Send(wnd, msg, flags, PackPoint(p));
        if (msg == WM_RBUTTONUP && StateOf(hwnd)) {
            QPoint g = m->globalPosition().toPoint();
            Send(wnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), PackPoint(g));
        }
        break;
    }
    case QEvent::Wheel: {
        auto* w = static_cast<QWheelEvent*>(e);
        // A sideways turn alone is no WM_MOUSEWHEEL: it goes on to the widget.
        if (w->angleDelta().y() != 0) def = Send(wnd, WM_MOUSEWHEEL, WheelWParam(w), WheelLParam(w));
        break;
    }
    default:
        break;
    }
    if (def && widget && StateOf(hwnd)) {
        // The window left the event to the widget's own handling; a scroll
        // area takes the mouse through its viewport (positions are the viewport's).
        QEvent* copy = e->clone();
        ++t_replaying;
        QWidget* to = widget;
        if (auto* area = qobject_cast<QAbstractScrollArea*>(widget.data()); area && e->type() != QEvent::KeyPress && e->type() != QEvent::KeyRelease)
            to = area->viewport();
        QCoreApplication::sendEvent(to, copy);
        --t_replaying;
        delete copy;
    }
}

void PaintSurface(WindowState* s, const QRegion& region) {
    if (!s->widget) return;
    QSize size = ClientRectQ(s).size();
    if (s->surface.size() != size) {
        QImage next(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        next.fill(Qt::white);
        if (!s->surface.isNull()) {
            QPainter p(&next);
            p.drawImage(0, 0, s->surface);
        }
        s->surface = next;
        s->invalid = QRegion(QRect(QPoint(0, 0), size));
        s->erase = true;
    }
    s->invalid += region;
    if (s->invalid.isEmpty()) return;
    HWND hwnd = s->hwnd;
    CallWnd(s->wnd, WM_PAINT, 0, 0);
    if (WindowState* after = StateOf(hwnd)) {
        after->invalid = QRegion();
        after->erase = false;
    }
}

namespace {
// One filter for every window's widget.
class Bridge : public QObject {
public:
    bool eventFilter(QObject* obj, QEvent* e) override;
};

Bridge* TheBridge() {
    static Bridge* b = new Bridge;
    return b;
}
}  // namespace

void InstallBridge(QWidget* w) { w->installEventFilter(TheBridge()); }

bool Bridge::eventFilter(QObject* obj, QEvent* e) {
    auto* widget = qobject_cast<QWidget*>(obj);
    if (!widget) return false;
    HWND hwnd = HandleOfWidget(widget);
    if (!hwnd) return false;
    WindowState* s = StateOf(hwnd);
    if (!s || !s->wnd) return false;
    CWnd* wnd = s->wnd;
    QEvent::Type t = e->type();
    if (IsInput(t)) {
        if (t_replaying) return false;
        if (s->queue && s->queue->peekDepth.load() > 0) {
            // A pump is collecting messages: the input waits in the queue in order.
            QueuedMessage m;
            m.msg.hwnd = hwnd;
            // The message a pump sees carries the parameters the window will get.
            switch (t) {
            case QEvent::KeyPress:
            case QEvent::KeyRelease: {
                auto* k = static_cast<QKeyEvent*>(e);
                m.msg.message = KeyMessage(k);
                m.msg.wParam = VirtualKeyOf(k->key());
                m.msg.lParam = KeyLParam(k);
                break;
            }
            case QEvent::InputMethod: {
                CString bytes = CommittedBytes(static_cast<QInputMethodEvent*>(e));
                if (bytes.IsEmpty()) {  // composition in progress: nothing typed yet, nothing to queue
                    DeliverInput(hwnd, e);
                    return true;
                }
                m.msg.message = WM_CHAR;
                m.msg.wParam = static_cast<BYTE>(bytes[0]);
                m.msg.lParam = 1;
                break;
            }
            case QEvent::Wheel:
                m.msg.message = WM_MOUSEWHEEL;
                m.msg.wParam = WheelWParam(static_cast<QWheelEvent*>(e));
                m.msg.lParam = WheelLParam(static_cast<QWheelEvent*>(e));
                break;
            default: {
                auto* me = static_cast<QMouseEvent*>(e);
                UINT base = me->button() == Qt::RightButton ? WM_RBUTTONDOWN
                            : me->button() == Qt::MiddleButton ? WM_MBUTTONDOWN : WM_LBUTTONDOWN;
                m.msg.message = t == QEvent::MouseMove ? WM_MOUSEMOVE
                                : t == QEvent::MouseButtonPress ? base
                                : t == QEvent::MouseButtonRelease ? base + 1 : base + 2;
                m.msg.lParam = PackPoint(ToClient(s, obj, me->position()));
                m.msg.wParam = KeyFlags(me->modifiers(), me->buttons());
                break;
            }
            }
            m.input.reset(e->clone());
            s->queue->Post(std::move(m));
            return true;
        }
        DeliverInput(hwnd, e, obj);
        return true;
    }
    if (widget != s->widget) return false;  // helper widgets pass everything else
    switch (t) {
    case QEvent::Paint:
        if (s->ownsPainting) {
            // The surface keeps what was drawn, with or without WM_PAINT (a client DC's
            // drawing too): only what the window invalidated is painted again.
            PaintSurface(s, QRegion());
            if (!dynamic_cast<AfxWindowWidget*>(widget) && StateOf(hwnd)) {
                QPainter p(widget);
                p.drawImage(ClientOrigin(s), s->surface);
                return true;
            }
        }
        return false;
    case QEvent::Resize:
        ReportSize(s);
        return false;
    case QEvent::Move: {
        // Where the client area now starts: in the parent's client coordinates
        // for a child (below the parent's menu bar), on the screen for a top-level window.
        QPoint at = widget->mapToGlobal(ClientOrigin(s));
        if (!widget->isWindow())
            if (WindowState* ps = StateOf(HandleOfWidget(widget->parentWidget())); ps && ps->widget)
                at = ps->widget->mapFromGlobal(at) - ClientOrigin(ps);
        Send(wnd, WM_MOVE, 0, PackPoint(at));
        return false;
    }
    case QEvent::Show:
        Send(wnd, WM_SHOWWINDOW, TRUE, 0);
        return false;
    case QEvent::Hide:
        Send(wnd, WM_SHOWWINDOW, FALSE, 0);
        return false;
    case QEvent::Close:
        // The window decides: its default processing destroys it.
        e->ignore();
        Send(wnd, WM_CLOSE, 0, 0);
        return true;
    case QEvent::FocusIn: {
        // wParam names the window that lost the focus, lParam nothing.
        HWND lost = t_focusLost == hwnd ? nullptr : t_focusLost;
        t_focusLost = nullptr;
        Send(wnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(lost), 0);
        return false;
    }
    case QEvent::FocusOut: {
        // The window system has already chosen the window that gets the focus: wParam names it.
        HWND next = nullptr;
        for (QWidget* f = QApplication::focusWidget(); f && !next; f = f->parentWidget()) next = HandleOfWidget(f);
        t_focusLost = hwnd;
        Send(wnd, WM_KILLFOCUS, reinterpret_cast<WPARAM>(next == hwnd ? nullptr : next), 0);
        return false;
    }
    case QEvent::Leave:
        Send(wnd, WM_MOUSELEAVE, 0, 0);
        return false;
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
        // A top-level window gained or lost the activation.
        if (widget->isWindow()) Send(wnd, WM_ACTIVATE, t == QEvent::WindowActivate ? WA_ACTIVE : WA_INACTIVE, 0);
        return false;
    case QEvent::EnabledChange:
        Send(wnd, WM_ENABLE, widget->isEnabled(), 0);
        return false;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* d = static_cast<QDropEvent*>(e);
        if (s->acceptFiles && d->mimeData()->hasUrls()) {
            d->acceptProposedAction();
            return true;
        }
        return false;
    }
    case QEvent::Drop: {
        auto* d = static_cast<QDropEvent*>(e);
        if (!s->acceptFiles || !d->mimeData()->hasUrls()) return false;
        auto* drop = new HDropData;
        // Dropped files are named as the program names every file: Windows-style.
        for (const QUrl& u : d->mimeData()->urls())
            if (u.isLocalFile()) drop->files.emplace_back(suite::WindowsPath(u.toLocalFile().toStdString()).c_str());
        QPoint p = ToClient(s, obj, d->position());
        drop->pt = POINT{p.x(), p.y()};
        d->acceptProposedAction();
        Send(wnd, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
        return true;
    }
    default:
        return false;
    }
}

}  // namespace afx_detail

using afx_detail::FromQ;

UINT DragQueryFile(HDROP drop, UINT index, LPSTR file, UINT size) {
    auto* d = reinterpret_cast<afx_detail::HDropData*>(drop);
    if (!d) return 0;
    if (index == 0xFFFFFFFFu) return static_cast<UINT>(d->files.size());
    if (index >= d->files.size()) return 0;
    const CString& f = d->files[index];
    UINT len = static_cast<UINT>(f.GetLength());
    if (!file || size == 0) return len;
    UINT n = len < size - 1 ? len : size - 1;
    std::memcpy(file, f.GetString(), n);
    file[n] = 0;
    return n;
}

BOOL DragQueryPoint(HDROP drop, LPPOINT point) {
    auto* d = reinterpret_cast<afx_detail::HDropData*>(drop);
    if (!d || !point) return FALSE;
    *point = d->pt;
    return TRUE;
}

void DragFinish(HDROP drop) { delete reinterpret_cast<afx_detail::HDropData*>(drop); }

BOOL AfxTestDropFiles(CWnd* wnd, const std::vector<std::string>& paths, POINT pt) {
    afx_detail::WindowState* s = wnd ? afx_detail::StateOf(wnd->m_hWnd) : nullptr;
    if (!s || !s->acceptFiles) return FALSE;
    auto* drop = new afx_detail::HDropData;
    for (const std::string& path : paths) drop->files.emplace_back(path.c_str());
    drop->pt = pt;
    afx_detail::CallWnd(wnd, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    return TRUE;
}

namespace {
Qt::KeyboardModifiers Mods(UINT m) {
    Qt::KeyboardModifiers q;
    if (m & MK_SHIFT) q |= Qt::ShiftModifier;
    if (m & MK_CONTROL) q |= Qt::ControlModifier;
    return q;
}
QWidget* InputTarget(CWnd* wnd) {
    afx_detail::WindowState* s = afx_detail::StateOf(wnd);
    if (!s || !s->widget) return nullptr;
    if (auto* area = qobject_cast<QAbstractScrollArea*>(s->widget.data())) return area->viewport();
    return s->widget;
}
}  // namespace

void AfxTestKey(CWnd* wnd, UINT vk, const char* text, UINT modifiers) {
    QWidget* w = InputTarget(wnd);
    if (!w) return;
    QPointer<QWidget> guard(w);
    int key = afx_detail::QtKeyOf(vk);
    QString t = text ? QString::fromUtf8(text) : QString();
    QKeyEvent down(QEvent::KeyPress, key, Mods(modifiers), t);
    QCoreApplication::sendEvent(w, &down);
    if (!guard) return;
    QKeyEvent up(QEvent::KeyRelease, key, Mods(modifiers), t);
    QCoreApplication::sendEvent(w, &up);
}

void AfxTestMouse(CWnd* wnd, UINT message, POINT pt, UINT modifiers, int wheelDelta) {
    afx_detail::WindowState* s = afx_detail::StateOf(wnd);
    QWidget* w = InputTarget(wnd);
    if (!s || !w) return;
    QPoint local = QPoint(pt.x, pt.y) + afx_detail::ClientOrigin(s);
    if (w != s->widget) local = w->mapFrom(s->widget, local);
    QPointF global = w->mapToGlobal(QPointF(local));
    if (message == WM_MOUSEWHEEL) {
        QWheelEvent e(QPointF(local), global, QPoint(), QPoint(0, wheelDelta), Qt::NoButton, Mods(modifiers),
                      Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(w, &e);
        return;
    }
    QEvent::Type type = QEvent::MouseMove;
    Qt::MouseButton button = Qt::NoButton;
    switch (message) {
    case WM_LBUTTONDOWN: type = QEvent::MouseButtonPress; button = Qt::LeftButton; break;
    case WM_LBUTTONUP: type = QEvent::MouseButtonRelease; button = Qt::LeftButton; break;
    case WM_LBUTTONDBLCLK: type = QEvent::MouseButtonDblClick; button = Qt::LeftButton; break;
    case WM_RBUTTONDOWN: type = QEvent::MouseButtonPress; button = Qt::RightButton; break;
    case WM_RBUTTONUP: type = QEvent::MouseButtonRelease; button = Qt::RightButton; break;
    case WM_RBUTTONDBLCLK: type = QEvent::MouseButtonDblClick; button = Qt::RightButton; break;
    default: break;
    }
    Qt::MouseButtons buttons = (type == QEvent::MouseButtonRelease || type == QEvent::MouseMove) ? Qt::NoButton : Qt::MouseButtons(button);
    if (modifiers & MK_LBUTTON) buttons |= Qt::LeftButton;
    QMouseEvent e(type, QPointF(local), global, button, buttons, Mods(modifiers));
    QCoreApplication::sendEvent(w, &e);
}

void AfxTestClick(CWnd* wnd, POINT pt) {
    HWND h = wnd->m_hWnd;
    AfxTestMouse(wnd, WM_LBUTTONDOWN, pt);
    if (afx_detail::StateOf(h)) AfxTestMouse(wnd, WM_LBUTTONUP, pt);
}
