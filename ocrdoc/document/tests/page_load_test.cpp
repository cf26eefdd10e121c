// The page-load thread: what it reads, what it posts and when it stops, and
// the document's side (start, stop, attach, the synchronous twin).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "imaging/codecs/codec_factory.h"
#include "imaging/codecs/image_file_type.h"
#include "ocrdoc/document/page_load.h"
#include "ocrdoc/document/tests/fake_page_view.h"
#include "ocrdoc/tests/fake_document_host.h"
#include "platform/win/library.h"
#include "platform/win/memory.h"

namespace fs = std::filesystem;

namespace {

// A 1-bit page whose rows are all `fill` (0x00 white, 0xFF black).
CPageImage* MakePage(int width, int height, BYTE fill) {
    auto* page = new CPageImage;
    page->m_nWidth = width;
    page->m_nHeight = height;
    page->m_nBitCount = 1;
    EXPECT_TRUE(page->AllocBits(page->PlaneBytes()));
    if (fill) {
        auto* bits = static_cast<BYTE*>(GlobalLock(page->m_hBits));
        std::memset(bits, fill, page->PlaneBytes());
        GlobalUnlock(page->m_hBits);
    }
    return page;
}

void FreePage(CPageImage* page) {
    if (!page) return;
    page->Empty();
    delete page;
}

// Writes a page through the codec of the path's extension.
void SaveImage(const std::string& path, int width, int height, BYTE fill) {
    int type = IMGTYPE_UNKNOWN;
    ASSERT_TRUE(GetImageFileType(path.c_str(), &type)) << path;
    CImageCodec* codec = CreateImageCodec(path.c_str(), type);
    ASSERT_NE(codec, nullptr) << path;
    CPageImage* page = MakePage(width, height, fill);
    EXPECT_TRUE(codec->Save(page, 0)) << path;
    delete codec;
    FreePage(page);
}

// Share of black bytes in a page's plane.
double BlackShare(const CPageImage* page) {
    const auto* bits = static_cast<const BYTE*>(GlobalLock(page->m_hBits));
    std::size_t black = 0;
    for (DWORD i = 0; i < page->PlaneBytes(); ++i) black += bits[i] == 0xFF;
    GlobalUnlock(page->m_hBits);
    return static_cast<double>(black) / page->PlaneBytes();
}

void PutInt(std::vector<char>& out, int32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF));
}

// A project file: magic, tag, page rectangle (file order left, right, top,
// bottom) and the region records given as {left, top, right, bottom, lines, flags}.
std::vector<char> ProjectBytes(const char* magic, const char* tag, RECT page, const std::vector<std::vector<int>>& regions) {
    const std::string head = std::string(magic).substr(0, 5) + std::string(tag).substr(0, 3);
    std::vector<char> out(head.begin(), head.end());
    PutInt(out, page.left);
    PutInt(out, page.right);
    PutInt(out, page.top);
    PutInt(out, page.bottom);
    PutInt(out, static_cast<int32_t>(regions.size()));
    for (const auto& r : regions) {
        PutInt(out, r[0]);
        PutInt(out, r[2]);
        PutInt(out, r[1]);
        PutInt(out, r[3]);
        PutInt(out, r[4]);
        PutInt(out, r[5]);
    }
    return out;
}

void WriteBytes(const std::string& path, const std::vector<char>& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A PCX page that arrives through a named pipe as fast as the test lets it:
// the header and `firstRows` rows at once, `moreRows` rows once `Go` is
// called, the rest never. Rows are 1024 literal bytes of white.
class CSlowPcx {
public:
    static constexpr int kRowBytes = 1024;
    static constexpr int kHeight = 4096;

    CSlowPcx(const std::string& path, int firstRows, int moreRows) : path_(path) {
        signal(SIGPIPE, SIG_IGN);
        EXPECT_EQ(mkfifo(path.c_str(), 0600), 0);
        writer_ = std::thread([this, firstRows, moreRows] { Write(firstRows, moreRows); });
    }
    ~CSlowPcx() {
        Go();
        {
            std::lock_guard<std::mutex> lock(mu_);
            closing_ = true;
            cv_.notify_all();
        }
        writer_.join();
        unlink(path_.c_str());
    }
    // The first rows are in the pipe or taken by the reader.
    bool WaitFirstWritten(int ms) {
        std::unique_lock<std::mutex> lock(mu_);
        return cv_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return firstWritten_ || closing_; }) &&
               firstWritten_;
    }
    void Go() {
        std::lock_guard<std::mutex> lock(mu_);
        go_ = true;
        cv_.notify_all();
    }

