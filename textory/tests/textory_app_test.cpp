// Textory started in this process on a rendered page: the job runs to its
// output and asks to close once; then, with the page still open, the
// workflow is driven through the frame's messages (1286, WM_USER+1100 to
// +1110): a full plan scans (the acquisition stands in), finds regions,
// recognises and outputs to a file, and the job's own output is never
// written again.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>

#include "platform/afx/afxwin.h"
#include "ocrdoc/document/ocr_doc.h"
#include "ocrdoc/document/tests/pipeline_fixtures.h"
#include "outside/tests/pages.h"
#include "platform/afx/ui/msgbox.h"
#include "platform/win/library.h"
#include "platform/win/path.h"
#include "platform/win/tests/scratch_folder.h"
#include "shell/app/tests/scribant_fixture.h"
#include "shell/tests/fake_shell_services.h"
#include "textory/app/textory_app.h"
#include "textory/app/textory_ids.h"

namespace {

namespace fs = std::filesystem;

class TestTextoryApp : public CTextoryApp {
public:
    int closeRequests = 0;
    std::vector<std::string> scans;

protected:
    WORD ReadSystemLanguage() const override { return 2052; }
    void StartupMessage(const std::string&) override {}
    void ErrorLine(const std::string&) override {}
    void CloseMainWindow() override { ++closeRequests; }
    bool AcquireScan(const std::string& target) override {
        scans.push_back(target);
        return true;
    }
};

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(TextoryInProcess, TheJobThenTheWorkflowThroughTheFramesMessages) {
    suite_test::ScratchFolder scratch;
    ::setenv("SUITE_REGISTRY_USER", (scratch / "user.db").c_str(), 1);
    ::setenv("SUITE_RUNTIME_DIR", (scratch / "runtime").c_str(), 1);
    fs::create_directories(scratch / "runtime");
    AfxWinInit();
    AfxTestScript::Enable(true);
    testpages::ensureGui();
    const std::string image = scratch / "page.tif";
    {
        // The codecs write through the conversion library.
        CFakeShellServices writer;
        writer.convertLibrary = LoadLibraryA("Convert.dll");
        ASSERT_NE(writer.convertLibrary, nullptr);
        const testpages::Page page =
            testpages::textPage({"今天天气很好我们一起去公园散步"}, 1100, 420, testpages::Style{50, 0, 0, 3});
        ASSERT_TRUE(SavePlaneAsImage(page.plane, image));
        FreeLibrary(writer.convertLibrary);
    }
    const std::string jobOutput = scratch / "job.txt";

    TestTextoryApp app;
    app.m_args.emplace_back(image.c_str());
    app.m_args.emplace_back(jobOutput.c_str());
    ASSERT_TRUE(app.InitInstance());
    ASSERT_NE(app.m_pMainWnd, nullptr);
    CWnd* frame = app.m_pMainWnd;
    ASSERT_TRUE(scribanttest::PumpUntil([&] { return app.closeRequests > 0; }, 120000));
    EXPECT_EQ(app.Job().Status(), textory::kExitWritten);
    const std::string written = readBytes(jobOutput);
    ASSERT_GT(written.size(), 4u);
    ASSERT_NE(app.CurrentDocument(), nullptr);

    EXPECT_EQ(frame->SendMessage(WM_QUERYREADY, 0, 0), 1);
    EXPECT_EQ(frame->SendMessage(WM_RUNNEXTSTEP, 0, 0), 1);
    EXPECT_TRUE(app.m_workflow.IsIdle());

    // The scan button: a full plan that waits for its page.
    app.m_workflow.outputToWord = false;
    frame->SendMessage(WM_SCANBUTTON, 0, 0);
    ASSERT_EQ(app.scans.size(), 1u);
    EXPECT_EQ(app.scans[0], app.m_strDataDir + "\\image\\OR001.jpg");
    EXPECT_TRUE(fs::is_directory(suite::NativePath(app.m_strDataDir + "\\image")));
    EXPECT_FALSE(app.m_workflow.IsIdle());
    EXPECT_EQ(app.m_workflow.Steps().FirstPending(), 0);
    frame->SendMessage(WM_SCANBUTTON, 0, 0);
    EXPECT_EQ(app.scans.size(), 1u) << "no second start while the scan runs";

    // The page has arrived: regions, recognition, output to a file.
    const std::string exported = scratch / "exported.txt";
    AfxTestScript::QueueFile(exported);
    frame->SendMessage(WM_SCANDONE, 0, 0);
    ASSERT_TRUE(scribanttest::PumpUntil([&] { return app.m_workflow.IsIdle(); }, 120000));
    EXPECT_TRUE(fs::exists(exported));
    EXPECT_EQ(readBytes(jobOutput), written) << "the job's output is never written again";
    EXPECT_EQ(app.closeRequests, 1) << "a workflow recognition does not close the program";

    frame->SendMessage(WM_STARTSCAN, 0, 0);
    EXPECT_EQ(app.scans.size(), 2u);
    app.m_workflow.Steps().SetPending(3, 1);
    frame->SendMessage(WM_OUTPUTDONE, 0, 0);
    EXPECT_EQ(app.m_workflow.Steps().IsPending(3), 0);

    frame->DestroyWindow();
    app.m_pMainWnd = nullptr;
    app.ExitInstance();
    AfxTestScript::Clear();
}

}  // namespace
