// Docking and floating control bars: the frame's dock bars, the floating
// frame, docking back, dragging, and a frame going while a bar floats.
#include <gtest/gtest.h>

#include <vector>

#include <QImage>
#include <QWidget>

#include "platform/afx/ui/bars.h"
#include "platform/afx/ui/testing.h"
#include "platform/afx/ui/tests/sample_ids.h"
#include "platform/afx/ui/tests/test_app.h"
#include "platform/win/library.h"

namespace {

using DockFrame = CommandFrame;

int g_barsGone = 0;
class CountedToolBar : public CToolBar {
public:
    void PostNcDestroy() override {
        ++g_barsGone;
        CToolBar::PostNcDestroy();
    }
};

CRect RectIn(CWnd* w, CWnd* in) {
    CRect r;
    w->GetWindowRect(&r);
    in->ScreenToClient(&r);
    return r;
}

CRect ScreenRect(CWnd* w) {
    CRect r;
    w->GetWindowRect(&r);
    return r;
}

class DockingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(UseSampleResources());
        frame = new DockFrame;
        frame->m_zoomEnabled = TRUE;
        ASSERT_TRUE(frame->Create(nullptr, "Docking", WS_OVERLAPPEDWINDOW, CRect(0, 0, 640, 480)));
        // What is left of the client area goes to the first pane.
        ASSERT_TRUE(pane.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), frame, AFX_IDW_PANE_FIRST));
        ASSERT_TRUE(toolbar.CreateEx(frame) && toolbar.LoadToolBar(IDR_MAINFRAME));
        toolbar.EnableDocking(CBRS_ALIGN_ANY);
        frame->EnableDocking(CBRS_ALIGN_ANY);
        frame->ShowWindow(SW_SHOW);
        frame->DockControlBar(&toolbar);
    }
    void TearDown() override {
        if (frame && frame->m_hWnd) frame->DestroyWindow();
        AfxPumpMessages();
    }
    CMiniDockFrameWnd* FloatingFrameOf(CControlBar* bar) {
        CFrameWnd* f = bar->GetParentFrame();
        return f && f->IsKindOf(RUNTIME_CLASS(CMiniDockFrameWnd)) ? static_cast<CMiniDockFrameWnd*>(f) : nullptr;
    }
    DockFrame* frame = nullptr;
    CWnd pane;
    CToolBar toolbar;
};

