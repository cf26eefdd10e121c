// A program folder of the button manager for tests: the bundle's libraries
// linked in from the build, the scripted scan library as "Scan.dll" and the
// recording template as the button template, the machine's tree written as
// the set-up tool writes it, and private registry stores.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <unistd.h>

#include "platform/afx/ui/tests/pump_until.h"
#include "keyrider/keyrider_app.h"
#include "keyrider/keyrider_dlg.h"
#include "keyrider/setup/machine_tree.h"
#include "keyrider/tests/recording_template.h"
#include "keyrider/tests/scripted_scan.h"
#include "platform/win/library.h"
#include "platform/win/registry.h"

namespace keyridertest {

namespace fs = std::filesystem;

inline fs::path BuildFolder() {
    std::string self = suite::ModuleNativePath(GetModuleHandleA(nullptr));
    return fs::path(self).parent_path();
}

using ::PumpUntil;

class TestApp : public keyrider::CKeyriderApp {
public:
    std::string folder;

protected:
    std::string ProgramFolder() const override { return folder; }
};

class KeyriderFixture : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/keyrider-XXXXXX";
        root_ = mkdtemp(pattern);
        folder_ = root_ / "Keyrider Program";
        fs::create_directories(folder_);
        setenv("SUITE_REGISTRY_USER", (root_ / "user.db").c_str(), 1);
        setenv("SUITE_REGISTRY_MACHINE", (root_ / "machine.db").c_str(), 1);
        const fs::path bin = BuildFolder();
        auto link = [&](const char* from, const char* to) { fs::create_symlink(bin / from, folder_ / to); };
        link("libScriptedScan.so", "libScan.so");
        link("libRecordingTemplate.so", "libButtonTemplate.so");
        link("libKeyriderRes.so", "libKeyriderRes.so");
        link("libCommon.so", "libCommon.so");
        link("libImageLib.so", "libImageLib.so");
        link("libGorsey.so", "libGorsey.so");
        link("Connect.ico", "Connect.ico");
        link("Disconnect.ico", "Disconnect.ico");
        options_.programFolder = folder_.string() + "/";
        options_.buttons = 12;
        // Its own product: its own instance mutex beside tests running at the same time.
        options_.productName = "Keyrider Fixture " + std::to_string(::getpid());
    }
    void TearDown() override {
        if (app_) {
            app_->ExitInstance();
            app_.reset();
        }
        fs::remove_all(root_);
    }

    void WriteTree() { ASSERT_TRUE(keyrider::WriteMachineTree(options_)); }
    // Sets a DWORD under the machine's installer tree before start-up.
    void MachineDword(const std::string& sub, const char* name, DWORD v) {
        HKEY k = nullptr;
        std::string path = keyrider::InstallerKeyPath() + (sub.empty() ? "" : "\\" + sub);
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(k, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4);
        RegCloseKey(k);
    }

    ScriptedScanState* Scan() {
        HMODULE m = LoadLibraryA((folder_ / "Scan.dll").c_str());
        auto get = reinterpret_cast<SCRIPTED_SCAN>(GetProcAddress(m, "ScriptedScan"));
        ScriptedScanState* s = get ? get() : nullptr;
        FreeLibrary(m);  // the program keeps its own load
        return s;
    }
    RecordingTemplateLog* Template() {
        HMODULE m = GetModuleHandleA((folder_ / "ButtonTemplate.dll").c_str());
        auto get = m ? reinterpret_cast<RECORDING_TEMPLATE_CALLS>(GetProcAddress(m, "RecordingTemplateCalls")) : nullptr;
        return get ? get() : nullptr;
    }

    // Starts the program with `args`; InitInstance's answer.
    BOOL Start(std::vector<std::string> args = {}, int present = 1) {
        AfxWinInit();
        AfxTestScript::Enable(true);
        AfxTestScript::Clear();
        // Loaded ahead so that its state can be set before start-up.
        scanModule_ = LoadLibraryA((folder_ / "Scan.dll").c_str());
        Scan()->present = present;
        app_ = std::make_unique<TestApp>();
        app_->folder = options_.programFolder;
        for (auto& a : args) app_->m_args.emplace_back(a.c_str());
        return app_->InitInstance();
    }
    keyrider::CKeyriderDlg* Dialog() { return app_ ? app_->Dialog() : nullptr; }

    fs::path root_, folder_;
    keyrider::MachineTreeOptions options_;
    std::unique_ptr<TestApp> app_;
    HMODULE scanModule_ = nullptr;
};

}  // namespace keyridertest
