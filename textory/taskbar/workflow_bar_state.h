// The task bar's state without its window: the faces, tooltips and captions
// of its buttons from the settings, the step text, the progress strip over
// the step text, and what its buttons and radios change. The bar's window
// and its renderer read everything from here.
#pragma once

#include <string>

#include "platform/win/types.h"
#include "textory/settings/textory_settings.h"
#include "textory/view/fit_zoom.h"

class CTextoryWorkflow;

namespace textory {

// Control ids of the task bar (dialog 285).
enum WorkflowBarControl {
    kBarMenuButton = 1115,
    kBarScanButton = 1119,
    kBarRecognizeButton = 1120,
    kBarProofreadButton = 1121,
    kBarReadButton = 1122,
    kBarOutputChoice = 1125,
    kBarSelLayoutCheck = 1130,
    kBarCreateToWordCheck = 1137,
    kBarAutomaticRadio = 1156,
    kBarSingleStepRadio = 1157,
    kBarResolutionButton = 1159,
    kBarImageTypeButton = 1160,
    kBarLanguageButton = 1161,
    kBarStepText = 1175,
};

// What a click on one of the bar's controls asks of the bar's window.
struct BarAction {
    enum Kind {
        kNone,
        kRepaint,      // a setting the bar shows changed
        kRunNextStep,  // a plan was made: post WM_RUNNEXTSTEP to the main frame
        kPopupMenu,    // pop up menu `id` under the control (its commands go to the main frame)
        kRedesignate,  // region designation through the main window's modes
        kProofread,    // proofreading through the main window's modes
        kCommand,      // send command `id` to the main frame
        kMainToolBar,  // "Create to Word" changed: the main tool bar follows it
    };
    Kind kind = kNone;
    UINT id = 0;
};

// Menus the bar drops down, and the read-aloud command.
enum WorkflowBarMenu : UINT {
    kTaskBarMenu = 279,     // 32915 settings, 32943 scanner, 32918 about, 32914 exit
    kResolutionMenu = 324,  // 32957-32959
    kImageTypeMenu = 325,   // 32960-32961
    kLanguageMenu = 327,    // 32962-32964
    kCommandStartReader = 33002,
};

class CWorkflowBarState {
public:
    CWorkflowBarState(TextorySettings& settings, CTextoryWorkflow& workflow);

    // Faces (icon ids) and tooltips that follow the output choice.
    UINT ScanFace() const;            // 329 word processor, 330 file
    UINT OutputChoiceFace() const;    // 314 word processor, 315 file
    std::string ScanTooltip() const;  // "扫描输出到Word" / "扫描输出到文件" (UTF-8)
    // Captions of the drop-down buttons (UTF-8): "300dpi↓", "黑白↓", "简体↓".
    std::string ResolutionCaption() const;
    std::string ImageTypeCaption() const;
    std::string LanguageCaption(int langCode) const;

    void SetStepText(const std::string& utf8) { stepText_ = utf8; }
    const std::string& StepText() const { return stepText_; }
    // WM_USER+272: the first after creation only records; -1 clears.
    void OnProgress(int position, int total);
    bool HasStrip() const { return stripShown_ && position_ >= 0; }
    StripFill Strip(int width) const { return ProgressStripFill(position_, total_, width); }

    // The scan button: starts the workflow only when idle; TRUE when a start
    // was planned (the bar then posts WM_RUNNEXTSTEP).
    bool OnScan();
    void OnOutputChoice();
    void OnWorkModeRadio(int control);
    void OnSelLayout();
    void OnCreateToWord();
    bool SingleStep() const { return settings_.workMode == 1; }
    bool SelLayout() const { return settings_.selLayout; }
    bool CreateToWord() const { return settings_.createToWord; }
    // A click on `control` (one of WorkflowBarControl): what it changes here
    // and what the window is to do; starts only while the workflow is idle.
    BarAction OnClick(int control);
    bool ProofreadEnabled() const { return proofreadEnabled_; }
    void SetProofreadEnabled(bool on) { proofreadEnabled_ = on; }

private:
    TextorySettings& settings_;
    CTextoryWorkflow& workflow_;
    std::string stepText_;
    int position_ = -1;
    int total_ = 0;
    bool stripShown_ = false;
    bool firstProgress_ = true;
    bool proofreadEnabled_ = false;
};

}  // namespace textory
