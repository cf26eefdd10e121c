// A ruled table page through the libraries in the order the system calls
// them: layout analysis finds the table, form extraction its cells, and the
// Chinese engine reads every cell.

#include <gtest/gtest.h>

#include "outside/include/fremlin.h"
#include "outside/include/plenmar.h"
#include "outside/include/tresk.h"
#include "outside/ocrkit/codepage.h"
#include "outside/tests/harness.h"
#include "outside/tests/loader.h"

using namespace testpages;

TEST(Pipeline, TableCellsAreFoundAndRead) {
    Library plenmar(PLENMAR_DLL), fremlin(FREMLIN_DLL), tresk(TRESK_DLL);
    auto seg = plenmar.get<PFN_PLENMAR_SEG>("seg");
    auto del = plenmar.get<PFN_PLENMAR_DELLINK>("DelLink");
    auto extract = fremlin.ordinal<PFN_FREMLIN_EXTRACT>(FREMLIN_ORDINAL_EXTRACT);
    auto freeGrid = fremlin.ordinal<PFN_FREMLIN_FREE>(FREMLIN_ORDINAL_FREE);
    auto segImg = tresk.get<PFN_OR_CHN40_SEGIMG>("OR_CHN40_SegImg");
    auto recog = tresk.get<PFN_OR_CHN40_RECOG>("OR_CHN40_Recog");
    auto freeSeg = tresk.get<PFN_OR_CHN40_FREESEGINFO>("OR_CHN40_FreeSegInfo");
    auto freeResult = tresk.ordinal<PFN_TRESK_FREERESULT>(TRESK_ORDINAL_FREERESULT);

    std::vector<std::vector<std::string>> cells = {{"名称", "数量", "价格"}, {"苹果", "12", "35.00"}, {"香蕉", "8", "16.50"}};
    Page page = tablePage("水果销售表", cells, false, Style{50, 0, 0.001, 8});
    Plane& p = page.plane;
    CArea* areas = seg(p.bits.data(), p.width, p.height, 300, PLENMAR_PAGE_TABLE, RECT{0, 0, p.width - 1, p.height - 1});
    CArea* table = nullptr;
    for (CArea* a = areas; a; a = a->next)
        if (a->kind == PLENMAR_AREA_TABLE) table = a;
    ASSERT_NE(table, nullptr);
    RECT t{table->left, table->top, table->right, table->bottom};
    del(areas);

    // The table's pixels as packed rows, handed to form extraction, and
    // written back (without their rules) into the plane to be recognised.
    int w = t.right - t.left + 1, h = t.bottom - t.top + 1, stride = (w + 7) / 8;
    std::vector<std::uint8_t> bits = cropBits(p, t.left, t.top, w, h);
    TableGrid* grid = nullptr;
    ASSERT_NE(extract(bits.data(), w, h, 0, &grid), nullptr);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t& byte = p.bits[(t.top + y) * p.stride() + (t.left + x) / 8];
            std::uint8_t mask = static_cast<std::uint8_t>(0x80 >> ((t.left + x) % 8));
            if ((bits[y * stride + x / 8] >> (7 - x % 8)) & 1) byte |= mask;
            else byte &= static_cast<std::uint8_t>(~mask);
        }
    std::vector<_recblock> blocks;
    for (int r = 0; r < grid->nRows; ++r)
        for (int c = 0; c < grid->pCellsPerRow[r]; ++c) {
            const TableCell& cell = grid->ppRows[r][c];
            if (cell.bOwn) blocks.push_back({0, t.left + cell.left, t.top + cell.top, t.left + cell.right, t.top + cell.bottom, nullptr});
        }
    freeGrid(&grid);
    ASSERT_EQ(blocks.size(), 9u);
    for (std::size_t i = 0; i + 1 < blocks.size(); ++i) blocks[i].next = &blocks[i + 1];

    HGLOBAL plane = planeBlock(p);
    char folder[] = "";
    _seg_regioninfo* s = segImg(plane, static_cast<short>(p.width), static_cast<short>(p.height), blocks.data(), folder);
    _regioninfo* result = recog(s, plane, static_cast<short>(p.width), static_cast<short>(p.height), folder, 'G', 0, 0,
                                nullptr, nullptr);
    freeSeg(s);
    ASSERT_NE(result, nullptr);
    int k = 0, right = 0;
    for (_regioninfo* e = result; e; e = e->next, ++k) {
        std::string bytes;
        for (_lineinfo* l = e->pLines; l; l = l->next)
            for (_charinfo* c = l->pChars; c; c = c->next) bytes += ocrkit::unpackCode(c->wCand[0]);
        std::string text = ocrkit::toUtf8(bytes, 936);
        right += text == cells[k / 3][k % 3];
        EXPECT_EQ(e->nLines, 1) << k;
    }
    EXPECT_EQ(k, 9);
    EXPECT_GE(right, 8);
    freeResult(result);
    GlobalFree(plane);
}
