// The outside libraries of the pipeline, loaded by name on first use and
// kept for the life of the process (their engines hold per-thread state that
// must not be unloaded under a running thread); entry points are looked up
// by name at every call.
#pragma once

#include "platform/win/library.h"

// The module of an outside library, NULL when it cannot be loaded.
HMODULE OutsideLibrary(const char* dllName);

// An entry point of an outside library by name, NULL when missing.
template <typename F>
F OutsideEntry(const char* dllName, const char* entry) {
    HMODULE module = OutsideLibrary(dllName);
    return module ? reinterpret_cast<F>(GetProcAddress(module, entry)) : nullptr;
}

// An entry point by ordinal.
template <typename F>
F OutsideOrdinal(const char* dllName, int ordinal) {
    HMODULE module = OutsideLibrary(dllName);
    return module ? reinterpret_cast<F>(GetProcAddress(module, MAKEINTRESOURCEA(ordinal))) : nullptr;
}
