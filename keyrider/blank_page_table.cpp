#include "keyrider/blank_page_table.h"

#include <algorithm>
#include <string>

#include "keyrider/startup_registry.h"
#include "platform/win/registry.h"

namespace keyrider {

void BlankPageTable::Read(HKEY installerKey) {
    rows_.clear();
    HKEY colour = nullptr, gray = nullptr, bw = nullptr;
    if (!installerKey || RegOpenKeyExA(installerKey, "Remove Blank Page\\Color", 0, KEY_READ, &colour) != ERROR_SUCCESS)
        return;
    RegOpenKeyExA(installerKey, "Remove Blank Page\\Gray", 0, KEY_READ, &gray);
    RegOpenKeyExA(installerKey, "Remove Blank Page\\BW", 0, KEY_READ, &bw);
    // Bounded: a table of more levels than the scrollbar can show is cut.
    for (int n = 1; n <= 1000; ++n) {
        const std::string name = std::to_string(n);
        bool found = false;
        UTILITY_BLANKPAGE row{};
        row.Color = ReadDword(colour, name.c_str(), 0, &found);
        if (!found) break;
        row.Gray = ReadDword(gray, name.c_str(), 100);
        row.BW = ReadDword(bw, name.c_str(), 100);
        rows_.push_back(row);
    }
    for (HKEY k : {colour, gray, bw})
        if (k) RegCloseKey(k);
}

UTILITY_BLANKPAGE BlankPageTable::Thresholds(int level) const {
    if (rows_.empty()) return UTILITY_BLANKPAGE{};
    return rows_[std::size_t(std::clamp(level, 0, int(rows_.size()) - 1))];
}

UTILITY_BLANKPAGE BlankPageTable::RowOrZero(int level) const {
    if (level < 0 || level >= int(rows_.size())) return UTILITY_BLANKPAGE{};
    return rows_[std::size_t(level)];
}

int BlankPageTable::CheckedLevel(DWORD stored) { return stored <= 14 ? int(stored) : 0; }

}  // namespace keyrider
