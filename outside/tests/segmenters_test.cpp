// Table grids and handwriting rows and boxes through the libraries' entries.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cmath>
#include <numeric>
#include <vector>

#include "outside/include/fremlin.h"
#include "outside/include/glenrith.h"
#include "outside/tests/corpus.h"
#include "outside/tests/harness.h"
#include "outside/tests/loader.h"

using namespace testpages;

namespace {

struct Fremlin {
    Library lib{FREMLIN_DLL};
    PFN_FREMLIN_EXTRACT extract = lib.ordinal<PFN_FREMLIN_EXTRACT>(FREMLIN_ORDINAL_EXTRACT);
    PFN_FREMLIN_FREE free = lib.ordinal<PFN_FREMLIN_FREE>(FREMLIN_ORDINAL_FREE);
};

Fremlin& fremlin() {
    static Fremlin f;
    return f;
}

// The bits of r of the plane as the program cuts them out: rows of
// (width + 7) / 8 bytes.
std::vector<std::uint8_t> cut(const Plane& p, const Rect& r, int& w, int& h) {
    w = r.right - r.left + 1;
    h = r.bottom - r.top + 1;
    return cropBits(p, r.left, r.top, w, h);
}

// A plane with black rectangles painted on it.
Plane planeWith(int w, int h, const std::vector<QRect>& rects) {
    ensureGui();
    QImage img(w, h, QImage::Format_Grayscale8);
    img.fill(255);
    QPainter p(&img);
    for (const QRect& r : rects) p.fillRect(r, Qt::black);
    p.end();
    Plane plane;
    plane.width = w;
    plane.height = h;
    plane.bits.assign(static_cast<std::size_t>(plane.stride()) * h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (img.pixelColor(x, y).lightness() < 128) plane.bits[y * plane.stride() + x / 8] |= 0x80 >> (x % 8);
    return plane;
}

}  // namespace

TEST(Fremlin, GridOfARuledTableWithItsRulesTakenOut) {
    std::vector<std::vector<std::string>> cells = {{"名称", "数量", "价格"}, {"苹果", "12", "35.00"}, {"香蕉", "8", "16.50"}};
    for (double noise : {0.0, 0.002}) {
        Page page = tablePage("表", cells, false, Style{50, 0, noise, 4});
        Rect r = page.tables[0];
        r.left -= 5;
        r.top -= 5;
        r.right += 5;
        r.bottom += 5;
        int w, h;
        auto bits = cut(page.plane, r, w, h);
        TableGrid* grid = nullptr;
        TableGrid* got = fremlin().extract(bits.data(), w, h, 0, &grid);
        ASSERT_NE(got, nullptr);
        EXPECT_EQ(got, grid);
        ASSERT_EQ(grid->nRows, 3);
        EXPECT_EQ(grid->nColumns, 3);
        for (int row = 0; row < 3; ++row) {
            ASSERT_EQ(grid->pCellsPerRow[row], 3);
            for (int c = 0; c < 3; ++c) {
                const TableCell& cell = grid->ppRows[row][c];
                EXPECT_EQ(cell.bOwn, 1);
                EXPECT_EQ(cell.nFirstCol, c);
                EXPECT_EQ(cell.nLastCol, c + 1);
                EXPECT_EQ(cell.nFirstRow, row);
                EXPECT_EQ(cell.nLastRow, row + 1);
                // The inside of the cell lies between the drawn rules (3 pixels wide).
                EXPECT_NEAR(cell.left + r.left, page.tableColLines[c] + 3, 2);
                EXPECT_NEAR(cell.right + r.left, page.tableColLines[c + 1] - 1, 2);
                EXPECT_NEAR(cell.top + r.top, page.tableRowLines[row] + 3, 2);
                EXPECT_NEAR(cell.bottom + r.top, page.tableRowLines[row + 1] - 1, 2);
                EXPECT_EQ(cell.nTopRule, 1);
                EXPECT_EQ(cell.nBottomRule, 1);
                EXPECT_NEAR(cell.nTopWidth, 3, 1);
                EXPECT_NEAR(cell.nBottomWidth, 3, 1);
            }
        }
        // The rules are gone from the image: the rule rows are white now.
        int stride = (w + 7) / 8, y = page.tableRowLines[1] + 1 - r.top, black = 0;
        for (int x = 0; x < w; ++x) black += (bits[y * stride + x / 8] >> (7 - x % 8)) & 1;
        EXPECT_LT(black, w / 50);
        fremlin().free(&grid);
        EXPECT_EQ(grid, nullptr);
    }
}

TEST(Fremlin, TablesTiltedByUpToTwoDegreesKeepTheirGrid) {
    const CorpusClass& tables = corpusClass("ruled-table");
    // Seeds 101 to 103 turn their pages by 1, 1.5 and 2 degrees. How the
    // level copy's rows fall on a rule depends on where the table was cut
    // out, so each is cut with margins of several widths.
    for (unsigned seed : {101u, 102u, 103u}) {
        CorpusPage page = corpusPage(tables, seed, true, 2480, 1800);
        ASSERT_EQ(page.tables.size(), 1u);
        const int charSize = 38 + static_cast<int>((seed * 7) % 12);
        for (int margin : {6, 13, 22}) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " margin " << margin);
            // The table's corners as the page was turned about its middle.
            const double a = page.skewDegrees * 3.14159265358979 / 180.0, mx = 2480 / 2.0, my = 1800 / 2.0;
            const Rect& t = page.tables[0];
            Rect r{1 << 20, 1 << 20, -1, -1};
            for (int x : {t.left, t.right})
                for (int y : {t.top, t.bottom}) {
                    const int px = static_cast<int>(mx + (x - mx) * std::cos(a) - (y - my) * std::sin(a));
                    const int py = static_cast<int>(my + (x - mx) * std::sin(a) + (y - my) * std::cos(a));
                    r = Rect{std::min(r.left, px - margin), std::min(r.top, py - margin), std::max(r.right, px + margin),
                             std::max(r.bottom, py + margin)};
                }
            int w, h;
            auto bits = cut(page.page.plane, r, w, h);
            const long inkBefore = std::accumulate(bits.begin(), bits.end(), 0L, [](long n, std::uint8_t b) { return n + __builtin_popcount(b); });
            TableGrid* grid = nullptr;
            fremlin().extract(bits.data(), w, h, 0, &grid);
            ASSERT_NE(grid, nullptr);
            EXPECT_EQ(grid->nRows, 4 + static_cast<int>(seed % 4));
            EXPECT_EQ(grid->nColumns, 3 + static_cast<int>((seed / 2) % 2));
            for (int row = 0; row < grid->nRows; ++row) {
                ASSERT_EQ(grid->pCellsPerRow[row], grid->nColumns);
                for (int c = 0; c + 1 < grid->nColumns; ++c) EXPECT_LT(grid->ppRows[row][c].left, grid->ppRows[row][c + 1].left);
            }
            // The rules are gone, the text in the cells is not: what is left
            // is the ink of the text, well under what the rules weigh.
            const long inkAfter = std::accumulate(bits.begin(), bits.end(), 0L, [](long n, std::uint8_t b) { return n + __builtin_popcount(b); });
            EXPECT_LT(inkAfter, inkBefore * 3 / 4);
            EXPECT_GT(inkAfter, inkBefore / 10);
            // No run of black longer than a character is left along any row:
            // no piece of a rule the level copy held a row off near its end.
            int longest = 0;
            for (int y = 0; y < h; ++y)
                for (int x = 0, run = 0; x < w; ++x) {
                    run = (bits[y * ((w + 7) / 8) + x / 8] >> (7 - x % 8)) & 1 ? run + 1 : 0;
                    longest = std::max(longest, run);
                }
            EXPECT_LE(longest, charSize);
            fremlin().free(&grid);
        }
    }
}

