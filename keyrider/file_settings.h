// The output file settings of a scan button: the format list of the
// application key's "File Format", the chosen format and its save options.
#pragma once

#include <string>

#include "keyrider/job_profile.h"
#include "platform/win/registry.h"

namespace keyrider {

// What a format code makes of the pages.
struct FormatTraits {
    std::string extension;  // "" for code 10 and unknown codes
    int imageFormat = -1;   // IL_FORMAT_*; -1 when the pages are not saved as images
    bool multiPage = false; // 11, 12: every page of a run in one TIFF file
    bool pdf = false;       // 6, 7, 8, 9, 13: the pages are joined into PDF files
    bool tiffQuality = false;
};
FormatTraits TraitsOfFormat(int code);

struct FileSettings {
    bool ready = false;  // the format list was complete and the position in it
    int formatCode = 0;
    FormatTraits traits;
    int jpegQuality = 75;
    int tiffQuality = 75;
    bool pdfSingleFile = false;
    int pagesPerPdf = 1;  // at least 1
    // The quality handed to the image library for the format.
    int Quality() const { return traits.tiffQuality ? tiffQuality : jpegQuality; }
};

// The number before the first comma of a format list entry; 0 when there is none.
int FormatCodeOfEntry(const std::string& entry);

// Reads the format list from `formatKey` (values "1" to "9", each a code, a
// comma and a description) and the mode section's choices. Not ready when an
// entry is missing or empty, or "Format" is no position of the list.
FileSettings ReadFileSettings(HKEY formatKey, const JobProfile& profile, const std::string& modeSection);

}  // namespace keyrider
