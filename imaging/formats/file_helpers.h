// File access shared by the system's own image codecs: a C stream opened on
// the native form of a path, and the platform's atomically replaced file.
#pragma once

#include <cstdio>
#include <string>

#include "platform/win/atomic_file.h"

namespace codecs {

// Opens `path` (a path of the system's own form) with the C mode; nullptr on failure.
std::FILE* OpenFile(const char* path, const char* mode);

// Bytes left from the stream's position to its end.
long long BytesLeft(std::FILE* f);

// Files written under a temporary name and renamed when complete.
using CAtomicFile = suite::AtomicFile;


}  // namespace codecs
