#include "platform/win/folders.h"

#include <gtest/gtest.h>

#include "platform/win/errors.h"
#include "platform/win/files.h"
#include "platform/win/path.h"
#include "platform/win/tests/scratch_folder.h"

using suite_test::ScratchFolder;

TEST(UserFolders, FollowTheTestHomeAndTheirOverrides) {
    ScratchFolder scratch;
    ::setenv("XDG_DOCUMENTS_DIR", "/real/home/Documents", 1);  // ignored under SUITE_HOME
    char path[MAX_PATH];
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_PERSONAL, FALSE));
    EXPECT_EQ(suite::NativePath(path), scratch / "Documents");
    EXPECT_FALSE(ScratchFolder::Exists(scratch / "Documents")) << "not created unless asked";
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_PERSONAL, TRUE));
    EXPECT_TRUE(ScratchFolder::Exists(scratch / "Documents"));
    ::unsetenv("XDG_DOCUMENTS_DIR");

    ::setenv("SUITE_DOCUMENTS_DIR", (scratch / "docs").c_str(), 1);
    ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path), S_OK);
    EXPECT_EQ(suite::NativePath(path), scratch / "docs");
    EXPECT_TRUE(ScratchFolder::Exists(scratch / "docs"));
    ::unsetenv("SUITE_DOCUMENTS_DIR");

    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_APPDATA, FALSE));
    EXPECT_EQ(suite::NativePath(path), scratch / ".config");
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_LOCAL_APPDATA, FALSE));
    EXPECT_EQ(suite::NativePath(path), scratch / ".local/share");
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_DESKTOPDIRECTORY, FALSE));
    EXPECT_EQ(suite::NativePath(path), scratch / "Desktop");
    EXPECT_FALSE(SHGetSpecialFolderPathA(nullptr, path, 0x7777, FALSE));
    EXPECT_EQ(SHGetFolderPathA(nullptr, 0x7777, nullptr, 0, path), E_INVALIDARG);
}

TEST(UserFolders, WindowsAndSystemFoldersExistOnTheDataDrive) {
    ScratchFolder scratch;
    char path[MAX_PATH];
    UINT n = GetWindowsDirectoryA(path, sizeof path);
    EXPECT_EQ(std::string(path, n), "C:\\WINDOWS");
    EXPECT_TRUE(ScratchFolder::Exists(scratch / "data/drive_c/WINDOWS")) << "programs write ini files there";
    n = GetSystemDirectoryA(path, sizeof path);
    EXPECT_EQ(std::string(path, n), "C:\\WINDOWS\\system32");
    EXPECT_EQ(GetWindowsDirectoryA(path, 4), 11u) << "the size needed, with the NUL";
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_PROGRAM_FILES, FALSE));
    EXPECT_STREQ(path, "C:\\Program Files");

    ::setenv("SUITE_WINDOWS_DIR", (scratch / "win").c_str(), 1);
    n = GetWindowsDirectoryA(path, sizeof path);
    EXPECT_EQ(suite::NativePath(std::string(path, n)), scratch / "win");
    n = GetSystemDirectoryA(path, sizeof path);
    EXPECT_EQ(suite::NativePath(std::string(path, n)), scratch / "win/system32");
    ::unsetenv("SUITE_WINDOWS_DIR");
}
