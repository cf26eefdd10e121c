// Quarter turns of a page: the 1-bit plane by 8 x 8 bit blocks, the source
// bitmap of a grey or colour page pixel by pixel. A turn either completes or
// leaves the page exactly as it was.
#include <algorithm>
#include <cstring>
#include <vector>
#include <utility>

#include "imaging/bit_transpose.h"
#include "imaging/dib_layout.h"
#include "imaging/image_block.h"
#include "imaging/page_image.h"

namespace {

// Turns a plane of width x height into `out` (height x width). Clockwise: new
// pixel (x', y') = old (y', height - 1 - x'); counter-clockwise: old (width - 1 - y', x').
void turnPlane(const BYTE* in, int width, int height, BYTE* out, bool clockwise) {
    const int inRow = (width + 7) / 8, outRow = (height + 7) / 8;
    const std::vector<BYTE> blank(inRow, 0);
    // Tiles of 8 new byte columns (64 old rows): their old rows stay in the
    // first-level cache while every old byte column is turned, and each new
    // row receives 8 neighbouring bytes at a time.
    constexpr int kTile = 8;
    const BYTE* rows[kTile][8];
    for (int j0 = 0; j0 < outRow; j0 += kTile) {
        const int tile = std::min(kTile, outRow - j0);
        for (int t = 0; t < tile; ++t)
            for (int k = 0; k < 8; ++k) {
                const int x = 8 * (j0 + t) + k;  // new column
                rows[t][k] = x < height ? in + static_cast<std::size_t>(clockwise ? height - 1 - x : x) * inRow
                                        : blank.data();
            }
        for (int bx = 0; bx < inRow; ++bx) {  // byte column of the old plane = 8 new rows
            const int count = std::min(8, width - 8 * bx);
            BYTE* first = out + static_cast<std::size_t>(clockwise ? 8 * bx : width - 1 - 8 * bx) * outRow + j0;
            const std::ptrdiff_t next = clockwise ? outRow : -static_cast<std::ptrdiff_t>(outRow);
            for (int t = 0; t < tile; ++t) {
                const BYTE* const* r = rows[t];
                const std::uint64_t x = Transpose8x8(
                    std::uint64_t(r[0][bx]) << 56 | std::uint64_t(r[1][bx]) << 48 | std::uint64_t(r[2][bx]) << 40 |
                    std::uint64_t(r[3][bx]) << 32 | std::uint64_t(r[4][bx]) << 24 | std::uint64_t(r[5][bx]) << 16 |
                    std::uint64_t(r[6][bx]) << 8 | std::uint64_t(r[7][bx]));
                BYTE* o = first + t;
                if (count == 8) {
                    o[0] = static_cast<BYTE>(x >> 56);
                    o[next] = static_cast<BYTE>(x >> 48);
                    o[2 * next] = static_cast<BYTE>(x >> 40);
                    o[3 * next] = static_cast<BYTE>(x >> 32);
                    o[4 * next] = static_cast<BYTE>(x >> 24);
                    o[5 * next] = static_cast<BYTE>(x >> 16);
                    o[6 * next] = static_cast<BYTE>(x >> 8);
                    o[7 * next] = static_cast<BYTE>(x);
                } else {
                    for (int m = 0; m < count; ++m, o += next) *o = static_cast<BYTE>(x >> (56 - 8 * m));
                }
            }
        }
    }
}

// Turns the rows of a grey or colour bitmap into `out` (rows of the turned size, bottom-up).
void turnPixels(const DibLayout& dib, BYTE* out, DWORD outStride, bool clockwise) {
    const int bpp = dib.bitCount / 8;
    const int newHeight = dib.width;
    for (int ny = 0; ny < newHeight; ++ny) {               // page row of the new bitmap
        BYTE* dst = out + static_cast<std::size_t>(newHeight - 1 - ny) * outStride;
        for (int nx = 0; nx < dib.height; ++nx) {
            const int ox = clockwise ? ny : dib.width - 1 - ny;
            const int oy = clockwise ? dib.height - 1 - nx : nx;
            const BYTE* src = dib.Row(oy) + static_cast<std::size_t>(ox) * bpp;
            std::memcpy(dst + static_cast<std::size_t>(nx) * bpp, src, bpp);
        }
    }
}

}  // namespace

