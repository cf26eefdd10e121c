// Output file names chosen in a Save As dialog.
#pragma once

#include <string>

namespace moplink {

// A name without an extension gets "." and `extension`; others stay as they are.
inline std::string WithExtension(const std::string& path, const char* extension) {
    std::size_t slash = path.find_last_of("\\/");
    std::size_t dot = path.find_last_of('.');
    if (path.empty() || (dot != std::string::npos && (slash == std::string::npos || dot > slash))) return path;
    return path + "." + extension;
}

}  // namespace moplink
