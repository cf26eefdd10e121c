// File access shared by the system's own image codecs: a C stream opened on
// the native form of a path, and a file written under a temporary name that
// takes the final name only when complete.
#pragma once

#include <cstdio>
#include <string>

namespace codecs {

// Opens `path` (a path of the system's own form) with the C mode; nullptr on failure.
std::FILE* OpenFile(const char* path, const char* mode);

// Bytes left from the stream's position to its end.
long long BytesLeft(std::FILE* f);

class CAtomicFile {
public:
    explicit CAtomicFile(const char* path);
    ~CAtomicFile();  // removes the temporary file unless committed
    CAtomicFile(const CAtomicFile&) = delete;
    CAtomicFile& operator=(const CAtomicFile&) = delete;

    std::FILE* Stream() const { return m_file; }
    bool Write(const void* data, std::size_t size);
    // Closes the file and gives it its final name; false on any write error.
    bool Commit();

private:
    std::string m_final, m_temp;
    std::FILE* m_file = nullptr;
    bool m_failed = false;
};

}  // namespace codecs
