// A frame layout as a device might report it, followed by its bytes: packing
// must refuse it or write exactly the size it announced, with a header that
// agrees with the layout.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "outside/scan/dib_packing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 12) return 0;
    scan::FrameLayout layout;
    layout.colour = data[0] & 1;
    layout.depth = data[1];
    std::int32_t pixels, bytes;
    std::memcpy(&pixels, data + 2, 4);
    std::memcpy(&bytes, data + 6, 4);
    layout.pixelsPerLine = pixels % 4096;  // keeps each input's output small
    layout.bytesPerLine = bytes % 16384;
    const int dpi = data[10] * 10;
    const uint8_t* raw = data + 12;
    const std::size_t rawSize = size - 12;
    const std::size_t out = scan::PackedDibSize(layout, rawSize);
    if (!out) return 0;
    if (out > (std::size_t(64) << 20)) return 0;
    std::vector<BYTE> dib(out + 1, 0xA5);
    if (!scan::PackDib(layout, raw, rawSize, dpi, dib.data())) std::abort();
    if (dib[out] != 0xA5) std::abort();  // nothing past the announced size
    std::uint32_t width, height;
    std::memcpy(&width, dib.data() + 4, 4);
    std::memcpy(&height, dib.data() + 8, 4);
    if (int(width) != layout.pixelsPerLine || int(height) != scan::FrameRows(layout, rawSize)) std::abort();
    return 0;
}
