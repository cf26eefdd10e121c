#include "shell/outside/outside_program.h"

#include <cctype>
#include <cstdlib>
#include <utility>

#include "platform/win/process.h"
#include "platform/win/sync.h"

COutsideProgram::COutsideProgram(std::string name, std::string defaultPath)
    : name_(std::move(name)), defaultPath_(std::move(defaultPath)) {}

COutsideProgram::~COutsideProgram() {
    if (process_) CloseHandle(process_);
}

std::string COutsideProgram::Path() const {
    std::string variable = "SUITE_PROGRAM_";
    for (char c : name_) variable.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    if (const char* set = std::getenv(variable.c_str()); set && *set) return set;
    return defaultPath_;
}

bool COutsideProgram::Start(const std::vector<std::string>& arguments, const std::string& workingFolder) {
    if (process_) {
        CloseHandle(process_);
        process_ = nullptr;
    }
    process_ = suite::StartProgram(Path(), arguments, workingFolder);
    return process_ != nullptr;
}

bool COutsideProgram::IsRunning() const {
    DWORD code = 0;
    return process_ && GetExitCodeProcess(process_, &code) && code == STILL_ACTIVE;
}

DWORD COutsideProgram::ProcessId() const { return IsRunning() ? GetProcessId(process_) : 0; }

bool COutsideProgram::WaitForEnd(DWORD waitMs) {
    return !IsRunning() || WaitForSingleObject(process_, waitMs) == WAIT_OBJECT_0;
}

bool COutsideProgram::End(DWORD waitMs) {
    if (!IsRunning()) return true;
    suite::AskProcessToEnd(process_);
    if (WaitForSingleObject(process_, waitMs) == WAIT_OBJECT_0) return true;
    TerminateProcess(process_, 1);
    return WaitForSingleObject(process_, waitMs) == WAIT_OBJECT_0;
}

int COutsideProgram::ExitStatus() const {
    DWORD code = 0;
    if (!process_ || !GetExitCodeProcess(process_, &code) || code == STILL_ACTIVE) return -1;
    return static_cast<int>(code);
}
