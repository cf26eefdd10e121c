#include "platform/win/ini.h"

#include "platform/win/blanks.h"
#include "platform/win/errors.h"
#include "platform/win/tests/child_process.h"
#include "platform/win/tests/scratch_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <dirent.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

class IniTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name = "test.ini") { return scratch / name; }
    void Make(const std::string& text, const std::string& name = "test.ini") {
        suite_test::ScratchFolder::MakeFile(Path(name), text);
    }
    std::string Contents(const std::string& name = "test.ini") {
        std::ifstream in(Path(name), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string Get(const char* section, const char* key, const char* def = "<none>") {
        char buffer[256];
        DWORD n = GetPrivateProfileStringA(section, key, def, buffer, sizeof buffer, Path().c_str());
        return std::string(buffer, n);
    }
    // A NUL-separated list as returned by the list forms, split up.
    static std::vector<std::string> Split(const char* buffer, DWORD n) {
        std::vector<std::string> out;
        for (DWORD i = 0; i < n; i += static_cast<DWORD>(out.back().size()) + 1) out.emplace_back(buffer + i);
        return out;
    }
    suite_test::ScratchFolder scratch;
};

TEST_F(IniTest, MissingFileOrKeyGivesTheDefault) {
    char buffer[32] = "junk";
    SetLastError(0);
    EXPECT_EQ(GetPrivateProfileStringA("S", "K", "fallback  ", buffer, sizeof buffer, Path().c_str()), 8u);
    EXPECT_STREQ(buffer, "fallback");  // trailing blanks of the default go
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(GetPrivateProfileStringA("S", "K", nullptr, buffer, sizeof buffer, Path().c_str()), 0u);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(GetPrivateProfileIntA("S", "K", 42, Path().c_str()), 42u);
    EXPECT_EQ(GetPrivateProfileSectionNamesA(buffer, sizeof buffer, Path().c_str()), 0u);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer[1], '\0');
    Make("[S]\r\nOther=1\r\n");
    EXPECT_EQ(Get("S", "K", "d"), "d");
    EXPECT_EQ(Get("T", "Other", "d"), "d");
    // Deleting from a missing file creates nothing.
    EXPECT_TRUE(WritePrivateProfileStringA("S", "K", nullptr, Path("none.ini").c_str()));
    EXPECT_FALSE(suite_test::ScratchFolder::Exists(Path("none.ini")));
}

TEST_F(IniTest, ReadsWithoutCaseAndStripsBlanksAndQuotes) {
    Make("; leading comment\r\n"
         "[Settings]\r\n"
         "  Name =  \"  spaced value \"  \r\n"
         "Single='x y'\r\n"
         "Inner=a\"b\"c\r\n"
         "Half=\"open\r\n"
         "; Hidden=1\r\n"
         "Empty=\r\n"
         "name=second\r\n"
         "[ Other ]\r\n"
         "Key=other\r\n"
         "[settings]\r\n"
         "Late=too late\r\n");
    EXPECT_EQ(Get("SETTINGS", "NAME"), "  spaced value ");
    EXPECT_EQ(Get("settings", "single"), "x y");
    EXPECT_EQ(Get("Settings", "Inner"), "a\"b\"c");
    EXPECT_EQ(Get("Settings", "Half"), "\"open");
    EXPECT_EQ(Get("Settings", "Hidden"), "<none>");
    EXPECT_EQ(Get("Settings", "Empty"), "");
    EXPECT_EQ(Get("other", "key"), "other");
    EXPECT_EQ(Get("Settings", "Late"), "<none>");  // only the first section of a name counts

    char buffer[256];
    DWORD n = GetPrivateProfileStringA("Settings", nullptr, "", buffer, sizeof buffer, Path().c_str());
    EXPECT_EQ(Split(buffer, n), (std::vector<std::string>{"Name", "Single", "Inner", "Half", "Empty", "name"}));
    n = GetPrivateProfileSectionNamesA(buffer, sizeof buffer, Path().c_str());
    EXPECT_EQ(Split(buffer, n), (std::vector<std::string>{"Settings", "Other", "settings"}));
    n = GetPrivateProfileSectionA("other", buffer, sizeof buffer, Path().c_str());
    EXPECT_EQ(Split(buffer, n), std::vector<std::string>{"Key=other"});
}

