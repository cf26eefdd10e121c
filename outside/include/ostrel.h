// Export library "Ostrel.dll": writes an export page as PDF, HTML, RTF or a
// spreadsheet. The caller builds and frees every record; the library only
// reads them. Texts are in the program's code page (GBK, or Big5 on a
// traditional-Chinese system), lines separated by CR LF.
#pragma once

#include <cstddef>

#include "outside/include/outside.h"

#define SPAGE_BLOCK_NONE 0
#define SPAGE_BLOCK_TEXT 1
#define SPAGE_BLOCK_PICTURE 2
#define SPAGE_BLOCK_TABLE 3

#define SPAGE_PICTURE_MONO 1  // rows of (width + 7) / 8 bytes, top-down, bit 1 black
#define SPAGE_PICTURE_DIB 3   // packed device-independent bitmap (header, colours, rows)

#define SPAGE_TEXT_HORIZONTAL 8
#define SPAGE_TEXT_VERTICAL 1

// A picture at (left, top) page pixels.
struct SPagePicture {
    INT left;
    INT top;
    INT format;  // SPAGE_PICTURE_*
    INT width;
    INT height;
    BYTE* pBits;
};
static_assert(sizeof(void*) != 4 || sizeof(SPagePicture) == 24);
static_assert(offsetof(SPagePicture, pBits) == (sizeof(void*) == 4 ? 20 : 24));

// A block of text (14 fields on the 32-bit layout).
struct SPageTextBlock {
    INT left;
    INT top;
    INT orientation;  // SPAGE_TEXT_HORIZONTAL or SPAGE_TEXT_VERTICAL (0 in table cells: horizontal)
    INT width;
    INT height;
    INT fontCode;   // 21 song (default), 22 fangsong, 23 kai, 24 hei, 41, 43
    INT charSize;   // character height in page pixels
    COLORREF ink;   // text colour
    INT spacing;    // line gap * 65536 + character gap, page pixels
    INT reserved;   // 0
    INT nLines;
    char* pExtra;   // a second buffer, normally NULL; not read
    INT textLen;
    char* pText;    // lines separated by CR LF
};
static_assert(sizeof(void*) != 4 || sizeof(SPageTextBlock) == 56);
static_assert(offsetof(SPageTextBlock, nLines) == 40);

// One table cell (72 bytes). Coordinates are relative to the table.
struct SPageCell {
    INT row;        // 0 grid row of the cell
    INT column;     // 1 first column line of the cell
    INT topRule;    // 2 1: ruled
    INT topStyle;   // 3
    INT leftRule;   // 4
    INT leftStyle;  // 5
    INT bottomRule; // 6
    INT bottomStyle;// 7
    INT rightRule;  // 8
    INT rightStyle; // 9
    INT right;      // 10 right x
    INT top;        // 11 top y
    INT height;     // 12
    INT width;      // 13
    INT reserved;   // 14 0
    INT contentKind;// 15 0 none, SPAGE_BLOCK_TEXT, SPAGE_BLOCK_PICTURE
    void* pContent; // 16 SPageTextBlock* or SPagePicture*
#if UINTPTR_MAX == 0xFFFFFFFFu
    INT unused;     // 17
#endif
};
static_assert(sizeof(SPageCell) == 72);
static_assert(offsetof(SPageCell, contentKind) == 60 && offsetof(SPageCell, pContent) == 64);

// A counted array of cells: the count, then the cells.
struct SPageCellArray {
    INT nCount;
    SPageCell aCells[1];
};

struct SPageTable {
    INT width;
    INT height;
    INT nCells;
    INT left;
    INT top;
    SPageCellArray* pCells;
};

struct SPageBlockEntry {
    INT kind;     // SPAGE_BLOCK_*
    void* pBlock; // SPageTextBlock*, SPagePicture* or SPageTable*
};
static_assert(sizeof(void*) != 4 || sizeof(SPageBlockEntry) == 8);

// A counted array of block entries: the count, then the entries.
struct SPageBlockArray {
    INT nCount;
    SPageBlockEntry aEntries[1];
};

// Bytes to allocate for counted arrays of n items.
constexpr std::size_t SPageBlockArrayBytes(int n) {
    return offsetof(SPageBlockArray, aEntries) + sizeof(SPageBlockEntry) * static_cast<std::size_t>(n < 1 ? 1 : n);
}
constexpr std::size_t SPageCellArrayBytes(int n) {
    return offsetof(SPageCellArray, aCells) + sizeof(SPageCell) * static_cast<std::size_t>(n < 1 ? 1 : n);
}

struct SPage {
    INT width;       // page pixels (2480 × 3508 for A4 at 300 dpi)
    INT height;
    INT resolution;  // pixels per inch
    INT nBlocks;
    SPageBlockArray* pBlocks;
    SPage* next;     // further pages, written after this one
};

#define OSTREL_FORMAT_PDF 0
#define OSTREL_FORMAT_HTML 1
#define OSTREL_FORMAT_RTF 2
#define OSTREL_FORMAT_BIG5_RTF 3
#define OSTREL_FORMAT_BIG5_HTML 4
#define OSTREL_FORMAT_XLS 5

extern "C" {
// Writes the page (and its chained pages) to path in the format. The file is
// written whole or not at all. Non-zero on success.
int ExportToFile(SPage* page, char* path, int format);
}

using PFN_OSTREL_EXPORTTOFILE = decltype(&ExportToFile);

#define OSTREL_DLL "Ostrel.dll"
