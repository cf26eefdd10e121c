// Black-and-white pages in the Image Library: Group 4 TIFF, 1-bit PNG and BMP
// hold exactly the pixels handed in (checked with libtiff and libpng reading
// the files themselves), load as 1 bit again, and damaged files are refused or
// read within their stated size. Pages added to a multi-page TIFF stay whole
// when a later page fails at any point of its writing.
#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <png.h>
#include <sys/resource.h>
#include <tiffio.h>
#include <unistd.h>

#include "outside/include/image_library.h"
#include "platform/win/tests/temporary_folder.h"

namespace fs = std::filesystem;

namespace {

// A black-and-white page of text-like strokes; the bits past each row's last
// pixel and the row padding are set, as a careless scanner might leave them.
struct Page {
    IL_IMAGEHEADER header{};
    std::vector<BYTE> bits;
    IL_IMAGE image{};
    Page(int w, int h, unsigned seed = 1) {
        header = IL_IMAGEHEADER{sizeof(IL_IMAGEHEADER), w, h, DWORD(((w + 7) / 8 + 3) & ~3), 1, 0, 200, 200};
        bits.assign(size_t(header.BytesPerLine) * size_t(h), 0xFF);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (((x * 7 + y * 3 + int(seed)) % 11) < 4 || (y % 9 == 0 && x % 5 != 0)) set(x, y, false);
        image = IL_IMAGE{&header, 0, bits.data()};
    }
    void set(int x, int y, bool white) {
        BYTE& b = bits[size_t(y) * header.BytesPerLine + size_t(x / 8)];
        b = white ? BYTE(b | (0x80 >> (x % 8))) : BYTE(b & ~(0x80 >> (x % 8)));
    }
    bool white(int x, int y) const { return (bits[size_t(y) * header.BytesPerLine + size_t(x / 8)] >> (7 - x % 8)) & 1; }
};

bool whiteIn(const BYTE* row, int x) { return (row[x / 8] >> (7 - x % 8)) & 1; }

std::vector<BYTE> bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const std::string& path, const std::vector<BYTE>& bytes, size_t count) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(count));
}

class BlackAndWhite : public ::testing::Test {
protected:
    const IL_FUNCTIONTABLE& il = *IL_GetFunctionTable();
    suite_test::TemporaryFolder folder{"imagelib-bw"};
    std::string path(const std::string& name) const { return folder.path() + "/" + name; }
};

TEST_F(BlackAndWhite, EachFormatKeepsEveryPixelAndLoadsAsOneBit) {
    for (int w : {1, 7, 8, 9, 33, 250}) {
        Page page(w, 13, unsigned(w));
        for (int format : {IL_FORMAT_BMP, IL_FORMAT_TIF, IL_FORMAT_PNG}) {
            const std::string file = path("p" + std::to_string(w) + "." + std::to_string(format));
            ASSERT_EQ(il.SaveImage(file.c_str(), format, nullptr, &page.image, nullptr, nullptr), 0) << format;
            int found = -1;
            IL_FILEINFO info{};
            ASSERT_EQ(il.GetImageFileInfo(file.c_str(), &found, &info), 0);
            EXPECT_EQ(found, format);
            EXPECT_EQ(info.BitsPerPixel, 1u) << format;
            EXPECT_EQ(info.Width, DWORD(w));
            IL_IMAGE back{};
            ASSERT_EQ(il.LoadImage(&back, file.c_str(), IL_FORMAT_AUTO, 1, 0), 0);
            ASSERT_EQ(back.Header->BitsPerPixel, 1) << format;
            ASSERT_EQ(back.Header->Width, w);
            ASSERT_EQ(back.Header->Height, 13);
            EXPECT_EQ(back.Header->BytesPerLine % 4, 0u);
            int wrong = 0, dirtyTail = 0;
            for (int y = 0; y < 13; ++y) {
                const BYTE* row = back.Bits + size_t(y) * back.Header->BytesPerLine;
                for (int x = 0; x < w; ++x) wrong += whiteIn(row, x) != page.white(x, y);
                for (int x = w; x < int(back.Header->BytesPerLine) * 8; ++x) dirtyTail += whiteIn(row, x);
            }
            EXPECT_EQ(wrong, 0) << "format " << format << " width " << w;
            EXPECT_EQ(dirtyTail, 0) << "format " << format << " width " << w;
            if (format == IL_FORMAT_TIF) {
                EXPECT_EQ(back.Header->XResolution, 200u);
            }
            il.FreeImage(&back);
        }
    }
}

