#include "outside/imagelib/tiff_appender.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <tiffio.h>
#include <unistd.h>

namespace imagelib {

namespace {

bool isTiff(int fd) {
    std::uint8_t m[4];
    return ::pread(fd, m, 4, 0) == 4 &&
           ((m[0] == 'I' && m[1] == 'I' && m[2] == 42 && m[3] == 0) || (m[0] == 'M' && m[1] == 'M' && m[2] == 0 && m[3] == 42));
}

}  // namespace

TiffAppender& Appender() {
    static TiffAppender appender;
    return appender;
}

TiffAppender::~TiffAppender() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (idle_.joinable()) idle_.join();
    std::lock_guard<std::mutex> lock(mutex_);
    closeLocked();
}

bool TiffAppender::stillOursLocked(const std::string& path) const {
    struct stat now {};
    return file_ && path == path_ && ::stat(path.c_str(), &now) == 0 && now.st_dev == device_ && now.st_ino == inode_ &&
           now.st_size == end_;
}

bool TiffAppender::openLocked(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || !isTiff(fd)) {
        ::close(fd);
        return false;
    }
    quietTiff();
    // libtiff closes the descriptor it is given; ours stays for syncing and cutting back.
    const int theirs = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    TIFF* t = theirs >= 0 ? TIFFFdOpen(theirs, path.c_str(), "a") : nullptr;
    if (!t) {
        if (theirs >= 0) ::close(theirs);
        ::close(fd);
        return false;
    }
    file_ = t;
    fd_ = fd;
    path_ = path;
    device_ = st.st_dev;
    inode_ = st.st_ino;
    end_ = st.st_size;
    return true;
}

void TiffAppender::closeLocked() {
    if (!file_) return;
    TIFFClose(file_);
    ::fdatasync(fd_);
    ::close(fd_);
    file_ = nullptr;
    fd_ = -1;
    path_.clear();
}

bool TiffAppender::append(const std::string& path, const PixelView& px) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!stillOursLocked(path)) {
        closeLocked();
        if (!openLocked(path)) return false;
    }
    const off_t before = end_;
    bool ok = writeTiffPage(file_, px) && TIFFWriteDirectory(file_) == 1;
    struct stat st {};
    ok = ok && ::fstat(fd_, &st) == 0;
    if (!ok) {
        // libtiff links a page to the chain only once its directory is
        // written, so cutting the file back leaves the earlier pages whole.
        // It may still write while closing: the cut comes after that.
        TIFFClose(file_);
        file_ = nullptr;
        if (::ftruncate(fd_, before) == 0) ::fdatasync(fd_);
        ::close(fd_);
        fd_ = -1;
        path_.clear();
        return false;
    }
    end_ = st.st_size;
    lastPage_ = std::chrono::steady_clock::now();
    if (!idle_.joinable()) idle_ = std::thread([this] { idleLoop(); });
    lock.unlock();
    wake_.notify_all();
    return true;
}

void TiffAppender::release() {
    std::lock_guard<std::mutex> lock(mutex_);
    closeLocked();
}

void TiffAppender::idleLoop() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        if (!file_) {
            wake_.wait(lock);
            continue;
        }
        const auto due = lastPage_ + kIdle;
        if (std::chrono::steady_clock::now() >= due) closeLocked();
        else wake_.wait_until(lock, due);
    }
}

}  // namespace imagelib
