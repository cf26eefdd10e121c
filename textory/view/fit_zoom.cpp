#include "textory/view/fit_zoom.h"

#include <algorithm>

namespace textory {

int FitZoomFor(int pageWidth, int pageHeight, int viewWidth, int viewHeight) {
    if (viewWidth <= 0 || viewHeight <= 0) return -1;
    const int byHeight = std::max(0, pageHeight) / viewHeight + 1;
    const int byWidth = (std::max(0, pageWidth) + viewWidth - 1) / viewWidth;
    const int n = std::max(byHeight, byWidth);
    if (n <= 1) return 256;
    if (n == 2) return 128;
    if (n <= 4) return 64;
    if (n <= 8) return 32;
    if (n <= 16) return 16;
    return 8;
}

StripFill ProgressStripFill(int position, int total, int width) {
    if (total <= 0 || width <= 0) return {0, 0};
    const long long p = std::clamp(position, 0, total);
    return {static_cast<int>(p * width / total), static_cast<int>(p * 100 / total)};
}

}  // namespace textory
