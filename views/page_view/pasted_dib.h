// What a bitmap pasted from the clipboard becomes before a new page is made
// of it, and the check it passes before anything reads it.
#pragma once

#include <cstddef>

#include "platform/win/types.h"

// The text shown when the clipboard's bitmap cannot become a page.
extern const char* const kMsgPastedBitmapUnreadable;

// A copy of a pasted packed bitmap in the form a page is made from (in a new
// movable block): uncompressed, bottom-up, of 1, 8 (grey levels, the full
// ramp) or 24 bits. Takes bitmaps of 1, 4, 8, 24 and 32 bits a pixel,
// bottom-up or top-down, uncompressed or (32 bits) with bit fields; one of 4
// or 8 bits whose colour table holds colours becomes a 24-bit one. NULL for
// any other bitmap, one whose header, colour table or rows do not lie within
// `size` bytes, or when memory fails. *outBitCount gets the copy's bits.
HGLOBAL PageDibOfPasted(const BYTE* dib, std::size_t size, int* outBitCount);
