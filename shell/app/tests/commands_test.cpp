// The command table's rules against a scripted shell: one page goes to the
// document, several to the task; enabling rules at the list's edges; the
// scan name prepared before an acquisition.
#include <gtest/gtest.h>

#include <filesystem>

#include "ocrdoc/document/ocr_doc.h"
#include "ocrdoc/document/page_settings.h"
#include "ocrdoc/task/task.h"
#include "platform/win/path.h"
#include "shell/app/scribant_commands.h"
#include "shell/tests/fake_shell_services.h"

namespace {

namespace fs = std::filesystem;

class Commands : public ::testing::Test {
protected:
    CFakeShellServices shell;
    CTask task;
    CScribantCommands commands{task};

    void rows(int n) {
        for (int r = 0; r < n; ++r) shell.PageListUpdateItem(FileItemInfo{"C:\\p" + std::to_string(r) + ".tif", "", "", 0, "300"});
    }
    void select(std::vector<int> selected) {
        shell.selectedRows = selected;
        shell.selectedCount = static_cast<int>(selected.size());
        shell.currentRow = selected.empty() ? -1 : selected.front();
    }
};

TEST_F(Commands, OnePageGoesToTheDocumentAndNoImagesDisableTheWork) {
    EXPECT_FALSE(commands.HasImages());
    EXPECT_FALSE(commands.CanLayout(false));
    EXPECT_FALSE(commands.CanCancelLayout(true));
    EXPECT_FALSE(commands.CanNextPage());
    EXPECT_FALSE(commands.CanPrevPage());
    rows(3);
    select({1});
    commands.RecognizeStart();
    commands.Layout();
    commands.CancelLayout();
    EXPECT_EQ(shell.postedCommands, (std::vector<UINT>{ID_DOC_RECOGNIZE, ID_DOC_LAYOUT, ID_DOC_CLEAR_LAYOUT}));
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(Commands, LayoutRulesFollowTheOpenPageAndTheSelection) {
    rows(3);
    select({0});
    EXPECT_TRUE(commands.CanLayout(false));
    EXPECT_FALSE(commands.CanLayout(true));
    EXPECT_FALSE(commands.CanCancelLayout(false));
    EXPECT_TRUE(commands.CanCancelLayout(true));
    select({0, 2});
    EXPECT_TRUE(commands.CanLayout(true));
    EXPECT_TRUE(commands.CanCancelLayout(false));
}

TEST_F(Commands, CancellingLayoutsOfSeveralPagesAsksFirstAndNoKeepsThem) {
    rows(3);
    select({0, 1});
    shell.messageAnswer = IDNO;
    commands.CancelLayout();
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_TRUE(shell.postedCommands.empty());
    EXPECT_TRUE(shell.sentCommands.empty()) << "No leaves every layout as it is";
}

TEST_F(Commands, NextAndPreviousAtTheEdgesAndWithoutASelection) {
    rows(3);
    select({});
    EXPECT_TRUE(commands.CanNextPage()) << "no selection counts as not the last row";
    EXPECT_TRUE(commands.CanPrevPage()) << "no selection counts as not row 0";
    select({0});
    EXPECT_FALSE(commands.CanPrevPage());
    EXPECT_TRUE(commands.CanNextPage());
    select({2});
    EXPECT_FALSE(commands.CanNextPage());
    EXPECT_TRUE(commands.CanPrevPage());
    select({1});
    commands.NextPage();
    EXPECT_EQ(shell.selectedRows, std::vector<int>{2});
    ASSERT_FALSE(shell.openedPaths.empty());
    EXPECT_EQ(shell.openedPaths.back(), "C:\\p2.tif");
    commands.NextPage();  // at the last row: nothing
    EXPECT_EQ(shell.selectedRows, std::vector<int>{2});
    commands.PrevPage();
    commands.PrevPage();
    EXPECT_EQ(shell.selectedRows, std::vector<int>{0});
    EXPECT_EQ(shell.openedPaths.back(), "C:\\p0.tif");
}

TEST_F(Commands, HandwritingSplitOnlyForOneHandwrittenRow) {
    rows(2);
    select({0});
    EXPECT_FALSE(commands.CanSplitHandwriting());
    shell.cells[{0, kPageListType}] = PageSettings::Defaults().typeNames[4];
    EXPECT_TRUE(commands.CanSplitHandwriting());
    commands.SplitHandwriting();
    EXPECT_EQ(shell.postedCommands, std::vector<UINT>{ID_PAGE_SEGMENT});
    select({0, 1});
    EXPECT_FALSE(commands.CanSplitHandwriting());
}

TEST_F(Commands, TaskCommandBNeedsANamedJob) {
    rows(1);
    EXPECT_FALSE(commands.CanTaskCommandB());
    task.m_strName = "C:\\jobs\\mine.tsk";
    EXPECT_TRUE(commands.CanTaskCommandB());
}

class ScanName : public Commands {
protected:
    fs::path folder;
    void SetUp() override {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/scanname-XXXXXX";
        folder = mkdtemp(pattern.data());
        shell.dataFolder = suite::WindowsPath(folder.string());
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
    std::string in(const std::string& name) const { return shell.dataFolder + "\\" + name; }
};

TEST_F(ScanName, AnEmptyBoxTakesTheDefaultAndACounterIsAppendedOnce) {
    shell.messageAnswer = IDYES;
    const std::string name = commands.PrepareScanName();
    EXPECT_EQ(name, shell.dataFolder + "\\image\\OR001.tif");
    EXPECT_TRUE(fs::is_directory(folder / "image")) << "Yes creates the folder";
    shell.scanName = in("page.tif");
    EXPECT_EQ(commands.PrepareScanName(), in("page001.tif"));
    EXPECT_EQ(shell.scanName, in("page001.tif"));
    shell.scanName = in("page007.tif");
    EXPECT_EQ(commands.PrepareScanName(), in("page007.tif"));
}

TEST_F(ScanName, AMissingFolderRefusedOrAWrongExtensionEndsTheCommand) {
    shell.scanName = in("new folder\\page001.tif");
    shell.messageAnswer = IDNO;
    EXPECT_EQ(commands.PrepareScanName(), "");
    EXPECT_FALSE(fs::exists(folder / "new folder"));
    ASSERT_EQ(shell.messages.size(), 1u);
    shell.scanName = in("page001.png");
    EXPECT_EQ(commands.PrepareScanName(), "");
    EXPECT_EQ(shell.messages.size(), 2u);
    shell.scanName = in("page001.JPG");
    EXPECT_EQ(commands.PrepareScanName(), in("page001.JPG"));
}

}  // namespace
