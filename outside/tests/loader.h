// Loads a stand-in library by its Windows name and looks entries up by name
// or ordinal, as the system does.
#pragma once

#include <stdexcept>
#include <string>

#include "platform/win/library.h"

namespace testpages {

class Library {
public:
    explicit Library(const char* dllName) : name_(dllName), module_(LoadLibraryA(dllName)) {
        if (!module_) throw std::runtime_error(std::string("cannot load ") + dllName);
    }
    ~Library() { FreeLibrary(module_); }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    template <typename F>
    F get(const char* entry) const {
        FARPROC p = GetProcAddress(module_, entry);
        if (!p) throw std::runtime_error(std::string("no entry ") + entry + " in " + name_);
        return reinterpret_cast<F>(p);
    }
    template <typename F>
    F ordinal(int n) const {
        FARPROC p = GetProcAddress(module_, MAKEINTRESOURCEA(n));
        if (!p) throw std::runtime_error("no ordinal " + std::to_string(n) + " in " + name_);
        return reinterpret_cast<F>(p);
    }

private:
    std::string name_;
    HMODULE module_;
};

}  // namespace testpages
