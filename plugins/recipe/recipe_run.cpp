#include "plugins/recipe/recipe_run.h"

#include <cstdio>

#include "platform/afx/ui/ddeml.h"
#include "platform/afx/ui/pump_wait.h"
#include "platform/win/atomic_file.h"
#include "platform/win/errors.h"
#include "platform/win/files.h"
#include "platform/win/folders.h"
#include "platform/win/process.h"
#include "platform/win/time.h"
#include "plugins/common/bracket_argument.h"
#include "plugins/common/wait_bound.h"

namespace recipe {

namespace {

constexpr int kMaxNameClashes = 1000;
constexpr UINT kWinExecStarted = 32;

std::string TempFolder() {
    char folder[MAX_PATH] = {};
    DWORD n = GetTempPathA(sizeof folder, folder);
    return (n == 0 || n >= sizeof folder) ? std::string() : std::string(folder, n);
}

std::string TimeStamp() {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    char text[64];
    std::snprintf(text, sizeof text, "%02d%02d%02d%02d%02d%02d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond);
    return text;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// Creates a list file no one else has: the time-stamped name, else that name
// with a counter. The handle is open for writing; null when none could be made.
HANDLE CreateListFile(const Variant& variant, std::string* path) {
    std::string folder = TempFolder();
    if (folder.empty()) return INVALID_HANDLE_VALUE;
    std::string stem = folder + variant.listStem + TimeStamp();
    for (int clash = 0; clash <= kMaxNameClashes; ++clash) {
        *path = stem + (clash ? "_" + std::to_string(clash) : std::string()) + variant.listExtension;
        HANDLE file = CreateFileA(path->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) return file;
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    return INVALID_HANDLE_VALUE;
}

bool WriteAll(HANDLE file, const std::string& text) {
    DWORD written = 0;
    return text.empty() ||
           (WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size());
}

HDDEDATA IgnoreDdeEvents(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, DWORD_PTR, DWORD_PTR) { return nullptr; }

std::string HandOffFolder() {
    char base[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, base))) return {};
    std::string folder = std::string(base) + "\\Harnel";
    CreateDirectoryA(folder.c_str(), nullptr);
    DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
    return folder + "\\";
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The paths that can be written one a line, or quoted in an ini entry: a line
// break would split a path in two, and a quote would end it early.
std::vector<std::string> LinePaths(const std::vector<std::string>& files) {
    std::vector<std::string> safe;
    for (const std::string& file : files)
        if (!file.empty() && file.find_first_of("\r\n\"") == std::string::npos) safe.push_back(file);
    return safe;
}

}  // namespace

int RunListFile(const Variant& variant, const std::string& exePath, const std::vector<std::string>& allFiles,
                bool duplex) {
    const std::vector<std::string> files = LinePaths(allFiles);
    if (files.empty()) return 0;
    std::string listPath;
    HANDLE list = CreateListFile(variant, &listPath);
    if (list == INVALID_HANDLE_VALUE) return 0;
    bool written = true;
    for (const std::string& file : files) written = written && WriteAll(list, file + "\r\n");
    CloseHandle(list);
    if (!written) {
        DeleteFileA(listPath.c_str());
        return 0;
    }
    std::string command = Quoted(exePath) + " " + variant.switchText;
    if (variant.duplexSwitch) command += std::string(" ") + (duplex ? variant.duplexSwitch : variant.simplexSwitch);
    command += " " + Quoted(listPath);
    if (WinExec(command.c_str(), SW_SHOWNORMAL) < kWinExecStarted) {
        DeleteFileA(listPath.c_str());
        return 0;
    }
    return 1;
}

int RunDdeExport(const std::string& exePath, const std::vector<std::string>& files) {
    DWORD instance = 0;
    if (DdeInitialize(&instance, IgnoreDdeEvents, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) return 0;
    std::string start = Quoted(exePath) + " LOMART/DDE";
    DdeStartRecipe how;
    how.commandLine = start.c_str();
    how.windowClass = "Quade_LomartApplication";
    how.windowWaitMs = plugins::DdeStartWaitMs();
    how.postCommand = 372;
    how.intervalMs = 500;
    how.retries = how.windowWaitMs / how.intervalMs;
    int handedOver = 0;
    for (const std::string& file : files) {
        std::string command = plugins::BracketCommand("[EXPORT]", file);
        if (command.empty()) continue;
        BOOL started = FALSE;
        HCONV conversation = DdeConnectOrStart(instance, "LOMART", "SYSTEM", how, &started);
        // The application is started once a run: one that did not answer
        // after its start is only asked again for the later files.
        if (started) {
            how.commandLine = nullptr;
            how.retries = 0;
        }
        if (!conversation) continue;
        const BOOL taken = DdeExecuteText(conversation, command.c_str(), plugins::DdeExecuteWaitMs());
        // An application that let a command's wait pass unanswered would let
        // every later file's pass too: the run ends there.
        const bool unanswered = !taken && DdeGetLastError(instance) == DMLERR_EXECACKTIMEOUT;
        if (taken) ++handedOver;
        DdeDisconnect(conversation);
        if (unanswered) break;
    }
    DdeUninitialize(instance);
    return handedOver > 0 ? 1 : 0;
}

std::string HandOffIniText(const std::vector<std::string>& allFiles, bool duplex) {
    const std::vector<std::string> files = LinePaths(allFiles);
    std::string text = "[Application]\r\nName=Harnel\r\n[Files]\r\n";
    text += "Count=" + std::to_string(files.size()) + "\r\n";
    text += std::string("DoubleSide=") + (duplex ? "1" : "0") + "\r\n";
    for (std::size_t i = 0; i < files.size(); ++i) text += "File" + std::to_string(i) + "=" + Quoted(files[i]) + "\r\n";
    text += "[Delete]\r\nFlag=1\r\n";
    return text;
}

DWORD HandOffWaitMs() { return plugins::WaitBound("SUITE_HANDOFF_WAIT_MS", 120000); }

int RunIniHandOff(const std::string& exePath, const std::vector<std::string>& files, bool duplex, DWORD waitMs) {
    if (LinePaths(files).empty()) return 0;
    std::string folder = HandOffFolder();
    if (folder.empty()) return 0;
    std::string ini = folder + "Harnel.Ini";
    std::string text = HandOffIniText(files, duplex);
    if (!SuiteWriteFileAtomically(ini.c_str(), text.data(), text.size())) return 0;
    std::string command = Quoted(exePath) + " " + Quoted("/f=" + ini);
    if (WinExec(command.c_str(), SW_SHOWNORMAL) < kWinExecStarted) {
        DeleteFileA(ini.c_str());
        return 0;
    }
    // The host's windows go on answering while the application starts. An
    // application slower than the bound still finds its ini: the files are
    // not reported as handed over, but they are not taken from it either.
    return AfxPumpMessagesFor(waitMs, [&] { return !Exists(ini); }) ? 1 : 0;
}

}  // namespace recipe
