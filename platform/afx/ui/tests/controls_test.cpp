// The standard controls and dialogs as their owners use them: notifications
// reach the parent for what a person does (and not for what the program sets
// where the controls stay silent), owner-drawn lists ordered by their owner,
// positions and limits in bytes of double-byte text, buddies, ranges and
// pages, data exchange that refuses bad input, and the dialog keyboard.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QComboBox>
#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>
#include <QWidget>

#include <functional>

#include "platform/afx/ui/testing.h"
#include "platform/afx/ui/tests/sample_ids.h"
#include "platform/afx/ui/tests/test_app.h"
#include "platform/win/tests/temporary_folder.h"

namespace {

// GBK bytes of a few Chinese words.
const char* const kZhong = "\xD6\xD0";            // 中
const char* const kZhongWen = "\xD6\xD0\xCE\xC4";  // 中文
const char* const kYi = "\xD2\xBB";               // 一
const char* const kEr = "\xB6\xFE";               // 二

struct Note {
    UINT id, code;
    HWND from;
};

// A parent window that records what its controls tell it.
class Recorder : public CWnd {
public:
    std::vector<Note> commands;
    std::vector<std::pair<UINT, int>> scrolls;  // code, position in the message
    std::vector<int> posSeen;                   // the slider's GetPos while its message is handled
    std::vector<NMUPDOWN> deltas;
    BOOL refuseDeltas = FALSE;
    std::function<int(const COMPAREITEMSTRUCT&)> compare;
    std::vector<std::pair<UINT, DWORD_PTR>> drawn;  // item, item data
    UINT itemHeight = 0;
    // Called for every command, after it is recorded (reads a control's state at that moment).
    std::function<void(const Note&)> onCommand;

    int Count(UINT id, UINT code) const {
        int n = 0;
        for (const Note& c : commands) n += c.id == id && c.code == code;
        return n;
    }
    BOOL Create() { return CreateEx(0, nullptr, "Controls", WS_OVERLAPPEDWINDOW, 0, 0, 420, 320, nullptr, nullptr); }
    LRESULT WindowProc(UINT m, WPARAM wp, LPARAM lp) override {
        switch (m) {
        case WM_COMMAND:
            commands.push_back({LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp)});
            if (onCommand) onCommand(commands.back());
            return 0;
        case WM_HSCROLL:
        case WM_VSCROLL:
            scrolls.push_back({LOWORD(wp), static_cast<SHORT>(HIWORD(wp))});
            if (CWnd* c = FromHandlePermanent(reinterpret_cast<HWND>(lp)); c && c->m_strClass == "msctls_trackbar32")
                posSeen.push_back(static_cast<int>(c->SendMessage(TBM_GETPOS)));
            return 0;
        case WM_NOTIFY:
            if (reinterpret_cast<NMHDR*>(lp)->code == static_cast<UINT>(UDN_DELTAPOS)) {
                deltas.push_back(*reinterpret_cast<NMUPDOWN*>(lp));
                return refuseDeltas;
            }
            break;
        case WM_DRAWITEM: {
            auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
            drawn.push_back({dis->itemID, dis->itemData});
            CDC* dc = CDC::FromHandle(dis->hDC);
            dc->FillSolidRect(&dis->rcItem, static_cast<COLORREF>(dis->itemData));
            return TRUE;
        }
        case WM_MEASUREITEM:
            if (itemHeight) {
                reinterpret_cast<MEASUREITEMSTRUCT*>(lp)->itemHeight = itemHeight;
                return TRUE;
            }
            break;
        default:
            break;
        }
        return CWnd::WindowProc(m, wp, lp);
    }
    BOOL OnWndMsg(UINT m, WPARAM wp, LPARAM lp, LRESULT* r) override {
        if (m == WM_COMPAREITEM && compare) {
            *r = compare(*reinterpret_cast<COMPAREITEMSTRUCT*>(lp));
            return TRUE;
        }
        return CWnd::OnWndMsg(m, wp, lp, r);
    }
};

class ControlsUse : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureUi();
        ASSERT_TRUE(parent.Create());
        parent.ShowWindow(SW_SHOW);
    }
    void TearDown() override { parent.DestroyWindow(); }
    Recorder parent;
};

CString TextOf(const CWnd& w) {
    CString t;
    w.GetWindowText(t);
    return t;
}

