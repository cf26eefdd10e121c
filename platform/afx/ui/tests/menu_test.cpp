// Menus: handles and the objects that hold them, the frame's menu bar as the
// window system shows it (update handlers, owner-drawn items, chosen
// commands), tracked popups under the script, and accelerator tables.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QWidgetAction>

#include <cstring>
#include <vector>

#include "platform/afx/ui/tests/sample_ids.h"
#include "platform/afx/ui/tests/test_app.h"

namespace {

// The window system's actions of a menu, by command id.
QAction* ActionOf(QMenu* menu, UINT id) {
    for (QAction* a : menu->actions())
        if (!a->isSeparator() && a->property("afxId").isValid() && a->property("afxId").toUInt() == id) return a;
    return nullptr;
}

// Opens the popup at `pos` of the frame's menu bar as a click on it would.
QMenu* OpenBarPopup(CWnd* frame, int pos) {
    auto* bar = frame->GetWidget()->findChild<QMenuBar*>();
    if (!bar || pos >= bar->actions().size()) return nullptr;
    QMenu* m = bar->actions()[pos]->menu();
    if (m) emit m->aboutToShow();
    return m;
}

TEST(MenuHandles, DestroyedMenusLeaveNoDanglingItemsOrObjects) {
    EnsureUi();
    // A popup destroyed on its own while its parent still lists it.
    CMenu bar;
    ASSERT_TRUE(bar.CreateMenu());
    HMENU popup = ::CreatePopupMenu();
    ASSERT_TRUE(bar.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(popup), "&File"));
    CMenu::FromHandle(popup)->AppendMenu(MF_STRING, 100, "One");
    EXPECT_EQ(bar.GetMenuState(100, MF_BYCOMMAND), 0u);
    EXPECT_TRUE(::DestroyMenu(popup));
    EXPECT_EQ(bar.GetSubMenu(0), nullptr);
    EXPECT_EQ(bar.GetMenuState(100, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_EQ(bar.GetMenuItemCount(), 1u);
    // Shown in a frame's bar, the item is there but cannot be used.
    auto* frame = new CFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, "Gone"));
    frame->SetMenu(&bar);
    auto* qbar = frame->GetWidget()->findChild<QMenuBar*>();
    ASSERT_NE(qbar, nullptr);
    ASSERT_EQ(qbar->actions().size(), 1);
    EXPECT_FALSE(qbar->actions()[0]->isEnabled());
    frame->SetMenu(nullptr);
    frame->DestroyWindow();
    AfxPumpMessages();

    // An object holding a popup that dies with its parent lets go of the
    // handle, and its own end does not reach a menu made since.
    auto* parent = new CMenu;
    ASSERT_TRUE(parent->CreatePopupMenu());
    auto* child = new CMenu;
    ASSERT_TRUE(child->CreatePopupMenu());
    ASSERT_TRUE(parent->AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(child->m_hMenu), "Sub"));
    EXPECT_EQ(parent->GetSubMenu(0), child);  // the caller's object, not a stand-in
    delete parent;
    EXPECT_EQ(child->m_hMenu, nullptr);
    CMenu later;
    ASSERT_TRUE(later.CreatePopupMenu());
    delete child;
    EXPECT_TRUE(::IsMenu(later.m_hMenu));

    // A second create keeps the first menu and makes no other.
    HMENU first = later.m_hMenu;
    EXPECT_FALSE(later.CreatePopupMenu());
    EXPECT_FALSE(later.LoadMenu(IDR_MAINFRAME));
    EXPECT_EQ(later.m_hMenu, first);
}

