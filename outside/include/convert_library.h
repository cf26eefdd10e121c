// The image conversion library "Convert.dll": reads BMP, TIFF and JPEG files
// into packed device-independent bitmaps and writes such bitmaps back.
//
// Readers deliver a movable block (HDIB) holding a packed DIB of 1 bit (palette
// white, black: bit 1 is black ink), 8 bits (the grey ramp) or 24 bits (blue,
// green, red), rows bottom-up and padded to 4 bytes. The block becomes the
// caller's; NULL means the file could not be read, or the stop event was found
// set. Writers take 1-, 8- or 24-bit DIBs, leave the block with the caller, and
// return TRUE only when the whole file was written (it replaces an existing
// file only then).
//
// Paths are in the ANSI code page and may be written Windows-style.
#pragma once

#include "platform/win/types.h"

extern "C" {
using PFN_CONVERT_READ = HDIB (*)(HWND progressWindow, const char* path, HANDLE stopEvent);
using PFN_CONVERT_WRITE = BOOL (*)(HWND progressWindow, HDIB dib, const char* path);
using PFN_TIFFPAGECOUNT = int (*)(const char* path);

HDIB Bmp2HDIB(HWND progressWindow, const char* path, HANDLE stopEvent);
HDIB Tiff2HDIB(HWND progressWindow, const char* path, HANDLE stopEvent);
HDIB Jpg2HDIB(HWND progressWindow, const char* path, HANDLE stopEvent);
BOOL HDIB2Bmp(HWND progressWindow, HDIB dib, const char* path);
BOOL HDIB2Tiff(HWND progressWindow, HDIB dib, const char* path);
BOOL HDIB2Jpg(HWND progressWindow, HDIB dib, const char* path);
// The number of pages of a TIFF file (the readers take the first); 0 when
// the file cannot be read as TIFF.
int TiffPageCount(const char* path);
}

// The library's file name, as the programs load it.
#define CONVERT_LIBRARY_NAME "Convert.dll"
