// Drawing of the settings sheet's own parts: an entry of the ink colour list
// and the stroke-width samples beside the width radios.
#pragma once

#include <array>

#include "platform/afx/afxwin.h"

class CCfgRenderer {
public:
    // The entry filled with its colour; framed in the inverted colour when
    // selected, in its own colour otherwise.
    static void DrawInkEntry(CDC& dc, const RECT& rect, COLORREF color, bool selected);
    // For each width 1..6 a solid line of that width in `color`, from 6 to 42
    // pixels right of its radio's right edge, at the radio's vertical centre.
    static void DrawWidthSamples(CDC& dc, const std::array<RECT, 6>& radios, COLORREF color);
};
