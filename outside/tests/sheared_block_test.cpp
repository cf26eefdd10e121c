// Columns of a slanted page sheared upright for reading, and the boxes read
// on the copy taken back onto the page.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "outside/ocrkit/bands.h"
#include "outside/tresk/sheared_block.h"

namespace {

constexpr int kWidth = 600, kHeight = 1800, kSize = 30, kStep = 36, kPitch = 60, kColumns = 7;

struct Page {
    std::vector<std::uint8_t> bits = std::vector<std::uint8_t>(static_cast<std::size_t>((kWidth + 7) / 8) * kHeight, 0);
    void set(int x, int y) {
        if (x >= 0 && y >= 0 && x < kWidth && y < kHeight) bits[y * ((kWidth + 7) / 8) + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
    ocrkit::PlaneView view() const { return ocrkit::PlaneView(bits.data(), kWidth, kHeight); }
};

// Where a character's top left corner lands when the page is turned so that
// its lines fall by tan(degrees) to the right and its columns lean left.
struct Tilt {
    double tan;
    explicit Tilt(double degrees) : tan(std::tan(degrees * std::numbers::pi / 180.0)) {}
    int x(int column, int row) const {
        int y = 100 + row * kStep;
        return static_cast<int>(std::lround(kWidth - 100 - column * kPitch - (y - kHeight / 2) * tan));
    }
    int y(int column, int row) const {
        int x = kWidth - 100 - column * kPitch;
        return static_cast<int>(std::lround(100 + row * kStep + (x - kWidth / 2) * tan));
    }
};

// Columns of square characters (outlines with a bar across, so that each is
// one component of ordinary weight), read right to left.
Page drawColumns(const Tilt& tilt) {
    Page p;
    for (int c = 0; c < kColumns; ++c)
        for (int r = 0; r < 44; ++r) {
            const int x0 = tilt.x(c, r), y0 = tilt.y(c, r);
            for (int k = 0; k < kSize; ++k) {
                for (int t = 0; t < 3; ++t) {
                    p.set(x0 + k, y0 + t);
                    p.set(x0 + k, y0 + kSize - 1 - t);
                    p.set(x0 + t, y0 + k);
                    p.set(x0 + kSize - 1 - t, y0 + k);
                    p.set(x0 + k, y0 + kSize / 2 + t);
                }
            }
        }
    return p;
}

const ocrkit::Box kBlock{20, 20, kWidth - 21, kHeight - 21};

TEST(ShearedBlock, LeaningColumnsStandUprightInTheCopy) {
    for (double degrees : {2.0, -1.5}) {
        SCOPED_TRACE(degrees);
        const Tilt tilt(degrees);
        Page page = drawColumns(tilt);
        // On the page the columns drift across each other's gaps: their
        // profile has no gap left.
        EXPECT_LT(ocrkit::findBands(ocrkit::columnProfile(page.view(), kBlock), 2).size(), 3u);
        const double slant = tresk::columnSlant(page.view(), kBlock);
        EXPECT_NEAR(slant, degrees, 0.15);
        tresk::ShearedBlock sheared(page.view(), kBlock, slant);
        const ocrkit::PlaneView& copy = sheared.view();
        ASSERT_GT(copy.width, kBlock.width());
        EXPECT_EQ(copy.height, kBlock.height() + 16);
        // In the copy every column is a band of its own, about one character wide.
        auto bands = ocrkit::findBands(ocrkit::columnProfile(copy, sheared.inside()), 2);
        ASSERT_EQ(bands.size(), static_cast<std::size_t>(kColumns));
        for (auto [a, b] : bands) EXPECT_LE(b - a + 1, kSize + 6);
        // No ink is lost: the copy holds as many black pixels as the block.
        auto count = [](const ocrkit::PlaneView& v, const ocrkit::Box& box) {
            long n = 0;
            for (int x : ocrkit::columnProfile(v, box)) n += x;
            return n;
        };
        EXPECT_EQ(count(copy, ocrkit::Box{0, 0, copy.width - 1, copy.height - 1}), count(page.view(), kBlock));
    }
}

TEST(ShearedBlock, UprightOrSmallBlocksAreLeftAsTheyAre) {
    Page upright = drawColumns(Tilt(0));
    EXPECT_EQ(tresk::columnSlant(upright.view(), kBlock), 0.0);
    // A slant that moves the block's columns by less than a few pixels is
    // not worth a copy.
    Page tilted = drawColumns(Tilt(1.0));
    EXPECT_EQ(tresk::columnSlant(tilted.view(), ocrkit::Box{20, 20, kWidth - 21, 150}), 0.0);
    EXPECT_EQ(tresk::columnSlant(tilted.view(), ocrkit::Box{}), 0.0);
    EXPECT_EQ(tresk::columnSlant(ocrkit::PlaneView{}, kBlock), 0.0);
}

TEST(ShearedBlock, BoxesReadOnTheCopyLandOnTheirInkOnThePage) {
    const Tilt tilt(2.0);
    Page page = drawColumns(tilt);
    tresk::ShearedBlock sheared(page.view(), kBlock, tresk::columnSlant(page.view(), kBlock));
    // Characters found in the copy (the tightest box around the ink of each
    // cell of the upright columns) and the same characters on the page.
    const ocrkit::PlaneView& copy = sheared.view();
    auto bands = ocrkit::findBands(ocrkit::columnProfile(copy, sheared.inside()), 2);
    ASSERT_EQ(bands.size(), static_cast<std::size_t>(kColumns));
    _charinfo chars[3] = {};
    _lineinfo line{};
    line.pChars = &chars[0];
    chars[0].next = &chars[1];
    chars[1].next = &chars[2];
    const int rows[3] = {0, 20, 43};
    // The rightmost column: the last band.
    const auto [a, b] = bands.back();
    for (int k = 0; k < 3; ++k) {
        ocrkit::Box ink;
        const int y0 = tilt.y(0, rows[k]) - kBlock.top + 8;
        for (int y = y0 - 3; y <= y0 + kSize + 2; ++y)
            for (int x = sheared.inside().left + a; x <= sheared.inside().left + b; ++x)
                if (y >= 0 && y < copy.height && copy.black(x, y)) ink.add(x, y);
        ASSERT_FALSE(ink.empty());
        chars[k] = {static_cast<SHORT>(ink.left), static_cast<SHORT>(ink.top), static_cast<SHORT>(ink.right),
                    static_cast<SHORT>(ink.bottom), 0, 1, {}, 0, 0, chars[k].next};
        line.left = static_cast<SHORT>(k == 0 ? ink.left : std::min<int>(line.left, ink.left));
        line.right = static_cast<SHORT>(std::max<int>(line.right, ink.right));
        if (k == 0) line.top = static_cast<SHORT>(ink.top);
        line.bottom = static_cast<SHORT>(ink.bottom);
    }
    _regioninfo region{};
    region.pLines = &line;
    sheared.toPage(region);
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE(k);
        EXPECT_NEAR(chars[k].left, tilt.x(0, rows[k]), 2);
        EXPECT_NEAR(chars[k].top, tilt.y(0, rows[k]), 2);
        EXPECT_NEAR(chars[k].right - chars[k].left + 1, kSize, 3);
        EXPECT_NEAR(chars[k].bottom - chars[k].top + 1, kSize, 3);
    }
    // The line's box takes in the whole leaning column.
    EXPECT_LE(line.left, std::min(tilt.x(0, 0), tilt.x(0, 43)) + 2);
    EXPECT_GE(line.right, std::max(tilt.x(0, 0), tilt.x(0, 43)) + kSize - 3);
    EXPECT_NEAR(line.top, tilt.y(0, 0), 2);
    EXPECT_NEAR(line.bottom, tilt.y(0, 43) + kSize - 1, 2);
}

TEST(ShearedBlock, BoxesAreClippedToThePage) {
    Page page = drawColumns(Tilt(2.0));
    // The block reaches past the page: the copy covers the page's part.
    tresk::ShearedBlock sheared(page.view(), ocrkit::Box{-50, -50, kWidth + 50, kHeight + 50}, 2.0);
    EXPECT_EQ(sheared.view().height, kHeight + 16);
    const ocrkit::PlaneView& copy = sheared.view();
    for (const ocrkit::Box& b : {ocrkit::Box{0, 0, copy.width - 1, copy.height - 1}, ocrkit::Box{-500, -500, 5000, 5000},
                                 ocrkit::Box{copy.width - 3, 0, copy.width + 40, 10}}) {
        ocrkit::Box on = sheared.toPage(b);
        EXPECT_GE(on.left, 0);
        EXPECT_GE(on.top, 0);
        EXPECT_LT(on.right, kWidth);
        EXPECT_LT(on.bottom, kHeight);
    }
    EXPECT_TRUE(sheared.toPage(ocrkit::Box{}).empty());
    // Records whose boxes lie in the copy's margin, beside the page, keep
    // boxes on the page.
    _charinfo beside[2] = {};
    beside[0] = {-30, 5, -20, 15, 0, 1, {}, 0, 0, &beside[1]};
    beside[1] = {static_cast<SHORT>(copy.width + 20), static_cast<SHORT>(copy.height - 4),
                 static_cast<SHORT>(copy.width + 40), static_cast<SHORT>(copy.height + 30), 0, 1, {}, 0, 0, nullptr};
    _lineinfo line{0, -30, 5, static_cast<SHORT>(copy.width + 40), static_cast<SHORT>(copy.height + 30), 2, beside, nullptr};
    _regioninfo region{};
    region.pLines = &line;
    sheared.toPage(region);
    for (const _charinfo& c : beside) {
        EXPECT_GE(c.left, 0);
        EXPECT_GE(c.top, 0);
        EXPECT_LE(c.left, c.right);
        EXPECT_LE(c.top, c.bottom);
        EXPECT_LT(c.right, kWidth);
        EXPECT_LT(c.bottom, kHeight);
    }
    EXPECT_EQ(line.left, 0);
    EXPECT_EQ(line.right, kWidth - 1);
    EXPECT_EQ(line.bottom, kHeight - 1);
    // Nothing to copy: an empty view and nothing inside.
    tresk::ShearedBlock none(page.view(), ocrkit::Box{kWidth + 10, 0, kWidth + 20, 10}, 2.0);
    EXPECT_EQ(none.view().bits, nullptr);
    EXPECT_TRUE(none.inside().empty());
}

}  // namespace
