// The update dialog (template 285): the newest version and its notes; "更新"
// chooses the newest entry. A thin window over CUpdateDialogController.
#pragma once

#include "platform/afx/afxwin.h"
#include "shell/update/update_dialog_controller.h"

#define IDD_UPDATE 285
#define IDC_UPDATE_VERSION 1133
#define IDC_UPDATE_NOTES 1134

class CDlgUpdate : public CDialog {
public:
    CDlgUpdate(const std::string& taskIni, int startEntry, CWnd* parent = nullptr);
    CUpdateDialogController& Controller() { return m_controller; }
    int Chosen() const { return m_controller.Chosen(); }

    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    CUpdateDialogController m_controller;
};
