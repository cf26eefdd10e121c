#include "shell/pdf/pdf_convert_dlg.h"

#include "platform/afx/ui/commdlg.h"
#include "platform/afx/ui/controls.h"
#include "platform/afx/ui/listctrl.h"
#include "platform/afx/ui/msgbox.h"
#include "shell/dialogs/browse_folder_dlg.h"

BEGIN_MESSAGE_MAP(CPdfConvertDlg, CDialog)
ON_BN_CLICKED(IDC_CONVERT_ALL_PAGES, OnAllPages)
ON_BN_CLICKED(IDC_CONVERT_PAGE_RANGE, OnPageRange)
ON_BN_CLICKED(IDC_CONVERT_BROWSE, OnBrowse)
END_MESSAGE_MAP()

CPdfConvertDlg::CPdfConvertDlg(CWnd* parent, BOOL toRtf, const std::vector<std::string>& paths,
                               PdfConversionSettings& settings)
    : CDialog(IDD_PDF_CONVERT, parent),
      m_settings(settings),
      m_controller(std::make_unique<CPdfConvertController>(toRtf != 0, paths, settings.outputPath,
                                                           settings.dataFolder,
                                                           (toRtf ? settings.autoOpenRtf : settings.autoOpenTxt) != 0)) {}

BOOL CPdfConvertDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (auto* list = static_cast<CListCtrl*>(GetDlgItem(IDC_CONVERT_FILES))) {
        CRect client;
        list->GetClientRect(&client);
        list->InsertColumn(0, "", LVCFMT_LEFT, client.Width() > 40 ? client.Width() * 2 : 400);
        int index = 0;
        for (const PdfConvertRow& row : m_controller->Rows()) {
            const int item = list->InsertItem(index++, row.name.c_str());
            list->SetItemState(item, LVIS_SELECTED, LVIS_SELECTED);
        }
    }
    CheckRadioButton(IDC_CONVERT_ALL_PAGES, IDC_CONVERT_PAGE_RANGE, IDC_CONVERT_ALL_PAGES);
    ShowPageChoice();
    SetDlgItemText(IDC_CONVERT_FOLDER, m_controller->FolderText().c_str());
    if (!m_controller->ToRtf()) {
        CString caption, check;
        if (caption.LoadString(IDS_PDF_TO_TXT_CAPTION)) SetWindowText(caption);
        if (check.LoadString(IDS_PDF_OPEN_TXT)) SetDlgItemText(IDC_CONVERT_OPEN_AFTER, check);
    }
    CheckDlgButton(IDC_CONVERT_OPEN_AFTER, m_controller->AutoOpen() ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

void CPdfConvertDlg::ShowPageChoice() {
    const BOOL enable = m_controller->PageEditsEnabled() ? TRUE : FALSE;
    if (CWnd* first = GetDlgItem(IDC_CONVERT_FIRST)) first->EnableWindow(enable);
    if (CWnd* last = GetDlgItem(IDC_CONVERT_LAST)) last->EnableWindow(enable);
}

void CPdfConvertDlg::OnAllPages() {
    m_controller->SetWholeDocument(true);
    ShowPageChoice();
}

void CPdfConvertDlg::OnPageRange() {
    m_controller->SetWholeDocument(false);
    ShowPageChoice();
}

void CPdfConvertDlg::OnBrowse() {
    CString title, prompt, folder;
    title.LoadString(IDS_BROWSE_FOLDER_TITLE);
    prompt.LoadString(IDS_BROWSE_FOLDER_PROMPT);
    GetDlgItemText(IDC_CONVERT_FOLDER, folder);
    m_controller->ChooseFolder(folder.GetString());
    // The browser starts at the folder the edit names and takes a typed or new one.
    CBrowseFolderDlg browser(title.GetString(), prompt.GetString(), folder.GetString(), this);
    if (browser.DoModal() != 1) return;
    m_controller->ChooseFolder(browser.GetFolderPath());
    SetDlgItemText(IDC_CONVERT_FOLDER, m_controller->FolderText().c_str());
}

void CPdfConvertDlg::OnOK() {
    m_controller->SetWholeDocument(IsDlgButtonChecked(IDC_CONVERT_PAGE_RANGE) != BST_CHECKED);
    if (auto* list = static_cast<CListCtrl*>(GetDlgItem(IDC_CONVERT_FILES)))
        for (int i = 0; i < list->GetItemCount(); ++i)
            m_controller->SelectRow(i, (list->GetItemState(i, LVIS_SELECTED) & LVIS_SELECTED) != 0);
    CString folder, first, last;
    GetDlgItemText(IDC_CONVERT_FOLDER, folder);
    GetDlgItemText(IDC_CONVERT_FIRST, first);
    GetDlgItemText(IDC_CONVERT_LAST, last);
    const bool autoOpen = IsDlgButtonChecked(IDC_CONVERT_OPEN_AFTER) == BST_CHECKED;
    const unsigned refusal = m_controller->Accept(folder.GetString(), first.GetString(), last.GetString(), autoOpen);
    if (refusal == 0 || refusal == IDS_PDF_FOLDER_ERROR) {
        (m_controller->ToRtf() ? m_settings.autoOpenRtf : m_settings.autoOpenTxt) = autoOpen ? 1 : 0;
    }
    if (refusal != 0) {
        AfxMessageBox(refusal, MB_OK);
        if (refusal == IDS_PDF_FOLDER_ERROR) {
            if (auto* edit = static_cast<CEdit*>(GetDlgItem(IDC_CONVERT_FOLDER))) {
                edit->SetFocus();
                edit->SetSel(0, -1);
            }
        }
        return;
    }
    m_settings.outputPath = m_controller->TargetFolder();
    EndDialog(IDOK);
}
