// Table text layout: the cells of a table grid with their text lines become
// rows of text framed by box-drawing characters, in the result store's
// escaped text form, so that the text view shows and edits the table like
// any text while every character keeps a record number.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "ocrdoc/helpers/table_grid.h"
#include "ocrdoc/result/reco_result.h"

// What LayoutTableText returns when it refuses its input (a cell with a
// negative line count or grid lines outside the grid, too few line positions
// or row boundaries, a table too large to lay out, an output buffer too
// small). A laid-out table has at least three rows, so this never passes for
// a result; nothing is written then (the buffer, when it has room, holds an
// empty string).
constexpr int kTableLayoutRefused = 2;
// Limits of one table: text lines, characters (their numbers are 16-bit),
// and units of the work grid (rows x units of a row).
constexpr std::size_t kTableLayoutMaxLines = 16384;
constexpr std::size_t kTableLayoutMaxChars = 65536;
constexpr std::size_t kTableLayoutMaxUnits = std::size_t(1) << 22;

// The table's input: the cells in cell order (grid lines, line count and text
// of each), the column and row counts of the grid, the (y, height) of every
// text line (all lines of the first cell, then those of the second, ...) and
// the rows + 1 y positions of the horizontal grid lines.
struct TableLayoutInput {
    std::span<const TableLayoutCell> cells;
    int columnCount = 0;
    int rowCount = 0;
    std::span<const int> linePositions;  // two ints per line
    std::span<const int> rowBoundaries;
};

// Bytes LayoutTableText writes for the input, the closing NUL included; 0
// when the input is refused.
std::size_t TableTextLayoutBytes(const TableLayoutInput& input);
// Lays the table out into out (outSize bytes): rows ending with CR LF, then a
// NUL. Returns the number of rows, or kTableLayoutRefused. The escapes hold 0
// bytes, so the text's length comes back in *outLength (when given), never
// from the NUL.
int LayoutTableText(const TableLayoutInput& input, char* out, std::size_t outSize,
                    std::size_t* outLength = nullptr);

// The (y, height) of each line of an escaped text (two ints per line in
// outPairs, lines from the text's start): the line's first recognised
// character gives its record's line top and thickness; 0, 0 for a line
// without one or whose record index lies outside the records.
void GetLinePositions(std::span<int> outPairs, std::string_view text, const RecoCharInfo* records,
                      UINT recordCount);
