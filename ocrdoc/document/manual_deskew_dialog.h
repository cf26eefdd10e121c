// What the document's manual deskew command asks of the manual skew dialog.
// The dialog lives with the views; the document reaches it only through this
// interface, which the views install when they are created (tests install a
// scripted double). Without an installed dialog the command does nothing.
#pragma once

#include "platform/win/types.h"

class CPageImage;

// What the dialog reports after the user pressed OK: the two handle heights
// (client coordinates) and the tilt its previews already applied to the
// working copy. The pending tilt is leftY - rightY.
struct ManualDeskewAnswer {
    int leftY = 0;
    int rightY = 0;
    int runningTotal = 0;
};

class CManualDeskewDialog {
public:
    virtual ~CManualDeskewDialog() = default;
    // Runs the dialog modally on `page` (not owned) and the caller's working
    // block hWork: for a 1-bit page height x ((width + 7) / 8) bytes that
    // receive the working plane, else the size of the page's packed bitmap.
    // The block stays the caller's and, after IDOK, holds the previewed page.
    // Returns IDOK or IDCANCEL; *out is filled on IDOK only.
    virtual int RunModal(CPageImage* page, HGLOBAL hWork, HWND parent, ManualDeskewAnswer* out) = 0;
};

namespace manual_deskew_detail {
inline CManualDeskewDialog*& Installed() {
    static CManualDeskewDialog* installed = nullptr;
    return installed;
}
}  // namespace manual_deskew_detail

// Installs the dialog (not owned; nullptr removes it).
inline void SetManualDeskewDialog(CManualDeskewDialog* dialog) { manual_deskew_detail::Installed() = dialog; }
// The installed dialog, or nullptr.
inline CManualDeskewDialog* ManualDeskewDialog() { return manual_deskew_detail::Installed(); }
