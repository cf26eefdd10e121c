#include "ocrdoc/helpers/path_helpers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/win/tests/temporary_folder.h"

namespace fs = std::filesystem;

namespace {

// A 260-byte buffer guarded on both sides, to catch writes past its end.
struct GuardedBuffer {
    char bytes[_MAX_PATH + 32];
    explicit GuardedBuffer(const std::string& text) {
        std::memset(bytes, 0x5A, sizeof bytes);
        std::memcpy(bytes, text.c_str(), std::min(text.size() + 1, static_cast<std::size_t>(_MAX_PATH)));
        bytes[_MAX_PATH - 1] = '\0';
    }
    char* data() { return bytes; }
    std::string str() const { return bytes; }
    bool guardIntact() const {
        for (std::size_t i = _MAX_PATH; i < sizeof bytes; ++i)
            if (bytes[i] != 0x5A) return false;
        return true;
    }
};

// A GBK character whose trail byte is the backslash.
const std::string kTrailBackslash = "\x95\x5C";

TEST(PathPieces, BufferFormsSplitDriveFolderNameAndExtension) {
    GuardedBuffer ext("C:\\a.b\\c.tif");
    EXPECT_TRUE(ExtractFileExt(ext.data()));
    EXPECT_EQ(ext.str(), ".tif");

    GuardedBuffer noExt("C:\\a.b\\c");
    EXPECT_TRUE(ExtractFileExt(noExt.data()));
    EXPECT_EQ(noExt.str(), "");

    GuardedBuffer removed("C:\\a.b\\c.tif");
    EXPECT_TRUE(RemoveFileExt(removed.data()));
    EXPECT_EQ(removed.str(), "C:\\a.b\\c");

    GuardedBuffer name("C:\\a\\b.tif");
    EXPECT_TRUE(ExtractFileName(name.data()));
    EXPECT_EQ(name.str(), "b.tif");

    GuardedBuffer folder("C:\\a\\b.tif");
    EXPECT_TRUE(ExtractFolder(folder.data()));
    EXPECT_EQ(folder.str(), "C:\\a\\");
}

TEST(PathPieces, FolderNeedsDriveAndFolder) {
    GuardedBuffer bare("b.tif");
    EXPECT_FALSE(ExtractFolder(bare.data()));
    EXPECT_EQ(bare.str(), "");

    GuardedBuffer unc("\\\\server\\share\\b.tif");
    EXPECT_FALSE(ExtractFolder(unc.data()));
    EXPECT_EQ(unc.str(), "");

    GuardedBuffer driveOnly("C:b.tif");
    EXPECT_FALSE(ExtractFolder(driveOnly.data()));

    CString s("\\\\server\\share\\b.tif");
    EXPECT_FALSE(ExtractFolderStr(s));
    EXPECT_TRUE(s.IsEmpty());
    CString t("D:\\scans\\p.tif");
    EXPECT_TRUE(ExtractFolderStr(t));
    EXPECT_EQ(t, "D:\\scans\\");
}

TEST(PathPieces, StringForms) {
    CString ext("C:\\x\\page.PCX");
    EXPECT_TRUE(ExtractFileExtStr(ext));
    EXPECT_EQ(ext, ".PCX");

    CString stripped("C:\\a.b\\c");
    EXPECT_TRUE(StripFileExtStr(stripped));
    EXPECT_EQ(stripped, "C:\\a");

    CString dotFirst(".hidden");
    EXPECT_FALSE(StripFileExtStr(dotFirst));
    EXPECT_EQ(dotFirst, ".hidden");
    CString noDot("C:\\x\\readme");
    EXPECT_FALSE(StripFileExtStr(noDot));

    CString folderOnly("C:\\x\\");
    EXPECT_FALSE(ExtractFileNameStr(folderOnly));
    EXPECT_EQ(folderOnly, "C:\\x\\");
    CString file("C:\\x\\y.z");
    EXPECT_TRUE(ExtractFileNameStr(file));
    EXPECT_EQ(file, "y.z");
}

TEST(PathPieces, ExtensionWithoutDotLooksAtTheWholePath) {
    char out[_MAX_PATH];
    EXPECT_TRUE(ExtractFileExtNoDot("C:\\a.b\\c", out));
    EXPECT_STREQ(out, "b\\c");
    EXPECT_TRUE(ExtractFileExtNoDot("report.big5_html", out));
    EXPECT_STREQ(out, "big5_html");
    std::strcpy(out, "stale");
    EXPECT_FALSE(ExtractFileExtNoDot("C:\\x\\readme", out));
    EXPECT_STREQ(out, "");
}

TEST(PathPieces, DoubleByteTrailBackslashIsNoSeparator) {
    std::string path = "C:\\scans\\" + kTrailBackslash + ".tif";
    GuardedBuffer name(path);
    EXPECT_TRUE(ExtractFileName(name.data()));
    EXPECT_EQ(name.str(), kTrailBackslash + ".tif");

    GuardedBuffer folder(path);
    EXPECT_TRUE(ExtractFolder(folder.data()));
    EXPECT_EQ(folder.str(), "C:\\scans\\");

    std::string folderName = "C:\\" + kTrailBackslash + "\\p";
    const char* last = FindLastChar(folderName.c_str(), '\\');
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last - folderName.c_str(), 5);
    std::string onlyInTrail = kTrailBackslash + "x";
    EXPECT_EQ(FindLastChar(onlyInTrail.c_str(), '\\'), nullptr);
    EXPECT_EQ(FindLastChar("", 'a'), nullptr);
    EXPECT_EQ(FindLastChar(nullptr, 'a'), nullptr);
}

