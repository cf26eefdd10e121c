#include "outside/ocrkit/bands.h"

#include <algorithm>

#include "outside/ocrkit/plane.h"

namespace ocrkit {

std::vector<std::pair<int, int>> findBands(const std::vector<int>& profile, int minGap) {
    std::vector<std::pair<int, int>> bands;
    if (profile.empty()) return bands;
    int peak = *std::max_element(profile.begin(), profile.end());
    if (peak <= 0) return bands;
    // Scattered specks give a low floor everywhere; text rows stand far above it.
    int threshold = std::max(1, peak / 40);
    int start = -1;
    for (int i = 0; i <= static_cast<int>(profile.size()); ++i) {
        bool ink = i < static_cast<int>(profile.size()) && profile[i] >= threshold;
        if (ink && start < 0) start = i;
        if (!ink && start >= 0) {
            if (!bands.empty() && start - bands.back().second - 1 < minGap)
                bands.back().second = i - 1;
            else
                bands.push_back({start, i - 1});
            start = -1;
        }
    }
    if (bands.size() < 2) {
        if (!bands.empty() && bands[0].second - bands[0].first < 2) bands.clear();
        return bands;
    }
    std::vector<int> thick;
    for (auto& b : bands) thick.push_back(b.second - b.first + 1);
    int typical = median(thick);
    std::vector<std::pair<int, int>> out;
    for (std::size_t i = 0; i < bands.size(); ++i) {
        auto b = bands[i];
        int t = b.second - b.first + 1;
        if (t * 3 >= typical) {
            out.push_back(b);
            continue;
        }
        // A thin band: a detached accent, dot or stroke of a neighbouring line.
        int gapPrev = out.empty() ? 1 << 30 : b.first - out.back().second - 1;
        int gapNext = i + 1 < bands.size() ? bands[i + 1].first - b.second - 1 : 1 << 30;
        int limit = std::max(typical / 2, 2);
        if (gapPrev <= gapNext && gapPrev <= limit) {
            out.back().second = b.second;
        } else if (gapNext <= limit) {
            bands[i + 1].first = b.first;
        }
        // Otherwise an isolated speck: dropped.
    }
    return out;
}

}  // namespace ocrkit
