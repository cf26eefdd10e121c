// JPEG files through libjpeg: grey files come out as 8-bit grey DIBs, colour
// (and CMYK) files as 24-bit; 8- and 24-bit DIBs are written at quality 85.
#pragma once

#include "outside/convert/bmp_format.h"

#include <vector>

namespace convert {

HDIB decodeJpeg(const BYTE* data, std::size_t size, const StopCheck& stop);
bool encodeJpeg(const DibReader& dib, std::vector<BYTE>& file);

}  // namespace convert
