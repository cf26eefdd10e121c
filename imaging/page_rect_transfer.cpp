// Pieces of the working plane fetched and stored by rectangle (inclusive
// edges), and the cut-out of a rectangle of a grey or colour page. Every
// edge is checked: a rectangle reaching outside the page is refused.
#include <cstring>
#include <algorithm>
#include <new>

#include "imaging/dib_layout.h"
#include "imaging/image_block.h"
#include "imaging/page_image.h"
#include "imaging/plane_bits.h"

BOOL CPageImage::GetRectPixels(const RECT& rect, BYTE* pOut) {
    if (!pOut || !m_hBits || !InsidePage(rect)) return FALSE;
    CBlockLock plane(m_hBits);
    if (!plane) return FALSE;
    const DWORD rowBytes = RowBytes();
    for (int y = rect.top; y <= rect.bottom; ++y) {
        const BYTE* row = plane.get() + static_cast<std::size_t>(y) * rowBytes;
        for (int x = rect.left; x <= rect.right; ++x) *pOut++ = PlaneBit(row, x) ? 1 : 0;
    }
    return TRUE;
}

BOOL CPageImage::GetRectBits(const RECT& rect, BYTE* pOut, int nFlags) {
    if (!pOut || !m_hBits || !InsidePage(rect)) return FALSE;
    CBlockLock plane(m_hBits);
    if (!plane) return FALSE;
    const DWORD rowBytes = RowBytes();
    const int w = rect.right - rect.left + 1, h = rect.bottom - rect.top + 1;
    if (nFlags & kRectTurnLeft) {
        // Output row k is source column right - k; output column m is source row top + m.
        const int outRow = (h + 7) / 8;
        for (int m = 0; m < h; ++m) {
            const BYTE* row = plane.get() + static_cast<std::size_t>(rect.top + m) * rowBytes;
            const BYTE bit = static_cast<BYTE>(0x80u >> (m & 7));
            for (int k = 0; k < w; ++k)
                if (PlaneBit(row, rect.right - k)) pOut[static_cast<std::size_t>(k) * outRow + m / 8] |= bit;
        }
        return TRUE;
    }
    const int outRow = (w + 7) / 8;
    const BYTE lastMask = LastByteMask(w);
    for (int y = rect.top; y <= rect.bottom; ++y) {
        const BYTE* row = plane.get() + static_cast<std::size_t>(y) * rowBytes;
        for (int i = 0; i < outRow; ++i) pOut[i] = ReadBits8(row, rowBytes, static_cast<std::size_t>(rect.left) + 8 * i);
        pOut[outRow - 1] &= lastMask;
        pOut += outRow;
    }
    return TRUE;
}

BOOL CPageImage::SetRectBits(const RECT& rect, const BYTE* pIn) {
    if (!pIn || !m_hBits || !InsidePage(rect)) return FALSE;
    CBlockLock plane(m_hBits);
    if (!plane) return FALSE;
    const DWORD rowBytes = RowBytes();
    const int w = rect.right - rect.left + 1;
    const int inRow = (w + 7) / 8;
    for (int y = rect.top; y <= rect.bottom; ++y, pIn += inRow) {
        BYTE* row = plane.get() + static_cast<std::size_t>(y) * rowBytes;
        for (int i = 0; i < inRow; ++i)
            WriteBits(row, static_cast<std::size_t>(rect.left) + 8 * i, pIn[i], std::min(8, w - 8 * i));
    }
    return TRUE;
}

BOOL CPageImage::CopyRectCentered(const RECT& rect, BYTE* pDst, int nDstX, int nDstStride, int nDstHeight) {
    if (!pDst || !m_hBits || !InsidePage(rect)) return FALSE;
    const int w = rect.right - rect.left + 1, h = rect.bottom - rect.top + 1;
    const int firstRow = (nDstHeight - h + 1) / 2;
    // The destination cell must hold the whole rectangle.
    if (nDstX < 0 || firstRow < 0 || firstRow + h > nDstHeight ||
        static_cast<std::int64_t>(nDstX) + w > static_cast<std::int64_t>(nDstStride) * 8)
        return FALSE;
    CBlockLock plane(m_hBits);
    if (!plane) return FALSE;
    const DWORD rowBytes = RowBytes();
    const int end = nDstX + w;  // first destination column after the piece
    for (int m = 0; m < h; ++m) {
        const BYTE* row = plane.get() + static_cast<std::size_t>(rect.top + m) * rowBytes;
        BYTE* out = pDst + static_cast<std::size_t>(firstRow + m) * nDstStride;
        for (int i = 0; 8 * i < w; ++i)
            WriteBits(out, static_cast<std::size_t>(nDstX) + 8 * i,
                      ReadBits8(row, rowBytes, static_cast<std::size_t>(rect.left) + 8 * i), std::min(8, w - 8 * i));
        if (end & 7) out[end / 8] &= MaskThrough(end - 1);
    }
    return TRUE;
}

BYTE* CPageImage::CopyRectToDib(const RECT& rect) {
    if ((m_nBitCount != 8 && m_nBitCount != 24) || !m_hDib) return nullptr;
    CBlockLock dib(m_hDib);
    DibLayout layout;
    if (!dib || !DescribeDib(dib.get(), dib.size(), layout)) return nullptr;
    if (rect.left < 0 || rect.top < 0 || rect.left > rect.right || rect.top > rect.bottom ||
        rect.right >= layout.width || rect.bottom >= layout.height)
        return nullptr;
    const int w = rect.right - rect.left + 1, h = rect.bottom - rect.top + 1;
    const int bpp = layout.bitCount / 8;
    const DWORD stride = WIDTHBYTES(static_cast<DWORD>(w * layout.bitCount));
    const std::size_t tableBytes = std::size_t(layout.colorCount) * 4;
    BYTE* out = new (std::nothrow) BYTE[40 + tableBytes + std::size_t(stride) * h];
    if (!out) return nullptr;
    BITMAPINFOHEADER header = *layout.header;
    header.biSize = 40;
    header.biWidth = w;
    header.biHeight = h;
    header.biSizeImage = stride * h;
    std::memcpy(out, &header, 40);
    std::memcpy(out + 40, layout.colors, tableBytes);
    BYTE* rows = out + 40 + tableBytes;
    for (int r = 0; r < h; ++r) {  // stored bottom-up: stored row r is page row bottom - r
        BYTE* dst = rows + std::size_t(r) * stride;
        std::memcpy(dst, layout.Row(rect.bottom - r) + std::size_t(rect.left) * bpp, std::size_t(w) * bpp);
        std::memset(dst + std::size_t(w) * bpp, 0, stride - w * bpp);
    }
    return out;
}
