#include "imaging/compress/packbits.h"

#include <algorithm>
#include <cstring>

namespace coders::packbits {

std::size_t Decode(const std::uint8_t* data, std::size_t size, std::uint8_t* out, std::size_t outSize,
                   std::size_t* consumed) {
    std::size_t i = 0, o = 0;
    while (i < size && o < outSize) {
        const int n = static_cast<std::int8_t>(data[i++]);
        if (n >= 0) {
            std::size_t k = std::min({static_cast<std::size_t>(n) + 1, size - i, outSize - o});
            std::memcpy(out + o, data + i, k);
            o += k;
            i += std::min(static_cast<std::size_t>(n) + 1, size - i);
        } else if (n != -128) {
            if (i >= size) break;
            std::size_t k = std::min(static_cast<std::size_t>(1 - n), outSize - o);
            std::memset(out + o, data[i++], k);
            o += k;
        }
    }
    if (consumed) *consumed = i;
    return o;
}

std::vector<std::uint8_t> Encode(const std::uint8_t* data, std::size_t rowBytes, std::size_t rows) {
    std::vector<std::uint8_t> out;
    out.reserve(rowBytes * rows / 4 + 16);
    for (std::size_t r = 0; r < rows; ++r) {
        const std::uint8_t* row = data + r * rowBytes;
        std::size_t i = 0;
        while (i < rowBytes) {
            std::size_t k = 1;
            while (i + k < rowBytes && row[i + k] == row[i]) ++k;
            if (k > 1) {
                // A run, in pieces of at most 128.
                std::size_t left = k;
                while (left > 1) {
                    std::size_t piece = std::min<std::size_t>(left, 128);
                    if (left - piece == 1) --piece;  // never leave a single byte as a run of one
                    out.push_back(static_cast<std::uint8_t>(1 - static_cast<int>(piece)));
                    out.push_back(row[i]);
                    left -= piece;
                }
                if (left == 1) {
                    out.push_back(0);
                    out.push_back(row[i]);
                }
                i += k;
                continue;
            }
            // A literal stretch up to the row end or three equal bytes.
            std::size_t j = i;
            while (j < rowBytes && !(j + 2 < rowBytes && row[j] == row[j + 1] && row[j] == row[j + 2])) ++j;
            if (j == i) continue;
            while (i < j) {
                std::size_t piece = std::min<std::size_t>(j - i, 128);
                out.push_back(static_cast<std::uint8_t>(piece - 1));
                out.insert(out.end(), row + i, row + i + piece);
                i += piece;
            }
        }
    }
    return out;
}

}  // namespace coders::packbits
