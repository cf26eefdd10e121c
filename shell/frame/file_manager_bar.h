// The file bar: the page list (and, above it, the scan-name box) in a bar
// docked at the left or right edge of the main frame.
#pragma once

#include <string>

#include "platform/afx/afxwin.h"
#include "shell/frame/file_list_ctrl.h"

class CFileManagerBar : public CControlBar {
public:
    BOOL Create(CFrameWnd* frame, UINT id, int width);
    CSize CalcFixedLayout(BOOL stretch, BOOL horz) override;
    void OnUpdateCmdUI(CFrameWnd*, BOOL) override {}

    CFileListCtrl& List() { return list_; }
    CEdit& ScanNameEdit() { return scanName_; }
    std::string ScanName() const;
    void SetScanName(const std::string& name);
    int Width() const { return width_; }
    void SetWidth(int width) { width_ = width; }

    afx_msg void OnSize(UINT type, int cx, int cy);
    DECLARE_MESSAGE_MAP()

private:
    CFileListCtrl list_;
    CEdit scanName_;
    int width_ = 260;
};
