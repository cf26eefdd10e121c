// Messages, commands, strings and exit statuses of Textory.
#pragma once

#include "platform/afx/afxwin.h"

// Messages of Textory's main frame.
#define WM_SCANBUTTON 1286
#define WM_QUERYREADY (WM_USER + 1100)
#define WM_STARTSCAN (WM_USER + 1101)
#define WM_SCANDONE (WM_USER + 1102)
#define WM_REGIONSDONE (WM_USER + 1103)
#define WM_OUTPUTRESULT (WM_USER + 1104)  // wParam 1 when the page was recognised
#define WM_OUTPUTDONE (WM_USER + 1105)
#define WM_RUNNEXTSTEP (WM_USER + 1108)
#define WM_CLOSEMAIN (WM_USER + 1110)
// The brightness dialog's value for the page (wParam 0 preview, 1 final; lParam 0..255).
#define WM_SETBRIGHTNESS (WM_USER + 1120)
// The brightness dialog's command.
#define ID_BRIGHTNESS_SLIDER 32994

// The frame's window class (Scribant finds its running copy by its own).
#define TEXTORY_FRAME_CLASS "TextoryMainFrame"

// Strings of Textory's own resource table.
#define IDS_TEXTORY_SCANNING 61459    // "正在扫描..."
#define IDS_TEXTORY_REGIONS 61460     // "正在计算识别区域..."
#define IDS_TEXTORY_RECOGNIZING 61461 // "正在识别..."
#define IDS_TEXTORY_IDLE 61462        // "Textory(版本2.1)"
#define IDS_ILLEGAL_ARGUMENT 61464    // "illegal argument!"

namespace textory {

// How a run of Textory ends: the program's exit status.
enum ExitStatus : int {
    kExitWritten = 0,            // the output document was written
    kExitCommandLineRefused = 1, // the command line was refused
    kExitStartFailed = 2,        // any other failure of the start
    kExitImageUnreadable = 3,    // the image could not be read
    kExitNothingRecognised = 4,  // the page gave no text
    kExitOutputNotWritten = 5,   // the output document could not be written
};

}  // namespace textory
