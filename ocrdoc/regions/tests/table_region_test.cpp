#include <gtest/gtest.h>

#include "ocrdoc/regions/layout_region.h"
#include "ocrdoc/regions/table_region.h"
#include "ocrdoc/regions/tests/region_test_support.h"
#include "ocrdoc/regions/text_region.h"

namespace {

RECT R(int l, int t, int r, int b) { return RECT{l, t, r, b}; }
POINT P(int x, int y) { return POINT{x, y}; }

TableCell Cell(int firstCol, int lastCol, int l, int t, int r, int b, int own) {
    TableCell c{};
    c.nFirstCol = firstCol;
    c.nLastCol = lastCol;
    c.left = l;
    c.top = t;
    c.right = r;
    c.bottom = b;
    c.bOwn = own;
    return c;
}

// A program-built grid from rows of cells.
TableGrid* Grid(const std::vector<std::vector<TableCell>>& rows) {
    TableGrid* grid = NewTableGrid(static_cast<int>(rows.size()), 2);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        grid->pCellsPerRow[r] = static_cast<INT>(rows[r].size());
        grid->ppRows[r] = new TableCell[rows[r].size()];
        std::copy(rows[r].begin(), rows[r].end(), grid->ppRows[r]);
    }
    return grid;
}

class TableCells : public ::testing::Test {
protected:
    CPageRegion page{R(0, 0, 999, 999)};
    CTableRegion* table = nullptr;
    void SetUp() override {
        table = dynamic_cast<CTableRegion*>(page.AddRegion(R(100, 100, 399, 399), kRegionTable));
        ASSERT_NE(table, nullptr);
    }
};

TEST_F(TableCells, CellMergedOverThreeRowsIsOneChild) {
    TableGrid* grid = Grid({
        {Cell(0, 0, 0, 0, 99, 99, 1), Cell(1, 1, 100, 0, 199, 99, 1)},
        {Cell(0, 0, 0, 100, 99, 199, 0), Cell(1, 1, 100, 100, 199, 199, 1)},
        {Cell(0, 0, 0, 200, 99, 299, 0), Cell(1, 1, 100, 200, 199, 299, 1)},
    });
    ASSERT_TRUE(table->AttachGrid(nullptr, grid));
    EXPECT_EQ(table->m_bOwnGrid, 1);
    EXPECT_EQ(table->m_nCells, 6);
    ASSERT_EQ(table->GetChildCount(), 4);
    EXPECT_TRUE(RectsEqual(*table->GetChild(0), R(100, 100, 199, 399)));
    EXPECT_TRUE(RectsEqual(*table->GetChild(1), R(200, 100, 299, 199)));
    EXPECT_TRUE(RectsEqual(*table->GetChild(3), R(200, 300, 299, 399)));
    auto* cell = table->GetChild(0)->AsTextRegion();
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->m_nFlags, kRegionHorizontal);
}

TEST_F(TableCells, ContinuationOfAnotherSpanEndsTheMerge) {
    TableGrid* grid = Grid({
        {Cell(0, 1, 0, 0, 199, 99, 1)},
        {Cell(0, 0, 0, 100, 99, 199, 0), Cell(1, 1, 100, 100, 199, 199, 1)},
    });
    // The continuation names a span no cell above has: it makes no child.
    ASSERT_TRUE(table->AttachGrid(nullptr, grid));
    ASSERT_EQ(table->GetChildCount(), 2);
    EXPECT_TRUE(RectsEqual(*table->GetChild(0), R(100, 100, 299, 199)));
}

TEST_F(TableCells, OverlappingOwnEntriesLeaveTheTableEmpty) {
    TableGrid* grid = Grid({{Cell(0, 0, 0, 0, 120, 99, 1), Cell(1, 1, 100, 0, 199, 99, 1)}});
    EXPECT_FALSE(table->AttachGrid(nullptr, grid));
    EXPECT_EQ(table->GetChildCount(), 0);
    EXPECT_EQ(table->m_pGrid, nullptr);
    EXPECT_EQ(table->m_nCapacity, 0);
}

TEST_F(TableCells, DamagedGridsAreRefused) {
    // A cell beyond the table.
    EXPECT_FALSE(table->AttachGrid(nullptr, Grid({{Cell(0, 0, 0, 0, 400, 99, 1)}})));
    EXPECT_FALSE(table->AttachGrid(nullptr, Grid({{Cell(0, 0, -5, 0, 50, 99, 1)}})));
    // Offsets that would overflow the page coordinates.
    EXPECT_FALSE(table->AttachGrid(nullptr, Grid({{Cell(0, 0, 0x7FFFFFF0, 0, 0x7FFFFFFF, 99, 1)}})));
    // An inverted cell.
    EXPECT_FALSE(table->AttachGrid(nullptr, Grid({{Cell(0, 0, 50, 0, 10, 99, 1)}})));
    // Counts that do not fit the arrays.
    TableGrid* grid = Grid({{Cell(0, 0, 0, 0, 10, 10, 1)}});
    grid->pCellsPerRow[0] = -3;
    EXPECT_FALSE(table->AttachGrid(nullptr, grid));
    TableGrid* missing = NewTableGrid(1, 1);
    missing->pCellsPerRow[0] = 4;  // no cell array behind it
    EXPECT_FALSE(table->AttachGrid(nullptr, missing));
    EXPECT_FALSE(table->AttachGrid(nullptr, nullptr));
    EXPECT_EQ(table->GetChildCount(), 0);
}

