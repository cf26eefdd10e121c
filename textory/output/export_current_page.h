// "Output to file" in Textory: the open page exported to the chosen file in
// the format its extension names. An extension that names no format is
// refused with a message instead of reaching the export library; PDF and RTF
// output that cannot be written under its name moves on to a numbered name
// (rep_0000.rtf ...); every file is written whole or not at all.
#pragma once

#include <string>

#include "platform/win/types.h"

class COcrPage;

namespace textory {

struct ExportOutcome {
    bool written = false;
    std::string path;     // the file written (a numbered name, perhaps)
    std::string message;  // what the user is told on failure ("" for none)
};

ExportOutcome ExportCurrentPage(COcrPage& page, const std::string& path, WORD systemLanguage);

}  // namespace textory
