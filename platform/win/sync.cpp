#include "platform/win/sync.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/win/folders.h"
#include "platform/win/path.h"

namespace {

using Clock = std::chrono::steady_clock;

// One lock and one condition for every wait: object states change under the
// lock and every change wakes all waits, which then look again.
struct WaitState {
    std::mutex mutex;
    std::condition_variable changed;
};

WaitState& waitState() {
    static WaitState* s = new WaitState;  // never destroyed: threads may still wait during exit
    return *s;
}

// ---- threads ----

class ThreadObject : public suite::CompletionObject {
public:
    std::mutex gateMutex;
    std::condition_variable gate;
    bool suspended = false;
    bool started = false;
    DWORD tid = 0;
};

// ---- events ----

class EventObject : public suite::KernelObject {
public:
    EventObject(bool manual, bool signaled) : manual_(manual), signaled_(signaled) {}
    bool IsWaitable() const override { return true; }
    bool IsSignaled() override { return signaled_; }
    bool Acquire() override {
        if (!manual_) signaled_ = false;
        return false;
    }
    void Set(bool on) { signaled_ = on; }

private:
    bool manual_;
    bool signaled_;
};

// ---- mutexes ----

// The lock files of a named mutex: `ref` is held shared by every process that
// has the name open, `own` exclusively by the owning process; the owner's
// process id is written into `own` and cleared on release, so a new owner
// that finds it still there knows the old one died holding it.
struct NamedFiles {
    int refFd = -1;
    int ownFd = -1;
    ~NamedFiles() {
        if (ownFd >= 0) ::close(ownFd);
        if (refFd >= 0) ::close(refFd);
    }
};

class MutexObject;
void rememberOwned(const std::shared_ptr<MutexObject>& m);

class MutexObject : public suite::KernelObject, public std::enable_shared_from_this<MutexObject> {
public:
    explicit MutexObject(std::unique_ptr<NamedFiles> files = nullptr) : files_(std::move(files)) {}
    bool IsWaitable() const override { return true; }
    bool NeedsPolling() const override { return files_ != nullptr; }
    bool IsSignaled() override {
        DWORD me = GetCurrentThreadId();
        if (owner_ == me) return true;
        if (owner_ != 0) return false;
        if (files_ && !fileLocked_) {
            if (::flock(files_->ownFd, LOCK_EX | LOCK_NB) != 0) return false;
            fileLocked_ = true;
            struct stat st;
            if (::fstat(files_->ownFd, &st) == 0 && st.st_size > 0) abandoned_ = true;
        }
        return true;
    }
    bool Acquire() override {
        DWORD me = GetCurrentThreadId();
        if (owner_ == me) {
            ++count_;
            return false;
        }
        owner_ = me;
        count_ = 1;
        if (files_) {
            char pid[32];
            int n = std::snprintf(pid, sizeof pid, "%d\n", static_cast<int>(::getpid()));
            if (::ftruncate(files_->ownFd, 0) == 0 && n > 0) {
                ssize_t w = ::pwrite(files_->ownFd, pid, static_cast<size_t>(n), 0);
                (void)w;
            }
        }
        rememberOwned(shared_from_this());
        bool was = abandoned_;
        abandoned_ = false;
        return was;
    }
    void CancelProbe() override {
        if (files_ && fileLocked_ && owner_ == 0) {
            ::flock(files_->ownFd, LOCK_UN);
            fileLocked_ = false;
            abandoned_ = false;
        }
    }
    // Called with the wait lock held.
    bool Release() {
        if (owner_ != GetCurrentThreadId()) return false;
        if (--count_ > 0) return true;
        owner_ = 0;
        if (files_) {
            if (::ftruncate(files_->ownFd, 0) != 0) {
                // The id stays; the next owner will see the mutex as abandoned.
            }
            ::flock(files_->ownFd, LOCK_UN);
            fileLocked_ = false;
        }
        return true;
    }
    // The owning thread ended without releasing; called with the wait lock held.
    void Abandon(DWORD thread) {
        if (owner_ != thread) return;
        owner_ = 0;
        count_ = 0;
        abandoned_ = true;
        if (files_) {
            ::flock(files_->ownFd, LOCK_UN);  // the id stays in the file
            fileLocked_ = false;
            abandoned_ = false;
        }
    }

private:
    std::unique_ptr<NamedFiles> files_;
    DWORD owner_ = 0;
    LONG count_ = 0;
    bool abandoned_ = false;
    bool fileLocked_ = false;
};

// Mutexes the current thread owns, abandoned when the thread ends.
struct OwnedMutexes {
    std::vector<std::weak_ptr<MutexObject>> list;
    ~OwnedMutexes() { abandonAll(); }
    void abandonAll() {
        if (list.empty()) return;
        DWORD me = GetCurrentThreadId();
        {
            std::lock_guard lock(waitState().mutex);
            for (auto& w : list) {
                if (auto m = w.lock()) m->Abandon(me);
            }
        }
        list.clear();
        waitState().changed.notify_all();
    }
};

thread_local OwnedMutexes ownedMutexes;

void rememberOwned(const std::shared_ptr<MutexObject>& m) {
    auto& list = ownedMutexes.list;
    // Drop entries of mutexes gone; a mutex taken again is listed once.
    std::erase_if(list, [](const std::weak_ptr<MutexObject>& w) { return w.expired(); });
    for (const auto& w : list) {
        if (w.lock() == m) return;
    }
    list.push_back(m);
}

// Objects shared by name within the process.
template <typename T>
struct NameRegistry {
    std::mutex mutex;
    std::map<std::string, std::weak_ptr<T>> byName;
};

NameRegistry<EventObject>& eventNames() {
    static auto* r = new NameRegistry<EventObject>;
    return *r;
}

NameRegistry<MutexObject>& mutexNames() {
    static auto* r = new NameRegistry<MutexObject>;
    return *r;
}

std::string lockFileBase(const std::string& name) {
    std::string n = name;
    for (const char* prefix : {"Global\\", "Local\\"}) {
        if (n.rfind(prefix, 0) == 0) n.erase(0, std::strlen(prefix));
    }
    std::string safe;
    for (unsigned char c : n) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
            c == '.') {
            safe.push_back(static_cast<char>(c));
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            safe += hex;
        }
    }
    if (safe.size() > 200) safe.resize(200);  // names stay within a file name's length
    return suite::RuntimeFolder() + "/mutex-" + safe;
}

