// The pens of the page view and its dialogs: one table of 37 drawing styles,
// each a raster operation, pen style, width and colour (0x00BBGGRR).
#pragma once

#include "platform/win/types.h"

struct DrawStyle {
    int rop;     // R2_COPYPEN (13) or R2_NOTXORPEN (10)
    int penStyle;
    int width;
    DWORD color;
};

enum DrawStyleId : int {
    kStyleRubberBand = 0,
    kStylePageRect = 1,
    kStyleDoubleFrame = 4,
    kStyleReorderArrow = 8,
    kStyleArrow = 9,
    kStyleSplitLine = 11,
    kStyleHandwritingBox = 21,
    kStylePicture = 22,
    kStyleTable = 23,
    kStyleHorizontalText = 24,
    kStyleVerticalText = 25,
    kStylePictureSelected = 27,
    kStyleTableSelected = 28,
    kStyleHorizontalSelected = 29,
    kStyleVerticalSelected = 30,
    kStyleEnglish = 32,
    kStyleEnglishSelected = 33,
    kStylePenStroke = 34,
    kStyleSeal = 35,
    kStyleSealEditing = 36,
    kDrawStyleCount = 37,
};

// The style's entry; style 0 for an index outside the table.
const DrawStyle& GetDrawStyle(int style);
// Selected frames draw a second rectangle one pixel inside the first.
bool IsDoubleFrameStyle(int style);
// The colour a region label is written in for a frame of this style.
DWORD LabelColorOfStyle(int style);
