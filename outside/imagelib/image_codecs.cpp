// BMP is read and written here; TIFF, JPEG and PNG go through libtiff,
// libjpeg-turbo and libpng.
#include "outside/imagelib/image_codecs.h"
#include "platform/win/resolution.h"

#include <csetjmp>
#include <cstring>
#include <memory>

#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace imagelib {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::uint32_t le32(const std::uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24); }
std::uint16_t le16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
void put16(std::vector<std::uint8_t>& v, std::uint32_t x) {
    v.push_back(x & 0xFF);
    v.push_back((x >> 8) & 0xFF);
}
void put32(std::vector<std::uint8_t>& v, std::uint32_t x) {
    put16(v, x & 0xFFFF);
    put16(v, x >> 16);
}

// A bitmap header's pixels a metre as dots an inch; 0 (unknown) outside 1 to 10,000.
std::uint32_t dpiOf(std::uint32_t pelsPerMetre) {
    return std::uint32_t(suite::DpiOfPelsPerMeter(static_cast<LONG>(pelsPerMetre)));
}
// A resolution read as dots an inch; 0 (unknown) outside 1 to 10,000.
std::uint32_t knownDpi(double dpi) { return std::uint32_t(suite::KnownDpi(dpi)); }

bool sizeOk(std::uint64_t w, std::uint64_t h) { return w > 0 && h > 0 && w <= 65535 && h <= 65535 && w * h <= kMaxPixels; }

bool readWhole(const std::string& path, std::vector<std::uint8_t>& out) {
    File f(std::fopen(path.c_str(), "rb"));
    if (!f) return false;
    std::uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0) out.insert(out.end(), buf, buf + n);
    return !std::ferror(f.get());
}

// ---- BMP ----
// A two-entry palette of pure black and pure white (in either order) keeps a
// 1-bit bitmap black and white; `inverted` when entry 0 is the white one.
bool blackAndWhite(const std::vector<std::uint8_t>& pal, std::uint32_t entries, bool& inverted) {
    if (entries != 2) return false;
    auto is = [&](int i, std::uint8_t v) { return pal[size_t(i) * 3] == v && pal[size_t(i) * 3 + 1] == v && pal[size_t(i) * 3 + 2] == v; };
    inverted = is(0, 255) && is(1, 0);
    return inverted || (is(0, 0) && is(1, 255));
}

// Clears the bits of a packed 1-bit row beyond its last pixel.
void maskTail(std::uint8_t* row, std::int32_t width) {
    if (width % 8) row[width / 8] &= std::uint8_t(0xFF00u >> (width % 8));
}

