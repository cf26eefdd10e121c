#include "imaging/compress/inflater.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "imaging/compress/checksum.h"
#include "imaging/compress/tests/test_pages.h"
#include "imaging/compress/tests/zlib_helpers.h"

using coders::CInflater;
using coders::InflateError;

namespace {

// The bytes a PNG encoder would compress for a page: a filter byte per row.
std::vector<std::uint8_t> PngStream(const testpages::Page& p) {
    std::vector<std::uint8_t> s;
    for (int y = 0; y < p.height; ++y) {
        s.push_back(0);
        s.insert(s.end(), p.bits.begin() + y * p.RowBytes(), p.bits.begin() + (y + 1) * p.RowBytes());
    }
    return s;
}

// Inflates with the source handing out pieces of the sizes of `pieces` in
// turn and the output read in pieces of `readSize` bytes.
bool InflatePieces(const std::vector<std::uint8_t>& z, std::vector<std::size_t> pieces, std::size_t readSize,
                   std::vector<std::uint8_t>& out, InflateError& err) {
    std::size_t at = 0, turn = 0;
    CInflater inf([&](const std::uint8_t*& d, std::size_t& n) {
        if (at >= z.size()) return false;
        d = z.data() + at;
        n = std::min(pieces[turn++ % pieces.size()], z.size() - at);
        at += n;
        return true;
    });
    out.clear();
    std::vector<std::uint8_t> buf(readSize);
    for (;;) {
        std::size_t k = inf.Read(buf.data(), readSize);
        out.insert(out.end(), buf.begin(), buf.begin() + k);
        if (k < readSize) break;
    }
    err = inf.Error();
    return inf.Done();
}

std::vector<std::uint8_t> Header() { return {0x78, 0x01}; }

// A zlib stream around hand-made deflate bits, with the right checksum of `out`.
std::vector<std::uint8_t> Wrap(testzlib::BitWriter& w, const std::vector<std::uint8_t>& out = {}) {
    std::vector<std::uint8_t> z = Header();
    auto body = w.Bytes();
    z.insert(z.end(), body.begin(), body.end());
    std::uint32_t a = coders::Adler32(1, out.data(), out.size());
    for (int i = 3; i >= 0; --i) z.push_back(static_cast<std::uint8_t>(a >> (8 * i)));
    return z;
}

InflateError ErrorOf(const std::vector<std::uint8_t>& z) {
    std::vector<std::uint8_t> out;
    InflateError e;
    EXPECT_FALSE(CInflater::InflateZlib(z.data(), z.size(), out, &e));
    return e;
}

}  // namespace

TEST(Inflater, DecodesZlibAtEveryLevelStrategyAndWindow) {
    const auto text = PngStream(testpages::Text(900, 700, 3));
    const auto noise = PngStream(testpages::Noise(300, 200, 4));
    const auto blank = PngStream(testpages::Blank(1000, 600));
    for (const auto* data : {&text, &noise, &blank}) {
        for (int level = 0; level <= 9; ++level) {
            for (int strategy : {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED}) {
                auto z = testzlib::Deflate(*data, level, strategy);
                std::vector<std::uint8_t> out;
                InflateError e;
                ASSERT_TRUE(CInflater::InflateZlib(z.data(), z.size(), out, &e))
                    << "level " << level << " strategy " << strategy << ": " << coders::InflateErrorText(e);
                ASSERT_EQ(out, *data) << "level " << level << " strategy " << strategy;
            }
        }
        for (int wbits = 9; wbits <= 15; ++wbits) {
            auto z = testzlib::Deflate(*data, 9, Z_DEFAULT_STRATEGY, wbits);
            std::vector<std::uint8_t> out;
            ASSERT_TRUE(CInflater::InflateZlib(z.data(), z.size(), out)) << "window bits " << wbits;
            ASSERT_EQ(out, *data);
        }
    }
}

