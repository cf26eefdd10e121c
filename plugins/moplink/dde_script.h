// The bracket-command script that has the OCR application read images and
// write one output file, built from a format's settings.
#pragma once

#include <string>
#include <vector>

#include "plugins/moplink/export_formats.h"
#include "plugins/moplink/export_settings.h"

namespace moplink {

struct ScriptCommand {
    std::string text;
    DWORD timeoutMs = 60000;
    bool operator==(const ScriptCommand&) const = default;
};

constexpr DWORD kOcrTimeoutMs = 900000;

// The whole script for `inputs` written to `outputPath`. `numericId` is the
// language id of numeric recognition, sent when the primary language is
// numeric and no secondary language is set. Empty when a path cannot be sent
// in a bracket command (it holds ")" or ",", or is empty).
std::vector<ScriptCommand> BuildScript(const ExportFormat& format, const ExportSettings& settings,
                                       const std::vector<std::string>& inputs, const std::string& outputPath,
                                       DWORD numericId);

// The automatic output name of file `index`: folder, prefix, the number
// first + step * index zero-padded to the width, ".", the extension.
std::string AutomaticName(const ExportSettings& settings, const char* extension, DWORD index);

// 10 to the power of the width: the first number that no longer fits.
unsigned long long NumberLimit(DWORD width);

}  // namespace moplink
