// Control bars: layout along the frame's edges, idle updates, and the tool,
// status, dialog and dock bars.
#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QToolTip>

#include <map>

#include "platform/afx/core/dc_qt.h"
#include "platform/afx/core/dib_qt.h"
#include "platform/afx/ui/bars.h"
#include "platform/afx/ui/dcwnd.h"
#include "platform/afx/ui/dialog.h"
#include "platform/afx/ui/ui_private.h"
#include "platform/win/memory.h"

using namespace afx_detail;

namespace {
const QColor kFace(0xF0, 0xF0, 0xF0);
const QColor kShadow(0xA0, 0xA0, 0xA0);
const QColor kHighlight(0xFF, 0xFF, 0xFF);

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
}  // namespace

// Control bars.
IMPLEMENT_DYNAMIC(CControlBar, CWnd)

BEGIN_MESSAGE_MAP(CControlBar, CWnd)
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUIMessage)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CControlBar::CControlBar() = default;

CControlBar::~CControlBar() {
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

CSize CControlBar::CalcFixedLayout(BOOL stretch, BOOL horz) {
    CSize s = m_sizeDefault;
    if (stretch) {
        CWnd* p = GetParent();
        CRect r;
        if (p) p->GetClientRect(&r);
        if (horz) s.cx = r.Width();
        else s.cy = r.Height();
    }
    return s;
}

CSize CControlBar::CalcDynamicLayout(int, DWORD mode) {
    return CalcFixedLayout((mode & LM_STRETCH) != 0 || (mode & (LM_HORZDOCK | LM_VERTDOCK)) != 0, (mode & LM_HORZ) != 0);
}

void CControlBar::DoPaint(CDC* dc) {
    QImage* img = dc ? AfxDCImage(dc->GetSafeHdc()) : nullptr;
    if (!img) return;
    QPainter p(img);
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
    if (QImage* img = dc ? AfxDCImage(dc->GetSafeHdc()) : nullptr) QPainter(img).fillRect(img->rect(), kFace);
    return TRUE;
}

void CControlBar::DelayShow(BOOL show) { ShowWindow(show ? SW_SHOWNA : SW_HIDE); }
BOOL CControlBar::IsVisible() const { return IsWindowVisible(); }

void CControlBar::SetBarStyle(DWORD style) {
    m_dwBarStyle = style & CBRS_ALL;
    if (m_pDockSite) m_pDockSite->RecalcLayout();
}

void CControlBar::EnableDocking(DWORD dockStyle) { m_dwDockStyle = dockStyle & CBRS_ALIGN_ANY; }

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
        bars = static_cast<CFrameWnd*>(this)->m_listControlBars;
    } else if (WindowState* s = StateOf(m_hWnd); s && s->widget) {
        for (QObject* o : s->widget->children())
            if (auto* w = qobject_cast<QWidget*>(o))
                if (CWnd* c = FromHandlePermanent(HandleOfWidget(w)); c && c != this && c->IsKindOf(RUNTIME_CLASS(CControlBar)))
                    bars.push_back(static_cast<CControlBar*>(c));
    }
    for (CControlBar* bar : bars) {
        if (!bar->m_hWnd || !bar->IsWindowVisible()) continue;
        UINT id = static_cast<UINT>(bar->GetDlgCtrlID());
        if (id < first || id > last) continue;
        DWORD align = bar->m_dwBarStyle & CBRS_ALIGN_ANY;
        bool horz = (align & CBRS_ORIENT_HORZ) != 0 || align == 0;
        CSize size = (bar->m_dwBarStyle & CBRS_SIZE_DYNAMIC)
                         ? bar->CalcDynamicLayout(-1, horz ? (LM_HORZ | LM_HORZDOCK) : LM_VERTDOCK)
                         : bar->CalcFixedLayout(TRUE, horz);
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

void CFrameWnd::EnableDocking(DWORD dockStyle) { m_dwDockStyle = dockStyle & CBRS_ALIGN_ANY; }

void CFrameWnd::DockControlBar(CControlBar* bar, UINT dockBarId, LPCRECT) {
    if (!bar) return;
    DWORD align = 0;
    switch (dockBarId) {
    case AFX_IDW_DOCKBAR_TOP: align = CBRS_ALIGN_TOP; break;
    case AFX_IDW_DOCKBAR_BOTTOM: align = CBRS_ALIGN_BOTTOM; break;
    case AFX_IDW_DOCKBAR_LEFT: align = CBRS_ALIGN_LEFT; break;
    case AFX_IDW_DOCKBAR_RIGHT: align = CBRS_ALIGN_RIGHT; break;
    default: {
        // The first edge both the bar and the frame allow, in the order top, bottom, left, right.
        DWORD allowed = (bar->m_dwDockStyle ? bar->m_dwDockStyle : CBRS_ALIGN_ANY) & (m_dwDockStyle ? m_dwDockStyle : CBRS_ALIGN_ANY);
        for (DWORD a : {CBRS_ALIGN_TOP, CBRS_ALIGN_BOTTOM, CBRS_ALIGN_LEFT, CBRS_ALIGN_RIGHT})
            if (allowed & a) {
                align = a;
                break;
            }
        if (!align) align = bar->m_dwBarStyle & CBRS_ALIGN_ANY;
    }
    }
    bar->m_dwBarStyle = (bar->m_dwBarStyle & ~(CBRS_ALIGN_ANY | CBRS_BORDER_ANY | CBRS_FLOATING)) | align;
    // A newly docked bar goes inside the bars already on that edge.
    RemoveControlBar(bar);
    AddControlBar(bar);
    bar->m_pDockSite = this;
    RecalcLayout();
}

void CFrameWnd::FloatControlBar(CControlBar* bar, CPoint, DWORD) { DockControlBar(bar); }

void CFrameWnd::ShowControlBar(CControlBar* bar, BOOL show, BOOL) {
    if (!bar || !bar->m_hWnd) return;
    bar->ShowWindow(show ? SW_SHOWNA : SW_HIDE);
    RecalcLayout();
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

BOOL CDockBar::Create(CWnd* parent, DWORD style, UINT id) { return CreateBar(parent, style, id, nullptr); }

CSize CDockBar::CalcFixedLayout(BOOL stretch, BOOL horz) {
    CSize s = CControlBar::CalcFixedLayout(stretch, horz);
    for (CControlBar* b : m_arrBars) {
        CSize bs = b->CalcFixedLayout(FALSE, horz);
        if (horz) s.cy += bs.cy;
        else s.cx += bs.cx;
    }
    return s;
}

// Tool bars.
namespace {
class CToolCmdUI : public CCmdUI {
public:
    void Enable(BOOL on) override {
        m_bEnableChanged = TRUE;
        auto* bar = static_cast<CToolBar*>(m_pOther);
        UINT style = bar->GetButtonStyle(static_cast<int>(m_nIndex));
        UINT next = on ? (style & ~TBBS_DISABLED) : (style | TBBS_DISABLED);
        if (next != style) bar->SetButtonStyle(static_cast<int>(m_nIndex), next);
    }
    void SetCheck(int check) override {
        auto* bar = static_cast<CToolBar*>(m_pOther);
        UINT style = bar->GetButtonStyle(static_cast<int>(m_nIndex));
        UINT next = (style & ~(TBBS_CHECKED | TBBS_INDETERMINATE)) | TBBS_CHECKBOX;
        if (check == 1) next |= TBBS_CHECKED;
        else if (check == 2) next |= TBBS_INDETERMINATE;
        if (next != style) bar->SetButtonStyle(static_cast<int>(m_nIndex), next);
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
    if (!AfxLoadToolBarTemplate(AfxGetResourceHandle(), name, t)) return FALSE;
    std::vector<UINT> ids(t.ids.begin(), t.ids.end());
    m_sizeImage = CSize(t.width, t.height);
    m_sizeButton = CSize(t.width + 7, t.height + 7);
    if (!SetButtons(ids.data(), static_cast<int>(ids.size()))) return FALSE;
    return LoadBitmap(name);
}

BOOL CToolBar::LoadBitmap(LPCTSTR name) {
    HDIB dib = AfxLoadDIBResource(AfxGetResourceHandle(), name);
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
    if (m_pDockSite) m_pDockSite->RecalcLayout();
    Invalidate();
    return TRUE;
}

void CToolBar::SetSizes(SIZE button, SIZE image) {
    m_sizeButton = button;
    m_sizeImage = image;
    if (m_pDockSite) m_pDockSite->RecalcLayout();
    Invalidate();
}

void CToolBar::SetHeight(int height) { m_sizeButton.cy = height - m_cyTopBorder - m_cyBottomBorder; }

int CToolBar::CommandToIndex(UINT id) const {
    for (size_t i = 0; i < m_buttons.size(); ++i)
        if (m_buttons[i].id == id && !(m_buttons[i].style & TBBS_SEPARATOR)) return static_cast<int>(i);
    return -1;
}

UINT CToolBar::GetItemID(int index) const {
    return index >= 0 && static_cast<size_t>(index) < m_buttons.size() ? m_buttons[static_cast<size_t>(index)].id : 0;
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

UINT CToolBar::GetButtonStyle(int index) const {
    return index >= 0 && static_cast<size_t>(index) < m_buttons.size() ? m_buttons[static_cast<size_t>(index)].style : 0;
}

void CToolBar::SetButtonStyle(int index, UINT style) {
    if (index < 0 || static_cast<size_t>(index) >= m_buttons.size()) return;
    m_buttons[static_cast<size_t>(index)].style = style;
    CRect r;
    GetItemRect(index, &r);
    InvalidateRect(&r);
}

void CToolBar::GetButtonInfo(int index, UINT& id, UINT& style, int& image) const {
    id = GetItemID(index);
    style = GetButtonStyle(index);
    image = index >= 0 && static_cast<size_t>(index) < m_buttons.size() ? m_buttons[static_cast<size_t>(index)].image : -1;
}

void CToolBar::SetButtonInfo(int index, UINT id, UINT style, int image) {
    if (index < 0 || static_cast<size_t>(index) >= m_buttons.size()) return;
    Button& b = m_buttons[static_cast<size_t>(index)];
    b.id = id;
    b.style = style;
    b.image = image;  // for a separator: its width
    if (m_pDockSite) m_pDockSite->RecalcLayout();
    Invalidate();
}

BOOL CToolBar::SetButtonText(int index, LPCTSTR text) {
    if (index < 0 || static_cast<size_t>(index) >= m_buttons.size()) return FALSE;
    m_buttons[static_cast<size_t>(index)].text = text;
    Invalidate();
    return TRUE;
}

CString CToolBar::GetButtonText(int index) const {
    return index >= 0 && static_cast<size_t>(index) < m_buttons.size() ? m_buttons[static_cast<size_t>(index)].text : CString();
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
    if (stretch) {
        CRect r;
        if (CWnd* p = GetParent()) p->GetClientRect(&r);
        if (horz) s.cx = r.Width();
        else s.cy = r.Height();
    }
    return s;
}

CSize CToolBar::CalcDynamicLayout(int, DWORD mode) { return CalcFixedLayout(TRUE, (mode & LM_HORZ) != 0); }

void CToolBar::OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) {
    CToolCmdUI state;
    state.m_pOther = this;
    state.m_nIndexMax = static_cast<UINT>(m_buttons.size());
    for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex) {
        const Button& b = m_buttons[state.m_nIndex];
        if (b.style & TBBS_SEPARATOR) continue;
        state.m_nID = b.id;
        state.DoUpdate(target, disableIfNoHandler);
    }
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

void CToolBar::OnLButtonDown(UINT, CPoint point) {
    int i = HitButton(this, point);
    if (i < 0 || (m_buttons[static_cast<size_t>(i)].style & TBBS_DISABLED)) return;
    m_nPressed = i;
    SetCapture();
    Invalidate(FALSE);
}

void CToolBar::OnLButtonUp(UINT, CPoint point) {
    int pressed = m_nPressed;
    m_nPressed = -1;
    if (GetCapture() == this) ReleaseCapture();
    Invalidate(FALSE);
    if (pressed < 0 || HitButton(this, point) != pressed) return;
    UINT id = m_buttons[static_cast<size_t>(pressed)].id;
    if (CWnd* owner = GetOwner()) owner->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), 0);
}

void CToolBar::OnMouseMove(UINT, CPoint point) {
    int hot = HitButton(this, point);
    if (hot == m_nHot) return;
    m_nHot = hot;
    Invalidate(FALSE);
    if (hot < 0) return;
    // Tool tip and fly-by text: the parts of the command's string after and before the line feed.
    CString s;
    AfxLoadString(m_buttons[static_cast<size_t>(hot)].id, s);
    int nl = s.Find('\n');
    if ((m_dwBarStyle & CBRS_TOOLTIPS) && m_pWidget) m_pWidget->setToolTip(ToQ(nl >= 0 ? s.Mid(nl + 1) : s));
    if ((m_dwBarStyle & CBRS_FLYBY) && m_pDockSite) m_pDockSite->SetMessageText(nl >= 0 ? s.Left(nl) : s);
}

// Status bars.
namespace {
class CStatusCmdUI : public CCmdUI {
public:
    void Enable(BOOL on) override {
        m_bEnableChanged = TRUE;
        auto* bar = static_cast<CStatusBar*>(m_pOther);
        UINT style = bar->GetPaneStyle(static_cast<int>(m_nIndex));
        UINT next = on ? (style & ~SBPS_DISABLED) : (style | SBPS_DISABLED);
        if (next != style) bar->SetPaneStyle(static_cast<int>(m_nIndex), next);
    }
    void SetCheck(int check) override {
        auto* bar = static_cast<CStatusBar*>(m_pOther);
        UINT style = bar->GetPaneStyle(static_cast<int>(m_nIndex));
        UINT next = check ? (style | SBPS_POPOUT) : (style & ~SBPS_POPOUT);
        if (next != style) bar->SetPaneStyle(static_cast<int>(m_nIndex), next);
    }
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
    return index >= 0 && static_cast<size_t>(index) < m_panes.size() ? m_panes[static_cast<size_t>(index)].id : 0;
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
    width = index >= 0 && static_cast<size_t>(index) < m_panes.size() ? m_panes[static_cast<size_t>(index)].width : 0;
}

void CStatusBar::SetPaneInfo(int index, UINT id, UINT style, int width) {
    if (index < 0 || static_cast<size_t>(index) >= m_panes.size()) return;
    Pane& p = m_panes[static_cast<size_t>(index)];
    p.id = id;
    p.style = style;
    p.width = width;
    Invalidate();
}

UINT CStatusBar::GetPaneStyle(int index) const {
    return index >= 0 && static_cast<size_t>(index) < m_panes.size() ? m_panes[static_cast<size_t>(index)].style : 0;
}

void CStatusBar::SetPaneStyle(int index, UINT style) {
    if (index < 0 || static_cast<size_t>(index) >= m_panes.size()) return;
    m_panes[static_cast<size_t>(index)].style = style;
    CRect r;
    GetItemRect(index, &r);
    InvalidateRect(&r);
}

CString CStatusBar::GetPaneText(int index) const {
    return index >= 0 && static_cast<size_t>(index) < m_panes.size() ? m_panes[static_cast<size_t>(index)].text : CString();
}

void CStatusBar::GetPaneText(int index, CString& text) const { text = GetPaneText(index); }

BOOL CStatusBar::SetPaneText(int index, LPCTSTR text, BOOL update) {
    if (index < 0 || static_cast<size_t>(index) >= m_panes.size()) return FALSE;
    Pane& p = m_panes[static_cast<size_t>(index)];
    CString next(text);
    if (p.text == next) return TRUE;
    p.text = next;
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
    if (stretch) {
        CRect r;
        if (CWnd* p = GetParent()) p->GetClientRect(&r);
        s.cx = r.Width();
    }
    (void)horz;
    return s;
}

void CStatusBar::OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) {
    CStatusCmdUI state;
    state.m_pOther = this;
    state.m_nIndexMax = static_cast<UINT>(m_panes.size());
    for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex) {
        state.m_nID = m_panes[state.m_nIndex].id;
        // Panes without an update handler stay as they are.
        state.DoUpdate(target, FALSE);
    }
    (void)disableIfNoHandler;
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
    if (!AfxLoadDialogTemplate(AfxGetResourceHandle(), templateName, t)) return FALSE;
    if (!CreateBar(parent, style | WS_CHILD, id, nullptr)) return FALSE;
    CSize size = AfxCreateDialogControls(this, t);
    m_sizeDefault = size;
    if (m_pDockSite) m_pDockSite->RecalcLayout();
    return TRUE;
}

CSize CDialogBar::CalcFixedLayout(BOOL stretch, BOOL horz) {
    CSize s = m_sizeDefault;
    if (stretch) {
        CRect r;
        if (CWnd* p = GetParent()) p->GetClientRect(&r);
        if (horz) s.cx = r.Width();
        else s.cy = r.Height();
    }
    return s;
}

void CDialogBar::OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) {
    WindowState* s = StateOf(m_hWnd);
    if (!s || !s->widget) return;
    CCmdUI state;
    for (QWidget* w : s->widget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        CWnd* c = FromHandlePermanent(HandleOfWidget(w));
        if (!c || c == this || c->GetDlgCtrlID() == 0 || c->GetDlgCtrlID() == 0xFFFF) continue;
        state.m_pOther = c;
        state.m_nID = static_cast<UINT>(c->GetDlgCtrlID());
        // Static texts have no command.
        state.DoUpdate(target, disableIfNoHandler && c->m_strClass.CompareNoCase("Static") != 0);
    }
}

BOOL CDialogBar::OnCommand(WPARAM wParam, LPARAM lParam) {
    // Commands of the bar's controls go to its owner (the frame) as menu commands would.
    if (CWnd* owner = GetOwner()) return static_cast<BOOL>(owner->SendMessage(WM_COMMAND, wParam, lParam));
    return CControlBar::OnCommand(wParam, lParam);
}

BOOL CDialogBar::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (CWnd* owner = GetOwner()) {
        *pResult = owner->SendMessage(WM_NOTIFY, wParam, lParam);
        return TRUE;
    }
    return CControlBar::OnNotify(wParam, lParam, pResult);
}
