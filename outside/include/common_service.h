// The Common Library of the scanner bundle: version check, registry key
// copies, the installer key and ini-file routines. Loaded by name; its export
// CommonService returns a table of plain C function pointers.
#pragma once

#include <cstddef>

#include "platform/win/types.h"

using COMMON_CHECKVERSION = int (*)(const WORD* version);  // 0 = accepted
using COMMON_TERMINATE = void (*)();
// (0, program folder, buffer of 261 chars) -> open installer key, path in buffer; 0 on failure.
// The installer key of the bundle's product, the same wherever the program
// folder lies (HKCU, else read only in HKLM); its path (260 characters) goes
// to `keyPath`.
inline constexpr const char* kInstallerKeyPath = "Software\\Selvint Corp\\Keyrider";
using COMMON_GETINSTALLERKEY = HKEY (*)(DWORD reserved, LPCSTR programFolder, LPSTR keyPath);
// Copies the key tree source\subKey to target\subKey. Nonzero when copied. A
// target key that exists already, or a target inside the source, is refused.
using COMMON_COPYKEY = BOOL (*)(HKEY sourceRoot, LPCSTR sourceSubKey, HKEY targetRoot, LPCSTR targetSubKey);
using COMMON_WRITEINISTRING = BOOL (*)(LPCSTR section, LPCSTR key, LPCSTR text, LPCSTR iniPath);
using COMMON_WRITEINIINT = BOOL (*)(LPCSTR section, LPCSTR key, int value, LPCSTR iniPath);
// Nonzero when a value was read; otherwise the buffer holds the default.
using COMMON_READINISTRING = BOOL (*)(LPCSTR section, LPCSTR key, LPCSTR defaultText, LPSTR buffer,
                                      DWORD bufferSize, LPCSTR iniPath);
using COMMON_READINIINT = int (*)(LPCSTR section, LPCSTR key, int defaultValue, LPCSTR iniPath);
using COMMON_RESERVED = void (*)();

struct COMMON_SERVICE_TABLE {
    COMMON_RESERVED Reserved0;
    COMMON_RESERVED Reserved1;
    COMMON_CHECKVERSION CheckVersion;  // 2: accepts versions up to the library's own
    COMMON_TERMINATE Terminate;        // 3
    COMMON_RESERVED Reserved4[17];     // 4 .. 20
    COMMON_GETINSTALLERKEY GetInstallerKey;  // 21
    COMMON_COPYKEY CopyKey;                  // 22
    COMMON_RESERVED Reserved23;              // 23
    COMMON_WRITEINISTRING WriteIniString;    // 24
    COMMON_WRITEINIINT WriteIniInt;          // 25
    COMMON_READINISTRING ReadIniString;      // 26
    COMMON_READINIINT ReadIniInt;            // 27
};
static_assert(offsetof(COMMON_SERVICE_TABLE, CheckVersion) == 2 * sizeof(void*));
static_assert(offsetof(COMMON_SERVICE_TABLE, GetInstallerKey) == 21 * sizeof(void*));
static_assert(offsetof(COMMON_SERVICE_TABLE, CopyKey) == 22 * sizeof(void*));
static_assert(offsetof(COMMON_SERVICE_TABLE, ReadIniInt) == 27 * sizeof(void*));
static_assert(sizeof(COMMON_SERVICE_TABLE) == 28 * sizeof(void*));

// Version of this library: 0.9.1.0.
using COMMON_SERVICE = const COMMON_SERVICE_TABLE* (*)();
extern "C" const COMMON_SERVICE_TABLE* CommonService();
