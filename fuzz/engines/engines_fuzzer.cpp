// Arbitrary planes and pictures through the entries that measure and cut
// pages: layout analysis, slant, table grids, rows and boxes, and the export
// library's reading of pictures. None may crash or read outside its input.

#include <cstdint>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "fuzz/common/scratch_folder.h"
#include "outside/include/fremlin.h"
#include "outside/include/glenrith.h"
#include "outside/include/ostrel.h"
#include "outside/include/plenmar.h"
#include "platform/win/memory.h"

extern "C" TableGrid* FremlinExtract(unsigned char*, int, int, int, TableGrid**) __asm__(OUTSIDE_ORDINAL_SYMBOL(3));
extern "C" void FremlinFree(TableGrid**) __asm__(OUTSIDE_ORDINAL_SYMBOL(5));

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    int w = 1 + (data[0] | (data[1] & 1) << 8);  // up to 512 pixels
    int h = 1 + (data[2] | (data[3] & 1) << 8);
    std::size_t stride = (w + 7) / 8;
    std::vector<std::uint8_t> plane(stride * h, 0);
    std::memcpy(plane.data(), data + 4, std::min(plane.size(), size - 4));

    CArea* areas = seg(plane.data(), w, h, 300, data[1] % 6, RECT{0, 0, w - 1, h - 1});
    for (CArea* a = areas; a; a = a->next)
        if (a->left < 0 || a->top < 0 || a->right >= w || a->bottom >= h) __builtin_trap();
    DelLink(areas);
    int dx = 0, dy = 0;
    skew(plane.data(), nullptr, w, h, 300, dx, dy);

    std::vector<std::uint8_t> table = plane;
    TableGrid* grid = nullptr;
    FremlinExtract(table.data(), w, h, 0, &grid);
    FremlinFree(&grid);

    RowNode* rows = RowSegment(plane.data(), SIZE{w, h}, RECT{0, 0, w - 1, h - 1}, data[3] & 2 ? 0 : 1);
    if (InitWordDivider(plane.data(), SIZE{w, h}, 0, (data[3] & 2 ? h : w) - 1, data[3] & 2 ? 0 : 1)) {
        for (RowNode* r = rows; r; r = r->next) {
            WordNodeList row{};
            WordSegment(r->nStart, r->nEnd, -1, 100000, data[2] & 1, &row);
            GlobalFree(row.hGroups);
            GlobalFree(row.hBoxes);
        }
    }
    DelRowNode(rows);
    ExitWordDivider();

    // The same bytes as a packed bitmap handed to the export library.
    // Room for the largest header, a full palette and rows of 32 bits: what
    // a bitmap of the record's size can need.
    std::vector<std::uint8_t> dib(data + 4, data + size);
    dib.resize(124 + 1024 + static_cast<std::size_t>(w) * 4 * h, 0);
    SPagePicture picture{0, 0, SPAGE_PICTURE_DIB, w, h, dib.data()};
    std::vector<std::uint8_t> blocks(SPageBlockArrayBytes(1), 0);
    auto* list = reinterpret_cast<SPageBlockArray*>(blocks.data());
    list->nCount = 1;
    list->aEntries[0] = {SPAGE_BLOCK_PICTURE, &picture};
    SPage page{2480, 3508, 300, 1, list, nullptr};
    static const std::string path = fuzzing::ScratchFolder() + "/page.htm";
    std::string target = path;
    ExportToFile(&page, target.data(), OSTREL_FORMAT_HTML);
    unlink(path.c_str());
    return 0;
}
