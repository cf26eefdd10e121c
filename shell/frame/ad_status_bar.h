// The main frame's status bar: nine panes; pane 1 doubles as the progress
// bar of long work, a click in pane 6 (insert or overwrite) toggles the
// text view's insert mode, and a browser (control 1029) covers pane 2; the
// frame opens online pages through it when the desktop cannot.
#pragma once

#include <string>

#include "platform/afx/afxwin.h"
#include "platform/afx/ui/html_view.h"
#include "shell/frame/progress_pane.h"

class CAdStatusBar : public CStatusBar {
public:
    static constexpr int kInsertPane = 6;
    static constexpr UINT kToggleInsert = 32772;

    static constexpr int kProgressPane = 1;
    static constexpr int kBrowserPane = 2;
    static constexpr UINT kBrowserId = 1029;

    // Without the browser: the bar is made without one (the frame's way out
    // when the bar with a browser cannot be made).
    BOOL CreateWithoutBrowser(CWnd* parent);
    // Passes a navigation to the browser; FALSE when the bar has none.
    // Post data of length 0 takes its length from the text.
    BOOL Navigate(LPCTSTR address, DWORD flags = 0, LPCTSTR targetFrame = nullptr, LPCTSTR postData = nullptr,
                  DWORD postLength = 0, LPCTSTR headers = nullptr);
    bool HasBrowser() const { return browser_.GetSafeHwnd() != nullptr; }
    CHtmlBrowserCtrl& Browser() { return browser_; }
    // Puts the browser over pane 2 (after the panes change).
    void PlaceBrowser();

    // The pane at a client point, -1 for none.
    int PaneAt(CPoint point) const;
    // The progress pane 1 shows while it is active (nullptr: only its text).
    void SetProgress(const ProgressPane* progress) { progress_ = progress; }
    void DrawItem(LPDRAWITEMSTRUCT dis) override;

protected:
    // Makes the browser control; a failure makes the whole bar fail.
    virtual BOOL CreateBrowser();
    afx_msg int OnCreate(LPCREATESTRUCT cs);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg LRESULT OnMouseLeave(WPARAM wParam, LPARAM lParam);
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint point);
    DECLARE_MESSAGE_MAP()

private:
    void Clicked(CPoint point);
    const ProgressPane* progress_ = nullptr;
    CHtmlBrowserCtrl browser_;
    bool withBrowser_ = true;
};

// Paints pane 1's inside (`inside`, the pane less a pixel each side): the
// done part navy, the rest grey, and the percentage ("%3i%%") in white from
// `textLeft`; without an active progress, the pane's text in black.
void PaintProgressPane(CDC& dc, const CRect& inside, const ProgressPane& progress, const std::string& text, int textLeft);
