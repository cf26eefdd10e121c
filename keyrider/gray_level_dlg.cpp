#include "keyrider/gray_level_dlg.h"

#include <algorithm>
#include <string>

#include "keyrider/keyrider_ids.h"

namespace keyrider {

CGrayLevelDlg::CGrayLevelDlg(int level, CWnd* parent) : CDialog(IDD_GRAY_LEVEL, parent), level_(std::clamp(level, 0, 255)) {}

BOOL CGrayLevelDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (auto* track = static_cast<CSliderCtrl*>(GetDlgItem(IDC_GRAY_TRACK))) {
        track->SetRange(0, 255, TRUE);
        track->SetPos(level_);
    }
    showNumber(level_);
    return TRUE;
}

void CGrayLevelDlg::showNumber(int level) {
    SetDlgItemText(IDC_GRAY_NUMBER, std::to_string(level).c_str());
    if (CWnd* picture = GetDlgItem(IDC_GRAY_PICTURE)) picture->Invalidate();
}

int CGrayLevelDlg::shownLevel() const {
    auto* track = static_cast<CSliderCtrl*>(GetDlgItem(IDC_GRAY_TRACK));
    return track ? std::clamp(track->GetPos(), 0, 255) : level_;
}

void CGrayLevelDlg::OnOK() {
    if (auto* track = static_cast<CSliderCtrl*>(GetDlgItem(IDC_GRAY_TRACK))) level_ = std::clamp(track->GetPos(), 0, 255);
    CDialog::OnOK();
}

LRESULT CGrayLevelDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DRAWITEM && wParam == IDC_GRAY_PICTURE) {
        // The picture is the gray the level stands for, framed.
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (CDC* dc = CDC::FromHandle(item->hDC)) {
            const int v = shownLevel();
            dc->FillSolidRect(&item->rcItem, RGB(v, v, v));
            RECT frame = item->rcItem;
            dc->Draw3dRect(&frame, RGB(0x60, 0x60, 0x60), RGB(0xFF, 0xFF, 0xFF));
        }
        return TRUE;
    }
    if (message == WM_HSCROLL) {
        if (auto* track = static_cast<CSliderCtrl*>(GetDlgItem(IDC_GRAY_TRACK))) showNumber(track->GetPos());
        return 0;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

}  // namespace keyrider
