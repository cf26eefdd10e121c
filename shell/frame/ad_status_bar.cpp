#include "shell/frame/ad_status_bar.h"

#include <algorithm>
#include <cstdio>

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

void PaintProgressPane(CDC& dc, const CRect& inside, const ProgressPane& progress, const std::string& text, int textLeft) {
    if (!progress.Active()) {
        dc.FillSolidRect(&inside, ::GetSysColor(COLOR_BTNFACE));
        CRect r = inside;
        r.left += 2;
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(RGB(0, 0, 0));
        dc.DrawText(text.c_str(), -1, &r, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
        return;
    }
    const int done = std::min(progress.Filled(), static_cast<int>(inside.Width()));
    dc.FillSolidRect(inside.left, inside.top, done, inside.Height(), RGB(0, 0, 128));
    dc.FillSolidRect(inside.left + done, inside.top, inside.Width() - done, inside.Height(), RGB(128, 128, 128));
    char percent[16];
    std::snprintf(percent, sizeof percent, "%3i%%", progress.Percent());
    CRect r(textLeft, inside.top, inside.right, inside.bottom);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(RGB(255, 255, 255));
    dc.DrawText(percent, -1, &r, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
}

void CAdStatusBar::DrawItem(LPDRAWITEMSTRUCT dis) {
    if (!dis || static_cast<int>(dis->itemID) != kProgressPane) return;
    CDC* dc = CDC::FromHandle(dis->hDC);
    CRect pane0, pane1;
    GetItemRect(0, &pane0);
    GetItemRect(kProgressPane, &pane1);
    const std::string text = dis->itemData ? reinterpret_cast<const char*>(dis->itemData) : "";
    static const ProgressPane idle;
    // The percentage sits in the middle of the pane, a little to the left.
    PaintProgressPane(*dc, dis->rcItem, progress_ ? *progress_ : idle, text, pane0.Width() + pane1.Width() / 2 - 10);
}
