// Codecs of the Image Library stand-in. Every reader yields a top-down image of
// 1-bit black-and-white, 8-bit grey or 24-bit RGB pixels; every writer writes
// such an image, read in place, to an open stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct tiff;  // libtiff's open file

namespace imagelib {

// Bytes a row of `width` pixels of `bits` each takes, without padding.
inline std::size_t packedRowBytes(std::int32_t width, int bits) {
    return (std::size_t(width) * std::size_t(bits) + 7) / 8;
}

// Pixels owned by the library. A 1-bit row holds eight pixels a byte from the
// high bit down, 0 black and 1 white; unused low bits of its last byte are 0.
struct Pixels {
    std::int32_t width = 0;
    std::int32_t height = 0;
    int bits = 8;  // 1 black and white, 8 grey, 24 RGB
    std::uint32_t xdpi = 0, ydpi = 0;
    std::vector<std::uint8_t> rows;  // rowBytes() a row, no padding
    std::size_t rowBytes() const { return packedRowBytes(width, bits); }
};

// Pixels read in place (a caller's image): rows `stride` bytes apart, each
// laid out as in Pixels.
struct PixelView {
    std::int32_t width = 0;
    std::int32_t height = 0;
    int bits = 8;
    std::uint32_t xdpi = 0, ydpi = 0;
    const std::uint8_t* data = nullptr;
    std::size_t stride = 0;
    const std::uint8_t* row(std::int32_t y) const { return data + std::size_t(y) * stride; }
    std::size_t rowBytes() const { return packedRowBytes(width, bits); }
};

inline PixelView viewOf(const Pixels& px) {
    return PixelView{px.width, px.height, px.bits, px.xdpi, px.ydpi, px.rows.data(), px.rowBytes()};
}

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
bool writeFile(std::FILE* f, const std::string& name, int format, const PixelView& px, int quality);

// libtiff's handlers print; the codecs report by result instead.
void quietTiff();
// Writes one page as the current directory of an open libtiff file; the
// caller writes the directory or closes the file.
bool writeTiffPage(tiff* t, const PixelView& px);

}  // namespace imagelib
