// Conversion of a colour or 256-colour bitmap to an 8-bit grey bitmap with
// its automatic threshold.
#pragma once

#include "platform/win/types.h"

// The grey level of a blue, green, red triple: light neutral paper is 255,
// red ink keeps its red, blue ink is black, anything else its green.
BYTE GrayOfPixel(const BYTE* pBgr);

// Converts a 24-bit or 256-colour bitmap into a new 8-bit grey bitmap (grey
// ramp, rows padded to 4) that replaces *phDib; the old block is freed.
// Returns the between-class-variance threshold of the new grey values, or -1
// for an unsupported bitmap or when memory fails (*phDib then unchanged).
int ConvertDibToGray(HDIB* phDib);
