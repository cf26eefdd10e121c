#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "imaging/page_image.h"
#include "imaging/tests/dib_builder.h"
#include "imaging/tests/fake_image_host.h"

namespace {

struct RectTransfer : ::testing::Test {
    ScopedPage page;
    std::vector<std::vector<bool>> pixels;
    static constexpr int W = 45, H = 30;
    void SetUp() override {
        std::mt19937 rng(11);
        pixels.assign(H, std::vector<bool>(W));
        for (auto& row : pixels)
            for (int x = 0; x < W; ++x) row[x] = rng() % 3 == 0;
        MakeMonoPage(page, W, H, [&](int x, int y) { return static_cast<bool>(pixels[y][x]); });
    }
};

TEST_F(RectTransfer, PixelsOneBytePerPixel) {
    const RECT r{3, 2, 20, 9};
    std::vector<BYTE> out(18 * 8);
    ASSERT_TRUE(page.GetRectPixels(r, out.data()));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 18; ++x) ASSERT_EQ(out[y * 18 + x], pixels[y + 2][x + 3] ? 1 : 0);
}

TEST_F(RectTransfer, EveryEdgeIsChecked) {
    std::vector<BYTE> out(4096, 0);
    const RECT good{0, 0, W - 1, H - 1};
    EXPECT_TRUE(page.GetRectBits(good, out.data(), 0));
    for (RECT bad : {RECT{0, 0, W, H - 1}, RECT{0, 0, W - 1, H}, RECT{-1, 0, 5, 5}, RECT{0, -1, 5, 5},
                     RECT{6, 0, 5, 5}, RECT{0, 6, 5, 5}}) {
        EXPECT_FALSE(page.GetRectBits(bad, out.data(), 0));
        EXPECT_FALSE(page.GetRectPixels(bad, out.data()));
        EXPECT_FALSE(page.SetRectBits(bad, out.data()));
        EXPECT_FALSE(page.CopyRectCentered(bad, out.data(), 0, 64, 64));
        EXPECT_FALSE(page.GetRowProfile(bad, reinterpret_cast<WORD*>(out.data())));
        EXPECT_FALSE(page.GetColumnProfile(bad, reinterpret_cast<WORD*>(out.data())));
    }
    EXPECT_FALSE(page.GetRectPixels(good, nullptr));
}

TEST_F(RectTransfer, CopiedOutAndBackIsUnchanged) {
    std::mt19937 rng(4);
    const auto original = PlaneOf(page);
    for (int i = 0; i < 200; ++i) {
        int l = rng() % W, r = rng() % W, t = rng() % H, b = rng() % H;
        const RECT rect{std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)};
        const int w = rect.right - rect.left + 1, h = rect.bottom - rect.top + 1;
        std::vector<BYTE> bits(((w + 7) / 8) * h, 0xAA);
        ASSERT_TRUE(page.GetRectBits(rect, bits.data(), 0));
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(static_cast<bool>((bits[y * ((w + 7) / 8) + x / 8] >> (7 - x % 8)) & 1), pixels[rect.top + y][rect.left + x]);
            if (w % 8) {
                ASSERT_EQ(bits[y * ((w + 7) / 8) + w / 8] & (0xFF >> (w % 8)), 0) << "unused low bits are 0";
            }
        }
        ASSERT_TRUE(page.SetRectBits(rect, bits.data()));
        ASSERT_EQ(PlaneOf(page), original) << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
    }
}

TEST_F(RectTransfer, SetKeepsBitsOutsideTheRectangle) {
    const RECT rect{3, 1, 12, 2};  // inside bytes 0 and 1
    std::vector<BYTE> black(2 * 2, 0xFF);
    ASSERT_TRUE(page.SetRectBits(rect, black.data()));
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const bool inside = x >= 3 && x <= 12 && y >= 1 && y <= 2;
            ASSERT_EQ(PixelOf(page, x, y), inside || pixels[y][x]) << x << "," << y;
        }
}

TEST_F(RectTransfer, TurnedLeftForVerticalText) {
    const RECT rect{5, 3, 14, 13};  // 10 wide, 11 high
    const int outRow = (13 - 3 + 8) / 8;
    std::vector<BYTE> out(outRow * 10, 0);
    ASSERT_TRUE(page.GetRectBits(rect, out.data(), CPageImage::kRectTurnLeft));
    for (int k = 0; k < 10; ++k)
        for (int m = 0; m < 11; ++m)
            ASSERT_EQ(static_cast<bool>((out[k * outRow + m / 8] >> (7 - m % 8)) & 1), pixels[3 + m][14 - k]);
}

