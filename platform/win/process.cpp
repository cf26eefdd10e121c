#include "platform/win/process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/win/codepage.h"
#include "platform/win/errors.h"
#include "platform/win/files.h"
#include "platform/win/path.h"

namespace {

class ProcessObject : public suite::CompletionObject {
public:
    explicit ProcessObject(pid_t pid) : pid(pid) {}
    const pid_t pid;
    std::atomic<bool> terminated{false};
    std::atomic<UINT> terminateCode{0};
    std::shared_ptr<suite::CompletionObject> mainThread = std::make_shared<suite::CompletionObject>();
};

bool isSpace(char c) { return c == ' ' || c == '\t'; }

bool isExecutableFile(const std::string& native) {
    struct stat st;
    return ::stat(native.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(native.c_str(), X_OK) == 0;
}

bool endsWithNoCase(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && suite::AnsiCompareNoCase(s.substr(s.size() - suffix.size()), suffix) == 0;
}

// The name itself, then the name without a Windows program extension.
std::vector<std::string> programNames(std::string_view name) {
    std::vector<std::string> names{std::string(name)};
    for (std::string_view ext : {".exe", ".com", ".bat"}) {
        if (endsWithNoCase(name, ext)) names.emplace_back(name.substr(0, name.size() - ext.size()));
    }
    return names;
}

std::string findInFolder(const std::string& nativeFolder, const std::string& ansiName) {
    std::string native;
    if (!suite::TryNativePath(suite::WindowsPath(nativeFolder) + "\\" + ansiName, native)) return {};
    return isExecutableFile(native) ? native : std::string();
}

std::vector<std::string> toUtf8(const std::vector<std::string>& ansi) {
    std::vector<std::string> out;
    out.reserve(ansi.size());
    for (const auto& a : ansi) out.push_back(suite::AnsiToUtf8(a));
    return out;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> p;
    for (auto& s : strings) p.push_back(s.data());
    p.push_back(nullptr);
    return p;
}

DWORD errorOfExec(int e) {
    switch (e) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case EACCES:
    case EPERM: return ERROR_ACCESS_DENIED;
    case ENOEXEC: return ERROR_BAD_EXE_FORMAT;
    case ENOTDIR: return ERROR_DIRECTORY;
    default: return suite::FileErrorFromErrno(e);
    }
}

struct SpawnRequest {
    std::string program;                // native
    std::vector<std::string> argv;      // UTF-8, argv[0] included
    std::vector<std::string> env;       // UTF-8; empty with useEnv false
    bool useEnv = false;
    std::string folder;                 // native; empty: the current one
    int stdFds[3] = {-1, -1, -1};
};

// Starts the program and a thread that reaps it; null with the last error set.
std::shared_ptr<ProcessObject> spawn(SpawnRequest& req) {
    std::vector<char*> argv = pointers(req.argv);
    std::vector<char*> envp = pointers(req.env);
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    pid_t pid = ::fork();
    if (pid < 0) {
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (pid == 0) {
        // Only async-signal-safe calls from here on.
        for (int i = 0; i < 3; ++i) {
            if (req.stdFds[i] >= 0) ::dup2(req.stdFds[i], i);
        }
        int e = 0;
        if (!req.folder.empty() && ::chdir(req.folder.c_str()) != 0) {
            e = ENOTDIR;
        } else if (req.useEnv) {
            ::execve(req.program.c_str(), argv.data(), envp.data());
            e = errno;
        } else {
            ::execv(req.program.c_str(), argv.data());
            e = errno;
        }
        ssize_t w = ::write(pipeFds[1], &e, sizeof e);
        (void)w;
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    int childError = 0;
    ssize_t n;
    do n = ::read(pipeFds[0], &childError, sizeof childError);
    while (n < 0 && errno == EINTR);
    ::close(pipeFds[0]);
    if (n == static_cast<ssize_t>(sizeof childError)) {
        int status;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        SetLastError(errorOfExec(childError));
        return nullptr;
    }
    auto process = std::make_shared<ProcessObject>(pid);
    std::thread([process] {
        int status = 0;
        while (::waitpid(process->pid, &status, 0) < 0 && errno == EINTR) {
        }
        DWORD code;
        if (process->terminated) {
            code = process->terminateCode;
        } else if (WIFEXITED(status)) {
            code = static_cast<DWORD>(WEXITSTATUS(status));
        } else if (WIFSIGNALED(status)) {
            code = 128u + static_cast<DWORD>(WTERMSIG(status));
        } else {
            code = 1;
        }
        process->mainThread->Complete(code);
        process->Complete(code);
    }).detach();
    SetLastError(ERROR_SUCCESS);
    return process;
}

std::string opener() {
    if (const char* v = std::getenv("SUITE_OPEN_COMMAND"); v && *v) return v;
    for (const char* folder : {"/usr/bin", "/usr/local/bin", "/bin"}) {
        std::string p = std::string(folder) + "/xdg-open";
        if (isExecutableFile(p)) return p;
    }
    return {};
}

bool isUrl(std::string_view s) {
    size_t colon = s.find(':');
    if (colon == std::string_view::npos || colon < 2) return false;
    for (size_t i = 0; i < colon; ++i) {
        char c = s[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' || c == '-' ||
              c == '.'))
            return false;
    }
    return true;
}

HINSTANCE shellResult(std::intptr_t v) { return reinterpret_cast<HINSTANCE>(v); }

}  // namespace

namespace suite {

std::vector<std::string> SplitCommandLine(std::string_view s) {
    std::vector<std::string> args;
    size_t i = 0;
    while (i < s.size() && isSpace(s[i])) ++i;
    if (i >= s.size()) return args;
    // The program name: quotes only delimit it, backslashes are plain.
    std::string first;
    if (s[i] == '"') {
        ++i;
        while (i < s.size() && s[i] != '"') first.push_back(s[i++]);
        if (i < s.size()) ++i;
    } else {
        while (i < s.size() && !isSpace(s[i])) first.push_back(s[i++]);
    }
    args.push_back(first);
    for (;;) {
        while (i < s.size() && isSpace(s[i])) ++i;
        if (i >= s.size()) break;
        std::string arg;
        bool quoted = false;
        while (i < s.size()) {
            char c = s[i];
            if (isSpace(c) && !quoted) break;
            if (suite::AnsiCharLength(s, i) == 2) {
                // A double-byte character whole: its trail byte may be 0x5C.
                arg.push_back(c);
                arg.push_back(s[i + 1]);
                i += 2;
            } else if (c == '\\') {
                size_t k = 0;
                while (i < s.size() && s[i] == '\\') {
                    ++k;
                    ++i;
                }
                if (i < s.size() && s[i] == '"') {
                    arg.append(k / 2, '\\');
                    if (k % 2 == 1) {
                        arg.push_back('"');
                        ++i;
                    }
                } else {
                    arg.append(k, '\\');
                }
            } else if (c == '"') {
                if (quoted && i + 1 < s.size() && s[i + 1] == '"') {
                    arg.push_back('"');
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                arg.push_back(c);
                ++i;
            }
        }
        args.push_back(arg);
    }
    return args;
}

std::string QuoteArgument(std::string_view a) {
    if (!a.empty() && a.find_first_of(" \t\"") == std::string_view::npos) return std::string(a);
    return QuoteArgumentAlways(a);
}

std::string QuoteArgumentAlways(std::string_view a) {
    std::string out = "\"";
    size_t backslashes = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        char c = a[i];
        if (suite::AnsiCharLength(a, i) == 2) {
            out.append(backslashes, '\\');
            backslashes = 0;
            out.push_back(c);
            out.push_back(a[++i]);
        } else if (c == '\\') {
            ++backslashes;
        } else if (c == '"') {
            if (backslashes == 0 && i > 0 && IsDBCSLeadByte(static_cast<BYTE>(a[i - 1]))) {
                // After a lone lead byte an escaping backslash would pair with
                // it as a trail byte; a doubled quote needs no backslash.
                out += "\"\"";
                continue;
            }
            out.append(backslashes * 2 + 1, '\\');
            backslashes = 0;
            out.push_back('"');
        } else {
            out.append(backslashes, '\\');
            backslashes = 0;
            out.push_back(c);
        }
    }
    out.append(backslashes * 2, '\\');
    out.push_back('"');
    return out;
}

std::string QuotedArgumentLine(const std::vector<std::string>& utf8Arguments) {
    std::string out;
    for (const auto& argument : utf8Arguments) {
        if (!out.empty()) out.push_back(' ');
        out += QuoteArgumentAlways(suite::Utf8ToAnsi(argument));
    }
    return out;
}

std::string JoinCommandLine(const std::vector<std::string>& arguments) {
    std::string out;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (i) out.push_back(' ');
        // The program name cannot hold a quote; it is only wrapped in quotes.
        out += i == 0 && arguments[0].find_first_of(" \t") != std::string::npos ? "\"" + arguments[0] + "\""
               : i == 0 && arguments[0].empty()                                  ? std::string("\"\"")
               : i == 0                                                           ? arguments[0]
                                                                                  : QuoteArgument(arguments[i]);
    }
    return out;
}

std::string FindProgram(std::string_view program) {
    if (program.empty()) return {};
    bool hasFolder = program.find_first_of("\\/") != std::string_view::npos ||
                     (program.size() >= 2 && program[1] == ':');
    if (hasFolder) {
        for (const auto& name : programNames(program)) {
            std::string native;
            if (TryNativePath(name, native) && isExecutableFile(native)) return native;
        }
        return {};
    }
    std::vector<std::string> folders{ProgramFolder()};
    char cwd[4096];
    if (::getcwd(cwd, sizeof cwd)) folders.emplace_back(cwd);
    if (const char* path = std::getenv("PATH")) {
        std::stringstream ss(path);
        std::string folder;
        while (std::getline(ss, folder, ':')) {
            if (!folder.empty()) folders.push_back(folder);
        }
    }
    for (const auto& folder : folders) {
        for (const auto& name : programNames(program)) {
            if (std::string found = findInFolder(folder, name); !found.empty()) return found;
        }
    }
    return {};
}

std::string WindowEndpointFolder() {
    if (const char* d = std::getenv("SUITE_IPC_DIR"); d && *d) return d;
    if (const char* r = std::getenv("XDG_RUNTIME_DIR"); r && *r) return std::string(r) + "/suite-windows";
    return "/tmp/suite-windows-" + std::to_string(::getuid());
}

BOOL AskProcessToEnd(HANDLE handle) {
    auto process = suite::LookupHandleAs<ProcessObject>(handle);
    if (!process) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (process->IsComplete()) return FALSE;
    return ::kill(process->pid, SIGTERM) == 0;
}

HANDLE StartProgram(std::string_view program, const std::vector<std::string>& arguments,
                    std::string_view workingFolder) {
    std::vector<std::string> all{std::string(program)};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::string commandLine = JoinCommandLine(all);
    std::string folder(workingFolder);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string programCopy(program);
    if (!CreateProcessA(programCopy.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &si, &pi))
        return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

}  // namespace suite

BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL,
                    DWORD, LPVOID environment, LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                    LPPROCESS_INFORMATION info) {
    if ((!applicationName || !*applicationName) && (!commandLine || !*commandLine)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<std::string> args =
        suite::SplitCommandLine(commandLine && *commandLine ? std::string_view(commandLine)
                                                            : std::string_view(applicationName));
    std::string programName = applicationName && *applicationName ? std::string(applicationName) : args.at(0);
    SpawnRequest req;
    req.program = suite::FindProgram(programName);
    if (req.program.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    if (currentDirectory && *currentDirectory) {
        if (!suite::TryNativePath(currentDirectory, req.folder) || !PathIsDirectoryA(currentDirectory)) {
            SetLastError(ERROR_DIRECTORY);
            return FALSE;
        }
    }
    req.argv = toUtf8(args);
    if (environment) {
        req.useEnv = true;
        for (const char* p = static_cast<const char*>(environment); *p; p += std::strlen(p) + 1)
            req.env.push_back(suite::AnsiToUtf8(p));
    }
    if (startupInfo && (startupInfo->dwFlags & STARTF_USESTDHANDLES)) {
        HANDLE std[3] = {startupInfo->hStdInput, startupInfo->hStdOutput, startupInfo->hStdError};
        for (int i = 0; i < 3; ++i) req.stdFds[i] = suite::FileDescriptorOf(std[i]);
    }
    auto process = spawn(req);
    if (!process) return FALSE;
    if (info) {
        info->hProcess = suite::RegisterHandle(process);
        info->hThread = suite::RegisterHandle(process->mainThread);
        info->dwProcessId = static_cast<DWORD>(process->pid);
        info->dwThreadId = static_cast<DWORD>(process->pid);
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL GetExitCodeProcess(HANDLE handle, LPDWORD exitCode) {
    if (!exitCode) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (handle == GetCurrentProcess()) {
        *exitCode = STILL_ACTIVE;
        return TRUE;
    }
    auto process = suite::LookupHandleAs<ProcessObject>(handle);
    if (!process) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *exitCode = process->Code();
    return TRUE;
}

DWORD GetProcessId(HANDLE handle) {
    if (handle == GetCurrentProcess()) return GetCurrentProcessId();
    auto process = suite::LookupHandleAs<ProcessObject>(handle);
    if (!process) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return static_cast<DWORD>(process->pid);
}

BOOL TerminateProcess(HANDLE handle, UINT exitCode) {
    if (handle == GetCurrentProcess()) ::_exit(static_cast<int>(exitCode));
    auto process = suite::LookupHandleAs<ProcessObject>(handle);
    if (!process) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (process->IsComplete()) {
        SetLastError(ERROR_ACCESS_DENIED);  // as the original: the process has already ended
        return FALSE;
    }
    process->terminateCode = exitCode;
    process->terminated = true;
    ::kill(process->pid, SIGKILL);
    return TRUE;
}

DWORD WaitForInputIdle(HANDLE handle, DWORD milliseconds) {
    auto process = suite::LookupHandleAs<ProcessObject>(handle);
    if (!process) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    const std::string endpoint = suite::WindowEndpointFolder() + "/" + std::to_string(process->pid) + ".sock";
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        struct stat st;
        if (process->IsComplete() || ::stat(endpoint.c_str(), &st) == 0) return 0;
        const auto waited = std::chrono::steady_clock::now() - start;
        if (milliseconds != INFINITE && waited >= std::chrono::milliseconds(milliseconds)) return WAIT_TIMEOUT;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

UINT WinExec(LPCSTR commandLine, UINT) {
    if (!commandLine || !*commandLine) return ERROR_FILE_NOT_FOUND;
    std::string copy = commandLine;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, copy.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        DWORD e = GetLastError();
        if (e == ERROR_FILE_NOT_FOUND) return ERROR_FILE_NOT_FOUND;
        if (e == ERROR_PATH_NOT_FOUND) return ERROR_PATH_NOT_FOUND;
        if (e == ERROR_BAD_EXE_FORMAT) return 11;
        return 0;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return 33;
}

HINSTANCE ShellExecuteA(HWND, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory, INT) {
    if (!file || !*file) return shellResult(SE_ERR_FNF);
    std::string v = verb ? verb : "";
    bool open = v.empty() || suite::AnsiCompareNoCase(v, "open") == 0;
    bool explore = suite::AnsiCompareNoCase(v, "explore") == 0;
    if (!open && !explore) return shellResult(SE_ERR_NOASSOC);

    std::string target;
    if (isUrl(file)) {
        target = file;
    } else {
        std::string name = file;
        bool relative = !(name.size() >= 2 && name[1] == ':') && !suite::IsPathSeparator(name[0]);
        if (relative && directory && *directory) name = std::string(directory) + "\\" + name;
        std::string native;
        if (!suite::TryNativePath(name, native)) return shellResult(SE_ERR_FNF);
        struct stat st;
        if (::stat(native.c_str(), &st) != 0) {
            // Not a file: perhaps a program on the search path.
            if (open && suite::FindProgram(file).empty()) {
                std::string parent = native.substr(0, native.find_last_of('/') + 1);
                return shellResult(parent.empty() || ::access(parent.c_str(), F_OK) == 0 ? SE_ERR_FNF : SE_ERR_PNF);
            }
            if (!open) return shellResult(SE_ERR_FNF);
        } else if (open && S_ISREG(st.st_mode) && ::access(native.c_str(), X_OK) == 0) {
            native.clear();  // a program: run it below
        } else {
            target = native;
        }
        if (target.empty()) {
            std::vector<std::string> args = suite::SplitCommandLine(std::string("x ") + (parameters ? parameters : ""));
            args.erase(args.begin());
            HANDLE p = suite::StartProgram(relative && directory && *directory ? name : std::string(file), args,
                                           directory ? directory : "");
            if (!p) return shellResult(GetLastError() == ERROR_ACCESS_DENIED ? SE_ERR_ACCESSDENIED : SE_ERR_FNF);
            CloseHandle(p);
            return shellResult(42);
        }
    }
    SpawnRequest req;
    req.program = opener();
    if (req.program.empty() || !isExecutableFile(req.program)) return shellResult(SE_ERR_NOASSOC);
    req.argv = {req.program, target};
    auto process = spawn(req);
    if (!process) return shellResult(SE_ERR_NOASSOC);
    return shellResult(42);  // the reaping thread keeps the process object until it ends
}

LPSTR GetCommandLineA() {
    static std::string line = [] {
        std::ifstream in("/proc/self/cmdline", std::ios::binary);
        std::vector<std::string> args;
        std::string arg;
        while (std::getline(in, arg, '\0')) args.push_back(suite::Utf8ToAnsi(arg));
        return suite::JoinCommandLine(args);
    }();
    return line.data();
}

void ExitProcess(UINT exitCode) { std::exit(static_cast<int>(exitCode)); }
