#include "views/page_view/page_image_tools.h"

#include <cstring>
#include <new>

#include "imaging/image_block.h"
#include "ocrdoc/regions/region_geometry.h"
#include "platform/afx/core/clipboard.h"

void CPageImageTools::ReplaceTree(const RECT* seal) {
    auto* fresh = new (std::nothrow) CPageRegion(CPageRegion::WholePage(m_image->m_nWidth, m_image->m_nHeight));
    if (!fresh) return;
    if (seal) fresh->SetSealRect(seal);
    delete m_tree;
    m_tree = fresh;
    m_view.SetPage(m_image, m_tree);
    m_host.SetLayoutDirty();
}

void CPageImageTools::PixelsChanged() {
    m_view.DropZoomImage();
    m_view.UpdateDisplayImage();
    m_host.SetModified();
}

bool CPageImageTools::Invert() {
    if (!CanChangePage() || m_image->m_nBitCount != 1) return false;
    if (!m_host.DiscardResult()) return false;
    m_image->Invert();
    ReplaceTree(nullptr);
    PixelsChanged();
    return true;
}

bool CPageImageTools::Rotate(bool left, bool official, bool hasRow) {
    if (!CanChangePage() || !hasRow) return false;
    if (!m_host.DiscardResult()) return false;
    RECT red{0, 0, 0, 0};
    const bool officialPage = official && m_image->m_nBitCount == 24;
    int done = 0;
    if (officialPage) done = left ? m_image->RotateLeftOfficial(&red) : m_image->RotateRightOfficial(&red);
    else done = left ? m_image->RotateLeft() : m_image->RotateRight();
    if (!done) return false;
    const bool hasRed = officialPage && red.right > red.left && red.bottom > red.top;
    ReplaceTree(hasRed ? &red : nullptr);
    m_view.ResetView();
    m_host.SetModified();
    return true;
}

bool CPageImageTools::CanCrop() const {
    return CanChangePage() && m_tree && !m_tree->CoversPage(m_image->m_nWidth, m_image->m_nHeight);
}

bool CPageImageTools::Crop() {
    if (!CanCrop()) return false;
    if (!m_host.DiscardResult()) return false;
    // The pixels the page rectangle takes in; the crop's right and bottom are exclusive.
    const RECT r = RectClipped(m_tree->Rect(), RECT{0, 0, m_image->m_nWidth - 1, m_image->m_nHeight - 1});
    if (r.right < r.left || r.bottom < r.top) return false;
    if (!m_image->Crop(r.left, r.top, r.right + 1, r.bottom + 1)) return false;
    m_tree->ResizeWithin(r, m_tree->Rect());
    m_tree->Offset(-r.left, -r.top);
    const RECT whole = CPageRegion::WholePage(m_image->m_nWidth, m_image->m_nHeight);
    m_tree->ResizeWithin(whole, whole);
    m_view.SetPage(m_image, m_tree);
    m_view.ResetView();
    m_host.SetModified();
    m_host.SetLayoutDirty();
    return true;
}

CLayoutRegion* CPageImageTools::SelectedRegion() const { return m_tree ? m_tree->GetSelectedChild() : nullptr; }

HGLOBAL CPageImageTools::CopyRectAsDib(const RECT& rect) const {
    if (!HasPage()) return nullptr;
    const RECT r = RectClipped(rect, RECT{0, 0, m_image->m_nWidth - 1, m_image->m_nHeight - 1});
    if (r.right < r.left || r.bottom < r.top) return nullptr;
    const int w = r.right - r.left + 1, h = r.bottom - r.top + 1;
    const std::size_t stride = ((static_cast<std::size_t>(w) + 31) / 32) * 4;
    const std::size_t header = sizeof(BITMAPINFOHEADER) + 2 * sizeof(RGBQUAD);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, header + stride * static_cast<std::size_t>(h));
    if (!block) return nullptr;
    CBlockLock out(block);
    CBlockLock plane(m_image->m_hBits);
    if (!out || !plane || plane.size() < m_image->PlaneBytes()) {
        GlobalFree(block);
        return nullptr;
    }
    auto* info = reinterpret_cast<BITMAPINFOHEADER*>(out.get());
    info->biSize = sizeof(BITMAPINFOHEADER);
    info->biWidth = w;
    info->biHeight = h;
    info->biPlanes = 1;
    info->biBitCount = 1;
    info->biClrUsed = 2;
    info->biSizeImage = static_cast<DWORD>(stride * static_cast<std::size_t>(h));
    // Index 0 white, 1 black: the plane's bits as they are.
    auto* colors = reinterpret_cast<RGBQUAD*>(out.get() + sizeof(BITMAPINFOHEADER));
    colors[0] = RGBQUAD{255, 255, 255, 0};
    colors[1] = RGBQUAD{0, 0, 0, 0};
    const std::size_t row = m_image->RowBytes();
    for (int y = 0; y < h; ++y) {
        const BYTE* src = plane.get() + static_cast<std::size_t>(r.top + y) * row;
        BYTE* dst = out.get() + header + static_cast<std::size_t>(h - 1 - y) * stride;
        for (int x = 0; x < w; ++x) {
            const int sx = r.left + x;
            if (src[sx >> 3] & (0x80 >> (sx & 7))) dst[x >> 3] = static_cast<BYTE>(dst[x >> 3] | (0x80 >> (x & 7)));
        }
    }
    return block;
}

bool CPageImageTools::Copy(HWND owner) {
    CLayoutRegion* region = SelectedRegion();
    if (!HasPage() || !region) return false;
    HGLOBAL block = CopyRectAsDib(region->Rect());
    if (!block) return false;
    if (!OpenClipboard(owner)) {
        GlobalFree(block);
        return false;
    }
    EmptyClipboard();
    const bool put = SetClipboardData(CF_DIB, block) != nullptr;
    CloseClipboard();
    if (!put) GlobalFree(block);
    return put;
}

bool CPageImageTools::Cut(HWND owner) {
    CLayoutRegion* region = SelectedRegion();
    if (!CanChangePage() || !region) return false;
    if (!m_host.DiscardResult()) return false;
    // The pixels go only when they are safely on the clipboard.
    if (!Copy(owner)) return false;
    const RECT r = region->Rect();
    m_image->EraseRect(r.left, r.top, r.right, r.bottom);
    m_tree->RemoveAt(m_tree->IndexOfChild(region));
    m_view.CancelDrag();
    PixelsChanged();
    m_host.SetLayoutDirty();
    return true;
}
