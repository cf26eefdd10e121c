#include "shell/dialogs/extern_editor_dlg.h"

#include <utility>

#include "platform/win/codepage.h"

namespace {
const char* const kExeFilter = "程序(*.EXE)|*.EXE||";
// The file types' names in the language library, in the order of their index.
constexpr UINT kFileTypeNames[] = {61920, 61921, 61922, 61923};
}

CExeFileDialog::CExeFileDialog(const std::string& fileName, CWnd* parent)
    : CFileDialog(TRUE, "EXE", fileName.c_str(), OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST,
                  nullptr, parent) {
    // The texts are in the ANSI code page, like every resource text.
    static const CString filter(suite::Utf8ToAnsi(kExeFilter).c_str());
    static const CString title(suite::Utf8ToAnsi("浏览").c_str());
    m_strFilter = filter;
    m_ofn.lpstrTitle = title.GetString();
}

BEGIN_MESSAGE_MAP(CDlgExternEditor, CDialog)
    ON_BN_CLICKED(IDC_EDITOR_BROWSE, OnBrowse)
    ON_CBN_SELCHANGE(IDC_EDITOR_FILE_TYPE, OnFileTypeChanged)
END_MESSAGE_MAP()

CDlgExternEditor::CDlgExternEditor(CWnd* parent, std::string path, int fileType)
    : CDialog(kTemplate, parent), m_strPath(std::move(path)), m_nFileType(fileType) {}

BOOL CDlgExternEditor::OnInitDialog() {
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_EDITOR_PATH, m_strPath.c_str());
    if (auto* combo = static_cast<CComboBox*>(GetDlgItem(IDC_EDITOR_FILE_TYPE))) {
        for (UINT id : kFileTypeNames) {
            CString name;
            name.LoadString(id);
            combo->AddString(name.GetString());
        }
        combo->SetCurSel(m_nFileType);
    }
    CenterWindow();
    return TRUE;
}

void CDlgExternEditor::OnFileTypeChanged() {
    if (auto* combo = static_cast<CComboBox*>(GetDlgItem(IDC_EDITOR_FILE_TYPE))) {
        const int index = combo->GetCurSel();
        if (index >= 0) m_nFileType = index;
    }
}

void CDlgExternEditor::OnBrowse() {
    CString current;
    GetDlgItemText(IDC_EDITOR_PATH, current);
    CExeFileDialog dialog(current.GetString(), this);
    if (dialog.DoModal() == IDOK) SetDlgItemText(IDC_EDITOR_PATH, dialog.GetPathName().GetString());
}

void CDlgExternEditor::OnOK() {
    CString path;
    GetDlgItemText(IDC_EDITOR_PATH, path);
    m_strPath = path.GetString();
    CDialog::OnOK();
}
