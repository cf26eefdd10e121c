// Inflates arbitrary input, handed out in pieces whose sizes the input picks,
// and checks that a stream reported whole re-inflates the same in one piece.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "imaging/compress/inflater.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::size_t piece = (data[0] & 31) + 1;
    ++data;
    --size;
    std::size_t at = 0;
    coders::CInflater inf([&](const std::uint8_t*& d, std::size_t& n) {
        if (at >= size) return false;
        d = data + at;
        n = std::min(piece, size - at);
        at += n;
        return true;
    });
    std::vector<std::uint8_t> out;
    std::uint8_t buf[4096];
    for (;;) {
        std::size_t k = inf.Read(buf, sizeof buf);
        out.insert(out.end(), buf, buf + k);
        if (k < sizeof buf || out.size() > (1u << 24)) break;
    }
    if (inf.Done()) {
        std::vector<std::uint8_t> again;
        if (!coders::CInflater::InflateZlib(data, size, again) || again != out) std::abort();
    }
    return 0;
}
