#include "shell/frame/ad_status_bar.h"

BEGIN_MESSAGE_MAP(CAdStatusBar, CStatusBar)
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
END_MESSAGE_MAP()

int CAdStatusBar::PaneAt(CPoint point) const {
    for (int i = 0; i < static_cast<int>(m_panes.size()); ++i) {
        CRect r;
        GetItemRect(i, &r);
        if (r.PtInRect(point)) return i;
    }
    return -1;
}

void CAdStatusBar::Clicked(CPoint point) {
    if (PaneAt(point) != kInsertPane) return;
    if (CWnd* main = AfxGetMainWnd()) main->PostMessage(WM_COMMAND, kToggleInsert, 0);
}

void CAdStatusBar::OnLButtonDown(UINT, CPoint point) { Clicked(point); }
void CAdStatusBar::OnLButtonDblClk(UINT, CPoint point) { Clicked(point); }
