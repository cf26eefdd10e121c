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
#include "platform/win/registry.h"

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

int WriteAcked(int count) {
    HKEY key = nullptr;
    LONG e = RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Acked", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                             nullptr);
    if (e != ERROR_SUCCESS) return Fail("create", e);
    for (int i = 0; i < count; ++i) {
        std::string name = "V" + std::to_string(i);
        DWORD v = static_cast<DWORD>(i);
        e = RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
        if (e != ERROR_SUCCESS) return Fail("set", e);
        std::printf("%d\n", i);
        std::fflush(stdout);
    }
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

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "hold-transaction") == 0) return HoldTransaction(std::atoi(argv[2]));
    if (argc >= 3 && std::strcmp(argv[1], "write-acked") == 0) return WriteAcked(std::atoi(argv[2]));
    if (argc >= 2 && std::strcmp(argv[1], "read-shared") == 0) return ReadShared();
    if (argc >= 5 && std::strcmp(argv[1], "write-keys") == 0)
        return WriteKeys(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    std::fprintf(stderr, "registry_child: unknown command\n");
    return 2;
}
