#include "ocrdoc/helpers/path_helpers.h"

#include <cstring>
#include <string>

#include "ocrdoc/helpers/dbcs.h"
#include "platform/win/files.h"
#include "platform/win/path.h"

namespace {

using dochelpers::CharBytes;

// The longest prefix of `text` of at most `limit` bytes that does not end
// inside a double-byte character.
std::size_t CharBoundaryPrefix(const std::string& text, std::size_t limit) {
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t n = CharBytes(text.data(), i, text.size());
        if (i + n > limit) break;
        i += n;
    }
    return i;
}

// Replaces the buffer's contents, never writing more than _MAX_PATH bytes.
void StoreInBuffer(char* buffer, const std::string& text) {
    std::size_t n = CharBoundaryPrefix(text, _MAX_PATH - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

// The buffer's text, read no further than _MAX_PATH bytes.
std::string ReadBuffer(const char* buffer) { return std::string(buffer, strnlen(buffer, _MAX_PATH - 1)); }

}  // namespace

PathParts SplitPath(const std::string& path) {
    char drive[_MAX_DRIVE] = {}, dir[_MAX_DIR] = {}, stem[_MAX_FNAME] = {}, ext[_MAX_EXT] = {};
    _splitpath(path.c_str(), drive, dir, stem, ext);
    return {drive, dir, stem, ext};
}

BOOL ExtractFileExt(char* buffer) {
    const PathParts p = SplitPath(ReadBuffer(buffer));
    StoreInBuffer(buffer, p.ext);
    return TRUE;
}

BOOL ExtractFileExtStr(CString& path) {
    const PathParts p = SplitPath(path.GetString());
    path = p.ext.c_str();
    return TRUE;
}

BOOL ExtractFileExtNoDot(const char* path, char* out) {
    out[0] = '\0';
    const char* dot = FindLastChar(path, '.');
    if (!dot) return FALSE;
    StoreInBuffer(out, dot + 1);
    return TRUE;
}

BOOL RemoveFileExt(char* buffer) {
    const PathParts p = SplitPath(ReadBuffer(buffer));
    StoreInBuffer(buffer, p.drive + p.folder + p.stem);
    return TRUE;
}

BOOL StripFileExtStr(CString& path) {
    int dot = path.ReverseFind('.');
    if (dot <= 0) return FALSE;
    path = path.Left(dot);
    return TRUE;
}

BOOL ExtractFileName(char* buffer) {
    const PathParts p = SplitPath(ReadBuffer(buffer));
    StoreInBuffer(buffer, p.stem + p.ext);
    return TRUE;
}

BOOL ExtractFileNameStr(CString& path) {
    const PathParts p = SplitPath(path.GetString());
    std::string name = p.stem + p.ext;
    if (name.empty()) return FALSE;
    path = name.c_str();
    return TRUE;
}

BOOL ExtractFolder(char* buffer) {
    const PathParts p = SplitPath(ReadBuffer(buffer));
    if (p.drive.empty() || p.folder.empty()) {
        buffer[0] = '\0';
        return FALSE;
    }
    StoreInBuffer(buffer, p.drive + p.folder);
    return TRUE;
}

BOOL ExtractFolderStr(CString& path) {
    const PathParts p = SplitPath(path.GetString());
    if (p.drive.empty() || p.folder.empty()) {
        path.Empty();
        return FALSE;
    }
    path = (p.drive + p.folder).c_str();
    return TRUE;
}

const char* FindLastChar(const char* text, char ch) {
    if (!text) return nullptr;
    std::size_t length = std::strlen(text);
    const char* found = nullptr;
    for (std::size_t i = 0; i < length;) {
        std::size_t n = CharBytes(text, i, length);
        if (n == 1 && text[i] == ch) found = text + i;
        i += n;
    }
    return found;
}

BOOL MakeShortBaseName(CString& out, const char* path) {
    out.Empty();
    const PathParts p = SplitPath(path ? path : "");
    if (p.stem.empty() || p.ext.empty()) return FALSE;
    std::string base = p.stem;
    std::size_t limit = (base[0] >= '0' && base[0] <= '9') ? 8 : 9;
    out = base.substr(0, CharBoundaryPrefix(base, limit)).c_str();
    return TRUE;
}

BOOL MakeXmlOutputPath(CString& out, const char* name) {
    char module[_MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, module, sizeof module);
    if (n == 0 || n >= sizeof module) module[0] = '\0';
    const PathParts p = SplitPath(module);
    out = (p.drive + p.folder + "output\\" + (name ? name : "") + ".XML").c_str();
    return TRUE;
}

namespace {

constexpr std::size_t kMaxFolderPath = 511;

BOOL FolderExistsOrCreated(const std::string& prefix) {
    if (PathFileExistsA(prefix.c_str())) return TRUE;
    return CreateDirectoryA(prefix.c_str(), nullptr);
}

}  // namespace

BOOL CreateFolderPath(const char* path) {
    if (!path) return FALSE;
    std::size_t length = strnlen(path, kMaxFolderPath + 1);
    if (length == 0 || length > kMaxFolderPath) return FALSE;

    // Spaces that end a folder name are cut before its separator.
    std::string clean;
    for (std::size_t i = 0; i < length;) {
        std::size_t n = CharBytes(path, i, length);
        if (n == 1 && suite::IsPathSeparator(path[i])) {
            while (!clean.empty() && clean.back() == ' ') clean.pop_back();
        }
        clean.append(path + i, n);
        i += n;
    }

    std::string prefix;
    for (std::size_t i = 0; i < clean.size();) {
        std::size_t n = CharBytes(clean.data(), i, clean.size());
        prefix.append(clean, i, n);
        i += n;
        if (n != 1 || !suite::IsPathSeparator(prefix.back())) continue;
        if (!FolderExistsOrCreated(prefix)) return FALSE;
        while (i < clean.size() && suite::IsPathSeparator(clean[i])) ++i;
    }
    if (!prefix.empty() && !suite::IsPathSeparator(prefix.back())) return FolderExistsOrCreated(prefix);
    return TRUE;
}
