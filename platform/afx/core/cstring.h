// CString: a byte string in the ANSI code page (GBK by default, Big5 with a
// traditional-Chinese system language). Lengths and indexes count bytes, as
// callers written for the ANSI build expect; searching, case changes,
// trimming and reversing step over double-byte characters whole, so a trail
// byte (which may look like an ASCII letter) is never matched or changed.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

#include "platform/afx/core/afx_types.h"

class AFX_CORE_API CString {
public:
    CString() = default;
    CString(const CString&) = default;
    CString(CString&&) noexcept = default;
    CString(LPCSTR text);  // NOLINT: implicit as callers expect; nullptr makes an empty string
    CString(LPCSTR text, int length);
    CString(const unsigned char* text);
    explicit CString(char ch, int repeat = 1);
    explicit CString(std::string_view bytes) : m_s(bytes) {}
    ~CString() = default;

    CString& operator=(const CString&) = default;
    CString& operator=(CString&&) noexcept = default;
    CString& operator=(LPCSTR text);
    CString& operator=(char ch);
    CString& operator=(const unsigned char* text) { return *this = reinterpret_cast<LPCSTR>(text); }

    int GetLength() const { return static_cast<int>(m_s.size()); }
    BOOL IsEmpty() const { return m_s.empty(); }
    void Empty() { m_s.clear(); }
    // An index outside the string reads as NUL and is not written.
    char GetAt(int index) const;
    char operator[](int index) const { return GetAt(index); }
    void SetAt(int index, char ch);
    operator LPCTSTR() const { return m_s.c_str(); }
    LPCTSTR GetString() const { return m_s.c_str(); }
    const std::string& str() const { return m_s; }

    CString& operator+=(const CString& s) { m_s += s.m_s; return *this; }
    CString& operator+=(LPCSTR s);
    CString& operator+=(char ch) { m_s += ch; return *this; }

    friend AFX_CORE_API CString operator+(const CString& a, const CString& b);
    friend AFX_CORE_API CString operator+(const CString& a, LPCSTR b);
    friend AFX_CORE_API CString operator+(LPCSTR a, const CString& b);
    friend AFX_CORE_API CString operator+(const CString& a, char b);
    friend AFX_CORE_API CString operator+(char a, const CString& b);

    // Byte-wise comparison (unsigned bytes): <0, 0, >0.
    int Compare(LPCSTR other) const;
    // As Compare with ASCII letters folded; double-byte characters compare as they are.
    int CompareNoCase(LPCSTR other) const;
    int Collate(LPCSTR other) const { return Compare(other); }
    int CollateNoCase(LPCSTR other) const { return CompareNoCase(other); }

    // Byte counts and positions; one that falls on the trail byte of a
    // double-byte character moves to that character's start, so no piece
    // holds half a character and Left(n) + Mid(n) is always the whole string
    // (Right(n) may so hold n + 1 bytes).
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Left(int count) const;
    CString Right(int count) const;
    // Character sets (SpanIncluding/SpanExcluding, FindOneOf, the Trim
    // forms with targets) may hold double-byte characters; they match whole.
    CString SpanIncluding(LPCSTR charSet) const;
    CString SpanExcluding(LPCSTR charSet) const;

    void MakeUpper();
    void MakeLower();
    void MakeReverse();

    void TrimLeft();
    void TrimLeft(char target);
    void TrimLeft(LPCSTR targets);
    void TrimRight();
    void TrimRight(char target);
    void TrimRight(LPCSTR targets);
    void Trim() { TrimRight(); TrimLeft(); }

    // Replacements return the number made.
    int Replace(char oldChar, char newChar);
    int Replace(LPCSTR oldText, LPCSTR newText);
    int Remove(char ch);
    // Inserts before `index` (clamped to the string, and never inside a
    // double-byte character); returns the new length.
    int Insert(int index, char ch);
    int Insert(int index, LPCSTR text);
    // Deletes `count` bytes from `index`, widened to whole characters where
    // the range cuts a double-byte character; returns the new length.
    int Delete(int index, int count = 1);

    // Byte index of the first match at a character boundary at or after
    // `start`, or -1.
    int Find(char ch) const { return Find(ch, 0); }
    int Find(char ch, int start) const;
    int Find(LPCSTR sub) const { return Find(sub, 0); }
    int Find(LPCSTR sub, int start) const;
    int ReverseFind(char ch) const;
    int FindOneOf(LPCSTR charSet) const;

    // printf formatting into this string.
    void Format(LPCSTR format, ...) __attribute__((format(printf, 2, 3)));
    void Format(UINT formatId, ...);
    void FormatV(LPCSTR format, va_list args);

    // Loads string `id` from the current resource module (converted to the
    // ANSI code page); FALSE and unchanged when there is no such string.
    BOOL LoadString(UINT id);

    // Direct access: the buffer holds at least `minLength` bytes plus a NUL;
    // ReleaseBuffer(-1) takes the length up to the first NUL.
    LPTSTR GetBuffer(int minLength);
    void ReleaseBuffer(int newLength = -1);
    LPTSTR GetBufferSetLength(int newLength);
    void FreeExtra() { m_s.shrink_to_fit(); }
    LPTSTR LockBuffer() { return GetBuffer(0); }
    void UnlockBuffer() {}

    friend bool operator==(const CString& a, const CString& b) { return a.m_s == b.m_s; }
    friend bool operator==(const CString& a, LPCSTR b) { return a.Compare(b) == 0; }
    friend bool operator==(LPCSTR a, const CString& b) { return b.Compare(a) == 0; }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, LPCSTR b) { return !(a == b); }
    friend bool operator!=(LPCSTR a, const CString& b) { return !(a == b); }
    friend bool operator<(const CString& a, const CString& b) { return a.Compare(b) < 0; }
    friend bool operator<(const CString& a, LPCSTR b) { return a.Compare(b) < 0; }
    friend bool operator>(const CString& a, const CString& b) { return a.Compare(b) > 0; }
    friend bool operator>(const CString& a, LPCSTR b) { return a.Compare(b) > 0; }
    friend bool operator<=(const CString& a, const CString& b) { return a.Compare(b) <= 0; }
    friend bool operator>=(const CString& a, const CString& b) { return a.Compare(b) >= 0; }

private:
    // Length in bytes of the character that starts at `i` (1 or 2).
    int CharLen(size_t i) const;
    // The start (end) of the character holding byte `pos`; `pos` itself when
    // it is a character boundary or the end.
    size_t CharStart(size_t pos) const;
    size_t CharEnd(size_t pos) const;
    std::string m_s;
};

// Replaces "%1" (and "%2") in string resource `id` or a format text.
AFX_CORE_API void AfxFormatString1(CString& out, UINT id, LPCTSTR s1);
AFX_CORE_API void AfxFormatString2(CString& out, UINT id, LPCTSTR s1, LPCTSTR s2);
AFX_CORE_API void AfxFormatStrings(CString& out, LPCTSTR format, LPCTSTR const* args, int count);
// `format` with every "%1" replaced by `s1`, in one pass (a "%1" inside `s1`
// stays as it is).
AFX_CORE_API CString AfxFormatText(LPCTSTR format, LPCTSTR s1);

// Byte length of the ANSI character starting at `p` (2 for a lead byte
// followed by a byte, else 1); shared by the double-byte walks here.
AFX_CORE_API int AfxCharLength(const char* p);
