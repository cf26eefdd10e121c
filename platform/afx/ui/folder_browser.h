// The folder browser of SHBrowseForFolder when the caller gives a callback:
// a dialog of its own (prompt, status line, the folders of the current
// folder, OK, Cancel) that tells the callback of its start and of each
// selection and takes the callback's messages (status text, OK enabled,
// selection). Without a callback the plain desktop folder dialog serves.
#pragma once

#include <string>

#include "platform/afx/afxwin.h"

namespace afx_detail {

// Runs the dialog; the chosen folder (Windows form) or "" when cancelled.
std::string RunFolderBrowser(BROWSEINFO& info);

}  // namespace afx_detail
