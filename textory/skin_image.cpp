#include "textory/skin_image.h"

#include "platform/afx/ui/drawstate.h"

namespace textory {

std::vector<POINT> SkinTileOrigins(int width, int height, int areaWidth, int areaHeight) {
    std::vector<POINT> origins;
    if (width <= 0 || height <= 0) return origins;
    for (int y = 0; y < areaHeight; y += height) {
        for (int x = 0; x < areaWidth; x += width) origins.push_back(POINT{x, y});
    }
    return origins;
}

}  // namespace textory

int CSkinImage::Load(LPCTSTR name) {
    m_bitmap.DeleteObject();
    m_width = m_height = 0;
    if (!name) return 1;
    HBITMAP bitmap = static_cast<HBITMAP>(
        ::LoadImageA(AfxGetResourceHandle(), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap) return 0;
    m_bitmap.Attach(bitmap);
    BITMAP info{};
    m_bitmap.GetBitmap(&info);
    m_width = info.bmWidth;
    m_height = info.bmHeight;
    return 1;
}

BOOL CSkinImage::Tile(CDC* dc, int left, int top, int right, int bottom) {
    if (!dc || !m_bitmap.GetSafeHandle()) return FALSE;
    CDC memory;
    if (!memory.CreateCompatibleDC(dc)) return FALSE;
    CBitmap* old = memory.SelectObject(&m_bitmap);
    for (const POINT& at : textory::SkinTileOrigins(m_width, m_height, right - left, bottom - top))
        dc->BitBlt(at.x, at.y, m_width, m_height, &memory, 0, 0, SRCCOPY);
    memory.SelectObject(old);
    return TRUE;
}

BEGIN_MESSAGE_MAP(CSkinDialog, CDialog)
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CSkinDialog::CSkinDialog(UINT templateId, CWnd* parent) : CDialog(templateId, parent) {}

BOOL CSkinDialog::OnEraseBkgnd(CDC* dc) {
    CRect client;
    GetClientRect(&client);
    if (Tile(dc, client.left, client.top, client.right, client.bottom)) return TRUE;
    return CDialog::OnEraseBkgnd(dc);
}
