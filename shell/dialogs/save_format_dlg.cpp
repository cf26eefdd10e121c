#include "shell/dialogs/save_format_dlg.h"

int SaveFormatOfButton(UINT id, int current) {
    switch (id) {
    case IDC_FORMAT_TXT: return -1;
    case IDC_FORMAT_HTML: return 1;
    case IDC_FORMAT_RTF: return 2;
    case IDC_FORMAT_XLS: return 5;
    default: return current;
    }
}

BOOL CDlgSaveFormat::OnInitDialog() {
    CDialog::OnInitDialog();
    m_nFormat = -1;
    CheckRadioButton(IDC_FORMAT_XLS, IDC_FORMAT_HTML, IDC_FORMAT_TXT);
    return TRUE;
}

BOOL CDlgSaveFormat::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) == BN_CLICKED) m_nFormat = SaveFormatOfButton(LOWORD(wParam), m_nFormat);
    return CDialog::OnCommand(wParam, lParam);
}
