// The workflow's plans and chains with a recording host: automatic and
// single-step plans from the scan button, the scan step waiting for its page,
// output choices, the recognition end continuing or ending the chain, and
// starts refused while a step runs.
#include "textory/workflow/workflow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "textory/app/textory_ids.h"

namespace {

class RecordingHost : public CWorkflowHost {
public:
    std::vector<std::string> calls;
    std::vector<UINT> texts;
    bool scannerStarts = true;
    bool layoutFinds = true;
    int selected = 1;

    void SetStepText(UINT id) override { texts.push_back(id); }
    bool StartScan() override {
        calls.push_back("scan");
        return scannerStarts;
    }
    bool AnalyzeLayout() override {
        calls.push_back("layout");
        return layoutFinds;
    }
    void PostRecognize() override { calls.push_back("post-recognize"); }
    void RecognizePage() override { calls.push_back("recognize"); }
    void RecognizeSelected() override { calls.push_back("recognize-selected"); }
    int SelectedRowCount() const override { return selected; }
    void OutputToFormat() override { calls.push_back("output"); }
    void CloseBrightnessDialog() override { calls.push_back("brightness"); }
    void EnterRegionMode() override { calls.push_back("region-mode"); }
    void ShowMessage(const std::string& text) override { calls.push_back("message:" + text); }
};

using Calls = std::vector<std::string>;

TEST(TextoryWorkflow, AutomaticRunScansFindsRegionsRecognisesAndOutputs) {
    RecordingHost host;
    TextorySettings settings;
    CTextoryWorkflow flow(host, settings);
    settings.outputToWord = false;
    flow.OnScanButton();
    EXPECT_FALSE(flow.IsIdle());
    EXPECT_EQ(flow.ChainFlag(), 1);
    // The scan keeps the plan until its page has arrived.
    EXPECT_EQ(host.calls, Calls({"scan"}));
    EXPECT_EQ(flow.Steps().FirstPending(), 0);
    flow.OnScanButton();
    EXPECT_EQ(host.calls.size(), 1u) << "no second start while a step runs";
    flow.OnScanDone();
    EXPECT_EQ(host.calls, Calls({"scan", "layout", "recognize"}));
    flow.OnRecognitionEnded(true);
    EXPECT_EQ(host.calls, Calls({"scan", "layout", "recognize", "output"}));
    EXPECT_TRUE(flow.IsIdle());
    EXPECT_EQ(host.texts, std::vector<UINT>({IDS_TEXTORY_SCANNING, IDS_TEXTORY_IDLE, IDS_TEXTORY_REGIONS,
                                             IDS_TEXTORY_IDLE, IDS_TEXTORY_RECOGNIZING, IDS_TEXTORY_IDLE}));
}

TEST(TextoryWorkflow, OutputChoicesOfThePlan) {
    RecordingHost host;
    TextorySettings settings;
    CTextoryWorkflow flow(host, settings);
    settings.outputToWord = false;
    flow.PlanFullWorkflow();
    EXPECT_EQ(flow.Steps().GetOption(3), 2);
    settings.outputToWord = true;
    flow.PlanFullWorkflow();
    EXPECT_EQ(flow.Steps().GetOption(3), 0) << "task-bar mode: word output of option 0";
    flow.taskMode = false;
    flow.PlanFullWorkflow();
    EXPECT_EQ(flow.Steps().GetOption(3), 1);
    settings.createToWord = false;
    flow.PlanFullWorkflow();
    EXPECT_EQ(flow.Steps().GetOption(3), 0);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(flow.Steps().IsPending(i), 1);

    // Word output ends the chain without writing; an unknown code says so.
    flow.Steps().Reset();
    flow.Steps().SetPending(3, 1);
    flow.Steps().SetOption(3, 1);
    flow.RunNextStep();
    flow.Steps().SetPending(3, 1);
    flow.Steps().SetOption(3, 7);
    flow.RunNextStep();
    EXPECT_EQ(host.calls, Calls({"message:wrong output code"}));
    EXPECT_TRUE(flow.IsIdle());
    EXPECT_EQ(flow.Steps().FirstPending(), -1);
}

TEST(TextoryWorkflow, SingleStepStopsInRegionModeUntilSubmitted) {
    RecordingHost host;
    TextorySettings settings;
    CTextoryWorkflow flow(host, settings);
    settings.workMode = 1;
    flow.OnScanButton();
    EXPECT_EQ(flow.ChainFlag(), 0);
    flow.OnScanDone();
    EXPECT_TRUE(flow.InRegionMode());
    EXPECT_EQ(host.calls, Calls({"scan", "region-mode"}));
    EXPECT_EQ(flow.Steps().FirstPending(), -1);
    flow.SubmitRegions();
    EXPECT_TRUE(flow.InRegionMode()) << "the window stays in region mode until its exit";
    flow.LeaveMode();
    EXPECT_FALSE(flow.InRegionMode());
    EXPECT_EQ(host.calls, Calls({"scan", "region-mode", "brightness", "brightness", "post-recognize"}));
    flow.OnRecognitionEnded(true);
    EXPECT_TRUE(flow.IsIdle());
}

TEST(TextoryWorkflow, FailuresEndThePlan) {
    RecordingHost host;
    host.scannerStarts = false;
    TextorySettings settings;
    CTextoryWorkflow flow(host, settings);
    flow.OnScanButton();
    EXPECT_TRUE(flow.IsIdle()) << "no scanner: back to idle";
    host.scannerStarts = true;
    host.layoutFinds = false;
    flow.OnScanButton();
    flow.OnScanDone();
    EXPECT_TRUE(flow.IsIdle()) << "no regions: nothing to recognise";
    host.layoutFinds = true;
    flow.OnScanButton();
    flow.OnScanDone();
    flow.OnRecognitionEnded(false);
    EXPECT_TRUE(flow.IsIdle());
    EXPECT_EQ(host.calls.back(), "recognize");
    // A recognition nobody planned (the command-line job's) changes nothing.
    flow.OnRecognitionEnded(true);
    EXPECT_TRUE(flow.IsIdle());
    EXPECT_EQ(host.calls.back(), "recognize");
}

TEST(TextoryWorkflow, SeveralSelectedRowsRecogniseAsABatch) {
    RecordingHost host;
    host.selected = 3;
    TextorySettings settings;
    CTextoryWorkflow flow(host, settings);
    flow.Steps().SetPending(2, 1);
    flow.Steps().SetPending(3, 1);
    flow.Steps().SetOption(3, 2);
    flow.RunNextStep();
    EXPECT_EQ(host.calls, Calls({"brightness", "recognize-selected", "output"}));
    // Outside the plan, in task-bar mode, the recognise step does nothing.
    host.calls.clear();
    flow.StepRecognize();
    EXPECT_EQ(host.calls, Calls({"brightness"}));
}

TEST(TextoryWorkflow, OutsideTaskBarModeTheScanButtonOnlyScans) {
    RecordingHost host;
    TextorySettings settings;
    CTextoryWorkflow flow(host, settings);
    flow.taskMode = false;
    flow.OnScanButton();
    EXPECT_TRUE(flow.IsIdle());
    EXPECT_TRUE(host.texts.empty());
    flow.OnScanDone();
    EXPECT_EQ(host.calls, Calls({"scan"}));
    // Output done outside proofreading returns to idle only in task-bar mode.
    flow.taskMode = true;
    flow.SetProofMode(true);
    flow.Steps().SetPending(3, 1);
    flow.OnOutputDone();
    EXPECT_EQ(flow.Steps().IsPending(3), 0);
}

}  // namespace
