#include "platform/win/codepage.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/win/errors.h"

namespace {

constexpr char16_t kUnmapped = 0xFFFF;
constexpr char16_t kReplacement = 0xFFFD;

// One code page as lookup tables, built once through iconv. Double-byte pairs
// are indexed by lead * 256 + trail; the reverse table maps a UTF-16 unit to a
// single byte (< 0x100) or a pair (lead * 256 + trail), 0 meaning unmapped
// (U+0000 is handled apart).
struct CodePageTable {
    bool doubleByte = false;
    std::array<char16_t, 256> single{};
    std::vector<char16_t> pairs;    // 65536 entries when doubleByte
    std::vector<std::uint16_t> fromUnicode;  // 65536 entries
};

bool isLeadByte(UINT cp, unsigned char b) { return (cp == 936 || cp == 950) && b >= 0x81 && b <= 0xFE; }
bool isTrailByte(unsigned char b) { return b >= 0x40 && b != 0x7F && b != 0xFF; }

// Whether s[i] starts a double-byte character of the code page.
bool startsPair(UINT cp, const unsigned char* s, size_t n, size_t i) {
    return isLeadByte(cp, s[i]) && i + 1 < n && isTrailByte(s[i + 1]);
}

// Converts one character's bytes with iconv; returns kUnmapped when iconv refuses them.
char16_t convertOne(iconv_t cd, const unsigned char* bytes, size_t count) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char in[2];
    std::memcpy(in, bytes, count);
    char out[8];
    char* inp = in;
    size_t inLeft = count;
    char* outp = out;
    size_t outLeft = sizeof out;
    if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1) || inLeft != 0) return kUnmapped;
    if (sizeof out - outLeft != 2) return kUnmapped;  // nothing, or outside the basic plane
    return static_cast<char16_t>(static_cast<unsigned char>(out[0]) | (static_cast<unsigned char>(out[1]) << 8));
}

std::unique_ptr<CodePageTable> buildTable(UINT cp) {
    const char* name = cp == 936 ? "CP936" : cp == 950 ? "CP950" : "CP1252";
    iconv_t cd = iconv_open("UTF-16LE", name);
    if (cd == reinterpret_cast<iconv_t>(-1)) return nullptr;
    auto t = std::make_unique<CodePageTable>();
    t->doubleByte = cp == 936 || cp == 950;
    t->fromUnicode.assign(65536, 0);
    for (unsigned b = 0; b < 256; ++b) {
        unsigned char byte = static_cast<unsigned char>(b);
        char16_t u = kUnmapped;
        if (b < 0x80) {
            u = static_cast<char16_t>(b);
        } else if (!isLeadByte(cp, byte)) {
            u = convertOne(cd, &byte, 1);
            // Undefined single bytes of 1252 stand for the control character of the same value.
            if (u == kUnmapped && cp == 1252) u = static_cast<char16_t>(b);
        }
        t->single[b] = u;
        if (u != kUnmapped && u != 0 && t->fromUnicode[u] == 0) t->fromUnicode[u] = static_cast<std::uint16_t>(b);
    }
    if (t->doubleByte) {
        t->pairs.assign(65536, kUnmapped);
        for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
            for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
                if (trail == 0x7F) continue;
                unsigned char pair[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
                char16_t u = convertOne(cd, pair, 2);
                unsigned code = lead * 256 + trail;
                t->pairs[code] = u;
                if (u != kUnmapped && u != 0 && t->fromUnicode[u] == 0) t->fromUnicode[u] = static_cast<std::uint16_t>(code);
            }
        }
    }
    iconv_close(cd);
    return t;
}

const CodePageTable* tableFor(UINT cp) {
    static const std::unique_ptr<CodePageTable> gbk = buildTable(936);
    static const std::unique_ptr<CodePageTable> big5 = buildTable(950);
    static const std::unique_ptr<CodePageTable> latin = buildTable(1252);
    switch (cp) {
    case 936: return gbk.get();
    case 950: return big5.get();
    case 1252: return latin.get();
    default: return nullptr;
    }
}

bool startsWith(const char* text, const char* prefix) { return std::strncmp(text, prefix, std::strlen(prefix)) == 0; }

LANGID computeLangId() {
    if (const char* forced = std::getenv("SUITE_LANGID"); forced && *forced) {
        char* end = nullptr;
        unsigned long v = std::strtoul(forced, &end, 0);
        if (end && *end == '\0' && v > 0 && v <= 0xFFFF) return static_cast<LANGID>(v);
    }
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(var);
        if (value && *value) return suite::LangIdFromLocale(value);
    }
    return 1033;
}

