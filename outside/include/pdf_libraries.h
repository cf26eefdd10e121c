// The PDF libraries the programs load by file name: the page renderer
// "Marlith.dll" (PDF page to bitmap), the picture writer "Brenvo.dll"
// (bitmap to a one-page PDF file) and the converters "Calvet.dll" (PDF to
// RTF) and "Derrow.dll" (PDF to UTF-16 text). Paths are in the ANSI code page.
#pragma once

#include "platform/win/types.h"

extern "C" {

// An open document of the page renderer.
using PDFDOC = void*;

// Progress of a page render: total and done in the renderer's own units.
// Returns 0 to go on, 1 to stop.
using PDF_RENDER_PROGRESS = int (*)(int total, int done, void* data);

// Renderer error codes.
enum : int {
    PDF_ERR_NONE = 0,
    PDF_ERR_OPEN = 1,        // the file cannot be opened or is not a PDF
    PDF_ERR_NO_PAGES = 2,    // the file opens as no pages
    PDF_ERR_PAGE = 3,        // no such page
    PDF_ERR_MEMORY = 4,      // the picture cannot be allocated
    PDF_ERR_STOPPED = 5,     // the progress callback asked to stop
    PDF_ERR_RENDER = 6,      // the page could not be drawn
    PDF_ERR_PASSWORD = 7,    // a password is needed, or the one given is wrong
    PDF_ERR_BAD_HANDLE = 8,  // not a document of this renderer
    PDF_ERR_WRITE = 9,       // (converters) the output file cannot be written
};

// Colour modes of pdfPage2Dib's first int.
enum : int { PDF_RENDER_COLOUR = 0, PDF_RENDER_GREY = 1, PDF_RENDER_MONO = 2 };
// Resolution used when pdfPage2Dib's second int is 0.
constexpr int PDF_RENDER_DEFAULT_DPI = 300;

// pdfInit and pdfTerm are counted: the renderer stays ready until every
// pdfInit has had its pdfTerm. All calls are serialised inside the library,
// so several threads may use it.
void pdfInit();
void pdfTerm();
PDFDOC pdfCreateDoc(const char* path, int* error, BOOL hasPassword, const char* password);
int getPdfPageCount(PDFDOC doc);
// Draws page `page` (from 1) as a 24-bit (colour), 8-bit (grey) or 1-bit
// (mono) packed DIB at `dpi` dots per inch; the block becomes the caller's.
HDIB pdfPage2Dib(PDFDOC doc, int page, int mode, int dpi, PDF_RENDER_PROGRESS progress, void* data, int* error);
void pdfDeleteDoc(PDFDOC doc);

using PFN_PDFINIT = void (*)();
using PFN_PDFTERM = void (*)();
using PFN_PDFCREATEDOC = PDFDOC (*)(const char*, int*, BOOL, const char*);
using PFN_GETPDFPAGECOUNT = int (*)(PDFDOC);
using PFN_PDFPAGE2DIB = HDIB (*)(PDFDOC, int, int, int, PDF_RENDER_PROGRESS, void*, int*);
using PFN_PDFDELETEDOC = void (*)(PDFDOC);

// Writes a 1-, 8- or 24-bit packed DIB as a one-page PDF (page size from the
// DIB's resolution, 300 dpi when it has none). 0 when the whole file was
// written; the bitmap stays the caller's; an existing file is replaced only
// by a complete new one.
int Brenvo(HDIB dib, const char* path);
using PFN_BRENVO = int (*)(HDIB, const char*);

// Results of Brenvo other than 0.
enum : int { BRENVO_ERR_BITMAP = 1, BRENVO_ERR_ENCODE = 2, BRENVO_ERR_WRITE = 3 };

// The converters. Both take the pages first..last (from 1, within the
// document), a password (null or empty: none; has-password FALSE ignores it)
// and answer 0 or one of the PDF_ERR_ codes above. The output file is written
// whole or not at all; an existing file is replaced only by a complete one.
// pdfInit and pdfTerm are counted and every call is serialised, as in the
// page renderer.
//
// Progress of an RTF conversion: called with total = 2 x pages, first once
// per page after parsing it (current 1..pages, `unconvertible` nonzero when
// the page holds ink outside its text or no text at all), then once per page
// before writing it (current pages+1..total, `unconvertible` 0). Returns 0 to
// go on, 1 to stop (the conversion then answers PDF_ERR_STOPPED).
using PDF_CONVERT_PROGRESS = int (*)(int total, int current, int unconvertible);
int calvet(const char* input, const char* output, int firstPage, int lastPage, BOOL hasPassword,
           const char* password, PDF_CONVERT_PROGRESS progress);
using PFN_CALVET = int (*)(const char*, const char*, int, int, BOOL, const char*, PDF_CONVERT_PROGRESS);
// Writes the pages' text as UTF-16LE with a byte-order mark, lines ended by
// CR LF and pages parted by an empty line.
int derrow(const char* input, const char* output, int firstPage, int lastPage, const char* password);
using PFN_DERROW = int (*)(const char*, const char*, int, int, const char*);
}

#define PDF_RENDERER_LIBRARY_NAME "Marlith.dll"
#define PDF_WRITER_LIBRARY_NAME "Brenvo.dll"
#define PDF_TO_RTF_LIBRARY_NAME "Calvet.dll"
#define PDF_TO_TEXT_LIBRARY_NAME "Derrow.dll"
