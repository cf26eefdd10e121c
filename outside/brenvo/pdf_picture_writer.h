// A one-page PDF file that shows one picture across its whole page.
#pragma once

#include "outside/convert/packed_dib.h"

#include <string>
#include <vector>

namespace brenvo {

// The picture object's data as the file stores it.
struct PictureStream {
    std::vector<BYTE> data;
    std::string filter;      // "/FlateDecode" or "/DCTDecode"
    std::string colourSpace; // "/DeviceGray" or "/DeviceRGB"
    int bitsPerComponent = 8;
    bool inkIsOne = false;   // 1-bit pictures: bit 1 is black
};

// Encodes the DIB: 1-bit pictures losslessly with Flate, grey and colour
// pictures with DCT. False when the encoder fails.
bool encodePicture(const convert::DibReader& dib, PictureStream& stream);

// The whole file: catalog, page tree, page, picture and content stream, with
// a cross-reference table. The page measures the picture at `dpi`.
std::vector<BYTE> buildPdf(const PictureStream& picture, LONG width, LONG height, double xDpi, double yDpi);

}  // namespace brenvo
