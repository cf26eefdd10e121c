// Drawing packed DIBs into device contexts, stretched, with the handle-based
// calls of the video drawing library.
#pragma once

#include "platform/afx/core/gdi.h"

struct HDRAWDIB__;
using HDRAWDIB = HDRAWDIB__*;

#define DDF_UPDATE 0x0002u
#define DDF_SAME_HDC 0x0004u
#define DDF_SAME_DRAW 0x0008u
#define DDF_DONTDRAW 0x0010u
#define DDF_BACKGROUNDPAL 0x0200u
#define DDF_HALFTONE 0x1000u

AFX_CORE_API HDRAWDIB DrawDibOpen();
AFX_CORE_API BOOL DrawDibClose(HDRAWDIB dd);
// Draws the source rectangle (from the picture's top-left corner; widths of
// -1 take the whole picture, a destination width of -1 the source size) of
// the DIB `header` (with its palette; `bits` nullptr: the rows follow the
// palette) stretched into the destination. DDF_HALFTONE smooths.
AFX_CORE_API BOOL DrawDibDraw(HDRAWDIB dd, HDC dc, int x, int y, int width, int height, const BITMAPINFOHEADER* header,
                              const void* bits, int srcX, int srcY, int srcWidth, int srcHeight, UINT flags);
