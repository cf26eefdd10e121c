#include "platform/afx/core/file.h"
#include "platform/win/errors.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

class FileTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = std::filesystem::temp_directory_path() /
                ("afx_file_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    std::string Path(const char* name) const { return (m_dir / name).string(); }
    void Put(const char* name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }
    static std::string Bytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::filesystem::path m_dir;
};

// The cause of the CFileException* the action throws (none when it does not).
template <class Fn>
int CauseOf(Fn action, CString* fileName = nullptr) {
    try {
        action();
    } catch (CFileException* e) {
        int cause = e->m_cause;
        if (fileName) *fileName = e->m_strFileName;
        e->Delete();
        return cause;
    }
    return CFileException::none;
}

}  // namespace

TEST_F(FileTest, StdioTextModeWritesCrLfAndReadsLines) {
    std::string path = Path("lines.txt");
    {
        CStdioFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeText);
        f.WriteString("first\nsecond \xD6\xD0\n");
        f.WriteString("\nlast");
        f.Close();
    }
    EXPECT_EQ(Bytes(path), "first\r\nsecond \xD6\xD0\r\n\r\nlast");

    CStdioFile f;
    ASSERT_TRUE(f.Open(path.c_str(), CFile::modeRead));
    CString line;
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_STREQ(line, "first");
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_STREQ(line, "second \xD6\xD0");
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_STREQ(line, "");
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_STREQ(line, "last");
    EXPECT_FALSE(f.ReadString(line));

    f.SeekToBegin();
    char buf[8];
    EXPECT_STREQ(f.ReadString(buf, sizeof buf), "first\n") << "the LF is kept, the CR dropped";
    EXPECT_STREQ(f.ReadString(buf, 4), "sec");
}

TEST_F(FileTest, BinaryModeKeepsBytesAndLoneCarriageReturns) {
    std::string path = Path("bin.dat");
    {
        CStdioFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary);
        f.WriteString("a\nb");
    }
    EXPECT_EQ(Bytes(path), "a\nb");
    {
        std::ofstream out(path, std::ios::binary);
        out << "x\ry\r\n";
    }
    CStdioFile f(path.c_str(), CFile::modeRead | CFile::typeText);
    CString line;
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_STREQ(line, "x\ry") << "a CR without LF is data";
    EXPECT_FALSE(f.ReadString(line));
}

TEST_F(FileTest, NoTruncateAppendsAndErrorsCarryTheCause) {
    std::string path = Path("data.bin");
    {
        CFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite);
        f.Write("12345", 5);
        EXPECT_EQ(f.GetLength(), 5u);
    }
    {
        CFile f(path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite);
        EXPECT_EQ(f.SeekToEnd(), 5u);
        f.Write("67", 2);
        f.Seek(-3, CFile::end);
        char got[4] = {};
        EXPECT_EQ(f.Read(got, 3), 3u);
        EXPECT_STREQ(got, "567");
        EXPECT_EQ(f.Read(got, 3), 0u) << "end of file";
        f.SetLength(2);
        EXPECT_EQ(f.GetLength(), 2u);
        EXPECT_STREQ(f.GetFileName(), "data.bin");
        EXPECT_STREQ(f.GetFileTitle(), "data");
    }
    CFile missing;
    CFileException error;
    EXPECT_FALSE(missing.Open(Path("none.bin").c_str(), CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);

    try {
        CFile f(Path("none/deeper.bin").c_str(), CFile::modeRead);
        FAIL() << "opening a missing file throws";
    } catch (CFileException* e) {
        EXPECT_TRUE(e->m_cause == CFileException::badPath || e->m_cause == CFileException::fileNotFound);
        e->Delete();
    }
}

TEST_F(FileTest, FindFileWalksAFolder) {
    for (const char* n : {"b.txt", "a.txt", "c.dat"}) std::ofstream(Path(n)) << n;
    CFileFind find;
    std::string pattern = (m_dir / "*.txt").string();
    ASSERT_TRUE(find.FindFile(pattern.c_str()));
    std::string names;
    BOOL more = TRUE;
    while (more) {
        more = find.FindNextFile();
        if (find.IsDots()) continue;
        names += static_cast<LPCTSTR>(find.GetFileName());
        names += ';';
        EXPECT_EQ(find.GetLength(), 5u);
    }
    EXPECT_EQ(names, "a.txt;b.txt;");
    EXPECT_FALSE(CFileFind().FindFile(Path("*.none").c_str()));
}

