#include <gtest/gtest.h>

#include "imaging/image_block.h"
#include "imaging/page_image.h"
#include "imaging/tests/dib_builder.h"
#include "imaging/tests/fake_image_host.h"

namespace {

struct PageImageAttach : ::testing::Test {
    SIZE_T blocksBefore = SuiteLiveGlobalBlocks();
    ScopedPage page;
    void TearDown() override {
        page.Empty();
        EXPECT_EQ(SuiteLiveGlobalBlocks(), blocksBefore) << "a block was leaked";
    }
};

TEST_F(PageImageAttach, MonoRowsLoseTheirPaddingAndBecomeTopDown) {
    // 13 pixels: plane rows of 2 bytes, bitmap rows of 4.
    auto dib = MonoDib(13, 5, [](int x, int y) { return (y == 4 && x == 0) || (y == 0 && x == 12); });
    ASSERT_EQ(page.AttachDib(dib.Make()), 0);
    EXPECT_EQ(page.m_nWidth, 13);
    EXPECT_EQ(page.m_nHeight, 5);
    EXPECT_EQ(page.m_nBitCount, 1);
    EXPECT_EQ(page.m_hDib, nullptr);
    auto plane = PlaneOf(page);
    ASSERT_EQ(plane.size(), 10u);
    EXPECT_EQ(plane[0], 0x00);
    EXPECT_EQ(plane[1], 0x08);  // top row, pixel 12
    EXPECT_EQ(plane[8], 0x80);  // bottom row (first stored row), pixel 0
    EXPECT_EQ(GlobalFlags(page.m_hBits) & GMEM_LOCKCOUNT, 0u) << "plane left locked";
}

TEST_F(PageImageAttach, MonoPaletteWithBlackFirstIsHonoured) {
    auto dib = MonoDib(16, 2, [](int x, int) { return x < 4; });
    std::swap(dib.table[0], dib.table[1]);  // value 0 is now black
    ASSERT_EQ(page.AttachDib(dib.Make()), 0);
    auto plane = PlaneOf(page);
    EXPECT_EQ(plane[0], 0x0F);
    EXPECT_EQ(plane[1], 0xFF);
    EXPECT_EQ(plane[2], 0x0F) << "second row";
    // Turned over, the bits past a 13-pixel row come out set: they are cleared.
    auto narrow = MonoDib(13, 1, [](int x, int) { return x < 4; });
    std::swap(narrow.table[0], narrow.table[1]);
    ASSERT_EQ(page.AttachDib(narrow.Make()), 0);
    plane = PlaneOf(page);
    EXPECT_EQ(plane[0], 0x0F);
    EXPECT_EQ(plane[1], 0xF8);
}

TEST_F(PageImageAttach, PaddingBitsOfTheLastByteAreCleared) {
    auto dib = MonoDib(13, 1, [](int, int) { return true; });
    dib.Row(0)[1] = 0xFF;  // the file's padding bits set
    ASSERT_EQ(page.AttachDib(dib.Make()), 0);
    EXPECT_EQ(PlaneOf(page)[1], 0xF8);
}

TEST_F(PageImageAttach, ColouredEntryInGreyTableIsRefusedAndFreed) {
    auto dib = GreyDib(16, 16, [](int, int) { return 200; });
    dib.table[77].rgbRed = 1;
    const SIZE_T before = SuiteLiveGlobalBlocks();
    EXPECT_EQ(page.AttachDib(dib.Make()), 1);
    EXPECT_EQ(SuiteLiveGlobalBlocks(), before);
    EXPECT_EQ(page.m_hBits, nullptr);
    EXPECT_EQ(page.m_hDib, nullptr);
    EXPECT_EQ(page.m_nBitCount, 0);
}

TEST_F(PageImageAttach, InvertedGreyTableIsReplacedByTheRamp) {
    auto dib = GreyDib(16, 4, [](int x, int) { return x < 8 ? 10 : 240; });
    for (int i = 0; i < 256; ++i) dib.table[i] = RGBQUAD{BYTE(255 - i), BYTE(255 - i), BYTE(255 - i), 7};
    ASSERT_EQ(page.AttachDib(dib.Make()), 0);
    ASSERT_NE(page.m_hDib, nullptr);
    EXPECT_EQ(GlobalFlags(page.m_hDib) & GMEM_LOCKCOUNT, 1u) << "the bitmap keeps one lock";
    const BYTE* p = static_cast<const BYTE*>(GlobalLock(page.m_hDib));
    const auto* table = reinterpret_cast<const RGBQUAD*>(p + 40);
    EXPECT_EQ(table[0].rgbRed, 0);
    EXPECT_EQ(table[200].rgbBlue, 200);
    EXPECT_EQ(table[200].rgbReserved, 7);
    GlobalUnlock(page.m_hDib);
    // Stored values are read as grey levels: 10 is the ink.
    EXPECT_TRUE(PixelOf(page, 0, 0));
    EXPECT_FALSE(PixelOf(page, 15, 0));
}

TEST_F(PageImageAttach, ShortGreyTableIsWidenedWithoutTouchingPixels) {
    auto dib = GreyDib(8, 2, [](int x, int) { return x; });
    dib.table.resize(16);
    dib.colors = 16;
    ASSERT_EQ(page.AttachDib(dib.Make()), 0);
    const BYTE* p = static_cast<const BYTE*>(GlobalLock(page.m_hDib));
    const auto* h = reinterpret_cast<const BITMAPINFOHEADER*>(p);
    EXPECT_EQ(h->biClrUsed, 256u);
    EXPECT_EQ(GlobalSize(page.m_hDib), 40u + 1024 + 16);
    EXPECT_EQ(p[40 + 1024 + 8 + 5], 5) << "pixel data moved intact behind the wider table";
    GlobalUnlock(page.m_hDib);
}

TEST_F(PageImageAttach, UnsupportedOrLyingHeadersAreRefused) {
    struct Case {
        const char* what;
        std::function<void(BITMAPINFOHEADER&)> change;
    } cases[] = {
        {"compressed", [](BITMAPINFOHEADER& h) { h.biCompression = BI_RLE8; }},
        {"4 bits", [](BITMAPINFOHEADER& h) { h.biBitCount = 4; }},
        {"16 bits", [](BITMAPINFOHEADER& h) { h.biBitCount = 16; }},
        {"zero width", [](BITMAPINFOHEADER& h) { h.biWidth = 0; }},
        {"negative height", [](BITMAPINFOHEADER& h) { h.biHeight = -8; }},
        {"taller than its block", [](BITMAPINFOHEADER& h) { h.biHeight = 9; }},
        {"wider than its block", [](BITMAPINFOHEADER& h) { h.biWidth = 100; }},
        {"huge", [](BITMAPINFOHEADER& h) { h.biWidth = 0x7FFFFFFF; h.biHeight = 0x7FFFFFFF; }},
        {"header size past block", [](BITMAPINFOHEADER& h) { h.biSize = 100000; }},
        {"table too long", [](BITMAPINFOHEADER& h) { h.biClrUsed = 300; }},
    };
    for (const auto& c : cases) {
        HDIB h = GreyDib(8, 8, [](int, int) { return 0; }).Make();
        auto* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(h));
        c.change(*header);
        GlobalUnlock(h);
        const SIZE_T before = SuiteLiveGlobalBlocks();
        EXPECT_EQ(page.AttachDib(h), 1) << c.what;
        EXPECT_EQ(SuiteLiveGlobalBlocks(), before - 1) << c.what << ": handle not freed";
        EXPECT_EQ(page.m_nBitCount, 0) << c.what;
    }
    EXPECT_EQ(page.AttachDib(nullptr), 1);
}

