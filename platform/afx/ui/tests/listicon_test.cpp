// The list control's icon, small-icon and list views: layout and
// arrangement, hit tests, selection and focus with their notifications,
// label editing through keys, custom draw stages, item data, image lists.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QWidget>

#include <string>
#include <vector>

#include "platform/afx/ui/dialog.h"
#include "platform/afx/ui/listctrl.h"
#include "platform/afx/ui/testing.h"
#include "platform/afx/ui/tests/test_app.h"

namespace {

constexpr UINT kList = 1000;
constexpr COLORREF kMask = RGB(255, 0, 255);
const COLORREF kColours[3] = {RGB(200, 30, 30), RGB(30, 160, 30), RGB(30, 30, 200)};

// A strip of three 32 x 32 images, each a colour inside a frame of the mask colour.
void MakeStrip(CBitmap& bmp) {
    ASSERT_TRUE(bmp.CreateBitmap(96, 32, 1, 32, nullptr));
    CDC mem;
    ASSERT_TRUE(mem.CreateCompatibleDC(nullptr));
    CBitmap* old = mem.SelectObject(&bmp);
    for (int i = 0; i < 3; ++i) {
        CRect all(i * 32, 0, i * 32 + 32, 32), inner(i * 32 + 4, 4, i * 32 + 28, 28);
        CBrush frame(kMask), face(kColours[i]);
        mem.FillRect(&all, &frame);
        mem.FillRect(&inner, &face);
    }
    mem.SelectObject(old);
}

struct Change {
    int item;
    UINT oldState, newState;
};

class IconParent : public CWnd {
public:
    std::vector<Change> changes;
    std::vector<std::pair<UINT, int>> events;  // clicks, key downs, drags, deletions with their item
    std::vector<LPARAM> deleted;
    std::vector<DWORD> stages;
    std::vector<LPARAM> drawnData;
    int refuseChangeOf = -1;
    int begins = 0, ends = 0;
    CString lastEndText;
    bool endHadText = false;
    LRESULT prePaintAnswer = CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
    int skipItem = -1;
    int cyanItem = -1;

    void OnChanging(NMHDR* hdr, LRESULT* result) {
        auto* nm = reinterpret_cast<NMLISTVIEW*>(hdr);
        *result = nm->iItem == refuseChangeOf && (nm->uNewState & LVIS_SELECTED);
    }
    void OnChanged(NMHDR* hdr, LRESULT* result) {
        auto* nm = reinterpret_cast<NMLISTVIEW*>(hdr);
        changes.push_back({nm->iItem, nm->uOldState, nm->uNewState});
        *result = 0;
    }
    void OnEvent(NMHDR* hdr, LRESULT* result) {
        int item = -1;
        if (hdr->code == LVN_KEYDOWN) item = reinterpret_cast<NMLVKEYDOWN*>(hdr)->wVKey;
        else if (hdr->code != NM_RETURN) item = reinterpret_cast<NMLISTVIEW*>(hdr)->iItem;
        if (hdr->code == LVN_DELETEITEM) deleted.push_back(reinterpret_cast<NMLISTVIEW*>(hdr)->lParam);
        events.emplace_back(hdr->code, item);
        *result = 0;
    }
    // Labels are editable when the item's data says so (as the button list does).
    void OnBeginEdit(NMHDR* hdr, LRESULT* result) {
        ++begins;
        *result = reinterpret_cast<NMLVDISPINFO*>(hdr)->item.lParam == 0;
    }
    void OnEndEdit(NMHDR* hdr, LRESULT* result) {
        auto* info = reinterpret_cast<NMLVDISPINFO*>(hdr);
        ++ends;
        endHadText = info->item.pszText != nullptr;
        lastEndText = info->item.pszText ? info->item.pszText : "";
        *result = info->item.pszText && *info->item.pszText;  // empty names are refused
    }
    void OnCustomDraw(NMHDR* hdr, LRESULT* result) {
        auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(hdr);
        stages.push_back(cd->nmcd.dwDrawStage);
        *result = CDRF_DODEFAULT;
        if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) *result = prePaintAnswer;
        if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
            drawnData.push_back(cd->nmcd.lItemlParam);
            if (static_cast<int>(cd->nmcd.dwItemSpec) == cyanItem) cd->clrTextBk = 0xFFFF00;
            *result = static_cast<int>(cd->nmcd.dwItemSpec) == skipItem ? CDRF_SKIPDEFAULT : CDRF_NOTIFYPOSTPAINT;
        }
    }
    size_t Count(UINT code) const {
        size_t n = 0;
        for (auto& e : events) n += e.first == code;
        return n;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(IconParent, CWnd)
    ON_NOTIFY(LVN_ITEMCHANGING, kList, OnChanging)
    ON_NOTIFY(LVN_ITEMCHANGED, kList, OnChanged)
    ON_NOTIFY(NM_CLICK, kList, OnEvent)
    ON_NOTIFY(NM_DBLCLK, kList, OnEvent)
    ON_NOTIFY(NM_RETURN, kList, OnEvent)
    ON_NOTIFY(LVN_KEYDOWN, kList, OnEvent)
    ON_NOTIFY(LVN_BEGINDRAG, kList, OnEvent)
    ON_NOTIFY(LVN_DELETEITEM, kList, OnEvent)
    ON_NOTIFY(LVN_BEGINLABELEDIT, kList, OnBeginEdit)
    ON_NOTIFY(LVN_ENDLABELEDIT, kList, OnEndEdit)
    ON_NOTIFY(NM_CUSTOMDRAW, kList, OnCustomDraw)
END_MESSAGE_MAP()

class IconView : public ::testing::Test {
protected:
    void Make(DWORD style, int width = 320, int height = 240) {
        EnsureUi();
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "Buttons", WS_OVERLAPPEDWINDOW, 0, 0, width + 20, height + 20, nullptr, nullptr));
        ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | style, CRect(0, 0, width, height), &parent, kList));
        MakeStrip(strip);
        ASSERT_TRUE(images.Create(32, 32, ILC_COLOR24 | ILC_MASK, 3, 1));
        ASSERT_EQ(images.Add(&strip, kMask), 0);
        list.SetImageList(&images, LVSIL_NORMAL);
        list.SetImageList(&images, LVSIL_SMALL);
    }
    void Fill(int n) {
        static const char* names[] = {"Scan to File", "Scan to Mail", "Copy", "Text Recognition", "Archive", "Fax", "Print", "Web"};
        for (int i = 0; i < n; ++i) {
            int at = list.InsertItem(i, names[i % 8], i % 3);
            list.SetItemData(at, static_cast<DWORD_PTR>(i % 2));  // odd items may be renamed
        }
    }
    CPoint Centre(int item, UINT code) {
        CRect r;
        EXPECT_TRUE(list.GetItemRect(item, &r, code));
        return r.CenterPoint();
    }
    void TearDown() override {
        if (parent.m_hWnd) parent.DestroyWindow();
    }
    IconParent parent;
    CListCtrl list;
    CBitmap strip;
    CImageList images;
};

