// Small byte-per-pixel images (the candidate panel's character images) and
// rows of grey samples: resampling, packing to 1-bit rows, thresholding.
#pragma once

#include "platform/win/types.h"

// Nearest-neighbour resampling of srcRows x srcLen bytes into dstRows x
// dstLen bytes; first and last pixels of every row and column map to the
// source's first and last. Sizes below 2 are taken as 2 would not divide.
void ScalePixels(const BYTE* pSrc, WORD srcRows, WORD srcLen, BYTE* pDst, WORD dstRows, WORD dstLen);

// One byte per pixel (0 = off) into 1-bit rows of (n + 7) / 8 bytes, unpadded.
void PackPixels(const BYTE* pSrc, BYTE* pDst, int n, int rows);

// Grey samples below `threshold` become 1 bits. Type 1: the bytes are
// already 1-bit rows and are copied; type 4: two 4-bit samples a byte, high
// nibble first; otherwise one 8-bit sample a byte. Every `rowLen` source
// bytes end an output row.
void ThresholdRow(BYTE threshold, BYTE type, int count, const BYTE* pSrc, BYTE* pDst, int rowLen);
