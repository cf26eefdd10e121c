// Registry figures: creating and reading back N keys with two values each,
// inside and outside a transaction, enumerating them by index, and reading
// them in one call.
//   registry_bench [N]        (default 10000; stores in a fresh temporary folder)
#include "platform/win/registry.h"

#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double Millis(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

bool Check(LONG e, const char* what) {
    if (e == ERROR_SUCCESS) return true;
    std::fprintf(stderr, "registry_bench: %s failed with %d\n", what, static_cast<int>(e));
    std::exit(1);
}

void CreateKeys(HKEY parent, int count) {
    for (int i = 0; i < count; ++i) {
        std::string name = "Node " + std::to_string(i);
        HKEY key = nullptr;
        Check(RegCreateKeyExA(parent, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), "create");
        DWORD id = static_cast<DWORD>(i);
        Check(RegSetValueExA(key, "ID", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&id), 4), "set ID");
        const char time[] = "2026,12,8,23,30,0,0,2";
        Check(RegSetValueExA(key, "Create Time", 0, REG_SZ, reinterpret_cast<const BYTE*>(time), sizeof time),
              "set time");
        RegCloseKey(key);
    }
}

void ReadKeys(HKEY parent, int count) {
    for (int i = 0; i < count; ++i) {
        std::string name = "Node " + std::to_string(i);
        HKEY key = nullptr;
        Check(RegOpenKeyExA(parent, name.c_str(), 0, KEY_READ, &key), "open");
        DWORD id = 0, size = 4;
        Check(RegQueryValueExA(key, "ID", nullptr, nullptr, reinterpret_cast<LPBYTE>(&id), &size), "query ID");
        char time[100];
        size = sizeof time;
        Check(RegQueryValueExA(key, "Create Time", nullptr, nullptr, reinterpret_cast<LPBYTE>(time), &size),
              "query time");
        if (id != static_cast<DWORD>(i)) Check(ERROR_INVALID_DATA, "read back");
        RegCloseKey(key);
    }
}

int Enumerate(HKEY key) {
    char name[261];
    DWORD i = 0;
    while (RegEnumKeyA(key, i, name, sizeof name) == ERROR_SUCCESS) ++i;
    return static_cast<int>(i);
}

HKEY Fresh(const char* path) {
    HKEY key = nullptr;
    Check(RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), "root");
    return key;
}

}  // namespace

int main(int argc, char** argv) {
    int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const char* temp = std::getenv("TMPDIR");
    std::string pattern = std::string(temp != nullptr && *temp != '\0' ? temp : "/tmp") + "/registry_bench_XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return 1;
    setenv("SUITE_REGISTRY_DIR", pattern.c_str(), 1);
    std::printf("%d keys, two values each; store in %s\n", count, pattern.c_str());

    HKEY inTxn = Fresh("Software\\Bench\\InTransaction");
    auto t = Clock::now();
    Check(SuiteRegBeginTransaction(HKEY_CURRENT_USER), "begin");
    CreateKeys(inTxn, count);
    Check(SuiteRegCommitTransaction(HKEY_CURRENT_USER), "commit");
    std::printf("create inside one transaction:  %9.1f ms\n", Millis(t));

    HKEY plain = Fresh("Software\\Bench\\Plain");
    t = Clock::now();
    CreateKeys(plain, count);
    double plainMs = Millis(t);
    std::printf("create, one commit per call:    %9.1f ms  (%.3f ms per call)\n", plainMs, plainMs / (3.0 * count));

    t = Clock::now();
    ReadKeys(inTxn, count);
    std::printf("read back (open + 2 queries):   %9.1f ms\n", Millis(t));
    t = Clock::now();
    Check(SuiteRegBeginTransaction(HKEY_CURRENT_USER), "begin");
    ReadKeys(plain, count);
    Check(SuiteRegCommitTransaction(HKEY_CURRENT_USER), "commit");
    std::printf("read back inside a transaction: %9.1f ms\n", Millis(t));

    HKEY fresh = nullptr;
    Check(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Bench\\Plain", 0, KEY_READ, &fresh), "open");
    t = Clock::now();
    int n = Enumerate(fresh);
    std::printf("enumerate %d keys, new handle:  %9.1f ms\n", n, Millis(t));
    t = Clock::now();
    n = Enumerate(fresh);
    std::printf("enumerate %d keys again:        %9.1f ms\n", n, Millis(t));
    t = Clock::now();
    char name[261];
    for (DWORD i = 0; RegEnumKeyA(fresh, i, name, sizeof name) == ERROR_SUCCESS; ++i) {
        HKEY key = nullptr;
        Check(RegOpenKeyExA(fresh, name, 0, KEY_READ, &key), "open");
        DWORD id = 0, size = 4;
        Check(RegQueryValueExA(key, "ID", nullptr, nullptr, reinterpret_cast<LPBYTE>(&id), &size), "query");
        RegCloseKey(key);
    }
    std::printf("load the tree (enumerate, open, read): %6.1f ms\n", Millis(t));
    // The same tree, and one of its keys alone, each in one call.
    suite::reg::TreeCopy tree;
    t = Clock::now();
    Check(SuiteRegReadTree(fresh, tree), "read tree");
    std::printf("read the tree in one call (%zu keys): %7.1f ms\n", tree.children.size(), Millis(t));
    HKEY one = nullptr;
    Check(RegOpenKeyExA(fresh, "Node 0", 0, KEY_READ, &one), "open");
    for (int pass = 0; pass < 2; ++pass) {
        t = Clock::now();
        Check(SuiteRegReadTree(one, tree), "read tree");
        std::printf("read one key's tree in one call:   %8.3f ms%s\n", Millis(t), pass == 0 ? "" : " (again)");
    }
    RegCloseKey(one);
    RegCloseKey(fresh);
    std::filesystem::remove_all(pattern);
    return 0;
}