TEST_F(FileTest, StdioFileMixesReadsWritesAndSeeks) {
    std::string path = Path("mixed.txt");
    {
        CStdioFile f(path.c_str(), CFile::modeCreate | CFile::modeReadWrite);
        f.WriteString("one\ntwo\n");
        EXPECT_EQ(f.GetLength(), 10u) << "pending text counts in the length";
        f.SeekToBegin();
        CString line;
        ASSERT_TRUE(f.ReadString(line));
        EXPECT_STREQ(line, "one");
        f.WriteString("TWO\n");  // writes where the reader stands
        f.SeekToBegin();
        ASSERT_TRUE(f.ReadString(line));
        ASSERT_TRUE(f.ReadString(line));
        EXPECT_STREQ(line, "TWO");
        EXPECT_FALSE(f.ReadString(line));
    }
    EXPECT_EQ(Bytes(path), "one\r\nTWO\r\n");
    CFile::Rename(path.c_str(), Path("renamed.txt").c_str());
    CFileStatus status;
    ASSERT_TRUE(CFile::GetStatus(Path("renamed.txt").c_str(), status));
    EXPECT_EQ(status.m_size, 10);
    CFile::Remove(Path("renamed.txt").c_str());
    EXPECT_FALSE(CFile::GetStatus(Path("renamed.txt").c_str(), status));
    try {
        CFile::Remove(Path("renamed.txt").c_str());
        FAIL() << "removing a missing file throws";
    } catch (CFileException* e) {
        EXPECT_EQ(e->m_cause, CFileException::fileNotFound);
        e->Delete();
    }
}

TEST_F(FileTest, MisuseRaisesTheCauseCallersCheck) {
    std::string path = Path("kept.bin");
    {
        CFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite);
        f.Write("abc", 3);
    }
    auto causeOf = [](auto&& action) -> int {
        try {
            action();
        } catch (CFileException* e) {
            int cause = e->m_cause;
            e->Delete();
            return cause;
        }
        return CFileException::none;
    };
    CFile reading(path.c_str(), CFile::modeRead);
    EXPECT_EQ(causeOf([&] { reading.Write("x", 1); }), CFileException::accessDenied);
    EXPECT_EQ(causeOf([&] { reading.Seek(-1, CFile::begin); }), CFileException::badSeek);
    EXPECT_EQ(reading.GetPosition(), 0u);  // a refused seek leaves the position
    reading.Close();
    EXPECT_EQ(causeOf([&] { CFile::Remove(Path("none.bin").c_str()); }), CFileException::fileNotFound);
    EXPECT_EQ(causeOf([&] { CFile::Rename(Path("none.bin").c_str(), Path("other.bin").c_str()); }),
              CFileException::fileNotFound);
    // The message names the file.
    try {
        CFile missing(Path("none.bin").c_str(), CFile::modeRead);
        FAIL() << "opening a missing file throws";
    } catch (CFileException* e) {
        char text[512] = {};
        EXPECT_TRUE(e->GetErrorMessage(text, sizeof text));
        EXPECT_NE(std::string(text).find("none.bin"), std::string::npos) << text;
        e->Delete();
    }
    // A file object closed and opened again still closes its file when it goes.
    {
        CFile again;
        ASSERT_TRUE(again.Open(path.c_str(), CFile::modeRead));
        again.Close();
        ASSERT_TRUE(again.Open(path.c_str(), CFile::modeReadWrite | CFile::shareExclusive));
    }
    CFile exclusive;
    EXPECT_TRUE(exclusive.Open(path.c_str(), CFile::modeReadWrite | CFile::shareExclusive));
    EXPECT_EQ(Bytes(path), "abc");
}

