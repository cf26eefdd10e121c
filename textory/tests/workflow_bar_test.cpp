// The task bar's state and its step text: faces, tooltips and captions from
// the settings, what its buttons change, the progress strip (the first
// message only records, a total of 0 draws nothing) and the strip's pixels.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/afx/afxwin.h"
#include "platform/win/tests/scratch_folder.h"
#include "textory/taskbar/step_text_painter.h"
#include "textory/taskbar/workflow_bar_state.h"
#include "textory/tests/grab_canvas.h"
#include "textory/workflow/workflow.h"

namespace {

using namespace textory;

class QuietHost : public CWorkflowHost {
public:
    int scans = 0;
    void SetStepText(UINT) override {}
    bool StartScan() override { return ++scans > 0; }
    bool AnalyzeLayout() override { return true; }
    void PostRecognize() override {}
    void RecognizePage() override {}
    void RecognizeSelected() override {}
    int SelectedRowCount() const override { return 1; }
    void OutputToFormat() override {}
    void CloseBrightnessDialog() override {}
    void EnterRegionMode() override {}
    void ShowMessage(const std::string&) override {}
};

using textorytest::Canvas;

TEST(TextoryWorkflowBar, ClicksAskTheWindowForWhatTheyStartAndOnlyWhileIdle) {
    TextorySettings settings;
    QuietHost host;
    CTextoryWorkflow flow(host, settings);
    CWorkflowBarState bar(settings, flow);
    EXPECT_EQ(bar.OnClick(kBarMenuButton).id, kTaskBarMenu);
    EXPECT_EQ(bar.OnClick(kBarResolutionButton).id, kResolutionMenu);
    EXPECT_EQ(bar.OnClick(kBarImageTypeButton).id, kImageTypeMenu);
    EXPECT_EQ(bar.OnClick(kBarLanguageButton).kind, BarAction::kPopupMenu);
    EXPECT_EQ(bar.OnClick(kBarReadButton).id, kCommandStartReader);
    EXPECT_EQ(bar.OnClick(kBarRecognizeButton).kind, BarAction::kRedesignate);
    EXPECT_EQ(bar.OnClick(kBarProofreadButton).kind, BarAction::kNone) << "disabled until a page was recognised";
    bar.SetProofreadEnabled(true);
    EXPECT_EQ(bar.OnClick(kBarProofreadButton).kind, BarAction::kProofread);
    EXPECT_EQ(bar.OnClick(kBarSingleStepRadio).kind, BarAction::kRepaint);
    EXPECT_EQ(settings.workMode, 1);
    EXPECT_EQ(bar.OnClick(kBarScanButton).kind, BarAction::kRunNextStep);
    EXPECT_FALSE(flow.IsIdle());
    EXPECT_EQ(flow.Steps().FirstPending(), 0);
    // While the plan runs no button starts anything.
    EXPECT_EQ(bar.OnClick(kBarScanButton).kind, BarAction::kNone);
    EXPECT_EQ(bar.OnClick(kBarRecognizeButton).kind, BarAction::kNone);
    EXPECT_EQ(bar.OnClick(kBarProofreadButton).kind, BarAction::kNone);
    EXPECT_EQ(bar.OnClick(0).kind, BarAction::kNone);
}

TEST(TextoryWorkflowBar, FacesAndCaptionsFollowTheSettings) {
    TextorySettings settings;
    QuietHost host;
    CTextoryWorkflow flow(host, settings);
    CWorkflowBarState bar(settings, flow);
    settings.outputToWord = true;
    EXPECT_EQ(bar.ScanFace(), 329u);
    EXPECT_EQ(bar.OutputChoiceFace(), 314u);
    EXPECT_EQ(bar.ScanTooltip(), "扫描输出到Word");
    bar.OnOutputChoice();
    EXPECT_FALSE(settings.outputToWord);
    EXPECT_EQ(bar.ScanFace(), 330u);
    EXPECT_EQ(bar.OutputChoiceFace(), 315u);
    EXPECT_EQ(bar.ScanTooltip(), "扫描输出到文件");

    const std::pair<int, const char*> resolutions[] = {{0, "200dpi↓"}, {1, "300dpi↓"}, {2, "400dpi↓"}, {7, "200dpi↓"}};
    for (const auto& [value, caption] : resolutions) {
        settings.scanResolution = value;
        EXPECT_EQ(bar.ResolutionCaption(), caption);
    }
    settings.scanImageType = 2;
    EXPECT_EQ(bar.ImageTypeCaption(), "彩色↓");
    settings.scanImageType = 1;
    EXPECT_EQ(bar.ImageTypeCaption(), "黑白↓");
    EXPECT_EQ(bar.LanguageCaption(1), "简繁↓");
    EXPECT_EQ(bar.LanguageCaption(2), "英文↓");
    EXPECT_EQ(bar.LanguageCaption(5), "简体↓");
}

TEST(TextoryWorkflowBar, ButtonsAndRadios) {
    TextorySettings settings;
    QuietHost host;
    CTextoryWorkflow flow(host, settings);
    CWorkflowBarState bar(settings, flow);
    bar.OnWorkModeRadio(kBarSingleStepRadio);
    EXPECT_EQ(settings.workMode, 1);
    EXPECT_TRUE(settings.manuCorrect && settings.selLayout);
    EXPECT_EQ(flow.ChainFlag(), 0);
    ASSERT_TRUE(bar.OnScan());
    EXPECT_FALSE(flow.IsIdle());
    EXPECT_EQ(flow.Steps().FirstPending(), 0);
    EXPECT_EQ(flow.Steps().GetOption(1), 0) << "single step marks regions by hand";
    EXPECT_FALSE(bar.OnScan()) << "nothing starts while a step runs";
    flow.BackToIdle();
    bar.OnWorkModeRadio(kBarAutomaticRadio);
    EXPECT_EQ(settings.workMode, 0);
    EXPECT_FALSE(settings.manuCorrect || settings.selLayout);
    EXPECT_EQ(flow.ChainFlag(), 1);
    ASSERT_TRUE(bar.OnScan());
    for (int i = 0; i < 4; ++i) EXPECT_EQ(flow.Steps().IsPending(i), 1);
    EXPECT_EQ(bar.OnClick(kBarCreateToWordCheck).kind, BarAction::kMainToolBar) << "the main tool bar follows";
    EXPECT_FALSE(settings.createToWord);
    bar.OnSelLayout();
    EXPECT_TRUE(settings.selLayout);
}

TEST(TextoryWorkflowBar, TheProgressStripAndItsPixels) {
    AfxWinInit();
    TextorySettings settings;
    QuietHost host;
    CTextoryWorkflow flow(host, settings);
    CWorkflowBarState bar(settings, flow);
    const RECT step{0, 0, 168, 16};
    bar.OnProgress(3, 10);
    EXPECT_FALSE(bar.HasStrip()) << "the first message only records";
    bar.OnProgress(5, 10);
    ASSERT_TRUE(bar.HasStrip());
    Canvas canvas(step.right, step.bottom);
    PaintStepText(canvas.dc, step, bar);
    QImage image = canvas.Image();
    EXPECT_EQ(image.pixelColor(3, step.bottom - 3), QColor(0, 0, 0x80)) << "filled part dark blue";
    EXPECT_EQ(image.pixelColor(step.right - 3, step.bottom - 3), QColor(0x80, 0x80, 0x80)) << "rest grey";
    canvas.Save("taskbar-progress.png");

    bar.OnProgress(4, 0);  // a page without lines
    Canvas empty(step.right, step.bottom);
    PaintStepText(empty.dc, step, bar);
    EXPECT_EQ(empty.Image().pixelColor(3, step.bottom - 3), QColor(0x80, 0x80, 0x80));
    bar.OnProgress(-1, 0);
    EXPECT_FALSE(bar.HasStrip());
}

}  // namespace
