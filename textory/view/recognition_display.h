// The page view while a page is recognised: the first progress position
// remembers the zoom the user had and shows the whole page; the position -1
// gives the remembered zoom back. A view with no size keeps its zoom.
#pragma once

#include "platform/win/types.h"

namespace textory {

class CRecognitionDisplay {
public:
    // Progress `position` (-1 ends the display) of `value`; returns the zoom
    // the view is to take, or -1 to leave it as it is.
    int OnProgress(int position, int value, int currentZoom, int pageWidth, int pageHeight, int viewWidth,
                   int viewHeight);
    bool IsOn() const { return position_ != -1; }
    int Position() const { return position_; }
    int Value() const { return value_; }

private:
    int position_ = -1;
    int value_ = 0;
    int remembered_ = -1;
};

}  // namespace textory
