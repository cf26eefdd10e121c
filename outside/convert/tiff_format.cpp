#include "outside/convert/tiff_format.h"
#include "platform/win/resolution.h"

#include <tiffio.h>

#if defined(__x86_64__)
#include <tmmintrin.h>
#endif

#include <cerrno>
#include <cmath>
#include <cstring>
#include <utility>
#include <memory>
#include <vector>

namespace convert {
namespace {

// libtiff reports through these; the library's callers only see the result.
void quietHandler(const char*, const char*, va_list) {}

struct TiffCloser {
    void operator()(TIFF* t) const { TIFFClose(t); }
};
using TiffFile = std::unique_ptr<TIFF, TiffCloser>;

TiffFile openTiff(const std::string& path, const char* mode) {
    static const bool quiet = [] {
        TIFFSetErrorHandler(quietHandler);
        TIFFSetWarningHandler(quietHandler);
        return true;
    }();
    (void)quiet;
    return TiffFile(TIFFOpen(path.c_str(), mode));
}

// Closes a file whose writing failed and returns false, keeping the errno of
// the failed write (a full disk) for the caller to report.
bool failKeepingErrno(TiffFile& tif) {
    const int error = errno;
    tif.reset();
    errno = error;
    return false;
}

// Pixels per metre of a resolution tag; 0 when absent, without a unit, or
// outside 1 to 10,000 dpi.
LONG pelsPerMeter(TIFF* tif, ttag_t tag) {
    float res = 0;
    uint16_t unit = RESUNIT_INCH;
    if (!TIFFGetField(tif, tag, &res)) return 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
    if (unit == RESUNIT_CENTIMETER) return suite::PelsPerMeterOfDpi(res * 2.54);
    if (unit == RESUNIT_NONE) return 0;
    return suite::PelsPerMeterOfDpi(res);
}

// RGB samples into the DIB's order (blue first), in place.
void swapRedAndBlue(BYTE* p, std::size_t pixels) {
    for (std::size_t x = 0; x < pixels; ++x) std::swap(p[3 * x], p[3 * x + 2]);
}

#if defined(__x86_64__)
// Shuffle masks that swap red and blue in sixteen pixels held in three
// registers: lane i of output register `to` takes byte from[i] of input register
// `from`, 0x80 (a zero) where that lane comes from another register.
struct SwapMasks {
    alignas(16) char lanes[3][3][16];
    constexpr SwapMasks() : lanes() {
        for (int to = 0; to < 3; ++to)
            for (int from = 0; from < 3; ++from)
                for (int i = 0; i < 16; ++i) {
                    const int at = 16 * to + i;
                    const int source = at % 3 == 0 ? at + 2 : at % 3 == 2 ? at - 2 : at;
                    lanes[to][from][i] = source / 16 == from ? static_cast<char>(source % 16) : static_cast<char>(0x80);
                }
    }
};
constexpr SwapMasks kSwapMasks;

// The same, sixteen pixels (48 bytes) a step: three loads, three stores, none
// overlapping another, so no load waits on a store that only partly covers it.
__attribute__((target("ssse3"))) void swapRedAndBlueByShuffle(BYTE* p, std::size_t pixels) {
    __m128i mask[3][3];
    for (int to = 0; to < 3; ++to)
        for (int from = 0; from < 3; ++from)
            mask[to][from] = _mm_load_si128(reinterpret_cast<const __m128i*>(kSwapMasks.lanes[to][from]));
    std::size_t x = 0;
    for (; x + 16 <= pixels; x += 16) {
        auto* at = reinterpret_cast<__m128i*>(p + 3 * x);
        const __m128i in[3] = {_mm_loadu_si128(at), _mm_loadu_si128(at + 1), _mm_loadu_si128(at + 2)};
        // Output register 0 draws on inputs 0 and 1, register 2 on 1 and 2.
        _mm_storeu_si128(at, _mm_or_si128(_mm_shuffle_epi8(in[0], mask[0][0]), _mm_shuffle_epi8(in[1], mask[0][1])));
        _mm_storeu_si128(at + 1, _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(in[0], mask[1][0]),
                                                           _mm_shuffle_epi8(in[1], mask[1][1])),
                                              _mm_shuffle_epi8(in[2], mask[1][2])));
        _mm_storeu_si128(at + 2, _mm_or_si128(_mm_shuffle_epi8(in[1], mask[2][1]), _mm_shuffle_epi8(in[2], mask[2][2])));
    }
    swapRedAndBlue(p + 3 * x, pixels - x);
}
#endif

