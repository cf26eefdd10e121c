// The scan job on a scan library of the test's own: settings block, names,
// page filing as images, multi-page TIFF and PDF batches, and what happens to
// the pages when naming, saving or joining fails.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "keyrider/pdf_progress.h"
#include "keyrider/scan_job.h"
#include "platform/win/ini.h"
#include "platform/win/library.h"
#include "platform/win/path.h"
#include "platform/win/registry.h"
#include "platform/win/tests/temporary_folder.h"

namespace fs = std::filesystem;
using namespace keyrider;

namespace {

// The test's scan library: `pages` grey pages (or black-and-white ones, rows
// padded to four bytes), each freed afterwards unless the callback did; stops
// when the callback answers 0.
struct FakeScanner {
    int pages = 0;
    int bits = 8;
    int delivered = 0;
    int endJobs = 0;
    bool jam = false;  // the paper jams after the pages
    int lastEnd = SCAN_END_DONE;
    int blanks = 0;  // blank pages the scanner dropped
    SCAN_SETTINGS seen{};
};
FakeScanner g_scanner;

int FakeScanPages(SCAN_SETTINGS* settings, SCANPAGEPROC callback, void* argument) {
    g_scanner.seen = *settings;
    for (int i = 0; i < g_scanner.pages; ++i) {
        IL_IMAGE page{};
        if (g_scanner.bits == 1) {
            page.Header = new IL_IMAGEHEADER{sizeof(IL_IMAGEHEADER), 40, 30, 8, 1, 0, 200, 200};
            page.Bits = static_cast<BYTE*>(std::malloc(8 * 30));
            for (int y = 0; y < 30; ++y)
                for (int b = 0; b < 8; ++b) page.Bits[y * 8 + b] = BYTE(b < 5 ? (y * 37 + b * 11 + i * 29) & 0xFF : 0xFF);
        } else {
            page.Header = new IL_IMAGEHEADER{sizeof(IL_IMAGEHEADER), 40, 30, 40, 8, 0, 200, 200};
            page.Bits = static_cast<BYTE*>(std::malloc(40 * 30));
            for (int b = 0; b < 40 * 30; ++b) page.Bits[b] = BYTE((b * 7 + i * 31) & 0xFF);
        }
        page.Flags = IL_FLAG_FREE_AFTER_USE;
        ++g_scanner.delivered;
        int goOn = callback(&page, argument);
        delete page.Header;
        std::free(page.Bits);
        if (!goOn) break;
    }
    if (g_scanner.delivered == 0) return 0;
    return g_scanner.jam ? SCAN_PAGES_JAMMED : SCAN_PAGES_DONE;
}
int FakeEndJob(const BYTE*) {
    ++g_scanner.endJobs;
    return 1;
}

int FakeLastEnd() { return g_scanner.lastEnd; }
int FakeBlanksDropped() { return g_scanner.blanks; }

SCAN_FUNCTIONTABLE MakeScanTable() {
    SCAN_FUNCTIONTABLE t{};
    t.ScanPages = FakeScanPages;
    t.ScanLastEnd = FakeLastEnd;
    t.ScanBlanksDropped = FakeBlanksDropped;
    t.ScanEndJob = FakeEndJob;
    return t;
}
const SCAN_FUNCTIONTABLE kScanTable = MakeScanTable();

std::string BinFolder() {
    return fs::path(suite::ModuleNativePath(GetModuleHandleA(nullptr))).parent_path().string() + "/";
}

class ScanJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousTemp = suite_test::TemporaryRoot();
        std::string pattern = previousTemp + "/scanjob-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root = pattern;
        setenv("SUITE_REGISTRY_USER", (root / "user.db").c_str(), 1);
        setenv("SUITE_REGISTRY_MACHINE", (root / "machine.db").c_str(), 1);
        setenv("TMPDIR", root.c_str(), 1);
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Test\\Keyrider", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &appKey, nullptr),
                  ERROR_SUCCESS);
        const char* entries[] = {"1,Bitmap", "2,JPEG", "3,TIFF", "5,PNG", "11,Multi-page TIFF",
                                 "6,PDF", "13,PDF", "4,TIFF", "12,Multi-page TIFF"};
        for (int i = 0; i < 9; ++i) FormatEntry(i + 1, entries[i]);
        FormatEntry(0, "");
        SetFormatValue("Our PDF", BinFolder() + "libOurPdf.so");
        ini = (root / "job.ini").string();
        out = root / "out";
        Ini("1\\Folder", "1", out.string());
        g_scanner = FakeScanner{};
        clock = SYSTEMTIME{2026, 12, 1, 7, 14, 5, 9, 0};
    }
    void TearDown() override {
        RegCloseKey(appKey);
        fs::remove_all(root);
        setenv("TMPDIR", previousTemp.c_str(), 1);
    }
    void SetFormatValue(const char* name, const std::string& text) {
        HKEY k = nullptr;
        RegCreateKeyExA(appKey, "File Format", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
        RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), DWORD(text.size() + 1));
        RegCloseKey(k);
    }
    void FormatEntry(int n, const std::string& text) {
        if (n > 0) SetFormatValue(std::to_string(n).c_str(), text);
    }
    void Ini(const std::string& section, const char* key, const std::string& value) {
        WritePrivateProfileStringA(section.c_str(), key, value.c_str(), ini.c_str());
    }
    std::unique_ptr<CScanJob> Job(const std::string& action = "filing") { return Job(action, Services()); }
    std::unique_ptr<CScanJob> Job(const std::string& action, JobServices s) {
        auto job = std::make_unique<CScanJob>(JobProfile(ini), std::move(s));
        job->SetNames("1", "Gray", "ADF");
        action_ = action;
        return job;
    }
    JobServices Services() {
        JobServices s;
        s.appKey = appKey;
        s.image = IL_GetFunctionTable();
        s.scan = &kScanTable;
        for (int i = 0; i < 8; ++i) {
            KEYRIDER_PAPER p{};
            std::snprintf(p.Name, sizeof p.Name, "Paper %d", i + 1);
            p.Area[2] = DWORD(1000 + i);
            p.Area[3] = DWORD(2000 + i);
            s.papers.push_back(p);
        }
        s.naming.now = [this] { return clock; };
        s.naming.message = [this](int id, const std::string& v) { messages.push_back(std::to_string(id) + ":" + v); };
        s.report = [this](const std::string& text) { reports.push_back(text); };
        s.launch = [this](const std::string& program, const std::string& parameters) {
            launched.push_back(program + " " + parameters);
            return true;
        };
        return s;
    }
    // Reads the settings, scans `pages` pages and runs the action.
    int Run(CScanJob& job, int pages) {
        g_scanner.pages = pages;
        if (!job.ReadActionSettings(action_)) return 0;
        job.ReadScanSettings(&job.Block());
        return job.DispatchJobOutput(action_);
    }
    std::set<std::string> Files(const fs::path& folder) const {
        std::set<std::string> names;
        if (fs::exists(folder))
            for (auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
        return names;
    }
    int PagesOf(const fs::path& file) const {
        int format = -1;
        IL_FILEINFO info{};
        return IL_GetFunctionTable()->GetImageFileInfo(file.c_str(), &format, &info) == 0 ? int(info.Pages) : -1;
    }
    // Files left in the temporary folder besides the registry stores and the ini.
    std::set<std::string> Leftovers() const {
        std::set<std::string> names = Files(root);
        for (const char* known : {"user.db", "machine.db", "job.ini", "out", "user.db-journal", "machine.db-journal"})
            names.erase(known);
        std::set<std::string> left;
        for (const auto& n : names)
            if (n.find(".db") == std::string::npos) left.insert(n);
        return left;
    }

    fs::path root, out;
    std::string ini, action_, previousTemp;
    HKEY appKey = nullptr;
    SYSTEMTIME clock{};
    std::vector<std::string> messages, reports, launched;
};

