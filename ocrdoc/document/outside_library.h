// The outside libraries of the pipeline, loaded by name on first use and
// kept for the life of the process (their engines hold per-thread state that
// must not be unloaded under a running thread); entry points are looked up
// by name at every call.
#pragma once

#include <string>

#include "platform/win/library.h"

// The module of an outside library, NULL when it cannot be loaded.
HMODULE OutsideLibrary(const char* dllName);

// An entry point put in place of a library's own (tests script an engine's
// answers with it); nullptr removes it. Ordinals are named "#n".
void SetOutsideEntryOverride(const char* dllName, const char* entry, FARPROC replacement);
// The override of an entry, or nullptr.
FARPROC OutsideEntryOverride(const char* dllName, const char* entry);

// An entry point of an outside library by name, NULL when missing.
template <typename F>
F OutsideEntry(const char* dllName, const char* entry) {
    if (FARPROC replaced = OutsideEntryOverride(dllName, entry)) return reinterpret_cast<F>(replaced);
    HMODULE module = OutsideLibrary(dllName);
    return module ? reinterpret_cast<F>(GetProcAddress(module, entry)) : nullptr;
}

// An entry point by ordinal.
template <typename F>
F OutsideOrdinal(const char* dllName, int ordinal) {
    const std::string name = "#" + std::to_string(ordinal);
    if (FARPROC replaced = OutsideEntryOverride(dllName, name.c_str())) return reinterpret_cast<F>(replaced);
    HMODULE module = OutsideLibrary(dllName);
    return module ? reinterpret_cast<F>(GetProcAddress(module, MAKEINTRESOURCEA(ordinal))) : nullptr;
}
