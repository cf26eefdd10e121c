#include "views/strip/bitmap_button_strip.h"

BEGIN_MESSAGE_MAP(CBitmapButtonStrip, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_WM_TIMER()
END_MESSAGE_MAP()

CBitmapButtonStrip::~CBitmapButtonStrip() {
    for (auto& bitmap : m_bitmaps) bitmap.reset();
    if (m_hWnd) DestroyWindow();
}

BOOL CBitmapButtonStrip::Create(const RECT& rect, BOOL horizontal, int count, int itemWidth, int itemHeight,
                                const UINT* bitmapIds, CWnd* parent) {
    // The item table holds kMaxItems buttons: a longer strip is refused
    // rather than cut, so the caller learns that its bitmaps were not all taken.
    if (!parent || count < 1 || count > CStripButtons::kMaxItems) return FALSE;
    m_buttons.Layout(horizontal != FALSE, count, itemWidth, itemHeight);
    if (!CreateEx(WS_EX_TOOLWINDOW, nullptr, nullptr, WS_CHILD | WS_VISIBLE, rect, parent, 0)) return FALSE;
    for (int i = 0; i < m_buttons.Count(); ++i) {
        auto bitmap = std::make_unique<CBitmap>();
        if (!bitmapIds || !bitmap->LoadBitmap(bitmapIds[i])) {
            AfxMessageBox("Load Bmp Fail.");
            return FALSE;
        }
        m_bitmaps[static_cast<std::size_t>(i)] = std::move(bitmap);
    }
    return TRUE;
}

int CBitmapButtonStrip::OnCreate(LPCREATESTRUCT cs) {
    if (CWnd::OnCreate(cs) == -1) return -1;
    SetTimer(kHoverTimer, kHoverMs);
    return 0;
}

void CBitmapButtonStrip::OnDestroy() {
    KillTimer(kHoverTimer);
    CWnd::OnDestroy();
}

BOOL CBitmapButtonStrip::OnEraseBkgnd(CDC*) { return TRUE; }

void CBitmapButtonStrip::Draw(CDC& dc, const RECT& client) {
    dc.FillSolidRect(&client, RGB(192, 192, 192));
    dc.FillSolidRect(client.left, client.bottom - 1, client.right - client.left, 1, RGB(0, 0, 0));
    for (int i = 0; i < m_buttons.Count(); ++i) {
        const RECT& r = m_buttons.ItemRect(i);
        const int state = m_buttons.State(i);
        const int shift = state == kStripPressed ? 1 : 0;
        if (CBitmap* bitmap = m_bitmaps[static_cast<std::size_t>(i)].get()) {
            CDC source;
            source.CreateCompatibleDC(&dc);
            CBitmap* old = source.SelectObject(bitmap);
            dc.BitBlt(r.left + shift, r.top + shift, r.right - r.left, r.bottom - r.top, &source, 0, 0, SRCCOPY);
            source.SelectObject(old);
        }
        if (state == kStripNormal) continue;
        const COLORREF light = state == kStripHot ? RGB(255, 255, 255) : RGB(0, 0, 0);
        const COLORREF dark = state == kStripHot ? RGB(0, 0, 0) : RGB(255, 255, 255);
        const int w = r.right - r.left, h = r.bottom - r.top;
        dc.FillSolidRect(r.left, r.top, w, 1, light);
        dc.FillSolidRect(r.left, r.top, 1, h, light);
        dc.FillSolidRect(r.left, r.bottom - 1, w, 1, dark);
        dc.FillSolidRect(r.right - 1, r.top, 1, h, dark);
    }
}

void CBitmapButtonStrip::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    Draw(dc, client);
}

void CBitmapButtonStrip::OnLButtonDown(UINT, CPoint point) {
    if (m_buttons.ButtonDown(point)) Invalidate(FALSE);
    if (m_buttons.Pressing()) SetCapture();
}

void CBitmapButtonStrip::OnMouseMove(UINT, CPoint point) {
    if (m_buttons.MouseMove(point)) Invalidate(FALSE);
}

void CBitmapButtonStrip::OnLButtonUp(UINT, CPoint point) {
    if (!m_buttons.Pressing()) return;
    ReleaseCapture();
    int report = -1;
    const bool changed = m_buttons.ButtonUp(point, &report);
    if (report >= 0) Report(report);
    if (changed && m_hWnd) Invalidate(FALSE);
}

void CBitmapButtonStrip::Report(int item) {
    if (CWnd* parent = GetParent()) parent->SendMessage(WM_STRIPBUTTON, 0, item);
}

void CBitmapButtonStrip::OnTimer(UINT_PTR id) {
    if (id != kHoverTimer) return;
    POINT p;
    if (!GetCursorPos(&p)) return;
    ScreenToClient(&p);
    CRect client;
    GetClientRect(&client);
    if (!client.PtInRect(p) && m_buttons.CursorOutside()) Invalidate(FALSE);
}
