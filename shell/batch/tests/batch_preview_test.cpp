// The preview mode's picture: the scale that fits a page into the area, the
// reduced page's size and centring, rows copied in the work bitmap's own
// stride, frames only where the page is visible, the tint reaching through
// whole regions into the one the progress is in, and nothing drawn or
// divided for an area without width. A grey page is scaled once and then
// copied, and another page is never shown from that copy.
#include <gtest/gtest.h>

#include <QImage>

#include <cstring>

#include "imaging/image_block.h"
#include "imaging/tests/dib_builder.h"
#include "ocrdoc/regions/layout_region.h"
#include "platform/afx/core/dc_qt.h"
#include "shell/batch/batch_preview.h"
#include "shell/batch/batch_recog_renderer.h"

namespace {

// A 1-bit page with black bars of 64 pixels at the given columns.
struct BarPage {
    CPageImage image;
    BarPage(int width, int height, std::vector<int> barColumns) {
        image.m_nWidth = width;
        image.m_nHeight = height;
        image.m_nBitCount = 1;
        const std::size_t stride = static_cast<std::size_t>((width + 7) / 8);
        image.m_hBits = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, stride * static_cast<std::size_t>(height));
        auto* bits = static_cast<BYTE*>(GlobalLock(image.m_hBits));
        for (int y = 0; y < height; ++y)
            for (int column : barColumns)
                for (int x = column; x < column + 64 && x < width; ++x) bits[y * stride + x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
        GlobalUnlock(image.m_hBits);
    }
    ~BarPage() { image.Empty(); }
};

struct Regions {
    explicit Regions(RECT page = RECT{0, 0, 3000, 4000}) : root(page) {}
    CPageRegion root;
    // FALSE (and nothing kept) when the tree refuses the region.
    bool Add(RECT r, int flags) {
        auto* region = new CLayoutRegion(r, flags);
        if (root.AddChild(region)) return true;
        delete region;
        return false;
    }
};

// Paints the preview into an image of the area's size (plus the buffer's edge).
QImage Paint(CBatchPreview& preview, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    HDC hdc = AfxCreateImageDC(&image, QPoint(0, 0), QRect(0, 0, width, height));
    CDC* dc = CDC::FromHandle(hdc);
    CBatchRecogRenderer::DrawPreview(*dc, RECT{0, 0, width, height}, preview);
    DeleteDC(hdc);
    return image;
}

}  // namespace

TEST(BatchPreview, ScaleFitsThePageIntoTheArea) {
    // k = 22 (and 17): 1/32.
    EXPECT_EQ(CBatchPreview::ChooseScale(3000, 4000, 139, 245), 8);
    // k = 15, k2 = 13: 1/16.
    EXPECT_EQ(CBatchPreview::ChooseScale(2000, 3000, 139, 245), 16);
    // Exactly the area's width and less than its height: full size.
    EXPECT_EQ(CBatchPreview::ChooseScale(139, 200, 139, 245), 256);
    EXPECT_EQ(CBatchPreview::ChooseScale(278, 200, 139, 245), 128);
    EXPECT_EQ(CBatchPreview::ChooseScale(139, 245, 139, 245), 128);  // k2 = 2
    EXPECT_EQ(CBatchPreview::ChooseScale(500, 100, 139, 245), 64);
    EXPECT_EQ(CBatchPreview::ChooseScale(10000, 100, 139, 245), 8);
    // No area: the smallest scale, no division.
    EXPECT_EQ(CBatchPreview::ChooseScale(3000, 4000, 0, 245), 8);
}

TEST(BatchPreview, ReducedPagesAreCentredAndShownWhole) {
    AfxWinInit();
    {
        BarPage page(3000, 4000, {1600});
        CBatchPreview preview;
        preview.SetPage(&page.image, nullptr);
        ASSERT_EQ(preview.Prepare(139, 245), CBatchPreview::Build::kBuilt);
        EXPECT_EQ(preview.Scale(), 8);
        EXPECT_EQ(preview.DrawnWidth(), 93);
        EXPECT_EQ(preview.DrawnHeight(), 125);
        EXPECT_EQ(preview.OffsetX(), 23);
        EXPECT_EQ(preview.OffsetY(), 60);
    }
    {
        BarPage page(2000, 3000, {});
        CBatchPreview preview;
        preview.SetPage(&page.image, nullptr);
        ASSERT_EQ(preview.Prepare(139, 245), CBatchPreview::Build::kBuilt);
        EXPECT_EQ(preview.Scale(), 16);
        ASSERT_NE(preview.ReducedPage(), nullptr);
        EXPECT_EQ(preview.ReducedPage()->m_nWidth, 125);
        EXPECT_EQ(preview.ReducedPage()->m_nHeight, 187);
        EXPECT_EQ(preview.DrawnHeight(), 187);
    }
    {
        BarPage page(139, 200, {});
        CBatchPreview preview;
        preview.SetPage(&page.image, nullptr);
        ASSERT_EQ(preview.Prepare(139, 245), CBatchPreview::Build::kBuilt);
        EXPECT_EQ(preview.Scale(), 256);
        EXPECT_EQ(preview.ReducedPage(), nullptr);
        EXPECT_EQ(preview.DrawnWidth(), 139);
        EXPECT_EQ(preview.DrawnHeight(), 200);
    }
}

