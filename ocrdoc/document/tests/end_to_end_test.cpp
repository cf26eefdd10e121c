// One page the whole way: an image file opens through the page-load thread,
// the layout library finds its areas, the form library its table grid, the
// Chinese engine reads its text into the result store, the project file is
// written when the page is left, and a second document opened on the same
// image reads back everything that was set.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "imaging/codecs/codec_factory.h"
#include "imaging/codecs/image_file_type.h"
#include "ocrdoc/document/page_load.h"
#include "ocrdoc/document/tests/fake_page_view.h"
#include "ocrdoc/document/tests/pipeline_fixtures.h"
#include "ocrdoc/regions/table_region.h"
#include "ocrdoc/tests/fake_document_host.h"
#include "outside/include/plenmar.h"
#include "outside/include/tresk.h"
#include "outside/tests/loader.h"
#include "outside/tests/pages.h"
#include "platform/win/codepage.h"
#include "platform/win/memory.h"

namespace fs = std::filesystem;
using testpages::Library;

namespace {

// The document's region kinds of the layout library's areas.
int RegionFlagsOf(LONG kind) {
    switch (kind) {
    case PLENMAR_AREA_PICTURE: return kRegionPicture;
    case PLENMAR_AREA_TABLE: return kRegionTable;
    case PLENMAR_AREA_VERTICAL: return kRegionVertical;
    default: return kRegionHorizontal;
    }
}

// Layout analysis of the document's page: each area becomes a top-level
// region, each table region gets its grid from the form library.
void SetRegionsFromLayout(COcrDoc& doc, const Library& plenmar) {
    auto seg = plenmar.get<PFN_PLENMAR_SEG>("seg");
    auto del = plenmar.get<PFN_PLENMAR_DELLINK>("DelLink");
    CPageImage& image = *doc.m_pImage;
    std::vector<BYTE> plane(image.PlaneBytes());
    std::memcpy(plane.data(), GlobalLock(image.m_hBits), plane.size());
    GlobalUnlock(image.m_hBits);
    CArea* areas = seg(plane.data(), static_cast<DWORD>(image.m_nWidth), static_cast<DWORD>(image.m_nHeight), 300,
                       PLENMAR_PAGE_TABLE, RECT{0, 0, image.m_nWidth - 1, image.m_nHeight - 1});
    for (CArea* a = areas; a; a = a->next) {
        CLayoutRegion* region =
            doc.m_pPageRegion->AddRegionEx(RECT{a->left, a->top, a->right, a->bottom}, RegionFlagsOf(a->kind), 0);
        ASSERT_NE(region, nullptr);
        if (a->kind == PLENMAR_AREA_TABLE) {
            EXPECT_TRUE(static_cast<CTableRegion*>(region)->Analyze(doc.m_pImage));
        }
    }
    del(areas);
    doc.m_bLayoutDirty = 1;
}

// Recognition of the text regions through the Chinese engine: the result
// store is filled and every text region learns how many lines it holds.
void RecognizeTextRegions(COcrDoc& doc, const Library& tresk) {
    auto segImg = tresk.get<PFN_OR_CHN40_SEGIMG>("OR_CHN40_SegImg");
    auto recog = tresk.get<PFN_OR_CHN40_RECOG>("OR_CHN40_Recog");
    auto freeSeg = tresk.get<PFN_OR_CHN40_FREESEGINFO>("OR_CHN40_FreeSegInfo");
    auto freeResult = tresk.ordinal<PFN_TRESK_FREERESULT>(TRESK_ORDINAL_FREERESULT);
    std::vector<_recblock> blocks;
    std::vector<CLayoutRegion*> regions;
    for (int i = 0; i < doc.m_pPageRegion->GetChildCount(); ++i) {
        CLayoutRegion* r = doc.m_pPageRegion->GetChild(i);
        if (!(r->m_nFlags & kRegionAnyText)) continue;
        blocks.push_back({(r->m_nFlags & kRegionVertical) ? 1 : 0, r->left, r->top, r->right, r->bottom, nullptr});
        regions.push_back(r);
    }
    ASSERT_FALSE(blocks.empty());
    for (std::size_t i = 0; i + 1 < blocks.size(); ++i) blocks[i].next = &blocks[i + 1];
    CPageImage& image = *doc.m_pImage;
    char folder[] = "";
    const auto width = static_cast<short>(image.m_nWidth), height = static_cast<short>(image.m_nHeight);
    _seg_regioninfo* seg = segImg(image.m_hBits, width, height, blocks.data(), folder);
    ASSERT_NE(seg, nullptr);
    _regioninfo* result = recog(seg, image.m_hBits, width, height, folder, 'G', 0, 0, nullptr, nullptr);
    freeSeg(seg);
    ASSERT_NE(result, nullptr);
    std::size_t k = 0;
    for (_regioninfo* e = result; e && k < regions.size(); e = e->next, ++k) regions[k]->m_nLines = e->nLines;
    EXPECT_GT(doc.LoadFromChineseResult(result, image.m_nWidth, image.m_nHeight), 0);
    freeResult(result);
    doc.RebuildLineCounts();
}

// Opens `path` in `doc` and pumps until the page view has the page.
bool OpenAndWait(COcrDoc& doc, CPageViewWindow& window, const std::string& path) {
    const int before = window.view->pagesLoaded;
    doc.OnOpenDocument(path.c_str());
    return PumpUntil([&] { return window.view->pagesLoaded > before; }, 30000) && doc.m_pImage;
}

void ExpectSameGrid(const CTableRegion& a, const CTableRegion& b) {
    ASSERT_NE(a.m_pGrid, nullptr);
    ASSERT_NE(b.m_pGrid, nullptr);
    ASSERT_EQ(a.m_pGrid->nRows, b.m_pGrid->nRows);
    EXPECT_EQ(a.m_pGrid->nColumns, b.m_pGrid->nColumns);
    for (int r = 0; r < a.m_pGrid->nRows; ++r) {
        ASSERT_EQ(a.m_pGrid->pCellsPerRow[r], b.m_pGrid->pCellsPerRow[r]) << r;
        EXPECT_EQ(std::memcmp(a.m_pGrid->ppRows[r], b.m_pGrid->ppRows[r], sizeof(TableCell) * a.m_pGrid->pCellsPerRow[r]),
                  0)
            << r;
    }
    EXPECT_EQ(a.GetChildCount(), b.GetChildCount());
}

}  // namespace

