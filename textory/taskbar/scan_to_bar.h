// The scan-to bar: a dialog bar along the main window's top (template 274)
// with the button "扫描到:" (1111, the folder choice, a command to the main
// frame) and the box (1114) holding the next scan's file, whose list holds
// the recent scan targets, newest first. It keeps its controls placed as
// the bar's width changes and tells its owner when the user edits the box.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/afx/afxwin.h"

class CScanToBar : public CDialogBar {
public:
    static constexpr UINT kTemplate = 274;
    static constexpr UINT kButtonId = 1111;
    static constexpr UINT kComboId = 1114;
    static constexpr UINT kBarId = 274;

    BOOL Create(CWnd* frame);
    // The box's text (ANSI) and its list (newest first).
    std::string Target() const;
    void SetTarget(const std::string& path);
    void SetHistory(const std::vector<std::string>& newestFirst);
    std::vector<std::string> History() const;

    // The user changed the box's text (typed or picked from the list).
    std::function<void(const std::string& target)> onTargetEdited;

    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnTargetEdited();
    afx_msg void OnTargetPicked();
    DECLARE_MESSAGE_MAP()

private:
    CComboBox* combo() const;
    void place(int width);
};
