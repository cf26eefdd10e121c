#include "imaging/compress/checksum.h"

#include <array>

namespace coders {

std::uint32_t Adler32(std::uint32_t adler, const std::uint8_t* data, std::size_t n) {
    constexpr std::uint32_t kBase = 65521;
    // 5552 is the largest count of bytes whose sums cannot overflow 32 bits
    // before the modulus is taken.
    constexpr std::size_t kBlock = 5552;
    std::uint32_t a = adler & 0xFFFF;
    std::uint32_t b = adler >> 16;
    while (n > 0) {
        std::size_t k = n < kBlock ? n : kBlock;
        n -= k;
        while (k >= 8) {
            a += data[0]; b += a;
            a += data[1]; b += a;
            a += data[2]; b += a;
            a += data[3]; b += a;
            a += data[4]; b += a;
            a += data[5]; b += a;
            a += data[6]; b += a;
            a += data[7]; b += a;
            data += 8;
            k -= 8;
        }
        while (k-- > 0) {
            a += *data++;
            b += a;
        }
        a %= kBase;
        b %= kBase;
    }
    return (b << 16) | a;
}

namespace {

// Eight tables let the CRC advance a byte from each of eight positions at once.
struct CrcTables {
    std::array<std::array<std::uint32_t, 256>, 8> t{};
    CrcTables() {
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[0][i] = c;
        }
        for (std::uint32_t i = 0; i < 256; ++i)
            for (int k = 1; k < 8; ++k) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
    }
};

const CrcTables& Tables() {
    static const CrcTables tables;
    return tables;
}

}  // namespace

std::uint32_t Crc32(std::uint32_t crc, const std::uint8_t* data, std::size_t n) {
    const auto& t = Tables().t;
    std::uint32_t c = ~crc;
    while (n >= 8) {
        std::uint32_t lo = c ^ (std::uint32_t(data[0]) | std::uint32_t(data[1]) << 8 |
                                std::uint32_t(data[2]) << 16 | std::uint32_t(data[3]) << 24);
        c = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
            t[3][data[4]] ^ t[2][data[5]] ^ t[1][data[6]] ^ t[0][data[7]];
        data += 8;
        n -= 8;
    }
    while (n-- > 0) c = t[0][(c ^ *data++) & 0xFF] ^ (c >> 8);
    return ~c;
}

}  // namespace coders
