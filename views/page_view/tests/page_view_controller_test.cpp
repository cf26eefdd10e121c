// The page view's rules without a window: mapping, zoom, scrolling, wheel,
// keys, tolerances, the drag machine by hit code and the seal mode.
#include <gtest/gtest.h>

#include "ocrdoc/regions/text_region.h"
#include "platform/afx/afxwin.h"
#include "views/page_view/tests/page_view_fixtures.h"
#include "views/tests/fake_view_host.h"

namespace {

class PageViewController : public ::testing::Test {
protected:
    void Make(int w, int h, int areaW = 400, int areaH = 300) {
        owner = std::make_unique<PageOwner>(w, h);
        view.SetPage(owner->page.get(), owner->tree.get());
        view.SetImageArea(areaW, areaH);
        view.ResetView();
    }
    CFakeViewHost shell;
    CRecordingHost host;
    CPageViewController view{&host};
    std::unique_ptr<PageOwner> owner;
};

TEST_F(PageViewController, MapsPageAndClientPixelsBothWaysAtEveryZoom) {
    Make(4000, 6000);
    for (WORD zoom : {256, 128, 64, 32}) {
        view.SetZoom(zoom);
        ASSERT_EQ(view.Zoom(), zoom);
        view.Scroll(true, SB_THUMBPOSITION, 96);
        view.Scroll(false, SB_THUMBPOSITION, 64);
        const POINT page{1024, 2048};
        const POINT client = view.PageToClient(page);
        EXPECT_EQ(client.x, 1024 * zoom / 256 - view.ScrollX()) << zoom;
        EXPECT_EQ(client.y, 2048 * zoom / 256 - view.ScrollY()) << zoom;
        const POINT back = view.ClientToPage(client);
        EXPECT_EQ(back.x, page.x) << zoom;
        EXPECT_EQ(back.y, page.y) << zoom;
        EXPECT_EQ(view.ScaledWidth(), 4000 * zoom / 256);
    }
}

TEST_F(PageViewController, TolerancesFollowTheZoom) {
    Make(4000, 6000);
    const std::pair<WORD, int> expected[] = {{256, 2}, {128, 3}, {64, 7}, {32, 15}};
    for (auto [zoom, tol] : expected) {
        view.SetZoom(zoom);
        EXPECT_EQ(view.EdgeTolerance(), tol) << zoom;
    }
    view.SetZoom(32);
    EXPECT_EQ(view.ReorderTolerance(), 7);
    view.SetZoom(256);
    EXPECT_EQ(view.ReorderTolerance(), 2);
}

TEST_F(PageViewController, ZoomRulesRefuseTinyPagesAndKeepOffsetsInBytes) {
    Make(60, 2000);
    EXPECT_TRUE(view.SetZoom(64));
    EXPECT_FALSE(view.SetZoom(32)) << "60 x 2000 at 12.5 % is 7 pixels wide";
    EXPECT_EQ(view.Zoom(), 64);
    EXPECT_FALSE(view.CanZoomOut());
    EXPECT_FALSE(view.SetZoom(64)) << "the same zoom changes nothing";

    Make(4000, 6000);
    view.SetZoom(128);
    view.Scroll(false, SB_THUMBPOSITION, 100);
    view.Scroll(true, SB_THUMBPOSITION, 100);
    ASSERT_EQ(view.ScrollX(), 104);
    EXPECT_TRUE(view.ZoomIn());
    EXPECT_EQ(view.Zoom(), 256);
    EXPECT_EQ(view.ScrollX(), 208);
    EXPECT_EQ(view.ScrollY(), 200);
    EXPECT_FALSE(view.ZoomIn()) << "nothing above 100 %";
    EXPECT_TRUE(view.ZoomOut());
    EXPECT_EQ(view.ScrollX() % 8, 0);
    EXPECT_EQ(view.ScrollY(), 100);

    // A page that fits the area after zooming out goes back to offset 0.
    Make(800, 600, 500, 400);
    view.SetZoom(256);
    view.Scroll(false, SB_BOTTOM, 0);
    EXPECT_GT(view.ScrollX(), 0);
    view.ZoomOut();
    EXPECT_EQ(view.ScrollX(), 0);
    EXPECT_EQ(view.ScrollY(), 0);
}

TEST_F(PageViewController, ScrollCodesFollowTheLineAndPageRules) {
    Make(2000, 2000, 400, 300);
    view.SetZoom(256);
    // Line step min(12, area / 4); a horizontal offset goes up to whole bytes.
    view.Scroll(false, SB_THUMBPOSITION, 8);
    ASSERT_EQ(view.ScrollX(), 8);
    EXPECT_TRUE(view.Scroll(false, SB_LINEDOWN, 0));
    EXPECT_EQ(view.ScrollX(), 24) << "8 + 12 = 20, rounded up to 24";
    EXPECT_TRUE(view.Scroll(true, SB_LINEDOWN, 0));
    EXPECT_EQ(view.ScrollY(), 12);
    EXPECT_TRUE(view.Scroll(true, SB_LINEUP, 0));
    EXPECT_EQ(view.ScrollY(), 0);
    EXPECT_FALSE(view.Scroll(true, SB_LINEUP, 0)) << "nothing at the top";
    EXPECT_FALSE(view.Scroll(true, SB_PAGEUP, 0));
    EXPECT_TRUE(view.Scroll(true, SB_PAGEDOWN, 0));
    EXPECT_EQ(view.ScrollY(), 300);
    view.Scroll(true, SB_THUMBPOSITION, 1500);
    EXPECT_TRUE(view.Scroll(true, SB_PAGEDOWN, 0));
    EXPECT_EQ(view.ScrollY(), 1700) << "the last page stops at S - A";
    EXPECT_FALSE(view.Scroll(true, SB_PAGEDOWN, 0));
    EXPECT_FALSE(view.Scroll(true, SB_LINEDOWN, 0));
    EXPECT_FALSE(view.Scroll(true, SB_BOTTOM, 0));
    EXPECT_TRUE(view.Scroll(true, SB_TOP, 0));
    EXPECT_EQ(view.ScrollY(), 0);
    EXPECT_FALSE(view.Scroll(true, SB_ENDSCROLL, 0));
    // A line step near the end stops at the end.
    view.Scroll(true, SB_THUMBPOSITION, 1695);
    EXPECT_TRUE(view.Scroll(true, SB_LINEDOWN, 0));
    EXPECT_EQ(view.ScrollY(), 1700);
    // A small area takes a quarter of itself as the line.
    Make(2000, 2000, 400, 20);
    view.SetZoom(256);
    view.Scroll(true, SB_LINEDOWN, 0);
    EXPECT_EQ(view.ScrollY(), 5);
}

TEST_F(PageViewController, CentredPageDoesNotScroll) {
    Make(200, 100, 400, 300);
    view.SetZoom(256);
    view.ComputeOffsets();
    EXPECT_EQ(view.OffsetX(), 100);
    EXPECT_EQ(view.OffsetY(), 100);
    for (UINT code : {SB_LINEDOWN, SB_PAGEDOWN, SB_BOTTOM}) {
        EXPECT_FALSE(view.Scroll(false, code, 0));
        EXPECT_FALSE(view.Scroll(true, code, 0));
    }
    EXPECT_FALSE(view.Wheel(-120));
    EXPECT_EQ(view.PageToClient(POINT{0, 0}).x, 100);
    EXPECT_EQ(view.ClientToPage(POINT{150, 150}).x, 50);
}

TEST_F(PageViewController, WheelSignDecidesWhateverTheSize) {
    Make(2000, 2000, 400, 300);
    view.SetZoom(256);
    EXPECT_FALSE(view.Wheel(120)) << "nothing at the top";
    EXPECT_FALSE(view.Wheel(0)) << "a zero turn does not scroll";
    EXPECT_TRUE(view.Wheel(-120));
    EXPECT_EQ(view.ScrollY(), 36);
    EXPECT_TRUE(view.Wheel(-1000)) << "large turns scroll as well";
    EXPECT_EQ(view.ScrollY(), 72);
    EXPECT_TRUE(view.Wheel(512));
    EXPECT_EQ(view.ScrollY(), 36);
    view.Scroll(true, SB_BOTTOM, 0);
    EXPECT_FALSE(view.Wheel(-120)) << "nothing past the end";
}

TEST_F(PageViewController, KeysScrollZoomAndCancel) {
    Make(2000, 2000, 400, 300);
    view.SetZoom(256);
    EXPECT_EQ(view.KeyDown(VK_NEXT, false), KeyAnswer::kRepaint);
    EXPECT_EQ(view.ScrollY(), 300);
    EXPECT_EQ(view.KeyDown(VK_END, false), KeyAnswer::kRepaint);
    EXPECT_EQ(view.ScrollX(), 1600);
    EXPECT_EQ(view.KeyDown(VK_END, true), KeyAnswer::kRepaint);
    EXPECT_EQ(view.ScrollY(), 1700);
    EXPECT_EQ(view.KeyDown(VK_HOME, true), KeyAnswer::kRepaint);
    EXPECT_EQ(view.ScrollY(), 0);
    EXPECT_EQ(view.KeyDown(VK_LEFT, false), KeyAnswer::kRepaint);
    EXPECT_EQ(view.ScrollX(), 1592);
    EXPECT_EQ(view.KeyDown(VK_SUBTRACT, false), KeyAnswer::kRepaint);
    EXPECT_EQ(view.Zoom(), 128);
    EXPECT_EQ(view.KeyDown(VK_ADD, false), KeyAnswer::kRepaint);
    EXPECT_EQ(view.Zoom(), 256);
    EXPECT_EQ(view.KeyDown(VK_ESCAPE, false), KeyAnswer::kPostRegionCancel);
    EXPECT_EQ(view.KeyDown(VK_DELETE, false), KeyAnswer::kPostRegionCancel);
    EXPECT_EQ(view.KeyDown('A', false), KeyAnswer::kDefault);
}

TEST_F(PageViewController, CharBoxIsCentredInScaledPixels) {
    Make(4000, 6000, 400, 300);
    for (WORD zoom : {256, 128, 64}) {
        view.SetZoom(zoom);
        view.ShowCharBox(RECT{2000, 3000, 2040, 3040});
        const int cx = 2020 * zoom / 256, cy = 3020 * zoom / 256;
        EXPECT_EQ(view.ScrollX(), (cx - 200) / 8 * 8) << zoom;
        EXPECT_EQ(view.ScrollY(), cy - 150) << zoom;
        const POINT centre = view.PageToClient(POINT{2020, 3020});
        EXPECT_NEAR(centre.x, 200, 8) << zoom;
        EXPECT_NEAR(centre.y, 150, 1) << zoom;
    }
    // Beyond 16-bit coordinates the box still centres.
    Make(40000, 200, 400, 300);
    view.SetZoom(256);
    view.ShowCharBox(RECT{39000, 100, 39010, 110});
    EXPECT_EQ(view.ScrollX(), (39005 - 200) / 8 * 8);
}

TEST_F(PageViewController, DisplayRowsAreSizedFromTheArea) {
    Make(3000, 3000, 1200, 900);
    view.SetZoom(256);
    PaintInk(*owner->page, RECT{0, 0, 7, 0});
    ASSERT_TRUE(view.UpdateDisplayImage());
    EXPECT_EQ(view.DisplayRows(), 900);
    EXPECT_GE(view.DisplayStride() * 8, 1200);
    EXPECT_EQ(view.DisplayBits().size(), static_cast<std::size_t>(view.DisplayStride()) * 900);
    EXPECT_EQ(view.DisplayBits()[0], 0xFF);
    EXPECT_EQ(view.DisplayWidth(), 1200);
    EXPECT_EQ(view.DisplayHeight(), 900);
    // Scrolled past most of the page: fewer rows.
    view.Scroll(true, SB_BOTTOM, 0);
    EXPECT_EQ(view.DisplayHeight(), 900);
}

TEST_F(PageViewController, ZoomCopyIsMadeOncePerZoom) {
    Make(1000, 1000);
    PaintInk(*owner->page, RECT{0, 0, 1, 1});
    view.SetZoom(128);
    const CPageImage* copy = view.ZoomSource();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->m_nWidth, 500);
    view.Scroll(true, SB_LINEDOWN, 0);
    EXPECT_EQ(view.ZoomSource(), copy) << "scrolling keeps the copy";
    view.SetZoom(256);
    EXPECT_EQ(view.ZoomSource(), owner->page.get());
}