bool readBmp(const std::string& path, Pixels& px) {
    std::vector<std::uint8_t> d;
    if (!readWhole(path, d) || d.size() < 26 || d[0] != 'B' || d[1] != 'M') return false;
    std::uint32_t offBits = le32(&d[10]);
    std::uint32_t hdr = le32(&d[14]);
    std::int64_t w, h;
    std::uint32_t bpp, comp = 0, clrUsed = 0;
    size_t palEntry = 4;
    if (hdr == 12) {
        w = le16(&d[18]);
        h = le16(&d[20]);
        bpp = le16(&d[24]);
        palEntry = 3;
    } else if (hdr >= 40 && d.size() >= 14 + size_t(hdr)) {
        w = std::int32_t(le32(&d[18]));
        h = std::int32_t(le32(&d[22]));
        bpp = le16(&d[28]);
        comp = le32(&d[30]);
        clrUsed = le32(&d[46]);
        px.xdpi = dpiOf(le32(&d[38]));
        px.ydpi = dpiOf(le32(&d[42]));
    } else {
        return false;
    }
    bool topDown = h < 0;
    if (topDown) h = -h;
    if (!sizeOk(std::uint64_t(w < 0 ? 0 : w), std::uint64_t(h))) return false;
    if (!(comp == 0 || (comp == 3 && bpp == 32))) return false;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) return false;
    std::vector<std::uint8_t> pal;  // RGB triples
    std::uint32_t entries = 0;
    bool grey = bpp <= 8;
    if (bpp <= 8) {
        entries = clrUsed ? clrUsed : (1u << bpp);
        if (entries > (1u << bpp)) entries = 1u << bpp;
        size_t palAt = 14 + hdr;
        if (palAt + entries * palEntry > d.size()) return false;
        pal.assign(size_t(1u << bpp) * 3, 0);
        for (std::uint32_t i = 0; i < entries; ++i) {
            const std::uint8_t* e = &d[palAt + i * palEntry];
            pal[i * 3] = e[2];
            pal[i * 3 + 1] = e[1];
            pal[i * 3 + 2] = e[0];
            if (e[0] != e[1] || e[1] != e[2]) grey = false;
        }
    }
    std::uint64_t stride = ((std::uint64_t(w) * bpp + 31) / 32) * 4;
    if (offBits > d.size() || stride * std::uint64_t(h) > d.size() - offBits) return false;
    px.width = std::int32_t(w);
    px.height = std::int32_t(h);
    bool inverted = false;
    if (bpp == 1 && blackAndWhite(pal, entries, inverted)) {
        px.bits = 1;
        const size_t line = px.rowBytes();
        px.rows.resize(line * size_t(h));
        for (std::int64_t y = 0; y < h; ++y) {
            const std::uint8_t* src = &d[offBits + size_t(stride) * size_t(topDown ? y : h - 1 - y)];
            std::uint8_t* dst = &px.rows[size_t(y) * line];
            for (size_t i = 0; i < line; ++i) dst[i] = inverted ? std::uint8_t(~src[i]) : src[i];
            maskTail(dst, px.width);
        }
        return true;
    }
    const int channels = grey ? 1 : 3;
    px.bits = channels * 8;
    px.rows.assign(size_t(w) * size_t(h) * size_t(channels), 0);
    for (std::int64_t y = 0; y < h; ++y) {
        const std::uint8_t* src = &d[offBits + size_t(stride) * size_t(topDown ? y : h - 1 - y)];
        std::uint8_t* dst = &px.rows[size_t(y) * size_t(w) * size_t(channels)];
        for (std::int64_t x = 0; x < w; ++x) {
            std::uint8_t r, g, b;
            if (bpp <= 8) {
                unsigned idx;
                if (bpp == 8) idx = src[x];
                else if (bpp == 4) idx = (src[x / 2] >> ((x & 1) ? 0 : 4)) & 0xF;
                else idx = (src[x / 8] >> (7 - (x & 7))) & 1;
                r = pal[idx * 3];
                g = pal[idx * 3 + 1];
                b = pal[idx * 3 + 2];
            } else {
                const std::uint8_t* p = src + x * (bpp / 8);
                b = p[0];
                g = p[1];
                r = p[2];
            }
            if (grey) {
                dst[x] = r;
            } else {
                dst[x * 3] = r;
                dst[x * 3 + 1] = g;
                dst[x * 3 + 2] = b;
            }
        }
    }
    return true;
}

bool writeBmp(std::FILE* f, const PixelView& px) {
    const std::uint32_t bpp = std::uint32_t(px.bits);
    std::uint32_t stride = ((std::uint32_t(px.width) * bpp + 31) / 32) * 4;
    std::uint32_t entries = bpp == 8 ? 256 : bpp == 1 ? 2 : 0;
    std::uint32_t palBytes = entries * 4;
    std::uint32_t image = stride * std::uint32_t(px.height);
    std::vector<std::uint8_t> h;
    h.push_back('B');
    h.push_back('M');
    put32(h, 14 + 40 + palBytes + image);
    put32(h, 0);
    put32(h, 14 + 40 + palBytes);
    put32(h, 40);
    put32(h, std::uint32_t(px.width));
    put32(h, std::uint32_t(px.height));
    put16(h, 1);
    put16(h, bpp);
    put32(h, 0);
    put32(h, image);
    put32(h, std::uint32_t(px.xdpi * 10000ull / 254));
    put32(h, std::uint32_t(px.ydpi * 10000ull / 254));
    put32(h, entries);
    put32(h, 0);
    for (std::uint32_t i = 0; i < entries; ++i) {
        const std::uint8_t v = std::uint8_t(i * 255 / (entries - 1));
        h.push_back(v);
        h.push_back(v);
        h.push_back(v);
        h.push_back(0);
    }
    if (std::fwrite(h.data(), 1, h.size(), f) != h.size()) return false;
    std::vector<std::uint8_t> row(stride, 0);
    for (std::int32_t y = px.height - 1; y >= 0; --y) {
        const std::uint8_t* src = px.row(y);
        if (px.bits == 24) {
            for (std::int32_t x = 0; x < px.width; ++x) {
                row[size_t(x) * 3] = src[size_t(x) * 3 + 2];
                row[size_t(x) * 3 + 1] = src[size_t(x) * 3 + 1];
                row[size_t(x) * 3 + 2] = src[size_t(x) * 3];
            }
        } else {
            std::memcpy(row.data(), src, px.rowBytes());
            if (px.bits == 1) maskTail(row.data(), px.width);
        }
        if (std::fwrite(row.data(), 1, stride, f) != stride) return false;
    }
    return true;
}

