// Form extraction library "Fremlin.dll": finds the ruled grid of a table.
// Entries are known by ordinal only: 3 extracts a grid, 5 frees it.
#pragma once

#include <cstddef>

#include "outside/include/outside.h"

// One entry of a grid row (72 bytes). Line indexes count the grid's vertical
// lines from the left and horizontal lines from the top; coordinates are
// relative to the table image, inclusive, and cover the cell's inside (the
// rules excluded). A cell merged over several rows has its own entry in its
// first row and a continuation entry (bOwn 0, same column lines) in each row
// below.
struct TableCell {
    INT nFirstCol;   // 0
    INT nFirstRow;   // 4
    INT nLastCol;    // 8
    INT nLastRow;    // 12
    INT left;        // 16
    INT top;         // 20
    INT right;       // 24
    INT bottom;      // 28
    INT nLeftRule;   // 32: 1 when a rule bounds the cell there, else 0
    INT nTopRule;    // 36
    INT nRightRule;  // 40
    INT nBottomRule; // 44
    INT nLeftWidth;  // 48: rule widths in pixels (0 without a rule)
    INT nTopWidth;   // 52
    INT nRightWidth; // 56
    INT nBottomWidth;// 60
    INT nColumns;    // 64: columns the cell spans
    INT bOwn;        // 68
};
static_assert(sizeof(TableCell) == 72);
static_assert(offsetof(TableCell, nTopWidth) == 52 && offsetof(TableCell, nBottomWidth) == 60 &&
              offsetof(TableCell, bOwn) == 68);

struct TableGrid {
    INT nRows;
    INT nColumns;      // column intervals of the grid
    INT* pCellsPerRow; // entries in each row
    TableCell** ppRows;
};

extern "C" {
// Ordinal 3: finds the grid of the table image (rows top-down of
// (width + 7) / 8 bytes, bit 1 black); the ruling lines are erased from the
// image. reserved is 0. Stores the grid through out and returns it; NULL (and
// *out NULL) when no grid was found or on bad input.
typedef TableGrid* (*PFN_FREMLIN_EXTRACT)(unsigned char* image, int width, int height, int reserved,
                                          TableGrid** out);
// Ordinal 5: frees *grid (NULL allowed) and sets it NULL.
typedef void (*PFN_FREMLIN_FREE)(TableGrid** grid);
}

#define FREMLIN_ORDINAL_EXTRACT 3
#define FREMLIN_ORDINAL_FREE 5
#define FREMLIN_DLL "Fremlin.dll"
