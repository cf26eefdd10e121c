// The message library of the button manager's bundle ("Tarrik.dll"): English
// texts by number, message boxes and a progress window with Cancel. Loaded by
// name; Tarrik_GetFunctionTable returns a table of plain C function pointers.
#pragma once

#include <cstddef>

#include "platform/win/types.h"

// Fills `buffer` (size chars, at most) with message `id`; 0 for an unknown id
// (the buffer then holds "").
using MSG_GETTEXT = int (*)(int id, LPSTR buffer, int size);
// A box with `text` (or, when it is null or empty, the text of `id`); the
// button chosen (IDOK, IDYES, IDNO...).
using MSG_SHOWBOX = int (*)(HWND owner, int id, LPCSTR text, int reserved, LPCSTR caption, UINT flags, int icon);
struct MSG_PROGRESS {
    HWND Owner;
    LPCSTR Caption;
    int Range;  // the value that stands for 100 %
};
// Opens the progress window (one at a time); a handle, 0 on failure.
using MSG_OPENPROGRESS = int (*)(const MSG_PROGRESS* progress);
using MSG_SETPROGRESSTEXT = int (*)(int handle, LPCSTR text);
// Sets the bar; returns 0 once the user pressed Cancel, else 1.
using MSG_SETPROGRESS = int (*)(int percent);
using MSG_CLOSEPROGRESS = int (*)();

struct TARRIK_FUNCTIONTABLE {
    MSG_GETTEXT MsgGetText;                  // 0
    MSG_SHOWBOX MsgShowBox;                  // 1
    MSG_OPENPROGRESS MsgOpenProgress;        // 2
    MSG_SETPROGRESSTEXT MsgSetProgressText;  // 3
    MSG_SETPROGRESS MsgSetProgress;          // 4
    MSG_CLOSEPROGRESS MsgCloseProgress;      // 5
};
static_assert(sizeof(TARRIK_FUNCTIONTABLE) == 6 * sizeof(void*));
static_assert(offsetof(TARRIK_FUNCTIONTABLE, MsgCloseProgress) == 5 * sizeof(void*));

using TARRIK_GETFUNCTIONTABLE = const TARRIK_FUNCTIONTABLE* (*)();

// Messages that say why a button's job does not run ("%1": what is missing,
// the printer's name, the job file, the action), or why its scan ended short
// ("%1" of kMessageJammedAfter: the pages scanned before the jam).
enum : int {
    kMessageMissingSetting = 31,
    kMessageNoPrinter = 32,
    kMessageNoButtonJob = 33,
    kMessageUnknownAction = 34,
    kMessageJammedAfter = 35,
    kMessageNoPaper = 36,
    kMessageJammedAtOnce = 37,
    kMessageNoScanner = 38,
    kMessageScanFailed = 39,
    kMessageAllBlank = 40,
    kMessageBlanksDropped = 41,  // "%1": how many
};
extern "C" const TARRIK_FUNCTIONTABLE* Tarrik_GetFunctionTable();
