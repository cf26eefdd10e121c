// The page view's commands that change the page as a whole (invert, turn by
// 90 degrees, crop to the page rectangle) and the clipboard copy and cut of
// the selected region, without the window: each works on the page image, the
// region tree slot of the document and the view's controller, and asks the
// host to drop the recognition result first.
#pragma once

#include "imaging/page_image.h"
#include "ocrdoc/document/ocr_page.h"
#include "ocrdoc/regions/layout_region.h"
#include "platform/win/types.h"
#include "views/page_view/page_view_controller.h"

class CPageImageTools {
public:
    // `tree` is the document's region-tree slot: replaced by invert and rotate.
    CPageImageTools(CPageViewController& view, CPageViewHost& host, CPageImage* image, CPageRegion*& tree)
        : m_view(view), m_host(host), m_image(image), m_tree(tree) {}

    bool HasPage() const { return m_image && m_image->m_hBits && m_image->m_nWidth > 0; }
    // A page the commands below may change: there is one and no run holds it.
    bool CanChangePage() const { return HasPage() && !m_host.PageHeld(); }

    // Every byte of the plane inverted; the tree becomes an empty page region.
    bool Invert();
    // Turns the page; an official 24-bit page also gives its red ink as the
    // seal rectangle. `hasRow` is false when the page list has no focused
    // row: then nothing is asked and nothing changes.
    bool Rotate(bool left, bool official, bool hasRow);
    // The page rectangle leaves part of the page out (and the page may change).
    bool CanCrop() const;
    bool Crop();
    // Puts the page's deepest selected region on the clipboard as CF_DIB
    // (the document makes the picture); false when there is nothing to copy
    // or the clipboard cannot be opened (the block is freed).
    bool Copy(COcrPage& page, HWND owner);
    // Copy, then (only after a good copy) erase the region's pixels and have
    // the document remove the region; nothing while a run holds the page.
    bool Cut(COcrPage& page, HWND owner);

private:
    void ReplaceTree(const RECT* seal);
    void PixelsChanged();

    CPageViewController& m_view;
    CPageViewHost& m_host;
    CPageImage* m_image;
    CPageRegion*& m_tree;
};
