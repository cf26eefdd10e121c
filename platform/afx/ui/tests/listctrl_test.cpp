// List controls (items, data, states, label editing, custom draw), tree
// controls and tab controls.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QAbstractScrollArea>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>
#include <string>

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
    std::vector<int> clicks, drags, columnClicks;
    std::vector<UINT> keys;
    void OnKey(NMHDR* hdr, LRESULT* result) {
        keys.push_back(hdr->code == NM_RETURN ? 0u : reinterpret_cast<NMLVKEYDOWN*>(hdr)->wVKey);
        *result = 0;
    }
    void OnColumnClick(NMHDR* hdr, LRESULT* result) {
        columnClicks.push_back(reinterpret_cast<NMLISTVIEW*>(hdr)->iSubItem);
        *result = 0;
    }
    void OnClick(NMHDR* hdr, LRESULT* result) {
        clicks.push_back(reinterpret_cast<NMLISTVIEW*>(hdr)->iItem);
        *result = 0;
    }
    void OnBeginDrag(NMHDR* hdr, LRESULT* result) {
        drags.push_back(reinterpret_cast<NMLISTVIEW*>(hdr)->iItem);
        *result = 0;
    }
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
    ON_NOTIFY(NM_CLICK, 30, OnClick)
    ON_NOTIFY(LVN_COLUMNCLICK, 30, OnColumnClick)
    ON_NOTIFY(LVN_KEYDOWN, 33, OnKey)
    ON_NOTIFY(NM_RETURN, 33, OnKey)
    ON_NOTIFY(LVN_BEGINDRAG, 30, OnBeginDrag)
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

TEST_F(ListTest, FindItemTextMatchesWholeTextsExactly) {
    EXPECT_EQ(list.FindItemText(0, "page2.tif"), 1);
    EXPECT_EQ(list.FindItemText(0, "PAGE2.TIF"), -1) << "no case folding";
    EXPECT_EQ(list.FindItemText(0, "page2"), -1) << "whole texts only";
    EXPECT_EQ(list.FindItemText(1, "\xD6\xD0\xCE\xC4"), 1);
    EXPECT_EQ(list.FindItemText(1, "English"), 0);
    EXPECT_EQ(list.FindItemText(1, "English", 1), 2) << "from the start row on";
    list.InsertItem(3, "p*ge?.tif");
    EXPECT_EQ(list.FindItemText(0, "p*ge?.tif"), 3);
    EXPECT_EQ(list.FindItemText(0, "p*ge1.tif"), -1) << "no wildcards";
    EXPECT_EQ(list.FindItemText(0, nullptr), -1);
    EXPECT_EQ(list.FindItemText(9, "page1.tif"), -1);
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

TEST_F(ListTest, ClicksReportRowsAndEmptySpaceAndDragsBeginOnRows) {
    parent.ShowWindow(SW_SHOW);
    CRect row;
    ASSERT_TRUE(list.GetItemRect(1, &row, LVIR_BOUNDS));
    AfxTestClick(&list, CPoint(row.left + 20, row.CenterPoint().y));
    EXPECT_EQ(list.GetItemState(1, LVIS_SELECTED | LVIS_FOCUSED), LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(parent.clicks, (std::vector<int>{1}));
    // Below the last row: a click on no item.
    AfxTestClick(&list, CPoint(20, 240));
    EXPECT_EQ(parent.clicks, (std::vector<int>{1, -1}));
    CPoint start(row.left + 20, row.CenterPoint().y);
    AfxTestMouse(&list, WM_LBUTTONDOWN, start);
    AfxTestMouse(&list, WM_MOUSEMOVE, CPoint(start.x, start.y + 30), MK_LBUTTON);
    AfxTestMouse(&list, WM_LBUTTONUP, CPoint(start.x, start.y + 30));
    EXPECT_EQ(parent.drags, (std::vector<int>{1}));
    EXPECT_EQ(parent.clicks.size(), 2u);  // the drag was no click
}

// A list that notes where its mouse messages say the mouse is.
class MouseNotingList : public CListCtrl {
public:
    std::vector<CPoint> downs, moves;
    afx_msg void OnLButtonDown(UINT flags, CPoint point) {
        downs.push_back(point);
        CListCtrl::OnLButtonDown(flags, point);
    }
    afx_msg void OnMouseMove(UINT flags, CPoint point) {
        moves.push_back(point);
        CListCtrl::OnMouseMove(flags, point);
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(MouseNotingList, CListCtrl)
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
END_MESSAGE_MAP()

TEST(ReportMouse, MessagesCarryClientPointsAndADragFromASelectionKeepsIt) {
    EnsureUi();
    ListParent parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "Lists", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr));
    MouseNotingList list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT, CRect(0, 0, 380, 250), &parent, 30));
    list.InsertColumn(0, "Page", LVCFMT_LEFT, 150);
    for (int i = 0; i < 8; ++i) list.InsertItem(i, ("page" + std::to_string(i) + ".tif").c_str());
    parent.ShowWindow(SW_SHOW);
    auto rowPoint = [&](int row) {
        CRect r;
        list.GetItemRect(row, &r, LVIR_BOUNDS);
        return CPoint(r.left + 20, r.CenterPoint().y);
    };
    auto selected = [&] {
        std::vector<int> rows;
        for (int r = 0; r < list.GetItemCount(); ++r)
            if (list.GetItemState(r, LVIS_SELECTED)) rows.push_back(r);
        return rows;
    };
    // The points are the list's client points (below the header), the ones the row rectangles use.
    AfxTestClick(&list, rowPoint(2));
    ASSERT_FALSE(list.downs.empty());
    EXPECT_EQ(list.downs.back(), rowPoint(2));
    EXPECT_EQ(list.HitTest(list.downs.back()), 2);
    // Rows 2 to 4 selected; a plain press on row 3 keeps them for a drag.
    AfxTestMouse(&list, WM_LBUTTONDOWN, rowPoint(4), MK_SHIFT);
    AfxTestMouse(&list, WM_LBUTTONUP, rowPoint(4), MK_SHIFT);
    ASSERT_EQ(selected(), (std::vector<int>{2, 3, 4}));
    AfxTestMouse(&list, WM_LBUTTONDOWN, rowPoint(3));
    EXPECT_EQ(selected(), (std::vector<int>{2, 3, 4}));
    // Moving with the button down drags: no row is swept into the selection.
    AfxTestMouse(&list, WM_MOUSEMOVE, rowPoint(6), MK_LBUTTON);
    ASSERT_FALSE(list.moves.empty());
    EXPECT_EQ(list.moves.back(), rowPoint(6));
    AfxTestMouse(&list, WM_LBUTTONUP, rowPoint(6));
    EXPECT_EQ(parent.drags, (std::vector<int>{3}));
    EXPECT_EQ(selected(), (std::vector<int>{2, 3, 4}));
    // A press and release without a drag makes the row the only selected one.
    AfxTestClick(&list, rowPoint(3));
    EXPECT_EQ(selected(), (std::vector<int>{3}));
    // From a single row, too, moving drags rather than sweeping.
    AfxTestMouse(&list, WM_LBUTTONDOWN, rowPoint(1));
    AfxTestMouse(&list, WM_MOUSEMOVE, rowPoint(5), MK_LBUTTON);
    AfxTestMouse(&list, WM_LBUTTONUP, rowPoint(5));
    EXPECT_EQ(parent.drags, (std::vector<int>{3, 1}));
    EXPECT_EQ(selected(), (std::vector<int>{1}));
    list.DestroyWindow();
    parent.DestroyWindow();
}

