// Property sheets: Apply saves what changed, a page refusing keeps the sheet
// open, bad input keeps its page, Cancel resets the pages that were opened.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/afx/ui/dialog.h"
#include "platform/afx/ui/msgbox.h"
#include "platform/afx/ui/tests/sample_ids.h"
#include "platform/afx/ui/tests/test_app.h"

namespace {

std::vector<std::string> g_log;

class CountPage : public CPropertyPage {
public:
    explicit CountPage(const char* name) : CPropertyPage(IDD_SETTINGS), m_label(name) {}
    std::string m_label;
    int m_count = 3;
    int m_saved = -1;
    BOOL m_refuse = FALSE;
    void DoDataExchange(CDataExchange* dx) override {
        DDX_Text(dx, IDC_COUNT, m_count);
        DDV_MinMaxInt(dx, m_count, 1, 99);
    }
    BOOL OnApply() override {
        g_log.push_back("apply " + m_label);
        if (m_refuse) return FALSE;
        m_saved = m_count;
        return CPropertyPage::OnApply();
    }
    void OnReset() override { g_log.push_back("reset " + m_label); }
};

struct SheetRun {
    CPropertySheet* sheet;
    CountPage* first;
    CountPage* second;
    void (*steps)(SheetRun&);
    BOOL applyEnabledAfterEdit = FALSE, applyEnabledAfterApply = TRUE, switched = TRUE;
    int activeAfterBadInput = -1;
};

void SetCount(CPropertyPage* page, const char* text) { page->GetDlgItem(IDC_COUNT)->SetWindowText(text); }
BOOL ApplyEnabled(CPropertySheet* sheet) { return sheet->GetDlgItem(ID_APPLY_NOW)->IsWindowEnabled(); }

class SheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(UseSampleResources());
        AfxTestScript::Enable(true);
        AfxTestScript::Clear();
        g_log.clear();
    }
    void TearDown() override {
        AfxTestScript::Clear();
        AfxTestScript::Enable(false);
    }
    INT_PTR RunSheet(SheetRun& run) {
        AfxTestScript::QueueDialogAction([](CWnd*, void* data) {
            auto* r = static_cast<SheetRun*>(data);
            r->steps(*r);
        }, &run);
        return run.sheet->DoModal();
    }
};

TEST_F(SheetTest, ApplySavesChangedPagesAndOkEndsOnlyWhenAllAgree) {
    CPropertySheet sheet("Settings");
    CountPage first("first"), second("second");
    sheet.AddPage(&first);
    sheet.AddPage(&second);
    SheetRun run{&sheet, &first, &second, [](SheetRun& r) {
                EXPECT_FALSE(ApplyEnabled(r.sheet));
                SetCount(r.first, "42");
                r.first->SetModified();
                r.applyEnabledAfterEdit = ApplyEnabled(r.sheet);
                r.sheet->SendMessage(WM_COMMAND, ID_APPLY_NOW, 0);
                r.applyEnabledAfterApply = ApplyEnabled(r.sheet);
                // The second page is opened; it refuses to apply, so OK leaves the sheet up.
                r.switched = r.sheet->SetActivePage(1);
                r.second->m_refuse = TRUE;
                r.sheet->PressButton(PSBTN_OK);
                EXPECT_FALSE(r.sheet->m_bEnded);
                r.second->m_refuse = FALSE;
                r.sheet->PressButton(PSBTN_OK);
            }};
    EXPECT_EQ(RunSheet(run), IDOK);
    EXPECT_TRUE(run.applyEnabledAfterEdit);
    EXPECT_FALSE(run.applyEnabledAfterApply);
    EXPECT_TRUE(run.switched);
    EXPECT_EQ(first.m_saved, 42);
    EXPECT_EQ(second.m_saved, 3);
    EXPECT_FALSE(first.IsModified());
    EXPECT_EQ(g_log, (std::vector<std::string>{"apply first", "apply first", "apply second", "apply first",
                                               "apply second"}));
}

TEST_F(SheetTest, BadInputKeepsItsPageAndCancelResetsTheOpenedPages) {
    CPropertySheet sheet("Settings");
    CountPage first("first"), second("second"), third("third");
    sheet.AddPage(&first);
    sheet.AddPage(&second);
    sheet.AddPage(&third);
    SheetRun run{&sheet, &first, &second, [](SheetRun& r) {
                r.sheet->SetActivePage(1);
                SetCount(r.second, "500");  // outside 1..99
                r.switched = r.sheet->SetActivePage(0);
                r.activeAfterBadInput = r.sheet->GetActiveIndex();
                r.sheet->PressButton(PSBTN_APPLYNOW);
                r.sheet->PressButton(PSBTN_CANCEL);
            }};
    AfxTestScript::QueueAnswer(IDOK);  // the range message box
    AfxTestScript::QueueAnswer(IDOK);
    EXPECT_EQ(RunSheet(run), IDCANCEL);
    EXPECT_FALSE(run.switched);
    EXPECT_EQ(run.activeAfterBadInput, 1);
    // Nothing was applied past the bad page; the page never opened is not reset.
    EXPECT_EQ(first.m_saved, -1);
    EXPECT_EQ(second.m_saved, -1);
    EXPECT_EQ(g_log, (std::vector<std::string>{"reset first", "reset second"}));
}

}  // namespace
