// The glyph shapes of a code page as a file: drawn once when the libraries
// are built (glyph_table_maker) and read at run time instead of drawing them
// again for every process. A file that is missing, damaged, of another
// version or made with other shape features is refused, and the shapes are
// then drawn as before.
//
// Layout, little-endian: "GLYPHTAB", version, code page, the rough, coarse
// and fine feature sizes, characters, entries (u32 each), the fingerprint of
// the shape features (u64); the code point of each character (u32, rising);
// the character of each entry (u32, never falling); the rough, coarse and
// fine features of the entries (bytes); an FNV-1a checksum of all of it (u64).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ocrkit {

// Shapes as the comparisons use them: one entry per character and drawing,
// each with its character and its features as bytes.
struct GlyphEntries {
    std::vector<std::string> characters;  // UTF-8, one character each
    std::vector<int> owner;               // per entry: index into characters
    std::vector<std::uint8_t> rough;      // kShapeRoughSize per entry
    std::vector<std::uint8_t> coarse;     // kShapeCoarseSize per entry
    std::vector<std::uint8_t> fine;       // kShapeFineSize per entry
};

// The file's name for a code page ("glyphs-936.tab").
std::string glyphTableName(int codePage);

std::vector<std::uint8_t> encodeGlyphTable(int codePage, const GlyphEntries& entries);

// The entries of a table of the code page; nothing, with the reason in why,
// when the bytes are not a whole, undamaged table of this version.
std::optional<GlyphEntries> decodeGlyphTable(const std::uint8_t* data, std::size_t size, int codePage, std::string& why);

// The code page's table beside the library that holds this code; nothing
// when it is missing or refused.
std::optional<GlyphEntries> loadGlyphTable(int codePage);

}  // namespace ocrkit
