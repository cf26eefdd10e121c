#include "outside/convert/jpeg_format.h"
#include "platform/win/resolution.h"

#include <cstdio>
#include <csetjmp>
#include <cstdlib>
#include <jpeglib.h>

namespace convert {
namespace {

struct ErrorTrap {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void fail(j_common_ptr info) {
    auto* trap = reinterpret_cast<ErrorTrap*>(info->err);
    std::longjmp(trap->jump, 1);
}
void silent(j_common_ptr) {}

// 0 when the density has no unit or lies outside 1 to 10,000 dpi.
LONG densityToPelsPerMeter(unsigned unit, unsigned density) {
    if (unit == 1) return suite::PelsPerMeterOfDpi(density);
    if (unit == 2) return suite::PelsPerMeterOfDpi(density * 2.54);
    return 0;
}

// The decoder's state lives outside the function that calls setjmp, so that
// nothing with a destructor is skipped by the jump.
struct Decoder {
    jpeg_decompress_struct info{};
    ErrorTrap trap{};
    DibBuilder out;
    JSAMPLE* line = nullptr;
    ~Decoder() {
        std::free(line);
        jpeg_destroy_decompress(&info);
    }
};

bool runDecoder(Decoder& d, const BYTE* data, std::size_t size, const StopCheck& stop) {
    d.info.err = jpeg_std_error(&d.trap.manager);
    d.trap.manager.error_exit = fail;
    d.trap.manager.output_message = silent;
    if (setjmp(d.trap.jump)) return false;
    jpeg_create_decompress(&d.info);
    jpeg_mem_src(&d.info, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&d.info, TRUE) != JPEG_HEADER_OK) return false;
    const bool grey = d.info.jpeg_color_space == JCS_GRAYSCALE;
    const bool cmyk = d.info.jpeg_color_space == JCS_CMYK || d.info.jpeg_color_space == JCS_YCCK;
    d.info.out_color_space = grey ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_EXT_BGR;
    if (d.info.image_width == 0 || d.info.image_height == 0 || d.info.image_width > static_cast<unsigned>(kMaxSide) ||
        d.info.image_height > static_cast<unsigned>(kMaxSide))
        return false;
    const LONG xRes = densityToPelsPerMeter(d.info.density_unit, d.info.X_density);
    const LONG yRes = densityToPelsPerMeter(d.info.density_unit, d.info.Y_density);
    if (!d.out.create(static_cast<LONG>(d.info.image_width), static_cast<LONG>(d.info.image_height), grey ? 8 : 24,
                      xRes, yRes))
        return false;
    jpeg_start_decompress(&d.info);
    const std::size_t w = d.info.output_width;
    if (cmyk) {
        d.line = static_cast<JSAMPLE*>(std::malloc(4 * w));
        if (!d.line) return false;
    }
    while (d.info.output_scanline < d.info.output_height) {
        const LONG y = static_cast<LONG>(d.info.output_scanline);
        if ((y & 63) == 0 && stop && stop()) return false;
        BYTE* dst = d.out.row(y);
        JSAMPROW row = cmyk ? d.line : dst;
        if (jpeg_read_scanlines(&d.info, &row, 1) != 1) return false;
        if (cmyk) {
            // Adobe writes inverted CMYK; the common files decode this way.
            for (std::size_t x = 0; x < w; ++x) {
                const unsigned k = d.line[4 * x + 3];
                dst[3 * x] = static_cast<BYTE>(d.line[4 * x + 2] * k / 255);
                dst[3 * x + 1] = static_cast<BYTE>(d.line[4 * x + 1] * k / 255);
                dst[3 * x + 2] = static_cast<BYTE>(d.line[4 * x] * k / 255);
            }
        }
    }
    jpeg_finish_decompress(&d.info);
    return true;
}

struct Encoder {
    jpeg_compress_struct info{};
    ErrorTrap trap{};
    unsigned char* buffer = nullptr;
    unsigned long bufferSize = 0;
    JSAMPLE* line = nullptr;
    ~Encoder() {
        jpeg_destroy_compress(&info);
        std::free(buffer);
        std::free(line);
    }
};

bool runEncoder(Encoder& e, const DibReader& dib) {
    e.info.err = jpeg_std_error(&e.trap.manager);
    e.trap.manager.error_exit = fail;
    e.trap.manager.output_message = silent;
    if (setjmp(e.trap.jump)) return false;
    jpeg_create_compress(&e.info);
    jpeg_mem_dest(&e.info, &e.buffer, &e.bufferSize);
    const bool grey = dib.bits() == 8 && dib.paletteIsGrey();
    const std::size_t w = static_cast<std::size_t>(dib.width());
    e.info.image_width = static_cast<JDIMENSION>(w);
    e.info.image_height = static_cast<JDIMENSION>(dib.height());
    e.info.input_components = grey ? 1 : 3;
    e.info.in_color_space = grey ? JCS_GRAYSCALE : dib.bits() == 24 ? JCS_EXT_BGR : JCS_RGB;
    jpeg_set_defaults(&e.info);
    jpeg_set_quality(&e.info, 85, TRUE);
    const LONG xRes = suite::KnownPelsPerMeter(dib.header().biXPelsPerMeter);
    const LONG yRes = suite::KnownPelsPerMeter(dib.header().biYPelsPerMeter);
    if (xRes > 0 && yRes > 0) {
        e.info.density_unit = 1;
        e.info.X_density = static_cast<UINT16>(std::lround(xRes * suite::kMetresPerInch));
        e.info.Y_density = static_cast<UINT16>(std::lround(yRes * suite::kMetresPerInch));
    }
    if (dib.bits() == 8) {
        e.line = static_cast<JSAMPLE*>(std::malloc(3 * w));
        if (!e.line) return false;
    }
    jpeg_start_compress(&e.info, TRUE);
    while (e.info.next_scanline < e.info.image_height) {
        const BYTE* src = dib.row(static_cast<LONG>(e.info.next_scanline));
        JSAMPROW row = const_cast<JSAMPROW>(src);
        if (dib.bits() == 8) {
            for (std::size_t x = 0; x < w; ++x) {
                if (grey) {
                    e.line[x] = dib.grey(src[x]);
                } else {
                    const BYTE i = src[x];
                    const RGBQUAD c = i < dib.paletteEntries() ? dib.palette()[i] : RGBQUAD{i, i, i, 0};
                    e.line[3 * x] = c.rgbRed;
                    e.line[3 * x + 1] = c.rgbGreen;
                    e.line[3 * x + 2] = c.rgbBlue;
                }
            }
            row = e.line;
        }
        jpeg_write_scanlines(&e.info, &row, 1);
    }
    jpeg_finish_compress(&e.info);
    return true;
}

}  // namespace

HDIB decodeJpeg(const BYTE* data, std::size_t size, const StopCheck& stop) {
    if (!data || size < 4) return nullptr;
    Decoder d;
    if (!runDecoder(d, data, size, stop)) return nullptr;
    return d.out.release();
}

bool encodeJpeg(const DibReader& dib, std::vector<BYTE>& file) {
    if (dib.bits() == 1) return false;  // JPEG holds grey and colour pictures only
    Encoder e;
    if (!runEncoder(e, dib)) return false;
    file.assign(e.buffer, e.buffer + e.bufferSize);
    return true;
}

}  // namespace convert
