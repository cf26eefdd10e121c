#include <gtest/gtest.h>

#include "imaging/compress/lzw.h"
#include "imaging/compress/packbits.h"
#include "imaging/compress/tests/test_pages.h"
#include "imaging/compress/tests/tiff_helpers.h"

using namespace coders;
using testpages::Page;

namespace {

// Packs codes of the given widths, most significant bit first.
std::vector<std::uint8_t> Codes(std::initializer_list<std::pair<int, int>> codes) {
    std::vector<std::uint8_t> out;
    std::uint32_t acc = 0;
    int n = 0;
    for (auto [code, width] : codes) {
        acc = (acc << width) | static_cast<std::uint32_t>(code);
        n += width;
        while (n >= 8) {
            n -= 8;
            out.push_back(static_cast<std::uint8_t>(acc >> n));
        }
    }
    if (n) out.push_back(static_cast<std::uint8_t>(acc << (8 - n)));
    return out;
}

std::vector<Page> Pages() {
    return {testpages::Text(1000, 500, 31), testpages::Halftone(640, 480, 32), testpages::Noise(333, 200, 33),
            testpages::Blank(2480, 100)};
}

// Decodes one stream per strip into its share of the page.
std::vector<std::uint8_t> LzwStrips(const std::vector<std::vector<std::uint8_t>>& strips, std::size_t stripBytes,
                                    std::size_t total) {
    std::vector<std::uint8_t> out(total);
    for (std::size_t s = 0; s < strips.size(); ++s) {
        std::size_t at = s * stripBytes, n = std::min(stripBytes, total - at), got = 0;
        lzw::LzwStatus st = lzw::Decode(strips[s].data(), strips[s].size(), out.data() + at, n, &got);
        EXPECT_TRUE(st == lzw::LzwStatus::Ended || st == lzw::LzwStatus::Full);
        EXPECT_EQ(got, n);
    }
    return out;
}

void Reverse(std::vector<std::uint8_t>& d) {
    for (auto& b : d) {
        std::uint8_t r = 0;
        for (int i = 0; i < 8; ++i) r = static_cast<std::uint8_t>(r | (((b >> i) & 1) << (7 - i)));
        b = r;
    }
}

}  // namespace

TEST(Lzw, SmallStreams) {
    std::uint8_t out[16];
    std::size_t n = 0;
    auto s = Codes({{256, 9}, {65, 9}, {66, 9}, {258, 9}, {257, 9}});
    EXPECT_EQ(lzw::Decode(s.data(), s.size(), out, sizeof out, &n), lzw::LzwStatus::Ended);
    EXPECT_EQ(std::vector<std::uint8_t>(out, out + n), (std::vector<std::uint8_t>{65, 66, 65, 66}));
    // A code equal to the next free one: the previous string and its first byte.
    s = Codes({{256, 9}, {65, 9}, {258, 9}, {257, 9}});
    EXPECT_EQ(lzw::Decode(s.data(), s.size(), out, sizeof out, &n), lzw::LzwStatus::Ended);
    EXPECT_EQ(std::vector<std::uint8_t>(out, out + n), (std::vector<std::uint8_t>{65, 65, 65}));
    // Codes beyond the next free one, and an undefined code right after Clear.
    s = Codes({{256, 9}, {65, 9}, {300, 9}, {257, 9}});
    EXPECT_EQ(lzw::Decode(s.data(), s.size(), out, sizeof out, &n), lzw::LzwStatus::BadCode);
    EXPECT_EQ(n, 1u);
    s = Codes({{256, 9}, {259, 9}, {257, 9}});
    EXPECT_EQ(lzw::Decode(s.data(), s.size(), out, sizeof out, &n), lzw::LzwStatus::BadCode);
    EXPECT_EQ(n, 0u);
    // Output cut at the buffer's end, and data that ends without an end code.
    s = Codes({{256, 9}, {65, 9}, {66, 9}, {258, 9}, {257, 9}});
    EXPECT_EQ(lzw::Decode(s.data(), s.size(), out, 3, &n), lzw::LzwStatus::Full);
    EXPECT_EQ(n, 3u);
    EXPECT_EQ(lzw::Decode(s.data(), 3, out, sizeof out, &n), lzw::LzwStatus::OutOfData);
    // Our stream of three white rows.
    std::vector<std::uint8_t> white(3 * 40, 0);
    auto e = lzw::Encode(white.data(), white.size());
    EXPECT_EQ(e[0], 0x80) << "Clear first";
    std::vector<std::uint8_t> back(white.size());
    EXPECT_EQ(lzw::Decode(e.data(), e.size(), back.data(), back.size(), &n), lzw::LzwStatus::Full);
    EXPECT_EQ(back, white);
}

