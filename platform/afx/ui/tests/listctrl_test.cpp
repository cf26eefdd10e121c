// List controls (items, data, states, label editing, custom draw), tree
// controls and tab controls.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include "platform/afx/ui/listctrl.h"
#include "platform/afx/ui/testing.h"
#include "platform/afx/ui/tests/test_app.h"

namespace {

class ListParent : public CWnd {
public:
    std::vector<int> changed;
    int endEdits = 0;
    BOOL acceptEdit = TRUE;
    int customDraws = 0;
    void OnItemChanged(NMHDR* hdr, LRESULT* result) {
        auto* nm = reinterpret_cast<NMLISTVIEW*>(hdr);
        if (nm->uNewState & LVIS_SELECTED) changed.push_back(nm->iItem);
        *result = 0;
    }
    void OnEndLabelEdit(NMHDR* hdr, LRESULT* result) {
        auto* info = reinterpret_cast<NMLVDISPINFO*>(hdr);
        ++endEdits;
        *result = info->item.pszText && acceptEdit;
    }
    void OnCustomDraw(NMHDR* hdr, LRESULT* result) {
        auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(hdr);
        ++customDraws;
        if (cd->nmcd.dwItemSpec == 1) cd->clrText = RGB(255, 0, 0);
        *result = CDRF_DODEFAULT;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(ListParent, CWnd)
    ON_NOTIFY(LVN_ITEMCHANGED, 30, OnItemChanged)
    ON_NOTIFY(LVN_ENDLABELEDIT, 30, OnEndLabelEdit)
    ON_NOTIFY(NM_CUSTOMDRAW, 30, OnCustomDraw)
END_MESSAGE_MAP()

class ListTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureUi();
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "Lists", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr));
        ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_EDITLABELS, CRect(0, 0, 380, 250), &parent, 30));
        list.InsertColumn(0, "Page", LVCFMT_LEFT, 150);
        list.InsertColumn(1, "Language", LVCFMT_LEFT, 80);
        list.InsertColumn(2, "State", LVCFMT_LEFT, 80);
        for (int i = 0; i < 3; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "page%d.tif", i + 1);
            int at = list.InsertItem(i, name);
            list.SetItemText(at, 1, i == 1 ? "\xD6\xD0\xCE\xC4" : "English");
            list.SetItemData(at, 100 + i);
        }
    }
    void TearDown() override { parent.DestroyWindow(); }
    ListParent parent;
    CListCtrl list;
};

TEST_F(ListTest, ItemsKeepTextDataAndStates) {
    EXPECT_EQ(list.GetItemCount(), 3);
    EXPECT_STREQ(list.GetItemText(1, 1), "\xD6\xD0\xCE\xC4");
    EXPECT_STREQ(list.GetItemText(7, 0), "");
    EXPECT_EQ(list.GetItemData(2), 102u);
    list.SetItemState(2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(list.GetSelectedCount(), 2u);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 2);
    std::vector<int> selected;
    for (POSITION pos = list.GetFirstSelectedItemPosition(); pos;) selected.push_back(list.GetNextSelectedItem(pos));
    EXPECT_EQ(selected, (std::vector<int>{0, 2}));
    EXPECT_EQ(parent.changed, (std::vector<int>{2, 0}));
    // Deleting an item moves the later ones up with their data.
    EXPECT_TRUE(list.DeleteItem(0));
    EXPECT_EQ(list.GetItemData(0), 101u);
    EXPECT_FALSE(list.DeleteItem(5));
    list.SetItemState(-1, 0, LVIS_SELECTED);
    EXPECT_EQ(list.GetSelectedCount(), 0u);
    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(list.GetItemCount(), 0);
}