private:
    void Write(int firstRows, int moreRows) {
        int fd = -1;
        // Wait for the reader without blocking for ever.
        for (int i = 0; i < 5000 && fd < 0; ++i) {
            fd = open(path_.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd < 0) {
                std::unique_lock<std::mutex> lock(mu_);
                if (cv_.wait_for(lock, std::chrono::milliseconds(2), [&] { return closing_; })) return;
            }
        }
        if (fd < 0) return;
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        std::vector<unsigned char> header(128, 0);
        header[0] = 10;
        header[1] = 5;
        header[2] = 1;
        header[3] = 1;
        const unsigned xmax = kRowBytes * 8 - 1, ymax = kHeight - 1;
        header[8] = xmax & 0xFF, header[9] = xmax >> 8;
        header[10] = ymax & 0xFF, header[11] = ymax >> 8;
        header[65] = 1;
        header[66] = kRowBytes & 0xFF, header[67] = kRowBytes >> 8;
        const std::vector<unsigned char> row(kRowBytes, 0);
        bool ok = ::write(fd, header.data(), header.size()) == static_cast<ssize_t>(header.size());
        for (int r = 0; ok && r < firstRows; ++r) ok = ::write(fd, row.data(), row.size()) == kRowBytes;
        {
            std::unique_lock<std::mutex> lock(mu_);
            firstWritten_ = ok;
            cv_.notify_all();
            cv_.wait(lock, [&] { return go_; });
        }
        for (int r = 0; ok && r < moreRows; ++r) ok = ::write(fd, row.data(), row.size()) == kRowBytes;
        {
            std::unique_lock<std::mutex> lock(mu_);
            cv_.wait(lock, [&] { return closing_; });
        }
        close(fd);
    }

    std::string path_;
    std::thread writer_;
    std::mutex mu_;
    std::condition_variable cv_;
    bool firstWritten_ = false, go_ = false, closing_ = false;
};

// Gives the document a stop event that stays set once set, so that a helper
// can see the stop request without taking it.
HANDLE WatchableStopEvent(COcrDoc& doc) {
    CloseHandle(doc.m_hStopEvent);
    doc.m_hStopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    doc.m_loadParam.hStopEvent = doc.m_hStopEvent;
    return doc.m_hStopEvent;
}

// The reader looks at the stop event only between rows, and may have read
// all it was given: once the stop is requested it is given more rows (not
// the whole page).
std::thread FeedAfterStop(HANDLE stop, CSlowPcx& slow) {
    return std::thread([stop, &slow] {
        for (int i = 0; i < 10000 && WaitForSingleObject(stop, 1) != WAIT_OBJECT_0; ++i) {
        }
        slow.Go();
    });
}

class PageLoadTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("page_load_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        AfxWinInit();
    }
    void TearDown() override {
        SetPageLoadStopTimeout(10000);
        EXPECT_EQ(ReapAbandonedLoadThreads(5000), 0);
        fs::remove_all(dir_);
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    // Runs the thread procedure on this thread and returns the job.
    std::unique_ptr<CPageLoadJob> RunThread(const std::string& path, HWND target, bool stopFirst = false) {
        auto job = std::make_unique<CPageLoadJob>();
        std::strncpy(job->m_param.szPath, path.c_str(), sizeof job->m_param.szPath - 1);
        job->m_param.hTarget = target;
        if (stopFirst) job->RequestStop();
        ProjectLoadThread(job.get());
        return job;
    }

    fs::path dir_;
};

