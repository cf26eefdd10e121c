// The window modes with a recording frame: what entering and leaving region
// designation and proofreading do to the bars, menu, title, tool bar, window
// and task bar; the title kept once across a switch between the modes; the
// remembered rectangles; the commands that continue the workflow from a mode;
// and the task bar's starts refused while a step runs or kept by the user.
#include "textory/modes/window_modes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win/codepage.h"

namespace {

using textory::CWindowModes;

class NullFlowHost : public CWorkflowHost {
public:
    std::vector<std::string> calls;
    void SetStepText(UINT) override {}
    bool StartScan() override { return true; }
    bool AnalyzeLayout() override { return true; }
    void PostRecognize() override { calls.push_back("post-recognize"); }
    void RecognizePage() override {}
    void RecognizeSelected() override {}
    int SelectedRowCount() const override { return 1; }
    void OutputToFormat() override { calls.push_back("output"); }
    void CloseBrightnessDialog() override {}
    void EnterRegionMode() override {}
    void ShowMessage(const std::string&) override {}
};

class RecordingFrame : public textory::CWindowModesHost {
public:
    bool sideBars = true, textRow = false, menu = true, shown = false, taskBar = true;
    std::string title = "Textory - job";
    UINT toolBar = 128;
    std::vector<UINT> dropDowns;
    RECT rect{10, 20, 610, 520};
    RECT placedAt{};
    WORD zoom = 0;
    int normalPointer = 0, brightnessClosed = 0, dropped = 0, asked = 0, split = 0, focused = 0, looks = 0;
    bool answerYes = true, hasResult = true, onlyPictures = false;

