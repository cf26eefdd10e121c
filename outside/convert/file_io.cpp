#include "outside/convert/file_io.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace convert {

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

}  // namespace convert