void toBlueFirst(BYTE* p, std::size_t pixels) {
#if defined(__x86_64__)
    static const bool shuffle = __builtin_cpu_supports("ssse3");
    if (shuffle) return swapRedAndBlueByShuffle(p, pixels);
#endif
    swapRedAndBlue(p, pixels);
}

// Reads the scanlines straight into the DIB's rows and fixes them up in place:
// inverted for the other photometric sense, channel order for RGB; the bytes
// past each row's pixels are zeroed (the DIB is made without zeroing).
bool readScanlines(TIFF* tif, DibBuilder& out, int bits, bool invert, const StopCheck& stop) {
    const tmsize_t lineSize = TIFFScanlineSize(tif);
    const std::size_t w = static_cast<std::size_t>(out.width());
    const std::size_t needed = bits == 1 ? (w + 7) / 8 : w * static_cast<std::size_t>(bits / 8);
    if (lineSize <= 0 || static_cast<std::size_t>(lineSize) != needed) return false;
    for (LONG y = 0; y < out.height(); ++y) {
        if ((y & 63) == 0 && stop && stop()) return false;
        BYTE* dst = out.row(y);
        if (TIFFReadScanline(tif, dst, static_cast<uint32_t>(y), 0) < 0) return false;
        if (invert)
            for (std::size_t i = 0; i < needed; ++i) dst[i] = static_cast<BYTE>(~dst[i]);
        if (bits == 24) toBlueFirst(dst, w);
        if (bits == 1 && w % 8) dst[needed - 1] &= static_cast<BYTE>(0xFF << (8 - w % 8));
        if (out.stride() > needed) std::memset(dst + needed, 0, out.stride() - needed);
    }
    return true;
}

bool readRgba(TIFF* tif, DibBuilder& out, const StopCheck& stop) {
    const std::size_t w = static_cast<std::size_t>(out.width());
    const std::size_t h = static_cast<std::size_t>(out.height());
    std::vector<uint32_t> raster;
    try {
        raster.resize(w * h);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (stop && stop()) return false;
    if (!TIFFReadRGBAImageOriented(tif, static_cast<uint32_t>(w), static_cast<uint32_t>(h), raster.data(),
                                   ORIENTATION_TOPLEFT, 0))
        return false;
    for (std::size_t y = 0; y < h; ++y) {
        const uint32_t* src = raster.data() + y * w;
        BYTE* dst = out.row(static_cast<LONG>(y));
        for (std::size_t x = 0; x < w; ++x) {
            const uint32_t p = src[x];
            dst[3 * x] = static_cast<BYTE>(TIFFGetB(p));
            dst[3 * x + 1] = static_cast<BYTE>(TIFFGetG(p));
            dst[3 * x + 2] = static_cast<BYTE>(TIFFGetR(p));
        }
    }
    return true;
}

}  // namespace

int countTiffPages(const std::string& path) {
    TiffFile tif = openTiff(path, "r");
    return tif ? static_cast<int>(TIFFNumberOfDirectories(tif.get())) : 0;
}

