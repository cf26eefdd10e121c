// Adds pages to multi-page TIFF files.
//
// The file last added to stays open between pages, so a job adding page after
// page neither reopens the file nor walks its directories again each time, and
// it is synced to the disk once, when it is let go (another file is added to,
// the library ends, or no page came for a second) rather than after every
// page. Every page is whole in the file (data, directory and the link to it)
// when append returns, so readers see it at once; a page that fails is cut off
// again and the pages before it stay readable.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include <sys/types.h>

#include "outside/imagelib/image_codecs.h"

namespace imagelib {

class TiffAppender {
public:
    TiffAppender() = default;
    TiffAppender(const TiffAppender&) = delete;
    TiffAppender& operator=(const TiffAppender&) = delete;
    ~TiffAppender();

    // Adds `px` as the last page of the TIFF file at `path`; false when the
    // file is no TIFF file or the page cannot be written (the file then keeps
    // the pages it had).
    bool append(const std::string& path, const PixelView& px);
    // Syncs and closes the file kept open, if any.
    void release();

    // How long the file stays open after its last page.
    static constexpr std::chrono::milliseconds kIdle{1000};

private:
    bool stillOursLocked(const std::string& path) const;
    bool openLocked(const std::string& path);
    void closeLocked();
    void idleLoop();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::thread idle_;
    bool stopping_ = false;
    tiff* file_ = nullptr;
    int fd_ = -1;  // our own descriptor of the open file, beside libtiff's
    std::string path_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    off_t end_ = 0;  // the file's length after its last whole page
    std::chrono::steady_clock::time_point lastPage_;
};

// The library's one appender.
TiffAppender& Appender();

}  // namespace imagelib
