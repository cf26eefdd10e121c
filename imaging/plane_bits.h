// Bit-level helpers for 1-bit rows: most significant bit leftmost, 1 = black.
#pragma once

#include <array>
#include <cstdint>

#include "platform/win/types.h"

inline bool PlaneBit(const BYTE* row, int x) { return (row[x >> 3] >> (7 - (x & 7))) & 1; }
inline void SetPlaneBit(BYTE* row, int x) { row[x >> 3] |= static_cast<BYTE>(0x80u >> (x & 7)); }
inline void ClearPlaneBit(BYTE* row, int x) { row[x >> 3] &= static_cast<BYTE>(~(0x80u >> (x & 7))); }

// Bits of a byte from pixel (x & 7) to its end / from its start to pixel (x & 7), inclusive.
inline BYTE MaskFrom(int x) { return static_cast<BYTE>(0xFFu >> (x & 7)); }
inline BYTE MaskThrough(int x) { return static_cast<BYTE>(0xFFu << (7 - (x & 7))); }

// Bits of a row's last byte that lie inside a page of `width` pixels.
inline BYTE LastByteMask(int width) { return (width & 7) ? static_cast<BYTE>(0xFFu << (8 - (width & 7))) : BYTE(0xFF); }

// Number of set bits of every byte value.
inline const std::array<BYTE, 256>& BitCountTable() {
    static const std::array<BYTE, 256> table = [] {
        std::array<BYTE, 256> t{};
        for (int v = 0; v < 256; ++v) t[v] = static_cast<BYTE>(__builtin_popcount(static_cast<unsigned>(v)));
        return t;
    }();
    return table;
}

// The 8 bits of a row starting at pixel `bit` (bits past the row's end are 0).
inline BYTE ReadBits8(const BYTE* row, std::size_t rowBytes, std::size_t bit) {
    const std::size_t b = bit >> 3;
    const unsigned s = bit & 7;
    const unsigned hi = row[b];
    const unsigned lo = (s && b + 1 < rowBytes) ? row[b + 1] : 0u;
    return static_cast<BYTE>((hi << s) | (lo >> (8 - s)));
}

// Writes the top `count` (1..8) bits of `value` at pixel `bit` of a row,
// keeping every other bit of the row.
inline void WriteBits(BYTE* row, std::size_t bit, BYTE value, int count) {
    const std::size_t b = bit >> 3;
    const unsigned s = bit & 7;
    const unsigned mask = (0xFFu << (8 - count)) & 0xFFu;
    const unsigned v = value & mask;
    row[b] = static_cast<BYTE>((row[b] & ~(mask >> s)) | (v >> s));
    if (s + count > 8) row[b + 1] = static_cast<BYTE>((row[b + 1] & ~(mask << (8 - s))) | ((v << (8 - s)) & 0xFFu));
}
