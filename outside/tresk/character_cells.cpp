#include "outside/tresk/character_cells.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tresk {

namespace {

double centreAlong(const ocrkit::Box& b, bool vertical) {
    return vertical ? (b.top + b.bottom) / 2.0 : (b.left + b.right) / 2.0;
}
double centreAcross(const ocrkit::Box& b, bool vertical) {
    return vertical ? (b.left + b.right) / 2.0 : (b.top + b.bottom) / 2.0;
}
int lowAlong(const ocrkit::Box& b, bool vertical) { return vertical ? b.top : b.left; }
int highAlong(const ocrkit::Box& b, bool vertical) { return vertical ? b.bottom : b.right; }

ocrkit::Box make(int lowAlong, int highAlong, int lowAcross, int highAcross, bool vertical) {
    return vertical ? ocrkit::Box{lowAcross, lowAlong, highAcross, highAlong}
                    : ocrkit::Box{lowAlong, lowAcross, highAlong, highAcross};
}

// Cutting the line into cells: a cut through ink costs its pixels, a cell
// of ink costs its distance from the pitch (one much narrower than the
// pitch, a mark or a letter, a fixed amount), empty stretches nothing.
constexpr double kNarrowCell = 0.5;
constexpr double kPitchWeight = 4.0;

}  // namespace

