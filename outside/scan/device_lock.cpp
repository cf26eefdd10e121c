#include "outside/scan/device_lock.h"

#include "platform/win/handles.h"
#include "platform/win/sync.h"

namespace scan {
namespace {
const char* const kDeviceLockName = "Suite Scan Device";
}  // namespace

DeviceLock::DeviceLock(DWORD waitMs) {
    handle_ = CreateMutexA(nullptr, FALSE, kDeviceLockName);
    if (!handle_) return;
    const DWORD r = WaitForSingleObject(handle_, waitMs);
    held_ = r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
}

DeviceLock::~DeviceLock() {
    if (held_) ReleaseMutex(handle_);
    if (handle_) CloseHandle(handle_);
}

}  // namespace scan
