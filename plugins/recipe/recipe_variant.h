// Everything in which the four launch-recipe plug-ins differ. One source is
// built four times; a compile definition picks the variant's table.
#pragma once

#include <array>
#include <vector>

#include "platform/win/types.h"

namespace recipe {

enum class Recipe {
    ListFile,   // a list file and a command line
    DdeExport,  // one DDE command per file
    IniHandOff  // an ini file, then a wait for the application to take it
};

enum class FlagRule {
    Or7,             // flags |= 7
    ClearBit0Or6,    // flags = (flags & ~1) | 6
    Or6              // flags |= 6
};

struct Variant {
    const char* name;             // the plug-in's name
    const char* subKeyStem;       // numbered sub-keys: stem + n
    bool extraCheck;              // reads "Extra Checked RegPath"
    bool readsImageSettings;      // "Enable RMBlankPage" and the Color/Gray/BW pairs
    bool resolutionsFromHost;     // "Support Resolution" of the host key
    std::vector<DWORD> resolutions;  // otherwise these
    FlagRule flagRule;
    // Options 1-6; kFromBlankPage takes "Enable RMBlankPage".
    std::array<DWORD, 6> options;
    bool fixedImageFormat;        // always format 2, quality 0
    bool recordWhenNotFound;      // hands out the record even when nothing is found
    Recipe recipe;
    // ListFile: the list name's stem before the time stamp ("" for none) and extension,
    // and the switch (with the duplex and simplex words when they differ).
    const char* listStem;
    const char* listExtension;
    const char* switchText;
    const char* duplexSwitch;   // null: the switch alone
    const char* simplexSwitch;
};

constexpr DWORD kFromBlankPage = 0xFFFFFFFFu;

// The variant this plug-in was built as.
const Variant& ThisVariant();


}  // namespace recipe
