// The batch recognition window over real pages and engines: Stop in the
// second of five pages ends that page, starts no further page and closes the
// window by itself; the panel shows the recognised text while the run goes
// on (grabbed); Esc and the close box only stop a run; pages that cannot be
// loaded (a damaged or missing file, a depth the codec does not read) are
// named without a box during the run, and the run still ends.
#include <gtest/gtest.h>

#include <QImage>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "shell/batch/tests/batch_window_fixture.h"

using namespace taskfix;

namespace {

class BatchDialog : public batchtest::BatchWindowTest {
protected:
    // Five simplified pages listed and selected.
    void ListPages(const TempFolder& folder, int count) {
        std::vector<int> rows;
        for (int i = 0; i < count; ++i) {
            const std::string path = folder / ("page" + std::to_string(i + 1) + ".tif");
            const testpages::Page page =
                testpages::textPage(testpages::simplifiedText(static_cast<unsigned>(i + 11), 1), 900, 360,
                                    testpages::Style{40});
            ASSERT_TRUE(SavePlaneAsImage(page.plane, path));
            AddRow(shell, path, 0, 0);
            rows.push_back(i);
        }
        SelectRows(shell, rows);
    }
};


// The run was stopped once page `from` was shown: the pages before the stop
// are recognised, at most one page ends stopped, and every later page never
// started. A loaded machine may finish a page or two more before the stop
// arrives, but never the whole run.
::testing::AssertionResult EndsStoppedAfterRecognisedPages(const std::vector<BatchPageDone>& results,
                                                           std::size_t from) {
    std::size_t first = 0;
    while (first < results.size() && results[first].outcome == BatchPageOutcome::kRecognised) ++first;
    if (first < from) return ::testing::AssertionFailure() << "page " << first << " not recognised";
    if (first + 1 >= results.size()) return ::testing::AssertionFailure() << "the run was not stopped";
    std::size_t next = first;
    if (results[next].outcome == BatchPageOutcome::kStopped) ++next;
    for (; next < results.size(); ++next)
        if (results[next].outcome != BatchPageOutcome::kNotStarted)
            return ::testing::AssertionFailure() << "page " << next << " ran after the stop";
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST_F(BatchDialog, StopInTheSecondOfFivePagesEndsTheRunAndTheWindow) {
    TempFolder folder("batch_dialog_stop");
    ListPages(folder, 5);
    CDlgBatchRecog dialog(IDD_BATCH_COUNTER, CDlgBatchRecog::kCounterMode, nullptr, nullptr);
    dialog.m_nWorkers = 1;
    std::vector<int> shown;
    shell.onSelectItem = [&](int row) {
        shown.push_back(row);
        // The Stop button while the second page is shown.
        if (row == 1) dialog.SendMessage(WM_COMMAND, IDCANCEL, 0);
    };
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(120));
    ASSERT_GE(shown.size(), 2u);
    EXPECT_EQ(shown[0], 0);
    EXPECT_EQ(shown[1], 1);
    ASSERT_NE(dialog.Run(), nullptr);
    const std::vector<BatchPageDone> results = dialog.Run()->Results();
    ASSERT_EQ(results.size(), 5u);
    EXPECT_EQ(results[0].outcome, BatchPageOutcome::kRecognised);
    EXPECT_TRUE(EndsStoppedAfterRecognisedPages(results, 1));
    // Pages never started keep no project file; the first page has its own.
    EXPECT_TRUE(fs::exists(folder / "page1.tif.PST") || fs::exists(folder / "PAGE1.TIF.PST"));
    EXPECT_FALSE(fs::exists(folder / "page5.tif.PST"));
    EXPECT_EQ(dialog.m_bStop, 1);
}

TEST_F(BatchDialog, PanelShowsTheRecognisedTextWhileTheRunGoesOn) {
    TempFolder folder("batch_dialog_panel");
    ListPages(folder, 2);
    CDlgBatchRecog dialog(IDD_BATCH_COUNTER, CDlgBatchRecog::kCounterMode, nullptr, nullptr);
    dialog.m_nWorkers = 2;
    std::string grab;
    int textLines = -1;
    CString countText, fileText;
    RECT panel{};
    shell.onSelectItem = [&](int row) {
        if (row != 1) return;
        panel = dialog.PanelRect();
        // The first page's text is in the panel when the second is shown.
        textLines = dialog.Panel().CurrentLine();
        dialog.GetDlgItemText(IDC_BATCH_COUNT, countText);
        dialog.UpdateWindow();
        grab = GrabPath(folder, "batch_dialog_running.png");
        EXPECT_TRUE(dialog.GrabToFile(grab.c_str()));
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_GT(textLines, 0);
    EXPECT_EQ(std::string(countText.GetString()), FormatBatchText(TaskString(IDS_BATCH_COUNT), 2));
    for (const BatchPageDone& done : dialog.Run()->Results()) EXPECT_EQ(done.outcome, BatchPageOutcome::kRecognised);
    ASSERT_FALSE(grab.empty());
    QImage shot(QString::fromLocal8Bit(grab.c_str()));
    ASSERT_FALSE(shot.isNull());
    // The panel is white with dark text in its first line.
    int dark = 0, white = 0;
    for (int y = panel.top + 2; y < panel.top + 18 && y < shot.height(); ++y)
        for (int x = panel.left + 2; x < panel.right - 2 && x < shot.width(); ++x) {
            const QRgb p = shot.pixel(x, y);
            if (qGray(p) < 100) ++dark;
            if (qGray(p) > 250) ++white;
        }
    EXPECT_GT(dark, 20);
    EXPECT_GT(white, dark);
}

TEST_F(BatchDialog, EscOnlyStopsARunningBatch) {
    TempFolder folder("batch_dialog_esc");
    ListPages(folder, 5);
    CDlgBatchRecog dialog(IDD_BATCH_COUNTER, CDlgBatchRecog::kCounterMode, nullptr, nullptr);
    dialog.m_nWorkers = 1;
    bool stillOpenAfterClose = false;
    shell.onSelectItem = [&](int row) {
        if (row != 1) return;
        // The close box while the second page runs: the window stays until the run ends.
        dialog.SendMessage(WM_CLOSE, 0, 0);
        stillOpenAfterClose = dialog.GetSafeHwnd() && dialog.IsWindowVisible();
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(stillOpenAfterClose);
    const auto results = dialog.Run()->Results();
    ASSERT_EQ(results.size(), 5u);
    EXPECT_TRUE(EndsStoppedAfterRecognisedPages(results, 1));
}

TEST_F(BatchDialog, APageThatCannotBeLoadedIsNamedAndTheRunEnds) {
    TempFolder folder("batch_dialog_damaged");
    ListPages(folder, 4);
    // The second page is no image any more, the third is gone, and the
    // fourth is a grey PNG, a depth its codec does not read: none of them
    // may hold the unattended run on a box.
    {
        std::FILE* f = std::fopen((folder / std::string("page2.tif")).c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("not a picture", f);
        std::fclose(f);
    }
    std::remove((folder / std::string("page3.tif")).c_str());
    const std::string grey = folder / std::string("page4.png");
    QImage greyPage(200, 80, QImage::Format_Grayscale8);
    greyPage.fill(200);
    ASSERT_TRUE(greyPage.save(QString::fromStdString(grey), "PNG"));
    shell.cells[{3, kPageListPath}] = grey;
    CDlgBatchRecog dialog(IDD_BATCH_COUNTER, CDlgBatchRecog::kCounterMode, nullptr, nullptr);
    dialog.m_nWorkers = 1;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(120));
    ASSERT_NE(dialog.Run(), nullptr);
    const auto results = dialog.Run()->Results();
    ASSERT_EQ(results.size(), 4u);
    EXPECT_EQ(results[0].outcome, BatchPageOutcome::kRecognised);
    for (int i : {1, 2, 3}) EXPECT_EQ(results[i].outcome, BatchPageOutcome::kLoadFailed) << i;
    EXPECT_EQ(dialog.m_bStop, 0);
    // Only the run's end speaks, naming the three pages in the interface's
    // words; the last one's text says it too.
    const std::string notRead = ": " + TaskString(IDS_PAGE_NOT_READ);
    ASSERT_EQ(shell.messages.size(), 1u) << shell.messages.front();
    for (const std::string& page : {folder / std::string("page2.tif"), folder / std::string("page3.tif"), grey})
        EXPECT_NE(shell.messages[0].find(page + notRead), std::string::npos) << shell.messages[0];
    std::string panel;
    for (int i = 0; i < CBatchTextPanel::kMaxLines; ++i) panel += dialog.Panel().Line(i);
    EXPECT_NE(panel.find(TaskString(IDS_PAGE_NOT_READ)), std::string::npos) << panel;
}
