// The Image Library stand-in: every format round-trips its pixels (JPEG
// within its loss), scaling averages, and failures leave no file behind.
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "outside/include/image_library.h"
#include "platform/win/tests/temporary_folder.h"

namespace fs = std::filesystem;

namespace {

struct Image {
    IL_IMAGEHEADER header{};
    std::vector<BYTE> bits;
    IL_IMAGE image{};
    Image(int w, int h, int bpp) {
        header = IL_IMAGEHEADER{sizeof(IL_IMAGEHEADER), w, h, DWORD((w * bpp / 8 + 3) & ~3), WORD(bpp), 0, 300, 300};
        bits.assign(size_t(header.BytesPerLine) * size_t(h), 0);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w * bpp / 8; ++x) bits[size_t(y) * header.BytesPerLine + size_t(x)] = BYTE((x + y * 2) & 0xFF);
        image = IL_IMAGE{&header, 0, bits.data()};
    }
};

class ImageLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = suite_test::TemporaryRoot() + "/imagelib-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override { fs::remove_all(dir); }
    const IL_FUNCTIONTABLE& il = *IL_GetFunctionTable();
    std::string dir;
};

TEST_F(ImageLibrary, VersionsUpToItsOwnAreAccepted) {
    const WORD store[4] = {2, 1, 1, 1}, manager[4] = {2, 3, 0, 0}, newer[4] = {2, 3, 0, 1};
    EXPECT_EQ(il.CheckVersion(store), 0);
    EXPECT_EQ(il.CheckVersion(manager), 0);
    EXPECT_NE(il.CheckVersion(newer), 0);
}

TEST_F(ImageLibrary, EveryFormatRoundTrips) {
    for (int bpp : {8, 24}) {
        Image src(37, 23, bpp);
        for (int format = 0; format <= 3; ++format) {
            std::string path = dir + "/p" + std::to_string(format) + "-" + std::to_string(bpp);
            IL_SAVEOPTIONS options{1, 100};
            ASSERT_EQ(il.SaveImage(path.c_str(), format, &options, &src.image, nullptr, nullptr), 0) << format;
            int found = -1;
            IL_FILEINFO info{};
            ASSERT_EQ(il.GetImageFileInfo(path.c_str(), &found, &info), 0);
            EXPECT_EQ(found, format);
            EXPECT_EQ(info.Width, 37u);
            EXPECT_EQ(info.Height, 23u);
            EXPECT_EQ(info.BitsPerPixel, DWORD(bpp)) << format;
            EXPECT_EQ(info.Pages, 1u);
            IL_IMAGE back{};
            ASSERT_EQ(il.LoadImage(&back, path.c_str(), IL_FORMAT_AUTO, 1, 0), 0);
            ASSERT_EQ(back.Header->BitsPerPixel, bpp);
            // JPEG and TIFF keep the resolution exactly; the file info and the
            // loaded image agree on it for every format.
            if (format == IL_FORMAT_JPG || format == IL_FORMAT_TIF) {
                EXPECT_EQ(info.XResolution, 300u) << format;
                EXPECT_EQ(info.YResolution, 300u) << format;
            }
            EXPECT_EQ(back.Header->XResolution, info.XResolution) << format;
            EXPECT_EQ(back.Header->YResolution, info.YResolution) << format;
            int worst = 0;
            for (int y = 0; y < 23; ++y)
                for (int x = 0; x < 37 * bpp / 8; ++x)
                    worst = std::max(worst, std::abs(int(back.Bits[size_t(y) * back.Header->BytesPerLine + size_t(x)]) -
                                                     int(src.bits[size_t(y) * src.header.BytesPerLine + size_t(x)])));
            EXPECT_LE(worst, format == IL_FORMAT_JPG ? 40 : 0) << "format " << format << " bpp " << bpp;
            il.FreeImage(&back);
            EXPECT_EQ(back.Header, nullptr);
        }
    }
}

TEST_F(ImageLibrary, ScalingAveragesAndIsFreedAfterSaving) {
    Image src(4, 2, 8);
    for (size_t i = 0; i < src.bits.size(); ++i) src.bits[i] = (i % src.header.BytesPerLine) < 2 ? 0 : 200;
    IL_IMAGE* half = il.ScaleImage(&src.image, 2, 1);
    ASSERT_NE(half, nullptr);
    EXPECT_EQ(half->Bits[0], 0);
    EXPECT_EQ(half->Bits[1], 200);
    EXPECT_TRUE(half->Flags & IL_FLAG_FREE_AFTER_USE);
    IL_SAVEOPTIONS options{1, 0xFFFFFFFFu};
    EXPECT_EQ(il.SaveImage((dir + "/t.bmp").c_str(), IL_FORMAT_BMP, &options, half, nullptr, nullptr), 0);
    EXPECT_EQ(il.ScaleImage(&src.image, 0, 5), nullptr);
}

