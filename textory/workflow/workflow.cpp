#include "textory/workflow/workflow.h"

#include "textory/app/textory_ids.h"

CTextoryWorkflow::CTextoryWorkflow(CWorkflowHost& host, const TextorySettings& settings)
    : host_(host), settings_(settings), steps_([&host](const std::string& text) { host.ShowMessage(text); }) {}

void CTextoryWorkflow::PlanFullWorkflow() {
    steps_.Reset();
    steps_.SetAllPending(1);
    steps_.SetAllOptions(1);
    const int output = !settings_.outputToWord ? 2 : (!settings_.createToWord || taskMode ? 0 : 1);
    steps_.SetOption(CWorkflowSteps::kOutput, output);
}

void CTextoryWorkflow::PlanScanAndRegions() {
    steps_.Reset();
    steps_.SetPending(CWorkflowSteps::kScan, 1);
    steps_.SetPending(CWorkflowSteps::kFindRegions, 1);
    steps_.SetOption(CWorkflowSteps::kFindRegions, 0);
}

void CTextoryWorkflow::BackToIdle() {
    steps_.Reset();
    idle_ = true;
    if (taskMode) host_.SetStepText(IDS_TEXTORY_IDLE);
}

void CTextoryWorkflow::RunNextStep() {
    switch (steps_.FirstPending()) {
    case CWorkflowSteps::kScan: StepScan(); return;
    case CWorkflowSteps::kFindRegions: StepFindRegions(); return;
    case CWorkflowSteps::kRecognize: StepRecognize(); return;
    case CWorkflowSteps::kOutput:
        switch (steps_.GetOptionOrFail(CWorkflowSteps::kOutput)) {
        case 0:
        case 1: break;  // word-processor output: nothing is written
        case 2: host_.OutputToFormat(); break;
        default: host_.ShowMessage("wrong output code"); break;
        }
        BackToIdle();
        return;
    default: BackToIdle(); return;
    }
}

void CTextoryWorkflow::StepScan() {
    if (taskMode) {
        scanFlag_ = false;
        host_.SetStepText(IDS_TEXTORY_SCANNING);
    }
    // The plan waits for the page (WM_SCANDONE); without a scanner it ends.
    if (!host_.StartScan()) BackToIdle();
}

void CTextoryWorkflow::StepFindRegions() {
    if (steps_.GetOption(CWorkflowSteps::kFindRegions) != 0) {
        if (taskMode) host_.SetStepText(IDS_TEXTORY_REGIONS);
        if (host_.AnalyzeLayout()) OnRegionsDone();
        else BackToIdle();
        return;
    }
    regionMode_ = true;
    designating_ = true;
    host_.EnterRegionMode();
    steps_.SetPending(CWorkflowSteps::kFindRegions, 0);
}

void CTextoryWorkflow::StepRecognize() {
    host_.CloseBrightnessDialog();
    if (taskMode && !steps_.IsPending(CWorkflowSteps::kRecognize)) return;
    if (host_.SelectedRowCount() > 1) {
        host_.RecognizeSelected();
        OnRecognitionEnded(true);
        return;
    }
    if (taskMode) host_.SetStepText(IDS_TEXTORY_RECOGNIZING);
    host_.PostRecognize();
}

void CTextoryWorkflow::StartFromTaskBar() {
    idle_ = false;
    if (settings_.workMode == 1) PlanScanAndRegions();
    else PlanFullWorkflow();
}

void CTextoryWorkflow::OnScanButton() {
    if (!idle_) return;
    if (!taskMode) {
        idle_ = false;
        StepScan();
        idle_ = true;
        return;
    }
    PlanFullWorkflow();
    idle_ = false;
    if (settings_.workMode == 1) {
        chain_ = 0;
        PlanScanAndRegions();
    } else {
        chain_ = 1;
        PlanFullWorkflow();
    }
    RunNextStep();
}

void CTextoryWorkflow::OnScanDone() {
    if (!taskMode) return;
    host_.SetStepText(IDS_TEXTORY_IDLE);
    steps_.SetPending(CWorkflowSteps::kScan, 0);
    RunNextStep();
}

void CTextoryWorkflow::OnRegionsDone() {
    if (!taskMode) return;
    host_.SetStepText(IDS_TEXTORY_IDLE);
    steps_.SetPending(CWorkflowSteps::kFindRegions, 0);
    if (steps_.IsPending(CWorkflowSteps::kRecognize)) {
        host_.SetStepText(IDS_TEXTORY_RECOGNIZING);
        host_.RecognizePage();
    } else {
        RunNextStep();
    }
}

void CTextoryWorkflow::OnRecognitionEnded(bool recognised) {
    if (!steps_.IsPending(CWorkflowSteps::kRecognize)) return;
    steps_.SetPending(CWorkflowSteps::kRecognize, 0);
    if (recognised) RunNextStep();
    else BackToIdle();
}

void CTextoryWorkflow::OnOutputDone() {
    steps_.SetPending(CWorkflowSteps::kOutput, 0);
    if (taskMode && !proofMode_) BackToIdle();
}

void CTextoryWorkflow::SubmitRegions() {
    host_.CloseBrightnessDialog();
    // The main window stays in region mode until its "退出".
    designating_ = false;
    steps_.Reset();
    steps_.SetPending(CWorkflowSteps::kRecognize, 1);
    steps_.SetOption(CWorkflowSteps::kRecognize, 0);
    RunNextStep();
}

void CTextoryWorkflow::LeaveMode() {
    regionMode_ = false;
    proofMode_ = false;
    designating_ = false;
    BackToIdle();
}
