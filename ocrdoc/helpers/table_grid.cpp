#include "ocrdoc/helpers/table_grid.h"

#include <cctype>
#include <cstring>
#include <string>

#include "ocrdoc/helpers/path_helpers.h"

bool IsUsableTableGrid(const TableGrid* grid) {
    if (!grid || grid->nRows < 1 || !grid->pCellsPerRow || !grid->ppRows) return false;
    for (INT r = 0; r < grid->nRows; ++r)
        if (grid->pCellsPerRow[r] < 0 || (grid->pCellsPerRow[r] > 0 && !grid->ppRows[r])) return false;
    return true;
}

const TableCell* FindContinuationEntry(const TableGrid* grid, int row, const TableCell& own) {
    for (INT i = 0; i < grid->pCellsPerRow[row]; ++i) {
        const TableCell& c = grid->ppRows[row][i];
        if (!c.bOwn && c.nFirstCol == own.nFirstCol && c.nLastCol == own.nLastCol) return &c;
    }
    return nullptr;
}

int CountTableCells(const TableGrid* grid) {
    if (!IsUsableTableGrid(grid)) return 0;
    int n = 0;
    for (INT r = 0; r < grid->nRows; ++r)
        for (INT i = 0; i < grid->pCellsPerRow[r]; ++i) n += grid->ppRows[r][i].bOwn == 1;
    return n;
}

int CountTableEntries(const TableGrid* grid) {
    if (!IsUsableTableGrid(grid)) return 0;
    long long n = 0;
    for (INT r = 0; r < grid->nRows; ++r) n += grid->pCellsPerRow[r];
    return n > 0x7FFFFFFF ? 0 : static_cast<int>(n);
}

std::vector<int> GetTableRowBoundaries(const TableGrid* grid) {
    std::vector<int> out;
    if (!IsUsableTableGrid(grid)) return out;
    int previous = 0;
    for (INT r = 0; r < grid->nRows; ++r) {
        long long sum = 0;
        INT n = grid->pCellsPerRow[r];
        for (INT i = 0; i < n; ++i) sum += grid->ppRows[r][i].top - (grid->ppRows[r][i].nTopWidth + 1) / 2;
        previous = n ? static_cast<int>(sum / n) : previous;
        out.push_back(previous);
    }
    INT last = grid->nRows - 1, n = grid->pCellsPerRow[last];
    long long sum = 0;
    for (INT i = 0; i < n; ++i) sum += grid->ppRows[last][i].bottom + (grid->ppRows[last][i].nBottomWidth + 1) / 2;
    out.push_back(n ? static_cast<int>(sum / n) : previous);
    return out;
}

BOOL GetTableLayoutCell(TableLayoutCell* out, int k, const TableGrid* grid) {
    if (!out || k < 0 || !IsUsableTableGrid(grid)) return FALSE;
    for (INT r = 0; r < grid->nRows; ++r) {
        for (INT i = 0; i < grid->pCellsPerRow[r]; ++i) {
            const TableCell& own = grid->ppRows[r][i];
            if (own.bOwn != 1 || k-- > 0) continue;
            const TableCell* last = &own;
            for (INT below = r + 1; below < grid->nRows; ++below) {
                const TableCell* next = FindContinuationEntry(grid, below, own);
                if (!next) break;
                last = next;
            }
            *out = TableLayoutCell{};
            out->width = own.right - own.left + 1;
            out->height = last->bottom - own.top + 1;
            out->firstCol = own.nFirstCol;
            out->firstRow = own.nFirstRow;
            out->lastCol = own.nLastCol;
            out->lastRow = last->nLastRow;
            return TRUE;
        }
    }
    return FALSE;
}

int GetExportFormat(const char* path) {
    char ext[_MAX_PATH];
    if (!path || !ExtractFileExtNoDot(path, ext)) return -2;
    std::string upper = ext;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper == "TXT") return -1;
    static const char* const kFormats[] = {"PDF", "HTM", "RTF", "BIG5_RTF", "BIG5_HTML", "XLS"};
    for (int i = 0; i < 6; ++i)
        if (upper == kFormats[i]) return i;
    return -2;
}
