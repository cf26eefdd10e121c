// What the system reports about itself: the version record of a Windows NT
// 5.1 system (the platform this layer's callers treat as the current one),
// the user's and the machine's names, and environment variables.
#pragma once

#include "platform/win/types.h"

#define VER_PLATFORM_WIN32s 0u
#define VER_PLATFORM_WIN32_WINDOWS 1u
#define VER_PLATFORM_WIN32_NT 2u

struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
};
using LPOSVERSIONINFOA = OSVERSIONINFOA*;
using OSVERSIONINFO = OSVERSIONINFOA;

struct OSVERSIONINFOEXA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
    WORD wServicePackMajor;
    WORD wServicePackMinor;
    WORD wSuiteMask;
    BYTE wProductType;
    BYTE wReserved;
};
static_assert(sizeof(OSVERSIONINFOA) == 148 && sizeof(OSVERSIONINFOEXA) == 156);

// Fills the record; its size field must be 148 or 156 (ERROR_INVALID_PARAMETER otherwise).
BOOL GetVersionExA(LPOSVERSIONINFOA info);
// Major version in the low byte, minor in the next, build in the high word
// (top bit clear: an NT platform).
DWORD GetVersion();

#define MAX_COMPUTERNAME_LENGTH 15
// Both take the buffer size in *size and set it to the length copied (without
// the NUL), or to the size needed with ERROR_BUFFER_OVERFLOW/ERROR_INSUFFICIENT_BUFFER.
BOOL GetComputerNameA(LPSTR buffer, LPDWORD size);
BOOL GetUserNameA(LPSTR buffer, LPDWORD size);

// Environment variables in ANSI text: the length copied, or the size needed
// with the NUL; 0 with ERROR_ENVVAR_NOT_FOUND when unset.
DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size);
BOOL SetEnvironmentVariableA(LPCSTR name, LPCSTR value);
