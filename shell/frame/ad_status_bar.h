// The main frame's status bar: nine panes; pane 1 doubles as the progress
// bar of long work, and a click in pane 6 (insert or overwrite) toggles the
// text view's insert mode.
#pragma once

#include <string>

#include "platform/afx/afxwin.h"
#include "shell/frame/progress_pane.h"

class CAdStatusBar : public CStatusBar {
public:
    static constexpr int kInsertPane = 6;
    static constexpr UINT kToggleInsert = 32772;

    static constexpr int kProgressPane = 1;

    // The pane at a client point, -1 for none.
    int PaneAt(CPoint point) const;
    // The progress pane 1 shows while it is active (nullptr: only its text).
    void SetProgress(const ProgressPane* progress) { progress_ = progress; }
    void DrawItem(LPDRAWITEMSTRUCT dis) override;

protected:
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint point);
    DECLARE_MESSAGE_MAP()

private:
    void Clicked(CPoint point);
    const ProgressPane* progress_ = nullptr;
};

// Paints pane 1's inside (`inside`, the pane less a pixel each side): the
// done part navy, the rest grey, and the percentage ("%3i%%") in white from
// `textLeft`; without an active progress, the pane's text in black.
void PaintProgressPane(CDC& dc, const CRect& inside, const ProgressPane& progress, const std::string& text, int textLeft);
