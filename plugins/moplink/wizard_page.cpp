#include "plugins/moplink/wizard_page.h"

namespace moplink {

const UINT kExportMessage = RegisterWindowMessage(kExportMessageName);

BEGIN_MESSAGE_MAP(WizardPage, CDialog)
    ON_REGISTERED_MESSAGE(kExportMessage, OnExportMessage)
END_MESSAGE_MAP()

BOOL WizardPage::CreatePage(CWnd* host) {
    if (!Create(templateId_, host)) return FALSE;
    ShowWindow(SW_SHOW);
    return TRUE;
}

void WizardPage::PostInputState(bool complete) {
    if (CWnd* parent = GetParent()) parent->PostMessage(kExportMessage, kExportInputState, complete ? 1 : 0);
}

void WizardPage::Enable(UINT control, bool on) {
    if (CWnd* item = GetDlgItem(static_cast<int>(control))) item->EnableWindow(on);
}

LRESULT WizardPage::OnExportMessage(WPARAM wParam, LPARAM) {
    if (wParam != kExportStore) return 0;
    return Store() ? 1 : 0;
}

}  // namespace moplink