TEST(Fremlin, ARuleThatStepsOffItsRowsIsTakenOutToItsEnds) {
    // Rules two pixels thick that run level for most of their length but
    // lie two rows higher near their left end and two rows lower near their
    // right end, broken there by a gap, in pieces too short to be found as
    // rules of their own (as the level copy of a tilted table holds them).
    const int W = 1200, H = 400;
    std::vector<QRect> rects;
    for (int y : {20, 190, 360}) {
        rects.push_back({0, y - 2, 100, 2});
        rects.push_back({100, y, 900, 2});
        rects.push_back({1000, y + 2, 88, 2});
        rects.push_back({1090, y + 2, 83, 2});
    }
    for (int x : {0, 580, 1170}) rects.push_back({x, 16, 3, 350});
    Plane plane = planeWith(W, H, rects);
    TableGrid* grid = nullptr;
    ASSERT_NE(fremlin().extract(plane.bits.data(), plane.width, plane.height, 0, &grid), nullptr);
    EXPECT_EQ(grid->nRows, 2);
    EXPECT_EQ(grid->nColumns, 2);
    EXPECT_EQ(std::count(plane.bits.begin(), plane.bits.end(), 0), static_cast<long>(plane.bits.size()));
    fremlin().free(&grid);
}

TEST(Fremlin, MergedCellsBecomeContinuationEntries) {
    // Three rows, three columns; row 0 columns 1-2 are one cell; column 0
    // rows 1-2 are one cell.
    const int W = 903, H = 303;
    std::vector<QRect> rules = {
        {0, 0, W, 3}, {0, 300, W, 3},      // top and bottom
        {300, 100, 603, 3}, {0, 100, W, 3}, // row line 1 (full)
        {300, 200, 603, 3},                // row line 2 only right of column 0
        {0, 0, 3, H}, {900, 0, 3, H},      // outer columns
        {300, 0, 3, H},                    // column line 1
        {600, 100, 3, 203},                // column line 2 below row 0
    };
    Plane plane = planeWith(W + 3, H + 3, rules);
    TableGrid* grid = nullptr;
    ASSERT_NE(fremlin().extract(plane.bits.data(), plane.width, plane.height, 0, &grid), nullptr);
    ASSERT_EQ(grid->nRows, 3);
    ASSERT_EQ(grid->pCellsPerRow[0], 2);
    EXPECT_EQ(grid->ppRows[0][1].nFirstCol, 1);
    EXPECT_EQ(grid->ppRows[0][1].nLastCol, 3);
    EXPECT_EQ(grid->ppRows[0][1].nColumns, 2);
    ASSERT_EQ(grid->pCellsPerRow[2], 3);
    const TableCell& below = grid->ppRows[2][0];
    EXPECT_EQ(below.bOwn, 0);
    EXPECT_EQ(below.nFirstCol, grid->ppRows[1][0].nFirstCol);
    EXPECT_EQ(below.nLastCol, grid->ppRows[1][0].nLastCol);
    EXPECT_EQ(grid->ppRows[1][0].nBottomRule, 0);
    EXPECT_EQ(grid->ppRows[1][0].nBottomWidth, 0);
    EXPECT_EQ(grid->ppRows[2][1].bOwn, 1);
    fremlin().free(&grid);
}

