// The page list as a window: its layout in the file bar, the Delete key,
// the cell editors and moving rows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/afx/ui/testing.h"
#include "shell/frame/file_list_ctrl.h"
#include "shell/frame/tests/chrome_fixture.h"

namespace {

class PageListWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(language_.Loaded());
        ASSERT_TRUE(parent_.CreateEx(0, nullptr, "Pages", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 320, 420), nullptr, 0));
        ASSERT_TRUE(list_.Create(&parent_, 1009));
        list_.Resize(302, 400);
        for (int i = 0; i < 10; ++i) {
            const int row = list_.InsertItem(i, ("C:\\pages\\page" + std::to_string(i) + ".tif").c_str());
            list_.SetItemText(row, kPageListLanguage, Text(61211).c_str());
            list_.SetItemText(row, kPageListType, Text(61214).c_str());
            list_.SetItemText(row, kPageListResolution, "300");
        }
        list_.onOpenRow = [this](int row) { opened_.push_back(row); };
        list_.onModified = [this] { ++modified_; };
        list_.onShowCell = [this](int pane, const std::string& text) { shown_.emplace_back(pane, text); };
    }
    void TearDown() override {
        list_.DestroyWindow();
        parent_.DestroyWindow();
        AfxPumpMessages();
    }
    static std::string Text(UINT id) {
        CString s;
        s.LoadString(id);
        return s.GetString();
    }
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (int r = 0; r < list_.GetItemCount(); ++r) names.emplace_back(list_.GetItemText(r, kPageListPath).GetString());
        return names;
    }
    CPoint CellPoint(int row, int column) {
        CRect r;
        list_.GetItemRect(row, &r, LVIR_BOUNDS);
        int x = r.left;
        for (int c = 0; c < column; ++c) x += list_.GetColumnWidth(c);
        return CPoint(x + 3, r.CenterPoint().y);
    }

    chrometest::Language language_;
    CWnd parent_;
    CFileListCtrl list_;
    std::vector<int> opened_;
    int modified_ = 0;
    std::vector<std::pair<int, std::string>> shown_;
};

TEST_F(PageListWindow, ColumnsFollowTheBarsWidth) {
    EXPECT_EQ(list_.GetColumnWidth(0), 235);
    EXPECT_EQ(list_.GetColumnWidth(1), 65);
    EXPECT_EQ(list_.GetColumnWidth(2), 0);
    EXPECT_EQ(list_.GetColumnWidth(4), 0);
    list_.Resize(602, 400);
    EXPECT_EQ(list_.GetColumnWidth(0), 500);
    EXPECT_EQ(list_.GetColumnWidth(1), 100);
    CRect r;
    list_.GetWindowRect(&r);
    EXPECT_EQ(r.Width(), 600);
}

TEST_F(PageListWindow, DeleteTakesExactlyTheSelectedRows) {
    for (int row : {2, 3, 7}) list_.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
    list_.SendMessage(WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(Names(), (std::vector<std::string>{"C:\\pages\\page0.tif", "C:\\pages\\page1.tif", "C:\\pages\\page4.tif",
                                                 "C:\\pages\\page5.tif", "C:\\pages\\page6.tif", "C:\\pages\\page8.tif",
                                                 "C:\\pages\\page9.tif"}));
    EXPECT_EQ(modified_, 1);
    EXPECT_EQ(opened_.size(), 1u) << "the focused row's image opens";
}

TEST_F(PageListWindow, TheLanguageListOpensOnTheCellsEntryAndWritesOnlyAChoice) {
    list_.SetItemText(4, kPageListLanguage, Text(61213).c_str());
    list_.SelectItem(4);
    list_.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(CellPoint(4, 1).x, CellPoint(4, 1).y));
    auto* combo = dynamic_cast<CComboBox*>(list_.CellEditor());
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->GetCount(), 3);
    EXPECT_EQ(combo->GetCurSel(), 2) << "the cell's own entry, not the first";
    // Closed with nothing chosen: the cell stays.
    combo->SetCurSel(-1);
    list_.EndCellEdit(false);
    EXPECT_EQ(list_.CellEditor(), nullptr);
    EXPECT_EQ(std::string(list_.GetItemText(4, kPageListLanguage).GetString()), Text(61213));
    EXPECT_TRUE(shown_.empty());
    // A choice is written and shown in status pane 2.
    ASSERT_TRUE(list_.EditCell(4, 1));
    static_cast<CComboBox*>(list_.CellEditor())->SetCurSel(1);
    list_.EndCellEdit(false);
    EXPECT_EQ(std::string(list_.GetItemText(4, kPageListLanguage).GetString()), Text(61212));
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_EQ(shown_[0], std::make_pair(2, Text(61212)));
    // Esc: no change, but the job is marked.
    const int before = modified_;
    ASSERT_TRUE(list_.EditCell(4, 1));
    static_cast<CComboBox*>(list_.CellEditor())->SetCurSel(0);
    list_.EndCellEdit(true);
    EXPECT_EQ(std::string(list_.GetItemText(4, kPageListLanguage).GetString()), Text(61212));
    EXPECT_EQ(modified_, before + 1);
}

