#include "outside/convert/file_io.h"
#include "outside/convert/jpeg_format.h"
#include "outside/convert/tiff_format.h"

#include "dib_samples.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <filesystem>
#include <fstream>

using namespace convert;
using namespace convert::testing;
namespace fs = std::filesystem;

namespace {

class ConvertFiles : public ::testing::Test {
protected:
    fs::path dir;
    void SetUp() override {
        dir = fs::temp_directory_path() / ("convert-test-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string file(const char* name) const { return (dir / name).string(); }
};

// Writes a page with libtiff itself, in the given compression and fill order.
void writeWithLibtiff(const std::string& path, uint16_t compression, uint16_t fillOrder, int pages) {
    TIFF* t = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(t, nullptr);
    for (int page = 0; page < pages; ++page) {
        const uint32_t w = 37, h = 11;
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, w);
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, h);
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(t, TIFFTAG_COMPRESSION, compression);
        TIFFSetField(t, TIFFTAG_FILLORDER, fillOrder);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 4);
        TIFFSetField(t, TIFFTAG_XRESOLUTION, 300.0f);
        TIFFSetField(t, TIFFTAG_YRESOLUTION, 300.0f);
        TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        if (pages > 1) TIFFSetField(t, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
        std::vector<BYTE> line((w + 7) / 8);
        for (uint32_t y = 0; y < h; ++y) {
            for (uint32_t x = 0; x < w; ++x) {
                const bool ink = page == 0 ? ((x / 3 + y / 3) % 2) : true;
                if (ink) line[x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
                else line[x / 8] &= static_cast<BYTE>(~(0x80 >> (x % 8)));
            }
            ASSERT_GE(TIFFWriteScanline(t, line.data(), y, 0), 0);
        }
        TIFFWriteDirectory(t);
    }
    TIFFClose(t);
}

// Writes the bitmap as a TIFF file and reads it back; NULL when either fails.
HDIB throughTiff(HDIB dib, const std::string& path) {
    {
        DibReader r;
        if (!r.open(dib) || !encodeTiff(r, path)) return nullptr;
    }
    return decodeTiff(path, {});
}

}  // namespace

TEST_F(ConvertFiles, TiffRoundTripsEveryDepthWithItsResolution) {
    for (int bits : {1, 8, 24}) {
        DibHandle original(makePattern(45, 17, bits));
        const std::string path = file(("page" + std::to_string(bits) + ".tif").c_str());
        DibHandle back(throughTiff(original.h, path));
        ASSERT_NE(back.h, nullptr) << bits;
        expectSamePixels(original.h, back.h);
        DibReader r;
        ASSERT_TRUE(r.open(back.h));
        EXPECT_NEAR(r.header().biXPelsPerMeter, 11811, 20) << "300 dpi kept";

        TIFF* t = TIFFOpen(path.c_str(), "r");
        ASSERT_NE(t, nullptr) << "libtiff opens our file";
        uint16_t compression = 0;
        TIFFGetField(t, TIFFTAG_COMPRESSION, &compression);
        EXPECT_EQ(compression, bits == 1 ? COMPRESSION_CCITTFAX4 : COMPRESSION_LZW);
        TIFFClose(t);
    }
}

TEST_F(ConvertFiles, ColourTiffRowsOfEveryWidthComeBackBlueFirst) {
    // Red and blue change places sixteen pixels at a time and the rest one
    // by one: widths around those steps.
    for (LONG width : {1, 5, 15, 16, 17, 32, 33, 47, 48, 49}) {
        DibHandle original(makePattern(width, 3, 24));
        DibHandle back(throughTiff(original.h, file("colour.tif")));
        ASSERT_NE(back.h, nullptr) << width;
        expectSamePixels(original.h, back.h);
    }
}

TEST_F(ConvertFiles, TiffReadsEveryCompressionAndFillOrderOfOtherWriters) {
    DibHandle expected(makePattern(37, 11, 1));
    for (uint16_t compression : {COMPRESSION_NONE, COMPRESSION_CCITTRLE, COMPRESSION_CCITTFAX3,
                                 COMPRESSION_CCITTFAX4, COMPRESSION_LZW, COMPRESSION_PACKBITS}) {
        for (uint16_t fill : {FILLORDER_MSB2LSB, FILLORDER_LSB2MSB}) {
            const std::string path = file("other.tif");
            writeWithLibtiff(path, compression, fill, 1);
            DibHandle back(decodeTiff(path, {}));
            ASSERT_NE(back.h, nullptr) << "compression " << compression << " fill " << fill;
            expectSamePixels(expected.h, back.h);
        }
    }
}

TEST_F(ConvertFiles, MultiPageTiffGivesItsFirstPage) {
    const std::string path = file("pages.tif");
    writeWithLibtiff(path, COMPRESSION_CCITTFAX4, FILLORDER_MSB2LSB, 3);
    DibHandle expected(makePattern(37, 11, 1));
    DibHandle back(decodeTiff(path, {}));
    ASSERT_NE(back.h, nullptr);
    expectSamePixels(expected.h, back.h);
}

TEST_F(ConvertFiles, DamagedTiffAndJpegFilesAreRefused) {
    const std::string tif = file("cut.tif");
    DibHandle page(makePattern(64, 64, 24));
    {
        DibReader r;
        ASSERT_TRUE(r.open(page.h));
        ASSERT_TRUE(encodeTiff(r, tif));
    }
    std::vector<BYTE> bytes;
    ASSERT_TRUE(readFileBytes(tif, 1 << 20, bytes));
    for (std::size_t cut : {std::size_t{0}, std::size_t{7}, bytes.size() / 2}) {
        std::ofstream(tif, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(bytes.data()),
                                                                      static_cast<std::streamsize>(cut));
        HDIB d = decodeTiff(tif, {});
        EXPECT_EQ(d, nullptr) << "cut at " << cut;
        if (d) GlobalFree(d);
    }
    EXPECT_EQ(decodeTiff(file("missing.tif"), {}), nullptr);

    std::vector<BYTE> jpeg;
    {
        DibReader r;
        ASSERT_TRUE(r.open(page.h));
        ASSERT_TRUE(encodeJpeg(r, jpeg));
    }
    for (std::size_t cut : {std::size_t{0}, std::size_t{3}, std::size_t{100}}) {
        HDIB d = decodeJpeg(jpeg.data(), cut, {});
        EXPECT_EQ(d, nullptr) << "cut at " << cut;
        if (d) GlobalFree(d);
    }
}

TEST_F(ConvertFiles, JpegRoundTripsGreyAndColourAndRefusesMonochrome) {
    for (int bits : {8, 24}) {
        // A smooth picture, so the lossy coder stays close.
        DibBuilder b;
        ASSERT_TRUE(b.create(64, 48, bits, 7874, 7874));
        for (LONG y = 0; y < 48; ++y)
            for (LONG x = 0; x < 64 * (bits / 8); ++x) b.row(y)[x] = static_cast<BYTE>(60 + (x + y) / 2);
        DibHandle original(b.release());
        std::vector<BYTE> jpeg;
        {
            DibReader r;
            ASSERT_TRUE(r.open(original.h));
            ASSERT_TRUE(encodeJpeg(r, jpeg));
        }
        DibHandle back(decodeJpeg(jpeg.data(), jpeg.size(), {}));
        ASSERT_NE(back.h, nullptr);
        expectSamePixels(original.h, back.h, 12);
        DibReader r;
        ASSERT_TRUE(r.open(back.h));
        EXPECT_NEAR(r.header().biXPelsPerMeter, 7874, 40) << "200 dpi kept";
    }
    DibHandle mono(makePattern(8, 8, 1));
    DibReader r;
    ASSERT_TRUE(r.open(mono.h));
    std::vector<BYTE> jpeg;
    EXPECT_FALSE(encodeJpeg(r, jpeg));
}


TEST_F(ConvertFiles, ResolutionsOutsideOneToTenThousandDpiAreUnknown) {
    // A bitmap whose header says 41.7 million dpi is written without a
    // resolution, and reads back as unknown (0), by either format.
    for (LONG damaged : {1642071291L, 39L, -11811L}) {
        DibBuilder b;
        ASSERT_TRUE(b.create(16, 16, 24, damaged, damaged));
        DibHandle picture(b.release());
        DibReader r;
        ASSERT_TRUE(r.open(picture.h));
        const std::string tiff = file("damaged.tif");
        ASSERT_TRUE(encodeTiff(r, tiff));
        DibHandle fromTiff(decodeTiff(tiff, {}));
        ASSERT_NE(fromTiff.h, nullptr);
        std::vector<BYTE> jpeg;
        ASSERT_TRUE(encodeJpeg(r, jpeg));
        DibHandle fromJpeg(decodeJpeg(jpeg.data(), jpeg.size(), {}));
        ASSERT_NE(fromJpeg.h, nullptr);
        for (HDIB h : {fromTiff.h, fromJpeg.h}) {
            DibReader back;
            ASSERT_TRUE(back.open(h));
            EXPECT_EQ(back.header().biXPelsPerMeter, 0) << damaged;
            EXPECT_EQ(back.header().biYPelsPerMeter, 0) << damaged;
        }
    }
    // Files of other writers with out-of-range resolutions: each direction on its own.
    struct Case {
        float x, y;
        uint16_t unit;
        LONG xPels, yPels;
    } cases[] = {{50000.0f, 300.0f, RESUNIT_INCH, 0, 11811},
                 {0.5f, 3e9f, RESUNIT_INCH, 0, 0},
                 {118.11f, 5000.0f, RESUNIT_CENTIMETER, 11811, 0},
                 {10000.0f, 1.0f, RESUNIT_INCH, 393701, 39}};
    for (const Case& c : cases) {
        const std::string path = file("other.tif");
        TIFF* t = TIFFOpen(path.c_str(), "w");
        ASSERT_NE(t, nullptr);
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, 8);
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, 1);
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(t, TIFFTAG_XRESOLUTION, c.x);
        TIFFSetField(t, TIFFTAG_YRESOLUTION, c.y);
        TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, c.unit);
        BYTE line[1] = {0x81};
        ASSERT_GE(TIFFWriteScanline(t, line, 0, 0), 0);
        TIFFClose(t);
        DibHandle back(decodeTiff(path, {}));
        ASSERT_NE(back.h, nullptr);
        DibReader r;
        ASSERT_TRUE(r.open(back.h));
        EXPECT_NEAR(r.header().biXPelsPerMeter, c.xPels, 1) << c.x;
        EXPECT_NEAR(r.header().biYPelsPerMeter, c.yPels, 1) << c.y;
    }
}
