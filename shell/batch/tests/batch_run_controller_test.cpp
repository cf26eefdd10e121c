// The batch window's run without a window: pages are shown one at a time in
// list order whatever order the workers report in, each shown page updates
// the row, the scan target, the panes and the current-file text, pieces of
// later pages wait (bounded) for their turn, and after Stop no further page
// is shown.
#include <gtest/gtest.h>

#include "ocrdoc/task/task.h"
#include "platform/win/path.h"
#include "shell/batch/batch_run_controller.h"
#include "shell/tests/fake_shell_services.h"

namespace {

using Step = CBatchRunController::Step;

std::vector<BatchPagePlan> PlanOf(CFakeShellServices& shell, const std::vector<std::string>& paths) {
    std::vector<BatchPagePlan> plan;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const int row = static_cast<int>(i) * 2;  // every other row is selected
        shell.cells[{row, kPageListPath}] = paths[i];
        shell.cells[{row, kPageListLanguage}] = "lang" + std::to_string(i);
        shell.cells[{row, kPageListType}] = "type" + std::to_string(i);
        shell.cells[{row, kPageListResolution}] = "300";
        shell.rowCount = row + 2;
        BatchPagePlan page;
        page.row = row;
        page.path = paths[i];
        plan.push_back(page);
    }
    return plan;
}

std::string Pieces(const std::vector<Step>& steps) {
    std::string out;
    for (const Step& s : steps) out += s.kind == Step::kShowPage ? "[" + std::to_string(s.page) + "]" : s.text;
    return out;
}

BatchPageDone Ended(int page) {
    BatchPageDone done;
    done.page = page;
    done.outcome = BatchPageOutcome::kRecognised;
    return done;
}

}  // namespace

TEST(BatchRunController, PagesShowInListOrderWithTheirHeldPieces) {
    CFakeShellServices shell;
    CBatchRunController run(PlanOf(shell, {"c:\\a\\p1.tif", "c:\\b\\p2.tif", "c:\\c\\p3.tif"}), 0);
    std::vector<Step> steps;
    // The first page is shown without a runner too (no window: nothing posts).
    ASSERT_TRUE(run.Start(nullptr, 1, steps));
    ASSERT_TRUE(run.Runner()->Wait(60000));
    EXPECT_EQ(Pieces(steps), "[0]");
    // Pages 2 and 3 report before page 1 ends: held.
    EXPECT_EQ(Pieces(run.OnPiece(2, "C1")), "");
    EXPECT_EQ(Pieces(run.OnPiece(1, "B1")), "");
    EXPECT_EQ(Pieces(run.OnPiece(0, "A1")), "A1");
    EXPECT_EQ(Pieces(run.OnPageEnded(Ended(2))), "");
    EXPECT_EQ(Pieces(run.OnPiece(1, "B2")), "");
    // Page 1 ends: page 2 is shown with what it held; page 3 ended already
    // but waits until page 2 has ended.
    EXPECT_EQ(Pieces(run.OnPageEnded(Ended(0))), "\n[1]B1B2");
    EXPECT_EQ(Pieces(run.OnPiece(1, "B3")), "B3");
    EXPECT_EQ(Pieces(run.OnPageEnded(Ended(1))), "\n[2]C1");
    EXPECT_EQ(run.LastShownRow(), 4);
    // Stray reports of pages that do not exist change nothing.
    EXPECT_EQ(Pieces(run.OnPiece(7, "x")), "");
    EXPECT_EQ(Pieces(run.OnPageEnded(Ended(-1))), "");
}

TEST(BatchRunController, PagesThatFailedAreNamedInTheirTextAndAtTheEnd) {
    CFakeShellServices shell;
    CBatchRunController run(PlanOf(shell, {"c:\\a\\p1.tif", "c:\\b\\p2.tif", "c:\\c\\p3.tif"}), 0);
    std::vector<Step> steps;
    ASSERT_TRUE(run.Start(nullptr, 1, steps));
    ASSERT_TRUE(run.Runner()->Wait(60000));
    BatchPageDone unsaved = Ended(1);
    unsaved.outcome = BatchPageOutcome::kWriteFailed;
    EXPECT_EQ(Pieces(run.OnPageEnded(unsaved)), "") << "held until its page is shown";
    BatchPageDone unread = Ended(0);
    unread.outcome = BatchPageOutcome::kLoadFailed;
    // In the interface's words, never an English sentence.
    const std::string unreadLine = "c:\\a\\p1.tif: " + TaskString(IDS_PAGE_NOT_READ);
    const std::string unsavedLine = "c:\\b\\p2.tif: " + TaskString(IDS_RESULT_NOT_SAVED);
    EXPECT_EQ(Pieces(run.OnPageEnded(unread)), "\n" + unreadLine + "\n\n[1]\n" + unsavedLine + "\n\n[2]");
    run.OnPageEnded(Ended(2));
    EXPECT_EQ(run.FailureMessage(), TaskString(IDS_BATCH_FAILED) + "\n" + unreadLine + "\n" + unsavedLine);
}

