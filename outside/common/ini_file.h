// Ini files as the Common Library reads and writes them, through the
// platform's ini layer: "[Section]" lines and "key=value" lines, sections and
// keys compared as the platform compares names (ASCII letters without regard
// to case, double-byte characters byte for byte), comments and line ends kept.
#pragma once

#include <optional>
#include <string>

namespace common {

// The value of key in section of the file at the native path; nothing when
// the file, the section or the key is missing.
std::optional<std::string> readIniValue(const std::string& path, const std::string& section, const std::string& key);
// Sets one value, adding the section or key when missing; the file is
// rewritten whole under a fresh name and renamed into place. False for names
// or a value that would break the file's lines, and when the file cannot be read.
bool writeIniValue(const std::string& path, const std::string& section, const std::string& key, const std::string& value);

}  // namespace common
