// The summary lines the wizard adds to the host's tree for a page just left.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "plugins/moplink/export_settings.h"

namespace moplink {

using TextOfId = std::function<std::string(UINT)>;

// Orientation, deskewing, the primary language and, when the primary is not
// numeric and there are secondaries, the secondary languages.
std::vector<std::string> OcrSummary(const ExportSettings& settings, const TextOfId& text);
// Colours, bookmarks and graphics, then the graphics' settings when included.
std::vector<std::string> PdfSummary(const ExportSettings& settings, const TextOfId& text);

}  // namespace moplink
