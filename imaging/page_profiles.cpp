// Black-pixel profiles of a rectangle of the working plane. Each writes one
// 16-bit count per row or column of the rectangle and nothing else; a
// rectangle reaching outside the page is refused.
#include <algorithm>
#include <vector>

#include "imaging/image_block.h"
#include "imaging/image_messages.h"
#include "imaging/page_image.h"
#include "imaging/plane_bits.h"

namespace {

// Black pixels of row piece left..right (inclusive), edge bytes masked.
int countRowPiece(const BYTE* row, int left, int right, int* bytesWithInk = nullptr) {
    const auto& bits = BitCountTable();
    const int first = left / 8, last = right / 8;
    int total = 0, inked = 0;
    for (int b = first; b <= last; ++b) {
        BYTE v = row[b];
        if (b == first) v &= MaskFrom(left);
        if (b == last) v &= MaskThrough(right);
        total += bits[v];
        inked += v != 0;
    }
    if (bytesWithInk) *bytesWithInk = inked;
    return total;
}

WORD saturate(int v) { return static_cast<WORD>(std::min(v, 0xFFFF)); }

// Adds 1 to counts[x - left] for every black pixel x of the row piece.
void addColumnCounts(const BYTE* row, int left, int right, int* counts) {
    const int first = left / 8, last = right / 8;
    for (int b = first; b <= last; ++b) {
        unsigned v = row[b];
        if (b == first) v &= MaskFrom(left);
        if (b == last) v &= MaskThrough(right);
        while (v) {
            const int k = __builtin_clz(v) - 24;  // leftmost set bit of the byte
            ++counts[b * 8 + k - left];
            v &= ~(0x80u >> k);
        }
    }
}

}  // namespace

BOOL CPageImage::GetRowProfile(const RECT& rect, WORD* pCounts) {
    if (!pCounts || !m_hBits || !InsidePage(rect)) return FALSE;
    CBlockLock plane(m_hBits);
    if (!plane) return FALSE;
    const DWORD rowBytes = RowBytes();
    for (int y = rect.top; y <= rect.bottom; ++y)
        pCounts[y - rect.top] = saturate(countRowPiece(plane.get() + std::size_t(y) * rowBytes, rect.left, rect.right));
    return TRUE;
}

BOOL CPageImage::GetColumnProfile(const RECT& rect, WORD* pCounts) {
    if (!pCounts || !m_hBits || !InsidePage(rect)) return FALSE;
    CBlockLock plane(m_hBits);
    if (!plane) return FALSE;
    const DWORD rowBytes = RowBytes();
    std::vector<int> counts(rect.right - rect.left + 1, 0);
    for (int y = rect.top; y <= rect.bottom; ++y)
        addColumnCounts(plane.get() + std::size_t(y) * rowBytes, rect.left, rect.right, counts.data());
    for (std::size_t i = 0; i < counts.size(); ++i) pCounts[i] = saturate(counts[i]);
    return TRUE;
}

BOOL CPageImage::GetRowCounts(const RECT& rect, WORD* pCounts) {
    const RECT inclusive{rect.left, rect.top, rect.right - 1, rect.bottom - 1};
    if (!pCounts || !m_hBits || !InsidePage(inclusive)) return FALSE;
    CBlockLock plane(m_hBits);
    if (!plane) return FALSE;
    const DWORD rowBytes = RowBytes();
    for (int y = inclusive.top; y <= inclusive.bottom; ++y) {
        int inked = 0;
        const int s = countRowPiece(plane.get() + std::size_t(y) * rowBytes, inclusive.left, inclusive.right, &inked);
        pCounts[y - inclusive.top] = inked ? saturate((s + s / 2) / inked) : 0;
    }
    return TRUE;
}

BOOL CPageImage::GetColumnDensity(const RECT& rect, WORD* pCounts) {
    const RECT inclusive{rect.left, rect.top, rect.right - 1, rect.bottom - 1};
    if (!pCounts || !m_hBits || !InsidePage(inclusive)) return FALSE;
    const int w = inclusive.right - inclusive.left + 1;
    std::vector<int> total, bands, band;
    try {
        total.assign(w, 0);
        bands.assign(w, 0);
        band.assign(w, 0);
    } catch (const std::bad_alloc&) {
        ShowImageMessage(kMsgNoEnoughMemoryToFinish);
        return FALSE;
    }
    CBlockLock plane(m_hBits);
    if (!plane) return FALSE;
    const DWORD rowBytes = RowBytes();
    auto closeBand = [&] {
        for (int x = 0; x < w; ++x) {
            total[x] += band[x];
            bands[x] += band[x] != 0;
            band[x] = 0;
        }
    };
    for (int y = inclusive.top; y <= inclusive.bottom; ++y) {
        addColumnCounts(plane.get() + std::size_t(y) * rowBytes, inclusive.left, inclusive.right, band.data());
        if ((y - inclusive.top) % 8 == 7) closeBand();
    }
    closeBand();
    for (int x = 0; x < w; ++x) pCounts[x] = bands[x] ? saturate(total[x] / bands[x]) : 0;
    return TRUE;
}
