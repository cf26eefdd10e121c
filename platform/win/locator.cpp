#include "platform/win/locator.h"

#include "platform/win/registry_key.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/win/errors.h"
#include "platform/win/files.h"
#include "platform/win/blanks.h"

namespace suite {

namespace {
constexpr int kMaxNumbered = 1000;

// Splits at the first three commas; the fourth field keeps any later ones.
std::vector<std::string_view> Fields(std::string_view text) {
    std::vector<std::string_view> out;
    while (out.size() < 3) {
        size_t comma = text.find(',');
        if (comma == std::string_view::npos) break;
        out.push_back(suite::TrimBlanks(text.substr(0, comma)));
        text.remove_prefix(comma + 1);
    }
    out.push_back(suite::TrimBlanks(text));
    return out;
}

bool HasNul(std::string_view s) { return s.find('\0') != std::string_view::npos; }

using OpenKey = RegKey;
}  // namespace

bool ParseRegistryLocator(std::string_view text, RegistryLocator* out) {
    if (text.size() > kLocatorMaxText || HasNul(text)) return false;
    std::vector<std::string_view> f = Fields(text);
    if (f.size() < 3) return false;
    std::string_view key = f[1], value = f[2], extra = f.size() > 3 ? f[3] : std::string_view();
    if (key.empty() || key.size() > kLocatorMaxKeyPath || value.size() > kLocatorMaxName ||
        extra.size() > kLocatorMaxName)
        return false;
    out->root = f[0] == "1" ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    out->keyPath.assign(key);
    out->valueName = value == "0" ? std::string() : std::string(value);
    out->extra.assign(extra);
    return true;
}

bool ReadStringValue(HKEY key, const std::string& name, std::string* text) {
    DWORD type = 0, size = 0;
    const char* n = name.empty() ? nullptr : name.c_str();
    if (RegQueryValueExA(key, n, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || size > kLocatorMaxValueText + 1) return false;
    std::string buf(size, '\0');
    if (size && RegQueryValueExA(key, n, nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &size) != ERROR_SUCCESS)
        return false;
    buf.resize(std::min<size_t>(size, buf.size()));
    if (size_t nul = buf.find('\0'); nul != std::string::npos) buf.resize(nul);
    *text = std::move(buf);
    return true;
}

bool ReadLocatorPath(const RegistryLocator& locator, std::string* path) {
    OpenKey key(locator.root, locator.keyPath);
    std::string text;
    if (!key.get() || !ReadStringValue(key.get(), locator.valueName, &text) || text.empty()) return false;
    if (!locator.extra.empty() && locator.extra != "0") {
        if (text.back() != '\\' && text.back() != '/') text += '\\';
        text += locator.extra;
    }
    *path = std::move(text);
    return true;
}

bool LocateExistingFile(std::string_view text, std::string* path) {
    RegistryLocator locator;
    std::string found;
    if (!ParseRegistryLocator(text, &locator) || !ReadLocatorPath(locator, &found)) return false;
    if (!PathFileExistsA(found.c_str()) || PathIsDirectoryA(found.c_str())) return false;
    *path = std::move(found);
    return true;
}

bool LocatorDwordMatches(std::string_view text) {
    RegistryLocator locator;
    if (!ParseRegistryLocator(text, &locator) || locator.extra.empty() || locator.extra.size() > 10) return false;
    for (char c : locator.extra)
        if (c < '0' || c > '9') return false;
    unsigned long long want = std::strtoull(locator.extra.c_str(), nullptr, 10);
    if (want > 0xFFFFFFFFull) return false;
    OpenKey key(locator.root, locator.keyPath);
    if (!key.get()) return false;
    DWORD type = 0, value = 0, size = sizeof value;
    const char* n = locator.valueName.empty() ? nullptr : locator.valueName.c_str();
    if (RegQueryValueExA(key.get(), n, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
        return false;
    return type == REG_DWORD && size == sizeof value && value == want;
}

bool FirstExistingLocatedFile(HKEY key, std::string_view stem, std::string* path, int* number, std::size_t maxPath) {
    for (int n = 1; n <= kMaxNumbered; ++n) {
        std::string text;
        if (!ReadStringValue(key, std::string(stem) + std::to_string(n), &text)) {
            // A value of another type still counts as present; only a missing one ends the list.
            DWORD type = 0, size = 0;
            std::string name = std::string(stem) + std::to_string(n);
            if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
            continue;
        }
        if (LocateExistingFile(text, path) && (!maxPath || path->size() < maxPath)) {
            if (number) *number = n;
            return true;
        }
    }
    return false;
}

bool FindInstalledProgram(HKEY parent, std::string_view stem, bool extraCheck, InstalledProgram* out,
                          std::size_t maxPath) {
    for (int n = 1; n <= kMaxNumbered; ++n) {
        OpenKey sub(parent, std::string(stem) + std::to_string(n));
        if (!sub.get()) return false;
        std::string exe, program;
        if (!ReadStringValue(sub.get(), "Exe RegPath", &exe)) continue;  // an entry left half-removed
        if (!LocateExistingFile(exe, &program)) continue;
        if (maxPath && program.size() >= maxPath) continue;
        std::string check;
        if (extraCheck && ReadStringValue(sub.get(), "Extra Checked RegPath", &check) && !LocatorDwordMatches(check))
            continue;
        out->number = n;
        out->program = std::move(program);
        return true;
    }
    return false;
}

}  // namespace suite