    void ShowSideBars(bool on) override { sideBars = on; }
    bool TextRowShown() const override { return textRow; }
    void ShowTextRow(bool on) override { textRow = on; }
    void SplitForProofreading() override { ++split; }
    void RemoveMainMenu() override { menu = false; }
    void RestoreMainMenu() override { menu = true; }
    std::string Title() const override { return title; }
    void SetTitle(const std::string& t) override { title = t; }
    void LoadToolBar(UINT id, const std::vector<UINT>& d) override {
        toolBar = id;
        dropDowns = d;
    }
    void RestoreFrameLook() override { ++looks; }
    RECT WindowRect() const override { return rect; }
    void PlaceAndShow(const RECT& r) override {
        placedAt = r;
        shown = true;
    }
    void HideMainWindow() override { shown = false; }
    void ShowTaskBar(bool on) override { taskBar = on; }
    void SetPageZoom(WORD z) override { zoom = z; }
    void NormalPointer() override { ++normalPointer; }
    void FocusPagePane() override { ++focused; }
    void CloseBrightnessDialog() override { ++brightnessClosed; }
    bool AskDiscardResult() override {
        ++asked;
        return answerYes;
    }
    bool HasResult() const override { return hasResult; }
    void DropResults() override { ++dropped; }
    bool OnlyPictureRegions() const override { return onlyPictures; }
};

struct Modes : ::testing::Test {
    NullFlowHost flowHost;
    TextorySettings settings;
    CTextoryWorkflow flow{flowHost, settings};
    RecordingFrame frame;
    CWindowModes modes{frame, settings, flow};
    const std::string regionTitle = suite::Utf8ToAnsi("Textory--指定识别区域");
    const std::string proofTitle = suite::Utf8ToAnsi("Textory--校对");
};

TEST_F(Modes, RegionDesignationShowsThePageAloneAndItsExitGivesEverythingBack) {
    settings.layoutRect = RECT{5, 5, 405, 305};
    frame.textRow = true;
    ASSERT_TRUE(modes.StartRedesignation());
    EXPECT_EQ(frame.asked, 1) << "the page had a result: the user is asked first";
    EXPECT_EQ(frame.dropped, 1);
    EXPECT_TRUE(flow.InRegionMode());
    EXPECT_TRUE(flow.Designating());
    EXPECT_FALSE(flow.IsIdle());
    EXPECT_EQ(flow.ChainFlag(), 0);
    EXPECT_FALSE(frame.sideBars);
    EXPECT_FALSE(frame.textRow);
    EXPECT_FALSE(frame.menu);
    EXPECT_EQ(frame.title, regionTitle);
    EXPECT_EQ(frame.toolBar, 323u);
    EXPECT_EQ(frame.dropDowns, (std::vector<UINT>{32988, 32991}));
    EXPECT_TRUE(frame.shown);
    EXPECT_EQ(frame.placedAt.right, 405);
    EXPECT_FALSE(frame.taskBar);
    EXPECT_EQ(frame.zoom, 64);
    EXPECT_FALSE(modes.StartRedesignation()) << "no second start while a mode runs";
    EXPECT_FALSE(modes.StartProofreading());

    modes.OnExitRegionMode();
    EXPECT_EQ(settings.layoutRect.right, 610) << "the window's place is remembered";
    EXPECT_EQ(frame.normalPointer, 1);
    EXPECT_EQ(frame.looks, 1);
    EXPECT_TRUE(frame.sideBars);
    EXPECT_TRUE(frame.textRow) << "the text row comes back as it was";
    EXPECT_TRUE(frame.menu);
    EXPECT_EQ(frame.title, "Textory - job");
    EXPECT_EQ(frame.toolBar, 128u);
    EXPECT_FALSE(frame.shown);
    EXPECT_TRUE(frame.taskBar);
    EXPECT_TRUE(flow.IsIdle());
    EXPECT_FALSE(flow.InRegionMode());
    EXPECT_FALSE(flow.Designating());

    // Without word-processor documents the main tool bar is 140.
    settings.createToWord = false;
    frame.hasResult = false;
    ASSERT_TRUE(modes.StartRedesignation());
    EXPECT_EQ(frame.asked, 1) << "nothing to lose: no question";
    modes.OnExitRegionMode();
    EXPECT_EQ(frame.toolBar, 140u);
}

TEST_F(Modes, KeepingTheResultStartsNothing) {
    frame.answerYes = false;
    EXPECT_FALSE(modes.StartRedesignation());
    EXPECT_EQ(frame.dropped, 0);
    EXPECT_TRUE(flow.IsIdle());
    EXPECT_FALSE(flow.InRegionMode());
    EXPECT_TRUE(frame.menu);
}

TEST_F(Modes, ProofreadingThenBackToRecognitionThenOutKeepsTheFirstTitle) {
    settings.correctRect = RECT{0, 0, 700, 500};
    ASSERT_TRUE(modes.StartProofreading());
    EXPECT_TRUE(flow.InProofMode());
    EXPECT_TRUE(flow.InRegionMode());
    EXPECT_EQ(frame.title, proofTitle);
    EXPECT_EQ(frame.toolBar, 322u);
    EXPECT_TRUE(frame.textRow);
    EXPECT_EQ(frame.split, 1);
    EXPECT_EQ(frame.focused, 1);
    EXPECT_EQ(frame.zoom, 256);
    EXPECT_EQ(frame.placedAt.right, 700);
    EXPECT_FALSE(frame.taskBar);
    EXPECT_FALSE(frame.menu);

    // "返回重新识别" answered no: nothing changes.
    frame.answerYes = false;
    modes.OnBackToRecognition();
    EXPECT_TRUE(flow.InProofMode());
    EXPECT_EQ(frame.dropped, 0);
    frame.answerYes = true;
    modes.OnBackToRecognition();
    EXPECT_FALSE(flow.InProofMode());
    EXPECT_TRUE(flow.InRegionMode());
    EXPECT_EQ(frame.dropped, 1);
    EXPECT_EQ(frame.title, regionTitle);
    EXPECT_EQ(frame.toolBar, 323u);
    EXPECT_FALSE(frame.textRow);

    modes.OnExitProofreadMode();
    EXPECT_EQ(frame.title, "Textory - job") << "the program's title, not the proofreading one";
    EXPECT_TRUE(frame.menu) << "a later main window has its menu";
    EXPECT_TRUE(frame.sideBars);
    EXPECT_FALSE(frame.textRow) << "the text row as it was before the first mode";
    EXPECT_EQ(settings.correctRect.right, 610);
    EXPECT_FALSE(frame.shown);
    EXPECT_TRUE(frame.taskBar);
    EXPECT_TRUE(flow.IsIdle());
    EXPECT_FALSE(flow.InProofMode());
    EXPECT_FALSE(flow.InRegionMode());
}

TEST_F(Modes, SubmittingRecognisesInTheModeAndRecogniseAndOutputRunsBothSteps) {
    ASSERT_TRUE(modes.StartRedesignation());
    modes.OnSubmitRegions();
    EXPECT_EQ(frame.brightnessClosed, 1);
    EXPECT_FALSE(flow.Designating());
    EXPECT_TRUE(flow.InRegionMode()) << "the window stays in its mode";
    EXPECT_EQ(frame.title, "Textory - job");
    EXPECT_EQ(frame.normalPointer, 1);
    EXPECT_EQ(flowHost.calls, (std::vector<std::string>{"post-recognize"}));
    EXPECT_EQ(flow.Steps().GetOption(CWorkflowSteps::kRecognize), 0);
    flow.OnRecognitionEnded(true);
    EXPECT_TRUE(flow.IsIdle());

    // Only picture regions: nothing to recognise, nothing starts.
    frame.onlyPictures = true;
    flowHost.calls.clear();
    modes.OnRecognizeAndOutput();
    EXPECT_EQ(frame.brightnessClosed, 2);
    EXPECT_TRUE(flowHost.calls.empty());
    EXPECT_TRUE(flow.IsIdle());

    frame.onlyPictures = false;
    modes.OnRecognizeAndOutput();
    EXPECT_FALSE(flow.IsIdle());
    EXPECT_EQ(flow.ChainFlag(), 1);
    EXPECT_EQ(flow.Steps().IsPending(CWorkflowSteps::kOutput), 1);
    EXPECT_EQ(flowHost.calls, (std::vector<std::string>{"post-recognize"}));
    // The word-processor output of option 0 writes nothing and ends the plan.
    flow.OnRecognitionEnded(true);
    EXPECT_EQ(flowHost.calls, (std::vector<std::string>{"post-recognize"}));
    EXPECT_TRUE(flow.IsIdle());
}

}  // namespace