// The colours of the pen settings' list, in the order they are added (red in the low byte).
const COLORREF kColours[8] = {0x000000, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
int Brightness(DWORD_PTR c) { return static_cast<int>((c & 0xFF) + ((c >> 8) & 0xFF) + ((c >> 16) & 0xFF)); }

TEST_F(ControlsUse, ButtonsReportClicksButNotTheProgramsChecks) {
    CButton keep, manual, three, push;
    ASSERT_TRUE(keep.Create("&Keep", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, CRect(10, 10, 150, 30), &parent, 1081));
    ASSERT_TRUE(manual.Create("Manual", WS_CHILD | WS_VISIBLE | BS_CHECKBOX, CRect(10, 40, 150, 60), &parent, 1082));
    ASSERT_TRUE(three.Create("Three", WS_CHILD | WS_VISIBLE | BS_AUTO3STATE, CRect(10, 70, 150, 90), &parent, 1083));
    ASSERT_TRUE(push.Create("Go", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(10, 100, 150, 125), &parent, 1084));
    keep.SetCheck(BST_CHECKED);
    three.SetCheck(BST_INDETERMINATE);
    EXPECT_EQ(three.GetCheck(), BST_INDETERMINATE);
    EXPECT_TRUE(parent.commands.empty());
    // A person's click toggles an automatic box and is reported with its id and window.
    AfxTestClick(&keep, CPoint(8, 10));
    EXPECT_EQ(keep.GetCheck(), BST_UNCHECKED);
    ASSERT_EQ(parent.commands.size(), 1u);
    EXPECT_EQ(parent.commands[0].id, 1081u);
    EXPECT_EQ(parent.commands[0].code, static_cast<UINT>(BN_CLICKED));
    EXPECT_EQ(parent.commands[0].from, keep.m_hWnd);
    // A plain check box is reported but left to its owner.
    manual.SendMessage(BM_CLICK);
    EXPECT_EQ(parent.Count(1082, BN_CLICKED), 1);
    EXPECT_EQ(manual.GetCheck(), BST_UNCHECKED);
    manual.SetCheck(BST_CHECKED);
    manual.SendMessage(BM_CLICK);
    EXPECT_EQ(manual.GetCheck(), BST_CHECKED);
    // A three-state box clicks through checked, indeterminate and unchecked.
    three.SetCheck(BST_UNCHECKED);
    std::vector<int> states;
    for (int i = 0; i < 3; ++i) {
        three.SendMessage(BM_CLICK);
        states.push_back(three.GetCheck());
    }
    EXPECT_EQ(states, (std::vector<int>{BST_CHECKED, BST_INDETERMINATE, BST_UNCHECKED}));
    push.SendMessage(BM_CLICK);
    EXPECT_EQ(parent.Count(1084, BN_CLICKED), 1);
}

TEST_F(ControlsUse, OwnerDrawnListsWithoutStringsKeepColoursInTheOwnersOrder) {
    std::vector<std::pair<UINT, DWORD_PTR>> asked;
    parent.compare = [&](const COMPAREITEMSTRUCT& c) {
        asked.push_back({c.itemID1, c.itemData1});
        int a = Brightness(c.itemData1), b = Brightness(c.itemData2);
        return a < b ? -1 : a > b ? 1 : 0;
    };
    parent.itemHeight = 20;
    CListBox list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LBS_OWNERDRAWFIXED | LBS_SORT | LBS_NOTIFY, CRect(10, 10, 110, 200), &parent, 1066));
    std::vector<int> at;
    for (COLORREF c : kColours) at.push_back(list.AddString(reinterpret_cast<LPCTSTR>(static_cast<DWORD_PTR>(c))));
    EXPECT_EQ(at, (std::vector<int>{0, 1, 2, 3, 3, 5, 6, 7}));
    // The owner was asked about the new item (id -1) and its data, never about a string.
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.back().first, static_cast<UINT>(-1));
    EXPECT_EQ(asked.back().second, 0xFFFFFFu);
    // Equal brightness keeps the order of adding.
    std::vector<DWORD_PTR> order;
    for (int i = 0; i < list.GetCount(); ++i) order.push_back(list.GetItemData(i));
    EXPECT_EQ(order, (std::vector<DWORD_PTR>{0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF, 0xFFFFFF}));
    // Searches match the item data.
    EXPECT_EQ(list.FindStringExact(-1, reinterpret_cast<LPCTSTR>(static_cast<DWORD_PTR>(0x0000FF))), 3);
    EXPECT_EQ(list.FindString(-1, reinterpret_cast<LPCTSTR>(static_cast<DWORD_PTR>(0x123456))), LB_ERR);
    EXPECT_EQ(list.SetCurSel(4), 4);
    EXPECT_EQ(list.GetItemData(list.GetCurSel()), 0xFFFF00u);

    // The owner paints each item in its colour, 20 pixels high.
    CRect r;
    ASSERT_EQ(list.GetItemRect(1, &r), 0);
    EXPECT_EQ(r.Height(), 20);
    QImage shot = list.GetWidget()->grab().toImage();
    ASSERT_FALSE(parent.drawn.empty());
    bool sawRed = false;
    for (auto& d : parent.drawn) sawRed = sawRed || (d.first == 1 && d.second == 0xFF0000);
    EXPECT_TRUE(sawRed);
    QPoint inRow1 = list.GetWidget()->mapFrom(list.GetWidget(), QPoint(r.left + 20, r.top + 10));
    QAbstractItemView* view = qobject_cast<QAbstractItemView*>(list.GetWidget());
    ASSERT_NE(view, nullptr);
    QImage rows = view->viewport()->grab().toImage();
    EXPECT_EQ(rows.pixelColor(inRow1.x(), inRow1.y()), QColor(0, 0, 255));  // COLORREF 0xFF0000 is blue
    (void)shot;
}

TEST_F(ControlsUse, StaticTextKeepsItsMnemonicMarks) {
    CStatic label, plain;
    ASSERT_TRUE(label.Create("&Saving Folder:", WS_CHILD | WS_VISIBLE, CRect(10, 10, 200, 30), &parent));
    ASSERT_TRUE(plain.Create("A&B", WS_CHILD | WS_VISIBLE | SS_NOPREFIX, CRect(10, 40, 200, 60), &parent));
    // The window text is what was given; only the shown text loses the mark.
    EXPECT_STREQ(TextOf(label), "&Saving Folder:");
    EXPECT_EQ(qobject_cast<QLabel*>(label.GetWidget())->text(), QString("Saving Folder:"));
    label.SetWindowText("Fish && &Chips");
    EXPECT_STREQ(TextOf(label), "Fish && &Chips");
    EXPECT_EQ(qobject_cast<QLabel*>(label.GetWidget())->text(), QString("Fish & Chips"));
    EXPECT_EQ(qobject_cast<QLabel*>(plain.GetWidget())->text(), QString("A&B"));
}

