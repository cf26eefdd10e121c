// The 1-bit page plane the outside libraries receive (rows top-down of
// (width + 7) / 8 bytes, bit 1 black, most significant bit first), with the
// measurements several libraries share: profiles, connected components.
#pragma once

#include <cstdint>
#include <vector>

struct Pix;

namespace ocrkit {

struct Box {
    int left = 0, top = 0, right = -1, bottom = -1;  // inclusive
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
    bool empty() const { return right < left || bottom < top; }
    void add(const Box& o);
    void add(int x, int y);
    bool intersects(const Box& o) const {
        return !(o.left > right || o.right < left || o.top > bottom || o.bottom < top);
    }
    bool contains(const Box& o) const {
        return o.left >= left && o.right <= right && o.top >= top && o.bottom <= bottom;
    }
};

struct PlaneView {
    const std::uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;

    PlaneView() = default;
    PlaneView(const std::uint8_t* b, int w, int h) : bits(b), width(w), height(h), stride((w + 7) / 8) {}
    bool black(int x, int y) const { return (bits[y * stride + (x >> 3)] >> (7 - (x & 7))) & 1; }
    // Clips a box to the plane.
    Box clip(Box b) const;
};

// Black pixels per row of box (size height) and per column (size width).
std::vector<int> rowProfile(const PlaneView& p, const Box& box);
std::vector<int> columnProfile(const PlaneView& p, const Box& box);

struct Component {
    Box box;
    int pixels = 0;
};

// 8-connected components of black pixels inside box.
std::vector<Component> components(const PlaneView& p, const Box& box);

// A Leptonica 1 bpp copy of the plane (black = 1); components of at most
// speckPixels pixels are left out (0: keep everything). NULL when out of memory.
Pix* toPix(const PlaneView& p, int speckPixels);

// Median of the values (0 for none).
int median(std::vector<int> v);

}  // namespace ocrkit
