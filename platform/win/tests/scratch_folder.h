// A scratch folder for one test: the user's home, the suite's data folder and
// the temporary folder all point into it, so nothing touches the real home.
// The system's text is GBK in these tests whatever the machine's locale.
#pragma once

#include "platform/win/tests/temporary_folder.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

namespace suite_test {

inline const bool kAnsiIsGbk = (::setenv("SUITE_ACP", "936", 1), true);

class ScratchFolder {
public:
    ScratchFolder() {
        for (const char* var : {"SUITE_DOCUMENTS_DIR", "SUITE_WINDOWS_DIR", "SUITE_SYSTEM_DIR", "SUITE_DRIVE_C",
                                "SUITE_APPDATA_DIR", "SUITE_LOCAL_APPDATA_DIR", "SUITE_DESKTOP_DIR"})
            ::unsetenv(var);
        ::setenv("SUITE_HOME", path().c_str(), 1);
        ::setenv("SUITE_DATA_DIR", (path() + "/data").c_str(), 1);
        ::setenv("SUITE_TEMP_DIR", (path() + "/tmp").c_str(), 1);
        ::mkdir((path() + "/tmp").c_str(), 0777);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // The native path of `relative` inside the folder.
    std::string operator/(const std::string& relative) const { return folder_ / relative; }
    const std::string& path() const { return folder_.path(); }

    static void MakeFile(const std::string& native, const std::string& contents = "x") {
        std::ofstream(native, std::ios::binary) << contents;
    }
    static bool Exists(const std::string& native) {
        struct stat st;
        return ::lstat(native.c_str(), &st) == 0;
    }

private:
    TemporaryFolder folder_;
};

// A test whose drive C: is the folder "c" of its scratch folder.
class DriveCTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("SUITE_DRIVE_C", (scratch / "c").c_str(), 1);
        ::mkdir((scratch / "c").c_str(), 0777);
    }
    void TearDown() override { ::unsetenv("SUITE_DRIVE_C"); }
    ScratchFolder scratch;
};

}  // namespace suite_test
