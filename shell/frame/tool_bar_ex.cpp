#include "shell/frame/tool_bar_ex.h"

#include <cstdio>

namespace {
constexpr int kGripperRoomHorizontal = 8;  // the buttons start this much further right
constexpr int kGripperRoomVertical = 8;    // or further down
constexpr int kFontHeight = 16;
}  // namespace

BEGIN_MESSAGE_MAP(CToolBarEx, CToolBar)
    ON_WM_PAINT()
    ON_WM_MOUSEMOVE()
    ON_WM_TIMER()
    ON_WM_SYSCOLORCHANGE()
END_MESSAGE_MAP()

CToolBarEx::CToolBarEx() : colours_(ToolBarColours::FromSystem()) {
    LOGFONT lf{};
    HGDIOBJ stock = ::GetStockObject(DEFAULT_GUI_FONT);
    if (!stock || !::GetObject(stock, sizeof lf, &lf)) {
        ::GetObject(::GetStockObject(SYSTEM_FONT), sizeof lf, &lf);
        std::snprintf(lf.lfFaceName, sizeof lf.lfFaceName, "%s", "MS Sans Serif");
        lf.lfWeight = 400;
    }
    lf.lfHeight = kFontHeight;
    lf.lfWidth = 0;
    font_.CreateFontIndirect(&lf);
}

CToolBarEx::~CToolBarEx() = default;

BOOL CToolBarEx::CreateEx(CWnd* parent, DWORD ctrlStyle, DWORD style, CRect borders, UINT id) {
    if (!CToolBar::CreateEx(parent, ctrlStyle, style, borders, id)) return FALSE;
    notifyOwner_ = parent;
    // Room for the gripper at the leading edge.
    if (style & CBRS_ORIENT_HORZ) m_cxLeftBorder += kGripperRoomHorizontal;
    else m_cyTopBorder += kGripperRoomVertical;
    return TRUE;
}

BOOL CToolBarEx::LoadToolBar(UINT id) {
    if (!CToolBar::LoadToolBar(id)) return FALSE;
    bitmapId_ = id;
    BuildImageList();
    return TRUE;
}

void CToolBarEx::BuildImageList() {
    images_.DeleteImageList();
    CBitmap bitmap;
    if (!bitmapId_ || !bitmap.LoadBitmap(bitmapId_)) return;
    if (!images_.Create(m_sizeImage.cx, m_sizeImage.cy, ILC_COLOR24 | ILC_MASK, 0, 4)) return;
    images_.Add(&bitmap, BitmapBackground(bitmap));
}

ToolBarPlace CToolBarEx::Place() const {
    ToolBarPlace place;
    place.floating = IsFloating() != FALSE;
    place.dockedHorizontally = (m_dwBarStyle & CBRS_ORIENT_HORZ) != 0;
    return place;
}

std::vector<ToolButtonView> CToolBarEx::Items() const {
    std::vector<ToolButtonView> items;
    for (int i = 0; i < static_cast<int>(m_buttons.size()); ++i) {
        const Button& b = m_buttons[static_cast<std::size_t>(i)];
        ToolButtonView v;
        GetItemRect(i, &v.rect);
        // A drop-down button's arrow is painted beside its face.
        CRect arrow;
        GetDropDownArrowRect(i, &arrow);
        if (!arrow.IsRectEmpty()) v.rect.right = arrow.left;
        v.id = b.id;
        v.style = b.style;
        v.image = b.image;
        v.text = b.text;
        v.hot = i == hot_.Hot();
        v.pressed = i == m_nPressed;
        items.push_back(v);
    }
    return items;
}

LRESULT CToolBarEx::Notify(NMCUSTOMDRAW& record) {
    CWnd* owner = notifyOwner_ && ::IsWindow(notifyOwner_->m_hWnd) ? notifyOwner_ : GetOwner();
    if (!owner) return CDRF_DODEFAULT;
    record.hdr.hwndFrom = m_hWnd;
    record.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
    record.hdr.code = NM_CUSTOMDRAW;
    return owner->SendMessage(WM_NOTIFY, static_cast<WPARAM>(GetDlgCtrlID()), reinterpret_cast<LPARAM>(&record));
}

void CToolBarEx::Paint(CDC& dc, const CRect& update) {
    CRect client;
    GetClientRect(&client);
    if (!images_.GetImageCount()) BuildImageList();
    ToolBarPainter painter(colours_, Images(), m_sizeImage);
    CFont* oldFont = dc.SelectObject(&font_);
    painter.PaintBar(dc, client, Items(), update, Place(), [this](NMCUSTOMDRAW& r) { return Notify(r); });
    painter.PaintGripper(dc, client, Place());
    for (int i = 0; i < static_cast<int>(m_buttons.size()); ++i) {
        CRect arrow;
        GetDropDownArrowRect(i, &arrow);
        if (!arrow.IsRectEmpty())
            AfxDrawDropDownArrow(dc.GetSafeHdc(), arrow, (m_buttons[static_cast<std::size_t>(i)].style & TBBS_DISABLED) != 0);
    }
    dc.SelectObject(oldFont);
}

void CToolBarEx::OnPaint() {
    if (!flat_ || (!images_.GetImageCount() && !bitmapId_)) {
        CToolBar::OnPaint();
        return;
    }
    CPaintDC dc(this);
    CRect update(dc.m_ps.rcPaint);
    if (update.IsRectEmpty()) GetClientRect(&update);
    Paint(dc, update);
}

int CToolBarEx::ButtonAt(CPoint point) const {
    for (int i = 0; i < static_cast<int>(m_buttons.size()); ++i) {
        const UINT style = m_buttons[static_cast<std::size_t>(i)].style;
        if (style & (TBBS_SEPARATOR | TBBS_HIDDEN | TBBS_DISABLED)) continue;
        CRect r;
        GetItemRect(i, &r);
        if (r.PtInRect(point)) return i;
    }
    return -1;
}

void CToolBarEx::RedrawButton(int index) {
    CRect r;
    GetItemRect(index, &r);
    if (!r.IsRectEmpty()) InvalidateRect(&r, FALSE);
}

void CToolBarEx::OnMouseMove(UINT flags, CPoint point) {
    CToolBar::OnMouseMove(flags, point);  // tool tip and fly-by prompt
    if (!flat_) return;
    for (int i : hot_.MouseMove(ButtonAt(point))) RedrawButton(i);
    SetTimer(kHotTimer, kHotTimerMs, nullptr);
}

void CToolBarEx::OnTimer(UINT_PTR id) {
    if (id != kHotTimer) return;
    CPoint cursor;
    ::GetCursorPos(&cursor);
    CRect window;
    GetWindowRect(&window);
    const bool inside = window.PtInRect(cursor) != FALSE;
    if (inside) return;
    const int was = hot_.TimerTick(false);
    if (was >= 0) RedrawButton(was);
    KillTimer(kHotTimer);
}

void CToolBarEx::OnSysColorChange() {
    colours_ = ToolBarColours::FromSystem();
    BuildImageList();
    Invalidate();
}

void CToolBarEx::OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) {
    std::vector<UINT> before;
    for (const Button& b : m_buttons) before.push_back(b.style);
    CToolBar::OnUpdateCmdUI(target, disableIfNoHandler);
    std::vector<UINT> after;
    for (const Button& b : m_buttons) after.push_back(b.style);
    for (int i : ChangedButtons(before, after)) {
        CRect r;
        GetItemRect(i, &r);
        if (!r.IsRectEmpty()) InvalidateRect(&r, TRUE);
    }
}
