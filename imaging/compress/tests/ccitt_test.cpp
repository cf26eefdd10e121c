#include "imaging/compress/ccitt.h"

#include <gtest/gtest.h>

#include "imaging/compress/ccitt_tables.h"
#include "imaging/compress/tests/test_pages.h"
#include "imaging/compress/tests/tiff_helpers.h"

using namespace coders::ccitt;
using testpages::Page;

namespace {

std::vector<Page> Pages() {
    return {testpages::Text(1000, 700, 21), testpages::Halftone(517, 300, 22), testpages::Noise(301, 60, 23),
            testpages::Blank(1728, 40),    testpages::Text(3000, 80, 24),      testpages::Noise(1, 5, 25),
            testpages::Text(2625, 60, 26)};
}

// Decodes strips of `rowsPerStrip` rows.
Page DecodeStrips(const std::vector<std::vector<std::uint8_t>>& strips, Scheme scheme, int width, int height,
                  int rowsPerStrip, bool reverse = false, bool twoDim = false, int* bad = nullptr) {
    Page out = testpages::Blank(width, height);
    CFaxDecoder dec(scheme, width, reverse, twoDim);
    for (int y = 0; y < height; ++y) {
        if (y % rowsPerStrip == 0) {
            const auto& s = strips.at(static_cast<std::size_t>(y / rowsPerStrip));
            dec.Start(s.data(), s.size());
        }
        RowStatus st = dec.DecodeRow(out.bits.data() + y * out.RowBytes());
        if (st != RowStatus::Ok && bad) ++*bad;
    }
    return out;
}

std::string Bits(const std::vector<std::uint8_t>& d, std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s += ((d[i / 8] >> (7 - i % 8)) & 1) ? '1' : '0';
    return s;
}

}  // namespace

TEST(FaxCodes, EachColourIsAPrefixCode) {
    for (int colour = 0; colour < 2; ++colour) {
        std::vector<Code> codes;
        for (int i = 0; i < 64; ++i) codes.push_back(colour ? kBlackTerm[i] : kWhiteTerm[i]);
        for (int i = 0; i < 27; ++i) codes.push_back(colour ? kBlackMakeup[i] : kWhiteMakeup[i]);
        for (auto c : kExtMakeup) codes.push_back(c);
        codes.push_back(kEol);
        for (std::size_t i = 0; i < codes.size(); ++i)
            for (std::size_t j = 0; j < codes.size(); ++j) {
                if (i == j || codes[i].len > codes[j].len) continue;
                ASSERT_NE(codes[j].bits >> (codes[j].len - codes[i].len), codes[i].bits)
                    << "colour " << colour << ": code " << i << " is a prefix of code " << j;
            }
    }
}

TEST(FaxEncoders, RunCodesOfLongRows) {
    // A white row of 1728: the make-up for 1728 and the terminating 0, no black.
    std::vector<std::uint8_t> white(1728 / 8, 0);
    auto mh = EncodeModifiedHuffman(white.data(), 1728, 1);
    EXPECT_EQ(Bits(mh, 24), "010011011" "00110101" "0000000");
    // 3000 white pixels: make-ups 2560 and 384, terminating 56.
    std::vector<std::uint8_t> wide(375, 0);
    mh = EncodeModifiedHuffman(wide.data(), 3000, 1);
    EXPECT_EQ(Bits(mh, 28), "000000011111" "00110111" "01011001");
    // A row that starts black starts with a white run of 0.
    std::uint8_t black[2] = {0xF0, 0xF0};  // two rows for Group 3 below
    mh = EncodeModifiedHuffman(black, 8, 1);
    EXPECT_EQ(Bits(mh, 16), "00110101" "011" "1011" "0");
    // Group 3: the first end-of-line code is 00 01, byte-aligned.
    auto g3 = EncodeGroup3(black, 8, 2);
    EXPECT_EQ(Bits(g3, 16 + 15), "0000000000000001" "00110101" "011" "1011");
    // The second row's end-of-line code also ends on a byte boundary: 31 bits
    // used, so 5 fill bits and the 12-bit code end at bit 48.
    EXPECT_EQ(Bits(g3, 48).substr(31), "00000" "000000000001");
}

