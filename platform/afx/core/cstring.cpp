#include "platform/afx/core/cstring.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/afx/core/resource.h"
#include "platform/win/blanks.h"
#include "platform/win/codepage.h"

namespace {

bool IsLead(char c) { return IsDBCSLeadByte(static_cast<BYTE>(c)) != FALSE; }

size_t Clamp(int v, size_t hi) {
    if (v < 0) return 0;
    return std::min(static_cast<size_t>(v), hi);
}

// True when the character of `n` bytes at `c` is one of the characters of the
// NUL-terminated set. The set is walked by characters, so a single byte never
// matches the trail byte of a double-byte character in the set.
bool InSet(LPCSTR set, const char* c, size_t n) {
    if (!set || n == 0 || c[0] == '\0') return false;
    for (const char* p = set; *p;) {
        size_t len = static_cast<size_t>(AfxCharLength(p));
        if (len == n && std::memcmp(p, c, n) == 0) return true;
        p += len;
    }
    return false;
}

}  // namespace

int AfxCharLength(const char* p) { return *p ? static_cast<int>(CharNextA(p) - p) : 1; }

// The same pairing rule as the code-page conversions: a lead byte forms a
// character with the next byte only when that byte is a valid trail byte.
int CString::CharLen(size_t i) const { return static_cast<int>(suite::AnsiCharLength(m_s, i)); }

size_t CString::CharStart(size_t pos) const {
    if (pos >= m_s.size()) return m_s.size();
    // Any byte that is not a lead byte ends a character, so the walk can start
    // just after the last such byte before `pos`.
    size_t i = pos;
    while (i > 0 && IsLead(m_s[i - 1])) --i;
    while (i < pos) {
        size_t n = static_cast<size_t>(CharLen(i));
        if (i + n > pos) return i;
        i += n;
    }
    return pos;
}

size_t CString::CharEnd(size_t pos) const {
    size_t start = CharStart(pos);
    return start == pos ? pos : start + static_cast<size_t>(CharLen(start));
}

char CString::GetAt(int index) const {
    return (index >= 0 && static_cast<size_t>(index) < m_s.size()) ? m_s[static_cast<size_t>(index)] : '\0';
}

void CString::SetAt(int index, char ch) {
    if (index >= 0 && static_cast<size_t>(index) < m_s.size()) m_s[static_cast<size_t>(index)] = ch;
}

CString::CString(LPCSTR text) : m_s(text ? text : "") {}
CString::CString(LPCSTR text, int length) {
    if (text && length > 0) m_s.assign(text, static_cast<size_t>(length));
}
CString::CString(const unsigned char* text) : CString(reinterpret_cast<LPCSTR>(text)) {}
CString::CString(char ch, int repeat) {
    if (repeat > 0) m_s.assign(static_cast<size_t>(repeat), ch);
}

CString& CString::operator=(LPCSTR text) {
    if (text) {
        m_s = std::string(text);  // copy first: `text` may point into this string
    } else {
        m_s.clear();
    }
    return *this;
}
CString& CString::operator=(char ch) {
    m_s.assign(1, ch);
    return *this;
}
CString& CString::operator+=(LPCSTR s) {
    if (s) m_s += std::string(s);
    return *this;
}

CString operator+(const CString& a, const CString& b) { return CString(std::string_view(a.m_s + b.m_s)); }
CString operator+(const CString& a, LPCSTR b) {
    CString r(a);
    r += b;
    return r;
}
CString operator+(LPCSTR a, const CString& b) {
    CString r(a);
    r += b;
    return r;
}
CString operator+(const CString& a, char b) {
    CString r(a);
    r += b;
    return r;
}
CString operator+(char a, const CString& b) {
    CString r(a);
    r += b;
    return r;
}

int CString::Compare(LPCSTR other) const { return std::strcmp(m_s.c_str(), other ? other : ""); }

