// One export run: the conversation with the OCR application and the script
// per output file.
#pragma once

#include <string>
#include <vector>

#include "plugins/moplink/export_formats.h"
#include "plugins/moplink/export_settings.h"

namespace moplink {

class MoplinkApp;

// Runs the export of `files` in `format` with `settings`. Refuses, with a
// message, an empty output path, automatic names too long for a path and
// paths that cannot be sent; says when the OCR application could not be
// reached; says "Export finished!" only when every script was taken and every
// output file was written by this run (after a bounded wait: a file left by
// an earlier run does not count), else names the missing ones.
void RunExport(MoplinkApp& app, const ExportFormat& format, const ExportSettings& settings,
               const std::vector<std::string>& files);

// How long the run waits for the output files after the last script.
DWORD OutputWaitMs();

}  // namespace moplink
