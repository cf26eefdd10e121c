// Whole-file reads with a size bound, for the readers that decode in memory.
#pragma once

#include "platform/win/types.h"

#include <cstddef>
#include <string>
#include <vector>

namespace convert {

// Reads a whole file (native path) of at most `limit` bytes. False when it
// cannot be read or is larger.
bool readFileBytes(const std::string& path, std::size_t limit, std::vector<BYTE>& bytes);

}  // namespace convert
