// The main window's two modes in Textory's workflow: region designation
// (the page view alone, its own tool bar, the page at 25 %) and proofreading
// (the text view above a strip of the page, the page at 100 %), and the
// commands that enter, leave and continue from them. While a mode shows the
// main window the task bar is hidden; leaving a mode hides the main window,
// shows the task bar again and puts the workflow back to idle.
//
// The controller holds the decisions; the frame (its host) does what they
// ask of the windows.
#pragma once

#include <string>
#include <vector>

#include "platform/win/types.h"
#include "textory/settings/textory_settings.h"
#include "textory/workflow/workflow.h"

namespace textory {

// Command ids of the modes.
enum ModeCommand : UINT {
    kCmdSubmitRegions = 32924,       // "提交识别"
    kCmdExitRegionMode = 32945,      // "退出" (region designation)
    kCmdExitProofreadMode = 32950,   // "退出" (proofreading)
    kCmdModeHelp = 32951,            // "帮助"
    kCmdBackToRecognition = 32987,   // "返回重新识别"
    kCmdImageTools = 32988,          // drop-down: menu 331
    kCmdPointerTools = 32991,        // drop-down: menu 332
    kCmdRecognizeAndOutput = 32995,
};

// Tool bars and menus of the modes.
enum ModeResource : UINT {
    kProofreadToolBar = 322,
    kRegionToolBar = 323,
    kImageToolsMenu = 331,
    kPointerToolsMenu = 332,
    kMainToolBar = 128,
    kMainToolBarNoWord = 140,
};

// What the modes ask of the main window and its views. Texts are in the
// program's ANSI code page.
class CWindowModesHost {
public:
    virtual ~CWindowModesHost() = default;
    // The image-list bar and the scan-to bar.
    virtual void ShowSideBars(bool shown) = 0;
    // The text view's row of the splitter.
    virtual bool TextRowShown() const = 0;
    virtual void ShowTextRow(bool shown) = 0;
    // Proofreading's split: the text row takes the client height less 128
    // (80 when the client is under 208 pixels high), the page pane is focused.
    virtual void SplitForProofreading() = 0;
    virtual void RemoveMainMenu() = 0;
    virtual void RestoreMainMenu() = 0;
    virtual std::string Title() const = 0;
    virtual void SetTitle(const std::string& title) = 0;
    // Loads tool bar `id` into the main tool bar; the buttons in `dropDowns`
    // get drop-down arrows.
    virtual void LoadToolBar(UINT id, const std::vector<UINT>& dropDowns) = 0;
    // The caption and control id a mode may have changed, back as they were.
    virtual void RestoreFrameLook() = 0;
    virtual RECT WindowRect() const = 0;
    virtual void PlaceAndShow(const RECT& rect) = 0;
    virtual void HideMainWindow() = 0;
    virtual void ShowTaskBar(bool shown) = 0;
    // The page view of the open document; nothing without one.
    virtual void SetPageZoom(WORD zoom) = 0;
    virtual void NormalPointer() = 0;
    virtual void FocusPagePane() = 0;
    // An open brightness dialog applies its value and closes.
    virtual void CloseBrightnessDialog() = 0;
    // String 61246 asked with yes and no; TRUE for yes.
    virtual bool AskDiscardResult() = 0;
    virtual bool HasResult() const = 0;
    virtual void DropResults() = 0;
    // The page has regions and every one of them is a picture.
    virtual bool OnlyPictureRegions() const = 0;
};

class CWindowModes {
public:
    static constexpr WORD kRegionZoom = 64;     // 25 %
    static constexpr WORD kProofreadZoom = 256; // 100 %

    CWindowModes(CWindowModesHost& host, TextorySettings& settings, CTextoryWorkflow& workflow);

    void EnterRegionMode();
    void LeaveRegionMode();
    void EnterProofreadMode();

    // The commands of the modes.
    void OnSubmitRegions();       // 32924
    void OnExitRegionMode();      // 32945
    void OnExitProofreadMode();   // 32950
    void OnBackToRecognition();   // 32987
    void OnRecognizeAndOutput();  // 32995
    // The task bar's recognise (1120) and proofread (1121) buttons; FALSE
    // when nothing started (not idle, or the user kept the result).
    bool StartRedesignation();
    bool StartProofreading();
    // "Create to Word" changed: outside the modes the main tool bar becomes
    // 128 (on) or 140 (off); a mode's bar stays until the mode is left.
    void FollowCreateToWord();

    // The main window is shown in one of its modes.
    bool InMode() const { return workflow_.InRegionMode() || workflow_.InProofMode(); }
    // The tool bar the main window has now.
    UINT ToolBarShown() const { return toolBar_; }
    const std::vector<UINT>& DropDownButtons() const;

private:
    void saveTitle();
    void restoreTitle();
    void loadMainToolBar();

    CWindowModesHost& host_;
    TextorySettings& settings_;
    CTextoryWorkflow& workflow_;
    std::string savedTitle_;
    bool titleSaved_ = false;
    bool textRowBefore_ = false;
    bool barsHidden_ = false;
    UINT toolBar_ = kMainToolBar;
};

}  // namespace textory
