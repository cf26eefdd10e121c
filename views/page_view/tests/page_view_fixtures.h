// Pages, region trees and a recording host for the page view's tests.
#pragma once

#include "ocrdoc/document/ocr_page.h"
#include <cstring>
#include <memory>
#include <vector>

#include "imaging/image_block.h"
#include "imaging/page_image.h"
#include "ocrdoc/regions/layout_region.h"
#include "platform/afx/afxwin.h"
#include "views/page_view/page_view_controller.h"

inline CWinApp thePageViewTestApp("PageViewTests");

inline void EnsurePageViewUi() { AfxWinInit(); }

// A blank 1-bit page of w x h pixels.
inline std::unique_ptr<CPageImage> MakeMonoPage(int w, int h) {
    auto page = std::make_unique<CPageImage>();
    page->m_nWidth = w;
    page->m_nHeight = h;
    page->m_nBitCount = 1;
    page->AllocBits(page->PlaneBytes());
    return page;
}

// Sets (ink) or clears the pixels of an inclusive rectangle of the plane.
inline void PaintInk(CPageImage& page, const RECT& r, bool ink = true) {
    CBlockLock plane(page.m_hBits);
    BYTE* bits = plane.get();
    if (!bits) return;
    const DWORD row = page.RowBytes();
    for (int y = r.top; y <= r.bottom; ++y)
        for (int x = r.left; x <= r.right; ++x) {
            BYTE& b = bits[static_cast<std::size_t>(y) * row + static_cast<std::size_t>(x / 8)];
            const BYTE bit = static_cast<BYTE>(0x80 >> (x % 8));
            b = ink ? static_cast<BYTE>(b | bit) : static_cast<BYTE>(b & ~bit);
        }
}

inline bool InkAt(const CPageImage& page, int x, int y) {
    CBlockLock plane(page.m_hBits);
    return (plane.get()[static_cast<std::size_t>(y) * page.RowBytes() + static_cast<std::size_t>(x / 8)] &
            (0x80 >> (x % 8))) != 0;
}

inline void FreePage(std::unique_ptr<CPageImage>& page) {
    if (page) page->Empty();
    page.reset();
}

struct PageOwner {
    std::unique_ptr<CPageImage> page;
    std::unique_ptr<CPageRegion> tree;
    PageOwner(int w, int h) : page(MakeMonoPage(w, h)), tree(std::make_unique<CPageRegion>(RECT{0, 0, w - 1, h - 1})) {}
    ~PageOwner() { FreePage(page); }
};

// A document page over a test's own image and region tree, which it hands
// back untouched when it goes.
struct BorrowedPage : COcrPage {
    BorrowedPage(CPageImage* image, CPageRegion* tree) {
        m_pImage = image;
        m_pPageRegion = tree;
    }
    ~BorrowedPage() override {
        m_pImage = nullptr;
        m_pPageRegion = nullptr;
    }
};

// Records what the controller asks of the document.
class CRecordingHost : public CPageViewHost {
public:
    BOOL discardAnswer = TRUE;
    int discardAsks = 0, modified = 0, layoutDirty = 0, crops = 0;
    bool handwriting = false, autoResize = false;
    BOOL DiscardResult() override {
        ++discardAsks;
        return discardAnswer;
    }
    void SetModified() override { ++modified; }
    void SetLayoutDirty() override { ++layoutDirty; }
    bool IsHandwritingPage() const override { return handwriting; }
    bool AutoResize() const override { return autoResize; }
    void PostCrop() override { ++crops; }
};