TEST_F(PageImageAttach, RefusedWhenThePlaneCannotBeHadAndTheOldPageStays) {
    MakeMonoPage(page, 20, 10, [](int x, int) { return x == 3; });
    HGLOBAL oldPlane = page.m_hBits;
    HDIB h = GreyDib(8, 8, [](int, int) { return 0; }).Make();
    const SIZE_T before = SuiteLiveGlobalBlocks();
    SetImageAllocFailAfter(0);
    EXPECT_EQ(page.AttachDib(h), 1);
    SetImageAllocFailAfter(-1);
    EXPECT_EQ(SuiteLiveGlobalBlocks(), before - 1);
    // The page is not lost to a bitmap that could not be taken.
    EXPECT_EQ(page.m_hBits, oldPlane);
    EXPECT_EQ(page.m_nWidth, 20);
    EXPECT_EQ(page.m_nBitCount, 1);
    EXPECT_TRUE(PixelOf(page, 3, 5));
    // Nor to a bitmap it cannot read.
    HDIB bad = GreyDib(8, 8, [](int, int) { return 0; }).Make();
    static_cast<BITMAPINFOHEADER*>(GlobalLock(bad))->biBitCount = 16;
    GlobalUnlock(bad);
    EXPECT_EQ(page.AttachDib(bad), 1);
    EXPECT_EQ(page.m_hBits, oldPlane);
    EXPECT_EQ(page.m_nHeight, 10);
}

TEST_F(PageImageAttach, EmptyKeepsSizeAndRecognitionBlock) {
    MakeMonoPage(page, 20, 10, [](int, int) { return false; });
    HGLOBAL reco = GlobalAlloc(GHND, 4);
    page.m_hRecoBits = reco;
    page.Empty();
    EXPECT_EQ(page.m_nWidth, 20);
    EXPECT_EQ(page.m_nHeight, 10);
    EXPECT_EQ(page.m_nBitCount, 0);
    EXPECT_EQ(page.m_hBits, nullptr);
    EXPECT_EQ(page.m_hRecoBits, reco);
    GlobalFree(reco);
}

