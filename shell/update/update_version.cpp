#include "shell/update/update_version.h"

#include <limits>

namespace {

// The leading decimal number of `part` (spaces and a sign allowed before it),
// held within the range of long; 0 when there is none.
long leadingNumber(std::string_view part) {
    std::size_t i = 0;
    while (i < part.size() && (part[i] == ' ' || part[i] == '\t')) ++i;
    bool negative = false;
    if (i < part.size() && (part[i] == '-' || part[i] == '+')) negative = part[i++] == '-';
    long value = 0;
    constexpr long kMax = std::numeric_limits<long>::max();
    for (; i < part.size() && part[i] >= '0' && part[i] <= '9'; ++i) {
        const int digit = part[i] - '0';
        value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
    }
    return negative ? -value : value;
}

}  // namespace

UpdateVersion ParseUpdateVersion(std::string_view text) {
    UpdateVersion v{0, 0, 0};
    for (std::size_t part = 0; part < 3; ++part) {
        const std::size_t dot = part < 2 ? text.find('.') : std::string_view::npos;
        v[part] = leadingNumber(text.substr(0, dot));
        if (dot == std::string_view::npos) break;
        text.remove_prefix(dot + 1);
    }
    return v;
}

int CompareUpdateVersions(const UpdateVersion& a, const UpdateVersion& b) {
    for (std::size_t i = 0; i < 3; ++i)
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    return 0;
}
