#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "imaging/page_image.h"
#include "imaging/tests/dib_builder.h"
#include "imaging/tests/fake_image_host.h"

namespace {

struct Result {
    HGLOBAL block;
    explicit Result(SIZE_T bytes) : block(GlobalAlloc(GHND, bytes)) {}
    ~Result() { GlobalFree(block); }
    bool Pixel(int x, int y, int rowBytes) const {
        const BYTE* p = static_cast<const BYTE*>(GlobalLock(block));
        const bool v = (p[static_cast<std::size_t>(y) * rowBytes + x / 8] >> (7 - x % 8)) & 1;
        GlobalUnlock(block);
        return v;
    }
    bool AllWhite() const {
        const BYTE* p = static_cast<const BYTE*>(GlobalLock(block));
        const bool white = std::all_of(p, p + GlobalSize(block), [](BYTE b) { return b == 0; });
        GlobalUnlock(block);
        return white;
    }
};

TEST(Deskew, SlopeLimitAndRefusals) {
    CFakeImageHost shell;
    ScopedPage page;
    MakeMonoPage(page, 200, 100, [](int x, int y) { return (x + y) % 3 == 0; });
    Result ok(page.PlaneBytes()), refused(page.PlaneBytes());
    EXPECT_TRUE(page.Deskew(500, 100, 0, 0, 200, 100, ok.block));
    EXPECT_FALSE(ok.AllWhite());
    EXPECT_FALSE(page.Deskew(499, 100, 0, 0, 200, 100, refused.block));
    EXPECT_FALSE(page.Deskew(0, 1, 0, 0, 200, 100, refused.block));
    EXPECT_FALSE(page.Deskew(500, 0, 0, 0, 200, 100, refused.block));
    EXPECT_FALSE(page.Deskew(500, 10, 0, 0, 200, 100, nullptr));
    Result tooSmall(page.PlaneBytes() - 1);
    EXPECT_FALSE(page.Deskew(500, 10, 0, 0, 200, 100, tooSmall.block));
    EXPECT_TRUE(refused.AllWhite());
    EXPECT_GT(shell.waitCursorCalls, 0);
    EXPECT_EQ(shell.waitCursorDepth, 0);
}

TEST(Deskew, ThePageItselfIsNotChanged) {
    ScopedPage page;
    MakeMonoPage(page, 120, 90, [](int x, int y) { return (x * y) % 7 == 0; });
    const auto before = PlaneOf(page);
    Result r(page.PlaneBytes());
    ASSERT_TRUE(page.Deskew(-600, 20, 0, 0, 120, 90, r.block));
    EXPECT_EQ(PlaneOf(page), before);
}

TEST(Deskew, WorkedShiftsOnAFullPage) {
    const int w = 2400, h = 3300;
    ScopedPage page;
    MakeMonoPage(page, w, h, [](int x, int y) { return (x == 2380 && y == 100) || (x == 1000 && y == 3280); });
    Result r(page.PlaneBytes());
    ASSERT_TRUE(page.Deskew(1000, 10, 0, 0, w, h, r.block));
    const int rowBytes = static_cast<int>(page.RowBytes());
    // The right column moves down by about 24 rows, then its row left by about 1.
    int foundRight = -1, foundBottom = -1;
    for (int y = 90; y < 140; ++y)
        for (int x = 2360; x < 2390; ++x)
            if (r.Pixel(x, y, rowBytes)) foundRight = y * 10000 + x;
    for (int y = 3270; y < 3300; ++y)
        for (int x = 940; x < 1010; ++x)
            if (r.Pixel(x, y, rowBytes)) foundBottom = y * 10000 + x;
    ASSERT_GE(foundRight, 0);
    ASSERT_GE(foundBottom, 0);
    EXPECT_NEAR(foundRight / 10000 - 100, 24, 1);
    EXPECT_NEAR(2380 - foundRight % 10000, 1, 1);
    EXPECT_NEAR(foundBottom / 10000 - 3280, 10, 1);
    EXPECT_NEAR(1000 - foundBottom % 10000, 33, 1);
}

TEST(Deskew, LastEightRowsOfTheRegionStayWhite) {
    ScopedPage page;
    MakeMonoPage(page, 64, 64, [](int, int) { return true; });
    Result r(page.PlaneBytes());
    ASSERT_TRUE(page.Deskew(500, 10, 0, 0, 64, 64, r.block));
    for (int y = 56; y < 64; ++y)
        for (int x = 0; x < 64; ++x) ASSERT_FALSE(r.Pixel(x, y, 8)) << x << "," << y;
    EXPECT_TRUE(r.Pixel(20, 30, 8));
}

// Lines rising (dx > 0) or falling (dx < 0) to the right by 1 in 50 come out level.
struct DeskewStraightens : ::testing::TestWithParam<int> {};

TEST_P(DeskewStraightens, APageTurnedByAKnownAngle) {
    const int dx = GetParam();
    const int w = 1001, h = 600;  // an odd width: the last plane word is partial
    auto skewed = [dx](int x, int y) {
        for (int base = 100; base < 500; base += 60)
            if (y == (dx > 0 ? base - x / 50 : base + x / 50)) return true;
        return false;
    };
    ScopedPage page;
    MakeMonoPage(page, w, h, skewed);
    Result r(page.PlaneBytes());
    ASSERT_TRUE(page.Deskew(dx, 10, 0, 0, w, h, r.block));
    const int rowBytes = static_cast<int>(page.RowBytes());
    std::vector<int> rows(h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) rows[y] += r.Pixel(x, y, rowBytes);
    int inked = 0, strong = 0;
    for (int y = 0; y < h; ++y) {
        inked += rows[y] > 0;
        strong += rows[y] > w / 2;
    }
    EXPECT_LE(inked, 7 * 2) << "7 lines, each in at most two rows";
    EXPECT_GE(strong, 7) << "each line mostly in one row";
}

INSTANTIATE_TEST_SUITE_P(BothDirections, DeskewStraightens, ::testing::Values(500, -500));

TEST(Deskew, GreyPagesTurnByTheTrueAngle) {
    const int w = 400, h = 300;
    const double slope = 0.25;  // a slope the plane shears would refuse
    ScopedPage page;
    page.AttachDib(GreyDib(w, h, [&](int x, int y) {
                       const int line = 150 - static_cast<int>(std::lround((x - w / 2) * slope));
                       return std::abs(y - line) <= 1 ? 0 : 255;
                   }).Make());
    Result r(GlobalSize(page.m_hDib));
    ASSERT_TRUE(page.Deskew(400, 100, 0, 0, w, h, r.block));
    ScopedPage turned;
    ASSERT_EQ(turned.AttachDib(r.block), 0);
    r.block = nullptr;
    // The turned line's rows: it lies within a few rows along a middle stretch.
    int top = turned.m_nHeight, bottom = -1;
    for (int y = 0; y < turned.m_nHeight; ++y)
        for (int x = turned.m_nWidth / 2 - 120; x < turned.m_nWidth / 2 + 120; ++x)
            if (PixelOf(turned, x, y)) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    EXPECT_LE(bottom - top, 5);
}

}  // namespace