// What a window received as WM_PAGELOADED.
class CPageCatcher : public CWnd {
public:
    struct Page {
        bool hasBlock = false;
        int width = -1;
    };
    std::vector<Page> pages;

    BOOL Make() { return CreateEx(0, nullptr, "PageCatcher", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr, nullptr); }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != WM_PAGELOADED) return CWnd::WindowProc(message, wParam, lParam);
        auto* image = reinterpret_cast<CPageImage*>(lParam);
        pages.push_back({wParam != 0, image ? image->m_nWidth : -1});
        FreePageLoadedPayload(wParam, lParam);
        return 0;
    }
};

}  // namespace

// --- The load on its own ---------------------------------------------------------

TEST_F(PageLoadTest, ProjectFilesShorterThanTheHeaderCountAsAbsent) {
    CFakeDocumentHost shell;
    const std::string image = Path("page.pcx");
    SaveImage(image, 64, 32, 0x00);
    const std::vector<char> header = ProjectBytes("PST10", "PCX", RECT{0, 0, 64, 32}, {});
    ASSERT_EQ(header.size(), 28u);
    struct Case {
        std::size_t bytes;
        const char* magic;
        bool present;
    };
    // A damaged magic shows itself only when the file counts as present.
    for (const Case& c : {Case{22, "PST10", false}, Case{27, "PST10", false}, Case{27, "XXXXX", false},
                          Case{28, "XXXXX", true}, Case{28, "PST10", true}}) {
        std::vector<char> bytes = ProjectBytes(c.magic, "PCX", RECT{0, 0, 64, 32}, {});
        bytes.resize(c.bytes);
        WriteBytes(image + ".PST", bytes);
        HGLOBAL block = nullptr;
        CPageImage* page = nullptr;
        UINT notice = 0;
        EXPECT_EQ(LoadPageAndProject(image.c_str(), nullptr, nullptr, &block, &page, &notice), PageLoadOutcome::kLoaded);
        ASSERT_NE(page, nullptr);
        const bool usable = c.present && std::string(c.magic) == "PST10";
        EXPECT_EQ(block != nullptr, usable) << c.bytes << " " << c.magic;
        EXPECT_EQ(notice != 0, c.present && !usable) << c.bytes << " " << c.magic;
        FreePageLoadedPayload(reinterpret_cast<WPARAM>(block), reinterpret_cast<LPARAM>(page));
    }
}

TEST_F(PageLoadTest, APdfIsNoPageForAShellThatReadsNone) {
    CFakeDocumentHost shell;
    const std::string pdf = Path("notes.pdf");
    WriteBytes(pdf, std::vector<char>{'%', 'P', 'D', 'F', '-', '1', '.', '4', '\n'});
    HGLOBAL block = nullptr;
    CPageImage* page = nullptr;
    UINT notice = 0;
    shell.readsPdf = false;
    EXPECT_EQ(LoadPageAndProject(pdf.c_str(), nullptr, nullptr, &block, &page, &notice), PageLoadOutcome::kNoCodec);
    EXPECT_EQ(page, nullptr);
    // The same file with PDF pages: a reader is tried (and finds no page in it).
    shell.readsPdf = true;
    EXPECT_EQ(LoadPageAndProject(pdf.c_str(), nullptr, nullptr, &block, &page, &notice), PageLoadOutcome::kFailed);
    EXPECT_EQ(page, nullptr);
}

