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

}  // namespace

namespace suite {

AtomicFile::AtomicFile(const char* path) {
    if (!path || !*path || !TryNativePath(path, m_final)) {
        SetLastError(ERROR_INVALID_NAME);
        return;
    }
    m_temp = m_final + ".~XXXXXX";
    const int fd = ::mkstemp(m_temp.data());
    if (fd < 0) {
        SetLastError(errorOf(errno));
        m_temp.clear();
        return;
    }
    m_file = ::fdopen(fd, "wb");
    if (!m_file) {
        ::close(fd);
        ::unlink(m_temp.c_str());
        m_temp.clear();
    }
}

AtomicFile::~AtomicFile() {
    CloseStream();
    if (!m_temp.empty()) ::unlink(m_temp.c_str());
}

void AtomicFile::Fail(int error) {
    if (!m_failed && error) m_error = error;
    m_failed = true;
}

bool AtomicFile::Write(const void* data, std::size_t size) {
    if (!m_file || m_failed) {
        SetLastError(errorOf(m_error ? m_error : EIO));
        return false;
    }
    errno = 0;
    if (size && std::fwrite(data, 1, size, m_file) != size) {
        Fail(errno ? errno : EIO);
        SetLastError(errorOf(m_error));
    }
    return !m_failed;
}

void AtomicFile::CloseStream() {
    if (m_file) {
        errno = 0;
        if (std::fclose(m_file) != 0) Fail(errno ? errno : EIO);
    }
    m_file = nullptr;
}

bool AtomicFile::Commit() {
    if (m_temp.empty()) return false;
    // What is still buffered reaches the disk here: a full disk shows first
    // at this flush.
    if (!m_failed && m_file) {
        errno = 0;
        if (std::fflush(m_file) != 0) Fail(errno ? errno : EIO);
    }
    CloseStream();
    bool ok = !m_failed;
    int failure = ok ? 0 : (m_error ? m_error : EIO);
    if (ok) {
        const int fd = ::open(m_temp.c_str(), O_RDONLY | O_CLOEXEC);
        ok = fd >= 0 && ::fsync(fd) == 0;
        if (!ok) failure = errno;
        if (fd >= 0) ::close(fd);
    }
    if (ok) {
        // The new file gets the permissions a newly created file would have.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::chmod(m_temp.c_str(), 0666 & ~mask);
        if (::rename(m_temp.c_str(), m_final.c_str()) != 0) {
            ok = false;
            failure = errno;
        }
    }
    if (!ok) {
        SetLastError(errorOf(failure));
        return false;
    }
    m_temp.clear();
    return true;
}

}  // namespace suite

BOOL SuiteReplaceFileAtomically(const char* path, const std::function<bool(const std::string&)>& write) {
    suite::AtomicFile file(path);
    if (file.NativeTempPath().empty()) return FALSE;
    file.CloseStream();
    errno = 0;
    if (!write(file.NativeTempPath())) file.Fail(errno);
    return file.Commit() ? TRUE : FALSE;
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