std::vector<ocrkit::Box> characterCells(const ocrkit::PlaneView& plane, const std::vector<CellInput>& chars,
                                        bool vertical) {
    const std::size_t n = chars.size();
    std::vector<ocrkit::Box> cells(n);
    for (std::size_t i = 0; i < n; ++i) cells[i] = chars[i].box;
    std::vector<std::size_t> wide;
    for (std::size_t i = 0; i < n; ++i)
        if (chars[i].wide && !chars[i].box.empty()) wide.push_back(i);
    if (wide.empty() || plane.width <= 0 || plane.height <= 0) return cells;
    // The characters' usual height across the line, and the pitch: the usual
    // step between neighbouring ideographs, else that height (ideographs are
    // about as wide as they are tall).
    std::vector<int> sizes, steps;
    for (std::size_t i : wide) sizes.push_back(vertical ? chars[i].box.width() : chars[i].box.height());
    const int across = std::max(ocrkit::median(sizes), 4);
    for (std::size_t k = 0; k + 1 < wide.size(); ++k)
        if (wide[k + 1] == wide[k] + 1)
            steps.push_back(static_cast<int>(std::lround(centreAlong(chars[wide[k + 1]].box, vertical) -
                                                         centreAlong(chars[wide[k]].box, vertical))));
    double pitch = across;
    if (steps.size() >= 3) {
        int m = ocrkit::median(steps);
        if (m > 0.7 * across && m < 1.5 * across) pitch = m;
    }
    // The stretch of the line to cut, and across it at each point the band
    // of the nearest ideograph (the line may run at a slope).
    const int limitAlong = (vertical ? plane.height : plane.width) - 1;
    const int limitAcross = (vertical ? plane.width : plane.height) - 1;
    int from = limitAlong, to = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (chars[i].box.empty()) continue;
        from = std::min(from, lowAlong(chars[i].box, vertical));
        to = std::max(to, highAlong(chars[i].box, vertical));
    }
    from = std::max(0, from - static_cast<int>(pitch / 2));
    to = std::min(limitAlong, to + static_cast<int>(pitch / 2));
    if (to <= from) return cells;
    const int len = to - from + 1;
    std::vector<int> bandLow(len), bandHigh(len), ink(len, 0);
    std::size_t k = 0;
    for (int x = 0; x < len; ++x) {
        const double pos = from + x;
        while (k + 1 < wide.size() &&
               std::abs(centreAlong(chars[wide[k + 1]].box, vertical) - pos) <= std::abs(centreAlong(chars[wide[k]].box, vertical) - pos))
            ++k;
        // The middle of three neighbours' centres, against one box that is off.
        std::vector<int> mids;
        for (std::size_t j = k > 0 ? k - 1 : 0; j <= k + 1 && j < wide.size(); ++j)
            mids.push_back(static_cast<int>(std::lround(centreAcross(chars[wide[j]].box, vertical))));
        const int mid = ocrkit::median(mids);
        bandLow[x] = std::clamp(mid - across * 6 / 10, 0, limitAcross);
        bandHigh[x] = std::clamp(mid + across * 6 / 10, 0, limitAcross);
        for (int a = bandLow[x]; a <= bandHigh[x]; ++a)
            ink[x] += vertical ? plane.black(a, from + x) : plane.black(from + x, a);
    }
    // Cuts by dynamic programming: best[x] is the cost of the line up to a
    // cut at x; cells span at most 1.4 pitches.
    std::vector<int> inkSum(len + 1, 0);
    for (int x = 0; x < len; ++x) inkSum[x + 1] = inkSum[x] + ink[x];
    const int widest = std::max(2, static_cast<int>(1.4 * pitch));
    std::vector<double> best(len, std::numeric_limits<double>::infinity());
    std::vector<int> back(len, -1);
    best[0] = ink[0];
    for (int x = 1; x < len; ++x) {
        for (int w = 1; w <= widest && w <= x; ++w) {
            const int start = x - w;
            if (best[start] == std::numeric_limits<double>::infinity()) continue;
            const bool blank = inkSum[x] - inkSum[start + 1] == 0;
            double cell = blank ? 0.0
                                : (w < 0.6 * pitch ? kNarrowCell : kPitchWeight * ((w - pitch) / pitch) * ((w - pitch) / pitch));
            double cost = best[start] + cell + ink[x];
            if (cost < best[x]) {
                best[x] = cost;
                back[x] = start;
            }
        }
    }
    // The cells with ink, in order along the line.
    struct Cell {
        int low, high;
    };
    std::vector<Cell> found;
    for (int x = len - 1; x > 0 && back[x] >= 0; x = back[x]) {
        int start = back[x];
        if (inkSum[x] - inkSum[start + 1] > 0) found.push_back({from + start + 1, from + x - 1});
    }
    std::reverse(found.begin(), found.end());
    // The recognised characters and the cells in the same order, matched by
    // their centres (the recogniser's boxes drift along a line, its order
    // does not). Its boxes also lag behind the ink: most start a third to
    // half a pitch into their character, a misread one's may lie in the next.
    // So the boxes are matched at several lags, and the lag that fits the
    // line best is taken. A character or cell left out costs two pitches: a
    // run of matches shifted by one cell must not come out cheaper than the
    // order.
    std::vector<std::size_t> placed;
    for (std::size_t i = 0; i < n; ++i)
        if (!chars[i].box.empty()) placed.push_back(i);
    const std::size_t a = placed.size(), b = found.size();
    const double skip = 2 * pitch;
    std::vector<double> cost((a + 1) * (b + 1), 0.0);
    auto at = [&](std::size_t i, std::size_t j) -> double& { return cost[i * (b + 1) + j]; };
    double lag = 0;
    auto distance = [&](std::size_t i, std::size_t j) {
        return std::abs(centreAlong(chars[placed[i]].box, vertical) - lag - (found[j].low + found[j].high) / 2.0);
    };
    auto match = [&] {
        for (std::size_t i = 1; i <= a; ++i) at(i, 0) = static_cast<double>(i) * skip;
        for (std::size_t j = 1; j <= b; ++j) at(0, j) = static_cast<double>(j) * skip;
        for (std::size_t i = 1; i <= a; ++i)
            for (std::size_t j = 1; j <= b; ++j)
                at(i, j) = std::min({at(i - 1, j - 1) + distance(i - 1, j - 1), at(i - 1, j) + skip, at(i, j - 1) + skip});
        return at(a, b);
    };
    // Lags from a quarter pitch ahead to a pitch behind, in eighths.
    double bestLag = 0, bestCost = std::numeric_limits<double>::infinity();
    for (int eighths : {0, 1, 2, 3, 4, 5, 6, 7, 8, -1, -2}) {
        lag = pitch * eighths / 8;
        const double c = match();
        if (c < bestCost) bestCost = c, bestLag = lag;
    }
    lag = bestLag;
    match();
    std::vector<std::pair<std::size_t, std::size_t>> pairs;  // (character, cell)
    for (std::size_t i = a, j = b; i > 0 && j > 0;) {
        if (at(i, j) == at(i - 1, j - 1) + distance(i - 1, j - 1)) {
            pairs.push_back({placed[i - 1], j - 1});
            --i;
            --j;
        } else if (at(i, j) == at(i - 1, j) + skip) {
            --i;
        } else {
            --j;
        }
    }
    for (auto [who, j] : pairs) {
        if (!chars[who].wide) continue;
        const Cell& c = found[j];
        const int x = std::clamp((c.low + c.high) / 2 - from, 0, len - 1);
        cells[who] = make(c.low, c.high, bandLow[x], bandHigh[x], vertical);
    }
    return cells;
}

}  // namespace tresk
