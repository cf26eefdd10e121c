// Textory's main frame: Scribant's main frame with the messages that chain
// the command-line job (write the output, close) and the workflow's steps,
// some of which other programs may send it (1286 the scan button,
// WM_QUERYREADY, WM_STARTSCAN, WM_OUTPUTDONE), and the two window modes of
// the workflow (region designation, proofreading) with their commands and
// tool bars. The modes' decisions are CWindowModes'; the frame carries them
// out on its bars, splitter and views.
#pragma once

#include <memory>

#include "shell/frame/main_frame.h"
#include "textory/brightness/brightness_slider.h"
#include "textory/brightness/page_brightness.h"
#include "textory/modes/window_modes.h"
#include "textory/taskbar/scan_to_bar.h"
#include "textory/taskbar/workflow_bar.h"

class COcrDoc;
class COcrView;
class CDlgBatchRecog;

class CTextoryFrame : public CMainFrame, private textory::CWindowModesHost {
    DECLARE_DYNCREATE(CTextoryFrame)
public:
    CTextoryFrame();
    ~CTextoryFrame() override;

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    // The file-exists dialog (375): "是" replaces, "换名" another name, "取消" drops the page.
    int AskReplaceScannedFile(const std::string& name) override;
    // A mode's title stays while the mode is on.
    void OnUpdateFrameTitle(BOOL addToTitle) override;
    // String 57344 ("Textory").
    std::string ProductTitle() const override;

    // NULL until the frame is created inside Textory's application.
    textory::CWindowModes* Modes() { return modes_.get(); }
    // The main tool bar's drop-down menus of the modes: menu 331 under button
    // 32988, 332 under 32991, left-aligned below the button.
    void ShowToolMenu(UINT button);
    // The task bar's visibility as the modes last asked for it.
    bool TaskBarShown() const { return taskBarShown_; }
    // The task bar's window (NULL outside Textory's application) and the scan-to bar.
    CWorkflowBar* TaskBar() { return taskBar_.get(); }
    CScanToBar& ScanToBar() { return scanToBar_; }
    // A run without a job: the main window hidden, the task bar shown.
    void ShowTaskBarOnly();
    // The main window became the user's (command 32913): the task bar goes.
    void HideTaskBar() { ShowTaskBar(false); }

    // The brightness dialog of an 8-bit grey page (command 32994): opened
    // with the page's value, the page shown at 100 % while it is open. Its
    // values reach the page as WM_SETBRIGHTNESS; applied and closed before a
    // recognition; closed the shorter way by zoom-out.
    void OpenBrightnessDialog();
    void ApplyAndCloseBrightness();
    // The open dialog's logic (NULL when none is open).
    textory::CBrightnessSlider* BrightnessDialog() const { return brightness_; }
    textory::PageBrightness& PageBrightness() { return pageBrightness_; }
    // A page was opened or scanned: its brightness values are unset.
    void PageChanged() { pageBrightness_.Reset(); }
    BOOL OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info) override;

    // The job's progress window (template 145): made when the job starts,
    // with "Reading image ...", kept for the page's recognition and gone
    // when the frame closes. NULL when no job runs.
    CDlgBatchRecog* OpenProgressWindow(COcrDoc* document, const char* status);
    CDlgBatchRecog* ProgressWindow() const { return progress_.get(); }
    // Repainted and given the focus (the page arrived, or it lost the focus).
    void FocusProgressWindow();
    void CloseProgressWindow();

    afx_msg int OnCreate(LPCREATESTRUCT cs);
    afx_msg LRESULT OnOutputResult(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnCloseMain(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnQueryReady(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnScanButton(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnStartScan(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnScanDone(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnRegionsDone(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnOutputDone(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnRunNextStep(WPARAM wParam, LPARAM lParam);
    // A page from the scanner glue (wParam its packed DIB, owned from here;
    // 0: the acquisition has started and the page is still to come).
    afx_msg LRESULT OnTextoryScanImage(WPARAM wParam, LPARAM lParam);
    afx_msg void OnClose();
    afx_msg void OnDestroy();
    afx_msg void OnBrightness();
    afx_msg void OnUpdateBrightness(CCmdUI* ui);
    afx_msg LRESULT OnSetBrightness(WPARAM wParam, LPARAM lParam);
    // F1, "操作指南" (57667, 33005): the guide opened by the desktop.
    afx_msg void OnGuide();
    afx_msg void OnSubmitRegions();
    afx_msg void OnExitRegionMode();
    afx_msg void OnExitProofreadMode();
    afx_msg void OnBackToRecognition();
    afx_msg void OnRecognizeAndOutput();
    afx_msg void OnImageTools();
    afx_msg void OnPointerTools();
    afx_msg void OnModeHelp();
    afx_msg void OnToolBarDropDown(NMHDR* header, LRESULT* result);
    // 1111: the scan target's folder chosen with the folder browser.
    afx_msg void OnChooseScanFolder();
    // 32912: the scan-to bar shown or hidden.
    afx_msg void OnViewScanToBar();
    afx_msg void OnUpdateViewScanToBar(CCmdUI* ui);
    DECLARE_MESSAGE_MAP()

private:
    COcrView* pageView() const;
    // The shared menu made Textory's: its own name in the about item, the
    // job file commands in the File menu.
    void completeMenu();
    void nameAboutItem();
    void addJobItems();
    // Automatic deskew: refused without a page, while busy or in the seal
    // mode; else asked (string 61246) and, on yes, the page made ready.
    bool readyForAutoDeskew();

    // CWindowModesHost.
    void ShowSideBars(bool shown) override;
    bool TextRowShown() const override;
    void ShowTextRow(bool shown) override;
    void SplitForProofreading() override;
    void RemoveMainMenu() override;
    void RestoreMainMenu() override;
    std::string Title() const override;
    void SetTitle(const std::string& title) override;
    void LoadToolBar(UINT id, const std::vector<UINT>& dropDowns) override;
    void RestoreFrameLook() override;
    RECT WindowRect() const override;
    void PlaceAndShow(const RECT& rect) override;
    void HideMainWindow() override;
    void ShowTaskBar(bool shown) override;
    void SetPageZoom(WORD zoom) override;
    void NormalPointer() override;
    void FocusPagePane() override;
    void CloseBrightnessDialog() override;
    bool AskDiscardResult() override;
    bool HasResult() const override;
    void DropResults() override;
    bool OnlyPictureRegions() const override;

    std::unique_ptr<textory::CWindowModes> modes_;
    std::unique_ptr<textory::CWorkflowBarState> barState_;
    std::unique_ptr<CWorkflowBar> taskBar_;
    CScanToBar scanToBar_;
    bool taskBarShown_ = true;
    bool taskBarPlaced_ = false;
    textory::CBrightnessSlider* brightness_ = nullptr;
    textory::PageBrightness pageBrightness_;
    WORD zoomBeforeBrightness_ = 0;
    std::unique_ptr<CDlgBatchRecog> progress_;
};