TEST(Fremlin, RulesRunningPastTheOutermostRuleAcrossThemBoundOuterCells) {
    // Rules above, under the head row and below, across the whole table, and
    // rules between its columns only: the outer columns have no rule on
    // their outer side, yet they hold cells (here a mark in each).
    const int W = 1203, H = 406;
    std::vector<QRect> marks = {{60, 40, 40, 30}, {1100, 40, 40, 30}, {60, 200, 40, 30}, {1100, 300, 40, 30}};
    for (int columnRules : {3, 1}) {
        SCOPED_TRACE(testing::Message() << columnRules << " column rules");
        std::vector<QRect> rects = marks;
        for (int y : {0, 100, 400}) rects.push_back({0, y, W, 3});
        for (int k = 1; k <= columnRules; ++k) rects.push_back({k * W / (columnRules + 1), 0, 3, 403});
        // One rule longer than the others (an underline reaching out) widens nothing.
        rects.push_back({0, 0, W + 30, 3});
        Plane plane = planeWith(W + 40, H, rects);
        const long inkOfMarks = 4 * 40 * 30;
        TableGrid* grid = nullptr;
        ASSERT_NE(fremlin().extract(plane.bits.data(), plane.width, plane.height, 0, &grid), nullptr);
        ASSERT_EQ(grid->nRows, 2);
        ASSERT_EQ(grid->nColumns, columnRules + 1);
        for (int row = 0; row < 2; ++row) {
            ASSERT_EQ(grid->pCellsPerRow[row], columnRules + 1);
            const TableCell &first = grid->ppRows[row][0], &last = grid->ppRows[row][columnRules];
            EXPECT_LE(first.left, 1);
            EXPECT_GE(last.right, W - 2);
            EXPECT_LE(last.right, W);
            EXPECT_EQ(first.nLeftRule, 0);
            EXPECT_EQ(first.nLeftWidth, 0);
            EXPECT_EQ(first.nRightRule, 1);
            EXPECT_EQ(last.nRightRule, 0);
            EXPECT_EQ(first.bOwn, 1);
        }
        // Only the rules are taken out: the marks in the outer columns stay.
        const long left = std::accumulate(plane.bits.begin(), plane.bits.end(), 0L,
                                          [](long n, std::uint8_t b) { return n + __builtin_popcount(b); });
        EXPECT_EQ(left, inkOfMarks);
        fremlin().free(&grid);
    }
    // The top rule broken up by a poor scan (not found), the column rules
    // running up to where it was: the head row is still a row of the grid.
    std::vector<QRect> rects = marks;
    for (int y : {100, 400}) rects.push_back({0, y, W, 3});
    for (int x : {0, 600, 1200}) rects.push_back({x, 0, 3, 403});
    Plane plane = planeWith(W + 40, H, rects);
    TableGrid* grid = nullptr;
    ASSERT_NE(fremlin().extract(plane.bits.data(), plane.width, plane.height, 0, &grid), nullptr);
    ASSERT_EQ(grid->nRows, 2);
    ASSERT_EQ(grid->pCellsPerRow[0], 2);
    EXPECT_LE(grid->ppRows[0][0].top, 1);
    EXPECT_EQ(grid->ppRows[0][0].nTopRule, 0);
    EXPECT_EQ(grid->ppRows[0][0].nBottomRule, 1);
    fremlin().free(&grid);
}

