// Arbitrary planes and pictures through the entries that measure and cut
// pages: layout analysis (the recogniser's page analysis joined with the one
// here, and the joining alone with blocks taken from the input), slant,
// table grids, rows and boxes, and the export library's reading of pictures. None may crash or read outside its input.
// Inputs whose first byte has its top bit set draw a page of a few hundred
// pixels instead: runs of character-sized blocks (text lines), blocks of such
// lines (columns and paragraphs), ruling lines and frames and solid blobs,
// tilted by a small slope, so that the layout's cuts, the recogniser's page
// analysis joined with them, its slant measurement and the table finder all
// see page-like input.
// The Chinese engine's turning of recognised lines into its records (cutting
// them into character cells, matching the cells' shapes for candidates,
// converting to the code page) runs on the same plane with lines, boxes and
// readings taken from the input, as the recogniser could report them, or on
// a copy of a vertical block sheared upright (its strokes thickened), whose
// boxes are then taken back onto the plane.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

#include "fuzz/common/scratch_folder.h"
#include "outside/include/fremlin.h"
#include "outside/include/glenrith.h"
#include "outside/include/ostrel.h"
#include "outside/include/plenmar.h"
#include "outside/ocrkit/glyph_shapes.h"
#include "outside/plenmar/recogniser_layout.h"
#include "outside/tresk/block_result.h"
#include "outside/tresk/sheared_block.h"
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
        const int what = data[i] % 6, x = data[i + 1] * w / 256, y = data[i + 2] * h / 256;
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
        case 4: fill(x, y, s * 3, len / 2 + 1); break;  // a blob
        default:  // a block of lines as wide as len, as many as s says
            for (int ly = y, n = 0; n < 2 + s % 9; ++n, ly += s / 3 + s + 1)
                for (int cx = x; cx < x + len - (n == 1 + s % 9 ? len / 3 : 0); cx += s / 2 + s + 1) fill(cx, ly, s, s / 2 + s % 3 + 1);
            break;
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