// ---- PNG ----
// Reads a PNG file's header into img; on success img must be finished or freed.
bool beginPng(const std::string& path, png_image& img) {
    std::memset(&img, 0, sizeof img);
    img.version = PNG_IMAGE_VERSION;
    return png_image_begin_read_from_file(&img, path.c_str()) != 0;
}

// Bit depth and colour type from the header chunk, which a PNG file must
// start with; 0 and 0xFF when the file does not say.
void pngDepthAndType(const std::string& path, int& depth, int& type) {
    depth = 0;
    type = 0xFF;
    File f(std::fopen(path.c_str(), "rb"));
    std::uint8_t h[26];
    if (f && std::fread(h, 1, sizeof h, f.get()) == sizeof h && std::memcmp(h + 12, "IHDR", 4) == 0) {
        depth = h[24];
        type = h[25];
    }
}

bool readPng(const std::string& path, Pixels& px) {
    png_image img;
    if (!beginPng(path, img)) return false;
    if (!sizeOk(img.width, img.height)) {
        png_image_free(&img);
        return false;
    }
    bool colour = (img.format & PNG_FORMAT_FLAG_COLOR) != 0;
    img.format = colour ? PNG_FORMAT_RGB : PNG_FORMAT_GRAY;
    px.width = std::int32_t(img.width);
    px.height = std::int32_t(img.height);
    px.bits = colour ? 24 : 8;
    px.rows.assign(PNG_IMAGE_SIZE(img), 0);
    png_color white{255, 255, 255};
    if (!png_image_finish_read(&img, &white, px.rows.data(), 0, nullptr)) {
        png_image_free(&img);
        return false;
    }
    int depth = 0, type = 0;
    pngDepthAndType(path, depth, type);
    if (depth == 1 && type == PNG_COLOR_TYPE_GRAY) {
        // Stored black and white: packed again, eight pixels a byte, in place.
        const size_t line = packedRowBytes(px.width, 1);
        for (std::int32_t y = 0; y < px.height; ++y) {
            const std::uint8_t* grey = &px.rows[size_t(y) * size_t(px.width)];
            std::uint8_t* out = &px.rows[size_t(y) * line];
            for (size_t i = 0; i < line; ++i) {
                std::uint8_t b = 0;
                for (size_t k = 0; k < 8; ++k) {
                    const size_t x = i * 8 + k;
                    if (x < size_t(px.width) && grey[x] >= 128) b |= std::uint8_t(0x80u >> k);
                }
                out[i] = b;
            }
        }
        px.bits = 1;
        px.rows.resize(line * size_t(px.height));
    }
    return true;
}

// libpng reports errors by long jump; nothing with a destructor lives across it.
void pngFail(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void pngQuiet(png_structp, png_const_charp) {}

bool writeBlackAndWhitePng(std::FILE* f, const PixelView* px) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, pngFail, pngQuiet);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, png_uint_32(px->width), png_uint_32(px->height), 1, PNG_COLOR_TYPE_GRAY,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (std::int32_t y = 0; y < px->height; ++y) png_write_row(png, px->row(y));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool writePng(std::FILE* f, const PixelView& px) {
    if (px.bits == 1) return writeBlackAndWhitePng(f, &px);
    png_image img;
    std::memset(&img, 0, sizeof img);
    img.version = PNG_IMAGE_VERSION;
    img.width = std::uint32_t(px.width);
    img.height = std::uint32_t(px.height);
    img.format = px.bits == 24 ? PNG_FORMAT_RGB : PNG_FORMAT_GRAY;
    return png_image_write_to_stdio(&img, f, 0, px.data, png_int_32(px.stride), nullptr) != 0;
}

// ---- JPEG ----
struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};
void jpegFail(j_common_ptr c) { std::longjmp(reinterpret_cast<JpegError*>(c->err)->jump, 1); }
void jpegSilent(j_common_ptr, int) {}

