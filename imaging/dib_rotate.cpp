#include "imaging/dib_rotate.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "imaging/dib_layout.h"
#include "imaging/image_block.h"

namespace {

struct TurnedSize {
    int width, height;
};

TurnedSize turnedSize(int w, int h, double c, double s) {
    return {static_cast<int>(w * std::fabs(c) + h * std::fabs(s) + 0.5),
            static_cast<int>(w * std::fabs(s) + h * std::fabs(c) + 0.5)};
}

// Samples the turned image. Rows are stored rows (sigma = +1 bottom-up,
// -1 top-down); pixels are Bpp bytes. Destination pixels whose source lies
// outside, and the padding of each destination row, get `fill`.
template <int Bpp>
void sampleTurned(const BYTE* src, int w, int h, std::size_t srcStride, BYTE* dst, int w2, int h2,
                  std::size_t dstStride, int sigma, double c, double s, BYTE fill) {
    const double ss = sigma * s;
    const double x0 = w / 2 - (w2 / 2) * c + (h2 / 2) * ss + 0.5;
    const double y0 = h / 2 - (w2 / 2) * ss - (h2 / 2) * c + 0.5;
    double xr = x0, yr = y0;
    for (int j = 0; j < h2; ++j, xr -= ss, yr += c) {
        BYTE* out = dst + static_cast<std::size_t>(j) * dstStride;
        double x = xr, y = yr;
        for (int i = 0; i < w2; ++i, x += c, y += ss, out += Bpp) {
            // Truncation towards zero, as a conversion to int does.
            if (x > -1.0 && x < w && y > -1.0 && y < h) {
                const BYTE* p = src + static_cast<std::size_t>(static_cast<int>(y)) * srcStride +
                                static_cast<std::size_t>(static_cast<int>(x)) * Bpp;
                for (int b = 0; b < Bpp; ++b) out[b] = p[b];
            } else {
                for (int b = 0; b < Bpp; ++b) out[b] = fill;
            }
        }
        const std::size_t used = static_cast<std::size_t>(w2) * Bpp;
        if (dstStride > used) std::memset(dst + static_cast<std::size_t>(j) * dstStride + used, fill, dstStride - used);
    }
}

}  // namespace

int RotateDib(HDIB hDib, double angle) {
    if (!hDib) return kRotateNotHandled;
    std::vector<BYTE> header, pixels;
    int w, h, sigma, bpp;
    std::size_t headerBytes;
    {
        BYTE* p = static_cast<BYTE*>(GlobalLock(hDib));
        if (!p) return kRotateNotHandled;
        const SIZE_T size = GlobalSize(hDib);
        const auto* bih = reinterpret_cast<const BITMAPINFOHEADER*>(p);
        bool ok = size >= sizeof(BITMAPINFOHEADER) && bih->biSize >= 40 && bih->biSize <= size &&
                  bih->biCompression == BI_RGB && (bih->biBitCount == 8 || bih->biBitCount == 24) && bih->biWidth > 0 &&
                  bih->biHeight != 0 && bih->biHeight != INT32_MIN;
        if (ok) {
            w = bih->biWidth;
            h = std::abs(bih->biHeight);
            sigma = bih->biHeight > 0 ? 1 : -1;
            bpp = bih->biBitCount / 8;
            headerBytes = bih->biSize + 4 * static_cast<std::size_t>(DibColorCount(*bih));
            const std::uint64_t stride = (static_cast<std::uint64_t>(w) * bpp + 3) / 4 * 4;
            ok = DibColorCount(*bih) <= 256 && stride * h <= kMaxImageBytes && headerBytes + stride * h <= size;
            if (ok) {
                try {
                    header.assign(p, p + headerBytes);
                    pixels.assign(p + headerBytes, p + headerBytes + stride * h);
                } catch (const std::bad_alloc&) {
                    GlobalUnlock(hDib);
                    return kRotateOutOfMemory;
                }
            }
        }
        GlobalUnlock(hDib);
        if (!ok) return kRotateNotHandled;
    }
    const double c = std::cos(angle), s = std::sin(angle);
    const TurnedSize turned = turnedSize(w, h, c, s);
    const std::size_t stride = (static_cast<std::size_t>(w) * bpp + 3) / 4 * 4;
    const std::size_t stride2 = (static_cast<std::size_t>(turned.width) * bpp + 3) / 4 * 4;
    const std::uint64_t rows2 = static_cast<std::uint64_t>(stride2) * turned.height;
    if (turned.width <= 0 || turned.height <= 0 || rows2 > kMaxImageBytes) return kRotateOutOfMemory;
    if (!ReAllocImageBlock(hDib, headerBytes + rows2, GMEM_MOVEABLE)) return kRotateOutOfMemory;

    BYTE* p = static_cast<BYTE*>(GlobalLock(hDib));
    std::memcpy(p, header.data(), headerBytes);
    auto* bih = reinterpret_cast<BITMAPINFOHEADER*>(p);
    bih->biWidth = turned.width;
    bih->biHeight = sigma * turned.height;
    bih->biSizeImage = static_cast<DWORD>(rows2);
    if (bpp == 1)
        sampleTurned<1>(pixels.data(), w, h, stride, p + headerBytes, turned.width, turned.height, stride2, sigma, c, s, 0xFF);
    else
        sampleTurned<3>(pixels.data(), w, h, stride, p + headerBytes, turned.width, turned.height, stride2, sigma, c, s, 0xFF);
    GlobalUnlock(hDib);
    return kRotateDone;
}

