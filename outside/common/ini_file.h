// Ini files as the Common Library reads and writes them: "[Section]" lines and
// "key=value" lines, sections and keys compared as the platform compares names
// (ASCII letters without regard to case, double-byte characters byte for byte).
#pragma once

#include <optional>
#include <string>

namespace common {

std::optional<std::string> readIniValue(const std::string& path, const std::string& section, const std::string& key);
// Sets one value, adding the section or key when missing; the file is
// rewritten whole under a fresh name and renamed into place.
bool writeIniValue(const std::string& path, const std::string& section, const std::string& key, const std::string& value);

}  // namespace common