TEST(Inflater, WholeStreamsGrowTheOutputAndReuseTheCallersVector) {
    // A blank page shrinks to a thousandth: its output outgrows any first guess.
    const auto blank = PngStream(testpages::Blank(2480, 3508));
    const auto text = PngStream(testpages::Text(1200, 800, 8));
    for (const auto* data : {&blank, &text}) {
        const auto z = testzlib::Deflate(*data, 6);
        for (std::size_t before : {std::size_t{0}, std::size_t{100}, data->size() - 1, data->size() + 5000,
                                   2 * data->size()}) {
            std::vector<std::uint8_t> out(before, 0xAA);
            ASSERT_TRUE(CInflater::InflateZlib(z.data(), z.size(), out)) << before;
            ASSERT_EQ(out, *data) << before;
        }
        // Cut short: what was decoded, and nothing of what the vector held.
        std::vector<std::uint8_t> out(2 * data->size(), 0xAA);
        InflateError e;
        EXPECT_FALSE(CInflater::InflateZlib(z.data(), z.size() / 2, out, &e));
        EXPECT_EQ(e, InflateError::Truncated);
        ASSERT_LT(out.size(), data->size());
        EXPECT_TRUE(std::equal(out.begin(), out.end(), data->begin()));
    }
}

// The checksum taken many bytes at a time agrees with zlib's at every length
// and alignment, with bytes of 255 (the largest sums) and of any value, from
// any starting value.
TEST(Checksums, AdlerAgreesWithZlib) {
    testpages::Rng rng(9);
    std::vector<std::uint8_t> ones(3 * 5552 + 100, 0xFF), any(3 * 5552 + 100);
    for (auto& b : any) b = static_cast<std::uint8_t>(rng.Below(256));
    std::vector<std::size_t> lengths;
    for (std::size_t n = 0; n <= 70; ++n) lengths.push_back(n);
    for (std::size_t n : {5551, 5552, 5553, 5552 + 31, 2 * 5552 + 17, 3 * 5552 + 3}) lengths.push_back(n);
    for (const auto* data : {&ones, &any})
        for (std::size_t n : lengths)
            for (std::size_t offset : {0, 1, 3, 17})
                for (std::uint32_t start : {1u, 0xFFF0FFF0u, 0x12345678u % 65521u | (40000u << 16)}) {
                    ASSERT_EQ(coders::Adler32(start, data->data() + offset, n),
                              adler32(start, data->data() + offset, static_cast<uInt>(n)))
                        << n << " from " << offset << " start " << start;
                }
}

TEST(Inflater, InputAndOutputPiecesOfAnySize) {
    // Larger than the output buffer, so history slides several times.
    const auto data = PngStream(testpages::Text(2480, 900, 5));
    auto z = testzlib::Deflate(data, 6);
    for (std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{8192}}) {
        for (std::size_t readSize : {std::size_t{1}, std::size_t{311}, std::size_t{100000}}) {
            if (piece == 1 && readSize == 1) continue;  // same paths, only slower
            std::vector<std::uint8_t> out;
            InflateError e;
            ASSERT_TRUE(InflatePieces(z, {piece}, readSize, out, e)) << coders::InflateErrorText(e);
            ASSERT_EQ(out, data) << "piece " << piece << " read " << readSize;
        }
    }
    // A short piece then a long one: the bytes that top the bit buffer up
    // across the short piece's end may fill it to the last of its 64 bits
    // just before the long piece is read the fast way.
    const auto page = PngStream(testpages::Text(2480, 3508, 3));
    const auto zpage = testzlib::Deflate(page, 9);
    for (std::size_t shortPiece = 1; shortPiece < 8; ++shortPiece) {
        for (std::size_t longPiece = 9; longPiece < 25; ++longPiece) {
            std::vector<std::uint8_t> out;
            InflateError e;
            ASSERT_TRUE(InflatePieces(zpage, {shortPiece, longPiece}, 1 << 20, out, e)) << coders::InflateErrorText(e);
            ASSERT_EQ(out, page) << "pieces " << shortPiece << " and " << longPiece;
        }
    }
}

