// The scan library of the button manager's bundle ("Scan.dll"): finds the
// scanner, watches its presence and front-panel buttons, and scans pages for
// a job. Loaded by name; its export ScanDlgEntry returns a table of plain C
// function pointers. KEYRIDER_SETTINGS is the program-wide record the button
// manager hands to this library and to the button templates.
#pragma once

#include <cstddef>

#include "outside/include/common_service.h"
#include "outside/include/image_library.h"
#include "platform/afx/core/cstring.h"
#include "platform/win/types.h"

struct SCAN_FUNCTIONTABLE;

// One paper size the device can scan: a name and its area in tenths of a
// millimetre (left, top, right, bottom). The scan library allocates the list
// with malloc; the program frees it with free at exit.
struct KEYRIDER_PAPER {
    char Name[64];
    DWORD Area[4];
};
static_assert(sizeof(KEYRIDER_PAPER) == 80);

struct KEYRIDER_SETTINGS {
    HKEY InstallerKey;  // HKCU installer key, read/write
    HKEY AppKey;
    CString ProductName;
    CString ApplicationName;
    CString ProgramFolder;  // ends in "\"
    CString InstallerKeyPath;
    CString AppKeyPath;
    CString BrowseCaption;
    const SCAN_FUNCTIONTABLE* ScanTable;
    const COMMON_SERVICE_TABLE* CommonTable;
    const IL_FUNCTIONTABLE* ImageTable;
    BOOL ScannerPresent;
    // Program-wide values of the installer and application keys.
    DWORD FirstRun;
    DWORD PageNumFontEnlarge;
    DWORD ContinueScanFontEnlarge;
    DWORD ShowRearSideSource;
    DWORD MaxCustomPaperSize;
    DWORD CustomPaperSizeUnit;
    DWORD CustomPaperSizeIsCenter;
    DWORD DisplayBlankPageMessage;
    DWORD ContinueScanWait[5];  // Reflection, Positive, Negative, ADF, Sheetfed
    // The paper list, filled by ScanInit.
    KEYRIDER_PAPER* Papers;
    DWORD PaperCount;
};
static_assert(offsetof(KEYRIDER_SETTINGS, AppKey) == sizeof(void*));
static_assert(offsetof(KEYRIDER_SETTINGS, ProductName) == 2 * sizeof(void*));

// The 288-byte block of one job's scan settings; every field a 32-bit integer.
struct SCAN_SETTINGS {
    LONG Reserved0[5];        // 0-16
    LONG Source;              // 20: 0 Reflection, 1 Positive, 2 Negative, 3 ADF, 4 Sheetfed, 5 Auto
    LONG Side;                // 24: 0 front, 1 rear, 2 both
    LONG Mode;                // 28: 0 colour, 1 gray, 2 black and white
    LONG RotateFront;         // 32
    LONG RotateRear;          // 36
    LONG Rotate;              // 40
    LONG Brightness;          // 44: -100..100
    LONG Contrast;            // 48: -100..100
    LONG Gamma;               // 52: percent
    LONG Threshold;           // 56: 0..255
    LONG Resolution;          // 60: dpi
    LONG ColorDropOut;        // 64
    LONG PaperIsDefault;      // 68
    LONG AutoDeskew;          // 72
    LONG AutoDensity;         // 76
    LONG AutoCrop;            // 80
    LONG AutoThreshold;       // 84
    LONG ColorMatch;          // 88
    LONG MultiplePage;        // 92
    LONG RemoveBlankPage;     // 96
    LONG Reserved100;         // 100
    LONG PaperArea[4];        // 104-116: left, top, right, bottom in tenths of a millimetre
    LONG Reserved120;         // 120
    LONG MergeFlags;          // 124
    LONG IsCustomPaper;       // 128
    LONG DefaultPaperIndex;   // 132
    LONG CustomPaperId;       // 136
    LONG Descreen;            // 140
    LONG Reserved144[2];      // 144, 148
    LONG Mode2;               // 152
    LONG BlankThreshold[3];   // 156-164: colour, gray, black and white
    LONG Reserved168;         // 168
    LONG AutoRotate;          // 172
    LONG SheetOrBook;         // 176
    LONG Reserved180;         // 180
    LONG BookMode;            // 184
    LONG EdgeFill;            // 188
    LONG Reserved192;         // 192
    LONG AutoSourceSide;      // 196
    LONG MultiFeed;           // 200
    LONG Reserved204[21];     // 204-287
};
static_assert(sizeof(SCAN_SETTINGS) == 288);
static_assert(offsetof(SCAN_SETTINGS, Source) == 20);
static_assert(offsetof(SCAN_SETTINGS, Mode) == 28);
static_assert(offsetof(SCAN_SETTINGS, Resolution) == 60);
static_assert(offsetof(SCAN_SETTINGS, PaperArea) == 104);
static_assert(offsetof(SCAN_SETTINGS, MergeFlags) == 124);
static_assert(offsetof(SCAN_SETTINGS, Mode2) == 152);
static_assert(offsetof(SCAN_SETTINGS, BlankThreshold) == 156);
static_assert(offsetof(SCAN_SETTINGS, MultiFeed) == 200);

