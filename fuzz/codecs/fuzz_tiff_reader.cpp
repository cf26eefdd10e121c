// Reads arbitrary bytes through the TIFF reader and pulls every row. With
// FUZZ_TIFF_COMPRESSION the input is the strip data of a file of that
// compression, its first bytes choosing width, rows per strip, fill order,
// photometric interpretation and Group 3 options.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "imaging/formats/tiff_reader.h"

namespace {

class CMemoryTiffFile : public CTiffFile {
public:
    explicit CMemoryTiffFile(std::vector<std::uint8_t> d) : m_data(std::move(d)) {}
    bool Seek(std::uint64_t p) override {
        m_pos = p;
        return true;
    }
    std::size_t Read(void* buf, std::size_t n) override {
        if (n == 0 || m_pos >= m_data.size()) return 0;
        std::size_t k = std::min<std::size_t>(n, m_data.size() - m_pos);
        std::memcpy(buf, m_data.data() + m_pos, k);
        m_pos += k;
        return k;
    }
    bool Write(const void*, std::size_t) override { return false; }
    std::uint64_t Length() override { return m_data.size(); }

private:
    std::vector<std::uint8_t> m_data;
    std::uint64_t m_pos = 0;
};

#ifdef FUZZ_TIFF_COMPRESSION
std::vector<std::uint8_t> Wrap(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> f;
    if (size < 5) return f;
    const unsigned width = 1 + ((data[0] | (data[1] << 8)) % 2500);
    const unsigned height = 1 + data[2] % 200;
    const unsigned rows = 1 + data[3] % height;
    const unsigned flags = data[4];
    data += 5;
    size -= 5;
    const unsigned strips = (height - 1) / rows + 1;
    auto u16 = [&](unsigned v) { f.insert(f.end(), {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)}); };
    auto u32 = [&](unsigned v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    const unsigned entries = 9;
    const unsigned tablesAt = 8 + 2 + 12 * entries + 4;
    const unsigned dataAt = tablesAt + 8 * strips;
    f = {'I', 'I', 42, 0, 8, 0, 0, 0};
    u16(entries);
    auto tag = [&](unsigned t, unsigned type, unsigned count, unsigned value) {
        u16(t);
        u16(type);
        u32(count);
        u32(value);
    };
    tag(256, 4, 1, width);
    tag(257, 4, 1, height);
    tag(259, 3, 1, FUZZ_TIFF_COMPRESSION);
    tag(262, 3, 1, flags & 1);
    tag(266, 3, 1, (flags & 2) ? 2 : 1);
    tag(273, 4, strips, strips == 1 ? dataAt : tablesAt);
    tag(278, 4, 1, rows);
    tag(279, 4, strips, strips == 1 ? static_cast<unsigned>(size) : tablesAt + 4 * strips);
    tag(292, 4, 1, (flags >> 2) & 5);
    u32(0);
    // The data is shared out among the strips evenly.
    const std::size_t share = strips ? size / strips : 0;
    for (unsigned s = 0; s < strips; ++s) u32(static_cast<unsigned>(dataAt + s * share));
    for (unsigned s = 0; s < strips; ++s) u32(static_cast<unsigned>(s + 1 == strips ? size - s * share : share));
    if (size) f.insert(f.end(), data, data + size);
    return f;
}
#endif

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
#ifdef FUZZ_TIFF_COMPRESSION
    CMemoryTiffFile file(Wrap(data, size));
#else
    CMemoryTiffFile file(std::vector<std::uint8_t>(data, data + size));
#endif
    std::unique_ptr<CTiffStripDecoder> d(ReadTiffImage(&file, 1));
    if (!d) return 0;
    const std::size_t rowBytes = (static_cast<std::size_t>(d->m_nWidth) + 7) / 8;
    if (rowBytes > (1u << 20)) return 0;
    std::vector<std::uint8_t> row(rowBytes + 1, 0xA5);
    for (DWORD y = 0; y < d->m_nHeight && y < 20000; ++y) {
        d->ReadRow(static_cast<DWORD>(rowBytes), row.data());
        if (row[rowBytes] != 0xA5) __builtin_trap();
    }
    return 0;
}