TEST_F(ControlsUse, OwnerDrawnItemHeightsFollowSetItemHeight) {
    CListBox list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS, CRect(10, 10, 110, 200), &parent, 60));
    list.AddString("a");
    list.AddString("b");
    list.GetWidget()->grab();  // laid out and painted once at the first height
    EXPECT_EQ(list.SetItemHeight(0, 24), 0);
    EXPECT_EQ(list.GetItemHeight(0), 24);
    CRect r;
    ASSERT_EQ(list.GetItemRect(1, &r), 0);
    EXPECT_EQ(r.top, 24);
    EXPECT_EQ(r.Height(), 24);
    CString t;
    list.GetText(1, t);
    EXPECT_STREQ(t, "b");  // with LBS_HASSTRINGS the items keep their text
}

// A colour list whose class orders the items itself, when its parent leaves that to it.
class BrightnessList : public CListBox {
public:
    int CompareItem(LPCOMPAREITEMSTRUCT c) override {
        int a = Brightness(c->itemData1), b = Brightness(c->itemData2);
        return a < b ? -1 : a > b ? 1 : 0;
    }
};

TEST_F(ControlsUse, SortedOwnerDrawnItemsFallBackToTheControlsCompare) {
    BrightnessList list;
    ASSERT_TRUE(list.Create(WS_CHILD | LBS_OWNERDRAWFIXED | LBS_SORT, CRect(0, 0, 100, 100), &parent, 30));
    list.AddString(reinterpret_cast<LPCTSTR>(static_cast<DWORD_PTR>(0xFFFFFF)));
    list.AddString(reinterpret_cast<LPCTSTR>(static_cast<DWORD_PTR>(0x000000)));
    list.AddString(reinterpret_cast<LPCTSTR>(static_cast<DWORD_PTR>(0x00FF00)));
    EXPECT_EQ(list.GetItemData(0), 0x000000u);
    EXPECT_EQ(list.GetItemData(1), 0x00FF00u);
    EXPECT_EQ(list.GetItemData(2), 0xFFFFFFu);
    // An owner-drawn combo box without strings takes its data the same way.
    CComboBox combo;
    ASSERT_TRUE(combo.Create(WS_CHILD | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED, CRect(0, 110, 100, 130), &parent, 31));
    EXPECT_EQ(combo.AddString(reinterpret_cast<LPCTSTR>(static_cast<DWORD_PTR>(0xFF0000))), 0);
    EXPECT_EQ(combo.GetItemData(0), 0xFF0000u);
    EXPECT_EQ(combo.GetCurSel(), CB_ERR);
}

TEST_F(ControlsUse, ListBoxSelectionsAnswerAsTheirKindAllows) {
    CListBox single, multi;
    ASSERT_TRUE(single.Create(WS_CHILD | WS_VISIBLE | LBS_NOTIFY, CRect(10, 10, 150, 120), &parent, 40));
    ASSERT_TRUE(multi.Create(WS_CHILD | WS_VISIBLE | LBS_NOTIFY | LBS_MULTIPLESEL, CRect(160, 10, 300, 120), &parent, 41));
    for (CListBox* l : {&single, &multi}) {
        l->AddString(kZhongWen);
        l->AddString("page 2");
        l->AddString("page 3");
    }
    // Double-byte text comes back whole, its length in bytes.
    EXPECT_EQ(single.GetTextLen(0), 4);
    CString t;
    single.GetText(0, t);
    EXPECT_STREQ(t, kZhongWen);
    EXPECT_EQ(single.GetText(0, static_cast<LPTSTR>(nullptr)), LB_ERR);
    EXPECT_EQ(single.GetTextLen(3), LB_ERR);

    // A single selection: SetCurSel, and -1 clears it (answering LB_ERR as Windows does).
    EXPECT_EQ(single.SetCurSel(1), 1);
    EXPECT_EQ(single.SetSel(2), LB_ERR);
    EXPECT_EQ(single.GetCurSel(), 1);
    EXPECT_EQ(single.SetCurSel(-1), LB_ERR);
    EXPECT_EQ(single.GetCurSel(), LB_ERR);
    // Deleting the selected item leaves no selection rather than selecting a neighbour.
    single.SetCurSel(1);
    EXPECT_EQ(single.DeleteString(1), 2);
    EXPECT_EQ(single.GetCurSel(), LB_ERR);

    // Several selections: SetSel, and SetCurSel is refused.
    EXPECT_EQ(multi.SetCurSel(1), LB_ERR);
    EXPECT_EQ(multi.SetSel(0), 0);
    EXPECT_EQ(multi.SetSel(2), 0);
    EXPECT_EQ(multi.SetSel(7), LB_ERR);
    int items[4] = {-1, -1, -1, -1};
    EXPECT_EQ(multi.GetSelItems(4, items), 2);
    EXPECT_EQ(items[0], 0);
    EXPECT_EQ(items[1], 2);
    EXPECT_EQ(multi.GetSelCount(), 2);
    multi.SetSel(-1, FALSE);
    EXPECT_EQ(multi.GetSelCount(), 0);

    // None of that told the parent; a click does.
    EXPECT_TRUE(parent.commands.empty());
    CRect r;
    ASSERT_EQ(single.GetItemRect(1, &r), 0);
    AfxTestClick(&single, CPoint(r.left + 5, r.top + r.Height() / 2));
    EXPECT_EQ(parent.Count(40, LBN_SELCHANGE), 1);
    EXPECT_EQ(single.GetCurSel(), 1);
    ASSERT_FALSE(parent.commands.empty());
    EXPECT_EQ(parent.commands.back().from, single.m_hWnd);
}

