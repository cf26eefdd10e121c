#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>

#include "imaging/image_block.h"
#include "imaging/page_image.h"
#include "imaging/plane_bits.h"
#include "imaging/tests/dib_builder.h"
#include "imaging/tests/fake_image_host.h"

namespace {

std::function<bool(int, int)> randomPattern(unsigned seed, int percent = 40) {
    auto rng = std::make_shared<std::mt19937>(seed);
    auto cells = std::make_shared<std::map<std::pair<int, int>, bool>>();
    return [=](int x, int y) {
        auto it = cells->find({x, y});
        if (it != cells->end()) return it->second;
        const bool v = static_cast<int>((*rng)() % 100) < percent;
        (*cells)[{x, y}] = v;
        return v;
    };
}

TEST(AutoInvert, InvertsMostlyBlackPagesOnly) {
    // 10 bytes a row, 10 rows: 60 black bytes, 10 white, 30 mixed.
    ScopedPage page;
    MakeMonoPage(page, 80, 10, [](int x, int) {
        const int b = x / 8;
        if (b < 6) return true;
        if (b == 6) return false;
        return x % 2 == 0;
    });
    page.AutoInvert();
    EXPECT_FALSE(PixelOf(page, 0, 0));
    EXPECT_TRUE(PixelOf(page, 50, 0));
    // 30 % black and 20 % white bytes: 2 x 20 >= 30, left alone.
    ScopedPage other;
    MakeMonoPage(other, 80, 10, [](int x, int) {
        const int b = x / 8;
        if (b < 3) return true;
        if (b < 5) return false;
        return x % 2 == 0;
    });
    other.AutoInvert();
    EXPECT_TRUE(PixelOf(other, 0, 0));
}

TEST(AutoInvert, GreyPagesAreLeftAlone) {
    ScopedPage page;
    page.AttachDib(GreyDib(16, 16, [](int, int) { return 0; }).Make());
    page.AutoInvert();
    EXPECT_TRUE(PixelOf(page, 3, 3));
}

TEST(Invert, FlipsPaddingAndGreyBitmapToo) {
    ScopedPage mono;
    MakeMonoPage(mono, 13, 2, [](int, int) { return false; });
    mono.Invert();
    EXPECT_EQ(PlaneOf(mono)[1], 0xFF) << "padding bits flip with the rest";

    ScopedPage grey;
    grey.AttachDib(GreyDib(8, 2, [](int x, int) { return x * 10; }).Make());
    grey.Invert();
    const BYTE* p = static_cast<const BYTE*>(GlobalLock(grey.m_hDib));
    EXPECT_EQ(p[40 + 1024 + 3], 255 - 30);
    GlobalUnlock(grey.m_hDib);
    // A rebinarisation now agrees with the inverted plane.
    const auto before = PlaneOf(grey);
    grey.Binarize();
    EXPECT_EQ(PlaneOf(grey), before);
}

TEST(Crop, PacksRowsAndShrinksTheBlock) {
    ScopedPage page;
    auto pattern = randomPattern(5);
    MakeMonoPage(page, 37, 21, pattern);
    ASSERT_TRUE(page.Crop(3, 4, 30, 19));
    EXPECT_EQ(page.m_nWidth, 27);
    EXPECT_EQ(page.m_nHeight, 15);
    EXPECT_EQ(GlobalSize(page.m_hBits), 4u * 15);
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 27; ++x) ASSERT_EQ(PixelOf(page, x, y), pattern(x + 3, y + 4)) << x << "," << y;
    EXPECT_EQ(PlaneOf(page)[3] & 0x1F, 0) << "bits past the new width are 0";
}

TEST(Crop, ClipsToThePageAndRefusesEmptyRectangles) {
    ScopedPage page;
    MakeMonoPage(page, 20, 20, [](int x, int y) { return x == y; });
    EXPECT_FALSE(page.Crop(25, 0, 40, 10));
    EXPECT_FALSE(page.Crop(5, 5, 5, 10));
    EXPECT_FALSE(page.Crop(8, 9, 2, 3));
    EXPECT_EQ(page.m_nWidth, 20);
    ASSERT_TRUE(page.Crop(-5, -5, 10, 100));
    EXPECT_EQ(page.m_nWidth, 10);
    EXPECT_EQ(page.m_nHeight, 20);
}

