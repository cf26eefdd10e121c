#include "platform/win/profile.h"

#include "platform/win/errors.h"
#include "platform/win/ini.h"

#include <cstring>
#include <string>

namespace suite {

namespace {

// Closes a key when it goes out of scope.
class KeyCloser {
public:
    explicit KeyCloser(HKEY key) : key_(key) {}
    ~KeyCloser() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    KeyCloser(const KeyCloser&) = delete;
    KeyCloser& operator=(const KeyCloser&) = delete;
    HKEY get() const { return key_; }

private:
    HKEY key_;
};

std::string EncodeBinary(const BYTE* data, UINT bytes) {
    std::string text;
    text.reserve(bytes * 2u);
    for (UINT i = 0; i < bytes; ++i) {
        text.push_back(static_cast<char>('A' + (data[i] & 0x0F)));
        text.push_back(static_cast<char>('A' + (data[i] >> 4)));
    }
    return text;
}

bool DecodeBinary(std::string_view text, std::vector<BYTE>& data) {
    if (text.size() % 2 != 0) return false;
    data.clear();
    for (size_t i = 0; i < text.size(); i += 2) {
        int low = text[i] - 'A', high = text[i + 1] - 'A';
        if (low < 0 || low > 15 || high < 0 || high > 15) return false;
        data.push_back(static_cast<BYTE>(low | (high << 4)));
    }
    return true;
}

std::string IniFileName(std::string_view appName) { return std::string(appName) + ".INI"; }

}  // namespace

AppProfile::AppProfile(std::string_view appName) { SetAppName(appName); }

void AppProfile::SetAppName(std::string_view appName) {
    appName_ = appName;
    profileName_ = UsesRegistry() ? appName_ : IniFileName(appName_);
}

void AppProfile::SetRegistryKey(LPCSTR company) {
    registryKey_ = company != nullptr ? company : "";
    profileName_ = UsesRegistry() ? appName_ : IniFileName(appName_);
}

void AppProfile::SetProfileName(std::string_view name) { profileName_ = name; }

HKEY AppProfile::GetAppRegistryKey() const { return OpenSection(nullptr, Access::Create); }

HKEY AppProfile::GetSectionKey(LPCSTR section) const {
    if (section == nullptr) return nullptr;
    return OpenSection(section, Access::Create);
}

HKEY AppProfile::OpenSection(LPCSTR section, Access access) const {
    if (!UsesRegistry() || profileName_.empty()) return nullptr;
    std::string path = "Software\\" + registryKey_ + "\\" + profileName_;
    if (section != nullptr && *section != '\0') path += "\\" + std::string(section);
    HKEY key = nullptr;
    LONG e = access == Access::Create
                 ? RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   KEY_READ | KEY_WRITE, nullptr, &key, nullptr)
                 : RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0,
                                 access == Access::Write ? KEY_READ | KEY_WRITE : KEY_READ, &key);
    return e == ERROR_SUCCESS ? key : nullptr;
}

