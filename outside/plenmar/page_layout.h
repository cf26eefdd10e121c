// Layout analysis of a 1-bit page region into areas in reading order.
//
// The slant of the text is measured from the connected components first, and
// every later step works on the components' positions turned straight by
// that slant, so that columns and paragraphs are found on pages tilted by a
// few degrees without turning the image. Ruled frames become tables and large
// blobs pictures, each with the whole extent it has on the page. The text is
// cut recursively: wherever a white stream runs through every line of a
// block the block splits into columns first; otherwise it splits at wide
// horizontal gaps, after which neighbouring pieces that share a column gap
// (paragraphs side by side) are joined again so that their columns are read
// one after the other. The direction of a block comes from how its
// characters line up; blocks too small to tell take the page's direction.
#pragma once

#include <vector>

#include "outside/ocrkit/plane.h"

namespace plenmar {

enum class AreaKind { Text, Vertical, Picture, Table };

struct Area {
    ocrkit::Box box;  // page pixels, inclusive
    AreaKind kind = AreaKind::Text;
};

struct LayoutOptions {
    double cutY = 1.5;       // white gap (in character sizes) that separates blocks vertically
    double cutX = 1.5;       // ... and columns
    double tableFill = 0.2;  // a ruled frame covers at most this share of its box
};

struct PageLayout {
    std::vector<Area> areas;  // in reading order
    int charSize = 12;        // typical character size in pixels
};

// A line or two of text under columns (a footnote running on under the
// gutter) is read after every area that follows it in the list and lies
// above it: the recogniser's order and the cuts here may read it before
// the columns to its right.
void readLinesUnderColumnsLast(std::vector<Area>& areas, int charSize);

// The areas of region of the plane; throws std::bad_alloc when out of memory.
PageLayout analysePage(const ocrkit::PlaneView& plane, const ocrkit::Box& region, const LayoutOptions& options);

}  // namespace plenmar
