// Batch recognition side by side: what several workers write equals what
// one worker writes and what the open document's own recognition writes;
// the window hears of pieces, lines, pages and the end through posted
// messages; a stop ends the run quickly, never starts later pages and leaves
// the project files of unfinished pages as they were.
#include <gtest/gtest.h>

#include <chrono>
#include <map>

#include "ocrdoc/document/project_file.h"
#include "ocrdoc/task/batch_recognizer.h"
#include "ocrdoc/task/tests/task_fixtures.h"

using namespace taskfix;

namespace {

class CBatchWindow : public CFrameWnd {
public:
    int pieces = 0, lineReports = 0, ends = 0;
    WPARAM recognised = 0;
    std::vector<BatchPageDone> pages;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case WM_BATCH_PIECE:
            if (TakeBatchPiece(lParam)) ++pieces;
            return 0;
        case WM_BATCH_LINES:
            if (TakeBatchLines(lParam)) ++lineReports;
            return 0;
        case WM_BATCH_PAGE:
            if (auto page = TakeBatchPage(lParam)) pages.push_back(*page);
            return 0;
        case WM_BATCH_END:
            ++ends;
            recognised = wParam;
            return 0;
        default: return CFrameWnd::WindowProc(message, wParam, lParam);
        }
    }
};

struct PageSpec {
    const char* name;
    int language;  // 0 simplified, 1 simplified and traditional, 2 English
    int type;      // 0 auto, 3 table
    unsigned seed;
};

const PageSpec kPages[] = {{"s1.tif", 0, 0, 1}, {"s2.tif", 0, 0, 2}, {"t1.tif", 1, 0, 3},
                           {"e1.tif", 2, 0, 4}, {"tab.tif", 0, 3, 5}, {"s3.tif", 0, 0, 6}};

testpages::Page Render(const PageSpec& spec) {
    const testpages::Style style{40};
    if (spec.type == 3) return testpages::tablePage("表", {{"名称", "数量"}, {"苹果", "12"}}, false, style);
    const std::vector<std::string> text = spec.language == 2   ? testpages::englishText(spec.seed, 1)
                                          : spec.language == 1 ? testpages::traditionalText(spec.seed, 1)
                                                               : testpages::simplifiedText(spec.seed, 1);
    return testpages::textPage(text, 900, 360, style);
}

class BatchRecognition : public ::testing::Test {
protected:
    void SetUp() override {
        AfxWinInit();
        testpages::ensureGui();
        convert = LoadLibraryA("Convert.dll");
        ASSERT_NE(convert, nullptr);
        shell.convertLibrary = convert;
    }
    void TearDown() override {
        shell.convertLibrary = nullptr;
        if (convert) FreeLibrary(convert);
    }
    // Saves the pages into folder and gives their plan.
    std::vector<BatchPagePlan> Plan(const TempFolder& folder) {
        std::vector<BatchPagePlan> plan;
        const PageSettings names = PageSettings::Defaults();
        int row = 0;
        for (const PageSpec& spec : kPages) {
            BatchPagePlan page;
            page.row = row++;
            page.path = folder / spec.name;
            const testpages::Page rendered = Render(spec);
            EXPECT_TRUE(SavePlaneAsImage(rendered.plane, page.path));
            sizes[page.path] = {rendered.plane.width, rendered.plane.height};
            page.settings = names;
            page.settings.valid = true;
            page.settings.language = names.languageNames[spec.language];
            page.settings.type = names.typeNames[spec.type];
            plan.push_back(page);
        }
        return plan;
    }

    CFakeDocumentHost shell;
    CSimplifiedStrings strings;
    HMODULE convert = nullptr;
    std::map<std::string, std::pair<int, int>> sizes;
};

}  // namespace

TEST_F(BatchRecognition, SideBySideWritesWhatOneAtATimeWrites) {
    TempFolder one("batch_one"), four("batch_four");
    CBatchRecognizer single(Plan(one), 0);
    ASSERT_TRUE(single.Start(1, nullptr));
    ASSERT_TRUE(single.Wait(120000));
    CBatchRecognizer parallel(Plan(four), 0);
    ASSERT_TRUE(parallel.Start(4, nullptr));
    ASSERT_TRUE(parallel.Wait(120000));
    const auto a = single.Results(), b = parallel.Results();
    ASSERT_EQ(a.size(), std::size(kPages));
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].outcome, BatchPageOutcome::kRecognised) << kPages[i].name;
        EXPECT_EQ(b[i].outcome, BatchPageOutcome::kRecognised) << kPages[i].name;
        EXPECT_GT(a[i].lines, 0) << kPages[i].name;
        EXPECT_EQ(a[i].lines, b[i].lines) << kPages[i].name;
        const std::string pst = Read(one / (std::string(kPages[i].name) + ".PST"));
        EXPECT_GT(pst.size(), 28u) << kPages[i].name;
        EXPECT_EQ(pst, Read(four / (std::string(kPages[i].name) + ".PST"))) << kPages[i].name;
        const std::string txt = Read(one / (std::string(kPages[i].name) + ".TXT"));
        EXPECT_FALSE(txt.empty()) << kPages[i].name;
        EXPECT_EQ(txt, Read(four / (std::string(kPages[i].name) + ".TXT"))) << kPages[i].name;
    }
}

