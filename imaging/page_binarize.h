// How page binarisation splits large pages into horizontal bands, each
// counted and thresholded on its own thread. The result never depends on the
// banding: band histograms are merged before the threshold is chosen.
#pragma once

#include <cstddef>

struct BinarizeBanding {
    int maxBands = 4;                    // 1: always on the calling thread
    std::size_t minPixels = 1u << 20;    // smaller pages stay on the calling thread
};

BinarizeBanding CurrentBinarizeBanding();
// Replaces the banding for every later call, from any thread (tests and benchmarks).
void SetBinarizeBanding(const BinarizeBanding& banding);
