#include "outside/convert/file_io.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace convert {

std::string nativePath(const char* path) {
    std::string native = path ? path : "";
    for (char& c : native)
        if (c == '\\') c = '/';
    return native;
}

bool readFileBytes(const std::string& path, std::size_t limit, std::vector<BYTE>& bytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && static_cast<std::size_t>(st.st_size) <= limit;
    if (ok) {
        bytes.resize(static_cast<std::size_t>(st.st_size));
        std::size_t done = 0;
        while (ok && done < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) ok = false;
            else done += static_cast<std::size_t>(n);
        }
    }
    ::close(fd);
    return ok;
}

bool replaceFile(const std::string& path, const std::function<bool(const std::string& tempPath)>& write) {
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    ::close(fd);
    bool ok = write(temp);
    if (ok) {
        const int sync = ::open(temp.c_str(), O_RDONLY | O_CLOEXEC);
        ok = sync >= 0 && ::fsync(sync) == 0;
        if (sync >= 0) ::close(sync);
    }
    if (ok) {
        // The new file gets the usual permissions rather than mkstemp's 0600.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::chmod(temp.c_str(), 0666 & ~mask);
        ok = ::rename(temp.c_str(), path.c_str()) == 0;
    }
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

bool replaceFileWith(const std::string& path, const std::vector<BYTE>& bytes) {
    return replaceFile(path, [&](const std::string& temp) {
        FILE* f = std::fopen(temp.c_str(), "wb");
        if (!f) return false;
        const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        return (std::fclose(f) == 0) && written;
    });
}

}  // namespace convert