TEST(Blanks, OnlyTheEndsAreTrimmed) {
    EXPECT_EQ(suite::TrimBlanks(" \t\xD6\xD0 a\v\r\n"), "\xD6\xD0 a");
    EXPECT_EQ(suite::TrimBlanks(" \r\n\f"), "");
}

TEST_F(IniTest, DoubleByteNamesKeepTheirTrailBytes) {
    // GBK characters with trail bytes ']' and 'a', and one with 'A'.
    Make("[\x81\x5D]\nk=bracket\n[\x81\x61]\nk=lower\n[\x81\x41]\nk=upper\n");
    EXPECT_EQ(Get("\x81\x5D", "k"), "bracket");
    EXPECT_EQ(Get("\x81\x61", "K"), "lower");
    EXPECT_EQ(Get("\x81\x41", "k"), "upper");
}

TEST_F(IniTest, ShortBuffersTruncateWithTheDocumentedResults) {
    Make("[A]\r\nValue=0123456789\r\nSecond=x\r\n[Bee]\r\n");
    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(GetPrivateProfileStringA("A", "Value", "", buffer, 5, Path().c_str()), 4u);
    EXPECT_STREQ(buffer, "0123");
    EXPECT_EQ(buffer[5], '#');  // nothing past the buffer
    EXPECT_EQ(GetPrivateProfileStringA("A", "Value", "", buffer, 0, Path().c_str()), 0u);
    EXPECT_EQ(GetPrivateProfileStringA("A", "Value", "", buffer, 1, Path().c_str()), 0u);
    EXPECT_EQ(buffer[0], '\0');
    // Lists: "Value\0Second\0\0" needs 14; with 10 it is cut to end in two NULs.
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(GetPrivateProfileStringA("A", nullptr, "", buffer, 10, Path().c_str()), 8u);
    EXPECT_EQ(std::string(buffer, 10), std::string("Value\0Se\0\0", 10));
    EXPECT_EQ(GetPrivateProfileStringA("A", nullptr, "", buffer, 14, Path().c_str()), 13u);
    EXPECT_EQ(GetPrivateProfileSectionNamesA(buffer, 4, Path().c_str()), 2u);
    EXPECT_EQ(std::string(buffer, 4), std::string("A\0\0\0", 4));
    EXPECT_EQ(GetPrivateProfileSectionA("A", buffer, 8, Path().c_str()), 6u);
    EXPECT_EQ(std::string(buffer, 8), std::string("Value=\0\0", 8));
}

TEST_F(IniTest, IntegersParseLikeTheOriginal) {
    Make("[N]\na=12abc\nb=-5\nc=\nd=abc\ne= +7 \nf=\"9\"\n");
    EXPECT_EQ(GetPrivateProfileIntA("N", "a", 0, Path().c_str()), 12u);
    EXPECT_EQ(GetPrivateProfileIntA("N", "b", 0, Path().c_str()), static_cast<UINT>(-5));
    EXPECT_EQ(GetPrivateProfileIntA("N", "c", 3, Path().c_str()), 3u);
    EXPECT_EQ(GetPrivateProfileIntA("N", "d", 3, Path().c_str()), 0u);
    EXPECT_EQ(GetPrivateProfileIntA("N", "e", 0, Path().c_str()), 7u);
    EXPECT_EQ(GetPrivateProfileIntA("N", "f", 0, Path().c_str()), 9u);
}

