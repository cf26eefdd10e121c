// Paints an image button's face for its state into a device context: the
// background, the border, the icon and the caption.
#pragma once

#include <string>

#include "platform/afx/afxwin.h"
#include "textory/image_button_state.h"

namespace textory {

struct ImageButtonColours {
    COLORREF inBack, inText, outBack, outText, focusBack, focusText;
};
ImageButtonColours DefaultButtonColours();

struct ImageButtonFace {
    HICON icon = nullptr;
    int iconWidth = 0;
    int iconHeight = 0;
    std::string caption;  // ANSI
    // Paints the saved parent background instead of the background colour.
    CDC* savedBackground = nullptr;
};

// Paints the button into `dc` over `item` for the item state (ODS_ flags).
void PaintImageButton(CDC& dc, RECT item, UINT itemState, const ImageButtonState& state,
                      const ImageButtonColours& colours, const ImageButtonFace& face);

// Where the icon's top-left corner and the caption rectangle go in `item`.
void PlaceImageButtonFace(const RECT& item, BYTE alignment, int iconWidth, int iconHeight, bool hasCaption,
                          POINT& icon, RECT& caption);

}  // namespace textory
