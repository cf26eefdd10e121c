// The main window of Scribant: the text view above the page view in a
// splitter whose text row can be hidden, the file bar with the page list at a
// side edge, a tool bar and the nine-pane status bar whose pane 1 doubles as
// the progress bar.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/afx/afxwin.h"
#include "shell/frame/file_manager_bar.h"
#include "shell/frame/hide_splitter_wnd.h"
#include "shell/frame/ad_status_bar.h"
#include "shell/frame/advertise_view.h"
#include "shell/frame/head_ad_bar.h"
#include "shell/frame/cool_menu_manager.h"
#include "shell/frame/my_contrl_bar.h"
#include "shell/frame/search_tool_bar.h"
#include "shell/frame/progress_pane.h"
#include "shell/frame/tool_bar_ex.h"

class CMainFrame : public CFrameWnd {
    DECLARE_DYNCREATE(CMainFrame)
public:
    CMainFrame();
    ~CMainFrame() override;

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    BOOL OnCreateClient(LPCREATESTRUCT cs, CCreateContext* context) override;
    // Offers each message to the scanner glue before the framework's filter.
    BOOL PreTranslateMessage(MSG* msg) override;

    CFileListCtrl& PageList() { return fileBar_.List(); }
    CFileManagerBar& FileBar() { return fileBar_; }
    CStatusBar& StatusBar() { return statusBar_; }
    CHideSplitterWnd& Splitter() { return splitter_; }
    CToolBarEx& ToolBar() { return toolBar_; }
    CCoolMenuManager& MenuManager() { return menuManager_; }
    CSearchToolBar& SearchBar() { return searchBar_; }
    // The search bar's text box (never created by the frame).
    CEdit& SearchEdit() { return searchEdit_; }
    CDlgBarHeadAd& HeadAdBar() { return headAd_; }
    CAdvertiseView* AdView() const { return adView_; }
    // Every help request of the frame opens the help file of the language.
    void WinHelp(DWORD_PTR data, UINT cmd = 0);
    // Opens an address or file through the desktop, else in a browser
    // window of the status bar; false when neither could.
    bool OpenAddress(const std::string& address);
    // The side dock bar that holds the file bar (nullptr before docking).
    CMyContrlBar* SideDockBar() const;
    // Docking at the frame's edges: plain dock bars at the top and bottom,
    // sizing ones (the file bar's) at the left and right.
    void EnableDocking(DWORD dockStyle);

    // Status-bar progress (pane 1).
    void ClearProgress();
    void DrawProgress(int first, int last, int current);
    void RefreshProgress();
    const ProgressPane& Progress() const { return progress_; }

    // The text view's row of the splitter.
    bool IsTextRowHidden() const { return splitter_.IsLineHidden(); }
    void HideTextRow();
    void ShowTextRow();

    std::string PaneText(int pane) const;
    void SetPaneText(int pane, const std::string& text);

    // Removes the items the program does not offer from the frame's menu.
    static void TrimMenu(CMenu* menu);

    void OnUpdateFrameTitle(BOOL addToTitle) override;
    // The product title the window's title begins with.
    virtual std::string ProductTitle() const { return "Scribant"; }

    // Layouts: 0 the page list only, 1 every pane, 2 the views only.
    int ViewsShown() const { return viewsShown_; }
    void ApplyLayout(int mode);
    bool IsInsertMode() const { return insertMode_; }
    bool IsScanIdle() const { return scanIdle_; }

    afx_msg int OnCreate(LPCREATESTRUCT cs);
    afx_msg void OnViewTextWindow();
    afx_msg void OnUpdateViewTextWindow(CCmdUI* ui);
    afx_msg void OnViewManagerBar();
    afx_msg void OnUpdateViewManagerBar(CCmdUI* ui);
    afx_msg void OnLayoutShowAll();
    afx_msg void OnLayoutManagerOnly();
    afx_msg void OnLayoutImageText();
    afx_msg void OnUpdateLayoutShowAll(CCmdUI* ui);
    afx_msg void OnUpdateLayoutManagerOnly(CCmdUI* ui);
    afx_msg void OnUpdateLayoutImageText(CCmdUI* ui);
    afx_msg void OnToggleInsert();
    afx_msg void OnImageBrightness();
    afx_msg void OnUpdateImageBrightness(CCmdUI* ui);
    afx_msg void OnUpdateScan(CCmdUI* ui);
    afx_msg LRESULT OnScanState(WPARAM wParam, LPARAM lParam);
    // A scanned page from the scanner glue (wParam: its packed DIB, owned from here).
    afx_msg LRESULT OnScanImageArrived(WPARAM wParam, LPARAM lParam);
    // A scanned page's file `name` exists already: IDYES replaces it, IDNO
    // asks for another name, IDCANCEL drops the page (a yes/no/cancel box).
    virtual int AskReplaceScannedFile(const std::string& name);
    afx_msg void OnClose();
    afx_msg void OnOpenQueuedImages();
    afx_msg void OnSize(UINT type, int cx, int cy);
    // Tab: the focus goes page list -> pane (0, 0) -> pane (1, 0) -> page list,
    // past the panes that are hidden.
    afx_msg void OnNextPane();
    afx_msg void OnDropFiles(HDROP drop);
    afx_msg LRESULT OnControlBarResized(WPARAM wParam, LPARAM lParam);
    afx_msg void OnHelpFinder();
    afx_msg void OnHelp();
    afx_msg void OnHelpOnline();
    afx_msg void OnWebSearch();
    DECLARE_MESSAGE_MAP()

private:
    void RepaintProgressPane();
    // Panes 1-8 as wide as the texts they show (see the definition).
    std::vector<int> StatusPaneWidths();
    CFileManagerBar fileBar_;
    CAdStatusBar statusBar_;
    CSearchToolBar searchBar_;  // constructed, never created: it holds the chosen search engine
    CEdit searchEdit_;          // the search bar's text box, never created either
    CDlgBarHeadAd headAd_;
    CAdvertiseView* adView_ = nullptr;
    CToolBarEx toolBar_;
    CCoolMenuManager menuManager_;
    CHideSplitterWnd splitter_;
    ProgressPane progress_;
    int viewsShown_ = 1;
    bool insertMode_ = false;
    bool scanIdle_ = true;
    // Pages that arrived while one was being saved (its questions pump
    // messages); they are saved in turn afterwards. Owned until then.
    std::deque<HDIB> waitingScans_;
    bool savingScan_ = false;
    // False once the frame is gone: the frame may be closed and deleted
    // while a page's question pumps messages.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    void saveScannedPage(HDIB dib);
};