TEST(FaxDecoders, ReadEveryFaxKindLibtiffWrites) {
    struct Kind {
        int compression;
        std::uint32_t options;
        Scheme scheme;
        bool twoDim;
    };
    const Kind kinds[] = {
        {COMPRESSION_CCITTRLE, 0, Scheme::ModifiedHuffman, false},
        {COMPRESSION_CCITTFAX3, 0, Scheme::Group3, false},
        {COMPRESSION_CCITTFAX3, GROUP3OPT_FILLBITS, Scheme::Group3, false},
        {COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING, Scheme::Group3, true},
        {COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING | GROUP3OPT_FILLBITS, Scheme::Group3, true},
        {COMPRESSION_CCITTFAX4, 0, Scheme::Group4, false},
    };
    for (const Page& page : Pages()) {
        for (const Kind& k : kinds) {
            for (int fill : {FILLORDER_MSB2LSB, FILLORDER_LSB2MSB}) {
                for (int rps : {0, 16}) {
                    testtiff::TempPath tmp;
                    testtiff::Options o;
                    o.compression = k.compression;
                    o.group3Options = k.options;
                    o.fillOrder = fill;
                    o.rowsPerStrip = rps;
                    testtiff::Write(tmp.path, page, o);
                    std::uint32_t rows = 0;
                    auto strips = testtiff::RawStrips(tmp.path, &rows);
                    int bad = 0;
                    Page got = DecodeStrips(strips, k.scheme, page.width, page.height, static_cast<int>(rows),
                                            fill == FILLORDER_LSB2MSB, k.twoDim, &bad);
                    ASSERT_EQ(bad, 0) << "compression " << k.compression << " options " << k.options;
                    ASSERT_EQ(got.bits, testtiff::Trimmed(page).bits)
                        << page.width << "x" << page.height << " compression " << k.compression << " options "
                        << k.options << " fill order " << fill << " rows per strip " << rows;
                }
            }
        }
    }
}

TEST(FaxEncoders, LibtiffReadsWhatWeWrite) {
    struct Kind {
        int compression;
        std::uint32_t options;
        std::vector<std::uint8_t> (*encode)(const std::uint8_t*, int, int);
        Scheme scheme;
    };
    const Kind kinds[] = {
        {COMPRESSION_CCITTRLE, 0, EncodeModifiedHuffman, Scheme::ModifiedHuffman},
        {COMPRESSION_CCITTFAX3, GROUP3OPT_FILLBITS, EncodeGroup3, Scheme::Group3},
        {COMPRESSION_CCITTFAX4, 0, EncodeGroup4, Scheme::Group4},
    };
    for (const Page& page : Pages()) {
        for (const Kind& k : kinds) {
            auto coded = k.encode(page.bits.data(), page.width, page.height);
            testtiff::TempPath tmp;
            testtiff::WriteRaw(tmp.path, page.width, page.height, k.compression, coded, k.options);
            EXPECT_EQ(testtiff::Read(tmp.path).bits, testtiff::Trimmed(page).bits)
                << page.width << "x" << page.height << " compression " << k.compression;
            int bad = 0;
            Page back = DecodeStrips({coded}, k.scheme, page.width, page.height, page.height, false, false, &bad);
            EXPECT_EQ(bad, 0);
            EXPECT_EQ(back.bits, testtiff::Trimmed(page).bits) << "our own decoder, compression " << k.compression;
        }
    }
}

