#include "platform/win/exclusive_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/win/path.h"

namespace suite {

namespace {

// Where "_N" goes: before the extension's dot of the last part, else at the end.
std::size_t SuffixPlace(const std::string& path) {
    std::size_t part = path.find_last_of("\\/");
    std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (part != std::string::npos && dot < part)) return path.size();
    if (part != std::string::npos && dot == part + 1) return path.size();  // a name that starts with its dot
    return dot;
}

std::string Candidate(const std::string& path, std::size_t place, int n) {
    return n == 1 ? path : path.substr(0, place) + "_" + std::to_string(n) + path.substr(place);
}

// Tries `take` on `path` and its "_N" variants until it does not answer
// EEXIST: the candidate taken, "" when none.
template <class Take>
std::string FirstWithSuffix(const std::string& path, int attempts, Take take) {
    if (path.empty()) return {};
    const std::size_t place = SuffixPlace(path);
    for (int n = 1; n <= attempts; ++n) {
        std::string candidate = Candidate(path, place, n);
        std::string native = NativePathOfEither(candidate);
        if (native.empty()) return {};
        if (take(native)) return candidate;
        if (errno != EEXIST) return {};
    }
    return {};
}

// Renames `from` to `to` unless `to` exists, in one step where the file
// system can, else by a hard link (which fails on an existing name).
bool RenameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return false;
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    ::unlink(from.c_str());
    return true;
}

}  // namespace

std::string CreateNewFileWithSuffix(const std::string& windowsPath, int attempts) {
    return FirstWithSuffix(windowsPath, attempts, [](const std::string& native) {
        const int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) return false;
        ::close(fd);
        return true;
    });
}

std::string FirstFreeNameWithSuffix(const std::string& windowsPath, int attempts) {
    return FirstWithSuffix(windowsPath, attempts, [](const std::string& native) {
        struct stat st {};
        if (::lstat(native.c_str(), &st) == 0) {
            errno = EEXIST;
            return false;
        }
        return errno == ENOENT;
    });
}

std::string CreateTemporarySibling(const std::string& windowsPath) {
    const std::string native = NativePathOfEither(windowsPath);
    if (native.empty()) return {};
    // The extension stays last, for writers that go by it.
    const std::size_t place = SuffixPlace(native);
    const int extension = int(native.size() - place);
    std::string temp = native.substr(0, place) + ".~XXXXXX" + native.substr(place);
    const int fd = ::mkstemps(temp.data(), extension);
    if (fd < 0) return {};
    ::fchmod(fd, 0644);
    ::close(fd);
    // The same form as the path given: only the name differs.
    const std::size_t cut = SuffixPlace(windowsPath);
    return windowsPath.substr(0, cut) + temp.substr(place, 8) + windowsPath.substr(cut);
}

std::string PublishWithSuffix(const std::string& temporaryPath, const std::string& windowsPath, int attempts) {
    const std::string from = NativePathOfEither(temporaryPath);
    if (from.empty()) return {};
    const int fd = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    const bool flushed = ::fsync(fd) == 0;
    ::close(fd);
    if (!flushed) return {};
    return FirstWithSuffix(windowsPath, attempts, [&](const std::string& native) { return RenameNoReplace(from, native); });
}

}  // namespace suite