TEST(BatchRunController, AShownPageUpdatesRowScanTargetPanesAndCurrentFile) {
    CFakeShellServices shell;
    shell.scanName = "D:\\scans\\Scan007.tif";
    CBatchRunController run(PlanOf(shell, {"c:\\work\\pages\\page1.tif", "e:\\other\\p2.bmp"}), 0);
    std::vector<Step> steps;
    ASSERT_TRUE(run.Start(nullptr, 1, steps));
    ASSERT_TRUE(run.Runner()->Wait(60000));
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(shell.currentRow, 0);
    // The row's folder and the box's own name, spelled as they are.
    EXPECT_EQ(shell.scanName, "c:\\work\\pages\\Scan007.tif");
    EXPECT_EQ(shell.statusPanes[kStatusCounter], "     1  /  4");
    EXPECT_EQ(shell.statusPanes[kStatusLanguage], "lang0");
    EXPECT_EQ(shell.statusPanes[kStatusType], "type0");
    EXPECT_EQ(shell.statusPanes[kStatusResolution], "300");
    // The current file as the user knows it, not by its drive.
    EXPECT_EQ(steps[0].text,
              FormatBatchText(TaskString(IDS_BATCH_CURRENT), 1, suite::ShownPath("c:\\work\\pages\\page1.tif")));
    EXPECT_EQ(steps[0].text.find(":\\"), std::string::npos) << steps[0].text;
    EXPECT_NE(steps[0].text.find("/work/pages/page1.tif"), std::string::npos) << steps[0].text;
    steps = run.OnPageEnded(Ended(0));
    EXPECT_EQ(shell.currentRow, 2);
    EXPECT_EQ(shell.scanName, "e:\\other\\Scan007.tif");
    EXPECT_EQ(shell.statusPanes[kStatusCounter], "     3  /  4");
    EXPECT_EQ(steps.back().text,
              FormatBatchText(TaskString(IDS_BATCH_CURRENT), 2, suite::ShownPath("e:\\other\\p2.bmp")));
    EXPECT_EQ(run.CountText(), FormatBatchText(TaskString(IDS_BATCH_COUNT), 2));
}

TEST(BatchRunController, StopShowsNoFurtherPageAndDropsHeldText) {
    CFakeShellServices shell;
    CBatchRunController run(PlanOf(shell, {"a.tif", "b.tif", "c.tif"}), 0);
    std::vector<Step> steps;
    ASSERT_TRUE(run.Start(nullptr, 1, steps));
    run.OnPiece(1, "held");
    run.Stop();
    EXPECT_TRUE(run.StopRequested());
    EXPECT_TRUE(run.Runner()->StopRequested());
    ASSERT_TRUE(run.Runner()->Wait(60000));
    // The shown page's last pieces still arrive; nothing else is shown.
    EXPECT_EQ(Pieces(run.OnPiece(0, "tail")), "tail");
    EXPECT_EQ(Pieces(run.OnPiece(1, "more")), "");
    EXPECT_EQ(Pieces(run.OnPageEnded(Ended(0))), "");
    EXPECT_EQ(run.ShownPage(), 0);
}

TEST(BatchRunController, HeldTextOfALaterPageKeepsOnlyItsTail) {
    CFakeShellServices shell;
    CBatchRunController run(PlanOf(shell, {"a.tif", "b.tif"}), 0);
    std::vector<Step> steps;
    ASSERT_TRUE(run.Start(nullptr, 1, steps));
    ASSERT_TRUE(run.Runner()->Wait(60000));
    const std::string piece(100, 'x');
    for (int i = 0; i < 1000; ++i) run.OnPiece(1, piece);
    run.OnPiece(1, "last");
    steps = run.OnPageEnded(Ended(0));
    std::size_t bytes = 0;
    for (const Step& s : steps)
        if (s.kind == Step::kPiece && s.page == 1) bytes += s.text.size();
    EXPECT_LE(bytes, CBatchRunController::kHeldBytesPerPage);
    EXPECT_EQ(steps.back().text, "last");
}

TEST(BatchRunController, NothingSelectedEndsAtOnce) {
    CFakeShellServices shell;
    CBatchRunController run({}, 0);
    std::vector<Step> steps;
    EXPECT_FALSE(run.Start(nullptr, 1, steps));
    EXPECT_TRUE(run.Ended());
    EXPECT_TRUE(steps.empty());
    EXPECT_EQ(run.LastShownRow(), -1);
}
