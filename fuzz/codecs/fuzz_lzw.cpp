// Decodes arbitrary data as a TIFF LZW stream into a buffer of a size the
// first bytes choose; checks the bounds and that coding round-trips.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "imaging/compress/lzw.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::size_t outSize = (data[0] | (data[1] << 8)) * 8u;
    data += 2;
    size -= 2;
    std::vector<std::uint8_t> out(outSize + 1, 0xA5);
    std::size_t n = 0;
    coders::lzw::Decode(data, size, out.data(), outSize, &n);
    if (n > outSize || out[outSize] != 0xA5) std::abort();
    // Whatever came out codes and decodes back to itself.
    auto coded = coders::lzw::Encode(out.data(), n);
    std::vector<std::uint8_t> back(n + 1);
    std::size_t m = 0;
    if (coders::lzw::Decode(coded.data(), coded.size(), back.data(), n + 1, &m) != coders::lzw::LzwStatus::Ended ||
        m != n || !std::equal(back.begin(), back.begin() + static_cast<long>(n), out.begin()))
        std::abort();
    return 0;
}
