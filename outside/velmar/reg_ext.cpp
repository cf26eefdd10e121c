// CRegExt: one open registry key with typed reads that take defaults.
#include <cstring>

#include "outside/include/velmar.h"

CRegExt::~CRegExt() { Close(); }

void CRegExt::Close() {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
}

BOOL CRegExt::open(LPCSTR subKey, HKEY parent, REGSAM access, bool create) {
    Close();
    if (!parent) return FALSE;
    HKEY k = nullptr;
    LONG r = create ? RegCreateKeyExA(parent, subKey ? subKey : "", 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                      nullptr, &k, nullptr)
                    : RegOpenKeyExA(parent, subKey ? subKey : "", 0, access, &k);
    if (r != ERROR_SUCCESS) return FALSE;
    key_ = k;
    return TRUE;
}

BOOL CRegExt::OpenReadOnly(LPCSTR subKey, HKEY parent) { return open(subKey, parent, KEY_READ, false); }
BOOL CRegExt::OpenReadWrite(LPCSTR subKey, HKEY parent) {
    return open(subKey, parent, KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY, false);
}
BOOL CRegExt::CreateKey(LPCSTR subKey, HKEY parent, REGSAM access) { return open(subKey, parent, access, true); }

BOOL CRegExt::GetString(CString& value, LPCSTR name) const {
    if (!key_) return FALSE;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key_, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return FALSE;
    std::string data(size + 1, '\0');
    if (RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<LPBYTE>(data.data()), &size) != ERROR_SUCCESS)
        return FALSE;
    value = CString(data.c_str());
    return TRUE;
}

BOOL CRegExt::GetString(CString& value, LPCSTR defaultValue, LPCSTR name) const {
    if (GetString(value, name)) return TRUE;
    value = defaultValue ? defaultValue : "";
    return FALSE;
}

BOOL CRegExt::GetDWord(DWORD& value, LPCSTR name) const {
    if (!key_) return FALSE;
    DWORD type = 0, data = 0, size = sizeof data;
    if (RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<LPBYTE>(&data), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof data)
        return FALSE;
    value = data;
    return TRUE;
}

BOOL CRegExt::GetDWord(DWORD& value, DWORD defaultValue, LPCSTR name) const {
    if (GetDWord(value, name)) return TRUE;
    value = defaultValue;
    return FALSE;
}

BOOL CRegExt::GetInt(int& value, LPCSTR name) const {
    DWORD d = 0;
    if (!GetDWord(d, name)) return FALSE;
    value = int(d);
    return TRUE;
}

BOOL CRegExt::GetInt(int& value, int defaultValue, LPCSTR name) const {
    if (GetInt(value, name)) return TRUE;
    value = defaultValue;
    return FALSE;
}

BOOL CRegExt::GetBool(BOOL& value, LPCSTR name) const {
    DWORD d = 0;
    if (!GetDWord(d, name)) return FALSE;
    value = d != 0;
    return TRUE;
}

BOOL CRegExt::GetBool(BOOL& value, BOOL defaultValue, LPCSTR name) const {
    if (GetBool(value, name)) return TRUE;
    value = defaultValue;
    return FALSE;
}

BOOL CRegExt::GetDWordArray(std::vector<DWORD>& values, LPCSTR name) const {
    if (!key_) return FALSE;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key_, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_BINARY ||
        size % sizeof(DWORD) != 0)
        return FALSE;
    std::vector<DWORD> data(size / sizeof(DWORD));
    if (size && RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<LPBYTE>(data.data()), &size) != ERROR_SUCCESS)
        return FALSE;
    values = std::move(data);
    return TRUE;
}

BOOL CRegExt::SetString(LPCSTR value, LPCSTR name) {
    if (!key_) return FALSE;
    const char* v = value ? value : "";
    return RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(v), DWORD(std::strlen(v) + 1)) ==
           ERROR_SUCCESS;
}

BOOL CRegExt::SetDWord(DWORD value, LPCSTR name) {
    if (!key_) return FALSE;
    return RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
           ERROR_SUCCESS;
}

BOOL CRegExt::SetInt(int value, LPCSTR name) { return SetDWord(DWORD(value), name); }
BOOL CRegExt::SetBool(BOOL value, LPCSTR name) { return SetDWord(value ? 1u : 0u, name); }

BOOL CRegExt::SetDWordArray(const std::vector<DWORD>& values, LPCSTR name) {
    if (!key_) return FALSE;
    return RegSetValueExA(key_, name, 0, REG_BINARY, reinterpret_cast<const BYTE*>(values.data()),
                          DWORD(values.size() * sizeof(DWORD))) == ERROR_SUCCESS;
}
