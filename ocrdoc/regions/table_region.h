// A table region: the form-extraction library finds the table's ruled grid
// in the region's pixels, and each cell of the grid becomes a horizontal
// text region child that recognition reads like any text region.
#pragma once

#include "imaging/page_image.h"
#include "ocrdoc/regions/layout_region.h"
#include "outside/include/fremlin.h"

// A grid built by the program (for instance from a stored project), with
// `rows` rows whose cell arrays are made empty (pCellsPerRow all 0, row
// pointers NULL); fill each row with new TableCell[n]. NULL when memory fails.
TableGrid* NewTableGrid(int rows, int columns);
// Frees a grid made with NewTableGrid (NULL allowed).
void FreeTableGrid(TableGrid* grid);

class CTableRegion : public CLayoutRegion {
public:
    CPageImage* m_pGridImage = nullptr;  // not owned
    int m_nCells = 0;
    TableGrid* m_pGrid = nullptr;
    int m_bOwnGrid = 0;

    explicit CTableRegion(const RECT& rect, int lines = 0) : CLayoutRegion(rect, kRegionTable, lines) {}
    ~CTableRegion() override;

    // Resets to an empty table region with the new rectangle.
    void SetRect(const RECT& rect) override;
    // Frees the grid and every cell region.
    void ClearContent() override;
    int SelectAt(POINT point, CLayoutRegion** outParent, CLayoutRegion** outRegion, int tol) override;
    int HitTest(POINT point, int tol) override { return HitTestEdge(point, tol); }
    // A cell: a horizontal text region, whatever flags are asked for.
    CLayoutRegion* CreateRegion(const RECT& rect, int flags) override;
    using CLayoutRegion::CreateRegion;

    // Finds the grid in the region's pixels of `image` (which may have its
    // ruling lines removed there) and builds the cells. FALSE, with no grid
    // and no cells, when the library is missing, finds no grid or the cells
    // cannot be built.
    BOOL Analyze(CPageImage* image);
    // Takes a grid built by the program (owned from now on, even on failure)
    // and builds the cells; on failure the content is cleared.
    BOOL AttachGrid(CPageImage* image, TableGrid* grid);
    // One text region child per own cell entry of the grid; FALSE when a cell
    // is refused (outside the table or overlapping another cell) or the grid
    // is malformed.
    BOOL BuildCells();

private:
    HMODULE m_hFremlin = nullptr;  // held while the library's grid is kept
    void DropContent();
};
