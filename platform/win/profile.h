// The application profile: where a program's settings live, by section and
// entry, as the application object of the framework keeps them.
//
// With a registry key set (SetRegistryKey with the company name), a section is
// the key HKEY_CURRENT_USER\Software\<company>\<profile name>\<section> (a
// section with backslashes is a chain of sub-keys), and an entry is a value in
// it: integers as REG_DWORD, strings as REG_SZ, binary data as REG_BINARY.
// Without one, the settings are the private-profile ini file named by the
// profile name ("<application>.INI" in the Windows folder unless set).
//
// Reading never creates keys or files; a missing entry, or one of another
// type, reads as the default.
#pragma once

#include "platform/win/registry.h"
#include "platform/win/types.h"

#include <string>
#include <string_view>
#include <vector>

namespace suite {

class AppProfile {
public:
    explicit AppProfile(std::string_view appName = {});

    // The application's name; it also names the profile until one is set.
    void SetAppName(std::string_view appName);
    const std::string& AppName() const { return appName_; }
    // From now on the settings live in the registry under "Software\<company>";
    // the profile name becomes the application's name. nullptr or "" returns
    // to the ini file ("<application>.INI").
    void SetRegistryKey(LPCSTR company);
    const std::string& RegistryKey() const { return registryKey_; }
    // The key name under the company (registry) or the ini file (no registry key).
    void SetProfileName(std::string_view name);
    const std::string& ProfileName() const { return profileName_; }
    bool UsesRegistry() const { return !registryKey_.empty(); }

    // The key of the application or of one section, opened for reading and
    // writing and created when missing; nullptr without a registry key or on
    // failure. The caller closes it.
    HKEY GetAppRegistryKey() const;
    HKEY GetSectionKey(LPCSTR section) const;

    UINT GetProfileIntA(LPCSTR section, LPCSTR entry, int def) const;
    // `def` nullptr reads as "".
    std::string GetProfileStringA(LPCSTR section, LPCSTR entry, LPCSTR def = nullptr) const;
    BOOL WriteProfileIntA(LPCSTR section, LPCSTR entry, int value) const;
    // `value` nullptr deletes the entry; `entry` nullptr deletes the section's
    // entries (in the registry its sub-sections, being sections of their own, stay).
    BOOL WriteProfileStringA(LPCSTR section, LPCSTR entry, LPCSTR value) const;
    // Binary entries; in an ini file each byte is two letters 'A'..'P', low
    // half first. FALSE when missing or malformed.
    BOOL GetProfileBinary(LPCSTR section, LPCSTR entry, std::vector<BYTE>& data) const;
    // The same into a new[] block that the caller deletes with delete[].
    BOOL GetProfileBinary(LPCSTR section, LPCSTR entry, LPBYTE* data, UINT* bytes) const;
    BOOL WriteProfileBinary(LPCSTR section, LPCSTR entry, const BYTE* data, UINT bytes) const;

private:
    enum class Access { Read, Write, Create };
    // The section's key (the application's for nullptr), opened for reading
    // or writing, or created when missing.
    HKEY OpenSection(LPCSTR section, Access access) const;
    // Reads an entry's raw registry value; false when missing.
    bool ReadValue(LPCSTR section, LPCSTR entry, DWORD& type, std::string& data) const;
    BOOL WriteValue(LPCSTR section, LPCSTR entry, DWORD type, const BYTE* data, DWORD size) const;

    std::string appName_;
    std::string registryKey_;
    std::string profileName_;
};

}  // namespace suite
