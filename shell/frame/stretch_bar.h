// A tool bar whose size follows the dock bar that holds it: the side dock
// bar's layout size while docked, its own window size while floating.
#pragma once

#include "platform/afx/afxwin.h"

class CStretchBar : public CToolBar {
public:
    CSize CalcFixedLayout(BOOL stretch, BOOL horz) override;
    CSize CalcDynamicLayout(int length, DWORD mode) override;
    void OnUpdateCmdUI(CFrameWnd*, BOOL) override {}
    // Places the bar against its dock bar's client area.
    virtual void AdjustPosition();
    // The size while it is not in a sizing dock bar (before docking).
    void SetFallbackSize(CSize size) { fallback_ = size; }

protected:
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()

private:
    CSize fallback_{208, 200};
};

// Where AdjustPosition puts a bar of `own` size in a dock bar of `parentStyle`:
// its top-left inside the dock bar and its size; the first matching row of
// the alignment table applies.
CRect StretchBarPlace(DWORD parentStyle, CSize own);
