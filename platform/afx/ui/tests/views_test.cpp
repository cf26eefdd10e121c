// Scroll views, splitter columns hidden and shown again, and drawing into
// status-bar panes: the mechanics the page and text views and the main
// frame's progress display are built on.
#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <algorithm>

#include "platform/afx/ui/bars.h"
#include "platform/afx/ui/dcwnd.h"
#include "platform/afx/ui/splitter.h"
#include "platform/afx/ui/testing.h"
#include "platform/afx/ui/tests/sample_ids.h"
#include "platform/afx/ui/tests/test_app.h"

namespace {

// A page of 1000 x 2000 with a red mark at logical (0, 500)-(50, 510).
class PageView : public CScrollView {
    DECLARE_DYNCREATE(PageView)
public:
    void OnInitialUpdate() override { SetScrollSizes(MM_TEXT, CSize(1000, 2000), CSize(0, 0), CSize(0, 20)); }
    void OnDraw(CDC* dc) override {
        dc->FillSolidRect(0, 0, 1000, 2000, RGB(255, 255, 255));
        dc->FillSolidRect(0, 500, 50, 10, RGB(255, 0, 0));
    }
};
IMPLEMENT_DYNCREATE(PageView, CScrollView)

// A shown frame with a page view of 200 x 300 pixels in it; null when either failed.
PageView* ShowPageView(CFrameWnd** frameOut) {
    EnsureUi();
    auto* frame = new CFrameWnd;
    *frameOut = frame;
    if (!frame->Create(nullptr, "Scroll", WS_OVERLAPPEDWINDOW, CRect(0, 0, 400, 400))) return nullptr;
    CCreateContext ctx;
    ctx.m_pNewViewClass = RUNTIME_CLASS(PageView);
    auto* view = static_cast<PageView*>(frame->CreateView(&ctx));
    if (!view) return nullptr;
    frame->ShowWindow(SW_SHOW);
    view->MoveWindow(0, 0, 200, 300);
    return view;
}

TEST(ScrollView, ScrollingMovesTheLogicalOriginWithinTheTotalSize) {
    CFrameWnd* frame = nullptr;
    PageView* view = ShowPageView(&frame);
    ASSERT_NE(view, nullptr);
    view->OnInitialUpdate();
    CRect client;
    view->GetClientRect(&client);
    EXPECT_EQ(view->GetScrollPosition(), CPoint(0, 0));

    // Line steps use the line size; nothing moves above the top.
    view->SendMessage(WM_VSCROLL, SB_LINEUP, 0);
    EXPECT_EQ(view->GetScrollPosition().y, 0);
    view->SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(view->GetScrollPosition().y, 20);
    EXPECT_EQ(view->GetScrollPos(SB_VERT), 20);
    // The thumb puts logical 450 at the top: the mark shows 50 pixels down.
    view->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 450), 0);
    EXPECT_EQ(view->GetScrollPosition().y, 450);
    QImage img = Picture(view);
    EXPECT_EQ(PixelsOf(img, QRect(0, 50, 50, 10), qRgb(255, 0, 0)), 500);
    EXPECT_EQ(PixelsOf(img, QRect(0, 40, 50, 10), qRgb(255, 0, 0)), 0);
    // A click maps back to the logical point it hit.
    CClientDC dc(view);
    view->OnPrepareDC(&dc);
    CPoint hit(10, 55);
    dc.DPtoLP(&hit);
    EXPECT_EQ(hit, CPoint(10, 505));

    // The bottom stops where the page's end meets the window's, however far asked.
    view->SendMessage(WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(view->GetScrollPosition().y, 2000 - client.Height());
    view->SendMessage(WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(view->GetScrollPosition().y, 2000 - client.Height());
    view->ScrollToPosition(CPoint(5000, -30));
    EXPECT_EQ(view->GetScrollPosition(), CPoint(1000 - client.Width(), 0));
    // The wheel turns three lines a notch, downwards for a negative turn.
    AfxTestMouse(view, WM_MOUSEWHEEL, POINT{10, 10}, 0, -WHEEL_DELTA);
    EXPECT_EQ(view->GetScrollPosition().y, 60);

    // A window grown past the page has nothing to scroll.
    view->MoveWindow(0, 0, 1100, 2100);
    EXPECT_EQ(view->GetScrollPosition(), CPoint(0, 0));
    frame->DestroyWindow();
}

TEST(ScrollView, APageShrinkingUnderTheScrollPositionIsDrawnAtTheNewPosition) {
    CFrameWnd* frame = nullptr;
    PageView* view = ShowPageView(&frame);
    ASSERT_NE(view, nullptr);
    view->SetScrollSizes(MM_TEXT, CSize(1000, 2000));
    CRect client;
    view->GetClientRect(&client);
    view->ScrollToPosition(CPoint(0, 1700));
    view->UpdateWindow();
    ASSERT_EQ(view->GetDeviceScrollPosition(), CPoint(0, 1700));
    // Asking whether it could scroll moves nothing.
    EXPECT_TRUE(view->OnScrollBy(CSize(0, -100), FALSE));
    EXPECT_FALSE(view->OnScrollBy(CSize(-100, 0), FALSE));
    EXPECT_EQ(view->GetDeviceScrollPosition(), CPoint(0, 1700));
    // The page becomes shorter than the place it was scrolled to: the end of the
    // new page meets the window's, the mark now shows at the top, and a point
    // clicked maps to the page as shown.
    view->SetScrollSizes(MM_TEXT, CSize(1000, 500 + client.Height()));
    EXPECT_EQ(view->GetDeviceScrollPosition(), CPoint(0, 500));
    view->UpdateWindow();
    QImage img = Picture(view);
    EXPECT_EQ(PixelsOf(img, QRect(0, 0, 50, 10), qRgb(255, 0, 0)), 500);
    CClientDC dc(view);
    view->OnPrepareDC(&dc);
    CPoint hit(10, 5);
    dc.DPtoLP(&hit);
    EXPECT_EQ(hit, CPoint(10, 505));
    frame->DestroyWindow();
}

class Pane : public CView {
    DECLARE_DYNCREATE(Pane)
public:
    void OnDraw(CDC*) override {}
};
IMPLEMENT_DYNCREATE(Pane, CView)

// A splitter whose column can be hidden and shown again without losing its
// views: the hidden column's panes are parked under ids beyond the grid.
class HidingSplitter : public CSplitterWnd {
public:
    int m_hidden = -1;
    void HideColumn(int col) {
        if (m_hidden >= 0 || col < 0 || col >= m_nCols || m_nCols < 2) return;
        m_hidden = col;
        for (int r = 0; r < m_nRows; ++r) {
            CWnd* pane = GetPane(r, col);
            pane->ShowWindow(SW_HIDE);
            pane->SetDlgCtrlID(IdFromRowCol(r, m_nMaxCols));
            for (int c = col + 1; c < m_nCols; ++c) GetPane(r, c)->SetDlgCtrlID(IdFromRowCol(r, c - 1));
        }
        int ideal = m_pColInfo[col].nIdealSize;
        std::rotate(m_pColInfo + col, m_pColInfo + col + 1, m_pColInfo + m_nCols);
        m_pColInfo[m_nCols - 1].nIdealSize = ideal;
        --m_nCols;
        RecalcLayout();
    }
    void ShowColumn() {
        if (m_hidden < 0) return;
        int col = m_hidden;
        ++m_nCols;
        for (int r = 0; r < m_nRows; ++r) {
            CWnd* parked = GetDlgItem(IdFromRowCol(r, m_nMaxCols));
            for (int c = m_nCols - 2; c >= col; --c) GetPane(r, c)->SetDlgCtrlID(IdFromRowCol(r, c + 1));
            parked->SetDlgCtrlID(IdFromRowCol(r, col));
            parked->ShowWindow(SW_SHOWNA);
        }
        std::rotate(m_pColInfo + col, m_pColInfo + m_nCols - 1, m_pColInfo + m_nCols);
        m_hidden = -1;
        RecalcLayout();
    }
};

TEST(Splitter, AHiddenColumnGivesItsRoomAwayAndComesBackWithItsWidth) {
    EnsureUi();
    auto* frame = new CFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, "Hide", WS_OVERLAPPEDWINDOW, CRect(0, 0, 600, 300)));
    frame->ShowWindow(SW_SHOW);
    HidingSplitter split;
    ASSERT_TRUE(split.CreateStatic(frame, 1, 2));
    CCreateContext ctx;
    ASSERT_TRUE(split.CreateView(0, 0, RUNTIME_CLASS(Pane), CSize(360, 0), &ctx));
    ASSERT_TRUE(split.CreateView(0, 1, RUNTIME_CLASS(Pane), CSize(0, 0), &ctx));
    split.MoveWindow(0, 0, 600, 300);
    CWnd* text = split.GetPane(0, 0);
    CWnd* page = split.GetPane(0, 1);
    CRect r;

    split.HideColumn(0);
    EXPECT_EQ(split.GetColumnCount(), 1);
    EXPECT_EQ(split.GetPane(0, 0), page);
    EXPECT_FALSE(text->IsWindowVisible());
    EXPECT_TRUE(text->m_hWnd != nullptr);  // parked, not destroyed
    int row = -1, col = -1;
    EXPECT_FALSE(split.IsChildPane(text, &row, &col));
    page->GetWindowRect(&r);
    split.ScreenToClient(&r);
    EXPECT_EQ(r, CRect(0, 0, 600, 300));
    // Only one column can be parked at a time.
    split.HideColumn(0);
    EXPECT_EQ(split.GetColumnCount(), 1);

    split.ShowColumn();
    EXPECT_EQ(split.GetColumnCount(), 2);
    EXPECT_EQ(split.GetPane(0, 0), text);
    EXPECT_EQ(split.GetPane(0, 1), page);
    EXPECT_TRUE(text->IsWindowVisible());
    int cur = 0, min = 0;
    split.GetColumnInfo(0, cur, min);
    EXPECT_EQ(cur, 360);
    page->GetWindowRect(&r);
    split.ScreenToClient(&r);
    EXPECT_EQ(r.left, 360 + split.m_cxSplitterGap);
    // Showing with nothing hidden changes nothing.
    split.ShowColumn();
    EXPECT_EQ(split.GetColumnCount(), 2);
    split.DestroyWindow();
    frame->DestroyWindow();
}

