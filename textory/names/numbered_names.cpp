#include "textory/names/numbered_names.h"

#include <cstdio>

#include "platform/win/files.h"
#include "textory/names/path_parts.h"

namespace textory {
namespace {

constexpr int kNumberedTries = 10001;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Whether a file can be written under `path`, leaving the disk as it was.
bool canWrite(const std::string& path) {
    HANDLE existing = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                  nullptr);
    if (existing != INVALID_HANDLE_VALUE) {
        CloseHandle(existing);
        return true;
    }
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    HANDLE made = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (made == INVALID_HANDLE_VALUE) return false;
    CloseHandle(made);
    DeleteFileA(path.c_str());
    return true;
}

}  // namespace

bool HasNumberSuffix(const std::string& stem) {
    if (stem.size() < 5) return false;
    const std::size_t at = stem.size() - 5;
    if (stem[at] != '_') return false;
    for (std::size_t i = at + 1; i < stem.size(); ++i)
        if (!isDigit(stem[i])) return false;
    return true;
}

std::string IncrementNumberSuffix(const std::string& stem) {
    const std::size_t at = stem.size() - 4;
    const int number = std::stoi(stem.substr(at));
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04d", (number + 1) % 10000);
    return stem.substr(0, at) + digits;
}

std::string NextNumberedName(const std::string& path) {
    PathParts parts = SplitWholePath(path);
    parts.stem = HasNumberSuffix(parts.stem) ? IncrementNumberSuffix(parts.stem) : parts.stem + "_0000";
    return parts.Join();
}

std::string ReplaceFileExt(const std::string& path, const std::string& ext) {
    PathParts parts = SplitWholePath(path);
    parts.ext = ext;
    return parts.Join();
}

bool MakeWritableNumberedName(std::string& path) {
    std::string candidate = path;
    for (int i = 0; i <= kNumberedTries; ++i) {
        if (canWrite(candidate)) {
            path = candidate;
            return true;
        }
        candidate = NextNumberedName(candidate);
    }
    return false;
}

}  // namespace textory
