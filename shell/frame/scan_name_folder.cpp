#include "shell/frame/scan_name_folder.h"

ScanNameParts SplitScanName(const std::string& text) {
    ScanNameParts parts;
    const std::size_t cut = text.find_last_of("\\/");
    if (cut == std::string::npos) {
        parts.file = text;
        return parts;
    }
    parts.folder = text.substr(0, cut + 1);
    parts.file = text.substr(cut + 1);
    // "C:\" keeps its backslash; any other folder loses it.
    const bool driveRoot = parts.folder.size() == 3 && parts.folder[1] == ':';
    if (!driveRoot && parts.folder.size() > 1) parts.folder.pop_back();
    return parts;
}

std::string JoinScanName(const std::string& folder, const std::string& file) {
    std::string text = folder;
    if (text.empty() || (text.back() != '\\' && text.back() != '/')) text += '\\';
    return text + file;
}
