#include "ocrdoc/document/engine_blocks.h"

std::vector<CLayoutRegion*> EngineBlockRegions(CPageRegion* page, bool (*takes)(int flags), bool tableCells) {
    std::vector<CLayoutRegion*> regions;
    if (!page) return regions;
    for (int i = 0; i < page->GetChildCount(); ++i) {
        CLayoutRegion* region = page->GetChild(i);
        if (takes(region->m_nFlags)) {
            regions.push_back(region);
        } else if (tableCells && (region->m_nFlags & kRegionTable)) {
            for (int c = 0; c < region->GetChildCount(); ++c) regions.push_back(region->GetChild(c));
        }
    }
    return regions;
}
