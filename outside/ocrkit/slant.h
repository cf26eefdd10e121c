// How text lies on a page: the typical size of its characters and the slant
// of its lines, both from the connected components of the ink.
#pragma once

#include <vector>

#include "outside/ocrkit/plane.h"

namespace ocrkit {

// A speck of dirt: a few pixels, small both ways.
bool isSpeck(const Component& c);

// Typical character size of the components in pixels (at least 12).
int typicalCharSize(const std::vector<Component>& comps);

// The slant of the text lines of the components in degrees: positive when
// lines fall to the right (y grows with x), and then columns lean to the
// left (x shrinks as y grows). 0 when nothing can be measured.
double measureSlant(const std::vector<Component>& comps, int charSize);

}  // namespace ocrkit
