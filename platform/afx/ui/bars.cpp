// Control bars: layout along the frame's edges, docking and floating, idle
// updates, and the tool, status, dialog and dock bars.
#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QToolTip>

#include <cstdlib>
#include <map>

#include "platform/afx/core/dc_qt.h"
#include "platform/afx/core/dib_qt.h"
#include "platform/afx/ui/bars.h"
#include "platform/afx/ui/controls.h"
#include "platform/afx/ui/dcwnd.h"
#include "platform/afx/ui/dialog.h"
#include "platform/afx/ui/ui_private.h"
#include "platform/win/memory.h"

using namespace afx_detail;

namespace {
const QColor kFace(0xF0, 0xF0, 0xF0);
const QColor kShadow(0xA0, 0xA0, 0xA0);
const QColor kHighlight(0xFF, 0xFF, 0xFF);

// Bars draw straight into the DC's image: keep that drawing inside the part
// being painted, as the DC's own drawing is, so nothing is drawn twice over
// what the erase left standing.
void ClipToPaint(QPainter& p, CDC* dc) {
    CRect box;
    if (::GetClipBox(dc->GetSafeHdc(), &box) != ERROR) p.setClipRect(QRect(box.left, box.top, box.Width(), box.Height()));
}

void Edge3D(QPainter& p, const QRect& r, bool sunken) {
    p.setPen(sunken ? kShadow : kHighlight);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(sunken ? kHighlight : kShadow);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
}

std::map<const CToolBar*, QImage>& Wells() {
    static std::map<const CToolBar*, QImage> m;
    return m;
}

CFrameWnd* FrameOf(CWnd* w) {
    CWnd* p = w->GetParent();
    while (p && !p->IsKindOf(RUNTIME_CLASS(CFrameWnd))) p = p->GetParent();
    return static_cast<CFrameWnd*>(p);
}

// The item at `index` of a bar's items, or null when there is none.
template <class Items>
auto* ItemAt(Items& items, int index) {
    return index >= 0 && static_cast<size_t>(index) < items.size() ? &items[static_cast<size_t>(index)] : nullptr;
}

// The style bits of a tool-bar button or status-bar pane; 0 when there is none.
template <class Items>
UINT ItemStyle(const Items& items, int index) {
    auto* item = ItemAt(items, index);
    return item ? item->style : 0;
}

// Sets an item's style bits and repaints just that item.
template <class Bar, class Items>
void SetItemStyle(Bar* bar, Items& items, int index, UINT style) {
    auto* item = ItemAt(items, index);
    if (!item) return;
    item->style = style;
    CRect r;
    bar->GetItemRect(index, &r);
    bar->InvalidateRect(&r);
}

// The edges in the order a bar docks at the first one it allows.
struct Edge {
    DWORD align;
    UINT id;
};
constexpr Edge kEdges[] = {{CBRS_ALIGN_TOP, AFX_IDW_DOCKBAR_TOP},
                           {CBRS_ALIGN_BOTTOM, AFX_IDW_DOCKBAR_BOTTOM},
                           {CBRS_ALIGN_LEFT, AFX_IDW_DOCKBAR_LEFT},
                           {CBRS_ALIGN_RIGHT, AFX_IDW_DOCKBAR_RIGHT}};

CDockBar* DockBarOf(CFrameWnd* frame, UINT id) {
    CControlBar* b = frame->GetControlBar(id);
    return b && b->IsKindOf(RUNTIME_CLASS(CDockBar)) ? static_cast<CDockBar*>(b) : nullptr;
}

// A drag shorter than this (in pixels, either way) is a click.
constexpr int kDragThreshold = 4;
// A bar dropped this close to a dock bar (or the edge where an empty one sits) docks there.
constexpr int kDockZone = 12;
constexpr DWORD kPlacementBits = CBRS_ALIGN_ANY | CBRS_BORDER_ANY | CBRS_FLOATING;
}  // namespace

// Control bars.
IMPLEMENT_DYNAMIC(CControlBar, CWnd)

BEGIN_MESSAGE_MAP(CControlBar, CWnd)
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUIMessage)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
END_MESSAGE_MAP()

CControlBar::CControlBar() = default;

CControlBar::~CControlBar() {
    if (m_pDockBar) m_pDockBar->RemoveControlBar(this);
    if (m_pDockSite) m_pDockSite->RemoveControlBar(this);
    if (m_hWnd) DestroyWindow();
}

BOOL CControlBar::CreateBar(CWnd* parent, DWORD style, UINT id, LPCTSTR name) {
    m_dwBarStyle = style & CBRS_ALL;
    DWORD ws = (style & ~CBRS_ALL) | WS_CHILD;
    if (!CreateEx(0, "AfxControlBar", name, ws, CRect(0, 0, 0, 0), parent, id)) return FALSE;
    m_strClass = "AfxControlBar";
    if (parent && parent->IsKindOf(RUNTIME_CLASS(CFrameWnd))) {
        m_pDockSite = static_cast<CFrameWnd*>(parent);
        m_pDockSite->AddControlBar(this);
    }
    SetOwner(parent);
    return TRUE;
}

void CControlBar::StretchToParent(CSize& size, BOOL horz) const {
    CRect r;
    if (CWnd* p = GetParent()) p->GetClientRect(&r);
    if (horz) size.cx = r.Width();
    else size.cy = r.Height();
}

CSize CControlBar::CalcFixedLayout(BOOL stretch, BOOL horz) {
    CSize s = m_sizeDefault;
    if (stretch) StretchToParent(s, horz);
    return s;
}

CSize CControlBar::CalcDynamicLayout(int, DWORD mode) {
    return CalcFixedLayout((mode & LM_STRETCH) != 0, (mode & LM_HORZ) != 0);
}

void CControlBar::DoPaint(CDC* dc) {
    QImage* img = dc ? AfxDCImage(dc->GetSafeHdc()) : nullptr;
    if (!img) return;
    QPainter p(img);
    ClipToPaint(p, dc);
    QRect r = img->rect();
    if (m_dwBarStyle & CBRS_BORDER_TOP) {
        p.setPen(kShadow);
        p.drawLine(r.topLeft(), r.topRight());
    }
    if (m_dwBarStyle & CBRS_BORDER_BOTTOM) {
        p.setPen(kShadow);
        p.drawLine(r.bottomLeft(), r.bottomRight());
    }
}

void CControlBar::OnPaint() {
    CPaintDC dc(this);
    DoPaint(&dc);
}

BOOL CControlBar::OnEraseBkgnd(CDC* dc) {
    // Through the DC, so only the part being painted is erased: a bar that
    // repaints one button must not lose the rest of what it drew.
    if (!dc) return TRUE;
    CRect client;
    GetClientRect(&client);
    dc->FillSolidRect(&client, RGB(kFace.red(), kFace.green(), kFace.blue()));
    return TRUE;
}

void CControlBar::DelayShow(BOOL show) { ShowWindow(show ? SW_SHOWNA : SW_HIDE); }
BOOL CControlBar::IsVisible() const { return IsWindowVisible(); }