// Reads a JPEG stream's header into out and, when px is given, its pixels
// into px. Plain C-style bodies: nothing with a destructor lives across setjmp.
bool decodeJpeg(std::FILE* f, Probe* out, Pixels* px) {
    jpeg_decompress_struct cinfo;
    JpegError err;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = jpegFail;
    err.mgr.emit_message = jpegSilent;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, f);
    jpeg_read_header(&cinfo, TRUE);
    out->width = cinfo.image_width;
    out->height = cinfo.image_height;
    out->bits = std::uint32_t(cinfo.num_components) * 8;
    if (cinfo.density_unit == 1) {
        out->xdpi = knownDpi(cinfo.X_density);
        out->ydpi = knownDpi(cinfo.Y_density);
    }
    if (!px || !sizeOk(out->width, out->height)) {
        jpeg_destroy_decompress(&cinfo);
        return !px && sizeOk(out->width, out->height);
    }
    cinfo.out_color_space = cinfo.num_components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_start_decompress(&cinfo);
    px->width = std::int32_t(cinfo.output_width);
    px->height = std::int32_t(cinfo.output_height);
    px->bits = cinfo.output_components * 8;
    if (cinfo.density_unit == 1) {
        px->xdpi = out->xdpi;
        px->ydpi = out->ydpi;
    }
    px->rows.resize(px->rowBytes() * size_t(px->height));
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = &px->rows[size_t(cinfo.output_scanline) * px->rowBytes()];
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

bool readJpeg(const std::string& path, Pixels& px) {
    File f(std::fopen(path.c_str(), "rb"));
    Probe header;
    return f && decodeJpeg(f.get(), &header, &px);
}

// Spreads a packed 1-bit row over grey bytes, 0 or 255 each.
void unpackRow(const std::uint8_t* bits, std::int32_t width, std::uint8_t* grey) {
    for (std::int32_t x = 0; x < width; ++x) grey[x] = (bits[x / 8] >> (7 - x % 8)) & 1 ? 255 : 0;
}

bool writeJpeg(std::FILE* f, const PixelView* px, int quality, std::uint8_t* spread) {
    jpeg_compress_struct cinfo;
    JpegError err;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = jpegFail;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = JDIMENSION(px->width);
    cinfo.image_height = JDIMENSION(px->height);
    cinfo.input_components = px->bits == 24 ? 3 : 1;
    cinfo.in_color_space = px->bits == 24 ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (px->xdpi) {
        cinfo.density_unit = 1;
        cinfo.X_density = UINT16(px->xdpi);
        cinfo.Y_density = UINT16(px->ydpi ? px->ydpi : px->xdpi);
    }
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(px->row(std::int32_t(cinfo.next_scanline)));
        if (px->bits == 1) {
            unpackRow(row, px->width, spread);
            row = spread;
        }
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

bool writeJpeg(std::FILE* f, const PixelView& px, int quality) {
    // A black-and-white image is written as grey, a row at a time.
    std::vector<std::uint8_t> spread(px.bits == 1 ? size_t(px.width) : 0);
    return writeJpeg(f, &px, quality, spread.data());
}

// ---- TIFF ----
}  // namespace

// libtiff reports through handlers that print; the codecs report by result.
void quietTiff() {
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
}

namespace {

// What the first directory of a TIFF file says of its image.
struct TiffHeader {
    std::uint32_t width = 0, height = 0;
    std::uint16_t samples = 1, bitsPerSample = 1, photometric = 0;
    float xres = 0, yres = 0;
};

// Opens a TIFF file and reads its header; null when it does not open.
TIFF* openTiff(const std::string& path, TiffHeader& h) {
    quietTiff();
    TIFF* t = TIFFOpen(path.c_str(), "r");
    if (!t) return nullptr;
    TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &h.width);
    TIFFGetField(t, TIFFTAG_IMAGELENGTH, &h.height);
    TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &h.samples);
    TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &h.bitsPerSample);
    TIFFGetFieldDefaulted(t, TIFFTAG_PHOTOMETRIC, &h.photometric);
    TIFFGetField(t, TIFFTAG_XRESOLUTION, &h.xres);
    TIFFGetField(t, TIFFTAG_YRESOLUTION, &h.yres);
    return t;
}

