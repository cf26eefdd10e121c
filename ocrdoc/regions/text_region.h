// A text region: a column of horizontal or vertical text. On handwriting
// pages (page type "手写" in the page list) the word-segmentation library
// cuts it into rows and each row into groups (words) of character boxes,
// which the user can then correct box by box. A text region has no children.
#pragma once

#include <string>

#include "imaging/page_image.h"
#include "ocrdoc/regions/layout_region.h"
#include "outside/include/glenrith.h"

// One row of text; the library's row record, whose two movable blocks stay
// locked (pGroups, pBoxes) while the row is kept by a region.
using TextRow = WordNodeList;

// The page type that turns on box segmentation, as the page list shows it.
bool IsHandwritingPageType(const std::string& pageType);
// The page type of the page list's current row is handwriting.
bool CurrentPageIsHandwriting();

class CTextRegion : public CLayoutRegion {
public:
    static constexpr int kRowPlaces = 200;  // groups and boxes of a row made by the program
    static constexpr int kMaxBoxes = 199;   // an edit never takes a row beyond this many boxes or groups
    static constexpr int kMinBoxSide = 8;   // drawn and set boxes are at least this wide and high
    static constexpr BYTE kBoxSet = GLENRITH_FLAG_SET;

    TextRow* m_pRows = nullptr;
    int m_nRows = 0;
    int m_nRowPitch = 36;
    int m_nSelRow = -1;
    int m_nSelGroup = 0;
    int m_nSelBox = 0;

    CTextRegion(const RECT& rect, int flags, int lines = 0) : CLayoutRegion(rect, flags, lines) {}
    ~CTextRegion() override;

    CTextRegion* AsTextRegion() override { return this; }

    void ClearContent() override;
    void RemoveCurrent() override {}
    void RemoveAt(int) override {}
    void RemoveInside(const RECT&) override {}
    int SelectAt(POINT point, CLayoutRegion** outParent, CLayoutRegion** outRegion, int tol) override;
    BOOL SetChildRect(CLayoutRegion*, const RECT&) override { return FALSE; }
    int HitTest(POINT point, int tol) override;
    BOOL AddChild(CLayoutRegion*) override { return FALSE; }
    BOOL InsertChild(CLayoutRegion*, int) override { return FALSE; }

    // Cuts the region into rows and boxes through the word-segmentation
    // library. flag 1 keeps the boxes off the region's top and bottom rows.
    // FALSE when no page-list row is selected, the library or the rows cannot
    // be had, or memory runs out ("No Enough Memory").
    BOOL SegmentHandwriting(CPageImage* image, int flag);
    // The same for a page whose type the caller knows (a page without a row
    // in the page list, such as a batch worker's).
    BOOL SegmentHandwritingAs(CPageImage* image, int flag, bool handwriting);

    // Box edits of the page view. Refused edits return FALSE and change nothing.
    BOOL AddRow(const RECT& rect);
    BOOL SetSelectedBoxRect(const RECT& rect);
    BOOL GetSelectedBoxRect(RECT* outRect) const;
    BOOL ExtendSelectedBox(POINT point);
    BOOL SplitSelectedBox(CPageImage* image, int x);
    BOOL RemoveSelectedBox();

    // Box `box` of group `group` of row `row`, NULL when there is none.
    const WordBox* BoxAt(int row, int group, int box) const;
    void ClearBoxSelection() { m_nSelRow = -1, m_nSelGroup = 0, m_nSelBox = 0; }

private:
    bool HasSelectedBox() const;
    int SelectedBoxIndex() const;  // index in the selected row's box block
    // Row whose rectangle, widened up and down, holds the point; -1 when none.
    int FindRowAt(POINT point, int tol) const;
    void RemoveBox(TextRow& row, int index);
    bool InsertBox(TextRow& row, int group, int index, const RECT& rect);
    bool InsertRowAt(int place, const RECT& box);
};

// Frees a row's blocks (locked or not) and leaves it empty.
void FreeTextRow(TextRow& row);
// A row with room for `places` groups and boxes, locked; false when memory fails.
bool MakeTextRow(TextRow& row, int places);
