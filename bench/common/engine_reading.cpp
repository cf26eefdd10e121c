#include "bench/common/engine_reading.h"

#include <algorithm>
#include <chrono>

#include "outside/ocrkit/codepage.h"
#include "outside/tests/harness.h"

namespace bench {

using testpages::Plane;

namespace {
int pump() { return 0; }
}  // namespace

EngineLibraries::EngineLibraries() {
    char noFolder[] = "";
    init(noFolder);
}

// Layout analysis, then the blocks the program would hand to the engines:
// text areas as they are, tables cell by cell on the plane with their rules
// erased, pictures left out.
std::vector<Block> layoutBlocks(EngineLibraries& libs, Plane& p, int dpi, double& segSec) {
    auto t0 = std::chrono::steady_clock::now();
    CArea* areas = libs.seg(p.bits.data(), p.width, p.height, dpi, PLENMAR_PAGE_AUTO, RECT{0, 0, p.width - 1, p.height - 1});
    segSec = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::vector<Block> blocks;
    for (CArea* a = areas; a; a = a->next) {
        if (a->kind == PLENMAR_AREA_PICTURE) continue;
        if (a->kind != PLENMAR_AREA_TABLE) {
            blocks.push_back({a->kind == PLENMAR_AREA_VERTICAL, RECT{a->left, a->top, a->right, a->bottom}});
            continue;
        }
        int w = a->right - a->left + 1, h = a->bottom - a->top + 1;
        std::vector<std::uint8_t> crop = testpages::cropBits(p, a->left, a->top, w, h);
        TableGrid* grid = nullptr;
        libs.extract(crop.data(), w, h, 0, &grid);
        if (!grid) {
            blocks.push_back({false, RECT{a->left, a->top, a->right, a->bottom}});
            continue;
        }
        // The rules are gone from the crop: so they are from the page the cells are read on.
        int stride = (w + 7) / 8;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                bool black = (crop[y * stride + x / 8] >> (7 - x % 8)) & 1;
                std::uint8_t& byte = p.bits[(a->top + y) * p.stride() + (a->left + x) / 8];
                std::uint8_t bit = static_cast<std::uint8_t>(0x80 >> ((a->left + x) % 8));
                byte = black ? (byte | bit) : (byte & ~bit);
            }
        for (int r = 0; r < grid->nRows; ++r)
            for (int k = 0; k < grid->pCellsPerRow[r]; ++k) {
                const TableCell& c = grid->ppRows[r][k];
                if (!c.bOwn) continue;
                blocks.push_back({false, RECT{a->left + c.left, a->top + c.top, a->left + c.right, a->top + c.bottom}});
            }
        libs.freeGrid(&grid);
    }
    libs.del(areas);
    return blocks;
}

Reading readEnglish(EngineLibraries& libs, Plane& p, const std::vector<Block>& list) {
    Reading out;
    std::vector<_recblockeng> blocks;
    for (const Block& b : list)
        blocks.push_back({static_cast<short>(b.r.top), static_cast<short>(b.r.bottom), static_cast<short>(b.r.left),
                          static_cast<short>(b.r.right), nullptr});
    for (std::size_t i = 0; i + 1 < blocks.size(); ++i) blocks[i].next = &blocks[i + 1];
    _regioninfoeng* r = libs.recogEng(p.bits.data(), static_cast<short>(p.width), static_cast<short>(p.height),
                                      blocks.empty() ? nullptr : blocks.data(), nullptr, &pump);
    const int cp = ocrkit::ansiCodePage();
    for (_regioninfoeng* e = r; e; e = e->next)
        for (_lineinfoeng* l = e->pLines; l; l = l->next) {
            for (_wordinfoeng* w = l->pWords; w; w = w->next) {
                out.text.append(std::max<int>(w->nBlanks, 1), ' ');
                for (_charinfoeng* c = w->pChars; c; c = c->next) {
                    Candidates cands;
                    for (int k = 0; k < c->nCands; ++k) cands.push_back(ocrkit::toUtf8(ocrkit::unpackCode(c->wCand[k]), cp));
                    out.text += cands.empty() ? std::string() : cands[0];
                    out.chars.push_back(std::move(cands));
                }
            }
            out.text += '\n';
        }
    libs.freeEng(r);
    return out;
}

Reading readChinese(EngineLibraries& libs, Plane& p, const std::vector<Block>& list, bool traditional) {
    Reading out;
    std::vector<_recblock> blocks;
    for (const Block& b : list) blocks.push_back({b.vertical ? 1 : 0, b.r.left, b.r.top, b.r.right, b.r.bottom, nullptr});
    for (std::size_t i = 0; i + 1 < blocks.size(); ++i) blocks[i].next = &blocks[i + 1];
    HGLOBAL plane = testpages::planeBlock(p);
    char folder[] = "";
    short w = static_cast<short>(p.width), h = static_cast<short>(p.height);
    _seg_regioninfo* seg = libs.segImg(plane, w, h, blocks.empty() ? nullptr : blocks.data(), folder);
    int code = traditional ? 'B' : 'G';
    const int cp = traditional ? 950 : 936;
    _regioninfo* r = libs.recog(seg, plane, w, h, folder, code, traditional, 0, nullptr, &pump);
    libs.freeSeg(seg);
    for (_regioninfo* e = r; e; e = e->next)
        for (_lineinfo* l = e->pLines; l; l = l->next) {
            for (_charinfo* c = l->pChars; c; c = c->next) {
                out.text.append(c->nSpaces, ' ');
                Candidates cands;
                for (int k = 0; k < c->nCands; ++k) cands.push_back(ocrkit::toUtf8(ocrkit::unpackCode(c->wCand[k]), cp));
                out.text += cands.empty() ? std::string() : cands[0];
                out.chars.push_back(std::move(cands));
            }
            out.text += '\n';
        }
    libs.freeResult(r);
    GlobalFree(plane);
    return out;
}

}  // namespace bench