TEST_F(ListTest, LabelEditsAskTheParent) {
    CWnd* edit = list.EditLabel(1);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(list.GetEditControl(), edit);
    edit->SetWindowText("renamed.tif");
    AfxTestKey(edit, VK_RETURN);
    EXPECT_EQ(list.GetEditControl(), nullptr);
    EXPECT_EQ(parent.endEdits, 1);
    EXPECT_STREQ(list.GetItemText(1, 0), "renamed.tif");
    parent.acceptEdit = FALSE;
    edit = list.EditLabel(0);
    ASSERT_NE(edit, nullptr);
    edit->SetWindowText("refused.tif");
    AfxTestKey(edit, VK_RETURN);
    EXPECT_STREQ(list.GetItemText(0, 0), "page1.tif");
    // Esc cancels: the parent hears of it with no text.
    parent.acceptEdit = TRUE;
    edit = list.EditLabel(2);
    ASSERT_NE(edit, nullptr);
    edit->SetWindowText("cancelled.tif");
    AfxTestKey(edit, VK_ESCAPE);
    EXPECT_STREQ(list.GetItemText(2, 0), "page3.tif");
    EXPECT_EQ(parent.endEdits, 3);
}

TEST_F(ListTest, CustomDrawColoursItems) {
    parent.ShowWindow(SW_SHOW);
    QImage shot = list.GetWidget()->grab().toImage();
    EXPECT_GT(parent.customDraws, 0);
    int red = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            QColor c = shot.pixelColor(x, y);
            if (c.red() > 180 && c.green() < 80 && c.blue() < 80) ++red;
        }
    EXPECT_GT(red, 5);  // the second row's text is red
}

TEST(TreeControl, BuildsWalksAndRefusesForeignHandles) {
    EnsureUi();
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "Tree", WS_OVERLAPPEDWINDOW, 0, 0, 300, 300, nullptr, nullptr));
    CTreeCtrl tree, other;
    ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_LINESATROOT, CRect(0, 0, 200, 200), &parent, 40));
    ASSERT_TRUE(other.Create(WS_CHILD, CRect(0, 0, 10, 10), &parent, 41));
    HTREEITEM root = tree.InsertItem("Scanners");
    HTREEITEM b = tree.InsertItem("Button B", root, TVI_SORT);
    HTREEITEM a = tree.InsertItem("Button A", root, TVI_SORT);
    tree.SetItemData(b, 2);
    EXPECT_EQ(tree.GetChildItem(root), a);
    EXPECT_EQ(tree.GetNextSiblingItem(a), b);
    EXPECT_EQ(tree.GetNextSiblingItem(b), nullptr);
    EXPECT_EQ(tree.GetParentItem(b), root);
    EXPECT_EQ(tree.GetItemData(b), 2u);
    EXPECT_TRUE(tree.ItemHasChildren(root));
    EXPECT_EQ(tree.GetCount(), 3u);
    EXPECT_TRUE(tree.SelectItem(b));
    EXPECT_EQ(tree.GetSelectedItem(), b);
    EXPECT_FALSE(other.SetItemText(b, "x"));  // not its item
    EXPECT_TRUE(tree.DeleteItem(root));
    EXPECT_EQ(tree.GetCount(), 0u);
    EXPECT_FALSE(tree.SetItemText(a, "gone"));  // deleted with its parent
    parent.DestroyWindow();
}

TEST(TabControl, KeepsTabsAndSelection) {
    EnsureUi();
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "Tabs", WS_OVERLAPPEDWINDOW, 0, 0, 300, 100, nullptr, nullptr));
    CTabCtrl tabs;
    ASSERT_TRUE(tabs.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 30), &parent, 50));
    tabs.InsertItem(0, "General");
    tabs.InsertItem(1, "Output");
    EXPECT_EQ(tabs.GetItemCount(), 2);
    EXPECT_EQ(tabs.SetCurSel(1), 0);
    EXPECT_EQ(tabs.GetCurSel(), 1);
    EXPECT_EQ(tabs.SetCurSel(9), -1);
    parent.DestroyWindow();
}

}  // namespace