TEST(PathPieces, LongPathsNeverOverrunTheBuffer) {
    std::string longName(300, 'n');
    GuardedBuffer name("C:\\" + longName + ".tif");
    EXPECT_TRUE(ExtractFileName(name.data()));
    EXPECT_TRUE(name.guardIntact());
    EXPECT_LT(name.str().size(), static_cast<std::size_t>(_MAX_PATH));

    // 258 bytes of double-byte characters: the cut keeps whole characters.
    std::string wide;
    while (wide.size() < 258) wide += "\xB1\xED";
    GuardedBuffer folder("C:\\" + wide + "\\x.tif");
    ExtractFolder(folder.data());
    EXPECT_TRUE(folder.guardIntact());

    char out[_MAX_PATH + 16];
    std::memset(out, 0x5A, sizeof out);
    std::string dotted = "a." + std::string(400, 'e');
    EXPECT_TRUE(ExtractFileExtNoDot(dotted.c_str(), out));
    EXPECT_EQ(std::strlen(out), static_cast<std::size_t>(_MAX_PATH - 1));
    for (std::size_t i = _MAX_PATH; i < sizeof out; ++i) ASSERT_EQ(out[i], 0x5A);
}

TEST(ShortBaseName, NineOrEightBytesOfTheBaseName) {
    CString out;
    EXPECT_TRUE(MakeShortBaseName(out, "C:\\scans\\invoice2024.tif"));
    EXPECT_EQ(out, "invoice20");
    EXPECT_TRUE(MakeShortBaseName(out, "C:\\scans\\0107page12.tif"));
    EXPECT_EQ(out, "0107page");
    EXPECT_TRUE(MakeShortBaseName(out, "C:\\s.d\\ab.tif"));
    EXPECT_EQ(out, "ab");

    out = "stale";
    EXPECT_FALSE(MakeShortBaseName(out, "C:\\scans\\readme"));
    EXPECT_TRUE(out.IsEmpty());
    EXPECT_FALSE(MakeShortBaseName(out, "C:\\scans\\.tif"));
    EXPECT_FALSE(MakeShortBaseName(out, "C:\\scans\\"));

    // Five double-byte characters: 9 bytes would cut the fifth in half.
    EXPECT_TRUE(MakeShortBaseName(out, "C:\\\xB1\xED\xB1\xED\xB1\xED\xB1\xED\xB1\xED.tif"));
    EXPECT_EQ(out.GetLength(), 8);
}

TEST(XmlOutputPath, ProgramFolderOutputNameXml) {
    CString out;
    EXPECT_TRUE(MakeXmlOutputPath(out, "page1"));
    std::string s = out.str();
    ASSERT_GE(s.size(), std::string("\\output\\page1.XML").size());
    EXPECT_EQ(s.substr(s.size() - 17), "\\output\\page1.XML");
    EXPECT_EQ(s[1], ':');
}

class CreateFolderPathTest : public ::testing::Test {
protected:
    fs::path root;
    void SetUp() override {
        std::string pattern = suite_test::TemporaryRoot() + "/folderpathXXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root = pattern;
        setenv("SUITE_DRIVE_T", root.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("SUITE_DRIVE_T");
        unsetenv("SUITE_DRIVE_Q");
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

TEST_F(CreateFolderPathTest, SpacesBeforeSeparatorsAreCutAndRunsCountAsOne) {
    EXPECT_TRUE(CreateFolderPath("T:\\out \\new\\\\deep"));
    EXPECT_TRUE(fs::is_directory(root / "out"));
    EXPECT_TRUE(fs::is_directory(root / "out" / "new"));
    EXPECT_TRUE(fs::is_directory(root / "out" / "new" / "deep"));
    EXPECT_FALSE(fs::exists(root / "out "));
    // Existing folders are fine, and a trailing run of separators too.
    EXPECT_TRUE(CreateFolderPath("T:\\out\\new\\\\\\"));
    EXPECT_TRUE(CreateFolderPath("T:\\\\\\out\\two   \\"));
    EXPECT_TRUE(fs::is_directory(root / "out" / "two"));
}

TEST_F(CreateFolderPathTest, SpacesInsideNamesStay) {
    EXPECT_TRUE(CreateFolderPath("T:\\My Dir \\x y"));
    EXPECT_TRUE(fs::is_directory(root / "My Dir" / "x y"));
}

TEST_F(CreateFolderPathTest, DoubleByteNameWithTrailBackslash) {
    std::string path = "T:\\w\\" + kTrailBackslash + "dir\\sub";
    EXPECT_TRUE(CreateFolderPath(path.c_str()));
    int folders = 0;
    for (const auto& e : fs::directory_iterator(root / "w")) {
        ++folders;
        EXPECT_TRUE(fs::is_directory(e.path() / "sub"));
    }
    EXPECT_EQ(folders, 1);
}

TEST_F(CreateFolderPathTest, StopsAtAFolderThatCannotBeMade) {
    std::ofstream(root / "plainfile") << "x";
    EXPECT_FALSE(CreateFolderPath("T:\\made\\..\\plainfile\\below"));
    EXPECT_TRUE(fs::is_directory(root / "made"));
    EXPECT_FALSE(fs::exists(root / "plainfile" / "below"));

    // A drive whose folder is a file: nothing can be created on it.
    setenv("SUITE_DRIVE_Q", (root / "plainfile").c_str(), 1);
    EXPECT_FALSE(CreateFolderPath("Q:\\a\\b"));
}

TEST_F(CreateFolderPathTest, RefusesEmptyAndOverlongPaths) {
    EXPECT_FALSE(CreateFolderPath(""));
    EXPECT_FALSE(CreateFolderPath(nullptr));
    std::string tooLong = "T:\\" + std::string(520, 'a');
    EXPECT_FALSE(CreateFolderPath(tooLong.c_str()));
}

}  // namespace