TEST_F(PageLoadTest, WrongMagicLoadsThePageWithoutProjectAndReportsIt) {
    CFakeDocumentHost shell;
    const std::string image = Path("old.pcx");
    SaveImage(image, 64, 32, 0x00);
    WriteBytes(image + ".PST", ProjectBytes("PST09", "PCX", RECT{0, 0, 64, 32}, {{1, 1, 20, 20, 2, 1}}));
    HGLOBAL block = nullptr;
    CPageImage* page = nullptr;
    UINT notice = 0;
    EXPECT_EQ(LoadPageAndProject(image.c_str(), nullptr, nullptr, &block, &page, &notice), PageLoadOutcome::kLoaded);
    EXPECT_EQ(block, nullptr);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->m_nWidth, 64);
    EXPECT_EQ(notice, static_cast<UINT>(IDS_OLD_PROJECT_FILE));
    // The thread itself shows nothing.
    EXPECT_TRUE(shell.messages.empty());
    FreePageLoadedPayload(0, reinterpret_cast<LPARAM>(page));
}

TEST_F(PageLoadTest, EditedTagLoadsTheEditedCopyWithoutInvertingIt) {
    CFakeDocumentHost shell;
    HMODULE convert = LoadLibraryA("Convert.dll");
    ASSERT_NE(convert, nullptr);
    shell.convertLibrary = convert;
    const std::string image = Path("scan.pcx");
    // Both mostly black: the fresh image is turned to black on white, the
    // edited copy is taken as it was saved.
    SaveImage(image, 64, 32, 0xFF);
    SaveImage(image + ".BKI", 96, 40, 0xFF);
    WriteBytes(image + ".PST", ProjectBytes("PST10", "BKI", RECT{0, 0, 96, 40}, {}));
    HGLOBAL block = nullptr;
    CPageImage* page = nullptr;
    UINT notice = 0;
    EXPECT_EQ(LoadPageAndProject(image.c_str(), nullptr, nullptr, &block, &page, &notice), PageLoadOutcome::kLoaded);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->m_nWidth, 96);
    EXPECT_GT(BlackShare(page), 0.9);
    EXPECT_NE(block, nullptr);
    FreePageLoadedPayload(reinterpret_cast<WPARAM>(block), reinterpret_cast<LPARAM>(page));

    // Without the edited copy the image that was opened loads, inverted, and
    // the project is not used.
    fs::remove(image + ".BKI");
    EXPECT_EQ(LoadPageAndProject(image.c_str(), nullptr, nullptr, &block, &page, &notice), PageLoadOutcome::kLoaded);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->m_nWidth, 64);
    EXPECT_LT(BlackShare(page), 0.1);
    EXPECT_EQ(block, nullptr);
    FreePageLoadedPayload(0, reinterpret_cast<LPARAM>(page));
    shell.convertLibrary = nullptr;
    FreeLibrary(convert);
}

TEST_F(PageLoadTest, EveryWayOutAcknowledgesOnceAndPostsWhatItShould) {
    CFakeDocumentHost shell;
    CPageCatcher catcher;
    ASSERT_TRUE(catcher.Make());
    const std::string good = Path("good.pcx");
    SaveImage(good, 40, 20, 0x00);
    const std::string broken = Path("broken.pcx");
    WriteBytes(broken, std::vector<char>(300, 'x'));
    const std::string unknown = Path("page.xyz");
    WriteBytes(unknown, std::vector<char>(10, 0));

    struct Case {
        std::string path;
        bool stopFirst;
        int posted;  // -1 nothing, 0 the empty message, else the page width
    };
    for (const Case& c : {Case{good, false, 40}, Case{good, true, -1}, Case{broken, false, 0}, Case{unknown, false, 0},
                          Case{Path("missing.pcx"), false, 0}}) {
        catcher.pages.clear();
        auto job = RunThread(c.path, catcher.GetSafeHwnd(), c.stopFirst);
        EXPECT_EQ(job->m_nAcks.load(), 1) << c.path;
        AfxPumpMessages();
        if (c.posted < 0) {
            EXPECT_TRUE(catcher.pages.empty()) << c.path;
        } else {
            ASSERT_EQ(catcher.pages.size(), 1u) << c.path;
            EXPECT_EQ(catcher.pages[0].width, c.posted == 0 ? -1 : c.posted) << c.path;
            EXPECT_FALSE(catcher.pages[0].hasBlock);
        }
    }
    catcher.DestroyWindow();
}

