#include "outside/convert/bmp_format.h"

#include "dib_samples.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

using namespace convert;
using namespace convert::testing;

namespace {

// A BMP file assembled field by field, so the tests can write variants the
// encoder never makes.
struct BmpBuilder {
    std::vector<BYTE> bytes;
    void u16(unsigned v) {
        bytes.push_back(static_cast<BYTE>(v));
        bytes.push_back(static_cast<BYTE>(v >> 8));
    }
    void u32(DWORD v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    // File header and a 40-byte info header; the pixel offset is patched by finish().
    void info(LONG width, LONG height, int bits, DWORD compression, DWORD clrUsed) {
        bytes.clear();
        bytes.push_back('B');
        bytes.push_back('M');
        u32(0);
        u32(0);
        u32(0);
        u32(40);
        u32(static_cast<DWORD>(width));
        u32(static_cast<DWORD>(height));
        u16(1);
        u16(static_cast<unsigned>(bits));
        u32(compression);
        u32(0);
        u32(3780);
        u32(3780);
        u32(clrUsed);
        u32(0);
    }
    void colour(BYTE r, BYTE g, BYTE b) {
        bytes.push_back(b);
        bytes.push_back(g);
        bytes.push_back(r);
        bytes.push_back(0);
    }
    void pixelsStart() {
        const DWORD off = static_cast<DWORD>(bytes.size());
        std::memcpy(bytes.data() + 10, &off, 4);
    }
    void raw(std::initializer_list<int> values) {
        for (int v : values) bytes.push_back(static_cast<BYTE>(v));
    }
};

HDIB decode(const std::vector<BYTE>& file) { return decodeBmp(file.data(), file.size(), {}); }

}  // namespace

TEST(BmpFormat, EncodedFilesDecodeToTheSamePixelsAtEveryDepthAndOddWidth) {
    for (int bits : {1, 8, 24}) {
        for (LONG width : {1L, 13L, 33L}) {
            DibHandle original(makePattern(width, 7, bits));
            std::vector<BYTE> file;
            {
                DibReader r;
                ASSERT_TRUE(r.open(original.h));
                ASSERT_TRUE(encodeBmp(r, file));
            }
            DibHandle back(decode(file));
            ASSERT_NE(back.h, nullptr) << bits << " bits, width " << width;
            expectSamePixels(original.h, back.h);
            DibReader r;
            ASSERT_TRUE(r.open(back.h));
            EXPECT_EQ(r.header().biXPelsPerMeter, 11811) << "resolution kept";
        }
    }
}

TEST(BmpFormat, MonochromePaletteDecidesWhichBitIsInk) {
    // One row of 8 pixels, bits 1010 0000. With palette black, white the set
    // bits are paper, so the decoded row must come out inverted.
    for (bool blackFirst : {false, true}) {
        BmpBuilder b;
        b.info(8, 1, 1, BI_RGB, 2);
        if (blackFirst) {
            b.colour(0, 0, 0);
            b.colour(255, 255, 255);
        } else {
            b.colour(255, 255, 255);
            b.colour(0, 0, 0);
        }
        b.pixelsStart();
        b.raw({0xA0, 0, 0, 0});
        DibHandle d(decode(b.bytes));
        ASSERT_NE(d.h, nullptr);
        DibReader r;
        ASSERT_TRUE(r.open(d.h));
        EXPECT_TRUE(r.monoOneIsBlack());
        EXPECT_EQ(r.row(0)[0], blackFirst ? 0x5F : 0xA0);
    }
}

TEST(BmpFormat, PalettedFilesBecomeGreyOrColourByTheirPalette) {
    BmpBuilder grey;
    grey.info(2, 1, 8, BI_RGB, 2);
    grey.colour(10, 10, 10);
    grey.colour(200, 200, 200);
    grey.pixelsStart();
    grey.raw({1, 0, 0, 0});
    DibHandle g(decode(grey.bytes));
    ASSERT_NE(g.h, nullptr);
    DibReader rg;
    ASSERT_TRUE(rg.open(g.h));
    EXPECT_EQ(rg.bits(), 8);
    EXPECT_EQ(rg.row(0)[0], 200);
    EXPECT_EQ(rg.row(0)[1], 10);

    BmpBuilder colour;  // 4 bits, two pixels a byte, high nibble first
    colour.info(3, 1, 4, BI_RGB, 3);
    colour.colour(255, 0, 0);
    colour.colour(0, 255, 0);
    colour.colour(0, 0, 255);
    colour.pixelsStart();
    colour.raw({0x12, 0x00, 0, 0});
    DibHandle c(decode(colour.bytes));
    ASSERT_NE(c.h, nullptr);
    DibReader rc;
    ASSERT_TRUE(rc.open(c.h));
    EXPECT_EQ(rc.bits(), 24);
    EXPECT_EQ(pixelAt(rc, 0, 0), 0x00FF00u) << "green (BGR packed)";
    EXPECT_EQ(pixelAt(rc, 1, 0), 0x0000FFu) << "blue";
    EXPECT_EQ(pixelAt(rc, 2, 0), 0xFF0000u) << "red";
}

TEST(BmpFormat, DirectColourVariantsAndTopDownRows) {
    BmpBuilder b16;  // 5-6-5 bit fields, two rows top-down
    b16.info(1, -2, 16, BI_BITFIELDS, 0);
    b16.u32(0xF800);
    b16.u32(0x07E0);
    b16.u32(0x001F);
    b16.pixelsStart();
    b16.raw({0x00, 0xF8, 0, 0});  // top row: pure red
    b16.raw({0x1F, 0x00, 0, 0});  // bottom row: pure blue
    DibHandle d16(decode(b16.bytes));
    ASSERT_NE(d16.h, nullptr);
    DibReader r16;
    ASSERT_TRUE(r16.open(d16.h));
    EXPECT_EQ(pixelAt(r16, 0, 0), 0xFF0000u) << "red on top";
    EXPECT_EQ(pixelAt(r16, 0, 1), 0x0000FFu);

    BmpBuilder b32;
    b32.info(1, 1, 32, BI_RGB, 0);
    b32.pixelsStart();
    b32.raw({0x11, 0x22, 0x33, 0x44});
    DibHandle d32(decode(b32.bytes));
    ASSERT_NE(d32.h, nullptr);
    DibReader r32;
    ASSERT_TRUE(r32.open(d32.h));
    EXPECT_EQ(pixelAt(r32, 0, 0), 0x332211u);
}

TEST(BmpFormat, RunLengthFilesDecodeWithRunsClippedAtTheRowEnd) {
    BmpBuilder rle;
    rle.info(4, 2, 8, BI_RLE8, 2);
    rle.colour(0, 0, 0);
    rle.colour(255, 255, 255);
    rle.pixelsStart();
    // Bottom row: run of 6 white (2 beyond the width), end of line; top row:
    // absolute run 0,1,0 (padded), end of bitmap.
    rle.raw({6, 1, 0, 0, 0, 3, 0, 1, 0, 0, 0, 1});
    DibHandle d(decode(rle.bytes));
    ASSERT_NE(d.h, nullptr);
    DibReader r;
    ASSERT_TRUE(r.open(d.h));
    EXPECT_EQ(r.bits(), 8);
    const BYTE expectedTop[4] = {0, 255, 0, 0};
    const BYTE expectedBottom[4] = {255, 255, 255, 255};
    EXPECT_EQ(std::memcmp(r.row(0), expectedTop, 4), 0);
    EXPECT_EQ(std::memcmp(r.row(1), expectedBottom, 4), 0);
}

TEST(BmpFormat, TinyRunLengthFilesCannotAskForHugePictures) {
    BmpBuilder rle;
    rle.info(65535, 60000, 8, BI_RLE8, 2);
    rle.colour(0, 0, 0);
    rle.colour(255, 255, 255);
    rle.pixelsStart();
    rle.raw({0, 1});
    EXPECT_EQ(decode(rle.bytes), nullptr);
}

TEST(BmpFormat, DamagedFilesAreRefusedAtEveryTruncation) {
    DibHandle original(makePattern(21, 9, 8));
    std::vector<BYTE> file;
    {
        DibReader r;
        ASSERT_TRUE(r.open(original.h));
        ASSERT_TRUE(encodeBmp(r, file));
    }
    for (std::size_t cut = 0; cut < file.size(); ++cut) {
        HDIB d = decodeBmp(file.data(), cut, {});
        EXPECT_EQ(d, nullptr) << "truncated at " << cut;
        if (d) GlobalFree(d);
    }
    // Sizes the library refuses to allocate, and nonsense fields.
    auto patched = [&](std::size_t offset, DWORD value) {
        std::vector<BYTE> f = file;
        std::memcpy(f.data() + offset, &value, 4);
        HDIB d = decodeBmp(f.data(), f.size(), {});
        if (d) GlobalFree(d);
        return d != nullptr;
    };
    EXPECT_FALSE(patched(18, 0x7FFFFFFF)) << "huge width";
    EXPECT_FALSE(patched(22, 0x80000000)) << "most negative height";
    EXPECT_FALSE(patched(18, 0)) << "zero width";
    EXPECT_FALSE(patched(10, 0xFFFFFFF0)) << "pixel offset beyond the file";
    EXPECT_FALSE(patched(14, 0x10000)) << "header size beyond the file";
}

TEST(BmpFormat, StopCheckEndsTheDecode) {
    DibHandle original(makePattern(8, 200, 24));
    std::vector<BYTE> file;
    {
        DibReader r;
        ASSERT_TRUE(r.open(original.h));
        ASSERT_TRUE(encodeBmp(r, file));
    }
    EXPECT_EQ(decodeBmp(file.data(), file.size(), [] { return true; }), nullptr);
}

TEST(PackedDib, ReaderRefusesBlocksSmallerThanTheirHeaderClaims) {
    DibHandle d(makePattern(16, 16, 8));
    {
        DibReader r;
        EXPECT_TRUE(r.open(d.h));
    }
    ASSERT_NE(GlobalReAlloc(d.h, GlobalSize(d.h) - 1, GMEM_MOVEABLE), nullptr);
    DibReader r;
    EXPECT_FALSE(r.open(d.h));
}

TEST(BmpFormat, ResolutionsOutsideOneToTenThousandDpiAreUnknown) {
    struct Case {
        DWORD pels;
        LONG kept;
    } cases[] = {{1642071291u, 0}, {39, 0}, {40, 40}, {3780, 3780}, {393740, 393740}, {393741, 0}, {0xFFFFFFFFu, 0}};
    for (const Case& c : cases) {
        BmpBuilder b;
        b.info(8, 1, 24, BI_RGB, 0);
        std::memcpy(b.bytes.data() + 38, &c.pels, 4);
        std::memcpy(b.bytes.data() + 42, &c.pels, 4);
        b.pixelsStart();
        b.raw({0, 0, 0, 255, 255, 255, 0, 0, 0, 255, 255, 255, 0, 0, 0, 255, 255, 255, 0, 0, 0, 255, 255, 255});
        DibHandle back(decode(b.bytes));
        ASSERT_NE(back.h, nullptr) << c.pels;
        DibReader r;
        ASSERT_TRUE(r.open(back.h));
        EXPECT_EQ(r.header().biXPelsPerMeter, c.kept) << c.pels;
        EXPECT_EQ(r.header().biYPelsPerMeter, c.kept) << c.pels;
    }
}

namespace {

// A file of the test's own, removed when it goes.
struct TempFile {
    std::string path;
    explicit TempFile(const std::vector<BYTE>& bytes) {
        path = (std::filesystem::temp_directory_path() / ("bmp-read-" + std::to_string(::getpid()) + ".bmp")).string();
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
    }
    ~TempFile() { std::filesystem::remove(path); }
};

// Reading the file must give exactly what decoding its bytes gives: the same
// block byte for byte, or nothing from both.
void expectFileReadMatchesDecode(const std::vector<BYTE>& file, const std::string& what) {
    TempFile f(file);
    DibHandle fromFile(readBmpFile(f.path, std::size_t{1} << 30, {}));
    DibHandle fromBytes(decode(file));
    ASSERT_EQ(fromFile.h == nullptr, fromBytes.h == nullptr) << what;
    if (!fromFile.h) return;
    ASSERT_EQ(GlobalSize(fromFile.h), GlobalSize(fromBytes.h)) << what;
    const auto* a = static_cast<const BYTE*>(GlobalLock(fromFile.h));
    const auto* b = static_cast<const BYTE*>(GlobalLock(fromBytes.h));
    EXPECT_EQ(std::memcmp(a, b, GlobalSize(fromFile.h)), 0) << what;
    GlobalUnlock(fromFile.h);
    GlobalUnlock(fromBytes.h);
}

std::vector<BYTE> encoded(LONG width, LONG height, int bits) {
    DibHandle original(makePattern(width, height, bits));
    std::vector<BYTE> file;
    DibReader r;
    if (r.open(original.h)) encodeBmp(r, file);
    return file;
}

}  // namespace

TEST(BmpFormat, FileReadsMatchTheDecoderForEveryVariant) {
    for (int bits : {1, 8, 24}) {
        for (LONG width : {1L, 13L, 33L, 64L}) {
            std::vector<BYTE> file = encoded(width, 5, bits);
            ASSERT_FALSE(file.empty());
            const std::string what = std::to_string(bits) + " bits, width " + std::to_string(width);
            expectFileReadMatchesDecode(file, what);
            // Row padding that is not zero in the file is zero in the picture.
            DWORD offset = 0;
            std::memcpy(&offset, file.data() + 10, 4);
            const std::size_t stride = dibStride(width, bits);
            const std::size_t used = bits == 1 ? (width + 7) / 8 : std::size_t(width) * std::size_t(bits / 8);
            std::vector<BYTE> padded = file;
            for (std::size_t row = 0; row < 5; ++row)
                for (std::size_t i = used; i < stride; ++i) padded[offset + row * stride + i] = 0xAB;
            if (bits == 1) padded[offset] |= 0x01;  // bits past the row's last pixel, too
            expectFileReadMatchesDecode(padded, what + ", dirty padding");
            // Truncated at every length, and stopped.
            for (std::size_t cut = 0; cut < file.size(); cut += 7)
                expectFileReadMatchesDecode(std::vector<BYTE>(file.begin(), file.begin() + std::ptrdiff_t(cut)),
                                            what + ", cut at " + std::to_string(cut));
            TempFile f(file);
            EXPECT_EQ(readBmpFile(f.path, std::size_t{1} << 30, [] { return true; }), nullptr) << what;
            EXPECT_EQ(readBmpFile(f.path, file.size() - 1, {}), nullptr) << what << ": larger than allowed";
        }
    }
    // Files whose rows are not the picture's: a mono palette with paper first,
    // a grey palette that is not the full ramp, a colour palette, top-down rows.
    std::vector<BYTE> mono = encoded(20, 3, 1);
    std::swap_ranges(mono.begin() + 54, mono.begin() + 58, mono.begin() + 58);
    expectFileReadMatchesDecode(mono, "mono, black first");
    std::vector<BYTE> grey = encoded(9, 3, 8);
    grey[54 + 4 * 7] = grey[55 + 4 * 7] = grey[56 + 4 * 7] = 200;
    expectFileReadMatchesDecode(grey, "grey palette not the ramp");
    std::vector<BYTE> colour = encoded(9, 3, 8);
    colour[54 + 4 * 3] = 0;
    expectFileReadMatchesDecode(colour, "colour palette");
    std::vector<BYTE> topDown = encoded(9, 3, 24);
    const LONG negative = -3;
    std::memcpy(topDown.data() + 22, &negative, 4);
    expectFileReadMatchesDecode(topDown, "top-down");
    EXPECT_EQ(readBmpFile("/nonexistent/folder/page.bmp", 1 << 20, {}), nullptr);
    EXPECT_EQ(readBmpFile("/", 1 << 20, {}), nullptr) << "a folder";
}
