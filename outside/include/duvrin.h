// The printer library of the button manager's bundle ("Duvrin.dll"): prints
// scanned pages through the platform's printing. Loaded by name; its export
// Printer_Interface returns a table of plain C function pointers.
#pragma once

#include <cstddef>

#include "outside/include/image_library.h"
#include "platform/win/types.h"

// Flag word of a print job.
#define PRINTER_FLAGS_BASE 0x12000u
#define PRINTER_FLAG_FIT 0x2u       // fit the page in the printable area
#define PRINTER_FLAG_SCALE 0x10u    // print at Scale percent of its size
#define PRINTER_FLAG_CENTER 0x100u  // centre on the page

// The three names of the printer (pointers to NUL-terminated texts).
struct PRINTER_NAMES {
    LPCSTR Printer;
    LPCSTR Driver;
    LPCSTR Port;
};

// The library's own state of one job, kept by the caller (40 bytes, cleared before PrinterBeginJob).
struct PRINTER_RECORD {
    HDC Dc;
    DWORD Started;
    DWORD Pages;
    char Reserved[24];
};
static_assert(sizeof(PRINTER_RECORD) == 40);

struct PRINT_JOB {
    char Title[260];
    DWORD ImageWidth;         // second 32-bit value of the page's image header
    DWORD ImageBytesPerLine;  // fourth
    IL_IMAGE* Page;
    int Copies;
    int Scale;                // percent
    DWORD Flags;
    const char* PrinterNames;  // printer, driver and port: three NUL-terminated texts in a row
    PRINTER_RECORD* Printer;
    const IL_FUNCTIONTABLE* ImageTable;
};

using PRINTER_RESERVED = void (*)();
// Prepares a job: copies the names into the record's view of the printer. Nonzero = ready.
using PRINTER_BEGINJOB = int (*)(PRINTER_RECORD* record, const PRINTER_NAMES* names, PRINTER_RECORD* again);
using PRINTER_STARTDOC = int (*)(PRINT_JOB* job);   // 0 = refused
using PRINTER_PRINTPAGE = int (*)(PRINT_JOB* job);  // nonzero = printed
using PRINTER_ENDDOC = int (*)(PRINT_JOB* job, int abort);

struct PRINTER_TABLE {
    PRINTER_RESERVED Reserved0;
    PRINTER_RESERVED Reserved1;
    PRINTER_BEGINJOB PrinterBeginJob;    // 2
    PRINTER_RESERVED Reserved3;
    PRINTER_RESERVED Reserved4;
    PRINTER_STARTDOC PrinterStartDoc;    // 5
    PRINTER_PRINTPAGE PrinterPrintPage;  // 6
    PRINTER_ENDDOC PrinterEndDoc;        // 7
};
static_assert(offsetof(PRINTER_TABLE, PrinterBeginJob) == 2 * sizeof(void*));
static_assert(offsetof(PRINTER_TABLE, PrinterEndDoc) == 7 * sizeof(void*));

using PRINTER_INTERFACE = const PRINTER_TABLE* (*)();
extern "C" const PRINTER_TABLE* Printer_Interface();
