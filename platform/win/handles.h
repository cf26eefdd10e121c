// Kernel handles: one table for every object the core hands out by HANDLE
// (files, find searches, events, mutexes, threads, processes), closed alike
// with CloseHandle. An object lives while its handle is open or a call is
// still using it, so closing a handle another thread waits on is safe.
#pragma once

#include <memory>

#include "platform/win/types.h"

struct SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
};
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

// Closes a handle of any kind; FALSE with ERROR_INVALID_HANDLE for a bad one.
BOOL CloseHandle(HANDLE handle);

namespace suite {

// Base of every object behind a kernel handle. The wait functions call the
// waitable members with WaitLock() held.
class KernelObject {
public:
    virtual ~KernelObject();
    virtual bool IsWaitable() const { return false; }
    // Whether a wait on the object would be satisfied now.
    virtual bool IsSignaled() { return false; }
    // A wait was satisfied by this object: take it (reset an auto-reset event,
    // own a mutex). Returns true when the object was abandoned by its owner.
    virtual bool Acquire() { return false; }
    // A wait for all of several objects found this one signalled but not the
    // others: undo whatever IsSignaled took hold of.
    virtual void CancelProbe() {}
    // True when the object's state may change without NotifyWaiters (another
    // process's doing), so waits must look again now and then.
    virtual bool NeedsPolling() const { return false; }
};

// Adds an object to the table and returns its new handle (never null or
// INVALID_HANDLE_VALUE); handle values are not reused.
HANDLE RegisterHandle(std::shared_ptr<KernelObject> object);
std::shared_ptr<KernelObject> LookupHandle(HANDLE handle);
template <typename T>
std::shared_ptr<T> LookupHandleAs(HANDLE handle) {
    return std::dynamic_pointer_cast<T>(LookupHandle(handle));
}
// Removes a handle; false when it was not open.
bool UnregisterHandle(HANDLE handle);
// Number of open handles, for leak checks in tests.
std::size_t OpenHandleCount();

}  // namespace suite
