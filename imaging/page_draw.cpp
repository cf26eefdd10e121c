// Painting on a page: erasing a rectangle to white and drawing thick
// straight black lines, on the plane of a 1-bit page or into the bitmap of a
// grey or colour page.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "imaging/dib_layout.h"
#include "imaging/image_block.h"
#include "imaging/page_image.h"
#include "imaging/plane_bits.h"

namespace {

// Walks the line of DrawLine and calls `run(x, y, length, vertical)` for each
// piece of the thick line: a vertical run of `length` pixels downward from
// (x, y) for mostly horizontal lines, a horizontal run rightward otherwise.
// Runs are already clipped to the page.
void walkThickLine(int x1, int y1, int x2, int y2, int thickness, int width, int height,
                   const std::function<void(int, int, int, bool)>& run) {
    if (thickness <= 0 || width <= 0 || height <= 0) return;
    auto clampTo = [](int v, int last) { return std::clamp(v, 0, last); };
    x1 = clampTo(x1, width - 1);
    x2 = clampTo(x2, width - 1);
    y1 = clampTo(y1, height - 1);
    y2 = clampTo(y2, height - 1);
    const int dx = std::abs(x1 - x2), dy = std::abs(y1 - y2);
    const bool horizontal = dy < dx;
    // Work in (along, across) coordinates: along = x for horizontal lines.
    int a1 = horizontal ? x1 : y1, b1 = horizontal ? y1 : x1;
    int a2 = horizontal ? x2 : y2, b2 = horizontal ? y2 : x2;
    const int acrossSize = horizontal ? height : width;
    const int alongSize = horizontal ? width : height;
    if (a2 < a1) {
        std::swap(a1, a2);
        std::swap(b1, b2);
    }
    const int along = a2 - a1, across = std::abs(b2 - b1);
    const int direction = b2 >= b1 ? 1 : -1;
    thickness = std::min(thickness, acrossSize);
    if (thickness > 2) {
        // Centre the thickness, moving only as far as the edge allows.
        const int shift = std::min(thickness / 2, std::min(b1, b2));
        b1 -= shift;
    }
    int start = a1, steps = along;
    if (a1 - 1 >= 0) {
        start = a1 - 1;
        steps = along + 2;
    }
    for (int i = 0; i < steps; ++i) {
        const int a = start + i;
        if (a >= alongSize) break;
        const int b = b1 + direction * (i * across) / steps;
        if (b < 0 || b >= acrossSize) continue;
        const int length = std::min(thickness, acrossSize - b);
        if (horizontal)
            run(a, b, length, true);
        else
            run(b, a, length, false);
    }
}

}  // namespace

void CPageImage::EraseRect(int x1, int y1, int x2, int y2) {
    int left = std::max(std::min(x1, x2), 0), right = std::min(std::max(x1, x2), m_nWidth - 1);
    int top = std::max(std::min(y1, y2), 0), bottom = std::min(std::max(y1, y2), m_nHeight - 1);
    if (left >= m_nWidth || top >= m_nHeight || left > right || top > bottom) return;
    if ((m_nBitCount == 8 || m_nBitCount == 24) && m_hDib) {
        CBlockLock dib(m_hDib);
        DibLayout layout;
        if (!dib || !DescribeDib(dib.get(), dib.size(), layout)) return;
        right = std::min(right, layout.width - 1);
        bottom = std::min(bottom, layout.height - 1);
        const int bpp = layout.bitCount / 8;
        for (int y = top; y <= bottom; ++y)
            std::memset(layout.Row(y) + static_cast<std::size_t>(left) * bpp, 255,
                        static_cast<std::size_t>(right - left + 1) * bpp);
        return;
    }
    if (!m_hBits) return;
    CBlockLock plane(m_hBits);
    if (!plane) return;
    const DWORD rowBytes = RowBytes();
    const int firstByte = left / 8, lastByte = right / 8;
    const BYTE keepLeft = static_cast<BYTE>(~MaskFrom(left)), keepRight = static_cast<BYTE>(~MaskThrough(right));
    for (int y = top; y <= bottom; ++y) {
        BYTE* row = plane.get() + static_cast<std::size_t>(y) * rowBytes;
        if (firstByte == lastByte) {
            row[firstByte] &= keepLeft | keepRight;
            continue;
        }
        row[firstByte] &= keepLeft;
        if (lastByte - firstByte > 1) std::memset(row + firstByte + 1, 0, lastByte - firstByte - 1);
        row[lastByte] &= keepRight;
    }
}

void CPageImage::DrawLine(int x1, int y1, int x2, int y2, int nWidth) {
    if (m_nBitCount != 1) {
        DrawDibLine(x1, y1, x2, y2, nWidth);
        return;
    }
    if (!m_hBits) return;
    CBlockLock plane(m_hBits);
    if (!plane) return;
    const DWORD rowBytes = RowBytes();
    walkThickLine(x1, y1, x2, y2, nWidth, m_nWidth, m_nHeight, [&](int x, int y, int length, bool vertical) {
        for (int k = 0; k < length; ++k) {
            if (vertical)
                SetPlaneBit(plane.get() + static_cast<std::size_t>(y + k) * rowBytes, x);
            else
                SetPlaneBit(plane.get() + static_cast<std::size_t>(y) * rowBytes, x + k);
        }
    });
}

void CPageImage::DrawDibLine(int x1, int y1, int x2, int y2, int nWidth) {
    if ((m_nBitCount != 8 && m_nBitCount != 24) || !m_hDib) return;
    CBlockLock dib(m_hDib);
    DibLayout layout;
    if (!dib || !DescribeDib(dib.get(), dib.size(), layout)) return;
    const int bpp = layout.bitCount / 8;
    walkThickLine(x1, y1, x2, y2, nWidth, layout.width, layout.height, [&](int x, int y, int length, bool vertical) {
        for (int k = 0; k < length; ++k) {
            const int px = vertical ? x : x + k, py = vertical ? y + k : y;
            std::memset(layout.Row(py) + static_cast<std::size_t>(px) * bpp, 0, bpp);
        }
    });
}
