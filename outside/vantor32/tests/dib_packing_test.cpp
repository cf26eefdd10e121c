// Raw scanner frames packed as DIBs: row order, padding, sample order, the
// colour tables, 16-bit samples, and layouts that must be refused.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "outside/scan/dib_packing.h"

namespace {

std::vector<BYTE> Pack(const scan::FrameLayout& layout, const std::vector<BYTE>& raw, int dpi = 300) {
    const std::size_t size = scan::PackedDibSize(layout, raw.size());
    std::vector<BYTE> out(size);
    if (!size || !scan::PackDib(layout, raw.data(), raw.size(), dpi, out.data())) return {};
    return out;
}

std::uint32_t Read32(const std::vector<BYTE>& d, std::size_t at) {
    std::uint32_t v;
    std::memcpy(&v, d.data() + at, 4);
    return v;
}

TEST(DibPacking, OneBitRowsStayOneBitBottomUpWithTheirTailCleared) {
    // 10 pixels a row in 2 bytes; the device's unused bits are set.
    scan::FrameLayout l{false, 1, 10, 2};
    const std::vector<BYTE> raw = {0xF0, 0xFF, 0x0F, 0x3F};
    const std::vector<BYTE> d = Pack(l, raw);
    ASSERT_EQ(d.size(), 40u + 8u + 2u * 4u);
    EXPECT_EQ(Read32(d, 4), 10u);
    EXPECT_EQ(Read32(d, 8), 2u);
    EXPECT_EQ(d[14], 1);
    EXPECT_EQ(Read32(d, 32), 2u);
    // Value 0 white, value 1 black, so the device's set bits stay black.
    EXPECT_EQ(d[40], 0xFF);
    EXPECT_EQ(d[44], 0x00);
    const BYTE* rows = d.data() + 48;
    EXPECT_EQ(rows[0], 0x0F) << "the last device row comes first";
    EXPECT_EQ(rows[1], 0x00);
    EXPECT_EQ(rows[4], 0xF0);
    EXPECT_EQ(rows[5], 0xC0) << "bits past the tenth pixel are cleared";
    EXPECT_EQ(rows[6], 0);
    EXPECT_EQ(rows[7], 0);
}

TEST(DibPacking, GreyAndColourSamplesAreOrderedAndPadded) {
    scan::FrameLayout grey{false, 8, 3, 4};  // the device pads its rows too
    const std::vector<BYTE> g = Pack(grey, {1, 2, 3, 99, 4, 5, 6, 99});
    ASSERT_EQ(g.size(), 40u + 1024u + 8u);
    EXPECT_EQ(g[40 + 4 * 200], 200) << "grey ramp";
    EXPECT_EQ(std::vector<BYTE>(g.begin() + 1064, g.end()), (std::vector<BYTE>{4, 5, 6, 0, 1, 2, 3, 0}));

    scan::FrameLayout colour{true, 8, 2, 6};
    const std::vector<BYTE> c = Pack(colour, {10, 20, 30, 40, 50, 60});
    ASSERT_EQ(c.size(), 40u + 8u);
    EXPECT_EQ(c[14], 24);
    EXPECT_EQ(std::vector<BYTE>(c.begin() + 40, c.end()), (std::vector<BYTE>{30, 20, 10, 60, 50, 40, 0, 0}));
}

TEST(DibPacking, SixteenBitSamplesKeepTheirHighByte) {
    auto sample = [](std::uint16_t v) {
        std::vector<BYTE> b(2);
        std::memcpy(b.data(), &v, 2);  // the machine's byte order, as SANE sends
        return b;
    };
    std::vector<BYTE> raw;
    for (std::uint16_t v : {0x1234, 0xABCD, 0x00FF}) {
        auto b = sample(v);
        raw.insert(raw.end(), b.begin(), b.end());
    }
    const std::vector<BYTE> c = Pack({true, 16, 1, 6}, raw);
    ASSERT_EQ(c.size(), 44u);
    EXPECT_EQ(std::vector<BYTE>(c.begin() + 40, c.begin() + 43), (std::vector<BYTE>{0x00, 0xAB, 0x12}));
    const std::vector<BYTE> g = Pack({false, 16, 3, 6}, raw);
    EXPECT_EQ(std::vector<BYTE>(g.begin() + 1064, g.begin() + 1067), (std::vector<BYTE>{0x12, 0xAB, 0x00}));
}

TEST(DibPacking, ResolutionGoesIntoTheHeader) {
    EXPECT_EQ(Read32(Pack({false, 8, 4, 4}, {0, 0, 0, 0}, 300), 24), 11811u);
    EXPECT_EQ(Read32(Pack({false, 8, 4, 4}, {0, 0, 0, 0}, 600), 28), 23622u);
    EXPECT_EQ(Read32(Pack({false, 8, 4, 4}, {0, 0, 0, 0}, 0), 24), 0u);
}

TEST(DibPacking, UnusableLayoutsAndPartialRowsAreRefused) {
    const std::vector<BYTE> raw(64, 0);
    EXPECT_EQ(scan::PackedDibSize({true, 1, 8, 3}, raw.size()), 0u) << "1-bit colour";
    EXPECT_EQ(scan::PackedDibSize({false, 8, 9, 8}, raw.size()), 0u) << "row shorter than its pixels";
    EXPECT_EQ(scan::PackedDibSize({false, 8, 0, 8}, raw.size()), 0u);
    EXPECT_EQ(scan::PackedDibSize({false, 4, 8, 8}, raw.size()), 0u) << "4-bit samples";
    EXPECT_EQ(scan::PackedDibSize({false, 8, 8, 8}, 7), 0u) << "no whole row";
    EXPECT_EQ(scan::PackedDibSize({false, 8, 8, 1 << 21}, std::size_t(1) << 22), 0u) << "row too long";
    EXPECT_EQ(scan::FrameRows({false, 8, 8, 8}, 23), 2) << "a trailing partial row is left out";
    EXPECT_FALSE(scan::PackDib({false, 8, 8, 8}, nullptr, 16, 300, nullptr));
}

}  // namespace
