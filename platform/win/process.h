// Starting programs and opening documents.
//
// Command lines are split as the original's programs split theirs: blanks
// separate arguments; a double quote starts or ends a quoted part; 2n
// backslashes before a quote become n backslashes and the quote counts, 2n+1
// become n backslashes and a literal quote; "" inside a quoted part is a
// literal quote; other backslashes are kept (so paths need no doubling).
//
// The program named by a command line (or the application name) goes through
// the path layer; "Name.exe" also finds the program "Name". A name without a
// folder is looked for in the program's own folder, the current folder, then
// $PATH. Arguments travel as UTF-8 to the new program.
//
// Documents are opened with the desktop's handler: $SUITE_OPEN_COMMAND when
// set (tests point it at a recording program), else xdg-open.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/win/handles.h"
#include "platform/win/sync.h"
#include "platform/win/types.h"

#define NORMAL_PRIORITY_CLASS 0x00000020u
#define CREATE_NEW_CONSOLE 0x00000010u
#define CREATE_NO_WINDOW 0x08000000u
#define DETACHED_PROCESS 0x00000008u
#define STARTF_USESHOWWINDOW 0x00000001u
#define STARTF_USESTDHANDLES 0x00000100u

#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3
#define SW_MAXIMIZE 3
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_SHOWMINNOACTIVE 7
#define SW_SHOWNA 8
#define SW_RESTORE 9
#define SW_SHOWDEFAULT 10

// Results of ShellExecuteA below 33 are errors.
#define SE_ERR_FNF 2
#define SE_ERR_PNF 3
#define SE_ERR_ACCESSDENIED 5
#define SE_ERR_OOM 8
#define SE_ERR_NOASSOC 31

struct STARTUPINFOA {
    DWORD cb;
    LPSTR lpReserved;
    LPSTR lpDesktop;
    LPSTR lpTitle;
    DWORD dwX;
    DWORD dwY;
    DWORD dwXSize;
    DWORD dwYSize;
    DWORD dwXCountChars;
    DWORD dwYCountChars;
    DWORD dwFillAttribute;
    DWORD dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    LPBYTE lpReserved2;
    HANDLE hStdInput;
    HANDLE hStdOutput;
    HANDLE hStdError;
};
using LPSTARTUPINFOA = STARTUPINFOA*;
using STARTUPINFO = STARTUPINFOA;

struct PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
};
using LPPROCESS_INFORMATION = PROCESS_INFORMATION*;

// Starts a program. `environment` is an ANSI block ("A=1\0B=2\0\0") or null
// for the caller's. With STARTF_USESTDHANDLES the standard handles are file
// handles of CreateFileA. hProcess is waitable and is signalled when the
// program ends; hThread stands for its main thread and is closed alike.
// Fails with ERROR_FILE_NOT_FOUND (no such program), ERROR_DIRECTORY (bad
// working folder), ERROR_ACCESS_DENIED or ERROR_BAD_EXE_FORMAT.
BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES processSecurity,
                    LPSECURITY_ATTRIBUTES threadSecurity, BOOL inheritHandles, DWORD creationFlags, LPVOID environment,
                    LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo, LPPROCESS_INFORMATION processInformation);
// STILL_ACTIVE while running; then the exit status, 128 + the signal number
// for a program killed by a signal, or the code given to TerminateProcess.
BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode);
BOOL TerminateProcess(HANDLE process, UINT exitCode);
// The system's id of a started process (its pid); 0 for a handle that is no process.
DWORD GetProcessId(HANDLE process);
// Starts a command line without waiting: greater than 31 on success, else
// ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND or ERROR_BAD_FORMAT (11).
UINT WinExec(LPCSTR commandLine, UINT show);
// "open" (or a null verb) runs a program with `parameters`, or opens a
// document, folder or URL with the desktop's handler; "explore" opens a
// folder. Returns a value greater than 32 on success, else SE_ERR_FNF,
// SE_ERR_PNF, SE_ERR_ACCESSDENIED or SE_ERR_NOASSOC (other verbs).
HINSTANCE ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory, INT show);
// Waits, at most `milliseconds`, until a started program is ready for its
// user: it has put up its windows (published them for other programs), or it
// has ended. 0 when ready, WAIT_TIMEOUT when the time ran out, WAIT_FAILED
// for a handle that is no process.
DWORD WaitForInputIdle(HANDLE process, DWORD milliseconds);
// The program's own command line, quoted by the rules above, in ANSI text.
LPSTR GetCommandLineA();
[[noreturn]] void ExitProcess(UINT exitCode);

namespace suite {

std::vector<std::string> SplitCommandLine(std::string_view commandLine);
// Quotes one argument so that SplitCommandLine gives it back unchanged.
std::string QuoteArgument(std::string_view argument);
// As QuoteArgument, but always in double quotes, even when nothing needs them.
std::string QuoteArgumentAlways(std::string_view argument);
std::string JoinCommandLine(const std::vector<std::string>& arguments);
// The command line a program of the original would have received after its
// own name, from a native argument vector (UTF-8, program name left out):
// each argument converted to ANSI and in double quotes, one blank between,
// as the desktop shell's open verb passes a file ("path").
std::string QuotedArgumentLine(const std::vector<std::string>& utf8Arguments);

// Starts `program` (a Windows-style name, found as CreateProcessA finds it)
// with `arguments` (ANSI, not counting the program) in `workingFolder` (empty:
// the current one). Returns the process handle, or null with the last error set.
HANDLE StartProgram(std::string_view program, const std::vector<std::string>& arguments,
                    std::string_view workingFolder = {});
// The native program file a Windows-style program name stands for; "" when none.
std::string FindProgram(std::string_view program);
// Asks a started process to end as a closing window would (SIGTERM), without
// waiting; FALSE for a handle that is no process or one that has ended.
BOOL AskProcessToEnd(HANDLE process);
// The folder where every program with windows publishes them (one entry
// "<process id>.sock" each): $SUITE_IPC_DIR, else the user's runtime folder's
// "suite-windows", else "/tmp/suite-windows-<user id>". Not created here.
std::string WindowEndpointFolder();

}  // namespace suite
