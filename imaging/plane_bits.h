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