TEST(Fremlin, LinesOfATableRuledOnlyAboveUnderItsHeadAndBelowAreRowsOfTheirOwn) {
    // Four columns, a head row and a body of five lines with no rule
    // between them; "words" are bars of a character's height.
    const int W = 1200, H = 400;
    auto table = [&](bool cellOfTwoLines) {
        std::vector<QRect> rects;
        for (int y : {0, 60, 396}) rects.push_back({0, y, W, 4});
        for (int k = 1; k < 4; ++k) rects.push_back({k * 300, 0, 3, 400});
        for (int c = 0; c < 4; ++c) rects.push_back({c * 300 + 20, 20, 120, 25});
        // The blurred lower edge of the head rule, in bits too short for a rule.
        for (int c = 0; c < 4; ++c) rects.push_back({c * 300 + 40, 67, 60, 3});
        for (int line = 0; line < 5; ++line)
            for (int c = 0; c < 4; ++c)
                if (!cellOfTwoLines || c == 0 || line == 0) rects.push_back({c * 300 + 20, 80 + line * 62, 90 + 20 * c, 28});
        return planeWith(W, H + 4, rects);
    };
    Plane lines = table(false);
    TableGrid* grid = nullptr;
    ASSERT_NE(fremlin().extract(lines.bits.data(), lines.width, lines.height, 0, &grid), nullptr);
    ASSERT_EQ(grid->nRows, 6);
    for (int row = 1; row < 6; ++row) {
        ASSERT_EQ(grid->pCellsPerRow[row], 4);
        for (int c = 0; c < 4; ++c) {
            const TableCell& cell = grid->ppRows[row][c];
            EXPECT_EQ(cell.bOwn, 1);
            // Each line wholly inside its row.
            EXPECT_LE(cell.top, 80 + (row - 1) * 62);
            EXPECT_GE(cell.bottom, 80 + (row - 1) * 62 + 27);
            EXPECT_EQ(cell.nTopRule, row == 1 ? 1 : 0);
        }
    }
    fremlin().free(&grid);
    // Lines of one cell beside cells of one line stay one row.
    Plane cell = table(true);
    ASSERT_NE(fremlin().extract(cell.bits.data(), cell.width, cell.height, 0, &grid), nullptr);
    EXPECT_EQ(grid->nRows, 2);
    fremlin().free(&grid);
    // A table ruled between its rows too: cells of two lines wrap, the row
    // stays one.
    std::vector<QRect> wrapped;
    for (int y : {0, 60, 210, 396}) wrapped.push_back({0, y, W, 4});
    for (int k = 0; k <= 4; ++k) wrapped.push_back({std::min(k * 300, W - 3), 0, 3, 400});
    for (int y : {80, 142, 230, 292})
        for (int c = 0; c < 4; ++c) wrapped.push_back({c * 300 + 20, y, 100, 28});
    Plane rows = planeWith(W, H + 4, wrapped);
    ASSERT_NE(fremlin().extract(rows.bits.data(), rows.width, rows.height, 0, &grid), nullptr);
    EXPECT_EQ(grid->nRows, 3);
    fremlin().free(&grid);
}