TEST_F(IniTest, WritesEditInPlaceKeepingEverythingElse) {
    Make("; settings of the job\n"
         "[Job]\n"
         "Name = old   ; not a comment\n"
         "# kept\n"
         "Mode=1\n"
         "\n"
         "[Next]\n"
         "x=1\n");
    const std::string file = Path();
    ASSERT_TRUE(WritePrivateProfileStringA("job", "NAME", "new", file.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("Job", "Added", "2", file.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("Fresh", "k", "v", file.c_str()));
    EXPECT_EQ(Contents(), "; settings of the job\n"
                          "[Job]\n"
                          "Name=new\n"
                          "# kept\n"
                          "Mode=1\n"
                          "Added=2\n"
                          "\n"
                          "[Next]\n"
                          "x=1\n"
                          "[Fresh]\n"
                          "k=v\n");
    ASSERT_TRUE(WritePrivateProfileStringA("Job", "Mode", nullptr, file.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("Next", nullptr, nullptr, file.c_str()));
    EXPECT_EQ(Contents(), "; settings of the job\n"
                          "[Job]\n"
                          "Name=new\n"
                          "# kept\n"
                          "Added=2\n"
                          "\n"
                          "[Fresh]\n"
                          "k=v\n");
    // No temporary file is left beside it.
    int entries = 0;
    if (DIR* dir = opendir(scratch.path().c_str())) {
        while (dirent* e = readdir(dir)) entries += e->d_name[0] != '.';
        closedir(dir);
    }
    EXPECT_EQ(entries, 2);  // test.ini and the scratch folder's tmp
}

TEST_F(IniTest, NewFilesUseCrLfAndCrLfFilesStaySo) {
    const std::string file = Path("new.ini");
    ASSERT_TRUE(WritePrivateProfileStringA("A", "k", "v", file.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("A", "k2", "w", file.c_str()));
    EXPECT_EQ(Contents("new.ini"), "[A]\r\nk=v\r\nk2=w\r\n");
    Make("[A]\r\nk=v", "nofinal.ini");  // no line end after the last line
    ASSERT_TRUE(WritePrivateProfileStringA("A", "z", "1", Path("nofinal.ini").c_str()));
    EXPECT_EQ(Contents("nofinal.ini"), "[A]\r\nk=v\r\nz=1\r\n");
}

TEST_F(IniTest, SectionsWithoutKeysTakeNewKeysAfterTheirHeader) {
    Make("[Empty]\r\n[Full]\r\nk=v\r\n");
    char buffer[64];
    EXPECT_EQ(GetPrivateProfileStringA("Empty", nullptr, "", buffer, sizeof buffer, Path().c_str()), 0u);
    ASSERT_TRUE(WritePrivateProfileStringA("Empty", "n", "1", Path().c_str()));
    EXPECT_EQ(Contents(), "[Empty]\r\nn=1\r\n[Full]\r\nk=v\r\n");
}

TEST_F(IniTest, LongValuesRoundTrip) {
    std::string value(5000, 'v');
    value[0] = 'A';
    value.back() = 'Z';
    ASSERT_TRUE(WritePrivateProfileStringA("Long", "Value", value.c_str(), Path().c_str()));
    std::vector<char> buffer(6000);
    EXPECT_EQ(GetPrivateProfileStringA("Long", "Value", "", buffer.data(), 6000, Path().c_str()), 5000u);
    EXPECT_EQ(std::string(buffer.data()), value);
    EXPECT_EQ(GetPrivateProfileStringA("Long", "Value", "", buffer.data(), 1040, Path().c_str()), 1039u);
}

TEST_F(IniTest, WholeSectionsAreReadAndReplaced) {
    Make("[A]\r\nold=1\r\n; note\r\nolder=2\r\n\r\n[B]\r\nb=1\r\n");
    ASSERT_TRUE(WritePrivateProfileSectionA("a", "x=1\0y=2\0", Path().c_str()));
    EXPECT_EQ(Contents(), "[A]\r\nx=1\r\ny=2\r\n\r\n[B]\r\nb=1\r\n");
    ASSERT_TRUE(WritePrivateProfileSectionA("C", "c=3\0", Path().c_str()));
    char buffer[64];
    DWORD n = GetPrivateProfileSectionA("C", buffer, sizeof buffer, Path().c_str());
    EXPECT_EQ(Split(buffer, n), std::vector<std::string>{"c=3"});
    ASSERT_TRUE(WritePrivateProfileSectionA("A", nullptr, Path().c_str()));
    EXPECT_EQ(Contents(), "[B]\r\nb=1\r\n[C]\r\nc=3\r\n");
}

TEST_F(IniTest, RefusesTextThatWouldBreakTheFile) {
    Make("[A]\r\nk=v\r\n");
    EXPECT_FALSE(WritePrivateProfileStringA("A", "k", "two\r\nlines", Path().c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA("A", "k=x", "v", Path().c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA("A]", "k", "v", Path().c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA(nullptr, "k", "v", Path().c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(WritePrivateProfileSectionA("A", "ok=1\0bad=\n\0", Path().c_str()));
    EXPECT_EQ(Contents(), "[A]\r\nk=v\r\n");
    EXPECT_TRUE(WritePrivateProfileStringA(nullptr, nullptr, nullptr, Path().c_str()));
}

TEST_F(IniTest, KeepsPermissionsAndFindsBareNamesInTheWindowsFolder) {
    Make("[A]\nk=v\n");
    ASSERT_EQ(chmod(Path().c_str(), 0600), 0);
    ASSERT_TRUE(WritePrivateProfileStringA("A", "k", "w", Path().c_str()));
    struct stat st{};
    ASSERT_EQ(stat(Path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    setenv("SUITE_WINDOWS_DIR", Path("win").c_str(), 1);
    ASSERT_TRUE(WritePrivateProfileStringA("A", "k", "bare", "Bare.ini"));
    EXPECT_EQ(Contents("win/Bare.ini"), "[A]\r\nk=bare\r\n");
    char buffer[16];
    GetPrivateProfileStringA("A", "k", "", buffer, sizeof buffer, "bare.INI");  // found without regard to case
    EXPECT_STREQ(buffer, "bare");
    unsetenv("SUITE_WINDOWS_DIR");
}

TEST_F(IniTest, WritersInOneProcessLoseNothing) {
    std::vector<std::thread> threads;
    const std::string file = Path();
    for (int t = 0; t < 6; ++t)
        threads.emplace_back([t, &file] {
            for (int i = 0; i < 20; ++i) {
                std::string key = "k" + std::to_string(t) + "_" + std::to_string(i);
                EXPECT_TRUE(WritePrivateProfileStringA("S", key.c_str(), "v", file.c_str()));
            }
        });
    for (auto& t : threads) t.join();
    std::vector<char> buffer(4096);
    DWORD n = GetPrivateProfileStringA("S", nullptr, "", buffer.data(), 4096, file.c_str());
    EXPECT_EQ(Split(buffer.data(), n).size(), 120u);
}

TEST_F(IniTest, WritersInTwoProcessesLoseNothing) {
    const std::string file = Path();
    suite::test::ChildProcess a("ini_child", {file, "a", "40"});
    suite::test::ChildProcess b("ini_child", {file, "b", "40"});
    for (int i = 0; i < 40; ++i)
        EXPECT_TRUE(WritePrivateProfileStringA("S", ("c" + std::to_string(i)).c_str(), "v", file.c_str()));
    EXPECT_EQ(a.Wait(), 0);
    EXPECT_EQ(b.Wait(), 0);
    std::vector<char> buffer(4096);
    DWORD n = GetPrivateProfileStringA("S", nullptr, "", buffer.data(), 4096, file.c_str());
    EXPECT_EQ(Split(buffer.data(), n).size(), 120u);
}

}  // namespace
