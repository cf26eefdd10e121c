#include "platform/win/system.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/win/codepage.h"
#include "platform/win/errors.h"
#include "platform/win/folders.h"

namespace {

// Copies a name out by the rule of the name functions (size in and out).
BOOL copyName(const std::string& name, LPSTR buffer, LPDWORD size, DWORD tooSmallError) {
    if (!size) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!buffer || *size < name.size() + 1) {
        *size = static_cast<DWORD>(name.size() + 1);
        SetLastError(tooSmallError);
        return FALSE;
    }
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    *size = static_cast<DWORD>(name.size());
    return TRUE;
}

}  // namespace

BOOL GetVersionExA(LPOSVERSIONINFOA info) {
    if (!info || (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA) &&
                  info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXA))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD size = info->dwOSVersionInfoSize;
    std::memset(reinterpret_cast<char*>(info) + sizeof(DWORD), 0, size - sizeof(DWORD));
    info->dwMajorVersion = 5;
    info->dwMinorVersion = 1;
    info->dwBuildNumber = 2600;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    std::strcpy(info->szCSDVersion, "Service Pack 3");
    if (size == sizeof(OSVERSIONINFOEXA)) {
        auto* ex = reinterpret_cast<OSVERSIONINFOEXA*>(info);
        ex->wServicePackMajor = 3;
        ex->wProductType = 1;  // a workstation
    }
    return TRUE;
}

DWORD GetVersion() { return 5u | (1u << 8) | (2600u << 16); }

BOOL GetComputerNameA(LPSTR buffer, LPDWORD size) {
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0) std::strcpy(host, "localhost");
    std::string name = suite::AnsiToUpper(host);
    if (name.size() > MAX_COMPUTERNAME_LENGTH) name.resize(MAX_COMPUTERNAME_LENGTH);
    return copyName(name, buffer, size, ERROR_BUFFER_OVERFLOW);
}

BOOL GetUserNameA(LPSTR buffer, LPDWORD size) {
    std::string name;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_name) {
        name = pw->pw_name;
    } else if (const char* user = std::getenv("USER")) {
        name = user;
    }
    return copyName(suite::Utf8ToAnsi(name), buffer, size, ERROR_INSUFFICIENT_BUFFER);
}

DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size) {
    const char* value = name ? std::getenv(suite::AnsiToUtf8(name).c_str()) : nullptr;
    if (!value) {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    return suite::CopyOutString(suite::Utf8ToAnsi(value), buffer, size);
}

BOOL SetEnvironmentVariableA(LPCSTR name, LPCSTR value) {
    if (!name || !*name || std::strchr(name, '=')) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string n = suite::AnsiToUtf8(name);
    int r = value ? ::setenv(n.c_str(), suite::AnsiToUtf8(value).c_str(), 1) : ::unsetenv(n.c_str());
    if (r != 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    return TRUE;
}
