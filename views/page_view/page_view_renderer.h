// Draws the page view's image area into a device context (a memory bitmap
// the size of the area): the page (1-bit rows of the display, or the grey or
// colour bitmap stretched), the page rectangle, the numbered region frames in
// their styles, table cells, character boxes of handwriting pages, the seal
// rectangle, the current character's box and the band of a drag.
#pragma once

#include "platform/afx/afxwin.h"
#include "views/page_view/kept_page_drawing.h"
#include "views/page_view/page_view_controller.h"

struct PageViewPaintInput {
    bool handwriting = false;  // draw the character boxes of text regions
    bool viewText = false;     // the text view shows: frame the current character
    bool focused = false;      // a black frame round the image area
    // Where a grey or colour page's scaled drawing is kept between paints
    // (none: the page is scaled at every paint).
    CKeptPageDrawing* kept = nullptr;
};

class CPageViewRenderer {
public:
    static constexpr COLORREF kGrey = 0x808080;

    // Paints the whole image area. Builds the display first when none is held.
    static void Paint(CDC& dc, CPageViewController& view, const PageViewPaintInput& input);

    // A style's shape between two client points: an arrow for styles 8 and 9,
    // a straight line for 34, else the rectangle with those corners.
    static void DrawRegionFrame(CDC& dc, POINT from, POINT to, int style);
    // A page rectangle in a style with a label (0 none, -1 the seal's mark).
    static void DrawPageRect(CDC& dc, const CPageViewController& view, const RECT& page, int style, int label);
    // The band of the drag under way (nothing when none is drawn).
    static void DrawBand(CDC& dc, const CPageViewController& view);
    // The frame style of a top-level region by its flags; -1 for none.
    static int RegionStyle(int flags, bool selected);

private:
    static void DrawPage(CDC& dc, const CPageViewController& view, CKeptPageDrawing* kept);
};
