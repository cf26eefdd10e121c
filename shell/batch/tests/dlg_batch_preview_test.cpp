// The batch window in preview mode over a real page: a failed recognition
// ends the window with 2 at once, a recognised page keeps its picture for
// at least 1.5 s and ends with 1, the progress tints the recognised part
// until the end's done -1 removes it, text pieces change nothing; the
// pieces of either edition are bounded by its own buffer size.
#include <gtest/gtest.h>

#include <QImage>

#include <chrono>
#include <cstdlib>

#include "imaging/image_block.h"
#include "shell/batch/batch_preview.h"
#include "shell/batch/tests/batch_window_fixture.h"

using namespace taskfix;

namespace {

using Clock = std::chrono::steady_clock;

using BatchPreviewDialog = batchtest::BatchWindowTest;

}  // namespace

TEST_F(BatchPreviewDialog, AFailedRecognitionEndsWithTwoAtOnce) {
    COcrDoc doc;  // no page: nothing can be recognised
    CDlgBatchRecog dialog(IDD_BATCH_PREVIEW, CDlgBatchRecog::kPreviewMode, nullptr, &doc);
    ASSERT_TRUE(dialog.Create(IDD_BATCH_PREVIEW));
    dialog.ShowWindow(SW_SHOW);
    dialog.m_nDisplay = 1;
    _regioninfo* result = nullptr;
    const auto start = Clock::now();
    EXPECT_EQ(dialog.RecognizeAndClose(0, reinterpret_cast<LPARAM>(&result)), CDlgBatchRecog::kFailed);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1000));
    EXPECT_EQ(dialog.m_nResult, CDlgBatchRecog::kFailed);
    EXPECT_FALSE(dialog.IsWindowVisible());
    dialog.DestroyWindow();
}

TEST_F(BatchPreviewDialog, ARecognisedPageHoldsItsPictureAndTintsItsProgress) {
    TempFolder folder("batch_preview");
    const std::string path = folder / "page.tif";
    const testpages::Page rendered =
        testpages::textPage(testpages::simplifiedText(21, 2), 1200, 900, testpages::Style{40});
    ASSERT_TRUE(SavePlaneAsImage(rendered.plane, path));
    AddRow(shell, path, 0, 0);
    SelectRows(shell, {0});
    OpenDocument open(shell);
    ASSERT_TRUE(open.Open(path));
    open.doc.AnalyzeLayout();
    ASSERT_GT(open.doc.m_pPageRegion->GetChildCount(), 0);

    CDlgBatchRecog dialog(IDD_BATCH_PREVIEW, CDlgBatchRecog::kPreviewMode, nullptr, &open.doc);
    ASSERT_TRUE(dialog.Create(IDD_BATCH_PREVIEW));
    dialog.ShowWindow(SW_SHOW);
    dialog.SetStatusText("Segment ...");
    dialog.m_nDisplay = 1;
    _seg_regioninfo* seg = nullptr;
    ASSERT_TRUE(open.doc.CutTextLines(&seg));
    const int lines = ThreadRecoProgress().nTotal;
    ASSERT_GT(lines, 0);

    _regioninfo* result = nullptr;
    const auto start = Clock::now();
    EXPECT_EQ(dialog.RecognizeAndClose(reinterpret_cast<WPARAM>(seg), reinterpret_cast<LPARAM>(&result)),
              CDlgBatchRecog::kRecognised);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(CDlgBatchRecog::kHoldMs));
    COcrPage::FreeSegmentation(seg);
    ASSERT_NE(result, nullptr);
    COcrPage::FreeRecognition(result);
    EXPECT_EQ(dialog.m_nResult, CDlgBatchRecog::kRecognised);
    // Every line was reported; the panel of the counter mode stays untouched.
    EXPECT_EQ(dialog.Preview().Done(), lines);
    EXPECT_EQ(dialog.Preview().Total(), lines);
    EXPECT_EQ(dialog.Panel().CurrentLine(), -1);
    CString status;
    dialog.GetDlgItemText(IDC_BATCH_STATUS, status);
    EXPECT_EQ(std::string(status.GetString()), "Recognizing ...");

    // Half way through, as the window looks during recognition.
    dialog.ShowWindow(SW_SHOW);
    dialog.SendMessage(WM_RECOGPROGRESS, static_cast<WPARAM>(lines / 2), lines);
    dialog.UpdateWindow();
    const std::string grab = GrabPath(folder, "batch_preview_recognising.png");
    ASSERT_TRUE(dialog.GrabToFile(grab.c_str()));
    QImage shot(QString::fromLocal8Bit(grab.c_str()));
    ASSERT_FALSE(shot.isNull());
    int yellow = 0, red = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width() - 200; ++x) {
            if (shot.pixel(x, y) == qRgb(255, 255, 128)) ++yellow;
            if (shot.pixel(x, y) == qRgb(255, 0, 0)) ++red;
        }
    EXPECT_GT(yellow, 50);
    EXPECT_GT(red, 10);  // horizontal text regions are framed in red
    // The end of recognition: done -1 takes the tint away.
    dialog.SendMessage(WM_RECOGPROGRESS, static_cast<WPARAM>(-1), 10);
    EXPECT_TRUE(dialog.Preview().TintRects().empty());
    // Pieces change nothing in preview mode.
    std::strcpy(dialog.m_szPiece, "text");
    dialog.SendMessage(WM_COMMAND, ID_BATCH_TEXT, 0);
    EXPECT_EQ(dialog.Panel().CurrentLine(), -1);
    dialog.DestroyWindow();
}

