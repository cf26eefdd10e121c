// Resolutions read from image files and bitmap headers. A value outside 1 to
// 10,000 dots per inch is damaged or meaningless (a stray header field, a
// wrong unit) and counts as unknown, so that the reader's own default applies;
// nothing downstream then has to guard its arithmetic against it.
#pragma once

#include "platform/win/types.h"

#include <cmath>

namespace suite {

inline constexpr int kMinKnownDpi = 1;
inline constexpr int kMaxKnownDpi = 10000;
inline constexpr double kMetresPerInch = 0.0254;

// Whole dots per inch (truncated) of a resolution given in dots per inch; 0
// when the whole value lies outside 1 to 10,000 (or it is not a number).
constexpr int KnownDpi(double dpi) {
    return dpi >= kMinKnownDpi && dpi < kMaxKnownDpi + 1 ? static_cast<int>(dpi) : 0;
}

// Dots per inch of a bitmap header's pixels per metre (ppm x 0.0254,
// truncated: 11811 gives 299); 0 when unknown.
constexpr int DpiOfPelsPerMeter(LONG pelsPerMeter) { return KnownDpi(pelsPerMeter * kMetresPerInch); }

// The header field itself when it stands for a known resolution, else 0.
constexpr LONG KnownPelsPerMeter(LONG pelsPerMeter) { return DpiOfPelsPerMeter(pelsPerMeter) ? pelsPerMeter : 0; }

// Pixels per metre of a resolution in dots per inch, rounded; 0 when unknown.
inline LONG PelsPerMeterOfDpi(double dpi) {
    return KnownDpi(dpi) ? static_cast<LONG>(std::lround(dpi / kMetresPerInch)) : 0;
}

}  // namespace suite
