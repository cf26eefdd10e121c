// Textory's workflow: plans over the step table and the routines that run
// the steps one after the other, each step continuing the chain through its
// completion message (WM_SCANDONE, WM_REGIONSDONE, the end of recognition,
// WM_OUTPUTDONE) or WM_RUNNEXTSTEP. Idle when no step runs; the task bar and
// message 1286 start it only then.
//
// The scan step starts the scanner and keeps the plan until the page has
// arrived (WM_SCANDONE); a scanner that does not start ends the plan.
#pragma once

#include "textory/settings/textory_settings.h"
#include "textory/workflow/workflow_host.h"
#include "textory/workflow/workflow_steps.h"

class CTextoryWorkflow {
public:
    // The plans follow the work mode and the output choices of `settings`
    // as they stand when a plan is made.
    CTextoryWorkflow(CWorkflowHost& host, const TextorySettings& settings);

    // Task-bar mode: step texts shown, the task bar drives. Ends for the rest
    // of the run when the main window is shown from hidden.
    bool taskMode = true;

    void PlanFullWorkflow();
    void PlanScanAndRegions();
    void RunNextStep();
    void BackToIdle();
    void StepScan();
    void StepFindRegions();
    void StepRecognize();

    // The task bar's scan button: idle cleared and the plan of the work mode
    // made (the bar then posts WM_RUNNEXTSTEP).
    void StartFromTaskBar();
    void OnScanButton();                   // message 1286
    void OnScanDone();                     // WM_SCANDONE
    void OnRegionsDone();                  // WM_REGIONSDONE
    void OnRecognitionEnded(bool recognised);
    void OnOutputDone();                   // WM_OUTPUTDONE
    // "提交识别": region designation done, recognise what was marked.
    void SubmitRegions();
    // Leaving a mode ("退出"): back to idle.
    void LeaveMode();

    bool IsIdle() const { return idle_; }
    void SetIdle(bool idle) { idle_ = idle; }
    bool InRegionMode() const { return regionMode_; }
    void SetRegionMode(bool on) { regionMode_ = on; }
    // The user designates the regions in the page view (region mode).
    bool Designating() const { return designating_; }
    void SetDesignating(bool on) { designating_ = on; }
    bool InProofMode() const { return proofMode_; }
    void SetProofMode(bool on) { proofMode_ = on; }
    bool ScanFlag() const { return scanFlag_; }
    void SetScanFlag(bool on) { scanFlag_ = on; }
    int ChainFlag() const { return chain_; }
    void SetChainFlag(int flag) { chain_ = flag; }
    const CWorkflowSteps& Steps() const { return steps_; }
    CWorkflowSteps& Steps() { return steps_; }

private:
    CWorkflowHost& host_;
    const TextorySettings& settings_;
    CWorkflowSteps steps_;
    bool idle_ = true;
    bool regionMode_ = false;
    bool proofMode_ = false;
    bool designating_ = false;
    bool scanFlag_ = false;
    int chain_ = 1;
};
