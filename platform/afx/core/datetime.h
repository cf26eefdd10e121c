// CTime (a moment, whole seconds, shown in local time) and CTimeSpan.
#pragma once

#include <ctime>

#include "platform/afx/core/cstring.h"

class AFX_CORE_API CTimeSpan {
public:
    CTimeSpan() = default;
    CTimeSpan(std::time_t seconds) : m_span(seconds) {}  // NOLINT: implicit
    CTimeSpan(LONG days, int hours, int minutes, int seconds)
        : m_span(((static_cast<std::time_t>(days) * 24 + hours) * 60 + minutes) * 60 + seconds) {}

    LONG GetDays() const { return static_cast<LONG>(m_span / 86400); }
    LONG GetTotalHours() const { return static_cast<LONG>(m_span / 3600); }
    int GetHours() const { return static_cast<int>(GetTotalHours() - GetDays() * 24); }
    LONG GetTotalMinutes() const { return static_cast<LONG>(m_span / 60); }
    int GetMinutes() const { return static_cast<int>(GetTotalMinutes() - GetTotalHours() * 60); }
    LONG GetTotalSeconds() const { return static_cast<LONG>(m_span); }
    int GetSeconds() const { return static_cast<int>(m_span - static_cast<std::time_t>(GetTotalMinutes()) * 60); }
    std::time_t GetTimeSpan() const { return m_span; }
    // %D days, %H hours (00-23), %M minutes, %S seconds, %% a percent sign.
    CString Format(LPCTSTR format) const;

    CTimeSpan operator+(CTimeSpan o) const { return CTimeSpan(m_span + o.m_span); }
    CTimeSpan operator-(CTimeSpan o) const { return CTimeSpan(m_span - o.m_span); }
    CTimeSpan& operator+=(CTimeSpan o) { m_span += o.m_span; return *this; }
    CTimeSpan& operator-=(CTimeSpan o) { m_span -= o.m_span; return *this; }
    auto operator<=>(const CTimeSpan&) const = default;

private:
    std::time_t m_span = 0;
};

class AFX_CORE_API CTime {
public:
    CTime() = default;
    CTime(std::time_t t) : m_time(t) {}  // NOLINT: implicit
    // Local time; `dst` -1 lets the library decide about daylight saving.
    CTime(int year, int month, int day, int hour, int minute, int second, int dst = -1);
    CTime(const SYSTEMTIME& st, int dst = -1);
    // A FILETIME is in UTC (100 ns steps since 1601).
    CTime(const FILETIME& ft, int dst = -1);

    static CTime GetCurrentTime();

    std::time_t GetTime() const { return m_time; }
    int GetYear() const { return Local().tm_year + 1900; }
    int GetMonth() const { return Local().tm_mon + 1; }
    int GetDay() const { return Local().tm_mday; }
    int GetHour() const { return Local().tm_hour; }
    int GetMinute() const { return Local().tm_min; }
    int GetSecond() const { return Local().tm_sec; }
    // 1 for Sunday .. 7 for Saturday.
    int GetDayOfWeek() const { return Local().tm_wday + 1; }
    struct tm* GetLocalTm(struct tm* out) const;
    struct tm* GetGmtTm(struct tm* out) const;
    BOOL GetAsSystemTime(SYSTEMTIME& st) const;

    // strftime codes, in local time or UTC.
    CString Format(LPCTSTR format) const;
    CString FormatGmt(LPCTSTR format) const;

    CTimeSpan operator-(CTime o) const { return CTimeSpan(m_time - o.m_time); }
    CTime operator-(CTimeSpan s) const { return CTime(m_time - s.GetTimeSpan()); }
    CTime operator+(CTimeSpan s) const { return CTime(m_time + s.GetTimeSpan()); }
    CTime& operator+=(CTimeSpan s) { m_time += s.GetTimeSpan(); return *this; }
    CTime& operator-=(CTimeSpan s) { m_time -= s.GetTimeSpan(); return *this; }
    auto operator<=>(const CTime&) const = default;

private:
    struct tm Local() const;
    std::time_t m_time = 0;
};
