// The Image Library's table: converts between files and IL_IMAGE records and
// scales images (area averaging when shrinking, for legible thumbnails).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "outside/imagelib/image_codecs.h"
#include "outside/imagelib/tiff_appender.h"
#include "outside/include/image_library.h"
#include "platform/win/path.h"
#include "platform/win/resolution.h"

namespace {

std::string nativeOf(const char* path) { return suite::NativePathOfEither(path ? path : ""); }

using imagelib::Pixels;
using imagelib::PixelView;

int checkVersion(const WORD* v) {
    if (!v) return 1;
    unsigned long long asked = (std::uint64_t(v[0]) << 48) | (std::uint64_t(v[1]) << 32) |
                               (std::uint64_t(v[2]) << 16) | v[3];
    unsigned long long own = (std::uint64_t(IL_VERSION_MAJOR) << 48) | (std::uint64_t(IL_VERSION_MINOR) << 32);
    return asked <= own ? 0 : 1;
}

void terminate() { imagelib::Appender().release(); }

// The caller's pixels, read in place.
bool viewOf(const IL_IMAGE* img, PixelView& px) {
    if (!img || !img->Header || !img->Bits) return false;
    const IL_IMAGEHEADER& h = *img->Header;
    if (h.Width <= 0 || h.Height <= 0 || (h.BitsPerPixel != 1 && h.BitsPerPixel != 8 && h.BitsPerPixel != 24)) return false;
    px.width = h.Width;
    px.height = h.Height;
    px.bits = h.BitsPerPixel;
    px.xdpi = DWORD(suite::KnownDpi(h.XResolution));
    px.ydpi = DWORD(suite::KnownDpi(h.YResolution));
    px.data = img->Bits;
    px.stride = h.BytesPerLine;
    return h.BytesPerLine >= px.rowBytes();
}

bool toImage(const Pixels& px, IL_IMAGE* img, DWORD flags) {
    auto* h = new (std::nothrow) IL_IMAGEHEADER{};
    if (!h) return false;
    size_t line = px.rowBytes();
    size_t stride = (line + 3) & ~size_t(3);
    auto* bits = static_cast<BYTE*>(std::calloc(stride * size_t(px.height) + 1, 1));
    if (!bits) {
        delete h;
        return false;
    }
    h->Size = sizeof(IL_IMAGEHEADER);
    h->Width = px.width;
    h->Height = px.height;
    h->BytesPerLine = DWORD(stride);
    h->BitsPerPixel = WORD(px.bits);
    h->XResolution = px.xdpi;
    h->YResolution = px.ydpi;
    for (std::int32_t y = 0; y < px.height; ++y) std::memcpy(bits + size_t(y) * stride, &px.rows[size_t(y) * line], line);
    img->Header = h;
    img->Bits = bits;
    img->Flags = flags;
    return true;
}

int getImageFileInfo(LPCSTR path, int* format, IL_FILEINFO* info) {
    imagelib::Probe p;
    if (!path || !imagelib::probeFile(nativeOf(path), p)) return 1;
    if (format) *format = p.format;
    if (info) *info = IL_FILEINFO{p.width, p.height, p.bits, p.xdpi, p.ydpi, p.pages};
    return 0;
}

int loadImage(IL_IMAGE* image, LPCSTR path, int format, int, DWORD flags) {
    if (!image || !path) return 1;
    Pixels px;
    if (!imagelib::readFile(nativeOf(path), format, px)) return 1;
    return toImage(px, image, flags & ~IL_FLAG_LIBRARY_RECORD) ? 0 : 1;
}

void freeImage(IL_IMAGE* image) {
    if (!image) return;
    std::free(image->Bits);
    delete image->Header;
    image->Bits = nullptr;
    image->Header = nullptr;
    if (image->Flags & IL_FLAG_LIBRARY_RECORD) delete image;
}

// Writes beside the target under a fresh name and renames it into place, so a
// failed save leaves no half-written file and an existing file untouched.
int saveImage(LPCSTR path, int format, const IL_SAVEOPTIONS* options, IL_IMAGE* image, void*, void*) {
    PixelView px;
    if (!path || !viewOf(image, px) || format < 0 || format > 3) return 1;
    int quality = 85;
    if (options && options->Quality >= 1 && options->Quality <= 100) quality = int(options->Quality);
    std::string target = nativeOf(path);
    if (target.empty()) return 1;
    // A further page of an existing multi-page file.
    if (options && options->Append == 1 && format == IL_FORMAT_TIF && ::access(target.c_str(), F_OK) == 0) {
        if (!imagelib::Appender().append(target, px)) return 1;
        if (image->Flags & IL_FLAG_FREE_AFTER_USE) freeImage(image);
        return 0;
    }
    std::string tmp = target + ".ilXXXXXX";
    int fd = mkstemp(tmp.data());
    if (fd < 0) return 1;
    std::FILE* f = fdopen(fd, "wb");
    if (!f) {
        close(fd);
        unlink(tmp.c_str());
        return 1;
    }
    bool ok = imagelib::writeFile(f, tmp, format, px, quality);
    ok = (std::fflush(f) == 0) && ok;
    ok = (fsync(fileno(f)) == 0) && ok;
    ok = (std::fclose(f) == 0) && ok;
    if (ok) {
        ::chmod(tmp.c_str(), 0644);
        ok = std::rename(tmp.c_str(), target.c_str()) == 0;
    }
    if (!ok) {
        unlink(tmp.c_str());
        return 1;
    }
    if (image->Flags & IL_FLAG_FREE_AFTER_USE) freeImage(image);
    return 0;
}

// Shrinks or enlarges by averaging the source pixels each target pixel
// covers. Black and white comes out grey, so that a reduced page stays legible.
IL_IMAGE* scaleImage(IL_IMAGE* image, LONG width, LONG height) {
    PixelView src;
    if (width <= 0 || height <= 0 || !viewOf(image, src)) return nullptr;
    Pixels dst;
    dst.width = width;
    dst.height = height;
    dst.bits = src.bits == 1 ? 8 : src.bits;
    dst.xdpi = src.xdpi ? DWORD(std::uint64_t(src.xdpi) * DWORD(width) / DWORD(src.width)) : 0;
    dst.ydpi = src.ydpi ? DWORD(std::uint64_t(src.ydpi) * DWORD(height) / DWORD(src.height)) : 0;
    const int c = dst.bits / 8;
    auto sample = [&](const std::uint8_t* row, LONG x, int k) -> unsigned {
        if (src.bits == 1) return (row[x / 8] >> (7 - x % 8)) & 1 ? 255u : 0u;
        return row[size_t(x) * size_t(c) + size_t(k)];
    };
    dst.rows.resize(dst.rowBytes() * size_t(height));
    for (LONG y = 0; y < height; ++y) {
        LONG y0 = LONG(std::int64_t(y) * src.height / height);
        LONG y1 = LONG(std::int64_t(y + 1) * src.height / height);
        if (y1 <= y0) y1 = y0 + 1;
        for (LONG x = 0; x < width; ++x) {
            LONG x0 = LONG(std::int64_t(x) * src.width / width);
            LONG x1 = LONG(std::int64_t(x + 1) * src.width / width);
            if (x1 <= x0) x1 = x0 + 1;
            for (int k = 0; k < c; ++k) {
                std::uint64_t sum = 0;
                for (LONG yy = y0; yy < y1; ++yy) {
                    const std::uint8_t* row = src.row(yy);
                    for (LONG xx = x0; xx < x1; ++xx) sum += sample(row, xx, k);
                }
                dst.rows[(size_t(y) * size_t(width) + size_t(x)) * size_t(c) + size_t(k)] =
                    std::uint8_t(sum / std::uint64_t((y1 - y0) * (x1 - x0)));
            }
        }
    }
    auto* out = new (std::nothrow) IL_IMAGE{};
    if (!out) return nullptr;
    if (!toImage(dst, out, IL_FLAG_FREE_AFTER_USE | IL_FLAG_LIBRARY_RECORD)) {
        delete out;
        return nullptr;
    }
    return out;
}

const IL_FUNCTIONTABLE table = {
    checkVersion, terminate, nullptr, nullptr, getImageFileInfo, nullptr,
    loadImage, freeImage, saveImage, nullptr, nullptr, scaleImage,
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const IL_FUNCTIONTABLE* IL_GetFunctionTable() { return &table; }
