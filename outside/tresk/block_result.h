// The result entry of one recognised block: the recogniser's lines turned
// into the engine's records (characters in the code page, candidates from
// the recogniser and from the shapes of each character's cell), each line
// also handed to the text callback.
#pragma once

#include <vector>

#include "outside/include/tresk.h"
#include "outside/ocrkit/glyph_shapes.h"
#include "outside/ocrkit/plane.h"
#include "outside/ocrkit/tess.h"

namespace tresk {

struct Output {
    int codePage;
    TRESK_TEXT_CALLBACK text;
    const ocrkit::PlaneView* plane = nullptr;
    const ocrkit::GlyphShapes* shapes = nullptr;  // NULL: no Chinese face installed
};

// Turns the engine's lines of one block into the block's result entry
// (region's lines; region itself is the caller's). False when out of memory;
// what was built stays in region for freeResult.
bool buildBlock(std::vector<ocrkit::Line>& lines, bool vertical, const Output& out, _regioninfo* region);

// Frees a chain of result entries with their lines and characters.
void freeResult(_regioninfo* result);

}  // namespace tresk
