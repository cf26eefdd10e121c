#include "ocrdoc/tabletext/table_export.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ocrdoc/helpers/export_entries.h"
#include "ocrdoc/tabletext/table_layout.h"
#include "ocrdoc/tabletext/tests/table_fixtures.h"
#include "ocrdoc/tests/fake_document_host.h"

namespace {

std::string CellText(const SPageCell& cell) {
    if (cell.contentKind != SPAGE_BLOCK_TEXT) return "<none>";
    const auto* block = static_cast<const SPageTextBlock*>(cell.pContent);
    return std::string(block->pText, static_cast<std::size_t>(block->textLen));
}

// A table region over a test grid; the grid stays the test's.
struct Region {
    CTableRegion region;
    explicit Region(TableGrid* grid) : region(RECT{100, 200, 299, 339}) { region.m_pGrid = grid; }
    ~Region() { region.m_pGrid = nullptr; }
};

// Lays out the grid's own cells with the given texts, each line placed at
// the top of the row it names (page coordinates), the way the document
// assembles a table's text.
std::string LayOut(const TableGrid& grid, int regionTop, const std::vector<std::vector<std::pair<int, std::string>>>& texts) {
    std::vector<TableLayoutCell> cells;
    std::vector<std::string> joined;
    std::vector<int> positions;
    std::vector<int> bounds = GetTableRowBoundaries(&grid);
    for (int& b : bounds) b += regionTop;
    for (int k = 0; k < CountTableCells(&grid); ++k) {
        TableLayoutCell cell{};
        EXPECT_TRUE(GetTableLayoutCell(&cell, k, &grid));
        std::string text;
        int previousRow = -1, inRow = 0;
        for (const auto& [row, line] : texts[static_cast<std::size_t>(k)]) {
            text += line + "\r\n";
            inRow = row == previousRow ? inRow + 1 : 0;
            previousRow = row;
            positions.push_back(bounds[static_cast<std::size_t>(row)] + 8 + 22 * inRow);
            positions.push_back(20);
        }
        cell.nLines = static_cast<int>(texts[static_cast<std::size_t>(k)].size());
        joined.push_back(text);
        cells.push_back(cell);
    }
    for (std::size_t k = 0; k < cells.size(); ++k) cells[k].pText = joined[k].c_str();
    TableLayoutInput input{cells, grid.nColumns, grid.nRows, positions, bounds};
    std::vector<char> out(TableTextLayoutBytes(input));
    EXPECT_FALSE(out.empty());
    if (out.empty()) return {};
    std::size_t length = 0;
    EXPECT_GE(LayoutTableText(input, out.data(), out.size(), &length), 3);
    return std::string(out.data(), length);
}

// Two columns, three rows: the left cell of rows 0 and 1 is merged, row 2 is
// one cell over both columns. Coordinates are relative to the region.
TestGrid MergedGrid() {
    TableCell merged = GridEntry(0, 0, 1, 1, 2, 2, 60, 38);
    merged.nBottomRule = 0;
    TableCell below = GridEntry(0, 1, 1, 2, 2, 42, 60, 78, 0);
    below.nTopRule = 0;
    return TestGrid({{merged, GridEntry(1, 0, 2, 1, 64, 2, 198, 38)},
                     {below, GridEntry(1, 1, 2, 2, 64, 42, 198, 78)},
                     {GridEntry(0, 2, 2, 3, 2, 82, 198, 138)}},
                    2);
}

TEST(TableExport, LayoutParsesBackIntoTheSameCells) {
    CFakeDocumentHost shell;
    TestGrid g = MergedGrid();
    const std::string table = LayOut(g.grid, 200,
                                     {{{0, "M1"}, {1, "M2"}},
                                      {{0, "r0 \xD6\xD0"}},
                                      {{1, "r1"}},
                                      {{2, " wide text"}, {2, "second"}}});
    const std::string text = "before\r\n" + table + "after\r\n";
    Region r(&g.grid);
    std::size_t consumed = 0;
    SPageTable* t = BuildExportTable(r.region, text, &consumed);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(consumed, text.size() - 7);  // everything but "after"
    EXPECT_EQ(t->width, 200);
    EXPECT_EQ(t->height, 140);
    EXPECT_EQ(t->left, 100);
    ASSERT_EQ(t->nCells, 5);
    ASSERT_EQ(t->pCells->nCount, 5);
    const SPageCell* c = t->pCells->aCells;
    EXPECT_EQ(CellText(c[0]), "M1\r\n");
    EXPECT_EQ(CellText(c[1]), "r0 \xD6\xD0\r\n");
    EXPECT_EQ(CellText(c[2]), "M2\r\n");
    EXPECT_EQ(CellText(c[3]), "r1\r\n");
    EXPECT_EQ(CellText(c[4]), " wide text\r\nsecond\r\n");
    // Rules: the merged cell has no bottom rule, the outer edges always have one.
    EXPECT_EQ(c[0].bottomRule, 0);
    EXPECT_EQ(c[0].topRule, 1);
    EXPECT_EQ(c[2].topRule, 0);
    EXPECT_EQ(c[4].bottomRule, 1);
    EXPECT_EQ(c[4].row, 2);
    EXPECT_EQ(c[3].column, 1);
    EXPECT_EQ(c[1].width, 135);
    EXPECT_EQ(c[1].height, 37);
    const auto* block = static_cast<const SPageTextBlock*>(c[4].pContent);
    EXPECT_EQ(block->nLines, 2);
    EXPECT_EQ(block->left, 4);
    EXPECT_EQ(block->top, 84);
    EXPECT_EQ(block->width, 193);
    EXPECT_EQ(block->fontCode, 21);
    EXPECT_EQ(block->spacing, 0x80008);
    ReleasePageTable(t);
}

TEST(TableExport, TextOnTheRuleLineGoesToTheMergedCell) {
    CFakeDocumentHost shell;
    TestGrid g = MergedGrid();
    std::string table = LayOut(g.grid, 200, {{{0, "M1"}}, {{0, "a"}}, {{1, "b"}}, {{2, "c"}}});
    // Type into the merged cell's blank on the rule line between rows 0 and 1.
    std::size_t rule = table.find(Box(kBoxLeftTee), 1);
    ASSERT_NE(rule, std::string::npos);
    std::size_t lineStart = table.rfind("\r\n", rule) + 2;
    table.replace(lineStart + 2, 2, "xy");
    Region r(&g.grid);
    std::size_t consumed = 0;
    SPageTable* t = BuildExportTable(r.region, table, &consumed);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(CellText(t->pCells->aCells[0]), "M1\r\nxy\r\n");
    EXPECT_EQ(CellText(t->pCells->aCells[2]), "<none>");
    ReleasePageTable(t);
}

TEST(TableExport, CutAndDamagedTextNeverReadsPastItsEnd) {
    CFakeDocumentHost shell;
    TestGrid g = MergedGrid();
    const std::string table = LayOut(g.grid, 200, {{{0, "M1"}}, {{0, "a"}}, {{1, "b"}}, {{2, "c"}}});
    Region r(&g.grid);
    // Every prefix: no bottom corner, cut escapes, a lead byte without its trail.
    for (std::size_t n = 0; n <= table.size(); ++n) {
        std::string cut = table.substr(0, n);
        std::size_t consumed = 99999;
        SPageTable* t = BuildExportTable(r.region, std::string_view(cut.data(), cut.size()), &consumed);
        ASSERT_NE(t, nullptr);
        EXPECT_LE(consumed, n);
        ReleasePageTable(t);
    }
    // No table in the text: nothing consumed, cells without text.
    std::size_t consumed = 1;
    SPageTable* t = BuildExportTable(r.region, "plain\r\ntext\r\n", &consumed);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(consumed, 0u);
    EXPECT_EQ(t->pCells->aCells[0].contentKind, 0);
    ReleasePageTable(t);
    // No grid: no table.
    CTableRegion empty(RECT{0, 0, 10, 10});
    EXPECT_EQ(BuildExportTable(empty, table, &consumed), nullptr);
}

TEST(TableTextToCells, PiecesBetweenRulesBecomeLines) {
    CFakeDocumentHost shell;
    const std::string v = Box(kBoxVertical), h = Box(kBoxHorizontal);
    const std::string text = "title\r\n" + Box(kBoxTopLeft) + h + Box(kBoxTopTee) + h + Box(kBoxTopTee) + h +
                             Box(kBoxTopRight) + "\r\n" + v + "ab  " + v + "   " + v + " c d " + v + "tail\r\n" +
                             Box(kBoxBottomLeft) + h + Box(kBoxBottomTee) + h + Box(kBoxBottomTee) + h +
                             Box(kBoxBottomRight) + "\r\n";
    EXPECT_EQ(TableTextToCells(text), "\r\nab\r\n\r\n c d\r\n");
    // In the escaped form a recognised box-drawing character is cell text.
    std::size_t consumed = 0;
    std::string escaped = v + Esc(0xA9, 0xA7, 0) + "x" + v + "\r\n";
    std::vector<std::string> pieces = SplitTableLine(escaped, 0, true, &consumed);
    EXPECT_EQ(consumed, escaped.size());
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0], "\xA9\xA7x");
}

}  // namespace
