// File access of the conversion library: whole-file reads with a size bound,
// and writes that replace the target only once the new file is complete.
#pragma once

#include "platform/win/types.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace convert {

// The file-system path of a path as the programs give it (ANSI code page,
// Windows-style separators allowed).
std::string nativePath(const char* path);

// Reads a whole file of at most `limit` bytes. False when it cannot be read or is larger.
bool readFileBytes(const std::string& path, std::size_t limit, std::vector<BYTE>& bytes);

// Has `write` fill a new temporary file beside `path`, flushes it to disk, and
// renames it over `path` only when `write` returned true. Nothing is left
// behind on failure.
bool replaceFile(const std::string& path, const std::function<bool(const std::string& tempPath)>& write);

// replaceFile with a ready buffer.
bool replaceFileWith(const std::string& path, const std::vector<BYTE>& bytes);

}  // namespace convert
