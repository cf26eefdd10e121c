// A frame of raw scanner rows turned into a packed device-independent bitmap:
// the 40-byte header, the colour table, rows bottom-up padded to 4 bytes.
// 1-bit frames stay 1-bit (value 1 black, table white then black), 8- and
// 16-bit grey become 8-bit grey with a 256-entry ramp, RGB becomes 24-bit
// (blue, green, red); the resolution goes into the header in pixels a metre.
#pragma once

#include <cstddef>

#include "platform/win/types.h"

namespace scan {

struct FrameLayout {
    bool colour = false;   // three samples a pixel (red, green, blue), else one
    int depth = 0;         // bits a sample: 1 (grey only), 8 or 16 (the machine's byte order)
    int pixelsPerLine = 0;
    int bytesPerLine = 0;  // the device's row length, at least what the pixels need
};

// The rows a frame of `size` bytes holds (whole rows only), 0 when the layout is unusable.
int FrameRows(const FrameLayout& layout, std::size_t size);
// Bytes of the packed DIB of such a frame; 0 when it cannot be packed
// (unusable layout, no whole row, or larger than the library handles).
std::size_t PackedDibSize(const FrameLayout& layout, std::size_t size);
// Writes the packed DIB into `out` (PackedDibSize bytes); false as above.
bool PackDib(const FrameLayout& layout, const BYTE* bytes, std::size_t size, int dpi, BYTE* out);

}  // namespace scan
