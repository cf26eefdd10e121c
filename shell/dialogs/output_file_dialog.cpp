#include "shell/dialogs/output_file_dialog.h"

BEGIN_MESSAGE_MAP(COutputFileDialog, CFileDialog)
    ON_BN_CLICKED(IDC_OUTPUT_TO_EDITOR, OnToEditor)
END_MESSAGE_MAP()

COutputFileDialog::COutputFileDialog(LPCTSTR filter, CWnd* parent, BOOL toEditor)
    : CFileDialog(FALSE, nullptr, nullptr, OFN_HIDEREADONLY, filter, parent), m_bOutputToEditor(toEditor) {
    m_ofn.Flags |= OFN_ENABLETEMPLATE;
    m_ofn.lpTemplateName = MAKEINTRESOURCE(kChildTemplate);
}

BOOL COutputFileDialog::OnInitDialog() {
    CFileDialog::OnInitDialog();
    CheckDlgButton(IDC_OUTPUT_TO_EDITOR, m_bOutputToEditor ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

void COutputFileDialog::OnToEditor() { m_bOutputToEditor = !m_bOutputToEditor; }