void CControlBar::SetBarStyle(DWORD style) {
    m_dwBarStyle = style & CBRS_ALL;
    RecalcHolderLayout();
}

void CControlBar::EnableDocking(DWORD dockStyle) { m_dwDockStyle = dockStyle & CBRS_ALIGN_ANY; }

BOOL CControlBar::IsFloating() const { return m_pDockBar && m_pDockBar->m_bFloating; }

void CControlBar::RecalcHolderLayout() {
    if (m_pDockSite) m_pDockSite->RecalcLayout();
    else if (CFrameWnd* f = FrameOf(this)) f->RecalcLayout();
}

void CControlBar::ToggleDocking() {
    CFrameWnd* site = m_pDockSite;
    if (!site || !m_dwDockStyle || !m_pDockBar) return;
    if (IsFloating()) {
        site->DockControlBar(this, m_nLastDockID);
        return;
    }
    if (!site->m_pFloatingFrameClass) return;
    CPoint at = m_ptLastFloat;
    if (at.x == static_cast<int>(0x80000000)) {
        // Never floated: just inside where it is docked now.
        CRect r;
        GetWindowRect(&r);
        at = CPoint(r.left + 16, r.top + 16);
    }
    site->FloatControlBar(this, at, IsHorz() ? CBRS_ALIGN_TOP : CBRS_ALIGN_LEFT);
}

void CControlBar::OnLButtonDblClk(UINT, CPoint) {
    if (m_pDockSite && m_dwDockStyle && m_pDockBar) ToggleDocking();
    else Default();
}

void CControlBar::OnLButtonDown(UINT, CPoint point) {
    if (!m_pDockSite || !m_dwDockStyle || !m_pDockBar) {
        Default();
        return;
    }
    m_bDragging = TRUE;
    m_ptDragStart = point;
    ClientToScreen(&m_ptDragStart);
    SetCapture();
}

void CControlBar::OnLButtonUp(UINT, CPoint point) {
    if (!m_bDragging) {
        Default();
        return;
    }
    m_bDragging = FALSE;
    if (GetCapture() == this) ReleaseCapture();
    ClientToScreen(&point);
    CSize moved = point - m_ptDragStart;
    if (std::abs(moved.cx) < kDragThreshold && std::abs(moved.cy) < kDragThreshold) return;
    CRect r;
    GetWindowRect(&r);
    r.OffsetRect(moved);
    CFrameWnd* site = m_pDockSite;
    if (UINT id = site->DockBarFromPoint(point, m_dwDockStyle)) {
        site->DockControlBar(this, id, &r);
    } else if (site->m_pFloatingFrameClass) {
        // A floating bar's frame moves with it; a docked bar floats where it was dropped.
        site->FloatControlBar(this, r.TopLeft(), IsHorz() ? CBRS_ALIGN_TOP : CBRS_ALIGN_LEFT);
    }
}

int CControlBar::GetCount() const { return m_nCount; }

void CControlBar::CalcInsideRect(CRect& rect, BOOL horz) const {
    (void)horz;
    rect.left += m_cxLeftBorder;
    rect.right -= m_cxRightBorder;
    rect.top += m_cyTopBorder;
    rect.bottom -= m_cyBottomBorder;
}

void CControlBar::SetBorders(int l, int t, int r, int b) {
    m_cxLeftBorder = l;
    m_cyTopBorder = t;
    m_cxRightBorder = r;
    m_cyBottomBorder = b;
}

void CControlBar::PostNcDestroy() {
    if (m_pDockBar) m_pDockBar->RemoveControlBar(this);
    if (m_pDockSite) {
        m_pDockSite->RemoveControlBar(this);
        m_pDockSite = nullptr;
    }
    if (m_bAutoDelete) delete this;
}

BOOL CControlBar::PreTranslateMessage(MSG*) { return FALSE; }

LRESULT CControlBar::OnIdleUpdateCmdUIMessage(WPARAM wParam, LPARAM) {
    if (!IsWindowVisible()) return 0;
    CWnd* owner = GetOwner();
    CFrameWnd* target = owner && owner->IsKindOf(RUNTIME_CLASS(CFrameWnd)) ? static_cast<CFrameWnd*>(owner) : FrameOf(this);
    if (target) OnUpdateCmdUI(target, static_cast<BOOL>(wParam));
    return 0;
}

// Layout of bars along the edges of a window.
void CWnd::RepositionBars(UINT first, UINT last, UINT idLeftOver, UINT, LPRECT, LPCRECT clientRect, BOOL) {
    CRect r;
    if (clientRect) r = *clientRect;
    else GetClientRect(&r);
    std::vector<CControlBar*> bars;
    if (IsKindOf(RUNTIME_CLASS(CFrameWnd))) {
        // The frame's list also holds its docked and floating bars; only its own children are placed here.
        for (CControlBar* b : static_cast<CFrameWnd*>(this)->m_listControlBars)
            if (b->m_hWnd && b->GetParent() == this) bars.push_back(b);
    } else if (WindowState* s = StateOf(m_hWnd); s && s->widget) {
        for (QObject* o : s->widget->children())
            if (auto* w = qobject_cast<QWidget*>(o))
                if (CWnd* c = FromHandlePermanent(HandleOfWidget(w)); c && c != this && c->IsKindOf(RUNTIME_CLASS(CControlBar)))
                    bars.push_back(static_cast<CControlBar*>(c));
    }
    for (CControlBar* bar : bars) {
        UINT id = static_cast<UINT>(bar->GetDlgCtrlID());
        if (id < first || id > last) continue;
        auto* dock = bar->IsKindOf(RUNTIME_CLASS(CDockBar)) ? static_cast<CDockBar*>(bar) : nullptr;
        // A dock bar shows while it holds a visible bar; empty, it still marks its edge with no room taken.
        if (dock) dock->ShowWindow(dock->GetDockedVisibleCount() ? SW_SHOWNA : SW_HIDE);
        else if (!bar->IsWindowVisible()) continue;
        DWORD align = bar->m_dwBarStyle & CBRS_ALIGN_ANY;
        bool horz = (align & CBRS_ORIENT_HORZ) != 0 || align == 0;
        CSize size = bar->CalcDynamicLayout(-1, LM_STRETCH | (horz ? (LM_HORZ | LM_HORZDOCK) : LM_VERTDOCK));
        if (dock && !dock->GetDockedVisibleCount()) size = CSize(0, 0);
        CRect place;
        if (align & CBRS_ALIGN_BOTTOM) {
            place = CRect(r.left, r.bottom - size.cy, r.right, r.bottom);
            r.bottom -= size.cy;
        } else if (align & CBRS_ALIGN_LEFT) {
            place = CRect(r.left, r.top, r.left + size.cx, r.bottom);
            r.left += size.cx;
        } else if (align & CBRS_ALIGN_RIGHT) {
            place = CRect(r.right - size.cx, r.top, r.right, r.bottom);
            r.right -= size.cx;
        } else {
            place = CRect(r.left, r.top, r.right, r.top + size.cy);
            r.top += size.cy;
        }
        CRect now;
        bar->GetWindowRect(&now);
        ScreenToClient(&now);
        if (now != place) bar->MoveWindow(&place);
        if (dock) dock->LayoutBars();
    }
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    if (CWnd* pane = GetDlgItem(static_cast<int>(idLeftOver))) pane->MoveWindow(&r);
}

