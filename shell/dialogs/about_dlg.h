// The about box (template 100): the program's name and version, and the
// maker's web address as a blue link (control 1142).
#pragma once

#include "platform/afx/afxwin.h"
#include "shell/dialogs/hyperlink_static.h"

class CAboutDlg : public CDialog {
public:
    static constexpr UINT kTemplate = 100;
    static constexpr int kLinkControl = 1142;
    // The maker's web address shown by the link.
    static constexpr const char* kAddress = "http://www.orvane.example/";

    explicit CAboutDlg(CWnd* parent = nullptr) : CDialog(kTemplate, parent) {}
    BOOL OnInitDialog() override;
    CHyperlinkStatic& Link() { return link_; }

private:
    CHyperlinkStatic link_;
};