int openLockFile(const std::string& path) { return ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600); }

// Opens the lock files of a named mutex and tells whether another process
// already had the name open. Null when the files cannot be made.
std::unique_ptr<NamedFiles> openNamed(const std::string& name, bool& existed) {
    std::string base = lockFileBase(name);
    int guard = openLockFile(base + ".guard");
    if (guard < 0) return nullptr;
    // The guard makes "is anyone there, then join" one step among processes.
    while (::flock(guard, LOCK_EX) != 0 && errno == EINTR) {
    }
    auto files = std::make_unique<NamedFiles>();
    files->refFd = openLockFile(base + ".ref");
    files->ownFd = openLockFile(base + ".own");
    bool ok = files->refFd >= 0 && files->ownFd >= 0;
    if (ok) {
        existed = ::flock(files->refFd, LOCK_EX | LOCK_NB) != 0;
        ok = ::flock(files->refFd, LOCK_SH) == 0;
    }
    ::close(guard);
    return ok ? std::move(files) : nullptr;
}

DWORD waitForObjects(std::vector<std::shared_ptr<suite::KernelObject>>& objects, bool waitAll, DWORD milliseconds) {
    const bool forever = milliseconds == INFINITE;
    const auto deadline = Clock::now() + std::chrono::milliseconds(forever ? 0 : milliseconds);
    bool polling = false;
    for (auto& o : objects) polling = polling || o->NeedsPolling();
    WaitState& ws = waitState();
    std::unique_lock lock(ws.mutex);
    for (;;) {
        if (!waitAll) {
            for (size_t i = 0; i < objects.size(); ++i) {
                if (objects[i]->IsSignaled()) {
                    bool abandoned = objects[i]->Acquire();
                    return static_cast<DWORD>((abandoned ? WAIT_ABANDONED_0 : WAIT_OBJECT_0) + i);
                }
            }
        } else {
            size_t ready = 0;
            while (ready < objects.size() && objects[ready]->IsSignaled()) ++ready;
            if (ready == objects.size()) {
                bool abandoned = false;
                for (auto& o : objects) abandoned = o->Acquire() || abandoned;
                return abandoned ? WAIT_ABANDONED_0 : WAIT_OBJECT_0;
            }
            for (size_t i = 0; i < ready; ++i) objects[i]->CancelProbe();
        }
        auto now = Clock::now();
        if (!forever && now >= deadline) return WAIT_TIMEOUT;
        // Objects another process changes are looked at every few milliseconds.
        if (polling) {
            auto next = now + std::chrono::milliseconds(5);
            ws.changed.wait_until(lock, forever ? next : std::min(next, deadline));
        } else if (forever) {
            ws.changed.wait(lock);
        } else {
            ws.changed.wait_until(lock, deadline);
        }
    }
}