TEST(BatchPreview, EveryRowKeepsItsColumnsInTheWorkBitmap) {
    AfxWinInit();
    // A bar at 1600..1663 becomes columns 50 and 51 at 1/32; with rows in the
    // wrong stride it would slant across the picture.
    BarPage page(3000, 4000, {1600});
    CBatchPreview preview;
    preview.SetPage(&page.image, nullptr);
    const QImage shot = Paint(preview, 139, 245);
    const int x = preview.OffsetX(), y = preview.OffsetY();
    int black = 0, misplaced = 0;
    for (int row = 0; row < preview.DrawnHeight(); ++row)
        for (int column = 0; column < preview.DrawnWidth(); ++column) {
            const bool dark = qGray(shot.pixel(x + column, y + row)) < 64;
            const bool bar = column == 50 || column == 51;
            if (dark && bar) ++black;
            if (dark != bar) ++misplaced;
        }
    EXPECT_EQ(black, 2 * preview.DrawnHeight());
    EXPECT_EQ(misplaced, 0);
    // Outside the page the area is grey.
    EXPECT_EQ(shot.pixel(2, 2), qRgb(128, 128, 128));
}

TEST(BatchPreview, NoPageOrNoWidthShowsGrey) {
    AfxWinInit();
    CBatchPreview preview;
    EXPECT_EQ(preview.Prepare(139, 245), CBatchPreview::Build::kNoPage);
    const QImage shot = Paint(preview, 139, 245);
    EXPECT_EQ(shot.pixel(70, 120), qRgb(128, 128, 128));
    BarPage page(3000, 4000, {});
    preview.SetPage(&page.image, nullptr);
    // The area left of the controls may have no width at all.
    EXPECT_EQ(preview.Prepare(0, 245), CBatchPreview::Build::kNoPage);
    EXPECT_EQ(preview.Prepare(-40, 245), CBatchPreview::Build::kNoPage);
    EXPECT_FALSE(preview.Built());
    // A page without its 1-bit plane is no page.
    CPageImage empty;
    empty.m_nWidth = 100;
    empty.m_nHeight = 100;
    preview.SetPage(&empty, nullptr);
    EXPECT_EQ(preview.Prepare(139, 245), CBatchPreview::Build::kNoPage);
}

TEST(BatchPreview, ALockFailureBuildsNothingAndTheNextTryWorks) {
    AfxWinInit();
    BarPage page(3000, 4000, {});
    CBatchPreview preview;
    preview.SetPage(&page.image, nullptr);
    SetImageAllocFailAfter(0);
    EXPECT_EQ(preview.Prepare(139, 245), CBatchPreview::Build::kLockFailed);
    SetImageAllocFailAfter(-1);
    EXPECT_FALSE(preview.Built());
    EXPECT_EQ(preview.Prepare(139, 245), CBatchPreview::Build::kBuilt);
}

TEST(BatchPreview, TintRunsThroughWholeRegionsIntoTheCurrentOne) {
    BarPage page(3000, 4000, {});
    Regions regions;
    ASSERT_TRUE(regions.Add(RECT{100, 100, 900, 300}, 1));    // 200 high
    ASSERT_TRUE(regions.Add(RECT{100, 400, 900, 500}, 1));    // 100
    ASSERT_TRUE(regions.Add(RECT{100, 600, 900, 1000}, 2));   // 400
    ASSERT_TRUE(regions.Add(RECT{100, 1100, 900, 1400}, 8));  // 300: 1000 in all
    CBatchPreview preview;
    preview.SetPage(&page.image, &regions.root);
    // 45 of 100 lines: 450 pixels of height, inside the third region.
    preview.SetProgress(45, 100);
    const std::vector<RECT> tints = preview.TintRects();
    ASSERT_EQ(tints.size(), 3u);
    EXPECT_EQ(tints[0].bottom, 300);
    EXPECT_EQ(tints[1].bottom, 500);
    EXPECT_EQ(tints[2].top, 600);
    EXPECT_EQ(tints[2].bottom, 750);
    // Everything done: every region whole; more than the total counts as all.
    preview.SetProgress(130, 100);
    EXPECT_EQ(preview.TintRects().size(), 4u);
    EXPECT_EQ(preview.TintRects()[3].bottom, 1400);
    // No total, or done -1 (the end of a recognition): no tint.
    preview.SetProgress(10, 0);
    EXPECT_TRUE(preview.TintRects().empty());
    preview.SetProgress(-1, 10);
    EXPECT_TRUE(preview.TintRects().empty());
    preview.SetProgress(0, 10);
    EXPECT_TRUE(preview.TintRects().empty());
}

