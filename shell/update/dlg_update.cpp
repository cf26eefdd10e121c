#include "shell/update/dlg_update.h"

CDlgUpdate::CDlgUpdate(const std::string& taskIni, int startEntry, CWnd* parent)
    : CDialog(IDD_UPDATE, parent), m_controller(taskIni, startEntry) {}

BOOL CDlgUpdate::OnInitDialog() {
    CDialog::OnInitDialog();
    m_controller.Load();
    SetDlgItemText(IDC_UPDATE_VERSION, m_controller.VersionText().c_str());
    SetDlgItemText(IDC_UPDATE_NOTES, m_controller.Notes().c_str());
    return TRUE;
}

void CDlgUpdate::OnOK() {
    m_controller.Accept();
    EndDialog(IDOK);
}
