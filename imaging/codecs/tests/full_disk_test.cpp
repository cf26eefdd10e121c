// Every image writer on a disk too small for the page: the save fails, the
// last error says the disk is full, the message names the cause, the old file
// is kept and no temporary file is left.
#include "imaging/codecs/codec_factory.h"
#include "imaging/codecs/image_file_type.h"
#include "imaging/codecs/library_codecs.h"
#include "imaging/image_messages.h"
#include "imaging/page_image.h"
#include "imaging/tests/fake_image_host.h"
#include "platform/win/errors.h"
#include "platform/win/library.h"
#include "platform/win/memory.h"

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A 64 KiB memory disk mounted on a new private folder. The mount is made in
// a mount namespace of this process's own when it can be, so that it is seen
// nowhere else and goes with the process; it is removed with the folder.
class SmallDisk {
public:
    SmallDisk() {
        std::string pattern = (fs::temp_directory_path() / "small-disk-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) {
            why_ = std::strerror(errno);
            return;
        }
        path_ = pattern;
        if (::unshare(CLONE_NEWNS) == 0) ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
        if (::mount("tmpfs", path_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k,mode=0700") != 0) {
            why_ = std::string("cannot mount a memory disk: ") + std::strerror(errno);
            return;
        }
        mounted_ = true;
    }
    ~SmallDisk() {
        if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
        if (!path_.empty()) ::rmdir(path_.c_str());
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& why() const { return why_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(path_)) out.push_back(e.path().filename().string());
        return out;
    }

private:
    std::string path_, why_;
    bool mounted_ = false;
};

// A page of noise that no coder can shrink below the disk's size.
std::unique_ptr<CPageImage> noisePage(int bits, LONG width, LONG height) {
    std::mt19937 random(bits * 7919 + width);
    const DWORD stride = WIDTHBYTES(static_cast<DWORD>(width * bits));
    const DWORD entries = bits == 1 ? 2 : 0;
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
    if (bits == 1) {
        auto* palette = reinterpret_cast<RGBQUAD*>(base + sizeof(BITMAPINFOHEADER));
        palette[0] = {255, 255, 255, 0};
        palette[1] = {0, 0, 0, 0};
    }
    for (std::size_t i = header; i < header + std::size_t{stride} * static_cast<std::size_t>(height); ++i)
        base[i] = static_cast<BYTE>(random());
    GlobalUnlock(dib);
    auto page = std::make_unique<CPageImage>();
    EXPECT_EQ(page->AttachDib(dib), 0);
    return page;
}

std::string contentsOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class FullDisk : public ::testing::Test {
protected:
    CFakeImageHost shell;
    void SetUp() override {
        shell.convertLibrary = LoadLibraryA("Convert.dll");
        ASSERT_NE(shell.convertLibrary, nullptr);
    }
    void TearDown() override { FreeLibrary(shell.convertLibrary); }

    // Saves the page over an old file on the small disk and checks what a
    // full disk must leave behind. `message` is the writer's text for a
    // failed write, or nullptr for a writer that shows none.
    void expectDiskFull(CPageImage& page, const char* name, const char* message) {
        SCOPED_TRACE(name);
        SmallDisk disk;
        if (!disk.mounted()) GTEST_SKIP() << disk.why();
        const std::string path = disk.file(name);
        std::ofstream(path, std::ios::binary) << "the old page";
        int type = 0;
        ASSERT_TRUE(GetImageFileType(path.c_str(), &type));
        std::unique_ptr<CImageCodec> codec(CreateImageCodec(path.c_str(), type));
        ASSERT_NE(codec, nullptr);
        shell.messages.clear();
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(codec->Save(&page, 0));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
        if (message) {
            ASSERT_EQ(shell.messages.size(), 1u);
            EXPECT_EQ(shell.messages[0], std::string(message) + "\n" + ImageWriteFailureCause(ERROR_DISK_FULL));
        } else {
            EXPECT_TRUE(shell.messages.empty());
        }
        EXPECT_EQ(contentsOf(path), "the old page") << "the old file is kept";
        EXPECT_EQ(disk.names(), std::vector<std::string>{name}) << "no temporary file is left";
    }
};

}  // namespace

TEST_F(FullDisk, OwnWritersReportTheFullDisk) {
    auto page = noisePage(1, 1200, 900);
    expectDiskFull(*page, "page.pcx", "File write error");
    expectDiskFull(*page, "page.png", "Cannot write png file!");
    // The 1-bit BMP writer shows no message of its own; the cause is still told.
    expectDiskFull(*page, "page.bmp", nullptr);
}

TEST_F(FullDisk, LibraryWritersLeaveTheFullDiskAsTheLastError) {
    // The codecs over the conversion library show nothing themselves: the
    // caller's message tells the cause from the last error.
    auto mono = noisePage(1, 1200, 900);
    expectDiskFull(*mono, "page.tif", nullptr);
    auto colour = noisePage(24, 400, 300);
    expectDiskFull(*colour, "colour.tif", nullptr);
    expectDiskFull(*colour, "colour.bmp", nullptr);
    expectDiskFull(*colour, "colour.jpg", nullptr);
}

TEST_F(FullDisk, AWriteThatFitsStillSucceeds) {
    SmallDisk disk;
    if (!disk.mounted()) GTEST_SKIP() << disk.why();
    auto page = noisePage(1, 64, 64);
    for (const char* name : {"small.pcx", "small.png", "small.tif", "small.bmp"}) {
        const std::string path = disk.file(name);
        int type = 0;
        ASSERT_TRUE(GetImageFileType(path.c_str(), &type));
        std::unique_ptr<CImageCodec> codec(CreateImageCodec(path.c_str(), type));
        EXPECT_TRUE(codec->Save(page.get(), 0)) << name;
    }
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_EQ(disk.names().size(), 4u);
}
