// The image area as the renderer paints it, read back pixel by pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "imaging/dib_layout.h"
#include "platform/win/memory.h"
#include "views/page_view/draw_styles.h"
#include "views/page_view/page_view_renderer.h"
#include "views/page_view/tests/page_view_fixtures.h"
#include "views/tests/fake_view_host.h"

namespace {

// A 32-bit memory canvas of the area's size.
struct Canvas {
    Canvas(int w, int h) {
        EnsurePageViewUi();
        dc.CreateCompatibleDC(nullptr);
        bitmap.CreateBitmap(w, h, 1, 32, nullptr);
        old = dc.SelectObject(&bitmap);
    }
    ~Canvas() { dc.SelectObject(old); }
    COLORREF At(int x, int y) const { return dc.GetPixel(x, y) & 0xFFFFFF; }
    CDC dc;
    CBitmap bitmap;
    CBitmap* old = nullptr;
};

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kBlack = 0x000000;

class PageViewRenderer : public ::testing::Test {
protected:
    void Make(int w, int h, int areaW, int areaH, WORD zoom = 256) {
        owner = std::make_unique<PageOwner>(w, h);
        view.SetPage(owner->page.get(), owner->tree.get());
        view.SetImageArea(areaW, areaH);
        view.ResetView();
        view.SetZoom(zoom);
        canvas = std::make_unique<Canvas>(areaW, areaH);
    }
    void Paint(PageViewPaintInput input = {}) { CPageViewRenderer::Paint(canvas->dc, view, input); }
    CFakeViewHost shell;
    CRecordingHost host;
    CPageViewController view{&host};
    std::unique_ptr<PageOwner> owner;
    std::unique_ptr<Canvas> canvas;
};

TEST_F(PageViewRenderer, NoPageLeavesAGreyArea) {
    Make(100, 100, 50, 40);
    view.SetPage(nullptr, nullptr);
    Paint();
    EXPECT_EQ(canvas->At(0, 0), 0x808080u);
    EXPECT_EQ(canvas->At(49, 39), 0x808080u);
}

TEST_F(PageViewRenderer, InkIsBlackAndASmallPageIsCentred) {
    Make(200, 100, 400, 300);
    PaintInk(*owner->page, RECT{10, 20, 19, 29});
    view.UpdateDisplayImage();
    Paint();
    EXPECT_EQ(view.OffsetX(), 100);
    EXPECT_EQ(view.OffsetY(), 100);
    EXPECT_EQ(canvas->At(100 + 15, 100 + 25), kBlack);
    EXPECT_EQ(canvas->At(100 + 30, 100 + 25), kWhite);
    EXPECT_EQ(canvas->At(50, 50), kWhite) << "the area round the page is white";
}

TEST_F(PageViewRenderer, ReducedPagesShowTheirInkAtEveryZoom) {
    for (WORD zoom : {256, 128, 64, 32}) {
        Make(1600, 1600, 300, 300, zoom);
        PaintInk(*owner->page, RECT{0, 0, 1599, 1599});
        PaintInk(*owner->page, RECT{0, 0, 1599, 799}, false);
        view.DropZoomImage();
        view.UpdateDisplayImage();
        Paint();
        const POINT lower = view.PageToClient(POINT{400, 1200});
        const POINT upper = view.PageToClient(POINT{400, 400});
        if (lower.y < 300) {
            EXPECT_EQ(canvas->At(lower.x, lower.y), kBlack) << zoom;
        }
        if (upper.y >= 0 && upper.y < 300) {
            EXPECT_EQ(canvas->At(upper.x, upper.y), kWhite) << zoom;
        }
    }
}

TEST_F(PageViewRenderer, RegionFramesTakeTheirStylesAndSelectedOnesAreDouble) {
    Make(400, 300, 400, 300);
    CLayoutRegion* text = owner->tree->AddRegion(RECT{20, 20, 99, 99}, kRegionHorizontal);
    CLayoutRegion* table = owner->tree->AddRegion(RECT{150, 20, 249, 99}, kRegionTable);
    CLayoutRegion* vertical = owner->tree->AddRegion(RECT{280, 20, 379, 99}, kRegionVertical);
    ASSERT_TRUE(text && table && vertical);
    owner->tree->Select(owner->tree->IndexOfChild(table));
    Paint();
    const POINT t = view.PageToClient(POINT{60, 20});
    EXPECT_EQ(canvas->At(t.x, t.y), GetDrawStyle(kStyleHorizontalText).color);
    EXPECT_EQ(canvas->At(t.x, t.y + 1), kWhite) << "an unselected frame is single";
    const POINT b = view.PageToClient(POINT{200, 20});
    EXPECT_EQ(canvas->At(b.x, b.y), GetDrawStyle(kStyleTableSelected).color);
    EXPECT_EQ(canvas->At(b.x, b.y + 1), GetDrawStyle(kStyleTableSelected).color) << "selected: double";
    const POINT v = view.PageToClient(POINT{330, 99});
    EXPECT_EQ(canvas->At(v.x, v.y), GetDrawStyle(kStyleVerticalText).color);
    EXPECT_EQ(CPageViewRenderer::RegionStyle(kRegionEnglish, true), kStyleEnglishSelected);
    EXPECT_EQ(CPageViewRenderer::RegionStyle(kRegionPicture, false), kStylePicture);
    EXPECT_EQ(CPageViewRenderer::RegionStyle(0, false), -1);
}

TEST_F(PageViewRenderer, LabelsCountRegionsOutOfSight) {
    // Two scenes with a region at the same place: first in reading order,
    // then second behind one that lies outside the visible part.
    auto labelPixels = [&](bool withHidden) {
        Make(400, 3000, 400, 300);
        if (withHidden) owner->tree->AddRegion(RECT{20, 2500, 99, 2599}, kRegionHorizontal);
        owner->tree->AddRegion(RECT{20, 20, 99, 99}, kRegionHorizontal);
        owner->tree->ClearSelection();
        Paint();
        std::vector<COLORREF> pixels;
        for (int y = 22; y < 40; ++y)
            for (int x = 22; x < 40; ++x) pixels.push_back(canvas->At(x, y));
        return pixels;
    };
    const auto first = labelPixels(false);
    const auto second = labelPixels(true);
    const auto blacks = std::count(first.begin(), first.end(), kBlack);
    EXPECT_GT(blacks, 10) << "the label is written opaque on black";
    EXPECT_NE(first, second) << "label 2, not 1";
}

TEST_F(PageViewRenderer, NotXorBandIsErasedByDrawingItAgain) {
    Make(200, 200, 200, 200);
    PaintInk(*owner->page, RECT{50, 50, 149, 149});
    view.UpdateDisplayImage();
    Paint();
    std::vector<COLORREF> before;
    for (int x = 0; x < 200; ++x) before.push_back(canvas->At(x, 100));
    CPageViewRenderer::DrawRegionFrame(canvas->dc, POINT{10, 100}, POINT{190, 150}, kStyleRubberBand);
    EXPECT_NE(canvas->At(100, 100), before[100]);
    CPageViewRenderer::DrawRegionFrame(canvas->dc, POINT{10, 100}, POINT{190, 150}, kStyleRubberBand);
    for (int x = 0; x < 200; ++x) ASSERT_EQ(canvas->At(x, 100), before[static_cast<std::size_t>(x)]) << x;
    // The two-pixel arrow too.
    const COLORREF onArrow = canvas->At(70, 50);
    CPageViewRenderer::DrawRegionFrame(canvas->dc, POINT{20, 20}, POINT{120, 80}, kStyleReorderArrow);
    CPageViewRenderer::DrawRegionFrame(canvas->dc, POINT{20, 20}, POINT{120, 80}, kStyleReorderArrow);
    EXPECT_EQ(canvas->At(70, 50), onArrow);
}

TEST_F(PageViewRenderer, SealCharBoxAndFocusFrame) {
    Make(400, 300, 400, 300);
    const RECT seal{200, 150, 300, 250};
    owner->tree->SetSealRect(&seal);
    view.ShowCharBox(RECT{10, 10, 30, 30});
    PageViewPaintInput input;
    input.viewText = true;
    input.focused = true;
    Paint(input);
    const POINT s = view.PageToClient(POINT{250, 250});
    EXPECT_EQ(canvas->At(s.x, s.y), GetDrawStyle(kStyleSeal).color);
    const POINT c = view.PageToClient(POINT{20, 30});
    EXPECT_EQ(canvas->At(c.x, c.y), GetDrawStyle(kStyleHorizontalText).color);
    EXPECT_EQ(canvas->At(399, 150), kBlack) << "focus frame";
    input.viewText = false;
    input.focused = false;
    Paint(input);
    EXPECT_EQ(canvas->At(c.x, c.y), kWhite) << "no character box without the text view";
}

// An 8-bit grey DIB whose colour-count field is 0 (a full table by the DIB rules).
HDIB MakeGreyDib(int w, int h, BYTE value) {
    const DWORD stride = (static_cast<DWORD>(w) + 3) & ~3u;
    const SIZE_T size = sizeof(BITMAPINFOHEADER) + 256 * 4 + stride * static_cast<DWORD>(h);
    HDIB dib = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    auto* p = static_cast<BYTE*>(GlobalLock(dib));
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(p);
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = w;
    header->biHeight = h;
    header->biPlanes = 1;
    header->biBitCount = 8;
    header->biClrUsed = 0;
    for (int i = 0; i < 256; ++i) std::memset(p + sizeof(BITMAPINFOHEADER) + i * 4, i, 3);
    std::memset(p + sizeof(BITMAPINFOHEADER) + 256 * 4, value, stride * static_cast<DWORD>(h));
    GlobalUnlock(dib);
    return dib;
}

TEST_F(PageViewRenderer, GreyPageDrawsItsPixelsNotItsPalette) {
    Make(64, 64, 64, 64);
    FreePage(owner->page);
    owner->page = std::make_unique<CPageImage>();
    ASSERT_EQ(owner->page->AttachDib(MakeGreyDib(64, 64, 0x90)), 0);
    view.SetPage(owner->page.get(), owner->tree.get());
    view.ResetView();
    Paint();
    EXPECT_EQ(canvas->At(32, 32), 0x909090u);
    EXPECT_EQ(canvas->At(5, 60), 0x909090u);
}

}  // namespace

