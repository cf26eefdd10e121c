// Textory's main frame: Scribant's main frame with the messages that chain
// the command-line job (write the output, close) and the workflow's steps,
// some of which other programs may send it (1286 the scan button,
// WM_QUERYREADY, WM_STARTSCAN, WM_OUTPUTDONE).
#pragma once

#include "shell/frame/main_frame.h"

class CTextoryFrame : public CMainFrame {
    DECLARE_DYNCREATE(CTextoryFrame)
public:
    CTextoryFrame();
    ~CTextoryFrame() override;

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;

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
    DECLARE_MESSAGE_MAP()
};
