// Where a scanned page lands on the printed page: its size at its own
// resolution, fitted or scaled, and centred or at the top left.
#pragma once

#include "platform/win/types.h"

namespace duvrin {

// The page's rectangle in device dots, for a printable area of
// `areaWidth` x `areaHeight` at `deviceDpi`.
RECT PlacePage(LONG width, LONG height, DWORD imageDpi, int deviceDpi, LONG areaWidth, LONG areaHeight, DWORD flags,
               int scalePercent);

}  // namespace duvrin
