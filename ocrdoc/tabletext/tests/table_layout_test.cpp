#include "ocrdoc/tabletext/table_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ocrdoc/tabletext/tests/table_fixtures.h"
#include "ocrdoc/tests/fake_document_host.h"

namespace {

TableLayoutCell LayoutCell(int c0, int r0, int c1, int r1, int lines, const char* text) {
    TableLayoutCell c{};
    c.firstCol = c0;
    c.firstRow = r0;
    c.lastCol = c1;
    c.lastRow = r1;
    c.nLines = lines;
    c.pText = text;
    return c;
}

struct Layout {
    std::vector<TableLayoutCell> cells;
    int columns = 1, rows = 1;
    std::vector<int> positions, boundaries;

    TableLayoutInput Input() const { return {cells, columns, rows, positions, boundaries}; }
    // The laid-out text (empty when refused) and its row count.
    std::string Run(int* outRows) const {
        std::size_t bytes = TableTextLayoutBytes(Input());
        std::vector<char> out(bytes ? bytes : 1, '\x55');
        std::size_t length = 0;
        *outRows = LayoutTableText(Input(), out.data(), out.size(), &length);
        if (bytes) {
            EXPECT_EQ(length, bytes - 1);
            EXPECT_EQ(out[bytes - 1], '\0');
        }
        return std::string(out.data(), length);
    }
};

// One cell of one row and column with one line.
Layout OneCell(const char* text) {
    Layout t;
    t.cells = {LayoutCell(0, 0, 1, 1, 1, text)};
    t.positions = {100, 20};
    t.boundaries = {90, 130};
    return t;
}

std::vector<std::string> Rows(const std::string& text) {
    std::vector<std::string> rows;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) {
            rows.push_back(text.substr(pos));
            break;
        }
        rows.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    return rows;
}

TEST(TableLayout, OneCellMakesThreeRowsWithRulesAtUnitsZeroAndSix) {
    CFakeDocumentHost shell;
    Layout t = OneCell("ab\r\n");
    int rows = 0;
    std::string text = t.Run(&rows);
    ASSERT_EQ(rows, 3);
    std::vector<std::string> r = Rows(text);
    ASSERT_EQ(r.size(), 3u);
    const std::string h = Box(kBoxHorizontal), v = Box(kBoxVertical);
    EXPECT_EQ(r[0], Box(kBoxTopLeft) + h + h + Box(kBoxTopRight));
    EXPECT_EQ(r[1], v + Esc(0, 'a', 0) + Esc(0, 'b', 1) + "  " + v);
    EXPECT_EQ(r[2], Box(kBoxBottomLeft) + h + h + Box(kBoxBottomRight));
}

TEST(TableLayout, CellWidthsRoundUpToEvenUnits) {
    CFakeDocumentHost shell;
    Layout t = OneCell("abc");  // 3 bytes: 4 units, right rule at 6
    int rows = 0;
    EXPECT_EQ(Rows(t.Run(&rows))[0].size(), 8u);
    t.cells = {LayoutCell(0, 0, 1, 1, 1, "abcd\r\n")};  // 5 bytes: 6 units, right rule at 8
    EXPECT_EQ(Rows(t.Run(&rows))[0].size(), 10u);
    t.cells = {LayoutCell(0, 0, 1, 1, 1, "\xD6\xD0\r\n")};  // a double-byte character and its CR
    std::vector<std::string> r = Rows(t.Run(&rows));
    EXPECT_EQ(r[1], Box(kBoxVertical) + Esc(0xD6, 0xD0, 0) + "  " + Box(kBoxVertical));
}

