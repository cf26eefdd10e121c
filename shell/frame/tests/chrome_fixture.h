// What the tests of the main window's bars and menus share: the framework
// started once with a plain application object, a language library as the
// resource module, memory pictures to paint into, and the folder grabs go to.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/afx/afxwin.h"
#include "platform/win/library.h"

namespace chrometest {

// A memory device context over a 32-bit picture of `cx` x `cy`.
class Picture {
public:
    Picture(int cx, int cy) {
        dc.CreateCompatibleDC(nullptr);
        bitmap.CreateBitmap(cx, cy, 1, 32, nullptr);
        old_ = dc.SelectObject(&bitmap);
        dc.FillSolidRect(0, 0, cx, cy, RGB(1, 2, 3));
    }
    ~Picture() { dc.SelectObject(old_); }
    COLORREF At(int x, int y) { return dc.GetPixel(x, y) & 0xFFFFFF; }
    CDC dc;
    CBitmap bitmap;

private:
    CBitmap* old_ = nullptr;
};

// Loads a language library ("\Ruvuradavad.DLL" or "\Ruvozidever.DLL") as the
// resource module for the life of the object.
class Language {
public:
    explicit Language(const char* name = "\\Ruvuradavad.DLL") {
        AfxWinInit();
        module_ = LoadLibraryA(name);
        if (module_) AfxSetResourceHandle(module_);
    }
    ~Language() {
        AfxSetResourceHandle(nullptr);
        if (module_) FreeLibrary(module_);
    }
    bool Loaded() const { return module_ != nullptr; }

private:
    HMODULE module_ = nullptr;
};

// Where a test's grab goes: test-output/shell beside the test program's folder.
inline std::string GrabPath(const std::string& name) {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    const std::filesystem::path dir = exe.parent_path().parent_path() / "test-output" / "shell";
    std::filesystem::create_directories(dir, ec);
    return (dir / name).string();
}

}  // namespace chrometest