TEST_F(BlackAndWhite, OtherReadersSeeTheSamePixels) {
    Page page(61, 17, 5);
    const std::string tif = path("g4.tif"), png = path("bw.png"), bmp = path("bw.bmp");
    ASSERT_EQ(il.SaveImage(tif.c_str(), IL_FORMAT_TIF, nullptr, &page.image, nullptr, nullptr), 0);
    ASSERT_EQ(il.SaveImage(png.c_str(), IL_FORMAT_PNG, nullptr, &page.image, nullptr, nullptr), 0);
    ASSERT_EQ(il.SaveImage(bmp.c_str(), IL_FORMAT_BMP, nullptr, &page.image, nullptr, nullptr), 0);

    // libtiff: Group 4, white 0, one bit a sample.
    TIFF* t = TIFFOpen(tif.c_str(), "r");
    ASSERT_NE(t, nullptr);
    uint16_t compression = 0, photometric = 0, bps = 0;
    TIFFGetField(t, TIFFTAG_COMPRESSION, &compression);
    TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &photometric);
    TIFFGetField(t, TIFFTAG_BITSPERSAMPLE, &bps);
    EXPECT_EQ(compression, COMPRESSION_CCITTFAX4);
    EXPECT_EQ(photometric, PHOTOMETRIC_MINISWHITE);
    EXPECT_EQ(bps, 1);
    std::vector<BYTE> line(size_t(TIFFScanlineSize(t)));
    int wrong = 0;
    for (int y = 0; y < 17; ++y) {
        ASSERT_EQ(TIFFReadScanline(t, line.data(), uint32_t(y), 0), 1);
        for (int x = 0; x < 61; ++x) wrong += !whiteIn(line.data(), x) != page.white(x, y);
    }
    TIFFClose(t);
    EXPECT_EQ(wrong, 0);

    // libpng: one-bit grey, 0 black.
    png_image img;
    std::memset(&img, 0, sizeof img);
    img.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&img, png.c_str()));
    img.format = PNG_FORMAT_GRAY;
    std::vector<BYTE> grey(PNG_IMAGE_SIZE(img));
    ASSERT_TRUE(png_image_finish_read(&img, nullptr, grey.data(), 0, nullptr));
    wrong = 0;
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 61; ++x) wrong += (grey[size_t(y) * 61 + size_t(x)] == 255) != page.white(x, y);
    EXPECT_EQ(wrong, 0);
    const std::vector<BYTE> pngBytes = bytesOf(png);
    ASSERT_GT(pngBytes.size(), 26u);
    EXPECT_EQ(pngBytes[24], 1);  // bit depth
    EXPECT_EQ(pngBytes[25], 0);  // grey

    // The bitmap: two palette entries, black then white, rows bottom-up and padded to four bytes.
    const std::vector<BYTE> b = bytesOf(bmp);
    ASSERT_GE(b.size(), 62u + 17u * 8u);
    EXPECT_EQ(b[28], 1);
    const BYTE palette[8] = {0, 0, 0, 0, 255, 255, 255, 0};
    EXPECT_EQ(std::memcmp(&b[54], palette, 8), 0);
    const size_t at = size_t(b[10]) | size_t(b[11]) << 8;
    wrong = 0;
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 61; ++x) wrong += whiteIn(&b[at + size_t(16 - y) * 8], x) != page.white(x, y);
    EXPECT_EQ(wrong, 0);
}

