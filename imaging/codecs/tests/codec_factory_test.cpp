#include "imaging/codecs/codec_factory.h"
#include "imaging/codecs/image_file_type.h"
#include "imaging/codecs/library_codecs.h"

#include "imaging/page_image.h"
#include "imaging/tests/fake_image_host.h"
#include "outside/include/pdf_libraries.h"
#include "platform/win/library.h"
#include "platform/win/memory.h"
#include "platform/win/sync.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

namespace fs = std::filesystem;

namespace {


// A page of the given depth with a diagonal band, attached as a codec would.
std::unique_ptr<CPageImage> makePage(int bits, LONG width = 61, LONG height = 23) {
    const DWORD stride = WIDTHBYTES(static_cast<DWORD>(width * bits));
    const DWORD entries = bits == 1 ? 2 : bits == 8 ? 256 : 0;
    const std::size_t header = sizeof(BITMAPINFOHEADER) + entries * sizeof(RGBQUAD);
    HDIB dib = GlobalAlloc(GHND, header + std::size_t{stride} * static_cast<std::size_t>(height));
    auto* base = static_cast<BYTE*>(GlobalLock(dib));
    auto* h = reinterpret_cast<BITMAPINFOHEADER*>(base);
    h->biSize = sizeof(BITMAPINFOHEADER);
    h->biWidth = width;
    h->biHeight = height;
    h->biPlanes = 1;
    h->biBitCount = static_cast<WORD>(bits);
    h->biClrUsed = entries;
    h->biXPelsPerMeter = h->biYPelsPerMeter = 11811;
    auto* palette = reinterpret_cast<RGBQUAD*>(base + sizeof(BITMAPINFOHEADER));
    if (bits == 1) {
        palette[0] = {255, 255, 255, 0};
        palette[1] = {0, 0, 0, 0};
    }
    for (DWORD i = 0; bits == 8 && i < 256; ++i) palette[i] = {BYTE(i), BYTE(i), BYTE(i), 0};
    for (LONG y = 0; y < height; ++y) {
        BYTE* row = base + header + std::size_t{stride} * static_cast<std::size_t>(height - 1 - y);
        for (LONG x = 0; x < width; ++x) {
            const bool ink = std::abs(x - 2 * y) < 6;
            if (bits == 1) {
                if (ink) row[x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
            } else {
                for (int c = 0; c < bits / 8; ++c) row[x * (bits / 8) + c] = ink ? 20 : 235;
            }
        }
    }
    GlobalUnlock(dib);
    auto page = std::make_unique<CPageImage>();
    EXPECT_EQ(page->AttachDib(dib), 0);
    return page;
}

std::vector<BYTE> planeOf(const CPageImage& page) {
    std::vector<BYTE> bytes(page.PlaneBytes());
    CopyFromGlobal(page.m_hBits, 0, bytes.data(), static_cast<DWORD>(bytes.size()));
    return bytes;
}

class ImageCodecs : public ::testing::Test {
protected:
    CFakeImageHost shell;
    fs::path dir;
    void SetUp() override {
        shell.convertLibrary = LoadLibraryA("Convert.dll");
        ASSERT_NE(shell.convertLibrary, nullptr);
        dir = fs::temp_directory_path() / ("codecs-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        FreeLibrary(shell.convertLibrary);
        fs::remove_all(dir);
    }
    std::string file(const std::string& name) const { return (dir / name).string(); }

    std::unique_ptr<CPageImage> load(const std::string& path, int expectResult = IMAGE_LOAD_DONE) {
        int type = 0;
        EXPECT_TRUE(GetImageFileType(path.c_str(), &type));
        std::unique_ptr<CImageCodec> codec(CreateImageCodec(path.c_str(), type));
        EXPECT_NE(codec, nullptr);
        auto page = std::make_unique<CPageImage>();
        if (codec) {
            EXPECT_EQ(codec->Load(page.get(), nullptr, nullptr), expectResult) << path;
        }
        return page;
    }
    BOOL save(CPageImage& page, const std::string& path) {
        int type = 0;
        EXPECT_TRUE(GetImageFileType(path.c_str(), &type));
        std::unique_ptr<CImageCodec> codec(CreateImageCodec(path.c_str(), type));
        return codec ? codec->Save(&page, 0) : FALSE;
    }
};

}  // namespace

TEST(ImageFileType, ExtensionsDecideTheTypeAndNothingElse) {
    struct Case {
        const char* path;
        int type;  // 0: none
    } cases[] = {
        {"scan.tif", IMGTYPE_TIF},       {"SCAN.TIF", IMGTYPE_TIF},   {"scan.tiff", IMGTYPE_TIF},
        {"photo.JPEG", IMGTYPE_JPG},             {"page.bki", IMGTYPE_BKI},   {"page.pst", IMGTYPE_PST},
        {"C:\\dir.v2\\readme", 0},       {".bmp", 0},                 {"C:\\dir\\.bmp", IMGTYPE_BMP},
        {"name.", 0},                    {"a.PcX", IMGTYPE_PCX},      {"a.png", IMGTYPE_PNG},
        {"x.pdf", IMGTYPE_PDF},          {"x.jpg", IMGTYPE_JPG},      {"noext", 0},
        {"", 0},                         {"a.pngs", 0},               {"a.tiffs", 0},
    };
    for (const Case& c : cases) {
        int type = -7;
        EXPECT_EQ(GetImageFileType(c.path, &type), c.type ? TRUE : FALSE) << c.path;
        EXPECT_EQ(type, c.type ? c.type : -7) << c.path << ": an unknown type leaves the value untouched";
    }
    int type = 0;
    EXPECT_FALSE(GetImageFileType("C:\\old.bmp\\file", &type)) << "the text after a folder's dot is no extension";
}

TEST(ImageFileType, WithoutPdfAPdfIsNoImageAndTheOthersStay) {
    int type = -7;
    EXPECT_FALSE(GetImageFileType("C:\\scan.PDF", &type, false));
    EXPECT_EQ(type, -7);
    EXPECT_TRUE(GetImageFileType("C:\\scan.pdf", &type, true));
    EXPECT_EQ(type, IMGTYPE_PDF);
    for (const char* path : {"a.bmp", "a.TIF", "a.pcx", "a.png", "a.bki", "a.pst", "a.jpg"}) {
        int withPdf = 0, without = 0;
        EXPECT_TRUE(GetImageFileType(path, &without, false)) << path;
        GetImageFileType(path, &withPdf);
        EXPECT_EQ(without, withPdf) << path;
    }
    EXPECT_FALSE(GetImageFileType("a.doc", &type, true));
}

TEST(ImageFileType, FactoryMakesCodecsForImageTypesOnly) {
    for (int type : {IMGTYPE_BMP, IMGTYPE_TIF, IMGTYPE_PCX, IMGTYPE_PNG, IMGTYPE_BKI, IMGTYPE_JPG, IMGTYPE_PDF}) {
        std::unique_ptr<CImageCodec> codec(CreateImageCodec("x", type));
        EXPECT_NE(codec, nullptr) << type;
    }
    for (int type : {IMGTYPE_UNKNOWN, IMGTYPE_PST, 9, -1}) EXPECT_EQ(CreateImageCodec("x", type), nullptr) << type;
    std::unique_ptr<CImageCodec> tiff(CreateImageCodec("x.bki", IMGTYPE_BKI));
    EXPECT_NE(dynamic_cast<CTiffCodec*>(tiff.get()), nullptr) << "the edited page is a TIFF file";
}

TEST_F(ImageCodecs, OneBitBmpHasTheFixedLayout) {
    auto page = makePage(1, 1, 1);
    const std::string path = file("dot.bmp");
    ASSERT_TRUE(save(*page, path));
    EXPECT_EQ(fs::file_size(path), 66u) << "62-byte header and one 4-byte row";
    std::ifstream in(path, std::ios::binary);
    std::vector<BYTE> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 66u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[10], 62);
    EXPECT_EQ(bytes[14], 40);
    EXPECT_EQ(bytes[28], 1);
    const BYTE palette[8] = {0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(bytes.data() + 54, palette, 8), 0);
    EXPECT_EQ(shell.waitCursorCalls, 1);
}

TEST_F(ImageCodecs, PagesRoundTripThroughTheFactoryInEveryLosslessFormatAndDepth) {
    for (const char* extension : {"bmp", "tif", "bki"}) {
        for (int bits : {1, 8, 24}) {
            auto page = makePage(bits);
            const std::string path = file("page" + std::to_string(bits) + "." + extension);
            ASSERT_TRUE(save(*page, path)) << path;
            auto back = load(path);
            EXPECT_EQ(back->m_nBitCount, bits) << path;
            EXPECT_EQ(back->m_nWidth, page->m_nWidth);
            EXPECT_EQ(back->m_nHeight, page->m_nHeight);
            EXPECT_EQ(planeOf(*back), planeOf(*page)) << path << ": the top row included";
            back->Empty();
            page->Empty();
        }
    }
}

TEST_F(ImageCodecs, OwnFormatsSaveTheWorkingPlaneOfEveryDepth) {
    for (const char* extension : {"pcx", "png"}) {
        for (int bits : {1, 8, 24}) {
            auto page = makePage(bits);
            const std::string path = file("own" + std::to_string(bits) + "." + extension);
            ASSERT_TRUE(save(*page, path)) << path;
            auto back = load(path);
            EXPECT_EQ(back->m_nBitCount, 1) << path << ": grey and colour pages are saved binarised";
            EXPECT_EQ(planeOf(*back), planeOf(*page)) << path;
            back->Empty();
            page->Empty();
        }
    }
}

TEST_F(ImageCodecs, LossyAndPdfFormatsTakeGreyAndColourPagesOnly) {
    for (const char* extension : {"jpg", "pdf"}) {
        auto mono = makePage(1);
        const std::string refused = file(std::string("mono.") + extension);
        EXPECT_FALSE(save(*mono, refused));
        EXPECT_FALSE(fs::exists(refused)) << "no file for a refused page";
        EXPECT_TRUE(shell.messages.empty()) << "and no message";
        mono->Empty();
        for (int bits : {8, 24}) {
            auto page = makePage(bits);
            const std::string path = file("page" + std::to_string(bits) + "." + extension);
            ASSERT_TRUE(save(*page, path)) << path;
            auto back = load(path);
            EXPECT_GT(back->m_nBitCount, 1) << path;
            EXPECT_GT(back->m_nWidth, 0);
            back->Empty();
            page->Empty();
        }
    }
    // The PDF writer's own code: 0 only for a page really written.
    auto mono = makePage(1), grey = makePage(8);
    CPdfCodec refused(file("mono.pdf").c_str()), written(file("grey.pdf").c_str()),
        nowhere(file("no/such/folder/grey.pdf").c_str());
    EXPECT_EQ(refused.SaveCode(mono.get()), BRENVO_ERR_BITMAP);
    EXPECT_EQ(written.SaveCode(grey.get()), 0);
    EXPECT_NE(nowhere.SaveCode(grey.get()), 0);
    EXPECT_FALSE(nowhere.Save(grey.get(), 0));
    mono->Empty();
    grey->Empty();
}

TEST_F(ImageCodecs, WithoutTheConversionLibraryOnlyItsFormatsFail) {
    auto page = makePage(8);
    const std::string path = file("page.tif");
    ASSERT_TRUE(save(*page, path));
    page->Empty();
    FreeLibrary(shell.convertLibrary);
    shell.convertLibrary = nullptr;
    for (const char* name : {"page.tif", "page.bmp", "page.jpg"}) {
        auto none = load(file(name), IMAGE_LOAD_FAILED);
        EXPECT_EQ(none->m_hBits, nullptr);
    }
    EXPECT_EQ(shell.messages.size(), 3u);
    EXPECT_EQ(shell.messages.front(), kMsgCannotLoadConvertDll);
    auto again = makePage(24);
    EXPECT_FALSE(save(*again, file("again.tif")));
    again->Empty();
    shell.convertLibrary = LoadLibraryA("Convert.dll");
}

TEST_F(ImageCodecs, DamagedFilesFailWithoutAPage) {
    auto page = makePage(24);
    for (const char* name : {"cut.bmp", "cut.tif", "cut.jpg", "cut.pdf"}) {
        const std::string path = file(name);
        ASSERT_TRUE(save(*page, path)) << name;
        const auto size = fs::file_size(path);
        fs::resize_file(path, size / 3);
        auto none = load(path, IMAGE_LOAD_FAILED);
        EXPECT_EQ(none->m_hBits, nullptr) << name;
    }
    page->Empty();
    auto missing = load(file("missing.bmp"), IMAGE_LOAD_FAILED);
}