// A grey page's drawing is kept between paints: it must show what a fresh
// drawing shows, and an edit of the page's pixels or a move of the view must
// reach the screen rather than the kept copy.
TEST_F(PageViewRenderer, KeptGreyDrawingFollowsEditsAndScrolling) {
    Make(64, 64, 40, 40);
    FreePage(owner->page);
    owner->page = std::make_unique<CPageImage>();
    // The lower half darker than the upper one.
    HDIB dib = MakeGreyDib(64, 64, 0xC0);
    {
        CBlockLock lock(dib);
        DibLayout layout;
        ASSERT_TRUE(DescribeDib(lock.get(), lock.size(), layout));
        for (int y = 32; y < 64; ++y) std::memset(layout.Row(y), 0x40, 64);
    }
    ASSERT_EQ(owner->page->AttachDib(dib), 0);
    view.SetPage(owner->page.get(), owner->tree.get());
    view.ResetView();
    CKeptPageDrawing kept;
    PageViewPaintInput input;
    input.kept = &kept;
    auto same = [&](const char* when) {
        Canvas fresh(40, 40);
        CPageViewRenderer::Paint(fresh.dc, view, {});
        Paint(input);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x)
                ASSERT_EQ(canvas->At(x, y), fresh.At(x, y)) << when << " at " << x << "," << y;
    };
    same("first paint");
    same("second paint");
    EXPECT_EQ(canvas->At(10, 10), 0xC0C0C0u);

    // The scissors' way: the pixels change in place, the zoom copy goes.
    {
        CBlockLock lock(owner->page->m_hDib);
        DibLayout layout;
        ASSERT_TRUE(DescribeDib(lock.get(), lock.size(), layout));
        std::memset(layout.Row(10) + 5, 0x10, 10);
    }
    view.DropZoomImage();
    same("after an edit");
    EXPECT_EQ(canvas->At(10, 10), 0x101010u);

    ASSERT_TRUE(view.Scroll(true, SB_PAGEDOWN, 0));
    same("after scrolling");
    EXPECT_EQ(canvas->At(10, 30), 0x404040u);
}
