// Version texts of the update check: three numbers joined by dots ("8.1.10").
// Each part is read as a decimal number (leading digits, else 0); the third
// part is the rest of the text; missing parts are 0. Versions compare part by
// part as numbers, so 8.1.10 is newer than 8.1.9.
#pragma once

#include <array>
#include <string_view>

using UpdateVersion = std::array<long, 3>;

UpdateVersion ParseUpdateVersion(std::string_view text);
// Negative, 0 or positive as a is older than, equal to or newer than b.
int CompareUpdateVersions(const UpdateVersion& a, const UpdateVersion& b);
