#include "plugins/moplink/wizard_summary.h"

#include "plugins/moplink/export_formats.h"

namespace moplink {

namespace {
std::string Line(const TextOfId& text, UINT label, const std::string& value) { return text(label) + " " + value; }
std::string OnOff(const TextOfId& text, DWORD value) { return text(value > 0 ? kIdsOn : kIdsOff); }
}  // namespace

std::vector<std::string> OcrSummary(const ExportSettings& s, const TextOfId& text) {
    std::vector<std::string> lines = {Line(text, kIdsDetectOrientation, OnOff(text, s.detectOrientation)),
                                      Line(text, kIdsDeskew, OnOff(text, s.deskew)),
                                      Line(text, kIdsPrimaryLanguage, s.primaryName)};
    if (s.primaryLanguage != 0 && !s.secondaryNames.empty()) {
        std::string names;
        for (const std::string& name : s.secondaryNames) names += (names.empty() ? "" : ",") + name;
        lines.push_back(Line(text, kIdsSecondaryLanguages, names));
    }
    return lines;
}

std::vector<std::string> PdfSummary(const ExportSettings& s, const TextOfId& text) {
    std::vector<std::string> lines = {Line(text, kIdsKeepTextColors, OnOff(text, s.keepTextColors)),
                                      Line(text, kIdsBookmarks, OnOff(text, s.createBookmarks)),
                                      Line(text, kIdsIncludeGraphics, OnOff(text, s.includeGraphics))};
    if (!s.includeGraphics) return lines;
    lines.push_back(Line(text, kIdsBwGraphics, OnOff(text, s.bwGraphics)));
    lines.push_back(Line(text, kIdsOriginalResolution, OnOff(text, s.keepOriginalResolution)));
    if (!s.keepOriginalResolution) lines.push_back(Line(text, kIdsMaxResolution, std::to_string(s.maxDpi)));
    if (!s.bwGraphics) lines.push_back(Line(text, kIdsImageQuality, std::to_string(s.imageQuality) + "%"));
    return lines;
}

}  // namespace moplink