// Blocks the recogniser's page analysis could report for the plane (any
// kind, lines inside them or reaching out of them, overlapping each other),
// joined with the analysis here: no line of text may be lost unless a ruled
// table or a column of vertical text takes it or the analysis here is taken
// instead, and no area may be empty. Records of six bytes: kind, x, y, width, height, lines.
void recogniserBlocks(const std::uint8_t* data, std::size_t size, const std::vector<std::uint8_t>& plane, int w, int h) {
    const ocrkit::PlaneView view(plane.data(), w, h);
    const plenmar::PageLayout own = plenmar::analysePage(view, ocrkit::Box{0, 0, w - 1, h - 1}, plenmar::LayoutOptions{});
    std::vector<ocrkit::LayoutBlock> blocks;
    for (std::size_t i = 4; i + 6 <= size && blocks.size() < 24; i += 6) {
        ocrkit::LayoutBlock b;
        b.kind = static_cast<ocrkit::BlockKind>(data[i] % 9);
        const int x = data[i + 1] * w / 256, y = data[i + 2] * h / 256;
        b.box = ocrkit::Box{x, y, std::min(w - 1, x + data[i + 3] * w / 256), std::min(h - 1, y + data[i + 4] * h / 256)};
        const int lines = data[i + 5] % 8, step = std::max(1, b.box.height() / std::max(lines, 1));
        for (int k = 0; k < lines; ++k)
            b.lines.push_back({b.box.left + (data[i + 5] & 0x40 ? -k : k), b.box.top + k * step, b.box.right, b.box.top + k * step + step / 2});
        blocks.push_back(std::move(b));
    }
    const std::vector<plenmar::Area> areas = plenmar::joinRecogniserLayout(blocks, own, view);
    for (const plenmar::Area& a : areas)
        if (a.box.empty()) __builtin_trap();
    // Blocks that cut lines apart give way to the analysis here as a whole.
    auto same = [](const plenmar::Area& a, const plenmar::Area& b) {
        return a.kind == b.kind && a.box.left == b.box.left && a.box.top == b.box.top && a.box.right == b.box.right &&
               a.box.bottom == b.box.bottom;
    };
    if (std::equal(areas.begin(), areas.end(), own.areas.begin(), own.areas.end(), same)) return;
    // Lines whose middle lies in a table found here are read with it, and
    // lines that meet a column of vertical text found here in part.
    auto readWithOwn = [&](const ocrkit::Box& l) {
        const int cx = l.left + (l.right - l.left) / 2, cy = l.top + (l.bottom - l.top) / 2;
        for (const plenmar::Area& a : own.areas) {
            if (a.kind == plenmar::AreaKind::Vertical && a.box.intersects(l)) return true;
            if (a.kind == plenmar::AreaKind::Table && cx >= a.box.left && cx <= a.box.right && cy >= a.box.top &&
                cy <= a.box.bottom)
                return true;
        }
        return false;
    };
    // On a page with a picture, lines over a halftone's dots are rows of it
    // (so is all ink of a page drawn at random, row after row), and specks
    // smaller than a character in it are no text: either is part of the
    // picture. A line run across the columns found here is read in parts,
    // from its start to its end.
    bool picture = false;
    int tallest = 0;
    for (const ocrkit::LayoutBlock& b : blocks) {
        picture = picture || b.kind == ocrkit::BlockKind::Picture;
        for (const ocrkit::Box& l : b.lines) tallest = std::max(tallest, l.height());
    }
    for (const plenmar::Area& a : own.areas) picture = picture || a.kind == plenmar::AreaKind::Picture;
    auto holds = [&](int x, int y) {
        for (const plenmar::Area& a : areas)
            if (x >= a.box.left && x <= a.box.right && y >= a.box.top && y <= a.box.bottom) return true;
        return false;
    };
    for (const ocrkit::LayoutBlock& b : blocks) {
        if (b.kind == ocrkit::BlockKind::Picture || b.kind == ocrkit::BlockKind::Rule || b.kind == ocrkit::BlockKind::Noise) continue;
        for (const ocrkit::Box& l : b.lines.empty() ? std::vector<ocrkit::Box>{b.box} : b.lines) {
            if (l.empty() || readWithOwn(l)) continue;
            if (picture && (plenmar::halftoneRow(view, l, tallest) || l.height() * 2 < tallest)) continue;
            bool kept = false;
            for (const plenmar::Area& a : areas) kept = kept || a.box.contains(l);
            const int cy = l.top + (l.bottom - l.top) / 2;
            if (!kept && !(holds(l.left, cy) && holds(l.right, cy))) __builtin_trap();
        }
    }
}

// Each text line the Chinese engine hands out is handed in pieces of at most
// this many bytes, then its end.
void checkPiece(const char* piece) {
    if (!piece || std::strlen(piece) > 240) __builtin_trap();
}

