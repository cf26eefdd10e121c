#include "outside/brenvo/pdf_picture_writer.h"

#include "outside/convert/jpeg_format.h"

#include <zlib.h>

#include <cstdio>

namespace brenvo {
namespace {

void append(std::vector<BYTE>& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }

std::string number(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.2f", value);
    return buffer;
}

}  // namespace

bool encodePicture(const convert::DibReader& dib, PictureStream& stream) {
    const LONG width = dib.width();
    const LONG height = dib.height();
    if (dib.bits() != 1) {
        stream.filter = "/DCTDecode";
        stream.colourSpace = dib.bits() == 8 && dib.paletteIsGrey() ? "/DeviceGray" : "/DeviceRGB";
        stream.bitsPerComponent = 8;
        return convert::encodeJpeg(dib, stream.data);
    }
    // Rows top-down, packed, without the DIB's padding.
    const std::size_t rowBytes = (static_cast<std::size_t>(width) + 7) / 8;
    std::vector<BYTE> raw(rowBytes * static_cast<std::size_t>(height));
    for (LONG y = 0; y < height; ++y) {
        const BYTE* src = dib.row(y);
        std::copy(src, src + rowBytes, raw.begin() + static_cast<std::ptrdiff_t>(rowBytes * static_cast<std::size_t>(y)));
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    stream.data.resize(size);
    if (compress2(stream.data.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK) return false;
    stream.data.resize(size);
    stream.filter = "/FlateDecode";
    stream.colourSpace = "/DeviceGray";
    stream.bitsPerComponent = 1;
    stream.inkIsOne = dib.monoOneIsBlack();
    return true;
}

std::vector<BYTE> buildPdf(const PictureStream& picture, LONG width, LONG height, double xDpi, double yDpi) {
    const double pageWidth = width * 72.0 / xDpi;
    const double pageHeight = height * 72.0 / yDpi;
    std::vector<BYTE> out;
    std::vector<std::size_t> offsets;
    auto object = [&](const std::string& body) {
        offsets.push_back(out.size());
        append(out, std::to_string(offsets.size()) + " 0 obj\n" + body + "\nendobj\n");
    };
    append(out, "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
    object("<< /Type /Catalog /Pages 2 0 R >>");
    object("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    object("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + number(pageWidth) + " " + number(pageHeight) +
           "] /Resources << /XObject << /Im0 4 0 R >> >> /Contents 5 0 R >>");

    offsets.push_back(out.size());
    append(out, "4 0 obj\n<< /Type /XObject /Subtype /Image /Width " + std::to_string(width) + " /Height " +
                    std::to_string(height) + " /ColorSpace " + picture.colourSpace + " /BitsPerComponent " +
                    std::to_string(picture.bitsPerComponent) + " /Filter " + picture.filter +
                    (picture.bitsPerComponent == 1 && picture.inkIsOne ? " /Decode [1 0]" : "") + " /Length " +
                    std::to_string(picture.data.size()) + " >>\nstream\n");
    out.insert(out.end(), picture.data.begin(), picture.data.end());
    append(out, "\nendstream\nendobj\n");

    const std::string content = "q " + number(pageWidth) + " 0 0 " + number(pageHeight) + " 0 0 cm /Im0 Do Q";
    object("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream");

    const std::size_t xref = out.size();
    append(out, "xref\n0 " + std::to_string(offsets.size() + 1) + "\n0000000000 65535 f \n");
    for (std::size_t offset : offsets) {
        char entry[24];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
        append(out, entry);
    }
    append(out, "trailer\n<< /Size " + std::to_string(offsets.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
                    std::to_string(xref) + "\n%%EOF\n");
    return out;
}

}  // namespace brenvo