TEST_F(IconView, NewItemsTakeFreeCellsRowByRowAndArrangeRestoresTheGrid) {
    Make(LVS_ICON);
    Fill(6);
    CPoint p[6];
    for (int i = 0; i < 6; ++i) ASSERT_TRUE(list.GetItemPosition(i, &p[i]));
    // Cells of equal width along the first row, wrapping within the client width.
    int cell = p[1].x - p[0].x;
    EXPECT_GE(cell, 75);
    EXPECT_EQ(p[0], CPoint(0, 0));
    EXPECT_EQ(p[2].x, 2 * cell);
    CRect client;
    list.GetClientRect(&client);
    int perRow = client.Width() / cell;
    EXPECT_EQ(p[perRow].x, 0);
    EXPECT_GT(p[perRow].y, 0);
    // The image sits centred above the label, inside the item's box.
    CRect bounds, icon, label;
    list.GetItemRect(0, &bounds, LVIR_BOUNDS);
    list.GetItemRect(0, &icon, LVIR_ICON);
    list.GetItemRect(0, &label, LVIR_LABEL);
    EXPECT_EQ(bounds.Width(), cell);
    EXPECT_LE(icon.bottom, label.top);
    EXPECT_NEAR(label.CenterPoint().x, bounds.CenterPoint().x, 1);
    EXPECT_TRUE(bounds.PtInRect(label.CenterPoint()));
    // A moved item keeps its place; a new item takes the cell it left.
    ASSERT_TRUE(list.SetItemPosition(1, CPoint(40, 150)));
    CPoint moved;
    list.GetItemPosition(1, &moved);
    EXPECT_EQ(moved, CPoint(40, 150));
    list.GetItemRect(1, &bounds, LVIR_BOUNDS);
    EXPECT_EQ(bounds.TopLeft(), CPoint(40, 150));
    int added = list.InsertItem(6, "Extra", 0);
    CPoint extra;
    list.GetItemPosition(added, &extra);
    EXPECT_EQ(extra, p[1]);
    // Arrange lays every item out again in item order; align-left fills columns.
    ASSERT_TRUE(list.Arrange(LVA_ALIGNTOP));
    list.GetItemPosition(1, &moved);
    EXPECT_EQ(moved, p[1]);
    ASSERT_TRUE(list.Arrange(LVA_ALIGNLEFT));
    list.GetItemPosition(1, &moved);
    EXPECT_EQ(moved.x, 0);
    EXPECT_GT(moved.y, 0);
    // A larger spacing widens the cells.
    list.SetIconSpacing(100, 90);
    list.Arrange(LVA_ALIGNTOP);
    list.GetItemPosition(1, &moved);
    EXPECT_EQ(moved, CPoint(100, 0));
    EXPECT_FALSE(list.SetItemPosition(99, CPoint(0, 0)));
}

