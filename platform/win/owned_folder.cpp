#include "platform/win/owned_folder.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <unistd.h>

namespace suite {

namespace {

std::string WithSeparator(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

// The owner's id in `name` ("<prefix><digits>-..."), 0 when it holds none.
pid_t OwnerOf(const std::string& name, const std::string& prefix) {
    if (name.compare(0, prefix.size(), prefix) != 0) return 0;
    std::size_t at = prefix.size(), end = at;
    while (end < name.size() && end - at < 10 && name[end] >= '0' && name[end] <= '9') ++end;
    if (end == at || end >= name.size() || name[end] != '-') return 0;
    const long long pid = std::stoll(name.substr(at, end - at));
    return pid > 0 && pid <= 0x7FFFFFFF ? pid_t(pid) : 0;
}

constexpr const char* kKeptMark = ".kept";
constexpr const char* kStrayList = ".strays";

bool IsTemporaryName(const std::string& path) {
    const std::size_t part = path.find_last_of('/');
    return path.find(".~", part == std::string::npos ? 0 : part) != std::string::npos;
}

void RemoveStrays(const std::filesystem::path& folder) {
    std::ifstream list(folder / kStrayList);
    for (std::string line; std::getline(list, line);)
        if (!line.empty() && line.front() == '/' && IsTemporaryName(line)) ::unlink(line.c_str());
}

bool IsGone(pid_t pid) { return ::kill(pid, 0) != 0 && errno == ESRCH; }

}  // namespace

std::string CreateOwnedFolder(const std::string& base, const std::string& prefix) {
    if (base.empty()) return {};
    std::string pattern = WithSeparator(base) + prefix + std::to_string(::getpid()) + "-XXXXXX";
    if (!::mkdtemp(pattern.data())) return {};
    return pattern + "/";
}

bool NoteStrayFile(const std::string& folder, const std::string& nativePath) {
    if (folder.empty() || nativePath.empty() || nativePath.front() != '/' || !IsTemporaryName(nativePath) ||
        nativePath.find('\n') != std::string::npos)
        return false;
    const std::string line = nativePath + "\n";
    const int fd = ::open((WithSeparator(folder) + kStrayList).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const bool written = ::write(fd, line.data(), line.size()) == ssize_t(line.size());
    ::close(fd);
    return written;
}

void ForgetStrayFiles(const std::string& folder) {
    if (!folder.empty()) ::unlink((WithSeparator(folder) + kStrayList).c_str());
}

void KeepOwnedFolder(const std::string& folder) {
    if (folder.empty()) return;
    const int fd = ::open((WithSeparator(folder) + kKeptMark).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0) ::close(fd);
}

int RemoveFoldersOfGoneOwners(const std::string& base, const std::string& prefix) {
    namespace fs = std::filesystem;
    std::error_code ec;
    int removed = 0;
    for (fs::directory_iterator it(base, ec), end; !ec && it != end; it.increment(ec)) {
        const pid_t owner = OwnerOf(it->path().filename().string(), prefix);
        std::error_code kind;
        if (owner == 0 || !it->is_directory(kind) || it->is_symlink(kind) || !IsGone(owner)) continue;
        if (fs::exists(it->path() / kKeptMark, kind)) continue;
        RemoveStrays(it->path());
        std::error_code gone;
        if (fs::remove_all(it->path(), gone) != static_cast<std::uintmax_t>(-1) && !gone) ++removed;
    }
    return removed;
}

}  // namespace suite