// What the recogniser could report for a block of this plane, turned into the
// Chinese engine's records as it turns the recogniser's lines: boxes of
// characters (some missing, as in columns of vertical text, some off the
// plane), readings among ideographs the shapes know, ASCII punctuation next
// to them, letters, ligatures and characters no code page holds, sure and
// doubtful confidences. Records of five bytes: what (reading, new word, new
// line, no box), x, y, size, confidence (top bit: more choices).
void recognisedBlock(const std::uint8_t* data, std::size_t size, const std::vector<std::uint8_t>& plane, int w, int h) {
    static const std::vector<std::string> readings = [] {
        auto ideographs = ocrkit::ideographsOf(936);
        ideographs.resize(std::min<std::size_t>(ideographs.size(), 6));
        for (const char* other : {",", "A", "\xC3\xA9", "ab", "\xF0\xA0\x80\x80", "\xE3\x80\x82"}) ideographs.push_back(other);
        return ideographs;
    }();
    ocrkit::PlaneView view(plane.data(), w, h);
    std::vector<ocrkit::Line> lines;
    std::size_t symbols = 0;
    for (std::size_t i = 4; i + 5 <= size && symbols < 96; i += 5, ++symbols) {
        const std::uint8_t what = data[i];
        if (lines.empty() || (what & 0x20)) lines.emplace_back();
        ocrkit::Line& line = lines.back();
        if (line.words.empty() || (what & 0x10)) line.words.push_back({line.words.empty() ? 0 : 1 + what % 3, {}});
        ocrkit::Symbol s;
        s.utf8 = readings[what % readings.size()];
        if (!(what & 0x40)) {
            int x = data[i + 1] * (w + 40) / 256 - 20, y = data[i + 2] * (h + 40) / 256 - 20;
            int side = data[i + 3] % 90 - 6;  // some empty
            s.box = ocrkit::Box{x, y, x + side, y + side - (data[i + 3] & 7)};
        }
        s.confidence = data[i + 4] & 0x80 ? static_cast<float>(data[i + 4] & 0x7F) : 99.0f + (data[i + 4] & 1);
        s.choices.push_back({s.utf8, s.confidence});
        if (data[i + 4] & 0x40)
            for (int k = 1; k <= 2; ++k) s.choices.push_back({readings[(what + k) % readings.size()], s.confidence / (k + 1)});
        line.box.add(s.box);
        line.words.back().symbols.push_back(std::move(s));
    }
    // Lines the recogniser gives no box for share nothing.
    if (data[3] & 16)
        for (ocrkit::Line& l : lines) l.box = ocrkit::Box{};
    const bool vertical = (data[3] & 4) != 0;
    // A block may be read on a copy, its boxes then taken back: a vertical
    // one sheared by the slant its columns show (or one taken from the
    // input), a horizontal one only thickened.
    std::optional<tresk::ShearedBlock> sheared;
    if (data[3] & 32) {
        const ocrkit::Box block{data[1] % 16 - 8, data[2] % 16 - 8, w - 1 - data[1] % 8, h + 4 - data[2] % 8};
        double slant = 0.0;
        if (vertical) {
            slant = tresk::columnSlant(view, block);
            if (slant == 0.0) slant = static_cast<std::int8_t>(data[2]) / 16.0;
        }
        // Thin strokes are thickened on the copy; the measure sees any box.
        const bool thin = tresk::thinStrokes(view, block);
        sheared.emplace(view, block, slant, thin || (data[3] & 64));
        const ocrkit::PlaneView& copy = sheared->view();
        if (copy.bits && !(ocrkit::Box{0, 0, copy.width - 1, copy.height - 1}.contains(sheared->inside()))) __builtin_trap();
    }
    const ocrkit::PlaneView* readOn = sheared && sheared->view().bits ? &sheared->view() : &view;
    tresk::Output out{data[3] & 8 ? 950 : 936, &checkPiece, readOn, &someShapes()};
    _regioninfo* region = new _regioninfo{};
    const bool built = tresk::buildBlock(lines, vertical, out, region);
    if (readOn != &view) sheared->toPage(*region);
    int count = 0;
    for (_lineinfo* l = region->pLines; l; l = l->next, ++count) {
        int chars = 0;
        for (_charinfo* c = l->pChars; c; c = c->next, ++chars) {
            if (c->nCands < 1 || c->nCands > TRESK_MAX_CANDIDATES || c->nDist < 0 || c->nDist > 255) __builtin_trap();
            // Boxes taken back from the copy lie on the page.
            if (readOn != &view && (c->left < 0 || c->top < 0 || c->right >= w || c->bottom >= h || c->right < c->left))
                __builtin_trap();
        }
        if (chars != l->nChars) __builtin_trap();
    }
    if (!built || count != region->nLines) __builtin_trap();
    tresk::freeResult(region);
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

    recognisedBlock(data, size, plane, w, h);
    recogniserBlocks(data, size, plane, w, h);

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