TEST(Fremlin, StrokesShorterThanACellStayInTheCell) {
    // A narrow table whose head row holds a bold word with touching letters:
    // along the word's base its ink runs on as far as a rule's would in so
    // small a table, yet it crosses no cell. It splits no row and stays.
    const int W = 860, H = 300;
    std::vector<QRect> rects = {{30, 50, 110, 3}, {310, 48, 110, 4}};
    for (int y : {0, 100, 200, 297}) rects.push_back({0, y, W, 3});
    for (int x : {0, 286, 572, 857}) rects.push_back({x, 0, 3, H});
    Plane plane = planeWith(W, H, rects);
    TableGrid* grid = nullptr;
    ASSERT_NE(fremlin().extract(plane.bits.data(), plane.width, plane.height, 0, &grid), nullptr);
    EXPECT_EQ(grid->nRows, 3);
    EXPECT_EQ(grid->nColumns, 3);
    const long left = std::accumulate(plane.bits.begin(), plane.bits.end(), 0L,
                                      [](long n, std::uint8_t b) { return n + __builtin_popcount(b); });
    EXPECT_EQ(left, 110 * 3 + 110 * 4);
    fremlin().free(&grid);
}

TEST(Fremlin, NoGridAndBadInput) {
    Page text = textPage(simplifiedText(31, 1), 1200, 400, Style{});
    TableGrid* grid = reinterpret_cast<TableGrid*>(1);
    EXPECT_EQ(fremlin().extract(text.plane.bits.data(), text.plane.width, text.plane.height, 0, &grid), nullptr);
    EXPECT_EQ(grid, nullptr);
    EXPECT_EQ(fremlin().extract(nullptr, 100, 100, 0, &grid), nullptr);
    EXPECT_EQ(fremlin().extract(text.plane.bits.data(), 0, 100, 0, nullptr), nullptr);
    fremlin().free(&grid);
    fremlin().free(nullptr);
}

namespace {

struct Glenrith {
    Library lib{GLENRITH_DLL};
    PFN_GLENRITH_ROWSEGMENT rows = lib.get<PFN_GLENRITH_ROWSEGMENT>("RowSegment");
    PFN_GLENRITH_DELROWNODE delRows = lib.get<PFN_GLENRITH_DELROWNODE>("DelRowNode");
    PFN_GLENRITH_INITWORDDIVIDER init = lib.get<PFN_GLENRITH_INITWORDDIVIDER>("InitWordDivider");
    PFN_GLENRITH_WORDSEGMENT words = lib.get<PFN_GLENRITH_WORDSEGMENT>("WordSegment");
    PFN_GLENRITH_EXITWORDDIVIDER exit = lib.get<PFN_GLENRITH_EXITWORDDIVIDER>("ExitWordDivider");
};

Glenrith& glenrith() {
    static Glenrith g;
    return g;
}

int charCount(const std::string& utf8) { return static_cast<int>(normalise(utf8, false).size() / 3); }

}  // namespace