TEST_F(ScanJobTest, AnEmptySectionGivesTheDefaultBlock) {
    auto job = Job();
    SCAN_SETTINGS b{};
    std::memset(&b, 0x5A, sizeof b);
    job->ReadScanSettings(&b);
    EXPECT_EQ(b.Resolution, 200);
    EXPECT_EQ(b.Gamma, 100);
    EXPECT_EQ(b.Threshold, 128);
    EXPECT_EQ(b.PaperIsDefault, 1);
    EXPECT_EQ(b.PaperArea[2], 1007);  // entry 8 of the paper table
    EXPECT_EQ(b.PaperArea[3], 2007);
    EXPECT_EQ(b.Mode, 0);
    EXPECT_EQ(b.Mode2, 0);
    EXPECT_EQ(b.Descreen, 0);
    EXPECT_EQ(b.DefaultPaperIndex, 0);
    EXPECT_EQ(b.CustomPaperId, 1);
    EXPECT_EQ(b.Source, -1);
    EXPECT_EQ(b.Rotate, b.RotateFront);
    EXPECT_EQ(b.MergeFlags, 0);
    // Every field the block does not name stays zero.
    const auto* bytes = reinterpret_cast<const BYTE*>(&b);
    for (int at : {0, 4, 8, 12, 16, 100, 120, 144, 148, 168, 180, 192, 204, 240, 284})
        EXPECT_EQ(bytes[at], 0) << at;
    EdgeFillGlobals edge = job->EdgeFill();
    EXPECT_EQ(edge.flags, 2u);  // "Unit" defaults to 1
}

