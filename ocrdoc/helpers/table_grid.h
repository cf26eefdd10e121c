// What the table text layout reads of a table's grid, and the export format
// of an output file by its extension.
#pragma once

#include <vector>

#include "outside/include/fremlin.h"
#include "platform/win/types.h"

// One cell for the table text layout (filled from the grid, then the caller
// adds the cell's text lines).
struct TableLayoutCell {
    INT width;
    INT height;
    INT reserved;   // not read by the layout
    INT firstCol;   // grid line numbers: the cell spans columns firstCol..lastCol-1
    INT firstRow;
    INT lastCol;
    INT lastRow;
    INT nLines;
    const char* pText;  // lines separated by CR LF
};

// A grid with at least one row whose row arrays are all present.
bool IsUsableTableGrid(const TableGrid* grid);
// The continuation entry in `row` of the cell `own` (bOwn 0, same column
// lines), or NULL. The row must exist in a usable grid.
const TableCell* FindContinuationEntry(const TableGrid* grid, int row, const TableCell& own);
// Own entries of the grid (bOwn 1); 0 for a NULL or malformed grid.
int CountTableCells(const TableGrid* grid);
// Every entry of the grid, continuation entries included; 0 for a bad grid.
int CountTableEntries(const TableGrid* grid);
// rows + 1 boundaries: row i's top is the mean over its entries of
// top - (top rule width + 1) / 2, the last the mean over the last row's
// entries of bottom + (bottom rule width + 1) / 2. Empty for a bad grid.
std::vector<int> GetTableRowBoundaries(const TableGrid* grid);
// The k-th own entry in row-major order, with the rows it spans (continuation
// entries below with the same column lines); FALSE when there is none.
BOOL GetTableLayoutCell(TableLayoutCell* out, int k, const TableGrid* grid);

// -1 for "TXT", 0..5 for "PDF", "HTM", "RTF", "BIG5_RTF", "BIG5_HTML", "XLS"
// (the text after the last '.', any case), -2 for any other extension and
// for a name without one.
int GetExportFormat(const char* path);
