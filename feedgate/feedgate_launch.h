// Starts the program a command line is routed to and gives the launcher's
// exit code.
//
// Scribant is started by bare name ("Scribant.exe"), found as WinExec finds
// programs (program folder, current folder, PATH), and is not waited for.
// Textory is started from the launcher's own folder, in that folder, and is
// waited for until its job ends (the job is bounded by its own time limits;
// the launcher's bound only guards against a program that never ends): its
// exit status is the launcher's, so the status says whether the job was done.
// A Textory still running when the bound passes gives kStillRunning, and a
// program that cannot be started kCannotStart, each with one line on the
// error stream.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "platform/win/sync.h"
#include "platform/win/types.h"

namespace feedgate {

inline constexpr int kCannotStart = 1;
inline constexpr int kStillRunning = 124;
inline constexpr DWORD kTextoryWaitMs = INFINITE;

struct LaunchSettings {
    std::string programFolder;  // native folder holding Textory (the launcher's own)
    DWORD textoryWaitMs = kTextoryWaitMs;
    std::FILE* errors = stderr;
};

// The command line each program is started with.
std::string ScribantCommandLine(std::string_view commandLine);
std::string TextoryCommandLine(std::string_view programFolder, std::string_view commandLine);

int Launch(std::string_view commandLine, const LaunchSettings& settings);

}  // namespace feedgate
