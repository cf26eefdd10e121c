// Code pages and the system language. Text inside the system is bytes in the
// process's ANSI code page (CP936 GBK by default, CP950 Big5 where the system
// language is traditional Chinese); every boundary with the outside world
// (file names on disk, display, clipboard, resource texts) converts with the
// functions here.
//
// The language comes from the locale (LC_ALL, LC_MESSAGES, LANG): zh_TW 1028,
// zh_HK 3076, zh_MO 5124, zh_SG 4100, other zh 2052, anything else 1033.
// $SUITE_LANGID (decimal or 0x-hex) overrides it, and $SUITE_ACP overrides the
// ANSI code page (936, 950, 1252 or 65001), so tests can run either way.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/win/types.h"

using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using LPBOOL = BOOL*;

#define CP_ACP 0u
#define CP_OEMCP 1u
#define CP_THREAD_ACP 3u
#define CP_UTF8 65001u

#define MB_PRECOMPOSED 0x00000001u
#define MB_USEGLYPHCHARS 0x00000004u
#define MB_ERR_INVALID_CHARS 0x00000008u
#define WC_COMPOSITECHECK 0x00000200u
#define WC_DEFAULTCHAR 0x00000040u
#define WC_NO_BEST_FIT_CHARS 0x00000400u
#define WC_ERR_INVALID_CHARS 0x00000080u

#define LANG_NEUTRAL 0x00
#define LANG_CHINESE 0x04
#define LANG_ENGLISH 0x09
#define SUBLANG_DEFAULT 0x01
#define SUBLANG_CHINESE_TRADITIONAL 0x01
#define SUBLANG_CHINESE_SIMPLIFIED 0x02
#define SUBLANG_CHINESE_HONGKONG 0x03
#define SUBLANG_CHINESE_SINGAPORE 0x04
#define SUBLANG_CHINESE_MACAU 0x05
#define SUBLANG_ENGLISH_US 0x01
constexpr LANGID MAKELANGID(WORD primary, WORD sub) { return static_cast<LANGID>((sub << 10) | primary); }
constexpr WORD PRIMARYLANGID(LANGID id) { return static_cast<WORD>(id & 0x3FF); }
constexpr WORD SUBLANGID(LANGID id) { return static_cast<WORD>(id >> 10); }

// Converts `srcLen` bytes of `src` (-1: up to and including its NUL) to UTF-16.
// With `dstLen` 0 it returns the units needed and writes nothing; otherwise the
// units written, or 0 with ERROR_INSUFFICIENT_BUFFER when they do not fit.
// Bytes that cannot be converted become '?' (U+FFFD for UTF-8), or fail the
// call with ERROR_NO_UNICODE_TRANSLATION under MB_ERR_INVALID_CHARS.
// Bad arguments (null source, srcLen 0 or < -1, unknown code page): 0 with
// ERROR_INVALID_PARAMETER.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int srcLen, LPWSTR dst, int dstLen);

// Converts UTF-16 to the code page with the same size rules. Characters the
// code page lacks become `defaultChar` (its first character; '?' when null)
// and set *usedDefault; for UTF-8 both must be null (else ERROR_INVALID_PARAMETER),
// and lone surrogates become U+FFFD or, under WC_ERR_INVALID_CHARS, fail the
// call with ERROR_NO_UNICODE_TRANSLATION.
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR src, int srcLen, LPSTR dst, int dstLen,
                        LPCSTR defaultChar, LPBOOL usedDefault);

// Lead bytes of a double-byte character (0x81-0xFE in 936 and 950).
BOOL IsDBCSLeadByte(BYTE byte);
BOOL IsDBCSLeadByteEx(UINT codePage, BYTE byte);

UINT GetACP();
UINT GetOEMCP();
LANGID GetSystemDefaultLangID();
LANGID GetUserDefaultLangID();
LCID GetSystemDefaultLCID();
LCID GetUserDefaultLCID();

// Double-byte aware character walks and case changes on ANSI text: only ASCII
// letters change case, and never the trail byte of a double-byte character
// (which may fall in 'A'..'Z' or 'a'..'z').
LPSTR CharNextA(LPCSTR text);
LPSTR CharPrevA(LPCSTR start, LPCSTR current);
LPSTR CharUpperA(LPSTR text);
LPSTR CharLowerA(LPSTR text);
DWORD CharUpperBuffA(LPSTR text, DWORD length);
DWORD CharLowerBuffA(LPSTR text, DWORD length);
// Case-insensitive comparison of ANSI texts (<0, 0, >0), double-byte aware.
int lstrcmpiA(LPCSTR a, LPCSTR b);
int lstrcmpA(LPCSTR a, LPCSTR b);
int lstrlenA(LPCSTR text);

namespace suite {

// The code page CP_ACP stands for, and whether `codePage` is one this layer converts.
UINT ResolveCodePage(UINT codePage);
bool IsSupportedCodePage(UINT codePage);

// Whole-string conversions for the other layers. Bytes that cannot be
// converted become '?' (U+FFFD for UTF-8); `ok`, when given, reports whether
// every character converted exactly.
std::string AnsiToUtf8(std::string_view ansi, UINT codePage = CP_ACP, bool* ok = nullptr);
std::string Utf8ToAnsi(std::string_view utf8, UINT codePage = CP_ACP, bool* ok = nullptr);
std::u16string AnsiToUtf16(std::string_view ansi, UINT codePage = CP_ACP, bool* ok = nullptr);
std::string Utf16ToAnsi(std::u16string_view text, UINT codePage = CP_ACP, bool* ok = nullptr);
std::u16string Utf8ToUtf16(std::string_view utf8, bool* ok = nullptr);
std::string Utf16ToUtf8(std::u16string_view text, bool* ok = nullptr);

// Bytes of the character starting at text[i]: 2 for a lead byte followed by
// a trail byte (0x40-0xFE but 0x7F), else 1 (a lead byte before anything else
// is a bad character of its own, as the conversions treat it).
std::size_t AnsiCharLength(std::string_view text, std::size_t i, UINT codePage = CP_ACP);

// Double-byte aware ASCII case changes and comparison on ANSI bytes.
std::string AnsiToUpper(std::string_view ansi, UINT codePage = CP_ACP);
std::string AnsiToLower(std::string_view ansi, UINT codePage = CP_ACP);
int AnsiCompareNoCase(std::string_view a, std::string_view b, UINT codePage = CP_ACP);

// True for the traditional-Chinese language ids (1028, 3076, 5124).
bool IsTraditionalChineseLangID(LANGID id);
// The language id of a locale name such as "zh_TW.UTF-8" (1033 for null or empty).
LANGID LangIdFromLocale(const char* locale);
// The ANSI code page of a language: 950 for traditional Chinese, else 936.
UINT AnsiCodePageForLangID(LANGID id);

}  // namespace suite