namespace {

// Turns the plane of `page` in a new block; false (page unchanged) when memory fails.
bool turnPageBits(CPageImage& page, bool clockwise) {
    if (!page.m_hBits || page.m_nWidth <= 0 || page.m_nHeight <= 0) return false;
    const DWORD newRow = (static_cast<DWORD>(page.m_nHeight) + 7) / 8;
    HGLOBAL turned = AllocImageBlock(GMEM_MOVEABLE, static_cast<SIZE_T>(newRow) * page.m_nWidth);
    if (!turned) return false;
    {
        CBlockLock src(page.m_hBits), dst(turned);
        if (!src || !dst || src.size() < page.PlaneBytes()) {
            GlobalFree(turned);
            return false;
        }
        turnPlane(src.get(), page.m_nWidth, page.m_nHeight, dst.get(), clockwise);
    }
    GlobalFree(page.m_hBits);
    page.m_hBits = turned;
    std::swap(page.m_nWidth, page.m_nHeight);
    return true;
}

BOOL turnPageDib(CPageImage& page, bool clockwise) {
    if ((page.m_nBitCount != 8 && page.m_nBitCount != 24) || !page.m_hDib) return FALSE;
    CBlockLock dib(page.m_hDib);
    DibLayout layout;
    if (!dib || !DescribeDib(dib.get(), dib.size(), layout)) return FALSE;
    const DWORD newStride = WIDTHBYTES(static_cast<DWORD>(layout.height * layout.bitCount));
    const std::size_t rowsBytes = static_cast<std::size_t>(newStride) * layout.width;
    CBlockOwner work(AllocImageBlock(layout.bitCount == 8 ? GMEM_MOVEABLE : GHND, rowsBytes));
    if (!work.get()) return FALSE;
    CBlockLock rows(work.get());
    if (!rows) return FALSE;
    if (layout.bitCount == 8) std::memset(rows.get(), 255, rowsBytes);
    turnPixels(layout, rows.get(), newStride, clockwise);

    // A plane of the turned size, had before anything is changed; it is rebuilt from the bitmap.
    const SIZE_T planeBytes = static_cast<SIZE_T>((layout.height + 7) / 8) * layout.width;
    CBlockOwner plane(AllocImageBlock(GHND, planeBytes));
    if (!plane.get()) return FALSE;
    const std::size_t headerBytes = static_cast<std::size_t>(layout.bits - dib.get());
    if (!ReAllocImageBlock(page.m_hDib, headerBytes + rowsBytes, GMEM_MOVEABLE)) return FALSE;
    if (page.m_hBits) GlobalFree(page.m_hBits);
    page.m_hBits = plane.release();
    BYTE* p = static_cast<BYTE*>(GlobalLock(page.m_hDib));  // the block may have moved
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(p);
    std::memcpy(p + headerBytes, rows.get(), rowsBytes);
    std::swap(header->biWidth, header->biHeight);
    GlobalUnlock(page.m_hDib);
    std::swap(page.m_nWidth, page.m_nHeight);
    return TRUE;
}

}  // namespace

BOOL CPageImage::RotateDibRight() { return turnPageDib(*this, true); }
BOOL CPageImage::RotateDibLeft() { return turnPageDib(*this, false); }

namespace {

// A quarter turn of the whole page; grey and colour pages turn their bitmap
// and rebuild the plane from it (official pages by dark and red ink).
int turnPage(CPageImage& page, bool clockwise, RECT* pRedRect) {
    const bool official = pRedRect != nullptr;
    if (official) *pRedRect = RECT{0, 0, 0, 0};
    if (page.m_nBitCount != 8 && page.m_nBitCount != 24) return turnPageBits(page, clockwise) ? 1 : 0;
    if (!turnPageDib(page, clockwise)) return 0;
    if (official && page.m_nBitCount == 24)
        page.BinarizeOfficial(pRedRect);
    else
        page.Binarize();
    return 1;
}

}  // namespace

int CPageImage::RotateRight() { return turnPage(*this, true, nullptr); }
int CPageImage::RotateLeft() { return turnPage(*this, false, nullptr); }

int CPageImage::RotateRightOfficial(RECT* pRedRect) {
    RECT ignored{};
    return turnPage(*this, true, pRedRect ? pRedRect : &ignored);
}

int CPageImage::RotateLeftOfficial(RECT* pRedRect) {
    RECT ignored{};
    return turnPage(*this, false, pRedRect ? pRedRect : &ignored);
}
