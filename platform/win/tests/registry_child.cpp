// Helper program for the registry tests: writes to the user store named by the
// environment in one of several ways, so the tests can run it beside
// themselves or kill it half-way.
//   registry_child hold-transaction N   begin a transaction, create N keys under
//                                       Software\Txn, change Software\Base\Shared,
//                                       print "ready" and wait to be killed
//   registry_child write-acked N        set values V0..V(N-1) of Software\Acked one
//                                       call each, printing i after each returns
//   registry_child read-shared         print the value Software\Base\Shared
//   registry_child write-keys P N T     create Software\Shared\P0..P(N-1) with two
//                                       values each; T > 0 groups T keys a transaction
//   registry_child write-and-exit N     set Software\Base\Shared to "original", make
//                                       Software\Base\Child, set values V0..V(N-1)
//                                       of Software\Exit and end normally
//   registry_child read-only [bind]     with bind, first makes $SUITE_REGISTRY_DIR a
//                                       read-only mount of a private mount namespace
//                                       (exit 77 when that is not permitted); then
//                                       prints one line per call: its result and,
//                                       for reads, what was read
#include "platform/win/registry.h"

#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int Fail(const char* what, LONG error) {
    std::fprintf(stderr, "registry_child: %s failed with %d\n", what, static_cast<int>(error));
    return 1;
}

