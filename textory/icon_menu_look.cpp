#include "textory/icon_menu_look.h"

#include <cstring>
#include <optional>
#include <string>

#include "platform/win/codepage.h"
#include "platform/win/registry.h"

namespace textory {

namespace {

std::optional<bool> g_classicTheme;

}  // namespace

int VersionCodeOf(DWORD version, const OSVERSIONINFOA* info) {
    const bool nt = (version & 0x80000000u) == 0;
    const DWORD major = version & 0xFFu;
    if (!nt && major < 4) return 0;
    if (nt) {
        if (!info) return 1;
        if (info->dwMajorVersion == 4) return 5;
        if (info->dwMajorVersion == 5 && info->dwMinorVersion == 0) return 6;
        if (info->dwMajorVersion == 5 && info->dwMinorVersion == 1) return 7;
        return 1;
    }
    if (!info) return 2;
    if (info->dwMajorVersion == 4 && info->dwMinorVersion == 10) return 3;
    if (info->dwMajorVersion == 4 && info->dwMinorVersion == 90) return 4;
    return 2;
}

int GetWindowsVersionCode() {
    static const int code = [] {
        OSVERSIONINFOA info{};
        info.dwOSVersionInfoSize = sizeof info;
        return VersionCodeOf(GetVersion(), GetVersionExA(&info) ? &info : nullptr);
    }();
    return code;
}

bool IsClassicThemeValue(std::string_view value) {
    constexpr std::string_view tail = "Windows Classic.theme";
    return value.size() >= tail.size() && suite::AnsiCompareNoCase(value.substr(value.size() - tail.size()), tail) == 0;
}

BOOL IsClassicTheme() {
    if (!g_classicTheme) {
        bool classic = false;
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Plus!\\Themes\\Current", 0, KEY_READ, &key) ==
            ERROR_SUCCESS) {
            char value[261] = {};
            DWORD type = 0, size = 260;
            if (RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<LPBYTE>(value), &size) ==
                    ERROR_SUCCESS &&
                type == REG_SZ) {
                classic = IsClassicThemeValue(std::string_view(value, ::strnlen(value, sizeof value - 1)));
            }
            RegCloseKey(key);
        }
        g_classicTheme = classic;
    }
    return *g_classicTheme ? TRUE : FALSE;
}

IconMenuLook& SharedIconMenuLook() {
    static IconMenuLook look = [] {
        IconMenuLook l;
        l.versionCode = GetWindowsVersionCode();
        return l;
    }();
    return look;
}

void SetIconMenuLookSwitches(int flat) {
    SharedIconMenuLook().flatUnderThemes = flat;
    SharedIconMenuLook().flatOtherwise = flat;
}

void ForgetClassicTheme() { g_classicTheme.reset(); }

DWORD LightenColour(DWORD colour, double fraction) {
    if (!(fraction > 0.0 && fraction <= 1.0)) return colour;
    auto lighten = [fraction](DWORD c) { return static_cast<DWORD>(c + fraction * (255 - c)) & 0xFFu; };
    return lighten(colour & 0xFFu) | (lighten((colour >> 8) & 0xFFu) << 8) | (lighten((colour >> 16) & 0xFFu) << 16);
}

}  // namespace textory
