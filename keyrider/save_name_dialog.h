// The save-file dialog that names an e-mail, FTP or capture file when the
// button says "Prompt for Filename": it starts in the output folder (or at
// the name it was given), proposes the format's extension and filter, hides
// the read-only box, asks before replacing a file and wants an existing folder.
#pragma once

#include <string>

class CWnd;

namespace keyrider {

// "Description (*.ext)|*.ext||" of the dialog for an extension; "" for none.
std::string SaveDialogFilter(const std::string& extension);

// True with the chosen path in `path` (as typed: the caller appends the
// extension when none was given); false on Cancel.
bool AskSaveName(std::string& path, const std::string& extension, CWnd* owner);

}  // namespace keyrider
