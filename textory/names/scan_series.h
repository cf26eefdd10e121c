// Names of scanned pages: a series is one folder, one extension and one stem
// ending in a 3-digit counter (page001.jpg, page002.jpg ...).
#pragma once

#include <string>

namespace textory {

// TRUE when both paths (non-empty) name the same series: same drive, folder
// and extension without regard to case, and equal stems, or stems longer than
// 2 characters that both end in 3 digits and agree before them.
bool IsSameSeries(const std::string& a, const std::string& b);

// The last 3 characters of the stem read as a number (non-digits as 0) plus
// 1, 1000 wrapping to 0, written back as 3 digits (a shorter stem is
// replaced whole): scan999.jpg → scan000.jpg, ab.jpg → 001.jpg.
std::string IncrementCounterSuffix(const std::string& path);

// The first counter name after `path` that no file has, tried at most 1001
// times. FALSE, `path` unchanged, when every one is taken.
bool NextFreeCounterName(std::string& path);

}  // namespace textory
