// The recipes by which the plug-ins hand the host's files to the application.
#pragma once

#include <string>
#include <vector>

#include "plugins/recipe/recipe_variant.h"

namespace recipe {

// Paths holding a line break or a double quote cannot be written into a list
// or an ini safely: the recipes leave them out (and hand nothing over when
// none is left).
//
// A list file in the temporary folder, one path a line, then the program
// with the switch and the list. The name is the time stamp; a name already
// taken gets "_1", "_2", ... so no list the application has not read yet is
// overwritten. 1 when started; 0 when no list could be made or the program
// did not start (its list is then removed).
int RunListFile(const Variant& variant, const std::string& exePath, const std::vector<std::string>& files,
                bool duplex);

// One "[EXPORT](path)" per file to the card application, started (once a
// run, waited for up to plugins::DdeStartWaitMs) when it does not answer. A
// path that cannot be sent in a bracket command, or whose
// connection fails, is skipped. 1 when at least one file was handed over.
int RunDdeExport(const std::string& exePath, const std::vector<std::string>& files);

// A fresh ini in the user's own folder, the program started with it, then a
// wait (bounded by `waitMs`, the host's messages pumped meanwhile) until the
// application has deleted it. 1 when it took the files; 0 when it did not
// start (the ini is then removed) or the wait ran out (the ini stays for an
// application that starts slowly).
int RunIniHandOff(const std::string& exePath, const std::vector<std::string>& files, bool duplex, DWORD waitMs);

// The bound of the hand-off's wait: $SUITE_HANDOFF_WAIT_MS when set, else two minutes.
DWORD HandOffWaitMs();

}  // namespace recipe
