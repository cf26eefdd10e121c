// Helpers shared by the coder tests: zlib as the reference deflater, and a
// bit writer for hand-made deflate streams.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace testzlib {

// Compresses with zlib's deflate; pieces are fed with a flush of `flush`
// between them (Z_NO_FLUSH, Z_SYNC_FLUSH, Z_FULL_FLUSH), the last with Z_FINISH.
inline std::vector<std::uint8_t> Deflate(const std::vector<std::uint8_t>& data, int level, int strategy = Z_DEFAULT_STRATEGY,
                                         int windowBits = 15, std::size_t piece = 0, int flush = Z_NO_FLUSH) {
    z_stream z{};
    if (deflateInit2(&z, level, Z_DEFLATED, windowBits, 8, strategy) != Z_OK) throw std::runtime_error("deflateInit2");
    std::vector<std::uint8_t> out(compressBound(static_cast<uLong>(data.size())) + 1024 + data.size() / 100);
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    std::size_t at = 0;
    if (piece == 0) piece = data.size() + 1;
    do {
        std::size_t k = std::min(piece, data.size() - at);
        z.next_in = const_cast<Bytef*>(data.data() + at);
        z.avail_in = static_cast<uInt>(k);
        at += k;
        int f = at >= data.size() ? Z_FINISH : flush;
        int r = deflate(&z, f);
        if (r != Z_OK && r != Z_STREAM_END) throw std::runtime_error("deflate");
        if (f == Z_FINISH && r != Z_STREAM_END) throw std::runtime_error("deflate did not finish");
    } while (at < data.size());
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

inline std::vector<std::uint8_t> Inflate(const std::vector<std::uint8_t>& data, std::size_t expected) {
    std::vector<std::uint8_t> out(expected + 1);
    uLongf n = static_cast<uLongf>(out.size());
    if (uncompress(out.data(), &n, data.data(), static_cast<uLong>(data.size())) != Z_OK)
        throw std::runtime_error("zlib could not inflate the stream");
    out.resize(n);
    return out;
}

// Bits least significant first, as deflate packs fields.
struct BitWriter {
    std::vector<std::uint8_t> out;
    std::uint32_t acc = 0;
    int n = 0;
    void Put(std::uint32_t v, int bits) {
        for (int i = 0; i < bits; ++i) {
            acc |= ((v >> i) & 1) << n;
            if (++n == 8) {
                out.push_back(static_cast<std::uint8_t>(acc));
                acc = 0;
                n = 0;
            }
        }
    }
    // A Huffman code, most significant bit first.
    void Code(std::uint32_t code, int len) {
        for (int i = len - 1; i >= 0; --i) Put((code >> i) & 1, 1);
    }
    std::vector<std::uint8_t> Bytes() {
        std::vector<std::uint8_t> r = out;
        if (n) r.push_back(static_cast<std::uint8_t>(acc));
        return r;
    }
};

}  // namespace testzlib
