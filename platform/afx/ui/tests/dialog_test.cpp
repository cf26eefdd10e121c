// Dialogs from templates: controls by id at dialog-unit positions, data
// exchange both ways with validation, scripted modal runs and message boxes,
// and the controls' own messages.
#include <gtest/gtest.h>

#include <QAbstractSlider>

#include "platform/afx/ui/tests/sample_ids.h"
#include "platform/afx/ui/tests/test_app.h"
#include "platform/win/library.h"

namespace {

class SettingsDlg : public CDialog {
public:
    SettingsDlg() : CDialog(IDD_SETTINGS) {}
    CString m_name = "Li";
    int m_count = 3;
    int m_keep = 1;
    int m_mode = 1;
    int m_kind = 0;
    CListBox m_list;
    void DoDataExchange(CDataExchange* dx) override {
        DDX_Text(dx, IDC_NAME, m_name);
        DDV_MaxChars(dx, m_name, 10);
        DDX_Text(dx, IDC_COUNT, m_count);
        DDV_MinMaxInt(dx, m_count, 1, 99);
        DDX_Check(dx, IDC_KEEP, m_keep);
        DDX_Radio(dx, IDC_MODE_A, m_mode);
        DDX_CBIndex(dx, IDC_KIND, m_kind);
        DDX_Control(dx, IDC_LIST, m_list);
    }
    BOOL OnInitDialog() override {
        auto* kind = static_cast<CComboBox*>(GetDlgItem(IDC_KIND));
        kind->AddString("beta");
        kind->AddString("alpha");
        kind->AddString("gamma");
        CDialog::OnInitDialog();
        m_list.AddString("pear");
        m_list.AddString("apple");
        return TRUE;
    }
};

struct Seen {
    CString name, kind0, list0;
    int count = -1, keep = -1, modeB = -1, kindSel = -2;
    CRect nameRect;
    CSize base;
    int listItems = 0;
};

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureUi();
        ASSERT_TRUE(UseSampleResources());
        AfxTestScript::Enable(true);
        AfxTestScript::Clear();
    }
    void TearDown() override {
        AfxTestScript::Clear();
        AfxTestScript::Enable(false);
    }
};

TEST_F(DialogTest, ModalRunExchangesDataBothWays) {
    static Seen seen;
    AfxTestScript::QueueDialogAction(
        [](CWnd* dlg, void*) {
            // What OnInitDialog put into the controls.
            dlg->GetDlgItemText(IDC_NAME, seen.name);
            seen.count = static_cast<int>(dlg->GetDlgItemInt(IDC_COUNT));
            seen.keep = static_cast<int>(dlg->IsDlgButtonChecked(IDC_KEEP));
            seen.modeB = static_cast<int>(dlg->IsDlgButtonChecked(IDC_MODE_B));
            auto* kind = static_cast<CComboBox*>(dlg->GetDlgItem(IDC_KIND));
            kind->GetLBText(0, seen.kind0);
            seen.kindSel = kind->GetCurSel();
            auto* list = static_cast<CListBox*>(dlg->GetDlgItem(IDC_LIST));
            seen.listItems = list->GetCount();
            list->GetText(0, seen.list0);
            dlg->GetDlgItem(IDC_NAME)->GetWindowRect(&seen.nameRect);
            dlg->ScreenToClient(&seen.nameRect);
            // A person's changes.
            dlg->SetDlgItemText(IDC_NAME, "Zhang");
            dlg->SetDlgItemInt(IDC_COUNT, 17);
            dlg->CheckDlgButton(IDC_KEEP, BST_UNCHECKED);
            dlg->GetDlgItem(IDC_MODE_C)->SendMessage(BM_CLICK);
            kind->SetCurSel(2);
        },
        nullptr);
    AfxTestScript::QueueAnswer(IDOK);
    SettingsDlg dlg;
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_STREQ(seen.name, "Li");
    EXPECT_EQ(seen.count, 3);
    EXPECT_EQ(seen.keep, 1);
    EXPECT_EQ(seen.modeB, 1);
    EXPECT_STREQ(seen.kind0, "alpha");  // sorted as it was added
    EXPECT_EQ(seen.kindSel, 0);
    EXPECT_EQ(seen.listItems, 2);
    EXPECT_STREQ(seen.list0, "apple");
    // The edit sits at (50, 7) dialog units.
    CSize base = dlg.m_baseUnits;
    EXPECT_EQ(seen.nameRect.left, 50 * base.cx / 4);
    EXPECT_EQ(seen.nameRect.top, 7 * base.cy / 8);
    EXPECT_EQ(seen.nameRect.Width(), 170 * base.cx / 4 - 50 * base.cx / 4);
    EXPECT_STREQ(dlg.m_name, "Zhang");
    EXPECT_EQ(dlg.m_count, 17);
    EXPECT_EQ(dlg.m_keep, 0);
    EXPECT_EQ(dlg.m_mode, 2);  // the auto radio button cleared the others of its group
    EXPECT_EQ(dlg.m_kind, 2);
    EXPECT_EQ(dlg.m_list.m_hWnd, nullptr);  // gone with the dialog
    auto shown = AfxTestScript::Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, "dialog");
    EXPECT_EQ(shown[0].title, "\xC9\xE8\xD6\xC3");  // the caption in GBK
    EXPECT_EQ(shown[0].type, static_cast<UINT>(IDD_SETTINGS));
    EXPECT_EQ(shown[0].result, IDOK);
}

