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
// False when the stream cannot tell (a pipe): nothing is known of its length.
bool KnownBytesLeft(std::FILE* f, unsigned long long& left);

// The most memory one load of a page may take: its plane and the work
// buffers the reader needs beside it, counted together (256 MiB, beyond any
// scanned page). Readers check a declared size against it before they
// allocate anything.
constexpr unsigned long long kMaxImageBytes = 0x10000000ull;
constexpr bool FitsImageLimit(unsigned long long planeBytes, unsigned long long workBytes) {
    return planeBytes <= kMaxImageBytes && workBytes <= kMaxImageBytes - planeBytes;
}

// True when `codedBytes` of coded data, each byte standing for at most
// `maxGain` decoded bytes, can hold `decodedBytes`: a declared size that the
// file cannot fill is refused before the memory for it is taken.
constexpr bool DataCanHold(unsigned long long codedBytes, unsigned long long maxGain,
                           unsigned long long decodedBytes) {
    return codedBytes >= (decodedBytes + maxGain - 1) / maxGain;
}

// Files written under a temporary name and renamed when complete.
using CAtomicFile = suite::AtomicFile;


}  // namespace codecs