// A click opens the language list, which takes the focus: the edit goes on
// until the list closes on the entry clicked; a scroll of the page list ends it.
TEST_F(PageListWindow, TheLanguageListStaysOpenOnAClickAndAScrollEndsIt) {
    list_.SetFocus();
    list_.SelectItem(4);
    ASSERT_TRUE(list_.EditCell(4, 1));
    auto* combo = dynamic_cast<CComboBox*>(list_.CellEditor());
    ASSERT_NE(combo, nullptr);
    AfxPumpMessages();
    CRect box;
    combo->GetClientRect(&box);
    AfxTestClick(combo, box.CenterPoint());
    AfxPumpMessages();
    EXPECT_EQ(list_.CellEditor(), combo) << "the click that opens the list ends nothing";
    // The list closes on an entry: the edit ends with it.
    combo->SetCurSel(2);
    combo->ShowDropDown(FALSE);
    for (int i = 0; i < 5 && list_.CellEditor(); ++i) AfxPumpMessages();
    EXPECT_EQ(list_.CellEditor(), nullptr);
    EXPECT_EQ(std::string(list_.GetItemText(4, kPageListLanguage).GetString()), Text(61213));
    // An editor open when the list scrolls goes with the scroll.
    ASSERT_TRUE(list_.EditCell(4, 1));
    list_.SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
    AfxPumpMessages();
    EXPECT_EQ(list_.CellEditor(), nullptr);
}

TEST_F(PageListWindow, OnlyTheFocusedRowsEditableCellsOpenEditors) {
    list_.SelectItem(4);
    list_.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(CellPoint(5, 1).x, CellPoint(5, 1).y));
    EXPECT_EQ(list_.CellEditor(), nullptr) << "not the focused row";
    list_.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(CellPoint(4, 0).x, CellPoint(4, 0).y));
    EXPECT_EQ(list_.CellEditor(), nullptr) << "the File cell";
    EXPECT_FALSE(list_.EditCell(4, 2)) << "the Type column is hidden";
    EXPECT_FALSE(list_.EditCell(4, 4)) << "so is Resolution";
    EXPECT_FALSE(list_.EditCell(40, 1));
}

TEST_F(PageListWindow, TheResolutionTakesOnlyASaneNumber) {
    list_.SetColumnWidth(4, 50);
    for (const char* typed : {"abc", "0", "-5", "99999"}) {
        ASSERT_TRUE(list_.EditCell(2, 4));
        list_.CellEditor()->SetWindowText(typed);
        list_.EndCellEdit(false);
        EXPECT_EQ(std::string(list_.GetItemText(2, kPageListResolution).GetString()), "300") << typed;
    }
    ASSERT_TRUE(list_.EditCell(2, 4));
    list_.CellEditor()->SetWindowText("600");
    list_.EndCellEdit(false);
    EXPECT_EQ(std::string(list_.GetItemText(2, kPageListResolution).GetString()), "600");
    EXPECT_EQ(shown_.back(), std::make_pair(4, std::string("600")));
}

