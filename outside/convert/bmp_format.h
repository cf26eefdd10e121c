// BMP files: decoding every common variant into a 1-, 8- or 24-bit packed DIB,
// and encoding a packed DIB as a file.
#pragma once

#include "outside/convert/packed_dib.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace convert {

// Answers true when the caller wants the work stopped.
using StopCheck = std::function<bool()>;

// Decodes the bytes of a BMP file: 1, 4, 8, 16, 24 and 32 bits, uncompressed,
// RLE4, RLE8 and bit fields, bottom-up or top-down, with core or info headers.
// 1-bit files come out with bit 1 = ink; paletted files with a grey palette
// come out as 8-bit grey, other paletted and direct-colour files as 24-bit.
// NULL for anything damaged, truncated, too large, or stopped.
HDIB decodeBmp(const BYTE* data, std::size_t size, const StopCheck& stop);

// Reads a BMP file (native path) of at most `limit` bytes. Uncompressed
// bottom-up 1-bit, 24-bit and grey-ramp 8-bit files, the common case, are read
// straight into the DIB, which stores their rows as the file does; every other
// file is read whole and decoded as decodeBmp does. Same results as decodeBmp.
HDIB readBmpFile(const std::string& path, std::size_t limit, const StopCheck& stop);

// The whole file for a DIB, its colour table and rows as they stand.
bool encodeBmp(const DibReader& dib, std::vector<BYTE>& file);

}  // namespace convert