TEST_F(IconView, OneColumnOfRowImagesScrollsToTheItemsBelow) {
    // The button list: row-wide images stacked one item height apart.
    Make(LVS_ICON | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 200, 150);
    CImageList rows;
    ASSERT_TRUE(rows.Create(200 - 16 - 20, 36, ILC_COLOR24, 4, 1));
    CBitmap row;
    ASSERT_TRUE(row.CreateBitmap(164, 36, 1, 32, nullptr));
    ASSERT_EQ(rows.Add(&row, CLR_NONE), 0);
    list.SetImageList(&rows, LVSIL_NORMAL);
    Fill(5);
    CRect first;
    ASSERT_TRUE(list.GetItemRect(0, &first, LVIR_BOUNDS));
    int h = first.Height();
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(list.SetItemPosition(i, CPoint(0, i * h)));
    CRect r;
    list.GetItemRect(3, &r, LVIR_BOUNDS);
    EXPECT_EQ(r.top, 3 * h);
    CRect view;
    ASSERT_TRUE(list.GetViewRect(&view));
    EXPECT_EQ(view.bottom, 5 * h);
    // The items reach below the client: a vertical scroll bar, and EnsureVisible scrolls.
    SCROLLINFO si{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
    ASSERT_TRUE(list.GetScrollInfo(SB_VERT, &si));
    EXPECT_EQ(si.nMax, 5 * h - 1);
    ASSERT_TRUE(list.EnsureVisible(4, FALSE));
    CPoint origin;
    list.GetOrigin(&origin);
    CRect client;
    list.GetClientRect(&client);
    EXPECT_EQ(origin.y, 5 * h - client.Height());
    list.GetItemRect(4, &r, LVIR_BOUNDS);
    EXPECT_EQ(r.bottom, client.bottom);
    // Hit tests take client points: the scrolled item is found where it shows.
    EXPECT_EQ(list.HitTest(r.CenterPoint()), 4);
    list.SendMessage(WM_VSCROLL, MAKEWPARAM(SB_TOP, 0), 0);
    list.GetOrigin(&origin);
    EXPECT_EQ(origin.y, 0);
}

TEST_F(IconView, HitTestsTellIconLabelAndOutside) {
    Make(LVS_ICON);
    Fill(3);
    UINT flags = 0;
    EXPECT_EQ(list.HitTest(Centre(1, LVIR_ICON), &flags), 1);
    EXPECT_EQ(flags, LVHT_ONITEMICON);
    EXPECT_EQ(list.HitTest(Centre(2, LVIR_LABEL), &flags), 2);
    EXPECT_EQ(flags, LVHT_ONITEMLABEL);
    EXPECT_NE(flags & LVHT_ONITEM, 0u);
    EXPECT_EQ(list.HitTest(CPoint(300, 200), &flags), -1);
    EXPECT_EQ(flags, LVHT_NOWHERE);
    LVHITTESTINFO info{{5, 1000}, 0, 0, 0};
    EXPECT_EQ(list.HitTest(&info), -1);
    EXPECT_EQ(info.flags, LVHT_BELOW);
    // An item moved on top of another is the one hit.
    CPoint at;
    list.GetItemPosition(0, &at);
    list.SetItemPosition(2, at);
    EXPECT_EQ(list.HitTest(Centre(0, LVIR_ICON)), 2);
}

TEST_F(IconView, ClicksSelectAndFocusWithNotifications) {
    Make(LVS_ICON);
    Fill(5);
    parent.ShowWindow(SW_SHOW);
    AfxTestClick(&list, Centre(1, LVIR_ICON));
    EXPECT_EQ(list.GetItemState(1, LVIS_SELECTED | LVIS_FOCUSED), LVIS_SELECTED | LVIS_FOCUSED);
    ASSERT_EQ(parent.changes.size(), 1u);
    EXPECT_EQ(parent.changes[0].item, 1);
    EXPECT_EQ(parent.changes[0].oldState, 0u);
    EXPECT_EQ(parent.changes[0].newState, LVIS_SELECTED | LVIS_FOCUSED);
    ASSERT_EQ(parent.Count(NM_CLICK), 1u);
    EXPECT_EQ(parent.events.back(), std::make_pair(NM_CLICK, 1));
    // A plain click elsewhere moves both states; the old item hears it loses them first.
    parent.changes.clear();
    AfxTestClick(&list, Centre(3, LVIR_LABEL));
    ASSERT_GE(parent.changes.size(), 2u);
    EXPECT_EQ(parent.changes.front().item, 1);
    EXPECT_EQ(parent.changes.back().item, 3);
    EXPECT_EQ(list.GetSelectedCount(), 1u);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 3);
    // Ctrl adds an item, Shift takes the run from the last plain click.
    AfxTestMouse(&list, WM_LBUTTONDOWN, Centre(0, LVIR_ICON), MK_CONTROL);
    AfxTestMouse(&list, WM_LBUTTONUP, Centre(0, LVIR_ICON), MK_CONTROL);
    EXPECT_EQ(list.GetSelectedCount(), 2u);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 0);
    AfxTestMouse(&list, WM_LBUTTONDOWN, Centre(2, LVIR_ICON), MK_SHIFT);
    AfxTestMouse(&list, WM_LBUTTONUP, Centre(2, LVIR_ICON), MK_SHIFT);
    std::vector<int> selected;
    for (POSITION pos = list.GetFirstSelectedItemPosition(); pos;) selected.push_back(list.GetNextSelectedItem(pos));
    EXPECT_EQ(selected, (std::vector<int>{0, 1, 2}));  // from the Ctrl click's item; item 3 lost it
    // Empty space clears the selection; the focus stays.
    AfxTestClick(&list, CPoint(310, 230));
    EXPECT_EQ(list.GetSelectedCount(), 0u);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 2);
    EXPECT_EQ(parent.events.back(), std::make_pair(NM_CLICK, -1));
    // The parent may refuse a change.
    parent.refuseChangeOf = 4;
    AfxTestClick(&list, Centre(4, LVIR_ICON));
    EXPECT_EQ(list.GetItemState(4, LVIS_SELECTED), 0u);
    EXPECT_FALSE(list.SetItemState(4, LVIS_SELECTED, LVIS_SELECTED));
    // A double click reports the item.
    AfxTestMouse(&list, WM_LBUTTONDBLCLK, Centre(2, LVIR_ICON));
    EXPECT_EQ(parent.events.back(), std::make_pair(NM_DBLCLK, 2));
}