TEST_F(PageListWindow, MovedRowsKeepTheirWholeTextsAndValues) {
    const std::string longPath = "C:\\" + std::string(300, 'p') + "\\long.tif";
    list_.SetItemText(1, kPageListPath, longPath.c_str());
    list_.SetItemData(1, 77);
    list_.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    list_.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    list_.MoveRows(1, -1);  // below the last row
    const std::vector<std::string> names = Names();
    ASSERT_EQ(names.size(), 10u);
    EXPECT_EQ(names[8], longPath) << "the whole path, not its first 255 characters";
    EXPECT_EQ(names[9], "C:\\pages\\page2.tif");
    EXPECT_EQ(list_.GetItemData(8), 77u);
    EXPECT_EQ(names[0], "C:\\pages\\page0.tif");
    EXPECT_EQ(names[1], "C:\\pages\\page3.tif");
    // A selection with a gap: only the row the drag began on moves.
    for (int r = 0; r < 10; ++r) list_.SetItemState(r, 0, LVIS_SELECTED | LVIS_FOCUSED);
    list_.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    list_.SetItemState(5, LVIS_SELECTED, LVIS_SELECTED);
    list_.MoveRows(5, 1);
    EXPECT_EQ(Names()[1], "C:\\pages\\page7.tif") << "row 5 by then";
    EXPECT_EQ(Names()[0], "C:\\pages\\page0.tif");
}

TEST_F(PageListWindow, ADragReleasedOutsideTheListMovesNothing) {
    const std::vector<std::string> before = Names();
    list_.SetItemState(3, LVIS_SELECTED, LVIS_SELECTED);
    NMLISTVIEW note{};
    note.hdr.code = LVN_BEGINDRAG;
    note.iItem = 3;
    LRESULT result = 0;
    list_.OnBeginDrag(&note.hdr, &result);
    list_.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5000, 5000));
    EXPECT_EQ(Names(), before);
}


TEST_F(PageListWindow, AMouseDragCarriesTheRowsPictureAndDropsTheRunBelowTheCursor) {
    // Row 1 clicked, then Shift pressed on row 2: a run of two, the drag beginning on row 2.
    AfxTestClick(&list_, CellPoint(1, 0));
    const CPoint from = CellPoint(2, 0);
    AfxTestMouse(&list_, WM_LBUTTONDOWN, from, MK_SHIFT);
    ASSERT_EQ(list_.SelectedRows(), (std::vector<int>{1, 2}));
    EXPECT_EQ(CImageList::GetDragImage(nullptr, nullptr), nullptr);
    // Past the drag distance the list begins the drag: the picture shows with its hot spot at the cursor.
    const CPoint over = CellPoint(6, 0);
    AfxTestMouse(&list_, WM_MOUSEMOVE, CPoint(from.x, from.y + 8), MK_LBUTTON);
    AfxTestMouse(&list_, WM_MOUSEMOVE, over, MK_LBUTTON);
    POINT at{}, hot{};
    CImageList* picture = CImageList::GetDragImage(&at, &hot);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(CPoint(hot), CPoint(8, 8));
    CPoint screen = over;
    list_.ClientToScreen(&screen);
    EXPECT_EQ(CPoint(at), screen);
    EXPECT_GT(picture->GetIconSize().cx, 0);
    AfxTestMouse(&list_, WM_LBUTTONUP, over, 0);
    EXPECT_EQ(CImageList::GetDragImage(nullptr, nullptr), nullptr) << "the picture goes with the drag";
    const std::vector<std::string> names = Names();
    ASSERT_EQ(names.size(), 10u);
    // Rows 1 and 2 go before the row 10 pixels below the cursor (row 7): after page6.
    EXPECT_EQ(names, (std::vector<std::string>{"C:\\pages\\page0.tif", "C:\\pages\\page3.tif", "C:\\pages\\page4.tif",
                                               "C:\\pages\\page5.tif", "C:\\pages\\page6.tif", "C:\\pages\\page1.tif",
                                               "C:\\pages\\page2.tif", "C:\\pages\\page7.tif", "C:\\pages\\page8.tif",
                                               "C:\\pages\\page9.tif"}));
    EXPECT_EQ(modified_, 1);
    EXPECT_FALSE(opened_.empty());
}

TEST_F(PageListWindow, AListGoingInTheMiddleOfADragTakesThePictureWithIt) {
    const CPoint from = CellPoint(4, 0);
    AfxTestMouse(&list_, WM_LBUTTONDOWN, from, 0);
    AfxTestMouse(&list_, WM_MOUSEMOVE, CPoint(from.x, from.y + 30), MK_LBUTTON);
    ASSERT_NE(CImageList::GetDragImage(nullptr, nullptr), nullptr);
    list_.DestroyWindow();
    EXPECT_EQ(CImageList::GetDragImage(nullptr, nullptr), nullptr);
}

}  // namespace
