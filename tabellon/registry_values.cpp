#include "tabellon/registry_values.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>
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

namespace {

// Value names compare without regard to ASCII case, as the registry's do.
const suite::reg::TreeCopy::Value* findValue(const suite::reg::TreeCopy& key, const char* name) {
    const std::string_view wanted(name);
    for (const auto& v : key.values) {
        if (v.name.size() != wanted.size()) continue;
        bool same = true;
        for (size_t i = 0; same && i < wanted.size(); ++i) {
            auto upper = [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; };
            same = upper(static_cast<unsigned char>(v.name[i])) == upper(static_cast<unsigned char>(wanted[i]));
        }
        if (same) return &v;
    }
    return nullptr;
}

}  // namespace

std::optional<DWORD> treeDword(const suite::reg::TreeCopy& key, const char* name) {
    const auto* v = findValue(key, name);
    if (!v || v->type != REG_DWORD || v->data.size() != sizeof(DWORD)) return std::nullopt;
    DWORD value = 0;
    std::memcpy(&value, v->data.data(), sizeof value);
    return value;
}

std::optional<std::string> treeString(const suite::reg::TreeCopy& key, const char* name) {
    const auto* v = findValue(key, name);
    if (!v || (v->type != REG_SZ && v->type != REG_EXPAND_SZ)) return std::nullopt;
    return std::string(v->data.c_str());  // up to the first NUL, as a read into a buffer gives
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
    // Fields as "%d,%d,..." reads them (blanks, a sign, digits), by hand: a
    // store's open parses two of these a node.
    int v[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    const char* p = text.c_str();
    for (int field = 0; field < 8; ++field) {
        if (field > 0) {
            if (*p != ',') break;
            ++p;
        }
        while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
        bool negative = false;
        if (*p == '+' || *p == '-') negative = *p++ == '-';
        if (*p < '0' || *p > '9') break;
        long long n = 0;
        for (; *p >= '0' && *p <= '9'; ++p) n = std::min(n * 10 + (*p - '0'), 1LL << 32);
        v[field] = static_cast<int>(static_cast<unsigned>(negative ? -n : n));
    }
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

suite::RegKey open(HKEY parent, const std::string& sub, int code) {
    suite::RegKey k(parent, sub, KEY_READ | KEY_WRITE);
    if (!k) throw DbError{code};
    return k;
}

}  // namespace tabellon::reg
