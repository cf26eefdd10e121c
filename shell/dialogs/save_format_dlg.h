// The format of "save under the same name" (template 268): four radio
// buttons, each setting its format code; TXT (-1) when nothing is touched.
#pragma once

#include "platform/afx/afxwin.h"

#define IDC_FORMAT_TXT 1113
#define IDC_FORMAT_RTF 1114
#define IDC_FORMAT_HTML 1116
#define IDC_FORMAT_XLS 1104

// The format code of a radio button: TXT -1, HTML 1, RTF 2, XLS 5; `current`
// for any other control.
int SaveFormatOfButton(UINT id, int current);

class CDlgSaveFormat : public CDialog {
public:
    static constexpr UINT kTemplate = 268;
    explicit CDlgSaveFormat(CWnd* parent = nullptr) : CDialog(kTemplate, parent) {}

    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    int m_nFormat = -1;
};
