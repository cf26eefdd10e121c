#include "outside/ocrkit/glyph_table.h"

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "outside/ocrkit/codepage.h"
#include "outside/ocrkit/shape_features.h"
#include "platform/win/codepage.h"

namespace ocrkit {

namespace {

namespace fs = std::filesystem;

constexpr char kMagic[8] = {'G', 'L', 'Y', 'P', 'H', 'T', 'A', 'B'};
constexpr std::uint32_t kVersion = 1;
constexpr std::size_t kHeaderSize = 8 + 7 * 4 + 8;
constexpr std::size_t kEntryBytes = 4 + kShapeRoughSize + kShapeCoarseSize + kShapeFineSize;
// Bounds far above the largest set (Big5's 13,000 ideographs, a few drawings
// each), so that a damaged count is refused before anything is allocated.
constexpr std::uint32_t kMostCharacters = 70000;
constexpr std::uint32_t kMostEntriesPerCharacter = 16;
constexpr std::uintmax_t kLargestFile = kHeaderSize + 4ull * kMostCharacters +
                                        kEntryBytes * kMostCharacters * kMostEntriesPerCharacter + 8;

std::uint64_t fnv1a(const std::uint8_t* data, std::size_t size, std::uint64_t hash = 14695981039346656037ull) {
    for (std::size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 1099511628211ull;
    return hash;
}

// The shape features' answer on a fixed drawing: a table made by other
// features gives another fingerprint and is refused.
std::uint64_t featureFingerprint() {
    static const std::uint64_t fingerprint = [] {
        InkRaster r;
        r.width = 41;
        r.height = 37;
        r.ink.assign(static_cast<std::size_t>(r.width) * r.height, 0.0f);
        for (int y = 0; y < r.height; ++y)
            for (int x = 0; x < r.width; ++x) {
                const bool frame = (y < 4 || y > 32) && x > 2 && x < 38;
                const bool stem = x >= 18 && x <= 21;
                const bool slant = std::abs(x - y - 2) <= 1 && y > 8;
                r.ink[static_cast<std::size_t>(y) * r.width + x] = frame || stem || slant ? 1.0f : (x + y) % 7 == 0 ? 0.3f : 0.0f;
            }
        const ShapeBytes b = shapeBytes(shapeFeatures(r));
        std::uint64_t h = fnv1a(b.rough.data(), b.rough.size());
        h = fnv1a(b.coarse.data(), b.coarse.size(), h);
        return fnv1a(b.fine.data(), b.fine.size(), h);
    }();
    return fingerprint;
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void put64(std::vector<std::uint8_t>& out, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
std::uint32_t get32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 | static_cast<std::uint32_t>(p[2]) << 16 |
           static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint64_t get64(const std::uint8_t* p) { return static_cast<std::uint64_t>(get32(p)) | static_cast<std::uint64_t>(get32(p + 4)) << 32; }

}  // namespace

std::string glyphTableName(int codePage) { return "glyphs-" + std::to_string(codePage) + ".tab"; }

std::vector<std::uint8_t> encodeGlyphTable(int codePage, const GlyphEntries& e) {
    std::vector<std::uint8_t> out(kMagic, kMagic + sizeof kMagic);
    for (std::uint32_t v : {kVersion, static_cast<std::uint32_t>(codePage), static_cast<std::uint32_t>(kShapeRoughSize),
                            static_cast<std::uint32_t>(kShapeCoarseSize), static_cast<std::uint32_t>(kShapeFineSize),
                            static_cast<std::uint32_t>(e.characters.size()), static_cast<std::uint32_t>(e.owner.size())})
        put32(out, v);
    put64(out, featureFingerprint());
    for (const std::string& c : e.characters) put32(out, static_cast<std::uint32_t>(firstCodePoint(c)));
    for (int who : e.owner) put32(out, static_cast<std::uint32_t>(who));
    for (const auto* part : {&e.rough, &e.coarse, &e.fine}) out.insert(out.end(), part->begin(), part->end());
    put64(out, fnv1a(out.data(), out.size()));
    return out;
}

std::optional<GlyphEntries> decodeGlyphTable(const std::uint8_t* data, std::size_t size, int codePage, std::string& why) {
    auto refuse = [&](const char* reason) {
        why = reason;
        return std::optional<GlyphEntries>();
    };
    if (!data || size < kHeaderSize + 8) return refuse("shorter than a header");
    if (!std::equal(kMagic, kMagic + sizeof kMagic, data)) return refuse("not a glyph table");
    const std::uint8_t* p = data + sizeof kMagic;
    if (get32(p) != kVersion) return refuse("another version");
    if (get32(p + 4) != static_cast<std::uint32_t>(codePage)) return refuse("another code page");
    if (get32(p + 8) != kShapeRoughSize || get32(p + 12) != kShapeCoarseSize || get32(p + 16) != kShapeFineSize)
        return refuse("other feature sizes");
    const std::uint32_t characters = get32(p + 20), entries = get32(p + 24);
    if (characters == 0 || characters > kMostCharacters || entries < characters ||
        entries > characters * kMostEntriesPerCharacter)
        return refuse("implausible counts");
    if (get64(p + 28) != featureFingerprint()) return refuse("made with other shape features");
    const std::size_t want = kHeaderSize + 4ull * characters + kEntryBytes * entries + 8;
    if (size != want) return refuse("not of the size its counts give");
    if (get64(data + size - 8) != fnv1a(data, size - 8)) return refuse("checksum does not match");
    GlyphEntries e;
    const std::uint8_t* at = data + kHeaderSize;
    // The sets hold ideographs of the basic plane, rising.
    std::u16string text;
    for (std::uint32_t i = 0; i < characters; ++i, at += 4) {
        const std::uint32_t c = get32(at);
        if (c < 0x80 || c > 0xFFFF || (c >= 0xD800 && c <= 0xDFFF) || (!text.empty() && c <= text.back()))
            return refuse("characters out of order or invalid");
        text += static_cast<char16_t>(c);
    }
    e.characters = splitUtf8(suite::Utf16ToUtf8(text));
    if (e.characters.size() != characters) return refuse("characters out of order or invalid");
    e.owner.reserve(entries);
    for (std::uint32_t i = 0; i < entries; ++i, at += 4) {
        const std::uint32_t who = get32(at);
        if (who >= characters || (!e.owner.empty() && who < static_cast<std::uint32_t>(e.owner.back())))
            return refuse("entries out of order");
        e.owner.push_back(static_cast<int>(who));
    }
    for (auto [part, width] : {std::pair{&e.rough, kShapeRoughSize}, {&e.coarse, kShapeCoarseSize}, {&e.fine, kShapeFineSize}}) {
        const std::size_t n = static_cast<std::size_t>(width) * entries;
        part->assign(at, at + n);
        at += n;
    }
    return e;
}

std::optional<GlyphEntries> loadGlyphTable(int codePage) {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&loadGlyphTable), &info) || !info.dli_fname) return std::nullopt;
    const fs::path file = fs::path(info.dli_fname).parent_path() / glyphTableName(codePage);
    std::error_code error;
    const std::uintmax_t size = fs::file_size(file, error);
    if (error || size > kLargestFile) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) return std::nullopt;
    std::string why;
    return decodeGlyphTable(bytes.data(), bytes.size(), codePage, why);
}

}  // namespace ocrkit
