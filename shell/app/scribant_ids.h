// Ids of the program's own messages, strings and resources.
#pragma once

// Posted (sent) to the running program's frame by a second start: open the
// queued images.
#define ID_OPEN_QUEUED_IMAGES 1285
// The frame's own window class: a second start finds the running program by it.
#define SCRIBANT_FRAME_CLASS "ScribantMainFrame"

#define IDR_MAINFRAME 128
#define IDS_OLE_INIT_FAILED 101
#define IDS_APP_NAME 57344
#define IDS_MAIN_TITLE 61461
#define IDS_PDF_UNSUPPORTED 61462

// Posted by the scanner glue: a scanned page (wParam, a packed DIB) and the
// glue's state (wParam 0: idle).
#define WM_SCANIMAGE (WM_USER + 257)
#define WM_SCANSTATE (WM_USER + 258)
