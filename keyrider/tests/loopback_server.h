// A loopback server of the tests (SMTP or FTP), started from its Python
// script on a folder: it prints its port and ends by itself after a minute,
// or when the object goes.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

namespace keyridertest {

class Server {
public:
    Server(const char* script, const std::filesystem::path& folder) {
        int out[2];
        if (pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], 1);
            close(out[0]);
            close(out[1]);
            execl("/usr/bin/python3", "python3", script, folder.c_str(), "60", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        std::FILE* f = fdopen(out[0], "r");
        if (f && std::fscanf(f, "%d", &port_) != 1) port_ = 0;
        if (f) std::fclose(f);
    }
    ~Server() { Kill(); }
    void Kill() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }
    int port() const { return port_; }

private:
    pid_t pid_ = -1;
    int port_ = 0;
};

}  // namespace keyridertest
