// What the batch window's tests share: the fake shell, the language
// library's strings, the conversion library the page loads go through, and
// where a grab goes (SUITE_GRAB_DIR when set, to look at it; else the
// test's temporary folder).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "ocrdoc/task/task.h"
#include "ocrdoc/task/tests/task_fixtures.h"
#include "shell/batch/dlg_batch_recog.h"
#include "shell/tests/fake_shell_services.h"

namespace batchtest {

class BatchWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        AfxWinInit();
        testpages::ensureGui();
        convert = LoadLibraryA("Convert.dll");
        ASSERT_NE(convert, nullptr);
        shell.convertLibrary = convert;
    }
    void TearDown() override {
        shell.onSelectItem = nullptr;
        shell.convertLibrary = nullptr;
        if (convert) FreeLibrary(convert);
    }
    static std::string GrabPath(const taskfix::TempFolder& folder, const std::string& name) {
        if (const char* dir = std::getenv("SUITE_GRAB_DIR")) return std::string(dir) + "/" + name;
        return folder / name;
    }

    CFakeShellServices shell;
    CSimplifiedStrings strings;
    HMODULE convert = nullptr;
};

}  // namespace batchtest