// Status events: type 1 connected (value nonzero) or disconnected; type 2 the
// 1-based front-panel button `value` was pressed. They reach the callback on
// the thread that called ScanInit, while that thread pumps its messages.
#define SCAN_STATUS_CONNECTION 1
#define SCAN_STATUS_BUTTON 2
using SCANSTATUSPROC = int (*)(int type, int value, void* context);
// One scanned page (an IL_IMAGE with IL_FLAG_FREE_AFTER_USE); 0 stops the scan.
using SCANPAGEPROC = int (*)(IL_IMAGE* page, void* argument);

using SCAN_INIT = int (*)(LPCSTR appKeyPath, LPCSTR programFolder, SCANSTATUSPROC status,
                          KEYRIDER_SETTINGS* settings, void* context);
using SCAN_ISSCANNERPRESENT = int (*)();
using SCAN_TERMINATE = void (*)();
// 0 when no page was scanned, SCAN_PAGES_DONE when pages were scanned and
// the scan ended as it should (feeder empty, one flatbed page, the callback
// stopped it), SCAN_PAGES_JAMMED when pages were scanned and then the paper
// jammed.
#define SCAN_PAGES_DONE 1
#define SCAN_PAGES_JAMMED 2
using SCAN_PAGES = int (*)(SCAN_SETTINGS* settings, SCANPAGEPROC page, void* argument);
// Why the last ScanPages ended, for a caller that got no page or a jam.
#define SCAN_END_DONE 0       // the feeder emptied, the flatbed page was read, or the callback stopped
#define SCAN_END_NO_PAPER 1   // the feeder held no paper
#define SCAN_END_JAMMED 2     // the paper jammed
#define SCAN_END_NO_SCANNER 3 // the scanner is not there or another program holds it
#define SCAN_END_FAILED 4     // the scanner failed to read a page
#define SCAN_END_ALL_BLANK 5  // pages were read, and every one was blank and removed
using SCAN_LASTEND = int (*)();
// How many blank pages the last ScanPages dropped.
using SCAN_BLANKSDROPPED = int (*)();
using SCAN_ENDJOB = int (*)(const BYTE* record284);
using SCAN_LOADSETTINGS = int (*)();
using SCAN_SETTINGSAPPLIED = int (*)();
using SCAN_RESERVED = void (*)();

struct SCAN_FUNCTIONTABLE {
    SCAN_INIT ScanInit;                        // 0: nonzero = ready
    SCAN_ISSCANNERPRESENT ScanIsScannerPresent;  // 1
    SCAN_TERMINATE ScanTerminate;              // 2: stops the watcher before the library is freed
    SCAN_RESERVED Reserved3[3];                // 3-5
    SCAN_PAGES ScanPages;                      // 6: nonzero when pages were scanned
    SCAN_LASTEND ScanLastEnd;                  // 7: SCAN_END_*
    SCAN_BLANKSDROPPED ScanBlanksDropped;      // 8
    SCAN_RESERVED Reserved9[6];                // 9-14
    SCAN_ENDJOB ScanEndJob;                    // 15
    SCAN_LOADSETTINGS ScanLoadSettings;        // 16: nonzero = ready
    SCAN_SETTINGSAPPLIED ScanSettingsApplied;  // 17
};
static_assert(offsetof(SCAN_FUNCTIONTABLE, ScanPages) == 6 * sizeof(void*));
static_assert(offsetof(SCAN_FUNCTIONTABLE, ScanEndJob) == 15 * sizeof(void*));
static_assert(offsetof(SCAN_FUNCTIONTABLE, ScanLoadSettings) == 16 * sizeof(void*));
static_assert(sizeof(SCAN_FUNCTIONTABLE) == 18 * sizeof(void*));

using SCAN_DLGENTRY = const SCAN_FUNCTIONTABLE* (*)();
extern "C" const SCAN_FUNCTIONTABLE* ScanDlgEntry();
