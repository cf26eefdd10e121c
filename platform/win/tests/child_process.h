// Test helper: runs one of the helper programs built beside the test program,
// with its standard output on a pipe, and waits for it or kills it.
#pragma once

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace suite::test {

class ChildProcess {
public:
    ChildProcess(const std::string& program, const std::vector<std::string>& args) {
        char self[PATH_MAX];
        ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
        if (n <= 0) throw std::runtime_error("cannot find the test program");
        std::string path(self, static_cast<size_t>(n));
        path = path.substr(0, path.rfind('/') + 1) + program;
        int fds[2];
        if (pipe(fds) != 0) throw std::runtime_error("pipe");
        std::vector<std::string> all{path};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        pid_ = fork();
        if (pid_ == 0) {
            dup2(fds[1], 1);
            close(fds[0]);
            close(fds[1]);
            execv(path.c_str(), argv.data());
            _exit(127);
        }
        close(fds[1]);
        out_ = fds[0];
    }
    ~ChildProcess() {
        if (pid_ > 0) Kill();
        if (out_ >= 0) close(out_);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next line the program printed ("" at its end or after 20 s of silence).
    std::string ReadLine() {
        std::string line;
        for (;;) {
            pollfd p{out_, POLLIN, 0};
            if (poll(&p, 1, 20000) <= 0) return line;
            char c;
            if (read(out_, &c, 1) != 1) return line;
            if (c == '\n') return line;
            line.push_back(c);
        }
    }
    // The exit code, or -1 when it did not end within 60 s (it is killed then).
    int Wait() {
        for (int i = 0; i < 6000; ++i) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            usleep(10000);
        }
        Kill();
        return -1;
    }
    void Kill() {
        if (pid_ <= 0) return;
        kill(pid_, SIGKILL);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
};

}  // namespace suite::test
