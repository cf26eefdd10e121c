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

// One page of a multi-page file: its picture and its size in pixels and dpi.
struct PdfPage {
    PictureStream picture;
    LONG width = 0;
    LONG height = 0;
    double xDpi = 300;
    double yDpi = 300;
};

// A file of several pages, each showing its picture across the whole page,
// in order. A JPEG file's own bytes serve as a /DCTDecode picture unchanged.
std::vector<BYTE> buildPdf(const std::vector<PdfPage>& pages);

// The picture of a baseline or progressive JPEG file taken as it is (no
// decoding): size, components and dpi from its headers. False when the bytes
// are not a JPEG file with 1 or 3 components of 8 bits.
bool jpegPicture(std::vector<BYTE> file, PdfPage& page);

}  // namespace brenvo
