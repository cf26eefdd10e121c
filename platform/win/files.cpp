#include "platform/win/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/win/codepage.h"
#include "platform/win/errors.h"
#include "platform/win/folders.h"
#include "platform/win/path.h"

namespace {

class FileObject : public suite::KernelObject {
public:
    FileObject(int fd, std::string native, bool deleteOnClose)
        : fd_(fd), native_(std::move(native)), deleteOnClose_(deleteOnClose) {}
    ~FileObject() override {
        ::close(fd_);
        if (deleteOnClose_) ::unlink(native_.c_str());
    }
    int fd() const { return fd_; }

private:
    int fd_;
    std::string native_;
    bool deleteOnClose_;
};

class FindObject : public suite::KernelObject {
public:
    std::mutex mutex;
    std::vector<WIN32_FIND_DATAA> entries;
    std::size_t next = 0;
};

std::string parentOf(const std::string& native) {
    std::string s = native;
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    size_t pos = s.rfind('/');
    if (pos == std::string::npos) return ".";
    if (pos == 0) return "/";
    return s.substr(0, pos);
}

bool isDirectory(const std::string& native) {
    struct stat st;
    return ::stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool exists(const std::string& native) {
    struct stat st;
    return ::lstat(native.c_str(), &st) == 0;
}

// The native path of a name handed in by the system, or false with the last error set.
bool nativeOf(LPCSTR name, std::string& native) {
    if (!name || !*name) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    if (!suite::TryNativePath(name, native)) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    return true;
}

void failWithErrno(const std::string& native) { SetLastError(suite::FileErrorFromErrno(errno, native)); }

std::shared_ptr<FileObject> fileOf(HANDLE handle) {
    auto file = suite::LookupHandleAs<FileObject>(handle);
    if (!file) SetLastError(ERROR_INVALID_HANDLE);
    return file;
}

bool hasOwnerWrite(const struct stat& st) { return (st.st_mode & S_IWUSR) != 0; }

DWORD attributesOf(const struct stat& st, std::string_view name) {
    DWORD a = 0;
    if (S_ISDIR(st.st_mode)) a |= FILE_ATTRIBUTE_DIRECTORY;
    if (!S_ISDIR(st.st_mode) && !hasOwnerWrite(st)) a |= FILE_ATTRIBUTE_READONLY;
    if (!name.empty() && name[0] == '.' && name != "." && name != "..") a |= FILE_ATTRIBUTE_HIDDEN;
    if (!S_ISDIR(st.st_mode)) a |= FILE_ATTRIBUTE_ARCHIVE;
    return a;
}

FILETIME creationTime(const struct stat& st) {
    // No birth time in struct stat: the earlier of change and modification time.
    const timespec& c = st.st_ctim;
    const timespec& m = st.st_mtim;
    bool cEarlier = c.tv_sec < m.tv_sec || (c.tv_sec == m.tv_sec && c.tv_nsec < m.tv_nsec);
    return suite::FileTimeFromTimespec(cEarlier ? c : m);
}

bool writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Creates an exclusive temporary file beside `target`; returns its descriptor or -1.
int createTempBeside(const std::string& target, std::string& tempPath) {
    std::string name(suite::PathLastPart(target));
    tempPath = suite::JoinNative(parentOf(target), "." + name + ".tmpXXXXXX");
    std::vector<char> buf(tempPath.begin(), tempPath.end());
    buf.push_back('\0');
    int fd = ::mkostemp(buf.data(), O_CLOEXEC);
    if (fd >= 0) tempPath.assign(buf.data());
    return fd;
}

void syncFolderOf(const std::string& native) {
    int dfd = ::open(parentOf(native).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

// Copies `src` into a new file at `dst`, through a temporary file. The errno of
// a failure is kept for the caller.
bool copyNative(const std::string& src, const std::string& dst, bool failIfExists) {
    int in = ::open(src.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    struct stat st;
    if (::fstat(in, &st) != 0) {
        int e = errno;
        ::close(in);
        errno = e;
        return false;
    }
    std::string temp;
    int out = createTempBeside(dst, temp);
    if (out < 0) {
        int e = errno;
        ::close(in);
        errno = e;
        return false;
    }
    bool ok = true;
    std::vector<char> buf(1 << 16);
    for (;;) {
        ssize_t n = ::read(in, buf.data(), buf.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || (n > 0 && !writeAll(out, buf.data(), static_cast<size_t>(n)))) {
            ok = false;
            break;
        }
        if (n == 0) break;
    }
    int e = errno;
    if (ok) {
        timespec times[2] = {st.st_atim, st.st_mtim};
        ::futimens(out, times);
        ::fchmod(out, st.st_mode & 07777);
        if (::fsync(out) != 0) {
            ok = false;
            e = errno;
        }
    }
    ::close(in);
    if (::close(out) != 0 && ok) {
        ok = false;
        e = errno;
    }
    if (ok) {
        if (failIfExists) {
            // link() refuses an existing target, so two copies never overwrite each other.
            if (::link(temp.c_str(), dst.c_str()) != 0) {
                ok = false;
                e = errno;
            }
            ::unlink(temp.c_str());
        } else if (::rename(temp.c_str(), dst.c_str()) != 0) {
            ok = false;
            e = errno;
        }
    }
    if (!ok) ::unlink(temp.c_str());
    if (ok) syncFolderOf(dst);
    errno = e;
    return ok;
}

bool fillFindData(const std::string& nativeEntry, const std::string& ansiName, WIN32_FIND_DATAA& data) {
    if (ansiName.size() >= MAX_PATH) return false;
    struct stat st;
    if (::stat(nativeEntry.c_str(), &st) != 0 && ::lstat(nativeEntry.c_str(), &st) != 0) return false;
    std::memset(&data, 0, sizeof data);
    data.dwFileAttributes = attributesOf(st, ansiName);
    data.ftCreationTime = creationTime(st);
    data.ftLastAccessTime = suite::FileTimeFromTimespec(st.st_atim);
    data.ftLastWriteTime = suite::FileTimeFromTimespec(st.st_mtim);
    ULONGLONG size = S_ISDIR(st.st_mode) ? 0 : static_cast<ULONGLONG>(st.st_size);
    data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
    std::memcpy(data.cFileName, ansiName.c_str(), ansiName.size() + 1);
    return true;
}

bool sameChar(std::string_view a, size_t ai, size_t al, std::string_view b, size_t bi, size_t bl) {
    if (al != bl) return false;
    if (al == 2) return a[ai] == b[bi] && a[ai + 1] == b[bi + 1];
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    return lower(a[ai]) == lower(b[bi]);
}

// '*' and '?' matching by characters, memoised over (pattern, name) positions.
// As on the original, a '?' also matches nothing at the end of the name or
// before a '.', so "?.tx?" matches "c.tx".
class GlobMatcher {
public:
    GlobMatcher(std::string_view p, std::string_view s) : p_(p), s_(s), memo_((p.size() + 1) * (s.size() + 1), 0) {}
    bool match(size_t pi, size_t si) {
        char& m = memo_[pi * (s_.size() + 1) + si];
        if (m == 0) m = compute(pi, si) ? 1 : 2;
        return m == 1;
    }

private:
    bool compute(size_t pi, size_t si) {
        if (pi == p_.size()) return si == s_.size();
        if (p_[pi] == '*') {
            for (size_t k = si;; k += suite::AnsiCharLength(s_, k)) {
                if (match(pi + 1, k)) return true;
                if (k >= s_.size()) return false;
            }
        }
        if (p_[pi] == '?') {
            if (si < s_.size() && match(pi + 1, si + suite::AnsiCharLength(s_, si))) return true;
            return (si == s_.size() || s_[si] == '.') && match(pi + 1, si);
        }
        if (si == s_.size()) return false;
        size_t pl = suite::AnsiCharLength(p_, pi);
        size_t sl = suite::AnsiCharLength(s_, si);
        return sameChar(p_, pi, pl, s_, si, sl) && match(pi + pl, si + sl);
    }

    std::string_view p_;
    std::string_view s_;
    std::vector<char> memo_;
};

bool globMatch(std::string_view p, std::string_view s) { return GlobMatcher(p, s).match(0, 0); }

}  // namespace

namespace suite {

DWORD FileErrorFromErrno(int error, const std::string& nativePath) {
    switch (error) {
    case 0: return ERROR_SUCCESS;
    case ENOENT:
        if (!nativePath.empty() && !isDirectory(parentOf(nativePath))) return ERROR_PATH_NOT_FOUND;
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EBADF: return ERROR_ACCESS_DENIED;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case EXDEV: return ERROR_NOT_SAME_DEVICE;
    case EBUSY:
    case ETXTBSY: return ERROR_SHARING_VIOLATION;
    case EIO: return ERROR_GEN_FAILURE;
    default: return ERROR_GEN_FAILURE;
    }
}

int FileDescriptorOf(HANDLE file) {
    auto f = LookupHandleAs<FileObject>(file);
    return f ? f->fd() : -1;
}

std::string ProgramPath() {
    char buf[4096];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    return std::string(buf, static_cast<size_t>(n));
}

std::string ProgramFolder() { return parentOf(ProgramPath()); }

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
    if (pattern == "*" || pattern == "*.*") return true;
    if (globMatch(pattern, name)) return true;
    // "name.*" also matches a name without an extension, and "name." only such names.
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*")
        return globMatch(pattern.substr(0, pattern.size() - 2), name);
    if (pattern.size() >= 2 && pattern.back() == '.' && name.find('.') == std::string_view::npos)
        return globMatch(pattern.substr(0, pattern.size() - 1), name);
    return false;
}

bool ReadNativeFile(const std::string& nativePath, std::string& contents) {
    contents.clear();
    int fd = ::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char buf[1 << 16];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            int e = errno;
            ::close(fd);
            errno = e;
            return false;
        }
        if (n == 0) break;
        contents.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return true;
}

bool WriteNativeFileAtomic(const std::string& nativePath, std::string_view contents) {
    std::string temp;
    int fd = createTempBeside(nativePath, temp);
    if (fd < 0) return false;
    struct stat st;
    mode_t mode = 0666;
    if (::stat(nativePath.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    bool ok = writeAll(fd, contents.data(), contents.size()) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    int e = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        e = errno;
    }
    if (ok && ::rename(temp.c_str(), nativePath.c_str()) != 0) {
        ok = false;
        e = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        errno = e;
        return false;
    }
    syncFolderOf(nativePath);
    return true;
}

}  // namespace suite

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition, DWORD flags, HANDLE) {
    std::string native;
    if (!nativeOf(name, native)) return INVALID_HANDLE_VALUE;
    bool write = (access & (GENERIC_WRITE | GENERIC_ALL | 0x0002u | 0x0004u)) != 0;
    bool read = (access & (GENERIC_READ | GENERIC_ALL | 0x0001u)) != 0 || !write;
    int mode = read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
    int base = mode | O_CLOEXEC;
    mode_t perms = (flags & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
    bool existed = false;
    int fd = -1;
    switch (disposition) {
    case CREATE_NEW:
        fd = ::open(native.c_str(), base | O_CREAT | O_EXCL, perms);
        if (fd < 0 && errno == EEXIST) {
            SetLastError(ERROR_FILE_EXISTS);
            return INVALID_HANDLE_VALUE;
        }
        break;
    case CREATE_ALWAYS:
    case OPEN_ALWAYS:
        fd = ::open(native.c_str(), base | O_CREAT | O_EXCL, perms);
        if (fd < 0 && errno == EEXIST) {
            existed = true;
            fd = ::open(native.c_str(), base | (disposition == CREATE_ALWAYS ? O_TRUNC : 0));
        }
        break;
    case OPEN_EXISTING: fd = ::open(native.c_str(), base); break;
    case TRUNCATE_EXISTING:
        if (!write) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
        }
        fd = ::open(native.c_str(), base | O_TRUNC);
        break;
    default: SetLastError(ERROR_INVALID_PARAMETER); return INVALID_HANDLE_VALUE;
    }
    if (fd < 0) {
        failWithErrno(native);
        return INVALID_HANDLE_VALUE;
    }
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && !(flags & FILE_FLAG_BACKUP_SEMANTICS)) {
        ::close(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE h = suite::RegisterHandle(std::make_shared<FileObject>(fd, native, (flags & FILE_FLAG_DELETE_ON_CLOSE) != 0));
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return h;
}

BOOL ReadFile(HANDLE handle, LPVOID buffer, DWORD toRead, LPDWORD read, OVERLAPPED*) {
    if (read) *read = 0;
    auto file = fileOf(handle);
    if (!file) return FALSE;
    if (!buffer && toRead > 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD done = 0;
    auto* out = static_cast<char*>(buffer);
    while (done < toRead) {
        ssize_t n = ::read(file->fd(), out + done, toRead - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            if (read) *read = done;
            SetLastError(suite::FileErrorFromErrno(errno));
            return FALSE;
        }
        if (n == 0) break;
        done += static_cast<DWORD>(n);
    }
    if (read) *read = done;
    return TRUE;
}

BOOL WriteFile(HANDLE handle, LPCVOID buffer, DWORD toWrite, LPDWORD written, OVERLAPPED*) {
    if (written) *written = 0;
    auto file = fileOf(handle);
    if (!file) return FALSE;
    if (!buffer && toWrite > 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD done = 0;
    const auto* in = static_cast<const char*>(buffer);
    while (done < toWrite) {
        ssize_t n = ::write(file->fd(), in + done, toWrite - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (written) *written = done;
            SetLastError(n < 0 ? suite::FileErrorFromErrno(errno) : ERROR_WRITE_FAULT);
            return FALSE;
        }
        done += static_cast<DWORD>(n);
    }
    if (written) *written = done;
    return TRUE;
}

namespace {

bool seek(HANDLE handle, LONGLONG distance, DWORD method, LONGLONG& position) {
    auto file = fileOf(handle);
    if (!file) return false;
    int whence = method == FILE_BEGIN ? SEEK_SET : method == FILE_CURRENT ? SEEK_CUR : method == FILE_END ? SEEK_END : -1;
    if (whence < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    off_t base = 0;
    if (whence == SEEK_CUR) base = ::lseek(file->fd(), 0, SEEK_CUR);
    if (whence == SEEK_END) {
        struct stat st;
        base = ::fstat(file->fd(), &st) == 0 ? st.st_size : -1;
    }
    if (base < 0) {
        SetLastError(suite::FileErrorFromErrno(errno));
        return false;
    }
    if (static_cast<LONGLONG>(base) + distance < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return false;
    }
    off_t result = ::lseek(file->fd(), static_cast<off_t>(base + distance), SEEK_SET);
    if (result < 0) {
        SetLastError(suite::FileErrorFromErrno(errno));
        return false;
    }
    position = result;
    SetLastError(ERROR_SUCCESS);
    return true;
}

}  // namespace

DWORD SetFilePointer(HANDLE handle, LONG distance, PLONG distanceHigh, DWORD method) {
    LONGLONG d = distanceHigh ? static_cast<LONGLONG>((static_cast<ULONGLONG>(static_cast<DWORD>(*distanceHigh)) << 32) |
                                                      static_cast<DWORD>(distance))
                              : static_cast<LONGLONG>(distance);
    LONGLONG position = 0;
    if (!seek(handle, d, method, position)) return INVALID_SET_FILE_POINTER;
    if (distanceHigh) *distanceHigh = static_cast<LONG>(position >> 32);
    return static_cast<DWORD>(position & 0xFFFFFFFF);
}

BOOL SetFilePointerEx(HANDLE handle, LARGE_INTEGER distance, PLARGE_INTEGER newPosition, DWORD method) {
    LONGLONG position = 0;
    if (!seek(handle, distance.QuadPart, method, position)) return FALSE;
    if (newPosition) newPosition->QuadPart = position;
    return TRUE;
}

DWORD GetFileSize(HANDLE handle, LPDWORD sizeHigh) {
    auto file = fileOf(handle);
    struct stat st;
    if (!file) return INVALID_FILE_SIZE;
    if (::fstat(file->fd(), &st) != 0) {
        SetLastError(suite::FileErrorFromErrno(errno));
        return INVALID_FILE_SIZE;
    }
    auto size = static_cast<ULONGLONG>(st.st_size);
    if (sizeHigh) *sizeHigh = static_cast<DWORD>(size >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(size & 0xFFFFFFFFu);
}

BOOL GetFileSizeEx(HANDLE handle, PLARGE_INTEGER size) {
    auto file = fileOf(handle);
    struct stat st;
    if (!file) return FALSE;
    if (!size || ::fstat(file->fd(), &st) != 0) {
        SetLastError(size ? suite::FileErrorFromErrno(errno) : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    size->QuadPart = st.st_size;
    return TRUE;
}

BOOL SetEndOfFile(HANDLE handle) {
    auto file = fileOf(handle);
    if (!file) return FALSE;
    off_t pos = ::lseek(file->fd(), 0, SEEK_CUR);
    if (pos < 0 || ::ftruncate(file->fd(), pos) != 0) {
        SetLastError(suite::FileErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

BOOL FlushFileBuffers(HANDLE handle) {
    auto file = fileOf(handle);
    if (!file) return FALSE;
    if (::fsync(file->fd()) != 0 && errno != EINVAL) {
        SetLastError(suite::FileErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

DWORD GetFileType(HANDLE handle) {
    auto file = fileOf(handle);
    struct stat st;
    if (!file || ::fstat(file->fd(), &st) != 0) return FILE_TYPE_UNKNOWN;
    if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)) return FILE_TYPE_PIPE;
    if (S_ISCHR(st.st_mode)) return FILE_TYPE_CHAR;
    return FILE_TYPE_DISK;
}

BOOL GetFileTime(HANDLE handle, LPFILETIME creation, LPFILETIME lastAccess, LPFILETIME lastWrite) {
    auto file = fileOf(handle);
    struct stat st;
    if (!file) return FALSE;
    if (::fstat(file->fd(), &st) != 0) {
        SetLastError(suite::FileErrorFromErrno(errno));
        return FALSE;
    }
    if (creation) *creation = creationTime(st);
    if (lastAccess) *lastAccess = suite::FileTimeFromTimespec(st.st_atim);
    if (lastWrite) *lastWrite = suite::FileTimeFromTimespec(st.st_mtim);
    return TRUE;
}

BOOL SetFileTime(HANDLE handle, const FILETIME*, const FILETIME* lastAccess, const FILETIME* lastWrite) {
    auto file = fileOf(handle);
    if (!file) return FALSE;
    timespec times[2];
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_nsec = UTIME_OMIT;
    if (lastAccess) times[0] = suite::TimespecFromFileTime(*lastAccess);
    if (lastWrite) times[1] = suite::TimespecFromFileTime(*lastWrite);
    if (::futimens(file->fd(), times) != 0) {
        SetLastError(suite::FileErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

DWORD GetFileAttributesA(LPCSTR name) {
    std::string native;
    if (!nativeOf(name, native)) return INVALID_FILE_ATTRIBUTES;
    struct stat st;
    if (::stat(native.c_str(), &st) != 0) {
        failWithErrno(native);
        return INVALID_FILE_ATTRIBUTES;
    }
    std::string last(suite::PathLastPart(native));
    return attributesOf(st, last);
}

BOOL SetFileAttributesA(LPCSTR name, DWORD attributes) {
    std::string native;
    if (!nativeOf(name, native)) return FALSE;
    struct stat st;
    if (::stat(native.c_str(), &st) != 0) {
        failWithErrno(native);
        return FALSE;
    }
    if (S_ISDIR(st.st_mode)) return TRUE;
    mode_t mode = st.st_mode & 07777;
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        mode &= static_cast<mode_t>(~0222);
    } else if (!hasOwnerWrite(st)) {
        mode |= S_IWUSR;
    }
    if (mode != (st.st_mode & 07777) && ::chmod(native.c_str(), mode) != 0) {
        failWithErrno(native);
        return FALSE;
    }
    return TRUE;
}

BOOL CreateDirectoryA(LPCSTR name, LPSECURITY_ATTRIBUTES) {
    std::string native;
    if (!nativeOf(name, native)) return FALSE;
    if (::mkdir(native.c_str(), 0777) != 0) {
        failWithErrno(native);
        return FALSE;
    }
    return TRUE;
}

BOOL RemoveDirectoryA(LPCSTR name) {
    std::string native;
    if (!nativeOf(name, native)) return FALSE;
    if (::rmdir(native.c_str()) != 0) {
        DWORD e = errno == EEXIST ? ERROR_DIR_NOT_EMPTY
                  : errno == ENOTDIR && exists(native) ? ERROR_DIRECTORY
                                                        : suite::FileErrorFromErrno(errno, native);
        SetLastError(e);
        return FALSE;
    }
    return TRUE;
}

BOOL DeleteFileA(LPCSTR name) {
    std::string native;
    if (!nativeOf(name, native)) return FALSE;
    struct stat st;
    if (::lstat(native.c_str(), &st) != 0) {
        failWithErrno(native);
        return FALSE;
    }
    if (S_ISDIR(st.st_mode) || (S_ISREG(st.st_mode) && !hasOwnerWrite(st))) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (::unlink(native.c_str()) != 0) {
        failWithErrno(native);
        return FALSE;
    }
    return TRUE;
}

BOOL MoveFileExA(LPCSTR existing, LPCSTR newName, DWORD flags) {
    std::string src, dst;
    if (!newName) {
        SetLastError(ERROR_NOT_SUPPORTED);  // deleting at the next start is not offered
        return FALSE;
    }
    if (!nativeOf(existing, src) || !nativeOf(newName, dst)) return FALSE;
    struct stat ss, ds;
    if (::lstat(src.c_str(), &ss) != 0) {
        failWithErrno(src);
        return FALSE;
    }
    if (::lstat(dst.c_str(), &ds) == 0) {
        if (ss.st_dev == ds.st_dev && ss.st_ino == ds.st_ino) {
            // The new name is the same file (the lookup found it without regard
            // to case): rename to the new spelling.
            std::string spelled = suite::AnsiToUtf8(suite::PathLastPart(newName));
            std::string target = suite::JoinNative(parentOf(dst), spelled);
            if (spelled.empty() || target == src) return TRUE;
            if (::rename(src.c_str(), target.c_str()) != 0) {
                failWithErrno(target);
                return FALSE;
            }
            return TRUE;
        }
        if (!(flags & MOVEFILE_REPLACE_EXISTING)) {
            SetLastError(ERROR_ALREADY_EXISTS);
            return FALSE;
        }
        if (S_ISDIR(ds.st_mode)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
    }
    int r;
    if (flags & MOVEFILE_REPLACE_EXISTING) {
        r = ::rename(src.c_str(), dst.c_str());
    } else {
        r = ::renameat2(AT_FDCWD, src.c_str(), AT_FDCWD, dst.c_str(), RENAME_NOREPLACE);
        if (r != 0 && (errno == EINVAL || errno == ENOSYS)) r = ::rename(src.c_str(), dst.c_str());
    }
    if (r != 0 && errno == EXDEV && S_ISREG(ss.st_mode) && (flags & MOVEFILE_COPY_ALLOWED)) {
        if (!copyNative(src, dst, !(flags & MOVEFILE_REPLACE_EXISTING))) {
            DWORD e = errno == EEXIST ? ERROR_ALREADY_EXISTS : suite::FileErrorFromErrno(errno, dst);
            SetLastError(e);
            return FALSE;
        }
        ::unlink(src.c_str());
        return TRUE;
    }
    if (r != 0) {
        SetLastError(errno == EEXIST ? ERROR_ALREADY_EXISTS : suite::FileErrorFromErrno(errno, dst));
        return FALSE;
    }
    if (flags & MOVEFILE_WRITE_THROUGH) syncFolderOf(dst);
    return TRUE;
}

BOOL MoveFileA(LPCSTR existing, LPCSTR newName) { return MoveFileExA(existing, newName, MOVEFILE_COPY_ALLOWED); }

BOOL CopyFileA(LPCSTR existing, LPCSTR newName, BOOL failIfExists) {
    std::string src, dst;
    if (!nativeOf(existing, src) || !nativeOf(newName, dst)) return FALSE;
    struct stat ss, ds;
    if (::stat(src.c_str(), &ss) != 0) {
        failWithErrno(src);
        return FALSE;
    }
    if (S_ISDIR(ss.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (::stat(dst.c_str(), &ds) == 0) {
        if (failIfExists) {
            SetLastError(ERROR_FILE_EXISTS);
            return FALSE;
        }
        if (ss.st_dev == ds.st_dev && ss.st_ino == ds.st_ino) {
            SetLastError(ERROR_SHARING_VIOLATION);
            return FALSE;
        }
        if (S_ISDIR(ds.st_mode) || !hasOwnerWrite(ds)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
    }
    if (!copyNative(src, dst, failIfExists != FALSE)) {
        SetLastError(errno == EEXIST ? ERROR_FILE_EXISTS : suite::FileErrorFromErrno(errno, dst));
        return FALSE;
    }
    return TRUE;
}

HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data) {
    if (!pattern || !*pattern || !data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::string_view full = pattern;
    std::string_view last = suite::PathLastPart(full);
    std::string folderPart(full.substr(0, full.size() - last.size()));
    if (last.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::string folder;
    if (folderPart.empty()) {
        folder = ".";
    } else if (!suite::TryNativePath(folderPart, folder)) {
        SetLastError(ERROR_INVALID_NAME);
        return INVALID_HANDLE_VALUE;
    }
    auto search = std::make_shared<FindObject>();
    bool wildcard = last.find_first_of("*?") != std::string_view::npos;
    if (!wildcard) {
        std::string native;
        WIN32_FIND_DATAA entry;
        if (!suite::TryNativePath(full, native)) {
            SetLastError(ERROR_INVALID_NAME);
            return INVALID_HANDLE_VALUE;
        }
        if (!exists(native)) {
            SetLastError(isDirectory(folder) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        std::string onDisk = suite::Utf8ToAnsi(suite::PathLastPart(native));
        if (!fillFindData(native, onDisk, entry)) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        search->entries.push_back(entry);
    } else {
        DIR* dir = ::opendir(folder.c_str());
        if (!dir) {
            SetLastError(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : suite::FileErrorFromErrno(errno));
            return INVALID_HANDLE_VALUE;
        }
        std::vector<std::pair<std::string, std::string>> names;  // ANSI name, native entry
        bool atRoot = folder == "/";
        while (dirent* e = ::readdir(dir)) {
            std::string_view n = e->d_name;
            if (atRoot && (n == "." || n == "..")) continue;
            std::string ansi = suite::Utf8ToAnsi(n);
            if (suite::MatchesWildcard(last, ansi)) names.emplace_back(ansi, suite::JoinNative(folder, std::string(n)));
        }
        ::closedir(dir);
        std::sort(names.begin(), names.end(), [](const auto& a, const auto& b) {
            auto rank = [](const std::string& s) { return s == "." ? 0 : s == ".." ? 1 : 2; };
            if (rank(a.first) != rank(b.first)) return rank(a.first) < rank(b.first);
            return a.first < b.first;
        });
        for (const auto& [ansi, native] : names) {
            WIN32_FIND_DATAA entry;
            if (fillFindData(native, ansi, entry)) search->entries.push_back(entry);
        }
    }
    if (search->entries.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    *data = search->entries[0];
    search->next = 1;
    return suite::RegisterHandle(search);
}

BOOL FindNextFileA(HANDLE handle, LPWIN32_FIND_DATAA data) {
    auto search = suite::LookupHandleAs<FindObject>(handle);
    if (!search || !data) {
        SetLastError(search ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard lock(search->mutex);
    if (search->next >= search->entries.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    *data = search->entries[search->next++];
    return TRUE;
}

BOOL FindClose(HANDLE handle) {
    if (!suite::LookupHandleAs<FindObject>(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return CloseHandle(handle);
}

DWORD GetTempPathA(DWORD size, LPSTR buffer) {
    std::string native = suite::TempFolder();
    suite::MakeNativeFolders(native);
    std::string name = suite::WindowsPath(native);
    if (name.empty() || name.back() != '\\') name.push_back('\\');
    return suite::CopyOutString(name, buffer, size);
}

UINT GetTempFileNameA(LPCSTR path, LPCSTR prefix, UINT unique, LPSTR name) {
    if (!path || !name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string base = path;
    if (!base.empty() && !suite::IsPathSeparator(base.back())) base.push_back('\\');
    std::string pre = prefix ? std::string(prefix).substr(0, 3) : std::string();
    auto form = [&](UINT n) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%X", n & 0xFFFFu);
        return base + pre + hex + ".TMP";
    };
    if (form(0xFFFF).size() >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    if (unique != 0) {
        std::string out = form(unique);
        std::memcpy(name, out.c_str(), out.size() + 1);
        return unique & 0xFFFFu;
    }
    UINT start = ((GetTickCount() ^ static_cast<UINT>(::getpid() * 2654435761u)) & 0xFFFFu);
    for (UINT i = 0; i < 0xFFFFu; ++i) {
        UINT n = (start + i) % 0xFFFFu + 1;  // 1..0xFFFF
        std::string candidate = form(n);
        std::string native;
        if (!suite::TryNativePath(candidate, native)) {
            SetLastError(ERROR_INVALID_NAME);
            return 0;
        }
        int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            std::memcpy(name, candidate.c_str(), candidate.size() + 1);
            return n;
        }
        if (errno != EEXIST) {
            failWithErrno(native);
            return 0;
        }
    }
    SetLastError(ERROR_FILE_EXISTS);
    return 0;
}

DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer) {
    char buf[4096];
    if (!::getcwd(buf, sizeof buf)) {
        SetLastError(suite::FileErrorFromErrno(errno));
        return 0;
    }
    return suite::CopyOutString(suite::WindowsPath(buf), buffer, size);
}

BOOL SetCurrentDirectoryA(LPCSTR name) {
    std::string native;
    if (!nativeOf(name, native)) return FALSE;
    if (::chdir(native.c_str()) != 0) {
        SetLastError(errno == ENOTDIR && exists(native) ? ERROR_DIRECTORY : suite::FileErrorFromErrno(errno, native));
        return FALSE;
    }
    return TRUE;
}

DWORD GetFullPathNameA(LPCSTR name, DWORD size, LPSTR buffer, LPSTR* filePart) {
    if (filePart) *filePart = nullptr;
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_NAME);
        return 0;
    }
    std::string full = suite::FullWindowsPath(name);
    DWORD n = suite::CopyOutString(full, buffer, size);
    if (n < size && filePart) {
        std::string_view last = suite::PathLastPart(full);
        if (!last.empty()) *filePart = buffer + (full.size() - last.size());
    }
    return n;
}

DWORD GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD size) {
    if (!longPath || !*longPath) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (!PathFileExistsA(longPath)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    return suite::CopyOutString(suite::NativePathOfEither(longPath), shortPath, size);
}

BOOL PathFileExistsA(LPCSTR name) {
    std::string native;
    if (!name || !suite::TryNativePath(name, native)) return FALSE;
    struct stat st;
    return ::stat(native.c_str(), &st) == 0 ? TRUE : FALSE;
}

namespace suite {

bool FileExists(const std::string& path) {
    std::string native;
    struct stat st;
    return TryNativePath(path, native) && ::stat(native.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace suite

BOOL PathIsDirectoryA(LPCSTR name) {
    std::string native;
    if (!name || !suite::TryNativePath(name, native)) return FALSE;
    return isDirectory(native) ? TRUE : FALSE;
}

BOOL GetDiskFreeSpaceExA(LPCSTR folder, PULARGE_INTEGER freeToCaller, PULARGE_INTEGER total,
                         PULARGE_INTEGER totalFree) {
    std::string native = ".";
    if (folder && !nativeOf(folder, native)) return FALSE;
    struct statvfs vfs;
    if (::statvfs(native.c_str(), &vfs) != 0) {
        failWithErrno(native);
        return FALSE;
    }
    ULONGLONG unit = vfs.f_frsize ? vfs.f_frsize : vfs.f_bsize;
    if (freeToCaller) freeToCaller->QuadPart = static_cast<ULONGLONG>(vfs.f_bavail) * unit;
    if (total) total->QuadPart = static_cast<ULONGLONG>(vfs.f_blocks) * unit;
    if (totalFree) totalFree->QuadPart = static_cast<ULONGLONG>(vfs.f_bfree) * unit;
    return TRUE;
}

BOOL GetFileAttributesExA(LPCSTR name, GET_FILEEX_INFO_LEVELS level, LPVOID information) {
    if (level != GetFileExInfoStandard || !information) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string native;
    if (!nativeOf(name, native)) return FALSE;
    WIN32_FIND_DATAA found;
    if (!fillFindData(native, std::string(suite::PathLastPart(native)), found)) {
        failWithErrno(native);
        return FALSE;
    }
    auto* data = static_cast<WIN32_FILE_ATTRIBUTE_DATA*>(information);
    data->dwFileAttributes = found.dwFileAttributes;
    data->ftCreationTime = found.ftCreationTime;
    data->ftLastAccessTime = found.ftLastAccessTime;
    data->ftLastWriteTime = found.ftLastWriteTime;
    data->nFileSizeHigh = found.nFileSizeHigh;
    data->nFileSizeLow = found.nFileSizeLow;
    return TRUE;
}

namespace {

std::vector<std::string> nameList(LPCSTR list) {
    std::vector<std::string> names;
    for (const char* p = list; p && *p; p += std::strlen(p) + 1) names.emplace_back(p);
    return names;
}

// The Windows-style names a source stands for: itself, or what its wildcards match.
bool expandSource(const std::string& source, bool filesOnly, std::vector<std::string>& out) {
    std::string_view last = suite::PathLastPart(source);
    if (last.find_first_of("*?") == std::string_view::npos) {
        if (!PathFileExistsA(source.c_str())) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return false;
        }
        out.push_back(source);
        return true;
    }
    std::string folder = source.substr(0, source.size() - last.size());
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(source.c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;  // nothing matched: nothing to do
    do {
        std::string_view n = fd.cFileName;
        if (n == "." || n == "..") continue;
        if (filesOnly && (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        out.push_back(folder + fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return true;
}

bool removeTree(const std::string& name) {
    std::string native;
    if (!nativeOf(name.c_str(), native)) return false;
    std::error_code ec;
    std::filesystem::remove_all(native, ec);
    if (ec) SetLastError(suite::FileErrorFromErrno(ec.value(), native));
    return !ec;
}

bool copyTree(const std::string& from, const std::string& to) {
    if (!PathIsDirectoryA(from.c_str())) return CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
    std::string src, dst;
    if (!nativeOf(from.c_str(), src) || !nativeOf(to.c_str(), dst)) return false;
    std::error_code ec;
    std::filesystem::copy(src, dst,
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing,
                          ec);
    if (ec) SetLastError(suite::FileErrorFromErrno(ec.value(), dst));
    return !ec;
}

}  // namespace

int SHFileOperationA(LPSHFILEOPSTRUCTA op) {
    if (!op || op->wFunc < FO_MOVE || op->wFunc > FO_RENAME) return ERROR_INVALID_PARAMETER;
    op->fAnyOperationsAborted = FALSE;
    std::vector<std::string> sources;
    for (const auto& name : nameList(op->pFrom)) {
        if (!expandSource(name, (op->fFlags & FOF_FILESONLY) != 0, sources)) return static_cast<int>(GetLastError());
    }
    std::vector<std::string> targets = nameList(op->pTo);
    if (op->wFunc != FO_DELETE && targets.empty()) return ERROR_INVALID_PARAMETER;
    bool multi = (op->fFlags & FOF_MULTIDESTFILES) && targets.size() == sources.size();
    for (size_t i = 0; i < sources.size(); ++i) {
        const std::string& from = sources[i];
        bool ok = true;
        if (op->wFunc == FO_DELETE) {
            ok = removeTree(from);
        } else {
            std::string to = multi ? targets[i] : targets[0];
            // Into an existing folder, the source keeps its name there.
            if (op->wFunc != FO_RENAME && PathIsDirectoryA(to.c_str())) {
                if (!to.empty() && !suite::PathLastPart(to).empty()) to.push_back('\\');
                to += std::string(suite::PathLastPart(from));
            }
            if (op->wFunc == FO_COPY) {
                ok = copyTree(from, to);
            } else if (op->wFunc == FO_RENAME) {
                ok = MoveFileA(from.c_str(), to.c_str()) != FALSE;
            } else {
                ok = MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != FALSE ||
                     (copyTree(from, to) && removeTree(from));
            }
        }
        if (!ok) {
            op->fAnyOperationsAborted = TRUE;
            return static_cast<int>(GetLastError() ? GetLastError() : ERROR_GEN_FAILURE);
        }
    }
    return 0;
}