TEST_F(PageImageAttach, GreyBitmapIsUnlockedOnceByEmpty) {
    ASSERT_EQ(page.AttachDib(GreyDib(8, 8, [](int, int) { return 0; }).Make()), 0);
    page.Empty();  // the fixture's leak check sees the bitmap freed
}

struct Shrink : ::testing::Test {
    ScopedPage page, small;
    void SetUp() override {
        MakeMonoPage(page, 40, 32, [](int x, int y) { return (x * 7 + y * 3) % 5 == 0; });
    }
};

TEST_F(Shrink, FullScaleIsAnExactCopy) {
    RECT r{0, 0, 40, 32};
    ASSERT_TRUE(page.ShrinkRect(&small, &r, 256));
    EXPECT_EQ(small.m_nWidth, 40);
    EXPECT_EQ(PlaneOf(small), PlaneOf(page));
}

TEST_F(Shrink, HalfScaleTakesEverySecondPixel) {
    RECT r{0, 0, 40, 32};
    ASSERT_TRUE(page.ShrinkRect(&small, &r, 128 | 0x10000));  // high bits do not count
    ASSERT_EQ(small.m_nWidth, 20);
    ASSERT_EQ(small.m_nHeight, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 20; ++x) EXPECT_EQ(PixelOf(small, x, y), PixelOf(page, 2 * x, 2 * y)) << x << "," << y;
    EXPECT_EQ(PlaneOf(small)[2] & 0x0F, 0) << "unused low bits of the last byte";
}

TEST_F(Shrink, RefusesBelowEightPixels) {
    RECT r{0, 0, 15, 32};  // 7 columns at half scale
    EXPECT_FALSE(page.ShrinkRect(&small, &r, 128));
    EXPECT_EQ(small.m_nWidth, 0);
    RECT outside{0, 0, 41, 32};
    EXPECT_FALSE(page.ShrinkRect(&small, &outside, 256));
}

TEST(ShrinkGrey, GetsASizeButNoPlane) {
    ScopedPage page, small;
    page.AttachDib(GreyDib(64, 64, [](int, int) { return 0; }).Make());
    RECT r{0, 0, 64, 64};
    ASSERT_TRUE(page.ShrinkRect(&small, &r, 64));
    EXPECT_EQ(small.m_nWidth, 16);
    EXPECT_EQ(small.m_hBits, nullptr);
}

TEST(ShrinkFailure, ReportsNotEnoughMemory) {
    CFakeImageHost shell;
    ScopedPage page, small;
    MakeMonoPage(page, 64, 64, [](int, int) { return true; });
    RECT r{0, 0, 64, 64};
    SetImageAllocFailAfter(0);
    EXPECT_FALSE(page.ShrinkRect(&small, &r, 128));
    SetImageAllocFailAfter(-1);
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0], "Not Enough Memory");
}

TEST(GlobalCopies, CopyInAndOutAndRefuseOutsideTheBlock) {
    HGLOBAL h = GlobalAlloc(GHND, 16);
    const BYTE in[4] = {1, 2, 3, 4};
    BYTE out[4] = {};
    EXPECT_EQ(CopyToGlobal(h, 10, in, 4), 4u);
    EXPECT_EQ(CopyFromGlobal(h, 10, out, 4), 4u);
    EXPECT_EQ(out[3], 4);
    EXPECT_EQ(CopyFromGlobal(h, 13, out, 4), 0u);
    EXPECT_EQ(CopyToGlobal(h, -1, in, 1), 0u);
    EXPECT_EQ(GlobalFlags(h) & GMEM_LOCKCOUNT, 0u);
    GlobalFree(h);
}

TEST(FlipMono, RowsTopDownWithPadding) {
    CFakeImageHost shell;
    HDIB h = MonoDib(9, 3, [](int x, int y) { return x == y; }).Make();
    HGLOBAL flipped = FlipMonoDib(h, TRUE);
    ASSERT_NE(flipped, nullptr);
    ASSERT_EQ(GlobalSize(flipped), 12u);
    const BYTE* p = static_cast<const BYTE*>(GlobalLock(flipped));
    EXPECT_EQ(p[0], 0x80);
    EXPECT_EQ(p[4], 0x40);
    EXPECT_EQ(p[8], 0x20);
    GlobalUnlock(flipped);
    GlobalFree(flipped);

    HDIB grey = GreyDib(8, 8, [](int, int) { return 0; }).Make();
    EXPECT_EQ(FlipMonoDib(grey, FALSE), nullptr);
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0], "Unsupported image format");
    GlobalFree(grey);
}

}  // namespace
