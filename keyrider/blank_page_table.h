// The blank-page thresholds: one row a sensitivity level, with colour, gray
// and black-and-white thresholds, from "Remove Blank Page\Color", "\Gray"
// and "\BW" of the installer key.
#pragma once

#include <vector>

#include "outside/include/button_utility.h"

namespace keyrider {

class BlankPageTable {
public:
    // The colour key's values "1", "2"... until the first missing one give the
    // rows; a missing gray or black-and-white value counts 100.
    void Read(HKEY installerKey);
    int Count() const { return int(rows_.size()); }
    // The row of `level`, clamped into the table; all zero when it has no rows.
    UTILITY_BLANKPAGE Thresholds(int level) const;
    // The row of `level`; all zero when `level` is outside the table.
    UTILITY_BLANKPAGE RowOrZero(int level) const;
    // A stored sensitivity level: 0..14, anything else reads as 0.
    static int CheckedLevel(DWORD stored);

private:
    std::vector<UTILITY_BLANKPAGE> rows_;
};

}  // namespace keyrider
