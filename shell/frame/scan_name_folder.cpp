#include "shell/frame/scan_name_folder.h"

#include "platform/afx/afxwin.h"

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

namespace {
std::optional<std::string> FrameworkBrowser(const std::string& title, const std::string& prompt, const std::string&) {
    char name[MAX_PATH] = {};
    BROWSEINFO info{};
    info.hwndOwner = AfxGetMainWnd() ? AfxGetMainWnd()->GetSafeHwnd() : nullptr;
    info.pszDisplayName = name;
    info.lpszTitle = prompt.empty() ? title.c_str() : prompt.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST chosen = SHBrowseForFolder(&info);
    if (!chosen) return std::nullopt;
    char path[MAX_PATH] = {};
    const BOOL ok = SHGetPathFromIDList(chosen, path);
    CoTaskMemFree(chosen);
    if (!ok) return std::nullopt;
    return std::string(path);
}
}  // namespace

FolderBrowser& ScanFolderBrowser() {
    static FolderBrowser browser = FrameworkBrowser;
    return browser;
}
