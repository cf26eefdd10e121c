// Chinese recognition library "Tresk.dll": cuts text blocks into lines and
// recognises them, giving characters with boxes, candidates and confidence.
// Call order: OR_CHN40_SegImg, OR_CHN40_Recog, OR_CHN40_FreeSegInfo, and the
// result is given back through ordinal 7. Callbacks run on the calling thread.
#pragma once

#include <cstddef>

#include "outside/include/outside.h"

// One block to recognise; built, linked and freed by the caller.
struct _recblock {
    INT bVertical;  // 1: vertical text (columns right to left), 0: horizontal
    INT left;       // inclusive page rectangle
    INT top;
    INT right;
    INT bottom;
    _recblock* next;
};
static_assert(sizeof(void*) != 4 || sizeof(_recblock) == 24);
static_assert(offsetof(_recblock, next) == (sizeof(void*) == 4 ? 20 : 24));

// A text line found by line cutting (inclusive page rectangle).
struct _seg_lineinfo {
    SHORT left;
    SHORT top;
    SHORT right;
    SHORT bottom;
    _seg_lineinfo* next;
};

// Line cutting of one block, one entry per _recblock in list order.
struct _seg_regioninfo {
    SHORT nLines;  // text lines found in the block
    SHORT bVertical;
    INT left;
    INT top;
    INT right;
    INT bottom;
    _seg_lineinfo* pLines;
    _seg_regioninfo* next;
};
static_assert(offsetof(_seg_regioninfo, nLines) == 0);

#define TRESK_MAX_CANDIDATES 10

// One recognised character. Codes are 16-bit with the lead byte in the low
// half (a single-byte code is the byte itself), in the code page chosen by the
// code letter: GBK for 'G' and 'K', Big5 for 'B'.
struct _charinfo {
    SHORT left;  // inclusive page box
    SHORT top;
    SHORT right;
    SHORT bottom;
    SHORT nSpaces;  // blanks typed before the character (never between CJK characters)
    SHORT nCands;   // candidates in wCand, 1..10
    WORD wCand[TRESK_MAX_CANDIDATES];
    SHORT nDist;   // 0 sure .. 255 unknown; above 150 very doubtful, up to 80 sure
    BYTE byFont;   // font letter ('S' song, 'H' hei, 'K' kai, 'F' fangsong) or 0
    _charinfo* next;
};

struct _lineinfo {
    BYTE byAttr;  // 1 when the line starts a paragraph, else 0
    SHORT left;   // inclusive page box of the line
    SHORT top;
    SHORT right;
    SHORT bottom;
    SHORT nChars;
    _charinfo* pChars;
    _lineinfo* next;
};
static_assert(offsetof(_lineinfo, byAttr) == 0);

// Result of one block, one entry per _seg_regioninfo in list order.
struct _regioninfo {
    SHORT nLines;  // lines in pLines
    SHORT bVertical;
    INT left;
    INT top;
    INT right;
    INT bottom;
    _lineinfo* pLines;
    _regioninfo* next;
};
static_assert(offsetof(_regioninfo, nLines) == 0);

extern "C" {
// Called with each piece of recognised text (zero-terminated, in the result's
// code page); a piece "\n" ends a line.
typedef void (*TRESK_TEXT_CALLBACK)(const char* piece);
// Called often while recognising; non-zero asks the engine to stop.
typedef int (*TRESK_PUMP_CALLBACK)();

// Prepares the library; folder is the program folder, where model files may lie.
// Returns 1 when a Chinese model was found, 0 otherwise.
int OR_CHN40_Init(char* folder);
void OR_CHN40_Term();
// plane: movable block (not locked) of height rows of (width + 7) / 8 bytes,
// bit 1 black. Returns one entry per block, or NULL on bad input or no memory.
_seg_regioninfo* OR_CHN40_SegImg(void* plane, short width, short height, _recblock* blocks,
                                 char* folder);
// Recognises the blocks of seg on plane (a movable block as above). code: 'G'
// simplified in GBK, 'K' simplified and traditional in GBK, 'B' Big5;
// traditional 1 reads traditional characters. reserved is 0. Returns NULL when
// nothing could be recognised (no model, bad input, no memory, cancelled).
_regioninfo* OR_CHN40_Recog(_seg_regioninfo* seg, void* plane, short width, short height, char* folder,
                            int code, int traditional, int reserved, TRESK_TEXT_CALLBACK text,
                            TRESK_PUMP_CALLBACK pump);
void OR_CHN40_FreeSegInfo(_seg_regioninfo* seg);
}

// Ordinal 7: frees a result of OR_CHN40_Recog (NULL allowed).
#define TRESK_ORDINAL_FREERESULT 7
typedef void (*PFN_TRESK_FREERESULT)(_regioninfo* result);

using PFN_OR_CHN40_INIT = decltype(&OR_CHN40_Init);
using PFN_OR_CHN40_TERM = decltype(&OR_CHN40_Term);
using PFN_OR_CHN40_SEGIMG = decltype(&OR_CHN40_SegImg);
using PFN_OR_CHN40_RECOG = decltype(&OR_CHN40_Recog);
using PFN_OR_CHN40_FREESEGINFO = decltype(&OR_CHN40_FreeSegInfo);

#define TRESK_DLL "Tresk.dll"
