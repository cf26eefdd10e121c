// Word segmentation: rows from the projection profile across the region,
// character boxes from the profile along each row, joined into character-sized
// boxes (pieces of one handwritten character) and grouped into words by the
// wider gaps.

#include "outside/include/glenrith.h"

#include <algorithm>
#include <new>
#include <vector>

#include "outside/ocrkit/bands.h"
#include "outside/ocrkit/chain.h"
#include "outside/ocrkit/plane.h"
#include "platform/win/memory.h"

namespace {

struct Divider {
    ocrkit::PlaneView plane;
    int from = 0, to = -1;
    bool horizontal = true;
    bool ready = false;
};

thread_local Divider g_divider;

bool planeOk(unsigned char* plane, SIZE size) {
    return plane && size.cx > 0 && size.cy > 0 && size.cx <= 65535 && size.cy <= 65535;
}

// Boxes along the row: runs of the profile along it, joined while the
// result stays about one character long.
std::vector<std::pair<int, int>> pieces(const std::vector<int>& profile, int rowThick, bool handwriting) {
    auto runs = ocrkit::findBands(profile, 1);
    std::vector<std::pair<int, int>> out;
    double maxLen = rowThick * (handwriting ? 1.25 : 1.1);
    double maxGap = rowThick * (handwriting ? 0.3 : 0.2);
    for (auto r : runs) {
        if (!out.empty() && r.first - out.back().second - 1 < maxGap && r.second - out.back().first + 1 <= maxLen)
            out.back().second = r.second;
        else
            out.push_back(r);
    }
    return out;
}

}  // namespace

OUTSIDE_EXPORT RowNode* RowSegment(unsigned char* plane, SIZE size, RECT region, int horizontal) {
    if (!planeOk(plane, size)) return nullptr;
    ocrkit::PlaneView view(plane, size.cx, size.cy);
    ocrkit::Box box = view.clip(ocrkit::Box{region.left, region.top, region.right, region.bottom});
    if (box.empty()) return nullptr;
    auto profile = horizontal ? ocrkit::rowProfile(view, box) : ocrkit::columnProfile(view, box);
    auto bands = ocrkit::findBands(profile, 3);
    int origin = horizontal ? box.top - region.top : box.left - region.left;
    RowNode* head = nullptr;
    RowNode** tail = &head;
    for (auto [a, b] : bands) {
        auto* n = new (std::nothrow) RowNode{origin + a, origin + b, nullptr};
        if (!n) {
            DelRowNode(head);
            return nullptr;
        }
        *tail = n;
        tail = &n->next;
    }
    return head;
}

OUTSIDE_EXPORT void DelRowNode(RowNode* rows) { ocrkit::freeChain(rows); }

OUTSIDE_EXPORT BOOL InitWordDivider(unsigned char* plane, SIZE size, int from, int to, int horizontal) {
    g_divider = Divider{};
    if (!planeOk(plane, size) || to < from) return FALSE;
    g_divider.plane = ocrkit::PlaneView(plane, size.cx, size.cy);
    int limit = horizontal ? size.cx - 1 : size.cy - 1;
    g_divider.from = std::max(from, 0);
    g_divider.to = std::min(to, limit);
    g_divider.horizontal = horizontal != 0;
    g_divider.ready = g_divider.from <= g_divider.to;
    return g_divider.ready ? TRUE : FALSE;
}