class DrawnStatusBar : public CStatusBar {
public:
    int m_drawn = 0;
    CRect m_drawRect;
    void DrawItem(LPDRAWITEMSTRUCT dis) override {
        ++m_drawn;
        m_drawRect = dis->rcItem;
        CDC* dc = CDC::FromHandle(dis->hDC);
        dc->FillSolidRect(&dis->rcItem, RGB(0, 128, 0));
    }
};

TEST(StatusBar, PanesTakeDrawingFromOutsideAndOwnerDrawnPanesDrawThemselves) {
    EnsureUi();
    ASSERT_TRUE(UseSampleResources());
    auto* frame = new CFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, "Status", WS_OVERLAPPEDWINDOW, CRect(0, 0, 600, 200)));
    DrawnStatusBar status;
    const UINT ids[] = {ID_SEPARATOR, ID_INDICATOR_PAGE, ID_INDICATOR_CAPS};
    ASSERT_TRUE(status.Create(frame) && status.SetIndicators(ids, 3));
    frame->ShowWindow(SW_SHOW);
    frame->RecalcLayout();
    CRect pane0, pane1, pane2, client;
    status.GetItemRect(0, &pane0);
    status.GetItemRect(1, &pane1);
    status.GetItemRect(2, &pane2);
    status.GetClientRect(&client);
    // The first pane stretches; the others follow in order without overlapping.
    EXPECT_EQ(pane0.left, status.m_cxLeftBorder);
    EXPECT_LE(pane0.right, pane1.left);
    EXPECT_LE(pane1.right, pane2.left);
    EXPECT_LE(pane2.right, client.right);
    EXPECT_GT(pane0.Width(), client.Width() / 2);

    // A progress drawn into pane 1 from outside WM_PAINT stays until the pane is repainted.
    status.UpdateWindow();
    {
        CClientDC dc(&status);
        CRect inside = pane1;
        inside.DeflateRect(1, 1);
        dc.FillSolidRect(&inside, RGB(0, 0, 128));
    }
    QImage img = Picture(&status);
    QRect inner(pane1.left + 1, pane1.top + 1, pane1.Width() - 2, pane1.Height() - 2);
    EXPECT_EQ(PixelsOf(img, inner, qRgb(0, 0, 128)), inner.width() * inner.height());
    EXPECT_EQ(PixelsOf(img, QRect(pane2.left, pane2.top, pane2.Width(), pane2.Height()), qRgb(0, 0, 128)), 0);
    status.SetPaneText(1, "Page 2 of 9");
    img = Picture(&status);
    EXPECT_EQ(PixelsOf(img, inner, qRgb(0, 0, 128)), 0);
    EXPECT_GT(PixelsOf(img, inner, qRgb(0, 0, 0)), 10);  // the text

    // An owner-drawn pane is given its rectangle inside the border and a DC drawing into it.
    status.SetPaneStyle(2, SBPS_OWNERDRAW);
    img = Picture(&status);
    EXPECT_GE(status.m_drawn, 1);
    EXPECT_EQ(status.m_drawRect, CRect(pane2.left + 1, pane2.top + 1, pane2.right - 1, pane2.bottom - 1));
    QRect drawn(pane2.left + 1, pane2.top + 1, pane2.Width() - 2, pane2.Height() - 2);
    EXPECT_EQ(PixelsOf(img, drawn, qRgb(0, 128, 0)), drawn.width() * drawn.height());
    status.DestroyWindow();
    frame->DestroyWindow();
}

}  // namespace
