#include "outside/ocrkit/plane.h"

#include <algorithm>
#include <leptonica/allheaders.h>
#include <numeric>

namespace ocrkit {

void Box::add(const Box& o) {
    if (o.empty()) return;
    if (empty()) {
        *this = o;
        return;
    }
    left = std::min(left, o.left);
    top = std::min(top, o.top);
    right = std::max(right, o.right);
    bottom = std::max(bottom, o.bottom);
}

void Box::add(int x, int y) { add(Box{x, y, x, y}); }

Box PlaneView::clip(Box b) const {
    b.left = std::max(b.left, 0);
    b.top = std::max(b.top, 0);
    b.right = std::min(b.right, width - 1);
    b.bottom = std::min(b.bottom, height - 1);
    return b;
}

std::vector<int> rowProfile(const PlaneView& p, const Box& box) {
    std::vector<int> out(std::max(box.height(), 0), 0);
    for (int y = box.top; y <= box.bottom; ++y)
        for (int x = box.left; x <= box.right; ++x) out[y - box.top] += p.black(x, y);
    return out;
}

std::vector<int> columnProfile(const PlaneView& p, const Box& box) {
    std::vector<int> out(std::max(box.width(), 0), 0);
    for (int y = box.top; y <= box.bottom; ++y)
        for (int x = box.left; x <= box.right; ++x) out[x - box.left] += p.black(x, y);
    return out;
}

namespace {

struct Run {
    int y, x0, x1, label;
};

int findRoot(std::vector<int>& parent, int i) {
    while (parent[i] != i) {
        parent[i] = parent[parent[i]];
        i = parent[i];
    }
    return i;
}

// Runs of black pixels of each row of box, in row order.
void collectRuns(const PlaneView& p, const Box& box, std::vector<Run>& runs, std::vector<int>& rowStart) {
    rowStart.assign(box.height() + 1, 0);
    for (int y = box.top; y <= box.bottom; ++y) {
        rowStart[y - box.top] = static_cast<int>(runs.size());
        const std::uint8_t* row = p.bits + static_cast<std::size_t>(y) * p.stride;
        int x = box.left;
        while (x <= box.right) {
            // Skip white bytes quickly.
            if ((x & 7) == 0 && row[x >> 3] == 0) {
                x += 8;
                continue;
            }
            if (!((row[x >> 3] >> (7 - (x & 7))) & 1)) {
                ++x;
                continue;
            }
            int s = x;
            while (x <= box.right && ((row[x >> 3] >> (7 - (x & 7))) & 1)) ++x;
            runs.push_back({y, s, x - 1, static_cast<int>(runs.size())});
        }
    }
    rowStart[box.height()] = static_cast<int>(runs.size());
}

}  // namespace

std::vector<Component> components(const PlaneView& p, const Box& boxIn) {
    Box box = p.clip(boxIn);
    std::vector<Component> out;
    if (box.empty() || !p.bits) return out;
    std::vector<Run> runs;
    std::vector<int> rowStart;
    collectRuns(p, box, runs, rowStart);
    std::vector<int> parent(runs.size());
    std::iota(parent.begin(), parent.end(), 0);
    for (int r = 1; r < box.height(); ++r) {
        int a = rowStart[r - 1], aEnd = rowStart[r];
        for (int i = rowStart[r]; i < rowStart[r + 1]; ++i) {
            const Run& cur = runs[i];
            while (a < aEnd && runs[a].x1 < cur.x0 - 1) ++a;
            for (int j = a; j < aEnd && runs[j].x0 <= cur.x1 + 1; ++j) {
                int ra = findRoot(parent, i), rb = findRoot(parent, j);
                if (ra != rb) parent[std::max(ra, rb)] = std::min(ra, rb);
            }
        }
    }
    std::vector<int> index(runs.size(), -1);
    for (std::size_t i = 0; i < runs.size(); ++i) {
        int root = findRoot(parent, static_cast<int>(i));
        if (index[root] < 0) {
            index[root] = static_cast<int>(out.size());
            out.push_back({});
        }
        Component& c = out[index[root]];
        c.box.add(Box{runs[i].x0, runs[i].y, runs[i].x1, runs[i].y});
        c.pixels += runs[i].x1 - runs[i].x0 + 1;
    }
    return out;
}

Pix* toPix(const PlaneView& p, int speckPixels) {
    if (!p.bits || p.width <= 0 || p.height <= 0) return nullptr;
    Pix* pix = pixCreate(p.width, p.height, 1);
    if (!pix) return nullptr;
    l_uint32* data = pixGetData(pix);
    int wpl = pixGetWpl(pix);
    for (int y = 0; y < p.height; ++y) {
        const std::uint8_t* src = p.bits + static_cast<std::size_t>(y) * p.stride;
        l_uint32* dst = data + static_cast<std::size_t>(y) * wpl;
        for (int w = 0; w < wpl; ++w) {
            l_uint32 v = 0;
            for (int k = 0; k < 4; ++k) {
                int i = w * 4 + k;
                v = (v << 8) | (i < p.stride ? src[i] : 0u);
            }
            dst[w] = v;
        }
        // Bits past the width stay white.
        int extra = wpl * 32 - p.width;
        if (extra > 0) dst[wpl - 1] &= ~((extra >= 32) ? 0xFFFFFFFFu : ((1u << extra) - 1u));
    }
    if (speckPixels > 0) {
        for (const Component& c : components(p, Box{0, 0, p.width - 1, p.height - 1})) {
            if (c.pixels > speckPixels) continue;
            // A speck is small in both directions; thin strokes of characters are not.
            if (c.box.width() > 4 || c.box.height() > 4) continue;
            for (int y = c.box.top; y <= c.box.bottom; ++y)
                for (int x = c.box.left; x <= c.box.right; ++x) pixSetPixel(pix, x, y, 0);
        }
    }
    return pix;
}

int median(std::vector<int> v) {
    if (v.empty()) return 0;
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}

}  // namespace ocrkit