TEST_F(FileTest, LineEndsSplitAcrossTheReadBuffer) {
    // The reader fills 8 KB at a time: put a CR LF and a lone CR on the seams.
    std::string first(8191, 'a');
    std::string second(8192 * 2 - 8193 - 1, 'b');
    Put("seams.txt", first + "\r\n" + second + "\rc\r\n\xD6\xD0");
    CStdioFile f(Path("seams.txt").c_str(), CFile::modeRead);
    CString line;
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_EQ(line.GetLength(), 8191);
    EXPECT_EQ(f.GetPosition(), 8193u) << "the position counts the bytes on disk";
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_EQ(line.str(), second + "\rc") << "a CR not followed by LF is data";
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_STREQ(line, "\xD6\xD0");
    EXPECT_FALSE(f.ReadString(line));

    // Seeking relative to the reader's place, not to the file's read-ahead.
    f.SeekToBegin();
    ASSERT_TRUE(f.ReadString(line));
    f.Seek(2, CFile::current);
    char two[3] = {};
    EXPECT_EQ(f.Read(two, 2), 2u);
    EXPECT_STREQ(two, "bb");
    EXPECT_EQ(f.GetPosition(), 8197u);
}

TEST_F(FileTest, WritesToAReadOnlyFileFailAtOnce) {
    Put("kept.txt", "kept\r\n");
    CString name;
    {
        CStdioFile f(Path("kept.txt").c_str(), CFile::modeRead);
        EXPECT_EQ(CauseOf([&] { f.WriteString("lost\n"); }, &name), CFileException::accessDenied)
            << "not only when the buffer is flushed by the destructor";
        EXPECT_EQ(name, Path("kept.txt").c_str());
        CString line;
        ASSERT_TRUE(f.ReadString(line));
        EXPECT_STREQ(line, "kept");
    }
    EXPECT_EQ(Bytes(Path("kept.txt")), "kept\r\n");

    // A read-write text file still buffers and writes on close.
    {
        CStdioFile f(Path("kept.txt").c_str(), CFile::modeReadWrite);
        f.SeekToEnd();
        f.WriteString("more\n");
    }
    EXPECT_EQ(Bytes(Path("kept.txt")), "kept\r\nmore\r\n");
}

TEST_F(FileTest, OpenFailuresNameTheirCause) {
    Put("plain.txt", "x");
    CFile f;
    CFileException error;
    // A path through an ordinary file.
    EXPECT_FALSE(f.Open(Path("plain.txt/inner.txt").c_str(), CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::badPath);
    // A name longer than any folder entry may be.
    std::string longName = Path((std::string(300, 'n') + ".txt").c_str());
    EXPECT_FALSE(f.Open(longName.c_str(), CFile::modeCreate | CFile::modeWrite, &error));
    EXPECT_EQ(error.m_cause, CFileException::badPath);
    EXPECT_EQ(error.m_strFileName, longName.c_str());
    EXPECT_EQ(CauseOf([&] { CStdioFile missing(Path("gone/none.txt").c_str(), CFile::modeRead); }),
              CFileException::badPath);
    EXPECT_EQ(CFileException::OsErrorToException(ERROR_GEN_FAILURE), CFileException::hardIO);
}


namespace {

// Opens the file it has open again under its own name.
class CReopenedFile : public CStdioFile {
public:
    BOOL Reopen(UINT flags) { return Open(m_strFileName, flags); }
};

}  // namespace

TEST_F(FileTest, OpeningAgainKeepsWhatWasWritten) {
    std::string first = Path("first-of-two-files-with-long-names.txt");
    std::string second = Path("second-of-two-files-with-long-names.txt");
    CStdioFile f(first.c_str(), CFile::modeCreate | CFile::modeWrite);
    f.WriteString("buffered\n");
    ASSERT_TRUE(f.Open(second.c_str(), CFile::modeCreate | CFile::modeWrite));
    EXPECT_EQ(Bytes(first), "buffered\r\n") << "the first file got its text before it was closed";
    f.WriteString("two\n");
    f.Close();
    EXPECT_EQ(Bytes(second), "two\r\n");

    CReopenedFile again;
    ASSERT_TRUE(again.Open(first.c_str(), CFile::modeWrite | CFile::modeNoTruncate | CFile::modeCreate));
    again.SeekToEnd();
    again.WriteString("more\n");
    ASSERT_TRUE(again.Reopen(CFile::modeRead));
    EXPECT_STREQ(again.GetFilePath(), first.c_str());
    CString line;
    ASSERT_TRUE(again.ReadString(line));
    ASSERT_TRUE(again.ReadString(line));
    EXPECT_STREQ(line, "more");
}
