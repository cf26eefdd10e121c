// The layout analysis library's entries: areas of a page (page_layout.h) as
// the linked list callers receive, and the slant of a page.

#include "outside/include/plenmar.h"

#include <algorithm>
#include <cmath>
#include <leptonica/allheaders.h>
#include <vector>

#include "outside/ocrkit/chain.h"
#include "outside/ocrkit/plane.h"
#include "outside/plenmar/page_layout.h"

using ocrkit::PlaneView;
using Rect = ocrkit::Box;

namespace {

plenmar::LayoutOptions optionsFor(int typeIndex) {
    plenmar::LayoutOptions o;
    switch (typeIndex) {
    case PLENMAR_PAGE_COLUMNS: o.cutX = 1.0; break;
    case PLENMAR_PAGE_TABLE: o.tableFill = 0.35; break;
    case PLENMAR_PAGE_HANDWRITING: o.cutY = 2.2; o.cutX = 2.5; break;
    default: break;
    }
    return o;
}

LONG kindOf(plenmar::AreaKind k) {
    switch (k) {
    case plenmar::AreaKind::Picture: return PLENMAR_AREA_PICTURE;
    case plenmar::AreaKind::Vertical: return PLENMAR_AREA_VERTICAL;
    case plenmar::AreaKind::Table: return PLENMAR_AREA_TABLE;
    case plenmar::AreaKind::Text: break;
    }
    return PLENMAR_AREA_TEXT;
}

}  // namespace

OUTSIDE_EXPORT CArea* seg(unsigned char* plane, DWORD width, DWORD height, int /*resolution*/, int typeIndex,
                          RECT area) {
    if (!plane || width == 0 || height == 0 || width > 65535 || height > 65535) return nullptr;
    PlaneView view(plane, static_cast<int>(width), static_cast<int>(height));
    Rect region = view.clip(Rect{area.left, area.top, area.right, area.bottom});
    if (region.empty()) return nullptr;
    plenmar::PageLayout layout;
    try {
        layout = plenmar::analysePage(view, region, optionsFor(typeIndex));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    if (layout.areas.empty()) return nullptr;
    // A little white around each area helps the recognisers.
    const int margin = std::max(layout.charSize / 4, 2);
    CArea* head = nullptr;
    CArea** tail = &head;
    for (const plenmar::Area& l : layout.areas) {
        CArea* a = ocrkit::appendNew(tail);
        if (!a) {
            ocrkit::freeChain(head);
            return nullptr;
        }
        a->left = std::max(l.box.left - margin, region.left);
        a->top = std::max(l.box.top - margin, region.top);
        a->right = std::min(l.box.right + margin, region.right);
        a->bottom = std::min(l.box.bottom + margin, region.bottom);
        a->kind = kindOf(l.kind);
    }
    return head;
}

OUTSIDE_EXPORT int skew(unsigned char* plane, void* /*planeHandle*/, DWORD width, DWORD height, int /*resolution*/,
                        int& dx, int& dy) {
    dx = 0;
    dy = 0;
    if (!plane || width == 0 || height == 0 || width > 65535 || height > 65535) return 1;
    PlaneView view(plane, static_cast<int>(width), static_cast<int>(height));
    Pix* pix = ocrkit::toPix(view, 0);
    if (!pix) return 2;
    l_float32 angle = 0, conf = 0;
    l_ok rc = pixFindSkew(pix, &angle, &conf);
    pixDestroy(&pix);
    // Too little text to tell a slant: no measurement.
    if (rc != 0 || conf < 2.0f) return 3;
    dx = 1000;
    dy = static_cast<int>(std::lround(-std::tan(angle * M_PI / 180.0) * 1000.0));
    return 0;
}

OUTSIDE_EXPORT void DelLink(CArea* list) { ocrkit::freeChain(list); }