int CString::CompareNoCase(LPCSTR other) const {
    int r = suite::AnsiCompareNoCase(m_s, other ? std::string_view(other) : std::string_view());
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

CString CString::Mid(int first) const { return Mid(first, GetLength()); }
CString CString::Mid(int first, int count) const {
    size_t from = Clamp(first, m_s.size());
    size_t to = from + Clamp(count, m_s.size() - from);
    from = CharStart(from);
    to = CharStart(to);
    return CString(std::string_view(m_s).substr(from, to - from));
}
CString CString::Left(int count) const {
    return CString(std::string_view(m_s).substr(0, CharStart(Clamp(count, m_s.size()))));
}
CString CString::Right(int count) const {
    size_t n = Clamp(count, m_s.size());
    return CString(std::string_view(m_s).substr(CharStart(m_s.size() - n)));
}

CString CString::SpanIncluding(LPCSTR charSet) const {
    size_t i = 0;
    while (i < m_s.size() && InSet(charSet, &m_s[i], static_cast<size_t>(CharLen(i)))) i += static_cast<size_t>(CharLen(i));
    return Left(static_cast<int>(i));
}
CString CString::SpanExcluding(LPCSTR charSet) const {
    size_t i = 0;
    while (i < m_s.size() && !InSet(charSet, &m_s[i], static_cast<size_t>(CharLen(i)))) i += static_cast<size_t>(CharLen(i));
    return Left(static_cast<int>(i));
}

void CString::MakeUpper() { m_s = suite::AnsiToUpper(m_s); }
void CString::MakeLower() { m_s = suite::AnsiToLower(m_s); }
void CString::MakeReverse() {
    std::string r;
    r.reserve(m_s.size());
    for (size_t i = 0; i < m_s.size();) {
        size_t n = static_cast<size_t>(CharLen(i));
        r.insert(0, m_s, i, n);
        i += n;
    }
    m_s.swap(r);
}

void CString::TrimLeft() {
    size_t i = 0;
    while (i < m_s.size() && suite::IsBlank(m_s[i])) ++i;
    m_s.erase(0, i);
}
void CString::TrimLeft(char target) {
    const char set[2] = {target, '\0'};
    TrimLeft(set);
}
void CString::TrimLeft(LPCSTR targets) {
    size_t i = 0;
    while (i < m_s.size() && InSet(targets, &m_s[i], static_cast<size_t>(CharLen(i)))) i += static_cast<size_t>(CharLen(i));
    m_s.erase(0, i);
}

void CString::TrimRight() {
    // Walk forward so a trail byte that happens to be a space-like byte is not taken.
    size_t keep = 0;
    for (size_t i = 0; i < m_s.size(); i += static_cast<size_t>(CharLen(i))) {
        if (!(CharLen(i) == 1 && suite::IsBlank(m_s[i]))) keep = i + static_cast<size_t>(CharLen(i));
    }
    m_s.resize(keep);
}
void CString::TrimRight(char target) {
    const char set[2] = {target, '\0'};
    TrimRight(set);
}
void CString::TrimRight(LPCSTR targets) {
    size_t keep = 0;
    for (size_t i = 0; i < m_s.size(); i += static_cast<size_t>(CharLen(i))) {
        if (!InSet(targets, &m_s[i], static_cast<size_t>(CharLen(i)))) keep = i + static_cast<size_t>(CharLen(i));
    }
    m_s.resize(keep);
}

int CString::Replace(char oldChar, char newChar) {
    int count = 0;
    if (oldChar == newChar) return 0;
    for (size_t i = 0; i < m_s.size(); i += static_cast<size_t>(CharLen(i))) {
        if (CharLen(i) == 1 && m_s[i] == oldChar) {
            m_s[i] = newChar;
            ++count;
        }
    }
    return count;
}

int CString::Replace(LPCSTR oldText, LPCSTR newText) {
    if (!oldText || !*oldText) return 0;
    const std::string from(oldText);
    const std::string to(newText ? newText : "");
    std::string out;
    int count = 0;
    size_t i = 0;
    while (i < m_s.size()) {
        if (m_s.compare(i, from.size(), from) == 0) {
            out += to;
            i += from.size();
            ++count;
        } else {
            size_t n = static_cast<size_t>(CharLen(i));
            out.append(m_s, i, n);
            i += n;
        }
    }
    if (count) m_s.swap(out);
    return count;
}

int CString::Remove(char ch) {
    std::string out;
    out.reserve(m_s.size());
    int count = 0;
    for (size_t i = 0; i < m_s.size();) {
        size_t n = static_cast<size_t>(CharLen(i));
        if (n == 1 && m_s[i] == ch) {
            ++count;
        } else {
            out.append(m_s, i, n);
        }
        i += n;
    }
    m_s.swap(out);
    return count;
}

int CString::Insert(int index, char ch) {
    m_s.insert(CharStart(Clamp(index, m_s.size())), 1, ch);
    return GetLength();
}
int CString::Insert(int index, LPCSTR text) {
    if (text) m_s.insert(CharStart(Clamp(index, m_s.size())), std::string(text));
    return GetLength();
}
int CString::Delete(int index, int count) {
    if (index >= 0 && count > 0 && static_cast<size_t>(index) < m_s.size()) {
        size_t from = CharStart(static_cast<size_t>(index));
        size_t to = CharEnd(static_cast<size_t>(index) + Clamp(count, m_s.size() - static_cast<size_t>(index)));
        m_s.erase(from, to - from);
    }
    return GetLength();
}

int CString::Find(char ch, int start) const {
    if (start < 0) start = 0;
    for (size_t i = 0; i < m_s.size(); i += static_cast<size_t>(CharLen(i))) {
        if (i >= static_cast<size_t>(start) && CharLen(i) == 1 && m_s[i] == ch) return static_cast<int>(i);
    }
    return -1;
}

int CString::Find(LPCSTR sub, int start) const {
    if (!sub) return -1;
    if (start < 0) start = 0;
    const std::string_view s(sub);
    for (size_t i = 0; i <= m_s.size(); i += (i < m_s.size() ? static_cast<size_t>(CharLen(i)) : 1)) {
        if (i >= static_cast<size_t>(start) && m_s.compare(i, s.size(), s) == 0) return static_cast<int>(i);
        if (i == m_s.size()) break;
    }
    return -1;
}

int CString::ReverseFind(char ch) const {
    int found = -1;
    for (size_t i = 0; i < m_s.size(); i += static_cast<size_t>(CharLen(i))) {
        if (CharLen(i) == 1 && m_s[i] == ch) found = static_cast<int>(i);
    }
    return found;
}

int CString::FindOneOf(LPCSTR charSet) const {
    for (size_t i = 0; i < m_s.size(); i += static_cast<size_t>(CharLen(i))) {
        if (InSet(charSet, &m_s[i], static_cast<size_t>(CharLen(i)))) return static_cast<int>(i);
    }
    return -1;
}

void CString::FormatV(LPCSTR format, va_list args) {
    if (!format) {
        m_s.clear();
        return;
    }
    char small[512];
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (n < 0) {
        m_s.clear();
        return;
    }
    if (static_cast<size_t>(n) < sizeof small) {
        m_s.assign(small, static_cast<size_t>(n));
        return;
    }
    std::vector<char> big(static_cast<size_t>(n) + 1);
    std::vsnprintf(big.data(), big.size(), format, args);
    m_s.assign(big.data(), static_cast<size_t>(n));
}

void CString::Format(LPCSTR format, ...) {
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::Format(UINT formatId, ...) {
    CString format;
    if (!format.LoadString(formatId)) {
        m_s.clear();
        return;
    }
    va_list args;
    va_start(args, formatId);
    FormatV(format, args);
    va_end(args);
}

BOOL CString::LoadString(UINT id) {
    CString loaded;
    if (!AfxLoadString(id, loaded)) return FALSE;
    *this = loaded;
    return TRUE;
}

LPTSTR CString::GetBuffer(int minLength) {
    if (minLength > 0 && static_cast<size_t>(minLength) > m_s.size()) {
        // Extra bytes past the current length are NULs so that ReleaseBuffer(-1)
        // finds the old end when the caller writes nothing.
        m_s.resize(static_cast<size_t>(minLength), '\0');
    }
    return m_s.data();
}

void CString::ReleaseBuffer(int newLength) {
    size_t n = newLength < 0 ? std::strlen(m_s.c_str()) : std::min(static_cast<size_t>(newLength), m_s.size());
    m_s.resize(n);
}

LPTSTR CString::GetBufferSetLength(int newLength) {
    m_s.resize(newLength > 0 ? static_cast<size_t>(newLength) : 0, '\0');
    return m_s.data();
}

void AfxFormatStrings(CString& out, LPCTSTR format, LPCTSTR const* args, int count) {
    std::string result;
    const char* p = format ? format : "";
    while (*p) {
        if (p[0] == '%' && p[1] >= '1' && p[1] <= '9') {
            int k = p[1] - '1';
            if (k < count && args[k]) result += args[k];
            p += 2;
            continue;
        }
        int n = AfxCharLength(p);
        result.append(p, static_cast<size_t>(n));
        p += n;
    }
    out = CString(std::string_view(result));
}

CString AfxFormatText(LPCTSTR format, LPCTSTR s1) {
    CString out;
    AfxFormatStrings(out, format, &s1, 1);
    return out;
}

void AfxFormatString1(CString& out, UINT id, LPCTSTR s1) {
    CString format;
    format.LoadString(id);
    LPCTSTR args[1] = {s1};
    AfxFormatStrings(out, format, args, 1);
}

void AfxFormatString2(CString& out, UINT id, LPCTSTR s1, LPCTSTR s2) {
    CString format;
    format.LoadString(id);
    LPCTSTR args[2] = {s1, s2};
    AfxFormatStrings(out, format, args, 2);
}
