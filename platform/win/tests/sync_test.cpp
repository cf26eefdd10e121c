#include "platform/win/sync.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "platform/win/files.h"
#include "platform/win/process.h"
#include "platform/win/tests/scratch_folder.h"

using suite_test::ScratchFolder;

namespace {

DWORD elapsedSince(DWORD start) { return GetTickCount() - start; }

struct Shared {
    HANDLE event = nullptr;
    std::atomic<int> woken{0};
};

DWORD waitOnEvent(LPVOID p) {
    auto* s = static_cast<Shared*>(p);
    if (WaitForSingleObject(s->event, 10000) == WAIT_OBJECT_0) ++s->woken;
    return 0;
}

DWORD returnParameter(LPVOID p) { return static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(p)); }

DWORD takeMutexAndEnd(LPVOID p) {
    WaitForSingleObject(static_cast<HANDLE>(p), INFINITE);
    return 0;  // ends without ReleaseMutex
}

bool waitForFile(const std::string& native, DWORD ms) {
    DWORD start = GetTickCount();
    while (!ScratchFolder::Exists(native)) {
        if (elapsedSince(start) > ms) return false;
        Sleep(10);
    }
    return true;
}

std::string childPath() { return suite::ProgramFolder() + "/probe_child"; }

DWORD runChild(const std::vector<std::string>& args) {
    HANDLE p = suite::StartProgram(childPath(), args);
    if (!p) return 1000;
    DWORD code = 1001;
    if (WaitForSingleObject(p, 20000) == WAIT_OBJECT_0) GetExitCodeProcess(p, &code);
    CloseHandle(p);
    return code;
}

}  // namespace