int HoldTransaction(int count) {
    LONG e = SuiteRegBeginTransaction(HKEY_CURRENT_USER);
    if (e != ERROR_SUCCESS) return Fail("begin", e);
    for (int i = 0; i < count; ++i) {
        HKEY key = nullptr;
        std::string path = "Software\\Txn\\K" + std::to_string(i);
        e = RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        if (e != ERROR_SUCCESS) return Fail("create", e);
        DWORD v = static_cast<DWORD>(i);
        e = RegSetValueExA(key, "I", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
        RegCloseKey(key);
        if (e != ERROR_SUCCESS) return Fail("set", e);
    }
    HKEY base = nullptr;
    e = RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Base", 0, KEY_ALL_ACCESS, &base);
    if (e != ERROR_SUCCESS) return Fail("open base", e);
    const char changed[] = "changed";
    e = RegSetValueExA(base, "Shared", 0, REG_SZ, reinterpret_cast<const BYTE*>(changed), sizeof changed);
    if (e != ERROR_SUCCESS) return Fail("set shared", e);
    e = RegDeleteValueA(base, "Doomed");
    if (e != ERROR_SUCCESS) return Fail("delete", e);
    std::printf("ready\n");
    std::fflush(stdout);
    sleep(60);
    return 3;
}

// Sets values V0..V(count-1) of `path`, one call each; with `acknowledge`
// prints i after each call returns.
int SetNumberedValues(const char* path, int count, bool acknowledge) {
    HKEY key = nullptr;
    LONG e = RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (e != ERROR_SUCCESS) return Fail("create", e);
    for (int i = 0; i < count; ++i) {
        std::string name = "V" + std::to_string(i);
        DWORD v = static_cast<DWORD>(i);
        e = RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
        if (e != ERROR_SUCCESS) return Fail("set", e);
        if (acknowledge) {
            std::printf("%d\n", i);
            std::fflush(stdout);
        }
    }
    RegCloseKey(key);
    return 0;
}

int WriteAcked(int count) {
    int code = SetNumberedValues("Software\\Acked", count, true);
    if (code != 0) return code;
    sleep(60);
    return 0;
}

int ReadShared() {
    HKEY base = nullptr;
    LONG e = RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Base", 0, KEY_READ, &base);
    if (e != ERROR_SUCCESS) return Fail("open", e);
    char text[64];
    DWORD size = sizeof text;
    e = RegQueryValueExA(base, "Shared", nullptr, nullptr, reinterpret_cast<LPBYTE>(text), &size);
    if (e != ERROR_SUCCESS) return Fail("query", e);
    std::printf("%s\n", text);
    return 0;
}

int WriteKeys(const std::string& prefix, int count, int perTransaction) {
    for (int i = 0; i < count; ++i) {
        bool group = perTransaction > 0 && i % perTransaction == 0;
        if (group) {
            LONG e = SuiteRegBeginTransaction(HKEY_CURRENT_USER);
            if (e != ERROR_SUCCESS) return Fail("begin", e);
        }
        HKEY key = nullptr;
        std::string path = "Software\\Shared\\" + prefix + std::to_string(i);
        LONG e = RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                 nullptr);
        if (e != ERROR_SUCCESS) return Fail("create", e);
        DWORD v = static_cast<DWORD>(i);
        e = RegSetValueExA(key, "I", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
        if (e == ERROR_SUCCESS)
            e = RegSetValueExA(key, "Name", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                               static_cast<DWORD>(path.size() + 1));
        RegCloseKey(key);
        if (e != ERROR_SUCCESS) return Fail("set", e);
        if (perTransaction > 0 && (i % perTransaction == perTransaction - 1 || i == count - 1)) {
            e = SuiteRegCommitTransaction(HKEY_CURRENT_USER);
            if (e != ERROR_SUCCESS) return Fail("commit", e);
        }
    }
    return 0;
}

int WriteAndExit(int count) {
    HKEY key = nullptr;
    LONG e = RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Base\\Child", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                             &key, nullptr);
    if (e != ERROR_SUCCESS) return Fail("create child", e);
    RegCloseKey(key);
    e = RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Base", &key);
    if (e != ERROR_SUCCESS) return Fail("open base", e);
    const char original[] = "original";
    e = RegSetValueExA(key, "Shared", 0, REG_SZ, reinterpret_cast<const BYTE*>(original), sizeof original);
    RegCloseKey(key);
    if (e != ERROR_SUCCESS) return Fail("set base", e);
    return SetNumberedValues("Software\\Exit", count, false);
}

// The registry folder as a read-only mount seen by this process only.
bool MountReadOnly(const char* dir) {
    return ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           ::mount(dir, dir, nullptr, MS_BIND, nullptr) == 0 &&
           ::mount(nullptr, dir, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
}

void Report(const char* what, LONG e, const std::string& read = std::string()) {
    std::printf("%s %d%s%s\n", what, static_cast<int>(e), read.empty() ? "" : " ", read.c_str());
    std::fflush(stdout);
}

int ReadOnlyChecks(bool bind) {
    const char* dir = std::getenv("SUITE_REGISTRY_DIR");
    if (dir == nullptr) return Fail("read-only: no SUITE_REGISTRY_DIR", 0);
    if (bind && !MountReadOnly(dir)) return 77;
    HKEY base = nullptr;
    LONG e = RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Base", 0, KEY_READ, &base);
    char text[64] = "";
    DWORD size = sizeof text;
    if (e == ERROR_SUCCESS) e = RegQueryValueExA(base, "Shared", nullptr, nullptr, reinterpret_cast<LPBYTE>(text), &size);
    Report("read", e, text);
    char name[64] = "";
    e = base != nullptr ? RegEnumKeyA(base, 0, name, sizeof name) : ERROR_INVALID_HANDLE;
    Report("enum", e, name);
    // Opening an existing key for writing through the create call works; writing does not.
    HKEY writable = nullptr;
    DWORD disposition = 0;
    e = RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Base", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &writable,
                        &disposition);
    Report("create-existing", e, std::to_string(disposition));
    const char value[] = "new";
    Report("set", writable != nullptr ? RegSetValueExA(writable, "Shared", 0, REG_SZ,
                                                       reinterpret_cast<const BYTE*>(value), sizeof value)
                                      : ERROR_INVALID_HANDLE);
    Report("delete-value", writable != nullptr ? RegDeleteValueA(writable, "Shared") : ERROR_INVALID_HANDLE);
    Report("delete-key", RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Base"));
    HKEY made = nullptr;
    Report("create-new", RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                         &made, nullptr));
    Report("begin", SuiteRegBeginTransaction(HKEY_CURRENT_USER));
    // The machine store was never made: it reads as an empty tree.
    HKEY machine = nullptr;
    Report("machine-open", RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &machine));
    Report("machine-create", RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software", &machine));
    // What was there is still there.
    size = sizeof text;
    text[0] = '\0';
    e = base != nullptr ? RegQueryValueExA(base, "Shared", nullptr, nullptr, reinterpret_cast<LPBYTE>(text), &size)
                        : ERROR_INVALID_HANDLE;
    Report("read-again", e, text);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "hold-transaction") == 0) return HoldTransaction(std::atoi(argv[2]));
    if (argc >= 3 && std::strcmp(argv[1], "write-acked") == 0) return WriteAcked(std::atoi(argv[2]));
    if (argc >= 2 && std::strcmp(argv[1], "read-shared") == 0) return ReadShared();
    if (argc >= 5 && std::strcmp(argv[1], "write-keys") == 0)
        return WriteKeys(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    if (argc >= 3 && std::strcmp(argv[1], "write-and-exit") == 0) return WriteAndExit(std::atoi(argv[2]));
    if (argc >= 2 && std::strcmp(argv[1], "read-only") == 0)
        return ReadOnlyChecks(argc >= 3 && std::strcmp(argv[2], "bind") == 0);
    std::fprintf(stderr, "registry_child: unknown command\n");
    return 2;
}
