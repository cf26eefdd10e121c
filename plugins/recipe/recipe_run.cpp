#include "plugins/recipe/recipe_run.h"

#include <cstdio>

#include "keyrider/handoff/handoff_recipes.h"
#include "platform/afx/ui/ddeml.h"
#include "platform/win/errors.h"
#include "platform/win/files.h"
#include "platform/win/folders.h"
#include "platform/win/process.h"
#include "platform/win/time.h"
#include "plugins/common/bracket_argument.h"
#include "plugins/common/dde_client.h"
#include "plugins/common/wait_bound.h"

namespace recipe {

namespace {

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

std::string HandOffFolder() {
    char base[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, base))) return {};
    std::string folder = std::string(base) + "\\Harnel";
    CreateDirectoryA(folder.c_str(), nullptr);
    if (!PathIsDirectoryA(folder.c_str())) return {};
    return folder + "\\";
}

}  // namespace

int RunListFile(const Variant& variant, const std::string& exePath, const std::vector<std::string>& allFiles,
                bool duplex) {
    const std::vector<std::string> files = handoff::ListablePaths(allFiles);
    if (files.empty()) return 0;
    const std::string listPath =
        handoff::WriteListFile(TempFolder(), variant.listStem, TimeStamp(), variant.listExtension, files);
    if (listPath.empty()) return 0;
    const char* side = variant.duplexSwitch ? (duplex ? variant.duplexSwitch : variant.simplexSwitch) : nullptr;
    if (WinExec(handoff::ListCommandLine(exePath, variant.switchText, side, listPath).c_str(), SW_SHOWNORMAL) <
        kWinExecStarted) {
        DeleteFileA(listPath.c_str());
        return 0;
    }
    return 1;
}

int RunDdeExport(const std::string& exePath, const std::vector<std::string>& files) {
    DWORD instance = 0;
    if (DdeInitialize(&instance, plugins::IgnoreDdeEvents, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) return 0;
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

DWORD HandOffWaitMs() { return plugins::WaitBound("SUITE_HANDOFF_WAIT_MS", 120000); }

int RunIniHandOff(const std::string& exePath, const std::vector<std::string>& files, bool duplex, DWORD waitMs) {
    if (handoff::ListablePaths(files).empty()) return 0;
    std::string folder = HandOffFolder();
    if (folder.empty()) return 0;
    // An application slower than the bound still finds its ini: the files
    // are not reported as handed over, but they are not taken from it either.
    auto start = [](const std::string& command) { return WinExec(command.c_str(), SW_SHOWNORMAL) >= kWinExecStarted; };
    return handoff::HandOffByIni(folder + "Harnel.Ini", exePath, files, duplex, waitMs, start) ==
                   handoff::IniHandOff::Taken
               ? 1
               : 0;
}

}  // namespace recipe
