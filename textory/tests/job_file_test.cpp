// Job files: rows written and read back whole (blanks in paths, the focus
// bit as an unsigned number), the line ends readers meet, where reading
// stops, and files that are empty, damaged or too large.
#include "textory/job/job_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/win/path.h"
#include "platform/win/tests/scratch_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace textory;

std::vector<JobRow> sampleRows() {
    return {
        {"c:\\my scans\\page 001.jpg", "简体", "自动", 0, "300"},
        {"c:\\scans\\page002.tif", "英文", "表格", 5, "200"},
        {"c:\\a  b\\  c.bmp", "简繁", "手写", 0x7FFFFFFF, "600"},
    };
}

TEST(TextoryJobFile, RowsComeBackAsTheyWereWritten) {
    const std::vector<JobRow> rows = sampleRows();
    const std::string bytes = FormatJobFile(rows, 1);
    EXPECT_NE(bytes.find("c:\\scans\\page002.tif 英文 表格 2147483653 200 \r\n"), std::string::npos) << bytes;
    const JobFileContent back = ParseJobFile(bytes);
    EXPECT_EQ(back.rows, rows);
    EXPECT_EQ(back.focusedRow, 1);
    EXPECT_EQ(ParseJobFile(FormatJobFile(rows, -1)).focusedRow, -1);
}

TEST(TextoryJobFile, LineEndsOfEveryKindAndTheSignedForm) {
    const std::string lf = "c:\\a.jpg L T 0 300 \nc:\\b c.jpg L T -2147483648 300 \n";
    JobFileContent content = ParseJobFile(lf);
    ASSERT_EQ(content.rows.size(), 2u);
    EXPECT_EQ(content.rows[1].path, "c:\\b c.jpg");
    EXPECT_EQ(content.rows[1].status, 0u);
    EXPECT_EQ(content.focusedRow, 1);
    // Lone CRs, no blank at the end of the line and no line end at the end.
    content = ParseJobFile("c:\\a.jpg L T 7 300\rc:\\b.jpg L T 8 200");
    ASSERT_EQ(content.rows.size(), 2u);
    EXPECT_EQ(content.rows[0].status, 7u);
    EXPECT_EQ(content.rows[1].resolution, "200");
}

TEST(TextoryJobFile, ReadingStopsAtTheFirstLineThatIsNotARow) {
    const std::string text =
        "c:\\a.jpg L T 0 300 \r\n"
        "c:\\b.jpg L 0 300 \r\n"  // three blanks only
        "c:\\c.jpg L T 0 300 \r\n";
    EXPECT_EQ(ParseJobFile(text).rows.size(), 1u);
    EXPECT_EQ(ParseJobFile("c:\\a.jpg L T 0 300 \r\n\r\nc:\\c.jpg L T 0 300 \r\n").rows.size(), 1u);
    EXPECT_EQ(ParseJobFile("c:\\a.jpg L T x1 300 \r\n").rows.size(), 0u) << "a status that is no number";
    EXPECT_EQ(ParseJobFile("c:\\a.jpg L T 4294967296 300 \r\n").rows.size(), 0u) << "more than 32 bits";
    EXPECT_EQ(ParseJobFile(" L T 0 300 \r\n").rows.size(), 0u) << "no path";
    EXPECT_TRUE(ParseJobFile("").rows.empty());
    EXPECT_TRUE(ParseJobFile("   \r\n").rows.empty());
}

TEST(TextoryJobFile, FilesAreWrittenWholeAndLargeOnesRefused) {
    suite_test::ScratchFolder scratch;
    const std::string job = suite::WindowsPath(scratch / "job.OCR");
    ASSERT_EQ(WriteJobFile(job, sampleRows(), 2), JobFileError::kNone);
    JobFileContent content;
    ASSERT_EQ(ReadJobFile(job, content), JobFileError::kNone);
    EXPECT_EQ(content.rows, sampleRows());
    EXPECT_EQ(content.focusedRow, 2);

    // A write that cannot happen leaves the old file as it was.
    fs::permissions(scratch.path(), fs::perms::owner_write, fs::perm_options::remove);
    const bool readOnly = ::access(scratch.path().c_str(), W_OK) != 0;
    if (readOnly) {
        EXPECT_EQ(WriteJobFile(job, {}, -1), JobFileError::kCannotWrite);
        ASSERT_EQ(ReadJobFile(job, content), JobFileError::kNone);
        EXPECT_EQ(content.rows.size(), 3u);
    }
    fs::permissions(scratch.path(), fs::perms::owner_write, fs::perm_options::add);

    const std::string empty = suite::WindowsPath(scratch / "empty.OCR");
    std::ofstream(scratch / "empty.OCR").close();
    ASSERT_EQ(ReadJobFile(empty, content), JobFileError::kNone);
    EXPECT_TRUE(content.rows.empty());

    EXPECT_EQ(ReadJobFile(suite::WindowsPath(scratch / "missing.OCR"), content), JobFileError::kCannotOpen);

    // Too large to take into memory: an open error, never an empty job.
    const fs::path huge = scratch / "huge.OCR";
    std::ofstream(huge).close();
    fs::resize_file(huge, kMaxJobFileBytes + 1);
    EXPECT_EQ(ReadJobFile(suite::WindowsPath(huge.string()), content), JobFileError::kTooLarge);
    EXPECT_EQ(fs::file_size(huge), kMaxJobFileBytes + 1);
}

}  // namespace
