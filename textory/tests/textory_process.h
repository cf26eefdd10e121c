// Running the built Textory (or the launcher) as a process of its own under a
// scratch home: the exit status and what it wrote on its error stream. Every
// run is bounded.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/win/files.h"

namespace textorytest {

struct ProcessRun {
    int status = -1;  // exit status; -1 when it did not end in time or was killed
    std::string errors;
};

// Runs `program` (a file beside the test) with `arguments` in `cwd`.
inline ProcessRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                             const std::string& cwd, const std::string& errorsFile, int seconds = 120) {
    const std::string path = suite::ProgramFolder() + "/" + program;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (!cwd.empty() && ::chdir(cwd.c_str()) != 0) ::_exit(126);
        const int fd = ::open(errorsFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) ::dup2(fd, 2);
        ::execv(path.c_str(), argv.data());
        ::_exit(127);
    }
    ProcessRun run;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int raw = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid, &raw, WNOHANG);
        if (done == pid) break;
        if (std::chrono::steady_clock::now() > end) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &raw, 0);
            raw = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (raw != -1 && WIFEXITED(raw)) run.status = WEXITSTATUS(raw);
    std::ifstream in(errorsFile);
    run.errors.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return run;
}

}  // namespace textorytest