// The frame's bars.
void CFrameWnd::AddControlBar(CControlBar* bar) {
    if (std::find(m_listControlBars.begin(), m_listControlBars.end(), bar) == m_listControlBars.end())
        m_listControlBars.push_back(bar);
}

void CFrameWnd::RemoveControlBar(CControlBar* bar) {
    auto it = std::find(m_listControlBars.begin(), m_listControlBars.end(), bar);
    if (it != m_listControlBars.end()) m_listControlBars.erase(it);
}

CControlBar* CFrameWnd::GetControlBar(UINT id) {
    for (CControlBar* b : m_listControlBars)
        if (b->m_hWnd && static_cast<UINT>(b->GetDlgCtrlID()) == id) return b;
    return nullptr;
}

void CFrameWnd::EnableDocking(DWORD dockStyle) {
    m_dwDockStyle = dockStyle & CBRS_ALIGN_ANY;
    m_pFloatingFrameClass = RUNTIME_CLASS(CMiniDockFrameWnd);
    for (const Edge& e : kEdges) {
        if (!(dockStyle & e.align) || DockBarOf(this, e.id)) continue;
        auto* dock = new CDockBar;
        dock->m_bAutoDelete = TRUE;
        if (!dock->Create(this, WS_CHILD | WS_VISIBLE | e.align, e.id)) {
            delete dock;
            AfxThrowResourceException();
        }
    }
}

void CFrameWnd::DockControlBar(CControlBar* bar, UINT dockBarId, LPCRECT rect) {
    if (!bar || !bar->m_hWnd) return;
    DWORD allowed = bar->m_dwDockStyle ? bar->m_dwDockStyle : CBRS_ALIGN_ANY;
    CDockBar* dock = nullptr;
    if (dockBarId) {
        dock = DockBarOf(this, dockBarId);
    } else {
        for (const Edge& e : kEdges)
            if ((allowed & e.align) && (dock = DockBarOf(this, e.id))) break;
    }
    bar->m_pDockSite = this;
    AddControlBar(bar);
    if (dock) {
        dock->DockControlBar(bar, rect);
    } else {
        // No dock bar there: the bar becomes the frame's own child along that edge.
        DWORD align = 0;
        for (const Edge& e : kEdges)
            if (e.id == dockBarId || (!dockBarId && (allowed & e.align))) {
                align = e.align;
                break;
            }
        if (!align) align = bar->m_dwBarStyle & CBRS_ALIGN_ANY;
        CDockBar* old = bar->m_pDockBar;
        if (old) {
            CRect was;
            bar->GetWindowRect(&was);
            bar->SetParent(this);
            ScreenToClient(&was);
            bar->MoveWindow(&was);
            old->RemoveControlBar(bar);
        }
        bar->m_dwBarStyle = (bar->m_dwBarStyle & ~kPlacementBits) | align;
        // A newly docked bar goes inside the bars already on that edge.
        RemoveControlBar(bar);
        AddControlBar(bar);
    }
    RecalcLayout();
}

