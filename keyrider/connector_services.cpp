#include "keyrider/connector_services.h"

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/afx/afxwin.h"
#include "platform/afx/ui/ddeml.h"
#include "platform/win/handles.h"
#include "platform/win/path.h"
#include "platform/win/process.h"
#include "platform/win/sync.h"

namespace keyrider {

namespace {

using Clock = std::chrono::steady_clock;

// Keeps the program's windows alive while it waits.
void Breathe() {
    AfxPumpMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

bool WaitUntil(const std::function<bool()>& done, unsigned ms) {
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (Clock::now() >= end) return false;
        Breathe();
    }
    return true;
}

// A hidden window that counts one registered message from other programs.
class MessageCatcher : public CWnd {
public:
    explicit MessageCatcher(UINT message) : message_(message) {}
    LRESULT WindowProc(UINT m, WPARAM w, LPARAM l) override {
        if (m == message_) ++count;
        return CWnd::WindowProc(m, w, l);
    }
    int count = 0;

private:
    UINT message_;
};

}  // namespace

HANDLE StartCommandLine(const std::string& line) {
    std::string copy = line;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, copy.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                        &info))
        return nullptr;
    CloseHandle(info.hThread);
    return info.hProcess;
}

bool StartProgram(const std::string& program, const std::string& parameters) {
    if (HANDLE process = StartCommandLine("\"" + program + "\"" + (parameters.empty() ? "" : " " + parameters))) {
        WaitForInputIdle(process, 15000);
        CloseHandle(process);
        return true;
    }
    return reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", program.c_str(), parameters.c_str(), nullptr,
                                                   SW_SHOWNORMAL)) > 32;
}

ConnectorServices MakeConnectorServices() {
    ConnectorServices s;
    s.run = [](const std::string& line, unsigned waitMs) {
        HANDLE process = StartCommandLine(line);
        if (!process) return false;
        bool ended = waitMs == 0 ||
                     WaitUntil([&] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, waitMs);
        CloseHandle(process);
        return ended;
    };
    s.runUntilMessage = [](const std::string& line, const std::string& message, unsigned waitMs) {
        MessageCatcher catcher(RegisterWindowMessage(message.c_str()));
        if (!catcher.CreateEx(0, "KeyriderMessageCatcher", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr)) return false;
        HANDLE process = StartCommandLine(line);
        bool got = process && WaitUntil([&] { return catcher.count > 0; }, waitMs);
        if (process) CloseHandle(process);
        catcher.DestroyWindow();
        return got;
    };
    s.runWhileWindow = [](const std::string& line, const std::string& windowClass, unsigned appearMs, unsigned goMs) {
        HANDLE process = StartCommandLine(line);
        if (!process) return false;
        bool appeared = WaitUntil([&] { return FindWindow(windowClass.c_str(), nullptr) != nullptr; }, appearMs);
        bool gone = appeared && WaitUntil([&] { return FindWindow(windowClass.c_str(), nullptr) == nullptr; }, goMs);
        CloseHandle(process);
        return gone;
    };
    s.dde = [](const ConnectorServices::DdeScript& script, std::string* problem) {
        DWORD instance = 0;
        if (DdeInitialize(&instance, nullptr, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) {
            *problem = "no DDE";
            return false;
        }
        DdeStartRecipe recipe;
        recipe.commandLine = script.startLine.empty() ? nullptr : script.startLine.c_str();
        recipe.windowClass = script.windowClass.empty() ? nullptr : script.windowClass.c_str();
        recipe.windowTitle = script.windowTitle.empty() ? nullptr : script.windowTitle.c_str();
        recipe.windowWaitMs = 30000;
        recipe.postCommand = script.postCommand;
        recipe.retries = 60;
        recipe.intervalMs = 500;
        BOOL started = FALSE;
        HCONV conv = DdeConnectOrStart(instance, script.service.c_str(), script.topic.c_str(), recipe, &started);
        bool ok = conv != nullptr;
        if (!ok) *problem = "no conversation with \"" + script.service + "\"";
        for (std::size_t i = 0; ok && i < script.commands.size(); ++i) {
            ok = DdeExecuteText(conv, script.commands[i].first.c_str(), script.commands[i].second) != FALSE;
            if (!ok) *problem = "\"" + script.commands[i].first + "\" was not carried out";
        }
        if (conv && started && script.endWhenStarted) DdeExecuteText(conv, "[ENDAPPLICATION]", 60000);
        if (conv) DdeDisconnect(conv);
        DdeUninitialize(instance);
        return ok;
    };
    s.open = [](const std::string& program, const std::string& file) {
        ShellExecuteA(nullptr, "open", program.c_str(), ("\"" + file + "\"").c_str(), nullptr, SW_SHOWNORMAL);
    };
    s.exists = [](const std::string& path) {
        std::error_code ec;
        return std::filesystem::exists(suite::NativePathOfEither(path), ec);
    };
    s.now = [] {
        SYSTEMTIME t{};
        GetLocalTime(&t);
        return std::array<int, 6>{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
    };
    return s;
}

}  // namespace keyrider
