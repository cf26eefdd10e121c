// The logic of the PDF options page: which controls take input, the quality
// scroll bar, and what the page stores.
#pragma once

#include "plugins/moplink/export_settings.h"

namespace moplink {

// Control ids of the page.
enum PdfOptionsControl : UINT {
    kIncludeGraphics = 1295,
    kBookmarks = 1296,
    kKeepTextColors = 1297,
    kBwGraphics = 1298,
    kOriginalResolution = 1300,
    kLimitResolution = 1301,
    kDpiEdit = 1314,
    kQualityBar = 1243,
    kQualityNumber = 1223,
};

class PdfOptionsModel {
public:
    void Open(const ExportSettings& settings, UINT formatCode);
    bool Enabled(UINT control) const;

    // Scroll-bar codes (SB_LINELEFT ...) with the thumb position.
    void Scroll(UINT code, int position);

    void Store(ExportSettings* settings) const;

    bool includeGraphics = false, bookmarks = false, keepTextColors = false, bwGraphics = false;
    bool keepOriginal = true;
    int dpi = 300;
    int quality = 8;

private:
    UINT format_ = 0;
};

constexpr int kMinDpi = 50, kMaxDpi = 300, kMinQuality = 1, kMaxQuality = 10;

}  // namespace moplink
