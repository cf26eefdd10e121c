#include "platform/win/path.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <cstdlib>
#include <vector>

#include "platform/win/codepage.h"
#include "platform/win/folders.h"

namespace {

bool existsAsSpelled(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

// Simple case folding of one UTF-16 unit: ASCII, Latin-1, Greek, Cyrillic and
// the full-width Latin letters, which covers the names this system makes.
char16_t foldUnit(char16_t c) {
    if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 32);
    if (c < 0x80) return c;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<char16_t>(c + 32);
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return static_cast<char16_t>(c + 32);
    if (c >= 0x410 && c <= 0x42F) return static_cast<char16_t>(c + 32);
    if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 80);
    if (c >= 0xFF21 && c <= 0xFF3A) return static_cast<char16_t>(c + 32);
    return c;
}

std::u16string foldName(std::string_view utf8) {
    std::u16string s = suite::Utf8ToUtf16(utf8);
    for (auto& c : s) c = foldUnit(c);
    return s;
}

// The entry of `folder` whose name equals `name` but for case; "" when none.
std::string findNoCase(const std::string& folder, const std::string& name) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return {};
    std::u16string wanted = foldName(name);
    std::vector<std::string> matches;
    while (dirent* entry = ::readdir(dir)) {
        std::string_view candidate = entry->d_name;
        if (candidate == "." || candidate == "..") continue;
        if (candidate.size() > name.size() * 2 + 8) continue;  // cannot fold to the same length
        if (foldName(candidate) == wanted) matches.emplace_back(candidate);
    }
    ::closedir(dir);
    if (matches.empty()) return {};
    return *std::min_element(matches.begin(), matches.end());
}

std::string stripTrailingSlashes(std::string s) {
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return s;
}

bool isDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Splits the part after any root into its parts, applying "." and "..".
std::vector<std::string> splitParts(std::string_view rest, bool rooted) {
    std::vector<std::string> parts;
    size_t i = 0;
    while (i < rest.size()) {
        while (i < rest.size() && suite::IsPathSeparator(rest[i])) ++i;
        size_t start = i;
        while (i < rest.size() && !suite::IsPathSeparator(rest[i])) ++i;
        std::string_view part = rest.substr(start, i - start);
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty() && parts.back() != "..") {
                parts.pop_back();
            } else if (!rooted) {
                parts.emplace_back(part);
            }
            continue;
        }
        parts.emplace_back(part);
    }
    return parts;
}

}  // namespace

