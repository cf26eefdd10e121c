// Decodes arbitrary data as PackBits and checks the bounds and the round trip.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "imaging/compress/packbits.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::size_t outSize = data[0] * 37u;
    ++data;
    --size;
    std::vector<std::uint8_t> out(outSize + 1, 0xA5);
    std::size_t used = 0;
    std::size_t n = coders::packbits::Decode(data, size, out.data(), outSize, &used);
    if (n > outSize || used > size || out[outSize] != 0xA5) std::abort();
    if (n > 0) {
        std::size_t rowBytes = 1 + data[0] % 64;
        std::size_t rows = n / rowBytes;
        auto coded = coders::packbits::Encode(out.data(), rowBytes, rows);
        std::vector<std::uint8_t> back(rows * rowBytes);
        if (coders::packbits::Decode(coded.data(), coded.size(), back.data(), back.size()) != back.size() ||
            !std::equal(back.begin(), back.end(), out.begin()))
            std::abort();
    }
    return 0;
}
