#include "shell/frame/ad_status_bar.h"

#include <algorithm>
#include <cstdio>
#include <string>

BEGIN_MESSAGE_MAP(CAdStatusBar, CStatusBar)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_TIMER()
    ON_MESSAGE(WM_MOUSELEAVE, OnMouseLeave)
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
END_MESSAGE_MAP()

int CAdStatusBar::OnCreate(LPCREATESTRUCT cs) {
    if (CStatusBar::OnCreate(cs) == -1) return -1;
    if (!withBrowser_) return 0;
    if (!CreateBrowser()) {
        if (browser_.GetSafeHwnd()) browser_.DestroyWindow();
        return -1;
    }
    return 0;
}

BOOL CAdStatusBar::CreateBrowser() {
    CRect pane(0, 0, 0, 0);
    if (static_cast<int>(m_panes.size()) > kBrowserPane) GetItemRect(kBrowserPane, &pane);
    return browser_.Create(WS_VISIBLE, pane, this, kBrowserId);
}

BOOL CAdStatusBar::CreateWithoutBrowser(CWnd* parent) {
    withBrowser_ = false;
    return Create(parent);
}

void CAdStatusBar::PlaceBrowser() {
    if (!browser_.GetSafeHwnd() || static_cast<int>(m_panes.size()) <= kBrowserPane) return;
    CRect pane;
    GetItemRect(kBrowserPane, &pane);
    browser_.MoveWindow(&pane);
}

void CAdStatusBar::OnSize(UINT type, int cx, int cy) {
    CStatusBar::OnSize(type, cx, cy);
    PlaceBrowser();
}

LRESULT CAdStatusBar::OnMouseLeave(WPARAM, LPARAM) { return 0; }

void CAdStatusBar::OnTimer(UINT_PTR) {}

BOOL CAdStatusBar::Navigate(LPCTSTR address, DWORD flags, LPCTSTR targetFrame, LPCTSTR postData, DWORD postLength,
                            LPCTSTR headers) {
    if (!browser_.GetSafeHwnd() || !address) return FALSE;
    if (postData && postLength == 0) postLength = static_cast<DWORD>(std::char_traits<char>::length(postData));
    browser_.Navigate(address, flags, targetFrame, headers, postData, postLength);
    return TRUE;
}

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
    if (progress.Percent() < 0) return;
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
