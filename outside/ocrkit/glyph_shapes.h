// A second opinion on a character's identity: its image compared with the
// glyphs of the code page's ideographs drawn from the installed Chinese
// faces (once, when the libraries are built: see glyph_table.h). Used for
// candidates only; the recogniser's reading stays first.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "outside/ocrkit/glyph_table.h"
#include "outside/ocrkit/plane.h"
#include "outside/ocrkit/shape_features.h"

namespace ocrkit {

class GlyphShapes {
public:
    // The shapes of the ideographs of code page 936 (GB2312's) or 950
    // (Big5's): the code page's table beside the library, else drawn once
    // per process on first use from the faces that suit the code page. NULL
    // when the code page has no set, or it has no table and no face was found.
    static const GlyphShapes* forCodePage(int codePage);
    // Starts reading the code page's shapes (or drawing them, a few seconds
    // for Big5's) on a thread of their own, so that the first page does not
    // wait for them.
    static void prepare(int codePage);

    // Shapes of the characters (UTF-8, one each) drawn from the font files
    // (file, face index) at the pixel size; for tests and the above.
    // stop, when set, ends the drawing early (the set is then incomplete).
    GlyphShapes(const std::vector<std::string>& characters, const std::vector<std::pair<std::string, int>>& faces,
                int pixelSize = 48, const std::atomic<bool>* stop = nullptr);
    // Shapes as a table holds them.
    explicit GlyphShapes(GlyphEntries entries);

    // Up to count characters nearest in shape, nearest first, each once.
    std::vector<std::string> nearest(const ShapeFeatures& features, int count) const;
    std::vector<std::string> nearest(const PlaneView& plane, const Box& box, int count) const;

    // Up to count other characters whose glyphs look most like this one's
    // (the candidates of a character the recogniser is sure of); each
    // character's list is worked out once. Empty for a character not in the set.
    std::vector<std::string> lookalikes(const std::string& character, int count) const;

    std::size_t size() const { return set_.characters.size(); }
    const GlyphEntries& entries() const { return set_; }

private:
    void indexCharacters();
    std::vector<std::string> nearest(const std::uint8_t* rough, const std::uint8_t* coarse, const std::uint8_t* fine,
                                     int count) const;

    // One entry per character, face and drawing, compared in three steps,
    // each on the best of the step before: rough features against every
    // entry, coarse ones, then fine ones.
    GlyphEntries set_;
    // The rough features a feature at a time (all entries' first, ...), to
    // six bits, for the first step.
    std::vector<std::uint8_t> roughColumns_;
    std::unordered_map<std::string, std::size_t> firstEntry_;  // of each character
    mutable std::mutex lookalikesMutex_;
    mutable std::unordered_map<std::size_t, std::vector<std::string>> lookalikes_;
};

// The font file and face index of each installed face that suits the code
// page (a sans, a Ming and a Kai face), as fontconfig finds them.
std::vector<std::pair<std::string, int>> chineseFaces(int codePage);

// The ideographs of the code page's common set, UTF-8 (empty for other code pages).
std::vector<std::string> ideographsOf(int codePage);

}  // namespace ocrkit
