// The language library as the resource module, and dialogs that do not wait
// for a person: each test queues its answers.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/afx/afxwin.h"
#include "platform/afx/ui/msgbox.h"
#include "platform/win/library.h"

inline CWinApp theShellDialogTestApp("ShellDialogTests");
// A Chinese system: the library's texts in the GBK code page.
inline const bool theShellDialogTestLanguage = setenv("SUITE_LANGID", "0x0804", 1) == 0;

class ShellDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        AfxWinInit();
        AfxTestScript::Enable(true);
        AfxTestScript::Clear();
        library_ = LoadLibraryA("\\Ruvuradavad.DLL");
        ASSERT_NE(library_, nullptr);
        AfxSetResourceHandle(library_);
    }
    void TearDown() override {
        AfxTestScript::Clear();
        AfxSetResourceHandle(nullptr);
        if (library_) FreeLibrary(library_);
    }
    // Texts of the message boxes shown so far.
    static std::vector<std::string> Messages() {
        std::vector<std::string> texts;
        for (const AfxShownRecord& r : AfxTestScript::Shown())
            if (r.kind == "message") texts.push_back(r.text);
        return texts;
    }
    static std::string Text(UINT id) {
        CString s;
        s.LoadString(id);
        return s.GetString();
    }

    HMODULE library_ = nullptr;
};
