// The export formats of the DDE export plug-in.
#pragma once

#include <vector>

#include "platform/win/types.h"

namespace moplink {

struct ExportFormat {
    UINT code;             // a single bit
    UINT nameId;           // its display name in the string table
    const char* subKey;    // its settings sub-key
    const char* command;   // the format command
    const char* extension;
    bool version10Only;
    bool pdf;
};

const std::vector<ExportFormat>& AllFormats();
// Null for a code that is not one format.
const ExportFormat* FindFormat(UINT code);
// The formats a version offers, in bit order.
DWORD FormatsOffered(bool version10);

// String ids of the texts the plug-in shows.
enum StringId : UINT {
    kIdsName = 1,
    kIdsOcrOptions = 9,
    kIdsTooManyLanguages = 10,
    kIdsExtensionHtml = 11,
    kIdsExtensionPdf = 14,
    kIdsFilterHtml = 15,
    kIdsFilterPdf = 18,
    kIdsExample = 19,
    kIdsSelectFolder = 20,
    kIdsDetectOrientation = 21,
    kIdsOn = 22,
    kIdsOff = 23,
    kIdsDeskew = 24,
    kIdsPrimaryLanguage = 25,
    kIdsSecondaryLanguages = 26,
    kIdsOutputOptions = 27,
    kIdsPdfOptions = 28,
    kIdsKeepTextColors = 29,
    kIdsBookmarks = 30,
    kIdsIncludeGraphics = 31,
    kIdsBwGraphics = 32,
    kIdsOriginalResolution = 33,
    kIdsMaxResolution = 34,
    kIdsImageQuality = 35,
    kIdsNumberOverflow = 36,
    kIdsExportFinished = 37,
    kIdsNameTooLong = 38,
    kIdsNoOutputPath = 39,
    kIdsUnsafePath = 40,
    kIdsOutputMissing = 41,
    kIdsNotReached = 42,
};

}  // namespace moplink
