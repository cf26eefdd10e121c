// Decodes arbitrary data with each fax decoder; the first bytes choose the
// scheme, the options and the row width.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "imaging/compress/ccitt.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    using namespace coders::ccitt;
    const Scheme scheme = data[0] % 3 == 0 ? Scheme::ModifiedHuffman : data[0] % 3 == 1 ? Scheme::Group3 : Scheme::Group4;
    const bool reverse = data[0] & 4, twoDim = data[0] & 8;
    const int width = 1 + ((data[1] | (data[2] << 8)) % 3000);
    data += 3;
    size -= 3;
    CFaxDecoder dec(scheme, width, reverse, twoDim);
    dec.Start(data, size);
    const std::size_t rowBytes = static_cast<std::size_t>(width + 7) / 8;
    std::vector<std::uint8_t> row(rowBytes + 1, 0xA5);
    for (int y = 0; y < 4000; ++y) {
        RowStatus st = dec.DecodeRow(row.data());
        if (row[rowBytes] != 0xA5) std::abort();  // written past the row
        if (st == RowStatus::End) break;
    }
    return 0;
}
