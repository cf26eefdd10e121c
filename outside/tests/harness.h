// Small helpers the engine tests share.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "outside/tests/pages.h"
#include "platform/win/memory.h"

namespace testpages {

// A movable block holding a copy of the plane, as the program hands it over.
inline HGLOBAL planeBlock(const Plane& p) {
    HGLOBAL h = GlobalAlloc(GHND, p.bits.size());
    std::memcpy(GlobalLock(h), p.bits.data(), p.bits.size());
    GlobalUnlock(h);
    return h;
}

// The page's text, lines joined by '\n', blocks in order.
inline std::string expectedText(const Page& page) {
    std::string s;
    for (const TextBlock& b : page.blocks)
        for (const std::string& l : b.lines) s += l + "\n";
    return s;
}

// The bits of a w × h rectangle at (left, top) as packed rows of
// (w + 7) / 8 bytes, as the program cuts a region out of its plane.
inline std::vector<std::uint8_t> cropBits(const Plane& p, int left, int top, int w, int h) {
    int stride = (w + 7) / 8;
    std::vector<std::uint8_t> out(static_cast<std::size_t>(stride) * h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (p.black(left + x, top + y)) out[y * stride + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    return out;
}

inline int expectedLines(const Page& page) {
    int n = 0;
    for (const TextBlock& b : page.blocks) n += static_cast<int>(b.lines.size());
    return n;
}

}  // namespace testpages
