#include <gtest/gtest.h>

#include "ocrdoc/regions/layout_region.h"
#include "ocrdoc/regions/table_region.h"
#include "ocrdoc/regions/text_region.h"

namespace {

RECT R(int l, int t, int r, int b) { return RECT{l, t, r, b}; }
POINT P(int x, int y) { return POINT{x, y}; }

TEST(RegionEdges, ToleranceIsStrictOnEveryEdge) {
    CRegionRect r(R(100, 100, 200, 300));
    const int tol = 4;
    EXPECT_EQ(r.HitTestEdge(P(150, 100 - 3), tol), kEdgeTop);
    EXPECT_EQ(r.HitTestEdge(P(150, 100 - 4), tol), 0);
    EXPECT_EQ(r.HitTestEdge(P(150, 300 + 3), tol), kEdgeBottom);
    EXPECT_EQ(r.HitTestEdge(P(150, 300 + 4), tol), 0);
    EXPECT_EQ(r.HitTestEdge(P(100 + 3, 200), tol), kEdgeLeft);
    EXPECT_EQ(r.HitTestEdge(P(100 + 4, 200), tol), 0);
    EXPECT_EQ(r.HitTestEdge(P(200 - 3, 200), tol), kEdgeRight);
    EXPECT_EQ(r.HitTestEdge(P(200 + 4, 200), tol), 0);
    EXPECT_EQ(r.HitTestEdge(P(150, 200), tol), 0);
}

TEST(RegionEdges, CornersCombineAndWidenedExtentEndsThem) {
    CRegionRect r(R(100, 100, 200, 300));
    EXPECT_EQ(r.HitTestEdge(P(101, 101), 4), kEdgeTop | kEdgeLeft);
    EXPECT_EQ(r.HitTestEdge(P(199, 299), 4), kEdgeBottom | kEdgeRight);
    EXPECT_EQ(r.HitTestEdge(P(203, 97), 4), kEdgeTop | kEdgeRight);
    // Level with the top edge but beyond the widened extent.
    EXPECT_EQ(r.HitTestEdge(P(205, 100), 4), 0);
    EXPECT_EQ(r.HitTestEdge(P(204, 100), 4), kEdgeTop);
    EXPECT_EQ(r.HitTestEdge(P(95, 100), 4), 0);
    // Level with the left edge but above the widened extent.
    EXPECT_EQ(r.HitTestEdge(P(100, 95), 4), 0);
}

TEST(RegionEdges, NarrowRegionAnswersLeftNeverBoth) {
    CRegionRect r(R(100, 100, 103, 300));
    EXPECT_EQ(r.HitTestEdge(P(101, 200), 4), kEdgeLeft);
    CRegionRect flat(R(100, 100, 300, 102));
    EXPECT_EQ(flat.HitTestEdge(P(200, 101), 4), kEdgeTop);
}

TEST(RegionEdges, ContainsAndStrictOverlap) {
    CRegionRect r(R(10, 10, 20, 20));
    EXPECT_TRUE(r.Contains(P(20, 20)));
    EXPECT_FALSE(r.Contains(P(21, 20)));
    EXPECT_TRUE(r.ContainsRect(R(10, 10, 20, 20)));
    EXPECT_FALSE(r.ContainsRect(R(9, 10, 20, 20)));
    EXPECT_FALSE(r.Overlaps(R(20, 10, 30, 20)));  // touching along an edge
    EXPECT_TRUE(r.Overlaps(R(19, 10, 30, 20)));
}

class RegionTree : public ::testing::Test {
protected:
    CPageRegion page{R(0, 0, 999, 999)};
};

TEST_F(RegionTree, AddChildRefusesOutsideAndOverlapButNotEqualRect) {
    auto* a = page.AddRegion(R(10, 10, 100, 100), kRegionHorizontal);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(page.m_nSelected, 0);
    EXPECT_EQ(page.AddRegion(R(50, 50, 150, 150), kRegionHorizontal), nullptr);
    EXPECT_EQ(page.AddRegion(R(900, 900, 1000, 1000), kRegionPicture), nullptr);
    // Equal rectangles do not count as overlap.
    EXPECT_NE(page.AddRegion(R(10, 10, 100, 100), kRegionPicture), nullptr);
    EXPECT_EQ(page.GetChildCount(), 2);
    // A refused AddChild leaves the region with the caller.
    auto* loose = new CPictureRegion(R(20, 20, 30, 30));
    EXPECT_FALSE(page.AddChild(loose));
    delete loose;
    EXPECT_FALSE(page.AddChild(nullptr));
    EXPECT_FALSE(page.AddChild(&page));
}

TEST_F(RegionTree, PageRegionMakesTheClassTheFlagsName) {
    auto* text = page.AddRegionEx(R(0, 0, 10, 10), kRegionVertical | kRegionEnglish, 7);
    auto* pic = page.AddRegionEx(R(20, 0, 30, 10), kRegionPicture, 7);
    auto* table = page.AddRegionEx(R(40, 0, 50, 10), kRegionTable, 7);
    ASSERT_TRUE(text && pic && table);
    EXPECT_NE(dynamic_cast<CTextRegion*>(text), nullptr);
    EXPECT_EQ(text->m_nFlags, kRegionVertical | kRegionEnglish);
    EXPECT_EQ(text->m_nLines, 7);
    EXPECT_NE(dynamic_cast<CPictureRegion*>(pic), nullptr);
    EXPECT_EQ(pic->m_nLines, 0);
    EXPECT_NE(dynamic_cast<CTableRegion*>(table), nullptr);
    EXPECT_EQ(table->m_nLines, 7);
    EXPECT_EQ(page.AddRegion(R(60, 0, 70, 10), 0), nullptr);
    EXPECT_EQ(page.AddRegion(R(60, 0, 70, 10), kRegionSealRecord), nullptr);
    // The plain classes make plain regions, and a table makes horizontal cells.
    CLayoutRegion* cell = table->CreateRegion(R(41, 1, 45, 5), kRegionPicture);
    EXPECT_NE(dynamic_cast<CTextRegion*>(cell), nullptr);
    EXPECT_EQ(cell->m_nFlags, kRegionHorizontal);
    delete cell;
    CLayoutRegion* plain = pic->CreateRegion(R(0, 0, 1, 1), kRegionTable);
    EXPECT_EQ(dynamic_cast<CTableRegion*>(plain), nullptr);
    EXPECT_EQ(plain->m_nFlags, kRegionTable);
    delete plain;
}

TEST_F(RegionTree, ChildArrayGrowsAndShrinksByFive) {
    for (int i = 0; i < 5; ++i) ASSERT_NE(page.AddRegion(R(i * 20, 0, i * 20 + 10, 10), kRegionPicture), nullptr);
    EXPECT_EQ(page.m_nCapacity, 5);
    ASSERT_NE(page.AddRegion(R(200, 0, 210, 10), kRegionPicture), nullptr);
    EXPECT_EQ(page.m_nCapacity, 10);
    page.RemoveAt(5);  // 5 in use, 5 unused: shrinks
    EXPECT_EQ(page.m_nChildren, 5);
    EXPECT_EQ(page.m_nCapacity, 5);
    for (int i = 0; i < 5; ++i) ASSERT_NE(page.AddRegion(R(300 + i * 20, 0, 310 + i * 20, 10), kRegionPicture), nullptr);
    EXPECT_EQ(page.m_nCapacity, 10);
    page.RemoveAt(0);  // 9 in use: keeps its room
    EXPECT_EQ(page.m_nCapacity, 10);
    while (page.GetChildCount() > 1) page.RemoveAt(0);
    page.RemoveAt(0);
    EXPECT_EQ(page.m_ppChildren, nullptr);
    EXPECT_EQ(page.m_nCapacity, 0);
    EXPECT_EQ(page.m_nSelected, -1);
    ASSERT_NE(page.AddRegion(R(0, 0, 10, 10), kRegionPicture), nullptr);
    EXPECT_EQ(page.m_nCapacity, 5);
    page.RemoveAt(7);  // beyond the children: ignored
    page.RemoveAt(-1);
    EXPECT_EQ(page.GetChildCount(), 1);
}

TEST_F(RegionTree, RemovalKeepsSelectionOnTheSameChild) {
    CLayoutRegion* c[4];
    for (int i = 0; i < 4; ++i) c[i] = page.AddRegion(R(i * 20, 0, i * 20 + 10, 10), kRegionPicture);
    page.Select(2);
    page.RemoveAt(0);
    EXPECT_EQ(page.GetSelectedChild(), c[2]);
    page.Select(2);  // the last one
    page.RemoveAt(2);
    EXPECT_EQ(page.GetSelectedChild(), c[2]);
    EXPECT_EQ(page.m_nSelected, 1);
    EXPECT_FALSE(page.Select(5));
}

TEST_F(RegionTree, SelectAtReportsEdgesInsideAndOutside) {
    auto* table = page.AddRegion(R(100, 100, 400, 400), kRegionTable);
    auto* text = page.AddRegion(R(500, 100, 600, 400), kRegionHorizontal);
    ASSERT_TRUE(table && text);
    CLayoutRegion* parent = nullptr;
    CLayoutRegion* region = nullptr;
    // An edge of the receiver itself.
    EXPECT_EQ(page.SelectAt(P(1, 500), &parent, &region, 4), kEdgeLeft);
    EXPECT_EQ(parent, nullptr);
    EXPECT_EQ(region, &page);
    EXPECT_EQ(page.m_nSelected, -1);
    // A child's edge: the child, held by the receiver.
    EXPECT_EQ(page.SelectAt(P(598, 250), &parent, &region, 4), kEdgeRight);
    EXPECT_EQ(region, text);
    EXPECT_EQ(parent, &page);
    EXPECT_EQ(page.m_nSelected, 1);
    // Inside a child on no edge.
    EXPECT_EQ(page.SelectAt(P(250, 250), &parent, &region, 4), kInsideNoEdge);
    EXPECT_EQ(region, table);
    EXPECT_EQ(parent, &page);
    EXPECT_EQ(page.m_nSelected, 0);
    // Inside the page but in no child.
    EXPECT_EQ(page.SelectAt(P(800, 800), &parent, &region, 4), kInsideNoEdge);
    EXPECT_EQ(region, nullptr);
    EXPECT_EQ(parent, &page);
    EXPECT_EQ(page.m_nSelected, -1);
    EXPECT_EQ(page.SelectAt(P(2000, 2000), &parent, &region, 4), 0);
    EXPECT_EQ(region, nullptr);
    EXPECT_EQ(parent, nullptr);
}

TEST_F(RegionTree, NestedEdgeNamesTheGrandchildAndItsParent) {
    auto* outer = new CLayoutRegion(R(100, 100, 500, 500));
    ASSERT_TRUE(page.AddChild(outer));
    auto* inner = outer->AddRegion(R(200, 200, 300, 300), kRegionPicture);
    ASSERT_NE(inner, nullptr);
    CLayoutRegion* parent = nullptr;
    CLayoutRegion* region = nullptr;
    EXPECT_EQ(page.SelectAt(P(250, 201), &parent, &region, 4), kEdgeTop);
    EXPECT_EQ(region, inner);
    EXPECT_EQ(parent, outer);
    EXPECT_EQ(outer->m_nSelected, 0);
    EXPECT_EQ(page.HitTest(P(250, 299), 4), kEdgeBottom);
    EXPECT_EQ(page.HitTest(P(250, 250), 4), 0);
    // Selecting elsewhere clears the subtree of the previous choice.
    page.AddRegion(R(600, 600, 700, 700), kRegionPicture);
    page.SelectAt(P(650, 650), &parent, &region, 4);
    EXPECT_EQ(outer->m_nSelected, -1);
}

TEST_F(RegionTree, SetChildRectMovesOrPutsBack) {
    auto* a = page.AddRegion(R(10, 10, 100, 100), kRegionHorizontal);
    auto* b = page.AddRegion(R(200, 10, 300, 100), kRegionHorizontal);
    EXPECT_TRUE(page.SetChildRect(a, R(20, 20, 150, 120)));
    EXPECT_TRUE(RectsEqual(*a, R(20, 20, 150, 120)));
    EXPECT_FALSE(page.SetChildRect(a, R(20, 20, 250, 120)));  // over b
    EXPECT_TRUE(RectsEqual(*a, R(20, 20, 150, 120)));
    EXPECT_FALSE(page.SetChildRect(a, R(20, 20, 1500, 120)));  // off the page
    EXPECT_TRUE(RectsEqual(*a, R(20, 20, 150, 120)));
    CPictureRegion stranger(R(0, 0, 5, 5));
    EXPECT_FALSE(page.SetChildRect(&stranger, R(0, 0, 6, 6)));
    // A move onto exactly another child's rectangle is not an overlap.
    EXPECT_TRUE(page.SetChildRect(a, *b));
}

TEST_F(RegionTree, SetChildRectClipsTheMovedChildsChildren) {
    auto* outer = new CLayoutRegion(R(100, 100, 500, 500));
    ASSERT_TRUE(page.AddChild(outer));
    outer->AddRegion(R(110, 110, 200, 200), kRegionPicture);
    outer->AddRegion(R(400, 400, 480, 480), kRegionPicture);
    ASSERT_TRUE(page.SetChildRect(outer, R(150, 150, 450, 450)));
    ASSERT_EQ(outer->GetChildCount(), 2);
    EXPECT_TRUE(RectsEqual(*outer->GetChild(0), R(150, 150, 200, 200)));
    EXPECT_TRUE(RectsEqual(*outer->GetChild(1), R(400, 400, 450, 450)));
}

TEST_F(RegionTree, ClipChildrenDropsOutsideAndTouchingChildren) {
    auto* outer = new CLayoutRegion(R(100, 100, 500, 500));
    ASSERT_TRUE(page.AddChild(outer));
    outer->AddRegion(R(100, 100, 200, 200), kRegionPicture);
    outer->AddRegion(R(300, 300, 500, 500), kRegionPicture);
    outer->AddRegion(R(250, 100, 260, 500), kRegionPicture);
    EXPECT_TRUE(page.ResizeWithin(R(0, 0, 900, 900), R(0, 0, 999, 999)));
    EXPECT_FALSE(page.ResizeWithin(R(0, 0, 1200, 900), R(0, 0, 999, 999)));
    outer->SetRect(R(200, 200, 290, 600));
    outer->ClipChildren();
    // The first only touches the new top-left corner, the second lies outside,
    // the third is cut.
    ASSERT_EQ(outer->GetChildCount(), 1);
    EXPECT_TRUE(RectsEqual(*outer->GetChild(0), R(250, 200, 260, 500)));
}

TEST_F(RegionTree, RemoveInsideWalksIntoOverlappedChildren) {
    auto* outer = new CLayoutRegion(R(100, 100, 500, 500));
    ASSERT_TRUE(page.AddChild(outer));
    outer->AddRegion(R(110, 110, 150, 150), kRegionPicture);
    outer->AddRegion(R(160, 110, 200, 150), kRegionPicture);
    outer->AddRegion(R(400, 400, 450, 450), kRegionPicture);
    auto* a = page.AddRegion(R(600, 100, 650, 150), kRegionPicture);
    auto* b = page.AddRegion(R(660, 100, 700, 150), kRegionPicture);
    ASSERT_TRUE(a && b);
    page.RemoveInside(R(50, 50, 700, 300));
    // Two consecutive children inside are both removed; the overlapped outer
    // region loses its two children inside and keeps the third.
    ASSERT_EQ(page.GetChildCount(), 1);
    EXPECT_EQ(page.GetChild(0), outer);
    ASSERT_EQ(outer->GetChildCount(), 1);
    EXPECT_TRUE(RectsEqual(*outer->GetChild(0), R(400, 400, 450, 450)));
}

TEST_F(RegionTree, RemoveInsideExceptAndFindChildInside) {
    auto* a = page.AddRegion(R(10, 10, 20, 20), kRegionPicture);
    page.AddRegion(R(30, 10, 40, 20), kRegionPicture);
    page.AddRegion(R(50, 10, 60, 20), kRegionPicture);
    page.RemoveInsideExcept(R(0, 0, 45, 45), a);
    ASSERT_EQ(page.GetChildCount(), 2);
    EXPECT_EQ(page.GetChild(0), a);
    page.AddRegion(R(70, 10, 80, 20), kRegionPicture);
    CLayoutRegion* found = nullptr;
    page.FindChildInside(R(45, 0, 90, 45), &found);
    ASSERT_NE(found, nullptr);
    EXPECT_TRUE(RectsEqual(*found, R(50, 10, 60, 20)));
    EXPECT_EQ(page.GetChildCount(), 2);
}

TEST_F(RegionTree, ReorderInsertAndReplace) {
    auto* a = page.AddRegion(R(10, 10, 20, 20), kRegionPicture);
    auto* b = page.AddRegion(R(30, 10, 40, 20), kRegionPicture);
    auto* c = page.AddRegion(R(50, 10, 60, 20), kRegionPicture);
    page.MoveChildAfter(c, a);
    EXPECT_EQ(page.GetChild(0), b);
    EXPECT_EQ(page.GetChild(1), c);
    EXPECT_EQ(page.GetChild(2), a);
    EXPECT_TRUE(page.IsSelectedChild(a));
    page.MoveChildAfter(b, a);
    EXPECT_EQ(page.GetChild(1), a);
    EXPECT_EQ(page.m_nSelected, 1);
    CPictureRegion stranger(R(0, 0, 1, 1));
    page.MoveChildAfter(&stranger, a);
    EXPECT_EQ(page.GetChild(1), a);

    auto* d = new CPictureRegion(R(70, 10, 80, 20));
    EXPECT_FALSE(page.InsertChild(d, 5));
    EXPECT_TRUE(page.InsertChild(d, 0));
    EXPECT_EQ(page.GetChild(0), d);
    EXPECT_EQ(page.m_nSelected, 0);

    EXPECT_TRUE(page.ReplaceChild(a, kRegionVertical));
    CLayoutRegion* replaced = page.GetChild(2);
    EXPECT_NE(dynamic_cast<CTextRegion*>(replaced), nullptr);
    EXPECT_TRUE(RectsEqual(*replaced, R(10, 10, 20, 20)));
    EXPECT_EQ(page.m_nSelected, 2);
    EXPECT_FALSE(page.ReplaceChild(&stranger, kRegionVertical));
}

TEST_F(RegionTree, OffsetMovesTheSubtree) {
    auto* outer = new CLayoutRegion(R(100, 100, 500, 500));
    ASSERT_TRUE(page.AddChild(outer));
    auto* inner = outer->AddRegion(R(110, 110, 150, 150), kRegionPicture);
    outer->Offset(5, -7);
    EXPECT_TRUE(RectsEqual(*outer, R(105, 93, 505, 493)));
    EXPECT_TRUE(RectsEqual(*inner, R(115, 103, 155, 143)));
}

TEST_F(RegionTree, SealRectangleHitsBeforeThePage) {
    CLayoutRegion* parent = &page;
    CLayoutRegion* region = &page;
    EXPECT_EQ(page.HitTestSealRect(P(10, 10), 4), 0);
    const RECT seal = R(100, 100, 200, 200);
    page.SetSealRect(&seal);
    page.AddRegion(R(150, 150, 300, 300), kRegionPicture);
    EXPECT_EQ(page.HitTestPage(P(199, 150), &parent, &region, 4), kEdgeRight);
    EXPECT_EQ(parent, nullptr);
    EXPECT_EQ(region, nullptr);
    EXPECT_EQ(page.m_nSelected, -1);
    EXPECT_EQ(page.HitTestPage(P(500, 500), &parent, &region, 4), kInsideNoEdge);
    EXPECT_EQ(page.HitTestPage(P(5000, 500), &parent, &region, 4), 0);
    page.SetSealRect(nullptr);
    EXPECT_EQ(page.m_pSealRect, nullptr);
}

TEST_F(RegionTree, TrimOffChildrenCutsAlongTheSideThatKeepsMost) {
    ASSERT_NE(page.AddRegion(R(100, 100, 900, 300), kRegionHorizontal), nullptr);
    // A tilted table's box reaching ten rows into the paragraph above it.
    RECT table = R(80, 290, 920, 700);
    ASSERT_TRUE(page.TrimOffChildren(table));
    EXPECT_TRUE(RectsEqual(table, R(80, 301, 920, 700)));
    EXPECT_FALSE(page.OverlapsChild(table));
    EXPECT_NE(page.AddRegion(table, kRegionTable), nullptr);

    // Running into two regions: cut off each; a column beside them is cut
    // along its side.
    RECT beside = R(880, 150, 990, 900);
    ASSERT_TRUE(page.TrimOffChildren(beside));
    EXPECT_TRUE(RectsEqual(beside, R(921, 150, 990, 900)));

    // Nothing overlapped: unchanged; touching edges are no overlap.
    RECT free = R(100, 900, 900, 990);
    ASSERT_TRUE(page.TrimOffChildren(free));
    EXPECT_TRUE(RectsEqual(free, R(100, 900, 900, 990)));
    RECT touching = R(100, 700, 900, 720);
    ASSERT_TRUE(page.TrimOffChildren(touching));
    EXPECT_TRUE(RectsEqual(touching, R(100, 700, 900, 720)));

    // Mostly inside others, or wholly: refused.
    RECT inside = R(150, 150, 400, 400);
    EXPECT_FALSE(page.TrimOffChildren(inside));
    RECT within = R(200, 150, 300, 250);
    EXPECT_FALSE(page.TrimOffChildren(within));
}

TEST_F(RegionTree, TextRegionsRefuseChildren) {
    auto* text = page.AddRegion(R(10, 10, 500, 500), kRegionHorizontal);
    ASSERT_NE(text, nullptr);
    auto* child = new CPictureRegion(R(20, 20, 30, 30));
    EXPECT_FALSE(text->AddChild(child));
    EXPECT_FALSE(text->InsertChild(child, 0));
    delete child;
    EXPECT_EQ(text->AddRegion(R(20, 20, 30, 30), kRegionPicture), nullptr);
    EXPECT_EQ(text->GetChildCount(), 0);
}

}  // namespace
