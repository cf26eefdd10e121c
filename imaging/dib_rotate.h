// Turning a grey or colour bitmap, or a 1-bit raster, by any angle about its
// centre: nearest neighbour, no smoothing, the block growing or shrinking to
// the turned size. A positive angle turns the page clockwise as it is seen.
#pragma once

#include "platform/win/types.h"

enum RotateResult { kRotateDone = 0, kRotateNotHandled = 1, kRotateOutOfMemory = 2 };

// 8-bit (with its colour table) or 24-bit bitmap, bottom-up or top-down.
// Uncovered pixels become white (0xFF). On failure the bitmap is unchanged.
int RotateDib(HDIB hDib, double angle);

// A 1-bit raster with rows of (width + 15) / 16 x 2 bytes, most significant
// bit leftmost; uncovered pixels become 1. Width and height are updated.
int RotateBits(HGLOBAL hBits, int* pWidth, int* pHeight, double angle);
