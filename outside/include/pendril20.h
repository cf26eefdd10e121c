// English recognition library "Pendril20.dll": recognises blocks of a 1-bit
// page into lines, words and characters.
#pragma once

#include <cstddef>

#include "outside/include/outside.h"

// One block to recognise (inclusive rectangle); built and freed by the caller.
struct _recblockeng {
    SHORT top;
    SHORT bottom;
    SHORT left;
    SHORT right;
    _recblockeng* next;
};
static_assert(sizeof(void*) != 4 || sizeof(_recblockeng) == 12);
static_assert(offsetof(_recblockeng, next) == 8);

#define PENDRIL20_MAX_CANDIDATES 10

// One character. Codes are ASCII bytes in the low half, or letters outside
// ASCII as double-byte codes of the program's code page (lead byte low); a
// character the code page cannot hold is its white square, distance 255.
struct _charinfoeng {
    SHORT nCands;  // candidates in wCand, 1..10
    WORD wCand[PENDRIL20_MAX_CANDIDATES];
    SHORT nDist;  // 0 sure .. 255 unknown; up to 100 sure, above 150 very doubtful
    SHORT top;    // inclusive page box
    SHORT bottom;
    SHORT left;
    SHORT right;
    BYTE byFlags;  // low seven bits: font letter or 0
    _charinfoeng* next;
};
static_assert(offsetof(_charinfoeng, nCands) == 0);

struct _wordinfoeng {
    SHORT nChars;   // characters in pChars (at least 1)
    SHORT nBlanks;  // blanks typed before the word
    _charinfoeng* pChars;
    _wordinfoeng* next;
};
static_assert(offsetof(_wordinfoeng, nChars) == 0);

struct _lineinfoeng {
    _wordinfoeng* pWords;
    SHORT top;  // inclusive page box of the line
    SHORT bottom;
    SHORT left;
    SHORT right;
    _lineinfoeng* next;
};

// Result of one block, one entry per _recblockeng in list order.
struct _regioninfoeng {
    SHORT nLines;
    _lineinfoeng* pLines;
    _regioninfoeng* next;
};
static_assert(offsetof(_regioninfoeng, nLines) == 0);

extern "C" {
// Progress in percent of the whole call; the result is ignored.
typedef int (*PENDRIL20_PROGRESS_CALLBACK)(unsigned percent);
// Called often while recognising; non-zero asks the engine to stop.
typedef int (*PENDRIL20_PUMP_CALLBACK)();

// plane: locked rows top-down of (width + 7) / 8 bytes, bit 1 black. Either
// callback may be NULL. Returns one entry per block (an empty block has no
// lines), or NULL when nothing could be recognised (no blocks, no model, bad
// input, no memory, cancelled).
_regioninfoeng* OR_PENDRIL20_RECOGIMG_ENGSTR(unsigned char* plane, short width, short height,
                                             _recblockeng* blocks, PENDRIL20_PROGRESS_CALLBACK progress,
                                             PENDRIL20_PUMP_CALLBACK pump);
// Frees a result (NULL allowed).
void OR_PENDRIL20_FREERGNINFO_ENGSTR(_regioninfoeng* result);
}

using PFN_OR_PENDRIL20_RECOGIMG_ENGSTR = decltype(&OR_PENDRIL20_RECOGIMG_ENGSTR);
using PFN_OR_PENDRIL20_FREERGNINFO_ENGSTR = decltype(&OR_PENDRIL20_FREERGNINFO_ENGSTR);

#define PENDRIL20_DLL "Pendril20.dll"
