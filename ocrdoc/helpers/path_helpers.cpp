#include "ocrdoc/helpers/path_helpers.h"

#include <cstring>
#include <string>

#include "ocrdoc/helpers/dbcs.h"
#include "platform/win/files.h"
#include "platform/win/path.h"

namespace {

using dochelpers::CharBytes;

struct PathParts {
    char drive[_MAX_DRIVE] = {};
    char dir[_MAX_DIR] = {};
    char fname[_MAX_FNAME] = {};
    char ext[_MAX_EXT] = {};
    explicit PathParts(const char* path) { _splitpath(path ? path : "", drive, dir, fname, ext); }
};

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

BOOL ExtractFileExt(char* buffer) {
    PathParts p(ReadBuffer(buffer).c_str());
    StoreInBuffer(buffer, p.ext);
    return TRUE;
}

BOOL ExtractFileExtStr(CString& path) {
    PathParts p(path);
    path = p.ext;
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
    PathParts p(ReadBuffer(buffer).c_str());
    StoreInBuffer(buffer, std::string(p.drive) + p.dir + p.fname);
    return TRUE;
}

BOOL StripFileExtStr(CString& path) {
    int dot = path.ReverseFind('.');
    if (dot <= 0) return FALSE;
    path = path.Left(dot);
    return TRUE;
}

BOOL ExtractFileName(char* buffer) {
    PathParts p(ReadBuffer(buffer).c_str());
    StoreInBuffer(buffer, std::string(p.fname) + p.ext);
    return TRUE;
}

BOOL ExtractFileNameStr(CString& path) {
    PathParts p(path);
    std::string name = std::string(p.fname) + p.ext;
    if (name.empty()) return FALSE;
    path = name.c_str();
    return TRUE;
}

BOOL ExtractFolder(char* buffer) {
    PathParts p(ReadBuffer(buffer).c_str());
    if (!p.drive[0] || !p.dir[0]) {
        buffer[0] = '\0';
        return FALSE;
    }
    StoreInBuffer(buffer, std::string(p.drive) + p.dir);
    return TRUE;
}

BOOL ExtractFolderStr(CString& path) {
    PathParts p(path);
    if (!p.drive[0] || !p.dir[0]) {
        path.Empty();
        return FALSE;
    }
    path = (std::string(p.drive) + p.dir).c_str();
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
    PathParts p(path);
    if (!p.fname[0] || !p.ext[0]) return FALSE;
    std::string base = p.fname;
    std::size_t limit = (base[0] >= '0' && base[0] <= '9') ? 8 : 9;
    out = base.substr(0, CharBoundaryPrefix(base, limit)).c_str();
    return TRUE;
}

BOOL MakeXmlOutputPath(CString& out, const char* name) {
    char module[_MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, module, sizeof module);
    if (n == 0 || n >= sizeof module) module[0] = '\0';
    PathParts p(module);
    out = (std::string(p.drive) + p.dir + "output\\" + (name ? name : "") + ".XML").c_str();
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
