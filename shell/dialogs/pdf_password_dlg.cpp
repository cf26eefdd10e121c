#include "shell/dialogs/pdf_password_dlg.h"

#include <utility>

#include "platform/afx/ui/msgbox.h"

namespace {

constexpr UINT kProtectedText = 61467;
constexpr UINT kEnterPassword = 61466;
constexpr UINT_PTR kGiveUpTimer = 1;
constexpr UINT kGiveUpCheckMs = 50;

}  // namespace

BEGIN_MESSAGE_MAP(CPdfPasswordDlg, CDialog)
    ON_WM_TIMER()
END_MESSAGE_MAP()

CPdfPasswordDlg::CPdfPasswordDlg(std::string path, CWnd* parent, std::function<bool()> giveUp)
    : CDialog(kTemplate, parent), path_(std::move(path)), giveUp_(std::move(giveUp)) {}

BOOL CPdfPasswordDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    CString text;
    text.LoadString(kProtectedText);
    SetDlgItemText(IDC_PDF_PROTECTED_LINE, CPdfPasswordController::ProtectedLine(text.GetString(), path_).c_str());
    if (giveUp_) SetTimer(kGiveUpTimer, kGiveUpCheckMs);
    if (auto* edit = static_cast<CEdit*>(GetDlgItem(IDC_PDF_PASSWORD))) {
        GotoDlgCtrl(edit);
        edit->SetSel(edit->GetWindowTextLength(), -1);
    }
    return FALSE;  // the focus is set
}

void CPdfPasswordDlg::OnOK() {
    CString typed;
    GetDlgItemText(IDC_PDF_PASSWORD, typed);
    if (!controller_.Confirm(typed.GetString())) {
        CString message;
        message.LoadString(kEnterPassword);
        AfxMessageBox(message.GetString(), MB_OK);
        GotoDlgCtrl(GetDlgItem(IDC_PDF_PASSWORD));
        return;
    }
    m_strPassword = controller_.Password().c_str();
    EndDialog(IDOK);
}

void CPdfPasswordDlg::OnTimer(UINT_PTR id) {
    if (id != kGiveUpTimer || !giveUp_ || !giveUp_()) return;
    KillTimer(kGiveUpTimer);
    EndDialog(IDCANCEL);
}