void CFrameWnd::FloatControlBar(CControlBar* bar, CPoint point, DWORD style) {
    if (!bar || !bar->m_hWnd) return;
    bar->m_pDockSite = this;
    AddControlBar(bar);
    bar->m_ptLastFloat = point;
    if (bar->IsFloating()) {
        // Already floating: its frame moves.
        if (CWnd* mini = bar->m_pDockBar->GetParent())
            mini->SetWindowPos(nullptr, point.x, point.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    if (bar->m_pDockBar) bar->m_nLastDockID = static_cast<UINT>(bar->m_pDockBar->GetDlgCtrlID());
    const CRuntimeClass* cls = m_pFloatingFrameClass ? m_pFloatingFrameClass : RUNTIME_CLASS(CMiniDockFrameWnd);
    CObject* made = cls->CreateObject();
    auto* mini = dynamic_cast<CMiniDockFrameWnd*>(made);
    if (!mini) {
        delete made;
        return;
    }
    DWORD orient = (style & CBRS_ORIENT_VERT) && !(style & CBRS_ORIENT_HORZ) ? CBRS_ALIGN_LEFT : CBRS_ALIGN_TOP;
    if (!mini->Create(this, orient)) return;  // a frame that failed to open has deleted itself
    CString title;
    bar->GetWindowText(title);
    mini->SetWindowText(title);
    bool shown = bar->GetWidget() && !bar->GetWidget()->isHidden();
    mini->m_wndDockBar.DockControlBar(bar);
    // Placed once shown, when its caption is known to the window system.
    if (shown) mini->ShowWindow(SW_SHOWNA);
    mini->RecalcLayout();
    mini->SetWindowPos(nullptr, point.x, point.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RecalcLayout();
}

void CFrameWnd::ShowControlBar(CControlBar* bar, BOOL show, BOOL) {
    if (!bar || !bar->m_hWnd) return;
    bar->ShowWindow(show ? SW_SHOWNA : SW_HIDE);
    if (bar->IsFloating()) {
        CWnd* mini = bar->m_pDockBar->GetParent();
        if (mini && mini->IsKindOf(RUNTIME_CLASS(CMiniDockFrameWnd))) {
            static_cast<CMiniDockFrameWnd*>(mini)->RecalcLayout();
            mini->ShowWindow(bar->m_pDockBar->GetDockedVisibleCount() ? SW_SHOWNA : SW_HIDE);
        }
    }
    RecalcLayout();
}

UINT CFrameWnd::DockBarFromPoint(CPoint point, DWORD dockStyle) {
    for (const Edge& e : kEdges) {
        CDockBar* dock = (dockStyle & e.align) ? DockBarOf(this, e.id) : nullptr;
        if (!dock) continue;
        CRect zone;
        dock->GetWindowRect(&zone);
        zone.InflateRect(kDockZone, kDockZone);
        if (zone.PtInRect(point)) return e.id;
    }
    return 0;
}

void CFrameWnd::RecalcFloatingFrames() {
    std::vector<CControlBar*> bars = m_listControlBars;
    for (CControlBar* bar : bars)
        if (bar->m_hWnd && bar->IsFloating())
            if (CWnd* mini = bar->m_pDockBar->GetParent(); mini && mini->IsKindOf(RUNTIME_CLASS(CMiniDockFrameWnd)))
                static_cast<CMiniDockFrameWnd*>(mini)->RecalcLayout();
}

void CFrameWnd::RecalcLayoutLater() { PostMessage(WM_SIZE, 0, 0); }

void CFrameWnd::OnUpdateControlBarMenu(CCmdUI* ui) {
    CControlBar* bar = GetControlBar(ui->m_nID);
    if (!bar) {
        ui->ContinueRouting();
        return;
    }
    ui->SetCheck(bar->IsWindowVisible() ? 1 : 0);
}

BOOL CFrameWnd::OnBarCheck(UINT id) {
    CControlBar* bar = GetControlBar(id);
    if (!bar) return FALSE;
    ShowControlBar(bar, !bar->IsWindowVisible(), FALSE);
    return TRUE;
}

// Dock bars.
IMPLEMENT_DYNAMIC(CDockBar, CControlBar)

CDockBar::CDockBar(BOOL floating) : m_bFloating(floating) { SetBorders(0, 0, 0, 0); }

CDockBar::~CDockBar() {
    for (CControlBar* b : m_arrBars)
        if (b->m_pDockBar == this) b->m_pDockBar = nullptr;
}

BOOL CDockBar::Create(CWnd* parent, DWORD style, UINT id) {
    if (!CreateBar(parent, style, id, nullptr)) return FALSE;
    // A dock bar only holds bars; it never docks or floats itself.
    m_dwDockStyle = 0;
    return TRUE;
}

CSize CDockBar::BarSize(CControlBar* bar) const {
    bool horz = IsHorz();
    if (m_bFloating) return bar->CalcDynamicLayout(-1, (horz ? LM_HORZ : 0) | LM_MRUWIDTH);
    return bar->CalcDynamicLayout(-1, horz ? (LM_HORZ | LM_HORZDOCK) : LM_VERTDOCK);
}

int CDockBar::GetDockedVisibleCount() const {
    int n = 0;
    for (CControlBar* b : m_arrBars)
        if (b->m_hWnd && b->GetWidget() && !b->GetWidget()->isHidden()) ++n;
    return n;
}

CSize CDockBar::CalcFixedLayout(BOOL stretch, BOOL horz) {
    CSize s(0, 0);
    for (CControlBar* b : m_arrBars) {
        if (!b->m_hWnd || !b->GetWidget() || b->GetWidget()->isHidden()) continue;
        CSize bs = BarSize(b);
        if (horz) {
            s.cy += bs.cy;
            s.cx = std::max(s.cx, bs.cx);
        } else {
            s.cx += bs.cx;
            s.cy = std::max(s.cy, bs.cy);
        }
    }
    if (stretch) StretchToParent(s, horz);
    return s;
}

void CDockBar::LayoutBars() {
    bool horz = IsHorz();
    int at = 0;
    for (CControlBar* b : m_arrBars) {
        if (!b->m_hWnd || !b->GetWidget() || b->GetWidget()->isHidden()) continue;
        CSize bs = BarSize(b);
        CRect place = horz ? CRect(0, at, bs.cx, at + bs.cy) : CRect(at, 0, at + bs.cx, bs.cy);
        at += horz ? bs.cy : bs.cx;
        CRect now;
        b->GetWindowRect(&now);
        ScreenToClient(&now);
        if (now != place) b->MoveWindow(&place);
    }
    Invalidate();
}

void CDockBar::DockControlBar(CControlBar* bar, LPCRECT rect) {
    if (!bar || !bar->m_hWnd) return;
    CDockBar* old = bar->m_pDockBar;
    if (old != this) {
        bar->SetParent(this);
    } else {
        auto it = std::find(m_arrBars.begin(), m_arrBars.end(), bar);
        if (it != m_arrBars.end()) m_arrBars.erase(it);
    }
    // Its place: before the first bar lying further down (or right) than `rect`, else last.
    auto pos = m_arrBars.end();
    if (rect) {
        for (auto it = m_arrBars.begin(); it != m_arrBars.end(); ++it) {
            CRect r;
            (*it)->GetWindowRect(&r);
            if (IsHorz() ? rect->top < r.top + r.Height() / 2 : rect->left < r.left + r.Width() / 2) {
                pos = it;
                break;
            }
        }
    }
    m_arrBars.insert(pos, bar);
    bar->m_pDockBar = this;
    DWORD align = m_dwBarStyle & CBRS_ALIGN_ANY;
    bar->m_dwBarStyle = (bar->m_dwBarStyle & ~kPlacementBits) | align | (m_bFloating ? CBRS_FLOATING : 0);
    if (!m_bFloating) bar->m_nLastDockID = static_cast<UINT>(GetDlgCtrlID());
    // The old holder lets it go only now that it sits here: a floating frame left empty closes.
    if (old && old != this) old->RemoveControlBar(bar);
}

BOOL CDockBar::RemoveControlBar(CControlBar* bar) {
    auto it = std::find(m_arrBars.begin(), m_arrBars.end(), bar);
    if (it == m_arrBars.end()) return FALSE;
    m_arrBars.erase(it);
    if (bar->m_pDockBar == this) bar->m_pDockBar = nullptr;
    if (m_bFloating && m_arrBars.empty() && m_hWnd)
        if (CWnd* mini = GetParent(); mini && mini->IsKindOf(RUNTIME_CLASS(CMiniDockFrameWnd)) &&
                                      !static_cast<CMiniDockFrameWnd*>(mini)->m_bDestroying)
            mini->DestroyWindow();
    return TRUE;
}

// Floating frames.
IMPLEMENT_DYNCREATE(CMiniFrameWnd, CFrameWnd)

BOOL CMiniFrameWnd::Create(LPCTSTR className, LPCTSTR title, DWORD style, const RECT& rect, CWnd* parent, UINT) {
    if (!CFrameWnd::Create(className, title, style & ~WS_VISIBLE, rect, parent)) return FALSE;
    // A tool window: small caption, kept above its owner, no task-bar entry.
    if (m_pWidget) m_pWidget->setWindowFlag(Qt::Tool, true);
    if (style & WS_VISIBLE) ShowWindow(SW_SHOWNA);
    return TRUE;
}

IMPLEMENT_DYNCREATE(CMiniDockFrameWnd, CMiniFrameWnd)

BEGIN_MESSAGE_MAP(CMiniDockFrameWnd, CMiniFrameWnd)
    ON_WM_CLOSE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CMiniDockFrameWnd::CMiniDockFrameWnd() : m_wndDockBar(TRUE) {}

BOOL CMiniDockFrameWnd::Create(CWnd* parent, DWORD barStyle) {
    if (!CMiniFrameWnd::Create(nullptr, nullptr, WS_POPUP | WS_CAPTION | WS_SYSMENU, CRect(0, 0, 40, 40), parent))
        return FALSE;
    DWORD align = (barStyle & CBRS_ORIENT_VERT) && !(barStyle & CBRS_ORIENT_HORZ) ? CBRS_ALIGN_LEFT : CBRS_ALIGN_TOP;
    if (!m_wndDockBar.Create(this, WS_CHILD | WS_VISIBLE | align, AFX_IDW_DOCKBAR_FLOAT)) {
        DestroyWindow();
        return FALSE;
    }
    return TRUE;
}

void CMiniDockFrameWnd::OnDestroy() {
    // Its bars going with it must not close it a second time.
    m_bDestroying = TRUE;
    CMiniFrameWnd::OnDestroy();
}

void CMiniDockFrameWnd::RecalcLayout(BOOL) {
    if (!m_hWnd || !m_wndDockBar.m_hWnd || m_bInRecalc) return;
    m_bInRecalc = true;
    CSize s = m_wndDockBar.CalcFixedLayout(FALSE, m_wndDockBar.IsHorz());
    if (s.cx < 1) s.cx = 1;
    if (s.cy < 1) s.cy = 1;
    CRect window, client;
    GetWindowRect(&window);
    GetClientRect(&client);
    int cx = s.cx + window.Width() - client.Width(), cy = s.cy + window.Height() - client.Height();
    if (window.Width() != cx || window.Height() != cy)
        SetWindowPos(nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_wndDockBar.MoveWindow(0, 0, s.cx, s.cy);
    m_wndDockBar.LayoutBars();
    m_bInRecalc = false;
}

void CMiniDockFrameWnd::OnClose() {
    // Closing hides the bars; they stay the frame's and can be shown again.
    std::vector<CControlBar*> bars = m_wndDockBar.m_arrBars;
    for (CControlBar* b : bars) {
        if (b->m_pDockSite) b->m_pDockSite->ShowControlBar(b, FALSE, FALSE);
        else b->ShowWindow(SW_HIDE);
    }
    ShowWindow(SW_HIDE);
}

// Update handlers of bar items. Tool and status bars keep an item's state in
// its style bits; a bit is written only when it changes, so that nothing is
// repainted for an update that changes nothing.
namespace {
template <class Bar, UINT (Bar::*Get)(int) const, void (Bar::*Set)(int, UINT), UINT Disabled>
class CBarItemCmdUI : public CCmdUI {
public:
    void Enable(BOOL on) override {
        m_bEnableChanged = TRUE;
        Change(Disabled, on ? 0 : Disabled);
    }

protected:
    void Change(UINT remove, UINT add) {
        auto* bar = static_cast<Bar*>(m_pOther);
        int index = static_cast<int>(m_nIndex);
        UINT style = (bar->*Get)(index);
        UINT next = (style & ~remove) | add;
        if (next != style) (bar->*Set)(index, next);
    }
};

// Runs `state` over `items` of `bar`, skipping those `skip` says have no command.
template <class Items, class Skip>
void UpdateBarItems(CCmdUI& state, CControlBar* bar, const Items& items, CFrameWnd* target, BOOL disableIfNoHandler,
                    Skip skip) {
    state.m_pOther = bar;
    state.m_nIndexMax = static_cast<UINT>(items.size());
    for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex) {
        const auto& item = items[state.m_nIndex];
        if (skip(item)) continue;
        state.m_nID = item.id;
        state.DoUpdate(target, disableIfNoHandler);
    }
}
}  // namespace

// Tool bars.
namespace {
class CToolCmdUI : public CBarItemCmdUI<CToolBar, &CToolBar::GetButtonStyle, &CToolBar::SetButtonStyle, TBBS_DISABLED> {
public:
    void SetCheck(int check) override {
        Change(TBBS_CHECKED | TBBS_INDETERMINATE,
               TBBS_CHECKBOX | (check == 1 ? TBBS_CHECKED : check == 2 ? TBBS_INDETERMINATE : 0));
    }
    void SetText(LPCTSTR) override {}
};
constexpr int kSeparator = 8;
}  // namespace

IMPLEMENT_DYNAMIC(CToolBar, CControlBar)

BEGIN_MESSAGE_MAP(CToolBar, CControlBar)
    ON_WM_PAINT()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDBLCLK()
END_MESSAGE_MAP()

CToolBar::CToolBar() { SetBorders(2, 2, 2, 2); }
CToolBar::~CToolBar() { Wells().erase(this); }

BOOL CToolBar::Create(CWnd* parent, DWORD style, UINT id) { return CreateBar(parent, style, id, "Toolbar"); }

BOOL CToolBar::CreateEx(CWnd* parent, DWORD, DWORD style, CRect borders, UINT id) {
    if (!Create(parent, style, id)) return FALSE;
    if (!borders.IsRectNull()) SetBorders(borders.left, borders.top, borders.right, borders.bottom);
    return TRUE;
}

BOOL CToolBar::LoadToolBar(LPCTSTR name) {
    CToolBarTemplate t;
    // The module that holds the tool bar: the current one, else the program's.
    if (!AfxLoadToolBarTemplate(AfxFindResourceHandle(name, RT_TOOLBAR), name, t)) return FALSE;
    std::vector<UINT> ids(t.ids.begin(), t.ids.end());
    m_sizeImage = CSize(t.width, t.height);
    m_sizeButton = CSize(t.width + 7, t.height + 7);
    if (!SetButtons(ids.data(), static_cast<int>(ids.size()))) return FALSE;
    return LoadBitmap(name);
}

BOOL CToolBar::LoadBitmap(LPCTSTR name) {
    HDIB dib = AfxLoadDIBResource(AfxFindResourceHandle(name, RT_BITMAP), name);
    if (!dib) return FALSE;
    void* bits = GlobalLock(dib);
    QImage img = AfxDibToImage(bits, GlobalSize(dib));
    GlobalUnlock(dib);
    GlobalFree(dib);
    if (img.isNull()) return FALSE;
    Wells()[this] = img.convertToFormat(QImage::Format_ARGB32);
    Invalidate();
    return TRUE;
}

BOOL CToolBar::SetBitmap(HBITMAP bitmap) {
    QImage img = AfxBitmapImage(bitmap);
    if (img.isNull()) return FALSE;
    m_hbmImageWell = bitmap;
    Wells()[this] = img.convertToFormat(QImage::Format_ARGB32);
    Invalidate();
    return TRUE;
}

BOOL CToolBar::SetButtons(const UINT* ids, int count) {
    m_buttons.clear();
    int image = 0;
    for (int i = 0; i < count; ++i) {
        Button b;
        b.id = ids ? ids[i] : 0;
        if (b.id == ID_SEPARATOR) {
            b.style = TBBS_SEPARATOR;
        } else {
            b.image = image++;
        }
        m_buttons.push_back(b);
    }
    m_nCount = count;
    RecalcHolderLayout();
    Invalidate();
    return TRUE;
}

void CToolBar::SetSizes(SIZE button, SIZE image) {
    m_sizeButton = button;
    m_sizeImage = image;
    RecalcHolderLayout();
    Invalidate();
}

void CToolBar::SetHeight(int height) { m_sizeButton.cy = height - m_cyTopBorder - m_cyBottomBorder; }

int CToolBar::CommandToIndex(UINT id) const {
    for (size_t i = 0; i < m_buttons.size(); ++i)
        if (m_buttons[i].id == id && !(m_buttons[i].style & TBBS_SEPARATOR)) return static_cast<int>(i);
    return -1;
}

UINT CToolBar::GetItemID(int index) const {
    const Button* b = ItemAt(m_buttons, index);
    return b ? b->id : 0;
}

void CToolBar::GetItemRect(int index, LPRECT rect) const {
    int x = m_cxLeftBorder, y = m_cyTopBorder;
    bool vert = (m_dwBarStyle & CBRS_ORIENT_VERT) && !(m_dwBarStyle & CBRS_ORIENT_HORZ);
    for (int i = 0; i < static_cast<int>(m_buttons.size()); ++i) {
        const Button& b = m_buttons[static_cast<size_t>(i)];
        if (b.style & TBBS_HIDDEN) continue;
        int extent = (b.style & TBBS_SEPARATOR) ? (b.image > 0 ? b.image : kSeparator) : (vert ? m_sizeButton.cy : m_sizeButton.cx);
        if (i == index) {
            if (vert) ::SetRect(rect, x, y, x + m_sizeButton.cx, y + extent);
            else ::SetRect(rect, x, y, x + extent, y + m_sizeButton.cy);
            return;
        }
        if (vert) y += extent;
        else x += extent;
    }
    ::SetRectEmpty(rect);
}

UINT CToolBar::GetButtonStyle(int index) const { return ItemStyle(m_buttons, index); }
void CToolBar::SetButtonStyle(int index, UINT style) {
    UINT old = GetButtonStyle(index);
    SetItemStyle(this, m_buttons, index, style);
    // Hiding or showing a button (or making it a separator) moves every item
    // after it and changes the bar's length: all of it is laid out and drawn again.
    if (ItemAt(m_buttons, index) && ((old ^ style) & (TBBS_HIDDEN | TBBS_SEPARATOR))) {
        RecalcHolderLayout();
        Invalidate();
    }
}

void CToolBar::GetButtonInfo(int index, UINT& id, UINT& style, int& image) const {
    id = GetItemID(index);
    style = GetButtonStyle(index);
    const Button* b = ItemAt(m_buttons, index);
    image = b ? b->image : -1;
}

void CToolBar::SetButtonInfo(int index, UINT id, UINT style, int image) {
    Button* b = ItemAt(m_buttons, index);
    if (!b) return;
    b->id = id;
    b->style = style;
    b->image = image;  // for a separator: its width
    RecalcHolderLayout();
    Invalidate();
}

BOOL CToolBar::SetButtonText(int index, LPCTSTR text) {
    Button* b = ItemAt(m_buttons, index);
    if (!b) return FALSE;
    b->text = text;
    Invalidate();
    return TRUE;
}

CString CToolBar::GetButtonText(int index) const {
    const Button* b = ItemAt(m_buttons, index);
    return b ? b->text : CString();
}

CSize CToolBar::CalcFixedLayout(BOOL stretch, BOOL horz) {
    CRect last;
    int extent = 0;
    for (int i = 0; i < static_cast<int>(m_buttons.size()); ++i) {
        GetItemRect(i, &last);
        if (!last.IsRectEmpty()) extent = horz ? last.right : last.bottom;
    }
    CSize s = horz ? CSize(extent + m_cxRightBorder, m_sizeButton.cy + m_cyTopBorder + m_cyBottomBorder)
                   : CSize(m_sizeButton.cx + m_cxLeftBorder + m_cxRightBorder, extent + m_cyBottomBorder);
    if (stretch) StretchToParent(s, horz);
    return s;
}

void CToolBar::OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) {
    CToolCmdUI state;
    UpdateBarItems(state, this, m_buttons, target, disableIfNoHandler,
                   [](const Button& b) { return (b.style & TBBS_SEPARATOR) != 0; });
}

LRESULT CToolBar::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == TB_SETBUTTONSIZE) {
        m_sizeButton = CSize(LOWORD(lParam), HIWORD(lParam));
        Invalidate();
        return TRUE;
    }
    if (message == TB_SETBITMAPSIZE) {
        m_sizeImage = CSize(LOWORD(lParam), HIWORD(lParam));
        Invalidate();
        return TRUE;
    }
    return CControlBar::DefWindowProc(message, wParam, lParam);
}