TEST_F(RectTransfer, CentredCopyKeepsLeftBitsAndZeroFillsTheLastByte) {
    const RECT rect{0, 0, 9, 3};  // 10 x 4
    std::vector<BYTE> cell(4 * 10, 0xFF);
    ASSERT_TRUE(page.CopyRectCentered(rect, cell.data(), 3, 4, 10));
    const int firstRow = (10 - 4 + 1) / 2;  // 3
    EXPECT_EQ(cell[0], 0xFF) << "rows above are untouched";
    for (int m = 0; m < 4; ++m) {
        const BYTE* row = cell.data() + (firstRow + m) * 4;
        EXPECT_EQ(row[0] & 0xE0, 0xE0) << "bits left of the column keep their values";
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(static_cast<bool>((row[(3 + x) / 8] >> (7 - (3 + x) % 8)) & 1), pixels[m][x]);
        EXPECT_EQ(row[1] & 0x07, 0) << "the last partial byte is completed with zeros";
        EXPECT_EQ(row[2], 0xFF) << "bytes past the piece are untouched";
    }
    EXPECT_FALSE(page.CopyRectCentered(rect, cell.data(), 30, 4, 10)) << "would run past the row";
    EXPECT_FALSE(page.CopyRectCentered(rect, cell.data(), 0, 4, 3)) << "taller than the cell";
}

TEST_F(RectTransfer, ProfilesEqualANaiveCount) {
    std::mt19937 rng(9);
    for (int i = 0; i < 200; ++i) {
        int l = rng() % W, r = rng() % W, t = rng() % H, b = rng() % H;
        if (i % 4 == 0) r = l + rng() % (8 - l % 8);  // both edges in one byte
        r = std::min(r, W - 1);
        const RECT rect{std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)};
        const int w = rect.right - rect.left + 1, h = rect.bottom - rect.top + 1;
        std::vector<WORD> rows(h + 1, 0xBEEF), cols(w + 1, 0xBEEF);
        ASSERT_TRUE(page.GetRowProfile(rect, rows.data()));
        ASSERT_TRUE(page.GetColumnProfile(rect, cols.data()));
        EXPECT_EQ(rows[h], 0xBEEF) << "count written past the array";
        EXPECT_EQ(cols[w], 0xBEEF) << "count written past the array";
        for (int y = 0; y < h; ++y) {
            int n = 0;
            for (int x = rect.left; x <= rect.right; ++x) n += pixels[rect.top + y][x];
            ASSERT_EQ(rows[y], n);
        }
        for (int x = 0; x < w; ++x) {
            int n = 0;
            for (int y = rect.top; y <= rect.bottom; ++y) n += pixels[y][rect.left + x];
            ASSERT_EQ(cols[x], n);
        }
    }
}

TEST(RowCounts, WeightedByInkedBytes) {
    ScopedPage page;
    // Row 0: 8 black pixels in byte 0 and 4 in byte 2; row 1 empty.
    MakeMonoPage(page, 32, 2, [](int x, int y) { return y == 0 && (x < 8 || (x >= 16 && x < 20)); });
    WORD counts[3] = {0xBEEF, 0xBEEF, 0xBEEF};
    ASSERT_TRUE(page.GetRowCounts(RECT{0, 0, 32, 2}, counts));
    EXPECT_EQ(counts[0], (12 + 6) / 2);
    EXPECT_EQ(counts[1], 0);
    EXPECT_EQ(counts[2], 0xBEEF);
    EXPECT_FALSE(page.GetRowCounts(RECT{0, 0, 33, 2}, counts));
}

TEST(ColumnDensity, EmptyColumnsGiveZeroNotADivisionByZero) {
    ScopedPage page;
    // Column 0: 3 pixels in band 0 and 2 in band 2; column 1 empty.
    MakeMonoPage(page, 8, 24, [](int x, int y) { return x == 0 && (y < 3 || y == 17 || y == 18); });
    WORD counts[3] = {0xBEEF, 0xBEEF, 0xBEEF};
    ASSERT_TRUE(page.GetColumnDensity(RECT{0, 0, 2, 24}, counts));
    EXPECT_EQ(counts[0], 5 / 2);
    EXPECT_EQ(counts[1], 0);
    EXPECT_EQ(counts[2], 0xBEEF);
}

TEST(CopyRectToDib, GreyAndColourCutOuts) {
    ScopedPage grey;
    grey.AttachDib(GreyDib(20, 10, [](int x, int y) { return x + 20 * y; }).Make());
    std::unique_ptr<BYTE[]> dib(grey.CopyRectToDib(RECT{2, 3, 6, 4}));
    ASSERT_TRUE(dib);
    const auto* h = reinterpret_cast<const BITMAPINFOHEADER*>(dib.get());
    EXPECT_EQ(h->biWidth, 5);
    EXPECT_EQ(h->biHeight, 2);
    EXPECT_EQ(h->biSizeImage, 16u);
    const BYTE* rows = dib.get() + 40 + 1024;
    EXPECT_EQ(rows[0], 2 + 20 * 4) << "first stored row is the bottom row";
    EXPECT_EQ(rows[8 + 4], 6 + 20 * 3);
    EXPECT_EQ(grey.CopyRectToDib(RECT{15, 0, 20, 3}), nullptr);

    ScopedPage mono;
    MakeMonoPage(mono, 16, 16, [](int, int) { return true; });
    EXPECT_EQ(mono.CopyRectToDib(RECT{0, 0, 3, 3}), nullptr);
}

}  // namespace
