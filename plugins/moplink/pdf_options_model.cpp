#include "plugins/moplink/pdf_options_model.h"

#include <algorithm>

#include "platform/afx/ui/winuser.h"
#include "plugins/moplink/ocrexport_interface.h"

namespace moplink {

void PdfOptionsModel::Open(const ExportSettings& s, UINT formatCode) {
    format_ = formatCode;
    includeGraphics = s.includeGraphics;
    bookmarks = s.createBookmarks;
    keepTextColors = s.keepTextColors;
    bwGraphics = s.bwGraphics;
    keepOriginal = s.keepOriginalResolution;
    dpi = static_cast<int>(s.maxDpi);
    quality = std::clamp(static_cast<int>(s.imageQuality), kMinQuality, kMaxQuality);
}

bool PdfOptionsModel::Enabled(UINT control) const {
    bool image = format_ == kFormatPdfImage;
    bool mixed = format_ == kFormatPdfImageText || format_ == kFormatPdfTextImage;
    switch (control) {
    case kKeepTextColors:
    case kBookmarks: return !image;
    case kIncludeGraphics: return !image && !mixed;
    case kBwGraphics:
    case kOriginalResolution:
    case kLimitResolution: return includeGraphics;
    case kDpiEdit: return includeGraphics && !keepOriginal;
    case kQualityBar: return includeGraphics && !bwGraphics;
    default: return true;
    }
}

void PdfOptionsModel::Scroll(UINT code, int position) {
    switch (code) {
    case SB_LINELEFT:
    case SB_PAGELEFT: --quality; break;
    case SB_LINERIGHT:
    case SB_PAGERIGHT: ++quality; break;
    case SB_LEFT: quality = kMinQuality; break;
    case SB_RIGHT: quality = kMaxQuality; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: quality = position; break;
    default: return;
    }
    quality = std::clamp(quality, kMinQuality, kMaxQuality);
}

void PdfOptionsModel::Store(ExportSettings* s) const {
    s->includeGraphics = includeGraphics;
    s->createBookmarks = bookmarks;
    s->keepTextColors = keepTextColors;
    s->bwGraphics = bwGraphics;
    s->keepOriginalResolution = keepOriginal;
    s->maxDpi = static_cast<DWORD>(std::clamp(dpi, kMinDpi, kMaxDpi));
    s->imageQuality = static_cast<DWORD>(quality);
}

}  // namespace moplink
