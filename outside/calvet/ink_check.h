// Whether a page holds ink that its text does not explain: the page drawn at
// a low resolution, every dark dot outside the (slightly widened) text boxes
// counts. Such a page (pictures, rules, drawings) cannot be converted whole.
#pragma once

#include "outside/calvet/page_layout.h"

#include <vector>

namespace poppler {
class page;
}

namespace rtfconv {

// Resolution of the check; a glyph's spill at this size stays within the margin.
constexpr double kInkCheckDpi = 36;

// True when `page`, drawn at kInkCheckDpi, has a dark dot outside `boxes`
// (points, y down), or when it cannot be drawn at all.
bool HasInkOutside(const poppler::page& page, const std::vector<Box>& boxes);

}  // namespace rtfconv
