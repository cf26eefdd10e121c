// Straightening a page along a skew line of slope dy / dx. A 1-bit page is
// straightened by two shears of its plane built from an integer run table
// (columns moved vertically, then rows horizontally); a grey or colour page
// has its bitmap turned by the true angle.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "imaging/dib_rotate.h"
#include "imaging/image_block.h"
#include "imaging/page_image.h"
#include "imaging/plane_bits.h"
#include "shell/shell_services.h"

namespace {

// k(v) for v = 0 .. n: the number of run-table entries whose sum first reaches v (at least 1).
// The run table holds the pixel counts between successive one-pixel steps of the line.
std::vector<int> stepCounts(int n, int d, int dy) {
    std::vector<int> runs;
    runs.reserve(static_cast<std::size_t>(n) * dy / d + 10);
    int acc = d / 2 - dy, count = 0;
    for (int i = 0; i < n; ++i) {
        ++count;
        acc += dy;
        if (acc >= d) {
            acc -= d;
            runs.push_back(count);
            count = 0;
        }
    }
    runs.push_back(count);
    runs.push_back(0);
    std::vector<int> k(static_cast<std::size_t>(n) + 2, 1);
    std::size_t entries = 1;
    long long sum = runs[0];
    for (int v = 0; v <= n + 1; ++v) {
        while (sum < v && entries < runs.size()) sum += runs[entries++];
        k[v] = static_cast<int>(entries);
    }
    return k;
}

// Bits of one byte column that share one vertical shift.
struct ShiftGroup {
    BYTE mask;
    int shift;
};

}  // namespace

BOOL CPageImage::Deskew(int dx, int dy, int left, int top, int right, int bottom, HGLOBAL hResult) {
    if (dx == 0 || !hResult) return FALSE;
    if (m_nBitCount == 8 || m_nBitCount == 24) {
        if (!m_hDib) return FALSE;
        const SIZE_T size = GlobalSize(m_hDib);
        if (GlobalSize(hResult) < size) return FALSE;
        {
            CBlockLock src(m_hDib), dst(hResult);
            if (!src || !dst) return FALSE;
            std::memcpy(dst.get(), src.get(), size);
        }
        return RotateDib(hResult, std::atan(static_cast<double>(dy) / dx)) == kRotateDone ? TRUE : FALSE;
    }
    if (!m_hBits || m_nWidth <= 0 || m_nHeight <= 0) return FALSE;
    CShellWaitCursor wait;
    const int d = std::abs(dx);
    if (dy < 1 || d < 5 * dy) return FALSE;
    const int width = m_nWidth, height = m_nHeight;
    const int rowBytes = static_cast<int>(RowBytes());
    // The region, its right and bottom taken 9 pixels in, kept inside the page.
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right - 9, width - 1);
    bottom = std::min(bottom - 9, height - 1);
    if (left > right || top > bottom) return FALSE;

    std::vector<int> k;
    try {
        k = stepCounts(std::max(width, height), d, dy);
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    CBlockLock plane(m_hBits), result(hResult);
    if (!plane || !result || result.size() < PlaneBytes() || plane.size() < PlaneBytes()) return FALSE;
    BYTE* out = result.get();
    const BYTE* in = plane.get();
    std::memset(out, 0, PlaneBytes());

    // Column pass: pixel x moves by k(x + 1) - 1 rows, grouped by byte column.
    const int firstByte = left / 8, lastByte = std::min((right + 7) / 8, rowBytes - 1);
    std::vector<std::vector<ShiftGroup>> groups(lastByte - firstByte + 1);
    std::vector<int> bound(lastByte - firstByte + 1);
    for (int b = firstByte; b <= lastByte; ++b) {
        auto& g = groups[b - firstByte];
        for (int bit = 0; bit < 8; ++bit) {
            const int shift = k[std::min(8 * b + bit + 1, static_cast<int>(k.size()) - 1)] - 1;
            if (g.empty() || g.back().shift != shift) g.push_back(ShiftGroup{0, shift});
            g.back().mask |= static_cast<BYTE>(0x80u >> bit);
        }
        bound[b - firstByte] = height - 2 - k[std::min(8 * b, static_cast<int>(k.size()) - 1)];
    }
    for (int y = top; y <= bottom; ++y) {
        BYTE* row = out + static_cast<std::size_t>(y) * rowBytes;
        for (int b = firstByte; b <= lastByte; ++b) {
            BYTE v = 0;
            for (const ShiftGroup& g : groups[b - firstByte]) {
                const int sourceRow = dx > 0 ? y - g.shift : y + g.shift;
                if (sourceRow < 0 || sourceRow >= height) continue;
                if (dx < 0 && y >= bound[b - firstByte]) continue;
                v |= in[static_cast<std::size_t>(sourceRow) * rowBytes + b] & g.mask;
            }
            row[b] = v;
        }
    }

    // Row pass: row y moves by k(y) pixels, left for dx > 0 and right for dx < 0.
    std::vector<BYTE> line(rowBytes);
    const BYTE lastMask = LastByteMask(width);
    for (int y = top; y <= bottom; ++y) {
        BYTE* row = out + static_cast<std::size_t>(y) * rowBytes;
        const int s = k[y];
        const int q = s / 8, r = s % 8;
        for (int i = 0; i < rowBytes; ++i) {
            if (dx > 0) {
                const BYTE hi = i + q < rowBytes ? row[i + q] : 0;
                const BYTE lo = i + q + 1 < rowBytes ? row[i + q + 1] : 0;
                line[i] = r ? static_cast<BYTE>(hi << r | lo >> (8 - r)) : hi;
            } else {
                const BYTE hi = i - q - 1 >= 0 ? row[i - q - 1] : 0;
                const BYTE lo = i - q >= 0 ? row[i - q] : 0;
                line[i] = r ? static_cast<BYTE>(hi << (8 - r) | lo >> r) : lo;
            }
        }
        line[rowBytes - 1] &= lastMask;
        std::memcpy(row, line.data(), rowBytes);
    }
    return TRUE;
}