TEST_F(ScanJobTest, TheBlockFollowsTheSourceSectionAndStaysInsideItsTables) {
    Ini("1", "Source", "4");
    Ini("1", "Side", "2");
    Ini("1\\ADF", "Rotate Front", "90");
    Ini("1\\ADF", "Rotate Rear", "180");
    Ini("1\\ADF", "Resolution", "300");
    Ini("1\\ADF", "Mode", "3");
    Ini("1\\ADF", "PaperID", "3");
    Ini("1\\ADF", "Duplex Merge", "1");
    Ini("1\\ADF", "Merge Horizontal", "1");
    Ini("1\\Reflection", "Resolution", "600");  // another source's section is not read
    Ini("Global Setting", "Unit", "0");
    Ini("Global Setting", "Top", "1.5");
    auto job = Job();
    SCAN_SETTINGS b{};
    job->ReadScanSettings(&b);
    EXPECT_EQ(b.Source, 3);
    EXPECT_EQ(b.Side, 2);
    EXPECT_EQ(b.RotateFront, 90);
    EXPECT_EQ(b.Rotate, 90);
    EXPECT_EQ(b.RotateRear, 180);
    EXPECT_EQ(b.Resolution, 300);
    EXPECT_EQ(b.Mode, 2);
    EXPECT_EQ(b.PaperIsDefault, 0);
    EXPECT_EQ(b.PaperArea[2], 1002);
    EXPECT_EQ(b.MergeFlags, 6);
    EXPECT_EQ(job->EdgeFill().flags, 0u);
    EXPECT_DOUBLE_EQ(job->EdgeFill().top, 1.5);
    // The button's own "Mode", which names the section of its file settings,
    // is the scan's colour mode too: gray pages for a gray button.
    Ini("1", "Mode", "1");
    auto gray = Job();
    gray->ReadScanSettings(&b);
    EXPECT_EQ(b.Mode, 1);
    EXPECT_EQ(b.Mode2, 1);
    // A paper index or blank-page row outside its table gives zeros.
    Ini("1\\ADF", "PaperID", "9");
    Ini("Global Setting", "Remove Blank Page Sensitivity", "40");
    auto other = Job();
    other->ReadScanSettings(&b);
    EXPECT_EQ(b.PaperArea[2], 0);
    EXPECT_EQ(b.BlankThreshold[0], 0);
    Ini("1\\ADF", "PaperID", "0");
    Ini("1\\ADF", "CustomPaperID", "5");
    auto custom = Job();
    custom->ReadScanSettings(&b);
    EXPECT_EQ(b.PaperArea[3], 0);
}

TEST_F(ScanJobTest, SerialNamesRunToTheirLimitThenStopWithOneMessage) {
    Ini("1", "Date And Time", "0");
    auto job = Job("FILING");
    ASSERT_EQ(Run(*job, 103), 1);
    std::set<std::string> files = Files(out);
    ASSERT_EQ(files.size(), 100u);
    EXPECT_TRUE(files.count("Image00.jpg"));
    EXPECT_TRUE(files.count("Image99.jpg"));
    EXPECT_EQ(messages, std::vector<std::string>{"8:99"});
    // The scan stopped at the page that had no name: the rest stay in the feeder.
    EXPECT_EQ(g_scanner.delivered, 101);
    EXPECT_FALSE(fs::exists(root / "out.jpg"));
    job.reset();
    EXPECT_TRUE(Leftovers().empty());

    // "Pad" 0: one name, "Image0", then the limit.
    Ini("1", "Pad", "0");
    Ini("1\\Folder", "1", (root / "pad0").string());
    messages.clear();
    auto pad = Job();
    Run(*pad, 3);
    EXPECT_EQ(Files(root / "pad0"), std::set<std::string>{"Image0.jpg"});
    EXPECT_EQ(messages, std::vector<std::string>{"8:0"});
}

TEST_F(ScanJobTest, AnExistingSerialNameIsReplacedOnlyWhenTheUserSaysSo) {
    Ini("1", "Date And Time", "0");
    fs::create_directories(out);
    std::ofstream(out / "Image00.jpg") << "mine";
    std::ofstream(out / "Image02.jpg") << "theirs";
    // Asked about both existing names: No keeps the first, whose page takes its
    // own number with the time after it; Yes gives the second to the new page.
    std::vector<std::string> asked;
    std::vector<bool> answers{false, true};
    JobServices services = Services();
    services.naming.replace = [&](const std::string& path) {
        asked.push_back(fs::path(suite::NativePath(path)).filename().string());
        const bool yes = answers.front();
        answers.erase(answers.begin());
        return yes;
    };
    auto job = Job("filing", std::move(services));
    Run(*job, 3);
    EXPECT_EQ(asked, (std::vector<std::string>{"Image00.jpg", "Image02.jpg"}));
    EXPECT_EQ(Files(out), (std::set<std::string>{"Image00.jpg", "Image00-20261207140509.jpg", "Image01.jpg", "Image02.jpg"}));
    std::ifstream in(out / "Image00.jpg");
    std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(text, "mine");
    int format = -1;
    IL_FILEINFO info{};
    EXPECT_EQ(IL_GetFunctionTable()->GetImageFileInfo((out / "Image02.jpg").c_str(), &format, &info), 0);
    // Without the prompt the name is never taken: a suffix is added.
    Ini("1", "Overwrite Prompt", "0");
    auto again = Job();
    Run(*again, 1);
    EXPECT_TRUE(Files(out).count("Image00_2.jpg"));
}

