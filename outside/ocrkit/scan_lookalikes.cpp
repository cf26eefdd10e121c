#include "outside/ocrkit/scan_lookalikes.h"

#include <algorithm>
#include <cctype>

namespace ocrkit {

std::vector<std::string> lettersLike(const std::string& reading) {
    static const std::vector<std::string> groups{"0OoQD", "1lI|i!", "ij", "5Ss", "2Zz", "8B", "6b", "9gq", "nhr", "uv", "ce"};
    std::vector<std::string> out;
    if (reading.size() != 1 || !std::isalnum(static_cast<unsigned char>(reading[0]))) return out;
    const char c = reading[0];
    auto add = [&](char k) {
        if (k != c && std::find(out.begin(), out.end(), std::string(1, k)) == out.end()) out.push_back(std::string(1, k));
    };
    if (std::isalpha(static_cast<unsigned char>(c)))
        add(static_cast<char>(std::isupper(static_cast<unsigned char>(c)) ? std::tolower(c) : std::toupper(c)));
    for (const std::string& g : groups)
        if (g.find(c) != std::string::npos)
            for (char k : g) add(k);
    return out;
}

std::vector<std::string> bulletsLike(const std::string& reading) {
    static const std::vector<std::string> marks{"*", "+", "\u00B0", "\u25A1", "\u00B7"};
    if (std::find(marks.begin(), marks.end(), reading) == marks.end()) return {};
    return {"\u2022"};
}

}  // namespace ocrkit