TEST_F(TableCells, SetRectDropsGridAndCellsButARefusedMoveKeepsThem) {
    ASSERT_TRUE(table->AttachGrid(nullptr, Grid({{Cell(0, 0, 0, 0, 99, 99, 1)}})));
    page.AddRegion(R(500, 500, 600, 600), kRegionPicture);
    EXPECT_FALSE(page.SetChildRect(table, R(100, 100, 550, 550)));
    EXPECT_EQ(table->GetChildCount(), 1);
    EXPECT_NE(table->m_pGrid, nullptr);
    EXPECT_TRUE(page.SetChildRect(table, R(110, 110, 450, 450)));
    EXPECT_EQ(table->GetChildCount(), 0);
    EXPECT_EQ(table->m_pGrid, nullptr);
    EXPECT_TRUE(RectsEqual(*table, R(110, 110, 450, 450)));
}

TEST_F(TableCells, SelectionStopsAtTheTable) {
    ASSERT_TRUE(table->AttachGrid(nullptr, Grid({{Cell(0, 0, 0, 0, 99, 99, 1)}})));
    table->Select(0);
    CLayoutRegion* parent = nullptr;
    CLayoutRegion* region = nullptr;
    EXPECT_EQ(page.SelectAt(P(150, 150), &parent, &region, 4), kInsideNoEdge);
    EXPECT_EQ(region, table);
    EXPECT_EQ(parent, &page);
    EXPECT_EQ(table->m_nSelected, -1);
    // A cell's edge is no answer of the table's.
    EXPECT_EQ(page.HitTest(P(199, 150), 4), 0);
    EXPECT_EQ(page.HitTest(P(398, 150), 4), kEdgeRight);
    EXPECT_EQ(page.SelectAt(P(101, 150), &parent, &region, 4), kEdgeLeft);
    EXPECT_EQ(region, table);
    EXPECT_EQ(parent, &page);
}

// --- Grids found by the form-extraction library --------------------------------------------------------

// A ruled table of `cols` x `rows` cells of 60 x 40 pixels with 2-pixel rules.
void DrawTable(CPageImage& page, int left, int top, int cols, int rows) {
    const int right = left + cols * 60, bottom = top + rows * 40;
    for (int r = 0; r <= rows; ++r) FillBlack(page, left, top + r * 40, right + 1, top + r * 40 + 1);
    for (int c = 0; c <= cols; ++c) FillBlack(page, left + c * 60, top, left + c * 60 + 1, bottom + 1);
}

TEST(TableAnalysis, RuledGridBecomesCellsAndLosesItsRules) {
    CPageImage image;
    ASSERT_TRUE(MakeWhitePage(image, 600, 400));
    DrawTable(image, 100, 100, 3, 2);
    FillBlack(image, 120, 115, 135, 125);  // text in the first cell
    CPageRegion page(R(0, 0, 599, 399));
    auto* table = dynamic_cast<CTableRegion*>(page.AddRegion(R(95, 95, 290, 190), kRegionTable));
    ASSERT_NE(table, nullptr);
    ASSERT_TRUE(table->Analyze(&image));
    EXPECT_EQ(table->m_bOwnGrid, 0);
    EXPECT_EQ(table->m_pGridImage, &image);
    ASSERT_NE(table->m_pGrid, nullptr);
    EXPECT_EQ(table->m_pGrid->nRows, 2);
    ASSERT_EQ(table->GetChildCount(), 6);
    for (int i = 0; i < 6; ++i) {
        const CLayoutRegion* cell = table->GetChild(i);
        EXPECT_TRUE(table->ContainsRect(*cell));
        EXPECT_EQ(cell->m_nFlags, kRegionHorizontal);
    }
    // The first cell holds the text; the rules were taken out of the page.
    EXPECT_TRUE(table->GetChild(0)->Contains(P(127, 120)));
    WORD rowInk[1] = {};
    ASSERT_TRUE(image.GetRowProfile(R(140, 100, 280, 100), rowInk));
    EXPECT_EQ(rowInk[0], 0);
    ASSERT_TRUE(image.GetRowProfile(R(120, 120, 135, 120), rowInk));
    EXPECT_EQ(rowInk[0], 16);
    // A second analysis starts again from an empty table.
    EXPECT_FALSE(table->Analyze(&image));  // the rules are gone
    EXPECT_EQ(table->GetChildCount(), 0);
    EXPECT_EQ(table->m_pGrid, nullptr);
}

TEST(TableAnalysis, NoGridLeavesAnEmptyTable) {
    CPageImage image;
    ASSERT_TRUE(MakeWhitePage(image, 300, 300));
    FillBlack(image, 50, 50, 60, 60);
    CTableRegion table(R(10, 10, 200, 200));
    EXPECT_FALSE(table.Analyze(&image));
    EXPECT_EQ(table.m_pGrid, nullptr);
    EXPECT_EQ(table.GetChildCount(), 0);
    // A region reaching beyond the page cannot be read.
    CTableRegion outside(R(10, 10, 400, 200));
    EXPECT_FALSE(outside.Analyze(&image));
    EXPECT_FALSE(table.Analyze(nullptr));
}

}  // namespace