TEST(MenuHandles, PopupsThatAreNoMenusOrWouldHoldTheirParentAreRefused) {
    EnsureUi();
    CMenu top, sub, inner;
    ASSERT_TRUE(top.CreateMenu() && sub.CreatePopupMenu() && inner.CreatePopupMenu());
    ASSERT_TRUE(top.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(sub.m_hMenu), "Sub"));
    ASSERT_TRUE(sub.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(inner.m_hMenu), "Inner"));
    ASSERT_TRUE(inner.AppendMenu(MF_STRING, 7, "Seven"));
    // Not a menu: refused, nothing added.
    int junk = 0;
    EXPECT_FALSE(top.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(&junk), "Junk"));
    EXPECT_FALSE(top.InsertMenu(0, MF_BYPOSITION | MF_POPUP, 0, "Null"));
    EXPECT_FALSE(top.ModifyMenu(0, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(&junk), "Junk"));
    EXPECT_EQ(top.GetMenuItemCount(), 1u);
    EXPECT_EQ(top.GetSubMenu(0), &sub);
    // A menu inside itself would never end a search or a destroy.
    EXPECT_FALSE(top.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(top.m_hMenu), "Self"));
    EXPECT_FALSE(inner.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(top.m_hMenu), "Loop"));
    EXPECT_FALSE(inner.InsertMenu(7, MF_BYCOMMAND | MF_POPUP, reinterpret_cast<UINT_PTR>(sub.m_hMenu), "Loop"));
    EXPECT_EQ(inner.GetMenuItemCount(), 1u);
    EXPECT_EQ(top.GetMenuState(7, MF_BYCOMMAND), 0u);
    // The same popup twice in one menu is allowed; destroying the menu frees it once.
    EXPECT_TRUE(top.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(inner.m_hMenu), "Again"));
    EXPECT_TRUE(top.DestroyMenu());
    EXPECT_EQ(sub.m_hMenu, nullptr);
    EXPECT_EQ(inner.m_hMenu, nullptr);
}

TEST(MenuText, CopiedTextKeepsDoubleByteCharactersWhole) {
    EnsureUi();
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendMenu(MF_STRING, 1, "\xB0\xEF\xD6\xFA(&H)");  // "帮助(&H)" in GBK
    char buf[16];
    std::memset(buf, 'x', sizeof buf);
    // Room for three bytes: the second character would be cut in half.
    EXPECT_EQ(menu.GetMenuString(1, buf, 4, MF_BYCOMMAND), 2);
    EXPECT_STREQ(buf, "\xB0\xEF");
    EXPECT_EQ(menu.GetMenuString(0, buf, sizeof buf, MF_BYPOSITION), 8);
    EXPECT_STREQ(buf, "\xB0\xEF\xD6\xFA(&H)");
    EXPECT_EQ(menu.GetMenuString(1, nullptr, 0, MF_BYCOMMAND), 8);
}