TEST(Inflater, StoredBlockIsFollowedByTheNextBlockHeader) {
    // Stored blocks, then compressed ones, then stored again: the level changes
    // mid-stream and every flush leaves an empty stored block behind.
    auto data = PngStream(testpages::Text(800, 400, 6));
    z_stream zs{};
    ASSERT_EQ(deflateInit(&zs, 0), Z_OK);
    std::vector<std::uint8_t> z(data.size() * 2 + 1000);
    zs.next_out = z.data();
    zs.avail_out = static_cast<uInt>(z.size());
    const std::size_t third = data.size() / 3;
    zs.next_in = data.data();
    zs.avail_in = static_cast<uInt>(third);
    ASSERT_EQ(deflate(&zs, Z_SYNC_FLUSH), Z_OK);
    ASSERT_EQ(deflateParams(&zs, 6, Z_DEFAULT_STRATEGY), Z_OK);
    zs.avail_in = static_cast<uInt>(third);
    ASSERT_EQ(deflate(&zs, Z_FULL_FLUSH), Z_OK);
    ASSERT_EQ(deflateParams(&zs, 0, Z_DEFAULT_STRATEGY), Z_OK);
    zs.avail_in = static_cast<uInt>(data.size() - 2 * third);
    ASSERT_EQ(deflate(&zs, Z_FINISH), Z_STREAM_END);
    z.resize(zs.total_out);
    deflateEnd(&zs);
    std::vector<std::uint8_t> out;
    InflateError e;
    ASSERT_TRUE(CInflater::InflateZlib(z.data(), z.size(), out, &e)) << coders::InflateErrorText(e);
    EXPECT_EQ(out, data);
}

TEST(Inflater, TrailingEmptyFinalBlockAndSyncFlushes) {
    auto data = PngStream(testpages::Text(500, 300, 7));
    // Every piece flushed: each flush ends in an empty stored block, and the
    // final Z_FINISH with no input left gives an empty final block.
    for (int flush : {Z_SYNC_FLUSH, Z_FULL_FLUSH}) {
        auto z = testzlib::Deflate(data, 6, Z_DEFAULT_STRATEGY, 15, 997, flush);
        std::vector<std::uint8_t> out;
        ASSERT_TRUE(CInflater::InflateZlib(z.data(), z.size(), out));
        EXPECT_EQ(out, data);
    }
    // Data all sent before Z_FINISH: the last block is empty and final.
    z_stream zs{};
    ASSERT_EQ(deflateInit(&zs, 6), Z_OK);
    std::vector<std::uint8_t> z(data.size() + 1000);
    zs.next_in = data.data();
    zs.avail_in = static_cast<uInt>(data.size());
    zs.next_out = z.data();
    zs.avail_out = static_cast<uInt>(z.size());
    ASSERT_EQ(deflate(&zs, Z_SYNC_FLUSH), Z_OK);
    ASSERT_EQ(deflate(&zs, Z_FINISH), Z_STREAM_END);
    z.resize(zs.total_out);
    deflateEnd(&zs);
    std::vector<std::uint8_t> out;
    ASSERT_TRUE(CInflater::InflateZlib(z.data(), z.size(), out));
    EXPECT_EQ(out, data);
    // An empty stream.
    auto empty = testzlib::Deflate({}, 6);
    ASSERT_TRUE(CInflater::InflateZlib(empty.data(), empty.size(), out));
    EXPECT_TRUE(out.empty());
}

TEST(Inflater, EveryTruncationIsRefused) {
    for (int level : {0, 1, 9}) {
        auto data = PngStream(testpages::Text(200, 60, 8));
        auto z = testzlib::Deflate(data, level, level == 1 ? Z_FIXED : Z_DEFAULT_STRATEGY);
        for (std::size_t cut = 0; cut < z.size(); ++cut) {
            std::vector<std::uint8_t> out;
            InflateError e;
            ASSERT_FALSE(CInflater::InflateZlib(z.data(), cut, out, &e)) << "cut at " << cut << " of " << z.size();
            ASSERT_EQ(e, InflateError::Truncated) << "cut at " << cut;
            ASSERT_LE(out.size(), data.size());
        }
    }
}

TEST(Inflater, HeaderAndChecksumFaults) {
    auto data = PngStream(testpages::Text(100, 40, 9));
    auto z = testzlib::Deflate(data, 6);
    auto bad = z;
    bad.back() ^= 1;
    EXPECT_EQ(ErrorOf(bad), InflateError::BadChecksum);
    bad = z;
    bad[0] = 0x79;  // method 9
    EXPECT_EQ(ErrorOf(bad), InflateError::BadMethod);
    bad = z;
    bad[0] = 0x88;  // window of 64 KiB
    bad[1] = static_cast<std::uint8_t>(31 - (0x88 * 256) % 31);
    EXPECT_EQ(ErrorOf(bad), InflateError::BadMethod);
    bad = z;
    bad[1] ^= 1;
    EXPECT_EQ(ErrorOf(bad), InflateError::BadHeaderCheck);
    bad = z;
    bad[1] = 0xBB;  // 0x78BB is a multiple of 31 with the dictionary flag
    EXPECT_EQ(ErrorOf(bad), InflateError::PresetDictionary);
}

