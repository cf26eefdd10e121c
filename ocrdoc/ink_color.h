// The colour in which the text of a rectangle of a colour page is printed.
#pragma once

#include "imaging/page_image.h"
#include "platform/win/types.h"

// The mean colour of the rectangle's pixels that are black in the plane, as
// a COLORREF when its channels differ clearly (each channel kept only above
// 99), else 0 (black). FALSE, after "It's not a color image", for a page
// without a 24-bit bitmap or when the rectangle cannot be read.
BOOL GetPageInkColor(CPageImage& page, const RECT& rect, COLORREF* pColor);
