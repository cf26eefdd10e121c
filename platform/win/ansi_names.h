// Case rules for names in the ANSI code page (registry keys and values, ini
// sections and keys): ASCII letters match without regard to case, double-byte
// characters match byte for byte. The rule does not depend on the process's
// code page, so folded names stored in a database stay valid whatever code
// page a later process uses.
#pragma once

#include <string>
#include <string_view>

namespace suite {

// True when `lead` and the byte after it form one double-byte character of the
// ANSI code pages the suite uses (lead 0x81-0xFE, trail 0x40-0xFE but 0x7F).
constexpr bool IsDoubleByte(unsigned char lead, unsigned char trail) {
    return lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE && trail != 0x7F;
}

// True when position `i` of `text` starts a double-byte character.
inline bool StartsDoubleByte(std::string_view text, size_t i) {
    return i + 1 < text.size() &&
           IsDoubleByte(static_cast<unsigned char>(text[i]), static_cast<unsigned char>(text[i + 1]));
}

// The comparison form of a name: ASCII letters upper-cased, double-byte
// characters untouched (their trail bytes may look like ASCII letters).
inline std::string FoldName(std::string_view name) {
    std::string out(name);
    for (size_t i = 0; i < out.size(); ++i) {
        if (StartsDoubleByte(out, i)) {
            ++i;  // keep the trail byte as it is
        } else if (out[i] >= 'a' && out[i] <= 'z') {
            out[i] = static_cast<char>(out[i] - 'a' + 'A');
        }
    }
    return out;
}

// Whether two names are one under the rule above (FoldName(a) == FoldName(b)),
// without building the folded forms.
inline bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    bool trailA = false, trailB = false;  // the byte is the trail of a double-byte character
    for (size_t i = 0; i < a.size(); ++i) {
        if ((trailA ? a[i] : upper(a[i])) != (trailB ? b[i] : upper(b[i]))) return false;
        trailA = !trailA && StartsDoubleByte(a, i);
        trailB = !trailB && StartsDoubleByte(b, i);
    }
    return true;
}

// The first `c` at or after `from` that is not a trail byte; npos when none.
inline size_t FindAnsiChar(std::string_view text, char c, size_t from = 0) {
    for (size_t i = from; i < text.size(); ++i) {
        if (StartsDoubleByte(text, i))
            ++i;
        else if (text[i] == c)
            return i;
    }
    return std::string_view::npos;
}

}  // namespace suite
