// Small helpers the engine tests share.
#pragma once

#include <cstring>
#include <string>

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

inline int expectedLines(const Page& page) {
    int n = 0;
    for (const TextBlock& b : page.blocks) n += static_cast<int>(b.lines.size());
    return n;
}

}  // namespace testpages