OUTSIDE_EXPORT int WordSegment(int rowStart, int rowEnd, int prevBoundary, int nextBoundary, int notHandwriting,
                               WordNodeList* row) {
    if (!row || !g_divider.ready || rowEnd < rowStart) return 0;
    const Divider& d = g_divider;
    const ocrkit::PlaneView& p = d.plane;
    int acrossLimit = d.horizontal ? p.height - 1 : p.width - 1;
    // The row may grow into the white space around it, never onto its neighbours.
    int lo = std::max(prevBoundary >= 0 ? prevBoundary + 1 : 0, 0);
    int hi = std::min(nextBoundary >= 0 && nextBoundary <= acrossLimit ? nextBoundary - 1 : acrossLimit, acrossLimit);
    rowStart = std::max(rowStart, lo);
    rowEnd = std::min(rowEnd, hi);
    if (rowEnd < rowStart) return 0;
    ocrkit::Box strip = d.horizontal ? ocrkit::Box{d.from, rowStart, d.to, rowEnd} : ocrkit::Box{rowStart, d.from, rowEnd, d.to};
    auto along = d.horizontal ? ocrkit::columnProfile(p, strip) : ocrkit::rowProfile(p, strip);
    int thick = rowEnd - rowStart + 1;
    auto parts = pieces(along, thick, notHandwriting == 0);
    if (parts.size() > GLENRITH_ROW_CAPACITY - 1) parts.resize(GLENRITH_ROW_CAPACITY - 1);

    if (!row->hGroups) row->hGroups = GlobalAlloc(GHND, GLENRITH_ROW_CAPACITY * sizeof(WordGroup));
    if (!row->hBoxes) row->hBoxes = GlobalAlloc(GHND, GLENRITH_ROW_CAPACITY * sizeof(WordBox));
    if (!row->hGroups || !row->hBoxes) return 0;
    row->nGroupCap = static_cast<INT>(GlobalSize(row->hGroups) / sizeof(WordGroup));
    row->nBoxCap = static_cast<INT>(GlobalSize(row->hBoxes) / sizeof(WordBox));
    auto* groups = static_cast<WordGroup*>(GlobalLock(row->hGroups));
    auto* boxes = static_cast<WordBox*>(GlobalLock(row->hBoxes));
    if (!groups || !boxes) {
        if (groups) GlobalUnlock(row->hGroups);
        if (boxes) GlobalUnlock(row->hBoxes);
        return 0;
    }
    int nBoxes = 0, nGroups = 0;
    ocrkit::Box rowBox;
    std::vector<int> widths, heights;
    int prevEnd = -1;
    for (auto [a, b] : parts) {
        if (nBoxes >= row->nBoxCap - 1 || nBoxes >= GLENRITH_ROW_CAPACITY - 1) break;
        // The box is the ink of the piece, tightened across the row.
        ocrkit::Box piece = d.horizontal ? ocrkit::Box{strip.left + a, strip.top, strip.left + b, strip.bottom}
                                         : ocrkit::Box{strip.left, strip.top + a, strip.right, strip.top + b};
        auto across = d.horizontal ? ocrkit::rowProfile(p, piece) : ocrkit::columnProfile(p, piece);
        int first = 0, last = static_cast<int>(across.size()) - 1;
        while (first <= last && across[first] == 0) ++first;
        while (last >= first && across[last] == 0) --last;
        if (first > last) continue;
        if (d.horizontal) {
            piece.top = strip.top + first;
            piece.bottom = strip.top + last;
        } else {
            piece.left = strip.left + first;
            piece.right = strip.left + last;
        }
        // A wider gap starts a new word.
        if (nGroups == 0 || (a - prevEnd - 1) > thick / 2) {
            if (nGroups >= row->nGroupCap - 1) break;
            groups[nGroups] = WordGroup{static_cast<WORD>(nBoxes), 0, 0, GLENRITH_FLAG_SET};
            ++nGroups;
        }
        ++groups[nGroups - 1].nBoxes;
        boxes[nBoxes++] = WordBox{piece.left, piece.top, piece.right, piece.bottom, GLENRITH_FLAG_SET};
        rowBox.add(piece);
        widths.push_back(piece.width());
        heights.push_back(piece.height());
        prevEnd = b;
    }
    GlobalUnlock(row->hGroups);
    GlobalUnlock(row->hBoxes);
    row->pGroups = nullptr;
    row->pBoxes = nullptr;
    row->nGroups = nGroups;
    row->nBoxes = nBoxes;
    row->left = rowBox.left;
    row->top = rowBox.top;
    row->right = rowBox.right;
    row->bottom = rowBox.bottom;
    row->nCharW = ocrkit::median(widths);
    row->nCharH = ocrkit::median(heights);
    return nBoxes;
}

OUTSIDE_EXPORT void ExitWordDivider() { g_divider = Divider{}; }