TEST_F(BlackAndWhite, OneBitFilesOfOtherMakersLoadAsOneBit) {
    // A bitmap whose palette has white first, and a TIFF stored white-is-1 without compression.
    Page page(20, 4, 3);
    const std::string bmp = path("white-first.bmp");
    ASSERT_EQ(il.SaveImage(bmp.c_str(), IL_FORMAT_BMP, nullptr, &page.image, nullptr, nullptr), 0);
    std::vector<BYTE> b = bytesOf(bmp);
    const size_t at = size_t(b[10]);
    std::swap_ranges(b.begin() + 54, b.begin() + 58, b.begin() + 58);
    for (size_t i = at; i < b.size(); ++i) b[i] = BYTE(~b[i]);
    writeBytes(bmp, b, b.size());

    const std::string tif = path("plain.tif");
    TIFF* t = TIFFOpen(tif.c_str(), "w");
    ASSERT_NE(t, nullptr);
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, 20u);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, 4u);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    for (int y = 0; y < 4; ++y) TIFFWriteScanline(t, &page.bits[size_t(y) * page.header.BytesPerLine], uint32_t(y), 0);
    TIFFClose(t);

    for (const std::string& file : {bmp, tif}) {
        IL_IMAGE back{};
        ASSERT_EQ(il.LoadImage(&back, file.c_str(), IL_FORMAT_AUTO, 1, 0), 0) << file;
        ASSERT_EQ(back.Header->BitsPerPixel, 1) << file;
        int wrong = 0;
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 20; ++x) wrong += whiteIn(back.Bits + size_t(y) * back.Header->BytesPerLine, x) != page.white(x, y);
        EXPECT_EQ(wrong, 0) << file;
        il.FreeImage(&back);
    }
}

TEST_F(BlackAndWhite, JpegAndScalingTurnItGrey) {
    Page page(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) page.set(x, y, x >= 8 || (x < 8 && y % 2 == 0 && x % 2 == 0));
    const std::string jpg = path("bw.jpg");
    IL_SAVEOPTIONS best{0, 100};
    ASSERT_EQ(il.SaveImage(jpg.c_str(), IL_FORMAT_JPG, &best, &page.image, nullptr, nullptr), 0);
    IL_IMAGE back{};
    ASSERT_EQ(il.LoadImage(&back, jpg.c_str(), IL_FORMAT_AUTO, 1, 0), 0);
    ASSERT_EQ(back.Header->BitsPerPixel, 8);
    EXPECT_GT(back.Bits[12], 230);
    il.FreeImage(&back);
    // A quarter of each 2 x 2 block white on the left, all white on the right.
    IL_IMAGE* half = il.ScaleImage(&page.image, 8, 8);
    ASSERT_NE(half, nullptr);
    EXPECT_EQ(half->Header->BitsPerPixel, 8);
    EXPECT_EQ(half->Bits[0], 63);
    EXPECT_EQ(half->Bits[7], 255);
    il.FreeImage(half);
}

TEST_F(BlackAndWhite, DamagedFilesAreRefusedOrReadWithinTheirSize) {
    Page page(300, 120, 9);
    for (int format : {IL_FORMAT_TIF, IL_FORMAT_PNG, IL_FORMAT_BMP}) {
        const std::string good = path("good." + std::to_string(format));
        ASSERT_EQ(il.SaveImage(good.c_str(), format, nullptr, &page.image, nullptr, nullptr), 0);
        const std::vector<BYTE> bytes = bytesOf(good);
        const std::string bad = path("bad." + std::to_string(format));
        auto check = [&](const char* what, size_t n) {
            IL_IMAGE back{};
            if (il.LoadImage(&back, bad.c_str(), IL_FORMAT_AUTO, 1, 0) != 0) return;
            EXPECT_TRUE(back.Header->BitsPerPixel == 1 || back.Header->BitsPerPixel == 8 || back.Header->BitsPerPixel == 24)
                << what << " " << n;
            EXPECT_GE(back.Header->BytesPerLine * 8u, DWORD(back.Header->Width) * back.Header->BitsPerPixel);
            il.FreeImage(&back);
        };
        int refused = 0;
        for (size_t n = 0; n < bytes.size(); n += 1 + n / 9) {
            writeBytes(bad, bytes, n);
            IL_IMAGE back{};
            if (il.LoadImage(&back, bad.c_str(), IL_FORMAT_AUTO, 1, 0) != 0) {
                ++refused;
                continue;
            }
            il.FreeImage(&back);
            check("cut at", n);
        }
        EXPECT_GT(refused, 0) << format;
        for (size_t i = 0; i < bytes.size(); i += 1 + i / 5) {
            std::vector<BYTE> flipped = bytes;
            flipped[i] ^= BYTE(1u << (i % 8));
            writeBytes(bad, flipped, flipped.size());
            check("bit flipped at", i);
        }
    }
}

