// PackBits run-length coding: a signed control byte n, then n + 1 literal
// bytes for 0..127, or one byte repeated 1 - n times for -127..-1; -128 is
// a no-op.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace coders::packbits {

// Decodes data into out[0 .. outSize) until either runs out; returns the
// bytes written and sets *consumed to the bytes of data used. A run cut by
// the end of data or of the output delivers what fits.
std::size_t Decode(const std::uint8_t* data, std::size_t size, std::uint8_t* out, std::size_t outSize,
                   std::size_t* consumed = nullptr);

// Codes `rows` rows of rowBytes each; runs never cross a row's end.
std::vector<std::uint8_t> Encode(const std::uint8_t* data, std::size_t rowBytes, std::size_t rows);

}  // namespace coders::packbits
