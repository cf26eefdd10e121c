// A small program the tests start: it reports what it was given and plays
// the other side of cross-process checks.
//   probe_child args <file> <arg>...     writes each argument on its own line
//   probe_child cwd <file>               writes its working folder
//   probe_child env <file> <name>        writes an environment variable
//   probe_child print <text>             writes <text> to standard output
//   probe_child exit <code>              exits with <code>
//   probe_child sleep <ms>               sleeps, then exits 0
//   probe_child publish <ms>             after <ms> publishes windows as a program with
//                                        windows does (its entry in the window folder),
//                                        then sleeps a minute
//   probe_child mutex-exists <name>      exits 10 when the named mutex existed, else 11
//   probe_child mutex-hold <name> <file> owns the mutex, writes <file>, sleeps a minute
//   probe_child mutex-try <name>         exits 0 when it got the mutex, 1 on time-out, 2 abandoned
// With $PROBE_RECORD set it records its arguments there instead (a document opener).
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "platform/win/process.h"
#include "platform/win/sync.h"

namespace {

int writeLines(const char* file, int first, int argc, char** argv) {
    std::ofstream out(file, std::ios::binary);
    for (int i = first; i < argc; ++i) out << argv[i] << "\n";
    return out ? 0 : 3;
}

}  // namespace

int main(int argc, char** argv) {
    if (const char* record = std::getenv("PROBE_RECORD"); record && *record) {
        std::string temp = std::string(record) + ".part";
        int rc = writeLines(temp.c_str(), 1, argc, argv);
        std::rename(temp.c_str(), record);
        return rc;
    }
    if (argc < 3) return 2;
    std::string mode = argv[1];
    if (mode == "args") return writeLines(argv[2], 3, argc, argv);
    if (mode == "cwd") {
        char buf[4096];
        if (!::getcwd(buf, sizeof buf)) return 3;
        char* lines[] = {buf};
        return writeLines(argv[2], 0, 1, lines);
    }
    if (mode == "env" && argc >= 4) {
        const char* v = std::getenv(argv[3]);
        char empty[] = "";
        char* lines[] = {v ? const_cast<char*>(v) : empty};
        return writeLines(argv[2], 0, 1, lines);
    }
    if (mode == "print") {
        std::fputs(argv[2], stdout);
        return 0;
    }
    if (mode == "exit") return std::atoi(argv[2]);
    if (mode == "publish") {
        Sleep(static_cast<DWORD>(std::atoi(argv[2])));
        std::ofstream(suite::WindowEndpointFolder() + "/" + std::to_string(::getpid()) + ".sock") << "";
        Sleep(60000);
        return 0;
    }
    if (mode == "sleep") {
        Sleep(static_cast<DWORD>(std::atoi(argv[2])));
        return 0;
    }
    if (mode == "mutex-exists") {
        HANDLE h = CreateMutexA(nullptr, FALSE, argv[2]);
        return h && GetLastError() == ERROR_ALREADY_EXISTS ? 10 : 11;
    }
    if (mode == "mutex-hold" && argc >= 4) {
        HANDLE h = CreateMutexA(nullptr, FALSE, argv[2]);
        if (!h || WaitForSingleObject(h, 10000) == WAIT_TIMEOUT) return 3;
        std::ofstream(argv[3]) << "owned\n";
        Sleep(60000);
        return 0;
    }
    if (mode == "mutex-try") {
        HANDLE h = CreateMutexA(nullptr, FALSE, argv[2]);
        DWORD r = WaitForSingleObject(h, 0);
        return r == WAIT_OBJECT_0 ? 0 : r == WAIT_TIMEOUT ? 1 : r == WAIT_ABANDONED ? 2 : 3;
    }
    return 2;
}
