// A library loaded by file name for the length of one operation.
#pragma once

#include "platform/win/library.h"

class LoadedLibrary {
public:
    explicit LoadedLibrary(const char* name) : module_(LoadLibraryA(name)) {}
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;
    ~LoadedLibrary() {
        if (module_) FreeLibrary(module_);
    }
    explicit operator bool() const { return module_ != nullptr; }
    template <typename F>
    F entry(const char* name) const {
        return module_ ? reinterpret_cast<F>(GetProcAddress(module_, name)) : nullptr;
    }

private:
    HMODULE module_;
};
