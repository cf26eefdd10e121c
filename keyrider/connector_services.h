// The program's own processes, windows and DDE for the OCR and card
// hand-offs: every wait bounded, messages dispatched while waiting.
#pragma once

#include "keyrider/ocr_connectors.h"

namespace keyrider {

ConnectorServices MakeConnectorServices();

// The one way the program starts another: the command line's process
// handle, or null when it did not start.
HANDLE StartCommandLine(const std::string& line);
// Starts `program` with `parameters` shown normally and waits, at most 15
// seconds, until it is ready for its user; the shell's "open" when it cannot
// be created.
bool StartProgram(const std::string& program, const std::string& parameters);

}  // namespace keyrider
