#include "tabellon/registry_values.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace tabellon::reg {

std::optional<DWORD> getDword(HKEY key, const char* name) {
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return std::nullopt;
    return value;
}

DWORD getDword(HKEY key, const char* name, DWORD fallback) { return getDword(key, name).value_or(fallback); }

std::optional<std::string> getString(HKEY key, const char* name) {
    // Most values are short: one call reads them; longer ones take a second.
    char small[256];
    DWORD type = 0, size = sizeof small - 1;
    LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(small), &size);
    if (rc == ERROR_SUCCESS) {
        if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
        small[std::min<size_t>(size, sizeof small - 1)] = '\0';
        return std::string(small);
    }
    if (rc != ERROR_MORE_DATA) return std::nullopt;
    std::vector<char> buf(size_t(size) + 1, '\0');
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    buf[std::min<size_t>(size, buf.size() - 1)] = '\0';
    return std::string(buf.data());
}

void setDword(HKEY key, const char* name, DWORD value) {
    if (RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) != ERROR_SUCCESS)
        throw DbError{DB_ERR_FAILED};
}

void setString(HKEY key, const char* name, const std::string& value) {
    if (RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), DWORD(value.size() + 1)) !=
        ERROR_SUCCESS)
        throw DbError{DB_ERR_FAILED};
}

void deleteValue(HKEY key, const char* name) {
    LONG rc = RegDeleteValueA(key, name);
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) throw DbError{DB_ERR_FAILED};
}

std::string formatTime(const SYSTEMTIME& t) {
    char buf[100];
    std::snprintf(buf, sizeof buf, "%d,%d,%d,%d,%d,%d,%d,%d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond,
                  t.wMilliseconds, t.wDayOfWeek);
    return buf;
}

SYSTEMTIME parseTime(const std::string& text) {
    int v[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    std::sscanf(text.c_str(), "%d,%d,%d,%d,%d,%d,%d,%d", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7]);
    SYSTEMTIME t{};
    t.wYear = WORD(v[0]);
    t.wMonth = WORD(v[1]);
    t.wDay = WORD(v[2]);
    t.wHour = WORD(v[3]);
    t.wMinute = WORD(v[4]);
    t.wSecond = WORD(v[5]);
    t.wMilliseconds = WORD(v[6]);
    t.wDayOfWeek = WORD(v[7]);
    return t;
}

Key open(HKEY parent, const std::string& sub, int code) {
    Key k;
    if (RegOpenKeyExA(parent, sub.c_str(), 0, KEY_READ | KEY_WRITE, k.out()) != ERROR_SUCCESS) throw DbError{code};
    return k;
}

}  // namespace tabellon::reg
