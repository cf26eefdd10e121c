#include "textory/image_button_state.h"

#include "platform/afx/afxwin.h"

namespace textory {

namespace {
constexpr DWORD kTypeBits = 0x1Fu;
}

DWORD ImageButtonState::Subclass(DWORD style) {
    buttonType = static_cast<int>(style & kTypeBits);
    if (style & BS_CHECKBOX) checkBoxMode = 1;  // check boxes of every kind carry this bit
    if (buttonType == BS_DEFPUSHBUTTON) {
        buttonType = BS_PUSHBUTTON;
        defaultButton = 1;
    }
    return (style & ~kTypeBits) | BS_OWNERDRAW;
}

DWORD ImageButtonState::SetStyle(DWORD style) {
    buttonType = static_cast<int>(style & kTypeBits);
    if (buttonType == BS_DEFPUSHBUTTON) defaultButton = 1;
    else if (buttonType == BS_PUSHBUTTON) defaultButton = 0;
    return (style | BS_OWNERDRAW) & ~static_cast<DWORD>(0x14u);
}

bool ImageButtonState::SetCheck(WPARAM check) {
    if (!checkBoxMode) return false;
    checked = (check == 1 || check == 2) ? 1 : 0;
    return true;
}

bool ImageButtonState::MouseMove(bool onSelf, bool leftDown, bool appActive, bool& track) {
    track = false;
    if (!flat) return false;
    if (leftDown && !over) return false;
    if (!trackAlways && !appActive) return false;
    if (onSelf) {
        if (over) return false;
        over = 1;
        track = true;
        return true;
    }
    return CancelHover();
}

bool ImageButtonState::CancelHover() {
    if (!flat || !over) return false;
    over = 0;
    return true;
}

ImageButtonState::ClickAction ImageButtonState::Click() {
    if (checkBoxMode) {
        checked = !checked;
        return ClickAction::Toggled;
    }
    return hasMenu ? ClickAction::ShowMenu : ClickAction::Nothing;
}

bool ImageButtonState::Pressed(UINT itemState) const {
    const bool selected = (itemState & ODS_SELECTED) != 0;
    return checkBoxMode ? (selected || checked) : (selected || (hasMenu && menuShowing));
}

ButtonBorder ImageButtonState::Border(UINT itemState) const {
    if (Pressed(itemState)) {
        if (!flat) return ButtonBorder::ShadowFrame;
        return drawBorder ? ButtonBorder::FlatSunken : ButtonBorder::None;
    }
    if (!flat) return ButtonBorder::Raised3D;
    return over && drawBorder ? ButtonBorder::FlatRaised : ButtonBorder::None;
}

ButtonColours ImageButtonState::Colours(UINT itemState) const {
    if (over || Pressed(itemState)) return ButtonColours::In;
    if (itemState & ODS_FOCUS) return ButtonColours::Focus;
    return ButtonColours::Out;
}

bool ImageButtonState::BlackFrame(UINT itemState) const {
    return !flat && ((itemState & ODS_FOCUS) || defaultButton);
}

bool ImageButtonState::FocusRectangle(UINT itemState) const {
    return (itemState & ODS_FOCUS) && (!flat || focusWhenFlat);
}

}  // namespace textory