TEST_F(ControlsUse, DropDownCombosKeepTheirTextAndReportTheChoiceBeforeClosing) {
    CComboBox folders;
    ASSERT_TRUE(folders.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWN | CBS_AUTOHSCROLL, CRect(10, 10, 200, 30), &parent, 1114));
    folders.SetWindowText("C:\\scans\\next");
    folders.AddString("C:\\scans\\a");
    folders.InsertString(0, "C:\\scans\\b");
    // Filling the list does not pick an item or replace what the box shows.
    EXPECT_STREQ(TextOf(folders), "C:\\scans\\next");
    EXPECT_EQ(folders.GetCurSel(), CB_ERR);
    EXPECT_EQ(folders.SelectString(-1, "c:\\SCANS\\a"), 1);
    EXPECT_STREQ(TextOf(folders), "C:\\scans\\a");
    // Deleting the chosen item leaves no selection.
    EXPECT_EQ(folders.DeleteString(1), 1);
    EXPECT_EQ(folders.GetCurSel(), CB_ERR);
    EXPECT_EQ(folders.DeleteString(5), CB_ERR);
    EXPECT_EQ(folders.GetLBText(0, static_cast<LPTSTR>(nullptr)), CB_ERR);
    folders.ResetContent();
    EXPECT_EQ(folders.GetCount(), 0);
    EXPECT_STREQ(TextOf(folders), "");
    EXPECT_TRUE(parent.commands.empty());  // nothing the program did is reported

    // Typing reports an edit change.
    AfxTestKey(&folders, 0, "D");
    EXPECT_EQ(parent.Count(1114, CBN_EDITCHANGE), 1);
    // The edit's limit counts bytes, as the edit control's does.
    folders.LimitText(3);
    AfxTestKey(&folders, 0, "\xE4\xB8\xAD");  // 中 typed (UTF-8)
    AfxTestKey(&folders, 0, "x");
    EXPECT_STREQ(TextOf(folders), CString("D") + kZhong);

    // A drop-down list chosen from with the keyboard: at the close the new item is already selected.
    CComboBox kinds;
    ASSERT_TRUE(kinds.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, CRect(10, 40, 200, 60), &parent, 1115));
    kinds.AddString("text");
    kinds.AddString("table");
    kinds.AddString("picture");
    kinds.SetCurSel(0);
    EXPECT_EQ(parent.Count(1115, CBN_SELCHANGE), 0);
    int selAtClose = -2;
    parent.onCommand = [&](const Note& n) {
        if (n.id == 1115 && n.code == CBN_CLOSEUP) selAtClose = kinds.GetCurSel();
    };
    kinds.ShowDropDown(TRUE);
    EXPECT_EQ(parent.Count(1115, CBN_DROPDOWN), 1);
    auto* q = qobject_cast<QComboBox*>(kinds.GetWidget());
    ASSERT_NE(q, nullptr);
    q->view()->setCurrentIndex(q->model()->index(2, 0));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(q->view(), &enter);
    ASSERT_TRUE(PumpUntil([&] { return parent.Count(1115, CBN_CLOSEUP) > 0; }, 2000));
    EXPECT_EQ(selAtClose, 2);
    EXPECT_EQ(parent.Count(1115, CBN_SELCHANGE), 1);
    EXPECT_EQ(kinds.GetCurSel(), 2);
    parent.onCommand = nullptr;
}

TEST_F(ControlsUse, EditsCountDoubleByteTextInBytes) {
    CEdit edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, CRect(10, 10, 200, 30), &parent, 1006));
    edit.SetWindowText(CString(kZhongWen) + "abc");
    EXPECT_EQ(parent.Count(1006, EN_CHANGE), 1);  // SetWindowText reports a change too
    // Selections are set and read in the same byte offsets.
    edit.SetSel(2, 5);
    int a = 0, b = 0;
    edit.GetSel(a, b);
    EXPECT_EQ(a, 2);
    EXPECT_EQ(b, 5);
    edit.ReplaceSel("X");
    EXPECT_STREQ(TextOf(edit), CString(kZhong) + "Xbc");
    edit.SetSel(0, -1);
    edit.GetSel(a, b);
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 5);

    // The limit counts bytes: two Chinese characters fill four.
    edit.SetWindowText("");
    edit.LimitText(4);
    EXPECT_EQ(static_cast<int>(edit.SendMessage(EM_GETLIMITTEXT)), 4);
    AfxTestKey(&edit, 0, "\xE4\xB8\xAD");  // 中 typed (UTF-8)
    AfxTestKey(&edit, 0, "\xE4\xB8\xAD");
    AfxTestKey(&edit, 0, "x");
    EXPECT_STREQ(TextOf(edit), CString(kZhong) + kZhong);
    // The program's own text is never cut to the limit, and can still be shortened.
    edit.SetWindowText("abcdefgh");
    EXPECT_STREQ(TextOf(edit), "abcdefgh");
    AfxTestKey(&edit, VK_BACK);
    EXPECT_STREQ(TextOf(edit), "abcdefg");

    // Read-only: typing changes nothing and reports nothing.
    edit.SetReadOnly(TRUE);
    int changes = parent.Count(1006, EN_CHANGE);
    AfxTestKey(&edit, 0, "z");
    EXPECT_STREQ(TextOf(edit), "abcdefg");
    EXPECT_EQ(parent.Count(1006, EN_CHANGE), changes);
}

