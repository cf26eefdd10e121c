// Zoom arithmetic of Textory's page view and task bar, safe for views and
// totals of no size.
#pragma once

namespace textory {

// The zoom (1/256 units) that shows the whole page during recognition: n is
// the larger of page height / view height + 1 and the page width over the
// view width rounded up; 256 for n = 1, 128 for 2, 64 up to 4, 32 up to 8, 16
// up to 16, else 8. A view with no width or height (hidden) gives -1: the
// caller keeps the zoom it has.
int FitZoomFor(int pageWidth, int pageHeight, int viewWidth, int viewHeight);

// The task bar's progress strip: the filled width of `width` pixels and the
// whole percentage for `position` of `total`; nothing filled and 0 % for a
// total of 0 or less, and position clamped to 0..total.
struct StripFill {
    int filled;
    int percent;
};
StripFill ProgressStripFill(int position, int total, int width);

}  // namespace textory