void CToolBar::OnPaint() {
    CPaintDC dc(this);
    DoPaint(&dc);
    QImage* img = AfxDCImage(dc.GetSafeHdc());
    if (!img) return;
    QPainter p(img);
    ClipToPaint(p, &dc);
    const QImage* well = Wells().count(this) ? &Wells()[this] : nullptr;
    for (int i = 0; i < static_cast<int>(m_buttons.size()); ++i) {
        const Button& b = m_buttons[static_cast<size_t>(i)];
        CRect r;
        GetItemRect(i, &r);
        if (r.IsRectEmpty()) continue;
        QRect q(r.left, r.top, r.Width(), r.Height());
        if (b.style & TBBS_SEPARATOR) {
            p.setPen(kShadow);
            int x = q.center().x();
            p.drawLine(x, q.top() + 2, x, q.bottom() - 2);
            continue;
        }
        bool checked = (b.style & TBBS_CHECKED) != 0, pressed = (i == m_nPressed);
        if (checked) p.fillRect(q.adjusted(1, 1, -1, -1), QColor(0xDC, 0xE6, 0xF4));
        if (checked || pressed) Edge3D(p, q.adjusted(0, 0, -1, -1), true);
        else if (i == m_nHot && !(b.style & TBBS_DISABLED)) Edge3D(p, q.adjusted(0, 0, -1, -1), false);
        if (well && b.image >= 0) {
            QRect src(b.image * m_sizeImage.cx, 0, m_sizeImage.cx, m_sizeImage.cy);
            QImage glyph = well->copy(src);
            // The bitmap's background colour (its top-left pixel, light grey by convention) is see-through.
            QRgb key = well->pixel(0, 0);
            for (int y = 0; y < glyph.height(); ++y)
                for (int x = 0; x < glyph.width(); ++x)
                    if (glyph.pixel(x, y) == key) glyph.setPixel(x, y, qRgba(0, 0, 0, 0));
            if (b.style & TBBS_DISABLED) {
                for (int y = 0; y < glyph.height(); ++y)
                    for (int x = 0; x < glyph.width(); ++x) {
                        QRgb c = glyph.pixel(x, y);
                        if (qAlpha(c)) glyph.setPixel(x, y, qRgba(0xA0, 0xA0, 0xA0, 255));
                    }
            }
            QPoint at(q.left() + (q.width() - m_sizeImage.cx) / 2 + (pressed || checked ? 1 : 0),
                      q.top() + (q.height() - m_sizeImage.cy) / 2 + (pressed || checked ? 1 : 0));
            p.drawImage(at, glyph);
        } else if (!b.text.IsEmpty()) {
            p.setPen((b.style & TBBS_DISABLED) ? kShadow : Qt::black);
            p.drawText(q, Qt::AlignCenter, ToQ(b.text));
        }
    }
}

