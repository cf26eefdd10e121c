#include "imaging/compress/tests/test_pages.h"

#include <cmath>

namespace testpages {

Page Blank(int width, int height) {
    Page p;
    p.width = width;
    p.height = height;
    p.bits.assign(p.RowBytes() * height, 0);
    return p;
}

Page Text(int width, int height, std::uint32_t seed) {
    Page p = Blank(width, height);
    Rng rng(seed);
    const int margin = width / 12;
    const int glyph = height / 120 + 4;  // about 10-point type at 300 dpi
    for (int top = margin; top + glyph < height - margin; top += glyph * 2) {
        if (rng.Below(12) == 0) continue;  // a paragraph break
        int lineEnd = width - margin - (rng.Below(5) == 0 ? rng.Below(width / 2) : 0);
        for (int x = margin; x + glyph < lineEnd;) {
            if (rng.Below(6) == 0) {  // a space between words
                x += glyph / 2;
                continue;
            }
            int w = glyph * (5 + rng.Below(5)) / 10;
            int strokes = 2 + rng.Below(3);
            for (int s = 0; s < strokes; ++s) {
                bool vertical = rng.Below(2) == 0;
                int thick = 2 + rng.Below(2);
                if (vertical) {
                    int sx = x + rng.Below(w);
                    int y0 = top + rng.Below(glyph / 3), y1 = top + glyph - rng.Below(glyph / 3);
                    for (int y = y0; y < y1; ++y)
                        for (int t = 0; t < thick && sx + t < width; ++t) p.Set(sx + t, y);
                } else {
                    int sy = top + rng.Below(glyph);
                    int x0 = x + rng.Below(w / 2 + 1), x1 = x + w - rng.Below(w / 3 + 1);
                    for (int t = 0; t < thick && sy + t < height; ++t)
                        for (int xx = x0; xx < x1; ++xx) p.Set(xx, sy + t);
                }
            }
            x += w + glyph / 6;
        }
    }
    return p;
}

Page Halftone(int width, int height, std::uint32_t seed) {
    Page p = Blank(width, height);
    Rng rng(seed);
    // A smooth picture of a few blobs and waves, dithered with a 4 x 4 ordered
    // matrix plus a little noise, as a scanner's halftone mode gives.
    static const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    double cx[4], cy[4], r[4];
    for (int i = 0; i < 4; ++i) {
        cx[i] = rng.Below(width);
        cy[i] = rng.Below(height);
        r[i] = width / 6.0 + rng.Below(width / 4);
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double v = 0.5 + 0.25 * std::sin(x * 0.013) * std::cos(y * 0.011);
            for (int i = 0; i < 4; ++i) {
                double dx = x - cx[i], dy = y - cy[i];
                v += 0.35 * std::exp(-(dx * dx + dy * dy) / (r[i] * r[i]));
            }
            int level = static_cast<int>(v * 16) + (rng.Below(8) == 0 ? rng.Below(3) - 1 : 0);
            if (level > bayer[y & 3][x & 3]) p.Set(x, y);
        }
    }
    return p;
}

Page Noise(int width, int height, std::uint32_t seed) {
    Page p = Blank(width, height);
    Rng rng(seed);
    for (auto& b : p.bits) b = static_cast<std::uint8_t>(rng.Next() >> 11);
    if (width % 8) {
        // Bits past the width lie outside the page.
        std::uint8_t keep = static_cast<std::uint8_t>(0xFF << (8 - width % 8));
        for (int y = 0; y < height; ++y) p.bits[y * p.RowBytes() + p.RowBytes() - 1] &= keep;
    }
    return p;
}

}  // namespace testpages