TEST_F(ControlsUse, MultiLineEditsSpeakCrLf) {
    CEdit edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL, CRect(10, 10, 300, 150), &parent, 50));
    CString two = CString(kYi) + "\r\n" + kEr;
    edit.SetWindowText(two);
    EXPECT_STREQ(TextOf(edit), two);
    EXPECT_EQ(edit.GetWindowTextLength(), 6);
    EXPECT_EQ(edit.GetLineCount(), 2);
    int a = -1, b = -1;
    edit.SetSel(0, -1);
    edit.GetSel(a, b);
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 6);
    // Bytes 4..6 are the second line's character.
    edit.SetSel(4, 6);
    edit.GetSel(a, b);
    EXPECT_EQ(a, 4);
    EXPECT_EQ(b, 6);
    edit.ReplaceSel("x\r\ny");
    EXPECT_STREQ(TextOf(edit), CString(kYi) + "\r\nx\r\ny");
    EXPECT_EQ(edit.GetLineCount(), 3);
    edit.SetSel(0, 2);
    edit.Clear();
    EXPECT_STREQ(TextOf(edit), "\r\nx\r\ny");

    // A limit holds what is typed, not what the program sets.
    edit.LimitText(7);
    EXPECT_EQ(static_cast<int>(edit.SendMessage(EM_GETLIMITTEXT)), 7);
    edit.SetSel(6, 6);
    int changes = parent.Count(50, EN_CHANGE);
    AfxTestKey(&edit, 0, "z");  // 7 bytes: fits
    AfxTestKey(&edit, 0, "w");  // 8: refused
    EXPECT_STREQ(TextOf(edit), "\r\nx\r\nyz");
    EXPECT_EQ(parent.Count(50, EN_CHANGE), changes + 1);
    edit.SetWindowText("0123456789");
    EXPECT_STREQ(TextOf(edit), "0123456789");
}

TEST_F(ControlsUse, SpinButtonsFollowTheirBuddy) {
    // An edit and its arrows from a template, the arrows taking the edit before them.
    CDialogTemplate t;
    t.style = WS_CHILD | WS_VISIBLE;
    t.cx = 200;
    t.cy = 60;
    CDialogItemTemplate edit;
    edit.id = 4000;
    edit.className = "Edit";
    edit.style = WS_VISIBLE | WS_TABSTOP | ES_NUMBER;
    edit.x = 10, edit.y = 10, edit.cx = 40, edit.cy = 12;
    CDialogItemTemplate spin;
    spin.id = 4001;
    spin.className = "msctls_updown32";
    spin.style = WS_VISIBLE | UDS_AUTOBUDDY | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS;
    spin.x = 50, spin.y = 10, spin.cx = 10, spin.cy = 12;
    t.items = {edit, spin};
    class Page : public CDialog {
    public:
        std::vector<NMUPDOWN> deltas;
        std::vector<int> scrolled;
        BOOL refuse = FALSE;
        BOOL OnNotify(WPARAM, LPARAM lp, LRESULT* r) override {
            if (reinterpret_cast<NMHDR*>(lp)->code != static_cast<UINT>(UDN_DELTAPOS)) return FALSE;
            deltas.push_back(*reinterpret_cast<NMUPDOWN*>(lp));
            *r = refuse;
            return TRUE;
        }
        LRESULT WindowProc(UINT m, WPARAM wp, LPARAM lp) override {
            if (m == WM_VSCROLL && LOWORD(wp) == SB_THUMBPOSITION) scrolled.push_back(static_cast<SHORT>(HIWORD(wp)));
            return CDialog::WindowProc(m, wp, lp);
        }
    } page;
    ASSERT_TRUE(page.CreateIndirect(t, &parent));
    auto* arrows = static_cast<CSpinButtonCtrl*>(page.GetDlgItem(4001));
    CWnd* buddy = page.GetDlgItem(4000);
    ASSERT_NE(arrows, nullptr);
    ASSERT_NE(buddy, nullptr);
    EXPECT_EQ(arrows->GetBuddy(), buddy);
    // Aligned right: the arrows sit at the edit's right edge, inside its old width.
    CRect er, ar;
    buddy->GetWindowRect(&er);
    arrows->GetWindowRect(&ar);
    EXPECT_EQ(ar.left, er.right);
    EXPECT_EQ(ar.top, er.top);

    arrows->SetRange(2, 9);
    arrows->SetPos(3);
    EXPECT_STREQ(TextOf(*buddy), "3");
    arrows->SetPos(50);  // kept inside the range
    EXPECT_EQ(arrows->GetPos(), 9);
    EXPECT_STREQ(TextOf(*buddy), "9");

    QToolButton* up = nullptr;
    for (QToolButton* b : arrows->GetWidget()->findChildren<QToolButton*>())
        if (b->arrowType() == Qt::UpArrow) up = b;
    ASSERT_NE(up, nullptr);
    // The person typed 5: the arrow counts on from there.
    buddy->SetWindowText("5");
    EXPECT_EQ(arrows->GetPos(), 5);
    up->click();
    ASSERT_EQ(page.deltas.size(), 1u);
    EXPECT_EQ(page.deltas[0].iPos, 5);
    EXPECT_EQ(page.deltas[0].iDelta, 1);
    EXPECT_STREQ(TextOf(*buddy), "6");
    EXPECT_EQ(page.scrolled, std::vector<int>{6});
    // The owner may refuse the step.
    page.refuse = TRUE;
    up->click();
    EXPECT_STREQ(TextOf(*buddy), "6");
    EXPECT_EQ(page.scrolled.size(), 1u);
    // At the top of the range the arrow stays there.
    page.refuse = FALSE;
    arrows->SetPos(9);
    up->click();
    EXPECT_EQ(arrows->GetPos(), 9);
    page.DestroyWindow();
}

