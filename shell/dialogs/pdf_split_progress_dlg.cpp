#include "shell/dialogs/pdf_split_progress_dlg.h"
#include "platform/afx/core/resource.h"

namespace {

constexpr UINT kSplittingPage = 61468;
constexpr UINT kOpeningFile = 61464;

}  // namespace

BOOL CPdfSplitProgressDlg::Create(CWnd* owner) {
    owner_ = owner;
    if (!CDialog::Create(kTemplate, owner)) return FALSE;
    CenterWindow();
    ShowWindow(SW_SHOW);
    UpdateWindow();
    return TRUE;
}

void CPdfSplitProgressDlg::SetRange(int pages) {
    if (!GetSafeHwnd()) return;
    controller_.SetRange(pages);
    if (auto* bar = static_cast<CProgressCtrl*>(GetDlgItem(IDC_SPLIT_BAR))) {
        bar->SetRange32(0, controller_.Range());
        bar->SetPos(0);
    }
}

int CPdfSplitProgressDlg::Step(int position, int pageCount, int pageIndex) {
    if (!GetSafeHwnd()) return controller_.Stopped() ? 0 : 1;
    const int before = controller_.Position();
    const std::string line = controller_.StatusLine();
    const int result = controller_.Step(position, pageCount, pageIndex, AfxLoadString(kSplittingPage).str());
    if (controller_.Position() != before)
        if (auto* bar = static_cast<CProgressCtrl*>(GetDlgItem(IDC_SPLIT_BAR))) bar->SetPos(controller_.Position());
    if (controller_.StatusLine() != line) SetDlgItemText(IDC_SPLIT_STATUS, controller_.StatusLine().c_str());
    return result;
}

void CPdfSplitProgressDlg::SetFileName(const std::string& name) {
    if (!GetSafeHwnd()) return;
    SetDlgItemText(IDC_SPLIT_FILE, CSplitProgressController::FileLine(AfxLoadString(kOpeningFile).str(), name).c_str());
}

void CPdfSplitProgressDlg::OnCancel() { controller_.Stop(); }

void CPdfSplitProgressDlg::Destroy() {
    if (!GetSafeHwnd()) return;
    // A disabled owner is enabled while the window goes, so that the focus
    // goes back to it, and disabled again afterwards.
    const bool ownerDisabled = owner_ && owner_->GetSafeHwnd() && !owner_->IsWindowEnabled();
    if (ownerDisabled) owner_->EnableWindow(TRUE);
    DestroyWindow();
    if (ownerDisabled) owner_->EnableWindow(FALSE);
}
