#include <gtest/gtest.h>

#include "ocrdoc/regions/layout_region.h"
#include "ocrdoc/regions/tests/region_test_support.h"
#include "ocrdoc/regions/text_region.h"

namespace {

RECT R(int l, int t, int r, int b) { return RECT{l, t, r, b}; }
POINT P(int x, int y) { return POINT{x, y}; }

RECT Box(const CTextRegion& text, int row, int group, int box) {
    const WordBox* b = text.BoxAt(row, group, box);
    return b ? RECT{b->left, b->top, b->right, b->bottom} : RECT{-1, -1, -1, -1};
}

RECT Selected(const CTextRegion& text) {
    RECT r{-1, -1, -1, -1};
    text.GetSelectedBoxRect(&r);
    return r;
}

// Group first indexes are the sums of the counts before them.
void ExpectConsistent(const CTextRegion& text) {
    for (int i = 0; i < text.m_nRows; ++i) {
        const TextRow& row = text.m_pRows[i];
        int next = 0;
        for (int g = 0; g < row.nGroups; ++g) {
            EXPECT_EQ(row.pGroups[g].wFirstBox, next) << "row " << i << " group " << g;
            EXPECT_GT(row.pGroups[g].nBoxes, 0);
            next += row.pGroups[g].nBoxes;
        }
        EXPECT_EQ(next, row.nBoxes);
    }
}

class TextBoxes : public ::testing::Test {
protected:
    CTextRegion text{R(0, 0, 3999, 299), kRegionHorizontal};
};

TEST_F(TextBoxes, DrawnBoxNeedsEightPixelsEachWay) {
    EXPECT_FALSE(text.AddRow(R(10, 10, 17, 40)));
    EXPECT_FALSE(text.AddRow(R(10, 10, 40, 17)));
    EXPECT_EQ(text.m_nRows, 0);
    EXPECT_TRUE(text.AddRow(R(10, 10, 18, 40)));
    ASSERT_EQ(text.m_nRows, 1);
    EXPECT_EQ(text.m_nSelRow, 0);
    EXPECT_TRUE(RectsEqual(Selected(text), R(10, 10, 18, 40)));
    EXPECT_EQ(text.m_pRows[0].nGroupCap, 200);
    EXPECT_EQ(text.m_pRows[0].top, 10);
    // Clipped to the region first: what is left of it is too small.
    EXPECT_FALSE(text.AddRow(R(3995, 10, 4100, 40)));
}

TEST_F(TextBoxes, BoxesJoinTheRowInReadingOrder) {
    ASSERT_TRUE(text.AddRow(R(100, 10, 120, 40)));
    ASSERT_TRUE(text.AddRow(R(200, 12, 220, 45)));  // right of it: a new group
    ASSERT_TRUE(text.AddRow(R(10, 5, 30, 40)));     // left of both: before the first box
    ASSERT_EQ(text.m_nRows, 1);
    const TextRow& row = text.m_pRows[0];
    EXPECT_EQ(row.nBoxes, 3);
    EXPECT_EQ(row.nGroups, 2);
    EXPECT_TRUE(RectsEqual(Box(text, 0, 0, 0), R(10, 5, 30, 40)));
    EXPECT_TRUE(RectsEqual(Box(text, 0, 0, 1), R(100, 10, 120, 40)));
    EXPECT_TRUE(RectsEqual(Box(text, 0, 1, 0), R(200, 12, 220, 45)));
    EXPECT_EQ(text.m_nSelGroup, 0);
    EXPECT_EQ(text.m_nSelBox, 0);
    EXPECT_TRUE(RectsEqual(RECT{row.left, row.top, row.right, row.bottom}, R(10, 5, 220, 45)));
    ExpectConsistent(text);
}

TEST_F(TextBoxes, RowsAboveAndBelowMakeNewRows) {
    ASSERT_TRUE(text.AddRow(R(10, 100, 30, 140)));
    ASSERT_TRUE(text.AddRow(R(10, 200, 30, 240)));  // below: new last row
    ASSERT_TRUE(text.AddRow(R(10, 20, 30, 60)));    // above: new first row
    ASSERT_EQ(text.m_nRows, 3);
    EXPECT_EQ(text.m_nSelRow, 0);
    EXPECT_EQ(text.m_pRows[0].top, 20);
    EXPECT_EQ(text.m_pRows[1].top, 100);
    EXPECT_EQ(text.m_pRows[2].top, 200);
    // Joining the middle row from a box that reaches into the next row: its
    // bottom is lowered to just above that row.
    ASSERT_TRUE(text.AddRow(R(50, 110, 70, 230)));
    EXPECT_EQ(text.m_nSelRow, 1);
    EXPECT_TRUE(RectsEqual(Selected(text), R(50, 110, 70, 199)));
    // Lowered below 8 pixels high: refused.
    EXPECT_FALSE(text.AddRow(R(90, 195, 110, 230)));
    EXPECT_EQ(text.m_pRows[1].nBoxes, 2);
}

TEST_F(TextBoxes, BoxDrawnOverTwoBoxesReplacesThemWithOne) {
    ASSERT_TRUE(text.AddRow(R(10, 10, 30, 40)));
    ASSERT_TRUE(text.AddRow(R(40, 10, 60, 40)));
    ASSERT_TRUE(text.AddRow(R(100, 10, 120, 40)));
    ASSERT_TRUE(text.AddRow(R(20, 5, 50, 45)));
    const TextRow& row = text.m_pRows[0];
    ASSERT_EQ(row.nBoxes, 2);
    EXPECT_TRUE(RectsEqual(Box(text, 0, 0, 0), R(10, 5, 60, 45)));
    EXPECT_TRUE(RectsEqual(Selected(text), R(10, 5, 60, 45)));
    EXPECT_TRUE(RectsEqual(Box(text, 0, 1, 0), R(100, 10, 120, 40)));
    EXPECT_EQ(text.BoxAt(0, 0, 0)->byFlags, CTextRegion::kBoxSet);
    ExpectConsistent(text);
}

TEST_F(TextBoxes, FullRowTakesNoBoxAndNoSplit) {
    for (int i = 0; i < 199; ++i) ASSERT_TRUE(text.AddRow(R(i * 18, 10, i * 18 + 16, 40))) << i;
    const TextRow& row = text.m_pRows[0];
    EXPECT_EQ(row.nBoxes, 199);
    EXPECT_EQ(row.nGroups, 199);
    EXPECT_FALSE(text.AddRow(R(3700, 10, 3720, 40)));  // would be appended
    CTextRegion other(R(0, 0, 3999, 299), kRegionHorizontal);
    for (int i = 0; i < 199; ++i) ASSERT_TRUE(other.AddRow(R(100 + i * 18, 10, 116 + i * 18, 40)));
    EXPECT_FALSE(other.AddRow(R(10, 10, 30, 40)));  // would be inserted before the first
    EXPECT_EQ(other.m_pRows[0].nBoxes, 199);
    CPageImage page;
    ASSERT_TRUE(MakeWhitePage(page, 4000, 300));
    text.m_nSelRow = 0, text.m_nSelGroup = 0, text.m_nSelBox = 0;
    EXPECT_FALSE(text.SplitSelectedBox(&page, 8));  // wide enough, but the row is full
    text.RemoveSelectedBox();
    text.m_nSelRow = 0, text.m_nSelGroup = 0, text.m_nSelBox = 0;
    EXPECT_TRUE(text.SplitSelectedBox(&page, 18 + 8));
    ExpectConsistent(text);
}

TEST_F(TextBoxes, MergingDropsEmptiedGroups) {
    CTextRegion small(R(0, 0, 2999, 299), kRegionHorizontal);
    for (int i = 0; i < 198; ++i) ASSERT_TRUE(small.AddRow(R(i * 12, 10, i * 12 + 9, 40)));
    // Drawn over the first box, reaching the second: both become one.
    ASSERT_TRUE(small.AddRow(R(0, 10, 15, 40)));
    EXPECT_EQ(small.m_pRows[0].nBoxes, 197);
    ASSERT_TRUE(small.AddRow(R(2500, 10, 2520, 40)));
    ASSERT_TRUE(small.AddRow(R(2600, 10, 2620, 40)));
    EXPECT_EQ(small.m_pRows[0].nGroups, 199);
    EXPECT_EQ(small.m_pRows[0].nBoxes, 199);
    EXPECT_EQ(small.m_pRows[0].pGroups[198].nBoxes, 1);
    ExpectConsistent(small);
}

TEST_F(TextBoxes, SetAndExtendMergeTheBoxesMet) {
    ASSERT_TRUE(text.AddRow(R(10, 10, 30, 40)));
    ASSERT_TRUE(text.AddRow(R(40, 10, 60, 40)));
    ASSERT_TRUE(text.AddRow(R(70, 10, 90, 40)));
    // Select the last box and move it onto the middle one.
    text.m_nSelRow = 0, text.m_nSelGroup = 2, text.m_nSelBox = 0;
    EXPECT_FALSE(text.SetSelectedBoxRect(R(50, 10, 57, 40)));  // too narrow
    ASSERT_TRUE(text.SetSelectedBoxRect(R(55, 10, 80, 40)));
    EXPECT_EQ(text.m_pRows[0].nBoxes, 2);
    EXPECT_EQ(text.m_nSelGroup, 1);  // the emptied group before it went
    EXPECT_TRUE(RectsEqual(Selected(text), R(40, 10, 80, 40)));
    // Stretching left over the first box swallows it.
    ASSERT_TRUE(text.ExtendSelectedBox(P(25, 20)));
    EXPECT_EQ(text.m_pRows[0].nBoxes, 1);
    EXPECT_TRUE(RectsEqual(Selected(text), R(10, 10, 80, 40)));
    EXPECT_FALSE(text.ExtendSelectedBox(P(50, 20)));  // over the box: nothing
    ASSERT_TRUE(text.ExtendSelectedBox(P(120, 20)));
    EXPECT_TRUE(RectsEqual(Selected(text), R(10, 10, 120, 40)));
    ExpectConsistent(text);
    ASSERT_TRUE(text.RemoveSelectedBox());
    EXPECT_EQ(text.m_pRows[0].nBoxes, 0);
    EXPECT_FALSE(text.GetSelectedBoxRect(nullptr));
}

TEST_F(TextBoxes, SplitNeedsEightPixelsOnBothSides) {
    CPageImage page;
    ASSERT_TRUE(MakeWhitePage(page, 3000, 300));
    FillBlack(page, 100, 20, 140, 40);
    ASSERT_TRUE(text.AddRow(R(100, 10, 140, 40)));
    EXPECT_FALSE(text.SplitSelectedBox(&page, 107));
    EXPECT_FALSE(text.SplitSelectedBox(&page, 133));
    ASSERT_TRUE(text.SplitSelectedBox(&page, 108));
    EXPECT_EQ(text.m_pRows[0].nBoxes, 2);
    EXPECT_EQ(text.m_pRows[0].pGroups[0].nBoxes, 2);
    // Solid ink: the edges stay at the cut; the tops move down to the ink.
    EXPECT_TRUE(RectsEqual(Box(text, 0, 0, 0), R(100, 20, 107, 40)));
    EXPECT_TRUE(RectsEqual(Box(text, 0, 0, 1), R(108, 20, 140, 40)));
    ExpectConsistent(text);
}

TEST_F(TextBoxes, SplitEdgesRetreatOverEmptyColumns) {
    CPageImage page;
    ASSERT_TRUE(MakeWhitePage(page, 3000, 300));
    FillBlack(page, 100, 10, 112, 40);
    FillBlack(page, 130, 25, 150, 40);
    ASSERT_TRUE(text.AddRow(R(100, 10, 150, 40)));
    ASSERT_TRUE(text.AddRow(R(300, 10, 330, 40)));  // a later group
    text.m_nSelRow = 0, text.m_nSelGroup = 0, text.m_nSelBox = 0;
    ASSERT_TRUE(text.SplitSelectedBox(&page, 120));
    EXPECT_TRUE(RectsEqual(Box(text, 0, 0, 0), R(100, 10, 112, 40)));
    EXPECT_TRUE(RectsEqual(Box(text, 0, 0, 1), R(130, 25, 150, 40)));
    EXPECT_EQ(text.m_pRows[0].pGroups[1].wFirstBox, 2);
    ExpectConsistent(text);
}

TEST(TextSelection, BoxesAnswerOnlyOnHandwritingPages) {
    CFakePageList list;
    CPageRegion page(R(0, 0, 999, 999));
    auto* text = page.AddRegion(R(100, 100, 600, 400), kRegionHorizontal)->AsTextRegion();
    ASSERT_NE(text, nullptr);
    ASSERT_TRUE(text->AddRow(R(200, 200, 240, 240)));
    ASSERT_TRUE(text->AddRow(R(300, 200, 340, 240)));
    CLayoutRegion* parent = nullptr;
    CLayoutRegion* region = nullptr;

    list.pageType = "printed";
    EXPECT_EQ(page.SelectAt(P(301, 220), &parent, &region, 4), kInsideNoEdge);
    EXPECT_EQ(region, text);
    EXPECT_EQ(text->m_nSelRow, -1);
    EXPECT_EQ(page.HitTest(P(301, 220), 4), 0);

    list.pageType = kHandwritingType;
    EXPECT_EQ(page.SelectAt(P(301, 220), &parent, &region, 4), kEdgeLeft);
    EXPECT_EQ(region, text);
    EXPECT_EQ(parent, &page);
    EXPECT_EQ(text->m_nSelRow, 0);
    EXPECT_EQ(text->m_nSelGroup, 1);
    EXPECT_EQ(page.SelectAt(P(220, 220), &parent, &region, 4), kInsideNoEdge);
    EXPECT_EQ(text->m_nSelGroup, 0);
    EXPECT_EQ(page.HitTest(P(339, 238), 4), kEdgeRight | kEdgeBottom);
    // Within the widened row but in no box: no box selected.
    EXPECT_EQ(page.SelectAt(P(270, 220), &parent, &region, 4), kInsideNoEdge);
    EXPECT_EQ(text->m_nSelRow, -1);
    // The region's own edges come first.
    EXPECT_EQ(page.SelectAt(P(101, 300), &parent, &region, 4), kEdgeLeft);
    EXPECT_EQ(region, text);

    list.row = -1;  // no page-list row: not a handwriting page
    EXPECT_EQ(page.SelectAt(P(301, 220), &parent, &region, 4), kInsideNoEdge);
    EXPECT_EQ(text->m_nSelRow, -1);
}

TEST(TextSelection, RowsAndBoxesStayPutWhenTheRegionMoves) {
    CTextRegion text(R(0, 0, 500, 500), kRegionHorizontal);
    ASSERT_TRUE(text.AddRow(R(10, 10, 30, 30)));
    text.Offset(10, 10);
    EXPECT_TRUE(RectsEqual(Box(text, 0, 0, 0), R(10, 10, 30, 30)));
    text.ClearContent();
    EXPECT_EQ(text.m_nRows, 0);
    EXPECT_EQ(text.m_pRows, nullptr);
}

TEST(TextSelection, AddRowToSelectedReachesOnlyTextRegions) {
    CPageRegion page(R(0, 0, 999, 999));
    page.AddRegion(R(0, 0, 99, 99), kRegionPicture);
    EXPECT_FALSE(page.AddRowToSelected(R(10, 10, 40, 40)));
    auto* text = page.AddRegion(R(100, 100, 400, 400), kRegionVertical)->AsTextRegion();
    EXPECT_TRUE(page.AddRowToSelected(R(110, 110, 140, 140)));
    EXPECT_EQ(text->m_nRows, 1);
    page.ClearSelection();
    EXPECT_FALSE(page.AddRowToSelected(R(110, 110, 140, 140)));
}

// --- Segmentation through the library -------------------------------------------------------------

class Segmentation : public ::testing::Test {
protected:
    CFakePageList list;
    CPageImage page;
    void SetUp() override {
        list.pageType = kHandwritingType;
        ASSERT_TRUE(MakeWhitePage(page, 800, 400));
    }
};

TEST_F(Segmentation, TwoRowsOfCharactersBecomeRowsOfBoxes) {
    for (int i = 0; i < 4; ++i) FillBlack(page, 100 + i * 50, 50, 130 + i * 50, 90);
    for (int i = 0; i < 3; ++i) FillBlack(page, 100 + i * 50, 200, 130 + i * 50, 240);
    const SIZE_T before = SuiteLiveGlobalBlocks();
    {
        CTextRegion text(R(50, 20, 700, 300), kRegionHorizontal);
        ASSERT_TRUE(text.SegmentHandwriting(&page, 0));
        ASSERT_EQ(text.m_nRows, 2);
        EXPECT_EQ(text.m_nRowPitch, 10);
        EXPECT_EQ(text.m_pRows[0].nBoxes, 4);
        EXPECT_EQ(text.m_pRows[1].nBoxes, 3);
        EXPECT_NE(text.m_pRows[0].pBoxes, nullptr);  // kept locked
        EXPECT_TRUE(RectsEqual(Box(text, 0, 0, 0), R(100, 50, 130, 90)));
        EXPECT_LT(text.m_pRows[0].bottom, text.m_pRows[1].top);
        ExpectConsistent(text);
        // The boxes can be edited like drawn ones.
        text.m_nSelRow = 1, text.m_nSelGroup = 0, text.m_nSelBox = 0;
        EXPECT_TRUE(text.SetSelectedBoxRect(R(100, 200, 140, 240)));
        // A second segmentation replaces the first.
        ASSERT_TRUE(text.SegmentHandwriting(&page, 1));
        EXPECT_EQ(text.m_nRows, 2);
    }
    EXPECT_EQ(SuiteLiveGlobalBlocks(), before);
}

TEST_F(Segmentation, VerticalTextIsCutIntoColumns) {
    for (int i = 0; i < 3; ++i) FillBlack(page, 100, 50 + i * 50, 140, 80 + i * 50);
    for (int i = 0; i < 2; ++i) FillBlack(page, 300, 50 + i * 50, 340, 80 + i * 50);
    CTextRegion text(R(50, 20, 500, 350), kRegionVertical);
    ASSERT_TRUE(text.SegmentHandwriting(&page, 0));
    ASSERT_EQ(text.m_nRows, 2);
    EXPECT_EQ(text.m_pRows[0].nBoxes, 3);
    EXPECT_EQ(text.m_pRows[1].nBoxes, 2);
    EXPECT_LT(text.m_pRows[0].right, text.m_pRows[1].left);
}

TEST_F(Segmentation, BlankRegionKeepsNoRows) {
    CTextRegion text(R(50, 20, 700, 300), kRegionHorizontal);
    // No ink at all: the library lists no rows.
    EXPECT_FALSE(text.SegmentHandwriting(&page, 0));
    EXPECT_EQ(text.m_nRows, 0);
}

TEST_F(Segmentation, NeedsAPageListRowAndAPlane) {
    FillBlack(page, 100, 50, 130, 90);
    CTextRegion text(R(50, 20, 700, 300), kRegionHorizontal);
    list.row = -1;
    EXPECT_FALSE(text.SegmentHandwriting(&page, 0));
    list.row = 0;
    EXPECT_FALSE(text.SegmentHandwriting(nullptr, 0));
    CPageImage empty;
    EXPECT_FALSE(text.SegmentHandwriting(&empty, 0));
    // A printed page is cut too, every separate character a box.
    list.pageType = "printed";
    EXPECT_TRUE(text.SegmentHandwriting(&page, 0));
    EXPECT_EQ(text.m_nRows, 1);
    EXPECT_TRUE(list.messages.empty());
}

}  // namespace
