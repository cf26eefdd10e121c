// The password dialog of a protected PDF (template 276): a thin window over
// CPdfPasswordController. A caller that may stop waiting for the answer
// gives a check that ends the dialog as cancelled once it turns true.
#pragma once

#include <functional>
#include <string>

#include "platform/afx/afxwin.h"
#include "shell/dialogs/pdf_password_controller.h"

#define IDC_PDF_PROTECTED_LINE 1123
#define IDC_PDF_PASSWORD 1124

class CPdfPasswordDlg : public CDialog {
public:
    static constexpr UINT kTemplate = 276;
    CPdfPasswordDlg(std::string path, CWnd* parent = nullptr, std::function<bool()> giveUp = {});

    BOOL OnInitDialog() override;
    void OnOK() override;

    CString m_strPassword;

protected:
    afx_msg void OnTimer(UINT_PTR id);
    DECLARE_MESSAGE_MAP()

private:
    std::string path_;
    std::function<bool()> giveUp_;
    CPdfPasswordController controller_;
};