// --- Drag machine -----------------------------------------------------------------------

class PageViewDrag : public PageViewController {
protected:
    void SetUp() override {
        Make(800, 600, 800, 600);
        view.SetZoom(256);
        view.ComputeOffsets();
        a = owner->tree->AddRegion(RECT{100, 100, 199, 199}, kRegionHorizontal);
        b = owner->tree->AddRegion(RECT{300, 100, 399, 199}, kRegionHorizontal);
        ASSERT_NE(a, nullptr);
        ASSERT_NE(b, nullptr);
    }
    RECT Drag(POINT from, POINT to) {
        EXPECT_TRUE(view.ButtonDown(from));
        view.MouseMove(to);
        return view.ButtonUp(to);
    }
    CLayoutRegion* a = nullptr;
    CLayoutRegion* b = nullptr;
};

TEST_F(PageViewDrag, EdgeDragMovesOneSideOnly) {
    PaintInk(*owner->page, RECT{100, 100, 259, 199});
    Drag(POINT{199, 150}, POINT{260, 180});
    EXPECT_EQ(a->Rect().left, 100);
    EXPECT_EQ(a->Rect().top, 100);
    EXPECT_EQ(a->Rect().right, 259) << "trimmed to the ink";
    EXPECT_EQ(a->Rect().bottom, 199) << "the y axis is frozen";
    EXPECT_EQ(host.layoutDirty, 1);
}

