// Two real processes: the program started by the test runs in this process
// (each case in a process of its own, as ctest runs them: a process publishes
// its windows once, in the window-lookup folder of its first test)
// (so its page list can be read), and real Scribant processes are started
// beside it with the same home. A hand-off arrives in bounded time, a start
// without an image only raises the running window, many starts at once lose
// no line, and a foreign window whose title begins like ours gets nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>

#include "imaging/pdf/pdf_page_access.h"
#include "outside/convert/packed_dib.h"
#include "platform/win/files.h"
#include "platform/win/library.h"
#include "platform/win/process.h"
#include "platform/win/profile.h"
#include "platform/win/sync.h"
#include "shell/app/tests/scribant_fixture.h"
#include "shell/frame/main_frame.h"

namespace scribanttest {
namespace {

std::string ProgramPath() {
    char self[1024] = {};
    GetModuleFileNameA(nullptr, self, sizeof self - 1);
    return suite::NativePathOfEither(self);
}

class TwoProcesses : public ScribantHome {
protected:
    void SetUp() override {
        ScribantHome::SetUp();
        app_ = std::make_unique<TestScribantApp>();
        app_->m_strInstanceName = "Scribant";  // as the real program names it
        ASSERT_TRUE(app_->InitInstance());
        program = (fs::path(ProgramPath()).parent_path() / "Scribant").string();
        ASSERT_TRUE(fs::exists(program));
    }
    void TearDown() override {
        // Every start still running ends here, within a bound: a copy that
        // took its line back and started in full must not outlive the test.
        for (HANDLE h : started_) {
            if (WaitForSingleObject(h, 0) != WAIT_OBJECT_0) {
                TerminateProcess(h, 1);
                WaitForSingleObject(h, 5000);
            }
            CloseHandle(h);
        }
        started_.clear();
        ScribantHome::TearDown();
    }
    // Starts the real program with its output in a file of the test's folder
    // (never the test runner's), kept until the teardown.
    HANDLE launch(const std::vector<std::string>& args) {
        const std::string log = suite::WindowsPath((root_ / "starts.log").string());
        HANDLE out = CreateFileA(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0,
                                 nullptr);
        std::vector<std::string> all{suite::WindowsPath(program)};
        all.insert(all.end(), args.begin(), args.end());
        std::string line = suite::JoinCommandLine(all);
        STARTUPINFOA si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = out;
        si.hStdError = out;
        PROCESS_INFORMATION pi{};
        const BOOL started = CreateProcessA(all[0].c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
        if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
        if (!started) return nullptr;
        CloseHandle(pi.hThread);
        started_.push_back(pi.hProcess);
        return pi.hProcess;
    }
    // The exit code of a start once it ended (pumping this process's
    // messages meanwhile, until `deadline`); -1 when it was still running,
    // and then it is ended.
    long finish(HANDLE process, std::chrono::steady_clock::time_point deadline) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        PumpUntil([&] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; },
                  static_cast<int>(std::max<long long>(0, left.count())));
        DWORD exit = 0;
        if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0 && GetExitCodeProcess(process, &exit)) return exit;
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 5000);
        return -1;
    }
    long finish(HANDLE process, int ms = 20000) {
        return finish(process, std::chrono::steady_clock::now() + std::chrono::milliseconds(ms));
    }
    std::string startsLog() const {
        std::ifstream in(root_ / "starts.log");
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    fs::path image(const std::string& name) {
        const fs::path p = root_ / name;
        std::ofstream(p) << "x";
        return p;
    }
    std::string program;
    std::vector<HANDLE> started_;
};

TEST_F(TwoProcesses, AnImageHandedOverOpensInTheRunningProgram) {
    const fs::path page = image("handed over.tif");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_GE(finish(launch({page.string()})), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
    ASSERT_TRUE(PumpUntil([&] { return app_->PageListRowCount() == 1; }));
    EXPECT_EQ(app_->PageListItemText(0, kPageListPath), suite::WindowsPath(page.string()));
    EXPECT_TRUE(app_->Queue().TakeAll().empty());
}

TEST_F(TwoProcesses, APdfHandedOverIsSplitInTheRunningProgram) {
    convert::DibBuilder picture;
    ASSERT_TRUE(picture.create(120, 80, 8, 3937, 3937));
    HDIB dib = picture.release();
    const std::string one = (root_ / "one.pdf").string(), pdf = (root_ / "handed over.pdf").string();
    ASSERT_EQ(SaveDibAsPdf(0, dib, one.c_str()), 0);
    GlobalFree(dib);
    const std::string join = "qpdf --empty --pages '" + one + "' '" + one + "' '" + one + "' -- '" + pdf + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(join.c_str()), 0);
    EXPECT_GE(finish(launch({pdf})), 0);
    // Every page of it is listed in the running program, none left queued.
    ASSERT_TRUE(PumpUntil([&] { return app_->PageListRowCount() == 3; }, 20000)) << app_->PageListRowCount();
    EXPECT_NE(app_->PageListItemText(2, kPageListPath).find("handed over_00003.pdf"), std::string::npos);
    EXPECT_TRUE(app_->Queue().TakeAll().empty());
}

