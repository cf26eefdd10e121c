#include "outside/ocrkit/codepage.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iconv.h>
#include <mutex>

#include "platform/win/types.h"

// The platform's code-page query, when the platform layer provides it.
UINT GetACP() __attribute__((weak));

namespace ocrkit {

namespace {

const char* iconvName(int codePage) {
    switch (codePage) {
    case 936: return "GBK";
    case 950: return "BIG5";
    case 65001: return "UTF-8";
    default: return "WINDOWS-1252";
    }
}

// Converts all of in; false on an unconvertible or invalid sequence unless
// lenient, where such bytes become replacement.
bool convert(const char* to, const char* from, const std::string& in, std::string& out, bool lenient,
             const std::string& replacement) {
    out.clear();
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    bool ok = true;
    char* src = const_cast<char*>(in.data());
    std::size_t left = in.size();
    char buf[1024];
    while (left > 0) {
        char* dst = buf;
        std::size_t room = sizeof buf;
        std::size_t r = iconv(cd, &src, &left, &dst, &room);
        out.append(buf, dst - buf);
        if (r == static_cast<std::size_t>(-1)) {
            if (errno == E2BIG) continue;
            if (!lenient) {
                ok = false;
                break;
            }
            out += replacement;
            ++src;
            --left;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    char* dst = buf;
    std::size_t room = sizeof buf;
    iconv(cd, nullptr, nullptr, &dst, &room);
    out.append(buf, dst - buf);
    iconv_close(cd);
    return ok;
}

}  // namespace

bool fromUtf8(const std::string& utf8, int codePage, std::string& out) {
    return convert(iconvName(codePage), "UTF-8", utf8, out, false, {});
}

std::string toUtf8(const std::string& text, int codePage) {
    std::string out;
    convert("UTF-8", iconvName(codePage), text, out, true, "\xEF\xBF\xBD");
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

int ansiCodePage() {
    if (GetACP) return static_cast<int>(GetACP());
    if (const char* forced = std::getenv("SUITE_ACP"); forced && *forced) return std::atoi(forced) == 950 ? 950 : 936;
    return 936;
}

}  // namespace ocrkit
