#include "outside/vantor32/source_settings.h"

#include <algorithm>
#include <cstring>

#include "outside/include/vantor32.h"
#include "outside/scan/sane_device.h"
#include "platform/win/registry.h"

namespace vantor {
namespace {

constexpr int kMinResolution = 50;
constexpr int kMaxResolution = 2400;

bool readDword(HKEY key, const char* name, DWORD& value) {
    DWORD type = 0, size = sizeof value;
    return RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size) == ERROR_SUCCESS &&
           type == REG_DWORD && size == sizeof value;
}

bool writeDword(HKEY key, const char* name, DWORD value) {
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) == ERROR_SUCCESS;
}

}  // namespace

SourceSettings ReadSourceSettings() {
    SourceSettings s;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, VANTOR_SOURCE_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) return s;
    char device[512] = {};
    DWORD type = 0, size = sizeof device - 1;
    if (RegQueryValueExA(key, "Device", nullptr, &type, reinterpret_cast<LPBYTE>(device), &size) == ERROR_SUCCESS &&
        type == REG_SZ)
        s.device.assign(device, strnlen(device, std::min<DWORD>(size, sizeof device - 1)));
    DWORD value = 0;
    if (readDword(key, "Mode", value) && value <= 2) s.mode = int(value);
    if (readDword(key, "Resolution", value) && value >= DWORD(kMinResolution) && value <= DWORD(kMaxResolution))
        s.resolution = int(value);
    if (readDword(key, "Feeder", value) && value <= 1) s.feeder = value == 1;
    RegCloseKey(key);
    return s;
}

bool WriteSourceSettings(const SourceSettings& s) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, VANTOR_SOURCE_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    bool ok = RegSetValueExA(key, "Device", 0, REG_SZ, reinterpret_cast<const BYTE*>(s.device.c_str()),
                             DWORD(s.device.size() + 1)) == ERROR_SUCCESS;
    ok = writeDword(key, "Mode", DWORD(std::clamp(s.mode, 0, 2))) && ok;
    ok = writeDword(key, "Resolution", DWORD(std::clamp(s.resolution, kMinResolution, kMaxResolution))) && ok;
    ok = writeDword(key, "Feeder", s.feeder ? 1 : 0) && ok;
    RegCloseKey(key);
    return ok;
}

std::string DeviceToUse(const SourceSettings& settings, const std::vector<std::string>& devices) {
    if (!settings.device.empty() && std::find(devices.begin(), devices.end(), settings.device) != devices.end())
        return settings.device;
    return scan::ChooseDevice(devices);
}

}  // namespace vantor
