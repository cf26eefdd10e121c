// The check a pasted clipboard bitmap passes before anything reads it.
#pragma once

#include <cstddef>

#include "platform/win/types.h"

// A packed bitmap of 1, 8 or 24 bits whose header, colour table and rows lie
// within `size` bytes (what a new page can be made from).
bool IsUsablePastedDib(const BYTE* dib, std::size_t size, int* outBitCount);