TEST(EndToEnd, PageOpensIsAnalysedRecognisedSavedAndReadBack) {
    const fs::path dir = fs::temp_directory_path() / ("ocrdoc_end_to_end_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    CFakeDocumentHost shell;
    HMODULE convert = LoadLibraryA("Convert.dll");
    ASSERT_NE(convert, nullptr);
    shell.convertLibrary = convert;
    AfxWinInit();
    testpages::ensureGui();
    Library plenmar(PLENMAR_DLL), tresk(TRESK_DLL);

    const std::string heading = "水果销售表";
    const std::vector<std::vector<std::string>> cells = {{"名称", "数量"}, {"苹果", "12"}};
    testpages::Page test = testpages::tablePage(heading, cells, true, testpages::Style{50, 0, 0, 3});
    const std::string image = (dir / "page.tif").string();
    ASSERT_TRUE(SavePlaneAsImage(test.plane, image));

    std::string text;
    std::vector<RecoCharInfo> records;
    std::vector<WORD> counts;
    {
        COcrDoc doc;
        CPageViewWindow window(&doc);
        ASSERT_TRUE(OpenAndWait(doc, window, image));
        EXPECT_EQ(doc.m_pImage->m_nWidth, test.plane.width);
        EXPECT_EQ(doc.m_pPageRegion->GetChildCount(), 0);

        SetRegionsFromLayout(doc, plenmar);
        int tables = 0, pictures = 0, texts = 0;
        for (int i = 0; i < doc.m_pPageRegion->GetChildCount(); ++i) {
            const int flags = doc.m_pPageRegion->GetChild(i)->m_nFlags;
            tables += (flags & kRegionTable) != 0;
            pictures += (flags & kRegionPicture) != 0;
            texts += (flags & kRegionAnyText) != 0;
        }
        EXPECT_EQ(tables, 1);
        EXPECT_GE(pictures, 1);
        ASSERT_GE(texts, 1);

        RecognizeTextRegions(doc, tresk);
        ASSERT_TRUE(doc.m_bHasResult);
        const std::string plain = suite::AnsiToUtf8(doc.PlainText(0, doc.m_nTextLen), 936);
        EXPECT_GE(testpages::charAccuracy(heading, plain, false), 0.6) << plain;
        text.assign(doc.Text());
        records.assign(doc.m_pChars, doc.m_pChars + doc.RecordCount());
        counts.assign(doc.m_pLineCounts, doc.m_pLineCounts + doc.m_dwBkNum);

        // Leaving the page writes its project file; the second document
        // reads it back as the first one left it.
        const int regionCount = doc.m_pPageRegion->GetChildCount();
        ASSERT_TRUE(doc.SaveModified());
        ASSERT_TRUE(fs::exists(image + ".PST"));

        COcrDoc again;
        CPageViewWindow againWindow(&again);
        ASSERT_TRUE(OpenAndWait(again, againWindow, image));
        ASSERT_EQ(again.m_pPageRegion->GetChildCount(), regionCount);
        EXPECT_TRUE(again.m_bHasLayout);
        for (int i = 0; i < regionCount; ++i) {
            const CLayoutRegion* a = doc.m_pPageRegion->GetChild(i);
            const CLayoutRegion* b = again.m_pPageRegion->GetChild(i);
            EXPECT_EQ(a->left, b->left) << i;
            EXPECT_EQ(a->top, b->top) << i;
            EXPECT_EQ(a->right, b->right) << i;
            EXPECT_EQ(a->bottom, b->bottom) << i;
            EXPECT_EQ(a->m_nFlags, b->m_nFlags) << i;
            EXPECT_EQ(a->m_nLines, b->m_nLines) << i;
            if (a->m_nFlags & kRegionTable)
                ExpectSameGrid(*static_cast<const CTableRegion*>(a), *static_cast<const CTableRegion*>(b));
        }
        EXPECT_FALSE(again.IsModified());
        EXPECT_TRUE(again.m_bHasResult);
        EXPECT_EQ(std::string(again.Text()), text);
        ASSERT_EQ(again.RecordCount(), records.size());
        EXPECT_EQ(std::memcmp(again.m_pChars, records.data(), records.size() * sizeof(RecoCharInfo)), 0);
        ASSERT_EQ(again.m_dwBkNum, counts.size());
        EXPECT_TRUE(std::equal(counts.begin(), counts.end(), again.m_pLineCounts));
    }
    shell.convertLibrary = nullptr;
    FreeLibrary(convert);
    fs::remove_all(dir);
}