TEST_F(IconView, StatesSetInCodeKeepOneFocusAndOneSelectionWhenSingle) {
    Make(LVS_ICON | LVS_SINGLESEL);
    Fill(4);
    list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    list.SetItemState(2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(list.GetSelectedCount(), 1u);
    EXPECT_EQ(list.GetItemState(0, LVIS_SELECTED | LVIS_FOCUSED), 0u);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED | LVNI_FOCUSED), 2);
    // The notifications say what changed, item by item.
    ASSERT_EQ(parent.changes.size(), 3u);
    EXPECT_EQ(parent.changes[1].item, 0);
    EXPECT_EQ(parent.changes[1].newState, 0u);
    EXPECT_EQ(parent.changes[2].item, 2);
    // Setting a state an item already has sends nothing.
    list.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(parent.changes.size(), 3u);
    // Inserting before the focused item moves its index, not its state.
    list.InsertItem(0, "First", 0);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 3);
    // Check boxes are state image 2 (checked) and 1.
    EXPECT_TRUE(list.SetCheck(1));
    EXPECT_TRUE(list.GetCheck(1));
    list.SetCheck(1, FALSE);
    EXPECT_FALSE(list.GetCheck(1));
}

TEST_F(IconView, ArrowKeysMoveTheFocusToTheNeighbour) {
    Make(LVS_ICON);
    Fill(8);
    parent.ShowWindow(SW_SHOW);
    CPoint p0, p1;
    list.GetItemPosition(0, &p0);
    list.GetItemPosition(1, &p1);
    CRect client;
    list.GetClientRect(&client);
    int perRow = client.Width() / (p1.x - p0.x);
    list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    AfxTestKey(&list, VK_RIGHT);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 1);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 1);
    AfxTestKey(&list, VK_DOWN);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 1 + perRow);
    AfxTestKey(&list, VK_LEFT);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), perRow);
    AfxTestKey(&list, VK_UP);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 0);
    AfxTestKey(&list, VK_UP);  // nothing above: the focus stays
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 0);
    AfxTestKey(&list, VK_END);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 7);
    EXPECT_EQ(list.GetSelectedCount(), 1u);
    // The parent hears each key, and Enter.
    EXPECT_EQ(parent.Count(LVN_KEYDOWN), 6u);
    AfxTestKey(&list, VK_RETURN);
    EXPECT_EQ(parent.events.back().first, NM_RETURN);
    EXPECT_EQ(list.GetNextItem(0, LVNI_TORIGHT), 1);
    EXPECT_EQ(list.GetNextItem(1, LVNI_TOLEFT), 0);
}

