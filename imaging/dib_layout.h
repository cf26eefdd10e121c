// Where the parts of a packed device-independent bitmap lie: header, colour
// table and bottom-up rows, checked against the size of the block holding it.
#pragma once

#include <cstdint>

#include "platform/win/types.h"

struct DibLayout {
    BITMAPINFOHEADER* header = nullptr;
    RGBQUAD* colors = nullptr;
    DWORD colorCount = 0;
    BYTE* bits = nullptr;
    int width = 0;
    int height = 0;
    int bitCount = 0;
    DWORD stride = 0;  // bytes of one stored row, padded to 4

    // Page row y (0 = top) of a bottom-up bitmap.
    BYTE* Row(int y) const { return bits + static_cast<std::size_t>(height - 1 - y) * stride; }
};

// Colour-table entries of a header: biClrUsed, or 2 / 256 for 1 / 8 bits when it is 0.
DWORD DibColorCount(const BITMAPINFOHEADER& header);

// Fills `layout` for a bitmap of 1, 8 or 24 bits, uncompressed, bottom-up,
// with positive sizes, whose header, colour table and rows all lie within the
// `blockSize` bytes at `dib`. False for anything else.
bool DescribeDib(BYTE* dib, std::size_t blockSize, DibLayout& layout);

// Largest plane or bitmap the image code takes on, in bytes.
constexpr std::uint64_t kMaxImageBytes = 0x7FFFFFFFull;