HDIB decodeTiff(const std::string& path, const StopCheck& stop) {
    TiffFile tif = openTiff(path, "r");
    if (!tif) return nullptr;
    uint32_t width = 0, height = 0;
    uint16_t bps = 1, spp = 1, photometric = PHOTOMETRIC_MINISWHITE, planar = PLANARCONFIG_CONTIG;
    if (!TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height))
        return nullptr;
    if (width == 0 || height == 0 || width > static_cast<uint32_t>(kMaxSide) || height > static_cast<uint32_t>(kMaxSide))
        return nullptr;
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &bps);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &spp);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_PLANARCONFIG, &planar);
    if (!TIFFGetField(tif.get(), TIFFTAG_PHOTOMETRIC, &photometric)) photometric = PHOTOMETRIC_MINISWHITE;
    const bool tiled = TIFFIsTiled(tif.get());
    const bool plain = spp == 1 && !tiled &&
                       (photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK);
    const bool rgb = spp == 3 && bps == 8 && !tiled && photometric == PHOTOMETRIC_RGB && planar == PLANARCONFIG_CONTIG;
    const int bits = plain && bps == 1 ? 1 : plain && bps == 8 ? 8 : 24;
    DibBuilder out;
    // Rows read as scanlines are written whole; the others start from zero.
    const bool scanlines = bits != 24 || rgb;
    if (!out.create(static_cast<LONG>(width), static_cast<LONG>(height), bits,
                    pelsPerMeter(tif.get(), TIFFTAG_XRESOLUTION), pelsPerMeter(tif.get(), TIFFTAG_YRESOLUTION),
                    !scanlines))
        return nullptr;
    bool ok = false;
    if (bits == 1) ok = readScanlines(tif.get(), out, 1, photometric == PHOTOMETRIC_MINISBLACK, stop);
    else if (bits == 8) ok = readScanlines(tif.get(), out, 8, photometric == PHOTOMETRIC_MINISWHITE, stop);
    else if (rgb) ok = readScanlines(tif.get(), out, 24, false, stop);
    else ok = readRgba(tif.get(), out, stop);
    return ok ? out.release() : nullptr;
}

bool encodeTiff(const DibReader& dib, const std::string& path) {
    TiffFile tif = openTiff(path, "w");
    if (!tif) return false;
    TIFF* t = tif.get();
    const uint32_t width = static_cast<uint32_t>(dib.width());
    const uint32_t height = static_cast<uint32_t>(dib.height());
    const bool mono = dib.bits() == 1;
    const bool grey = dib.bits() == 8 && dib.paletteIsGrey();
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    if (mono) {
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, height);
    } else {
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, grey ? 1 : 3);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, grey ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
        TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
        TIFFSetField(t, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(t, 0));
    }
    const LONG xRes = suite::KnownPelsPerMeter(dib.header().biXPelsPerMeter);
    const LONG yRes = suite::KnownPelsPerMeter(dib.header().biYPelsPerMeter);
    if (xRes > 0 && yRes > 0) {
        TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        TIFFSetField(t, TIFFTAG_XRESOLUTION, static_cast<float>(std::round(xRes * suite::kMetresPerInch)));
        TIFFSetField(t, TIFFTAG_YRESOLUTION, static_cast<float>(std::round(yRes * suite::kMetresPerInch)));
    }
    const bool monoOneIsBlack = dib.monoOneIsBlack();
    const std::size_t w = width;
    std::vector<BYTE> line(mono ? (w + 7) / 8 : grey ? w : 3 * w);
    for (uint32_t y = 0; y < height; ++y) {
        const BYTE* src = dib.row(static_cast<LONG>(y));
        if (mono) {
            for (std::size_t i = 0; i < line.size(); ++i)
                line[i] = monoOneIsBlack ? src[i] : static_cast<BYTE>(~src[i]);
        } else if (grey) {
            for (std::size_t x = 0; x < w; ++x) line[x] = dib.grey(src[x]);
        } else if (dib.bits() == 8) {
            for (std::size_t x = 0; x < w; ++x) {
                const BYTE i = src[x];
                const RGBQUAD c = i < dib.paletteEntries() ? dib.palette()[i] : RGBQUAD{i, i, i, 0};
                line[3 * x] = c.rgbRed;
                line[3 * x + 1] = c.rgbGreen;
                line[3 * x + 2] = c.rgbBlue;
            }
        } else {
            for (std::size_t x = 0; x < w; ++x) {
                line[3 * x] = src[3 * x + 2];
                line[3 * x + 1] = src[3 * x + 1];
                line[3 * x + 2] = src[3 * x];
            }
        }
        if (TIFFWriteScanline(t, line.data(), y, 0) < 0) return failKeepingErrno(tif);
    }
    if (!TIFFFlush(tif.get())) return failKeepingErrno(tif);
    tif.reset();
    return true;
}

}  // namespace convert