TEST_F(IconView, LabelEditsCommitAndCancelThroughKeys) {
    Make(LVS_ICON | LVS_EDITLABELS);
    Fill(3);
    parent.ShowWindow(SW_SHOW);
    // Item 0's data forbids renaming: the parent refuses and no edit box opens.
    EXPECT_EQ(list.EditLabel(0), nullptr);
    EXPECT_EQ(parent.begins, 1);
    EXPECT_EQ(list.GetEditControl(), nullptr);
    // F2 edits the focused item; typed keys go into the box; Enter commits.
    list.SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    AfxTestKey(&list, VK_F2);
    CEdit* edit = list.GetEditControl();
    ASSERT_NE(edit, nullptr);
    CString text;
    edit->GetWindowText(text);
    EXPECT_STREQ(text, "Scan to Mail");
    edit->SetWindowText("");
    AfxTestKey(edit, 'M', "M");
    AfxTestKey(edit, 'A', "a");
    AfxTestKey(edit, 'I', "i");
    AfxTestKey(edit, 'L', "l");
    AfxTestKey(edit, VK_RETURN);
    EXPECT_EQ(list.GetEditControl(), nullptr);
    EXPECT_EQ(parent.ends, 1);
    EXPECT_STREQ(parent.lastEndText, "Mail");
    EXPECT_STREQ(list.GetItemText(1, 0), "Mail");
    // Esc ends with no text and leaves the label.
    edit = list.EditLabel(1);
    ASSERT_NE(edit, nullptr);
    edit->SetWindowText("Other");
    AfxTestKey(edit, VK_ESCAPE);
    EXPECT_EQ(parent.ends, 2);
    EXPECT_FALSE(parent.endHadText);
    EXPECT_STREQ(list.GetItemText(1, 0), "Mail");
    // The parent refuses an empty name; the old one stays.
    edit = list.EditLabel(1);
    ASSERT_NE(edit, nullptr);
    edit->SetWindowText("");
    AfxTestKey(edit, VK_RETURN);
    EXPECT_STREQ(list.GetItemText(1, 0), "Mail");
    // Deleting the item being edited closes the box without a verdict on it.
    edit = list.EditLabel(1);
    ASSERT_NE(edit, nullptr);
    int ends = parent.ends;
    EXPECT_TRUE(list.DeleteItem(1));
    EXPECT_EQ(list.GetEditControl(), nullptr);
    EXPECT_EQ(parent.ends, ends);
}

TEST_F(IconView, ASecondClickOnTheFocusedLabelStartsEditing) {
    Make(LVS_ICON | LVS_EDITLABELS);
    Fill(2);
    parent.ShowWindow(SW_SHOW);
    CPoint label = Centre(1, LVIR_LABEL);
    AfxTestClick(&list, label);  // selects
    EXPECT_EQ(list.GetEditControl(), nullptr);
    AfxTestClick(&list, label);  // edits once the double-click time has passed
    ASSERT_TRUE(PumpUntil([&] { return list.GetEditControl() != nullptr; }, 3000));
    AfxTestKey(list.GetEditControl(), VK_ESCAPE);
    // A double click opens no editor.
    AfxTestClick(&list, label);
    AfxTestMouse(&list, WM_LBUTTONDBLCLK, label);
    AfxTestMouse(&list, WM_LBUTTONUP, label);
    PumpUntil([] { return false; }, static_cast<int>(GetDoubleClickTime()) + 200);
    EXPECT_EQ(list.GetEditControl(), nullptr);
    EXPECT_EQ(parent.Count(NM_DBLCLK), 1u);
}

TEST_F(IconView, DraggingAnItemAsksTheParent) {
    Make(LVS_ICON);
    Fill(2);
    parent.ShowWindow(SW_SHOW);
    CPoint p = Centre(1, LVIR_ICON);
    AfxTestMouse(&list, WM_LBUTTONDOWN, p);
    AfxTestMouse(&list, WM_MOUSEMOVE, CPoint(p.x + 2, p.y), MK_LBUTTON);
    EXPECT_EQ(parent.Count(LVN_BEGINDRAG), 0u);  // within the drag distance
    AfxTestMouse(&list, WM_MOUSEMOVE, CPoint(p.x + 20, p.y + 5), MK_LBUTTON);
    EXPECT_EQ(parent.Count(LVN_BEGINDRAG), 1u);
    EXPECT_EQ(parent.events.back(), std::make_pair(LVN_BEGINDRAG, 1));
    AfxTestMouse(&list, WM_LBUTTONUP, CPoint(p.x + 20, p.y + 5));
    EXPECT_EQ(parent.Count(NM_CLICK), 0u);  // a drag is no click
}

