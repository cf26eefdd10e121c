// Shape features of one character image: the ink scaled into a square
// (aspect kept), its edge directions in four orientations pooled over an
// 8 x 8 grid. Scans and rendered glyphs give comparable features, so a
// character can be matched against glyphs drawn from fonts.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "outside/ocrkit/plane.h"

namespace ocrkit {

constexpr int kShapeGrid = 8;
constexpr int kShapeOrientations = 4;
constexpr int kShapeFineSize = kShapeGrid * kShapeGrid * kShapeOrientations;             // 256
constexpr int kShapeCoarseSize = (kShapeGrid / 2) * (kShapeGrid / 2) * kShapeOrientations;  // 64
constexpr int kShapeRoughSize = (kShapeGrid / 4) * (kShapeGrid / 4) * kShapeOrientations;    // 16

struct ShapeFeatures {
    // The same directions over 8 x 8, 4 x 4 and 2 x 2 cells, each of unit
    // length; closeness of two shapes is the dot product.
    std::array<float, kShapeFineSize> fine{};
    std::array<float, kShapeCoarseSize> coarse{};
    std::array<float, kShapeRoughSize> rough{};
    bool empty = true;  // no ink
};

// The features as bytes (each value times 255), as the glyph sets keep them:
// closeness is then an integer dot product.
struct ShapeBytes {
    std::array<std::uint8_t, kShapeFineSize> fine{};
    std::array<std::uint8_t, kShapeCoarseSize> coarse{};
    std::array<std::uint8_t, kShapeRoughSize> rough{};
};
ShapeBytes shapeBytes(const ShapeFeatures& features);

// An ink raster: coverage 0..1 per pixel, rows top-down.
struct InkRaster {
    int width = 0, height = 0;
    std::vector<float> ink;
    float at(int x, int y) const { return ink[static_cast<std::size_t>(y) * width + x]; }
};

// The ink of box on the plane, without specks (components of a few pixels)
// that lie apart from the character's strokes.
InkRaster inkOf(const PlaneView& plane, const Box& box);

ShapeFeatures shapeFeatures(const InkRaster& raster);

}  // namespace ocrkit