TEST_F(ScanJobTest, DateAndTimeNamesKeepTheirCounterOverTheJob) {
    Ini("1", "Prefix Type", "2");
    Ini("1", "Separator", "2");
    Ini("1", "Hour Style", "0");
    auto job = Job();
    Run(*job, 5);
    std::set<std::string> expected;
    for (int i = 1; i <= 5; ++i) expected.insert("2026.12.07.PM02.05.09-0" + std::to_string(i) + ".jpg");
    EXPECT_EQ(Files(out), expected);
    // A new second starts the counter again; an existing file is never taken.
    clock.wSecond = 10;
    clock.wHour = 0;
    std::ofstream(out / "2026.12.07.AM00.05.10-01.jpg") << "mine";
    auto next = Job();
    Run(*next, 1);
    EXPECT_TRUE(Files(out).count("2026.12.07.AM00.05.10-01_2.jpg"));
    // Other patterns: no separators, two-digit year, 24 hours.
    Ini("1", "Separator", "0");
    Ini("1", "Time Format", "1");
    Ini("1", "Hour Style", "1");
    clock.wHour = 14;
    auto compact = Job();
    Run(*compact, 1);
    EXPECT_TRUE(Files(out).count("261207140510-01.jpg"));
}

TEST_F(ScanJobTest, PdfBatchesJoinEveryPageAndLeaveNoPageFiles) {
    Ini("1\\Gray", "Format", "6");
    Ini("1\\Gray", "Pages2PDF", "3");
    auto job = Job("PDF");
    Run(*job, 7);
    ASSERT_EQ(job->Finished().size(), 3u);
    EXPECT_EQ(CountPdfPages(job->Finished()[0]), 3);
    EXPECT_EQ(CountPdfPages(job->Finished()[1]), 3);
    EXPECT_EQ(CountPdfPages(job->Finished()[2]), 1);
    EXPECT_EQ(Files(out).size(), 3u);
    EXPECT_TRUE(job->Problems().empty());
    job.reset();
    EXPECT_TRUE(Leftovers().empty());
    // One file for the whole run.
    Ini("1\\Gray", "PDF Single File", "1");
    Ini("1\\Folder", "1", (root / "single").string());
    auto single = Job("pdf");
    Run(*single, 7);
    ASSERT_EQ(single->Finished().size(), 1u);
    EXPECT_EQ(CountPdfPages(single->Finished()[0]), 7);
    single.reset();
    // "Pages joined" joins the whole run, whatever the batch size.
    Ini("1\\Gray", "Format", "7");
    Ini("1\\Gray", "PDF Single File", "0");
    Ini("1\\Folder", "1", (root / "joined").string());
    auto joined = Job("pdf");
    Run(*joined, 7);
    ASSERT_EQ(joined->Finished().size(), 1u);
    EXPECT_EQ(CountPdfPages(joined->Finished()[0]), 7);
}

TEST_F(ScanJobTest, AFailingPdfLibraryKeepsEveryPageAsAnImage) {
    Ini("1\\Gray", "Format", "7");
    Ini("1\\Gray", "Pages2PDF", "3");
    SetFormatValue("Our PDF", (root / "NoSuchPdf.dll").string());
    auto job = Job("pdf");
    Run(*job, 7);
    std::set<std::string> files = Files(out);
    int images = 0;
    for (const auto& f : files) {
        EXPECT_EQ(fs::path(f).extension(), ".jpg") << f;
        ++images;
    }
    EXPECT_EQ(images, 7);
    EXPECT_FALSE(job->Problems().empty());
    EXPECT_EQ(g_scanner.delivered, 7);
    job.reset();
    EXPECT_TRUE(Leftovers().empty());
}

TEST_F(ScanJobTest, AMultiPageTiffHoldsTheWholeRunInANewFile) {
    Ini("1\\Gray", "Format", "5");
    Ini("1", "Date And Time", "0");
    fs::create_directories(out);
    auto job = Job();
    Run(*job, 7);
    ASSERT_EQ(job->Finished().size(), 1u);
    EXPECT_EQ(fs::path(suite::NativePath(job->Finished()[0])).filename(), "Image00.tif");
    EXPECT_EQ(PagesOf(out / "Image00.tif"), 7);
    // The next run starts a file of its own rather than adding to one of its name.
    Ini("1", "Overwrite Prompt", "0");
    auto next = Job();
    Run(*next, 2);
    EXPECT_EQ(PagesOf(out / "Image00.tif"), 7);
    EXPECT_EQ(PagesOf(out / "Image00_2.tif"), 2);
    // Replaced at the user's word, the file holds the new run's pages alone.
    Ini("1", "Overwrite Prompt", "1");
    JobServices services = Services();
    services.naming.replace = [](const std::string&) { return true; };
    auto replacing = Job("filing", std::move(services));
    Run(*replacing, 3);
    EXPECT_EQ(PagesOf(out / "Image00.tif"), 3);
    EXPECT_EQ(Files(out), (std::set<std::string>{"Image00.tif", "Image00_2.tif"}));
    ASSERT_EQ(replacing->Finished().size(), 1u);
    EXPECT_EQ(fs::path(suite::NativePath(replacing->Finished()[0])).filename(), "Image00.tif");
}

// Pixel x of row y of black-and-white page i as the test scanner makes it.
bool ScannedWhite(int i, int x, int y) {
    const int byte = (y * 37 + (x / 8) * 11 + i * 29) & 0xFF;
    return (byte >> (7 - x % 8)) & 1;
}