TEST_F(DialogTest, InvalidInputKeepsTheDialogAndTheMembers) {
    AfxTestScript::QueueDialogAction([](CWnd* dlg, void*) { dlg->SetDlgItemText(IDC_COUNT, "abc"); }, nullptr);
    AfxTestScript::QueueAnswer(IDOK);
    AfxTestScript::QueueAnswer(IDOK);  // the message box about the number
    SettingsDlg dlg;
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.m_count, 3);
    auto shown = AfxTestScript::Shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].kind, "message");
    EXPECT_EQ(shown[0].text, "Please enter an integer.");
    EXPECT_EQ(shown[1].result, IDCANCEL);
}

TEST_F(DialogTest, RangeChecksRejectValuesOutside) {
    AfxTestScript::QueueDialogAction([](CWnd* dlg, void*) { dlg->SetDlgItemText(IDC_COUNT, "500"); }, nullptr);
    AfxTestScript::QueueAnswer(IDOK);
    SettingsDlg dlg;
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    auto shown = AfxTestScript::Shown();
    ASSERT_GE(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Enter an integer between 1 and 99.");
    // The dialog did not end with OK: callers never take the members of a cancelled run.
    EXPECT_EQ(shown.back().result, IDCANCEL);
}

// A modal dialog over its owner takes input while the owner is disabled, and
// the owner is enabled again when it ends.
TEST_F(DialogTest, ModalDialogStaysEnabledOverItsDisabledOwner) {
    SettingsDlg owner;
    ASSERT_TRUE(owner.Create(IDD_SETTINGS));
    static int modalEnabled = -1, ownerEnabled = -1;
    static CWnd* ownerWindow = nullptr;
    ownerWindow = &owner;
    AfxTestScript::QueueDialogAction(
        [](CWnd* dlg, void*) {
            modalEnabled = dlg->IsWindowEnabled() ? 1 : 0;
            ownerEnabled = ownerWindow->IsWindowEnabled() ? 1 : 0;
        },
        nullptr);
    AfxTestScript::QueueAnswer(IDOK);
    SettingsDlg modal;
    modal.m_pParentWnd = &owner;
    EXPECT_EQ(modal.DoModal(), IDOK);
    EXPECT_EQ(modalEnabled, 1);
    EXPECT_EQ(ownerEnabled, 0);
    EXPECT_TRUE(owner.IsWindowEnabled());
    owner.DestroyWindow();
}

TEST_F(DialogTest, UnansweredDialogsCancel) {
    SettingsDlg dlg;
    dlg.m_name = "kept";
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_STREQ(dlg.m_name, "kept");
}

TEST_F(DialogTest, ModelessDialogsLiveUntilDestroyed) {
    SettingsDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_SETTINGS));
    EXPECT_NE(dlg.GetDlgItem(IDC_NAME), nullptr);
    EXPECT_EQ(dlg.GetDlgItem(4242), nullptr);
    EXPECT_EQ(dlg.GetDlgItemInt(IDC_COUNT), 3u);
    BOOL ok = TRUE;
    dlg.SetDlgItemText(IDC_COUNT, "-5");
    EXPECT_EQ(static_cast<int>(dlg.GetDlgItemInt(IDC_COUNT, &ok, TRUE)), -5);
    EXPECT_TRUE(ok);
    dlg.SetDlgItemText(IDC_COUNT, "12x");
    dlg.GetDlgItemInt(IDC_COUNT, &ok);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(dlg.DestroyWindow());
    EXPECT_EQ(dlg.m_hWnd, nullptr);
}

TEST_F(DialogTest, ScriptedMessageBoxesAnswerAndRecord) {
    AfxTestScript::QueueAnswer(IDNO);
    EXPECT_EQ(AfxMessageBox("Save the page?", MB_YESNOCANCEL | MB_ICONQUESTION), IDNO);
    // Nothing queued: the default button answers.
    EXPECT_EQ(AfxMessageBox("Replace it?", MB_YESNO | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(AfxMessageBox("Done"), IDOK);
    // An answer the box does not offer falls back to its default.
    AfxTestScript::QueueAnswer(IDRETRY);
    EXPECT_EQ(AfxMessageBox("Stop?", MB_OKCANCEL), IDOK);
    auto shown = AfxTestScript::Shown();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0].title, "UiTests");
    EXPECT_EQ(shown[0].text, "Save the page?");
    EXPECT_EQ(shown[0].buttons, (std::vector<std::string>{"Yes", "No", "Cancel"}));
    EXPECT_EQ(shown[0].type & MB_ICONMASK, MB_ICONQUESTION);
    EXPECT_EQ(shown[1].buttons, (std::vector<std::string>{"Yes", "No"}));
    EXPECT_EQ(shown[2].buttons, std::vector<std::string>{"OK"});
    EXPECT_EQ(::MessageBox(nullptr, "x", "Caption", MB_RETRYCANCEL), IDRETRY);
    EXPECT_EQ(AfxTestScript::Shown().back().title, "Caption");
}

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureUi();
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "Controls", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr));
    }
    void TearDown() override { parent.DestroyWindow(); }
    CWnd parent;
};