TEST(TableLayout, SideBySideCellsShareARowAndEmptyRowsGetOneLine) {
    CFakeDocumentHost shell;
    Layout t;
    t.columns = 2;
    t.rows = 2;
    // Row 0: two cells whose lines lie at the same height; row 1: one wide
    // cell without text.
    t.cells = {LayoutCell(0, 0, 1, 1, 1, "ab\r\n"), LayoutCell(1, 0, 2, 1, 1, "cd\r\n"),
               LayoutCell(0, 1, 2, 2, 0, "")};
    t.positions = {100, 20, 102, 18};
    t.boundaries = {90, 130, 170};
    int rows = 0;
    std::vector<std::string> r = Rows(t.Run(&rows));
    ASSERT_EQ(rows, 5);
    const std::string h = Box(kBoxHorizontal), v = Box(kBoxVertical);
    EXPECT_EQ(r[0], Box(kBoxTopLeft) + h + h + Box(kBoxTopTee) + h + h + Box(kBoxTopRight));
    EXPECT_EQ(r[1], v + Esc(0, 'a', 0) + Esc(0, 'b', 1) + "  " + v + Esc(0, 'c', 2) + Esc(0, 'd', 3) + "  " + v);
    EXPECT_EQ(r[2], Box(kBoxLeftTee) + h + h + Box(kBoxBottomTee) + h + h + Box(kBoxRightTee));
    EXPECT_EQ(r[3], v + std::string(10, ' ') + v);
    EXPECT_EQ(r[4], Box(kBoxBottomLeft) + h + h + h + h + h + Box(kBoxBottomRight));
}

TEST(TableLayout, LinesApartGetRowsOfTheirOwnInTopToBottomOrder) {
    CFakeDocumentHost shell;
    Layout t;
    t.columns = 2;
    // The right cell's second line lies between nothing of the left cell; its
    // first line joins the left cell's second.
    t.cells = {LayoutCell(0, 0, 1, 1, 2, "a\r\nb\r\n"), LayoutCell(1, 0, 2, 1, 2, "c\r\nd\r\n")};
    t.positions = {100, 20, 140, 20, 141, 18, 200, 20};
    t.boundaries = {90, 230};
    int rows = 0;
    std::vector<std::string> r = Rows(t.Run(&rows));
    ASSERT_EQ(rows, 5);
    EXPECT_NE(r[1].find(Esc(0, 'a', 0)), std::string::npos);
    EXPECT_EQ(r[1].find(Esc(0, 'c', 2)), std::string::npos);
    EXPECT_NE(r[2].find(Esc(0, 'b', 1)), std::string::npos);
    EXPECT_NE(r[2].find(Esc(0, 'c', 2)), std::string::npos);
    EXPECT_NE(r[3].find(Esc(0, 'd', 3)), std::string::npos);
}

TEST(TableLayout, BoxCharactersFollowTheSimplifiedFlag) {
    CFakeDocumentHost shell;
    Layout t = OneCell("ab\r\n");
    int rows = 0;
    shell.simplified = true;
    EXPECT_EQ(t.Run(&rows).substr(0, 2), "\xA9\xB3");
    shell.simplified = false;
    std::string big5 = t.Run(&rows);
    EXPECT_EQ(big5.substr(0, 4), "\xA2\x7A\xA2\x77");
    EXPECT_TRUE(IsTableLineChar(0xA27A));
    EXPECT_FALSE(IsTableLineChar(0xA9B3));
}

TEST(TableLayout, RefusedInputWritesNothing) {
    CFakeDocumentHost shell;
    Layout good = OneCell("ab\r\n");
    const std::size_t need = TableTextLayoutBytes(good.Input());
    ASSERT_GT(need, 0u);
    std::vector<char> out(need + 8, 'x');
    // One byte short of the text and its NUL: refused, not cut.
    EXPECT_EQ(LayoutTableText(good.Input(), out.data(), need - 1), kTableLayoutRefused);
    EXPECT_EQ(out[0], '\0');
    EXPECT_EQ(out[need - 1], 'x');
    EXPECT_EQ(LayoutTableText(good.Input(), out.data(), need), 3);

    Layout bad = good;
    bad.cells[0].nLines = -1;
    EXPECT_EQ(LayoutTableText(bad.Input(), out.data(), out.size()), kTableLayoutRefused);
    EXPECT_EQ(TableTextLayoutBytes(bad.Input()), 0u);
    bad = good;
    bad.cells[0].lastCol = 2;  // beyond the grid's one column
    EXPECT_EQ(LayoutTableText(bad.Input(), out.data(), out.size()), kTableLayoutRefused);
    bad = good;
    bad.cells[0].nLines = 2;  // more lines than positions
    EXPECT_EQ(LayoutTableText(bad.Input(), out.data(), out.size()), kTableLayoutRefused);
    bad = good;
    bad.boundaries.pop_back();
    EXPECT_EQ(LayoutTableText(bad.Input(), out.data(), out.size()), kTableLayoutRefused);
}

