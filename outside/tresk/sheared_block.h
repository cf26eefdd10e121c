// A block of a slanted page copied with each row shifted sideways, so that
// columns of vertical text that lean on the page stand upright in the copy.
// Read on the page, a column that drifts sideways by more than the gap
// between columns over its height is followed into its neighbour; read on
// the copy, each column is one straight band. At the tilts of a scanned page
// (a few degrees) the shear changes the characters' shapes no more than the
// scan does, and it costs one pass over the block's ink, far less than
// turning the image.
#pragma once

#include <cstdint>
#include <vector>

#include "outside/include/tresk.h"
#include "outside/ocrkit/plane.h"

namespace tresk {

class ShearedBlock {
public:
    // box of page (clipped to it) with row y shifted right by
    // (y - middle row) * tan(degrees), degrees as ocrkit::measureSlant gives
    // them: positive straightens columns that lean to the left.
    ShearedBlock(const ocrkit::PlaneView& page, const ocrkit::Box& box, double degrees);
    ShearedBlock(const ShearedBlock&) = delete;
    ShearedBlock& operator=(const ShearedBlock&) = delete;

    const ocrkit::PlaneView& view() const { return view_; }
    // Where the block lies in the copy (its ink stays inside).
    ocrkit::Box inside() const { return inside_; }
    // The page box a box of the copy covers: the extent of its corners taken
    // back onto the page, each side held on the page (a box beside the page
    // becomes a sliver at its edge); empty for an empty box.
    ocrkit::Box toPage(const ocrkit::Box& b) const;
    // Takes the boxes of a result entry's lines and characters back onto the
    // page. A character keeps its size and moves with the row of its middle.
    void toPage(_regioninfo& region) const;

private:
    int shiftAt(int pageY) const;
    ocrkit::Box clampToPage(const ocrkit::Box& b) const;

    std::vector<std::uint8_t> bits_;
    ocrkit::PlaneView view_;
    ocrkit::Box inside_;
    int pageWidth_ = 0, pageHeight_ = 0;
    int left_ = 0, top_ = 0, middle_ = 0, pad_ = 0;
    double tan_ = 0;
};

// The slant (degrees, as ocrkit::measureSlant) at which the columns of a
// block lean, measured from its characters; 0 when they drift sideways by
// less than a few pixels over the block's height, so that shearing would
// change nothing.
double columnSlant(const ocrkit::PlaneView& page, const ocrkit::Box& box);

}  // namespace tresk
