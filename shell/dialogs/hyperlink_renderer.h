// Draws a hyperlink label into a device context: the caption at (0, 0) on a
// transparent background, in the font and colour of its look (hover, else
// visited, else normal).
#pragma once

#include "platform/afx/afxwin.h"
#include "shell/dialogs/hyperlink_controller.h"

struct HyperlinkFonts {
    LOGFONTA normal{}, hover{}, visited{};
    // From the stock default GUI font: the hover and visited fonts underlined.
    static HyperlinkFonts Default();
    // 1 hover, 2 visited, other values normal.
    LOGFONTA& Of(int which);
};

class CHyperlinkRenderer {
public:
    // Paints and returns the drawn text's size (stored in the controller for its hit test).
    static CSize Paint(CDC& dc, CHyperlinkController& link, const HyperlinkFonts& fonts);
};
