#include "shell/pdf/dlg_progress.h"

#include "platform/afx/ui/controls.h"

BEGIN_MESSAGE_MAP(CDlgProgress, CDialog)
ON_BN_CLICKED(IDC_PROGRESS_STOP, OnStop)
END_MESSAGE_MAP()

CDlgProgress::CDlgProgress() = default;

CDlgProgress::~CDlgProgress() {
    if (GetSafeHwnd()) Destroy();
}

BOOL CDlgProgress::Create(CWnd* owner) {
    if (GetSafeHwnd()) Destroy();
    m_controller = CProgressController();
    m_percentWrites = 0;
    // The window is made again for every conversion: the owner of an earlier
    // one (a frame that may be gone by now) is no owner of this one.
    m_pParentWnd = owner;
    if (!CDialog::Create(IDD_PDF_PROGRESS, owner)) return FALSE;
    m_owner = owner;
    if (owner && owner->GetSafeHwnd()) {
        owner->EnableWindow(FALSE);
        EnableWindow(TRUE);
    }
    CenterWindow();
    ShowWindow(SW_SHOW);
    UpdateWindow();
    m_controller.ClearStop();
    return TRUE;
}

BOOL CDlgProgress::OnInitDialog() {
    CDialog::OnInitDialog();
    AfxPumpMessages();
    return TRUE;
}

void CDlgProgress::SetRange(int n) {
    if (!GetSafeHwnd()) return;
    m_controller.SetRange(n);
    if (auto* bar = static_cast<CProgressCtrl*>(GetDlgItem(IDC_PROGRESS_BAR))) {
        bar->SetRange32(0, n);
        bar->SetPos(0);
    }
}

int CDlgProgress::SetPos(int pos) {
    if (!GetSafeHwnd()) return m_controller.Stopped() ? 0 : 1;
    bool percentChanged = false;
    if (m_controller.SetPos(pos, &percentChanged)) {
        if (auto* bar = static_cast<CProgressCtrl*>(GetDlgItem(IDC_PROGRESS_BAR))) bar->SetPos(pos);
        if (percentChanged) {
            SetDlgItemText(IDC_PROGRESS_PERCENT, m_controller.PercentText().c_str());
            ++m_percentWrites;
        }
    }
    return m_controller.Stopped() ? 0 : 1;
}

void CDlgProgress::SetFileName(const char* path) {
    if (!GetSafeHwnd()) return;
    CString prefix;
    prefix.LoadString(IDS_PROGRESS_FILE);
    SetDlgItemText(IDC_PROGRESS_FILE, CProgressController::FileLabel(prefix.GetString(), path ? path : "").c_str());
}

void CDlgProgress::SetText(const char* text) {
    if (GetSafeHwnd()) SetDlgItemText(IDC_PROGRESS_TEXT, text ? text : "");
}

void CDlgProgress::OnStop() { m_controller.Stop(); }

void CDlgProgress::Destroy() {
    if (m_owner && m_owner->GetSafeHwnd() && !m_owner->IsWindowEnabled()) m_owner->EnableWindow(TRUE);
    m_owner = nullptr;
    if (GetSafeHwnd()) DestroyWindow();
}

CDlgProgress& ConversionProgress() {
    static CDlgProgress dialog;
    return dialog;
}
