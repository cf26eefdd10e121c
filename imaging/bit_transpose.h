// Transposes 8 x 8 bit blocks: the quarter turns of 1-bit planes move whole
// blocks of 8 rows by 8 columns at a time.
#pragma once

#include <cstdint>

#include "platform/win/types.h"

// An 8 x 8 block as one word: row k in byte 7 - k (row 0 most significant),
// column 0 in each byte's most significant bit. Returns the transposed block
// in the same layout.
inline std::uint64_t Transpose8x8(std::uint64_t x) {
    std::uint64_t t;
    t = (x ^ (x >> 7)) & 0x00AA00AA00AA00AAull;
    x = x ^ t ^ (t << 7);
    t = (x ^ (x >> 14)) & 0x0000CCCC0000CCCCull;
    x = x ^ t ^ (t << 14);
    t = (x ^ (x >> 28)) & 0x00000000F0F0F0F0ull;
    x = x ^ t ^ (t << 28);
    return x;
}

// in[k] is row k (most significant bit = column 0); out[m] becomes column m
// as a row (most significant bit = row 0).
inline void Transpose8x8(const BYTE in[8], BYTE out[8]) {
    std::uint64_t x = 0;
    for (int k = 0; k < 8; ++k) x = x << 8 | in[k];
    x = Transpose8x8(x);
    for (int m = 7; m >= 0; --m) {
        out[m] = static_cast<BYTE>(x);
        x >>= 8;
    }
}