class ZoomFrame : public CommandFrame {
public:
    BOOL m_penChecked = TRUE;
    void OnUpdatePen(CCmdUI* ui) { ui->SetCheck(m_penChecked); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(ZoomFrame, CommandFrame)
    ON_UPDATE_COMMAND_UI(ID_TOOL_PEN, OnUpdatePen)
END_MESSAGE_MAP()

class MenuBarTest : public SampleFrameTest<ZoomFrame, IDR_MAINFRAME> {};

TEST_F(MenuBarTest, OpeningAPopupShowsWhatTheUpdateHandlersSetAndItemsSendTheirCommands) {
    auto* bar = frame->GetWidget()->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->actions().size(), 4);
    EXPECT_EQ(bar->actions()[3]->text(), QString::fromUtf8("帮助(&H)"));

    QMenu* view = OpenBarPopup(frame, 1);
    ASSERT_NE(view, nullptr);
    ASSERT_NE(ActionOf(view, ID_VIEW_ZOOM_IN), nullptr);
    EXPECT_FALSE(ActionOf(view, ID_VIEW_ZOOM_IN)->isEnabled());
    EXPECT_TRUE(ActionOf(view, ID_VIEW_ZOOM_OUT)->isEnabled());
    frame->m_zoomEnabled = TRUE;
    view = OpenBarPopup(frame, 1);
    EXPECT_TRUE(ActionOf(view, ID_VIEW_ZOOM_IN)->isEnabled());

    QMenu* tools = OpenBarPopup(frame, 2);
    EXPECT_TRUE(ActionOf(tools, ID_TOOL_PEN)->isChecked());
    frame->m_penChecked = FALSE;
    tools = OpenBarPopup(frame, 2);
    EXPECT_FALSE(ActionOf(tools, ID_TOOL_PEN)->isChecked());

    // Choosing items posts their commands; after a removal the ids stay with their items.
    ActionOf(tools, ID_TOOL_ERASE)->trigger();
    CMenu* file = frame->GetMenu()->GetSubMenu(0);
    ASSERT_TRUE(file->RemoveMenu(ID_FILE_NEW, MF_BYCOMMAND));
    EXPECT_EQ(file->GetMenuItemID(0), static_cast<UINT>(ID_FILE_OPEN));
    QMenu* fileMenu = OpenBarPopup(frame, 0);
    EXPECT_EQ(ActionOf(fileMenu, ID_FILE_NEW), nullptr);
    EXPECT_EQ(fileMenu->actions()[0]->property("afxId").toUInt(), static_cast<UINT>(ID_FILE_OPEN));
    fileMenu->actions()[0]->trigger();
    AfxPumpMessages();
    EXPECT_EQ(frame->m_commands, (std::vector<UINT>{ID_TOOL_ERASE, ID_FILE_OPEN}));

    // A popup of the bar disabled without being grayed cannot be opened either.
    EXPECT_EQ(frame->GetMenu()->EnableMenuItem(2, MF_BYPOSITION | MF_DISABLED), MF_ENABLED);
    bar = frame->GetWidget()->findChild<QMenuBar*>();
    EXPECT_FALSE(bar->actions()[2]->isEnabled());
    // Removing a popup of the bar takes it off the bar at once.
    EXPECT_TRUE(frame->GetMenu()->DeleteMenu(1, MF_BYPOSITION));
    bar = frame->GetWidget()->findChild<QMenuBar*>();
    ASSERT_EQ(bar->actions().size(), 3);
    EXPECT_EQ(bar->actions()[1]->text(), QString("&Tools"));
}

TEST_F(MenuBarTest, TheDefaultItemStaysWithItsItemWhenOthersComeAndGo) {
    CMenu* file = frame->GetMenu()->GetSubMenu(0);
    ASSERT_TRUE(file->SetDefaultItem(ID_FILE_SAVE));
    ASSERT_TRUE(file->RemoveMenu(ID_FILE_NEW, MF_BYCOMMAND));
    ASSERT_TRUE(file->InsertMenu(0, MF_BYPOSITION | MF_STRING, ID_FILE_NEW, "&New"));
    ASSERT_TRUE(file->DeleteMenu(1, MF_BYPOSITION));  // Open
    EXPECT_TRUE(file->GetMenuState(ID_FILE_SAVE, MF_BYCOMMAND) & MF_DEFAULT);
    QMenu* menu = OpenBarPopup(frame, 0);
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(ActionOf(menu, ID_FILE_SAVE)->font().bold());
    EXPECT_FALSE(ActionOf(menu, ID_FILE_NEW)->font().bold());
    EXPECT_FALSE(ActionOf(menu, ID_APP_EXIT)->font().bold());
    ASSERT_TRUE(file->SetDefaultItem(static_cast<UINT>(-1)));
    menu = OpenBarPopup(frame, 0);
    EXPECT_FALSE(ActionOf(menu, ID_FILE_SAVE)->font().bold());
}

// Owner-drawn items: the owner measures and paints them from their item data.
class DrawingFrame : public CFrameWnd {
public:
    std::vector<DWORD_PTR> m_measured, m_drawn;
    HWND m_drawnMenu = nullptr;
    void OnMeasureItem(int, LPMEASUREITEMSTRUCT mis) {
        if (mis->CtlType != ODT_MENU) return;
        m_measured.push_back(mis->itemData);
        mis->itemWidth = 120;
        mis->itemHeight = static_cast<UINT>(10 + mis->itemData);
    }
    void OnDrawItem(int, LPDRAWITEMSTRUCT dis) {
        m_drawn.push_back(dis->itemData);
        m_drawnMenu = dis->hwndItem;
        CDC* dc = CDC::FromHandle(dis->hDC);
        dc->FillSolidRect(&dis->rcItem, dis->itemState & ODS_DISABLED ? RGB(0, 0, 255) : RGB(255, 0, 0));
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(DrawingFrame, CFrameWnd)
    ON_WM_MEASUREITEM()
    ON_WM_DRAWITEM()
END_MESSAGE_MAP()

// A menu class that draws its own items, for owners that leave them to it.
class SelfDrawnMenu : public CMenu {
public:
    std::vector<UINT> m_measured, m_drawn;
    void MeasureItem(LPMEASUREITEMSTRUCT mis) override {
        m_measured.push_back(mis->itemID);
        mis->itemWidth = 90;
        mis->itemHeight = 17;
    }
    void DrawItem(LPDRAWITEMSTRUCT dis) override {
        m_drawn.push_back(static_cast<UINT>(dis->itemData));
        CDC::FromHandle(dis->hDC)->FillSolidRect(&dis->rcItem, RGB(0, 160, 0));
    }
};

QWidget* OwnerDrawnWidget(QMenu* menu, int index) {
    auto* wa = qobject_cast<QWidgetAction*>(menu->actions().value(index));
    return wa ? wa->defaultWidget() : nullptr;
}

QRgb CentreOf(QWidget* w) {
    QImage img = w->grab().toImage();
    return img.pixel(img.width() / 2, img.height() / 2) & 0xFFFFFFu;
}

TEST(OwnerDrawnMenus, OwnersOrTheMenuObjectMeasureAndDrawFromTheItemData) {
    EnsureUi();
    auto* frame = new DrawingFrame;
    ASSERT_TRUE(frame->Create(nullptr, "Owner drawn"));
    frame->m_bAutoMenuEnable = FALSE;  // the items have no command handlers
    CMenu bar;
    ASSERT_TRUE(bar.CreateMenu());
    CMenu popup;
    ASSERT_TRUE(popup.CreatePopupMenu());
    popup.AppendMenu(MF_OWNERDRAW, 501, reinterpret_cast<LPCTSTR>(static_cast<DWORD_PTR>(4)));
    popup.AppendMenu(MF_OWNERDRAW | MF_GRAYED, 502, reinterpret_cast<LPCTSTR>(static_cast<DWORD_PTR>(9)));
    bar.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(popup.m_hMenu), "&Pages");
    // Item data given later by command replaces the first.
    EXPECT_TRUE(popup.ModifyMenu(501, MF_BYCOMMAND | MF_OWNERDRAW, 501, reinterpret_cast<LPCTSTR>(static_cast<DWORD_PTR>(6))));
    EXPECT_EQ(popup.GetItemData(501, MF_BYCOMMAND), 6u);
    frame->SetMenu(&bar);

    QMenu* pages = OpenBarPopup(frame, 0);
    ASSERT_NE(pages, nullptr);
    EXPECT_EQ(frame->m_measured, (std::vector<DWORD_PTR>{6, 9}));
    QWidget* first = OwnerDrawnWidget(pages, 0);
    QWidget* second = OwnerDrawnWidget(pages, 1);
    ASSERT_TRUE(first && second);
    // The check mark's width less one is added to the measured width, as the window system does.
    const int check = GetSystemMetrics(SM_CXMENUCHECK) - 1;
    EXPECT_EQ(first->size(), QSize(120 + check, 16));
    EXPECT_EQ(second->size(), QSize(120 + check, 19));
    EXPECT_EQ(CentreOf(first), 0xFF0000u);
    EXPECT_EQ(CentreOf(second), 0x0000FFu);  // drawn as disabled
    EXPECT_EQ(frame->m_drawn, (std::vector<DWORD_PTR>{6, 9}));
    EXPECT_EQ(frame->m_drawnMenu, reinterpret_cast<HWND>(popup.m_hMenu));
    frame->SetMenu(nullptr);
    frame->DestroyWindow();

    // An owner without handlers: the menu object attached to the popup does it.
    auto* plain = new CFrameWnd;
    ASSERT_TRUE(plain->Create(nullptr, "Plain owner"));
    CMenu bar2;
    ASSERT_TRUE(bar2.CreateMenu());
    SelfDrawnMenu self;
    ASSERT_TRUE(self.CreatePopupMenu());
    self.AppendMenu(MF_OWNERDRAW, 601, reinterpret_cast<LPCTSTR>(static_cast<DWORD_PTR>(61)));
    bar2.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(self.m_hMenu), "&Self");
    EXPECT_EQ(CMenu::FromHandle(self.m_hMenu), &self);
    plain->SetMenu(&bar2);
    QMenu* selfMenu = OpenBarPopup(plain, 0);
    ASSERT_NE(selfMenu, nullptr);
    QWidget* item = OwnerDrawnWidget(selfMenu, 0);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->size(), QSize(90 + GetSystemMetrics(SM_CXMENUCHECK) - 1, 17));
    EXPECT_EQ(CentreOf(item), 0x00A000u);
    EXPECT_EQ(self.m_measured, std::vector<UINT>{601});
    EXPECT_EQ(self.m_drawn, std::vector<UINT>{61});
    plain->SetMenu(nullptr);
    plain->DestroyWindow();
    AfxPumpMessages();
}