TEST(Inflater, MalformedBlocksAreRefused) {
    using testzlib::BitWriter;
    {
        BitWriter w;  // stored block whose NLEN is wrong
        w.Put(1, 1);
        w.Put(0, 2);
        w.Put(0, 5);
        w.Put(5, 16);
        w.Put(0x1234, 16);
        EXPECT_EQ(ErrorOf(Wrap(w)), InflateError::BadStoredLength);
    }
    {
        BitWriter w;
        w.Put(1, 1);
        w.Put(3, 2);
        EXPECT_EQ(ErrorOf(Wrap(w)), InflateError::BadBlockType);
    }
    {
        BitWriter w;  // fixed block: a match before any output
        w.Put(1, 1);
        w.Put(1, 2);
        w.Code(1, 7);  // length symbol 257: 3 bytes
        w.Code(0, 5);  // distance 1
        w.Code(0, 7);  // end of block
        EXPECT_EQ(ErrorOf(Wrap(w)), InflateError::DistanceTooFar);
    }
    {
        BitWriter w;  // fixed block: literal 'A', then a 3-byte match at distance 1
        w.Put(1, 1);
        w.Put(1, 2);
        w.Code(0x30 + 'A', 8);
        w.Code(1, 7);
        w.Code(0, 5);
        w.Code(0, 7);
        std::vector<std::uint8_t> want = {'A', 'A', 'A', 'A'};
        auto z = Wrap(w, want);
        std::vector<std::uint8_t> out;
        ASSERT_TRUE(CInflater::InflateZlib(z.data(), z.size(), out));
        EXPECT_EQ(out, want);
    }
    {
        BitWriter w;  // fixed block: distance symbol 30
        w.Put(1, 1);
        w.Put(1, 2);
        w.Code(0x30 + 'A', 8);
        w.Code(1, 7);
        w.Code(30, 5);
        EXPECT_EQ(ErrorOf(Wrap(w)), InflateError::BadDistance);
    }
    {
        BitWriter w;  // fixed block: literal/length symbol 286
        w.Put(1, 1);
        w.Put(1, 2);
        w.Code(0xC0 + (286 - 280), 8);
        EXPECT_EQ(ErrorOf(Wrap(w)), InflateError::BadLiteral);
    }
    auto dynamicHeader = [](BitWriter& w, int hlit, int hdist) {
        w.Put(1, 1);
        w.Put(2, 2);
        w.Put(hlit - 257, 5);
        w.Put(hdist - 1, 5);
        w.Put(0, 4);   // four code-length code lengths: for 16, 17, 18 and 0
        w.Put(1, 3);   // 16: code 1
        w.Put(0, 3);
        w.Put(0, 3);
        w.Put(1, 3);   // 0: code 0
    };
    {
        BitWriter w;  // repeat of the previous length with none before it
        dynamicHeader(w, 257, 1);
        w.Code(1, 1);
        w.Put(0, 2);
        EXPECT_EQ(ErrorOf(Wrap(w)), InflateError::RepeatWithoutLength);
    }
    {
        BitWriter w;
        dynamicHeader(w, 287, 1);
        EXPECT_EQ(ErrorOf(Wrap(w)), InflateError::TooManyCodes);
    }
    {
        BitWriter w;  // a repeat that runs past the last distance length
        dynamicHeader(w, 257, 1);
        for (int i = 0; i < 257; ++i) w.Code(0, 1);
        w.Code(1, 1);
        w.Put(3, 2);
        EXPECT_EQ(ErrorOf(Wrap(w)), InflateError::LengthsOutOfRange);
    }
    {
        BitWriter w;  // all lengths zero: no end-of-block code
        dynamicHeader(w, 257, 1);
        for (int i = 0; i < 258; ++i) w.Code(0, 1);
        EXPECT_EQ(ErrorOf(Wrap(w)), InflateError::BadCode);
    }
    {
        BitWriter w;  // over-subscribed code-length code: three codes of length 1
        w.Put(1, 1);
        w.Put(2, 2);
        w.Put(0, 5);
        w.Put(0, 5);
        w.Put(0, 4);
        w.Put(1, 3);
        w.Put(1, 3);
        w.Put(1, 3);
        w.Put(0, 3);
        EXPECT_EQ(ErrorOf(Wrap(w)), InflateError::BadCodeLengths);
    }
}
