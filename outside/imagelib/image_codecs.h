// Codecs of the Image Library stand-in. Every reader yields a top-down image of
// 8-bit grey or 24-bit RGB pixels; every writer writes to an open stream.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace imagelib {

struct Pixels {
    std::int32_t width = 0;
    std::int32_t height = 0;
    int channels = 1;  // 1 grey, 3 RGB
    std::uint32_t xdpi = 0, ydpi = 0;
    std::vector<std::uint8_t> rows;  // width*channels bytes a row, no padding
};

struct Probe {
    int format = -1;
    std::uint32_t width = 0, height = 0, bits = 0, xdpi = 0, ydpi = 0, pages = 1;
};

// Largest image accepted from a file, so that a forged header cannot ask for
// unbounded memory.
constexpr std::uint64_t kMaxPixels = 1ull << 28;

int sniffFormat(const std::string& path);
bool probeFile(const std::string& path, Probe& out);
bool readFile(const std::string& path, int format, Pixels& out);
bool writeFile(std::FILE* f, const std::string& name, int format, const Pixels& px, int quality);
// Adds `px` as a further page of the TIFF file at `path`; on failure the file
// keeps the pages it had.
bool appendTiff(const std::string& path, const Pixels& px);

}  // namespace imagelib
