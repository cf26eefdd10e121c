// Conversions between the page's 1-bit working plane (rows top-down,
// (width + 7) / 8 bytes each, 1 = black) and packed 1-bit bitmaps, copies of
// global blocks, and file deletion through the shell.
#pragma once

#include <string>

#include "platform/win/memory.h"
#include "platform/win/types.h"

// A zeroed 1-bit packed bitmap of width x height with the table white, black.
BOOL AllocMonoDib(HDIB* phDib, int width, int height);
// Locks the bitmap (the caller unlocks it) and finds its header and rows.
BOOL LockDib(HDIB hDib, BITMAPINFOHEADER** ppHeader, BYTE** ppBits);
// Plane rows into bitmap rows (reversed, padded); inverted when the
// bitmap's table says value 0 is black.
void PackedRowsToMonoDib(BYTE* pBits, const BYTE* pPlane, int width, int height, const BITMAPINFOHEADER* pHeader);
// One byte per pixel: 0 black, 255 white.
void ExpandBitsToBytes(BYTE* pBytes, const BYTE* pPlane, int width, int height);
// A zeroed movable copy of a block; NULL for an empty or unlockable block.
HGLOBAL CopyGlobalBlock(HGLOBAL hBlock);
// Deletes a file without asking; TRUE when it is gone.
BOOL ShellDeleteFile(const std::string& path);
