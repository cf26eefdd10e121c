#include "outside/ocrkit/codepage.h"

#include <algorithm>
#include <string_view>

#include "platform/win/codepage.h"

namespace ocrkit {

// The conversions themselves are the platform's, so the engines write the
// very codes the system reads back.

bool fromUtf8(const std::string& utf8, int codePage, std::string& out) {
    bool exact = false;
    out = suite::Utf8ToAnsi(utf8, static_cast<UINT>(codePage), &exact);
    return exact;
}

std::string toUtf8(const std::string& text, int codePage) {
    const UINT cp = static_cast<UINT>(codePage);
    bool exact = false;
    std::string whole = suite::AnsiToUtf8(text, cp, &exact);
    // UTF-8 input already comes back with U+FFFD for what does not decode.
    if (exact || suite::ResolveCodePage(cp) == CP_UTF8) return whole;
    // Character by character, so that each one that does not decode becomes
    // U+FFFD rather than a question mark that could be real text.
    std::string out;
    const std::string_view bytes(text);
    for (std::size_t i = 0; i < bytes.size();) {
        std::size_t n = suite::AnsiCharLength(bytes, i, cp);
        std::string one = suite::AnsiToUtf8(bytes.substr(i, n), cp, &exact);
        out += exact ? one : std::string("\xEF\xBF\xBD");
        i += n;
    }
    return out;
}

std::vector<std::string> splitUtf8(const std::string& s) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
        n = std::min(n, s.size() - i);
        out.push_back(s.substr(i, n));
        i += n;
    }
    return out;
}

char32_t firstCodePoint(const std::string& s) {
    if (s.empty()) return 0;
    unsigned char c = static_cast<unsigned char>(s[0]);
    auto cont = [&](std::size_t i) -> char32_t {
        return i < s.size() ? static_cast<unsigned char>(s[i]) & 0x3F : 0;
    };
    if (c < 0x80) return c;
    if ((c >> 5) == 6) return (char32_t(c & 0x1F) << 6) | cont(1);
    if ((c >> 4) == 14) return (char32_t(c & 0x0F) << 12) | (cont(1) << 6) | cont(2);
    if ((c >> 3) == 30) return (char32_t(c & 0x07) << 18) | (cont(1) << 12) | (cont(2) << 6) | cont(3);
    return c;
}

bool isWideCharacter(char32_t c) {
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
           (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0x20000 && c <= 0x3FFFF) || (c >= 0x2010 && c <= 0x2027) ||
           (c >= 0x3000 && c <= 0x303F);
}

std::uint16_t packCode(const std::string& b) {
    if (b.empty()) return 0;
    if (b.size() == 1) return static_cast<unsigned char>(b[0]);
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[0]) | (static_cast<unsigned char>(b[1]) << 8));
}

std::string unpackCode(std::uint16_t code) {
    std::string s;
    if (code == 0) return s;
    if (code < 0x100) {
        s.push_back(static_cast<char>(code));
        return s;
    }
    s.push_back(static_cast<char>(code & 0xFF));
    s.push_back(static_cast<char>(code >> 8));
    return s;
}

int ansiCodePage() { return static_cast<int>(GetACP()); }

std::uint16_t unknownCode(int codePage) { return codePage == 950 ? 0xBCA1 : 0xF5A1; }

}  // namespace ocrkit