TEST_F(ImageLibrary, BadInputFailsWithoutLeavingFiles) {
    std::string junk = dir + "/junk.bmp";
    std::ofstream(junk) << "BM but not really a bitmap at all";
    IL_IMAGE img{};
    EXPECT_NE(il.LoadImage(&img, junk.c_str(), IL_FORMAT_AUTO, 1, 0), 0);
    int format = 0;
    IL_FILEINFO info{};
    EXPECT_NE(il.GetImageFileInfo((dir + "/none.png").c_str(), &format, &info), 0);
    Image src(5, 5, 8);
    std::string target = dir + "/keep.png";
    std::ofstream(target) << "old";
    EXPECT_NE(il.SaveImage(target.c_str(), 9, nullptr, &src.image, nullptr, nullptr), 0);
    IL_IMAGEHEADER broken = src.header;
    broken.BitsPerPixel = 5;
    IL_IMAGE bad{&broken, 0, src.bits.data()};
    EXPECT_NE(il.SaveImage(target.c_str(), IL_FORMAT_PNG, nullptr, &bad, nullptr, nullptr), 0);
    std::ifstream in(target);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(text, "old");
    size_t files = 0;
    for (auto& e : fs::directory_iterator(dir)) files += e.is_regular_file();
    EXPECT_EQ(files, 2u);  // junk.bmp and keep.png
}


TEST_F(ImageLibrary, ResolutionsOutsideOneToTenThousandDpiAreUnknown) {
    // A bitmap file whose header says 1,642,071,291 pixels a metre (41.7
    // million dpi) reads with no resolution.
    std::vector<BYTE> bmp = {'B', 'M', 66, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 4, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0};
    bmp.resize(54, 0);
    const DWORD damaged = 1642071291u;
    std::memcpy(&bmp[38], &damaged, 4);
    std::memcpy(&bmp[42], &damaged, 4);
    bmp.resize(66, 0x80);
    const std::string path = dir + "/damaged.bmp";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bmp.data()), std::streamsize(bmp.size()));
    int format = -1;
    IL_FILEINFO info{};
    ASSERT_EQ(il.GetImageFileInfo(path.c_str(), &format, &info), 0);
    EXPECT_EQ(info.XResolution, 0u);
    EXPECT_EQ(info.YResolution, 0u);
    IL_IMAGE back{};
    ASSERT_EQ(il.LoadImage(&back, path.c_str(), IL_FORMAT_AUTO, 1, 0), 0);
    EXPECT_EQ(back.Header->XResolution, 0u);
    il.FreeImage(&back);
    // An image handed in with such a resolution is saved without one.
    Image src(8, 8, 24);
    src.header.XResolution = src.header.YResolution = 41707611;
    for (int f = 0; f <= 3; ++f) {
        const std::string saved = dir + "/saved" + std::to_string(f);
        ASSERT_EQ(il.SaveImage(saved.c_str(), f, nullptr, &src.image, nullptr, nullptr), 0) << f;
        ASSERT_EQ(il.GetImageFileInfo(saved.c_str(), &format, &info), 0) << f;
        EXPECT_EQ(info.XResolution, 0u) << f;
        EXPECT_EQ(info.YResolution, 0u) << f;
    }
}

}  // namespace

TEST_F(ImageLibrary, AppendingBuildsAMultiPageTiffAndAFailedAppendKeepsItsPages) {
    const std::string path = dir + "/pages.tif";
    IL_SAVEOPTIONS append{1, 0xFFFFFFFFu};
    // The first page of a missing file starts it; later pages of either depth follow.
    for (int i = 0; i < 4; ++i) {
        Image page(20 + i, 10, i % 2 ? 24 : 8);
        ASSERT_EQ(il.SaveImage(path.c_str(), IL_FORMAT_TIF, &append, &page.image, nullptr, nullptr), 0) << i;
    }
    IL_FILEINFO info{};
    int format = -1;
    ASSERT_EQ(il.GetImageFileInfo(path.c_str(), &format, &info), 0);
    EXPECT_EQ(info.Pages, 4u);
    EXPECT_EQ(info.Width, 20u);
    const auto size = fs::file_size(path);
    // A page that cannot be written leaves the file as it was.
    Image page(20, 10, 8);
    IL_IMAGEHEADER broken = page.header;
    broken.BitsPerPixel = 5;
    IL_IMAGE bad{&broken, 0, page.bits.data()};
    EXPECT_NE(il.SaveImage(path.c_str(), IL_FORMAT_TIF, &append, &bad, nullptr, nullptr), 0);
    fs::permissions(path, fs::perms::owner_read);
    if (::access(path.c_str(), W_OK) != 0) {  // not when the tests run as root
        EXPECT_NE(il.SaveImage(path.c_str(), IL_FORMAT_TIF, &append, &page.image, nullptr, nullptr), 0);
    }
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::file_size(path), size);
    ASSERT_EQ(il.GetImageFileInfo(path.c_str(), &format, &info), 0);
    EXPECT_EQ(info.Pages, 4u);
    // A file of another format is never appended to; without the flag the file is replaced.
    const std::string jpeg = dir + "/page.jpg";
    ASSERT_EQ(il.SaveImage(jpeg.c_str(), IL_FORMAT_JPG, nullptr, &page.image, nullptr, nullptr), 0);
    EXPECT_NE(il.SaveImage(jpeg.c_str(), IL_FORMAT_TIF, &append, &page.image, nullptr, nullptr), 0);
    IL_SAVEOPTIONS fresh{0, 0xFFFFFFFFu};
    ASSERT_EQ(il.SaveImage(path.c_str(), IL_FORMAT_TIF, &fresh, &page.image, nullptr, nullptr), 0);
    ASSERT_EQ(il.GetImageFileInfo(path.c_str(), &format, &info), 0);
    EXPECT_EQ(info.Pages, 1u);
}
