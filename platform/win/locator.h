// Registry locators: four comma-separated fields that point at a registry
// value, as installers of outside applications leave them and as the suite's
// connectors and plug-ins read them:
//   root      "1" for HKEY_LOCAL_MACHINE, anything else HKEY_CURRENT_USER
//   key path  the key under the root
//   value     the value's name; "0" for the key's default (unnamed) value
//   extra     for a program: a file name appended behind "\" to the value's
//             text ("0" or missing: none); for a check: a decimal number the
//             DWORD value must equal
// Over-long fields are refused, never cut.
#pragma once

#include <string>
#include <string_view>

#include "platform/win/registry.h"

namespace suite {

struct RegistryLocator {
    HKEY root = nullptr;
    std::string keyPath;
    std::string valueName;  // empty: the default value
    std::string extra;      // the fourth field; empty when missing
};

// The longest locator text and the longest of its fields.
constexpr std::size_t kLocatorMaxText = 2048;
constexpr std::size_t kLocatorMaxKeyPath = 1024;
constexpr std::size_t kLocatorMaxName = 255;
// The longest value text read as a path.
constexpr std::size_t kLocatorMaxValueText = 32767;

// False for text with fewer than three fields, an empty key path, or a text
// or field longer than its bound. Blanks around fields are ignored.
bool ParseRegistryLocator(std::string_view text, RegistryLocator* out);

// The value's text (REG_SZ or REG_EXPAND_SZ), with "\" and the file name
// appended when the fourth field names one. False when the key or value
// cannot be read or the value is empty.
bool ReadLocatorPath(const RegistryLocator& locator, std::string* path);

// Parses `text` and reads its path; true only when a file exists there.
bool LocateExistingFile(std::string_view text, std::string* path);

// The check form: true when the DWORD value can be read and equals the
// decimal number of the fourth field (a missing or malformed number fails).
bool LocatorDwordMatches(std::string_view text);

// The text of a string value of an open key ("" name: the default value);
// false when missing, not a string, or longer than kLocatorMaxValueText.
bool ReadStringValue(HKEY key, const std::string& name, std::string* text);

// Values `stem` + "1", `stem` + "2", ... of `key` until one is missing (at
// most 1000): the first whose locator names an existing file. A value that
// does not parse or cannot be read moves on to the next.
// With `maxPath`, a path of that many bytes or more does not fit the caller's
// buffer and is taken as not found (the search goes on).
bool FirstExistingLocatedFile(HKEY key, std::string_view stem, std::string* path, int* number = nullptr,
                              std::size_t maxPath = 0);

// Sub-keys `stem` + "1", `stem` + "2", ... of `parent` until one is missing
// (at most 1000), each with "Exe RegPath" (a sub-key without it is passed
// over): the first whose program file exists and, when `extraCheck` is set
// and the sub-key holds "Extra Checked RegPath", whose check holds.
struct InstalledProgram {
    int number = 0;       // the matching sub-key's number
    std::string program;  // the program's path
};
// With `maxPath`, a program path of that many bytes or more does not fit the
// caller's buffer and is taken as not found (the search goes on).
bool FindInstalledProgram(HKEY parent, std::string_view stem, bool extraCheck, InstalledProgram* out,
                          std::size_t maxPath = 0);

}  // namespace suite