namespace suite {

std::string JoinNative(std::string_view folder, std::string_view name) {
    std::string out(folder);
    if (!out.empty() && out.back() != '/' && !name.empty()) out.push_back('/');
    size_t skip = 0;
    while (!out.empty() && skip < name.size() && name[skip] == '/') ++skip;
    out.append(name.substr(skip));
    return out;
}

std::string_view PathLastPart(std::string_view path) {
    // Walk forwards: a trail byte of a double-byte character may be 0x5C.
    size_t start = 0;
    for (size_t i = 0; i < path.size(); ++i) {
        if (AnsiCharLength(path, i) == 2) {
            ++i;
        } else if (IsPathSeparator(path[i])) {
            start = i + 1;
        }
    }
    return path.substr(start);
}

std::string_view PathFolderPart(std::string_view path) { return path.substr(0, path.size() - PathLastPart(path).size()); }

bool HasExtension(std::string_view path, std::string_view extension) {
    const std::string_view last = PathLastPart(path);
    // A dot is never the trail byte of a double-byte character.
    const std::size_t dot = last.rfind('.');
    if (dot == std::string_view::npos || last.size() - dot != extension.size()) return false;
    const std::string_view ext = last.substr(dot);
    for (std::size_t i = 0; i < ext.size(); ++i) {
        if (AnsiCharLength(ext, i) == 2) {  // a trail byte is never folded
            if (ext.substr(i, 2) != extension.substr(i, 2)) return false;
            ++i;
            continue;
        }
        const auto a = static_cast<unsigned char>(ext[i]), b = static_cast<unsigned char>(extension[i]);
        if (a != b && !(a < 0x80 && std::tolower(a) == std::tolower(b))) return false;
    }
    return true;
}

std::string DriveFolder(char letter) {
    if (!isDriveLetter(letter)) return {};
    char upper = static_cast<char>(letter & ~0x20);
    std::string var = std::string("SUITE_DRIVE_") + upper;
    if (const char* v = std::getenv(var.c_str()); v && *v) return stripTrailingSlashes(v);
    if (upper == 'Z') return "/";
    std::string folder = JoinNative(DataFolder(), std::string("drive_") + static_cast<char>(upper | 0x20));
    return folder;
}

bool TryNativePath(std::string_view windowsPath, std::string& native) {
    native.clear();
    if (windowsPath.empty()) return false;
    bool exact = true;
    std::string utf8 = AnsiToUtf8(windowsPath, CP_ACP, &exact);
    if (!exact || utf8.find('\0') != std::string::npos) return false;

    std::string root;
    std::string_view rest = utf8;
    if (rest.size() >= 2 && isDriveLetter(rest[0]) && rest[1] == ':') {
        root = DriveFolder(rest[0]);
        if (!existsAsSpelled(root)) MakeNativeFolders(root);
        rest.remove_prefix(2);
    } else if (IsPathSeparator(rest[0])) {
        root = "/";
    }
    bool rooted = !root.empty();
    bool trailing = IsPathSeparator(rest.empty() ? '\0' : rest.back());
    std::vector<std::string> parts = splitParts(rest, rooted);

    // Fast path: the path exists as spelled.
    std::string spelled = root;
    for (const auto& p : parts) spelled = JoinNative(spelled, p);
    if (!parts.empty() && !existsAsSpelled(spelled)) {
        std::string built = root;
        bool missing = false;
        for (const auto& p : parts) {
            std::string next = JoinNative(built, p);
            if (!missing && p != ".." && !existsAsSpelled(next)) {
                std::string found = findNoCase(built, p);
                if (found.empty()) {
                    missing = true;
                } else {
                    next = JoinNative(built, found);
                }
            }
            built = std::move(next);
        }
        spelled = std::move(built);
    }
    if (spelled.empty()) spelled = ".";
    if (trailing && spelled.back() != '/') spelled.push_back('/');
    native = std::move(spelled);
    return true;
}

std::string NativePath(std::string_view windowsPath) {
    std::string native;
    TryNativePath(windowsPath, native);
    return native;
}

std::string NativePathOfEither(std::string_view path) {
    bool windows = path.find('\\') != std::string_view::npos || (path.size() >= 2 && path[1] == ':');
    return windows ? NativePath(path) : std::string(path);
}

std::string ShownPath(std::string_view windowsPath) {
    std::string native;
    if (!TryNativePath(windowsPath, native)) return std::string(windowsPath);
    bool exact = true;
    std::string shown = Utf8ToAnsi(native, CP_ACP, &exact);
    return exact ? shown : std::string(windowsPath);
}

std::string WindowsPath(std::string_view nativePath) {
    std::string path(nativePath);
    std::string prefix;
    if (!path.empty() && path[0] == '/') {
        // The drive whose folder holds the path, the longest folder winning.
        size_t best = 0;
        for (char letter = 'A'; letter <= 'Z'; ++letter) {
            std::string folder = DriveFolder(letter);
            if (folder.empty()) continue;
            bool inside = folder == "/" || path == folder ||
                          (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                           path[folder.size()] == '/');
            size_t len = folder == "/" ? 0 : folder.size();
            if (inside && (prefix.empty() || len > best)) {
                prefix = std::string(1, letter) + ":";
                best = len;
            }
        }
        if (!prefix.empty()) {
            path.erase(0, best);
            if (path.empty()) path = "/";
        }
    }
    std::replace(path.begin(), path.end(), '/', '\\');
    return prefix + Utf8ToAnsi(path);
}

std::string FullWindowsPath(std::string_view windowsPath) {
    // Parts are split in UTF-8, where no byte of a multi-byte character is a separator.
    std::string utf8 = AnsiToUtf8(windowsPath);
    std::string prefix;
    std::string_view rest = utf8;
    if (rest.size() >= 2 && isDriveLetter(rest[0]) && rest[1] == ':') {
        prefix = std::string(1, static_cast<char>(rest[0] & ~0x20)) + ":";
        rest.remove_prefix(2);
    } else if (!rest.empty() && IsPathSeparator(rest[0])) {
        prefix = WindowsPath("/");
        if (!prefix.empty() && prefix.back() == '\\') prefix.pop_back();
    } else {
        char buf[4096];
        std::string cwd = ::getcwd(buf, sizeof buf) ? std::string(buf) : std::string("/");
        std::string base = WindowsPath(cwd);
        if (!base.empty() && base.back() == '\\') base.pop_back();
        return FullWindowsPath(base + "\\" + std::string(windowsPath));
    }
    bool trailing = !rest.empty() && IsPathSeparator(rest.back());
    std::string out = AnsiToUtf8(prefix);
    size_t prefixSize = out.size();
    for (const auto& p : splitParts(rest, true)) out += "\\" + p;
    if (out.size() == prefixSize || trailing) out += "\\";
    return Utf8ToAnsi(out);
}

}  // namespace suite

namespace {

// Copies at most size - 1 bytes of `part`, never splitting a double-byte character.
void copyPart(std::string_view part, char* out, size_t size) {
    if (!out) return;
    size_t n = 0;
    while (n < part.size()) {
        size_t len = suite::AnsiCharLength(part, n);
        if (n + len > size - 1) break;
        n += len;
    }
    if (n > 0) std::memcpy(out, part.data(), n);
    out[n] = '\0';
}

}  // namespace

void _splitpath(const char* path, char* drive, char* dir, char* fname, char* ext) {
    std::string_view p = path ? path : "";
    std::string_view d;
    if (p.size() >= 2 && p[1] == ':') {
        d = p.substr(0, 2);
        p.remove_prefix(2);
    }
    std::string_view last = suite::PathLastPart(p);
    std::string_view folder = p.substr(0, p.size() - last.size());
    // The last '.' of the last part, found walking forwards (double-byte aware).
    size_t dot = std::string_view::npos;
    for (size_t i = 0; i < last.size(); ++i) {
        if (suite::AnsiCharLength(last, i) == 2) {
            ++i;
        } else if (last[i] == '.') {
            dot = i;
        }
    }
    copyPart(d, drive, _MAX_DRIVE);
    copyPart(folder, dir, _MAX_DIR);
    copyPart(last.substr(0, dot), fname, _MAX_FNAME);
    copyPart(dot == std::string_view::npos ? std::string_view() : last.substr(dot), ext, _MAX_EXT);
}

void _makepath(char* path, const char* drive, const char* dir, const char* fname, const char* ext) {
    if (!path) return;
    std::string out;
    if (drive && *drive) {
        out.push_back(drive[0]);
        out.push_back(':');
    }
    if (dir && *dir) {
        out += dir;
        // Ends with a separator exactly when nothing follows its last one (a
        // trail byte 0x5C at the end is no separator).
        if (!suite::PathLastPart(out).empty()) out.push_back('\\');
    }
    if (fname) out += fname;
    if (ext && *ext) {
        if (ext[0] != '.') out.push_back('.');
        out += ext;
    }
    copyPart(out, path, _MAX_PATH);
}
