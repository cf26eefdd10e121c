#include "textory/modes/window_modes.h"

#include "platform/win/codepage.h"
#include "textory/workflow/workflow_steps.h"

namespace textory {
namespace {

const std::string& regionTitle() {
    static const std::string title = suite::Utf8ToAnsi("Textory--指定识别区域");
    return title;
}

const std::string& proofreadTitle() {
    static const std::string title = suite::Utf8ToAnsi("Textory--校对");
    return title;
}

const std::vector<UINT> kDropDowns{kCmdImageTools, kCmdPointerTools};

}  // namespace

CWindowModes::CWindowModes(CWindowModesHost& host, TextorySettings& settings, CTextoryWorkflow& workflow)
    : host_(host), settings_(settings), workflow_(workflow) {}

const std::vector<UINT>& CWindowModes::DropDownButtons() const { return kDropDowns; }

// The title of the main window is kept once, when the first mode comes in,
// so that going from one mode to the other still gives the program's own
// title back at the end.
void CWindowModes::saveTitle() {
    if (titleSaved_) return;
    savedTitle_ = host_.Title();
    titleSaved_ = true;
}

void CWindowModes::restoreTitle() {
    if (!titleSaved_) return;
    host_.SetTitle(savedTitle_);
    titleSaved_ = false;
}

void CWindowModes::EnterRegionMode() {
    if (!barsHidden_) textRowBefore_ = host_.TextRowShown();
    barsHidden_ = true;
    host_.ShowSideBars(false);
    host_.ShowTextRow(false);
    host_.RemoveMainMenu();
    saveTitle();
    host_.SetTitle(regionTitle());
    host_.LoadToolBar(kRegionToolBar, kDropDowns);
    toolBar_ = kRegionToolBar;
    // Shown every time a mode comes in: leaving a mode hid the window, and a
    // hidden window with the task bar hidden too would leave nothing to use.
    host_.ShowTaskBar(false);
    host_.PlaceAndShow(settings_.layoutRect);
    host_.SetPageZoom(kRegionZoom);
}

void CWindowModes::loadMainToolBar() {
    const UINT bar = settings_.createToWord ? kMainToolBar : kMainToolBarNoWord;
    host_.LoadToolBar(bar, {});
    toolBar_ = bar;
}

void CWindowModes::FollowCreateToWord() {
    if (!InMode()) loadMainToolBar();
}

void CWindowModes::LeaveRegionMode() {
    host_.RestoreFrameLook();
    host_.ShowSideBars(true);
    loadMainToolBar();
    host_.ShowTextRow(textRowBefore_);
    barsHidden_ = false;
}

void CWindowModes::EnterProofreadMode() {
    if (!barsHidden_) textRowBefore_ = host_.TextRowShown();
    barsHidden_ = true;
    host_.ShowSideBars(false);
    host_.RemoveMainMenu();
    host_.LoadToolBar(kProofreadToolBar, kDropDowns);
    toolBar_ = kProofreadToolBar;
    host_.ShowTaskBar(false);
    host_.PlaceAndShow(settings_.correctRect);
    saveTitle();
    host_.SetTitle(proofreadTitle());
    host_.ShowTextRow(true);
    host_.SplitForProofreading();
    host_.FocusPagePane();
    host_.SetPageZoom(kProofreadZoom);
}

void CWindowModes::OnSubmitRegions() {
    host_.CloseBrightnessDialog();
    workflow_.SetDesignating(false);
    settings_.layoutRect = host_.WindowRect();
    host_.NormalPointer();
    restoreTitle();
    workflow_.SubmitRegions();
}

void CWindowModes::OnExitRegionMode() {
    settings_.layoutRect = host_.WindowRect();
    host_.NormalPointer();
    workflow_.SetDesignating(false);
    if (workflow_.InRegionMode()) {
        LeaveRegionMode();
        workflow_.SetRegionMode(false);
    }
    restoreTitle();
    host_.RestoreMainMenu();
    host_.HideMainWindow();
    host_.ShowTaskBar(true);
    workflow_.LeaveMode();
}

void CWindowModes::OnExitProofreadMode() {
    settings_.correctRect = host_.WindowRect();
    workflow_.SetProofMode(false);
    if (workflow_.InRegionMode()) {
        LeaveRegionMode();
        workflow_.SetRegionMode(false);
    }
    host_.HideMainWindow();
    restoreTitle();
    // The menu goes back as region mode's exit gives it back: a main window
    // shown later (command 32913) would otherwise have none.
    host_.RestoreMainMenu();
    host_.ShowTaskBar(true);
    workflow_.LeaveMode();
}

void CWindowModes::OnBackToRecognition() {
    if (!host_.AskDiscardResult()) return;
    workflow_.SetProofMode(false);
    host_.DropResults();
    workflow_.SetIdle(false);
    workflow_.SetRegionMode(true);
    EnterRegionMode();
}

void CWindowModes::OnRecognizeAndOutput() {
    host_.CloseBrightnessDialog();
    if (host_.OnlyPictureRegions()) return;
    settings_.layoutRect = host_.WindowRect();
    host_.NormalPointer();
    workflow_.SetIdle(false);
    workflow_.SetChainFlag(1);
    CWorkflowSteps& steps = workflow_.Steps();
    steps.Reset();
    steps.SetPending(CWorkflowSteps::kRecognize, 1);
    steps.SetOption(CWorkflowSteps::kRecognize, 0);
    steps.SetPending(CWorkflowSteps::kOutput, 1);
    steps.SetOption(CWorkflowSteps::kOutput, 0);
    workflow_.RunNextStep();
}

bool CWindowModes::StartRedesignation() {
    if (!workflow_.IsIdle()) return false;
    if (host_.HasResult() && !host_.AskDiscardResult()) return false;
    workflow_.SetChainFlag(0);
    host_.DropResults();
    workflow_.SetIdle(false);
    workflow_.SetDesignating(true);
    workflow_.SetRegionMode(true);
    EnterRegionMode();
    return true;
}

bool CWindowModes::StartProofreading() {
    if (!workflow_.IsIdle()) return false;
    workflow_.SetIdle(false);
    workflow_.SetProofMode(true);
    workflow_.SetRegionMode(true);
    EnterProofreadMode();
    return true;
}

}  // namespace textory