TEST_F(PageViewDrag, CornerDragMovesBothAxesAndStartsFromTheCorner) {
    ASSERT_TRUE(view.ButtonDown(POINT{199, 199}));
    const DragState* d = view.Drag();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->anchorX, 100);
    EXPECT_EQ(d->anchorY, 100);
    EXPECT_EQ(d->xMoves + d->yMoves, 2);
    view.MouseMove(POINT{240, 250});
    view.ButtonUp(POINT{240, 250});
    EXPECT_EQ(a->Rect().right, 240);
    EXPECT_EQ(a->Rect().bottom, 250) << "no ink: kept as drawn";
}

TEST_F(PageViewDrag, EveryEdgeCodeFreezesTheOtherAxis) {
    struct Case {
        POINT at;
        int xMoves, yMoves;
    };
    for (const Case& c : {Case{{150, 100}, 0, 1}, Case{{199, 150}, 1, 0}, Case{{150, 199}, 0, 1},
                          Case{{100, 150}, 1, 0}}) {
        ASSERT_TRUE(view.ButtonDown(c.at));
        EXPECT_EQ(view.Drag()->xMoves, c.xMoves) << c.at.x << "," << c.at.y;
        EXPECT_EQ(view.Drag()->yMoves, c.yMoves) << c.at.x << "," << c.at.y;
        EXPECT_FALSE(view.ReorderDrag());
        view.CancelDrag();
    }
}

