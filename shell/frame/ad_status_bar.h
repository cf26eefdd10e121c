// The main frame's status bar: nine panes; a click in pane 6 (insert or
// overwrite) toggles the text view's insert mode.
#pragma once

#include "platform/afx/afxwin.h"

class CAdStatusBar : public CStatusBar {
public:
    static constexpr int kInsertPane = 6;
    static constexpr UINT kToggleInsert = 32772;

    // The pane at a client point, -1 for none.
    int PaneAt(CPoint point) const;

protected:
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint point);
    DECLARE_MESSAGE_MAP()

private:
    void Clicked(CPoint point);
};