TEST_F(BatchRecognition, WorkerWritesWhatTheOpenDocumentsRecognitionWrites) {
    TempFolder docFolder("batch_doc"), workerFolder("batch_worker");
    std::vector<BatchPagePlan> plan = Plan(workerFolder);
    Plan(docFolder);
    CBatchRecognizer run(plan, 0);
    ASSERT_TRUE(run.Start(2, nullptr));
    ASSERT_TRUE(run.Wait(120000));

    OpenDocument open(shell);
    for (std::size_t i = 0; i < plan.size(); ++i) {
        const std::string path = docFolder / kPages[i].name;
        shell.rowCount = 1;
        shell.currentRow = 0;
        shell.cells[{0, kPageListPath}] = path;
        shell.cells[{0, kPageListLanguage}] = plan[i].settings.language;
        shell.cells[{0, kPageListType}] = plan[i].settings.type;
        ASSERT_TRUE(open.Open(path));
        open.doc.RecognizePage();
        ASSERT_TRUE(open.doc.SaveModified());
        EXPECT_EQ(Read(path + ".PST"), Read(plan[i].path + ".PST")) << kPages[i].name;
        EXPECT_EQ(Read(path + ".TXT"), Read(plan[i].path + ".TXT")) << kPages[i].name;
    }
}

TEST_F(BatchRecognition, WindowHearsPiecesLinesPagesAndTheEnd) {
    TempFolder folder("batch_window");
    CBatchWindow* window = new CBatchWindow;
    ASSERT_TRUE(window->Create(nullptr, "Batch"));
    {
        CBatchRecognizer run(Plan(folder), 1);
        ASSERT_TRUE(run.Start(3, window->GetSafeHwnd()));
        ASSERT_TRUE(PumpUntil([&] { return window->ends > 0; }, 120000));
        EXPECT_EQ(window->ends, 1);
        EXPECT_EQ(window->pages.size(), std::size(kPages));
        EXPECT_EQ(window->recognised, std::size(kPages));
        EXPECT_GT(window->pieces, 10);
        EXPECT_GT(window->lineReports, 0);
        EXPECT_EQ(run.PagesEnded(), static_cast<int>(std::size(kPages)));
    }
    window->DestroyWindow();
    AfxPumpMessages();
}

TEST_F(BatchRecognition, StopEndsTheRunAndLeavesUnfinishedPagesAsTheyWere) {
    TempFolder folder("batch_stop");
    std::vector<BatchPagePlan> plan = Plan(folder);
    // Every page starts with an old project file of its own.
    std::map<std::string, std::string> old;
    for (const BatchPagePlan& page : plan) {
        ProjectContents contents;
        std::memcpy(contents.tag, "tif", 3);
        contents.page = RECT{0, 0, sizes[page.path].first, sizes[page.path].second};
        const std::vector<BYTE> bytes = FormatProject(contents);
        const std::string pst(bytes.begin(), bytes.end());
        old[page.path] = pst;
        Write(page.path + ".PST", pst);
    }
    CBatchRecognizer run(plan, 0);
    ASSERT_TRUE(run.Start(2, nullptr));
    const auto start = std::chrono::steady_clock::now();
    while (run.PagesEnded() < 1 && std::chrono::steady_clock::now() - start < std::chrono::seconds(60))
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    run.Stop();
    const auto stopped = std::chrono::steady_clock::now();
    ASSERT_TRUE(run.Wait(30000));
    EXPECT_LT(std::chrono::steady_clock::now() - stopped, std::chrono::seconds(3));
    int finished = 0, untouched = 0;
    for (const BatchPageDone& done : run.Results()) {
        const std::string pst = Read(done.path + ".PST");
        if (done.outcome == BatchPageOutcome::kRecognised) {
            ++finished;
            EXPECT_NE(pst, old[done.path]);
        } else {
            ++untouched;
            EXPECT_TRUE(done.outcome == BatchPageOutcome::kStopped || done.outcome == BatchPageOutcome::kNotStarted)
                << static_cast<int>(done.outcome);
            EXPECT_EQ(pst, old[done.path]) << done.path;
            EXPECT_FALSE(fs::exists(done.path + ".TXT"));
        }
    }
    EXPECT_GE(finished, 1);
    EXPECT_GE(untouched, 1);
}

TEST_F(BatchRecognition, RedoOptionIgnoresStoredResultsAndMissingPagesAreReported) {
    TempFolder folder("batch_redo");
    std::vector<BatchPagePlan> plan = Plan(folder);
    plan.resize(1);
    BatchPagePlan missing = plan[0];
    missing.path = folder / "missing.tif";
    plan.push_back(missing);
    CBatchRecognizer first(plan, 2);
    EXPECT_EQ(first.RunPage(0).outcome, BatchPageOutcome::kRecognised);
    EXPECT_EQ(first.RunPage(1).outcome, BatchPageOutcome::kLoadFailed);
    const std::string written = Read(plan[0].path + ".PST");
    CBatchRecognizer again(plan, 2);
    EXPECT_EQ(again.RunPage(0).outcome, BatchPageOutcome::kRecognised);
    EXPECT_EQ(Read(plan[0].path + ".PST"), written);
    EXPECT_EQ(again.RunPage(7).outcome, BatchPageOutcome::kNotStarted);
}
