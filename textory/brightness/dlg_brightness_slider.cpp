#include "textory/brightness/dlg_brightness_slider.h"

#include <utility>

#include "platform/afx/ui/drawstate.h"

BEGIN_MESSAGE_MAP(CDlgBrightnessSlider, CDialog)
ON_WM_HSCROLL()
ON_WM_ACTIVATE()
END_MESSAGE_MAP()

namespace {
// The logic's host with the window's own way out added.
textory::CBrightnessSlider::Host withClose(textory::CBrightnessSlider::Host host, CDlgBrightnessSlider* self) {
    host.closeWindow = [self] {
        if (self->m_hWnd) self->DestroyWindow();
    };
    return host;
}
}  // namespace

CDlgBrightnessSlider::CDlgBrightnessSlider(int value, textory::CBrightnessSlider::Host host,
                                           textory::CBrightnessSlider** slot)
    : CDialog(kTemplate, nullptr), slider_(value, withClose(std::move(host), this), slot) {}

CDlgBrightnessSlider* CDlgBrightnessSlider::Open(int value, textory::CBrightnessSlider::Host host,
                                                 textory::CBrightnessSlider** slot, CWnd* owner) {
    auto* dialog = new CDlgBrightnessSlider(value, std::move(host), slot);
    if (!dialog->Create(kTemplate, owner)) {
        delete dialog;  // clears the owner's pointer
        return nullptr;
    }
    CRect rect;
    dialog->GetWindowRect(&rect);
    const int x = (::GetSystemMetrics(SM_CXSCREEN) - rect.Width()) / 2;
    const int y = ::GetSystemMetrics(SM_CYSCREEN) / 3;
    const bool topmost = owner && (owner->GetExStyle() & WS_EX_TOPMOST);
    dialog->SetWindowPos(reinterpret_cast<const CWnd*>(topmost ? HWND_TOPMOST : HWND_NOTOPMOST), x > 0 ? x : 0, y, 0,
                         0, SWP_NOSIZE);
    dialog->ShowWindow(SW_SHOW);
    return dialog;
}

BOOL CDlgBrightnessSlider::OnInitDialog() {
    CDialog::OnInitDialog();
    if (auto* bar = static_cast<CScrollBar*>(GetDlgItem(kScrollBar))) {
        bar->SetScrollRange(textory::CBrightnessSlider::kMinimum, textory::CBrightnessSlider::kMaximum, FALSE);
    }
    showValue();
    return TRUE;
}

void CDlgBrightnessSlider::showValue() {
    if (auto* bar = static_cast<CScrollBar*>(GetDlgItem(kScrollBar))) bar->SetScrollPos(slider_.Value(), TRUE);
    SetDlgItemInt(kValueEdit, static_cast<UINT>(slider_.Value()), FALSE);
}

void CDlgBrightnessSlider::OnHScroll(UINT code, UINT pos, CScrollBar*) {
    slider_.OnScroll(static_cast<int>(code), static_cast<int>(pos));
    if (slider_.IsOpen()) showValue();
}

void CDlgBrightnessSlider::OnActivate(UINT state, CWnd*, BOOL) {
    if (state == WA_INACTIVE) slider_.OnDeactivate();
}

// Enter, Esc and the close box all apply the value and close.
void CDlgBrightnessSlider::OnOK() { slider_.Close(); }

void CDlgBrightnessSlider::OnCancel() { slider_.Close(); }

void CDlgBrightnessSlider::PostNcDestroy() { delete this; }
