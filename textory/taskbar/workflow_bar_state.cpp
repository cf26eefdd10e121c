#include "textory/taskbar/workflow_bar_state.h"

#include "textory/workflow/workflow.h"

namespace textory {

CWorkflowBarState::CWorkflowBarState(TextorySettings& settings, CTextoryWorkflow& workflow)
    : settings_(settings), workflow_(workflow), stepText_("Textory(版本2.1)") {}

UINT CWorkflowBarState::ScanFace() const { return settings_.outputToWord ? 329 : 330; }

UINT CWorkflowBarState::OutputChoiceFace() const { return settings_.outputToWord ? 314 : 315; }

std::string CWorkflowBarState::ScanTooltip() const {
    return settings_.outputToWord ? "扫描输出到Word" : "扫描输出到文件";
}

std::string CWorkflowBarState::ResolutionCaption() const {
    switch (settings_.scanResolution) {
    case 1: return "300dpi↓";
    case 2: return "400dpi↓";
    default: return "200dpi↓";
    }
}

std::string CWorkflowBarState::ImageTypeCaption() const {
    return settings_.scanImageType == 2 ? "彩色↓" : "黑白↓";
}

std::string CWorkflowBarState::LanguageCaption(int langCode) const {
    switch (langCode) {
    case 1: return "简繁↓";
    case 2: return "英文↓";
    default: return "简体↓";
    }
}

void CWorkflowBarState::OnProgress(int position, int total) {
    if (position == -1) {
        position_ = -1;
        stripShown_ = false;
        return;
    }
    position_ = position;
    total_ = total;
    // The first message after the bar was made only records where it is.
    stripShown_ = !firstProgress_;
    firstProgress_ = false;
}

bool CWorkflowBarState::OnScan() {
    if (!workflow_.IsIdle()) return false;
    workflow_.StartFromTaskBar();
    return true;
}

void CWorkflowBarState::OnOutputChoice() {
    settings_.outputToWord = !settings_.outputToWord;
}

void CWorkflowBarState::OnWorkModeRadio(int control) {
    const bool single = control == kBarSingleStepRadio;
    settings_.workMode = single ? 1 : 0;
    settings_.manuCorrect = single;
    settings_.selLayout = single;
    workflow_.SetChainFlag(single ? 0 : 1);
}

BarAction CWorkflowBarState::OnClick(int control) {
    switch (control) {
    case kBarMenuButton: return {BarAction::kPopupMenu, kTaskBarMenu};
    case kBarScanButton: return OnScan() ? BarAction{BarAction::kRunNextStep} : BarAction{};
    case kBarOutputChoice: OnOutputChoice(); return {BarAction::kRepaint};
    case kBarRecognizeButton: return workflow_.IsIdle() ? BarAction{BarAction::kRedesignate} : BarAction{};
    case kBarProofreadButton:
        return workflow_.IsIdle() && proofreadEnabled_ ? BarAction{BarAction::kProofread} : BarAction{};
    case kBarReadButton: return {BarAction::kCommand, kCommandStartReader};
    case kBarAutomaticRadio:
    case kBarSingleStepRadio: OnWorkModeRadio(control); return {BarAction::kRepaint};
    case kBarSelLayoutCheck: OnSelLayout(); return {BarAction::kRepaint};
    case kBarCreateToWordCheck: OnCreateToWord(); return {BarAction::kMainToolBar};
    case kBarResolutionButton: return {BarAction::kPopupMenu, kResolutionMenu};
    case kBarImageTypeButton: return {BarAction::kPopupMenu, kImageTypeMenu};
    case kBarLanguageButton: return {BarAction::kPopupMenu, kLanguageMenu};
    default: return {};
    }
}

void CWorkflowBarState::OnSelLayout() { settings_.selLayout = !settings_.selLayout; }

void CWorkflowBarState::OnCreateToWord() {
    settings_.createToWord = !settings_.createToWord;
}

}  // namespace textory
