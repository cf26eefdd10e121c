// The conversion progress dialog (template 280): a modeless window over the
// main window, which it disables while it is up, showing the file, a line of
// text, a bar and a percentage that counts up; "取消" asks the conversion to
// stop. The application keeps one instance (ConversionProgress()).
#pragma once

#include "platform/afx/afxwin.h"
#include "shell/pdf/progress_controller.h"

#define IDD_PDF_PROGRESS 280
#define IDC_PROGRESS_FILE 1119
#define IDC_PROGRESS_TEXT 1129
#define IDC_PROGRESS_BAR 1130
#define IDC_PROGRESS_STOP 1131
#define IDC_PROGRESS_PERCENT 1132
#define IDS_PROGRESS_FILE 61478

class CDlgProgress : public CDialog {
public:
    CDlgProgress();
    ~CDlgProgress() override;

    // Makes and shows the window; with an owner, the owner is disabled until
    // Destroy. FALSE when the template cannot be loaded (the other calls then
    // change nothing).
    BOOL Create(CWnd* owner);
    void SetRange(int n);
    // 1 go on, 0 stopped.
    int SetPos(int pos);
    void SetFileName(const char* path);
    void SetText(const char* text);
    // Lets the percentage count up again from 0 (the second phase of a file).
    void ResetPercentage() { m_controller.ResetPercentage(); }
    BOOL IsStopped() const { return m_controller.Stopped() ? TRUE : FALSE; }
    void Destroy();

    const CProgressController& Controller() const { return m_controller; }
    // How often the percentage label was written (for tests).
    int PercentWrites() const { return m_percentWrites; }

    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override { OnStop(); }

protected:
    afx_msg void OnStop();
    DECLARE_MESSAGE_MAP()

private:
    CProgressController m_controller;
    CWnd* m_owner = nullptr;
    int m_percentWrites = 0;
};

// The application's one conversion progress dialog.
CDlgProgress& ConversionProgress();