TEST(Crop, GreyPageCropsItsBitmapToo) {
    ScopedPage page;
    page.AttachDib(GreyDib(30, 20, [](int x, int y) { return (x + 3 * y) % 256; }).Make());
    ASSERT_TRUE(page.Crop(5, 2, 17, 12));
    BYTE* p = static_cast<BYTE*>(GlobalLock(page.m_hDib));
    const auto* h = reinterpret_cast<const BITMAPINFOHEADER*>(p);
    EXPECT_EQ(h->biWidth, 12);
    EXPECT_EQ(h->biHeight, 10);
    DWORD stride = WIDTHBYTES(12 * 8);
    // Page row 0 of the cropped bitmap is the last stored row.
    EXPECT_EQ(p[40 + 1024 + 9 * stride + 0], (5 + 3 * 2) % 256);
    EXPECT_EQ(p[40 + 1024 + 0 * stride + 11], (16 + 3 * 11) % 256);
    GlobalUnlock(page.m_hDib);
    // A later turn works from the cropped bitmap.
    ASSERT_EQ(page.RotateRight(), 1);
    EXPECT_EQ(page.m_nWidth, 10);
    EXPECT_EQ(page.m_nHeight, 12);
}

TEST(Crop, ColourPageCropsItsBitmapToo) {
    ScopedPage page;
    page.AttachDib(ColourDib(9, 7, [](int x, int y) { return Bgr{BYTE(x), BYTE(y), BYTE(x + y)}; }).Make());
    ASSERT_TRUE(page.Crop(2, 1, 7, 6));
    BYTE* p = static_cast<BYTE*>(GlobalLock(page.m_hDib));
    const DWORD stride = WIDTHBYTES(5 * 24);
    const BYTE* topRow = p + 40 + 4 * stride;  // page row 0 = stored row 4
    EXPECT_EQ(topRow[0], 2);
    EXPECT_EQ(topRow[1], 1);
    GlobalUnlock(page.m_hDib);
}

