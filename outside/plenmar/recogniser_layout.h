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
// text found here that no block takes in. Lines run across columns found
// here are cut at their gaps, footnotes under the columns are read after
// them.
#pragma once

#include <vector>

#include "outside/ocrkit/tess.h"
#include "outside/plenmar/page_layout.h"

namespace plenmar {

// Whether the own analysis of the page is the better one: most of its text
// runs vertically.
bool ownLayoutFits(const PageLayout& own);

// Whether a box is a row of a halftone, which the recogniser can take for a
// line of text: its ink lies mostly in dots far smaller than the letters of
// a line `line` high, or covers near half the box, where dots run into each
// other (a line of text, even a bold heading, covers a third at most). Such
// rows next to a picture, or to another such row, are not read.
bool halftoneRow(const ocrkit::PlaneView& plane, const ocrkit::Box& box, int line);

// The areas in reading order of the recogniser's blocks and the own
// analysis of the same region of plane.
std::vector<Area> joinRecogniserLayout(const std::vector<ocrkit::LayoutBlock>& blocks, const PageLayout& own,
                                       const ocrkit::PlaneView& plane);

}  // namespace plenmar
