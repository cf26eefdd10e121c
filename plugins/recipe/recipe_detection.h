// Finding the outside application through the numbered sub-keys under the
// host's key, and the settings read on a match.
#pragma once

#include <string>
#include <vector>

#include "plugins/recipe/recipe_variant.h"
#include "platform/win/registry.h"

namespace recipe {

struct ImageFormat {
    int fileFormat = 0;
    int imageQuality = 0;
};

// What one detection leaves for the later calls. All zero and empty until
// the first one.
struct Detection {
    std::string exePath;  // shorter than MAX_PATH
    bool found = false;
    int number = 0;       // the matched sub-key's n
    DWORD blankPage = 0;  // "Enable RMBlankPage"
    ImageFormat color, gray, bw;
    std::vector<DWORD> resolutions;  // "Support Resolution", where the variant reads it
};

// Runs the search on `hostKey` and overwrites `state` with what it found
// (path, found flag and n always; the settings only on a match).
void Detect(const Variant& variant, HKEY hostKey, Detection* state);

// The pair for a colour mode (0 BW, 1 Gray, 2 Color); null for another mode.
const ImageFormat* FormatForMode(const Detection& state, int colourMode);

}  // namespace recipe
