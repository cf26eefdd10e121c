// Writing a whole file so that readers see either the old file or the whole
// new one: the bytes go to a new temporary file in the same folder, are flushed
// to disk, and the temporary file is then renamed over the target.
#pragma once

#include "platform/win/types.h"

#include <cstddef>
#include <functional>
#include <string>

// Writes `size` bytes to `path` (Windows-style, ANSI). FALSE, with the old file
// untouched and no temporary file left, when any step fails; GetLastError then
// tells why.
BOOL SuiteWriteFileAtomically(const char* path, const void* data, std::size_t size);

// The same for a file that a writer produces itself: `write` gets the native
// path of the temporary file, and the rename happens only when it returns true.
BOOL SuiteReplaceFileAtomically(const char* path, const std::function<bool(const std::string& nativeTempPath)>& write);
