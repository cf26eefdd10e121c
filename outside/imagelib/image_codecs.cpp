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
    bool grey = bpp <= 8;
    if (bpp <= 8) {
        std::uint32_t n = clrUsed ? clrUsed : (1u << bpp);
        if (n > (1u << bpp)) n = 1u << bpp;
        size_t palAt = 14 + hdr;
        if (palAt + n * palEntry > d.size()) return false;
        pal.assign(size_t(1u << bpp) * 3, 0);
        for (std::uint32_t i = 0; i < n; ++i) {
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
    px.channels = grey ? 1 : 3;
    px.rows.assign(size_t(w) * size_t(h) * size_t(px.channels), 0);
    for (std::int64_t y = 0; y < h; ++y) {
        const std::uint8_t* src = &d[offBits + size_t(stride) * size_t(topDown ? y : h - 1 - y)];
        std::uint8_t* dst = &px.rows[size_t(y) * size_t(w) * size_t(px.channels)];
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

bool writeBmp(std::FILE* f, const Pixels& px) {
    std::uint32_t bpp = px.channels == 1 ? 8 : 24;
    std::uint32_t stride = ((std::uint32_t(px.width) * bpp + 31) / 32) * 4;
    std::uint32_t palBytes = bpp == 8 ? 1024 : 0;
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
    put32(h, bpp == 8 ? 256 : 0);
    put32(h, 0);
    for (std::uint32_t i = 0; i < palBytes / 4; ++i) {
        h.push_back(std::uint8_t(i));
        h.push_back(std::uint8_t(i));
        h.push_back(std::uint8_t(i));
        h.push_back(0);
    }
    if (std::fwrite(h.data(), 1, h.size(), f) != h.size()) return false;
    std::vector<std::uint8_t> row(stride, 0);
    for (std::int32_t y = px.height - 1; y >= 0; --y) {
        const std::uint8_t* src = &px.rows[size_t(y) * size_t(px.width) * size_t(px.channels)];
        if (px.channels == 1) {
            std::memcpy(row.data(), src, size_t(px.width));
        } else {
            for (std::int32_t x = 0; x < px.width; ++x) {
                row[x * 3] = src[x * 3 + 2];
                row[x * 3 + 1] = src[x * 3 + 1];
                row[x * 3 + 2] = src[x * 3];
            }
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
    px.channels = colour ? 3 : 1;
    px.rows.assign(PNG_IMAGE_SIZE(img), 0);
    png_color white{255, 255, 255};
    if (!png_image_finish_read(&img, &white, px.rows.data(), 0, nullptr)) {
        png_image_free(&img);
        return false;
    }
    return true;
}

bool writePng(std::FILE* f, const Pixels& px) {
    png_image img;
    std::memset(&img, 0, sizeof img);
    img.version = PNG_IMAGE_VERSION;
    img.width = std::uint32_t(px.width);
    img.height = std::uint32_t(px.height);
    img.format = px.channels == 3 ? PNG_FORMAT_RGB : PNG_FORMAT_GRAY;
    return png_image_write_to_stdio(&img, f, 0, px.rows.data(), 0, nullptr) != 0;
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
    px->channels = cinfo.output_components;
    if (cinfo.density_unit == 1) {
        px->xdpi = out->xdpi;
        px->ydpi = out->ydpi;
    }
    px->rows.resize(size_t(px->width) * size_t(px->height) * size_t(px->channels));
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = &px->rows[size_t(cinfo.output_scanline) * size_t(px->width) * size_t(px->channels)];
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

bool writeJpeg(std::FILE* f, const Pixels* px, int quality) {
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
    cinfo.input_components = px->channels;
    cinfo.in_color_space = px->channels == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (px->xdpi) {
        cinfo.density_unit = 1;
        cinfo.X_density = UINT16(px->xdpi);
        cinfo.Y_density = UINT16(px->ydpi ? px->ydpi : px->xdpi);
    }
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(&px->rows[size_t(cinfo.next_scanline) * size_t(px->width) * size_t(px->channels)]);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

// ---- TIFF ----
// libtiff reports through handlers that print; the codecs report by result.
void quietTiff() {
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
}

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

bool readTiff(const std::string& path, Pixels& px) {
    TiffHeader header;
    TIFF* t = openTiff(path, header);
    if (!t) return false;
    std::uint32_t w = header.width, h = header.height;
    std::uint16_t spp = header.samples, photo = header.photometric;
    float xr = header.xres, yr = header.yres;
    if (!sizeOk(w, h)) {
        TIFFClose(t);
        return false;
    }
    std::vector<std::uint32_t> rgba(size_t(w) * h);
    bool ok = TIFFReadRGBAImageOriented(t, w, h, rgba.data(), ORIENTATION_TOPLEFT, 0) != 0;
    TIFFClose(t);
    if (!ok) return false;
    bool grey = spp == 1 && (photo == PHOTOMETRIC_MINISBLACK || photo == PHOTOMETRIC_MINISWHITE);
    px.width = std::int32_t(w);
    px.height = std::int32_t(h);
    px.channels = grey ? 1 : 3;
    px.xdpi = knownDpi(xr);
    px.ydpi = knownDpi(yr);
    px.rows.resize(size_t(w) * h * size_t(px.channels));
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

// Writes one page as the current directory of `t`; the caller closes `t`.
bool writeTiffPage(TIFF* t, const Pixels& px) {
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, std::uint32_t(px.width));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, std::uint32_t(px.height));
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, std::uint16_t(px.channels));
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, std::uint16_t(8));
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, px.channels == 1 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(t, 0));
    if (px.xdpi) {
        TIFFSetField(t, TIFFTAG_XRESOLUTION, float(px.xdpi));
        TIFFSetField(t, TIFFTAG_YRESOLUTION, float(px.ydpi ? px.ydpi : px.xdpi));
        TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    }
    bool ok = true;
    size_t stride = size_t(px.width) * size_t(px.channels);
    for (std::int32_t y = 0; y < px.height && ok; ++y)
        ok = TIFFWriteScanline(t, const_cast<std::uint8_t*>(&px.rows[size_t(y) * stride]), std::uint32_t(y), 0) == 1;
    return ok;
}

bool writeTiff(std::FILE* f, const std::string& name, const Pixels& px) {
    quietTiff();
    std::fflush(f);
    // libtiff closes the descriptor it is given, so hand it a duplicate.
    TIFF* t = TIFFFdOpen(dup(fileno(f)), name.c_str(), "w");
    if (!t) return false;
    bool ok = writeTiffPage(t, px);
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
            return sizeOk(out.width, out.height);
        }
        default:
            return false;
    }
}

// libtiff writes the new page's data and directory behind the old ones and
// links it last, so the pages already there stay readable whatever happens;
// on failure the file is cut back to its former length.
bool appendTiff(const std::string& path, const Pixels& px) {
    struct stat before {};
    if (::stat(path.c_str(), &before) != 0 || sniffFormat(path) != 2) return false;
    quietTiff();
    bool ok = false;
    if (TIFF* t = TIFFOpen(path.c_str(), "a")) {
        ok = writeTiffPage(t, px);
        ok = TIFFWriteDirectory(t) == 1 && ok;
        TIFFClose(t);
    }
    if (ok) {
        int fd = ::open(path.c_str(), O_WRONLY);
        ok = fd >= 0 && ::fsync(fd) == 0;
        if (fd >= 0) ::close(fd);
    }
    if (!ok) {
        if (::truncate(path.c_str(), before.st_size) != 0) return false;
    }
    return ok;
}

bool writeFile(std::FILE* f, const std::string& name, int format, const Pixels& px, int quality) {
    switch (format) {
        case 0: return writeBmp(f, px);
        case 1: return writeJpeg(f, &px, quality);
        case 2: return writeTiff(f, name, px);
        case 3: return writePng(f, px);
        default: return false;
    }
}

}  // namespace imagelib