TEST_F(BlackAndWhite, AFailedPageLeavesTheEarlierPagesWholeWhereverItStops) {
    const std::string file = path("pages.tif");
    IL_SAVEOPTIONS append{1, 0xFFFFFFFFu};
    Page first(800, 300, 1);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(il.SaveImage(file.c_str(), IL_FORMAT_TIF, &append, &first.image, nullptr, nullptr), 0);
    const auto size = fs::file_size(file);
    // Writes past a limit fail; the limit falls at every stage of a further page.
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    int failed = 0;
    for (rlim_t extra = 0; extra < 20000; extra += 97) {
        struct rlimit small = old;
        small.rlim_cur = rlim_t(size) + extra;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool saved = il.SaveImage(file.c_str(), IL_FORMAT_TIF, &append, &first.image, nullptr, nullptr) == 0;
        setrlimit(RLIMIT_FSIZE, &old);
        if (saved) break;
        ++failed;
        EXPECT_EQ(fs::file_size(file), size) << extra;
        IL_FILEINFO info{};
        int format = -1;
        ASSERT_EQ(il.GetImageFileInfo(file.c_str(), &format, &info), 0) << extra;
        EXPECT_EQ(info.Pages, 3u) << extra;
        TIFF* t = TIFFOpen(file.c_str(), "r");
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(TIFFNumberOfDirectories(t), 3) << extra;
        TIFFSetDirectory(t, 2);
        std::vector<BYTE> line(size_t(TIFFScanlineSize(t)));
        for (uint32_t y = 0; y < 300; ++y) ASSERT_EQ(TIFFReadScanline(t, line.data(), y, 0), 1) << extra;
        TIFFClose(t);
    }
    std::signal(SIGXFSZ, previous);
    EXPECT_GT(failed, 3);
    ASSERT_EQ(il.SaveImage(file.c_str(), IL_FORMAT_TIF, &append, &first.image, nullptr, nullptr), 0);
    IL_FILEINFO info{};
    int format = -1;
    ASSERT_EQ(il.GetImageFileInfo(file.c_str(), &format, &info), 0);
    EXPECT_GE(info.Pages, 4u);
}

TEST_F(BlackAndWhite, AddingToAFileReplacedOrRemovedMeanwhileGoesToTheFileNowThere) {
    const std::string file = path("job.tif"), other = path("other.tif");
    IL_SAVEOPTIONS append{1, 0xFFFFFFFFu};
    Page page(40, 10);
    ASSERT_EQ(il.SaveImage(file.c_str(), IL_FORMAT_TIF, &append, &page.image, nullptr, nullptr), 0);
    ASSERT_EQ(il.SaveImage(file.c_str(), IL_FORMAT_TIF, &append, &page.image, nullptr, nullptr), 0);
    // Another single-page file takes the name: the next page follows its page.
    ASSERT_EQ(il.SaveImage(other.c_str(), IL_FORMAT_TIF, nullptr, &page.image, nullptr, nullptr), 0);
    fs::rename(other, file);
    ASSERT_EQ(il.SaveImage(file.c_str(), IL_FORMAT_TIF, &append, &page.image, nullptr, nullptr), 0);
    IL_FILEINFO info{};
    int format = -1;
    ASSERT_EQ(il.GetImageFileInfo(file.c_str(), &format, &info), 0);
    EXPECT_EQ(info.Pages, 2u);
    // Removed: the page starts a new file.
    fs::remove(file);
    ASSERT_EQ(il.SaveImage(file.c_str(), IL_FORMAT_TIF, &append, &page.image, nullptr, nullptr), 0);
    ASSERT_EQ(il.GetImageFileInfo(file.c_str(), &format, &info), 0);
    EXPECT_EQ(info.Pages, 1u);
    // Grown by someone else since the last page: not written over.
    ASSERT_EQ(il.SaveImage(file.c_str(), IL_FORMAT_TIF, &append, &page.image, nullptr, nullptr), 0);
    TIFF* t = TIFFOpen(file.c_str(), "a");
    ASSERT_NE(t, nullptr);
    Page grey(40, 10);
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, 40u);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, 10u);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    for (uint32_t y = 0; y < 10; ++y) TIFFWriteScanline(t, &grey.bits[y * grey.header.BytesPerLine], y, 0);
    TIFFClose(t);
    ASSERT_EQ(il.SaveImage(file.c_str(), IL_FORMAT_TIF, &append, &page.image, nullptr, nullptr), 0);
    ASSERT_EQ(il.GetImageFileInfo(file.c_str(), &format, &info), 0);
    EXPECT_EQ(info.Pages, 4u);
    il.Terminate();
}

}  // namespace