TEST_F(PageViewDrag, NewRectangleRoundOneRegionResizesIt) {
    const int before = owner->tree->GetChildCount();
    Drag(POINT{90, 90}, POINT{210, 220});
    EXPECT_EQ(owner->tree->GetChildCount(), before);
    EXPECT_EQ(a->Rect().left, 90);
    EXPECT_EQ(a->Rect().bottom, 220);
}

TEST_F(PageViewDrag, NewRectangleElsewhereAddsATextRegion) {
    PaintInk(*owner->page, RECT{520, 320, 560, 360});
    Drag(POINT{500, 300}, POINT{600, 400});
    ASSERT_EQ(owner->tree->GetChildCount(), 3);
    const RECT r = owner->tree->GetChild(2)->Rect();
    EXPECT_EQ(r.left, 520);
    EXPECT_EQ(r.top, 320);
    EXPECT_EQ(r.right, 560);
    EXPECT_EQ(r.bottom, 360);
    EXPECT_EQ(owner->tree->GetChild(2)->m_nFlags, kRegionHorizontal);
}

TEST_F(PageViewDrag, InklessRectangleIsKeptAsDrawn) {
    Drag(POINT{500, 300}, POINT{600, 400});
    ASSERT_EQ(owner->tree->GetChildCount(), 3);
    const RECT r = owner->tree->GetChild(2)->Rect();
    EXPECT_EQ(r.left, 500);
    EXPECT_EQ(r.right, 600);
    EXPECT_EQ(r.bottom, 400);
}

TEST_F(PageViewDrag, ReorderDragMovesAfterTargetAndNeverRemoves) {
    ASSERT_TRUE(view.ButtonDown(POINT{150, 150}));
    EXPECT_TRUE(view.ReorderDrag());
    EXPECT_EQ(view.BandStyle(), 8);
    view.MouseMove(POINT{350, 150});
    view.ButtonUp(POINT{350, 150});
    ASSERT_EQ(owner->tree->GetChildCount(), 2);
    EXPECT_EQ(owner->tree->GetChild(0), b);
    EXPECT_EQ(owner->tree->GetChild(1), a);

    // A reorder whose band encloses a region, released on its own region.
    CLayoutRegion* inner = owner->tree->AddRegion(RECT{500, 400, 520, 420}, kRegionHorizontal);
    ASSERT_NE(inner, nullptr);
    CLayoutRegion* big = owner->tree->AddRegion(RECT{450, 350, 700, 550}, kRegionHorizontal);
    EXPECT_EQ(big, nullptr) << "regions never overlap";
    Drag(POINT{510, 410}, POINT{515, 415});
    EXPECT_EQ(owner->tree->GetChildCount(), 3);
    Drag(POINT{150, 150}, POINT{160, 160});
    EXPECT_EQ(owner->tree->GetChildCount(), 3) << "released on its own region: nothing changes";
}