TEST_F(PageLoadTest, CodecPollsTheStopEventWhileReading) {
    CFakeDocumentHost shell;
    CPageCatcher catcher;
    ASSERT_TRUE(catcher.Make());
    const std::string path = Path("slow.pcx");
    CSlowPcx slow(path, 512, 256);
    auto job = std::make_unique<CPageLoadJob>();
    std::strncpy(job->m_param.szPath, path.c_str(), sizeof job->m_param.szPath - 1);
    job->m_param.hTarget = catcher.GetSafeHwnd();
    job->m_param.hStopEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    job->m_param.hAckEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    job->m_bOwnsEvents = true;
    std::thread thread([&] { ProjectLoadThread(job.get()); });
    ASSERT_TRUE(slow.WaitFirstWritten(10000));
    job->RequestStop();
    // Rows enough for the reader's next look at the stop event, not for the page.
    slow.Go();
    EXPECT_EQ(WaitForSingleObject(job->m_param.hAckEvent, 10000), WAIT_OBJECT_0);
    thread.join();
    EXPECT_EQ(job->m_nAcks.load(), 1);
    AfxPumpMessages();
    EXPECT_TRUE(catcher.pages.empty());
    catcher.DestroyWindow();
}

// --- Through the document and its page view -------------------------------------------

TEST_F(PageLoadTest, OpenedPageArrivesWithItsRegions) {
    CFakeDocumentHost shell;
    COcrDoc doc;
    CPageViewWindow window(&doc);
    const std::string image = Path("page.pcx");
    SaveImage(image, 200, 100, 0x00);
    WriteBytes(image + ".PST", ProjectBytes("PST10", "PCX", RECT{0, 0, 200, 100},
                                            {{10, 10, 90, 50, 3, kRegionHorizontal}, {100, 10, 190, 90, 0, kRegionPicture}}));
    shell.busy = true;
    EXPECT_FALSE(doc.OnOpenDocument(image.c_str()));
    ASSERT_TRUE(PumpUntil([&] { return window.view->pagesLoaded == 1; }));
    ASSERT_EQ(window.view->attachResults.size(), 1u);
    EXPECT_TRUE(window.view->attachResults[0]);
    ASSERT_NE(doc.m_pImage, nullptr);
    EXPECT_EQ(doc.m_pImage->m_nWidth, 200);
    ASSERT_NE(doc.m_pPageRegion, nullptr);
    ASSERT_EQ(doc.m_pPageRegion->GetChildCount(), 2);
    EXPECT_EQ(doc.m_pPageRegion->GetChild(0)->m_nLines, 3);
    EXPECT_EQ(doc.m_dwBkNum, 2u);
    EXPECT_TRUE(doc.m_bHasLayout);
    EXPECT_FALSE(shell.busy);
}

TEST_F(PageLoadTest, UnusableProjectFileIsReportedAndTheImageStillOpensWithoutIt) {
    CFakeDocumentHost shell;
    CSimplifiedStrings strings;
    COcrDoc doc;
    CPageViewWindow window(&doc);
    const std::string image = Path("unusable.pcx");
    SaveImage(image, 80, 40, 0x00);
    const std::vector<std::vector<int>> region{{1, 1, 30, 30, 1, 1}};
    std::vector<char> damaged = ProjectBytes("PST10", "PCX", RECT{0, 0, 80, 40}, region);
    damaged[24] = 9;  // the right magic, but a record count that runs past the end
    const std::vector<std::vector<char>> cases{ProjectBytes("PST01", "PCX", RECT{0, 0, 80, 40}, region), damaged};
    for (std::size_t i = 0; i < cases.size(); ++i) {
        shell.messages.clear();
        WriteBytes(image + ".PST", cases[i]);
        doc.OnOpenDocument(image.c_str());
        ASSERT_TRUE(PumpUntil([&] { return window.view->pagesLoaded == static_cast<int>(i) + 1; })) << i;
        EXPECT_TRUE(window.view->attachResults.back()) << i;
        ASSERT_NE(doc.m_pImage, nullptr) << i;
        EXPECT_EQ(doc.m_pImage->m_nWidth, 80) << i;
        EXPECT_EQ(doc.m_pPageRegion->GetChildCount(), 0) << i;
        EXPECT_FALSE(doc.m_bHasLayout) << i;
        EXPECT_EQ(shell.messages, std::vector<std::string>{CSimplifiedStrings::Get(IDS_OLD_PROJECT_FILE)}) << i;
        EXPECT_FALSE(shell.messages.empty() || shell.messages[0].empty()) << i;
    }
}

