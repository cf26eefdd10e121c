// Small pictures for the conversion tests, made in memory.
#pragma once

#include "outside/convert/packed_dib.h"
#include "platform/win/memory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace convert::testing {

// Owns a DIB handle for the length of a test.
struct DibHandle {
    HDIB h = nullptr;
    explicit DibHandle(HDIB handle = nullptr) : h(handle) {}
    DibHandle(const DibHandle&) = delete;
    DibHandle& operator=(const DibHandle&) = delete;
    ~DibHandle() {
        if (h) GlobalFree(h);
    }
};

// A deterministic pattern: for 1 bit a checker of 3-pixel cells, for 8 bits a
// ramp, for 24 bits distinct channels.
inline HDIB makePattern(LONG width, LONG height, int bits, LONG pelsPerMeter = 11811) {
    DibBuilder b;
    if (!b.create(width, height, bits, pelsPerMeter, pelsPerMeter)) return nullptr;
    for (LONG y = 0; y < height; ++y) {
        BYTE* row = b.row(y);
        for (LONG x = 0; x < width; ++x) {
            if (bits == 1) {
                if (((x / 3) + (y / 3)) % 2) row[x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
            } else if (bits == 8) {
                row[x] = static_cast<BYTE>((x * 7 + y * 13) & 0xFF);
            } else {
                row[3 * x] = static_cast<BYTE>(x * 5);
                row[3 * x + 1] = static_cast<BYTE>(y * 3);
                row[3 * x + 2] = static_cast<BYTE>((x + y) * 2);
            }
        }
    }
    return b.release();
}

// The pixel at (x, y) from the top, as a grey or packed BGR value.
inline DWORD pixelAt(const DibReader& d, LONG x, LONG y) {
    const BYTE* row = d.row(y);
    if (d.bits() == 1) return (row[x / 8] >> (7 - x % 8)) & 1;
    if (d.bits() == 8) return row[x];
    return row[3 * x] | (row[3 * x + 1] << 8) | (row[3 * x + 2] << 16);
}

inline void expectSamePixels(HDIB a, HDIB b, int tolerance = 0) {
    DibReader ra, rb;
    ASSERT_TRUE(ra.open(a));
    ASSERT_TRUE(rb.open(b));
    ASSERT_EQ(ra.width(), rb.width());
    ASSERT_EQ(ra.height(), rb.height());
    ASSERT_EQ(ra.bits(), rb.bits());
    int worst = 0;
    for (LONG y = 0; y < ra.height(); ++y)
        for (LONG x = 0; x < ra.width(); ++x) {
            const DWORD pa = pixelAt(ra, x, y), pb = pixelAt(rb, x, y);
            for (int shift = 0; shift < 24; shift += 8) {
                const int d = std::abs(static_cast<int>((pa >> shift) & 0xFF) - static_cast<int>((pb >> shift) & 0xFF));
                worst = std::max(worst, d);
            }
        }
    EXPECT_LE(worst, tolerance);
}

}  // namespace convert::testing
