// Arbitrary planes and pictures through the entries that measure and cut
// pages: layout analysis, slant, table grids, rows and boxes, and the export
// library's reading of pictures. None may crash or read outside its input.
// Inputs whose first byte has its top bit set draw a page of a few hundred
// pixels instead: runs of character-sized blocks (text lines), ruling lines
// and frames and solid blobs, tilted by a small slope, so that the layout's
// cuts, its slant measurement and the table finder all see page-like input.
// The Chinese engine's cutting of a line into character cells and the shape
// matching behind its candidates run on the same plane with boxes taken from
// the input, as a recogniser could report them.

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
#include "outside/ocrkit/glyph_shapes.h"
#include "outside/tresk/character_cells.h"
#include "platform/win/memory.h"

extern "C" TableGrid* FremlinExtract(unsigned char*, int, int, int, TableGrid**) __asm__(OUTSIDE_ORDINAL_SYMBOL(3));
extern "C" void FremlinFree(TableGrid**) __asm__(OUTSIDE_ORDINAL_SYMBOL(5));

namespace {

// Draws the page the input describes: after three header bytes (width,
// height, slope), records of five bytes: what, x, y, length, size.
std::vector<std::uint8_t> drawPage(const std::uint8_t* data, std::size_t size, int& w, int& h) {
    w = 160 + data[1] * 3;  // up to 925 pixels
    h = 160 + data[2] * 3;
    const int slope = static_cast<std::int8_t>(data[0] << 1) / 8;  // -16..15 pixels over the width
    std::size_t stride = (w + 7) / 8;
    std::vector<std::uint8_t> plane(stride * h, 0);
    auto set = [&](int x, int y) {
        y += slope * x / w;
        if (x >= 0 && y >= 0 && x < w && y < h) plane[y * stride + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    };
    auto fill = [&](int x0, int y0, int bw, int bh) {
        for (int y = y0; y < y0 + bh; ++y)
            for (int x = x0; x < x0 + bw; ++x) set(x, y);
    };
    for (std::size_t i = 3; i + 5 <= size; i += 5) {
        const int what = data[i] % 5, x = data[i + 1] * w / 256, y = data[i + 2] * h / 256;
        const int len = 1 + data[i + 3] * 3, s = 2 + data[i + 4] % 40;
        switch (what) {
        case 0:  // a text line: characters of size s
            for (int cx = x; cx < x + len; cx += s + s / 5 + 1) fill(cx, y, s, s);
            break;
        case 1: fill(x, y, len, 1 + s % 4); break;  // a horizontal rule
        case 2: fill(x, y, 1 + s % 4, len); break;  // a vertical rule
        case 3:  // a ruled frame of cells
            for (int k = 0; k <= 1 + s % 5; ++k) {
                fill(x, y + k * len / (2 + s % 5), len, 2);
                fill(x + k * len / (2 + s % 5), y, 2, len);
            }
            break;
        default: fill(x, y, s * 3, len / 2 + 1); break;  // a blob
        }
    }
    return plane;
}

// A few ideographs' shapes, drawn once: enough to exercise the matching.
// The face is named by its file (the package in the engines' list puts it
// there): looking it up through fontconfig leaves allocations the leak
// checker reports at exit.
const ocrkit::GlyphShapes& someShapes() {
    static const ocrkit::GlyphShapes shapes([] {
        auto all = ocrkit::ideographsOf(936);
        all.resize(std::min<std::size_t>(all.size(), 40));
        return all;
    }(), {{"/usr/share/fonts/truetype/wqy/wqy-microhei.ttc", 0}}, 32);
    return shapes;
}

// Boxes from the input (four bytes each: x, y, width, height, some of them
// reaching past the plane), cut into cells and matched against the shapes.
void cellsAndShapes(const std::uint8_t* data, std::size_t size, const std::vector<std::uint8_t>& plane, int w, int h) {
    ocrkit::PlaneView view(plane.data(), w, h);
    std::vector<tresk::CellInput> chars;
    for (std::size_t i = 4; i + 4 <= size && chars.size() < 64; i += 4) {
        int x = data[i] * (w + 40) / 256 - 20, y = data[i + 1] * (h + 40) / 256 - 20;
        int bw = data[i + 2] % 80 - 8, bh = data[i + 3] % 80 - 8;  // some empty
        chars.push_back({ocrkit::Box{x, y, x + bw, y + bh}, (data[i + 2] & 0x80) != 0});
    }
    const bool vertical = (data[3] & 4) != 0;
    auto cells = tresk::characterCells(view, chars, vertical);
    if (cells.size() != chars.size()) __builtin_trap();
    for (std::size_t i = 0; i < cells.size() && i < 6; ++i)
        if (someShapes().nearest(view, cells[i], 10).size() > 10) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    int w = 0, h = 0;
    std::vector<std::uint8_t> plane;
    if (data[0] & 0x80) {
        plane = drawPage(data, size, w, h);
    } else {
        w = 1 + (data[0] | (data[1] & 1) << 8);  // up to 512 pixels
        h = 1 + (data[2] | (data[3] & 1) << 8);
        plane.assign(static_cast<std::size_t>((w + 7) / 8) * h, 0);
        std::memcpy(plane.data(), data + 4, std::min(plane.size(), size - 4));
    }

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

    cellsAndShapes(data, size, plane, w, h);

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
