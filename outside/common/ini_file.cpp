#include "outside/common/ini_file.h"

#include <unistd.h>

#include "platform/win/files.h"
#include "platform/win/ini.h"

namespace common {
namespace {

// The file as the platform's ini layer reads it: a missing file reads as an
// empty one; false when the file is there but cannot be read.
bool load(const std::string& path, suite::IniDocument& doc) {
    std::string bytes;
    if (!suite::ReadNativeFile(path, bytes)) {
        if (::access(path.c_str(), F_OK) == 0) return false;
        bytes.clear();
    }
    doc = suite::IniDocument::Parse(bytes);
    return true;
}

}  // namespace

std::optional<std::string> readIniValue(const std::string& path, const std::string& section, const std::string& key) {
    suite::IniDocument doc;
    std::string value;
    if (!load(path, doc) || !doc.Get(section, key, value)) return std::nullopt;
    return value;
}

bool writeIniValue(const std::string& path, const std::string& section, const std::string& key, const std::string& value) {
    if (!suite::IniDocument::IsWritableSection(section) || !suite::IniDocument::IsWritableKey(key) ||
        !suite::IniDocument::IsWritableValue(value))
        return false;
    suite::IniDocument doc;
    if (!load(path, doc)) return false;
    doc.Set(section, key, value);
    return suite::WriteNativeFileAtomic(path, doc.Serialize());
}

}  // namespace common
