// The layout analysis library's entries: areas of a page (page_layout.h) as
// the linked list callers receive, and the slant of a page.

#include "outside/include/plenmar.h"

#include <algorithm>
#include <cmath>
#include <leptonica/allheaders.h>
#include <vector>

#include "outside/ocrkit/chain.h"
#include "outside/ocrkit/plane.h"
#include "outside/ocrkit/tess.h"
#include "outside/plenmar/page_layout.h"
#include "outside/plenmar/recogniser_layout.h"

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
    // Apart from pages of vertical text and handwriting, the areas come from
    // the recogniser's page analysis, with the tables found here.
    if (typeIndex != PLENMAR_PAGE_HANDWRITING && !plenmar::ownLayoutFits(layout))
        if (ocrkit::LayoutFinder* finder = ocrkit::LayoutFinder::forThread()) {
            Pix* pix = ocrkit::toPix(view, 0);
            std::vector<ocrkit::LayoutBlock> blocks;
            try {
                if (pix && finder->analyse(pix, region, blocks))
                    layout.areas = plenmar::joinRecogniserLayout(blocks, layout, view);
            } catch (const std::bad_alloc&) {
                pixDestroy(&pix);
                return nullptr;
            }
            pixDestroy(&pix);
        }
    if (layout.areas.empty()) return nullptr;
    // White around each area helps the recognisers: a quarter of a
    // character, or half a character above and below a line standing alone
    // (a heading with white above and below), which the recogniser reads
    // better with that room.
    const int margin = std::max(layout.charSize / 4, 2);
    CArea* head = nullptr;
    CArea** tail = &head;
    for (const plenmar::Area& l : layout.areas) {
        if (!l.box.intersects(region)) continue;
        bool lone = l.box.height() * 2 <= layout.charSize * 5;
        for (const plenmar::Area& o : layout.areas)
            if (&o != &l && o.box.left <= l.box.right && o.box.right >= l.box.left &&
                o.box.top <= l.box.bottom + layout.charSize && o.box.bottom >= l.box.top - layout.charSize)
                lone = false;
        const int marginY = lone ? std::max(layout.charSize / 2, 2) : margin;
        Rect grown{l.box.left - margin, l.box.top - marginY, l.box.right + margin, l.box.bottom + marginY};
        CArea* a = ocrkit::appendNew(tail);
        if (!a) {
            ocrkit::freeChain(head);
            return nullptr;
        }
        a->left = std::max(grown.left, region.left);
        a->top = std::max(grown.top, region.top);
        a->right = std::min(grown.right, region.right);
        a->bottom = std::min(grown.bottom, region.bottom);
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
