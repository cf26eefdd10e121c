// The test host of the DDE export plug-in: its registry, the peer that
// plays the OCR application, the wizard window the pages live in.
#pragma once

#include <chrono>
#include <cstring>
#include <functional>
#include <thread>

#include "platform/afx/ui/ddeml.h"
#include "plugins/moplink/ocrexport_interface.h"
#include "plugins/tests/plugin_host.h"

namespace moplink_test {

using plugin_test::HostWorld;
using plugin_test::SetDword;
using plugin_test::SetString;
using plugin_test::WaitFor;


// The host's wizard window: remembers what the pages post with message 809.
class HostWizard : public CWnd {
public:
    std::vector<LPARAM> states;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == RegisterWindowMessage(kExportMessageName) && wParam == kExportInputState) {
            states.push_back(lParam);
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

class MoplinkHost : public ::testing::Test {
protected:
    void SetUp() override {
        AfxWinInit();
        AfxTestScript::Enable();
        AfxTestScript::Clear();
        ::setenv("SUITE_EXPORT_OUTPUT_WAIT_MS", "3000", 1);
        host = suite::RegKey::Create(HKEY_CURRENT_USER, "Software\\TestHost\\Plugins");
        ASSERT_TRUE(host);
        suite::MakeNativeFolders(world.scratch / "out");
        PeerWritesOutputs(true);
    }
    void TearDown() override {
        WaitFor([] { return FindWindow("Moplink", nullptr) == nullptr; }, 5000);
        AfxTestScript::Clear();
        AfxTestScript::Enable(false);
        for (auto it = handles.rbegin(); it != handles.rend(); ++it) ::dlclose(*it);
        handles.clear();
        ::unsetenv("SUITE_EXPORT_OUTPUT_WAIT_MS");
    }

    void PeerWritesOutputs(bool on) {
        std::string args = "service=Quade topic=QuadeOCR class=Moplink lifetime=30000 record=" + record();
        if (on) args += " write-outputs=1";
        ::setenv("SUITE_DDE_PEER", args.c_str(), 1);
    }
    std::string record() const { return world.scratch / "quade.txt"; }

    // The application of `version` ("V10" or "V9"): its first locator names a
    // missing program, the second the peer; with its language lists.
    void Install(const char* version) {
        suite::RegKey plugin = suite::RegKey::Create(host.get(), "Moplink");
        suite::RegKey v = suite::RegKey::Create(plugin.get(), version);
        SetString(v.get(), "Exe RegPath 1", "2,Software\\Apps\\Gone,Path,0");
        SetString(v.get(), "Exe RegPath 2", "2,Software\\Apps\\Quade,Path,0");
        suite::RegKey gone = suite::RegKey::Create(HKEY_CURRENT_USER, "Software\\Apps\\Gone");
        SetString(gone.get(), "Path", suite::WindowsPath(world.scratch / "nowhere/quade"));
        suite::RegKey app = suite::RegKey::Create(HKEY_CURRENT_USER, "Software\\Apps\\Quade");
        SetString(app.get(), "Path", suite::WindowsPath(plugin_test::BuildFolder() + "/suite_dde_peer"));
        suite::RegKey lang = suite::RegKey::Create(v.get(), "Language");
        SetString(lang.get(), "Numeric", "Digits,26");
        suite::RegKey a = suite::RegKey::Create(lang.get(), "Group a");
        const char* groupA[] = {"1,English,0", "2,German,0", "3,French,0", "4,Italian,0", "5,Spanish,0",
                                "6,Thai,1,thai.dat"};
        for (int i = 0; i < 6; ++i) SetString(a.get(), std::to_string(i + 1), groupA[i]);
        suite::RegKey b = suite::RegKey::Create(lang.get(), "Group b");
        SetString(b.get(), "1", "10,Chinese,0");
        SetString(b.get(), "2", "11,Japanese,0");
        suite::RegKey c = suite::RegKey::Create(lang.get(), "Group c");
        SetString(c.get(), "1", "20,Greek,0");
    }
    HKEY SettingsKey(const char* subKey) {
        keys.push_back(suite::RegKey::Create(host.get(), std::string("Moplink\\") + subKey));
        return keys.back().get();
    }

    const OCREXPORT_INTERFACE* Load(const std::string& file = plugin_test::PluginFile("Moplink")) {
        void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) return nullptr;
        handles.push_back(handle);
        auto entry = reinterpret_cast<const OCREXPORT_INTERFACE* (*)()>(::dlsym(handle, "OcrInterfaceEntry"));
        return entry ? entry() : nullptr;
    }

    std::vector<std::string> Commands() {
        std::vector<std::string> out;
        std::ifstream f(record());
        for (std::string line; std::getline(f, line);)
            if (!line.empty() && line[0] != '<') out.push_back(line);
        return out;
    }
    std::vector<std::string> Starting(const std::string& head) {
        std::vector<std::string> out;
        for (const std::string& c : Commands())
            if (c.rfind(head, 0) == 0) out.push_back(c);
        return out;
    }
    std::vector<std::string> Messages() {
        std::vector<std::string> out;
        for (const AfxShownRecord& r : AfxTestScript::Shown())
            if (r.kind == "message") out.push_back(r.text);
        return out;
    }
    std::string Out(const std::string& name) { return suite::WindowsPath(world.scratch / "out") + "\\" + name; }
    bool OutExists(const std::string& name) { return suite_test::ScratchFolder::Exists(world.scratch / ("out/" + name)); }
    void PeerGone() { WaitFor([] { return FindWindow("Moplink", nullptr) == nullptr; }, 5000); }

    HostWorld world;
    suite::RegKey host;
    std::vector<suite::RegKey> keys;
    std::vector<void*> handles;
};


}  // namespace moplink_test
