// A home of its own for each start of Scribant in a test: SUITE_HOME points
// at a scratch folder (documents, registry, named mutexes), the system
// language is picked by the test, and start-up messages are recorded.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/afx/ui/tests/pump_until.h"
#include "platform/afx/afxwin.h"
#include "platform/afx/ui/msgbox.h"
#include "platform/win/path.h"
#include "shell/app/scribant_app.h"

namespace scribanttest {

namespace fs = std::filesystem;

class TestScribantApp : public CScribantApp {
public:
    WORD language = 0x804;
    std::vector<std::string> messages;
    // Run once, with the text, when the next message box comes up (before
    // its scripted answer): what happens while a real one pumps messages.
    std::function<void(const std::string&)> whileAsking;
    int MessageBox(const std::string& text, const std::string& caption, UINT style) override {
        if (auto run = std::move(whileAsking)) {
            whileAsking = nullptr;
            run(text);
        }
        return CScribantApp::MessageBox(text, caption, style);
    }

protected:
    WORD ReadSystemLanguage() const override { return language; }
    void StartupMessage(const std::string& text) override { messages.push_back(text); }
};

using ::PumpUntil;

class ScribantHome : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/scribant-XXXXXX";
        root_ = mkdtemp(pattern.data());
        // Windows of other tests running beside this one stay out of reach.
        // The lookup folder is made again when the process ends, so it lives
        // in the runtime folder (emptied by the test run), not the temporary one.
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        const fs::path ipc = runtime && *runtime ? fs::path(runtime) / ("scribant-ipc-" + root_.filename().string())
                                                 : root_ / "ipc";
        setenv("SUITE_IPC_DIR", ipc.c_str(), 1);
        AfxWinInit();
        AfxTestScript::Enable(true);
        for (const char* var : {"SUITE_DOCUMENTS_DIR", "SUITE_APPDATA_DIR", "SUITE_LOCAL_APPDATA_DIR",
                                "SUITE_REGISTRY_USER", "SUITE_REGISTRY_DIR", "SUITE_RUNTIME_DIR"})
            unsetenv(var);
        setenv("SUITE_HOME", root_.c_str(), 1);
        setenv("SUITE_REGISTRY_USER", (root_ / "user.db").c_str(), 1);
        setenv("SUITE_RUNTIME_DIR", (root_ / "runtime").c_str(), 1);
        fs::create_directories(root_ / "runtime");
    }
    void TearDown() override {
        Stop();
        AfxTestScript::Clear();
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    // Starts the program with `args`; the result of InitInstance.
    BOOL Start(std::vector<std::string> args = {}, WORD language = 0x804) {
        Stop();
        app_ = std::make_unique<TestScribantApp>();
        app_->language = language;
        app_->m_strInstanceName = "Scribant test " + root_.filename().string();
        for (const std::string& a : args) app_->m_args.emplace_back(a.c_str());
        return app_->InitInstance();
    }
    void Stop() {
        if (!app_) return;
        if (app_->m_pMainWnd) {
            CWnd* main = app_->m_pMainWnd;
            main->DestroyWindow();
            app_->m_pMainWnd = nullptr;
        }
        app_->ExitInstance();
        app_.reset();
    }
    fs::path Documents() const { return root_ / "Documents"; }
    fs::path Data() const { return Documents() / "My ORdoc Files" / "Scribant"; }

    fs::path root_;
    std::unique_ptr<TestScribantApp> app_;
};

}  // namespace scribanttest