TEST(Glenrith, RowsAndCharacterBoxesOfHorizontalText) {
    Page page = textPage({"今天上午市图书馆举办了一场讲座", "修复师介绍说每一页旧纸都需要清洁"}, 1400, 700, Style{60, 0, 0.001, 2});
    Plane& p = page.plane;
    RECT region{100, 100, 1300, 600};
    SIZE size{p.width, p.height};
    RowNode* rows = glenrith().rows(p.bits.data(), size, region, 1);
    std::vector<RowNode> list;
    for (RowNode* r = rows; r; r = r->next) list.push_back(*r);
    // Every paragraph here is one line of text.
    ASSERT_EQ(list.size(), 2u);
    EXPECT_NEAR(region.top + list[0].nStart, page.blocks[0].rect.top, 20);
    ASSERT_TRUE(glenrith().init(p.bits.data(), size, region.left, region.right, 1));
    int prev = region.top;
    for (std::size_t i = 0; i < list.size(); ++i) {
        WordNodeList row{};
        int start = region.top + list[i].nStart, end = region.top + list[i].nEnd;
        int next = i + 1 < list.size() ? region.top + list[i + 1].nStart : region.bottom - 1;
        int n = glenrith().words(start, end, prev, next, 0, &row);
        int want = charCount(page.blocks[i].lines[0]);
        EXPECT_NEAR(n, want, 2) << i;
        EXPECT_EQ(row.nBoxes, n);
        EXPECT_GE(row.nGroups, 1);
        // The blocks come back unlocked, with room for a full row.
        EXPECT_EQ(GlobalFlags(row.hGroups) & GMEM_LOCKCOUNT, 0u);
        EXPECT_EQ(row.nBoxCap, GLENRITH_ROW_CAPACITY);
        auto* groups = static_cast<WordGroup*>(GlobalLock(row.hGroups));
        auto* boxes = static_cast<WordBox*>(GlobalLock(row.hBoxes));
        int sum = 0;
        for (int g = 0; g < row.nGroups; ++g) {
            EXPECT_EQ(groups[g].wFirstBox, sum);
            EXPECT_EQ(groups[g].byFlags, GLENRITH_FLAG_SET);
            sum += groups[g].nBoxes;
        }
        EXPECT_EQ(sum, n);
        for (int b = 0; b < n; ++b) {
            EXPECT_GE(boxes[b].top, start);
            EXPECT_LE(boxes[b].bottom, end);
            EXPECT_GE(boxes[b].left, row.left);
            if (b) {
                EXPECT_GT(boxes[b].left, boxes[b - 1].right);
            }
            // A character of 60 pixels is about as wide as high.
            EXPECT_LE(boxes[b].right - boxes[b].left, 80);
        }
        EXPECT_NEAR(row.nCharH, 60, 15);
        GlobalUnlock(row.hGroups);
        GlobalUnlock(row.hBoxes);
        GlobalFree(row.hGroups);
        GlobalFree(row.hBoxes);
        prev = row.bottom;
    }
    glenrith().delRows(rows);
    glenrith().exit();
    // After the end no row can be cut.
    WordNodeList row{};
    EXPECT_EQ(glenrith().words(100, 160, -1, 300, 1, &row), 0);
    EXPECT_EQ(row.hGroups, nullptr);
}

TEST(Glenrith, VerticalColumnsAreRowsFromTheLeft) {
    Page page = verticalPage({"今天上午市图书馆举办了一场关于古籍修复的公开讲座吸引了许多读者前来参加修复师介绍说每一页"}, 800, 1400, Style{});
    RECT region{100, 100, 700, 1300};
    SIZE size{page.plane.width, page.plane.height};
    RowNode* rows = glenrith().rows(page.plane.bits.data(), size, region, 0);
    int n = 0, last = -1;
    for (RowNode* r = rows; r; r = r->next, ++n) {
        EXPECT_GT(r->nStart, last);
        EXPECT_LE(r->nStart, r->nEnd);
        last = r->nEnd;
    }
    EXPECT_EQ(n, static_cast<int>(page.blocks[0].lines.size()));
    ASSERT_TRUE(glenrith().init(page.plane.bits.data(), size, region.top, region.bottom, 0));
    WordNodeList row{};
    int boxes = glenrith().words(region.left + rows->nStart, region.left + rows->nEnd, region.left, region.right + 1, 1, &row);
    EXPECT_NEAR(boxes, charCount(page.blocks[0].lines.back()), 2);
    EXPECT_GT(row.bottom - row.top, row.right - row.left);
    GlobalFree(row.hGroups);
    GlobalFree(row.hBoxes);
    glenrith().delRows(rows);
    glenrith().exit();
}

TEST(Glenrith, BadInputGivesNothing) {
    std::vector<std::uint8_t> white(100 * 13, 0);
    EXPECT_EQ(glenrith().rows(white.data(), SIZE{100, 100}, RECT{0, 0, 99, 99}, 1), nullptr);
    EXPECT_EQ(glenrith().rows(nullptr, SIZE{100, 100}, RECT{0, 0, 99, 99}, 1), nullptr);
    EXPECT_EQ(glenrith().rows(white.data(), SIZE{100, 100}, RECT{200, 200, 300, 300}, 1), nullptr);
    EXPECT_FALSE(glenrith().init(white.data(), SIZE{100, 100}, 50, 10, 1));
    EXPECT_EQ(glenrith().words(0, 10, -1, 20, 1, nullptr), 0);
    glenrith().delRows(nullptr);
    glenrith().exit();
}