TEST_F(ScanJobTest, BlackAndWhitePagesStayOneBitInEveryImageFormat) {
    g_scanner.bits = 1;
    Ini("1", "Date And Time", "0");
    // Positions of the format list: 1 bitmap, 4 PNG, 5 multi-page TIFF.
    const struct {
        const char* position;
        std::vector<std::string> files;
        int format;
    } cases[] = {{"1", {"Image00.bmp", "Image01.bmp", "Image02.bmp"}, IL_FORMAT_BMP},
                 {"4", {"Image00.png", "Image01.png", "Image02.png"}, IL_FORMAT_PNG},
                 {"5", {"Image00.tif"}, IL_FORMAT_TIF}};
    const IL_FUNCTIONTABLE& il = *IL_GetFunctionTable();
    for (const auto& c : cases) {
        const fs::path folder = out / (std::string("bw") + c.position);
        Ini("1\\Folder", "1", folder.string());
        Ini("1\\Gray", "Format", c.position);
        auto job = Job();
        ASSERT_NE(Run(*job, 3), 0) << c.position;
        EXPECT_TRUE(job->Problems().empty()) << job->Problems()[0];
        ASSERT_EQ(job->Finished().size(), c.files.size()) << c.position;
        for (std::size_t f = 0; f < c.files.size(); ++f) {
            const fs::path file = folder / c.files[f];
            ASSERT_EQ(fs::path(suite::NativePath(job->Finished()[f])), file);
            if (c.format == IL_FORMAT_TIF) continue;  // read page by page below
            EXPECT_EQ(PagesOf(file), 1) << file;
            IL_IMAGE back{};
            ASSERT_EQ(il.LoadImage(&back, file.c_str(), c.format, 1, 0), 0) << file;
            EXPECT_EQ(back.Header->BitsPerPixel, 1) << file;
            ASSERT_EQ(back.Header->Width, 40);
            ASSERT_EQ(back.Header->Height, 30);
            int wrong = 0;
            for (int y = 0; y < 30; ++y) {
                const BYTE* row = back.Bits + std::size_t(y) * back.Header->BytesPerLine;
                for (int x = 0; x < 40; ++x) wrong += bool((row[x / 8] >> (7 - x % 8)) & 1) != ScannedWhite(int(f), x, y);
            }
            EXPECT_EQ(wrong, 0) << file;
            il.FreeImage(&back);
        }
    }
    // The multi-page file, read by libtiff: three Group 4 pages, each the
    // page scanned in its place.
    const fs::path tiff = out / "bw5" / "Image00.tif";
    EXPECT_EQ(PagesOf(tiff), 3);
    TIFF* t = TIFFOpen(tiff.c_str(), "r");
    ASSERT_NE(t, nullptr);
    for (int p = 0; p < 3; ++p) {
        ASSERT_EQ(TIFFSetDirectory(t, tdir_t(p)), 1) << "page " << p + 1;
        std::uint16_t compression = 0, bits = 0, photometric = 0;
        std::uint32_t width = 0, height = 0;
        TIFFGetField(t, TIFFTAG_COMPRESSION, &compression);
        TIFFGetField(t, TIFFTAG_BITSPERSAMPLE, &bits);
        TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &photometric);
        TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(t, TIFFTAG_IMAGELENGTH, &height);
        EXPECT_EQ(compression, COMPRESSION_CCITTFAX4);
        EXPECT_EQ(bits, 1);
        ASSERT_EQ(width, 40u);
        ASSERT_EQ(height, 30u);
        std::vector<BYTE> row(std::size_t(TIFFScanlineSize(t)));
        int wrong = 0;
        for (std::uint32_t y = 0; y < height; ++y) {
            ASSERT_EQ(TIFFReadScanline(t, row.data(), y, 0), 1);
            for (int x = 0; x < 40; ++x) {
                const bool set = (row[std::size_t(x / 8)] >> (7 - x % 8)) & 1;
                wrong += (photometric == PHOTOMETRIC_MINISWHITE ? !set : set) != ScannedWhite(p, x, int(y));
            }
        }
        EXPECT_EQ(wrong, 0) << "page " << p + 1;
    }
    TIFFClose(t);

    // Black-and-white pages joined into one PDF: every page is in it, and no
    // page file is left.
    Ini("1\\Folder", "1", out.string());
    Ini("1\\Gray", "Format", "6");
    Ini("1\\Gray", "PDF Single File", "1");
    auto job = Job("PDF");
    Run(*job, 4);
    ASSERT_EQ(job->Finished().size(), 1u) << (job->Problems().empty() ? "" : job->Problems()[0]);
    EXPECT_EQ(CountPdfPages(job->Finished()[0]), 4);
    job.reset();
    EXPECT_TRUE(Leftovers().empty());
}

