// Arbitrary bytes as a glyph table file, as they come and once more with the
// feature fingerprint and the checksum made right (so that the checks behind
// them are reached). A table that is taken must be whole: it writes back to
// the very bytes it was read from, and the shapes made of it answer lookups
// without reading outside their arrays.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "outside/ocrkit/glyph_shapes.h"
#include "outside/ocrkit/glyph_table.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

void readAsTable(const std::vector<std::uint8_t>& bytes) {
    std::string why;
    for (int codePage : {936, 950}) {
        std::optional<ocrkit::GlyphEntries> table = ocrkit::decodeGlyphTable(bytes.data(), bytes.size(), codePage, why);
        if (!table) {
            require(!why.empty());
            continue;
        }
        require(ocrkit::encodeGlyphTable(codePage, *table) == bytes);
        const ocrkit::GlyphShapes shapes(std::move(*table));
        require(shapes.lookalikes(shapes.entries().characters.front(), 9).size() <= 9);
        ocrkit::ShapeFeatures any;
        any.empty = false;
        any.fine[0] = any.coarse[0] = any.rough[0] = 1.0f;
        require(shapes.nearest(any, 10).size() <= 10);
    }
}

std::uint64_t fnv1a(const std::uint8_t* data, std::size_t size) {
    std::uint64_t hash = 14695981039346656037ull;
    for (std::size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 1099511628211ull;
    return hash;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    std::vector<std::uint8_t> bytes(data, data + size);
    readAsTable(bytes);
    // The header of a table of this build: its fingerprint at bytes 36 to 43.
    static const std::vector<std::uint8_t> reference = [] {
        ocrkit::GlyphEntries one;
        one.characters = {"\u4E00"};
        one.owner = {0};
        one.rough.assign(ocrkit::kShapeRoughSize, 1);
        one.coarse.assign(ocrkit::kShapeCoarseSize, 1);
        one.fine.assign(ocrkit::kShapeFineSize, 1);
        return ocrkit::encodeGlyphTable(936, one);
    }();
    if (bytes.size() < 52) return 0;
    std::copy(reference.begin() + 36, reference.begin() + 44, bytes.begin() + 36);
    const std::uint64_t sum = fnv1a(bytes.data(), bytes.size() - 8);
    for (int i = 0; i < 8; ++i) bytes[bytes.size() - 8 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(sum >> (8 * i));
    readAsTable(bytes);
    return 0;
}
