// The Common Library's table: version check, key-tree copies, the installer
// key and the ini-file routines.
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <string>

#include "outside/common/ini_file.h"
#include "outside/include/common_service.h"
#include "platform/win/path.h"
#include "platform/win/registry.h"

namespace {

std::string nativeOf(const char* path) { return suite::NativePathOfEither(path ? path : ""); }

int checkVersion(const WORD* v) {
    if (!v) return 1;
    std::uint64_t asked = (std::uint64_t(v[0]) << 48) | (std::uint64_t(v[1]) << 32) | (std::uint64_t(v[2]) << 16) | v[3];
    std::uint64_t own = (std::uint64_t(0) << 48) | (std::uint64_t(9) << 32) | (std::uint64_t(1) << 16);
    return asked <= own ? 0 : 1;
}

void terminate() {}

bool keyExists(HKEY root, LPCSTR sub) {
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, sub, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c + 32);
    return s;
}

BOOL copyKey(HKEY sourceRoot, LPCSTR sourceSub, HKEY targetRoot, LPCSTR targetSub) {
    if (!sourceSub || !targetSub || !*targetSub) return FALSE;
    if (sourceRoot == targetRoot) {
        std::string s = lower(sourceSub), t = lower(targetSub);
        if (t == s || (t.size() > s.size() && t.compare(0, s.size(), s) == 0 && t[s.size()] == '\\')) return FALSE;
    }
    HKEY src = nullptr;
    if (RegOpenKeyExA(sourceRoot, sourceSub, 0, KEY_READ, &src) != ERROR_SUCCESS) return FALSE;
    if (keyExists(targetRoot, targetSub)) {
        RegCloseKey(src);
        return FALSE;
    }
    HKEY dst = nullptr;
    DWORD disposition = 0;
    BOOL ok = FALSE;
    if (RegCreateKeyExA(targetRoot, targetSub, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &dst,
                        &disposition) == ERROR_SUCCESS) {
        ok = RegCopyTreeA(src, nullptr, dst) == ERROR_SUCCESS;
        RegCloseKey(dst);
        if (!ok) RegDeleteTreeA(targetRoot, targetSub);
    }
    RegCloseKey(src);
    return ok;
}

// The installer key of the bundle: one for the product, wherever its program
// folder lies. The key is opened where it is, in HKCU, else (read only) in
// HKLM; nothing is created, so that a caller finding no HKCU tree can copy the
// machine's tree first. A program folder is still needed: without one there
// is no bundle.
HKEY getInstallerKey(DWORD, LPCSTR programFolder, LPSTR keyPath) {
    if (!programFolder || !*programFolder) return nullptr;
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kInstallerKeyPath, 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS &&
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstallerKeyPath, 0, KEY_READ, &k) != ERROR_SUCCESS)
        return nullptr;
    if (keyPath) std::snprintf(keyPath, 261, "%s", kInstallerKeyPath);
    return k;
}

BOOL writeIniString(LPCSTR section, LPCSTR key, LPCSTR text, LPCSTR ini) {
    if (!section || !key || !ini) return FALSE;
    return common::writeIniValue(nativeOf(ini), section, key, text ? text : "");
}

BOOL writeIniInt(LPCSTR section, LPCSTR key, int value, LPCSTR ini) {
    return writeIniString(section, key, std::to_string(value).c_str(), ini);
}

BOOL readIniString(LPCSTR section, LPCSTR key, LPCSTR def, LPSTR buffer, DWORD size, LPCSTR ini) {
    if (!buffer || size == 0) return FALSE;
    std::optional<std::string> v;
    if (section && key && ini) v = common::readIniValue(nativeOf(ini), section, key);
    std::string text = v ? *v : (def ? def : "");
    size_t n = std::min<size_t>(text.size(), size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return v.has_value();
}

int readIniInt(LPCSTR section, LPCSTR key, int def, LPCSTR ini) {
    if (!section || !key || !ini) return def;
    std::optional<std::string> v = common::readIniValue(nativeOf(ini), section, key);
    if (!v || v->empty()) return def;
    char* end = nullptr;
    long long n = std::strtoll(v->c_str(), &end, 10);
    if (end == v->c_str()) return def;
    return int(n);
}

COMMON_SERVICE_TABLE makeTable() {
    COMMON_SERVICE_TABLE t{};
    t.CheckVersion = checkVersion;
    t.Terminate = terminate;
    t.GetInstallerKey = getInstallerKey;
    t.CopyKey = copyKey;
    t.WriteIniString = writeIniString;
    t.WriteIniInt = writeIniInt;
    t.ReadIniString = readIniString;
    t.ReadIniInt = readIniInt;
    return t;
}

const COMMON_SERVICE_TABLE table = makeTable();

}  // namespace

extern "C" __attribute__((visibility("default"))) const COMMON_SERVICE_TABLE* CommonService() { return &table; }
