#include "shell/dialogs/browse_folder_controller.h"

#include <cctype>

#include "ocrdoc/helpers/dbcs.h"
#include "platform/win/files.h"
#include "platform/win/path.h"

namespace {

constexpr const char* kAskCreate = "The folder:\n\n%s\n\ndoes not exist. Do you want the folder to be created?";
constexpr const char* kInvalid = "The folder:\n\n%s\n\nis invalid. Please reenter.";
constexpr const char* kNotCreated = "The folder:\n\n%s\n\ncan not be created. Please double check.";

std::string fill(const char* text, const std::string& path) {
    std::string out = text;
    out.replace(out.find("%s"), 2, path);
    return out;
}

bool onDrive(const std::string& path) {
    return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

bool validName(const std::string& name) {
    if (name.empty()) return false;
    const char first = name.front(), last = name.back();
    for (char edge : {first, last})
        if (edge == '\t' || edge == ' ' || edge == '.') return false;
    for (std::size_t i = 0; i < name.size(); i += dochelpers::CharBytes(name.data(), i, name.size())) {
        if (dochelpers::CharBytes(name.data(), i, name.size()) == 2) continue;
        const char c = name[i];
        if (c == '"' || c == '*' || c == '/' || c == ':' || c == '<' || c == '>' || c == '?' || c == '|' ||
            static_cast<unsigned char>(c) < 0x20)
            return false;
    }
    return true;
}

}  // namespace

std::string CBrowseFolderController::WindowsForm(const std::string& path) {
    if (!path.empty() && path[0] == '/') return suite::WindowsPath(path);
    return path;
}

CBrowseFolderController::Selection CBrowseFolderController::Select(const std::string& path) {
    const std::string windows = WindowsForm(path);
    if (!onDrive(windows)) return {};
    return {true, windows};
}

bool CBrowseFolderController::HasValidParts(const std::string& path) {
    // Parts between backslashes, walked so that a double-byte character's
    // trail byte 0x5C is not taken for a separator.
    std::string part;
    for (std::size_t i = 3; i <= path.size();) {
        if (i == path.size() || path[i] == '\\') {
            if (!validName(part)) return false;
            part.clear();
            ++i;
            continue;
        }
        const std::size_t n = dochelpers::CharBytes(path.data(), i, path.size());
        part.append(path, i, n);
        i += n;
    }
    return true;
}

int CBrowseFolderController::CheckFolder(const std::string& typed, const AskFn& ask, std::string& path,
                                         std::string& message) {
    message.clear();
    path = WindowsForm(typed);
    // A text longer than the folder field is refused, not cut to another folder.
    if (typed.size() > kMaxPath || path.size() > kMaxPath || path.size() < 3 ||
        !std::isalpha(static_cast<unsigned char>(path[0])) || path[1] != ':' || path[2] != '\\') {
        message = fill(kInvalid, typed);
        return kFolderInvalid;
    }
    if (path.size() == 3) {
        if (PathIsDirectoryA(path.c_str())) return kFolderReady;
        message = fill(kInvalid, path);
        return kFolderInvalid;
    }
    // One trailing backslash names the same folder.
    std::string folder = path.back() == '\\' ? path.substr(0, path.size() - 1) : path;
    if (!HasValidParts(folder)) {
        message = fill(kInvalid, path);
        return kFolderInvalid;
    }
    if (PathIsDirectoryA(folder.c_str())) {
        path = folder;
        return kFolderReady;
    }
    if (!ask || !ask(fill(kAskCreate, folder))) return kFolderDeclined;
    for (std::size_t i = 3; i <= folder.size();) {
        if (i == folder.size() || folder[i] == '\\') {
            const std::string level = folder.substr(0, i);
            if (!PathIsDirectoryA(level.c_str())) CreateDirectoryA(level.c_str(), nullptr);
            if (!PathIsDirectoryA(level.c_str())) {
                message = fill(kNotCreated, folder);
                return kFolderNotCreated;
            }
            ++i;
            continue;
        }
        i += dochelpers::CharBytes(folder.data(), i, folder.size());
    }
    path = folder;
    return kFolderReady;
}
