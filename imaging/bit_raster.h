// Operations on 1-bit rasters (most significant bit leftmost) held in
// global blocks. Ranges reaching past a block are not touched.
#pragma once

#include "platform/win/types.h"

// Inverts the first n bytes of the block.
void InvertGlobal(HGLOBAL hBlock, DWORD n);

// Sub-sampled copy: for each of `height` rows (source rows start at
// nOffset + row x nSrcStride), bits nFirstCol, nFirstCol + nStep, ... go to
// `width` bits of the destination row (row x nDstStride), a last partial
// byte included.
void ShrinkBits(HGLOBAL hSrc, int nOffset, int nFirstCol, int nSrcStride, HGLOBAL hDst, int nDstStride, int width,
                int height, int nStep);

// Cut-out of width x height pixels starting at bit nBitOffset of the row at
// nOffset, packed to the start of the same block in rows of (width + 7) / 8 bytes.
void CropBits(HGLOBAL hBlock, int nOffset, int nBitOffset, int nSrcStride, int width, int height);