namespace {
int HitButton(const CToolBar* bar, CPoint p) {
    for (int i = 0; i < static_cast<int>(bar->m_buttons.size()); ++i) {
        if (bar->m_buttons[static_cast<size_t>(i)].style & TBBS_SEPARATOR) continue;
        CRect r;
        bar->GetItemRect(i, &r);
        if (r.PtInRect(p)) return i;
    }
    return -1;
}
}  // namespace

void CToolBar::OnLButtonDown(UINT flags, CPoint point) {
    int i = HitButton(this, point);
    if (i < 0) {
        // Outside the buttons the bar itself is dragged.
        CControlBar::OnLButtonDown(flags, point);
        return;
    }
    if (m_buttons[static_cast<size_t>(i)].style & TBBS_DISABLED) return;
    m_nPressed = i;
    SetCapture();
    Invalidate(FALSE);
}

void CToolBar::OnLButtonUp(UINT flags, CPoint point) {
    if (m_nPressed < 0) {
        CControlBar::OnLButtonUp(flags, point);
        return;
    }
    int pressed = m_nPressed;
    m_nPressed = -1;
    if (GetCapture() == this) ReleaseCapture();
    Invalidate(FALSE);
    if (pressed < 0 || HitButton(this, point) != pressed) return;
    ToggleCheck(pressed);
    UINT id = m_buttons[static_cast<size_t>(pressed)].id;
    if (CWnd* owner = GetOwner()) owner->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), 0);
}