TEST(TableLayout, BytesThatStartNoCharacterNeverBecomeLeadBytes) {
    CFakeDocumentHost shell;
    // A lone lead byte before a space, 0xFF, a euro-sign 0x80 and a lead byte
    // at the line's end.
    Layout t = OneCell("\x81 \xFF\x80z\xB0\r\n");
    int rows = 0;
    std::vector<std::string> r = Rows(t.Run(&rows));
    ASSERT_EQ(rows, 3);
    EXPECT_EQ(r[1], Box(kBoxVertical) + "  " + " " + Esc(0, 0x80, 0) + Esc(0, 'z', 1) + " " + "  " + Box(kBoxVertical));
}

TEST(TableLayout, ALineWithoutPositionStaysInsideItsCell) {
    CFakeDocumentHost shell;
    Layout t;
    t.cells = {LayoutCell(0, 0, 1, 1, 3, "a\r\n\r\nb\r\n")};
    t.positions = {100, 20, 0, 0, 150, 20};
    t.boundaries = {90, 180};
    int rows = 0;
    std::vector<std::string> r = Rows(t.Run(&rows));
    ASSERT_EQ(rows, 5);
    EXPECT_EQ(r[0].substr(0, 2), Box(kBoxTopLeft));
    EXPECT_EQ(r[4].substr(0, 2), Box(kBoxBottomLeft));
}

TEST(TableLayout, LinePositionsComeFromEachLinesFirstRecognisedCharacter) {
    RecoCharInfo recs[2]{};
    recs[0].nLineY = 40;
    recs[0].nLineThick = 12;
    recs[1].nLineY = 70;
    recs[1].nLineThick = 14;
    std::string text = "x" + Esc(0, 'a', 1) + Esc(0, 'b', 0) + "\r\n" + "typed\r\n" + Esc(0, 'c', 9) + "\r\n" + Esc(0, 'd', 0);
    std::vector<int> pairs(8, -1);
    GetLinePositions(pairs, text, recs, 2);
    EXPECT_EQ(pairs, (std::vector<int>{70, 14, 0, 0, 0, 0, 40, 12}));
    // A cut escape at the end is no character.
    std::vector<int> cut(2, -1);
    GetLinePositions(cut, text.substr(0, 4), recs, 2);
    EXPECT_EQ(cut, (std::vector<int>{0, 0}));
}

}  // namespace

namespace {

TEST(TableLayout, LinesOfOneColumnNeverShareARow) {
    CFakeDocumentHost shell;
    Layout t;
    t.rows = 2;
    // The second cell's two lines claim the same height, and that of the
    // first cell's line: each still gets a row of its own, in order.
    t.cells = {LayoutCell(0, 0, 1, 1, 1, "a\r\n"), LayoutCell(0, 1, 1, 2, 2, "b\r\nc\r\n")};
    t.positions = {100, 20, 100, 20, 100, 20};
    t.boundaries = {90, 95, 180};
    int rows = 0;
    std::string text = t.Run(&rows);
    ASSERT_EQ(rows, 7);  // the lines all lie below the first rule: an empty row 0
    std::size_t a = text.find(Esc(0, 'a', 0)), b = text.find(Esc(0, 'b', 1)), c = text.find(Esc(0, 'c', 2));
    ASSERT_NE(a, std::string::npos);
    ASSERT_NE(b, std::string::npos);
    ASSERT_NE(c, std::string::npos);
    EXPECT_LT(a, b);
    EXPECT_LT(b, c);
}

}  // namespace
