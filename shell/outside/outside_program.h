// An outside program the OCR programs hand work to (the proofreading program,
// the read-aloud program, the character map). It is found as the file named
// by $SUITE_PROGRAM_<NAME> (the name upper-cased) when that is set, else at
// its fixed place in the program folder; it is started with an argument
// vector, never a command line pieced together from strings, and the
// launcher keeps the process, so that only the copy this run started is ever
// asked to end.
#pragma once

#include <string>
#include <vector>

#include "platform/win/types.h"

class COutsideProgram {
public:
    // `name` as the environment names it ("Lectiva"); `defaultPath` the
    // Windows-style path used when the environment names none.
    COutsideProgram(std::string name, std::string defaultPath);
    ~COutsideProgram();
    COutsideProgram(const COutsideProgram&) = delete;
    COutsideProgram& operator=(const COutsideProgram&) = delete;

    const std::string& Name() const { return name_; }
    // The program file to start: $SUITE_PROGRAM_<NAME> or the default path.
    std::string Path() const;
    // Starts it with `arguments` in `workingFolder` (empty: the current one).
    // FALSE when it could not be started; the process of an earlier start is
    // let go.
    bool Start(const std::vector<std::string>& arguments, const std::string& workingFolder = {});
    // The process this launcher started is still running.
    bool IsRunning() const;
    // Its process id while it runs; 0 when none runs.
    DWORD ProcessId() const;
    // Waits at most `waitMs` for the started process to end on its own; TRUE
    // when none runs any more.
    bool WaitForEnd(DWORD waitMs);
    // Asks the started process to end and waits at most `waitMs`; a process
    // that has not ended by then is ended. TRUE when it is gone.
    bool End(DWORD waitMs);
    // The exit status of an ended process; -1 while it runs or when none was started.
    int ExitStatus() const;

private:
    std::string name_;
    std::string defaultPath_;
    HANDLE process_ = nullptr;
};