std::shared_ptr<suite::KernelObject> waitable(HANDLE h) {
    auto o = suite::LookupHandle(h);
    return o && o->IsWaitable() ? o : nullptr;
}

}  // namespace

namespace suite {

std::string RuntimeFolder() {
    std::string folder;
    if (const char* v = std::getenv("SUITE_RUNTIME_DIR"); v && *v) {
        folder = v;
    } else if (const char* home = std::getenv("SUITE_HOME"); home && *home) {
        folder = std::string(home) + "/.suite-runtime";
    } else if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"); xdg && *xdg) {
        folder = std::string(xdg) + "/suite";
    } else {
        folder = "/tmp/suite-" + std::to_string(::getuid());
    }
    ::mkdir(folder.c_str(), 0700);
    struct stat st;
    // A shared folder made by another user would let them hold our names.
    if (::stat(folder.c_str(), &st) != 0 || st.st_uid != ::getuid()) {
        folder = JoinNative(DataFolder(), "runtime");
        MakeNativeFolders(folder);
    }
    return folder;
}

void NotifyWaiters() {
    { std::lock_guard lock(waitState().mutex); }
    waitState().changed.notify_all();
}

bool CompletionObject::IsSignaled() { return done_; }

void CompletionObject::Complete(DWORD code) {
    {
        std::lock_guard lock(waitState().mutex);
        done_ = true;
        code_ = code;
    }
    waitState().changed.notify_all();
}

bool CompletionObject::IsComplete() {
    std::lock_guard lock(waitState().mutex);
    return done_;
}

DWORD CompletionObject::Code() {
    std::lock_guard lock(waitState().mutex);
    return done_ ? code_ : STILL_ACTIVE;
}

}  // namespace suite

DWORD GetCurrentThreadId() { return static_cast<DWORD>(::gettid()); }

DWORD GetCurrentProcessId() { return static_cast<DWORD>(::getpid()); }

HANDLE GetCurrentThread() { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-2)); }

HANDLE GetCurrentProcess() { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1)); }

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags,
                    LPDWORD threadId) {
    if (!start) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto thread = std::make_shared<ThreadObject>();
    thread->suspended = (flags & CREATE_SUSPENDED) != 0;
    try {
        std::thread([thread, start, parameter] {
            {
                std::unique_lock lock(thread->gateMutex);
                thread->tid = GetCurrentThreadId();
                thread->started = true;
                thread->gate.notify_all();
                thread->gate.wait(lock, [&] { return !thread->suspended; });
            }
            DWORD code = start(parameter);
            ownedMutexes.abandonAll();
            thread->Complete(code);
        }).detach();
    } catch (const std::system_error&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    {
        std::unique_lock lock(thread->gateMutex);
        thread->gate.wait(lock, [&] { return thread->started; });
        if (threadId) *threadId = thread->tid;
    }
    SetLastError(ERROR_SUCCESS);
    return suite::RegisterHandle(thread);
}

DWORD ResumeThread(HANDLE handle) {
    auto thread = suite::LookupHandleAs<ThreadObject>(handle);
    if (!thread) {
        SetLastError(ERROR_INVALID_HANDLE);
        return static_cast<DWORD>(-1);
    }
    std::lock_guard lock(thread->gateMutex);
    DWORD previous = thread->suspended ? 1 : 0;
    thread->suspended = false;
    thread->gate.notify_all();
    return previous;
}

BOOL GetExitCodeThread(HANDLE handle, LPDWORD exitCode) {
    auto thread = suite::LookupHandleAs<ThreadObject>(handle);
    if (!thread || !exitCode) {
        SetLastError(thread ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *exitCode = thread->Code();
    return TRUE;
}

HANDLE CreateEventA(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCSTR name) {
    if (!name || !*name) {
        SetLastError(ERROR_SUCCESS);
        return suite::RegisterHandle(std::make_shared<EventObject>(manualReset != FALSE, initialState != FALSE));
    }
    auto& reg = eventNames();
    std::lock_guard lock(reg.mutex);
    if (auto existing = reg.byName[name].lock()) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return suite::RegisterHandle(existing);
    }
    auto event = std::make_shared<EventObject>(manualReset != FALSE, initialState != FALSE);
    reg.byName[name] = event;
    SetLastError(ERROR_SUCCESS);
    return suite::RegisterHandle(event);
}

namespace {

BOOL setEventState(HANDLE handle, bool on) {
    auto event = suite::LookupHandleAs<EventObject>(handle);
    if (!event) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    {
        std::lock_guard lock(waitState().mutex);
        event->Set(on);
    }
    if (on) waitState().changed.notify_all();
    return TRUE;
}

}  // namespace

BOOL SetEvent(HANDLE event) { return setEventState(event, true); }

BOOL ResetEvent(HANDLE event) { return setEventState(event, false); }

HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL initialOwner, LPCSTR name) {
    std::shared_ptr<MutexObject> mutex;
    bool existed = false;
    if (!name || !*name) {
        mutex = std::make_shared<MutexObject>();
    } else {
        auto& reg = mutexNames();
        std::lock_guard lock(reg.mutex);
        mutex = reg.byName[name].lock();
        if (mutex) {
            existed = true;
        } else {
            auto files = openNamed(name, existed);
            if (!files) {
                SetLastError(ERROR_ACCESS_DENIED);
                return nullptr;
            }
            mutex = std::make_shared<MutexObject>(std::move(files));
            reg.byName[name] = mutex;
        }
    }
    // An initial owner that finds the mutex taken (by another process) simply
    // does not own it, as on the original where an existing mutex's owner stays.
    if (initialOwner && !existed) {
        std::vector<std::shared_ptr<suite::KernelObject>> one{mutex};
        waitForObjects(one, false, 0);
    }
    HANDLE h = suite::RegisterHandle(mutex);
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return h;
}

HANDLE OpenMutexA(DWORD, BOOL, LPCSTR name) {
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    {
        auto& reg = mutexNames();
        std::lock_guard lock(reg.mutex);
        if (auto m = reg.byName[name].lock()) return suite::RegisterHandle(m);
    }
    bool existed = false;
    {
        std::string base = lockFileBase(name);
        int ref = ::open((base + ".ref").c_str(), O_RDWR | O_CLOEXEC);
        if (ref >= 0) {
            existed = ::flock(ref, LOCK_EX | LOCK_NB) != 0;
            ::close(ref);
        }
    }
    if (!existed) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    HANDLE h = CreateMutexA(nullptr, FALSE, name);
    if (h) SetLastError(ERROR_SUCCESS);
    return h;
}

BOOL ReleaseMutex(HANDLE handle) {
    auto mutex = suite::LookupHandleAs<MutexObject>(handle);
    if (!mutex) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    bool released;
    {
        std::lock_guard lock(waitState().mutex);
        released = mutex->Release();
    }
    if (!released) {
        SetLastError(ERROR_NOT_OWNER);
        return FALSE;
    }
    waitState().changed.notify_all();
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) { return WaitForMultipleObjects(1, &handle, FALSE, milliseconds); }

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds) {
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || !handles) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    std::vector<std::shared_ptr<suite::KernelObject>> objects;
    for (DWORD i = 0; i < count; ++i) {
        auto o = waitable(handles[i]);
        if (!o) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        objects.push_back(std::move(o));
    }
    return waitForObjects(objects, waitAll != FALSE, milliseconds);
}

