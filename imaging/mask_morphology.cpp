// Morphology of 1-bit ink masks: a vertical smear that joins the strokes of
// a seal, and 3 x 3 dilation and erosion worked a byte at a time.
#include <cstring>
#include <vector>

#include "imaging/page_image.h"

void CPageImage::SmearRows(BYTE* pOut, const BYTE* pIn, int width, int height) {
    const std::size_t rowBytes = (static_cast<std::size_t>(width) + 7) / 8;
    for (int y = 4; y <= height - 5; ++y) {
        const BYTE* in = pIn + y * rowBytes;
        for (std::size_t i = 0; i < rowBytes; ++i) {
            if (!in[i]) continue;
            for (int k = y - 3; k <= y + 2; ++k) pOut[k * rowBytes + i] = 0xFF;
        }
    }
}

namespace {

// Horizontal step of one row: each run of set bits grows (dilation) or
// shrinks (erosion) by one pixel either side; pixels beyond the row count as clear.
void horizontal(const BYTE* in, BYTE* out, std::size_t rowBytes, bool dilate) {
    for (std::size_t i = 0; i < rowBytes; ++i) {
        const unsigned v = in[i];
        const unsigned leftBit = i > 0 ? (in[i - 1] & 1u) << 7 : 0u;          // left neighbour's bit 0
        const unsigned rightBit = i + 1 < rowBytes ? in[i + 1] >> 7 : 0u;     // right neighbour's bit 7
        const unsigned fromLeft = (v >> 1) | leftBit, fromRight = ((v << 1) & 0xFFu) | rightBit;
        out[i] = static_cast<BYTE>(dilate ? (v | fromLeft | fromRight) : (v & fromLeft & fromRight));
    }
}

void morph(BYTE* pOut, const BYTE* pIn, int width, int height, bool dilate) {
    if (width <= 0 || height <= 0) return;
    const std::size_t rowBytes = (static_cast<std::size_t>(width) + 7) / 8;
    // Three horizontal results in a ring: rows y - 1, y, y + 1.
    std::vector<BYTE> ring(3 * rowBytes, 0);
    auto slot = [&](int y) { return ring.data() + static_cast<std::size_t>((y % 3 + 3) % 3) * rowBytes; };
    horizontal(pIn, slot(0), rowBytes, dilate);
    for (int y = 0; y < height; ++y) {
        if (y + 1 < height) horizontal(pIn + (y + 1) * rowBytes, slot(y + 1), rowBytes, dilate);
        BYTE* out = pOut + y * rowBytes;
        const BYTE* mid = slot(y);
        const bool hasAbove = y > 0, hasBelow = y + 1 < height;
        const BYTE* above = hasAbove ? slot(y - 1) : nullptr;
        const BYTE* below = hasBelow ? slot(y + 1) : nullptr;
        // A missing neighbour row (first and last rows) counts as empty.
        for (std::size_t i = 0; i < rowBytes; ++i) {
            if (dilate)
                out[i] = static_cast<BYTE>(mid[i] | (hasAbove ? above[i] : 0) | (hasBelow ? below[i] : 0));
            else
                out[i] = static_cast<BYTE>(hasAbove && hasBelow ? (mid[i] & above[i] & below[i]) : 0);
        }
    }
}

}  // namespace

void CPageImage::DilateBits(BYTE* pOut, const BYTE* pIn, int width, int height) { morph(pOut, pIn, width, height, true); }
void CPageImage::ErodeBits(BYTE* pOut, const BYTE* pIn, int width, int height) { morph(pOut, pIn, width, height, false); }
