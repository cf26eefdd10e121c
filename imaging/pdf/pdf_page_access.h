// PDF page access: page counts, password opening, rendering pages to pictures
// or files, and writing a picture as a one-page PDF, through the outside
// libraries "Marlith.dll" (page renderer), "Brenvo.dll" (picture writer) and
// "Convert.dll", each loaded by file name when needed.
//
// The renderer kept loaded between calls (LoadPdfRenderer ... UnloadPdfRenderer,
// with at most one open document) belongs to the user-interface thread's
// commands; RenderPdfPage is a self-contained call for the page-load thread.
// Both may run at once: the kept state is guarded, and the renderer counts
// its starts and ends.
#pragma once

#include "platform/win/types.h"

#include <string>

// Error codes of the program's own (the renderer's are in pdf_libraries.h).
constexpr int PDF_ACCESS_MISSING_ENTRY = 10;     // a library or an entry point is missing
constexpr int PDF_ACCESS_MISSING_RENDERER = 14;  // Marlith.dll cannot be loaded
// The renderer's code that also counts as success of a page render.
constexpr int PDF_RENDER_ACCEPTED = 13;

// Loads Marlith.dll once and calls its pdfInit: 0, or 14 when it is missing.
int LoadPdfRenderer();
// Closes the open document, ends and frees the renderer: 1.
int UnloadPdfRenderer();
// Deletes the open document: 1.
int ClosePdfDocument();

// The page count of `path` (opened without a password unless a document is
// already open): the count, 0 when the file opens as no pages, -1 on failure
// with the code in *error.
int GetPdfPageCount(int* error, const char* path, BOOL unloadAfter);
// Opens `path`, asking for the password while the renderer answers 7 (a wrong
// one shows the wrong-password message and asks again). The page count, 0
// when nothing could be opened, -1 on failure or cancel; the accepted password
// in *password.
int OpenPdfWithPassword(int* error, std::string* password, const char* path, BOOL unloadAfter);
// Renders `page` of the open document and writes it as type 1 PDF, 2 JPEG,
// 3 BMP, anything else TIFF. 1 when written, 0 otherwise.
int RenderPdfPageToFile(int* error, int page, const char* outputPath, int type, int mode, int dpi);

// One page of `path` as a picture for the image codec: NULL when the page is
// below 1 or past the end, a library or entry is missing, the password dialog
// is cancelled, the render fails, or the stop event is set. Progress goes to
// `progressWindow` as WM_IMAGEPROGRESS posts.
HDIB RenderPdfPage(HWND progressWindow, const char* path, HANDLE stopEvent, int page, const char* password);

// Writes a grey or colour picture as a one-page PDF through Brenvo.dll: the
// writer's result (0 = written), or 10 when the library or its entry is missing.
int SaveDibAsPdf(int ignored, HDIB dib, const char* path);