// Typed characters that no mnemonic takes go to the owner as WM_MENUCHAR.
class MnemonicFrame : public CFrameWnd {
public:
    std::vector<UINT> m_chars, m_commands;
    HMENU m_menu = nullptr;
    LRESULT OnMenuChar(UINT ch, UINT flags, CMenu* menu) {
        m_chars.push_back(ch);
        if (!(flags & MF_POPUP) || !menu || menu->m_hMenu != m_menu) return 0;
        if (ch == 'b' || ch == 'B') return MAKELRESULT(1, MNC_EXECUTE);
        if (ch == 'c') return MAKELRESULT(2, MNC_EXECUTE);  // the separator: nothing
        return 0;
    }
    void OnItem(UINT id) { m_commands.push_back(id); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(MnemonicFrame, CFrameWnd)
    ON_WM_MENUCHAR()
    ON_COMMAND_RANGE(701, 703, OnItem)
END_MESSAGE_MAP()

TEST(OwnerDrawnMenus, CharactersWithoutAMnemonicAreAnsweredByTheOwner) {
    EnsureUi();
    auto* frame = new MnemonicFrame;
    ASSERT_TRUE(frame->Create(nullptr, "Mnemonics"));
    CMenu bar, popup;
    ASSERT_TRUE(bar.CreateMenu() && popup.CreatePopupMenu());
    popup.AppendMenu(MF_OWNERDRAW, 701, nullptr);
    popup.AppendMenu(MF_OWNERDRAW, 702, nullptr);
    popup.AppendMenu(MF_SEPARATOR);
    popup.AppendMenu(MF_STRING, 703, "&Alpha\tCtrl+A");
    bar.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(popup.m_hMenu), "&Icons");
    frame->m_menu = popup.m_hMenu;
    frame->SetMenu(&bar);
    QMenu* menu = OpenBarPopup(frame, 0);
    ASSERT_NE(menu, nullptr);
    auto type = [&](Qt::Key key, const char* text) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString::fromLatin1(text));
        QCoreApplication::sendEvent(menu, &press);
    };
    type(Qt::Key_A, "a");  // the text item's own mnemonic: chosen without asking
    type(Qt::Key_B, "B");
    type(Qt::Key_C, "c");
    type(Qt::Key_Z, "z");
    AfxPumpMessages();
    EXPECT_EQ(frame->m_chars, (std::vector<UINT>{'B', 'c', 'z'}));
    EXPECT_EQ(frame->m_commands, (std::vector<UINT>{703, 702}));
    frame->SetMenu(nullptr);
    frame->DestroyWindow();
    AfxPumpMessages();
}

