#include "platform/win/atomic_file.h"

#include "platform/win/errors.h"
#include "platform/win/files.h"
#include "platform/win/path.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

DWORD errorOf(int e) {
    switch (e) {
    case ENOENT:
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case ENOSPC:
        return ERROR_DISK_FULL;
    default:
        return ERROR_WRITE_FAULT;
    }
}

bool flushToDisk(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

BOOL SuiteReplaceFileAtomically(const char* path, const std::function<bool(const std::string&)>& write) {
    std::string target;
    if (!path || !suite::TryNativePath(path, target)) {
        SetLastError(ERROR_INVALID_NAME);
        return FALSE;
    }
    std::string temp = target + ".~XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        SetLastError(errorOf(errno));
        return FALSE;
    }
    ::close(fd);
    bool ok = write(temp);
    int failure = ok ? 0 : EIO;
    if (ok && !flushToDisk(temp)) {
        ok = false;
        failure = errno;
    }
    if (ok) {
        // The new file gets the permissions a newly created file would have.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::chmod(temp.c_str(), 0666 & ~mask);
        if (::rename(temp.c_str(), target.c_str()) != 0) {
            ok = false;
            failure = errno;
        }
    }
    if (!ok) {
        ::unlink(temp.c_str());
        SetLastError(errorOf(failure));
        return FALSE;
    }
    return TRUE;
}

BOOL SuiteWriteFileAtomically(const char* path, const void* data, std::size_t size) {
    std::string target;
    if (!path || !suite::TryNativePath(path, target)) {
        SetLastError(ERROR_INVALID_NAME);
        return FALSE;
    }
    if (!suite::WriteNativeFileAtomic(target, std::string_view(static_cast<const char*>(data), size))) {
        SetLastError(errorOf(errno));
        return FALSE;
    }
    return TRUE;
}
