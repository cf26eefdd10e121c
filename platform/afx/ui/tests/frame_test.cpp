// Menus, accelerators, control bars, splitters and the application profile.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/afx/ui/testing.h"
#include "platform/afx/ui/tests/sample_ids.h"
#include "platform/afx/ui/tests/test_app.h"
#include "platform/win/library.h"
#include "platform/win/tests/temporary_folder.h"

namespace {

class MenuOwner : public CommandFrame {
public:
    void OnUpdatePen(CCmdUI* ui) { ui->SetCheck(1); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(MenuOwner, CommandFrame)
    ON_UPDATE_COMMAND_UI(ID_TOOL_PEN, OnUpdatePen)
END_MESSAGE_MAP()

class FrameTest : public SampleFrameTest<MenuOwner, IDR_MAINFRAME> {};

TEST_F(FrameTest, MenusFromResourcesChangeByPositionAndId) {
    CMenu* bar = frame->GetMenu();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->GetMenuItemCount(), 4u);
    CString label;
    bar->GetMenuString(3, label, MF_BYPOSITION);
    EXPECT_STREQ(label, "\xB0\xEF\xD6\xFA(&H)");  // "帮助(&H)" in GBK
    CMenu* file = bar->GetSubMenu(0);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->GetMenuItemID(1), static_cast<UINT>(ID_FILE_OPEN));
    EXPECT_EQ(file->GetMenuItemID(3), 0u);  // the separator
    // By id, found in any popup of the bar.
    EXPECT_EQ(bar->EnableMenuItem(ID_TOOL_ERASE, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED);
    EXPECT_EQ(bar->GetMenuState(ID_TOOL_ERASE, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);
    EXPECT_EQ(bar->CheckMenuItem(ID_TOOL_PEN, MF_CHECKED), MF_UNCHECKED);
    EXPECT_EQ(bar->GetMenuState(ID_TOOL_PEN, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
    EXPECT_EQ(bar->EnableMenuItem(4242, MF_GRAYED), static_cast<UINT>(-1));
    // Removing, inserting and changing items.
    EXPECT_TRUE(file->RemoveMenu(ID_FILE_SAVE, MF_BYCOMMAND));
    EXPECT_EQ(file->GetMenuItemCount(), 4u);
    EXPECT_TRUE(file->InsertMenu(0, MF_BYPOSITION | MF_STRING, 777, "First"));
    EXPECT_EQ(file->GetMenuItemID(0), 777u);
    EXPECT_TRUE(file->ModifyMenu(777, MF_BYCOMMAND | MF_STRING, 778, "Changed"));
    file->GetMenuString(0, label, MF_BYPOSITION);
    EXPECT_STREQ(label, "Changed");
    EXPECT_TRUE(file->DeleteMenu(0, MF_BYPOSITION));
    EXPECT_FALSE(file->DeleteMenu(40, MF_BYPOSITION));
}

TEST_F(FrameTest, OpeningAPopupRunsTheUpdateHandlers) {
    CMenu* view = frame->GetMenu()->GetSubMenu(1);
    CMenu* tools = frame->GetMenu()->GetSubMenu(2);
    frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(view->m_hMenu), 1);
    frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(tools->m_hMenu), 2);
    EXPECT_EQ(view->GetMenuState(ID_VIEW_ZOOM_IN, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);
    // No update handler but a command handler: enabled; neither: disabled.
    EXPECT_EQ(view->GetMenuState(ID_VIEW_ZOOM_OUT, MF_BYCOMMAND) & MF_GRAYED, 0u);
    EXPECT_EQ(frame->GetMenu()->GetMenuState(ID_APP_ABOUT, MF_BYCOMMAND) & MF_GRAYED, 0u);
    EXPECT_EQ(tools->GetMenuState(ID_TOOL_PEN, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
    frame->m_zoomEnabled = TRUE;
    frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(view->m_hMenu), 1);
    EXPECT_EQ(view->GetMenuState(ID_VIEW_ZOOM_IN, MF_BYCOMMAND) & MF_GRAYED, 0u);
}

TEST_F(FrameTest, PopupMenusReturnOrSendTheChoice) {
    AfxTestScript::Enable(true);
    CMenu popup;
    ASSERT_TRUE(popup.CreatePopupMenu());
    popup.AppendMenu(MF_STRING, ID_TOOL_PEN, "Pen");
    popup.AppendMenu(MF_SEPARATOR);
    popup.AppendMenu(MF_STRING, ID_TOOL_ERASE, "Eraser");
    AfxTestScript::QueueAnswer(ID_TOOL_ERASE);
    EXPECT_EQ(static_cast<UINT>(popup.TrackPopupMenu(TPM_RETURNCMD | TPM_NONOTIFY, 10, 10, frame)), static_cast<UINT>(ID_TOOL_ERASE));
    EXPECT_TRUE(frame->m_commands.empty());
    AfxTestScript::QueueAnswer(ID_TOOL_PEN);
    EXPECT_TRUE(popup.TrackPopupMenu(TPM_RIGHTBUTTON, 10, 10, frame));
    AfxPumpMessages();
    EXPECT_EQ(frame->m_commands, std::vector<UINT>{ID_TOOL_PEN});
    AfxTestScript::QueueAnswer(0);
    EXPECT_FALSE(popup.TrackPopupMenu(0, 10, 10, frame));
}

TEST_F(FrameTest, AcceleratorsBecomeCommands) {
    frame->ShowWindow(SW_SHOW);
    // Keys wait in the queue; the application's PreTranslateMessage turns
    // Ctrl+O into ID_FILE_OPEN before the key reaches the window, as its loop does.
    QWidget* w = frame->GetWidget();
    QCoreApplication::postEvent(w, new QKeyEvent(QEvent::KeyPress, Qt::Key_O, Qt::ControlModifier));
    QCoreApplication::postEvent(w, new QKeyEvent(QEvent::KeyPress, Qt::Key_O, Qt::NoModifier, "o"));
    QCoreApplication::postEvent(w, new QKeyEvent(QEvent::KeyPress, Qt::Key_Q, Qt::ControlModifier));
    std::vector<BOOL> taken;
    MSG msg;
    while (::PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message != WM_KEYDOWN) continue;
        taken.push_back(AfxGetApp()->PreTranslateMessage(&msg));
    }
    EXPECT_EQ(taken, (std::vector<BOOL>{TRUE, FALSE, FALSE}));
    EXPECT_EQ(frame->m_commands, std::vector<UINT>{ID_FILE_OPEN});
}

TEST_F(FrameTest, BarsTakeTheirEdgesAndFollowUpdateHandlers) {
    CToolBar toolbar;
    CStatusBar status;
    ASSERT_TRUE(toolbar.CreateEx(frame) && toolbar.LoadToolBar(IDR_MAINFRAME));
    const UINT ids[] = {ID_SEPARATOR, ID_INDICATOR_PAGE};
    ASSERT_TRUE(status.Create(frame) && status.SetIndicators(ids, 2));
    EXPECT_EQ(toolbar.GetCount(), 9);
    EXPECT_EQ(toolbar.CommandToIndex(ID_TOOL_PEN), 7);
    EXPECT_EQ(toolbar.CommandToIndex(4242), -1);
    EXPECT_STREQ(status.GetPaneText(1), "Page 1 of 1");  // from the string of its id
    frame->MoveWindow(0, 0, 600, 400);
    frame->ShowWindow(SW_SHOW);
    frame->RecalcLayout();
    CRect client, tb, sb;
    frame->GetClientRect(&client);
    toolbar.GetWindowRect(&tb);
    status.GetWindowRect(&sb);
    frame->ScreenToClient(&tb);
    frame->ScreenToClient(&sb);
    EXPECT_EQ(tb.top, 0);
    EXPECT_EQ(tb.Width(), client.Width());
    EXPECT_EQ(sb.bottom, client.bottom);
    // Idle updates: disabled and checked buttons follow the handlers.
    toolbar.OnUpdateCmdUI(frame, TRUE);
    EXPECT_TRUE(toolbar.GetButtonStyle(toolbar.CommandToIndex(ID_VIEW_ZOOM_IN)) & TBBS_DISABLED);
    EXPECT_TRUE(toolbar.GetButtonStyle(toolbar.CommandToIndex(ID_TOOL_PEN)) & TBBS_CHECKED);
    EXPECT_FALSE(toolbar.GetButtonStyle(toolbar.CommandToIndex(ID_FILE_OPEN)) & TBBS_DISABLED);
    // A click on a button sends its command to the frame.
    CRect item;
    toolbar.GetItemRect(toolbar.CommandToIndex(ID_FILE_OPEN), &item);
    AfxTestClick(&toolbar, item.CenterPoint());
    EXPECT_EQ(frame->m_commands, std::vector<UINT>{ID_FILE_OPEN});
    // Docking on the left puts the bar along that edge.
    toolbar.EnableDocking(CBRS_ALIGN_ANY);
    frame->EnableDocking(CBRS_ALIGN_ANY);
    frame->DockControlBar(&toolbar, AFX_IDW_DOCKBAR_LEFT);
    toolbar.GetWindowRect(&tb);
    frame->ScreenToClient(&tb);
    EXPECT_EQ(tb.left, 0);
    EXPECT_LT(tb.Width(), 60);
    EXPECT_GT(tb.Height(), 100);
    frame->ShowControlBar(&status, FALSE, FALSE);
    EXPECT_FALSE(status.IsWindowVisible());
    toolbar.DestroyWindow();
    status.DestroyWindow();
}

// A frame that keeps the tool bars' drop-down notifications.
class DropDownFrame : public CommandFrame {
public:
    std::vector<int> dropped;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override {
        const auto* note = reinterpret_cast<const NMTOOLBARA*>(lParam);
        if (note && note->hdr.code == TBN_DROPDOWN) {
            dropped.push_back(note->iItem);
            *result = TBDDRET_DEFAULT;
            return TRUE;
        }
        return CommandFrame::OnNotify(wParam, lParam, result);
    }
};

TEST_F(FrameTest, DropDownButtonsTellTheirOwnerAndTheirFaceStillCommands) {
    // A frame deletes itself when its window goes.
    auto* ownerFrame = new DropDownFrame;
    ASSERT_TRUE(ownerFrame->Create(nullptr, "Owner"));
    DropDownFrame& owner = *ownerFrame;
    CToolBar toolbar;
    ASSERT_TRUE(toolbar.CreateEx(&owner) && toolbar.LoadToolBar(IDR_MAINFRAME));
    const int pen = toolbar.CommandToIndex(ID_TOOL_PEN);
    CRect before, arrow;
    toolbar.GetItemRect(pen, &before);
    toolbar.SetButtonStyle(pen, toolbar.GetButtonStyle(pen) | TBSTYLE_DROPDOWN);
    toolbar.GetDropDownArrowRect(pen, &arrow);
    EXPECT_TRUE(arrow.IsRectEmpty()) << "no arrows until the bar draws them";
    EXPECT_EQ(toolbar.SendMessage(TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS), 0);
    EXPECT_EQ(toolbar.SendMessage(TB_GETEXTENDEDSTYLE, 0, 0), static_cast<LRESULT>(TBSTYLE_EX_DRAWDDARROWS));
    CRect item;
    toolbar.GetItemRect(pen, &item);
    EXPECT_EQ(item.Width(), before.Width() + CToolBar::kDropDownArrowWidth);
    toolbar.GetDropDownArrowRect(pen, &arrow);
    EXPECT_EQ(arrow.right, item.right);
    // The bar answers where a button is by its command.
    RECT asked{};
    EXPECT_TRUE(toolbar.SendMessage(TB_GETRECT, ID_TOOL_PEN, reinterpret_cast<LPARAM>(&asked)));
    EXPECT_EQ(CRect(asked), item);
    EXPECT_FALSE(toolbar.SendMessage(TB_GETRECT, 4242, reinterpret_cast<LPARAM>(&asked)));
    // The arrow tells the owner; the face sends the command.
    AfxTestClick(&toolbar, arrow.CenterPoint());
    EXPECT_EQ(owner.dropped, std::vector<int>{ID_TOOL_PEN});
    EXPECT_TRUE(owner.m_commands.empty());
    AfxTestClick(&toolbar, CPoint(item.left + 4, item.top + 4));
    EXPECT_EQ(owner.m_commands, std::vector<UINT>{ID_TOOL_PEN});
    // The buttons after it moved along by the arrow's width.
    CRect next;
    toolbar.GetItemRect(pen + 1, &next);
    EXPECT_GE(next.left, item.right);
    toolbar.DestroyWindow();
    owner.DestroyWindow();
}

// A window whose top strip is its caption, as a tool window without a frame
// makes a part of itself draggable.
class CaptionStrip : public CWnd {
public:
    std::vector<CPoint> clicks;
    LRESULT OnNcHitTest(CPoint screen) {
        CPoint client = screen;
        ScreenToClient(&client);
        return client.y < 20 ? HTCAPTION : HTCLIENT;
    }
    void OnLButtonDown(UINT, CPoint point) { clicks.push_back(point); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CaptionStrip, CWnd)
    ON_WM_NCHITTEST()
    ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

TEST(CaptionDrag, APressOnTheCaptionMovesTheWindowWithTheMouse) {
    EnsureUi();
    CaptionStrip strip;
    ASSERT_TRUE(strip.CreateEx(0, nullptr, "Strip", WS_POPUP | WS_VISIBLE, 100, 100, 200, 60, nullptr, nullptr));
    CRect start;
    strip.GetWindowRect(&start);
    AfxTestMouse(&strip, WM_LBUTTONDOWN, CPoint(10, 10));
    AfxTestMouse(&strip, WM_MOUSEMOVE, CPoint(60, 40), MK_LBUTTON);
    AfxTestMouse(&strip, WM_LBUTTONUP, CPoint(60, 40));
    CRect moved;
    strip.GetWindowRect(&moved);
    EXPECT_EQ(moved.left - start.left, 50);
    EXPECT_EQ(moved.top - start.top, 30);
    EXPECT_TRUE(strip.clicks.empty()) << "a caption press is no client click";
    // Below the caption a press is the window's own; the window stays.
    AfxTestClick(&strip, CPoint(10, 40));
    AfxTestMouse(&strip, WM_MOUSEMOVE, CPoint(90, 50));
    CRect after;
    strip.GetWindowRect(&after);
    EXPECT_EQ(after, moved);
    EXPECT_EQ(strip.clicks, std::vector<CPoint>{CPoint(10, 40)});
    strip.DestroyWindow();
}

class PaneView : public CView {
    DECLARE_DYNCREATE(PaneView)
public:
    void OnDraw(CDC*) override {}
};
IMPLEMENT_DYNCREATE(PaneView, CView)

TEST(Splitter, ColumnsFollowIdealAndMinimumWidths) {
    EnsureUi();
    auto* frame = new CFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, "Split"));
    frame->MoveWindow(0, 0, 607, 300);
    CSplitterWnd split;
    ASSERT_TRUE(split.CreateStatic(frame, 1, 2));
    CCreateContext ctx;
    ASSERT_TRUE(split.CreateView(0, 0, RUNTIME_CLASS(PaneView), CSize(200, 0), &ctx));
    ASSERT_TRUE(split.CreateView(0, 1, RUNTIME_CLASS(PaneView), CSize(0, 0), &ctx));
    EXPECT_EQ(split.IdFromRowCol(0, 1), AFX_IDW_PANE_FIRST + 1);
    EXPECT_NE(split.GetPane(0, 1), nullptr);
    EXPECT_EQ(split.GetPane(1, 0), nullptr);
    split.MoveWindow(0, 0, 607, 300);
    int cur = 0, min = 0;
    split.GetColumnInfo(0, cur, min);
    EXPECT_EQ(cur, 200);
    split.GetColumnInfo(1, cur, min);
    EXPECT_EQ(cur, 607 - 200 - split.m_cxSplitterGap);
    // Below its minimum a column gets no room.
    split.SetColumnInfo(0, 30, 50);
    split.RecalcLayout();
    split.GetColumnInfo(0, cur, min);
    EXPECT_EQ(cur, 0);
    // Dragging the bar moves the boundary.
    split.SetColumnInfo(0, 200, 10);
    split.RecalcLayout();
    AfxTestMouse(&split, WM_LBUTTONDOWN, POINT{202, 50});
    AfxTestMouse(&split, WM_MOUSEMOVE, POINT{302, 50}, MK_LBUTTON);
    AfxTestMouse(&split, WM_LBUTTONUP, POINT{302, 50});
    split.GetColumnInfo(0, cur, min);
    EXPECT_EQ(cur, 302);
    split.DestroyWindow();
    frame->DestroyWindow();
}

TEST(Profile, SettingsRoundTripThroughTheRegistry) {
    EnsureUi();
    // A registry of the test's own, never the user's.
    suite_test::TemporaryFolder dir("afx-ui-profile");
    setenv("SUITE_REGISTRY_USER", (dir / "user.db").c_str(), 1);
    setenv("SUITE_REGISTRY_MACHINE", (dir / "machine.db").c_str(), 1);
    CWinApp* app = AfxGetApp();
    app->SetRegistryKey("UiTestsCompany");
    EXPECT_TRUE(app->WriteProfileInt("Settings", "Zoom", 256));
    EXPECT_TRUE(app->WriteProfileString("Settings", "Folder", "\xCE\xC4\xBC\xFE"));  // "文件"
    EXPECT_EQ(app->GetProfileInt("Settings", "Zoom", 0), 256u);
    EXPECT_STREQ(app->GetProfileString("Settings", "Folder"), "\xCE\xC4\xBC\xFE");
    EXPECT_EQ(app->GetProfileInt("Settings", "Missing", 7), 7u);
    // The recent-file list is kept there too.
    app->LoadStdProfileSettings(4);
    app->AddToRecentFileList("/p/a.tif");
    app->AddToRecentFileList("/p/b.tif");
    app->SaveStdProfileSettings();
    EXPECT_STREQ(app->GetProfileString("Recent File List", "File1"), "/p/b.tif");
    app->LoadStdProfileSettings(4);
    EXPECT_STREQ((*app->m_pRecentFileList)[1], "/p/a.tif");
    unsetenv("SUITE_REGISTRY_USER");
    unsetenv("SUITE_REGISTRY_MACHINE");
}

}  // namespace