TEST(Events, TimeOutsAndZeroWaits) {
    HANDLE e = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(e, nullptr);
    DWORD start = GetTickCount();
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(e, 60), WAIT_TIMEOUT);
    EXPECT_GE(elapsedSince(start), 55u) << "the wait lasts its time-out";
    ASSERT_TRUE(SetEvent(e));
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(e, INFINITE), WAIT_OBJECT_0) << "a manual-reset event stays set";
    ASSERT_TRUE(ResetEvent(e));
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMEOUT);
    CloseHandle(e);
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(Events, AutoResetReleasesOneWaiterPerSet) {
    Shared s;
    s.event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE threads[3];
    for (auto& t : threads) t = CreateThread(nullptr, 0, waitOnEvent, &s, 0, nullptr);
    Sleep(50);
    SetEvent(s.event);
    DWORD start = GetTickCount();
    while (s.woken < 1 && elapsedSince(start) < 5000) Sleep(5);
    Sleep(50);
    EXPECT_EQ(s.woken.load(), 1);
    EXPECT_EQ(WaitForSingleObject(s.event, 0), WAIT_TIMEOUT) << "the release reset the event";
    // A set event is set once: each further waiter needs its own SetEvent.
    for (int expected = 2; expected <= 3; ++expected) {
        SetEvent(s.event);
        start = GetTickCount();
        while (s.woken < expected && elapsedSince(start) < 5000) Sleep(5);
        EXPECT_EQ(s.woken.load(), expected);
    }
    EXPECT_EQ(WaitForMultipleObjects(3, threads, TRUE, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(s.woken.load(), 3);
    for (auto t : threads) CloseHandle(t);
    CloseHandle(s.event);
}

TEST(Events, WaitForAnyAndAll) {
    HANDLE e[3] = {CreateEventA(nullptr, TRUE, FALSE, nullptr), CreateEventA(nullptr, TRUE, FALSE, nullptr),
                   CreateEventA(nullptr, FALSE, FALSE, nullptr)};
    EXPECT_EQ(WaitForMultipleObjects(3, e, FALSE, 0), WAIT_TIMEOUT);
    SetEvent(e[2]);
    SetEvent(e[1]);
    EXPECT_EQ(WaitForMultipleObjects(3, e, FALSE, 0), WAIT_OBJECT_0 + 1) << "the lowest signalled index";
    EXPECT_EQ(WaitForMultipleObjects(3, e, TRUE, 20), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(e[2], 0), WAIT_OBJECT_0) << "a failed wait-all took nothing";
    SetEvent(e[2]);
    SetEvent(e[0]);
    EXPECT_EQ(WaitForMultipleObjects(3, e, TRUE, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(e[2], 0), WAIT_TIMEOUT) << "wait-all reset the auto-reset event";
    HANDLE bad[2] = {e[0], reinterpret_cast<HANDLE>(0x7777)};
    EXPECT_EQ(WaitForMultipleObjects(2, bad, FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForMultipleObjects(0, e, FALSE, 0), WAIT_FAILED);
    for (auto h : e) CloseHandle(h);

    // Named events are one object within the process.
    HANDLE a = CreateEventA(nullptr, TRUE, FALSE, "PageLoaded");
    EXPECT_EQ(GetLastError(), 0u);
    HANDLE b = CreateEventA(nullptr, TRUE, FALSE, "PageLoaded");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    SetEvent(a);
    EXPECT_EQ(WaitForSingleObject(b, 0), WAIT_OBJECT_0);
    CloseHandle(a);
    CloseHandle(b);
}

TEST(Threads, IdsExitCodesAndSuspendedStart) {
    DWORD id = 0;
    HANDLE t = CreateThread(nullptr, 0, [](LPVOID) -> DWORD { return GetCurrentThreadId(); }, nullptr, 0, &id);
    ASSERT_NE(t, nullptr);
    EXPECT_NE(id, GetCurrentThreadId());
    ASSERT_EQ(WaitForSingleObject(t, 10000), WAIT_OBJECT_0);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(t, &code));
    EXPECT_EQ(code, id) << "the id CreateThread gave is the thread's own";
    CloseHandle(t);

    t = CreateThread(nullptr, 0, returnParameter, reinterpret_cast<LPVOID>(42), CREATE_SUSPENDED, nullptr);
    EXPECT_EQ(WaitForSingleObject(t, 50), WAIT_TIMEOUT) << "suspended";
    GetExitCodeThread(t, &code);
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_EQ(ResumeThread(t), 1u);
    ASSERT_EQ(WaitForSingleObject(t, 10000), WAIT_OBJECT_0);
    GetExitCodeThread(t, &code);
    EXPECT_EQ(code, 42u);
    CloseHandle(t);
}

TEST(Mutexes, OwnershipIsRecursiveAndPerThread) {
    HANDLE m = CreateMutexA(nullptr, TRUE, nullptr);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(WaitForSingleObject(m, 0), WAIT_OBJECT_0) << "the owner takes it again";
    std::atomic<DWORD> other{0};
    std::thread([&] { other = WaitForSingleObject(m, 30); }).join();
    EXPECT_EQ(other.load(), WAIT_TIMEOUT);
    std::thread([&] { other = ReleaseMutex(m) ? 0 : GetLastError(); }).join();
    EXPECT_EQ(other.load(), static_cast<DWORD>(ERROR_NOT_OWNER));
    EXPECT_TRUE(ReleaseMutex(m));
    std::thread([&] { other = WaitForSingleObject(m, 0); }).join();
    EXPECT_EQ(other.load(), WAIT_TIMEOUT) << "still owned once";
    EXPECT_TRUE(ReleaseMutex(m));
    EXPECT_FALSE(ReleaseMutex(m));

    // An owner that ends without releasing leaves the mutex abandoned.
    HANDLE t = CreateThread(nullptr, 0, takeMutexAndEnd, m, 0, nullptr);
    WaitForSingleObject(t, 10000);
    CloseHandle(t);
    EXPECT_EQ(WaitForSingleObject(m, 1000), WAIT_ABANDONED);
    EXPECT_TRUE(ReleaseMutex(m)) << "the abandoned mutex now belongs to this thread";
    EXPECT_EQ(WaitForSingleObject(m, 0), WAIT_OBJECT_0);
    ReleaseMutex(m);
    CloseHandle(m);
}

TEST(CriticalSections, ExcludeOtherThreadsAndNest) {
    CRITICAL_SECTION cs;
    InitializeCriticalSection(&cs);
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                EnterCriticalSection(&cs);
                long v = counter;
                counter = v + 1;
                LeaveCriticalSection(&cs);
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(counter, 80000);

    EnterCriticalSection(&cs);
    EXPECT_TRUE(TryEnterCriticalSection(&cs)) << "recursive";
    BOOL fromOther = TRUE;
    std::thread([&] { fromOther = TryEnterCriticalSection(&cs); }).join();
    EXPECT_FALSE(fromOther);
    LeaveCriticalSection(&cs);
    LeaveCriticalSection(&cs);
    std::thread([&] {
        fromOther = TryEnterCriticalSection(&cs);
        if (fromOther) LeaveCriticalSection(&cs);
    }).join();
    EXPECT_TRUE(fromOther);
    DeleteCriticalSection(&cs);

    volatile LONG n = 5;
    EXPECT_EQ(InterlockedIncrement(&n), 6);
    EXPECT_EQ(InterlockedCompareExchange(&n, 9, 6), 6);
    EXPECT_EQ(InterlockedCompareExchange(&n, 1, 6), 9);
    EXPECT_EQ(InterlockedExchange(&n, 2), 9);
    EXPECT_EQ(InterlockedDecrement(&n), 1);
}

TEST(Mutexes, NamedMutexIsSeenByAnotherProcess) {
    ScratchFolder scratch;  // moves the runtime folder into the scratch folder
    const std::string name = "Global\\SuiteTestSingleInstance";
    HANDLE m = CreateMutexA(nullptr, FALSE, name.c_str());
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(GetLastError(), 0u) << "the first instance";
    EXPECT_EQ(runChild({"mutex-exists", name}), 10u) << "a second instance sees the first";
    HANDLE again = CreateMutexA(nullptr, FALSE, name.c_str());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    CloseHandle(again);
    CloseHandle(m);
    EXPECT_EQ(runChild({"mutex-exists", name}), 11u) << "closed: the name is free again";
}

TEST(Mutexes, NamedMutexOwnerDyingLeavesItAbandoned) {
    ScratchFolder scratch;
    const std::string name = "SuiteTestOwnership";
    HANDLE m = CreateMutexA(nullptr, FALSE, name.c_str());
    std::string ready = scratch / "owned";
    HANDLE child = suite::StartProgram(childPath(), {"mutex-hold", name, ready});
    ASSERT_NE(child, nullptr);
    ASSERT_TRUE(waitForFile(ready, 10000));
    EXPECT_EQ(WaitForSingleObject(m, 0), WAIT_TIMEOUT) << "owned by the other process";
    EXPECT_EQ(WaitForSingleObject(m, 50), WAIT_TIMEOUT);
    ASSERT_TRUE(TerminateProcess(child, 9));
    EXPECT_EQ(WaitForSingleObject(child, 10000), WAIT_OBJECT_0);
    CloseHandle(child);
    EXPECT_EQ(WaitForSingleObject(m, 5000), WAIT_ABANDONED);
    EXPECT_EQ(runChild({"mutex-try", name}), 1u) << "now owned here";
    ASSERT_TRUE(ReleaseMutex(m));
    EXPECT_EQ(runChild({"mutex-try", name}), 0u) << "released cleanly, not abandoned";
    CloseHandle(m);
}

TEST(Clocks, FileTimesAndSystemTimes) {
    SYSTEMTIME st{2000, 1, 0, 1, 0, 0, 0, 0};
    FILETIME ft;
    ASSERT_TRUE(SystemTimeToFileTime(&st, &ft));
    EXPECT_EQ(suite::FileTimeValue(ft), 125911584000000000ULL);
    SYSTEMTIME back;
    ft = suite::MakeFileTime(125911584000000000ULL + 36000000000ULL * 25 + 1234 * 10000ULL);  // +25 h 1.234 s
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
    EXPECT_EQ(back.wYear, 2000);
    EXPECT_EQ(back.wMonth, 1);
    EXPECT_EQ(back.wDay, 2);
    EXPECT_EQ(back.wDayOfWeek, 0) << "2000-01-02 was a Sunday";
    EXPECT_EQ(back.wHour, 1);
    EXPECT_EQ(back.wSecond, 1);
    EXPECT_EQ(back.wMilliseconds, 234);

    SYSTEMTIME leap{2024, 2, 0, 29, 23, 59, 59, 999};
    ASSERT_TRUE(SystemTimeToFileTime(&leap, &ft));
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
    EXPECT_EQ(back.wDay, 29);
    EXPECT_EQ(back.wMilliseconds, 999);
    SYSTEMTIME bad{2023, 2, 0, 29, 0, 0, 0, 0};
    EXPECT_FALSE(SystemTimeToFileTime(&bad, &ft));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    // The clock and the file times agree with the system's own.
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    timespec ts = suite::TimespecFromFileTime(now);
    EXPECT_LE(std::llabs(static_cast<long long>(ts.tv_sec) - static_cast<long long>(std::time(nullptr))), 2);
    SYSTEMTIME sys;
    GetSystemTime(&sys);
    EXPECT_GE(sys.wYear, 2024);

    // Local file times follow the time zone (a fixed zone here, no daylight saving).
    const char* oldTz = std::getenv("TZ");
    std::string savedTz = oldTz ? oldTz : "";
    ::setenv("TZ", "CST-8", 1);
    ::tzset();
    FILETIME utc = suite::MakeFileTime(125911584000000000ULL), local, again;
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
    EXPECT_EQ(suite::FileTimeValue(local) - suite::FileTimeValue(utc), 8ULL * 36000000000ULL);
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &again));
    EXPECT_EQ(suite::FileTimeValue(again), suite::FileTimeValue(utc));
    if (oldTz) ::setenv("TZ", savedTz.c_str(), 1); else ::unsetenv("TZ");
    ::tzset();

    DWORD a = GetTickCount();
    Sleep(20);
    EXPECT_GE(GetTickCount() - a, 19u);
}
