#include "outside/scan/dib_packing.h"

#include <cstdint>
#include <cstring>

namespace scan {
namespace {

constexpr std::size_t kHeaderBytes = 40;
// Rows of more than this many bytes, and bitmaps above this size, are refused.
constexpr std::size_t kMaxRowBytes = std::size_t(1) << 20;
constexpr std::size_t kMaxDibBytes = std::size_t(1) << 31;

int channels(const FrameLayout& l) { return l.colour ? 3 : 1; }

bool usable(const FrameLayout& l) {
    if (l.pixelsPerLine <= 0 || l.bytesPerLine <= 0 || std::size_t(l.bytesPerLine) > kMaxRowBytes) return false;
    if (!(l.depth == 1 || l.depth == 8 || l.depth == 16) || (l.colour && l.depth == 1)) return false;
    const std::size_t needBits = std::size_t(l.pixelsPerLine) * std::size_t(channels(l)) * std::size_t(l.depth);
    return (needBits + 7) / 8 <= std::size_t(l.bytesPerLine);
}

int outBits(const FrameLayout& l) { return l.depth == 1 ? 1 : 8 * channels(l); }
std::size_t outRowBytes(const FrameLayout& l) {
    return ((std::size_t(l.pixelsPerLine) * std::size_t(outBits(l)) + 31) / 32) * 4;
}
std::size_t tableEntries(const FrameLayout& l) { return l.depth == 1 ? 2 : (l.colour ? 0 : 256); }

void put16(BYTE* p, unsigned v) {
    p[0] = BYTE(v);
    p[1] = BYTE(v >> 8);
}
void put32(BYTE* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = BYTE(v >> (8 * i));
}

}  // namespace

int FrameRows(const FrameLayout& layout, std::size_t size) {
    if (!usable(layout)) return 0;
    const std::size_t rows = size / std::size_t(layout.bytesPerLine);
    return rows > 0x7FFFFFFF ? 0 : int(rows);
}

std::size_t PackedDibSize(const FrameLayout& layout, std::size_t size) {
    const int rows = FrameRows(layout, size);
    if (rows <= 0) return 0;
    const std::size_t head = kHeaderBytes + 4 * tableEntries(layout);
    const std::size_t row = outRowBytes(layout);
    if (row > (kMaxDibBytes - head) / std::size_t(rows)) return 0;
    return head + row * std::size_t(rows);
}

bool PackDib(const FrameLayout& layout, const BYTE* bytes, std::size_t size, int dpi, BYTE* out) {
    const std::size_t total = PackedDibSize(layout, size);
    if (!total || !bytes || !out) return false;
    const int rows = FrameRows(layout, size);
    const int width = layout.pixelsPerLine;
    const std::size_t entries = tableEntries(layout);
    std::memset(out, 0, kHeaderBytes);
    put32(out, kHeaderBytes);
    put32(out + 4, std::uint32_t(width));
    put32(out + 8, std::uint32_t(rows));  // positive: rows bottom-up
    put16(out + 12, 1);
    put16(out + 14, unsigned(outBits(layout)));
    const std::size_t rowOut = outRowBytes(layout);
    put32(out + 20, std::uint32_t(rowOut * std::size_t(rows)));
    // Dots an inch to pixels a metre, rounded.
    const std::uint32_t perMetre = dpi > 0 && dpi < 1000000 ? std::uint32_t((std::uint64_t(dpi) * 10000 + 127) / 254) : 0;
    put32(out + 24, perMetre);
    put32(out + 28, perMetre);
    put32(out + 32, std::uint32_t(entries));
    BYTE* table = out + kHeaderBytes;
    if (entries == 2) {
        std::memset(table, 0xFF, 3);  // value 0 white, value 1 black
        table[3] = 0;
        std::memset(table + 4, 0, 4);
    }
    if (entries == 256)
        for (std::size_t i = 0; i < 256; ++i) {
            std::memset(table + 4 * i, int(i), 3);
            table[4 * i + 3] = 0;
        }
    BYTE* pixels = table + 4 * entries;
    const std::size_t inRow = std::size_t(layout.bytesPerLine);
    const std::size_t samples = std::size_t(width) * std::size_t(channels(layout));
    for (int y = 0; y < rows; ++y) {
        const BYTE* src = bytes + std::size_t(y) * inRow;
        BYTE* dst = pixels + std::size_t(rows - 1 - y) * rowOut;
        std::memset(dst, 0, rowOut);
        if (layout.depth == 1) {
            const std::size_t used = (std::size_t(width) + 7) / 8;
            std::memcpy(dst, src, used);
            if (width % 8) dst[used - 1] &= BYTE(0xFF << (8 - width % 8));
            continue;
        }
        auto sample = [&](std::size_t s) -> BYTE {
            if (layout.depth == 8) return src[s];
            std::uint16_t v;
            std::memcpy(&v, src + 2 * s, 2);
            return BYTE(v >> 8);
        };
        if (!layout.colour) {
            for (std::size_t x = 0; x < samples; ++x) dst[x] = sample(x);
            continue;
        }
        for (std::size_t x = 0; x < std::size_t(width); ++x) {
            dst[3 * x] = sample(3 * x + 2);
            dst[3 * x + 1] = sample(3 * x + 1);
            dst[3 * x + 2] = sample(3 * x);
        }
    }
    return true;
}

}  // namespace scan