TEST(Lzw, LibtiffBothWays) {
    for (const Page& page : Pages()) {
        for (int fill : {FILLORDER_MSB2LSB, FILLORDER_LSB2MSB}) {
            for (int rps : {0, 37}) {
                testtiff::TempPath tmp;
                testtiff::Options o;
                o.compression = COMPRESSION_LZW;
                o.fillOrder = fill;
                o.rowsPerStrip = rps;
                testtiff::Write(tmp.path, page, o);
                std::uint32_t rows = 0;
                auto strips = testtiff::RawStrips(tmp.path, &rows);
                if (fill == FILLORDER_LSB2MSB)
                    for (auto& s : strips) Reverse(s);
                EXPECT_EQ(LzwStrips(strips, rows * page.RowBytes(), page.bits.size()), page.bits)
                    << page.width << "x" << page.height << " fill " << fill << " rows " << rows;
            }
        }
        // Ours, read by libtiff, and by ourselves; and no bigger than libtiff's.
        auto coded = lzw::Encode(page.bits.data(), page.bits.size());
        testtiff::TempPath tmp;
        testtiff::WriteRaw(tmp.path, page.width, page.height, COMPRESSION_LZW, coded);
        EXPECT_EQ(testtiff::Read(tmp.path).bits, page.bits) << page.width << "x" << page.height;
        EXPECT_EQ(LzwStrips({coded}, page.bits.size(), page.bits.size()), page.bits);
    }
    // Streams ending at each width change: the end code must follow the
    // decoder's width.
    testpages::Rng rng(34);
    for (std::size_t n = 240; n < 2400; n += 7) {
        std::vector<std::uint8_t> d(n);
        for (auto& b : d) b = static_cast<std::uint8_t>(rng.Below(256));
        auto coded = lzw::Encode(d.data(), d.size());
        std::vector<std::uint8_t> back(n + 10);
        std::size_t got = 0;
        ASSERT_EQ(lzw::Decode(coded.data(), coded.size(), back.data(), back.size(), &got), lzw::LzwStatus::Ended)
            << n;
        back.resize(got);
        ASSERT_EQ(back, d) << n;
    }
}

// Runs of one byte are coded by their length alone: runs longer than the table
// holds, runs of every byte value until the table fills and starts again in
// the middle of a run, runs cut short by other bytes, and single bytes
// between them; libtiff and our decoder both get the bytes back.
TEST(Lzw, RunsOfEveryLengthAcrossTableResets) {
    std::vector<std::uint8_t> d(70000, 0);  // longer than the run strings the table can hold
    for (int round = 0; round < 12; ++round)
        for (int b = 0; b < 256; ++b) {
            const std::size_t length = static_cast<std::size_t>((b * 37 + round * 11) % 300) + 1;
            d.insert(d.end(), length, static_cast<std::uint8_t>(b));
            if (b % 5 == 0) d.push_back(static_cast<std::uint8_t>(b + 1));
        }
    d.insert(d.end(), 5000, 0xFF);
    const std::size_t width = 1000;  // whole rows: the stream ends inside the last run
    const std::size_t rows = d.size() / width;
    d.resize(rows * width);
    auto coded = lzw::Encode(d.data(), d.size());
    EXPECT_EQ(LzwStrips({coded}, d.size(), d.size()), d);
    Page page;
    page.width = static_cast<int>(width * 8);
    page.height = static_cast<int>(rows);
    page.bits = d;
    testtiff::TempPath tmp;
    testtiff::WriteRaw(tmp.path, page.width, page.height, COMPRESSION_LZW, coded);
    EXPECT_EQ(testtiff::Read(tmp.path).bits, d);
}