TEST_F(PageLoadTest, EmptyPageMessageLeavesNoPage) {
    CFakeDocumentHost shell;
    COcrDoc doc;
    CPageViewWindow window(&doc);
    const std::string image = Path("page.pcx");
    SaveImage(image, 50, 30, 0x00);
    doc.OnOpenDocument(image.c_str());
    ASSERT_TRUE(PumpUntil([&] { return window.view->pagesLoaded == 1; }));
    ASSERT_NE(doc.m_pImage, nullptr);
    window.view->hints.clear();
    window.view->PostMessage(WM_PAGELOADED, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return window.view->pagesLoaded == 2; }));
    EXPECT_FALSE(window.view->attachResults.back());
    EXPECT_EQ(doc.m_pImage, nullptr);
    EXPECT_EQ(doc.m_pPageRegion, nullptr);
    EXPECT_EQ(doc.m_dwBkNum, 0u);
    EXPECT_TRUE(window.view->HasHint(kHintRefreshTextView));
}

TEST_F(PageLoadTest, PathsTooLongForTheParameterBlockAreNotCut) {
    CFakeDocumentHost shell;
    COcrDoc doc;
    CPageViewWindow window(&doc);
    const std::string image = Path(std::string(300, 'a') + ".pcx");
    doc.OnOpenDocument(image.c_str());
    ASSERT_TRUE(PumpUntil([&] { return window.view->pagesLoaded == 1; }));
    EXPECT_FALSE(window.view->attachResults[0]);
    EXPECT_EQ(doc.m_pImage, nullptr);
    EXPECT_EQ(doc.m_pLoadThread, nullptr);
}

TEST_F(PageLoadTest, StopWhileLoadingDeliversNothing) {
    CFakeDocumentHost shell;
    COcrDoc doc;
    CPageViewWindow window(&doc);
    const std::string path = Path("slow.pcx");
    CSlowPcx slow(path, 512, 256);
    const HANDLE stop = WatchableStopEvent(doc);
    doc.OnOpenDocument(path.c_str());
    ASSERT_TRUE(slow.WaitFirstWritten(10000));
    std::thread feeder = FeedAfterStop(stop, slow);
    EXPECT_TRUE(doc.StopLoadThread());
    feeder.join();
    EXPECT_EQ(doc.m_pLoadThread, nullptr);
    AfxPumpMessages();
    EXPECT_EQ(window.view->pagesLoaded, 0);
    EXPECT_EQ(doc.m_pImage, nullptr);
}

TEST_F(PageLoadTest, SecondOpenStopsTheFirstAndShowsOnlyTheSecond) {
    CFakeDocumentHost shell;
    COcrDoc doc;
    CPageViewWindow window(&doc);
    const std::string first = Path("first.pcx");
    CSlowPcx slow(first, 512, 256);
    const std::string second = Path("second.pcx");
    SaveImage(second, 120, 60, 0x00);
    const HANDLE stop = WatchableStopEvent(doc);
    doc.OnOpenDocument(first.c_str());
    ASSERT_TRUE(slow.WaitFirstWritten(10000));
    std::thread feeder = FeedAfterStop(stop, slow);
    doc.OnOpenDocument(second.c_str());
    feeder.join();
    ASSERT_TRUE(PumpUntil([&] { return window.view->pagesLoaded >= 1; }));
    AfxPumpMessages();
    EXPECT_EQ(window.view->pagesLoaded, 1);
    ASSERT_NE(doc.m_pImage, nullptr);
    EXPECT_EQ(doc.m_pImage->m_nWidth, 120);
    EXPECT_EQ(std::string(doc.GetPathName()).find("second.pcx") != std::string::npos, true);
}