TEST_F(ControlsUse, SlidersReportPositionsAlreadyMoved) {
    CSliderCtrl slider;
    ASSERT_TRUE(slider.Create(WS_CHILD | WS_VISIBLE | TBS_AUTOTICKS, CRect(10, 10, 210, 40), &parent, 1010));
    slider.SetRange(-10, 10);
    EXPECT_EQ(slider.GetRangeMin(), -10);
    EXPECT_EQ(slider.GetRangeMax(), 10);
    slider.SetPageSize(5);
    slider.SetPos(0);
    EXPECT_TRUE(parent.scrolls.empty());  // the program's moves are not reported
    auto* q = qobject_cast<QAbstractSlider*>(slider.GetWidget());
    ASSERT_NE(q, nullptr);
    q->triggerAction(QAbstractSlider::SliderPageStepAdd);
    q->triggerAction(QAbstractSlider::SliderSingleStepSub);
    q->triggerAction(QAbstractSlider::SliderToMinimum);
    q->triggerAction(QAbstractSlider::SliderToMaximum);
    std::vector<UINT> codes;
    for (auto& s : parent.scrolls) codes.push_back(s.first);
    EXPECT_EQ(codes, (std::vector<UINT>{TB_PAGEDOWN, TB_LINEUP, TB_TOP, TB_BOTTOM}));
    // The owner reading GetPos while it handles the message sees where the thumb went.
    EXPECT_EQ(parent.posSeen, (std::vector<int>{5, 4, -10, 10}));
    EXPECT_EQ(slider.GetPos(), 10);
    slider.SetRangeMax(3);
    EXPECT_EQ(slider.GetPos(), 3);
}

TEST_F(ControlsUse, ScrollBarsKeepTheOwnersRangeAndPage) {
    CScrollBar bar;
    ASSERT_TRUE(bar.Create(WS_CHILD | WS_VISIBLE | SBS_HORZ, CRect(10, 10, 300, 26), &parent, 1005));
    // The threshold bar: 0..255 exactly.
    bar.SetScrollRange(0, 255);
    int lo = -1, hi = -1;
    bar.GetScrollRange(&lo, &hi);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 255);
    bar.SetScrollPos(300);
    EXPECT_EQ(bar.GetScrollPos(), 255);
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    ASSERT_TRUE(bar.GetScrollInfo(&si));
    EXPECT_EQ(si.nMax, 255);
    EXPECT_EQ(si.nPage, 0u);

    // With a page the last position is max - page + 1.
    SCROLLINFO set{};
    set.cbSize = sizeof set;
    set.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    set.nMin = 0;
    set.nMax = 99;
    set.nPage = 20;
    set.nPos = 95;
    bar.SetScrollInfo(&set);
    EXPECT_EQ(bar.GetScrollPos(), 80);
    ASSERT_TRUE(bar.GetScrollInfo(&si));
    EXPECT_EQ(si.nMax, 99);
    EXPECT_EQ(si.nPage, 20u);
    bar.GetScrollRange(&lo, &hi);
    EXPECT_EQ(hi, 99);

    // Dragging the thumb reports its place; an owner that does not follow it leaves the bar where it was.
    auto* q = qobject_cast<QAbstractSlider*>(bar.GetWidget());
    ASSERT_NE(q, nullptr);
    bar.SetScrollPos(10);
    q->setSliderDown(true);
    q->setSliderPosition(42);
    q->setSliderDown(false);
    ASSERT_GE(parent.scrolls.size(), 3u);
    EXPECT_EQ(parent.scrolls[0], std::make_pair(static_cast<UINT>(SB_THUMBTRACK), 42));
    EXPECT_EQ(parent.scrolls[parent.scrolls.size() - 2], std::make_pair(static_cast<UINT>(SB_THUMBPOSITION), 42));
    EXPECT_EQ(parent.scrolls.back().first, static_cast<UINT>(SB_ENDSCROLL));
    EXPECT_EQ(bar.GetScrollPos(), 10);
    EXPECT_EQ(q->value(), 10);
}

// Dialogs.
class KeyDialog : public CDialog {
public:
    std::vector<UINT> pressed;
    BOOL OnCommand(WPARAM wp, LPARAM lp) override {
        if (HIWORD(wp) == BN_CLICKED) pressed.push_back(LOWORD(wp));
        return CDialog::OnCommand(wp, lp);
    }
    void OnOK() override { pressed.push_back(9000 + IDOK); }
    void OnCancel() override { pressed.push_back(9000 + IDCANCEL); }
};

CDialogItemTemplate Item(WORD id, const char* cls, DWORD style, SHORT y, const char* text = "") {
    CDialogItemTemplate i;
    i.id = id;
    i.className = cls;
    i.style = WS_VISIBLE | style;
    i.x = 10;
    i.y = y;
    i.cx = 80;
    i.cy = 12;
    i.text = text;
    return i;
}

// A key press as the message loop offers it to IsDialogMessage.
MSG KeyDown(CWnd* to, UINT vk) { return MSG{to->m_hWnd, WM_KEYDOWN, vk, 0, 0, POINT{0, 0}, 0}; }

