// Whole-page edits of the working plane: inversion, automatic inversion,
// cropping and a white margin. Crop and invert of grey and colour pages are
// applied to the source bitmap as well, so that a later rebinarisation, turn
// or save sees the page the user sees.
#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/dib_layout.h"
#include "imaging/image_block.h"
#include "imaging/page_image.h"
#include "imaging/plane_bits.h"

namespace {

void invertBytes(BYTE* p, std::size_t n) {
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t v;
        std::memcpy(&v, p + i, 8);
        v = ~v;
        std::memcpy(p + i, &v, 8);
    }
    for (; i < n; ++i) p[i] = static_cast<BYTE>(~p[i]);
}

}  // namespace

void CPageImage::Invert() {
    if (m_hBits) {
        CBlockLock plane(m_hBits);
        if (plane) invertBytes(plane.get(), std::min<std::size_t>(plane.size(), PlaneBytes()));
    }
    if (m_hDib && (m_nBitCount == 8 || m_nBitCount == 24)) {
        CBlockLock dib(m_hDib);
        DibLayout layout;
        if (dib && DescribeDib(dib.get(), dib.size(), layout))
            for (int y = 0; y < layout.height; ++y)
                invertBytes(layout.Row(y), static_cast<std::size_t>(layout.width) * (layout.bitCount / 8));
    }
}

void CPageImage::AutoInvert() {
    if (m_nBitCount != 1 || !m_hBits) return;
    std::uint64_t white = 0, black = 0, mixed = 0;
    {
        CBlockLock plane(m_hBits);
        if (!plane) return;
        const std::size_t n = std::min<std::size_t>(plane.size(), PlaneBytes());
        const BYTE* p = plane.get();
        for (std::size_t i = 0; i < n; ++i) {
            white += p[i] == 0;
            black += p[i] == 0xFF;
        }
        mixed = n - white - black;
    }
    if (black > (white + mixed) / 9 && 2 * white < black) Invert();
}

BOOL CPageImage::Crop(int left, int top, int right, int bottom) {
    // Clip to the page; right and bottom are exclusive.
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, m_nWidth);
    bottom = std::min(bottom, m_nHeight);
    if (left >= right || top >= bottom || !m_hBits) return FALSE;
    if (left == 0 && top == 0 && right == m_nWidth && bottom == m_nHeight) return TRUE;
    const int newWidth = right - left, newHeight = bottom - top;
    const DWORD oldRow = RowBytes(), newRow = (static_cast<DWORD>(newWidth) + 7) / 8;
    {
        CBlockLock plane(m_hBits);
        if (!plane) return FALSE;
        BYTE* p = plane.get();
        std::vector<BYTE> row(newRow + 1);
        const int shift = left & 7;
        for (int y = 0; y < newHeight; ++y) {
            const BYTE* src = p + static_cast<std::size_t>(top + y) * oldRow + left / 8;
            const std::size_t srcBytes = oldRow - left / 8;
            for (DWORD i = 0; i < newRow; ++i) {
                const BYTE hi = src[i];
                const BYTE lo = i + 1 < srcBytes ? src[i + 1] : 0;
                row[i] = shift ? static_cast<BYTE>(hi << shift | lo >> (8 - shift)) : hi;
            }
            row[newRow - 1] &= LastByteMask(newWidth);
            // Rows only move towards the start, so the packed row never overtakes unread ones.
            std::memcpy(p + static_cast<std::size_t>(y) * newRow, row.data(), newRow);
        }
    }
    ReAllocImageBlock(m_hBits, static_cast<SIZE_T>(newRow) * newHeight, GMEM_MOVEABLE);  // shrinking; keeps the block when refused

    if (m_hDib && (m_nBitCount == 8 || m_nBitCount == 24)) {
        CBlockLock dib(m_hDib);
        DibLayout layout;
        if (dib && DescribeDib(dib.get(), dib.size(), layout) && layout.width >= right && layout.height >= bottom) {
            const int bpp = layout.bitCount / 8;
            const DWORD newStride = WIDTHBYTES(static_cast<DWORD>(newWidth * layout.bitCount));
            // New stored row r (bottom-up) is page row bottom - 1 - r, stored at old row height - bottom + r.
            for (int r = 0; r < newHeight; ++r) {
                BYTE* dst = layout.bits + static_cast<std::size_t>(r) * newStride;
                const BYTE* src = layout.bits + static_cast<std::size_t>(layout.height - bottom + r) * layout.stride +
                                  static_cast<std::size_t>(left) * bpp;
                std::memmove(dst, src, static_cast<std::size_t>(newWidth) * bpp);
                std::memset(dst + static_cast<std::size_t>(newWidth) * bpp, 0, newStride - newWidth * bpp);
            }
            layout.header->biWidth = newWidth;
            layout.header->biHeight = newHeight;
            layout.header->biSizeImage = newStride * newHeight;
            const std::size_t used = static_cast<std::size_t>(layout.bits - dib.get()) + std::size_t(newStride) * newHeight;
            ReAllocImageBlock(m_hDib, used, GMEM_MOVEABLE);
        }
    }
    m_nWidth = newWidth;
    m_nHeight = newHeight;
    return TRUE;
}

BOOL CPageImage::AddMargin() {
    if (!m_hBits || m_nWidth <= 0 || m_nHeight <= 0) return FALSE;
    const int newWidth = m_nWidth + 80, newHeight = m_nHeight + 80;
    const DWORD oldRow = RowBytes(), newRow = (static_cast<DWORD>(newWidth) + 7) / 8;
    HGLOBAL bigger = AllocImageBlock(GHND, static_cast<SIZE_T>(newRow) * newHeight);
    if (!bigger) return FALSE;
    {
        CBlockLock src(m_hBits), dst(bigger);
        if (!src || !dst) {
            GlobalFree(bigger);
            return FALSE;
        }
        const BYTE lastMask = LastByteMask(m_nWidth);
        for (int y = 0; y < m_nHeight; ++y) {
            BYTE* out = dst.get() + static_cast<std::size_t>(y + 40) * newRow + 5;
            std::memcpy(out, src.get() + static_cast<std::size_t>(y) * oldRow, oldRow);
            out[oldRow - 1] &= lastMask;
        }
    }
    GlobalFree(m_hBits);
    m_hBits = bigger;
    m_nWidth = newWidth;
    m_nHeight = newHeight;
    return TRUE;
}
