// The program's DDE service for the desktop's shell: the "System" topic
// takes the commands of ParseShellDdeCommands and hands each to the
// program; a text refused as a whole, or a command the program could not
// carry out, is answered as not processed. One server at a time.
#pragma once

#include <functional>
#include <string>

#include "platform/afx/ui/ddeml.h"
#include "shell/app/shell_dde_commands.h"

class CShellDdeServer {
public:
    using Handler = std::function<bool(const ShellDdeCommand&)>;
    CShellDdeServer() = default;
    ~CShellDdeServer() { Stop(); }
    CShellDdeServer(const CShellDdeServer&) = delete;
    CShellDdeServer& operator=(const CShellDdeServer&) = delete;

    // Registers `service` on the calling (user-interface) thread; false when
    // DDE cannot be started or another server of this program runs here.
    bool Start(const std::string& service, Handler handler);
    void Stop();

private:
    static HDDEDATA Callback(UINT type, UINT format, HCONV conv, HSZ hsz1, HSZ hsz2, HDDEDATA data, DWORD_PTR,
                             DWORD_PTR);
    HDDEDATA Execute(HDDEDATA data);

    static CShellDdeServer* s_running;
    DWORD instance_ = 0;
    HSZ service_ = nullptr;
    HSZ topic_ = nullptr;
    Handler handler_;
};
