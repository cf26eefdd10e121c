#include "imaging/pixel_rows.h"

#include <cstring>

namespace {
// 8.8 fixed-point step that maps the first and last positions onto each other.
int scaleStep(int from, int to) { return to > 1 ? ((from - 1) * 256 + (to - 1) / 2) / (to - 1) : 0; }
int scaled(int k, int step, int count, int last) { return k == last ? count - 1 : (128 + k * step) / 256; }
}  // namespace

void ScalePixels(const BYTE* pSrc, WORD srcRows, WORD srcLen, BYTE* pDst, WORD dstRows, WORD dstLen) {
    if (!pSrc || !pDst || srcRows == 0 || srcLen == 0) return;
    const int sx = scaleStep(srcLen, dstLen), sy = scaleStep(srcRows, dstRows);
    for (int k = 0; k < dstRows; ++k) {
        const int row = scaled(k, sy, srcRows, dstRows - 1);
        const BYTE* in = pSrc + static_cast<std::size_t>(row) * srcLen;
        BYTE* out = pDst + static_cast<std::size_t>(k) * dstLen;
        for (int i = 0; i < dstLen; ++i) out[i] = in[scaled(i, sx, srcLen, dstLen - 1)];
    }
}

void PackPixels(const BYTE* pSrc, BYTE* pDst, int n, int rows) {
    if (!pSrc || !pDst || n <= 0) return;
    const int outRow = (n + 7) / 8;
    for (int r = 0; r < rows; ++r) {
        BYTE* out = pDst + static_cast<std::size_t>(r) * outRow;
        std::memset(out, 0, outRow);
        for (int k = 0; k < n; ++k)
            if (pSrc[static_cast<std::size_t>(r) * n + k]) out[k / 8] |= static_cast<BYTE>(0x80u >> (k % 8));
    }
}

void ThresholdRow(BYTE threshold, BYTE type, int count, const BYTE* pSrc, BYTE* pDst, int rowLen) {
    if (!pSrc || !pDst || count <= 0) return;
    if (type == 1) {
        std::memcpy(pDst, pSrc, count);
        return;
    }
    unsigned acc = 0;
    int bits = 0;
    auto put = [&](bool black) {
        acc = acc << 1 | (black ? 1u : 0u);
        if (++bits == 8) {
            *pDst++ = static_cast<BYTE>(acc);
            acc = 0;
            bits = 0;
        }
    };
    for (int k = 0; k < count; ++k) {
        const BYTE v = pSrc[k];
        if (type == 4) {
            put((v >> 4) < threshold);
            put((v & 0x0F) < threshold);
        } else {
            put(v < threshold);
        }
        if (rowLen > 0 && (k + 1) % rowLen == 0 && bits) {
            *pDst++ = static_cast<BYTE>(acc << (8 - bits));
            acc = 0;
            bits = 0;
        }
    }
    if (bits) *pDst = static_cast<BYTE>(acc << (8 - bits));
}
