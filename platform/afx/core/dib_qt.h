// Packed device-independent bitmaps (BITMAPINFOHEADER, palette, rows padded
// to four bytes, bottom-up unless the height is negative) and their
// conversion to and from QImage. Qt-facing: for the framework's libraries
// and tools only, never for the system's code.
#pragma once

#include <QImage>

#include <cstddef>
#include <vector>

#include "platform/afx/core/afx_types.h"

struct AfxDibLayout {
    LONG width = 0;
    LONG height = 0;  // always positive here
    bool topDown = false;
    WORD bitCount = 0;
    DWORD compression = 0;
    DWORD paletteEntries = 0;
    DWORD masks[3] = {0, 0, 0};  // red, green, blue for BI_BITFIELDS (and 16/32-bit defaults)
    size_t headerSize = 0;   // BITMAPINFOHEADER size as stored
    size_t bitsOffset = 0;   // from the start of the packed DIB
    size_t stride = 0;       // bytes a row
};

// Checks a packed DIB of `size` bytes: uncompressed (or bit fields) 1, 4, 8,
// 16, 24 or 32 bits a pixel, every row inside the block. FALSE otherwise.
AFX_CORE_API bool AfxDibLayoutOf(const void* packed, size_t size, AfxDibLayout& out);

// The DIB as an image: Format_Indexed8 (with its palette) for 1, 4 and 8 bits
// a pixel, Format_RGB32 otherwise. A null image for a malformed DIB.
AFX_CORE_API QImage AfxDibToImage(const void* packed, size_t size);

// The image as a packed DIB of `bitCount` bits a pixel (1, 4, 8 or 24; 0
// picks the smallest that keeps the image: its palette when indexed, else 24).
// Pixels of a 1/4/8-bit target map to the nearest palette colour.
AFX_CORE_API std::vector<BYTE> AfxImageToDib(const QImage& image, int bitCount = 0);