void InitializeCriticalSection(LPCRITICAL_SECTION section) {
    section->impl = new std::recursive_mutex;
    section->RecursionCount = 0;
    section->OwningThread = 0;
}

BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION section, DWORD) {
    InitializeCriticalSection(section);
    return TRUE;
}

void EnterCriticalSection(LPCRITICAL_SECTION section) {
    static_cast<std::recursive_mutex*>(section->impl)->lock();
    section->OwningThread = GetCurrentThreadId();
    ++section->RecursionCount;
}

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section) {
    if (!static_cast<std::recursive_mutex*>(section->impl)->try_lock()) return FALSE;
    section->OwningThread = GetCurrentThreadId();
    ++section->RecursionCount;
    return TRUE;
}

void LeaveCriticalSection(LPCRITICAL_SECTION section) {
    if (--section->RecursionCount == 0) section->OwningThread = 0;
    static_cast<std::recursive_mutex*>(section->impl)->unlock();
}

void DeleteCriticalSection(LPCRITICAL_SECTION section) {
    delete static_cast<std::recursive_mutex*>(section->impl);
    section->impl = nullptr;
}

LONG InterlockedIncrement(volatile LONG* value) { return __atomic_add_fetch(value, 1, __ATOMIC_SEQ_CST); }

LONG InterlockedDecrement(volatile LONG* value) { return __atomic_sub_fetch(value, 1, __ATOMIC_SEQ_CST); }

LONG InterlockedExchange(volatile LONG* target, LONG value) { return __atomic_exchange_n(target, value, __ATOMIC_SEQ_CST); }

LONG InterlockedExchangeAdd(volatile LONG* target, LONG value) {
    return __atomic_fetch_add(target, value, __ATOMIC_SEQ_CST);
}

LONG InterlockedCompareExchange(volatile LONG* target, LONG exchange, LONG comparand) {
    __atomic_compare_exchange_n(target, &comparand, exchange, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
    return comparand;
}
