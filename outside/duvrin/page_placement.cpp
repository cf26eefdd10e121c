#include "outside/duvrin/page_placement.h"

#include <algorithm>

#include "outside/include/duvrin.h"

namespace duvrin {

RECT PlacePage(LONG width, LONG height, DWORD imageDpi, int deviceDpi, LONG areaWidth, LONG areaHeight, DWORD flags,
               int scalePercent) {
    const double dpi = imageDpi > 0 ? double(imageDpi) : 200.0;
    double w = width * deviceDpi / dpi, h = height * deviceDpi / dpi;
    if (flags & PRINTER_FLAG_FIT) {
        const double f = std::min(areaWidth / std::max(w, 1.0), areaHeight / std::max(h, 1.0));
        w *= f;
        h *= f;
    } else if (flags & PRINTER_FLAG_SCALE) {
        const double f = std::clamp(scalePercent, 1, 1000) / 100.0;
        w *= f;
        h *= f;
    }
    LONG x = 0, y = 0;
    if (flags & PRINTER_FLAG_CENTER) {
        x = LONG((areaWidth - w) / 2);
        y = LONG((areaHeight - h) / 2);
    }
    return RECT{x, y, x + LONG(w), y + LONG(h)};
}

}  // namespace duvrin
