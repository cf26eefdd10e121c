// Text lines (or columns) of a block from its projection profile.
#pragma once

#include <utility>
#include <vector>

namespace ocrkit {

// Bands of profile: runs whose values lie above a small ink threshold, closed
// over gaps narrower than minGap; bands much thinner than the typical band
// join their nearer neighbour or, when isolated, are dropped as specks.
// Offsets are into the profile, inclusive.
std::vector<std::pair<int, int>> findBands(const std::vector<int>& profile, int minGap);

}  // namespace ocrkit
