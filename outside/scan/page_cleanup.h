// What the scan library does to each page after the device sent it, as the
// job's scan settings ask: crop to the paper, fill the dark edges and the
// punch holes, drop blank pages, straighten tilted pages, turn the page by
// quarter turns, and make black-and-white pages of grey ones.
#pragma once

#include "outside/include/image_library.h"
#include "outside/include/keyrider_scan.h"

namespace scan {

enum class PageFate { Keep, Blank, Failed };

// What punch holes are filled with: the paper around each hole, or a colour
// chosen for each scan mode (0x00BBGGRR; black and white: nonzero is white).
struct HoleFill {
    bool custom = false;
    DWORD color = 0xFFFFFF, gray = 0xFFFFFF, bw = 0xFFFFFF;
};

// The margins the Global Settings fill on every page, in inches or in
// centimetres, with a colour for each scan mode (0x00BBGGRR; black and
// white: nonzero is white).
struct EdgeMargins {
    bool enable = false;
    bool centimetres = false;
    double top = 0, left = 0, right = 0, bottom = 0;
    DWORD color = 0xFFFFFF, gray = 0xFFFFFF, bw = 0xFFFFFF;
};

// What the program-wide settings add to a job's own.
struct PageFills {
    HoleFill holes;
    EdgeMargins margins;
};

// Whether any step would change a page of `bitsPerPixel` under `settings`.
bool CleanupWanted(const SCAN_SETTINGS& settings, int bitsPerPixel, const PageFills& fills = {});

// Works on `page` (1, 8 or 24 bits, rows top-down padded to 4 bytes, header
// with new, bits with malloc) in place: on Keep the page may hold a new header
// and new bits (the old ones freed); on Blank and Failed it is unchanged.
// `rear` picks the rear side's rotation.
PageFate CleanPage(IL_IMAGE& page, const SCAN_SETTINGS& settings, bool rear, const PageFills& fills = {});

}  // namespace scan
