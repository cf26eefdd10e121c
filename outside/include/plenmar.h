// Layout analysis library "Plenmar.dll": finds the text blocks, pictures and
// tables of a 1-bit page and measures the page's slant.
#pragma once

#include <cstddef>

#include "outside/include/outside.h"

// One layout area. Coordinates are inclusive page pixels; the list is in
// reading order and belongs to the library (given back with DelLink).
struct CArea {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
    LONG kind;  // PLENMAR_AREA_*; any value not listed is horizontal text
    CArea* next;
};
static_assert(offsetof(CArea, kind) == 16);
static_assert(offsetof(CArea, next) == (sizeof(void*) == 4 ? 20 : 24));

#define PLENMAR_AREA_PICTURE 1
#define PLENMAR_AREA_TEXT 2
#define PLENMAR_AREA_VERTICAL 3
#define PLENMAR_AREA_TABLE 4

// Page types understood by seg.
#define PLENMAR_PAGE_AUTO 0
#define PLENMAR_PAGE_OFFICIAL 1
#define PLENMAR_PAGE_COLUMNS 2
#define PLENMAR_PAGE_TABLE 3
#define PLENMAR_PAGE_HANDWRITING 4
#define PLENMAR_PAGE_OTHER 5

extern "C" {
// plane: rows top-down of (width + 7) / 8 bytes, bit 1 black. area: the part of
// the page to analyse (inclusive). Returns the areas, or NULL for none (also
// for bad arguments).
CArea* seg(unsigned char* plane, DWORD width, DWORD height, int resolution, int typeIndex, RECT area);
// Measures the slant of the text lines: on success (0) the line rises dy
// pixels (positive: downwards) over dx pixels to the right, dx > 0; dy is 0
// for a straight page. Non-zero: the slant could not be measured (dx, dy 0).
// planeHandle is the movable block behind plane (may be NULL).
int skew(unsigned char* plane, void* planeHandle, DWORD width, DWORD height, int resolution, int& dx,
         int& dy);
// Frees a list returned by seg; NULL is allowed.
void DelLink(CArea* list);
}

using PFN_PLENMAR_SEG = decltype(&seg);
using PFN_PLENMAR_SKEW = decltype(&skew);
using PFN_PLENMAR_DELLINK = decltype(&DelLink);

#define PLENMAR_DLL "Plenmar.dll"
