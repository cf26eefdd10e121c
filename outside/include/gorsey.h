// The edge-fill library of the button manager's bundle ("Gorsey.dll"): its
// version, its end, and a settings page for the edge-fill record. Loaded by
// name; Gorsey_GetFunctionTable returns a table of plain C function pointers.
#pragma once

#include <cstddef>

#include "platform/win/types.h"

#pragma pack(push, 2)
struct EDGEFILL_SETTINGS {
    WORD Flags;      // 2: margins in the installer's unit, 4: in inches
    double Min;
    double Max;
    double Inc;
    BOOL Enable;
    DWORD Color;     // fill colour in colour mode
    DWORD Gray;      // in gray mode
    DWORD BW;        // in black and white
    BOOL AllSame;    // one margin for every side
    double Top;
    double Left;
    double Right;
    double Bottom;
};
#pragma pack(pop)
static_assert(sizeof(EDGEFILL_SETTINGS) == 78);
static_assert(offsetof(EDGEFILL_SETTINGS, Min) == 2);
static_assert(offsetof(EDGEFILL_SETTINGS, Enable) == 26);
static_assert(offsetof(EDGEFILL_SETTINGS, AllSame) == 42);
static_assert(offsetof(EDGEFILL_SETTINGS, Top) == 46);
static_assert(offsetof(EDGEFILL_SETTINGS, Bottom) == 70);

using GORSEY_VERSION = int (*)();  // nonzero: this library serves the caller
using GORSEY_TERMINATE = void (*)();
// The page: a child of `host` filling `area`, showing `settings`; null on failure.
using GORSEY_CREATEPAGE = HWND (*)(const RECT* area, HWND host, const RECT* pageArea, const EDGEFILL_SETTINGS* settings);
// Reads the page's fields back into `settings`; 0 when a field is out of range (nothing changes then).
using GORSEY_READPAGE = int (*)(HWND page, EDGEFILL_SETTINGS* settings);
using GORSEY_DESTROYPAGE = void (*)(HWND page, EDGEFILL_SETTINGS* settings);

struct GORSEY_FUNCTIONTABLE {
    GORSEY_VERSION Version;          // 0
    GORSEY_TERMINATE Terminate;      // 1
    GORSEY_CREATEPAGE CreatePage;    // 2
    GORSEY_READPAGE ReadPage;        // 3
    GORSEY_DESTROYPAGE DestroyPage;  // 4
};
static_assert(sizeof(GORSEY_FUNCTIONTABLE) == 5 * sizeof(void*));

using GORSEY_GETFUNCTIONTABLE = const GORSEY_FUNCTIONTABLE* (*)();
extern "C" const GORSEY_FUNCTIONTABLE* Gorsey_GetFunctionTable();