TEST_F(ScanJobTest, JobsThatCannotRunAreNotReadyAndScanNothing) {
    // An incomplete format list, a position outside it, no output folder, unknown actions.
    {
        HKEY k = nullptr;
        RegOpenKeyExA(appKey, "File Format", 0, KEY_ALL_ACCESS, &k);
        RegDeleteValueA(k, "9");
        RegCloseKey(k);
        auto job = Job();
        EXPECT_EQ(job->ReadActionSettings("filing"), 0);
        FormatEntry(9, "12,Multi-page TIFF");
    }
    Ini("1\\Gray", "Format", "10");
    EXPECT_EQ(Job()->ReadActionSettings("filing"), 0);
    Ini("1\\Gray", "Format", "2");
    EXPECT_EQ(Job()->ReadActionSettings("filing"), 1);
    for (const char* action : {"scan", "", "ocr", "copy"}) EXPECT_EQ(Job()->ReadActionSettings(action), 0) << action;
    EXPECT_EQ(Job()->ReadActionSettings("custom"), 0);  // no program
    EXPECT_EQ(Job()->ReadActionSettings("ftp"), 0);     // no host
    Ini("1\\Folder", "1", "");
    EXPECT_EQ(Job()->ReadActionSettings("filing"), 0);
    EXPECT_EQ(g_scanner.delivered, 0);
}

TEST_F(ScanJobTest, AFolderThatCannotBeMadeStopsTheScanAtTheFirstPage) {
    std::ofstream(root / "blocker") << "a file where a folder should be";
    Ini("1\\Folder", "1", (root / "blocker" / "sub").string());
    auto job = Job();
    Run(*job, 4);
    EXPECT_EQ(g_scanner.delivered, 1);
    ASSERT_EQ(job->Problems().size(), 1u);
    EXPECT_NE(job->Problems()[0].find("cannot be made"), std::string::npos);
    EXPECT_FALSE(EnsureFolderPath("/no-such-top-folder-xyz/a/b"));
}

TEST_F(ScanJobTest, TheCustomProgramGetsEveryFinishedFile) {
    Ini("1", "Current Application Index", "1");
    Ini("1\\Applications\\2", "Exe Pathname", "/opt/viewer");
    Ini("1\\Applications\\2", "Command Line", "  -open %1 -again %1");
    auto job = Job("Custom");
    Run(*job, 2);
    ASSERT_EQ(launched.size(), 2u);
    EXPECT_EQ(launched[0], "/opt/viewer -open " + job->Finished()[0] + " -again %1");
    // The program is handed a path of this system, whole.
    EXPECT_EQ(job->Finished()[0].find('\\'), std::string::npos) << job->Finished()[0];
    EXPECT_TRUE(fs::exists(job->Finished()[0])) << job->Finished()[0];
    // A command line without "%1" takes the file after its own arguments.
    launched.clear();
    Ini("1\\Applications\\2", "Command Line", "--view");
    auto plain = Job("custom");
    Run(*plain, 1);
    ASSERT_EQ(launched.size(), 1u);
    EXPECT_EQ(launched[0], "/opt/viewer --view \"" + plain->Finished()[0] + "\"");
    // Batch PDFs and multi-page files are handed over too, once finished.
    launched.clear();
    Ini("1\\Applications\\2", "Command Line", "");
    Ini("1\\Gray", "Format", "6");
    Ini("1\\Gray", "Pages2PDF", "2");
    auto pdf = Job("custom");
    Run(*pdf, 3);
    ASSERT_EQ(launched.size(), 2u);
    EXPECT_EQ(launched[1], "/opt/viewer \"" + pdf->Finished()[1] + "\"");
    launched.clear();
    Ini("1\\Gray", "Format", "9");
    auto tiff = Job("custom");
    Run(*tiff, 3);
    ASSERT_EQ(launched.size(), 1u);
    // "Launch Only" starts the program without scanning.
    launched.clear();
    g_scanner.delivered = 0;
    Ini("1", "Launch Only", "1");
    auto only = Job("custom");
    Run(*only, 3);
    EXPECT_EQ(launched, std::vector<std::string>{"/opt/viewer "});
    EXPECT_EQ(g_scanner.delivered, 0);
}

TEST_F(ScanJobTest, MailCollectsEveryFileAndNamesTheLastPdfBatchFirst) {
    std::vector<std::string> sent;
    auto job = Job("E-Mail");
    job->sendMail = [&](const std::vector<std::string>& files) { sent = files; };
    Run(*job, 3);
    ASSERT_EQ(sent.size(), 3u);
    for (const auto& f : sent) EXPECT_EQ(fs::path(f).extension(), ".jpg");
    Ini("1\\Gray", "Format", "6");
    Ini("1\\Gray", "Pages2PDF", "2");
    auto pdf = Job("e-mail");
    pdf->sendMail = [&](const std::vector<std::string>& files) { sent = files; };
    Run(*pdf, 5);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(CountPdfPages(sent[2]), 1);
    EXPECT_NE(sent[1], sent[2]);
}

