// The PDF library of the button manager's bundle ("Our PDF"): joins page
// image files into one PDF file. Loaded by its path; GetPDFFunctionTable
// returns a table of plain C function pointers.
#pragma once

#include <cstddef>

#include "platform/win/types.h"

struct PDF_PAGEENTRY {
    DWORD Type;      // 2: an image file
    char Name[260];  // the 1-based page number as "%d"
    char Path[264];  // the page file
};
static_assert(sizeof(PDF_PAGEENTRY) == 528);
static_assert(offsetof(PDF_PAGEENTRY, Path) == 264);

// Progress: (total pages, pages remaining, current page, state); 0 stops.
using PDF_PROGRESSPROC = int (*)(int total, int remaining, int page, int* state);
using PDF_CHECKVERSION = int (*)(const WORD* version);  // nonzero = accepted
using PDF_TERMINATE = void (*)();
// Joins `pageCount` entries into `output` (written whole or not at all; JPEG
// pages keep their data). Nonzero and *resultFlag = 1 on success.
using PDF_CONVERTPAGES = int (*)(LPCSTR output, int pageCount, const PDF_PAGEENTRY* pages, LPCSTR outputAgain,
                                 int jpegQuality, int* resultFlag, PDF_PROGRESSPROC progress, int* progressState);
using PDF_RESERVED = void (*)();

struct PDF_FUNCTIONTABLE {
    PDF_CHECKVERSION PdfCheckVersion;    // 0
    PDF_TERMINATE PdfTerminate;          // 1
    PDF_RESERVED Reserved2[4];           // 2-5
    PDF_CONVERTPAGES PdfConvertPages;    // 6
};
static_assert(offsetof(PDF_FUNCTIONTABLE, PdfConvertPages) == 6 * sizeof(void*));
static_assert(sizeof(PDF_FUNCTIONTABLE) == 7 * sizeof(void*));

using PDF_GETFUNCTIONTABLE = const PDF_FUNCTIONTABLE* (*)();
extern "C" const PDF_FUNCTIONTABLE* GetPDFFunctionTable();
