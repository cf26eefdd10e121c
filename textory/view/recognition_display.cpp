#include "textory/view/recognition_display.h"

#include "textory/view/fit_zoom.h"

namespace textory {

CRecognitionDisplay::Change CRecognitionDisplay::OnProgress(int position, int value, int currentZoom,
                                                            POINT currentScroll, int pageWidth, int pageHeight,
                                                            int viewWidth, int viewHeight) {
    Change change;
    if (position == -1) {
        // The display ends: the user's zoom and place on the page come back (once).
        if (position_ != -1 && remembered_ > 0) {
            change.zoom = remembered_ != currentZoom ? remembered_ : -1;
            change.restoreScroll = change.zoom != -1 || currentScroll.x != rememberedScroll_.x ||
                                   currentScroll.y != rememberedScroll_.y;
            change.scroll = rememberedScroll_;
        }
        remembered_ = -1;
    } else if (position_ == -1) {
        remembered_ = currentZoom;
        rememberedScroll_ = currentScroll;
        const int fit = FitZoomFor(pageWidth, pageHeight, viewWidth, viewHeight);
        change.zoom = fit > 0 && fit != currentZoom ? fit : -1;
    }
    position_ = position;
    value_ = value;
    return change;
}

}  // namespace textory