UINT computeAcp() {
    if (const char* forced = std::getenv("SUITE_ACP"); forced && *forced) {
        unsigned long v = std::strtoul(forced, nullptr, 10);
        if (v == 936 || v == 950 || v == 1252 || v == 65001) return static_cast<UINT>(v);
    }
    return suite::AnsiCodePageForLangID(GetSystemDefaultLangID());
}

// ---- decoding and encoding into growing buffers ----

// Decodes UTF-8; an invalid sequence yields one U+FFFD per offending byte
// run and clears `exact`.
void decodeUtf8(const unsigned char* s, size_t n, std::u16string& out, bool& exact) {
    size_t i = 0;
    while (i < n) {
        unsigned c = s[i];
        if (c < 0x80) {
            out.push_back(static_cast<char16_t>(c));
            ++i;
            continue;
        }
        int extra = 0;
        char32_t cp = 0;
        char32_t min = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1F;
            min = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0F;
            min = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
            min = 0x10000;
        } else {
            out.push_back(kReplacement);
            exact = false;
            ++i;
            continue;
        }
        size_t j = i + 1;
        bool good = true;
        for (int k = 0; k < extra; ++k, ++j) {
            if (j >= n || (s[j] & 0xC0) != 0x80) {
                good = false;
                break;
            }
            cp = (cp << 6) | (s[j] & 0x3F);
        }
        if (!good || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(kReplacement);
            exact = false;
            i = good ? j : std::max(j, i + 1);
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i = j;
    }
}

void encodeUtf8(const char16_t* s, size_t n, std::string& out, bool& exact) {
    for (size_t i = 0; i < n; ++i) {
        char32_t cp = s[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = kReplacement;
            exact = false;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
}

// Decodes a table code page. A lead byte whose next byte is no trail byte is
// one bad character on its own, so the next byte (an ASCII letter, a NUL) is kept.
void decodeTable(const CodePageTable& t, UINT cp, const unsigned char* s, size_t n, std::u16string& out, bool& exact) {
    for (size_t i = 0; i < n; ++i) {
        unsigned char b = s[i];
        if (t.doubleByte && isLeadByte(cp, b)) {
            if (startsPair(cp, s, n, i)) {
                char16_t u = t.pairs[b * 256u + s[i + 1]];
                ++i;
                if (u != kUnmapped) {
                    out.push_back(u);
                    continue;
                }
            }
            out.push_back(u'?');
            exact = false;
            continue;
        }
        char16_t u = t.single[b];
        if (u == kUnmapped) {
            out.push_back(u'?');
            exact = false;
        } else {
            out.push_back(u);
        }
    }
}

void encodeTable(const CodePageTable& t, const char16_t* s, size_t n, std::string_view defaultChar, std::string& out,
                 bool& exact) {
    for (size_t i = 0; i < n; ++i) {
        char16_t u = s[i];
        std::uint16_t code = u == 0 ? 0 : t.fromUnicode[u];
        if (u != 0 && code == 0) {
            exact = false;
            out.append(defaultChar);
            // A surrogate pair is one character: one default character for both halves.
            if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) ++i;
            continue;
        }
        if (code >= 0x100) out.push_back(static_cast<char>(code >> 8));
        out.push_back(static_cast<char>(code & 0xFF));
    }
}

bool decode(UINT cp, const char* s, size_t n, std::u16string& out, bool& exact) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(s);
    if (cp == CP_UTF8) {
        decodeUtf8(bytes, n, out, exact);
        return true;
    }
    const CodePageTable* t = tableFor(cp);
    if (!t) return false;
    decodeTable(*t, cp, bytes, n, out, exact);
    return true;
}

bool encode(UINT cp, const char16_t* s, size_t n, std::string_view defaultChar, std::string& out, bool& exact) {
    if (cp == CP_UTF8) {
        encodeUtf8(s, n, out, exact);
        return true;
    }
    const CodePageTable* t = tableFor(cp);
    if (!t) return false;
    encodeTable(*t, s, n, defaultChar, out, exact);
    return true;
}

unsigned char asciiUpper(unsigned char c) { return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c; }
unsigned char asciiLower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