TEST_F(DockingTest, DockBarsHoldTheBarsOfTheirEdgeAndEmptyOnesTakeNoRoom) {
    auto* top = frame->GetControlBar(AFX_IDW_DOCKBAR_TOP);
    auto* left = frame->GetControlBar(AFX_IDW_DOCKBAR_LEFT);
    ASSERT_NE(top, nullptr);
    ASSERT_NE(left, nullptr);
    ASSERT_TRUE(top->IsKindOf(RUNTIME_CLASS(CDockBar)));
    // Asking again makes no second set.
    frame->EnableDocking(CBRS_ALIGN_ANY);
    int tops = 0;
    for (CControlBar* b : frame->m_listControlBars) tops += b->m_hWnd && b->GetDlgCtrlID() == AFX_IDW_DOCKBAR_TOP;
    EXPECT_EQ(tops, 1);

    // The first edge the bar allows, in the order top, bottom, left, right.
    EXPECT_EQ(toolbar.GetParent(), top);
    EXPECT_EQ(toolbar.m_pDockBar, top);
    EXPECT_FALSE(toolbar.IsFloating());
    CSize own = toolbar.CalcFixedLayout(FALSE, TRUE);
    CRect client;
    frame->GetClientRect(&client);
    EXPECT_EQ(RectIn(top, frame), CRect(0, 0, client.Width(), own.cy));
    EXPECT_EQ(RectIn(&toolbar, top), CRect(0, 0, own.cx, own.cy));  // its own length, not stretched
    EXPECT_EQ(RectIn(&pane, frame), CRect(0, own.cy, client.right, client.bottom));
    EXPECT_FALSE(left->IsWindowVisible());

    // A second bar on the same edge gets a row of its own; a drop rectangle above the first puts it first.
    CToolBar second;
    ASSERT_TRUE(second.CreateEx(frame) && second.LoadToolBar(IDR_MAINFRAME));
    second.EnableDocking(CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM);
    CRect above = ScreenRect(&toolbar);
    above.OffsetRect(0, -5);
    frame->DockControlBar(&second, AFX_IDW_DOCKBAR_TOP, &above);
    ASSERT_EQ(static_cast<CDockBar*>(top)->m_arrBars.size(), 2u);
    EXPECT_EQ(static_cast<CDockBar*>(top)->m_arrBars[0], &second);
    EXPECT_EQ(RectIn(&second, top).top, 0);
    EXPECT_EQ(RectIn(&toolbar, top).top, own.cy);
    EXPECT_EQ(RectIn(&pane, frame).top, 2 * own.cy);
    // Hiding one gives its row back.
    frame->ShowControlBar(&second, FALSE, FALSE);
    EXPECT_EQ(RectIn(&toolbar, top).top, 0);
    EXPECT_EQ(RectIn(&pane, frame).top, own.cy);
    second.DestroyWindow();

    // Moved to the left edge: the top takes no room any more, and the bar is laid out vertically.
    frame->DockControlBar(&toolbar, AFX_IDW_DOCKBAR_LEFT);
    EXPECT_EQ(toolbar.GetParent(), left);
    EXPECT_TRUE(static_cast<CDockBar*>(top)->m_arrBars.empty());
    EXPECT_FALSE(top->IsWindowVisible());
    CSize vert = toolbar.CalcFixedLayout(FALSE, FALSE);
    EXPECT_GT(vert.cy, vert.cx);
    EXPECT_EQ(RectIn(left, frame), CRect(0, 0, vert.cx, client.bottom));
    EXPECT_EQ(RectIn(&pane, frame), CRect(vert.cx, 0, client.right, client.bottom));
    CRect item;
    toolbar.GetItemRect(1, &item);
    EXPECT_EQ(item.left, toolbar.m_cxLeftBorder);
    EXPECT_GT(item.top, toolbar.m_cyTopBorder);  // below the first button, not beside it
}

TEST_F(DockingTest, AFloatingBarLivesInItsOwnFrameAndStillWorksForItsFrame) {
    frame->FloatControlBar(&toolbar, CPoint(300, 200));
    ASSERT_TRUE(toolbar.IsFloating());
    EXPECT_TRUE(toolbar.GetBarStyle() & CBRS_FLOATING);
    EXPECT_TRUE(toolbar.IsHorz());
    CMiniDockFrameWnd* mini = FloatingFrameOf(&toolbar);
    ASSERT_NE(mini, nullptr);
    EXPECT_EQ(mini->GetWindow(GW_OWNER), frame);
    EXPECT_TRUE(mini->IsWindowVisible());
    EXPECT_EQ(ScreenRect(mini).TopLeft(), CPoint(300, 200));
    CSize own = toolbar.CalcFixedLayout(FALSE, TRUE);
    CRect client;
    mini->GetClientRect(&client);
    EXPECT_EQ(client.Size(), own);
    EXPECT_EQ(toolbar.GetDockingFrame(), frame);
    // The edge it left is free again.
    EXPECT_EQ(RectIn(&pane, frame).top, 0);

    // Its buttons still command the frame, and idle updates reach it through the frame.
    CRect item;
    toolbar.GetItemRect(toolbar.CommandToIndex(ID_FILE_OPEN), &item);
    AfxTestClick(&toolbar, item.CenterPoint());
    EXPECT_EQ(frame->m_commands, std::vector<UINT>{ID_FILE_OPEN});
    frame->m_zoomEnabled = FALSE;
    frame->SendMessage(WM_IDLEUPDATECMDUI, TRUE, 0);
    EXPECT_TRUE(toolbar.GetButtonStyle(toolbar.CommandToIndex(ID_VIEW_ZOOM_IN)) & TBBS_DISABLED);

    // Its frame follows its size.
    const UINT fewer[] = {ID_FILE_NEW, ID_FILE_OPEN};
    toolbar.SetButtons(fewer, 2);
    mini->GetClientRect(&client);
    EXPECT_EQ(client.Size(), toolbar.CalcFixedLayout(FALSE, TRUE));
    EXPECT_LT(client.Width(), own.cx);

    // Floating again moves the same frame.
    frame->FloatControlBar(&toolbar, CPoint(100, 120));
    EXPECT_EQ(FloatingFrameOf(&toolbar), mini);
    EXPECT_EQ(ScreenRect(mini).TopLeft(), CPoint(100, 120));

    // A vertical floating bar.
    CToolBar tall;
    ASSERT_TRUE(tall.CreateEx(frame) && tall.LoadToolBar(IDR_MAINFRAME));
    tall.EnableDocking(CBRS_ALIGN_ANY);
    frame->FloatControlBar(&tall, CPoint(20, 20), CBRS_ALIGN_LEFT);
    ASSERT_TRUE(tall.IsFloating());
    EXPECT_FALSE(tall.IsHorz());
    FloatingFrameOf(&tall)->GetClientRect(&client);
    EXPECT_GT(client.Height(), client.Width());
    tall.DestroyWindow();
}