void CToolBar::ToggleCheck(int index) {
    UINT style = GetButtonStyle(index);
    if (!(style & TBBS_CHECKBOX)) return;
    if (!(style & TBBS_GROUP)) {
        SetButtonStyle(index, style ^ TBBS_CHECKED);
        return;
    }
    // One of a group (the run of group buttons around it): it is checked, the others are not.
    int first = index, last = index;
    auto inGroup = [this](int i) { return (GetButtonStyle(i) & (TBBS_CHECKGROUP | TBBS_SEPARATOR)) == TBBS_CHECKGROUP; };
    while (first > 0 && inGroup(first - 1)) --first;
    while (last + 1 < static_cast<int>(m_buttons.size()) && inGroup(last + 1)) ++last;
    for (int i = first; i <= last; ++i)
        if (i != index) SetButtonStyle(i, GetButtonStyle(i) & ~TBBS_CHECKED);
    SetButtonStyle(index, (style | TBBS_CHECKED) & ~TBBS_INDETERMINATE);
}

void CToolBar::OnLButtonDblClk(UINT flags, CPoint point) {
    // On a button the second click of a double click is a press like the first.
    if (HitButton(this, point) >= 0) OnLButtonDown(flags, point);
    else CControlBar::OnLButtonDblClk(flags, point);
}

void CToolBar::OnMouseMove(UINT, CPoint point) {
    int hot = HitButton(this, point);
    if (hot == m_nHot) return;
    m_nHot = hot;
    Invalidate(FALSE);
    if (hot < 0) {
        // Off the buttons: no tip or prompt of the last one lingers.
        if (m_pWidget) m_pWidget->setToolTip(QString());
        if ((m_dwBarStyle & CBRS_FLYBY) && m_pDockSite) m_pDockSite->SetMessageText(AFX_IDS_IDLEMESSAGE);
        return;
    }
    // Tool tip and fly-by text: the parts of the command's string after and before the line feed.
    CString s;
    AfxLoadString(m_buttons[static_cast<size_t>(hot)].id, s);
    int nl = s.Find('\n');
    if ((m_dwBarStyle & CBRS_TOOLTIPS) && m_pWidget) m_pWidget->setToolTip(ToQ(nl >= 0 ? s.Mid(nl + 1) : s));
    if ((m_dwBarStyle & CBRS_FLYBY) && m_pDockSite) m_pDockSite->SetMessageText(nl >= 0 ? s.Left(nl) : s);
}

// Status bars.
namespace {
class CStatusCmdUI
    : public CBarItemCmdUI<CStatusBar, &CStatusBar::GetPaneStyle, &CStatusBar::SetPaneStyle, SBPS_DISABLED> {
public:
    void SetCheck(int check) override { Change(SBPS_POPOUT, check ? SBPS_POPOUT : 0); }
    void SetText(LPCTSTR text) override { static_cast<CStatusBar*>(m_pOther)->SetPaneText(static_cast<int>(m_nIndex), text); }
};
}  // namespace

IMPLEMENT_DYNAMIC(CStatusBar, CControlBar)

BEGIN_MESSAGE_MAP(CStatusBar, CControlBar)
    ON_WM_PAINT()
    ON_WM_SIZE()
END_MESSAGE_MAP()

CStatusBar::CStatusBar() { SetBorders(0, 2, 0, 0); }
CStatusBar::~CStatusBar() = default;

BOOL CStatusBar::Create(CWnd* parent, DWORD style, UINT id) { return CreateBar(parent, style, id, nullptr); }
BOOL CStatusBar::CreateEx(CWnd* parent, DWORD, DWORD style, UINT id) { return Create(parent, style, id); }

BOOL CStatusBar::SetIndicators(const UINT* ids, int count) {
    m_panes.clear();
    QFontMetrics fm(QApplication::font());
    for (int i = 0; i < count; ++i) {
        Pane p;
        p.id = ids ? ids[i] : 0;
        if (p.id == ID_SEPARATOR) {
            p.style = SBPS_NOBORDERS | (i == 0 ? SBPS_STRETCH : 0);
            p.width = i == 0 ? 0 : 1;
        } else {
            AfxLoadString(p.id, p.text);
            p.width = fm.horizontalAdvance(ToQ(p.text)) + 4;
        }
        m_panes.push_back(p);
    }
    if (!m_panes.empty() && m_panes[0].id == ID_SEPARATOR) m_panes[0].style = SBPS_NOBORDERS | SBPS_STRETCH;
    m_nCount = count;
    Invalidate();
    return TRUE;
}

int CStatusBar::CommandToIndex(UINT id) const {
    for (size_t i = 0; i < m_panes.size(); ++i)
        if (m_panes[i].id == id) return static_cast<int>(i);
    return -1;
}

UINT CStatusBar::GetItemID(int index) const {
    const Pane* p = ItemAt(m_panes, index);
    return p ? p->id : 0;
}

void CStatusBar::Layout(std::vector<CRect>* rects) const {
    CRect client;
    const_cast<CStatusBar*>(this)->GetClientRect(&client);
    rects->assign(m_panes.size(), CRect());
    int fixed = 0;
    int stretch = -1;
    for (size_t i = 0; i < m_panes.size(); ++i) {
        if (m_panes[i].style & SBPS_STRETCH) stretch = static_cast<int>(i);
        else fixed += m_panes[i].width + 6;
    }
    int gripper = 14;
    int free = client.Width() - fixed - gripper - m_cxLeftBorder;
    int x = m_cxLeftBorder;
    for (size_t i = 0; i < m_panes.size(); ++i) {
        int w = static_cast<int>(i) == stretch ? (free > 0 ? free : 0) : m_panes[i].width + 4;
        (*rects)[i] = CRect(x, m_cyTopBorder, x + w, client.bottom);
        x += w + 2;
    }
}

void CStatusBar::GetItemRect(int index, LPRECT rect) const {
    std::vector<CRect> rects;
    Layout(&rects);
    if (index < 0 || static_cast<size_t>(index) >= rects.size()) ::SetRectEmpty(rect);
    else *rect = rects[static_cast<size_t>(index)];
}

void CStatusBar::GetPaneInfo(int index, UINT& id, UINT& style, int& width) const {
    id = GetItemID(index);
    style = GetPaneStyle(index);
    const Pane* p = ItemAt(m_panes, index);
    width = p ? p->width : 0;
}

