#include "imaging/compress/checksum.h"

#include <algorithm>
#include <array>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace coders {

namespace {

constexpr std::uint32_t kAdlerBase = 65521;
// 5552 is the largest count of bytes whose sums cannot overflow 32 bits
// before the modulus is taken.
constexpr std::size_t kAdlerBlock = 5552;

void AdlerBytes(std::uint32_t& a, std::uint32_t& b, const std::uint8_t* data, std::size_t k) {
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
}

#if defined(__SSE2__)
// Sixteen bytes a step. Over n steps from sums a and b, a grows by every
// byte, and b by 16 n a, by 16 times the bytes of all earlier steps, and by
// each step's bytes weighted 16 down to 1.
void AdlerSteps(std::uint32_t& a, std::uint32_t& b, const std::uint8_t* data, std::size_t steps) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i high = _mm_setr_epi16(16, 15, 14, 13, 12, 11, 10, 9);
    const __m128i low = _mm_setr_epi16(8, 7, 6, 5, 4, 3, 2, 1);
    __m128i bytes = zero, earlier = zero, weighted = zero;
    for (std::size_t i = 0; i < steps; ++i) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * i));
        earlier = _mm_add_epi32(earlier, bytes);
        bytes = _mm_add_epi32(bytes, _mm_sad_epu8(v, zero));
        weighted = _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpacklo_epi8(v, zero), high));
        weighted = _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpackhi_epi8(v, zero), low));
    }
    auto sum = [](__m128i x) {
        x = _mm_add_epi32(x, _mm_shuffle_epi32(x, 0x4E));
        x = _mm_add_epi32(x, _mm_shuffle_epi32(x, 0xB1));
        return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_cvtsi128_si32(x)));
    };
    const std::uint64_t newB = b + 16 * steps * std::uint64_t{a} + 16 * sum(earlier) + sum(weighted);
    a = static_cast<std::uint32_t>((a + sum(bytes)) % kAdlerBase);
    b = static_cast<std::uint32_t>(newB % kAdlerBase);
}
#endif

#if defined(__x86_64__)
// The same, thirty-two bytes a step, where the processor has the wider
// registers: bytes times their weights (32 down to 1) summed in pairs, then
// the pairs summed.
__attribute__((target("avx2"))) void AdlerWideSteps(std::uint32_t& a, std::uint32_t& b, const std::uint8_t* data,
                                                    std::size_t steps) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i weights = _mm256_setr_epi8(32, 31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20, 19, 18, 17, 16, 15,
                                             14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1);
    const __m256i ones = _mm256_set1_epi16(1);
    __m256i bytes = zero, earlier = zero, weighted = zero;
    for (std::size_t i = 0; i < steps; ++i) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + 32 * i));
        earlier = _mm256_add_epi32(earlier, bytes);
        bytes = _mm256_add_epi32(bytes, _mm256_sad_epu8(v, zero));
        weighted = _mm256_add_epi32(weighted, _mm256_madd_epi16(_mm256_maddubs_epi16(v, weights), ones));
    }
    std::uint32_t lanes[3][8];
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(lanes[0]), bytes);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(lanes[1]), earlier);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(lanes[2]), weighted);
    auto sum = [&](int k) {
        std::uint64_t t = 0;
        for (std::uint32_t lane : lanes[k]) t += lane;
        return t;
    };
    const std::uint64_t newB = b + 32 * steps * std::uint64_t{a} + 32 * sum(1) + sum(2);
    a = static_cast<std::uint32_t>((a + sum(0)) % kAdlerBase);
    b = static_cast<std::uint32_t>(newB % kAdlerBase);
}
#endif

}  // namespace

std::uint32_t Adler32(std::uint32_t adler, const std::uint8_t* data, std::size_t n) {
    std::uint32_t a = adler & 0xFFFF;
    std::uint32_t b = adler >> 16;
#if defined(__x86_64__)
    static const bool wide = __builtin_cpu_supports("avx2");
    if (wide) {
        while (n >= 32) {
            const std::size_t steps = std::min(n, kAdlerBlock) / 32;
            AdlerWideSteps(a, b, data, steps);
            data += 32 * steps;
            n -= 32 * steps;
        }
    }
#endif
#if defined(__SSE2__)
    while (n >= 16) {
        const std::size_t steps = std::min(n, kAdlerBlock) / 16;
        AdlerSteps(a, b, data, steps);
        data += 16 * steps;
        n -= 16 * steps;
    }
#endif
    while (n > 0) {
        std::size_t k = n < kAdlerBlock ? n : kAdlerBlock;
        AdlerBytes(a, b, data, k);
        data += k;
        n -= k;
        a %= kAdlerBase;
        b %= kAdlerBase;
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
