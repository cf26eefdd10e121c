// Word segmentation library "Glenrith.dll": cuts a text region of a 1-bit page
// into rows, and each row into words and character boxes.
// Call order: RowSegment, InitWordDivider, WordSegment for every row,
// DelRowNode, ExitWordDivider. One segmentation at a time per thread.
#pragma once

#include <cstddef>

#include "outside/include/outside.h"

// One row: start and end offsets across the region (from its top for
// horizontal text, from its left for vertical text), inclusive.
struct RowNode {
    INT nStart;
    INT nEnd;
    RowNode* next;
};

// A word: a run of consecutive boxes.
struct WordGroup {
    WORD wFirstBox;  // index of its first box in the row's box block
    INT nBoxes;
    INT nReserved;  // 0
    BYTE byFlags;   // 0x80 set, 0x01 found by the segmenter or the program
};
static_assert(sizeof(WordGroup) == 16);
static_assert(offsetof(WordGroup, nBoxes) == 4 && offsetof(WordGroup, byFlags) == 12);

// One character box (inclusive page coordinates).
struct WordBox {
    INT left;
    INT top;
    INT right;
    INT bottom;
    BYTE byFlags;
};
static_assert(sizeof(WordBox) == 20);

#define GLENRITH_ROW_CAPACITY 200
#define GLENRITH_FLAG_SET 0x81

// The row record WordSegment fills. The two movable blocks hold
// GLENRITH_ROW_CAPACITY WordGroup and WordBox records; they are made by
// WordSegment when the handles are NULL, handed back unlocked (pGroups and
// pBoxes NULL) and belong to the caller afterwards.
struct WordNodeList {
    HGLOBAL hGroups;
    HGLOBAL hBoxes;
    WordGroup* pGroups;
    WordBox* pBoxes;
    INT nGroupCap;
    INT nBoxCap;
    INT nGroups;
    INT nBoxes;
    INT left;  // row rectangle, inclusive page coordinates
    INT top;
    INT right;
    INT bottom;
    INT nCharW;  // typical character width and height of the row
    INT nCharH;
};

extern "C" {
// plane: rows top-down of (width + 7) / 8 bytes, bit 1 black. region is
// inclusive. Returns the rows in reading order, or NULL when none.
RowNode* RowSegment(unsigned char* plane, SIZE size, RECT region, int horizontal);
// Frees a list of RowSegment (NULL allowed).
void DelRowNode(RowNode* rows);
// Sets the page and the span across rows (left..right of the region for
// horizontal text, top..bottom for vertical) for the WordSegment calls that
// follow. FALSE on bad arguments.
BOOL InitWordDivider(unsigned char* plane, SIZE size, int from, int to, int horizontal);
// Cuts the row start..end (page coordinates along the rows' direction) into
// words and boxes. Boxes may reach up to but not onto the previous and next
// boundaries (-1 or beyond the page: no limit). notHandwriting: 1 for print,
// where every separate character is a box; 0 for handwriting, where pieces of
// one character are joined. Returns the number of boxes (0: none or failure).
int WordSegment(int rowStart, int rowEnd, int prevBoundary, int nextBoundary, int notHandwriting,
                WordNodeList* row);
void ExitWordDivider();
}

using PFN_GLENRITH_ROWSEGMENT = decltype(&RowSegment);
using PFN_GLENRITH_DELROWNODE = decltype(&DelRowNode);
using PFN_GLENRITH_INITWORDDIVIDER = decltype(&InitWordDivider);
using PFN_GLENRITH_WORDSEGMENT = decltype(&WordSegment);
using PFN_GLENRITH_EXITWORDDIVIDER = decltype(&ExitWordDivider);

#define GLENRITH_DLL "Glenrith.dll"