TEST_F(ListTest, StatesBeyondSelectionAndCheckBoxes) {
    list.SetItemState(0, LVIS_FOCUSED, LVIS_FOCUSED);
    list.SetItemState(0, 0, LVIS_FOCUSED);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), -1);  // no focused row any more
    list.SetItemState(2, LVIS_DROPHILITED, LVIS_DROPHILITED);
    EXPECT_EQ(list.GetItemState(2, LVIS_DROPHILITED | LVIS_SELECTED), LVIS_DROPHILITED);
    list.SetItemState(2, 0, LVIS_DROPHILITED);
    EXPECT_EQ(list.GetItemState(2, LVIS_DROPHILITED), 0u);
    list.SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    int added = list.InsertItem(3, "page4.tif");
    EXPECT_FALSE(list.GetCheck(added));
    EXPECT_TRUE(list.SetCheck(added));
    EXPECT_TRUE(list.GetCheck(added));
    EXPECT_EQ(list.GetItemState(added, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(2));
    list.SetItemState(added, INDEXTOSTATEIMAGEMASK(1), LVIS_STATEIMAGEMASK);
    EXPECT_FALSE(list.GetCheck(added));
    EXPECT_FALSE(list.GetCheck(9));
}

TEST_F(ListTest, DragImagesFollowTheDrag) {
    parent.ShowWindow(SW_SHOW);
    CPoint upLeft;
    CImageList* image = list.CreateDragImage(1, &upLeft);
    ASSERT_NE(image, nullptr);
    CRect row;
    list.GetItemRect(1, &row, LVIR_BOUNDS);
    EXPECT_EQ(upLeft, row.TopLeft());
    EXPECT_EQ(image->GetIconSize().cy, row.Height());
    ASSERT_TRUE(image->BeginDrag(0, CPoint(8, 8)));
    EXPECT_TRUE(CImageList::DragEnter(nullptr, CPoint(100, 100)));
    EXPECT_TRUE(CImageList::DragMove(CPoint(140, 120)));
    CPoint at, hot;
    EXPECT_EQ(CImageList::GetDragImage(&at, &hot), image);
    EXPECT_EQ(at, CPoint(140, 120));
    EXPECT_EQ(hot, CPoint(8, 8));
    CImageList::DragLeave(nullptr);
    CImageList::EndDrag();
    EXPECT_EQ(CImageList::GetDragImage(nullptr, nullptr), nullptr);
    EXPECT_FALSE(CImageList::DragMove(CPoint(0, 0)));
    delete image;
}

