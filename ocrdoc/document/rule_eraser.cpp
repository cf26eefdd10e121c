#include "ocrdoc/document/rule_eraser.h"

#include <algorithm>
#include <cstddef>
#include <new>
#include <numeric>
#include <vector>

namespace {

// Runs of ink listed for one area at most (a page of noise is left alone).
constexpr std::size_t kMaxRuns = 4u << 20;

struct Run {
    int y, x0, x1;
};

struct Piece {
    int left, top, right, bottom;
    long long ink;
};

int Root(std::vector<int>& parent, int i) {
    while (parent[static_cast<std::size_t>(i)] != i) {
        parent[static_cast<std::size_t>(i)] = parent[static_cast<std::size_t>(parent[static_cast<std::size_t>(i)])];
        i = parent[static_cast<std::size_t>(i)];
    }
    return i;
}

bool Ink(const BYTE* row, int x) { return (row[x >> 3] >> (7 - (x & 7))) & 1; }

}  // namespace

int EraseRulesIn(BYTE* plane, int width, int height, const RECT& area) {
    if (!plane || width <= 0 || height <= 0) return 0;
    const int left = std::max<int>(area.left, 0), top = std::max<int>(area.top, 0);
    const int right = std::min<int>(area.right, width - 1), bottom = std::min<int>(area.bottom, height - 1);
    if (left > right || top > bottom) return 0;
    const std::size_t stride = (static_cast<std::size_t>(width) + 7) / 8;
    try {
        // The runs of ink of every row, and where each row's runs begin.
        std::vector<Run> runs;
        std::vector<int> rowStart(static_cast<std::size_t>(bottom - top) + 2, 0);
        for (int y = top; y <= bottom; ++y) {
            rowStart[static_cast<std::size_t>(y - top)] = static_cast<int>(runs.size());
            const BYTE* row = plane + static_cast<std::size_t>(y) * stride;
            for (int x = left; x <= right;) {
                if ((x & 7) == 0 && x + 7 <= right && row[x >> 3] == 0) {
                    x += 8;
                    continue;
                }
                if (!Ink(row, x)) {
                    ++x;
                    continue;
                }
                const int start = x;
                while (x <= right && Ink(row, x)) ++x;
                if (runs.size() >= kMaxRuns) return 0;
                runs.push_back(Run{y, start, x - 1});
            }
        }
        rowStart[static_cast<std::size_t>(bottom - top) + 1] = static_cast<int>(runs.size());

        // Runs of neighbouring rows that touch, corners included, are one piece.
        std::vector<int> parent(runs.size());
        std::iota(parent.begin(), parent.end(), 0);
        for (int r = 1; r <= bottom - top; ++r) {
            int above = rowStart[static_cast<std::size_t>(r - 1)];
            const int aboveEnd = rowStart[static_cast<std::size_t>(r)];
            for (int i = rowStart[static_cast<std::size_t>(r)]; i < rowStart[static_cast<std::size_t>(r) + 1]; ++i) {
                const Run& run = runs[static_cast<std::size_t>(i)];
                while (above < aboveEnd && runs[static_cast<std::size_t>(above)].x1 < run.x0 - 1) ++above;
                for (int j = above; j < aboveEnd && runs[static_cast<std::size_t>(j)].x0 <= run.x1 + 1; ++j) {
                    const int a = Root(parent, i), b = Root(parent, j);
                    if (a != b) parent[static_cast<std::size_t>(std::max(a, b))] = std::min(a, b);
                }
            }
        }

        // Each piece's box and ink, kept at its root.
        std::vector<Piece> pieces(runs.size());
        for (std::size_t i = 0; i < runs.size(); ++i) {
            const Run& run = runs[i];
            Piece& p = pieces[static_cast<std::size_t>(Root(parent, static_cast<int>(i)))];
            if (p.ink == 0) p = Piece{run.x0, run.y, run.x1, run.y, 0};
            p.left = std::min(p.left, run.x0);
            p.right = std::max(p.right, run.x1);
            p.top = std::min(p.top, run.y);
            p.bottom = std::max(p.bottom, run.y);
            p.ink += run.x1 - run.x0 + 1;
        }
        auto isRule = [](const Piece& p) {
            const long long w = p.right - p.left + 1, h = p.bottom - p.top + 1;
            const long long length = std::max(w, h);
            return p.ink > 0 && length >= kMinRuleLength &&
                   (p.ink * kRuleInkShare < w * h || std::min(w, h) <= kMaxRuleBoxThickness ||
                    p.ink <= length * kMaxRuleInkThickness);
        };
        int erased = 0;
        for (std::size_t i = 0; i < runs.size(); ++i)
            if (parent[i] == static_cast<int>(i) && isRule(pieces[i])) ++erased;
        if (!erased) return 0;
        for (std::size_t i = 0; i < runs.size(); ++i) {
            if (!isRule(pieces[static_cast<std::size_t>(Root(parent, static_cast<int>(i)))])) continue;
            BYTE* row = plane + static_cast<std::size_t>(runs[i].y) * stride;
            for (int x = runs[i].x0; x <= runs[i].x1; ++x) row[x >> 3] &= static_cast<BYTE>(~(0x80u >> (x & 7)));
        }
        return erased;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}
