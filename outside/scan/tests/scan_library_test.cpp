// The scan library against SANE's test backend: pages as scanimage scans
// them, the feeder's end, a jam, the callback's stop, the paper list and the
// front-panel options.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "outside/include/keyrider_scan.h"
#include "outside/scan/sane_device.h"
#include "outside/scan/tests/sane_test_device.h"
#include "outside/scan/tests/test_sheets.h"
#include "platform/win/library.h"
#include "platform/win/registry.h"

namespace fs = std::filesystem;

namespace {

int ThreadsNow() {
    int count = 0;
    for ([[maybe_unused]] const auto& task : fs::directory_iterator("/proc/self/task")) ++count;
    return count;
}

// The threads a backend cancelled while they still ran: the process had more
// threads than `g_threadsBefore` (its count before the scan) at that moment.
std::atomic<int> g_threadsBefore{0}, g_cancelledRunning{0};

}  // namespace

// A backend that cancels its reader thread takes this one before the C library's.
extern "C" int pthread_cancel(pthread_t thread) {
    static const auto next = reinterpret_cast<int (*)(pthread_t)>(dlsym(RTLD_NEXT, "pthread_cancel"));
    if (g_threadsBefore > 0 && ThreadsNow() > g_threadsBefore) ++g_cancelledRunning;
    return next ? next(thread) : ESRCH;
}

namespace {

using scantest::Sample;
using scantest::kSheetWidth;
using scantest::kSheetHeight;
using scantest::TextSheet;
using scantest::TextTilt;
using scantest::WriteTurnedSheet;

class ScanLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("scan_test_" + std::to_string(::getpid()));
        prepareDevice();
        // The scanner lock is a named object shared by every program of the
        // runtime folder: a private one keeps parallel test processes from
        // waiting on each other's scans.
        fs::create_directories(folder_ / "runtime");
        setenv("SUITE_RUNTIME_DIR", (folder_ / "runtime").c_str(), 1);
        module_ = LoadLibraryA("Scan.dll");
        ASSERT_NE(module_, nullptr);
        auto entry = reinterpret_cast<SCAN_DLGENTRY>(GetProcAddress(module_, "ScanDlgEntry"));
        ASSERT_NE(entry, nullptr);
        table_ = entry();
        ASSERT_NE(table_, nullptr);
    }
    void TearDown() override {
        if (table_ && table_->ScanTerminate) table_->ScanTerminate();
        if (module_) FreeLibrary(module_);
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    virtual std::string readStatus() const { return "Default"; }
    virtual void prepareDevice() { scantest::PrepareSaneTestDevice(folder_ / "sane", readStatus()); }

    static SCAN_SETTINGS Settings(int source, int mode, int dpi) {
        SCAN_SETTINGS s{};
        s.Source = source;
        s.Mode = mode;
        s.Resolution = dpi;
        return s;
    }

    fs::path folder_;
    HMODULE module_ = nullptr;
    const SCAN_FUNCTIONTABLE* table_ = nullptr;
};

struct Collected {
    std::vector<IL_IMAGE> copies;  // header and bits taken over from the library
    std::vector<std::vector<BYTE>> pixels;
    std::vector<IL_IMAGEHEADER> headers;
    int stopAfter = 1 << 30;
    bool freeInCallback = false;
};

int Collect(IL_IMAGE* page, void* argument) {
    auto* c = static_cast<Collected*>(argument);
    EXPECT_EQ(page->Flags & IL_FLAG_FREE_AFTER_USE, IL_FLAG_FREE_AFTER_USE);
    c->headers.push_back(*page->Header);
    const std::size_t bytes = std::size_t(page->Header->BytesPerLine) * std::size_t(page->Header->Height);
    c->pixels.emplace_back(page->Bits, page->Bits + bytes);
    if (c->freeInCallback) {  // as IL_FreeImage does: free and null
        delete page->Header;
        std::free(page->Bits);
        page->Header = nullptr;
        page->Bits = nullptr;
    }
    return int(c->pixels.size()) < c->stopAfter ? 1 : 0;
}

// Runs scanimage with `arguments` in batch mode into `folder`; the page files in order.
std::vector<fs::path> ScanImage(const fs::path& folder, const std::string& arguments) {
    fs::create_directories(folder);
    std::string command = "scanimage -d test:0 --format=pnm " + arguments + " --batch='" + (folder / "p%d.pnm").string() +
                          "' > /dev/null 2>&1";
    std::system(command.c_str());
    std::vector<fs::path> pages;
    for (int i = 1; fs::exists(folder / ("p" + std::to_string(i) + ".pnm")); ++i)
        pages.push_back(folder / ("p" + std::to_string(i) + ".pnm"));
    return pages;
}