struct Rotation : ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(Rotation, MatchesThePixelMappingAndRightThenLeftIsIdentity) {
    const auto [w, h] = GetParam();
    auto pattern = randomPattern(static_cast<unsigned>(w * 131 + h));
    ScopedPage page;
    MakeMonoPage(page, w, h, pattern);
    const auto original = PlaneOf(page);
    ASSERT_EQ(page.RotateRight(), 1);
    ASSERT_EQ(page.m_nWidth, h);
    ASSERT_EQ(page.m_nHeight, w);
    for (int y = 0; y < w; ++y)
        for (int x = 0; x < h; ++x) ASSERT_EQ(PixelOf(page, x, y), pattern(y, h - 1 - x)) << x << "," << y;
    EXPECT_EQ(PlaneOf(page)[page.RowBytes() - 1] & ~LastByteMask(h), 0);
    ASSERT_EQ(page.RotateLeft(), 1);
    EXPECT_EQ(PlaneOf(page), original);
    ASSERT_EQ(page.RotateLeft(), 1);
    for (int y = 0; y < w; ++y)
        for (int x = 0; x < h; ++x) ASSERT_EQ(PixelOf(page, x, y), pattern(w - 1 - y, x)) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(Sizes, Rotation,
                         ::testing::Values(std::pair{13, 10}, std::pair{8, 8}, std::pair{1, 17}, std::pair{64, 3},
                                           std::pair{33, 65}));

TEST(RotationCorner, TopLeftGoesTopRight) {
    ScopedPage page;
    MakeMonoPage(page, 13, 10, [](int x, int y) { return x == 0 && y == 0; });
    ASSERT_EQ(page.RotateRight(), 1);
    EXPECT_TRUE(PixelOf(page, 9, 0));
}

TEST(RotationFailure, NoWorkBlockMeansFailureAndAnUnchangedPage) {
    ScopedPage mono;
    MakeMonoPage(mono, 20, 10, randomPattern(1));
    const auto plane = PlaneOf(mono);
    SetImageAllocFailAfter(0);
    EXPECT_EQ(mono.RotateRight(), 0);
    EXPECT_EQ(mono.RotateLeft(), 0);
    SetImageAllocFailAfter(-1);
    EXPECT_EQ(mono.m_nWidth, 20);
    EXPECT_EQ(PlaneOf(mono), plane);

    ScopedPage grey;
    grey.AttachDib(GreyDib(20, 10, [](int x, int) { return x * 12; }).Make());
    const auto greyPlane = PlaneOf(grey);
    for (int successes : {0, 1, 2}) {  // the work block, the new plane, the bitmap resize
        SetImageAllocFailAfter(successes);
        EXPECT_EQ(grey.RotateRight(), 0) << successes;
        SetImageAllocFailAfter(-1);
        EXPECT_EQ(grey.m_nWidth, 20);
        EXPECT_EQ(PlaneOf(grey), greyPlane);
        const auto* h = static_cast<const BITMAPINFOHEADER*>(GlobalLock(grey.m_hDib));
        EXPECT_EQ(h->biWidth, 20);
        GlobalUnlock(grey.m_hDib);
    }
}

TEST(GreyRotation, TurnsTheBitmapAndRebuildsThePlane) {
    ScopedPage page;
    page.AttachDib(GreyDib(5, 3, [](int x, int y) { return x == 4 && y == 0 ? 0 : 255; }).Make());
    ASSERT_EQ(page.RotateRight(), 1);
    EXPECT_EQ(page.m_nWidth, 3);
    EXPECT_EQ(page.m_nHeight, 5);
    EXPECT_EQ(GlobalSize(page.m_hBits), 5u);
    EXPECT_TRUE(PixelOf(page, 2, 4)) << "old top-right pixel becomes bottom-right";
    ASSERT_EQ(page.RotateLeft(), 1);
    EXPECT_TRUE(PixelOf(page, 4, 0));
    const auto* h = static_cast<const BITMAPINFOHEADER*>(GlobalLock(page.m_hDib));
    EXPECT_EQ(h->biWidth, 5);
    EXPECT_EQ(h->biHeight, 3);
    GlobalUnlock(page.m_hDib);
}

TEST(ColourRotation, MovesThreeBytePixels) {
    ScopedPage page;
    page.AttachDib(ColourDib(4, 2, [](int x, int y) { return Bgr{BYTE(x), BYTE(y), 99}; }).Make());
    ASSERT_EQ(page.RotateLeft(), 1);
    // Counter-clockwise: new (x', y') = old (width - 1 - y', x'). New (1, 0) = old (3, 1).
    BYTE* p = static_cast<BYTE*>(GlobalLock(page.m_hDib));
    const DWORD stride = WIDTHBYTES(2 * 24);
    const BYTE* topRow = p + 40 + 3 * stride;
    EXPECT_EQ(topRow[3], 3);
    EXPECT_EQ(topRow[4], 1);
    EXPECT_EQ(topRow[5], 99);
    GlobalUnlock(page.m_hDib);
}

TEST(EraseRect, CornersInAnyOrderAndClipping) {
    ScopedPage a, b;
    MakeMonoPage(a, 64, 100, [](int, int) { return true; });
    MakeMonoPage(b, 64, 100, [](int, int) { return true; });
    a.EraseRect(50, 80, 10, 20);
    b.EraseRect(10, 20, 50, 80);
    EXPECT_EQ(PlaneOf(a), PlaneOf(b));
    EXPECT_FALSE(PixelOf(a, 10, 20));
    EXPECT_FALSE(PixelOf(a, 50, 80));
    EXPECT_TRUE(PixelOf(a, 9, 20));
    EXPECT_TRUE(PixelOf(a, 51, 80));
    const auto before = PlaneOf(a);
    a.EraseRect(70, 0, 90, 10);  // wholly right of the page
    EXPECT_EQ(PlaneOf(a), before);
    a.EraseRect(-10, -10, 3, 3);
    EXPECT_FALSE(PixelOf(a, 0, 0));
}

TEST(EraseRect, ExactPixelsWithinOneByte) {
    ScopedPage page;
    MakeMonoPage(page, 16, 2, [](int, int) { return true; });
    page.EraseRect(3, 0, 5, 0);
    EXPECT_EQ(PlaneOf(page)[0], 0xE3);
    EXPECT_EQ(PlaneOf(page)[1], 0xFF);
}

TEST(EraseRect, GreyPagesWhitenTheBitmap) {
    ScopedPage page;
    page.AttachDib(GreyDib(8, 4, [](int, int) { return 0; }).Make());
    page.EraseRect(1, 1, 2, 2);
    const BYTE* p = static_cast<const BYTE*>(GlobalLock(page.m_hDib));
    EXPECT_EQ(p[40 + 1024 + 2 * 8 + 1], 255);  // page row 1 = stored row 2
    EXPECT_EQ(p[40 + 1024 + 2 * 8 + 3], 0);
    GlobalUnlock(page.m_hDib);
}

TEST(DrawLine, HorizontalVerticalAndDiagonal) {
    ScopedPage page;
    MakeMonoPage(page, 40, 40, [](int, int) { return false; });
    page.DrawLine(5, 10, 30, 10, 1);
    EXPECT_TRUE(PixelOf(page, 4, 10)) << "walk starts one column left";
    EXPECT_TRUE(PixelOf(page, 20, 10));
    EXPECT_FALSE(PixelOf(page, 20, 11));
    page.DrawLine(0, 0, 10, 10, 1);  // 45 degrees is mostly vertical
    EXPECT_TRUE(PixelOf(page, 0, 0));
    EXPECT_TRUE(PixelOf(page, 5, 5));
    ScopedPage thick;
    MakeMonoPage(thick, 40, 40, [](int, int) { return false; });
    thick.DrawLine(5, 20, 30, 20, 4);  // moved up by 2: rows 18..21
    EXPECT_FALSE(PixelOf(thick, 15, 17));
    EXPECT_TRUE(PixelOf(thick, 15, 18));
    EXPECT_TRUE(PixelOf(thick, 15, 21));
    EXPECT_FALSE(PixelOf(thick, 15, 22));
    thick.DrawLine(-100, 39, 500, 39, 10);  // clamped into the page, centred as far as the edge allows
    EXPECT_TRUE(PixelOf(thick, 0, 39));
    EXPECT_TRUE(PixelOf(thick, 38, 34));
    EXPECT_FALSE(PixelOf(thick, 38, 33));
    const auto before = PlaneOf(thick);
    thick.DrawLine(1, 1, 30, 30, 0);
    EXPECT_EQ(PlaneOf(thick), before);
}

TEST(DrawLine, GreyPagesDrawIntoTheBitmap) {
    ScopedPage page;
    page.AttachDib(GreyDib(16, 16, [](int, int) { return 255; }).Make());
    page.DrawLine(2, 8, 12, 8, 1);
    const BYTE* p = static_cast<const BYTE*>(GlobalLock(page.m_hDib));
    EXPECT_EQ(p[40 + 1024 + 7 * 16 + 6], 0);
    GlobalUnlock(page.m_hDib);
}

TEST(AddMargin, FortyWhitePixelsAllRound) {
    ScopedPage page;
    MakeMonoPage(page, 13, 5, [](int, int) { return true; });
    ASSERT_TRUE(page.AddMargin());
    EXPECT_EQ(page.m_nWidth, 93);
    EXPECT_EQ(page.m_nHeight, 85);
    EXPECT_FALSE(PixelOf(page, 39, 40));
    EXPECT_TRUE(PixelOf(page, 40, 40));
    EXPECT_TRUE(PixelOf(page, 52, 44));
    EXPECT_FALSE(PixelOf(page, 53, 44));
    EXPECT_FALSE(PixelOf(page, 40, 45));
}

}  // namespace