TEST_F(ControlsTest, ListBoxesSortAndKeepItemData) {
    CListBox list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LBS_SORT | LBS_NOTIFY, CRect(0, 0, 100, 100), &parent, 10));
    EXPECT_EQ(list.AddString("pear"), 0);
    EXPECT_EQ(list.AddString("Apple"), 0);
    EXPECT_EQ(list.AddString("banana"), 1);
    list.SetItemData(1, 77);
    EXPECT_EQ(list.GetItemData(1), 77u);
    EXPECT_EQ(list.FindString(-1, "ba"), 1);
    EXPECT_EQ(list.FindStringExact(-1, "APPLE"), 0);
    EXPECT_EQ(list.FindString(-1, "zz"), LB_ERR);
    EXPECT_EQ(list.GetCurSel(), LB_ERR);
    list.SetCurSel(2);
    CString t;
    list.GetText(list.GetCurSel(), t);
    EXPECT_STREQ(t, "pear");
    EXPECT_EQ(list.DeleteString(0), 2);
    EXPECT_EQ(list.DeleteString(9), LB_ERR);
    EXPECT_EQ(list.GetItemData(0), 77u);  // data moves with its item
}

TEST_F(ControlsTest, CombosEditsAndRanges) {
    CComboBox combo;
    ASSERT_TRUE(combo.Create(WS_CHILD | CBS_DROPDOWNLIST, CRect(0, 0, 100, 20), &parent, 11));
    combo.AddString("one");
    combo.AddString("two");
    EXPECT_EQ(combo.SetCurSel(5), CB_ERR);
    EXPECT_EQ(combo.GetCurSel(), -1);
    EXPECT_EQ(combo.SelectString(-1, "tw"), 1);
    CString text;
    combo.GetWindowText(text);
    EXPECT_STREQ(text, "two");

    CEdit edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | ES_AUTOHSCROLL, CRect(0, 30, 100, 50), &parent, 12));
    edit.SetWindowText("\xD6\xD0\xCE\xC4" "abc");  // "中文abc"
    edit.SetSel(2, 5);  // bytes, as GetSel reports them
    int a = 0, b = 0;
    edit.GetSel(a, b);
    EXPECT_EQ(a, 2);  // bytes: one double-byte character before the selection
    EXPECT_EQ(b, 5);
    edit.ReplaceSel("X");
    edit.GetWindowText(text);
    EXPECT_STREQ(text, "\xD6\xD0" "Xbc");

    CProgressCtrl progress;
    ASSERT_TRUE(progress.Create(WS_CHILD, CRect(0, 60, 100, 70), &parent, 13));
    progress.SetRange(0, 10);
    progress.SetStep(4);
    progress.StepIt();
    progress.StepIt();
    EXPECT_EQ(progress.GetPos(), 8);
    progress.SetPos(50);
    EXPECT_EQ(progress.GetPos(), 10);  // kept inside the range

    CSliderCtrl slider;
    ASSERT_TRUE(slider.Create(WS_CHILD, CRect(0, 80, 100, 100), &parent, 14));
    slider.SetRange(5, 25);
    slider.SetPos(30);
    EXPECT_EQ(slider.GetPos(), 25);
}

class ScrollParent : public CWnd {
public:
    std::vector<UINT> codes;
    afx_msg void OnVScroll(UINT code, UINT, CScrollBar* bar) {
        codes.push_back(code);
        if (bar && code == SB_LINEDOWN) bar->SetScrollPos(bar->GetScrollPos() + 10);
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(ScrollParent, CWnd)
    ON_WM_VSCROLL()
END_MESSAGE_MAP()

TEST(ScrollBarControl, ReportsCodesAndMovesOnlyWhenTold) {
    EnsureUi();
    ScrollParent parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "Scroll", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr, nullptr));
    CScrollBar bar;
    ASSERT_TRUE(bar.Create(WS_CHILD | WS_VISIBLE | SBS_VERT, CRect(0, 0, 16, 150), &parent, 20));
    bar.SetScrollRange(0, 100);
    bar.SetScrollPos(40);
    EXPECT_EQ(bar.GetScrollPos(), 40);
    auto* q = qobject_cast<QAbstractSlider*>(bar.GetWidget());
    ASSERT_NE(q, nullptr);
    q->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    q->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(parent.codes, (std::vector<UINT>{SB_LINEDOWN, SB_PAGEUP}));
    // The parent moved it on the line step only; the page step left it where it was.
    EXPECT_EQ(bar.GetScrollPos(), 50);
    EXPECT_EQ(q->value(), 50);
    bar.SetScrollPos(500);
    EXPECT_EQ(bar.GetScrollPos(), 100);
    parent.DestroyWindow();
}

}  // namespace
