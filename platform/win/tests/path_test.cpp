#include "platform/win/path.h"

#include <dirent.h>
#include <gtest/gtest.h>

#include <set>

#include "platform/win/codepage.h"
#include "platform/win/files.h"
#include "platform/win/folders.h"
#include "platform/win/tests/scratch_folder.h"

using suite_test::ScratchFolder;

namespace {

std::set<std::string> namesIn(const std::string& native) {
    std::set<std::string> names;
    if (DIR* d = ::opendir(native.c_str())) {
        while (dirent* e = ::readdir(d)) {
            std::string n = e->d_name;
            if (n != "." && n != "..") names.insert(n);
        }
        ::closedir(d);
    }
    return names;
}

using PathLayer = suite_test::DriveCTest;

}  // namespace

TEST_F(PathLayer, MixedCaseAndSeparatorsFindTheExistingFolder) {
    ::mkdir((scratch / "c/Work").c_str(), 0777);
    ::mkdir((scratch / "c/Work/Sub").c_str(), 0777);
    ScratchFolder::MakeFile(scratch / "c/Work/Sub/Atemp000.idx");

    EXPECT_EQ(suite::NativePath("C:\\WORK\\sub\\ATEMP000.IDX"), scratch / "c/Work/Sub/Atemp000.idx");
    EXPECT_EQ(suite::NativePath("c:/work\\SUB//atemp000.idx"), scratch / "c/Work/Sub/Atemp000.idx");
    EXPECT_EQ(suite::NativePath("C:\\work\\"), scratch / "c/Work/") << "a trailing separator is kept";
    // New names keep their case, also below a folder found without regard to case.
    EXPECT_EQ(suite::NativePath("C:\\work\\NewName.TXT"), scratch / "c/Work/NewName.TXT");
    EXPECT_EQ(suite::NativePath("C:\\Missing\\Deeper\\File"), scratch / "c/Missing/Deeper/File");
    // "." and ".." as on the original; ".." never climbs above the drive.
    EXPECT_EQ(suite::NativePath("C:\\work\\.\\sub\\..\\SUB"), scratch / "c/Work/Sub");
    EXPECT_EQ(suite::NativePath("C:\\..\\..\\work"), scratch / "c/Work");
    // A native path passes through.
    EXPECT_EQ(suite::NativePath(scratch / "c/Work/Sub"), scratch / "c/Work/Sub");

    // The file calls use the same lookup.
    EXPECT_TRUE(PathFileExistsA("C:\\WORK\\SUB\\atemp000.IDX"));
    EXPECT_FALSE(CreateDirectoryA("C:\\WORK", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << "\"WORK\" and \"Work\" are one folder";
}

TEST_F(PathLayer, SeveralCaseMatchesPickTheFirstAndAnExactMatchWins) {
    ::mkdir((scratch / "c/data").c_str(), 0777);
    ::mkdir((scratch / "c/DATA").c_str(), 0777);
    ::mkdir((scratch / "c/Data").c_str(), 0777);
    EXPECT_EQ(suite::NativePath("C:\\Data"), scratch / "c/Data");
    EXPECT_EQ(suite::NativePath("C:\\dAtA"), scratch / "c/DATA");
}

TEST_F(PathLayer, DrivesMapToFolders) {
    EXPECT_EQ(suite::DriveFolder('c'), scratch / "c");
    EXPECT_EQ(suite::NativePath("Z:\\usr\\lib"), "/usr/lib");
    EXPECT_EQ(suite::NativePath("\\usr\\lib"), "/usr/lib");
    EXPECT_EQ(suite::WindowsPath(scratch / "c/Work/a.txt"), "C:\\Work\\a.txt");
    EXPECT_EQ(suite::WindowsPath(scratch / "c"), "C:\\");
    EXPECT_EQ(suite::WindowsPath("/usr/lib"), "Z:\\usr\\lib");
    EXPECT_EQ(suite::WindowsPath("relative/name"), "relative\\name");

    // An unset drive lives under the data folder and is created when used.
    ::unsetenv("SUITE_DRIVE_C");
    EXPECT_EQ(suite::DriveFolder('C'), scratch / "data/drive_c");
    EXPECT_EQ(suite::NativePath("C:\\EMPTY$$$.TIF"), scratch / "data/drive_c/EMPTY$$$.TIF");
    EXPECT_TRUE(ScratchFolder::Exists(scratch / "data/drive_c"));
    EXPECT_EQ(suite::WindowsPath(suite::NativePath("d:\\x")), "D:\\x");
}

TEST_F(PathLayer, GbkNamesAreUtf8OnDisk) {
    const std::string gbkFolder = "\xD6\xD0\xCE\xC4";  // 中文
    const std::string name = "C:\\" + gbkFolder + "\\\xB2\xE2\xCA\xD4.txt";  // 测试.txt
    ASSERT_TRUE(CreateDirectoryA(("C:\\" + gbkFolder).c_str(), nullptr));
    HANDLE h = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_EQ(namesIn(scratch / "c"), std::set<std::string>{"\xE4\xB8\xAD\xE6\x96\x87"});
    EXPECT_EQ(namesIn(scratch / "c/\xE4\xB8\xAD\xE6\x96\x87"), std::set<std::string>{"\xE6\xB5\x8B\xE8\xAF\x95.txt"});
    EXPECT_EQ(suite::WindowsPath(suite::NativePath(name)), name);
    // Shown to the user: the native path, still in GBK for the window texts.
    EXPECT_EQ(suite::ShownPath(name),
              suite::Utf8ToAnsi(scratch / "c/\xE4\xB8\xAD\xE6\x96\x87/\xE6\xB5\x8B\xE8\xAF\x95.txt"));
    EXPECT_EQ(suite::ShownPath("C:\\\xFF\xFF.txt"), "C:\\\xFF\xFF.txt") << "no native form: as it stands";

    // Found names come back in GBK.
    WIN32_FIND_DATAA fd;
    HANDLE search = FindFirstFileA(("C:\\" + gbkFolder + "\\*.TXT").c_str(), &fd);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(fd.cFileName, "\xB2\xE2\xCA\xD4.txt");
    FindClose(search);
}

TEST_F(PathLayer, PathsGivenEitherWayAreConvertedOnlyWhenWindowsStyle) {
    ASSERT_TRUE(CreateDirectoryA("C:\\\xD6\xD0\xCE\xC4", nullptr));  // 中文
    const std::string native = scratch / "c/\xE4\xB8\xAD\xE6\x96\x87/a.txt";
    EXPECT_EQ(suite::NativePathOfEither("C:\\\xD6\xD0\xCE\xC4\\a.txt"), native);
    EXPECT_EQ(suite::NativePathOfEither("c:/\xD6\xD0\xCE\xC4/a.txt"), native);  // a drive, slashes
    // Native paths keep their UTF-8 bytes and their case.
    EXPECT_EQ(suite::NativePathOfEither(native), native);
    EXPECT_EQ(suite::NativePathOfEither("rel/\xE4\xB8\xAD/A.TXT"), "rel/\xE4\xB8\xAD/A.TXT");
    EXPECT_EQ(suite::NativePathOfEither(""), "");
}

TEST_F(PathLayer, TrailBytesAreNeitherSeparatorsNorFoldedLetters) {
    // 0x81 0x5C has '\' as its trail byte; 0x81 0x41 and 0x81 0x61 differ only
    // in an ASCII letter's case in the trail byte, yet are different characters.
    const std::string withBackslash = "C:\\\x81\x5C" "a";
    EXPECT_EQ(suite::NativePath(withBackslash), scratch / "c/\xE4\xB9\x97" "a");
    EXPECT_EQ(suite::PathLastPart("C:\\dir\\\x81\x5C" "a"), "\x81\x5C" "a");
    EXPECT_EQ(suite::PathFolderPart("C:\\\x81\x5C"), "C:\\");
    EXPECT_EQ(suite::PathFolderPart("C:\\\x81\x5C\\scan.tif"), "C:\\\x81\x5C\\");
    EXPECT_EQ(suite::PathFolderPart("scan.tif"), "");
    EXPECT_TRUE(suite::HasExtension("C:\\\x81\x5C\\scan.TIF", ".tif"));
    EXPECT_FALSE(suite::HasExtension("C:\\a.tif\\b", ".tif")) << "a dot of the folder is no extension";
    EXPECT_FALSE(suite::HasExtension("C:\\a.\x81\x41", ".\x81\x61")) << "trail bytes are compared as they are";

    ScratchFolder::MakeFile(scratch / "c/\xE4\xB9\xA4");  // 0x81 0x61
    EXPECT_EQ(suite::NativePath("C:\\\x81\x61"), scratch / "c/\xE4\xB9\xA4");
    EXPECT_EQ(suite::NativePath("C:\\\x81\x41"), scratch / "c/\xE4\xB8\x84") << "must not find the other character";
    EXPECT_FALSE(PathFileExistsA("C:\\\x81\x41"));
}

TEST_F(PathLayer, NamesThatAreNotValidTextAreRefused) {
    std::string native;
    EXPECT_FALSE(suite::TryNativePath("C:\\bad\x81", native));
    EXPECT_FALSE(suite::TryNativePath("", native));
    SetLastError(0);
    EXPECT_EQ(CreateFileA("C:\\bad\x81", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME));
}

TEST_F(PathLayer, FullPathsAreMadeLexically) {
    EXPECT_EQ(suite::FullWindowsPath("c:\\a\\..\\b\\.\\c"), "C:\\b\\c");
    EXPECT_EQ(suite::FullWindowsPath("C:"), "C:\\");
    EXPECT_EQ(suite::FullWindowsPath("C:\\dir\\"), "C:\\dir\\");
    char saved[4096];
    ASSERT_NE(::getcwd(saved, sizeof saved), nullptr);
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    EXPECT_EQ(suite::FullWindowsPath("x\\y.txt"), "C:\\x\\y.txt");
    char buf[MAX_PATH];
    LPSTR part = nullptr;
    DWORD n = GetFullPathNameA("sub\\file.txt", sizeof buf, buf, &part);
    EXPECT_EQ(std::string(buf, n), "C:\\sub\\file.txt");
    ASSERT_NE(part, nullptr);
    EXPECT_STREQ(part, "file.txt");
    EXPECT_EQ(GetFullPathNameA("sub\\file.txt", 4, buf, nullptr), 16u) << "the size needed, with the NUL";
    EXPECT_EQ(::chdir(saved), 0);
}