TEST_F(PageViewDrag, KeptResultChangesNothing) {
    host.discardAnswer = FALSE;
    Drag(POINT{500, 300}, POINT{600, 400});
    EXPECT_EQ(owner->tree->GetChildCount(), 2);
    Drag(POINT{199, 150}, POINT{260, 150});
    EXPECT_EQ(a->Rect().right, 199);
    EXPECT_EQ(host.layoutDirty, 0);
    EXPECT_EQ(host.discardAsks, 2);
}

TEST_F(PageViewDrag, ClickWithoutMovingAsksNothing) {
    Drag(POINT{500, 300}, POINT{500, 300});
    EXPECT_EQ(host.discardAsks, 0);
    EXPECT_EQ(owner->tree->GetChildCount(), 2);
}

TEST_F(PageViewDrag, ClickOffThePageStartsNothing) {
    Make(200, 100, 800, 600);  // centred: off-page area all round
    view.SetZoom(256);
    view.ComputeOffsets();
    EXPECT_FALSE(view.ButtonDown(POINT{5, 5}));
    EXPECT_FALSE(view.Dragging());
}

TEST_F(PageViewDrag, PageRectangleEdgeResizesWithinAndAsksForCrop) {
    host.autoResize = true;
    Drag(POINT{799, 300}, POINT{700, 300});
    EXPECT_EQ(owner->tree->Rect().right, 700);
    EXPECT_EQ(owner->tree->Rect().bottom, 599);
    EXPECT_EQ(host.crops, 1);
}

TEST_F(PageViewDrag, AutoScrollMovesStepByStepUntilTheEnd) {
    Make(2000, 600, 400, 600);
    view.SetZoom(256);
    ASSERT_TRUE(view.ButtonDown(POINT{50, 50}));
    bool past = false;
    view.MouseMove(POINT{450, 100}, &past);
    EXPECT_TRUE(past);
    ASSERT_TRUE(view.AutoScrollStep());
    EXPECT_EQ(view.ScrollX(), 12);
    EXPECT_EQ(view.Drag()->movingX, 399 + 12);
    int steps = 1;
    while (view.AutoScrollStep()) ++steps;
    EXPECT_EQ(view.ScrollX(), 1600);
    EXPECT_EQ(steps, (1600 + 11) / 12);
    view.MouseMove(POINT{200, 100}, &past);
    EXPECT_FALSE(past);
    view.CancelDrag();
}

TEST_F(PageViewDrag, ToolsChangePixelsNotRegions) {
    PaintInk(*owner->page, RECT{500, 300, 600, 400});
    view.SetMouseTool(kToolScissors);
    Drag(POINT{510, 310}, POINT{590, 390});
    EXPECT_FALSE(InkAt(*owner->page, 550, 350));
    EXPECT_TRUE(InkAt(*owner->page, 505, 305));
    EXPECT_EQ(host.modified, 1);
    EXPECT_EQ(host.discardAsks, 0);
    EXPECT_EQ(owner->tree->GetChildCount(), 2);

    view.SetMouseTool(kToolPen);
    EXPECT_EQ(view.BandStyle(), 34);
    Drag(POINT{20, 500}, POINT{200, 500});
    EXPECT_TRUE(InkAt(*owner->page, 100, 500));
    EXPECT_EQ(host.modified, 2);

    view.SwitchMouseTool();
    EXPECT_EQ(view.MouseTool(), kToolScissors);
    view.SwitchMouseTool();
    EXPECT_EQ(view.MouseTool(), kToolNormal);
    view.SwitchMouseTool();
    EXPECT_EQ(view.MouseTool(), kToolPen);
}

