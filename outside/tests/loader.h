// Loads a stand-in library from the program folder by its file name and looks
// entries up by name or ordinal, as the system does.
#pragma once

#include <dlfcn.h>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <unistd.h>

#include "outside/include/outside.h"

namespace testpages {

class Library {
public:
    // name: "Tresk.dll" → libTresk.so beside the test program.
    explicit Library(const std::string& dllName) {
        std::string base = dllName.substr(0, dllName.rfind('.'));
        char exe[4096] = {};
        ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
        std::filesystem::path folder = std::filesystem::path(std::string(exe, n > 0 ? n : 0)).parent_path();
        path_ = (folder / ("lib" + base + ".so")).string();
        handle_ = dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle_) throw std::runtime_error(std::string("cannot load ") + path_ + ": " + dlerror());
    }
    ~Library() {
        if (handle_) dlclose(handle_);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    template <typename F>
    F get(const char* name) const {
        void* p = dlsym(handle_, name);
        if (!p) throw std::runtime_error(std::string("no entry ") + name + " in " + path_);
        return reinterpret_cast<F>(p);
    }
    template <typename F>
    F ordinal(int n) const {
        return get<F>(ordinalName(n).c_str());
    }
    bool has(const char* name) const { return dlsym(handle_, name) != nullptr; }
    static std::string ordinalName(int n) {
        std::string s = OUTSIDE_ORDINAL_SYMBOL(0);
        return s.substr(0, s.size() - 1) + std::to_string(n);
    }

private:
    std::string path_;
    void* handle_ = nullptr;
};

}  // namespace testpages
