// Where each character of a recognised Chinese line sits. The recogniser's
// box of a misread character often covers only part of it (one side of a
// character built from two), which is why it was misread; ideographs are
// set at one pitch, so the cell a character fills follows from its
// neighbours.
#pragma once

#include <vector>

#include "outside/ocrkit/plane.h"

namespace tresk {

struct CellInput {
    ocrkit::Box box;  // the recogniser's box
    bool wide;        // an ideograph or full-width mark
};

// One cell per input, on the page: along the line about a pitch wide, where
// the character's neighbours place it (its own box where they cannot say;
// the boxes' usual lag behind the ink taken off),
// cut at the whitest columns near its ends,
// across it the extent of the character and its neighbours. The pitch is
// the usual step between ideographs, or the characters' usual height on a
// short line. vertical: the line is a column read top to
// bottom.
std::vector<ocrkit::Box> characterCells(const ocrkit::PlaneView& plane, const std::vector<CellInput>& chars, bool vertical);

}  // namespace tresk
