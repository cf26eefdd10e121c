#include "imaging/compress/deflater.h"

#include <gtest/gtest.h>

#include "imaging/compress/inflater.h"
#include "imaging/compress/tests/test_pages.h"
#include "imaging/compress/tests/zlib_helpers.h"

using coders::CDeflater;
using coders::CInflater;

namespace {

void ExpectRoundTrip(const std::vector<std::uint8_t>& data, int level, const char* what) {
    std::vector<std::uint8_t> z;
    ASSERT_TRUE(CDeflater::DeflateZlib(data.data(), data.size(), z, level)) << what << " level " << level;
    EXPECT_EQ(testzlib::Inflate(z, data.size()), data) << what << " level " << level << " through zlib";
    std::vector<std::uint8_t> back;
    ASSERT_TRUE(CInflater::InflateZlib(z.data(), z.size(), back)) << what << " level " << level;
    EXPECT_EQ(back, data) << what << " level " << level << " through our inflater";
}

std::vector<std::uint8_t> Bytes(const testpages::Page& p) { return p.bits; }

}  // namespace

TEST(Deflater, StreamsOfEveryLevelInflateInZlib) {
    const auto text = Bytes(testpages::Text(1200, 900, 11));
    const auto halftone = Bytes(testpages::Halftone(600, 500, 12));
    const auto noise = Bytes(testpages::Noise(400, 300, 13));
    const auto blank = Bytes(testpages::Blank(2480, 400));
    for (int level = 0; level <= 9; ++level) {
        ExpectRoundTrip(text, level, "text");
        ExpectRoundTrip(halftone, level, "halftone");
        ExpectRoundTrip(noise, level, "noise");
        ExpectRoundTrip(blank, level, "blank");
    }
}

TEST(Deflater, TinyInputsAndTheLastPositions) {
    // The final bytes of the input are too few to hash; they must still be
    // coded, and never matched against what lies past the end.
    testpages::Rng rng(5);
    for (std::size_t n : {0, 1, 2, 3, 4, 5, 257, 258, 259, 260, 261, 262, 263, 1000}) {
        std::vector<std::uint8_t> zeros(n, 0), ramp(n), mixed(n);
        for (std::size_t i = 0; i < n; ++i) {
            ramp[i] = static_cast<std::uint8_t>(i % 7);
            mixed[i] = static_cast<std::uint8_t>(rng.Below(3));
        }
        for (int level : {0, 1, 6, 9}) {
            ExpectRoundTrip(zeros, level, "zeros");
            ExpectRoundTrip(ramp, level, "ramp");
            ExpectRoundTrip(mixed, level, "mixed");
        }
    }
}

TEST(Deflater, PiecesOfAnySizeGiveOneValidStream) {
    const auto data = Bytes(testpages::Text(2480, 500, 14));  // several window slides
    for (std::size_t piece : {std::size_t{1}, std::size_t{333}, std::size_t{70000}}) {
        for (int level : {0, 3, 6}) {
            std::vector<std::uint8_t> z;
            CDeflater d(
                [&](const std::uint8_t* p, std::size_t n) {
                    z.insert(z.end(), p, p + n);
                    return true;
                },
                level);
            for (std::size_t at = 0; at < data.size(); at += piece)
                ASSERT_TRUE(d.Write(data.data() + at, std::min(piece, data.size() - at)));
            ASSERT_TRUE(d.Finish());
            EXPECT_EQ(testzlib::Inflate(z, data.size()), data) << "piece " << piece << " level " << level;
        }
    }
}

TEST(Deflater, SizesAgainstZlib) {
    // A blank page shrinks to almost nothing; noise is stored rather than
    // expanded; a text page comes within a few per cent of zlib's level 6.
    const auto blank = Bytes(testpages::Blank(2480, 3508));
    std::vector<std::uint8_t> z;
    ASSERT_TRUE(CDeflater::DeflateZlib(blank.data(), blank.size(), z, 6));
    EXPECT_LT(z.size(), blank.size() / 500);
    const auto noise = Bytes(testpages::Noise(800, 800, 15));
    ASSERT_TRUE(CDeflater::DeflateZlib(noise.data(), noise.size(), z, 6));
    EXPECT_LT(z.size(), noise.size() + noise.size() / 100 + 64);
    const auto text = Bytes(testpages::Text(2480, 1200, 16));
    ASSERT_TRUE(CDeflater::DeflateZlib(text.data(), text.size(), z, 6));
    auto ref = testzlib::Deflate(text, 6);
    EXPECT_LT(static_cast<double>(z.size()), ref.size() * 1.05) << "ours " << z.size() << " zlib " << ref.size();
}

TEST(Deflater, RefusingSinkFailsTheStream) {
    const auto data = Bytes(testpages::Noise(2000, 800, 17));
    int calls = 0;
    CDeflater d([&](const std::uint8_t*, std::size_t) { return ++calls < 2; }, 6);  // the second piece is refused
    bool ok = d.Write(data.data(), data.size()) && d.Finish();
    EXPECT_FALSE(ok);
    EXPECT_EQ(d.Error(), coders::DeflateError::SinkFailed);
    EXPECT_FALSE(d.Write(data.data(), 1)) << "no writing after a failure";
    CDeflater bad([](const std::uint8_t*, std::size_t) { return true; }, 10);
    EXPECT_FALSE(bad.Finish());
    EXPECT_EQ(bad.Error(), coders::DeflateError::BadLevel);
    // A finished stream takes nothing more, and says why.
    std::vector<std::uint8_t> out;
    CDeflater done([&](const std::uint8_t* p, std::size_t n) { out.insert(out.end(), p, p + n); return true; }, 6);
    ASSERT_TRUE(done.Write(data.data(), 100));
    ASSERT_TRUE(done.Finish());
    const std::size_t size = out.size();
    EXPECT_FALSE(done.Write(data.data(), 1));
    EXPECT_EQ(done.Error(), coders::DeflateError::Finished);
    EXPECT_FALSE(done.Finish());
    EXPECT_EQ(out.size(), size);
    EXPECT_EQ(testzlib::Inflate(out, 100), std::vector<std::uint8_t>(data.begin(), data.begin() + 100));
}

TEST(HuffmanLengths, LimitedCompleteAndNeverSingle) {
    // Fibonacci frequencies give a tree 30 levels deep without a limit.
    std::uint32_t freq[40];
    freq[0] = freq[1] = 1;
    for (int i = 2; i < 40; ++i) freq[i] = freq[i - 1] + freq[i - 2];
    for (int limit : {7, 15}) {
        std::uint8_t len[40];
        ASSERT_TRUE(coders::huffman::BuildLengths(freq, 40, limit, len));
        double kraft = 0;
        for (int i = 0; i < 40; ++i) {
            EXPECT_GE(len[i], 1);
            EXPECT_LE(len[i], limit);
            kraft += 1.0 / (1u << len[i]);
        }
        EXPECT_DOUBLE_EQ(kraft, 1.0) << "complete code";
        for (int i = 1; i < 40; ++i) EXPECT_LE(len[i], len[i - 1]) << "more frequent, never longer";
    }
    std::uint32_t one[5] = {0, 0, 9, 0, 0};
    std::uint8_t len[5];
    ASSERT_TRUE(coders::huffman::BuildLengths(one, 5, 15, len));
    EXPECT_EQ(len[2], 1);
    EXPECT_EQ(len[0], 1) << "a partner for the only symbol";
}