TEST_F(BatchPreviewDialog, PiecesAreBoundedByTheEditionsBuffer) {
    const std::string piece(600, 'a');
    for (std::size_t bytes : {std::size_t(128), std::size_t(512), std::size_t(4096)}) {
        shell.batchPieceBytes = bytes;
        CDlgBatchRecog dialog(IDD_BATCH_COUNTER, CDlgBatchRecog::kCounterMode, nullptr, nullptr);
        ASSERT_TRUE(dialog.Create(IDD_BATCH_COUNTER));
        RecoProgress& progress = ThreadRecoProgress();
        progress.hTextWnd = dialog.GetSafeHwnd();
        progress.pTextBuf = dialog.m_szPiece;
        progress.nTextBufBytes = dialog.PieceBytes();
        RecoSendText(piece.c_str());
        progress = RecoProgress{};
        // The piece landed in the buffer cut to the edition's size.
        EXPECT_EQ(std::strlen(dialog.m_szPiece), std::min<std::size_t>(bytes, CDlgBatchRecog::kPieceBufferBytes) - 1) << bytes;
        dialog.DestroyWindow();
    }
}

TEST_F(BatchPreviewDialog, TheSecondEditionsCounterModeUsesItsHooks) {
    shell.textoryBatch = true;
    shell.scanTarget = "C:\\scans\\OR001.jpg";
    AddRow(shell, "d:\\in\\a.tif", 0, 0);
    AddRow(shell, "d:\\in\\b.tif", 0, 0);
    SelectRows(shell, {0, 1});
    CBatchRunController run(CBatchRecognizer::PlanSelectedRows(), 0);
    std::vector<CBatchRunController::Step> steps;
    ASSERT_TRUE(run.Start(nullptr, 1, steps));
    ASSERT_TRUE(run.Runner()->Wait(60000));
    EXPECT_EQ(shell.statusPanes[kStatusCounter], "     1/     2");
    EXPECT_EQ(shell.scanTarget, "d:\\in\\OR001.jpg");
    EXPECT_EQ(shell.scanName, "");  // the file bar's box is not the target here
}

TEST_F(BatchPreviewDialog, ALockFailureIsSaidOnceAndNotFromThePaint) {
    TempFolder folder("batch_preview_lock");
    const std::string path = folder / "page.tif";
    const testpages::Page rendered = testpages::textPage(testpages::simplifiedText(5, 1), 900, 600, testpages::Style{40});
    ASSERT_TRUE(SavePlaneAsImage(rendered.plane, path));
    AddRow(shell, path, 0, 0);
    SelectRows(shell, {0});
    OpenDocument open(shell);
    ASSERT_TRUE(open.Open(path));
    CDlgBatchRecog dialog(IDD_BATCH_PREVIEW, CDlgBatchRecog::kPreviewMode, nullptr, &open.doc);
    ASSERT_TRUE(dialog.Create(IDD_BATCH_PREVIEW));
    dialog.ShowWindow(SW_SHOW);
    dialog.m_nDisplay = 1;
    // Painting with a message box open would paint again behind it: the
    // paint only notes the failure; the box comes afterwards, once.
    shell.onMessageBox = [&](const std::string& text) {
        EXPECT_FALSE(dialog.Preview().Built());
        shell.messages.push_back(text);
        return IDOK;
    };
    SetImageAllocFailAfter(0);
    for (int i = 0; i < 3; ++i) {
        dialog.Invalidate(FALSE);
        dialog.UpdateWindow();
        AfxPumpMessages();
    }
    SetImageAllocFailAfter(-1);
    EXPECT_EQ(shell.messages, (std::vector<std::string>{"Can't Lock Memory"}));
    // The next paint tries again, and succeeds.
    dialog.Invalidate(FALSE);
    dialog.UpdateWindow();
    EXPECT_TRUE(dialog.Preview().Built());
    shell.onMessageBox = nullptr;
    dialog.DestroyWindow();
}
