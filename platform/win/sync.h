// Threads and synchronisation: threads, events, mutexes (also named, across
// the user's processes), waits with time-outs, critical sections and
// interlocked counters.
//
// Named mutexes are per user: a name ("Global\" and "Local\" prefixes are
// ignored) is a pair of lock files in the runtime folder ($SUITE_RUNTIME_DIR,
// else $XDG_RUNTIME_DIR/suite, else /tmp/suite-<uid>). CreateMutexA reports
// ERROR_ALREADY_EXISTS while any process of the user has the name open, which
// is what single-instance checks rely on; ownership is a file lock, so it is
// released when its process dies, and the next owner's wait then returns
// WAIT_ABANDONED. Events with a name are shared within the process only.
#pragma once

#include <string>

#include "platform/win/errors.h"
#include "platform/win/handles.h"
#include "platform/win/time.h"
#include "platform/win/types.h"

#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0x00000000u
#define WAIT_ABANDONED 0x00000080u
#define WAIT_ABANDONED_0 WAIT_ABANDONED
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu
#define MAXIMUM_WAIT_OBJECTS 64u
#define STILL_ACTIVE 259u
#define CREATE_SUSPENDED 0x00000004u
#define STACK_SIZE_PARAM_IS_A_RESERVATION 0x00010000u

using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID);

// Starts `start(parameter)` on a new thread; the handle is signalled when it
// returns, and GetExitCodeThread gives its result (STILL_ACTIVE before).
// CREATE_SUSPENDED holds it until ResumeThread.
HANDLE CreateThread(LPSECURITY_ATTRIBUTES security, SIZE_T stackSize, LPTHREAD_START_ROUTINE start, LPVOID parameter,
                    DWORD flags, LPDWORD threadId);
// Previous suspend count (1 when this call started the thread), or (DWORD)-1.
DWORD ResumeThread(HANDLE thread);
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode);
DWORD GetCurrentThreadId();
DWORD GetCurrentProcessId();
// Pseudo handles: they name the caller and need no closing.
HANDLE GetCurrentThread();
HANDLE GetCurrentProcess();

HANDLE CreateEventA(LPSECURITY_ATTRIBUTES security, BOOL manualReset, BOOL initialState, LPCSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES security, BOOL initialOwner, LPCSTR name);
HANDLE OpenMutexA(DWORD access, BOOL inherit, LPCSTR name);
// FALSE with ERROR_NOT_OWNER when the calling thread does not own it.
BOOL ReleaseMutex(HANDLE mutex);
#define SYNCHRONIZE 0x00100000u
#define MUTEX_ALL_ACCESS 0x001F0001u

// Waits until the object is signalled or `milliseconds` pass (0 only tests,
// INFINITE never gives up). Waitable: events, mutexes, threads, processes.
// Returns WAIT_OBJECT_0, WAIT_ABANDONED, WAIT_TIMEOUT, or WAIT_FAILED (with
// ERROR_INVALID_HANDLE for a handle that is not open or not waitable).
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
// Any: WAIT_OBJECT_0 + the index of the first signalled handle (or
// WAIT_ABANDONED_0 + index). All: WAIT_OBJECT_0 once all are signalled at once.
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds);

// Recursive locks of one process.
struct CRITICAL_SECTION {
    void* impl;
    LONG RecursionCount;
    DWORD OwningThread;
};
using LPCRITICAL_SECTION = CRITICAL_SECTION*;
void InitializeCriticalSection(LPCRITICAL_SECTION section);
BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION section, DWORD spinCount);
void EnterCriticalSection(LPCRITICAL_SECTION section);
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section);
void LeaveCriticalSection(LPCRITICAL_SECTION section);
void DeleteCriticalSection(LPCRITICAL_SECTION section);

LONG InterlockedIncrement(volatile LONG* value);
LONG InterlockedDecrement(volatile LONG* value);
LONG InterlockedExchange(volatile LONG* target, LONG value);
LONG InterlockedExchangeAdd(volatile LONG* target, LONG value);
LONG InterlockedCompareExchange(volatile LONG* target, LONG exchange, LONG comparand);

namespace suite {

// The folder holding the named-mutex lock files (created when needed).
std::string RuntimeFolder();
// Wakes every wait so it looks at its objects again; called by whatever
// changes a waitable object's state.
void NotifyWaiters();

// A waitable object whose state is a flag set once (a finished thread or
// process); used by the process layer too.
class CompletionObject : public KernelObject {
public:
    bool IsWaitable() const override { return true; }
    bool IsSignaled() override;
    // Marks the object done with `code` and wakes the waits.
    void Complete(DWORD code);
    bool IsComplete();
    // The code given to Complete, STILL_ACTIVE before.
    DWORD Code();

private:
    bool done_ = false;
    DWORD code_ = STILL_ACTIVE;
};

}  // namespace suite