int CountColour(const QImage& img, const QRect& area, QRgb colour, int tolerance = 40) {
    int n = 0;
    QRect r = area & img.rect();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            QRgb c = img.pixel(x, y);
            if (std::abs(qRed(c) - qRed(colour)) < tolerance && std::abs(qGreen(c) - qGreen(colour)) < tolerance &&
                std::abs(qBlue(c) - qBlue(colour)) < tolerance)
                ++n;
        }
    return n;
}

QRect Q(const CRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

TEST_F(IconView, CustomDrawRunsItsStagesAndColoursLabels) {
    Make(LVS_ICON | LVS_SHOWSELALWAYS);
    Fill(3);
    for (int i = 0; i < 3; ++i) list.SetItemData(i, 100 + i);
    parent.cyanItem = 1;
    parent.skipItem = 2;
    parent.ShowWindow(SW_SHOW);
    parent.stages.clear();
    QImage shot = list.GetWidget()->grab().toImage();
    // Whole-control pre-paint, each item with its post-paint (not the skipped one's), then post-paint.
    std::vector<DWORD> want{CDDS_PREPAINT, CDDS_ITEMPREPAINT, CDDS_ITEMPOSTPAINT, CDDS_ITEMPREPAINT,
                            CDDS_ITEMPOSTPAINT, CDDS_ITEMPREPAINT, CDDS_POSTPAINT};
    EXPECT_EQ(parent.stages, want);
    EXPECT_EQ(parent.drawnData, (std::vector<LPARAM>{100, 101, 102}));
    CRect label1, label0, icon2, label2;
    list.GetItemRect(1, &label1, LVIR_LABEL);
    list.GetItemRect(0, &label0, LVIR_LABEL);
    list.GetItemRect(2, &icon2, LVIR_ICON);
    list.GetItemRect(2, &label2, LVIR_LABEL);
    // The cyan background (0xFFFF00 is blue and green) fills item 1's label only.
    EXPECT_GT(CountColour(shot, Q(label1), qRgb(0, 255, 255), 8), label1.Width() * label1.Height() / 2);
    EXPECT_EQ(CountColour(shot, Q(label0), qRgb(0, 255, 255), 8), 0);
    // The images are drawn from the list, the mask colour left out; the skipped item is not drawn.
    CRect icon0;
    list.GetItemRect(0, &icon0, LVIR_ICON);
    EXPECT_GT(CountColour(shot, Q(icon0), qRgb(200, 30, 30)), 400);
    EXPECT_EQ(CountColour(shot, Q(icon0), qRgb(255, 0, 255), 8), 0);
    EXPECT_EQ(CountColour(shot, Q(icon2), qRgb(30, 30, 200)), 0);
    EXPECT_EQ(CountColour(shot, Q(label2), qRgb(0, 0, 0), 90), 0);
    // Skipping the default painting of the whole control leaves it blank.
    parent.prePaintAnswer = CDRF_SKIPDEFAULT;
    parent.stages.clear();
    list.Invalidate();
    shot = list.GetWidget()->grab().toImage();
    EXPECT_EQ(parent.stages, std::vector<DWORD>{CDDS_PREPAINT});
    EXPECT_EQ(CountColour(shot, Q(icon0), qRgb(200, 30, 30)), 0);
}

TEST_F(IconView, DeletionsReportEveryItemsDataAndShiftTheRest) {
    Make(LVS_ICON | LVS_AUTOARRANGE);
    Fill(4);
    for (int i = 0; i < 4; ++i) list.SetItemData(i, 10 + i);
    EXPECT_TRUE(list.DeleteItem(1));
    EXPECT_EQ(list.GetItemData(1), 12u);
    EXPECT_STREQ(list.GetItemText(1, 0), "Copy");
    // Auto-arrange closes the gap.
    CPoint second;
    list.GetItemPosition(1, &second);
    CPoint first;
    list.GetItemPosition(0, &first);
    CRect b;
    list.GetItemRect(0, &b, LVIR_BOUNDS);
    EXPECT_EQ(second.x, first.x + b.Width());
    // Sub-item texts and whole items through LVITEM.
    EXPECT_TRUE(list.SetItemText(0, 2, "sub"));
    EXPECT_STREQ(list.GetItemText(0, 2), "sub");
    EXPECT_STREQ(list.GetItemText(0, 1), "");
    char buf[8];
    LVITEM item{LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM, 0, 0, 0, 0, buf, sizeof buf, 0, 0};
    ASSERT_TRUE(list.GetItem(&item));
    EXPECT_STREQ(buf, "Scan to");  // cut to the buffer
    EXPECT_EQ(item.lParam, 10);
    EXPECT_TRUE(list.SetItem(0, 0, LVIF_IMAGE, nullptr, 2, 0, 0, 0));
    item.mask = LVIF_IMAGE;
    list.GetItem(&item);
    EXPECT_EQ(item.iImage, 2);
    parent.deleted.clear();
    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(list.GetItemCount(), 0);
    std::sort(parent.deleted.begin(), parent.deleted.end());
    EXPECT_EQ(parent.deleted, (std::vector<LPARAM>{10, 12, 13}));
    EXPECT_FALSE(list.DeleteItem(0));
    EXPECT_EQ(list.GetItemData(5), 0u);
}

TEST_F(IconView, ListViewFillsColumnsAndScrollsSideways) {
    Make(LVS_LIST, 300, 100);
    Fill(12);
    CRect r0, r1;
    list.GetItemRect(0, &r0, LVIR_BOUNDS);
    list.GetItemRect(1, &r1, LVIR_BOUNDS);
    EXPECT_EQ(r1.left, r0.left);
    EXPECT_EQ(r1.top, r0.bottom);
    CRect client;
    list.GetClientRect(&client);
    int rows = client.Height() / r0.Height();
    ASSERT_GT(rows, 0);
    CRect next;
    list.GetItemRect(rows, &next, LVIR_BOUNDS);
    EXPECT_EQ(next.top, 0);
    EXPECT_EQ(next.left, r0.right);
    EXPECT_TRUE(list.SetColumnWidth(0, 120));
    EXPECT_EQ(list.GetColumnWidth(0), 120);
    list.GetItemRect(rows, &next, LVIR_BOUNDS);
    EXPECT_EQ(next.left, 120);
    EXPECT_FALSE(list.SetItemPosition(0, CPoint(5, 5)));  // list views place items themselves
    // Twelve items in columns of `rows` are wider than the client: scrolling moves the top index.
    list.SendMessage(WM_HSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    EXPECT_EQ(list.GetTopIndex(), list.GetItemCount() > rows ? rows : 0);
    // The label sits right of the small image.
    CRect icon, label;
    list.GetItemRect(0, &icon, LVIR_ICON);
    list.GetItemRect(0, &label, LVIR_LABEL);
    EXPECT_LE(icon.right, label.left);
    EXPECT_EQ(icon.Width(), 32);
}

TEST_F(IconView, SmallIconItemsRunAlongRows) {
    Make(LVS_SMALLICON);
    Fill(3);
    CPoint p0, p1;
    list.GetItemPosition(0, &p0);
    list.GetItemPosition(1, &p1);
    EXPECT_EQ(p0.y, p1.y);
    EXPECT_GT(p1.x, p0.x);
    CRect label;
    list.GetItemRect(0, &label, LVIR_LABEL);
    EXPECT_GE(label.Width(), list.GetStringWidth("Scan to File"));
}

TEST(ImageList, StripsAreCutMaskedReplacedAndDrawn) {
    EnsureUi();
    CBitmap strip;
    MakeStrip(strip);
    CImageList plain, masked;
    ASSERT_TRUE(plain.Create(32, 32, ILC_COLOR24, 3, 1));
    ASSERT_TRUE(masked.Create(32, 32, ILC_COLOR24 | ILC_MASK, 3, 1));
    EXPECT_EQ(plain.Add(&strip, kMask), 0);
    EXPECT_EQ(masked.Add(&strip, kMask), 0);
    EXPECT_EQ(masked.Add(&strip, kMask), 3);  // the index of the first image added
    EXPECT_EQ(masked.GetImageCount(), 6);
    // Draw each onto white: the masked frame shows white, the unmasked one magenta.
    CBitmap target;
    ASSERT_TRUE(target.CreateBitmap(64, 32, 1, 32, nullptr));
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    CBitmap* old = dc.SelectObject(&target);
    CRect all(0, 0, 64, 32);
    CBrush white(RGB(255, 255, 255));
    dc.FillRect(&all, &white);
    EXPECT_TRUE(plain.Draw(&dc, 1, CPoint(0, 0), ILD_NORMAL));
    EXPECT_TRUE(masked.Draw(&dc, 1, CPoint(32, 0), ILD_NORMAL));
    EXPECT_EQ(dc.GetPixel(1, 1), kMask);
    EXPECT_EQ(dc.GetPixel(33, 1), RGB(255, 255, 255));
    EXPECT_EQ(dc.GetPixel(48, 16), kColours[1]);
    // Selected images are tinted with the highlight colour.
    EXPECT_TRUE(masked.Draw(&dc, 1, CPoint(32, 0), ILD_SELECTED));
    EXPECT_NE(dc.GetPixel(48, 16), kColours[1]);
    EXPECT_EQ(dc.GetPixel(33, 1), RGB(255, 255, 255));
    EXPECT_FALSE(masked.Draw(&dc, 9, CPoint(0, 0), ILD_NORMAL));
    // Replacing an image keeps the count.
    EXPECT_TRUE(masked.Replace(0, &strip, nullptr));
    EXPECT_EQ(masked.GetImageCount(), 6);
    EXPECT_FALSE(masked.Replace(6, &strip, nullptr));
    dc.SelectObject(old);
}

// Pictures go to the build's test output, for people to look at.
CString PicturePath(const char* name) {
    QString dir = QCoreApplication::applicationDirPath() + "/../test-output/afx_ui";
    QDir().mkpath(dir);
    return CString((dir + "/" + name).toLocal8Bit().constData());
}

// A picture of the icon view.
TEST_F(IconView, GrabsAPicture) {
    Make(LVS_ICON | LVS_SHOWSELALWAYS | LVS_EDITLABELS);
    Fill(7);
    parent.cyanItem = 3;
    list.SetItemState(2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    parent.ShowWindow(SW_SHOW);
    EXPECT_TRUE(list.GrabToFile(PicturePath("list_icon_view.png")));
}

TEST_F(IconView, GrabsAPictureOfTheListView) {
    Make(LVS_LIST | LVS_SHOWSELALWAYS, 320, 90);
    CImageList small;
    ASSERT_TRUE(small.Create(16, 16, ILC_COLOR24 | ILC_MASK, 3, 1));
    small.Add(&strip, kMask);  // a 32-pixel strip cut into 16-pixel images
    list.SetImageList(&small, LVSIL_SMALL);
    Fill(8);
    list.SetItemState(4, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    parent.ShowWindow(SW_SHOW);
    EXPECT_TRUE(list.GrabToFile(PicturePath("list_list_view.png")));
}

}  // namespace

namespace {

// A modeless dialog holding a one-column button list, made from a template in memory.
class ButtonsDlg : public CDialog {
public:
    int oks = 0, cancels = 0;
    void OnOK() override { ++oks; }
    void OnCancel() override { ++cancels; }
};

MSG KeyDown(HWND h, UINT vk) {
    MSG m{};
    m.hwnd = h;
    m.message = WM_KEYDOWN;
    m.wParam = vk;
    return m;
}

TEST(IconViewInDialog, TemplateListsAreIconViewsAndTheirLabelEditsKeepEnterAndEsc) {
    EnsureUi();
    CDialogTemplate tmpl;
    tmpl.style = WS_POPUP | WS_CAPTION | DS_MODALFRAME;
    tmpl.cx = 200;
    tmpl.cy = 150;
    tmpl.caption = "Button Configuration";
    CDialogItemTemplate listItem;
    listItem.id = kList;
    listItem.className = "SysListView32";
    listItem.style = WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_ICON | LVS_SINGLESEL | LVS_EDITLABELS | LVS_SHOWSELALWAYS;
    listItem.x = 5;
    listItem.y = 5;
    listItem.cx = 120;
    listItem.cy = 130;
    CDialogItemTemplate ok;
    ok.id = IDOK;
    ok.className = "Button";
    ok.text = "OK";
    ok.style = WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON;
    ok.x = 140;
    ok.y = 5;
    ok.cx = 50;
    ok.cy = 14;
    tmpl.items = {listItem, ok};
    ButtonsDlg dlg;
    ASSERT_TRUE(dlg.CreateIndirect(tmpl));
    auto* list = dynamic_cast<CListCtrl*>(dlg.GetDlgItem(kList));
    ASSERT_NE(list, nullptr);
    ASSERT_GE(list->InsertItem(0, "Scan to File", -1), 0);
    CPoint pos;
    EXPECT_TRUE(list->GetItemPosition(0, &pos));  // an icon view: items have positions
    dlg.ShowWindow(SW_SHOW);
    CEdit* edit = list->EditLabel(0);
    ASSERT_NE(edit, nullptr);
    // The dialog leaves Enter and Esc to the label's edit box ...
    MSG enter = KeyDown(edit->m_hWnd, VK_RETURN);
    EXPECT_FALSE(dlg.IsDialogMessage(&enter));
    MSG esc = KeyDown(edit->m_hWnd, VK_ESCAPE);
    EXPECT_FALSE(dlg.IsDialogMessage(&esc));
    edit->SetWindowText("Scan to Folder");
    AfxTestKey(edit, VK_RETURN);
    EXPECT_EQ(dlg.oks, 0);
    EXPECT_EQ(list->GetEditControl(), nullptr);
    // ... but takes them from the list itself.
    MSG onList = KeyDown(list->m_hWnd, VK_RETURN);
    EXPECT_TRUE(dlg.IsDialogMessage(&onList));
    EXPECT_EQ(dlg.oks, 1);
    dlg.DestroyWindow();
}

}  // namespace