int RotateBits(HGLOBAL hBits, int* pWidth, int* pHeight, double angle) {
    if (!hBits || !pWidth || !pHeight || *pWidth < 0 || *pHeight < 0) return kRotateNotHandled;
    const int w = *pWidth, h = *pHeight;
    const std::size_t rowBytes = (static_cast<std::size_t>(w) + 15) / 16 * 2;
    const double c = std::cos(angle), s = std::sin(angle);
    const TurnedSize turned = turnedSize(w, h, c, s);
    const std::size_t rowBytes2 = (static_cast<std::size_t>(turned.width) + 15) / 16 * 2;
    std::vector<BYTE> bytes, turnedBytes;
    try {
        bytes.resize(static_cast<std::size_t>(w) * h);
        turnedBytes.resize(static_cast<std::size_t>(turned.width) * turned.height);
    } catch (const std::bad_alloc&) {
        return kRotateOutOfMemory;
    }
    {
        BYTE* p = static_cast<BYTE*>(GlobalLock(hBits));
        if (!p) return kRotateNotHandled;
        if (GlobalSize(hBits) < rowBytes * h) {
            GlobalUnlock(hBits);
            return kRotateNotHandled;
        }
        // One byte per pixel, through a table of the 8 bit values of every byte.
        static const auto expand = [] {
            std::vector<std::array<BYTE, 8>> t(256);
            for (int v = 0; v < 256; ++v)
                for (int k = 0; k < 8; ++k) t[v][k] = (v >> (7 - k)) & 1;
            return t;
        }();
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; x += 8) {
                const auto& bitsOf = expand[p[y * rowBytes + x / 8]];
                for (int k = 0; k < 8 && x + k < w; ++k) bytes[static_cast<std::size_t>(y) * w + x + k] = bitsOf[k];
            }
        GlobalUnlock(hBits);
    }
    sampleTurned<1>(bytes.data(), w, h, w, turnedBytes.data(), turned.width, turned.height, turned.width, 1, c, s, 1);
    const std::size_t size2 = rowBytes2 * turned.height;
    if (!ReAllocImageBlock(hBits, size2 ? size2 : 1, GMEM_MOVEABLE)) return kRotateOutOfMemory;
    BYTE* p = static_cast<BYTE*>(GlobalLock(hBits));
    std::memset(p, 0, size2);
    for (int y = 0; y < turned.height; ++y)
        for (int x = 0; x < turned.width; ++x)
            if (turnedBytes[static_cast<std::size_t>(y) * turned.width + x])
                p[y * rowBytes2 + x / 8] |= static_cast<BYTE>(0x80u >> (x & 7));
    GlobalUnlock(hBits);
    *pWidth = turned.width;
    *pHeight = turned.height;
    return kRotateDone;
}
