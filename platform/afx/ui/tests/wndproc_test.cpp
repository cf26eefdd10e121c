// Procedures put in front of a window, key names, the system check mark and
// what a menu tells its owner about its highlight and its closing.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QWidgetAction>

#include <string>
#include <vector>

#include "platform/afx/ui/tests/test_app.h"
#include "platform/afx/ui/drawstate.h"
#include "platform/afx/ui/wndproc.h"

namespace {

constexpr UINT kProbe = WM_USER + 40;

class ProbeWnd : public CWnd {
public:
    std::vector<std::string> seen;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kProbe) {
            seen.push_back("window:" + std::to_string(wParam));
            return 100 + static_cast<LRESULT>(wParam);
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

std::vector<std::string>* g_log = nullptr;
WNDPROC g_beforeOuter = nullptr;
WNDPROC g_beforeInner = nullptr;

LRESULT InnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kProbe) g_log->push_back("inner:" + std::to_string(wParam));
    return CallWindowProc(g_beforeInner, hwnd, message, wParam, lParam);
}

LRESULT OuterProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kProbe) {
        g_log->push_back("outer:" + std::to_string(wParam));
        // The current-message record is the message being handled.
        const MSG* current = AfxCurrentMessageRecord();
        EXPECT_TRUE(current && current->message == kProbe && current->wParam == wParam);
        if (wParam == 7) return -7;  // taken here: the window never sees it
    }
    return CallWindowProc(g_beforeOuter, hwnd, message, wParam, lParam);
}

TEST(WindowProcedures, ProceduresInFrontSeeSentAndPostedMessagesFirstAndPassThemOn) {
    EnsureUi();
    ProbeWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "Probe", WS_OVERLAPPED, CRect(0, 0, 50, 50), nullptr, 0));
    g_log = &wnd.seen;
    const LONG_PTR own = GetWindowLongPtr(wnd.m_hWnd, GWLP_WNDPROC);
    ASSERT_NE(own, 0);
    g_beforeInner = reinterpret_cast<WNDPROC>(SetWindowLongPtr(wnd.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&InnerProc)));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(g_beforeInner), own);
    g_beforeOuter = reinterpret_cast<WNDPROC>(SetWindowLongPtr(wnd.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OuterProc)));
    EXPECT_EQ(g_beforeOuter, &InnerProc);
    EXPECT_EQ(wnd.SendMessage(kProbe, 1), 101);
    EXPECT_EQ(wnd.SendMessage(kProbe, 7), -7);
    wnd.PostMessage(kProbe, 2);
    AfxPumpMessages();
    EXPECT_EQ(wnd.seen, (std::vector<std::string>{"outer:1", "inner:1", "window:1", "outer:7", "outer:2", "inner:2",
                                                  "window:2"}));
    // Putting the old procedures back leaves the window's own.
    SetWindowLongPtr(wnd.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_beforeOuter));
    SetWindowLongPtr(wnd.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_beforeInner));
    EXPECT_EQ(GetWindowLongPtr(wnd.m_hWnd, GWLP_WNDPROC), own);
    wnd.seen.clear();
    EXPECT_EQ(wnd.SendMessage(kProbe, 3), 103);
    EXPECT_EQ(wnd.seen, std::vector<std::string>{"window:3"});
    EXPECT_EQ(SetWindowLongPtr(wnd.m_hWnd, GWLP_WNDPROC, 0), 0) << "no procedure is refused";
    EXPECT_EQ(GetWindowLongPtr(nullptr, GWLP_WNDPROC), 0);
    wnd.DestroyWindow();
    g_log = nullptr;
}

std::string KeyName(UINT vk) {
    const UINT scan = MapVirtualKey(vk, MAPVK_VK_TO_VSC);
    LONG lParam = static_cast<LONG>((scan & 0xFF) << 16);
    if (scan & 0xE000) lParam |= 1L << 24;
    char name[32] = {};
    GetKeyNameText(lParam, name, sizeof name);
    return name;
}

