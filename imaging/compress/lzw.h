// LZW of TIFF files: codes written most significant bit first, 9 to 12 bits
// wide, Clear (256) and end (257) codes, and the width growing one code
// before the table needs it. Each strip is one stream of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace coders::lzw {

enum class LzwStatus {
    Ended,    // the end code came
    Full,     // the output was filled
    OutOfData,// the data ended without an end code
    BadCode,  // a code that names no string (past the next free code, or undefined after Clear)
};

// Decodes one stream into out[0 .. outSize); *written tells how much was
// filled. Never reads past data + size nor writes past out + outSize.
LzwStatus Decode(const std::uint8_t* data, std::size_t size, std::uint8_t* out, std::size_t outSize,
                 std::size_t* written);

// Codes a byte stream: Clear first, the end code last.
std::vector<std::uint8_t> Encode(const std::uint8_t* data, std::size_t size);

}  // namespace coders::lzw
