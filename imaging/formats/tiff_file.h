// The file the system's own TIFF reader and writer work on: positioned reads
// and writes of bytes. A C stream serves here; the framework's file object
// can stand behind the same four operations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

class CTiffFile {
public:
    virtual ~CTiffFile() = default;
    virtual bool Seek(std::uint64_t position) = 0;
    // Reads up to n bytes at the position; returns how many were read.
    virtual std::size_t Read(void* buffer, std::size_t n) = 0;
    virtual bool Write(const void* data, std::size_t n) = 0;
    virtual std::uint64_t Length() = 0;
};

// Over an open C stream, which stays the caller's.
class CStdioTiffFile : public CTiffFile {
public:
    explicit CStdioTiffFile(std::FILE* f) : m_file(f) {}
    bool Seek(std::uint64_t position) override;
    std::size_t Read(void* buffer, std::size_t n) override;
    bool Write(const void* data, std::size_t n) override;
    std::uint64_t Length() override;

private:
    std::FILE* m_file;
};
