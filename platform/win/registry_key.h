// An open registry key that closes itself.
#pragma once

#include <string>

#include "platform/win/registry.h"

namespace suite {

class RegKey {
public:
    RegKey() = default;
    // Opens `path` under `parent` with `access`; check with get() or operator bool.
    RegKey(HKEY parent, const std::string& path, REGSAM access = KEY_READ) {
        if (RegOpenKeyExA(parent, path.c_str(), 0, access, &key_) != ERROR_SUCCESS) key_ = nullptr;
    }
    ~RegKey() { reset(); }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    RegKey(RegKey&& other) noexcept : key_(other.key_) { other.key_ = nullptr; }
    RegKey& operator=(RegKey&& other) noexcept {
        if (this != &other) {
            reset();
            key_ = other.key_;
            other.key_ = nullptr;
        }
        return *this;
    }
    // Opens `path` under `parent`, creating it when missing; `disposition`
    // (when given) tells which of the two happened.
    static RegKey Create(HKEY parent, const std::string& path, REGSAM access = KEY_READ | KEY_WRITE,
                         DWORD* disposition = nullptr) {
        RegKey k;
        if (RegCreateKeyExA(parent, path.c_str(), 0, nullptr, 0, access, nullptr, &k.key_, disposition) !=
            ERROR_SUCCESS)
            k.key_ = nullptr;
        return k;
    }
    HKEY get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }
    void reset() {
        if (key_) RegCloseKey(key_);
        key_ = nullptr;
    }

private:
    HKEY key_ = nullptr;
};

}  // namespace suite