bool AppProfile::ReadValue(LPCSTR section, LPCSTR entry, DWORD& type, std::string& data) const {
    if (section == nullptr || entry == nullptr) return false;
    KeyCloser key(OpenSection(section, Access::Read));
    if (key.get() == nullptr) return false;
    // The size can change between the two calls when another process writes.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = 0;
        if (RegQueryValueExA(key.get(), entry, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
        data.assign(size, '\0');
        LONG e = RegQueryValueExA(key.get(), entry, nullptr, &type, reinterpret_cast<LPBYTE>(data.data()), &size);
        if (e == ERROR_SUCCESS) {
            data.resize(size);
            return true;
        }
        if (e != ERROR_MORE_DATA) return false;
    }
    return false;
}

BOOL AppProfile::WriteValue(LPCSTR section, LPCSTR entry, DWORD type, const BYTE* data, DWORD size) const {
    if (section == nullptr || entry == nullptr) return FALSE;
    KeyCloser key(OpenSection(section, Access::Create));
    if (key.get() == nullptr) return FALSE;
    LONG e = RegSetValueExA(key.get(), entry, 0, type, data, size);
    SetLastError(static_cast<DWORD>(e));
    return e == ERROR_SUCCESS;
}

UINT AppProfile::GetProfileIntA(LPCSTR section, LPCSTR entry, int def) const {
    if (!UsesRegistry()) return GetPrivateProfileIntA(section, entry, def, profileName_.c_str());
    DWORD type = REG_NONE;
    std::string data;
    if (!ReadValue(section, entry, type, data) || type != REG_DWORD || data.size() != 4)
        return static_cast<UINT>(def);
    DWORD value = 0;
    std::memcpy(&value, data.data(), 4);
    return value;
}

std::string AppProfile::GetProfileStringA(LPCSTR section, LPCSTR entry, LPCSTR def) const {
    std::string fallback = def != nullptr ? def : "";
    if (!UsesRegistry()) {
        // Grow the buffer until the value fits (a full buffer may mean it was cut).
        for (DWORD size = 256; size <= (1u << 24); size *= 4) {
            std::string buffer(size, '\0');
            DWORD n = GetPrivateProfileStringA(section, entry, fallback.c_str(), buffer.data(), size,
                                               profileName_.c_str());
            if (n + 1 < size || entry == nullptr || section == nullptr) return buffer.substr(0, n);
        }
        return fallback;
    }
    DWORD type = REG_NONE;
    std::string data;
    if (!ReadValue(section, entry, type, data) || (type != REG_SZ && type != REG_EXPAND_SZ)) return fallback;
    return std::string(data.c_str());  // up to the stored NUL
}

BOOL AppProfile::WriteProfileIntA(LPCSTR section, LPCSTR entry, int value) const {
    if (!UsesRegistry())
        return WritePrivateProfileStringA(section, entry, std::to_string(value).c_str(), profileName_.c_str());
    DWORD v = static_cast<DWORD>(value);
    return WriteValue(section, entry, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4);
}

BOOL AppProfile::WriteProfileStringA(LPCSTR section, LPCSTR entry, LPCSTR value) const {
    if (!UsesRegistry()) return WritePrivateProfileStringA(section, entry, value, profileName_.c_str());
    if (section == nullptr) return FALSE;
    if (entry == nullptr) {
        // The section's own values go; its key goes too unless sub-sections live under it.
        KeyCloser key(OpenSection(section, Access::Write));
        if (key.get() == nullptr) return TRUE;
        char name[16384];
        DWORD chars = sizeof name;
        while (RegEnumValueA(key.get(), 0, name, &chars, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
            if (RegDeleteValueA(key.get(), name) != ERROR_SUCCESS) return FALSE;
            chars = sizeof name;
        }
        KeyCloser app(OpenSection(nullptr, Access::Write));
        if (app.get() != nullptr) RegDeleteKeyA(app.get(), section);
        return TRUE;
    }
    if (value == nullptr) {
        KeyCloser key(OpenSection(section, Access::Write));
        if (key.get() == nullptr) return TRUE;
        LONG e = RegDeleteValueA(key.get(), entry);
        return e == ERROR_SUCCESS || e == ERROR_FILE_NOT_FOUND;
    }
    return WriteValue(section, entry, REG_SZ, reinterpret_cast<const BYTE*>(value),
                      static_cast<DWORD>(std::strlen(value) + 1));
}

BOOL AppProfile::GetProfileBinary(LPCSTR section, LPCSTR entry, std::vector<BYTE>& data) const {
    data.clear();
    if (!UsesRegistry()) {
        const char* missing = "\x01";  // not a letter, so never valid data
        std::string text = GetProfileStringA(section, entry, missing);
        return text != missing && DecodeBinary(text, data);
    }
    DWORD type = REG_NONE;
    std::string bytes;
    if (!ReadValue(section, entry, type, bytes) || type != REG_BINARY) return FALSE;
    data.assign(bytes.begin(), bytes.end());
    return TRUE;
}

BOOL AppProfile::GetProfileBinary(LPCSTR section, LPCSTR entry, LPBYTE* data, UINT* bytes) const {
    if (data == nullptr || bytes == nullptr) return FALSE;
    *data = nullptr;
    *bytes = 0;
    std::vector<BYTE> found;
    if (!GetProfileBinary(section, entry, found)) return FALSE;
    *data = new BYTE[found.size() > 0 ? found.size() : 1];
    if (!found.empty()) std::memcpy(*data, found.data(), found.size());
    *bytes = static_cast<UINT>(found.size());
    return TRUE;
}

BOOL AppProfile::WriteProfileBinary(LPCSTR section, LPCSTR entry, const BYTE* data, UINT bytes) const {
    if (data == nullptr && bytes != 0) return FALSE;
    if (!UsesRegistry())
        return WritePrivateProfileStringA(section, entry, EncodeBinary(data, bytes).c_str(), profileName_.c_str());
    return WriteValue(section, entry, REG_BINARY, data, bytes);
}

}  // namespace suite