TEST_F(ScanJobTest, AJamAfterSomePagesFilesThemAndIsReported) {
    g_scanner.jam = true;
    auto job = Job();
    Run(*job, 3);
    EXPECT_EQ(Files(out).size(), 3u);
    ASSERT_EQ(job->Problems().size(), 1u);
    EXPECT_EQ(job->Problems()[0], std::to_string(kMessageJammedAfter) + ": 3");
    // PDF batches: the pages before the jam still make their PDF.
    Ini("1\\Gray", "Format", "6");
    Ini("1\\Gray", "PDF Single File", "1");
    Ini("1\\Folder", "1", (root / "pdf").string());
    auto pdf = Job("pdf");
    Run(*pdf, 2);
    ASSERT_EQ(pdf->Finished().size(), 1u);
    EXPECT_EQ(CountPdfPages(pdf->Finished()[0]), 2);
    EXPECT_EQ(pdf->Problems().size(), 1u);
    // A jam before the first page, an empty feeder: nothing scanned, and said why.
    for (const auto& [end, message] :
         {std::pair{SCAN_END_JAMMED, kMessageJammedAtOnce}, std::pair{SCAN_END_NO_PAPER, kMessageNoPaper}}) {
        g_scanner = FakeScanner{};
        g_scanner.lastEnd = end;
        auto none = Job();
        Run(*none, 0);
        ASSERT_EQ(none->Problems().size(), 1u);
        EXPECT_EQ(none->Problems()[0], std::to_string(message) + ": ");
    }
    // Blank pages dropped are told, as a note and not as a failure, unless the user turned the note off.
    for (const DWORD display : {1u, 0u}) {
        RegSetValueExA(appKey, "Display Blank Page Message", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&display), 4);
        g_scanner = FakeScanner{};
        g_scanner.blanks = 2;
        messages.clear();
        auto some = Job();
        Run(*some, 3);
        EXPECT_TRUE(some->Problems().empty());
        EXPECT_EQ(messages, display ? std::vector<std::string>{std::to_string(kMessageBlanksDropped) + ":2"}
                                    : std::vector<std::string>{});
    }
}

TEST_F(ScanJobTest, PromptForFilenameAsksBeforeScanningAndForEveryFurtherFile) {
    Ini("1", "Prompt for Filename", "1");
    fs::create_directories(out);
    std::vector<std::string> asked, answers, sent;
    JobServices s = Services();
    s.naming.saveDialog = [&](std::string& path, int, const std::string& extension) {
        asked.push_back(path + "|" + extension + "|" + std::to_string(g_scanner.delivered));
        if (answers.empty()) return false;
        path = answers.front();
        answers.erase(answers.begin());
        return true;
    };
    auto mailJob = [&] {
        auto job = Job("e-mail", s);
        job->sendMail = [&](const std::vector<std::string>& files) { sent = files; };
        return job;
    };
    answers = {(out / "first").string(), (out / "second.jpg").string(), (out / "third").string()};
    Run(*mailJob(), 3);
    // The first name before any page, one for each further page; the dialog starts in the folder.
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0], out.string() + "/|jpg|0");
    EXPECT_EQ(asked[1].substr(asked[1].size() - 2), "|2");  // page 2 needs the next name
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(fs::path(sent[0]).filename(), "first.jpg");
    EXPECT_EQ(fs::path(sent[1]).filename(), "second.jpg");
    EXPECT_EQ(fs::path(sent[2]).filename(), "third.jpg");
    // Cancel before scanning: nothing scanned, nothing sent.
    sent.clear();
    asked.clear();
    g_scanner.delivered = 0;
    Run(*mailJob(), 3);
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_EQ(g_scanner.delivered, 0);
    EXPECT_TRUE(sent.empty());
    // A multi-page file is asked for once.
    answers = {(out / "all").string()};
    asked.clear();
    Ini("1\\Gray", "Format", "9");
    Run(*mailJob(), 4);
    EXPECT_EQ(asked.size(), 1u);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(fs::path(sent[0]).filename(), "all.tif");
    EXPECT_EQ(PagesOf(sent[0]), 4);
    EXPECT_EQ(Files(out).size(), 4u);  // first, second, third, all: no name left empty
}

// The message library's progress window, as the PDF library reports.
struct ProgressLog {
    std::vector<std::string> calls;
    int cancelAt = -1;  // the percent at which the user presses Cancel
    std::function<void()> during;  // runs at each step, while the PDF file is being made
};
ProgressLog g_progress;
int ProgressText(int id, LPSTR buffer, int size) {
    const char* text = id == 5 ? "Creating the PDF file from %1 pages..." : id == 6 ? "Adding page %1 of %2 to the PDF file..." : "";
    std::snprintf(buffer, std::size_t(size), "%s", text);
    return *text != 0;
}
int ProgressOpen(const MSG_PROGRESS* p) {
    g_progress.calls.push_back("open " + std::string(p->Caption) + " " + std::to_string(p->Range));
    return 1;
}
int ProgressSetText(int, LPCSTR text) {
    g_progress.calls.push_back(text);
    return 1;
}
int ProgressSet(int percent) {
    g_progress.calls.push_back(std::to_string(percent) + "%");
    if (g_progress.during) g_progress.during();
    return percent == g_progress.cancelAt ? 0 : 1;
}
int ProgressClose() {
    g_progress.calls.push_back("close");
    return 1;
}
const TARRIK_FUNCTIONTABLE kProgressTable = {ProgressText, nullptr, ProgressOpen, ProgressSetText, ProgressSet, ProgressClose};

