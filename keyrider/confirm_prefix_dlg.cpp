#include "keyrider/confirm_prefix_dlg.h"

#include "keyrider/keyrider_ids.h"
#include "outside/include/velmar.h"

namespace keyrider {

BEGIN_MESSAGE_MAP(CConfirmPrefixDlg, CDialog)
    ON_EN_CHANGE(IDC_PREFIX_EDIT, OnPrefixChange)
    ON_CBN_SELCHANGE(IDC_PREFIX_FOLDER, OnFolderChosen)
    ON_BN_CLICKED(IDC_PREFIX_BROWSE, OnBrowse)
END_MESSAGE_MAP()

CConfirmPrefixDlg::CConfirmPrefixDlg(ConfirmPrefixModel& model, std::string message10, std::string caption,
                                     CWnd* parent)
    : CDialog(IDD_CONFIRM_PREFIX, parent), model_(model), message10_(std::move(message10)), caption_(std::move(caption)) {}

BOOL CConfirmPrefixDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    restoring_ = true;
    SetDlgItemText(IDC_PREFIX_EDIT, model_.Prefix().c_str());
    restoring_ = false;
    CheckDlgButton(IDC_PREFIX_ASK, model_.keepAsking ? BST_CHECKED : BST_UNCHECKED);
    fillFolders();
    return TRUE;
}

void CConfirmPrefixDlg::fillFolders() {
    auto* combo = static_cast<CComboBox*>(GetDlgItem(IDC_PREFIX_FOLDER));
    if (!combo) return;
    combo->ResetContent();
    for (const std::string& f : model_.Folders()) combo->AddString(f.c_str());
    combo->SetCurSel(model_.Folders().empty() ? -1 : 0);
}

void CConfirmPrefixDlg::refuse() {
    MessageBeep(MB_ICONHAND);
    ::MessageBox(GetSafeHwnd(), message10_.c_str(), caption_.c_str(), MB_OK | MB_ICONHAND);
    restoring_ = true;
    SetDlgItemText(IDC_PREFIX_EDIT, model_.Prefix().c_str());
    restoring_ = false;
    if (CWnd* edit = GetDlgItem(IDC_PREFIX_EDIT)) edit->SetFocus();
}

void CConfirmPrefixDlg::OnPrefixChange() {
    if (restoring_) return;
    CString typed;
    GetDlgItemText(IDC_PREFIX_EDIT, typed);
    if (!model_.Edit(typed.GetString())) refuse();
}

void CConfirmPrefixDlg::OnFolderChosen() {
    auto* combo = static_cast<CComboBox*>(GetDlgItem(IDC_PREFIX_FOLDER));
    if (!combo || combo->GetCurSel() < 0) return;
    CString folder;
    combo->GetLBText(combo->GetCurSel(), folder);
    model_.ChooseFolder(folder.GetString());
    fillFolders();
}

void CConfirmPrefixDlg::OnBrowse() {
    const std::string start = model_.Folders().empty() ? std::string() : model_.Folders().front();
    CSHBrowseDlg browse(this);
    if (!browse.DoModal(start.c_str(), caption_.c_str(), nullptr, 36, 0)) return;
    model_.ChooseFolder(browse.GetFullPath().GetString());
    fillFolders();
}

void CConfirmPrefixDlg::OnOK() {
    CString typed;
    GetDlgItemText(IDC_PREFIX_EDIT, typed);
    if (!model_.Edit(typed.GetString())) {
        refuse();
        return;
    }
    model_.keepAsking = IsDlgButtonChecked(IDC_PREFIX_ASK) == BST_CHECKED;
    CDialog::OnOK();
}

}  // namespace keyrider
