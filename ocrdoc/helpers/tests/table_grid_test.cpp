#include "ocrdoc/helpers/table_grid.h"

#include <gtest/gtest.h>

namespace {

TableCell Cell(int c0, int r0, int c1, int r1, int l, int t, int r, int b, int own) {
    TableCell c{};
    c.nFirstCol = c0; c.nFirstRow = r0; c.nLastCol = c1; c.nLastRow = r1;
    c.left = l; c.top = t; c.right = r; c.bottom = b;
    c.nTopWidth = 3; c.nBottomWidth = 1;
    c.bOwn = own;
    return c;
}

// Two rows; the left cell spans both (a continuation entry below).
struct Grid {
    TableCell row0[2] = {Cell(0, 0, 1, 1, 0, 10, 49, 39, 1), Cell(1, 0, 2, 1, 52, 12, 99, 39, 1)};
    TableCell row1[2] = {Cell(0, 1, 1, 2, 0, 42, 49, 79, 0), Cell(1, 1, 2, 2, 52, 42, 99, 81, 1)};
    INT perRow[2] = {2, 2};
    TableCell* rows[2] = {row0, row1};
    TableGrid grid{2, 2, perRow, rows};
};

TEST(TableGridReading, CountsOwnEntriesAndFollowsSpans) {
    Grid g;
    EXPECT_EQ(CountTableCells(&g.grid), 3);
    TableLayoutCell cell{};
    ASSERT_TRUE(GetTableLayoutCell(&cell, 0, &g.grid));
    EXPECT_EQ(cell.width, 50);
    EXPECT_EQ(cell.height, 70);  // to the bottom of the spanned row
    EXPECT_EQ(cell.lastRow, 2);
    ASSERT_TRUE(GetTableLayoutCell(&cell, 2, &g.grid));
    EXPECT_EQ(cell.firstCol, 1);
    EXPECT_EQ(cell.firstRow, 1);
    EXPECT_EQ(cell.height, 40);
    EXPECT_FALSE(GetTableLayoutCell(&cell, 3, &g.grid));
    EXPECT_FALSE(GetTableLayoutCell(&cell, 0, nullptr));
}

TEST(TableGridReading, RowBoundariesAreMeansAcrossTheRule) {
    Grid g;
    std::vector<int> b = GetTableRowBoundaries(&g.grid);
    ASSERT_EQ(b.size(), 3u);
    EXPECT_EQ(b[0], 9);   // (10-2 + 12-2) / 2
    EXPECT_EQ(b[1], 40);
    EXPECT_EQ(b[2], 81);  // (79+1 + 81+1) / 2
    TableGrid broken{2, 2, g.perRow, nullptr};
    EXPECT_TRUE(GetTableRowBoundaries(&broken).empty());
}

TEST(ExportFormat, ByExtensionAnyCase) {
    EXPECT_EQ(GetExportFormat("C:\\out\\a.big5_html"), 4);
    EXPECT_EQ(GetExportFormat("C:\\out\\a.doc"), -2);
    EXPECT_EQ(GetExportFormat("C:\\out\\a.txt"), -1);
    EXPECT_EQ(GetExportFormat("a.Pdf"), 0);
    EXPECT_EQ(GetExportFormat("a.XLS"), 5);
    EXPECT_EQ(GetExportFormat("C:\\out\\noext"), -2);
}

}  // namespace