TEST(PdfProgressWindow, ShowsEachChangeOnceAndCarriesCancelBack) {
    g_progress = ProgressLog{};
    int pumped = 0;
    {
        PdfProgress progress(&kProgressTable, nullptr, "Keyrider", [&] { ++pumped; });
        EXPECT_TRUE(progress.Step(4, 4, 0));
        EXPECT_TRUE(progress.Step(4, 3, 1));
        EXPECT_TRUE(progress.Step(4, 3, 1));  // no change: nothing shown
        EXPECT_TRUE(progress.Step(4, 0, 4));
    }
    EXPECT_EQ(pumped, 4);
    EXPECT_EQ(g_progress.calls,
              (std::vector<std::string>{"open Keyrider 100", "0%", "Creating the PDF file from 4 pages...", "0%",
                                        "Adding page 1 of 4 to the PDF file...", "25%",
                                        "Adding page 4 of 4 to the PDF file...", "100%", "close"}));
    // A zero page count shows the window and divides by nothing; Cancel stops the join.
    g_progress = ProgressLog{};
    g_progress.cancelAt = 50;
    PdfProgress cancelled(&kProgressTable, nullptr, "K", {});
    EXPECT_TRUE(cancelled.Step(0, 0, 0));
    EXPECT_TRUE(cancelled.Step(2, 2, 1));
    EXPECT_FALSE(cancelled.Step(2, 1, 1));
    EXPECT_FALSE(cancelled.Step(2, 0, 2));
    EXPECT_TRUE(cancelled.Cancelled());
    // Without the message library the join goes on unseen.
    PdfProgress none(nullptr, nullptr, "K", {});
    EXPECT_TRUE(none.Step(3, 1, 2));
}

// While a PDF file is made no file stands under its name: a join that dies
// or is cancelled leaves nothing there, and a file someone else puts there
// meanwhile is never replaced.
TEST_F(ScanJobTest, PdfJoinsShowTheirProgressAndACancelKeepsThePages) {
    Ini("1\\Gray", "Format", "6");
    Ini("1\\Gray", "PDF Single File", "1");
    Ini("1", "Date And Time", "0");
    g_progress = ProgressLog{};
    std::set<std::string> seen;
    g_progress.during = [&] {
        if (!seen.empty()) return;
        for (const auto& name : Files(out)) seen.insert(name.find(".~") != std::string::npos ? "temporary" : name);
        std::ofstream(out / "Image00.pdf") << "another program's";
    };
    JobServices s = Services();
    s.messages = &kProgressTable;
    s.title = "Keyrider";
    auto job = Job("pdf", s);
    Run(*job, 3);
    EXPECT_EQ(seen, std::set<std::string>{"temporary"});
    ASSERT_EQ(job->Finished().size(), 1u);
    EXPECT_EQ(fs::path(suite::NativePath(job->Finished()[0])).filename(), "Image00_2.pdf");
    EXPECT_EQ(CountPdfPages(job->Finished()[0]), 3);
    EXPECT_EQ(Files(out), (std::set<std::string>{"Image00.pdf", "Image00_2.pdf"}));
    ASSERT_GE(g_progress.calls.size(), 3u);
    EXPECT_EQ(g_progress.calls.front(), "open Keyrider 100");
    EXPECT_EQ(g_progress.calls[g_progress.calls.size() - 2], "100%");
    EXPECT_EQ(g_progress.calls.back(), "close");
    // The user cancels at once: no PDF, every page kept as an image.
    g_progress = ProgressLog{};
    g_progress.cancelAt = 0;
    Ini("1\\Folder", "1", (root / "cancel").string());
    auto cancelled = Job("pdf", s);
    Run(*cancelled, 3);
    EXPECT_EQ(Files(root / "cancel"), (std::set<std::string>{"Image00-01.jpg", "Image00-02.jpg", "Image00-03.jpg"}));
    EXPECT_FALSE(cancelled->Problems().empty());
}

TEST(OutputNames, PrefixesThatCannotNameFilesAreRefused) {
    for (const char* bad : {"a/b", "a\\b", "c:", "*", "what?", "\"q\"", "<", ">", "a|b", "a,b", "a;b"})
        EXPECT_FALSE(IsValidPrefix(bad)) << bad;
    EXPECT_TRUE(IsValidPrefix("Scan 2026-12 (final)"));
    EXPECT_FALSE(IsValidPrefix("Sca\x8c\xf5\xaf"));  // no text of the code page
    EXPECT_FALSE(IsValidPrefix("tab\there"));
    EXPECT_EQ(FormatCodeOfEntry("11,Multi-page"), 11);
    EXPECT_EQ(FormatCodeOfEntry("x,1"), 0);
    EXPECT_EQ(FormatCodeOfEntry("99999999999,big"), 0);
    EXPECT_TRUE(TraitsOfFormat(13).pdf);
    EXPECT_TRUE(TraitsOfFormat(9).pdf);
    EXPECT_EQ(TraitsOfFormat(10).extension, "");
}

}  // namespace
