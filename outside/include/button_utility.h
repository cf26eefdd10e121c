// Button templates of the button manager's bundle: each is a library named by
// the template's "DLL" value, whose export UtilityEntry returns a table of
// plain C function pointers. Every entry takes the button's UTILITY_CONTEXT.
#pragma once

#include <cstddef>

#include "outside/include/keyrider_scan.h"
#include "outside/include/velmar.h"
#include "platform/win/types.h"

class CWnd;

// The scan-settings block of a template: 18 numbers the main dialog copies
// into the program-wide scan settings when a template is attached.
struct UTILITY_SCANBLOCK {
    LONG MultiImageKind;  // 0: one mode per side, 1..5: fixed combinations
    LONG Mode;            // 0 black and white, 1 gray, 2 colour
    LONG Side;            // 0 front, 1 rear, 2 both
    LONG Resolution;
    LONG MinResolution;
    LONG MaxResolution;
    LONG Reserved[12];
};
static_assert(sizeof(UTILITY_SCANBLOCK) == 72);

struct UTILITY_CONTEXT {
    int ButtonNumber;           // 1-based
    CRegExt TemplateKey;        // the template's key under the app key, read/write
    HICON Icon;                 // a template may set its own in UtilityOpen
    RECT Panel;                 // template panel area, dialog client coordinates
    CWnd* Owner;                // the main dialog
    BOOL TemplateAvailable;     // the probe gave 0
    UTILITY_SCANBLOCK* ScanBlock;
    CString TemplateKeyPath;    // the template's key path, relative to the app key
};

// The blank-page thresholds handed to UtilitySetBlankPage.
struct UTILITY_BLANKPAGE {
    DWORD Color;
    DWORD Gray;
    DWORD BW;
};

using UTILITY_PROBE = int (*)(UTILITY_CONTEXT*, KEYRIDER_SETTINGS*);
using UTILITY_OPEN = int (*)(UTILITY_CONTEXT*, KEYRIDER_SETTINGS*);
using UTILITY_CLOSE = void (*)(UTILITY_CONTEXT*);
using UTILITY_SAVE = int (*)(UTILITY_CONTEXT*, LPCSTR description);
using UTILITY_RESERVED = void (*)();
using UTILITY_REVERT = void (*)(UTILITY_CONTEXT*);
using UTILITY_RUN = int (*)(UTILITY_CONTEXT*);
using UTILITY_SHOW = void (*)(UTILITY_CONTEXT*, BOOL show);
using UTILITY_CANRUN = int (*)(UTILITY_CONTEXT*);
using UTILITY_PREPARE = void (*)(UTILITY_CONTEXT*);
using UTILITY_SETBLANKPAGE = void (*)(UTILITY_CONTEXT*, const UTILITY_BLANKPAGE*);
using UTILITY_GLOBALCHANGED = void (*)(UTILITY_CONTEXT*);

struct UTILITY_TABLE {
    UTILITY_PROBE UtilityProbe;                  // 0: 0 available, > 0 not available, < 0 unusable
    UTILITY_OPEN UtilityOpen;                    // 1: nonzero = attached
    UTILITY_CLOSE UtilityClose;                  // 2
    UTILITY_SAVE UtilitySave;                    // 3
    UTILITY_RESERVED Reserved4;                  // 4
    UTILITY_REVERT UtilityRevert;                // 5
    UTILITY_RUN UtilityRun;                      // 6
    UTILITY_SHOW UtilityShow;                    // 7
    UTILITY_CANRUN UtilityCanRun;                // 8
    UTILITY_PREPARE UtilityPrepare;              // 9
    UTILITY_SETBLANKPAGE UtilitySetBlankPage;    // 10
    UTILITY_GLOBALCHANGED UtilityGlobalChanged;  // 11
};
static_assert(offsetof(UTILITY_TABLE, UtilityRun) == 6 * sizeof(void*));
static_assert(offsetof(UTILITY_TABLE, UtilityGlobalChanged) == 11 * sizeof(void*));
static_assert(sizeof(UTILITY_TABLE) == 12 * sizeof(void*));

using UTILITY_ENTRY = const UTILITY_TABLE* (*)();
extern "C" const UTILITY_TABLE* UtilityEntry();