// An owner-drawn report that paints grid lines over its rows, as the page list does.
class OwnerList : public CListCtrl {
public:
    std::vector<UINT> drawn;
    std::vector<UINT> states;
    CRect firstRect;
    void MeasureItem(LPMEASUREITEMSTRUCT mis) override { mis->itemHeight = 20; }
    void DrawItem(LPDRAWITEMSTRUCT dis) override {
        if (drawn.empty()) firstRect = dis->rcItem;
        drawn.push_back(dis->itemID);
        states.push_back(dis->itemState);
        CDC* dc = CDC::FromHandle(dis->hDC);
        CRect label;
        GetItemRect(static_cast<int>(dis->itemID), &label, LVIR_LABEL);
        CBrush fill((dis->itemState & ODS_SELECTED) ? RGB(128, 128, 255) : RGB(0, 200, 0));
        dc->FillRect(&dis->rcItem, &fill);
    }
    afx_msg void OnPaint() {
        Default();
        CClientDC dc(this);
        CPen pen(PS_SOLID, 1, RGB(255, 0, 0));
        CPen* old = dc.SelectObject(&pen);
        CRect row;
        GetItemRect(0, &row, LVIR_BOUNDS);
        dc.MoveTo(0, row.bottom);
        dc.LineTo(200, row.bottom);
        dc.SelectObject(old);
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(OwnerList, CListCtrl)
    ON_WM_PAINT()
END_MESSAGE_MAP()

TEST(OwnerDrawnReport, RowsAreDrawnByTheClassAndItsPaintingGoesOnTop) {
    EnsureUi();
    ListParent parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "Pages", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr));
    OwnerList list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED, CRect(0, 0, 280, 180), &parent, 31));
    list.InsertColumn(0, "File", LVCFMT_LEFT, 200);
    list.InsertColumn(1, "Language", LVCFMT_LEFT, 60);
    for (int i = 0; i < 3; ++i) list.InsertItem(i, "page.tif");
    list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    parent.ShowWindow(SW_SHOW);
    QImage shot = list.GetWidget()->grab().toImage();
    ASSERT_GE(list.drawn.size(), 3u);
    CRect r0, r1;
    list.GetItemRect(0, &r0, LVIR_BOUNDS);
    list.GetItemRect(1, &r1, LVIR_BOUNDS);
    EXPECT_EQ(r0.Height(), 20);
    // The label is the first column's cell; the row spans every column.
    CRect label0;
    list.GetItemRect(0, &label0, LVIR_LABEL);
    EXPECT_EQ(label0.left, r0.left);
    EXPECT_EQ(label0.Width(), 200);
    EXPECT_EQ(r0.Width(), 260);
    EXPECT_EQ(list.firstRect, r0);  // the row's box in client coordinates
    EXPECT_NE(std::find(list.states.begin(), list.states.end(), static_cast<UINT>(ODS_SELECTED)), list.states.end());
    EXPECT_EQ(QColor(shot.pixel(r0.left + 30, r0.top + 5)), QColor(0, 200, 0));
    EXPECT_EQ(QColor(shot.pixel(r1.left + 30, r1.top + 5)), QColor(128, 128, 255));
    // The class's own painting lies over the rows.
    EXPECT_EQ(QColor(shot.pixel(50, r0.bottom)), QColor(255, 0, 0));
    parent.DestroyWindow();
}

// A report whose columns the user may not resize, as the page list wants.
class FixedColumns : public CListCtrl {
public:
    std::vector<std::pair<UINT, int>> asked;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override {
        auto* nm = reinterpret_cast<NMHEADER*>(lParam);
        if (nm->hdr.code == HDN_BEGINTRACK || nm->hdr.code == HDN_DIVIDERDBLCLICK) {
            asked.emplace_back(nm->hdr.code, nm->iItem);
            *pResult = 1;
            return TRUE;
        }
        return CListCtrl::OnNotify(wParam, lParam, pResult);
    }
};

