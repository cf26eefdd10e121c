// Synthetic bilevel pages for the coder tests and benchmarks: a text page
// (lines of glyph-like strokes), a blank page and a halftone page (a dithered
// photograph-like picture). Rows are packed, most significant bit leftmost,
// bit 1 = black.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace testpages {

struct Page {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bits;
    std::size_t RowBytes() const { return static_cast<std::size_t>(width + 7) / 8; }
    bool Pixel(int x, int y) const { return (bits[y * RowBytes() + x / 8] >> (7 - x % 8)) & 1; }
    void Set(int x, int y) { bits[y * RowBytes() + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8)); }
};

// A4 at 300 dpi.
inline constexpr int kA4Width = 2480;
inline constexpr int kA4Height = 3508;

Page Blank(int width, int height);
Page Text(int width, int height, std::uint32_t seed = 1);
Page Halftone(int width, int height, std::uint32_t seed = 1);
Page Noise(int width, int height, std::uint32_t seed = 1);

// A small deterministic generator, so every run sees the same pages.
struct Rng {
    std::uint32_t s;
    explicit Rng(std::uint32_t seed) : s(seed * 2654435761u + 12345) {}
    std::uint32_t Next() {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        return s;
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint32_t>(n)); }
};

}  // namespace testpages
