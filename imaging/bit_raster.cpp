#include "imaging/bit_raster.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "imaging/image_block.h"
#include "imaging/plane_bits.h"

namespace {

bool rasterFits(SIZE_T blockSize, int offset, int firstBit, int stride, int width, int height) {
    if (offset < 0 || firstBit < 0 || stride < 0 || width <= 0 || height <= 0) return false;
    const std::int64_t lastBit = static_cast<std::int64_t>(firstBit) + width - 1;
    const std::int64_t end = offset + static_cast<std::int64_t>(stride) * (height - 1) + lastBit / 8 + 1;
    return end <= static_cast<std::int64_t>(blockSize);
}

// Copies `width` bits taken every `step` from `in` (from bit `first`) to the start of `out`.
void sampleRow(const BYTE* in, int first, int step, BYTE* out, int width) {
    const int outBytes = (width + 7) / 8;
    std::memset(out, 0, outBytes);
    for (int k = 0, x = first; k < width; ++k, x += step)
        if (PlaneBit(in, x)) SetPlaneBit(out, k);
}

}  // namespace

void InvertGlobal(HGLOBAL hBlock, DWORD n) {
    CBlockLock block(hBlock);
    if (!block) return;
    const SIZE_T limit = n < block.size() ? n : block.size();
    for (SIZE_T i = 0; i < limit; ++i) block.get()[i] = static_cast<BYTE>(~block.get()[i]);
}

void ShrinkBits(HGLOBAL hSrc, int nOffset, int nFirstCol, int nSrcStride, HGLOBAL hDst, int nDstStride, int width,
                int height, int nStep) {
    if (nStep < 1) return;
    CBlockLock src(hSrc), dst(hDst);
    if (!src || !dst) return;
    const int span = (width - 1) * nStep + 1;
    if (!rasterFits(src.size(), nOffset, nFirstCol, nSrcStride, span, height)) return;
    if (!rasterFits(dst.size(), 0, 0, nDstStride, width, height)) return;
    for (int y = 0; y < height; ++y)
        sampleRow(src.get() + nOffset + static_cast<std::size_t>(y) * nSrcStride, nFirstCol, nStep,
                  dst.get() + static_cast<std::size_t>(y) * nDstStride, width);
}

void CropBits(HGLOBAL hBlock, int nOffset, int nBitOffset, int nSrcStride, int width, int height) {
    CBlockLock block(hBlock);
    if (!block || !rasterFits(block.size(), nOffset, nBitOffset, nSrcStride, width, height)) return;
    const int outRow = (width + 7) / 8;
    if (nSrcStride < outRow) return;  // packed rows would overtake unread ones
    std::vector<BYTE> row(outRow);
    for (int y = 0; y < height; ++y) {
        sampleRow(block.get() + nOffset + static_cast<std::size_t>(y) * nSrcStride, nBitOffset, 1, row.data(), width);
        std::memcpy(block.get() + static_cast<std::size_t>(y) * outRow, row.data(), outRow);
    }
}
