// Builders for the table text tests: box-drawing characters of the running
// set, escaped units, and small grids the tests assemble themselves.
#pragma once

#include <string>
#include <vector>

#include "ocrdoc/helpers/table_grid.h"
#include "ocrdoc/result/table_line_char.h"

inline std::string Box(int entry) { return std::string(TableBoxChars() + 3 * entry, 2); }

inline std::string Esc(unsigned char b1, unsigned char b2, unsigned number) {
    std::string u = "\x80";
    u.push_back(static_cast<char>(b1));
    u.push_back(static_cast<char>(b2));
    u.push_back(static_cast<char>(number & 0xFF));
    u.push_back(static_cast<char>(number >> 8));
    u.push_back('\x80');
    return u;
}

inline TableCell GridEntry(int c0, int r0, int c1, int r1, int left, int top, int right, int bottom, int own = 1) {
    TableCell c{};
    c.nFirstCol = c0;
    c.nFirstRow = r0;
    c.nLastCol = c1;
    c.nLastRow = r1;
    c.left = left;
    c.top = top;
    c.right = right;
    c.bottom = bottom;
    c.nLeftRule = c.nTopRule = c.nRightRule = c.nBottomRule = 1;
    c.nTopWidth = c.nBottomWidth = 1;
    c.bOwn = own;
    return c;
}

// A grid over rows of entries that the test keeps alive.
struct TestGrid {
    std::vector<std::vector<TableCell>> rows;
    std::vector<INT> perRow;
    std::vector<TableCell*> rowPtrs;
    TableGrid grid{};

    explicit TestGrid(std::vector<std::vector<TableCell>> r, int columns) : rows(std::move(r)) {
        for (auto& row : rows) {
            perRow.push_back(static_cast<INT>(row.size()));
            rowPtrs.push_back(row.data());
        }
        grid = TableGrid{static_cast<INT>(rows.size()), columns, perRow.data(), rowPtrs.data()};
    }
};