// Drags the header's divider from x to x + dx.
void DragDivider(CHeaderCtrl* header, int x, int dx) {
    QWidget* vp = static_cast<QAbstractScrollArea*>(header->GetWidget())->viewport();
    QPointF from(x, 5), to(x + dx, 5);
    QMouseEvent press(QEvent::MouseButtonPress, from, vp->mapToGlobal(from), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &press);
    QMouseEvent move(QEvent::MouseMove, to, vp->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, to, vp->mapToGlobal(to), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &release);
}

TEST(ReportHeader, DividerDragsAskTheListAndColumnClicksReachTheParent) {
    EnsureUi();
    ListParent parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "Pages", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200, nullptr, nullptr));
    FixedColumns fixed;
    CListCtrl free;
    ASSERT_TRUE(fixed.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 380, 90), &parent, 32));
    ASSERT_TRUE(free.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 100, 380, 190), &parent, 30));
    for (CListCtrl* l : {static_cast<CListCtrl*>(&fixed), &free}) {
        l->InsertColumn(0, "File", LVCFMT_LEFT, 150);
        l->InsertColumn(1, "Language", LVCFMT_LEFT, 80);
    }
    parent.ShowWindow(SW_SHOW);
    CHeaderCtrl* header = fixed.GetHeaderCtrl();
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(fixed.GetHeaderCtrl(), header);
    EXPECT_EQ(header->GetItemCount(), 2);
    CRect second;
    ASSERT_TRUE(header->GetItemRect(1, &second));
    EXPECT_EQ(second.Width(), 80);
    EXPECT_GT(second.bottom, 0);
    DragDivider(header, 150, 50);
    EXPECT_EQ(fixed.GetColumnWidth(0), 150);
    ASSERT_EQ(fixed.asked.size(), 1u);
    EXPECT_EQ(fixed.asked[0], std::make_pair(HDN_BEGINTRACK, 0));
    DragDivider(free.GetHeaderCtrl(), 150, 50);
    EXPECT_GT(free.GetColumnWidth(0), 150);
    // A click on a column heading.
    QWidget* vp = static_cast<QAbstractScrollArea*>(free.GetHeaderCtrl()->GetWidget())->viewport();
    QPointF at(250, 5);
    QMouseEvent press(QEvent::MouseButtonPress, at, vp->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, vp->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &release);
    EXPECT_EQ(parent.columnClicks, (std::vector<int>{1}));
    parent.DestroyWindow();
    EXPECT_EQ(fixed.m_hWnd, nullptr);
}

// A report that looks at the list right after the default handling, as the page list does.
class KeyedList : public CListCtrl {
public:
    std::vector<int> focusAfterDefault;
    std::vector<UINT> scrolls;
    afx_msg void OnKeyDown(UINT ch, UINT repeat, UINT flags) {
        CListCtrl::OnKeyDown(ch, repeat, flags);
        focusAfterDefault.push_back(GetNextItem(-1, LVNI_FOCUSED));
    }
    afx_msg void OnVScroll(UINT code, UINT pos, CScrollBar* bar) {
        scrolls.push_back(code);
        CListCtrl::OnVScroll(code, pos, bar);
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(KeyedList, CListCtrl)
    ON_WM_KEYDOWN()
    ON_WM_VSCROLL()
END_MESSAGE_MAP()

TEST(ReportDefaults, KeysMoveTheFocusBeforeTheHandlerLooksAndScrollingGoesThroughMessages) {
    EnsureUi();
    ListParent parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "Pages", WS_OVERLAPPEDWINDOW, 0, 0, 300, 120, nullptr, nullptr));
    KeyedList list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL, CRect(0, 0, 280, 100), &parent, 33));
    list.InsertColumn(0, "File", LVCFMT_LEFT, 200);
    for (int i = 0; i < 30; ++i) list.InsertItem(i, "page.tif");
    parent.ShowWindow(SW_SHOW);
    list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    AfxTestKey(&list, VK_DOWN);
    EXPECT_EQ(list.focusAfterDefault, (std::vector<int>{1}));
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 1);  // moved once, not twice
    AfxTestKey(&list, VK_DOWN);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 2);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 2);
    AfxTestKey(&list, VK_RETURN);
    EXPECT_EQ(parent.keys, (std::vector<UINT>{VK_DOWN, VK_DOWN, VK_RETURN, 0u}));  // Enter also as NM_RETURN
    // Scrolling in code and by the bar both reach the handler.
    int top = list.GetTopIndex();
    list.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    EXPECT_EQ(list.GetTopIndex(), top + 1);
    auto* area = static_cast<QAbstractScrollArea*>(list.GetWidget());
    area->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(list.GetTopIndex(), top + 2);
    EXPECT_EQ(list.scrolls, (std::vector<UINT>{SB_LINEDOWN, SB_LINEDOWN}));
    parent.DestroyWindow();
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
