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
#define IDS_FILE_REFUSED 61606       // "%s": a chosen file that is not listed, then why
#define IDS_FILE_NOT_IMAGE 61607     // not a kind of image the program reads
#define IDS_FILE_MISSING 61608       // the file does not exist
#define IDS_PDF_PAGES_FAILED 61609   // "%s": a split PDF whose listed pages miss some
#define IDS_PDF_NO_PAGE 61610        // "%s": a split PDF none of whose pages could be listed
#define IDS_PDF_PAGE_NUMBER 61611    // "%d": one page of a PDF
#define IDS_REPLACE_OUTPUT 61615     // "%s": an output file exists already; replace it?

// Posted by the scanner glue: a scanned page (wParam, a packed DIB) and the
// glue's state (wParam 0: idle).
#define WM_SCANIMAGE (WM_USER + 257)
#define WM_SCANSTATE (WM_USER + 258)
