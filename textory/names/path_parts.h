// A Windows-style path taken apart without length limits: drive ("C:"),
// folder (with its last separator), stem and extension (from the last '.' of
// the last part, with the dot). Double-byte aware: a trail byte 0x5C is no
// separator.
#pragma once

#include <string>
#include <string_view>

namespace textory {

struct PathParts {
    std::string drive, folder, stem, ext;
    std::string Join() const { return drive + folder + stem + ext; }
};

PathParts SplitWholePath(std::string_view path);

}  // namespace textory
