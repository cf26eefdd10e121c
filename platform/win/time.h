// Clocks and time records. FILETIME counts 100-nanosecond steps since
// 1601-01-01 UTC; local times follow the process's time zone (TZ).
#pragma once

#include <ctime>

#include "platform/win/types.h"

using LPSYSTEMTIME = SYSTEMTIME*;
using LPFILETIME = FILETIME*;

void GetSystemTime(LPSYSTEMTIME time);
void GetLocalTime(LPSYSTEMTIME time);
void GetSystemTimeAsFileTime(LPFILETIME time);
// FALSE with ERROR_INVALID_PARAMETER for fields out of range.
BOOL SystemTimeToFileTime(const SYSTEMTIME* system, LPFILETIME file);
BOOL FileTimeToSystemTime(const FILETIME* file, LPSYSTEMTIME system);
BOOL FileTimeToLocalFileTime(const FILETIME* utc, LPFILETIME local);
BOOL LocalFileTimeToFileTime(const FILETIME* local, LPFILETIME utc);
LONG CompareFileTime(const FILETIME* a, const FILETIME* b);

// Milliseconds of a monotonic clock (wraps after 49.7 days, as on the original).
DWORD GetTickCount();
ULONGLONG GetTickCount64();
// Sleeps at least `milliseconds`; 0 yields the processor.
void Sleep(DWORD milliseconds);

namespace suite {

FILETIME FileTimeFromTimespec(const timespec& ts);
timespec TimespecFromFileTime(const FILETIME& ft);
ULONGLONG FileTimeValue(const FILETIME& ft);
FILETIME MakeFileTime(ULONGLONG value);

}  // namespace suite