TEST_F(PageLoadTest, QueuedPageOfAStoppedLoadIsDroppedAndFreed) {
    CFakeDocumentHost shell;
    COcrDoc doc;
    CPageViewWindow window(&doc);
    const std::string first = Path("first.pcx");
    SaveImage(first, 70, 30, 0x00);
    WriteBytes(first + ".PST", ProjectBytes("PST10", "PCX", RECT{0, 0, 70, 30}, {{1, 1, 20, 20, 1, 1}}));
    const std::string second = Path("second.pcx");
    SaveImage(second, 90, 30, 0x00);
    doc.OnOpenDocument(first.c_str());
    // The first page is posted but not taken: nothing pumps meanwhile.
    ASSERT_TRUE(doc.m_pLoadThread->Join(10000));
    MSG msg;
    ASSERT_TRUE(PeekMessage(&msg, window.view->GetSafeHwnd(), WM_PAGELOADED, WM_PAGELOADED, PM_NOREMOVE));
    doc.OnOpenDocument(second.c_str());
    ASSERT_TRUE(PumpUntil([&] { return window.view->pagesLoaded >= 1; }));
    AfxPumpMessages();
    EXPECT_EQ(window.view->pagesLoaded, 1);
    ASSERT_NE(doc.m_pImage, nullptr);
    EXPECT_EQ(doc.m_pImage->m_nWidth, 90);
    EXPECT_EQ(doc.m_pPageRegion->GetChildCount(), 0);
}

TEST_F(PageLoadTest, StopWaitIsBoundedWhileTheThreadIsStuckAndCodecMessagesComeWithThePage) {
    CFakeDocumentHost shell;
    CSimplifiedStrings strings;
    SetPageLoadStopTimeout(200);
    // A pipe nobody writes: the reader waits in its open for ever.
    const std::string stuck = Path("stuck.pcx");
    ASSERT_EQ(mkfifo(stuck.c_str(), 0600), 0);
    const std::string image = Path("page.bmp");
    WriteBytes(image, std::vector<char>(100, 0));
    {
        COcrDoc doc;
        CPageViewWindow window(&doc);
        doc.OnOpenDocument(stuck.c_str());
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        HANDLE oldStop = doc.m_hStopEvent;
        EXPECT_FALSE(doc.StopLoadThread());
        EXPECT_EQ(doc.m_pLoadThread, nullptr);
        EXPECT_NE(doc.m_hStopEvent, oldStop);
        EXPECT_EQ(ReapAbandonedLoadThreads(0), 1);
        // The document goes on with fresh events. Without the conversion
        // library the reader has something to say: never in a box on the
        // load thread, which ends at once, but with the page on this thread.
        doc.OnOpenDocument(image.c_str());
        ASSERT_NE(doc.m_pLoadThread, nullptr);
        ASSERT_TRUE(doc.m_pLoadThread->Join(10000)) << "no box holds the load thread";
        EXPECT_TRUE(shell.messages.empty());
        ASSERT_TRUE(PumpUntil([&] { return window.view->pagesLoaded == 1; }));
        EXPECT_EQ(doc.m_pImage, nullptr);
        ASSERT_EQ(shell.messages.size(), 1u) << "one box, naming the page, with the reader's words";
        EXPECT_EQ(shell.messages[0].rfind(CSimplifiedStrings::Get(IDS_PAGE_NOT_LOADED).substr(0, 4), 0), 0u);
        EXPECT_NE(shell.messages[0].find("page.bmp"), std::string::npos) << shell.messages[0];
        const std::string next = Path("next.pcx");
        SaveImage(next, 30, 30, 0x00);
        doc.OnOpenDocument(next.c_str());
        ASSERT_TRUE(PumpUntil([&] { return window.view->pagesLoaded == 2; }));
        ASSERT_NE(doc.m_pImage, nullptr);
        EXPECT_EQ(doc.m_pImage->m_nWidth, 30);
    }
    // The pipe opens and ends after the document is gone: the thread ends
    // without posting and is deleted with its job.
    const int fd = open(stuck.c_str(), O_WRONLY | O_NONBLOCK);
    EXPECT_GE(fd, 0);
    if (fd >= 0) close(fd);
    EXPECT_EQ(ReapAbandonedLoadThreads(10000), 0);
    unlink(stuck.c_str());
}

