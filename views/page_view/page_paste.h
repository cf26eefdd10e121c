// Pasting a bitmap from the clipboard as a new page of the job: the target
// name from the scan-name box (".jpg" for grey and colour bitmaps when the
// JPEG setting is on), the user's answers about a missing folder or an
// existing file, the page-list row, and the hand-over of the bitmap to the
// main frame's last-scanned slot just before the new-page command is posted.
#pragma once

#include <string>

#include "platform/win/types.h"

class COcrDoc;

enum class PasteOutcome {
    kNothing,       // the clipboard could not be opened or holds no bitmap
    kBadBitmap,     // the bitmap is of a kind no page is made of, or its header does not describe its block (said)
    kCancelled,     // the user said No or Cancel, or the file dialog was cancelled
    kCannotSave,    // the name's folder cannot take the file
    kListRefused,   // the page list refused the name
    kPosted,        // the bitmap is in the slot and the new-page command posted
};

class CPagePaste {
public:
    // `doc` receives the chosen name and whether it may replace a file (may be NULL).
    explicit CPagePaste(COcrDoc* doc) : m_doc(doc) {}
    PasteOutcome Run(HWND owner);
    // The name the last run settled on.
    const std::string& Name() const { return m_name; }

private:
    PasteOutcome WithBitmap(HGLOBAL copy, int bitCount);
    COcrDoc* m_doc;
    std::string m_name;
};
