#include "platform/win/time.h"

#include <chrono>
#include <thread>

#include "platform/win/errors.h"

namespace {

// 100-ns steps between 1601-01-01 and 1970-01-01.
constexpr ULONGLONG kEpochDelta = 116444736000000000ULL;
constexpr ULONGLONG kStepsPerSecond = 10000000ULL;

bool isLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeap(year) ? 29 : days[month - 1];
}

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
long long daysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void civilFromDays(long long z, int& year, int& month, int& day) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(y + (month <= 2));
}

SYSTEMTIME fromTm(const std::tm& tm, long nanos) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(tm.tm_year + 1900);
    st.wMonth = static_cast<WORD>(tm.tm_mon + 1);
    st.wDayOfWeek = static_cast<WORD>(tm.tm_wday);
    st.wDay = static_cast<WORD>(tm.tm_mday);
    st.wHour = static_cast<WORD>(tm.tm_hour);
    st.wMinute = static_cast<WORD>(tm.tm_min);
    st.wSecond = static_cast<WORD>(tm.tm_sec);
    st.wMilliseconds = static_cast<WORD>(nanos / 1000000);
    return st;
}

// Offset of local time from UTC in seconds at the given UTC instant.
long localOffset(time_t utc) {
    std::tm tm{};
    localtime_r(&utc, &tm);
    return tm.tm_gmtoff;
}

}  // namespace

namespace suite {

ULONGLONG FileTimeValue(const FILETIME& ft) {
    return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

FILETIME MakeFileTime(ULONGLONG value) {
    return FILETIME{static_cast<DWORD>(value & 0xFFFFFFFFu), static_cast<DWORD>(value >> 32)};
}

FILETIME FileTimeFromTimespec(const timespec& ts) {
    long long steps = static_cast<long long>(ts.tv_sec) * static_cast<long long>(kStepsPerSecond) + ts.tv_nsec / 100 +
                      static_cast<long long>(kEpochDelta);
    return MakeFileTime(steps < 0 ? 0 : static_cast<ULONGLONG>(steps));
}

timespec TimespecFromFileTime(const FILETIME& ft) {
    long long steps = static_cast<long long>(FileTimeValue(ft)) - static_cast<long long>(kEpochDelta);
    long long sec = steps / static_cast<long long>(kStepsPerSecond);
    long long rem = steps % static_cast<long long>(kStepsPerSecond);
    if (rem < 0) {
        rem += kStepsPerSecond;
        --sec;
    }
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(sec);
    ts.tv_nsec = static_cast<long>(rem * 100);
    return ts;
}

}  // namespace suite

void GetSystemTime(LPSYSTEMTIME time) {
    if (!time) return;
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm tm{};
    gmtime_r(&ts.tv_sec, &tm);
    *time = fromTm(tm, ts.tv_nsec);
}

void GetLocalTime(LPSYSTEMTIME time) {
    if (!time) return;
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm tm{};
    localtime_r(&ts.tv_sec, &tm);
    *time = fromTm(tm, ts.tv_nsec);
}

void GetSystemTimeAsFileTime(LPFILETIME time) {
    if (!time) return;
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    *time = suite::FileTimeFromTimespec(ts);
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* system, LPFILETIME file) {
    if (!system || !file || system->wYear < 1601 || system->wYear > 30827 || system->wMonth < 1 || system->wMonth > 12 ||
        system->wDay < 1 || system->wDay > daysInMonth(system->wYear, system->wMonth) || system->wHour > 23 ||
        system->wMinute > 59 || system->wSecond > 59 || system->wMilliseconds > 999) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    long long days = daysFromCivil(system->wYear, system->wMonth, system->wDay) - daysFromCivil(1601, 1, 1);
    long long ms = ((days * 24 + system->wHour) * 60 + system->wMinute) * 60000LL + system->wSecond * 1000LL +
                   system->wMilliseconds;
    *file = suite::MakeFileTime(static_cast<ULONGLONG>(ms) * 10000ULL);
    return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* file, LPSYSTEMTIME system) {
    if (!file || !system || (file->dwHighDateTime & 0x80000000u)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ULONGLONG ms = suite::FileTimeValue(*file) / 10000ULL;
    long long days = static_cast<long long>(ms / 86400000ULL);
    ULONGLONG inDay = ms % 86400000ULL;
    int year, month, day;
    civilFromDays(days + daysFromCivil(1601, 1, 1), year, month, day);
    system->wYear = static_cast<WORD>(year);
    system->wMonth = static_cast<WORD>(month);
    system->wDay = static_cast<WORD>(day);
    system->wDayOfWeek = static_cast<WORD>((days + 1) % 7);  // 1601-01-01 was a Monday
    system->wHour = static_cast<WORD>(inDay / 3600000ULL);
    system->wMinute = static_cast<WORD>(inDay / 60000ULL % 60);
    system->wSecond = static_cast<WORD>(inDay / 1000ULL % 60);
    system->wMilliseconds = static_cast<WORD>(inDay % 1000ULL);
    return TRUE;
}

BOOL FileTimeToLocalFileTime(const FILETIME* utc, LPFILETIME local) {
    if (!utc || !local) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    timespec ts = suite::TimespecFromFileTime(*utc);
    long long value = static_cast<long long>(suite::FileTimeValue(*utc)) +
                      static_cast<long long>(localOffset(ts.tv_sec)) * static_cast<long long>(kStepsPerSecond);
    *local = suite::MakeFileTime(value < 0 ? 0 : static_cast<ULONGLONG>(value));
    return TRUE;
}

BOOL LocalFileTimeToFileTime(const FILETIME* local, LPFILETIME utc) {
    if (!local || !utc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    timespec ts = suite::TimespecFromFileTime(*local);
    long offset = localOffset(ts.tv_sec - localOffset(ts.tv_sec));
    long long value = static_cast<long long>(suite::FileTimeValue(*local)) -
                      static_cast<long long>(offset) * static_cast<long long>(kStepsPerSecond);
    *utc = suite::MakeFileTime(value < 0 ? 0 : static_cast<ULONGLONG>(value));
    return TRUE;
}

LONG CompareFileTime(const FILETIME* a, const FILETIME* b) {
    ULONGLONG x = suite::FileTimeValue(*a);
    ULONGLONG y = suite::FileTimeValue(*b);
    return x < y ? -1 : x > y ? 1 : 0;
}

ULONGLONG GetTickCount64() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<ULONGLONG>(ts.tv_sec) * 1000ULL + static_cast<ULONGLONG>(ts.tv_nsec / 1000000);
}

DWORD GetTickCount() { return static_cast<DWORD>(GetTickCount64()); }

void Sleep(DWORD milliseconds) {
    if (milliseconds == 0) {
        std::this_thread::yield();
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
