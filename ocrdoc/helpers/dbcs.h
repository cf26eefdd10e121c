// Double-byte rules shared by the helpers: GBK and Big5 lead bytes are
// 0x81-0xFE and trail bytes 0x40-0xFE except 0x7F. A 0x80 or 0xFF, or a lead
// byte without a valid trail, is a single-byte character.
#pragma once

#include <cstddef>

#include "platform/win/types.h"

namespace dochelpers {

constexpr bool IsLeadByte(BYTE b) { return b >= 0x81 && b <= 0xFE; }
constexpr bool IsTrailByte(BYTE b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

// Bytes of the character at text[i] within a text of `length` bytes (1 or 2).
inline std::size_t CharBytes(const char* text, std::size_t i, std::size_t length) {
    auto lead = static_cast<BYTE>(text[i]);
    if (IsLeadByte(lead) && i + 1 < length && IsTrailByte(static_cast<BYTE>(text[i + 1]))) return 2;
    return 1;
}

}  // namespace dochelpers
