#include "platform/win/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "platform/win/errors.h"
#include "platform/win/folders.h"
#include "platform/win/path.h"
#include "platform/win/tests/scratch_folder.h"

using suite_test::ScratchFolder;

namespace {

class Files : public suite_test::DriveCTest {
protected:
    static std::string contents(const std::string& native) {
        std::ifstream in(native, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    static std::vector<std::string> find(const std::string& pattern) {
        std::vector<std::string> names;
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA(pattern.c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return names;
        do names.emplace_back(fd.cFileName);
        while (FindNextFileA(h, &fd));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
        FindClose(h);
        return names;
    }
};

DWORD lastError() { return GetLastError(); }

}  // namespace

TEST_F(Files, CreateDispositionsAndTheirErrors) {
    HANDLE h = CreateFileA("C:\\a.bin", GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(lastError(), 0u);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(h, "hello world", 11, &written, nullptr));
    EXPECT_EQ(written, 11u);
    CloseHandle(h);

    EXPECT_EQ(CreateFileA("C:\\A.BIN", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));

    h = CreateFileA("C:\\a.bin", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << "opened, not created";
    DWORD high = 7;
    EXPECT_EQ(GetFileSize(h, &high), 11u);
    EXPECT_EQ(high, 0u);
    EXPECT_FALSE(WriteFile(h, "x", 1, &written, nullptr)) << "opened for reading only";
    CloseHandle(h);

    h = CreateFileA("C:\\a.bin", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    CloseHandle(h);
    EXPECT_EQ(contents(scratch / "c/a.bin"), "") << "CREATE_ALWAYS truncates";

    EXPECT_EQ(CreateFileA("C:\\none.bin", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(CreateFileA("C:\\no\\such.bin", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(CreateFileA("C:\\", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << "a folder needs backup semantics";

    EXPECT_FALSE(CloseHandle(h)) << "closed twice";
    EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(Files, ReadSeekAndSize) {
    ScratchFolder::MakeFile(scratch / "c/data.bin", "0123456789");
    HANDLE h = CreateFileA("c:/DATA.bin", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    char buf[16] = {};
    DWORD read = 0;
    EXPECT_EQ(SetFilePointer(h, 4, nullptr, FILE_BEGIN), 4u);
    ASSERT_TRUE(ReadFile(h, buf, 3, &read, nullptr));
    EXPECT_EQ(std::string(buf, read), "456");
    EXPECT_EQ(SetFilePointer(h, -2, nullptr, FILE_END), 8u);
    ASSERT_TRUE(ReadFile(h, buf, sizeof buf, &read, nullptr));
    EXPECT_EQ(std::string(buf, read), "89") << "a short read at the end";
    ASSERT_TRUE(ReadFile(h, buf, sizeof buf, &read, nullptr));
    EXPECT_EQ(read, 0u) << "end of file is success with nothing read";

    EXPECT_EQ(SetFilePointer(h, -20, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
    EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 10u) << "a refused seek does not move";

    LONG high = 1;  // 4 GiB + 2: past the end is allowed
    EXPECT_EQ(SetFilePointer(h, 2, &high, FILE_BEGIN), 2u);
    EXPECT_EQ(high, 1);
    EXPECT_EQ(SetFilePointer(h, 5, nullptr, FILE_BEGIN), 5u);
    ASSERT_TRUE(SetEndOfFile(h));
    EXPECT_EQ(GetFileSize(h, nullptr), 5u);
    EXPECT_TRUE(FlushFileBuffers(h));

    FILETIME created, accessed, written;
    ASSERT_TRUE(GetFileTime(h, &created, &accessed, &written));
    FILETIME stamp = suite::MakeFileTime(130000000000000000ULL);  // 2012-12-15
    ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &stamp));
    ASSERT_TRUE(GetFileTime(h, nullptr, nullptr, &written));
    EXPECT_EQ(suite::FileTimeValue(written), 130000000000000000ULL);
    CloseHandle(h);

    EXPECT_FALSE(ReadFile(h, buf, 1, &read, nullptr));
    EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(Files, DeleteOnCloseRemovesTheFile) {
    HANDLE h = CreateFileA("C:\\gone.tmp", GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(ScratchFolder::Exists(scratch / "c/gone.tmp"));
    CloseHandle(h);
    EXPECT_FALSE(ScratchFolder::Exists(scratch / "c/gone.tmp"));
}

TEST_F(Files, AttributesAndDeletion) {
    ScratchFolder::MakeFile(scratch / "c/file.txt");
    ScratchFolder::MakeFile(scratch / "c/.hidden");
    ::mkdir((scratch / "c/dir").c_str(), 0777);
    ScratchFolder::MakeFile(scratch / "c/dir/inner");

    EXPECT_EQ(GetFileAttributesA("C:\\FILE.TXT"), FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(GetFileAttributesA("C:\\DIR"), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(GetFileAttributesA("C:\\.hidden") & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(GetFileAttributesA("C:\\nothing"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    ASSERT_TRUE(SetFileAttributesA("C:\\file.txt", FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(GetFileAttributesA("C:\\file.txt") & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(DeleteFileA("C:\\file.txt")) << "a read-only file is not deleted";
    EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(ScratchFolder::Exists(scratch / "c/file.txt"));
    ASSERT_TRUE(SetFileAttributesA("C:\\file.txt", FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(DeleteFileA("C:\\File.Txt"));
    EXPECT_FALSE(ScratchFolder::Exists(scratch / "c/file.txt"));
    EXPECT_FALSE(DeleteFileA("C:\\File.Txt"));
    EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    EXPECT_FALSE(DeleteFileA("C:\\dir")) << "folders are removed with RemoveDirectory";
    EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(RemoveDirectoryA("C:\\dir"));
    EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
    EXPECT_TRUE(DeleteFileA("C:\\dir\\inner"));
    EXPECT_TRUE(RemoveDirectoryA("C:\\DIR\\"));
    EXPECT_FALSE(PathFileExistsA("C:\\dir"));

    // Folder names ending in a backslash, as code creating a path level by level writes them.
    EXPECT_FALSE(PathFileExistsA("C:\\Level\\"));
    EXPECT_TRUE(CreateDirectoryA("C:\\Level\\", nullptr));
    EXPECT_TRUE(PathFileExistsA("C:\\LEVEL\\"));
    EXPECT_TRUE(CreateDirectoryA("C:\\level\\Two\\", nullptr));
    EXPECT_TRUE(ScratchFolder::Exists(scratch / "c/Level/Two"));
    ScratchFolder::MakeFile(scratch / "c/plain.txt");
    EXPECT_TRUE(PathFileExistsA("C:\\Level\\Two\\..\\..\\PLAIN.TXT"));
    EXPECT_FALSE(PathFileExistsA("C:\\Level\\Two\\..\\..\\PLAIN.TXT\\")) << "a file is no folder";
    EXPECT_TRUE(CreateDirectoryA("C:\\New", nullptr));
    EXPECT_TRUE(PathIsDirectoryA("c:\\new"));
    EXPECT_TRUE(suite::FileExists("C:\\Level\\..\\Plain.TXT")) << "found whatever the case";
    EXPECT_FALSE(suite::FileExists("C:\\new")) << "a folder is no file";
    EXPECT_FALSE(suite::FileExists("C:\\plain.txt\\"));
    EXPECT_FALSE(suite::FileExists("C:\\nothing.txt"));
    EXPECT_FALSE(CreateDirectoryA("C:\\a\\b", nullptr));
    EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(Files, MoveRefusesAnExistingTargetButAllowsACaseChange) {
    ScratchFolder::MakeFile(scratch / "c/one.txt", "1");
    ScratchFolder::MakeFile(scratch / "c/two.txt", "2");
    EXPECT_FALSE(MoveFileA("C:\\one.txt", "C:\\TWO.TXT"));
    EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(contents(scratch / "c/two.txt"), "2");

    ASSERT_TRUE(MoveFileA("C:\\one.txt", "C:\\ONE.TXT"));
    EXPECT_TRUE(ScratchFolder::Exists(scratch / "c/ONE.TXT"));
    EXPECT_FALSE(ScratchFolder::Exists(scratch / "c/one.txt"));

    ASSERT_TRUE(MoveFileExA("C:\\one.txt", "C:\\two.txt", MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(contents(scratch / "c/two.txt"), "1");
    EXPECT_FALSE(MoveFileA("C:\\one.txt", "C:\\three.txt"));
    EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    ::mkdir((scratch / "c/sub").c_str(), 0777);
    ASSERT_TRUE(MoveFileA("C:\\two.txt", "C:\\SUB\\moved.txt"));
    EXPECT_EQ(contents(scratch / "c/sub/moved.txt"), "1");
}

TEST_F(Files, CopyIsCompleteOrNothing) {
    std::string big(300000, 'q');
    ScratchFolder::MakeFile(scratch / "c/src.bin", big);
    ::chmod((scratch / "c/src.bin").c_str(), 0640);
    ASSERT_TRUE(CopyFileA("C:\\SRC.BIN", "C:\\copy.bin", TRUE));
    EXPECT_EQ(contents(scratch / "c/copy.bin"), big);
    struct stat a, b;
    ::stat((scratch / "c/src.bin").c_str(), &a);
    ::stat((scratch / "c/copy.bin").c_str(), &b);
    EXPECT_EQ(a.st_mode, b.st_mode);
    EXPECT_EQ(a.st_mtim.tv_sec, b.st_mtim.tv_sec);

    ScratchFolder::MakeFile(scratch / "c/src.bin", "new");
    EXPECT_FALSE(CopyFileA("C:\\src.bin", "C:\\copy.bin", TRUE));
    EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_EQ(contents(scratch / "c/copy.bin"), big);
    ASSERT_TRUE(CopyFileA("C:\\src.bin", "C:\\copy.bin", FALSE));
    EXPECT_EQ(contents(scratch / "c/copy.bin"), "new");

    EXPECT_FALSE(CopyFileA("C:\\src.bin", "C:\\Src.Bin", FALSE)) << "a file is not copied onto itself";
    EXPECT_EQ(contents(scratch / "c/src.bin"), "new");
    EXPECT_FALSE(CopyFileA("C:\\missing", "C:\\x", FALSE));
    EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(CopyFileA("C:\\src.bin", "C:\\nofolder\\x", FALSE));
    EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    // No temporary file is left beside the targets.
    EXPECT_EQ(find("C:\\*tmp*").size(), 0u);
    EXPECT_EQ(find("C:\\.*").size(), 2u) << "only . and ..";
}

TEST_F(Files, FindMatchesWildcardsWithoutRegardToCase) {
    ::mkdir((scratch / "c/w").c_str(), 0777);
    for (const char* n : {"a.txt", "B.TXT", "noext", "ab.txt.bak", "c.tx"}) ScratchFolder::MakeFile(scratch / "c/w/" + n);
    ::mkdir((scratch / "c/w/sub").c_str(), 0777);

    EXPECT_EQ(find("C:\\W\\*.txt"), (std::vector<std::string>{"B.TXT", "a.txt"}));
    EXPECT_EQ(find("C:\\w\\*.*"),
              (std::vector<std::string>{".", "..", "B.TXT", "a.txt", "ab.txt.bak", "c.tx", "noext", "sub"}));
    EXPECT_EQ(find("C:\\w\\?.tx?"), (std::vector<std::string>{"B.TXT", "a.txt", "c.tx"}));
    EXPECT_EQ(find("C:\\w\\noext.*"), (std::vector<std::string>{"noext"}));
    EXPECT_EQ(find("C:\\w\\*."), (std::vector<std::string>{".", "..", "noext", "sub"}));
    EXPECT_EQ(find("C:\\w\\NOEXT"), (std::vector<std::string>{"noext"})) << "the name as it is on disk";

    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA("C:\\w\\sub", &fd);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(fd.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
    FindClose(h);
    h = FindFirstFileA("C:\\w\\a.txt", &fd);
    EXPECT_EQ(fd.nFileSizeLow, 1u);
    FindClose(h);

    EXPECT_EQ(FindFirstFileA("C:\\w\\*.doc", &fd), INVALID_HANDLE_VALUE);
    EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(FindFirstFileA("C:\\nowhere\\*.*", &fd), INVALID_HANDLE_VALUE);
    EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(FindNextFileA(INVALID_HANDLE_VALUE, &fd));
    EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(Files, WildcardsCountDoubleByteCharactersAsOne) {
    EXPECT_TRUE(suite::MatchesWildcard("?.txt", "\xD6\xD0.txt"));
    EXPECT_FALSE(suite::MatchesWildcard("?.txt", "\xD6\xD0\xCE\xC4.txt"));
    EXPECT_TRUE(suite::MatchesWildcard("??.txt", "\xD6\xD0.txt")) << "a '?' before the dot may match nothing";
    EXPECT_TRUE(suite::MatchesWildcard("\xD6\xD0*", "\xD6\xD0\xCE\xC4.bmp"));
    EXPECT_FALSE(suite::MatchesWildcard("\x81\x41*", "\x81\x61")) << "trail bytes are not case-folded";
    EXPECT_TRUE(suite::MatchesWildcard("*\x81\x5C", "a\x81\x5C"));
    EXPECT_TRUE(suite::MatchesWildcard("A*B*C", "axxbyyc"));
    EXPECT_FALSE(suite::MatchesWildcard("A*B*C", "axxbyy"));
}

TEST_F(Files, TemporaryNamesAreCreatedExclusively) {
    char path[MAX_PATH];
    DWORD n = GetTempPathA(sizeof path, path);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(path[n - 1], '\\');
    EXPECT_EQ(suite::NativePath(path), scratch / "tmp/");
    EXPECT_EQ(GetTempPathA(2, path), n + 1) << "the size needed";

    GetTempPathA(sizeof path, path);
    char first[MAX_PATH], second[MAX_PATH];
    UINT u1 = GetTempFileNameA(path, "OCRX", 0, first);
    UINT u2 = GetTempFileNameA(path, "OCRX", 0, second);
    ASSERT_NE(u1, 0u);
    ASSERT_NE(u2, 0u);
    EXPECT_NE(std::string(first), std::string(second));
    EXPECT_TRUE(PathFileExistsA(first));
    EXPECT_TRUE(PathFileExistsA(second));
    std::string name(suite::PathLastPart(first));
    EXPECT_EQ(name.substr(0, 3), "OCR") << "three prefix characters";
    EXPECT_EQ(name.substr(name.size() - 4), ".TMP");

    char formed[MAX_PATH];
    EXPECT_EQ(GetTempFileNameA("C:\\dir", "ab", 0x1F, formed), 0x1Fu);
    EXPECT_STREQ(formed, "C:\\dir\\ab1F.TMP");
    EXPECT_FALSE(PathFileExistsA(formed)) << "a given number only forms the name";
    EXPECT_EQ(GetTempFileNameA("C:\\missing", "ab", 0, formed), 0u);
    EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(Files, ModuleAndCurrentFolders) {
    char buf[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    ASSERT_GT(n, 0u);
    std::string module(buf, n);
    EXPECT_EQ(std::string(suite::PathLastPart(module)), "platform_win_tests");
    EXPECT_EQ(module.find('/'), std::string::npos) << module;
    EXPECT_EQ(suite::NativePath(module), suite::ProgramPath());
    EXPECT_EQ(GetModuleFileNameA(nullptr, buf, 5), 5u);
    EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::string(buf), module.substr(0, 4)) << "truncated and terminated";

    char saved[4096];
    ASSERT_NE(::getcwd(saved, sizeof saved), nullptr);
    ::mkdir((scratch / "c/Here").c_str(), 0777);
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\HERE"));
    n = GetCurrentDirectoryA(sizeof buf, buf);
    EXPECT_EQ(std::string(buf, n), "C:\\Here");
    EXPECT_EQ(GetCurrentDirectoryA(3, buf), n + 1);
    EXPECT_FALSE(SetCurrentDirectoryA("C:\\nowhere"));
    ULARGE_INTEGER freeBytes, total;
    EXPECT_TRUE(GetDiskFreeSpaceExA("C:\\", &freeBytes, &total, nullptr));
    EXPECT_GT(total.QuadPart, 0u);
    EXPECT_EQ(::chdir(saved), 0);
}

TEST_F(Files, ShortPathsAreTheNativePathsOtherProgramsCanOpen) {
    ::mkdir((scratch / "c/Scans").c_str(), 0777);
    ScratchFolder::MakeFile(scratch / "c/Scans/Page One.jpg");
    const std::string native = scratch / "c/Scans/Page One.jpg";
    char buf[MAX_PATH * 4];
    // Any spelling of the path: drive form, other case, mixed separators.
    for (const std::string& given : {std::string("C:\\scans\\PAGE ONE.JPG"), std::string(scratch / "c/Scans") + "\\Page One.jpg"}) {
        DWORD n = GetShortPathNameA(given.c_str(), buf, sizeof buf);
        EXPECT_EQ(std::string(buf, n), native) << given;
    }
    const DWORD needed = GetShortPathNameA("C:\\Scans\\Page One.jpg", buf, 4);
    EXPECT_EQ(needed, native.size() + 1);
    EXPECT_EQ(GetShortPathNameA("C:\\Scans\\missing.jpg", buf, sizeof buf), 0u);
    EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(Files, WholeFileHelpersReplaceAtomically) {
    std::string target = scratch / "c/settings.ini";
    ASSERT_TRUE(suite::WriteNativeFileAtomic(target, "a=1\n"));
    ::chmod(target.c_str(), 0600);
    ASSERT_TRUE(suite::WriteNativeFileAtomic(target, "a=2\n"));
    std::string back;
    ASSERT_TRUE(suite::ReadNativeFile(target, back));
    EXPECT_EQ(back, "a=2\n");
    struct stat st;
    ::stat(target.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << "the permissions of the replaced file are kept";
    EXPECT_FALSE(suite::WriteNativeFileAtomic(scratch / "c/none/x.ini", "x"));
    EXPECT_FALSE(suite::ReadNativeFile(scratch / "c/none/x.ini", back));
    EXPECT_EQ(find("C:\\*").size(), 3u) << "., .. and the file: no temporary left";
}

TEST_F(Files, ShellOperationsDeleteCopyAndMoveWithoutAsking) {
    ::mkdir((scratch / "c/job").c_str(), 0777);
    ::mkdir((scratch / "c/job/deep").c_str(), 0777);
    for (const char* n : {"job/a.tmp", "job/b.TMP", "job/keep.txt", "job/deep/x.tmp"})
        ScratchFolder::MakeFile(scratch / "c/" + n, n);

    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_DELETE;
    op.pFrom = "C:\\JOB\\*.tmp\0";
    op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_FILESONLY;
    EXPECT_EQ(SHFileOperationA(&op), 0);
    EXPECT_EQ(find("C:\\job\\*"), (std::vector<std::string>{".", "..", "deep", "keep.txt"}));
    EXPECT_TRUE(ScratchFolder::Exists(scratch / "c/job/deep/x.tmp")) << "wildcards do not reach into folders";

    ::mkdir((scratch / "c/out").c_str(), 0777);
    op.wFunc = FO_COPY;
    op.pFrom = "C:\\job\\keep.txt\0C:\\job\\deep\0";
    op.pTo = "C:\\Out\0";
    EXPECT_EQ(SHFileOperationA(&op), 0);
    EXPECT_EQ(contents(scratch / "c/out/keep.txt"), "job/keep.txt");
    EXPECT_EQ(contents(scratch / "c/out/deep/x.tmp"), "job/deep/x.tmp") << "folders are copied whole";

    op.wFunc = FO_MOVE;
    op.pFrom = "C:\\job\\keep.txt\0";
    op.pTo = "C:\\out\\moved.txt\0";
    EXPECT_EQ(SHFileOperationA(&op), 0);
    EXPECT_EQ(contents(scratch / "c/out/moved.txt"), "job/keep.txt");
    EXPECT_FALSE(ScratchFolder::Exists(scratch / "c/job/keep.txt"));

    op.wFunc = FO_DELETE;
    op.pFrom = "C:\\job\0";
    op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION;
    EXPECT_EQ(SHFileOperationA(&op), 0);
    EXPECT_FALSE(ScratchFolder::Exists(scratch / "c/job")) << "a folder is deleted with its contents";
    op.pFrom = "C:\\job\0";
    EXPECT_EQ(SHFileOperationA(&op), static_cast<int>(ERROR_FILE_NOT_FOUND));
    op.pFrom = "C:\\out\\*.none\0";
    EXPECT_EQ(SHFileOperationA(&op), 0) << "a pattern that matches nothing leaves nothing to do";
}

TEST_F(Files, AttributeDataAndPathSplitting) {
    ScratchFolder::MakeFile(scratch / "c/five.bin", "12345");
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExA("C:\\FIVE.BIN", GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 5u);
    EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_FALSE(GetFileAttributesExA("C:\\none", GetFileExInfoStandard, &data));
    EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    char drive[_MAX_DRIVE], dir[_MAX_DIR], fname[_MAX_FNAME], ext[_MAX_EXT];
    _splitpath("C:\\My Dir\\scan.001.tif", drive, dir, fname, ext);
    EXPECT_STREQ(drive, "C:");
    EXPECT_STREQ(dir, "\\My Dir\\");
    EXPECT_STREQ(fname, "scan.001");
    EXPECT_STREQ(ext, ".tif");
    _splitpath("dir.d/noext", drive, dir, fname, ext);
    EXPECT_STREQ(drive, "");
    EXPECT_STREQ(dir, "dir.d/");
    EXPECT_STREQ(fname, "noext");
    EXPECT_STREQ(ext, "");
    // A folder whose last character has the trail byte 0x5C.
    _splitpath("C:\\\x81\x5C\\\xD6\xD0.bmp", drive, dir, fname, ext);
    EXPECT_STREQ(dir, "\\\x81\x5C\\");
    EXPECT_STREQ(fname, "\xD6\xD0");
    char path[_MAX_PATH];
    _makepath(path, "D", "\\work", "atemp000", "idx");
    EXPECT_STREQ(path, "D:\\work\\atemp000.idx");
    _makepath(path, "C:", "\\\x81\x5C", "f", ".x");
    EXPECT_STREQ(path, "C:\\\x81\x5C\\f.x") << "a trail byte 0x5C does not end the folder";
}
