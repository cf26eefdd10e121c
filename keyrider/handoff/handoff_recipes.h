// Handing files to an outside application through a list file or an ini file
// it reads: the button manager's OCR and card connectors and the plug-ins of
// the host application share these. Paths that would break the file (a line
// break, a double quote) are never written into it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/win/types.h"

namespace handoff {

// The paths a list line or a quoted ini entry can hold, in order: not empty,
// no line break, no double quote.
std::vector<std::string> ListablePaths(const std::vector<std::string>& files);

// Makes a new list file named `folder` + `stem` + `stamp` + `extension` (a
// name already taken gets "_1", "_2", ... before the extension, so a list
// the application has not read yet is never overwritten) holding one path a
// line, each ended by CR LF. Its path; "" when none could be made or written
// (nothing is left behind then).
std::string WriteListFile(const std::string& folder, const std::string& stem, const std::string& stamp,
                          const std::string& extension, const std::vector<std::string>& paths);

// The command line of a list hand-off: the program quoted, the switch, the
// side word when there is one, and the list quoted.
std::string ListCommandLine(const std::string& program, const std::string& switchText, const char* sideWord,
                            const std::string& list);

// The hand-off ini: the application's name, the count, the side flag and
// one quoted entry a path, then the request to delete the files once taken.
std::string HandOffIniText(const std::vector<std::string>& paths, bool duplex);

enum class IniHandOff {
    Taken,            // the application read and deleted the ini
    NothingListable,  // no path could be written
    NotWritten,       // the ini could not be written
    NotStarted,       // the program did not start (the ini is removed)
    NotTaken,         // the wait ran out (the ini stays for an application that starts slowly)
};

// Writes `ini` whole, starts `program` with "/f=" and the ini through `start`
// (given the command line), then waits, at most `waitMs` and with the
// caller's windows still answering, until the application has deleted it.
IniHandOff HandOffByIni(const std::string& ini, const std::string& program, const std::vector<std::string>& files,
                        bool duplex, DWORD waitMs, const std::function<bool(const std::string&)>& start);

}  // namespace handoff
