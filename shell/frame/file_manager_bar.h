// The file bar: the scan-name box with its folder button above the page
// list, in a bar that fills the side dock bar holding it.
#pragma once

#include <string>

#include "platform/afx/afxwin.h"
#include "shell/frame/file_list_ctrl.h"
#include "shell/frame/stretch_bar.h"
#include "views/strip/bitmap_button_strip.h"

class CFileManagerBar : public CStretchBar {
public:
    static constexpr UINT kScanNameId = 1007;
    static constexpr UINT kListId = 1009;
    static constexpr UINT kFolderBitmap = 209;             // simplified Chinese
    static constexpr UINT kFolderBitmapTraditional = 272;  // traditional Chinese

    // Creates the bar, hidden, with its children; `traditional` picks the folder button's bitmap.
    BOOL Create(CFrameWnd* frame, UINT id, bool traditional = false);

    CFileListCtrl& List() { return list_; }
    CEdit& ScanNameEdit() { return scanName_; }
    CBitmapButtonStrip& FolderButton() { return strip_; }
    std::string ScanName() const;
    void SetScanName(const std::string& name);
    // The width it is given: its side dock bar's size when it sits in one.
    int Width() const;
    void SetWidth(int width);
    // The folder button: the folder browser starts at the box's folder and
    // the chosen folder takes its place, the file name kept.
    void BrowseFolder();

protected:
    afx_msg int OnCreate(LPCREATESTRUCT cs);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnPaint();
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnDestroy();
    afx_msg LRESULT OnStripButton(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    CFileListCtrl list_;
    CEdit scanName_;
    CBitmapButtonStrip strip_;
    bool traditional_ = false;
    int width_ = 208;
};
