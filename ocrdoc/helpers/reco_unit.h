// The recognised-character unit of the result text: 0x80, the two code
// bytes, the record index (16-bit, little-endian), 0x80.
#pragma once

#include "platform/win/types.h"

namespace dochelpers {

// The record index of the whole unit that starts at `unit`.
inline UINT RecoUnitIndex(const void* unit) {
    const auto* bytes = static_cast<const BYTE*>(unit);
    return bytes[3] | (static_cast<UINT>(bytes[4]) << 8);
}

}  // namespace dochelpers