TEST_F(TwoProcesses, AStartWithoutAnImageOnlyRaises) {
    EXPECT_GE(finish(launch({})), 0);
    EXPECT_GE(finish(launch({image("notes.doc").string()})), 0);
    AfxPumpMessages();
    EXPECT_EQ(app_->PageListRowCount(), 0);
    EXPECT_TRUE(app_->Queue().TakeAll().empty());
}

TEST_F(TwoProcesses, AHandOffStartLeavesTheRunningProgramsFilesAndSettingsAlone) {
    // The running program's work files and a setting it has not written yet.
    const fs::path work = Data() / "WORK" / "atemp000.txt";
    std::ofstream(work) << "the running program's page text";
    EXPECT_GE(finish(launch({image("handed over.tif").string()})), 0);
    ASSERT_TRUE(PumpUntil([&] { return app_->PageListRowCount() == 1; }));
    EXPECT_TRUE(fs::exists(work));
    suite::AppProfile profile("Scribant");
    profile.SetRegistryKey("Orvane");
    EXPECT_EQ(profile.GetProfileIntA("Config", "AutoOpenRtf", 77), 77u);
    EXPECT_EQ(profile.GetProfileStringA("Recent File List", "File1", "none"), "none");
}

// A program whose start is slow: between taking the single-instance lock and
// making its window it runs `whileStarting` (what the desktop does when it
// opens two files at once: the second start comes in meanwhile).
class SlowStartingApp : public TestScribantApp {
public:
    std::function<void()> whileStarting;

protected:
    WORD ReadSystemLanguage() const override {
        if (auto run = std::move(const_cast<SlowStartingApp*>(this)->whileStarting)) run();
        return TestScribantApp::ReadSystemLanguage();
    }
};

TEST_F(TwoProcesses, TwoFilesOpenedTogetherEndUpInOneWindow) {
    Stop();  // the running program of the other cases: here nothing runs yet
    const fs::path first = image("first.tif");
    const fs::path second = image("second.tif");
    auto slow = std::make_unique<SlowStartingApp>();
    slow->m_strInstanceName = "Scribant";
    slow->m_args.emplace_back(first.string().c_str());
    const std::string queueFile = (Data() / "WORK" / "Zoduvezevav.txt").string();
    HANDLE secondStart = nullptr;
    slow->whileStarting = [&] {
        secondStart = launch({second.string()});
        // The second start has found the lock taken and no window yet.
        PumpUntil([&] {
            std::ifstream in(queueFile);
            std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            return text.find("second.tif") != std::string::npos;
        }, 10000);
        Sleep(300);
    };
    app_ = std::move(slow);
    ASSERT_TRUE(app_->InitInstance());
    ASSERT_NE(secondStart, nullptr);
    EXPECT_GE(finish(secondStart), 0);
    ASSERT_TRUE(PumpUntil([&] { return app_->PageListRowCount() == 2; }, 20000))
        << app_->PageListRowCount() << " rows; what the second start said:\n" << startsLog();
    EXPECT_EQ(app_->PageListItemText(1, kPageListPath), suite::WindowsPath(second.string()));
}

TEST_F(TwoProcesses, TwentyStartsAtOnceLoseNoLine) {
    std::vector<HANDLE> starts;
    std::set<std::string> expected;
    for (int i = 0; i < 20; ++i) {
        const fs::path page = image("page" + std::to_string(100 + i) + ".tif");
        expected.insert(suite::WindowsPath(page.string()));
        starts.push_back(launch({page.string()}));
        ASSERT_NE(starts.back(), nullptr);
    }
    // One bound for all of them, well inside the test's own time limit.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    for (HANDLE h : starts) EXPECT_GE(finish(h, deadline), 0);
    ASSERT_TRUE(PumpUntil([&] { return app_->PageListRowCount() == 20; }, 20000))
        << app_->PageListRowCount() << " rows; what the starts said:\n" << startsLog();
    std::set<std::string> listed;
    for (int r = 0; r < 20; ++r) listed.insert(app_->PageListItemText(r, kPageListPath));
    EXPECT_EQ(listed, expected);
}

// A window of another program whose title begins with the product title.
class CForeignWindow : public CFrameWnd {
public:
    int handOffs = 0;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        if (LOWORD(wParam) == 1285) ++handOffs;
        return CFrameWnd::OnCommand(wParam, lParam);
    }
};

TEST_F(TwoProcesses, AForeignWindowWithALikeTitleGetsNothing) {
    CForeignWindow* foreign = new CForeignWindow;
    ASSERT_TRUE(foreign->Create(nullptr, "Scribant notes"));
    foreign->ShowWindow(SW_SHOW);
    const fs::path page = image("for us.tif");
    EXPECT_GE(finish(launch({page.string()})), 0);
    ASSERT_TRUE(PumpUntil([&] { return app_->PageListRowCount() == 1; }));
    EXPECT_EQ(foreign->handOffs, 0);
    foreign->DestroyWindow();
}

}  // namespace
}  // namespace scribanttest
