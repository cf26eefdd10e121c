#include "shell/dialogs/picture_button.h"

#include "platform/afx/ui/dcwnd.h"

BEGIN_MESSAGE_MAP(CPictureButton, CButton)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

BOOL CPictureButton::LoadPicture(UINT id, int shadowX, int shadowY) {
    bitmap_.DeleteObject();
    if (!bitmap_.LoadBitmap(id)) return FALSE;
    BITMAP info{};
    bitmap_.GetBitmap(&info);
    width_ = info.bmWidth;
    height_ = info.bmHeight;
    shadowX_ = shadowX;
    shadowY_ = shadowY;
    return TRUE;
}

CSize CPictureButton::FrameSize() const { return CSize(width_ + 4 + shadowX_, height_ + 4 + shadowY_); }

void CPictureButton::Draw(CDC& dc, const CRect& client) const {
    dc.FillSolidRect(0, 0, client.Width() - shadowX_, client.Height() - shadowY_, RGB(0, 0, 0));
    CBrush* shadow = CBrush::FromHandle(static_cast<HBRUSH>(::GetStockObject(DKGRAY_BRUSH)));
    if (shadowX_ > 0) dc.FillRect(CRect(client.Width() - shadowX_, shadowY_, client.Width(), client.Height()), shadow);
    if (shadowY_ > 0) dc.FillRect(CRect(shadowX_, client.Height() - shadowY_, client.Width(), client.Height()), shadow);
    if (!bitmap_.GetSafeHandle()) return;
    CDC picture;
    picture.CreateCompatibleDC(&dc);
    CBitmap* old = picture.SelectObject(const_cast<CBitmap*>(&bitmap_));
    dc.BitBlt(2, 2, width_, height_, &picture, 0, 0, SRCCOPY);
    picture.SelectObject(old);
}

void CPictureButton::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    Draw(dc, client);
}

BOOL CPictureButton::OnEraseBkgnd(CDC*) { return TRUE; }
