// Image file types, decided by the upper-cased extension of the file name
// alone; file contents are never looked at.
#pragma once

#include "platform/win/types.h"

constexpr int IMGTYPE_UNKNOWN = 0;
constexpr int IMGTYPE_BMP = 1;
constexpr int IMGTYPE_TIF = 2;
constexpr int IMGTYPE_PCX = 3;
constexpr int IMGTYPE_PNG = 4;
constexpr int IMGTYPE_BKI = 5;  // the edited page kept beside an image: a TIFF file
constexpr int IMGTYPE_PST = 6;  // the project file: not an image
constexpr int IMGTYPE_JPG = 7;
constexpr int IMGTYPE_PDF = 8;

// TRUE with *type set to 1..8 when the text after the path's last '.' (the
// first character excepted) is one of BMP TIF PCX PNG BKI PST JPG PDF, or
// TIFF or JPEG (as TIF and JPG), in any case; FALSE with *type untouched
// otherwise. The search for the dot does not
// stop at a folder separator.
BOOL GetImageFileType(const char* path, int* type);
// The same without PDF when `withPdf` is false: a .pdf file is then no image
// file (*type untouched, FALSE).
BOOL GetImageFileType(const char* path, int* type, bool withPdf);
