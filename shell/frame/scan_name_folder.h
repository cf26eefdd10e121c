// The scan-name box's folder: split off for the folder browser to start
// from, and joined again with the folder the user chose.
#pragma once

#include <string>

struct ScanNameParts {
    std::string folder;  // without a trailing backslash, unless it follows a drive colon ("C:\")
    std::string file;
};

// Splits the box's text at its last backslash (or slash); a text without
// one is only a file name, with an empty folder.
ScanNameParts SplitScanName(const std::string& text);
// The chosen folder, a backslash when it does not end in one, the file name.
std::string JoinScanName(const std::string& folder, const std::string& file);
