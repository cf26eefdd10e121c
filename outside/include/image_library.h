// The Image Library of the scanner bundle: reads, writes and scales page
// images. Loaded by name; its one export returns a table of plain C function
// pointers. Images travel as IL_IMAGE records: a header pointer, a flag word
// and the pixel rows.
#pragma once

#include <cstddef>

#include "platform/win/types.h"

// File formats, as IL_GetImageFileInfo reports them and IL_SaveImage takes them.
#define IL_FORMAT_BMP 0
#define IL_FORMAT_JPG 1
#define IL_FORMAT_TIF 2
#define IL_FORMAT_PNG 3
#define IL_FORMAT_AUTO (-1)

// Flag word of an image: with IL_FLAG_FREE_AFTER_USE the image is freed by the
// library once it has been saved (IL_SaveImage) or stored by a caller that
// honours the flag. IL_FLAG_LIBRARY_RECORD marks a record the library itself
// allocated (IL_ScaleImage); IL_FreeImage then frees the record as well.
#define IL_FLAG_FREE_AFTER_USE 0x00000008u
#define IL_FLAG_LIBRARY_RECORD 0x80000000u

// Description of the pixels. Rows are top-down, BytesPerLine apart (a multiple
// of 4). BitsPerPixel is 1 (black and white, eight pixels a byte from the high
// bit down, 0 black and 1 white), 8 (grey, 0 black .. 255 white) or 24 (R, G,
// B bytes). Black and white is saved as a 1-bit bitmap or PNG, or as a Group 4
// fax TIFF, and such files load as black and white again.
struct IL_IMAGEHEADER {
    DWORD Size;  // sizeof(IL_IMAGEHEADER)
    LONG Width;
    LONG Height;
    DWORD BytesPerLine;
    WORD BitsPerPixel;
    WORD Reserved;
    DWORD XResolution;  // dots per inch, 0 when unknown
    DWORD YResolution;
};

struct IL_IMAGE {
    IL_IMAGEHEADER* Header;
    DWORD Flags;
    BYTE* Bits;
};

// What IL_GetImageFileInfo tells about a file without loading its pixels.
struct IL_FILEINFO {
    DWORD Width;
    DWORD Height;
    DWORD BitsPerPixel;  // as stored in the file
    DWORD XResolution;
    DWORD YResolution;
    DWORD Pages;
};

// Save options: Append 1 adds a page to an existing multi-page file (TIFF) and
// is otherwise ignored; Quality is the JPEG quality 1..100, -1 (0xFFFFFFFF) for
// the library's default.
struct IL_SAVEOPTIONS {
    DWORD Append;
    DWORD Quality;
};

using IL_CHECKVERSION = int (*)(const WORD* version);
using IL_TERMINATE = void (*)();
using IL_GETIMAGEFILEINFO = int (*)(LPCSTR path, int* format, IL_FILEINFO* info);
using IL_LOADIMAGE = int (*)(IL_IMAGE* image, LPCSTR path, int format, int page, DWORD flags);
using IL_FREEIMAGE = void (*)(IL_IMAGE* image);
using IL_SAVEIMAGE = int (*)(LPCSTR path, int format, const IL_SAVEOPTIONS* options, IL_IMAGE* image, void*, void*);
using IL_SCALEIMAGE = IL_IMAGE* (*)(IL_IMAGE* image, LONG width, LONG height);
using IL_RESERVED = void (*)();

// The table, slot by slot. Results of int entries: 0 success, nonzero failure.
struct IL_FUNCTIONTABLE {
    IL_CHECKVERSION CheckVersion;          // 0: accepts versions up to the library's own
    IL_TERMINATE Terminate;                // 1
    IL_RESERVED Reserved2;                 // 2
    IL_RESERVED Reserved3;                 // 3
    IL_GETIMAGEFILEINFO GetImageFileInfo;  // 4
    IL_RESERVED Reserved5;                 // 5
    IL_LOADIMAGE LoadImage;                // 6
    IL_FREEIMAGE FreeImage;                // 7
    IL_SAVEIMAGE SaveImage;                // 8: writes a complete file or leaves none
    IL_RESERVED Reserved9;                 // 9
    IL_RESERVED Reserved10;                // 10
    IL_SCALEIMAGE ScaleImage;              // 11: a new image (library record, free after use)
};
static_assert(sizeof(IL_FUNCTIONTABLE) == 12 * sizeof(void*));
static_assert(offsetof(IL_FUNCTIONTABLE, SaveImage) == 8 * sizeof(void*));
static_assert(offsetof(IL_FUNCTIONTABLE, ScaleImage) == 11 * sizeof(void*));

// Version of this library: 2.3.0.0.
#define IL_VERSION_MAJOR 2
#define IL_VERSION_MINOR 3

using IL_GETFUNCTIONTABLE = const IL_FUNCTIONTABLE* (*)();
extern "C" const IL_FUNCTIONTABLE* IL_GetFunctionTable();
