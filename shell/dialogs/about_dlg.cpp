#include "shell/dialogs/about_dlg.h"

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (link_.SubclassDlgItem(kLinkControl, this)) {
        link_.SetCaption(kAddress);
        link_.SetLinkTarget(kAddress);
        link_.SetColour(0, 0xFF0000);  // blue (the colour's bytes are blue, green, red)
    }
    CenterWindow();
    return TRUE;
}
