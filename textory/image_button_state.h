// The state of an image button and what its events do to it, apart from the
// window: hover tracking, clicks (check-box mode or the drop-down menu),
// button styles, and the decisions its drawing takes from the state.
#pragma once

#include "platform/win/types.h"

namespace textory {

// The border a button shows for its state.
enum class ButtonBorder {
    None,          // flat at rest (or flat without border drawing)
    Raised3D,      // not flat, not pressed: four lines of 3-D edge
    ShadowFrame,   // not flat, pressed: a frame in the shadow colour
    FlatRaised,    // flat, hovered: highlight top-left, shadow bottom-right
    FlatSunken,    // flat, pressed: shadow top-left, highlight bottom-right
};

// Which colour pair the background and the caption take.
enum class ButtonColours { In, Out, Focus };

struct ImageButtonState {
    int flat = 1;
    int over = 0;
    int seeThrough = 0;
    int defaultButton = 0;
    int checkBoxMode = 0;
    BYTE alignment = 0;
    int drawBorder = 1;
    int focusWhenFlat = 0;
    int menuShowing = 0;
    int trackAlways = 1;
    int checked = 0;
    int buttonType = 31;
    bool hasMenu = false;

    // Subclassing: takes the style's type; returns the style with the type
    // replaced by owner-draw.
    DWORD Subclass(DWORD style);
    // BM_SETSTYLE: returns the style to pass on.
    DWORD SetStyle(DWORD style);
    // BM_SETCHECK in check-box mode; FALSE (nothing changed) outside it.
    bool SetCheck(WPARAM check);

    // A mouse move. `onSelf`: the window under the pointer is this button;
    // `leftDown`: the left button is held; `appActive`: the program has an
    // active window. Returns true when the button must repaint; `track` is
    // set when the leave must be tracked from now on.
    bool MouseMove(bool onSelf, bool leftDown, bool appActive, bool& track);
    // Leave, focus loss, deactivation, cancel mode, disabling: true when the
    // button must repaint.
    bool CancelHover();

    enum class ClickAction { Toggled, ShowMenu, Nothing };
    ClickAction Click();

    // Drawing decisions for an item state (ODS_ flags).
    bool Pressed(UINT itemState) const;
    ButtonBorder Border(UINT itemState) const;
    ButtonColours Colours(UINT itemState) const;
    bool BlackFrame(UINT itemState) const;
    bool FocusRectangle(UINT itemState) const;
    // Icon and caption are drawn one pixel right and down.
    bool ShiftFace(UINT itemState) const { return Pressed(itemState) && !checkBoxMode; }
};

}  // namespace textory
