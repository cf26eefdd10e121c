// The start-up picture (template 131): a frameless window holding the
// picture button (control 1000, bitmap 132), sized to the picture and
// centred on the screen. It goes by itself after 500 ms (timer 1); the
// application may remove it earlier.
#pragma once

#include "platform/afx/afxwin.h"
#include "shell/dialogs/picture_button.h"

class CSplashDlg : public CDialog {
public:
    static constexpr UINT kTemplate = 131;
    static constexpr UINT kPicture = 132;
    static constexpr int kPictureControl = 1000;
    static constexpr UINT kShownMs = 500;

    BOOL Create(CWnd* parent = nullptr) { return CDialog::Create(kTemplate, parent); }
    BOOL OnInitDialog() override;
    CPictureButton& Picture() { return picture_; }

protected:
    afx_msg void OnTimer(UINT_PTR id);
    DECLARE_MESSAGE_MAP()

private:
    CPictureButton picture_;
};
