#include "textory/names/path_parts.h"

#include <cctype>

#include "platform/win/path.h"

namespace textory {

PathParts SplitWholePath(std::string_view path) {
    PathParts parts;
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
        parts.drive = std::string(path.substr(0, 2));
        path.remove_prefix(2);
    }
    const std::string_view last = suite::PathLastPart(path);
    parts.folder = std::string(path.substr(0, path.size() - last.size()));
    const std::size_t dot = last.rfind('.');
    if (dot == std::string_view::npos) {
        parts.stem = std::string(last);
    } else {
        parts.stem = std::string(last.substr(0, dot));
        parts.ext = std::string(last.substr(dot));
    }
    return parts;
}

}  // namespace textory
