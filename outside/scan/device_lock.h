// The cross-process lock a program holds while it drives the scanner, so that
// two programs (or a watcher and a scan) never open the device at once.
#pragma once

#include "platform/win/types.h"

namespace scan {

class DeviceLock {
public:
    // Waits at most `waitMs` for the lock.
    explicit DeviceLock(DWORD waitMs);
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;
    ~DeviceLock();
    bool held() const { return held_; }

private:
    HANDLE handle_ = nullptr;
    bool held_ = false;
};

}  // namespace scan