// Applies `change` to every single-byte character, stepping over double-byte ones whole.
template <typename F>
void changeCase(char* text, size_t length, UINT cp, F change) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    for (size_t i = 0; i < length; ++i) {
        if (startsPair(cp, bytes, length, i)) {
            ++i;
            continue;
        }
        text[i] = static_cast<char>(change(bytes[i]));
    }
}

// The buffer rules of both conversions: a size query with dstLen 0, else all
// of it or nothing with ERROR_INSUFFICIENT_BUFFER.
template <typename String>
int deliver(const String& out, bool refused, typename String::value_type* dst, int dstLen) {
    if (refused) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    if (out.size() > 0x7FFFFFFF) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int needed = static_cast<int>(out.size());
    if (dstLen == 0) return needed;
    if (needed > dstLen) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(dst, out.data(), out.size() * sizeof(typename String::value_type));
    return needed;
}

}  // namespace

namespace suite {

bool IsTraditionalChineseLangID(LANGID id) { return id == 1028 || id == 3076 || id == 5124; }

LANGID LangIdFromLocale(const char* locale) {
    if (!locale || !*locale) return 1033;
    if (startsWith(locale, "zh_TW")) return 1028;
    if (startsWith(locale, "zh_HK")) return 3076;
    if (startsWith(locale, "zh_MO")) return 5124;
    if (startsWith(locale, "zh_SG")) return 4100;
    if (startsWith(locale, "zh")) return 2052;
    return 1033;
}

UINT AnsiCodePageForLangID(LANGID id) { return IsTraditionalChineseLangID(id) ? 950u : 936u; }

UINT ResolveCodePage(UINT codePage) {
    if (codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_THREAD_ACP) return GetACP();
    return codePage;
}

bool IsSupportedCodePage(UINT codePage) {
    UINT cp = ResolveCodePage(codePage);
    return cp == CP_UTF8 || tableFor(cp) != nullptr;
}

std::u16string AnsiToUtf16(std::string_view ansi, UINT codePage, bool* ok) {
    std::u16string out;
    bool exact = true;
    if (!decode(ResolveCodePage(codePage), ansi.data(), ansi.size(), out, exact)) exact = false;
    if (ok) *ok = exact;
    return out;
}

std::string Utf16ToAnsi(std::u16string_view text, UINT codePage, bool* ok) {
    std::string out;
    bool exact = true;
    if (!encode(ResolveCodePage(codePage), text.data(), text.size(), "?", out, exact)) exact = false;
    if (ok) *ok = exact;
    return out;
}

std::u16string Utf8ToUtf16(std::string_view utf8, bool* ok) { return AnsiToUtf16(utf8, CP_UTF8, ok); }

std::string Utf16ToUtf8(std::u16string_view text, bool* ok) { return Utf16ToAnsi(text, CP_UTF8, ok); }

std::string AnsiToUtf8(std::string_view ansi, UINT codePage, bool* ok) {
    UINT cp = ResolveCodePage(codePage);
    bool exact = true;
    std::u16string wide = AnsiToUtf16(ansi, cp, &exact);
    std::string out = Utf16ToUtf8(wide);
    if (ok) *ok = exact && IsSupportedCodePage(cp);
    return out;
}

std::string Utf8ToAnsi(std::string_view utf8, UINT codePage, bool* ok) {
    bool decoded = true;
    bool encoded = true;
    std::string out = Utf16ToAnsi(Utf8ToUtf16(utf8, &decoded), codePage, &encoded);
    if (ok) *ok = decoded && encoded;
    return out;
}

size_t AnsiCharLength(std::string_view text, size_t i, UINT codePage) {
    if (i >= text.size()) return 0;
    return startsPair(ResolveCodePage(codePage), reinterpret_cast<const unsigned char*>(text.data()), text.size(), i) ? 2 : 1;
}

std::string AnsiToUpper(std::string_view ansi, UINT codePage) {
    std::string s(ansi);
    changeCase(s.data(), s.size(), ResolveCodePage(codePage), asciiUpper);
    return s;
}

std::string AnsiToLower(std::string_view ansi, UINT codePage) {
    std::string s(ansi);
    changeCase(s.data(), s.size(), ResolveCodePage(codePage), asciiLower);
    return s;
}

int AnsiCompareNoCase(std::string_view a, std::string_view b, UINT codePage) {
    std::string la = AnsiToLower(a, codePage);
    std::string lb = AnsiToLower(b, codePage);
    int c = std::memcmp(la.data(), lb.data(), std::min(la.size(), lb.size()));
    if (c != 0) return c < 0 ? -1 : 1;
    return la.size() < lb.size() ? -1 : la.size() > lb.size() ? 1 : 0;
}

}  // namespace suite

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int srcLen, LPWSTR dst, int dstLen) {
    UINT cp = suite::ResolveCodePage(codePage);
    if (!src || srcLen == 0 || srcLen < -1 || dstLen < 0 || (dstLen > 0 && !dst) || !suite::IsSupportedCodePage(cp)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t n = srcLen == -1 ? std::strlen(src) + 1 : static_cast<size_t>(srcLen);
    std::u16string out;
    bool exact = true;
    decode(cp, src, n, out, exact);
    return deliver(out, !exact && (flags & MB_ERR_INVALID_CHARS), dst, dstLen);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR src, int srcLen, LPSTR dst, int dstLen,
                        LPCSTR defaultChar, LPBOOL usedDefault) {
    UINT cp = suite::ResolveCodePage(codePage);
    if (!src || srcLen == 0 || srcLen < -1 || dstLen < 0 || (dstLen > 0 && !dst) || !suite::IsSupportedCodePage(cp) ||
        (cp == CP_UTF8 && (defaultChar || usedDefault))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t n = srcLen == -1 ? std::char_traits<char16_t>::length(src) + 1 : static_cast<size_t>(srcLen);
    // The default character is the first character of the given text.
    std::string_view fallback = "?";
    if (defaultChar && *defaultChar) {
        fallback = std::string_view(defaultChar, suite::AnsiCharLength(std::string_view(defaultChar, defaultChar[1] ? 2 : 1), 0, cp));
    }
    std::string out;
    bool exact = true;
    encode(cp, src, n, fallback, out, exact);
    if (usedDefault) *usedDefault = exact ? FALSE : TRUE;
    return deliver(out, !exact && cp == CP_UTF8 && (flags & WC_ERR_INVALID_CHARS), dst, dstLen);
}

BOOL IsDBCSLeadByteEx(UINT codePage, BYTE byte) { return isLeadByte(suite::ResolveCodePage(codePage), byte) ? TRUE : FALSE; }

BOOL IsDBCSLeadByte(BYTE byte) { return IsDBCSLeadByteEx(CP_ACP, byte); }

UINT GetACP() {
    static const UINT acp = computeAcp();
    return acp;
}

UINT GetOEMCP() { return GetACP(); }

LANGID GetSystemDefaultLangID() {
    static const LANGID id = computeLangId();
    return id;
}

LANGID GetUserDefaultLangID() { return GetSystemDefaultLangID(); }

LCID GetSystemDefaultLCID() { return GetSystemDefaultLangID(); }

LCID GetUserDefaultLCID() { return GetUserDefaultLangID(); }

LPSTR CharNextA(LPCSTR text) {
    if (!text || !*text) return const_cast<LPSTR>(text);
    return const_cast<LPSTR>(text + suite::AnsiCharLength(std::string_view(text, text[1] ? 2 : 1), 0));
}

LPSTR CharPrevA(LPCSTR start, LPCSTR current) {
    if (!start || !current || current <= start) return const_cast<LPSTR>(start);
    // Walk from the start: a byte's role depends on everything before it.
    LPCSTR p = start;
    LPCSTR prev = start;
    while (p < current) {
        prev = p;
        p = CharNextA(p);
        if (p == prev) break;  // the terminating NUL
    }
    return const_cast<LPSTR>(prev);
}

LPSTR CharUpperA(LPSTR text) {
    if (text) changeCase(text, std::strlen(text), GetACP(), asciiUpper);
    return text;
}

LPSTR CharLowerA(LPSTR text) {
    if (text) changeCase(text, std::strlen(text), GetACP(), asciiLower);
    return text;
}

DWORD CharUpperBuffA(LPSTR text, DWORD length) {
    if (!text) return 0;
    changeCase(text, length, GetACP(), asciiUpper);
    return length;
}

DWORD CharLowerBuffA(LPSTR text, DWORD length) {
    if (!text) return 0;
    changeCase(text, length, GetACP(), asciiLower);
    return length;
}

int lstrcmpiA(LPCSTR a, LPCSTR b) { return suite::AnsiCompareNoCase(a ? a : "", b ? b : ""); }

int lstrcmpA(LPCSTR a, LPCSTR b) {
    int c = std::strcmp(a ? a : "", b ? b : "");
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

int lstrlenA(LPCSTR text) { return text ? static_cast<int>(std::strlen(text)) : 0; }
