#include "platform/win/library.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/win/errors.h"
#include "platform/win/files.h"
#include "platform/win/path.h"
#include "platform/win/tests/scratch_folder.h"

namespace {

using AddFn = int (*)(int, int);
using OrdinalFn = int (*)();

}  // namespace

TEST(Libraries, LoadByWindowsNameAndLookUpExports) {
    HMODULE lib = LoadLibraryA("SampleLib.dll");
    ASSERT_NE(lib, nullptr) << "libSampleLib.so beside the program";
    auto add = reinterpret_cast<AddFn>(GetProcAddress(lib, "sample_add"));
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add(2, 3), 5);
    auto seven = reinterpret_cast<OrdinalFn>(GetProcAddress(lib, MAKEINTRESOURCEA(7)));
    ASSERT_NE(seven, nullptr);
    EXPECT_EQ(seven(), 7);
    auto demo = reinterpret_cast<AddFn>(GetProcAddress(lib, "_Demo@8"));
    ASSERT_NE(demo, nullptr) << "a decorated name finds the plain export";
    EXPECT_EQ(demo(4, 5), 20);
    EXPECT_EQ(GetProcAddress(lib, "missing"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_EQ(GetProcAddress(lib, MAKEINTRESOURCEA(3)), nullptr);

    // Other spellings of the same library are the same module.
    for (const char* name : {"SAMPLELIB.DLL", "\\SampleLib.dll", "SampleLib", "libSampleLib.so"}) {
        HMODULE again = LoadLibraryA(name);
        EXPECT_EQ(again, lib) << name;
        FreeLibrary(again);
    }
    std::string full = suite::WindowsPath(suite::ProgramFolder()) + "\\sampleLIB.Dll";
    HMODULE byPath = LoadLibraryA(full.c_str());
    EXPECT_EQ(byPath, lib) << full;
    FreeLibrary(byPath);

    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(lib, path, sizeof path);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(std::string(suite::PathLastPart(path)), "libSampleLib.so");
    EXPECT_EQ(GetModuleHandleA("SampleLib.dll"), lib);
    EXPECT_EQ(suite::ModuleFromAddress(reinterpret_cast<const void*>(add)), lib);
    EXPECT_EQ(suite::ModuleFromAddress(reinterpret_cast<const void*>(&LoadLibraryA)),
              suite::ModuleFromAddress(reinterpret_cast<const void*>(&GetProcAddress)));
    EXPECT_TRUE(FreeLibrary(lib));
}

TEST(Libraries, SearchPathMissingAndBrokenLibraries) {
    suite_test::ScratchFolder scratch;
    EXPECT_EQ(LoadLibraryA("NoSuchLibrary.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(LoadLibraryA(""), nullptr);

    std::filesystem::copy_file(suite::ProgramFolder() + "/libSampleLib.so", scratch / "libOther.so");
    suite_test::ScratchFolder::MakeFile(scratch / "libBroken.so", "not a library");
    ::setenv("SUITE_LIBRARY_PATH", ("/nonexistent:" + scratch.path()).c_str(), 1);
    HMODULE other = LoadLibraryA("Other.DLL");
    ASSERT_NE(other, nullptr);
    EXPECT_NE(GetProcAddress(other, "sample_add"), nullptr);
    FreeLibrary(other);
    EXPECT_EQ(LoadLibraryA("Broken.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT)) << "found, but not loadable";
    ::unsetenv("SUITE_LIBRARY_PATH");
    EXPECT_EQ(GetModuleHandleA("NoSuchLibrary.dll"), nullptr);
}
