#include "shell/dialogs/splash_dlg.h"

BEGIN_MESSAGE_MAP(CSplashDlg, CDialog)
    ON_WM_TIMER()
END_MESSAGE_MAP()

BOOL CSplashDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (picture_.SubclassDlgItem(kPictureControl, this) && picture_.LoadPicture(kPicture)) {
        const CSize frame = picture_.FrameSize();
        picture_.MoveWindow(2, 2, frame.cx, frame.cy);
        SetWindowPos(nullptr, 0, 0, frame.cx + 4, frame.cy + 4, SWP_NOMOVE | SWP_NOZORDER);
    }
    CenterWindow();
    SetTimer(1, kShownMs);
    return TRUE;
}

void CSplashDlg::OnTimer(UINT_PTR id) {
    if (id != 1) return;
    KillTimer(1);
    DestroyWindow();
}