// A black-and-white page read row by row as stored, without spreading it to
// colour first.
bool readBilevelTiff(TIFF* t, const TiffHeader& header, Pixels& px) {
    px.bits = 1;
    const size_t line = px.rowBytes();
    if (tmsize_t(line) > TIFFScanlineSize(t)) return false;
    std::vector<std::uint8_t> scan(size_t(TIFFScanlineSize(t)));
    px.rows.resize(line * size_t(px.height));
    const bool invert = header.photometric == PHOTOMETRIC_MINISWHITE;
    for (std::int32_t y = 0; y < px.height; ++y) {
        if (TIFFReadScanline(t, scan.data(), std::uint32_t(y), 0) != 1) return false;
        std::uint8_t* dst = &px.rows[size_t(y) * line];
        for (size_t i = 0; i < line; ++i) dst[i] = invert ? std::uint8_t(~scan[i]) : scan[i];
        maskTail(dst, px.width);
    }
    return true;
}

bool bilevel(TIFF* t, const TiffHeader& h) {
    std::uint16_t orientation = ORIENTATION_TOPLEFT, planar = PLANARCONFIG_CONTIG;
    TIFFGetFieldDefaulted(t, TIFFTAG_ORIENTATION, &orientation);
    TIFFGetFieldDefaulted(t, TIFFTAG_PLANARCONFIG, &planar);
    return h.samples == 1 && h.bitsPerSample == 1 && !TIFFIsTiled(t) && orientation == ORIENTATION_TOPLEFT &&
           (h.photometric == PHOTOMETRIC_MINISWHITE || h.photometric == PHOTOMETRIC_MINISBLACK);
}

bool readTiff(const std::string& path, Pixels& px) {
    TiffHeader header;
    TIFF* t = openTiff(path, header);
    if (!t) return false;
    std::uint32_t w = header.width, h = header.height;
    std::uint16_t spp = header.samples, photo = header.photometric;
    if (!sizeOk(w, h)) {
        TIFFClose(t);
        return false;
    }
    px.width = std::int32_t(w);
    px.height = std::int32_t(h);
    px.xdpi = knownDpi(header.xres);
    px.ydpi = knownDpi(header.yres);
    if (bilevel(t, header)) {
        bool ok = readBilevelTiff(t, header, px);
        TIFFClose(t);
        return ok;
    }
    std::vector<std::uint32_t> rgba(size_t(w) * h);
    bool ok = TIFFReadRGBAImageOriented(t, w, h, rgba.data(), ORIENTATION_TOPLEFT, 0) != 0;
    TIFFClose(t);
    if (!ok) return false;
    bool grey = spp == 1 && (photo == PHOTOMETRIC_MINISBLACK || photo == PHOTOMETRIC_MINISWHITE);
    px.bits = grey ? 8 : 24;
    px.rows.resize(size_t(w) * h * (grey ? 1 : 3));
    for (size_t i = 0; i < rgba.size(); ++i) {
        std::uint32_t v = rgba[i];
        if (grey) {
            px.rows[i] = std::uint8_t(TIFFGetR(v));
        } else {
            px.rows[i * 3] = std::uint8_t(TIFFGetR(v));
            px.rows[i * 3 + 1] = std::uint8_t(TIFFGetG(v));
            px.rows[i * 3 + 2] = std::uint8_t(TIFFGetB(v));
        }
    }
    return true;
}

}  // namespace

// Writes one page as the current directory of `t`; the caller writes the
// directory or closes `t`. Black and white goes as Group 4 fax, white 0 as
// fax readers expect; grey and colour as LZW.
bool writeTiffPage(TIFF* t, const PixelView& px) {
    const bool bw = px.bits == 1;
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, std::uint32_t(px.width));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, std::uint32_t(px.height));
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, std::uint16_t(px.bits == 24 ? 3 : 1));
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, std::uint16_t(bw ? 1 : 8));
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC,
                 bw ? PHOTOMETRIC_MINISWHITE : px.bits == 8 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_COMPRESSION, bw ? COMPRESSION_CCITTFAX4 : COMPRESSION_LZW);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, bw ? std::uint32_t(px.height) : TIFFDefaultStripSize(t, 0));
    if (px.xdpi) {
        TIFFSetField(t, TIFFTAG_XRESOLUTION, float(px.xdpi));
        TIFFSetField(t, TIFFTAG_YRESOLUTION, float(px.ydpi ? px.ydpi : px.xdpi));
        TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    }
    bool ok = true;
    std::vector<std::uint8_t> inverted(bw ? px.rowBytes() : 0);
    for (std::int32_t y = 0; y < px.height && ok; ++y) {
        auto* row = const_cast<std::uint8_t*>(px.row(y));
        if (bw) {
            for (size_t i = 0; i < inverted.size(); ++i) inverted[i] = std::uint8_t(~row[i]);
            row = inverted.data();
        }
        ok = TIFFWriteScanline(t, row, std::uint32_t(y), 0) == 1;
    }
    return ok;
}

