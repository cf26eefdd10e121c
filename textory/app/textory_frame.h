// Textory's main frame: Scribant's main frame with the messages that chain
// the command-line job (write the output, close) and the ones other programs
// may send it.
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
    afx_msg void OnClose();
    DECLARE_MESSAGE_MAP()
};