TEST(BatchPreview, FramesOnlyForVisibleRegionsWithTheirKindsPens) {
    AfxWinInit();
    // Too wide even for 1/32: only 4448 of its 10000 columns are visible.
    BarPage page(10000, 400, {});
    Regions regions(RECT{0, 0, 10000, 400});
    ASSERT_TRUE(regions.Add(RECT{0, 0, 1000, 100}, 8));
    ASSERT_TRUE(regions.Add(RECT{0, 100, 1000, 200}, 4 | 1));
    ASSERT_TRUE(regions.Add(RECT{1000, 0, 2000, 100}, 0x10));
    ASSERT_TRUE(regions.Add(RECT{5000, 0, 6000, 100}, 1));     // outside the visible part
    ASSERT_TRUE(regions.Add(RECT{2000, 200, 2500, 300}, 0));   // no kind: no frame
    regions.root.m_nSelected = 1;
    CBatchPreview preview;
    preview.SetPage(&page.image, &regions.root);
    ASSERT_EQ(preview.Prepare(139, 245), CBatchPreview::Build::kBuilt);
    EXPECT_EQ(preview.Scale(), 8);
    const std::vector<CBatchPreview::Frame> frames = preview.Frames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].pen, 23);
    EXPECT_FALSE(frames[0].current);
    EXPECT_EQ(frames[1].pen, 27);
    EXPECT_TRUE(frames[1].current);
    EXPECT_EQ(frames[2].pen, 32);
    EXPECT_EQ(frames[0].rect.left, preview.OffsetX());
    EXPECT_EQ(frames[0].rect.right, 1000 * 8 / 256 + preview.OffsetX());
    EXPECT_EQ(frames[1].rect.top, 100 * 8 / 256 + preview.OffsetY());
    EXPECT_EQ(CBatchPreview::PenOf(2, false), 25);
    EXPECT_EQ(CBatchPreview::PenOf(2, true), 30);
    EXPECT_EQ(CBatchPreview::PenOf(0x10, true), 33);
    EXPECT_EQ(CBatchPreview::PenOf(0, false), 0);
}

TEST(BatchPreview, TintedPartsShowLightYellowWithBlackInk) {
    AfxWinInit();
    BarPage page(3000, 4000, {1600});
    Regions regions;
    ASSERT_TRUE(regions.Add(RECT{0, 0, 3000, 2000}, 1));
    ASSERT_TRUE(regions.Add(RECT{0, 2000, 3000, 4000}, 1));
    CBatchPreview preview;
    preview.SetPage(&page.image, &regions.root);
    preview.SetProgress(1, 4);  // half of the first region
    const QImage shot = Paint(preview, 139, 245);
    const int x = preview.OffsetX(), y = preview.OffsetY();
    EXPECT_EQ(shot.pixel(x + 20, y + 10), qRgb(255, 255, 128));
    EXPECT_EQ(qGray(shot.pixel(x + 50, y + 10)), 0);  // the bar stays black
    EXPECT_EQ(shot.pixel(x + 20, y + 40), qRgb(255, 255, 255));
}

TEST(BatchPreview, AGreyPageScaledOnceIsShownAgainUntilThePageChanges) {
    AfxWinInit();
    // Grey pages with a dark bar at a third, then at two thirds of the width.
    auto greyPage = [](CPageImage& image, int barLeft) {
        ASSERT_EQ(image.AttachDib(GreyDib(1200, 1600, [&](int x, int) { return x >= barLeft && x < barLeft + 120 ? 20 : 235; }).Make()), 0);
        image.Binarize();
    };
    CPageImage left, right;
    greyPage(left, 400);
    greyPage(right, 800);
    ASSERT_NE(left.m_hDib, nullptr);
    Regions regions(RECT{0, 0, 1200, 1600});
    CBatchPreview preview;
    preview.SetPage(&left, &regions.root);
    const QImage first = Paint(preview, 139, 245);
    const int x = preview.OffsetX(), y = preview.OffsetY(), scale = preview.Scale();
    auto dark = [&](const QImage& shot, int pageX) { return qGray(shot.pixel(x + pageX * scale / 256, y + 20)) < 100; };
    EXPECT_TRUE(dark(first, 460));
    EXPECT_FALSE(dark(first, 860));
    EXPECT_EQ(Paint(preview, 139, 245), first);  // the kept copy draws the same picture

    preview.SetPage(&right, &regions.root);
    const QImage second = Paint(preview, 139, 245);
    EXPECT_FALSE(dark(second, 460));
    EXPECT_TRUE(dark(second, 860));
    left.Empty();
    right.Empty();
}