TEST_F(PageViewDrag, ScissorsClearTheDisplayWhereThePageShows) {
    Make(400, 300, 800, 600);  // centred: offsets 200, 150
    view.SetZoom(256);
    PaintInk(*owner->page, RECT{0, 0, 399, 299});
    ASSERT_TRUE(view.UpdateDisplayImage());
    view.SetMouseTool(kToolScissors);
    const POINT from = view.PageToClient(POINT{100, 100}), to = view.PageToClient(POINT{199, 199});
    Drag(from, to);
    const auto& bits = view.DisplayBits();
    auto displayInk = [&](int x, int y) {
        return (bits[static_cast<std::size_t>(y) * view.DisplayStride() + static_cast<std::size_t>(x / 8)] &
                (0x80 >> (x % 8))) != 0;
    };
    EXPECT_FALSE(displayInk(150, 150)) << "display pixel of page (150, 150)";
    EXPECT_TRUE(displayInk(50, 50));
    EXPECT_TRUE(displayInk(250, 250));
}

TEST_F(PageViewDrag, SealModeEditsTheSealRectangle) {
    view.ToggleSealMode();
    EXPECT_TRUE(view.SealMode());
    // Too small: not stored.
    Drag(POINT{500, 300}, POINT{530, 330});
    EXPECT_EQ(owner->tree->m_pSealRect, nullptr);
    Drag(POINT{500, 300}, POINT{560, 380});
    ASSERT_NE(owner->tree->m_pSealRect, nullptr);
    EXPECT_EQ(owner->tree->m_pSealRect->right, 560);
    EXPECT_EQ(owner->tree->GetChildCount(), 2) << "seal mode adds no region";
    // Dragging its edge moves that edge.
    Drag(POINT{560, 340}, POINT{600, 350});
    EXPECT_EQ(owner->tree->m_pSealRect->right, 600);
    EXPECT_EQ(owner->tree->m_pSealRect->bottom, 380);
    EXPECT_EQ(view.CursorAt(POINT{600, 340}), PageCursor::kSizeWE);
    EXPECT_EQ(view.KeyDown(VK_ESCAPE, false), KeyAnswer::kRepaint);
    EXPECT_EQ(owner->tree->m_pSealRect, nullptr);
    view.ToggleSealMode();
    EXPECT_FALSE(view.SealMode());
}

TEST_F(PageViewDrag, CursorsShowTheEdges) {
    EXPECT_EQ(view.CursorAt(POINT{150, 100}), PageCursor::kSizeNS);
    EXPECT_EQ(view.CursorAt(POINT{199, 150}), PageCursor::kSizeWE);
    EXPECT_EQ(view.CursorAt(POINT{199, 199}), PageCursor::kSizeNWSE);
    EXPECT_EQ(view.CursorAt(POINT{199, 100}), PageCursor::kSizeNESW);
    EXPECT_EQ(view.CursorAt(POINT{150, 150}), PageCursor::kArrow);
    view.SetMouseTool(kToolPen);
    EXPECT_EQ(view.CursorAt(POINT{150, 100}), PageCursor::kPen);
}

TEST_F(PageViewDrag, BoxSplitOnAHandwritingPageStopsWhenTheResultIsKept) {
    host.handwriting = true;
    shell.currentRow = 0;
    shell.rowCount = 1;
    shell.cells[{0, kPageListType}] = "手写";
    CLayoutRegion* region = owner->tree->AddRegion(RECT{100, 300, 399, 399}, kRegionHorizontal);
    ASSERT_NE(region, nullptr);
    CTextRegion* text = region->AsTextRegion();
    ASSERT_NE(text, nullptr);
    ASSERT_TRUE(text->AddRow(RECT{110, 320, 300, 360}));
    ASSERT_EQ(text->m_nRows, 1);
    PaintInk(*owner->page, RECT{120, 325, 180, 355});
    PaintInk(*owner->page, RECT{220, 325, 290, 355});
    const int boxes = text->m_pRows[0].nBoxes;

    host.discardAnswer = FALSE;
    ASSERT_TRUE(view.ButtonDown(POINT{200, 340}));
    EXPECT_TRUE(view.SplitDrag());
    EXPECT_EQ(view.BandStyle(), 11);
    view.MouseMove(POINT{203, 350});
    view.ButtonUp(POINT{203, 350});
    EXPECT_EQ(text->m_pRows[0].nBoxes, boxes) << "the user kept the result: no box is split";

    host.discardAnswer = TRUE;
    ASSERT_TRUE(view.ButtonDown(POINT{200, 340}));
    view.MouseMove(POINT{203, 350});
    view.ButtonUp(POINT{203, 350});
    EXPECT_EQ(text->m_pRows[0].nBoxes, boxes + 1);
}

}  // namespace
