#include "outside/convert/bmp_format.h"

#include "dib_samples.h"

#include <gtest/gtest.h>

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
