// Running checksums of compressed streams: Adler-32 (zlib streams) and the
// reflected CRC-32 (PNG chunks).
#pragma once

#include <cstddef>
#include <cstdint>

namespace coders {

// Continues an Adler-32 (start value 1) over `n` bytes.
std::uint32_t Adler32(std::uint32_t adler, const std::uint8_t* data, std::size_t n);

// Continues a CRC-32 over `n` bytes. Start with 0; the value returned is the
// finished (inverted) CRC, and feeding it back continues the same sum.
std::uint32_t Crc32(std::uint32_t crc, const std::uint8_t* data, std::size_t n);

}  // namespace coders
