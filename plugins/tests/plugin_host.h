// The test host: plays the outside host application that loads a plug-in
// by its file, asks it for its table and gives it registry keys.
#pragma once

#include <dlfcn.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/afx/afxwin.h"
#include "platform/win/folders.h"
#include "platform/win/path.h"
#include "platform/win/registry.h"
#include "platform/win/registry_key.h"
#include "platform/win/tests/scratch_folder.h"

namespace plugin_test {

// The folder of the test program, where the plug-ins and peers are built.
inline std::string BuildFolder() {
    char self[4096] = {};
    ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string path(self, n > 0 ? static_cast<std::size_t>(n) : 0);
    return path.substr(0, path.find_last_of('/'));
}

inline std::string PluginFile(const std::string& name) { return BuildFolder() + "/lib" + name + ".so"; }

// The dynamic symbols a library defines (nm -D --defined-only).
inline std::set<std::string> DefinedExports(const std::string& file) {
    std::set<std::string> names;
    std::string command = "nm -D --defined-only '" + file + "'";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return names;
    char line[1024];
    while (std::fgets(line, sizeof line, pipe)) {
        std::istringstream words(line);
        std::vector<std::string> parts;
        for (std::string w; words >> w;) parts.push_back(w);
        if (!parts.empty()) names.insert(parts.back());
    }
    ::pclose(pipe);
    return names;
}

class LoadedPlugin {
public:
    explicit LoadedPlugin(const std::string& name) : handle_(::dlopen(PluginFile(name).c_str(), RTLD_NOW | RTLD_LOCAL)) {}
    ~LoadedPlugin() {
        if (handle_) ::dlclose(handle_);
    }
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;
    bool loaded() const { return handle_ != nullptr; }
    template <typename Table>
    const Table* Entry() const {
        using EntryProc = const Table* (*)();
        auto entry = reinterpret_cast<EntryProc>(::dlsym(handle_, "OcrInterfaceEntry"));
        return entry ? entry() : nullptr;
    }

private:
    void* handle_;
};

// A scratch world for one test: home, temporary folder and registry inside it.
class HostWorld {
public:
    HostWorld() {
        ::setenv("SUITE_REGISTRY_DIR", (scratch / "registry").c_str(), 1);
        ::setenv("SUITE_IPC_DIR", (scratch / "ipc").c_str(), 1);
        ::setenv("SUITE_RECORDER_FILE", recordFile().c_str(), 1);
        ::unsetenv("SUITE_RECORDER_KEEP");
    }
    ~HostWorld() {
        // The endpoints of this process are looked up again when it ends: not in the removed folder.
        ::unsetenv("SUITE_IPC_DIR");
        ::unsetenv("SUITE_REGISTRY_DIR");
        ::unsetenv("SUITE_RECORDER_FILE");
        ::unsetenv("SUITE_DDE_PEER");
    }
    std::string recordFile() const { return scratch / "record.txt"; }
    std::string Record() const {
        std::ifstream f(recordFile(), std::ios::binary);
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    }
    // A file in the scratch folder, named by the system (Windows-style).
    std::string MakeProgram(const std::string& relative) const {
        std::string native = scratch / relative;
        suite::MakeNativeFolders(native.substr(0, native.find_last_of('/')));
        suite_test::ScratchFolder::MakeFile(native, "program");
        return suite::WindowsPath(native);
    }
    suite_test::ScratchFolder scratch;
};

// Pumps messages until `done` or `ms` milliseconds have passed.
inline bool WaitFor(const std::function<bool()>& done, int ms) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        AfxPumpMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

inline void SetString(HKEY key, const std::string& name, const std::string& value) {
    RegSetValueExA(key, name.empty() ? nullptr : name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
}
inline void SetDword(HKEY key, const std::string& name, DWORD value) {
    RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

}  // namespace plugin_test
