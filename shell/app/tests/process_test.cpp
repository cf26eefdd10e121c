// Two real processes: the program started by the test runs in this process
// (each case in a process of its own, as ctest runs them: a process publishes
// its windows once, in the window-lookup folder of its first test)
// (so its page list can be read), and real Scribant processes are started
// beside it with the same home. A hand-off arrives in bounded time, a start
// without an image only raises the running window, many starts at once lose
// no line, and a foreign window whose title begins like ours gets nothing.
#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "platform/win/files.h"
#include "platform/win/library.h"
#include "platform/win/process.h"
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
    // Starts the real program; the exit code once it ended (pumping this
    // process's messages meanwhile), -1 when it ran past `ms`.
    HANDLE launch(const std::vector<std::string>& args) {
        return suite::StartProgram(suite::WindowsPath(program), args);
    }
    long finish(HANDLE process, int ms = 20000) {
        long code = -1;
        PumpUntil([&] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, ms);
        DWORD exit = 0;
        if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0 && GetExitCodeProcess(process, &exit)) {
            code = exit;
        } else {
            // A start that did not end (it took the line back and started in
            // full) is not left running.
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 5000);
        }
        CloseHandle(process);
        return code;
    }
    fs::path image(const std::string& name) {
        const fs::path p = root_ / name;
        std::ofstream(p) << "x";
        return p;
    }
    std::string program;
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

TEST_F(TwoProcesses, AStartWithoutAnImageOnlyRaises) {
    EXPECT_GE(finish(launch({})), 0);
    EXPECT_GE(finish(launch({image("notes.pdf").string()})), 0);
    AfxPumpMessages();
    EXPECT_EQ(app_->PageListRowCount(), 0);
    EXPECT_TRUE(app_->Queue().TakeAll().empty());
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
    for (HANDLE h : starts) EXPECT_GE(finish(h, 60000), 0);
    ASSERT_TRUE(PumpUntil([&] { return app_->PageListRowCount() == 20; }, 20000)) << app_->PageListRowCount();
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