TEST(DialogKeys, EnterEscAndTabWorkTheTemplatesControls) {
    EnsureUi();
    CDialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION | WS_VISIBLE;
    t.cx = 120;
    t.cy = 140;
    t.caption = "Scan";
    t.items = {Item(1001, "Edit", WS_TABSTOP | ES_AUTOHSCROLL, 5, "name"),
               Item(0xFFFF, "Static", 0, 20, "label"),
               Item(1002, "Edit", WS_TABSTOP | ES_MULTILINE | ES_WANTRETURN, 35),
               Item(1003, "Button", WS_TABSTOP | BS_AUTOCHECKBOX | WS_DISABLED, 50, "off"),
               Item(1004, "Button", BS_AUTOCHECKBOX, 65, "no stop"),
               Item(1005, "Button", WS_TABSTOP | BS_DEFPUSHBUTTON, 80, "Scan"),
               Item(IDOK, "Button", WS_TABSTOP | BS_PUSHBUTTON, 95, "OK")};
    KeyDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(t));
    CWnd* name = dlg.GetDlgItem(1001);
    CWnd* notes = dlg.GetDlgItem(1002);
    CWnd* scan = dlg.GetDlgItem(1005);
    CWnd* ok = dlg.GetDlgItem(IDOK);
    // The first tab stop has the focus, its text selected.
    EXPECT_EQ(CWnd::GetFocus(), name);
    int a = -1, b = -1;
    static_cast<CEdit*>(name)->GetSel(a, b);
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 4);

    // Enter presses the template's default button, not IDOK.
    EXPECT_EQ(static_cast<WORD>(dlg.SendMessage(DM_GETDEFID)), 1005);
    MSG m = KeyDown(name, VK_RETURN);
    EXPECT_TRUE(dlg.IsDialogMessage(&m));
    EXPECT_EQ(dlg.pressed, std::vector<UINT>{1005});
    // A multi-line edit that wants Return keeps it.
    m = KeyDown(notes, VK_RETURN);
    EXPECT_FALSE(dlg.IsDialogMessage(&m));
    // On a push button, Enter presses that button.
    m = KeyDown(ok, VK_RETURN);
    EXPECT_TRUE(dlg.IsDialogMessage(&m));
    EXPECT_EQ(dlg.pressed.back(), static_cast<UINT>(9000 + IDOK));
    // Esc cancels, with or without a Cancel button.
    m = KeyDown(name, VK_ESCAPE);
    EXPECT_TRUE(dlg.IsDialogMessage(&m));
    EXPECT_EQ(dlg.pressed.back(), static_cast<UINT>(9000 + IDCANCEL));
    // A new default button takes Enter, and the look moves with it.
    dlg.SetDefID(IDOK);
    EXPECT_EQ(ok->m_dwStyle & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(scan->m_dwStyle & BS_TYPEMASK, BS_PUSHBUTTON);
    dlg.pressed.clear();
    m = KeyDown(name, VK_RETURN);
    dlg.IsDialogMessage(&m);
    EXPECT_EQ(dlg.pressed, (std::vector<UINT>{IDOK, 9000 + IDOK}));

    // Tab walks the enabled tab stops in template order and wraps.
    std::vector<int> walk;
    for (int i = 0; i < 4; ++i) {
        ASSERT_NE(CWnd::GetFocus(), nullptr);
        m = KeyDown(CWnd::GetFocus(), VK_TAB);
        EXPECT_TRUE(dlg.IsDialogMessage(&m));
        walk.push_back(CWnd::GetFocus() ? CWnd::GetFocus()->GetDlgCtrlID() : 0);
    }
    EXPECT_EQ(walk, (std::vector<int>{1002, 1005, IDOK, 1001}));
    dlg.DestroyWindow();
}

class CountDlg : public CDialog {
public:
    CountDlg() : CDialog(IDD_SETTINGS) {}
    CString m_name = "Li";
    int m_count = 3;
    void DoDataExchange(CDataExchange* dx) override {
        DDX_Text(dx, IDC_NAME, m_name);
        DDV_MaxChars(dx, m_name, 10);
        DDX_Text(dx, IDC_COUNT, m_count);
        DDV_MinMaxInt(dx, m_count, 1, 99);
    }
};

struct Refusal {
    BOOL endedAfterBadOk = TRUE;
    CWnd* focus = nullptr;
    CWnd* count = nullptr;
    int selStart = -1, selEnd = -1;
    BOOL endedAfterGoodOk = FALSE;
    BOOL nameRefused = FALSE;
};

TEST(DialogData, RefusedInputKeepsTheDialogOpenOnTheControl) {
    ASSERT_TRUE(UseSampleResources());
    AfxTestScript::Enable(true);
    AfxTestScript::Clear();
    static Refusal seen;
    AfxTestScript::QueueDialogAction(
        [](CWnd* w, void*) {
            auto* dlg = static_cast<CountDlg*>(w);
            seen.count = dlg->GetDlgItem(IDC_COUNT);
            dlg->SetDlgItemText(IDC_COUNT, "500");
            dlg->SendMessage(WM_COMMAND, IDOK);
            seen.endedAfterBadOk = dlg->m_bEnded;
            seen.focus = CWnd::GetFocus();
            static_cast<CEdit*>(seen.count)->GetSel(seen.selStart, seen.selEnd);
            // Ten bytes of Chinese fit the name's ten-character limit; twelve do not.
            dlg->SetDlgItemText(IDC_COUNT, "42");
            dlg->SetDlgItemText(IDC_NAME, CString(kZhongWen) + kZhongWen + kZhongWen);
            dlg->SendMessage(WM_COMMAND, IDOK);
            seen.nameRefused = !dlg->m_bEnded;
            dlg->SetDlgItemText(IDC_NAME, CString(kZhongWen) + kZhongWen + "ab");
            dlg->SendMessage(WM_COMMAND, IDOK);
            seen.endedAfterGoodOk = dlg->m_bEnded;
        },
        nullptr);
    AfxTestScript::QueueAnswer(IDOK);  // the range message
    AfxTestScript::QueueAnswer(IDOK);  // the length message
    CountDlg dlg;
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_FALSE(seen.endedAfterBadOk);
    EXPECT_EQ(seen.focus, seen.count);
    EXPECT_EQ(seen.selStart, 0);
    EXPECT_EQ(seen.selEnd, 3);
    EXPECT_TRUE(seen.nameRefused);
    EXPECT_TRUE(seen.endedAfterGoodOk);
    EXPECT_EQ(dlg.m_count, 42);
    EXPECT_STREQ(dlg.m_name, CString(kZhongWen) + kZhongWen + "ab");
    auto shown = AfxTestScript::Shown();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].text, "Enter an integer between 1 and 99.");
    EXPECT_EQ(shown[1].text, "Enter no more than 10 characters.");
    EXPECT_EQ(shown[2].result, IDOK);
    AfxTestScript::Clear();
    AfxTestScript::Enable(false);
}

