#include "bench/common/timed_command.h"

#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace bench {

double threadCpu() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

int runTimed(const std::string& cmd, double& cpu) {
    cpu = 0;
    pid_t pid = 0;
    const char* argv[] = {"/bin/sh", "-c", cmd.c_str(), nullptr};
    if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0) return -1;
    int status = 0;
    rusage ru{};
    if (wait4(pid, &status, 0, &ru) != pid) return -1;
    cpu = static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
          static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) * 1e-6;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string programFolder() {
    char exe[4096] = {};
    if (readlink("/proc/self/exe", exe, sizeof exe - 1) <= 0) return {};
    return (std::filesystem::path(exe).parent_path().parent_path() / "bin").string();
}

void restartWithOneOpenMpThread(char** argv) {
    if (getenv("OMP_THREAD_LIMIT")) return;
    setenv("OMP_THREAD_LIMIT", "1", 1);
    if (!getenv("SUITE_LIBRARY_PATH")) setenv("SUITE_LIBRARY_PATH", programFolder().c_str(), 1);
    execv("/proc/self/exe", argv);
}

}  // namespace bench