TEST(PackBits, Codes) {
    // 1, 2, 3, 3, 3: literal (1, 2), then a run of three 3s.
    std::uint8_t row[5] = {1, 2, 3, 3, 3};
    EXPECT_EQ(packbits::Encode(row, 5, 1), (std::vector<std::uint8_t>{1, 1, 2, 0xFE, 3}));
    // 300 equal bytes: runs of 128, 128 and 44.
    std::vector<std::uint8_t> same(300, 7);
    EXPECT_EQ(packbits::Encode(same.data(), 300, 1), (std::vector<std::uint8_t>{0x81, 7, 0x81, 7, 0xD5, 7}));
    // Runs never cross rows.
    std::vector<std::uint8_t> two(8, 0);
    EXPECT_EQ(packbits::Encode(two.data(), 4, 2), (std::vector<std::uint8_t>{0xFD, 0, 0xFD, 0}));
    // Decoding stops at the data's end and the output's end; -128 does nothing.
    std::uint8_t data[] = {0x80, 0xFE, 9, 4, 1, 2};
    std::uint8_t out[10] = {};
    std::size_t used = 0;
    EXPECT_EQ(packbits::Decode(data, sizeof data, out, sizeof out, &used), 5u);
    EXPECT_EQ(used, sizeof data);
    EXPECT_EQ(std::vector<std::uint8_t>(out, out + 5), (std::vector<std::uint8_t>{9, 9, 9, 1, 2}));
    EXPECT_EQ(packbits::Decode(data, sizeof data, out, 2, &used), 2u);
    std::uint8_t cut[] = {0xFE};
    EXPECT_EQ(packbits::Decode(cut, 1, out, sizeof out, &used), 0u);
}

TEST(PackBits, LibtiffBothWays) {
    for (const Page& page : Pages()) {
        for (int fill : {FILLORDER_MSB2LSB, FILLORDER_LSB2MSB}) {
            testtiff::TempPath tmp;
            testtiff::Options o;
            o.compression = COMPRESSION_PACKBITS;
            o.fillOrder = fill;
            o.rowsPerStrip = 50;
            testtiff::Write(tmp.path, page, o);
            std::uint32_t rows = 0;
            auto strips = testtiff::RawStrips(tmp.path, &rows);
            std::vector<std::uint8_t> got(page.bits.size());
            for (std::size_t s = 0; s < strips.size(); ++s) {
                if (fill == FILLORDER_LSB2MSB) Reverse(strips[s]);
                std::size_t at = s * rows * page.RowBytes();
                std::size_t n = std::min<std::size_t>(rows * page.RowBytes(), got.size() - at);
                EXPECT_EQ(packbits::Decode(strips[s].data(), strips[s].size(), got.data() + at, n), n);
            }
            EXPECT_EQ(got, page.bits) << page.width << "x" << page.height << " fill " << fill;
        }
        auto coded = packbits::Encode(page.bits.data(), page.RowBytes(), static_cast<std::size_t>(page.height));
        EXPECT_LE(coded.size(), page.bits.size() + page.bits.size() / 128 + page.height + 1) << "bounded growth";
        testtiff::TempPath tmp;
        testtiff::WriteRaw(tmp.path, page.width, page.height, COMPRESSION_PACKBITS, coded);
        EXPECT_EQ(testtiff::Read(tmp.path).bits, page.bits);
    }
}