// A dialog whose initialisation finds nothing to show.
class EmptyDlg : public CDialog {
public:
    EmptyDlg() : CDialog(IDD_SETTINGS) {}
    int shows = 0;
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        EndDialog(IDABORT);
        return TRUE;
    }
    LRESULT WindowProc(UINT m, WPARAM wp, LPARAM lp) override {
        if (m == WM_SHOWWINDOW && wp) ++shows;
        return CDialog::WindowProc(m, wp, lp);
    }
};

TEST(DialogData, EndingInInitialisationNeverShowsTheDialog) {
    ASSERT_TRUE(UseSampleResources());
    EmptyDlg dlg;
    AfxTestScript::Enable(true);
    AfxTestScript::Clear();
    EXPECT_EQ(dlg.DoModal(), IDABORT);
    AfxTestScript::Enable(false);
    EXPECT_EQ(dlg.shows, 0);
    EXPECT_EQ(dlg.m_hWnd, nullptr);
}

// A modeless dialog that owns itself, as tool windows are written.
class ToolDlg : public CDialog {
public:
    explicit ToolDlg(bool* gone) : CDialog(IDD_SETTINGS), gone_(gone) {}
    CListBox m_list;
    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, IDC_LIST, m_list); }
    void OnCancel() override { DestroyWindow(); }
    void PostNcDestroy() override {
        *gone_ = true;
        delete this;
    }

private:
    bool* gone_;
};

TEST(DialogModeless, SelfOwnedDialogsGoAwayCleanly) {
    ASSERT_TRUE(UseSampleResources());
    bool gone = false;
    auto* tool = new ToolDlg(&gone);
    ASSERT_TRUE(tool->Create(IDD_SETTINGS));
    tool->ShowWindow(SW_SHOW);
    tool->m_list.AddString("kept");
    EXPECT_EQ(static_cast<CListBox*>(tool->GetDlgItem(IDC_LIST)), &tool->m_list);
    MSG m = KeyDown(tool->GetDlgItem(IDC_NAME), VK_ESCAPE);
    EXPECT_TRUE(tool->IsDialogMessage(&m));
    EXPECT_TRUE(gone);

    // A modeless dialog on the stack, with a member control, ends with its scope.
    {
        CountDlg dlg;
        ASSERT_TRUE(dlg.Create(IDD_SETTINGS));
        CListBox list;
        DDX_Control(std::make_unique<CDataExchange>(&dlg, FALSE).get(), IDC_LIST, list);
        EXPECT_EQ(dlg.GetDlgItem(IDC_LIST), &list);
        dlg.EndDialog(IDOK);  // a modeless dialog only hides
        EXPECT_NE(dlg.m_hWnd, nullptr);
        EXPECT_FALSE(dlg.IsWindowVisible());
        list.DestroyWindow();
    }
    // One whose member took over a control goes with its scope while still open.
    {
        class MemberDlg : public CDialog {
        public:
            MemberDlg() : CDialog(IDD_SETTINGS) {}
            CComboBox m_kind;
            void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, IDC_KIND, m_kind); }
        } open;
        ASSERT_TRUE(open.Create(IDD_SETTINGS));
        open.ShowWindow(SW_SHOW);
        EXPECT_EQ(open.GetDlgItem(IDC_KIND), &open.m_kind);
        open.m_kind.AddString("text");
    }
    AfxPumpMessages();
}

TEST(DialogLook, SettingsDialogShowsItsControls) {
    ASSERT_TRUE(UseSampleResources());
    CountDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_SETTINGS));
    dlg.ShowWindow(SW_SHOW);
    auto* kind = static_cast<CComboBox*>(dlg.GetDlgItem(IDC_KIND));
    kind->AddString("alpha");
    kind->SetCurSel(0);
    static_cast<CListBox*>(dlg.GetDlgItem(IDC_LIST))->AddString(kZhongWen);
    static_cast<CProgressCtrl*>(dlg.GetDlgItem(IDC_PROGRESS))->SetPos(60);
    AfxPumpMessages();
    suite_test::TemporaryFolder temp("afx-ui-grab");
    CString path = CString((temp / "settings_dialog.png").c_str());
    ASSERT_TRUE(dlg.GrabToFile(path));
    QImage shot(QString::fromLocal8Bit(path.GetString()));
    ASSERT_FALSE(shot.isNull());
    // Each control covers its own place: the edits' white fields and the buttons stand apart.
    CRect name, ok;
    dlg.GetDlgItem(IDC_NAME)->GetWindowRect(&name);
    dlg.GetDlgItem(IDOK)->GetWindowRect(&ok);
    dlg.ScreenToClient(&name);
    dlg.ScreenToClient(&ok);
    EXPECT_GT(name.Width(), 100);
    EXPECT_LT(name.bottom, ok.top);
    EXPECT_EQ(shot.pixelColor(name.left + name.Width() / 2, name.top + name.Height() / 2), QColor(Qt::white));
    dlg.DestroyWindow();
}

}  // namespace
