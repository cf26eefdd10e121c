// A page's areas from the recogniser's own page layout analysis (its blocks,
// their kinds and its reading order), joined with what the analysis here
// does better: ruled tables, whose frames it finds whole (their grid is then
// found by the form library), and pages of vertical text.
//
// Blocks become rectangles that take in no other block's lines: a block
// whose box reaches around another (a heading over some of its columns, a
// column beside a picture) is cut between its lines. Lines inside a ruled
// table belong to the table; the direction of text is the one found here.
// A block taken for a picture stays one only where the analysis here found
// no text in it; its text is read otherwise, and so are bands of ink in the
// text found here that no block takes in.
#pragma once

#include <vector>

#include "outside/ocrkit/tess.h"
#include "outside/plenmar/page_layout.h"

namespace plenmar {

// Whether the own analysis of the page is the better one: most of its text
// runs vertically.
bool ownLayoutFits(const PageLayout& own);

// The areas in reading order of the recogniser's blocks and the own
// analysis of the same region of plane.
std::vector<Area> joinRecogniserLayout(const std::vector<ocrkit::LayoutBlock>& blocks, const PageLayout& own,
                                       const ocrkit::PlaneView& plane);

}  // namespace plenmar
