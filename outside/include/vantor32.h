// The scanner glue library "Vantor32.dll" of the OCR programs: chooses a
// scanner (the data source), acquires pages on a worker thread and posts them
// to the program's window, one packed device-independent bitmap each.
//
// Entries keep their decorated names ("_TWAcquire@12"); the library exports
// them undecorated and GetProcAddress finds them by either name.
//
// Call order: TWInitialize (identity, window, page message), SetMessageLevel;
// TWAcquire starts an acquisition, which posts
//   - VANTOR_STATE_MESSAGE (WM_USER+258) with wParam 1 when it starts and 0
//     when it has ended;
//   - the page message given to TWInitialize (WM_USER+257 in the programs)
//     with wParam = the page's HGLOBAL packed DIB (1-bit with value 1 black,
//     8-bit grey or 24-bit colour, the scan resolution in its header) and
//     lParam = the page's number in the run, from 1. The message owns the
//     bitmap: the window that receives it frees it with GlobalFree; a page
//     whose window is gone is freed by the glue's release.
// CloseConnection stops a running acquisition (after its current page) and
// forgets the window.
//
// The source's settings are kept per user in the registry key
// VANTOR_SOURCE_KEY of HKEY_CURRENT_USER: "Device" (the SANE device name;
// empty or missing: $SUITE_SCAN_DEVICE, else the first device), "Mode"
// (0 colour, 1 grey, 2 black and white; default 1), "Resolution" (dots an
// inch; default 300) and "Feeder" (1: scan from the document feeder until it
// is empty; default 0, the flatbed, one page).
#pragma once

#include <cstddef>

#include "outside/include/outside.h"
#include "platform/afx/ui/winuser.h"

typedef unsigned short TW_UINT16;
typedef unsigned int TW_UINT32;
typedef char TW_STR32[34];

#pragma pack(push, 2)
struct TW_VERSION {
    TW_UINT16 MajorNum;
    TW_UINT16 MinorNum;
    TW_UINT16 Language;
    TW_UINT16 Country;
    TW_STR32 Info;
};

// Who the program is, handed to the glue at start-up.
struct TW_IDENTITY {
    TW_UINT32 Id;
    TW_VERSION Version;
    TW_UINT16 ProtocolMajor;
    TW_UINT16 ProtocolMinor;
    TW_UINT32 SupportedGroups;
    TW_STR32 Manufacturer;
    TW_STR32 ProductFamily;
    TW_STR32 ProductName;
};
#pragma pack(pop)
static_assert(sizeof(TW_VERSION) == 42);
static_assert(sizeof(TW_IDENTITY) == 156);
static_assert(offsetof(TW_IDENTITY, Version) == 4);
static_assert(offsetof(TW_IDENTITY, ProtocolMajor) == 46);
static_assert(offsetof(TW_IDENTITY, SupportedGroups) == 50);
static_assert(offsetof(TW_IDENTITY, Manufacturer) == 54);
static_assert(offsetof(TW_IDENTITY, ProductName) == 122);

#define TWLG_USA 13
#define TWCY_CHINA 86
#define DG_CONTROL 0x0001
#define DG_IMAGE 0x0002

// Posted by the glue: acquisition running (wParam 1) or ended (wParam 0).
#define VANTOR_STATE_MESSAGE (WM_USER + 258)
#define VANTOR_SOURCE_KEY "Software\\Vantor32\\Source"
#define VANTOR32_DLL "Vantor32.dll"

extern "C" {
// Keeps a copy of the identity, the window pages go to, the temporary file
// name and the page message. `flags` is 1. Returns 1, or 0 for a null
// identity or a page message of 0.
int TWInitialize(TW_IDENTITY* identity, HWND window, int flags, const char* tempFile, UINT pageMessage);
// 0: the glue shows nothing; 1 and above: a failure met after an acquisition
// started (the scanner jammed or went away) is told to the user in a message
// box on the thread that called TWInitialize.
void SetMessageLevel(int level);
// Opens the source manager (SANE); 1 when it could be opened.
int TWOpenDSM();
// Lets the user choose the source among the scanners found; 1 when one was
// chosen (and kept as "Device"), 0 when none is found or the user cancelled.
int TWSelectDS();
// Closes the source manager opened by TWOpenDSM.
void TWCloseDSM(int reserved);
// Starts an acquisition for `window` (0: the TWInitialize window). showUI 1
// asks for the source's settings dialog first; allPages 1 scans every page
// the feeder holds (with "Feeder" set). Returns 1 when it started, 0 when the
// glue is not initialised, an acquisition is already running, no scanner is
// found or the user cancelled the settings.
int TWAcquire(HWND window, int showUI, int allPages);
// 1 while a source is open (an acquisition runs), else 0.
int TWIsDSOpen();
// Forgets the chosen source's handle so that the next acquisition looks for
// the scanner again.
void ResetID();
// The resolution (dots an inch, 50 to 1200) and colour mode (0 colour, 1 grey,
// 2 black and white) of the acquisitions started without the settings
// dialog from now on, in place of the source's kept settings; 0 for both
// goes back to the kept settings. Returns 1, or 0 for a value out of range.
int TWSetImageSettings(int resolution, int mode);
// Offers a message of the program's loop to the glue; non-zero when the glue
// consumed it. Pages travel as posted messages, so nothing is consumed here.
int ProcessTWMessage(MSG* message, HWND window);
// Stops a running acquisition (waits for its current page) and forgets the
// window. `reserved` is 0.
void CloseConnection(int reserved);
}

using PFN_TWINITIALIZE = decltype(&TWInitialize);
using PFN_SETMESSAGELEVEL = decltype(&SetMessageLevel);
using PFN_TWOPENDSM = decltype(&TWOpenDSM);
using PFN_TWSELECTDS = decltype(&TWSelectDS);
using PFN_TWCLOSEDSM = decltype(&TWCloseDSM);
using PFN_TWACQUIRE = decltype(&TWAcquire);
using PFN_TWISDSOPEN = decltype(&TWIsDSOpen);
using PFN_RESETID = decltype(&ResetID);
using PFN_PROCESSTWMESSAGE = decltype(&ProcessTWMessage);
using PFN_TWSETIMAGESETTINGS = decltype(&TWSetImageSettings);
using PFN_CLOSECONNECTION = decltype(&CloseConnection);