TEST(KeyNames, MenuKeysAreNamedAsTheLayoutSpellsThem) {
    EXPECT_EQ(KeyName(VK_DELETE), "Delete") << "the extended key, not the keypad's";
    EXPECT_EQ(KeyName(VK_NEXT), "Page Down");
    EXPECT_EQ(KeyName(VK_PRIOR), "Page Up");
    EXPECT_EQ(KeyName(VK_INSERT), "Insert");
    EXPECT_EQ(KeyName(VK_F5), "F5");
    EXPECT_EQ(KeyName(VK_F8), "F8");
    EXPECT_EQ(KeyName(VK_F12), "F12");
    EXPECT_EQ(KeyName('O'), "O");
    EXPECT_EQ(KeyName('M'), "M");
    EXPECT_EQ(KeyName('7'), "7");
    EXPECT_EQ(KeyName(VK_TAB), "Tab");
    EXPECT_EQ(KeyName(VK_DECIMAL), "Num Del");
    // Without the extended flag the shared scan code names the keypad key.
    char name[32];
    GetKeyNameText(0x53L << 16, name, sizeof name);
    EXPECT_STREQ(name, "Num Del");
    // A small buffer cuts the name; an unknown key has none.
    EXPECT_EQ(GetKeyNameText(0x49L << 16 | 1L << 24, name, 5), 4);
    EXPECT_STREQ(name, "Page");
    EXPECT_EQ(GetKeyNameText(0x7FL << 16, name, sizeof name), 0);
    EXPECT_EQ(MapVirtualKey(0xFF, MAPVK_VK_TO_VSC), 0u);
}

TEST(SystemBitmaps, CheckMarkIsABlackTickOnWhite) {
    EnsureUi();
    CBitmap mark;
    ASSERT_TRUE(mark.Attach(::LoadBitmap(nullptr, MAKEINTRESOURCE(OBM_CHECK))));
    BITMAP info{};
    mark.GetBitmap(&info);
    EXPECT_EQ(info.bmWidth, GetSystemMetrics(SM_CXMENUCHECK));
    EXPECT_EQ(info.bmHeight, GetSystemMetrics(SM_CYMENUCHECK));
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap* old = dc.SelectObject(&mark);
    EXPECT_EQ(dc.GetPixel(0, 0) & 0xFFFFFF, RGB(255, 255, 255));
    EXPECT_EQ(dc.GetPixel(5, 7) & 0xFFFFFF, RGB(0, 0, 0)) << "the tick's bottom";
    EXPECT_EQ(dc.GetPixel(9, 3) & 0xFFFFFF, RGB(0, 0, 0)) << "the tick's tip";
    dc.SelectObject(old);
}

TEST(SystemBitmaps, DisabledBitmapsAreEmbossedFromTheirDarkPixelsOnly) {
    EnsureUi();
    // A 6 x 6 picture: face-coloured, with a black 2 x 2 block at (2, 2) and a white pixel at (0, 5).
    CDC src;
    src.CreateCompatibleDC(nullptr);
    CBitmap picture;
    picture.CreateBitmap(6, 6, 1, 32, nullptr);
    CBitmap* oldSrc = src.SelectObject(&picture);
    src.FillSolidRect(0, 0, 6, 6, GetSysColor(COLOR_BTNFACE));
    src.FillSolidRect(2, 2, 2, 2, RGB(0, 0, 0));
    src.SetPixel(0, 5, RGB(255, 255, 255));
    src.SelectObject(oldSrc);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap target;
    target.CreateBitmap(10, 10, 1, 32, nullptr);
    CBitmap* old = dc.SelectObject(&target);
    const COLORREF paper = RGB(10, 200, 10);
    dc.FillSolidRect(0, 0, 10, 10, paper);
    EXPECT_TRUE(DrawState(dc.GetSafeHdc(), nullptr, nullptr, reinterpret_cast<LPARAM>(picture.GetSafeHandle()), 0, 1,
                          1, 6, 6, DST_BITMAP | DSS_DISABLED));
    EXPECT_EQ(dc.GetPixel(3, 3) & 0xFFFFFF, GetSysColor(COLOR_BTNSHADOW)) << "the block in shadow";
    EXPECT_EQ(dc.GetPixel(5, 5) & 0xFFFFFF, GetSysColor(COLOR_BTNHIGHLIGHT)) << "its highlight one pixel down-right";
    EXPECT_EQ(dc.GetPixel(1, 1) & 0xFFFFFF, paper) << "the face stays away";
    EXPECT_EQ(dc.GetPixel(1, 6) & 0xFFFFFF, paper) << "so does white";
    EXPECT_TRUE(DrawState(dc.GetSafeHdc(), nullptr, nullptr, reinterpret_cast<LPARAM>(picture.GetSafeHandle()), 0, 1,
                          1, 6, 6, DST_BITMAP));
    EXPECT_EQ(dc.GetPixel(1, 1) & 0xFFFFFF, GetSysColor(COLOR_BTNFACE)) << "a normal bitmap is copied whole";
    EXPECT_FALSE(DrawState(dc.GetSafeHdc(), nullptr, nullptr, 0, 0, 0, 0, 6, 6, DST_BITMAP));
    dc.SelectObject(old);
}

