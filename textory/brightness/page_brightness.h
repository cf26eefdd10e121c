// What the brightness dialog's messages do to the open page: the page's
// brightness value and the last threshold its grey binarisation used, the
// value the dialog starts with, and WM_SETBRIGHTNESS applied to the page
// (the whole page for the final value, the visible part for a preview).
#pragma once

#include "platform/win/types.h"

class CPageImage;

namespace textory {

struct PageBrightness {
    int value = -1;          // the page's brightness value; -1 unset
    int lastThreshold = -1;  // the threshold the last binarisation used; -1 unset

    // A page was opened or scanned.
    void Reset() { value = lastThreshold = -1; }
};

// Whether the brightness commands work on the page: 8-bit grey only.
bool TakesBrightness(const CPageImage* page);

// The dialog's first value: the page's brightness value, else the last
// threshold, else the automatic threshold of the whole grey page (what the
// page was binarised with when it was read); -1 for a page that is not grey.
int StartingBrightness(const PageBrightness& state, const CPageImage& page);

// WM_SETBRIGHTNESS: the value becomes the page's brightness value and the
// grey page is binarised at it, over the whole page (final) or over
// `visible` only (preview, page pixels, inclusive). FALSE, with nothing
// changed, for a page that is not grey.
bool ApplyBrightness(PageBrightness& state, CPageImage& page, bool final, int value, const RECT& visible);

}  // namespace textory