void CStatusBar::SetPaneInfo(int index, UINT id, UINT style, int width) {
    Pane* p = ItemAt(m_panes, index);
    if (!p) return;
    p->id = id;
    p->style = style;
    p->width = width;
    Invalidate();
}

UINT CStatusBar::GetPaneStyle(int index) const { return ItemStyle(m_panes, index); }
void CStatusBar::SetPaneStyle(int index, UINT style) { SetItemStyle(this, m_panes, index, style); }

CString CStatusBar::GetPaneText(int index) const {
    const Pane* p = ItemAt(m_panes, index);
    return p ? p->text : CString();
}

void CStatusBar::GetPaneText(int index, CString& text) const { text = GetPaneText(index); }

BOOL CStatusBar::SetPaneText(int index, LPCTSTR text, BOOL update) {
    Pane* p = ItemAt(m_panes, index);
    if (!p) return FALSE;
    CString next(text);
    if (p->text == next) return TRUE;
    p->text = next;
    if (update) {
        CRect r;
        GetItemRect(index, &r);
        InvalidateRect(&r);
    }
    return TRUE;
}

void CStatusBar::DrawItem(LPDRAWITEMSTRUCT) {}

CSize CStatusBar::CalcFixedLayout(BOOL stretch, BOOL horz) {
    QFontMetrics fm(QApplication::font());
    CSize s(0, fm.height() + 8 + m_cyTopBorder);
    (void)horz;
    if (stretch) StretchToParent(s, TRUE);
    return s;
}

void CStatusBar::OnUpdateCmdUI(CFrameWnd* target, BOOL) {
    // Panes without an update handler stay as they are.
    CStatusCmdUI state;
    UpdateBarItems(state, this, m_panes, target, FALSE, [](const Pane&) { return false; });
}

LRESULT CStatusBar::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTEXT) {
        // The frame's message text goes to the first pane.
        SetPaneText(0, reinterpret_cast<LPCTSTR>(lParam));
        return TRUE;
    }
    if (message == WM_GETTEXT && !m_panes.empty()) {
        CString t = m_panes[0].text;
        int n = t.GetLength() < static_cast<int>(wParam) - 1 ? t.GetLength() : static_cast<int>(wParam) - 1;
        if (n < 0) return 0;
        std::memcpy(reinterpret_cast<char*>(lParam), t.GetString(), static_cast<size_t>(n));
        reinterpret_cast<char*>(lParam)[n] = 0;
        return n;
    }
    if (message == WM_GETTEXTLENGTH) return m_panes.empty() ? 0 : m_panes[0].text.GetLength();
    return CControlBar::DefWindowProc(message, wParam, lParam);
}

void CStatusBar::OnSize(UINT type, int cx, int cy) {
    CControlBar::OnSize(type, cx, cy);
    Invalidate();
}

void CStatusBar::OnPaint() {
    CPaintDC dc(this);
    DoPaint(&dc);
    std::vector<CRect> rects;
    Layout(&rects);
    QImage* img = AfxDCImage(dc.GetSafeHdc());
    if (!img) return;
    for (size_t i = 0; i < m_panes.size(); ++i) {
        const Pane& pane = m_panes[i];
        const CRect& r = rects[i];
        QRect q(r.left, r.top, r.Width(), r.Height());
        {
            QPainter p(img);
            ClipToPaint(p, &dc);
            if (!(pane.style & SBPS_NOBORDERS)) Edge3D(p, q.adjusted(0, 0, -1, -1), !(pane.style & SBPS_POPOUT));
            if (!(pane.style & (SBPS_OWNERDRAW | SBPS_DISABLED)) && !pane.text.IsEmpty()) {
                p.setPen(Qt::black);
                p.setFont(QApplication::font());
                p.drawText(q.adjusted(3, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, ToQ(pane.text));
            }
        }
        if (pane.style & SBPS_OWNERDRAW) {
            DRAWITEMSTRUCT dis{0, static_cast<UINT>(GetDlgCtrlID()), static_cast<UINT>(i), ODA_DRAWENTIRE, 0, m_hWnd,
                               dc.GetSafeHdc(), RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1},
                               reinterpret_cast<DWORD_PTR>(pane.text.GetString())};
            DrawItem(&dis);
        }
    }
}

// Dialog bars.
IMPLEMENT_DYNAMIC(CDialogBar, CControlBar)

BEGIN_MESSAGE_MAP(CDialogBar, CControlBar)
END_MESSAGE_MAP()

CDialogBar::CDialogBar() { SetBorders(0, 0, 0, 0); }
CDialogBar::~CDialogBar() = default;

BOOL CDialogBar::Create(CWnd* parent, LPCTSTR templateName, UINT style, UINT id) {
    CDialogTemplate t;
    if (!AfxLoadDialogTemplate(AfxFindResourceHandle(templateName, RT_DIALOG), templateName, t)) return FALSE;
    if (!CreateBar(parent, style | WS_CHILD, id, nullptr)) return FALSE;
    CSize size = AfxCreateDialogControls(this, t);
    m_sizeDefault = size;
    RecalcHolderLayout();
    return TRUE;
}

namespace {
// Controls that lose their use without a handler of their id: push-like
// buttons, which stand for commands. Boxes, lists, edits and the buttons that
// keep a state of their own stay usable.
bool DisabledWithoutHandler(const CWnd* control) {
    if (control->m_strClass.CompareNoCase("Button") != 0) return false;
    UINT type = control->m_dwStyle & BS_TYPEMASK;
    return type != BS_AUTOCHECKBOX && type != BS_AUTO3STATE && type != BS_GROUPBOX && type != BS_AUTORADIOBUTTON;
}
}  // namespace

void CDialogBar::OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) {
    WindowState* s = StateOf(m_hWnd);
    if (!s || !s->widget) return;
    CCmdUI state;
    for (QWidget* w : s->widget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        CWnd* c = FromHandlePermanent(HandleOfWidget(w));
        if (!c || c == this || c->GetDlgCtrlID() == 0 || c->GetDlgCtrlID() == 0xFFFF) continue;
        state.m_pOther = c;
        state.m_nID = static_cast<UINT>(c->GetDlgCtrlID());
        // The bar's own update handlers come first, then those of the frame.
        if (CControlBar::OnCmdMsg(state.m_nID, CN_UPDATE_COMMAND_UI, &state, nullptr)) continue;
        state.DoUpdate(target, disableIfNoHandler && DisabledWithoutHandler(c));
    }
}

BOOL CDialogBar::OnCommand(WPARAM wParam, LPARAM lParam) {
    // The bar's own handlers first; the rest go to its owner (the frame) as menu commands would.
    if (CControlBar::OnCommand(wParam, lParam)) return TRUE;
    if (CWnd* owner = GetOwner()) return static_cast<BOOL>(owner->SendMessage(WM_COMMAND, wParam, lParam));
    return FALSE;
}

BOOL CDialogBar::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (CControlBar::OnNotify(wParam, lParam, pResult)) return TRUE;
    if (CWnd* owner = GetOwner()) {
        *pResult = owner->SendMessage(WM_NOTIFY, wParam, lParam);
        return TRUE;
    }
    return FALSE;
}
