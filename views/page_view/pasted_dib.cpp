#include "views/page_view/pasted_dib.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "imaging/dib_layout.h"
#include "imaging/image_block.h"

const char* const kMsgPastedBitmapUnreadable =
    "The picture on the clipboard cannot be pasted: only uncompressed bitmaps of 1, 4, 8, 24 or 32 bits a pixel "
    "can become a page.";

namespace {

constexpr DWORD kBiRgb = 0, kBiBitFields = 3;

DWORD Read32(const BYTE* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<DWORD>(p[3]) << 24); }

// A channel of a 32-bit pixel through its mask, scaled to 0..255.
BYTE Channel(DWORD pixel, DWORD mask) {
    if (!mask) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    const DWORD top = mask >> shift;
    const std::uint64_t value = (pixel & mask) >> shift;
    return static_cast<BYTE>(value * 255 / top);
}

std::size_t StrideOf(std::uint64_t width, int bits) { return static_cast<std::size_t>((width * bits + 31) / 32 * 4); }

}  // namespace

HGLOBAL PageDibOfPasted(const BYTE* dib, std::size_t size, int* outBitCount) {
    if (!dib || size < sizeof(BITMAPINFOHEADER)) return nullptr;
    BITMAPINFOHEADER in;
    std::memcpy(&in, dib, sizeof in);
    const int bits = in.biBitCount;
    if (in.biSize < sizeof in || in.biSize > size || in.biWidth <= 0 || in.biHeight == 0) return nullptr;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return nullptr;
    if (!(in.biCompression == kBiRgb || (bits == 32 && in.biCompression == kBiBitFields))) return nullptr;
    const bool topDown = in.biHeight < 0;
    const std::uint64_t width = static_cast<std::uint64_t>(in.biWidth);
    const std::uint64_t height = topDown ? -static_cast<std::int64_t>(in.biHeight) : in.biHeight;
    std::uint64_t at = in.biSize;
    // The masks of bit fields follow a plain header; longer headers hold them.
    DWORD masks[3] = {0x00FF0000, 0x0000FF00, 0x000000FF};
    if (in.biCompression == kBiBitFields) {
        if (in.biSize < sizeof in + 12) at += 12;
        if (sizeof in + 12 > size) return nullptr;
        for (int i = 0; i < 3; ++i) masks[i] = Read32(dib + sizeof in + 4 * i);
    }
    const DWORD tableMax = bits <= 8 ? DWORD{1} << bits : 256;
    const DWORD tableCount = in.biClrUsed ? in.biClrUsed : (bits <= 8 ? tableMax : 0);
    if (tableCount > tableMax) return nullptr;
    const BYTE* table = dib + at;
    at += std::uint64_t{tableCount} * 4;
    const std::size_t inStride = StrideOf(width, bits);
    if (width > kMaxImageBytes || height > kMaxImageBytes || at > size ||
        static_cast<std::uint64_t>(inStride) * height > size - at)
        return nullptr;
    const BYTE* rows = dib + at;

    // A table of grey levels only makes a grey page; colours make a colour one.
    bool grey = true;
    for (DWORD i = 0; i < tableCount && bits <= 8; ++i)
        if (table[4 * i] != table[4 * i + 1] || table[4 * i + 1] != table[4 * i + 2]) grey = false;
    const int outBits = bits == 1 ? 1 : bits <= 8 && grey ? 8 : 24;
    const std::size_t outStride = StrideOf(width, outBits);
    const std::size_t outTable = outBits == 1 ? 2 : outBits == 8 ? 256 : 0;
    const std::uint64_t outBytes = sizeof in + outTable * 4 + static_cast<std::uint64_t>(outStride) * height;
    if (outBytes > kMaxImageBytes) return nullptr;
    HGLOBAL block = AllocImageBlock(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<SIZE_T>(outBytes));
    if (!block) return nullptr;
    CBlockLock out(block);
    if (!out) {
        GlobalFree(block);
        return nullptr;
    }
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = in.biWidth;
    header.biHeight = static_cast<LONG>(height);
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(outBits);
    header.biClrUsed = static_cast<DWORD>(outTable);
    header.biXPelsPerMeter = in.biXPelsPerMeter;
    header.biYPelsPerMeter = in.biYPelsPerMeter;
    std::memcpy(out.get(), &header, sizeof header);
    BYTE* outColours = out.get() + sizeof header;
    if (outBits == 1) {
        // The two colours as they were; a missing one is white.
        for (DWORD i = 0; i < 2; ++i) {
            if (i < tableCount) std::memcpy(outColours + 4 * i, table + 4 * i, 4);
            else std::memset(outColours + 4 * i, 255, 3);
        }
    } else if (outBits == 8) {
        for (int i = 0; i < 256; ++i) std::memset(outColours + 4 * i, i, 3);
    }
    BYTE* outRows = outColours + outTable * 4;
    const std::size_t w = static_cast<std::size_t>(width);
    for (std::uint64_t y = 0; y < height; ++y) {
        // Stored rows run bottom-up in the copy, as they do in a plain bitmap.
        const BYTE* src = rows + static_cast<std::size_t>(topDown ? height - 1 - y : y) * inStride;
        BYTE* dst = outRows + static_cast<std::size_t>(y) * outStride;
        if (bits == outBits && bits != 8) {
            std::memcpy(dst, src, inStride);
            continue;
        }
        for (std::size_t x = 0; x < w; ++x) {
            BYTE b = 0, g = 0, r = 0;
            if (bits <= 8) {
                const unsigned index = bits == 4 ? (src[x / 2] >> (x % 2 ? 0 : 4)) & 15 : src[x];
                if (index < tableCount) b = table[4 * index], g = table[4 * index + 1], r = table[4 * index + 2];
            } else {
                const DWORD pixel = Read32(src + 4 * x);
                r = Channel(pixel, masks[0]), g = Channel(pixel, masks[1]), b = Channel(pixel, masks[2]);
            }
            if (outBits == 8) {
                dst[x] = r;
            } else {
                dst[3 * x] = b, dst[3 * x + 1] = g, dst[3 * x + 2] = r;
            }
        }
    }
    if (outBitCount) *outBitCount = outBits;
    return block;
}
