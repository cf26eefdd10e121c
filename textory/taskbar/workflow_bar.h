// The task bar's window: a small topmost strip that floats over the
// desktop while the main window is hidden. It paints itself with the task
// bar's renderer, turns a press on its own background into a caption press
// (so the whole strip drags), and hands each click on a control to the
// bar's state, carrying out what the state asks: a plan run through the main
// frame, a drop-down menu whose commands go to the main frame, a mode of the
// main window, or a command.
#pragma once

#include <functional>
#include <string>

#include "platform/afx/afxwin.h"
#include "textory/taskbar/workflow_bar_state.h"

class CWorkflowBar : public CWnd {
public:
    // What the bar needs of the program: the main frame, the language code
    // its caption shows, and the main window's modes.
    struct Links {
        std::function<CWnd*()> mainFrame;
        std::function<int()> langCode;
        std::function<bool()> startRedesignation;
        std::function<bool()> startProofreading;
    };

    CWorkflowBar(textory::CWorkflowBarState& state, Links links);
    ~CWorkflowBar() override;

    // Makes the bar's window (hidden); its title is string 61462.
    BOOL Create();
    textory::CWorkflowBarState& State() { return state_; }
    // The step text, in the program's ANSI code page.
    void SetStepText(const std::string& ansi);
    // A click on control `control`, as the mouse gives it.
    void ClickControl(int control);
    // Where a control's drop-down menu opens (screen coordinates).
    CPoint MenuPoint(int control) const;

    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg LRESULT OnNcHitTest(CPoint screen);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg LRESULT OnProgress(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    void popupMenu(int control, UINT menuId);

    textory::CWorkflowBarState& state_;
    Links links_;
};
