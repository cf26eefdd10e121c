// What the document, the task and the views rely on of the shell, as cases
// any shell must pass: the scripted shell of the other subsystems' tests and
// each program's own (application and main frame). A test program includes
// this once and instantiates ShellContract with the shells it can make, so
// that none of them can drift from the others.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/win/memory.h"
#include "shell/shell_services.h"

namespace shellcontract {

// One shell for one test, with whatever it needs around it; gone after it.
class ShellUnderTest {
public:
    virtual ~ShellUnderTest() = default;
    virtual CShellServices* Shell() = 0;
};

struct NamedShell {
    std::string name;
    std::function<std::unique_ptr<ShellUnderTest>()> make;
};

inline std::string ShellName(const ::testing::TestParamInfo<NamedShell>& info) { return info.param.name; }
inline void PrintTo(const NamedShell& shell, std::ostream* out) { *out << shell.name; }

class ShellContract : public ::testing::TestWithParam<NamedShell> {
protected:
    void SetUp() override {
        holder = GetParam().make();
        ASSERT_NE(holder, nullptr);
        shell = holder->Shell();
        ASSERT_NE(shell, nullptr);
    }
    void TearDown() override { holder.reset(); }
    std::unique_ptr<ShellUnderTest> holder;
    CShellServices* shell = nullptr;
};

// Texts of the list are in the ANSI code page (GBK here).
inline const std::string kSimplified = "\xBC\xF2\xCC\xE5";  // 简体
inline const std::string kAutomatic = "\xD7\xD4\xB6\xAF";   // 自动
inline const std::string kTable = "\xB1\xED\xB8\xF1";       // 表格
inline const std::string kOfficial = "\xB9\xAB\xCE\xC4";    // 公文

inline FileItemInfo Item(const std::string& path, int status = 0) {
    return FileItemInfo{path, kSimplified, kAutomatic, status, "300"};
}

// The installed shell answers the page image, the document and the views too.
TEST_P(ShellContract, IsTheInstalledShell) {
    EXPECT_EQ(&ShellServices(), shell);
    EXPECT_EQ(&ViewHost(), shell);
    EXPECT_EQ(&DocumentHost(), shell);
    EXPECT_EQ(&ImageHost(), shell);
}

TEST_P(ShellContract, PageListRowsAreAddedOnceFoundAndSelected) {
    EXPECT_EQ(shell->PageListRowCount(), 0);
    EXPECT_EQ(shell->PageListCurrentRow(), -1);
    EXPECT_EQ(shell->PageListUpdateItem(Item("C:\\a.tif")), 0);
    EXPECT_EQ(shell->PageListUpdateItem(Item("C:\\b.tif")), 1);
    // A listed file, in any letter case, keeps its row as it is.
    EXPECT_EQ(shell->PageListUpdateItem(Item("C:\\a.tif", 2)), -1);
    EXPECT_EQ(shell->PageListUpdateItem(Item("c:\\A.TIF", 2)), -1);
    EXPECT_EQ(shell->PageListRowCount(), 2);
    EXPECT_EQ(shell->PageListItemText(0, kPageListStatus), "0");
    EXPECT_EQ(shell->PageListItemText(1, kPageListLanguage), kSimplified);
    EXPECT_EQ(shell->PageListItemText(7, kPageListPath), "");
    EXPECT_EQ(shell->PageListFindItem("C:\\b.tif"), 1);
    EXPECT_EQ(shell->PageListCurrentRow(), 1);
    EXPECT_EQ(shell->PageListSelectedRows(), std::vector<int>{1});
    EXPECT_EQ(shell->PageListFindItem("C:\\B.TIF"), 1) << "letter case does not count";
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

}  // namespace shellcontract
