#include "outside/ocrkit/slant.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ocrkit {

bool isSpeck(const Component& c) { return c.pixels < 6 && c.box.width() <= 4 && c.box.height() <= 4; }

int typicalCharSize(const std::vector<Component>& comps) {
    // The upper quartile of the sizes by ink: characters that a thin face or
    // a light scan breaks into strokes count by what they weigh, not by their
    // number, and their largest strokes are close to their full size.
    std::vector<std::pair<int, long>> sizes;
    long total = 0;
    for (const auto& c : comps) {
        int s = std::max(c.box.width(), c.box.height());
        if (s < 8 || s > 300) continue;
        // Weighed by size, not ink: solid blobs (pictures) must not decide.
        sizes.push_back({s, s});
        total += s;
    }
    if (sizes.empty()) return 12;
    std::sort(sizes.begin(), sizes.end());
    long seen = 0;
    for (auto [s, w] : sizes) {
        seen += w;
        if (seen * 4 >= total * 3) return std::max(s, 12);
    }
    return std::max(sizes.back().first, 12);
}

double measureSlant(const std::vector<Component>& comps, int cs) {
    std::vector<std::pair<double, double>> pts;
    double maxX = 1, maxY = 1;
    for (const auto& c : comps) {
        int s = std::max(c.box.width(), c.box.height());
        if (s * 3 < cs || s > 3 * cs) continue;
        double x = (c.box.left + c.box.right) / 2.0, y = (c.box.top + c.box.bottom) / 2.0;
        pts.push_back({x, y});
        maxX = std::max(maxX, x);
        maxY = std::max(maxY, y);
    }
    // Too few characters to tell a slant from chance.
    if (pts.size() < 40) return 0;
    const double bin = 3;
    std::vector<double> hist;
    // Sharpness of the projections of the centres along lines of slope t:
    // across (rows of text) and along (columns of vertical text).
    auto sharpness = [&](double t, bool rows) {
        double lo = rows ? -maxX * std::abs(t) : 0, hi = rows ? maxY + maxX * std::abs(t) : maxX + maxY * std::abs(t);
        if (!rows) lo = -maxY * std::abs(t);
        hist.assign(static_cast<std::size_t>((hi - lo) / bin) + 3, 0.0);
        for (auto& [x, y] : pts) {
            double v = rows ? y - x * t : x + y * t;
            auto k = static_cast<std::size_t>(std::max(0.0, (v - lo) / bin));
            if (k < hist.size()) hist[k] += 1;
        }
        double s = 0;
        for (double h : hist) s += h * h;
        return s;
    };
    double rows0 = sharpness(0, true), cols0 = sharpness(0, false);
    auto score = [&](double degrees) {
        double t = std::tan(degrees * std::numbers::pi / 180.0);
        return sharpness(t, true) / rows0 + sharpness(t, false) / cols0;
    };
    // A slant must sharpen the projections clearly to be believed.
    double best = 0, bestScore = score(0) * 1.03;
    for (int i = -30; i <= 30; ++i) {
        double d = i * 0.1, s = score(d);
        if (s > bestScore) {
            bestScore = s;
            best = d;
        }
    }
    double centre = best;
    for (int i = -5; i <= 5; ++i) {
        double d = centre + i * 0.02, s = score(d);
        if (s > bestScore) {
            bestScore = s;
            best = d;
        }
    }
    return best;
}

}  // namespace ocrkit
