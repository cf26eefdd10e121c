// The task bar's window: dialog 285 on the skinned dialog base (bitmap 319
// tiled over it), a small topmost strip that floats over the desktop while
// the main window is hidden. Its push buttons are image buttons with 16 x 16
// faces and tool tips; the program's button and the scan settings' buttons
// drop down icon menus whose commands go to the main frame. A press on the
// bar's own background drags it. What a click changes and starts is the
// bar's state's; the window shows the state and carries out what it asks.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "platform/afx/afxwin.h"
#include "textory/image_button.h"
#include "textory/skin_image.h"
#include "textory/taskbar/workflow_bar_state.h"

class CWorkflowBar : public CSkinDialog {
public:
    static constexpr UINT kTemplate = 285;
    static constexpr UINT kSkinBitmap = 319;

    // What the bar needs of the program: the main frame, the language code
    // its caption shows, and the main window's modes.
    struct Links {
        std::function<CWnd*()> mainFrame;
        std::function<int()> langCode;
        std::function<bool()> startRedesignation;
        std::function<bool()> startProofreading;
        // "Create to Word" changed: the main tool bar follows it.
        std::function<void()> createToWordChanged;
    };

    CWorkflowBar(textory::CWorkflowBarState& state, Links links);
    ~CWorkflowBar() override;

    // Makes the bar's window (hidden); its title is string 61462.
    BOOL Create();
    textory::CWorkflowBarState& State() { return state_; }
    // The step text, in the program's ANSI code page.
    void SetStepText(const std::string& ansi);
    // Faces, tool tips, captions, radios and check boxes again from the state
    // and the settings (after a menu command or the settings sheet changed them).
    void Refresh();
    // A control of the bar (NULL for an id it does not hold).
    CWnd* Control(int control) { return GetDlgItem(control); }
    CImageButton* Button(int control);

    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    afx_msg LRESULT OnNcHitTest(CPoint screen);
    afx_msg LRESULT OnProgress(WPARAM wParam, LPARAM lParam);
    afx_msg void OnDrawItem(int id, LPDRAWITEMSTRUCT dis);
    DECLARE_MESSAGE_MAP()

private:
    void click(int control);

    textory::CWorkflowBarState& state_;
    Links links_;
    // The image buttons, in the order of kImageButtons (workflow_bar.cpp).
    std::array<CImageButton, 9> buttons_;
};
