#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "imaging/bit_raster.h"
#include "imaging/dib_rotate.h"
#include "imaging/draw_geometry.h"
#include "imaging/gray_convert.h"
#include "imaging/image_block.h"
#include "imaging/pixel_rows.h"
#include "imaging/tests/dib_builder.h"

namespace {

const BITMAPINFOHEADER& headerOf(HDIB h) { return *static_cast<const BITMAPINFOHEADER*>(GlobalLock(h)); }

TEST(RotateDib, ZeroQuarterAndEighthTurns) {
    auto make = [] { return GreyDib(100, 60, [](int x, int y) { return (x * 3 + y * 5) % 256; }); };
    TestDib original = make();
    HDIB h = original.Make();
    ASSERT_EQ(RotateDib(h, 0.0), kRotateDone);
    {
        const BYTE* p = static_cast<const BYTE*>(GlobalLock(h));
        EXPECT_EQ(std::memcmp(p + 40 + 1024, original.rows.data(), original.rows.size()), 0);
        GlobalUnlock(h);
    }
    ASSERT_EQ(RotateDib(h, M_PI / 2), kRotateDone);
    EXPECT_EQ(headerOf(h).biWidth, 60);
    EXPECT_EQ(headerOf(h).biHeight, 100);
    GlobalUnlock(h);
    GlobalUnlock(h);
    GlobalFree(h);

    HDIB square = GreyDib(100, 100, [](int, int) { return 0; }).Make();
    ASSERT_EQ(RotateDib(square, M_PI / 4), kRotateDone);
    const auto& hd = headerOf(square);
    EXPECT_EQ(hd.biWidth, 141);
    EXPECT_EQ(hd.biHeight, 141);
    EXPECT_EQ(hd.biSizeImage, 144u * 141);
    const BYTE* rows = reinterpret_cast<const BYTE*>(&hd) + 40 + 1024;
    EXPECT_EQ(rows[0], 255) << "corners are white";
    EXPECT_EQ(rows[70 * 144 + 70], 0) << "the centre is the old page";
    GlobalUnlock(square);
    GlobalFree(square);
}

TEST(RotateDib, PositiveAngleTurnsClockwiseAsSeen) {
    // A dark pixel right of the centre moves down (page coordinates) under a clockwise turn.
    auto dib = GreyDib(41, 41, [](int x, int y) { return x == 35 && y == 20 ? 0 : 255; });
    HDIB h = dib.Make();
    ASSERT_EQ(RotateDib(h, M_PI / 2), kRotateDone);
    const BYTE* p = static_cast<const BYTE*>(GlobalLock(h));
    const DWORD stride = WIDTHBYTES(41 * 8);
    // Page row y is stored row 40 - y.
    int found = -1;
    for (int y = 0; y < 41; ++y)
        for (int x = 0; x < 41; ++x)
            if (p[40 + 1024 + (40 - y) * stride + x] == 0) found = y * 100 + x;
    EXPECT_NEAR(found / 100, 35, 1);
    EXPECT_NEAR(found % 100, 20, 1);
    GlobalUnlock(h);
    GlobalFree(h);
}

TEST(RotateDib, RefusesAndRunsOutOfMemoryWithoutChange) {
    EXPECT_EQ(RotateDib(nullptr, 1.0), kRotateNotHandled);
    HDIB mono = MonoDib(16, 16, [](int, int) { return true; }).Make();
    EXPECT_EQ(RotateDib(mono, 1.0), kRotateNotHandled);
    GlobalFree(mono);
    HDIB colour = ColourDib(30, 20, [](int x, int, ...) { return Bgr{BYTE(x), 2, 3}; }).Make();
    const SIZE_T size = GlobalSize(colour);
    SetImageAllocFailAfter(0);
    EXPECT_EQ(RotateDib(colour, 0.3), kRotateOutOfMemory);
    SetImageAllocFailAfter(-1);
    EXPECT_EQ(GlobalSize(colour), size);
    EXPECT_EQ(headerOf(colour).biWidth, 30);
    GlobalUnlock(colour);
    GlobalFree(colour);
}

TEST(RotateBits, QuarterTurnUpdatesTheSize) {
    // 20 x 10 raster with 16-bit aligned rows (4 bytes); pixel (0, 0) set.
    HGLOBAL h = GlobalAlloc(GHND, 4 * 10);
    static_cast<BYTE*>(GlobalLock(h))[0] = 0x80;
    GlobalUnlock(h);
    int w = 20, hgt = 10;
    ASSERT_EQ(RotateBits(h, &w, &hgt, M_PI / 2), kRotateDone);
    EXPECT_EQ(w, 10);
    EXPECT_EQ(hgt, 20);
    EXPECT_EQ(GlobalSize(h), 2u * 20);
    const BYTE* p = static_cast<const BYTE*>(GlobalLock(h));
    EXPECT_EQ(p[0], 0xFF);
    GlobalUnlock(h);
    int negative = -1;
    EXPECT_EQ(RotateBits(h, &negative, &hgt, 0.1), kRotateNotHandled);
    GlobalFree(h);
}

std::vector<int> scaledColumns(int from, int to) {
    std::vector<BYTE> src(from * from), dst(to * to);
    for (int y = 0; y < from; ++y)
        for (int x = 0; x < from; ++x) src[y * from + x] = static_cast<BYTE>(x);
    ScalePixels(src.data(), from, from, dst.data(), to, to);
    return std::vector<int>(dst.begin(), dst.begin() + to);
}

TEST(ScalePixels, WorkedSteps) {
    auto down = scaledColumns(64, 32);
    EXPECT_EQ(down[0], 0);
    EXPECT_EQ(down[15], 30);
    EXPECT_EQ(down[16], 33);
    EXPECT_EQ(down[31], 63);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(down[i], 2 * i);
    auto up = scaledColumns(10, 32);
    const int expectedStart[] = {0, 0, 1, 1, 1, 1, 2, 2, 2, 3};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(up[i], expectedStart[i]) << i;
    EXPECT_EQ(up[30], 9);
    EXPECT_EQ(up[31], 9);
    auto same = scaledColumns(32, 32);
    for (int i = 0; i < 32; ++i) EXPECT_EQ(same[i], i);
}

TEST(PackPixels, RowsOfWholeBytes) {
    std::vector<BYTE> src(32 * 32, 0), dst(200, 0xAA);
    src[0] = 1;
    src[32 * 31 + 31] = 7;
    PackPixels(src.data(), dst.data(), 32, 32);
    EXPECT_EQ(dst[0], 0x80);
    EXPECT_EQ(dst[127], 0x01);
    EXPECT_EQ(dst[128], 0xAA) << "32 x 32 gives 128 bytes";
    const BYTE nine[18] = {1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    BYTE out[4];
    PackPixels(nine, out, 9, 2);
    EXPECT_EQ(out[0], 0x80);
    EXPECT_EQ(out[1], 0x80);
    EXPECT_EQ(out[2], 0x00);
    EXPECT_EQ(out[3], 0x80);
}

TEST(ThresholdRow, EightAndFourBitSamples) {
    const BYTE grey[4] = {0, 127, 128, 255};
    BYTE out[2] = {0xFF, 0xFF};
    ThresholdRow(128, 8, 4, grey, out, 4);
    EXPECT_EQ(out[0], 0xC0);
    const BYTE nibbles[1] = {0x3C};
    ThresholdRow(8, 4, 1, nibbles, out, 1);
    EXPECT_EQ(out[0], 0x80);
    // Two rows of 3 samples: each row ends its byte.
    const BYTE rows[6] = {0, 200, 0, 200, 0, 0};
    BYTE two[2];
    ThresholdRow(100, 8, 6, rows, two, 3);
    EXPECT_EQ(two[0], 0xA0);
    EXPECT_EQ(two[1], 0x60);
    const BYTE mono[2] = {0x12, 0x34};
    ThresholdRow(0, 1, 2, mono, two, 2);
    EXPECT_EQ(two[1], 0x34);
}

TEST(Geometry, RectanglesAndArrowHeads) {
    RECT r;
    EXPECT_EQ(RectFromSize(&r, SIZE{5, 7})->bottom, 7);
    RectFromPoints(&r, 9, 2, 3, 8);
    EXPECT_EQ(r.left, 3);
    EXPECT_EQ(r.top, 2);
    EXPECT_EQ(r.right, 9);
    EXPECT_EQ(r.bottom, 8);
    POINT a, b;
    CalcArrowHead(POINT{0, 0}, POINT{100, 0}, &a, &b);
    EXPECT_EQ(a.x, 86);
    EXPECT_EQ(a.y, -8);
    EXPECT_EQ(b.x, 86);
    EXPECT_EQ(b.y, 8);
}

TEST(GrayOfPixel, PaperRedAndBlueInk) {
    const BYTE paper[3] = {200, 200, 200}, red[3] = {40, 40, 200}, blue[3] = {200, 40, 40}, green[3] = {40, 90, 40};
    EXPECT_EQ(GrayOfPixel(paper), 255);
    EXPECT_EQ(GrayOfPixel(red), 200);
    EXPECT_EQ(GrayOfPixel(blue), 0);
    EXPECT_EQ(GrayOfPixel(green), 90);
}

TEST(ConvertDibToGray, SmallColourBitmapIntoANewBlock) {
    // 3 x 2 colour: the grey bitmap (with its 1024-byte table) is larger than
    // the colour one, which an in-place conversion would overrun.
    HDIB h = ColourDib(3, 2, [](int x, int) { return x == 0 ? Bgr{10, 10, 10} : Bgr{250, 250, 250}; }).Make();
    const SIZE_T before = SuiteLiveGlobalBlocks();
    const int t = ConvertDibToGray(&h);
    EXPECT_EQ(SuiteLiveGlobalBlocks(), before) << "old block freed";
    EXPECT_EQ(t, 10);
    const BYTE* p = static_cast<const BYTE*>(GlobalLock(h));
    const auto* hd = reinterpret_cast<const BITMAPINFOHEADER*>(p);
    EXPECT_EQ(hd->biBitCount, 8);
    EXPECT_EQ(hd->biClrUsed, 256u);
    EXPECT_EQ(hd->biSizeImage, 8u);
    EXPECT_EQ(p[40 + 4 * 77], 77);
    EXPECT_EQ(p[40 + 1024 + 0], 10);
    EXPECT_EQ(p[40 + 1024 + 1], 255);
    EXPECT_EQ(p[40 + 1024 + 4 + 2], 255);
    GlobalUnlock(h);
    GlobalFree(h);
}

TEST(ConvertDibToGray, LargeColourBitmapRowsStayInOrder) {
    auto dib = ColourDib(301, 40, [](int x, int y) { return Bgr{BYTE(x), BYTE(y * 5), BYTE(x ^ y)}; });
    HDIB h = dib.Make();
    ASSERT_GE(ConvertDibToGray(&h), 0);
    const BYTE* p = static_cast<const BYTE*>(GlobalLock(h));
    const DWORD stride = WIDTHBYTES(301 * 8);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 301; ++x) ASSERT_EQ(p[40 + 1024 + (39 - y) * stride + x], GrayOfPixel(dib.Row(y) + 3 * x));
    GlobalUnlock(h);
    GlobalFree(h);
}

TEST(ConvertDibToGray, PaletteBitmapsAndRefusals) {
    auto dib = GreyDib(4, 1, [](int x, int) { return x; });
    dib.table[2] = RGBQUAD{40, 40, 200, 0};
    HDIB h = dib.Make();
    ASSERT_GE(ConvertDibToGray(&h), 0);
    const BYTE* p = static_cast<const BYTE*>(GlobalLock(h));
    EXPECT_EQ(p[40 + 1024 + 2], 200);
    GlobalUnlock(h);
    GlobalFree(h);
    HDIB mono = MonoDib(8, 8, [](int, int) { return false; }).Make();
    HDIB same = mono;
    EXPECT_EQ(ConvertDibToGray(&mono), -1);
    EXPECT_EQ(mono, same);
    GlobalFree(mono);
}

TEST(BitRasters, InvertShrinkAndCrop) {
    HGLOBAL h = GlobalAlloc(GHND, 4);
    InvertGlobal(h, 2);
    InvertGlobal(h, 100);  // clipped to the block
    const BYTE* p = static_cast<const BYTE*>(GlobalLock(h));
    EXPECT_EQ(p[0], 0x00);
    EXPECT_EQ(p[3], 0xFF);
    GlobalUnlock(h);
    GlobalFree(h);

    // Source: 2 rows of 3 bytes behind a 1-byte offset; row 0 = 0xAA 0xAA 0xAA.
    HGLOBAL src = GlobalAlloc(GHND, 7), dst = GlobalAlloc(GHND, 4);
    BYTE* s = static_cast<BYTE*>(GlobalLock(src));
    s[1] = s[2] = s[3] = 0xAA;
    s[4] = 0xFF;
    GlobalUnlock(src);
    ShrinkBits(src, 1, 0, 3, dst, 2, 12, 2, 2);  // every second bit from 0: all ones in row 0
    const BYTE* d = static_cast<const BYTE*>(GlobalLock(dst));
    EXPECT_EQ(d[0], 0xFF);
    EXPECT_EQ(d[1], 0xF0);
    EXPECT_EQ(d[2], 0xF0) << "row 1: four bits of 0xFF, then zeros";
    EXPECT_EQ(d[3], 0x00);
    GlobalUnlock(dst);
    ShrinkBits(src, 1, 0, 3, dst, 2, 12, 3, 2);  // a third row lies past the block: nothing
    GlobalFree(dst);

    CropBits(src, 1, 1, 3, 10, 2);  // bits 1..10 of each row, packed to 2-byte rows
    s = static_cast<BYTE*>(GlobalLock(src));
    EXPECT_EQ(s[0], 0x55);
    EXPECT_EQ(s[1], 0x40);
    EXPECT_EQ(s[2], 0xFE);
    EXPECT_EQ(s[3], 0x00);
    GlobalUnlock(src);
    GlobalFree(src);
}

}  // namespace
