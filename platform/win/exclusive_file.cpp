#include "platform/win/exclusive_file.h"

#include <cerrno>
#include <fcntl.h>
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

}  // namespace

std::string CreateNewFileWithSuffix(const std::string& windowsPath, int attempts) {
    if (windowsPath.empty()) return {};
    const std::size_t place = SuffixPlace(windowsPath);
    for (int n = 1; n <= attempts; ++n) {
        std::string candidate = n == 1 ? windowsPath
                                       : windowsPath.substr(0, place) + "_" + std::to_string(n) + windowsPath.substr(place);
        std::string native = NativePathOfEither(candidate);
        if (native.empty()) return {};
        int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            return candidate;
        }
        if (errno != EEXIST) return {};
    }
    return {};
}

}  // namespace suite