TEST_F(DockingTest, ClosingTheFloatingFrameHidesTheBarUntilItIsShownAgain) {
    frame->FloatControlBar(&toolbar, CPoint(300, 200));
    CMiniDockFrameWnd* mini = FloatingFrameOf(&toolbar);
    ASSERT_NE(mini, nullptr);
    HWND miniHandle = mini->m_hWnd;
    mini->SendMessage(WM_CLOSE);
    EXPECT_TRUE(::IsWindow(miniHandle));  // kept for the bar, only hidden
    EXPECT_FALSE(mini->IsWindowVisible());
    EXPECT_FALSE(toolbar.IsWindowVisible());
    // The View menu's tool-bar item follows, and brings it back in the same place.
    CCmdUI state;
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendMenu(MF_STRING, ID_VIEW_TOOLBAR, "Toolbar");
    state.m_pMenu = &menu;
    state.m_nID = ID_VIEW_TOOLBAR;
    state.m_nIndexMax = 1;
    state.DoUpdate(frame, TRUE);
    EXPECT_EQ(menu.GetMenuState(ID_VIEW_TOOLBAR, MF_BYCOMMAND) & MF_CHECKED, 0u);
    frame->SendMessage(WM_COMMAND, ID_VIEW_TOOLBAR, 0);
    EXPECT_TRUE(toolbar.IsWindowVisible());
    EXPECT_EQ(FloatingFrameOf(&toolbar), mini);
    EXPECT_TRUE(mini->IsWindowVisible());
    EXPECT_EQ(ScreenRect(mini).TopLeft(), CPoint(300, 200));
    state.DoUpdate(frame, TRUE);
    EXPECT_EQ(menu.GetMenuState(ID_VIEW_TOOLBAR, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
}

TEST_F(DockingTest, ADoubleClickDocksAFloatingBarWhereItWasAndFloatsItAgain) {
    frame->DockControlBar(&toolbar, AFX_IDW_DOCKBAR_LEFT);
    frame->FloatControlBar(&toolbar, CPoint(250, 150));
    CMiniDockFrameWnd* mini = FloatingFrameOf(&toolbar);
    ASSERT_NE(mini, nullptr);
    HWND miniHandle = mini->m_hWnd;
    // Double clicks on a button press it; only the bar's own area toggles.
    CRect item;
    toolbar.GetItemRect(toolbar.CommandToIndex(ID_FILE_OPEN), &item);
    AfxTestMouse(&toolbar, WM_LBUTTONDBLCLK, item.CenterPoint());
    AfxTestMouse(&toolbar, WM_LBUTTONUP, item.CenterPoint());
    EXPECT_TRUE(toolbar.IsFloating());
    EXPECT_EQ(frame->m_commands, std::vector<UINT>{ID_FILE_OPEN});

    AfxTestMouse(&toolbar, WM_LBUTTONDBLCLK, POINT{1, 1});
    ASSERT_FALSE(toolbar.IsFloating());
    EXPECT_EQ(toolbar.GetParent(), frame->GetControlBar(AFX_IDW_DOCKBAR_LEFT));
    EXPECT_FALSE(toolbar.GetBarStyle() & CBRS_FLOATING);
    EXPECT_FALSE(::IsWindow(miniHandle));  // an empty floating frame goes
    EXPECT_TRUE(toolbar.IsWindowVisible());

    AfxTestMouse(&toolbar, WM_LBUTTONDBLCLK, POINT{1, 1});
    ASSERT_TRUE(toolbar.IsFloating());
    EXPECT_EQ(ScreenRect(FloatingFrameOf(&toolbar)).TopLeft(), CPoint(250, 150));
    // Bars nobody let dock stay put.
    CToolBar fixed;
    ASSERT_TRUE(fixed.CreateEx(frame) && fixed.LoadToolBar(IDR_MAINFRAME));
    AfxTestMouse(&fixed, WM_LBUTTONDBLCLK, POINT{1, 1});
    EXPECT_FALSE(fixed.IsFloating());
    EXPECT_EQ(fixed.GetParent(), frame);
    fixed.DestroyWindow();
}

TEST_F(DockingTest, DraggingTheBarFloatsItAndDropsItAtAnAllowedEdge) {
    toolbar.EnableDocking(CBRS_ALIGN_TOP | CBRS_ALIGN_LEFT);
    CRect tb = ScreenRect(&toolbar);
    // A grab point right of the buttons, on the bar itself.
    CSize own = toolbar.CalcFixedLayout(FALSE, TRUE);
    CPoint grab(own.cx - 1, own.cy / 2);
    // A jiggle is a click, not a drag.
    AfxTestMouse(&toolbar, WM_LBUTTONDOWN, grab);
    AfxTestMouse(&toolbar, WM_LBUTTONUP, POINT{grab.x + 2, grab.y + 1});
    EXPECT_FALSE(toolbar.IsFloating());
    // Dropped in the middle of the frame: it floats there.
    AfxTestMouse(&toolbar, WM_LBUTTONDOWN, grab);
    AfxTestMouse(&toolbar, WM_LBUTTONUP, POINT{grab.x + 100, grab.y + 200});
    ASSERT_TRUE(toolbar.IsFloating());
    EXPECT_EQ(ScreenRect(FloatingFrameOf(&toolbar)).TopLeft(), CPoint(tb.left + 100, tb.top + 200));

    // Dragged by its own border to the bottom edge, which it does not allow: it only moves.
    CRect client;
    frame->GetClientRect(&client);
    CPoint bottom(client.Width() / 2, client.bottom - 2);
    frame->ClientToScreen(&bottom);
    CPoint at(1, 1);
    CPoint from = at;
    toolbar.ClientToScreen(&from);
    AfxTestMouse(&toolbar, WM_LBUTTONDOWN, at);
    CPoint drop = bottom;
    toolbar.ScreenToClient(&drop);
    AfxTestMouse(&toolbar, WM_LBUTTONUP, drop);
    ASSERT_TRUE(toolbar.IsFloating());
    CRect mini = ScreenRect(FloatingFrameOf(&toolbar));

    // To the left edge, which it allows: it docks there.
    CPoint leftEdge(3, client.Height() / 2);
    frame->ClientToScreen(&leftEdge);
    AfxTestMouse(&toolbar, WM_LBUTTONDOWN, at);
    drop = leftEdge;
    toolbar.ScreenToClient(&drop);
    AfxTestMouse(&toolbar, WM_LBUTTONUP, drop);
    ASSERT_FALSE(toolbar.IsFloating());
    EXPECT_EQ(toolbar.GetParent(), frame->GetControlBar(AFX_IDW_DOCKBAR_LEFT));
    EXPECT_EQ(RectIn(&pane, frame).left, toolbar.CalcFixedLayout(FALSE, FALSE).cx);
    (void)mini;
}

TEST(DockingFrame, AFrameClosingWithAFloatingBarTakesEverythingWithIt) {
    ASSERT_TRUE(UseSampleResources());
    g_barsGone = 0;
    auto* frame = new DockFrame;
    ASSERT_TRUE(frame->Create(nullptr, "Closing", WS_OVERLAPPEDWINDOW, CRect(0, 0, 400, 300)));
    auto* docked = new CountedToolBar;
    auto* floating = new CountedToolBar;
    docked->m_bAutoDelete = floating->m_bAutoDelete = TRUE;
    ASSERT_TRUE(docked->CreateEx(frame) && docked->LoadToolBar(IDR_MAINFRAME));
    ASSERT_TRUE(floating->CreateEx(frame) && floating->LoadToolBar(IDR_MAINFRAME));
    docked->EnableDocking(CBRS_ALIGN_ANY);
    floating->EnableDocking(CBRS_ALIGN_ANY);
    frame->EnableDocking(CBRS_ALIGN_ANY);
    frame->DockControlBar(docked);
    frame->FloatControlBar(floating, CPoint(50, 50));
    frame->ShowWindow(SW_SHOW);
    HWND mini = floating->GetParentFrame()->m_hWnd;
    frame->DestroyWindow();
    AfxPumpMessages();
    EXPECT_EQ(g_barsGone, 2);
    EXPECT_FALSE(::IsWindow(mini));
}

TEST(DockingFrame, WithoutDockBarsABarSitsAlongTheEdgeItself) {
    ASSERT_TRUE(UseSampleResources());
    auto* frame = new DockFrame;
    ASSERT_TRUE(frame->Create(nullptr, "Plain", WS_OVERLAPPEDWINDOW, CRect(0, 0, 400, 300)));
    frame->ShowWindow(SW_SHOW);
    CDialogBar bar;
    ASSERT_TRUE(bar.Create(frame, IDD_SETTINGS, CBRS_TOP | WS_VISIBLE, AFX_IDW_DIALOGBAR));
    bar.EnableDocking(CBRS_ALIGN_RIGHT);
    frame->DockControlBar(&bar);
    CRect client;
    frame->GetClientRect(&client);
    EXPECT_EQ(bar.GetParent(), frame);
    EXPECT_EQ(RectIn(&bar, frame).right, client.right);
    EXPECT_EQ(RectIn(&bar, frame).Height(), client.Height());
    // A frame with no floating frame class leaves a double-clicked bar where it is.
    AfxTestMouse(&bar, WM_LBUTTONDBLCLK, POINT{1, 1});
    EXPECT_FALSE(bar.IsFloating());
    bar.DestroyWindow();
    frame->DestroyWindow();
}


// A bar that paints only what waits to be painted, in one colour, as a flat
// tool bar redrawing one button does.
class OneColourBar : public CToolBar {
public:
    COLORREF colour = RGB(255, 0, 0);
    afx_msg void OnPaint() {
        CPaintDC dc(this);
        CRect client;
        GetClientRect(&client);
        dc.FillSolidRect(&client, colour);
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(OneColourBar, CToolBar)
    ON_WM_PAINT()
END_MESSAGE_MAP()

TEST_F(DockingTest, RepaintingPartOfABarErasesOnlyThatPart) {
    OneColourBar bar;
    ASSERT_TRUE(bar.CreateEx(frame) && bar.LoadToolBar(IDR_MAINFRAME));
    frame->RecalcLayout();
    bar.Invalidate(TRUE);
    bar.UpdateWindow();
    CRect client;
    bar.GetClientRect(&client);
    ASSERT_GT(client.Width(), 60);
    bar.colour = RGB(0, 0, 255);
    CRect part(client.left + 10, client.top, client.left + 30, client.bottom);
    bar.InvalidateRect(&part, TRUE);
    bar.UpdateWindow();
    QImage shot = bar.GetWidget()->grab().toImage();
    const int y = client.Height() / 2;
    EXPECT_EQ(shot.pixelColor(20, y), QColor(0, 0, 255));
    // The rest keeps what the first painting drew (the erase took it all).
    EXPECT_EQ(shot.pixelColor(5, y), QColor(255, 0, 0));
    EXPECT_EQ(shot.pixelColor(50, y), QColor(255, 0, 0));
    bar.DestroyWindow();
}

}  // namespace