// A frame that notes where the highlight was when a character came, and
// the menu-select messages it gets.
class HighlightFrame : public CFrameWnd {
public:
    std::vector<int> highlighted;
    int selectNext = -1;
    std::vector<std::pair<UINT, HMENU>> selects;
    LRESULT OnMenuChar(UINT, UINT, CMenu* menu) {
        int at = -1;
        for (UINT i = 0; menu && i < menu->GetMenuItemCount(); ++i)
            if (menu->GetMenuState(i, MF_BYPOSITION) & MF_HILITE) at = static_cast<int>(i);
        highlighted.push_back(at);
        return selectNext >= 0 ? MAKELRESULT(selectNext, MNC_SELECT) : 0;
    }
    void OnItem(UINT) {}
    void OnMenuSelect(UINT id, UINT flags, HMENU menu) {
        selects.emplace_back(flags, menu);
        CFrameWnd::OnMenuSelect(id, flags, menu);
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(HighlightFrame, CFrameWnd)
    ON_WM_MENUCHAR()
    ON_WM_MENUSELECT()
    ON_COMMAND_RANGE(801, 803, OnItem)
END_MESSAGE_MAP()

TEST(MenuOwners, TheHighlightIsReadableAndClosingIsTold) {
    EnsureUi();
    auto* frame = new HighlightFrame;
    ASSERT_TRUE(frame->Create(nullptr, "Highlight"));
    CMenu bar, popup;
    ASSERT_TRUE(bar.CreateMenu() && popup.CreatePopupMenu());
    popup.AppendMenu(MF_OWNERDRAW, 801, nullptr);
    popup.AppendMenu(MF_OWNERDRAW, 802, nullptr);
    popup.AppendMenu(MF_OWNERDRAW, 803, nullptr);
    bar.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(popup.m_hMenu), "&Items");
    frame->SetMenu(&bar);
    auto* qbar = frame->GetWidget()->findChild<QMenuBar*>();
    ASSERT_NE(qbar, nullptr);
    QMenu* menu = qbar->actions()[0]->menu();
    ASSERT_NE(menu, nullptr);
    menu->popup(QPoint(10, 10));
    auto type = [&] {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, QStringLiteral("q"));
        QCoreApplication::sendEvent(menu, &press);
    };
    auto hover = [&](int i) {
        auto* wa = qobject_cast<QWidgetAction*>(menu->actions()[i]);
        ASSERT_NE(wa, nullptr);
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QCoreApplication::sendEvent(wa->defaultWidget(), &enter);
    };
    type();
    hover(2);
    type();
    hover(0);
    type();
    EXPECT_EQ(frame->highlighted, (std::vector<int>{-1, 2, 0}));
    EXPECT_EQ(popup.GetMenuState(0, MF_BYPOSITION) & MF_HILITE, static_cast<UINT>(MF_HILITE));
    // The owner's MNC_SELECT answer moves the highlight.
    frame->selectNext = 1;
    type();
    EXPECT_EQ(frame->highlighted.size(), 4u);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(popup.GetMenuState(1, MF_BYPOSITION) & MF_HILITE, static_cast<UINT>(MF_HILITE));
    EXPECT_EQ(popup.GetMenuState(0, MF_BYPOSITION) & MF_HILITE, 0u);
    frame->selects.clear();
    menu->close();
    ASSERT_FALSE(frame->selects.empty());
    EXPECT_EQ(frame->selects.back().first, 0xFFFFu);
    EXPECT_EQ(frame->selects.back().second, nullptr);
    frame->SetMenu(nullptr);
    frame->DestroyWindow();
    AfxPumpMessages();
}

TEST(MenuOwners, ATrackedPopupTellsItsOwnerWhenItEnds) {
    EnsureUi();
    AfxTestScript::Enable(true);
    AfxTestScript::Clear();
    auto* frame = new HighlightFrame;
    ASSERT_TRUE(frame->Create(nullptr, "Tracked"));
    CMenu popup;
    ASSERT_TRUE(popup.CreatePopupMenu());
    popup.AppendMenu(MF_STRING, 901, "One");
    AfxTestScript::QueueAnswer(0);
    popup.TrackPopupMenu(TPM_RETURNCMD, 10, 10, frame);
    ASSERT_EQ(frame->selects.size(), 1u);
    EXPECT_EQ(frame->selects[0].first, 0xFFFFu);
    frame->DestroyWindow();
    AfxPumpMessages();
    AfxTestScript::Clear();
    AfxTestScript::Enable(false);
}

}  // namespace
