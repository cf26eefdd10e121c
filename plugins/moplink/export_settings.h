// The export settings of one format, their defaults, and how each format's
// registry sub-key loads and saves them.
#pragma once

#include <string>
#include <vector>

#include "platform/win/registry.h"
#include "plugins/moplink/export_formats.h"

namespace moplink {

// Field sizes of the record (with the terminating zero).
constexpr std::size_t kPathField = 260;
constexpr std::size_t kPrefixField = 150;
constexpr std::size_t kLanguageNameField = 150;

struct ExportSettings {
    BOOL detectOrientation = 1;
    BOOL deskew = 1;
    DWORD primaryLanguage = 1;  // 0: numeric recognition
    std::vector<DWORD> secondaryLanguages;  // at most 4
    std::string primaryName;                 // filled by the language page, for the summary
    std::vector<std::string> secondaryNames;
    std::string outputPath;
    BOOL keepTextColors = 1;
    BOOL createBookmarks = 1;
    BOOL includeGraphics = 1;
    BOOL bwGraphics = 0;
    BOOL keepOriginalResolution = 1;
    DWORD maxDpi = 300;       // 50-300
    DWORD imageQuality = 8;   // 1-10
    DWORD outputMethod = 0;   // 0 one file for all images, 1 one file per image
    BOOL autoNames = 0;
    std::string folder;       // ends in "\"
    std::string prefix;
    DWORD firstNumber = 1;
    DWORD step = 1;           // 1-10
    DWORD width = 4;          // 2-9

    bool operator==(const ExportSettings&) const = default;
};

// The defaults of a format before loading.
ExportSettings DefaultSettings(const ExportFormat& format);

// Overrides `settings` with the values the format's sub-key of `pluginKey`
// holds (those the format keeps there). Values out of their ranges are
// brought into them; a string longer than its field is ignored.
void LoadSettings(HKEY pluginKey, const ExportFormat& format, ExportSettings* settings);

// Writes the values the format keeps to its sub-key (created when missing).
bool SaveSettings(HKEY pluginKey, const ExportFormat& format, const ExportSettings& settings);

}  // namespace moplink