TEST_F(PageLoadTest, GreyPageWithRegionsAndNoSelectedRowStaysAttached) {
    CFakeDocumentHost shell;
    COcrDoc doc;
    CPageViewWindow window(&doc);
    // An 8-bit grey page of 64 x 32.
    const int width = 64, height = 32, stride = 64;
    HDIB dib = GlobalAlloc(GHND, sizeof(BITMAPINFOHEADER) + 256 * 4 + stride * height);
    auto* base = static_cast<BYTE*>(GlobalLock(dib));
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(base);
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = width;
    header->biHeight = height;
    header->biPlanes = 1;
    header->biBitCount = 8;
    for (int i = 0; i < 256; ++i) std::memset(base + sizeof(BITMAPINFOHEADER) + 4 * i, i, 3);
    std::memset(base + sizeof(BITMAPINFOHEADER) + 1024, 200, stride * height);
    GlobalUnlock(dib);
    auto* page = new CPageImage;
    ASSERT_EQ(page->AttachDib(dib), 0);
    const std::vector<char> bytes = ProjectBytes("PST10", "PCX", RECT{0, 0, width, height}, {{2, 2, 30, 20, 1, 1}});
    HGLOBAL block = GlobalAlloc(GHND, bytes.size() + 8);
    std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
    GlobalUnlock(block);
    ASSERT_EQ(shell.currentRow, -1);
    EXPECT_TRUE(doc.AttachLoadedPage(block, page));
    EXPECT_EQ(doc.m_pImage, page);
    EXPECT_EQ(doc.m_pPageRegion->GetChildCount(), 1);
}

TEST_F(PageLoadTest, SynchronousOpenDeliversThroughTheView) {
    CFakeDocumentHost shell;
    COcrDoc doc;
    CPageViewWindow window(&doc);
    const std::string image = Path("now.pcx");
    SaveImage(image, 48, 24, 0x00);
    WriteBytes(image + ".PST", ProjectBytes("PST10", "PCX", RECT{0, 0, 48, 24}, {{1, 1, 20, 20, 2, 1}}));
    EXPECT_TRUE(doc.OpenPageNow(image.c_str()));
    EXPECT_EQ(window.view->pagesLoaded, 1);
    ASSERT_NE(doc.m_pImage, nullptr);
    EXPECT_EQ(doc.m_pPageRegion->GetChildCount(), 1);
    EXPECT_EQ(doc.m_pLoadThread, nullptr);

    HGLOBAL block = nullptr;
    CPageImage* page = nullptr;
    EXPECT_EQ(doc.ReadProjectFile(Path("none.xyz").c_str(), &block, &page), 1);
    EXPECT_EQ(page, nullptr);
    WriteBytes(Path("bad.pcx"), std::vector<char>(200, 'z'));
    EXPECT_EQ(doc.ReadProjectFile(Path("bad.pcx").c_str(), &block, &page), 2);
    EXPECT_EQ(page, nullptr);
    EXPECT_EQ(block, nullptr);
}
