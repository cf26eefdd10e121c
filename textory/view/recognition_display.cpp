#include "textory/view/recognition_display.h"

#include "textory/view/fit_zoom.h"

namespace textory {

int CRecognitionDisplay::OnProgress(int position, int value, int currentZoom, int pageWidth, int pageHeight,
                                    int viewWidth, int viewHeight) {
    int zoom = -1;
    if (position == -1) {
        // The display ends: the user's zoom comes back (once).
        if (position_ != -1 && remembered_ > 0) zoom = remembered_ != currentZoom ? remembered_ : -1;
        remembered_ = -1;
    } else if (position_ == -1) {
        remembered_ = currentZoom;
        const int fit = FitZoomFor(pageWidth, pageHeight, viewWidth, viewHeight);
        zoom = fit > 0 && fit != currentZoom ? fit : -1;
    }
    position_ = position;
    value_ = value;
    return zoom;
}

}  // namespace textory
