#include "outside/brenvo/pdf_picture_writer.h"

#include "outside/convert/jpeg_format.h"

#include <zlib.h>

#include <algorithm>
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
    std::vector<PdfPage> pages(1);
    pages[0].picture = picture;
    pages[0].width = width;
    pages[0].height = height;
    pages[0].xDpi = xDpi;
    pages[0].yDpi = yDpi;
    return buildPdf(pages);
}

std::vector<BYTE> buildPdf(const std::vector<PdfPage>& pages) {
    std::vector<BYTE> out;
    std::vector<std::size_t> offsets;
    auto begin = [&] {
        offsets.push_back(out.size());
        append(out, std::to_string(offsets.size()) + " 0 obj\n");
    };
    auto object = [&](const std::string& body) {
        begin();
        append(out, body + "\nendobj\n");
    };
    // Objects: 1 catalog, 2 page tree, then per page: page, picture, content.
    std::string kids;
    for (std::size_t i = 0; i < pages.size(); ++i) kids += (i ? " " : "") + std::to_string(3 + 3 * i) + " 0 R";
    append(out, "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
    object("<< /Type /Catalog /Pages 2 0 R >>");
    object("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages.size()) + " >>");
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const PdfPage& p = pages[i];
        const std::size_t first = 3 + 3 * i;
        const double pageWidth = p.width * 72.0 / (p.xDpi > 0 ? p.xDpi : 300.0);
        const double pageHeight = p.height * 72.0 / (p.yDpi > 0 ? p.yDpi : 300.0);
        object("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + number(pageWidth) + " " + number(pageHeight) +
               "] /Resources << /XObject << /Im0 " + std::to_string(first + 1) + " 0 R >> >> /Contents " +
               std::to_string(first + 2) + " 0 R >>");
        const PictureStream& picture = p.picture;
        begin();
        append(out, "<< /Type /XObject /Subtype /Image /Width " + std::to_string(p.width) + " /Height " +
                        std::to_string(p.height) + " /ColorSpace " + picture.colourSpace + " /BitsPerComponent " +
                        std::to_string(picture.bitsPerComponent) + " /Filter " + picture.filter +
                        (picture.bitsPerComponent == 1 && picture.inkIsOne ? " /Decode [1 0]" : "") + " /Length " +
                        std::to_string(picture.data.size()) + " >>\nstream\n");
        out.insert(out.end(), picture.data.begin(), picture.data.end());
        append(out, "\nendstream\nendobj\n");
        const std::string content = "q " + number(pageWidth) + " 0 0 " + number(pageHeight) + " 0 0 cm /Im0 Do Q";
        object("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream");
    }
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

bool jpegPicture(std::vector<BYTE> file, PdfPage& page) {
    const std::size_t n = file.size();
    if (n < 4 || file[0] != 0xFF || file[1] != 0xD8) return false;
    double xDpi = 0, yDpi = 0;
    std::size_t at = 2;
    while (at + 4 <= n) {
        if (file[at] != 0xFF) return false;
        const BYTE marker = file[at + 1];
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        const std::size_t length = std::size_t(file[at + 2]) << 8 | file[at + 3];
        if (length < 2 || at + 2 + length > n) return false;
        const BYTE* body = file.data() + at + 4;
        if (marker == 0xE0 && length >= 16 && std::equal(body, body + 5, "JFIF")) {
            const int units = body[7];
            const double x = double(body[8] << 8 | body[9]), y = double(body[10] << 8 | body[11]);
            if (units == 1) xDpi = x, yDpi = y;
            if (units == 2) xDpi = x * 2.54, yDpi = y * 2.54;
        }
        const bool startOfFrame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (startOfFrame) {
            if (length < 8) return false;
            const int precision = body[0];
            const LONG height = LONG(body[1] << 8 | body[2]);
            const LONG width = LONG(body[3] << 8 | body[4]);
            const int components = body[5];
            if (precision != 8 || width <= 0 || height <= 0 || (components != 1 && components != 3)) return false;
            page.width = width;
            page.height = height;
            page.xDpi = xDpi > 0 ? xDpi : 300.0;
            page.yDpi = yDpi > 0 ? yDpi : page.xDpi;
            page.picture.filter = "/DCTDecode";
            page.picture.colourSpace = components == 1 ? "/DeviceGray" : "/DeviceRGB";
            page.picture.bitsPerComponent = 8;
            page.picture.inkIsOne = false;
            page.picture.data = std::move(file);
            return true;
        }
        if (marker == 0xD9 || marker == 0xDA) return false;
        at += 2 + length;
    }
    return false;
}

}  // namespace brenvo
