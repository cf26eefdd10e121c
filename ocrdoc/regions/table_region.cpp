#include "ocrdoc/regions/table_region.h"

#include <new>
#include <vector>

#include "ocrdoc/regions/text_region.h"
#include "platform/win/library.h"

namespace {

// Bounds for a grid read from anywhere: a table has fewer lines than this.
constexpr int kMaxGridRows = 65535;
constexpr int kMaxRowCells = 65535;

bool GridShapeIsSound(const TableGrid* grid) {
    if (!grid || grid->nRows < 0 || grid->nRows > kMaxGridRows) return false;
    if (grid->nRows == 0) return true;
    if (!grid->pCellsPerRow || !grid->ppRows) return false;
    for (int r = 0; r < grid->nRows; ++r) {
        const int n = grid->pCellsPerRow[r];
        if (n < 0 || n > kMaxRowCells || (n > 0 && !grid->ppRows[r])) return false;
    }
    return true;
}

}  // namespace

TableGrid* NewTableGrid(int rows, int columns) {
    if (rows < 0 || rows > kMaxGridRows) return nullptr;
    auto* grid = new (std::nothrow) TableGrid{rows, columns, nullptr, nullptr};
    if (!grid) return nullptr;
    if (rows > 0) {
        grid->pCellsPerRow = new (std::nothrow) INT[rows]();
        grid->ppRows = new (std::nothrow) TableCell*[rows]();
        if (!grid->pCellsPerRow || !grid->ppRows) {
            FreeTableGrid(grid);
            return nullptr;
        }
    }
    return grid;
}

void FreeTableGrid(TableGrid* grid) {
    if (!grid) return;
    if (grid->ppRows)
        for (int r = 0; r < grid->nRows; ++r) delete[] grid->ppRows[r];
    delete[] grid->ppRows;
    delete[] grid->pCellsPerRow;
    delete grid;
}

CTableRegion::~CTableRegion() { DropContent(); }

void CTableRegion::DropContent() {
    if (m_pGrid) {
        if (m_bOwnGrid) {
            FreeTableGrid(m_pGrid);
        } else if (m_hFremlin) {
            auto freeGrid = reinterpret_cast<PFN_FREMLIN_FREE>(
                GetProcAddress(m_hFremlin, MAKEINTRESOURCEA(FREMLIN_ORDINAL_FREE)));
            if (freeGrid) freeGrid(&m_pGrid);
        }
    }
    m_pGrid = nullptr;
    m_bOwnGrid = 0;
    if (m_hFremlin) {
        FreeLibrary(m_hFremlin);
        m_hFremlin = nullptr;
    }
    FreeChildren();
}

void CTableRegion::ClearContent() { DropContent(); }

void CTableRegion::SetRect(const RECT& rect) {
    DropContent();
    CLayoutRegion::SetRect(rect);
    m_pGridImage = nullptr;
    m_nCells = 0;
}

int CTableRegion::SelectAt(POINT point, CLayoutRegion** outParent, CLayoutRegion** outRegion, int tol) {
    ClearSelection();
    return HitSelf(point, outParent, outRegion, tol);
}

CLayoutRegion* CTableRegion::CreateRegion(const RECT& rect, int) {
    return new (std::nothrow) CTextRegion(rect, kRegionHorizontal);
}

BOOL CTableRegion::Analyze(CPageImage* image) {
    if (m_pGrid || m_nChildren) ClearContent();
    m_pGridImage = image;
    m_nCells = 0;
    if (!image || right < left || bottom < top) return FALSE;
    const int width = right - left + 1, height = bottom - top + 1;
    std::vector<BYTE> bits;
    try {
        bits.assign(static_cast<std::size_t>((width + 7) / 8) * static_cast<std::size_t>(height), 0);
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    if (!image->GetRectBits(Rect(), bits.data(), 0)) return FALSE;

    HMODULE module = LoadLibraryA(FREMLIN_DLL);
    if (!module) return FALSE;
    auto extract = reinterpret_cast<PFN_FREMLIN_EXTRACT>(
        GetProcAddress(module, MAKEINTRESOURCEA(FREMLIN_ORDINAL_EXTRACT)));
    auto freeGrid = reinterpret_cast<PFN_FREMLIN_FREE>(GetProcAddress(module, MAKEINTRESOURCEA(FREMLIN_ORDINAL_FREE)));
    if (!extract || !freeGrid) {
        FreeLibrary(module);
        return FALSE;
    }
    TableGrid* grid = nullptr;
    if (!extract(bits.data(), width, height, 0, &grid) || !grid) {
        if (grid) freeGrid(&grid);
        m_pGrid = nullptr;
        FreeLibrary(module);
        return FALSE;
    }
    m_pGrid = grid;
    m_bOwnGrid = 0;
    m_hFremlin = module;
    image->SetRectBits(Rect(), bits.data());
    if (!BuildCells()) {
        ClearContent();
        return FALSE;
    }
    return TRUE;
}

BOOL CTableRegion::AttachGrid(CPageImage* image, TableGrid* grid) {
    ClearContent();
    m_pGridImage = image;
    m_pGrid = grid;
    m_bOwnGrid = 1;
    if (!grid || !BuildCells()) {
        ClearContent();
        return FALSE;
    }
    return TRUE;
}

BOOL CTableRegion::BuildCells() {
    m_nCells = 0;
    if (!GridShapeIsSound(m_pGrid)) return FALSE;
    const TableGrid& grid = *m_pGrid;
    for (int r = 0; r < grid.nRows; ++r)
        for (int a = 0; a < grid.pCellsPerRow[r]; ++a) {
            ++m_nCells;
            const TableCell& cell = grid.ppRows[r][a];
            if (cell.bOwn != 1) continue;
            // A merged cell goes on down through the continuation entries of its span.
            INT cellBottom = cell.bottom;
            for (int below = r + 1; below < grid.nRows; ++below) {
                const TableCell* next = nullptr;
                for (int k = 0; k < grid.pCellsPerRow[below] && !next; ++k) {
                    const TableCell& c = grid.ppRows[below][k];
                    if (c.bOwn == 0 && c.nFirstCol == cell.nFirstCol && c.nLastCol == cell.nLastCol) next = &c;
                }
                if (!next) break;
                cellBottom = next->bottom;
            }
            const std::int64_t l = std::int64_t{left} + cell.left, t = std::int64_t{top} + cell.top,
                               rr = std::int64_t{left} + cell.right, b = std::int64_t{top} + cellBottom;
            // Cells must lie inside the table; this also keeps the sums in range.
            if (l < left || t < top || rr > right || b > bottom || rr < l || b < t) return FALSE;
            const RECT rect{static_cast<LONG>(l), static_cast<LONG>(t), static_cast<LONG>(rr), static_cast<LONG>(b)};
            if (!AddRegion(rect, kRegionHorizontal)) return FALSE;
        }
    return TRUE;
}
