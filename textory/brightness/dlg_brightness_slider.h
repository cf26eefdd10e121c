// The brightness dialog (modeless, template 357 "亮度调节"): a thin window
// over CBrightnessSlider. The scroll bar moves the value and the edit shows
// it; losing the activation sends the final value; closing (the close box,
// Enter or Esc) applies and closes. The window deletes itself when it goes.
#pragma once

#include "platform/afx/afxwin.h"
#include "textory/brightness/brightness_slider.h"

class CDlgBrightnessSlider : public CDialog {
public:
    static constexpr UINT kTemplate = 357;
    static constexpr UINT kScrollBar = 1170;
    static constexpr UINT kValueEdit = 1098;
    static constexpr UINT kManualButton = 1171;
    static constexpr UINT kNote = 1172;

    // `slot` is the owner's pointer to the open dialog's logic, cleared on
    // every way out (see CBrightnessSlider).
    CDlgBrightnessSlider(int value, textory::CBrightnessSlider::Host host, textory::CBrightnessSlider** slot);

    // Made, placed centred across the screen with its top at a third of the
    // screen's height, topmost exactly when `owner` is, and shown. FALSE
    // (the object deleted) when the template cannot be made.
    static CDlgBrightnessSlider* Open(int value, textory::CBrightnessSlider::Host host,
                                      textory::CBrightnessSlider** slot, CWnd* owner);

    textory::CBrightnessSlider& Slider() { return slider_; }

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void PostNcDestroy() override;

protected:
    afx_msg void OnHScroll(UINT code, UINT pos, CScrollBar* bar);
    afx_msg void OnActivate(UINT state, CWnd* other, BOOL minimized);
    DECLARE_MESSAGE_MAP()

private:
    void showValue();
    textory::CBrightnessSlider slider_;
};