namespace {

bool writeTiff(std::FILE* f, const std::string& name, const PixelView& px) {
    quietTiff();
    std::fflush(f);
    // libtiff closes the descriptor it is given, so hand it a duplicate.
    TIFF* t = TIFFFdOpen(dup(fileno(f)), name.c_str(), "w");
    if (!t) return false;
    bool ok = writeTiffPage(t, px);
    ok = ok && TIFFFlush(t) == 1;
    TIFFClose(t);
    return ok;
}

}  // namespace

int sniffFormat(const std::string& path) {
    File f(std::fopen(path.c_str(), "rb"));
    if (!f) return -1;
    std::uint8_t m[8] = {};
    size_t n = std::fread(m, 1, sizeof m, f.get());
    if (n >= 2 && m[0] == 'B' && m[1] == 'M') return 0;
    if (n >= 3 && m[0] == 0xFF && m[1] == 0xD8 && m[2] == 0xFF) return 1;
    if (n >= 4 && ((m[0] == 'I' && m[1] == 'I' && m[2] == 42 && m[3] == 0) || (m[0] == 'M' && m[1] == 'M' && m[2] == 0 && m[3] == 42)))
        return 2;
    if (n >= 8 && std::memcmp(m, "\x89PNG\r\n\x1a\n", 8) == 0) return 3;
    return -1;
}

bool readFile(const std::string& path, int format, Pixels& out) {
    int actual = sniffFormat(path);
    if (actual < 0 || (format >= 0 && format != actual)) return false;
    switch (actual) {
        case 0: return readBmp(path, out);
        case 1: return readJpeg(path, out);
        case 2: return readTiff(path, out);
        default: return readPng(path, out);
    }
}

// Reads only what the headers say; the pixels are checked when loaded.
bool probeFile(const std::string& path, Probe& out) {
    out.format = sniffFormat(path);
    out.pages = 1;
    switch (out.format) {
        case 0: {
            File f(std::fopen(path.c_str(), "rb"));
            std::uint8_t h[54] = {};
            size_t n = f ? std::fread(h, 1, sizeof h, f.get()) : 0;
            if (n < 26) return false;
            std::uint32_t size = le32(&h[14]);
            if (size == 12) {
                out.width = le16(&h[18]);
                out.height = le16(&h[20]);
                out.bits = le16(&h[24]);
            } else if (size >= 40 && n >= 54) {
                std::int32_t w = std::int32_t(le32(&h[18])), ht = std::int32_t(le32(&h[22]));
                out.width = std::uint32_t(w < 0 ? 0 : w);
                out.height = std::uint32_t(ht < 0 ? -std::int64_t(ht) : ht);
                out.bits = le16(&h[28]);
                out.xdpi = dpiOf(le32(&h[38]));
                out.ydpi = dpiOf(le32(&h[42]));
            } else {
                return false;
            }
            return sizeOk(out.width, out.height);
        }
        case 1: {
            File f(std::fopen(path.c_str(), "rb"));
            return f && decodeJpeg(f.get(), &out, nullptr);
        }
        case 2: {
            TiffHeader header;
            TIFF* t = openTiff(path, header);
            if (!t) return false;
            out.pages = TIFFNumberOfDirectories(t);
            TIFFClose(t);
            out.width = header.width;
            out.height = header.height;
            out.bits = std::uint32_t(header.samples) * header.bitsPerSample;
            out.xdpi = knownDpi(header.xres);
            out.ydpi = knownDpi(header.yres);
            return sizeOk(out.width, out.height);
        }
        case 3: {
            png_image img;
            if (!beginPng(path, img)) return false;
            out.width = img.width;
            out.height = img.height;
            out.bits = PNG_IMAGE_PIXEL_CHANNELS(img.format) * 8;
            png_image_free(&img);
            int depth = 0, type = 0;
            pngDepthAndType(path, depth, type);
            if (depth == 1 && type == PNG_COLOR_TYPE_GRAY) out.bits = 1;
            return sizeOk(out.width, out.height);
        }
        default:
            return false;
    }
}

bool writeFile(std::FILE* f, const std::string& name, int format, const PixelView& px, int quality) {
    switch (format) {
        case 0: return writeBmp(f, px);
        case 1: return writeJpeg(f, px, quality);
        case 2: return writeTiff(f, name, px);
        case 3: return writePng(f, px);
        default: return false;
    }
}

}  // namespace imagelib
