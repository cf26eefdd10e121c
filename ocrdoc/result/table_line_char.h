// The box-drawing characters that frame tables laid out as text: the GB set
// (heavy lines, lead 0xA9, trail 0xA4-0xF0) on simplified-Chinese systems,
// the Big5 set (light lines, lead 0xA2, trail 0x71-0x7D) otherwise, chosen by
// the shell's simplified flag. Codes are lead << 8 | trail.
#pragma once

#include "platform/win/types.h"

// Entries of a box-drawing set.
enum TableBoxEntry : int {
    kBoxTopLeft = 0,
    kBoxTopRight = 1,
    kBoxTopTee = 2,
    kBoxHorizontal = 3,
    kBoxVertical = 4,
    kBoxLeftTee = 5,
    kBoxRightTee = 6,
    kBoxBottomLeft = 7,
    kBoxBottomRight = 8,
    kBoxBottomTee = 9,
    kBoxCross = 10,
    kBoxEntryCount = 11
};

// A set as 11 NUL-terminated two-byte strings, entry k at byte offset 3k:
// the GB set for simplified, else the Big5 set.
const char* TableBoxCharsFor(bool simplified);
// The set of the running system (the shell's simplified flag).
const char* TableBoxChars();
// One entry of the running system's set as a code; 0 for a bad entry.
WORD TableBoxChar(int entry);

BOOL IsTableLineChar(WORD code);
// The same, but FALSE for the vertical line of the current set.
BOOL IsTableLineCharNotVertical(WORD code);
