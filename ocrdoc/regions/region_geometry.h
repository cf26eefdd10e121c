// Inclusive rectangles of the region tree (right and bottom are the last
// column and row) and the edge hit codes shared by regions and character
// boxes: bits 1 top, 2 right, 4 bottom, 8 left, combined at corners.
#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/win/types.h"

enum RegionEdge : int { kEdgeTop = 1, kEdgeRight = 2, kEdgeBottom = 4, kEdgeLeft = 8, kInsideNoEdge = 255 };

inline bool RectHoldsPoint(const RECT& r, POINT p) {
    return r.left <= p.x && p.x <= r.right && r.top <= p.y && p.y <= r.bottom;
}

// `inner` lies inside `outer`; edges may coincide.
inline bool RectHoldsRect(const RECT& outer, const RECT& inner) {
    return outer.left <= inner.left && inner.right <= outer.right && outer.top <= inner.top &&
           inner.bottom <= outer.bottom;
}

// Strict overlap: rectangles that only touch along an edge do not overlap.
inline bool RectsOverlapStrictly(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// Inclusive rectangles sharing at least one pixel.
inline bool RectsSharePixels(const RECT& a, const RECT& b) {
    return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}

inline bool RectsEqual(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline RECT RectUnion(const RECT& a, const RECT& b) {
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

// The part of `r` inside `bound` (may come out inverted when they share nothing).
inline RECT RectClipped(const RECT& r, const RECT& bound) {
    return RECT{std::max(r.left, bound.left), std::max(r.top, bound.top), std::min(r.right, bound.right),
                std::min(r.bottom, bound.bottom)};
}

// Edge bits of `p` against `r` with a strict tolerance in pixels: a point
// exactly `tol` away is not on the edge. Top is tried before bottom and left
// before right, so a region narrower than the tolerance answers left, never
// left and right together. A point level with an edge but beyond the
// widened extent of the rectangle answers 0.
inline int EdgeHitBits(const RECT& r, POINT p, int tol) {
    const auto near = [tol](std::int64_t a, std::int64_t b) { return (a > b ? a - b : b - a) < tol; };
    const std::int64_t x = p.x, y = p.y;
    int bits = 0;
    if (near(y, r.top) || near(y, r.bottom)) {
        if (x < std::int64_t{r.left} - tol || x > std::int64_t{r.right} + tol) return 0;
        bits |= near(y, r.top) ? kEdgeTop : kEdgeBottom;
    }
    if (near(x, r.left) || near(x, r.right)) {
        if (y < std::int64_t{r.top} - tol || y > std::int64_t{r.bottom} + tol) return 0;
        bits |= near(x, r.left) ? kEdgeLeft : kEdgeRight;
    }
    return bits;
}