// Tracked popups under the script choose as a person could.
class PopupOwner : public CommandFrame {
public:
    BOOL m_eraseEnabled = TRUE;
    std::vector<HMENU> m_opened;
    void OnUpdateErase(CCmdUI* ui) { ui->Enable(m_eraseEnabled); }
    void OnInitMenuPopup(CMenu* popup, UINT index, BOOL sys) {
        m_opened.push_back(popup->m_hMenu);
        CommandFrame::OnInitMenuPopup(popup, index, sys);
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(PopupOwner, CommandFrame)
    ON_WM_INITMENUPOPUP()
    ON_UPDATE_COMMAND_UI(ID_TOOL_ERASE, OnUpdateErase)
END_MESSAGE_MAP()

TEST(TrackedPopups, ScriptedChoicesFollowTheStateTheOwnerGivesTheItems) {
    EnsureUi();
    AfxTestScript::Enable(true);
    AfxTestScript::Clear();
    auto* owner = new PopupOwner;
    ASSERT_TRUE(owner->Create(nullptr, "Popups"));
    CMenu menu, tools;
    ASSERT_TRUE(menu.CreatePopupMenu() && tools.CreatePopupMenu());
    menu.AppendMenu(MF_STRING, ID_VIEW_ZOOM_OUT, "Zoom &Out");
    menu.AppendMenu(MF_STRING, 4242, "Unhandled");
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(tools.m_hMenu), "&Tools");
    tools.AppendMenu(MF_STRING, ID_TOOL_PEN, "&Pen");
    tools.AppendMenu(MF_STRING, ID_TOOL_ERASE, "&Eraser");

    // An item of a nested popup: that popup opens (and is updated) on the way.
    AfxTestScript::QueueAnswer(ID_TOOL_ERASE);
    EXPECT_EQ(static_cast<UINT>(menu.TrackPopupMenu(TPM_RETURNCMD, 0, 0, owner)), static_cast<UINT>(ID_TOOL_ERASE));
    EXPECT_EQ(owner->m_opened, (std::vector<HMENU>{menu.m_hMenu, tools.m_hMenu}));
    // Disabled by its update handler when the popup opens: it cannot be chosen.
    owner->m_eraseEnabled = FALSE;
    AfxTestScript::QueueAnswer(ID_TOOL_ERASE);
    EXPECT_EQ(menu.TrackPopupMenu(TPM_RETURNCMD, 0, 0, owner), 0);
    // No handler at all (disabled on opening), an id the menu does not have,
    // or no answer: dismissed.
    AfxTestScript::QueueAnswer(4242);
    EXPECT_FALSE(menu.TrackPopupMenu(0, 0, 0, owner));
    AfxTestScript::QueueAnswer(4343);
    EXPECT_EQ(menu.TrackPopupMenu(TPM_RETURNCMD, 0, 0, owner), 0);
    EXPECT_EQ(menu.TrackPopupMenu(TPM_RETURNCMD, 0, 0, owner), 0);
    // A grayed item that no update changes.
    owner->m_bAutoMenuEnable = FALSE;
    menu.EnableMenuItem(ID_VIEW_ZOOM_OUT, MF_BYCOMMAND | MF_GRAYED);
    AfxTestScript::QueueAnswer(ID_VIEW_ZOOM_OUT);
    EXPECT_FALSE(menu.TrackPopupMenu(0, 0, 0, owner));
    AfxPumpMessages();
    EXPECT_TRUE(owner->m_commands.empty());
    // Without TPM_RETURNCMD the choice reaches the owner as a command.
    menu.EnableMenuItem(ID_VIEW_ZOOM_OUT, MF_BYCOMMAND | MF_ENABLED);
    AfxTestScript::QueueAnswer(ID_VIEW_ZOOM_OUT);
    EXPECT_TRUE(menu.TrackPopupMenu(TPM_RIGHTBUTTON, 0, 0, owner));
    AfxPumpMessages();
    EXPECT_EQ(owner->m_commands, std::vector<UINT>{ID_VIEW_ZOOM_OUT});

    auto shown = AfxTestScript::Shown();
    ASSERT_EQ(shown.size(), 7u);
    EXPECT_EQ(shown[0].kind, "menu");
    EXPECT_EQ(shown[0].buttons, (std::vector<std::string>{"Zoom &Out", "Unhandled", "", "&Tools"}));
    EXPECT_EQ(shown[0].result, ID_TOOL_ERASE);
    EXPECT_EQ(shown[1].result, 0);
    EXPECT_EQ(shown[6].result, ID_VIEW_ZOOM_OUT);
    owner->DestroyWindow();
    AfxPumpMessages();
    AfxTestScript::Clear();
    AfxTestScript::Enable(false);
}

TEST_F(MenuBarTest, ReopeningPopupsDoesNotPileUpTheirNestedMenus) {
    CMenu* file = frame->GetMenu()->GetSubMenu(0);
    CMenu recent;
    ASSERT_TRUE(recent.CreatePopupMenu());
    recent.AppendMenu(MF_STRING, ID_FILE_NEW, "one.tif");
    ASSERT_TRUE(file->AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(recent.Detach()), "Recent"));
    QMenu* fileMenu = nullptr;
    for (int i = 0; i < 20; ++i) {
        fileMenu = OpenBarPopup(frame, 0);
        ASSERT_NE(fileMenu, nullptr);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_EQ(fileMenu->findChildren<QMenu*>(Qt::FindDirectChildrenOnly).size(), 1);
    for (int i = 0; i < 20; ++i) frame->GetMenu()->EnableMenuItem(0, MF_BYPOSITION | (i % 2 ? MF_ENABLED : MF_GRAYED));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    auto* bar = frame->GetWidget()->findChild<QMenuBar*>();
    EXPECT_EQ(bar->findChildren<QMenu*>(Qt::FindDirectChildrenOnly).size(), 4);
}

TEST(Accelerators, KeysBecomeCommandsUnlessTheUpdateHandlerDisablesThem) {
    EnsureUi();
    auto* frame = new CommandFrame;
    ASSERT_TRUE(frame->Create(nullptr, "Keys"));
    ACCEL entries[] = {
        {FVIRTKEY, VK_F5, ID_VIEW_ZOOM_IN},
        {FVIRTKEY, VK_F6, ID_VIEW_ZOOM_OUT},
        {0, 'e', ID_TOOL_ERASE},  // a typed character
    };
    HACCEL table = CreateAcceleratorTable(entries, 3);
    ASSERT_NE(table, nullptr);
    auto key = [&](UINT message, WPARAM w) {
        MSG msg{};
        msg.hwnd = frame->m_hWnd;
        msg.message = message;
        msg.wParam = w;
        return TranslateAccelerator(frame->m_hWnd, table, &msg);
    };
    EXPECT_EQ(key(WM_KEYDOWN, VK_F6), 1);
    // Disabled by the handler: the key is taken but no command goes out.
    EXPECT_EQ(key(WM_KEYDOWN, VK_F5), 1);
    frame->m_zoomEnabled = TRUE;
    EXPECT_EQ(key(WM_KEYDOWN, VK_F5), 1);
    // A character entry answers the character, not the key of the same code.
    EXPECT_EQ(key(WM_KEYDOWN, 'e'), 0);
    EXPECT_EQ(key(WM_CHAR, 'e'), 1);
    EXPECT_EQ(key(WM_KEYUP, VK_F6), 0);
    EXPECT_EQ(frame->m_commands, (std::vector<UINT>{ID_VIEW_ZOOM_OUT, ID_VIEW_ZOOM_IN, ID_TOOL_ERASE}));
    DestroyAcceleratorTable(table);
    frame->DestroyWindow();
    AfxPumpMessages();
}

}  // namespace
