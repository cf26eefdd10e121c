// Dynamic libraries by their Windows names. LoadLibraryA("Convert.dll") (also
// "CONVERT.DLL", "\Convert.dll", "C:\some\folder\Convert.dll", or a name with
// no extension) looks for the shared object "libConvert.so", then
// "Convert.so", in:
//   1. the folder the name gives, when it gives one; otherwise
//   2. the program's folder (case-insensitively, as every path),
//   3. each folder of $SUITE_LIBRARY_PATH (':'-separated),
//   4. the dynamic linker's own search (LD_LIBRARY_PATH, the system folders).
// A name ending in ".so" is taken as the file name itself.
//
// Module handles are the dynamic linker's handles; loads are counted, so every
// LoadLibraryA wants its FreeLibrary. GetModuleHandleA(nullptr) is the program.
//
// Exports by ordinal: GetProcAddress(module, MAKEINTRESOURCEA(n)) looks up the
// symbol "suite_ordinal_<n>" (decimal, e.g. "suite_ordinal_7"), so a stand-in
// offers ordinal 7 by exporting extern "C" suite_ordinal_7. Decorated names of
// the form "_Name@N" are looked up as given, then as "Name".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win/types.h"

#ifndef MAKEINTRESOURCEA
#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPSTR>(static_cast<std::uintptr_t>(static_cast<WORD>(i))))
#endif
#ifndef IS_INTRESOURCE
#define IS_INTRESOURCE(p) ((reinterpret_cast<std::uintptr_t>(p) >> 16) == 0)
#endif

// Null with ERROR_MOD_NOT_FOUND when nothing is found, ERROR_BAD_EXE_FORMAT
// when a file was found but cannot be loaded.
HMODULE LoadLibraryA(LPCSTR name);
BOOL FreeLibrary(HMODULE module);
// A module already loaded, without counting a load; null when it is not loaded.
HMODULE GetModuleHandleA(LPCSTR name);
// Null with ERROR_PROC_NOT_FOUND for a missing export.
FARPROC GetProcAddress(HMODULE module, LPCSTR name);

namespace suite {

// The module holding `address` (a function or data of a library or the program).
HMODULE ModuleFromAddress(const void* address);
// The native path of a module's file ("" for a bad module).
std::string ModuleNativePath(HMODULE module);
// The symbol name an ordinal is exported under.
std::string OrdinalSymbolName(unsigned ordinal);
// The shared object file names tried for a Windows library name, in order
// (without folders): "libConvert.so", "Convert.so".
std::vector<std::string> SharedObjectNames(const std::string& windowsName);

}  // namespace suite
