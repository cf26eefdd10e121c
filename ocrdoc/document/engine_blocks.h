// The block list handed to a recognition engine: the page's regions in
// reading order, one linked record each.
#pragma once

#include <vector>

#include "ocrdoc/regions/layout_region.h"

// Every top-level region whose flags `takes` accepts and, with tableCells,
// every cell of each other table region, in reading order.
std::vector<CLayoutRegion*> EngineBlockRegions(CPageRegion* page, bool (*takes)(int flags), bool tableCells);

// One record per region, made by `make`, each linked to the next; the
// records stay where they are as long as the vector lives.
template <typename Record, typename Make>
std::vector<Record> LinkedBlocks(const std::vector<CLayoutRegion*>& regions, Make make) {
    std::vector<Record> blocks;
    blocks.reserve(regions.size());
    for (const CLayoutRegion* region : regions) blocks.push_back(make(*region));
    for (std::size_t i = 0; i + 1 < blocks.size(); ++i) blocks[i].next = &blocks[i + 1];
    return blocks;
}
