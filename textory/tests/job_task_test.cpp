// The page list saved as a job file and opened again: a name asked for the
// first save, the focused row marked and reopened, messages on failure, and a
// job file that cannot be read never emptying the list.
#include "textory/job/job_task.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "ocrdoc/task/task.h"
#include "platform/afx/afxwin.h"
#include "platform/win/path.h"
#include "platform/win/tests/scratch_folder.h"
#include "shell/tests/fake_shell_services.h"
#include "textory/job/job_file.h"

namespace {

namespace fs = std::filesystem;

class TextoryJobTask : public ::testing::Test {
protected:
    void SetUp() override {
        shell.onOpenDocument = [](const std::string&) { return kOpenStarted; };
        addRow("c:\\scans\\page 001.jpg", "3");
        addRow("c:\\scans\\page002.jpg", "0");
        shell.currentRow = 1;
        task.m_bJobModified = 1;
    }
    void addRow(const std::string& path, const std::string& status) {
        shell.PageListUpdateItem(FileItemInfo{path, "简体", "自动", 0, "300"});
        shell.cells[{shell.rowCount - 1, kPageListStatus}] = status;
    }
    std::string job(const std::string& name) { return suite::WindowsPath(scratch / name); }

    suite_test::ScratchFolder scratch;
    CFakeShellServices shell;
    CTask task;
    std::vector<std::string> recent;
    textory::CJobFiles files{task, [this](const std::string& p) { recent.push_back(p); }};
};

TEST_F(TextoryJobTask, SavedRowsOpenAgainWithTheirFocus) {
    shell.promptAnswers = {job("work.OCR")};
    ASSERT_TRUE(files.Save());
    EXPECT_EQ(task.m_strName, job("work.OCR"));
    EXPECT_EQ(task.m_bJobModified, 0);
    EXPECT_EQ(recent, std::vector<std::string>({job("work.OCR")}));
    std::ifstream in(scratch / "work.OCR", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(bytes.find("c:\\scans\\page002.jpg 简体 自动 2147483648 300 \r\n"), std::string::npos) << bytes;

    // A second save keeps the name without asking.
    ASSERT_TRUE(files.Save());
    EXPECT_EQ(shell.promptedNames.size(), 1u);

    task.m_strName = "Default Task";
    shell.PageListDeleteAll();
    ASSERT_TRUE(files.Open(job("work.OCR")));
    ASSERT_EQ(shell.rowCount, 2);
    EXPECT_EQ(shell.PageListItemText(0, kPageListPath), "c:\\scans\\page 001.jpg");
    EXPECT_EQ(shell.PageListItemText(0, kPageListStatus), "3");
    EXPECT_EQ(shell.currentRow, 1) << "the focused row is open again";
    EXPECT_EQ(task.m_strName, job("work.OCR"));
    // Opening the job that is open does nothing and succeeds.
    const int deletes = shell.deleteAllCalls;
    EXPECT_TRUE(files.Open(job("work.OCR")));
    EXPECT_EQ(shell.deleteAllCalls, deletes);
}

TEST_F(TextoryJobTask, FailuresAreReportedAndKeepTheList) {
    // No name chosen: nothing is saved.
    EXPECT_FALSE(files.Save());
    EXPECT_TRUE(shell.messages.empty());
    shell.promptAnswers = {job("no-such-folder\\work.OCR")};
    EXPECT_FALSE(files.Save());
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0], textory::kTaskFileCreateError);
    EXPECT_EQ(task.m_strName, "Default Task");
    EXPECT_EQ(task.m_bJobModified, 1);

    EXPECT_FALSE(files.Open(job("missing.OCR")));
    const fs::path huge = scratch / "huge.OCR";
    std::ofstream(huge).close();
    fs::resize_file(huge, textory::kMaxJobFileBytes + 1);
    EXPECT_FALSE(files.Open(job("huge.OCR")));
    EXPECT_EQ(shell.messages.size(), 3u);
    EXPECT_EQ(shell.messages.back(), textory::kTaskFileOpenError);
    EXPECT_EQ(shell.rowCount, 2) << "the list stays as it was";
    EXPECT_EQ(task.m_strName, "Default Task");
}

TEST_F(TextoryJobTask, CompanionFiles) {
    EXPECT_EQ(textory::CompanionPath("c:\\j\\job.OCR"), "c:\\j\\job.con");
    EXPECT_EQ(textory::CompanionPath("c:\\j\\job.ocr"), "c:\\j\\job.con");
    EXPECT_EQ(textory::CompanionPath("ab"), "abcon");
}

}  // namespace