void ExpectSamePixels(const scantest::Pnm& pnm, const IL_IMAGEHEADER& h, const std::vector<BYTE>& bits,
                      int bitsPerPixel) {
    ASSERT_EQ(pnm.width, h.Width);
    ASSERT_EQ(pnm.height, h.Height);
    ASSERT_EQ(h.BitsPerPixel, bitsPerPixel);
    std::size_t differing = 0;
    const std::size_t rowSamples = std::size_t(pnm.width) * std::size_t(pnm.channels);
    for (int y = 0; y < pnm.height; ++y)
        for (std::size_t s = 0; s < rowSamples; ++s)
            if (pnm.samples[std::size_t(y) * rowSamples + s] != Sample(h, bits, y, s)) ++differing;
    EXPECT_EQ(differing, 0u);
}

TEST_F(ScanLibraryTest, PagesEqualScanimageForEachModeAndSource) {
    struct Case {
        int source, mode, dpi, bitsPerPixel;
        const char* arguments;
    } cases[] = {
        {0, 0, 75, 24, "--source Flatbed --mode Color --depth 8 --resolution 75 --batch-count=1"},
        {0, 1, 100, 8, "--source Flatbed --mode Gray --depth 8 --resolution 100 --batch-count=1"},
        // Black and white stays one bit a pixel.
        {3, 2, 60, 1, "--source 'Automatic Document Feeder' --mode Gray --depth 1 --resolution 60 --batch-count=2"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        std::vector<fs::path> expected = ScanImage(folder_ / ("ref" + std::to_string(n++)), c.arguments);
        ASSERT_FALSE(expected.empty());
        SCAN_SETTINGS s = Settings(c.source, c.mode, c.dpi);
        Collected got;
        got.stopAfter = int(expected.size());
        ASSERT_EQ(table_->ScanPages(&s, Collect, &got), 1);
        ASSERT_EQ(got.pixels.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            scantest::Pnm pnm;
            ASSERT_TRUE(scantest::ReadPnm(expected[i], pnm));
            ExpectSamePixels(pnm, got.headers[i], got.pixels[i], c.bitsPerPixel);
            EXPECT_EQ(got.headers[i].XResolution, DWORD(c.dpi));
        }
    }
}

TEST_F(ScanLibraryTest, FeederGivesTenPagesThenTheEndAndFlatbedOne) {
    SCAN_SETTINGS feeder = Settings(3, 1, 25);
    Collected all;
    all.freeInCallback = true;  // pages the callback freed are not freed again
    g_cancelledRunning = 0;
    g_threadsBefore = ThreadsNow();
    EXPECT_EQ(table_->ScanPages(&feeder, Collect, &all), 1);
    g_threadsBefore = 0;
    EXPECT_EQ(all.pixels.size(), 10u);
    // The backend's reader thread of each page had ended by itself before the
    // backend cancelled it (cancelled at work it may leave a lock held).
    EXPECT_EQ(g_cancelledRunning, 0);

    SCAN_SETTINGS flatbed = Settings(0, 0, 25);
    Collected one;
    EXPECT_EQ(table_->ScanPages(&flatbed, Collect, &one), 1);
    EXPECT_EQ(one.pixels.size(), 1u);
    EXPECT_EQ(one.headers[0].BitsPerPixel, 24);
}

TEST_F(ScanLibraryTest, CallbackZeroStopsTheRun) {
    SCAN_SETTINGS feeder = Settings(3, 1, 25);
    Collected some;
    some.stopAfter = 3;
    EXPECT_EQ(table_->ScanPages(&feeder, Collect, &some), 1);
    EXPECT_EQ(some.pixels.size(), 3u);
    EXPECT_EQ(table_->ScanPages(nullptr, Collect, &some), 0);
    EXPECT_EQ(table_->ScanPages(&feeder, nullptr, &some), 0);
}

TEST_F(ScanLibraryTest, InitFillsThePaperListThatFitsTheDevice) {
    KEYRIDER_SETTINGS settings{};
    ASSERT_NE(table_->ScanInit("Software\\X", "/tmp/", nullptr, &settings, nullptr), 0);
    EXPECT_TRUE(settings.ScannerPresent);
    EXPECT_NE(table_->ScanIsScannerPresent(), 0);
    ASSERT_NE(settings.Papers, nullptr);
    ASSERT_GT(settings.PaperCount, 0u);
    for (DWORD i = 0; i < settings.PaperCount; ++i) {
        EXPECT_LE(settings.Papers[i].Area[2], 2000u) << settings.Papers[i].Name;  // the test device is 200 mm
        EXPECT_LE(settings.Papers[i].Area[3], 2000u) << settings.Papers[i].Name;
    }
    std::free(settings.Papers);
    EXPECT_NE(table_->ScanLoadSettings(), 0);
}

TEST_F(ScanLibraryTest, WatcherFindsTheHardSelectOptions) {
    scan::SaneDevice device;
    ASSERT_TRUE(device.open(scan::ChooseDevice(scan::ListDevices())));
    std::vector<int> options = device.hardSelectOptions();
    ASSERT_FALSE(options.empty());
    for (int i : options) {
        const SANE_Option_Descriptor* d = device.descriptor(i);
        EXPECT_TRUE(d->cap & SANE_CAP_HARD_SELECT) << d->name;
        EXPECT_FALSE(d->cap & SANE_CAP_SOFT_SELECT) << d->name;
    }
    EXPECT_EQ(device.readHardSelect(options).size(), options.size());
}

class JammedScanTest : public ScanLibraryTest {
protected:
    std::string readStatus() const override { return "SANE_STATUS_JAMMED"; }
};

TEST_F(JammedScanTest, JamEndsTheRunCleanly) {
    // The test device reads its jam setting when SANE starts, once per
    // process: the run is checked in a fresh process of its own, so it holds
    // also when the other cases ran first in this one.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            SCAN_SETTINGS feeder = Settings(3, 1, 25);
            Collected none;
            const bool clean = table_->ScanPages(&feeder, Collect, &none) == 0 && none.pixels.empty();
            table_->ScanTerminate();
            std::error_code ec;
            fs::remove_all(folder_, ec);
            std::_Exit(clean ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

class PageFeederTest : public ScanLibraryTest {
protected:
    void prepareDevice() override {
        pages_ = folder_ / "sheets";
        fs::create_directories(pages_);
        setenv("SUITE_REGISTRY_USER", (folder_ / "user.db").c_str(), 1);
        scantest::PreparePageFeeder(folder_ / "sane", pages_);
    }
    // Runs `body` in a process of its own, where SANE starts with the page
    // feeder whatever device an earlier test of this process started it with.
    template <typename Body>
    void InFreshProcess(Body body) {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        EXPECT_EXIT(
            {
                const bool passed = body();
                table_->ScanTerminate();
                std::error_code ec;
                fs::remove_all(folder_, ec);
                std::_Exit(passed ? 0 : 1);
            },
            ::testing::ExitedWithCode(0), "");
    }
    fs::path pages_;
};

TEST_F(PageFeederTest, DeskewAndBlankPageRemovalGiveStraightPagesWithoutTheBlankOne) {
    const unsigned seed = std::random_device{}();
    std::printf("sheet seed %u\n", seed);
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> tilt(0.8, 4.5);
    std::vector<double> tilts;
    for (int i = 0; i < 4; ++i) {
        tilts.push_back(i % 2 ? -tilt(random) : tilt(random));
        std::vector<BYTE> sheet = TextSheet(random);
        WriteTurnedSheet(pages_ / ("sheet" + std::to_string(i < 2 ? i : i + 1) + ".pgm"), sheet, tilts.back());
    }
    // The third sheet is blank but for a few specks of dust.
    std::vector<BYTE> blank(std::size_t(kSheetWidth) * kSheetHeight, 255);
    for (int i = 0; i < 30; ++i) blank[std::size_t(random() % blank.size())] = 0;
    WriteTurnedSheet(pages_ / "sheet2.pgm", blank, 0);

    InFreshProcess([&] {
        SCAN_SETTINGS s = Settings(3, 1, 150);
        s.AutoDeskew = 1;
        s.RemoveBlankPage = 1;
        s.BlankThreshold[0] = 10, s.BlankThreshold[1] = 15, s.BlankThreshold[2] = 20;
        Collected got;
        bool passed = table_->ScanPages(&s, Collect, &got) == SCAN_PAGES_DONE && got.pixels.size() == tilts.size() &&
                      table_->ScanBlanksDropped() == 1;
        std::fprintf(stderr, "%zu pages\n", got.pixels.size());
        for (std::size_t i = 0; passed && i < got.pixels.size(); ++i) {
            const double before = tilts[i], after = TextTilt(got.headers[i], got.pixels[i]);
            std::fprintf(stderr, "page %zu: tilted %.3f, after %.3f degrees\n", i, before, after);
            passed = got.headers[i].BitsPerPixel == 8 && std::fabs(after) < 0.1;
        }
        return passed;
    });
}

TEST_F(PageFeederTest, CropAndEdgeFillLeaveThePaperWithoutTheLidsShadowOrItsPunchHoles) {
    std::mt19937 random(7);
    std::vector<BYTE> sheet = TextSheet(random);
    auto at = [&](int x, int y) -> BYTE& { return sheet[std::size_t(y) * kSheetWidth + std::size_t(x)]; };
    for (int y = 0; y < kSheetHeight; ++y)
        for (int x = 0; x < 60; ++x) at(x, y) = 10;  // the lid beside the paper
    for (int y = 0; y < 80; ++y)
        for (int x = kSheetWidth - 80 + y; x < kSheetWidth; ++x) at(x, y) = 30;  // a folded corner's shadow
    for (int y = -18; y <= 18; ++y)
        for (int x = -18; x <= 18; ++x)
            if (x * x + y * y <= 18 * 18) at(82 + x, 877 + y) = 0;  // a punch hole, 6 mm across
    WriteTurnedSheet(pages_ / "sheet0.pgm", sheet, 0);
    InFreshProcess([&] {
        // Holes of gray pages are filled with the gray the Global Settings chose.
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\ScanTest\\Remove Punch Hole", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr);
        const DWORD custom = 1, gray = 0x909090;
        RegSetValueExA(key, "Custom", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&custom), 4);
        RegSetValueExA(key, "Gray", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&gray), 4);
        RegCloseKey(key);
        // Every page's top tenth of an inch takes the gray the edge-fill page chose.
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\ScanTest\\Edge Fill", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr);
        const DWORD on = 1, margin = 0xC0C0C0;
        RegSetValueExA(key, "Enable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), 4);
        RegSetValueExA(key, "Gray", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&margin), 4);
        RegSetValueExA(key, "Top", 0, REG_SZ, reinterpret_cast<const BYTE*>("0.1"), 4);
        RegCloseKey(key);
        KEYRIDER_SETTINGS program{};
        if (!table_->ScanInit("Software\\ScanTest", "/tmp/", nullptr, &program, nullptr)) return false;
        std::free(program.Papers);
        SCAN_SETTINGS s = Settings(3, 1, 150);
        s.AutoCrop = 1;
        s.EdgeFill = 1;
        Collected got;
        if (table_->ScanPages(&s, Collect, &got) != SCAN_PAGES_DONE || got.pixels.size() != 1) return false;
        const IL_IMAGEHEADER& h = got.headers[0];
        const std::vector<BYTE>& p = got.pixels[0];
        std::size_t text = 0;
        for (int y = kSheetHeight / 10; y < kSheetHeight * 85 / 100; ++y)
            for (int x = kSheetWidth / 10; x < kSheetWidth * 9 / 10 - 60; ++x) text += Sample(h, p, y, std::size_t(x)) < 128;
        std::fprintf(stderr, "%ldx%ld, hole %d, corner %d, margin %d %d, text %zu\n", long(h.Width), long(h.Height),
                     Sample(h, p, 877, 22), Sample(h, p, 40, std::size_t(h.Width - 5)), Sample(h, p, 5, 600),
                     Sample(h, p, 20, 600), text);
        return h.Width == kSheetWidth - 60 && h.Height == kSheetHeight && Sample(h, p, 877, 22) == 0x90 &&
               Sample(h, p, 40, std::size_t(h.Width - 5)) == 255 && Sample(h, p, 5, 600) == 0xC0 &&
               Sample(h, p, 20, 600) == 255 && text > 100000;
    });
}

TEST_F(PageFeederTest, DuplexRearPagesTurnAndBlackAndWhiteStaysOneBit) {
    // Sheets with a black mark at their top left: front, rear, front, rear.
    for (int i = 0; i < 4; ++i) {
        std::vector<BYTE> sheet(std::size_t(kSheetWidth) * kSheetHeight, 255);
        for (int y = 100; y < 200; ++y) std::fill_n(sheet.begin() + y * kSheetWidth + 100, 100, BYTE(0));
        WriteTurnedSheet(pages_ / ("sheet" + std::to_string(i) + ".pgm"), sheet, 0);
    }
    InFreshProcess([&] {
        SCAN_SETTINGS s = Settings(3, 2, 150);
        s.Side = 2;
        s.RotateRear = 2;  // the rear comes out of the feeder upside down
        Collected got;
        bool passed = table_->ScanPages(&s, Collect, &got) == SCAN_PAGES_DONE && got.pixels.size() == 4;
        for (std::size_t i = 0; passed && i < got.pixels.size(); ++i) {
            const IL_IMAGEHEADER& h = got.headers[i];
            const bool topLeft = Sample(h, got.pixels[i], 150, 150) == 0;
            const bool bottomRight = Sample(h, got.pixels[i], h.Height - 151, std::size_t(h.Width - 151)) == 0;
            std::fprintf(stderr, "page %zu: %d bits, mark top left %d, bottom right %d\n", i, h.BitsPerPixel, topLeft,
                         bottomRight);
            passed = h.BitsPerPixel == 1 && (i % 2 ? bottomRight && !topLeft : topLeft && !bottomRight);
        }
        return passed;
    });
}

}  // namespace
