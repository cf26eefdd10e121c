#include "platform/afx/core/datetime.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <locale.h>
#include <string>
#include <time.h>

namespace {

std::time_t FromLocal(int year, int month, int day, int hour, int minute, int second, int dst) {
    struct tm t {};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = dst < 0 ? -1 : (dst ? 1 : 0);
    return std::mktime(&t);
}

// The "C" locale: day and month names and %c/%x/%X stay ASCII whatever
// locale the process runs in, so the result is valid text in the ANSI code
// page (a UTF-8 locale would put UTF-8 names into an ANSI string), and bytes
// of the format other than the codes are copied unchanged.
locale_t ClassicLocale() {
    static const locale_t classic = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return classic;
}

CString FormatTm(const struct tm& t, LPCTSTR format) {
    if (!format || !*format) return CString();
    // strftime reports 0 both for a buffer too small and for an empty result;
    // no code expands to more than 16 times its own length in the C locale.
    const size_t enough = std::strlen(format) * 16 + 256;
    std::string buffer(256, '\0');
    locale_t classic = ClassicLocale();
    for (;;) {
        size_t n = classic ? ::strftime_l(buffer.data(), buffer.size(), format, &t, classic)
                           : std::strftime(buffer.data(), buffer.size(), format, &t);
        if (n > 0 || buffer.size() >= enough) return CString(std::string_view(buffer.data(), n));
        buffer.resize(std::min(buffer.size() * 4, enough));
    }
}

}  // namespace

CString CTimeSpan::Format(LPCTSTR format) const {
    CString out;
    if (!format) return out;
    char number[32];
    for (const char* p = format; *p; ++p) {
        if (*p != '%' || p[1] == '\0') {
            out += *p;
            continue;
        }
        ++p;
        switch (*p) {
        case 'D': std::snprintf(number, sizeof number, "%ld", static_cast<long>(GetDays())); out += number; break;
        case 'H': std::snprintf(number, sizeof number, "%02d", GetHours()); out += number; break;
        case 'M': std::snprintf(number, sizeof number, "%02d", GetMinutes()); out += number; break;
        case 'S': std::snprintf(number, sizeof number, "%02d", GetSeconds()); out += number; break;
        case '%': out += '%'; break;
        default: out += '%'; out += *p; break;
        }
    }
    return out;
}

CTime::CTime(int year, int month, int day, int hour, int minute, int second, int dst)
    : m_time(FromLocal(year, month, day, hour, minute, second, dst)) {}

CTime::CTime(const SYSTEMTIME& st, int dst)
    : m_time(FromLocal(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, dst)) {}

CTime::CTime(const FILETIME& ft, int dst) {
    (void)dst;
    ULONGLONG v = (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    constexpr ULONGLONG kEpochDifference = 116444736000000000ull;  // 1601 to 1970 in 100 ns steps
    m_time = v >= kEpochDifference ? static_cast<std::time_t>((v - kEpochDifference) / 10000000ull) : 0;
}

CTime CTime::GetCurrentTime() { return CTime(std::time(nullptr)); }

struct tm CTime::Local() const {
    struct tm t {};
    localtime_r(&m_time, &t);
    return t;
}

struct tm* CTime::GetLocalTm(struct tm* out) const {
    if (!out) return nullptr;
    return localtime_r(&m_time, out);
}

struct tm* CTime::GetGmtTm(struct tm* out) const {
    if (!out) return nullptr;
    return gmtime_r(&m_time, out);
}

BOOL CTime::GetAsSystemTime(SYSTEMTIME& st) const {
    struct tm t {};
    if (!localtime_r(&m_time, &t)) return FALSE;
    st.wYear = static_cast<WORD>(t.tm_year + 1900);
    st.wMonth = static_cast<WORD>(t.tm_mon + 1);
    st.wDayOfWeek = static_cast<WORD>(t.tm_wday);
    st.wDay = static_cast<WORD>(t.tm_mday);
    st.wHour = static_cast<WORD>(t.tm_hour);
    st.wMinute = static_cast<WORD>(t.tm_min);
    st.wSecond = static_cast<WORD>(t.tm_sec);
    st.wMilliseconds = 0;
    return TRUE;
}

CString CTime::Format(LPCTSTR format) const { return FormatTm(Local(), format); }

CString CTime::FormatGmt(LPCTSTR format) const {
    struct tm t {};
    gmtime_r(&m_time, &t);
    return FormatTm(t, format);
}
