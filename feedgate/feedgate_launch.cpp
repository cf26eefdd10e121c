#include "feedgate/feedgate_launch.h"

#include "feedgate/feedgate_route.h"
#include "platform/win/errors.h"
#include "platform/win/handles.h"
#include "platform/win/path.h"
#include "platform/win/process.h"
#include "platform/win/sync.h"

namespace feedgate {

namespace {

void reportCannotStart(std::FILE* errors, const std::string& line, DWORD error) {
    if (!errors) return;
    std::fprintf(errors, "Feedgate: cannot start %s (error %u)\n", line.c_str(), static_cast<unsigned>(error));
    std::fflush(errors);
}

int startScribant(std::string_view commandLine, const LaunchSettings& settings) {
    const std::string line = ScribantCommandLine(commandLine);
    UINT result = WinExec(line.c_str(), SW_SHOW);
    if (result > 31) return 0;
    reportCannotStart(settings.errors, line, result);
    return kCannotStart;
}

int startTextory(std::string_view commandLine, const LaunchSettings& settings) {
    std::string line = TextoryCommandLine(settings.programFolder, commandLine);
    const std::string folder = suite::WindowsPath(settings.programFolder);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi)) {
        reportCannotStart(settings.errors, line, GetLastError());
        return kCannotStart;
    }
    // The job ends by its own bounds: its status is the launcher's. A job
    // still running when the launcher's own bound passes is said to be so.
    int code = kStillRunning;
    if (WaitForSingleObject(pi.hProcess, settings.textoryWaitMs) == WAIT_OBJECT_0) {
        DWORD status = 0;
        code = GetExitCodeProcess(pi.hProcess, &status) ? static_cast<int>(status) : kCannotStart;
    } else if (settings.errors) {
        std::fprintf(settings.errors, "Feedgate: %s is still running; its outcome is unknown\n", line.c_str());
        std::fflush(settings.errors);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

}  // namespace

std::string ScribantCommandLine(std::string_view commandLine) {
    if (commandLine.empty()) return "Scribant.exe";
    return "Scribant.exe " + std::string(commandLine);
}

std::string TextoryCommandLine(std::string_view programFolder, std::string_view commandLine) {
    std::string program = suite::WindowsPath(programFolder);
    if (!program.empty() && !suite::IsPathSeparator(program.back())) program.push_back('\\');
    program += "Textory.exe";
    // A folder with blanks would otherwise split the program's name.
    if (program.find_first_of(" \t") != std::string::npos) program = "\"" + program + "\"";
    return program + " " + std::string(commandLine);
}

int Launch(std::string_view commandLine, const LaunchSettings& settings) {
    return RouteCommandLine(commandLine) == Program::Scribant ? startScribant(commandLine, settings)
                                                               : startTextory(commandLine, settings);
}

}  // namespace feedgate
