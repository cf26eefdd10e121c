// The page view while a page is recognised: the first progress position
// remembers the zoom and the scroll position the user had and shows the
// whole page; the position -1 gives both back. A view with no size keeps
// its zoom.
#pragma once

#include "platform/win/types.h"

namespace textory {

class CRecognitionDisplay {
public:
    // What the view is to do after a progress position.
    struct Change {
        int zoom = -1;              // the zoom to take; -1 leaves it as it is
        bool restoreScroll = false;  // scroll back to `scroll` (after the zoom)
        POINT scroll{0, 0};
    };

    // Progress `position` (-1 ends the display) of `value`, with the view's
    // zoom and scroll position as they are now.
    Change OnProgress(int position, int value, int currentZoom, POINT currentScroll, int pageWidth, int pageHeight,
                      int viewWidth, int viewHeight);
    bool IsOn() const { return position_ != -1; }
    int Position() const { return position_; }
    int Value() const { return value_; }

private:
    int position_ = -1;
    int value_ = 0;
    int remembered_ = -1;
    POINT rememberedScroll_{0, 0};
};

}  // namespace textory
