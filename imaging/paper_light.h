// How bright the paper is across a rectangle of a grey or colour scan, so
// that a threshold can follow light falling off towards a side or the corners.
// The rectangle is cut into square cells; a cell's paper is the level three
// quarters of its pixels lie at or below. Cells darker than a smooth surface
// laid through the others (pictures, dense ink) are left out and bridged from
// the cells around them or from the surface, so that the threshold follows
// the light and never what is printed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/win/types.h"

// One 8-bit channel of a rectangle: pixel x of row y is at
// origin[y * rowStride + x * step].
struct ChannelRows {
    const BYTE* origin = nullptr;
    std::ptrdiff_t rowStride = 0;
    int step = 1;
    const BYTE* Row(int y) const { return origin + static_cast<std::ptrdiff_t>(y) * rowStride; }
};

class PaperLight {
public:
    // Measures the paper of a width x height rectangle in cells of about
    // `cell` pixels. A rectangle of fewer than three cells either way is
    // taken as evenly lit.
    void Measure(const ChannelRows& rows, int width, int height, int cell);

    // True when the paper's brightness falls below 7/8 of its brightest
    // somewhere in the rectangle.
    bool Uneven() const { return uneven_; }

    // The paper of each pixel x0..x1-1 of row y (rectangle coordinates; those
    // outside the rectangle take its nearest edge), relative to the brightest
    // paper (0.25 to 1), bilinear between the cells' centres.
    void RowLevels(int y, int x0, int x1, float* out) const;

private:
    float CellLevel(int col, int row) const { return level_[static_cast<std::size_t>(row) * cols_ + col]; }

    int width_ = 0, height_ = 0, cols_ = 0, rows_ = 0;
    std::vector<float> level_;  // cols_ x rows_, relative to the brightest
    bool uneven_ = false;
};
