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

bool CPageImageTools::Copy(COcrPage& page, HWND owner) {
    if (!HasPage()) return false;
    // The document's picture of its deepest selected region.
    HGLOBAL block = page.CopySelectedRegionImage();
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

bool CPageImageTools::Cut(COcrPage& page, HWND owner) {
    RECT r{};
    if (!CanChangePage() || page.IsPageHeld() || !page.GetSelectedRegion(FALSE, &r)) return false;
    if (!m_host.DiscardResult()) return false;
    // The pixels go only when they are safely on the clipboard.
    if (!Copy(page, owner)) return false;
    if (!page.GetSelectedRegion(TRUE, &r)) return false;
    m_image->EraseRect(r.left, r.top, r.right, r.bottom);
    m_view.CancelDrag();
    PixelsChanged();
    m_host.SetLayoutDirty();
    return true;
}