TEST(FaxDecoders, RunsPastTheRowAndEndlessZeroRunsStayInside) {
    const int width = 40;
    // Modified Huffman: a white run of 1728 in a 40-pixel row.
    std::vector<std::uint8_t> data = {0x4D, 0x9A, 0x80, 0xFF, 0xFF};
    CFaxDecoder dec(Scheme::ModifiedHuffman, width);
    dec.Start(data.data(), data.size());
    std::uint8_t row[6] = {0, 0, 0, 0, 0, 0x5A};
    EXPECT_EQ(dec.DecodeRow(row), RowStatus::Corrupt);
    EXPECT_EQ(row[5], 0x5A) << "nothing written past the row";
    // Thousands of zero-length runs (white 0, black 0), then a black run of 8
    // and white to the end: the run list never grows past the row.
    struct W {
        std::vector<std::uint8_t> out;
        std::uint32_t acc = 0;
        int n = 0;
        void Put(Code c) {
            for (int i = c.len - 1; i >= 0; --i) {
                acc = (acc << 1) | ((c.bits >> i) & 1);
                if (++n == 8) {
                    out.push_back(static_cast<std::uint8_t>(acc));
                    n = 0;
                    acc = 0;
                }
            }
        }
    } w;
    for (int i = 0; i < 5000; ++i) {
        w.Put(kWhiteTerm[0]);
        w.Put(kBlackTerm[0]);
    }
    w.Put(kWhiteTerm[0]);
    w.Put(kBlackTerm[8]);
    w.Put(kWhiteTerm[32]);
    while (w.n) w.Put({0, 1});
    dec.Start(w.out.data(), w.out.size());
    EXPECT_EQ(dec.DecodeRow(row), RowStatus::Ok);
    EXPECT_EQ(row[0], 0xFF);
    EXPECT_EQ(row[1], 0x00);
    // Group 4: vertical modes that would put a1 left of a0 or past the row.
    std::vector<std::uint8_t> g4 = {0x08, 0x10, 0x20, 0x40, 0x81, 0x02};
    CFaxDecoder g(Scheme::Group4, width);
    g.Start(g4.data(), g4.size());
    for (int i = 0; i < 8; ++i) {
        std::uint8_t r[6] = {0, 0, 0, 0, 0, 0x5A};
        g.DecodeRow(r);
        ASSERT_EQ(r[5], 0x5A);
    }
}

TEST(FaxDecoders, Group3FindsTheNextRowAfterACorruptOne) {
    Page page = testpages::Text(600, 50, 27);
    auto coded = EncodeGroup3(page.bits.data(), page.width, page.height);
    // Spoil a few bytes inside row 10 or so.
    std::size_t at = coded.size() / 5;
    for (std::size_t i = at; i < at + 3; ++i) coded[i] = 0xFF;
    int bad = 0;
    Page got = DecodeStrips({coded}, Scheme::Group3, page.width, page.height, page.height, false, false, &bad);
    EXPECT_GE(bad, 1);
    int same = 0;
    for (int y = 0; y < page.height; ++y)
        same += std::equal(got.bits.begin() + y * page.RowBytes(), got.bits.begin() + (y + 1) * page.RowBytes(),
                           page.bits.begin() + y * page.RowBytes());
    EXPECT_GE(same, page.height - 3) << "only the spoilt rows differ";
}

TEST(FaxDecoders, DataEndingEarlyLeavesTheRestWhite) {
    Page page = testpages::Text(500, 40, 28);
    auto coded = EncodeGroup4(page.bits.data(), page.width, page.height);
    coded.resize(coded.size() / 2);
    CFaxDecoder dec(Scheme::Group4, page.width);
    dec.Start(coded.data(), coded.size());
    std::vector<std::uint8_t> row(page.RowBytes());
    RowStatus last = RowStatus::Ok;
    for (int y = 0; y < page.height; ++y) last = dec.DecodeRow(row.data());
    EXPECT_EQ(last, RowStatus::End);
    EXPECT_TRUE(std::all_of(row.begin(), row.end(), [](std::uint8_t b) { return b == 0; }));
}
