// What the document, the task and the views rely on of the shell, run against
// both the program's own shell (the application with its main frame) and the
// scripted shell the other subsystems' tests use, so the two cannot drift.
#include <gtest/gtest.h>

#include <memory>

#include "platform/win/memory.h"
#include "shell/app/tests/scribant_fixture.h"
#include "shell/tests/fake_shell_services.h"

namespace scribanttest {
namespace {

class ShellContract : public ScribantHome, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        ScribantHome::SetUp();
        if (GetParam()) {
            ASSERT_TRUE(Start());
            shell = app_.get();
        } else {
            fake = std::make_unique<CFakeShellServices>();
            shell = fake.get();
        }
    }
    void TearDown() override {
        fake.reset();
        ScribantHome::TearDown();
    }
    std::unique_ptr<CFakeShellServices> fake;
    CShellServices* shell = nullptr;
};

// Texts of the list are in the ANSI code page (GBK here).
const std::string kSimplified = "\xBC\xF2\xCC\xE5";  // 简体
const std::string kAutomatic = "\xD7\xD4\xB6\xAF";   // 自动
const std::string kTable = "\xB1\xED\xB8\xF1";       // 表格
const std::string kOfficial = "\xB9\xAB\xCE\xC4";    // 公文

FileItemInfo Item(const std::string& path, int status = 0) { return FileItemInfo{path, kSimplified, kAutomatic, status, "300"}; }

TEST_P(ShellContract, IsTheInstalledShell) { EXPECT_EQ(&ShellServices(), shell); }

TEST_P(ShellContract, PageListRowsAreAddedOnceFoundAndSelected) {
    EXPECT_EQ(shell->PageListRowCount(), 0);
    EXPECT_EQ(shell->PageListCurrentRow(), -1);
    EXPECT_EQ(shell->PageListUpdateItem(Item("C:\\a.tif")), 0);
    EXPECT_EQ(shell->PageListUpdateItem(Item("C:\\b.tif")), 1);
    EXPECT_EQ(shell->PageListUpdateItem(Item("C:\\a.tif", 2)), 0);
    EXPECT_EQ(shell->PageListRowCount(), 2);
    EXPECT_EQ(shell->PageListItemText(0, kPageListStatus), "2");
    EXPECT_EQ(shell->PageListItemText(1, kPageListLanguage), kSimplified);
    EXPECT_EQ(shell->PageListItemText(7, kPageListPath), "");
    EXPECT_EQ(shell->PageListFindItem("C:\\b.tif"), 1);
    EXPECT_EQ(shell->PageListCurrentRow(), 1);
    EXPECT_EQ(shell->PageListSelectedRows(), std::vector<int>{1});
    EXPECT_EQ(shell->PageListFindItem("C:\\B.TIF"), -1) << "names are compared as they are";
    shell->PageListSelectItem(0);
    EXPECT_EQ(shell->PageListSelectedRows(), std::vector<int>{0});
    EXPECT_EQ(shell->PageListSelectedCount(), 1);
    EXPECT_EQ(shell->PageListSetSelectedItemText("C:\\renamed.tif"), 0);
    shell->PageListSetItemText(1, kPageListType, kTable);
    EXPECT_EQ(shell->PageListItemText(1, kPageListType), kTable);
    shell->PageListDeleteAll();
    EXPECT_EQ(shell->PageListRowCount(), 0);
    EXPECT_EQ(shell->PageListCurrentRow(), -1);
    EXPECT_EQ(shell->PageListSelectedCount(), 0);
}

TEST_P(ShellContract, TheScannedBitmapIsHandedOverOnce) {
    EXPECT_EQ(shell->TakeScannedDib(), nullptr);
    HDIB first = GlobalAlloc(GMEM_MOVEABLE, 64);
    HDIB second = GlobalAlloc(GMEM_MOVEABLE, 64);
    shell->PutScannedDib(first);
    shell->PutScannedDib(second);  // the first is freed by the slot
    HDIB taken = shell->TakeScannedDib();
    EXPECT_EQ(taken, second);
    EXPECT_EQ(shell->TakeScannedDib(), nullptr);
    GlobalFree(taken);
}

TEST_P(ShellContract, ScanNameStatusPanesAndFlagsKeepWhatIsSet) {
    shell->SetScanName("c:\\scans\\page001.tif");
    EXPECT_EQ(shell->ScanName(), "c:\\scans\\page001.tif");
    shell->SetStatusPaneText(kStatusType, kOfficial);
    EXPECT_EQ(shell->StatusPaneText(kStatusType), kOfficial);
    shell->SetBusy(true);
    EXPECT_TRUE(shell->IsBusy());
    shell->SetBusy(false);
    EXPECT_FALSE(shell->IsBusy());
    shell->SetBatchMode(2);
    EXPECT_EQ(shell->BatchMode(), 2);
    shell->SetBatchMode(0);
    shell->SetTextViewShown(true);
    EXPECT_TRUE(shell->IsTextViewShown());
    // Hiding the text column twice, then showing it once, shows it.
    shell->HideTextColumn();
    EXPECT_TRUE(shell->IsSplitterColumnHidden());
    shell->HideTextColumn();
    shell->ShowTextColumn();
    EXPECT_FALSE(shell->IsSplitterColumnHidden());
}

INSTANTIATE_TEST_SUITE_P(Shells, ShellContract, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Program" : "Scripted"; });

}  // namespace
}  // namespace scribanttest
