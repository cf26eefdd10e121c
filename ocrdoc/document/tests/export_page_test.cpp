// The export page and the text assembly: whole-page and seal pictures, text
// blocks by region with empty regions as empty entries, the editor's file
// named from the image path in the right format, UTF-16 text as long as the
// result in the system's code page, and table text whose characters keep
// their own records.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ocrdoc/document/tests/pipeline_fixtures.h"
#include "ocrdoc/helpers/export_entries.h"
#include "ocrdoc/regions/table_region.h"
#include "ocrdoc/tabletext/table_layout.h"
#include "ocrdoc/tests/fake_document_host.h"

namespace fs = std::filesystem;

namespace {

struct ScriptedExport {
    int calls = 0;
    int format = -9;
    std::string path;
    int blocks = 0;
    int answer = 1;
};
ScriptedExport g_export;

int ScriptedExportToFile(SPage* page, char* path, int format) {
    ++g_export.calls;
    g_export.format = format;
    g_export.path = path;
    g_export.blocks = page ? page->nBlocks : -1;
    return g_export.answer;
}

class ExportPage : public ::testing::Test {
protected:
    void SetUp() override {
        g_export = ScriptedExport{};
        dir = fs::temp_directory_path() / ("export_page_" + std::to_string(::getpid()));
        fs::create_directories(dir / "work");
        shell.dataFolder = dir.string();
    }
    void TearDown() override { fs::remove_all(dir); }

    // Text of one recognised line per region, records in block order.
    void GiveResult(const std::vector<std::string>& lines) {
        std::string text;
        std::vector<RecoCharInfo> records;
        for (std::size_t l = 0; l < lines.size(); ++l) {
            for (char c : lines[l]) {
                records.push_back(TestRecord(20 + 12 * static_cast<int>(records.size()), 20 + 40 * static_cast<int>(l), 10, 30,
                                             static_cast<WORD>(l)));
                text += Unit(0, static_cast<BYTE>(c), static_cast<UINT>(records.size() - 1));
            }
            text += "\r\n";
        }
        ASSERT_TRUE(page.ReplaceContents(text, records.data(), static_cast<UINT>(records.size())));
    }
    static std::string LastPart(const std::string& path) { return path.substr(path.find_last_of("\\/") + 1); }
    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    CFakeDocumentHost shell;
    CTestPage page;
    fs::path dir;
};

}  // namespace

TEST_F(ExportPage, PageWithoutRegionsExportsAsOneWholePagePicture) {
    testpages::Plane plane = BlankPlane(64, 20);
    plane.bits[5] = 0xF0;
    PutPlane(page, plane);
    SPage* out = page.BuildExportPage();
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->width, 2480);
    EXPECT_EQ(out->height, 3508);
    EXPECT_EQ(out->resolution, 300);
    ASSERT_EQ(out->nBlocks, 1);
    const SPageBlockEntry& entry = out->pBlocks->aEntries[0];
    ASSERT_EQ(entry.kind, SPAGE_BLOCK_PICTURE);
    const auto* picture = static_cast<const SPagePicture*>(entry.pBlock);
    EXPECT_EQ(picture->format, SPAGE_PICTURE_MONO);
    EXPECT_EQ(picture->width, 64);
    EXPECT_EQ(picture->height, 20);
    ASSERT_NE(picture->pBits, nullptr);
    EXPECT_EQ(picture->pBits[5], 0xF0);
    FreeSPage(out, 1);
    CTestPage none;
    EXPECT_EQ(none.BuildExportPage(), nullptr);
}

TEST_F(ExportPage, SealPictureComesFirstAndEmptyRegionsGiveEmptyEntries) {
    PutPlane(page, BlankPlane(400, 300));
    page.m_pPageRegion->AddRegion(RECT{10, 10, 200, 50}, kRegionHorizontal)->m_nLines = 1;
    page.m_pPageRegion->AddRegion(RECT{10, 60, 200, 100}, kRegionHorizontal)->m_nLines = 0;  // no text
    page.m_pPageRegion->AddRegion(RECT{220, 10, 299, 89}, kRegionPicture);
    page.m_pPageRegion->AddRegion(RECT{10, 110, 200, 150}, kRegionEnglish)->m_nLines = 1;
    RECT seal{300, 200, 380, 280};
    page.m_pPageRegion->SetSealRect(&seal);
    GiveResult({"ab", "Hi"});
    SPage* out = page.BuildExportPage();
    ASSERT_NE(out, nullptr);
    ASSERT_EQ(out->nBlocks, 5);  // four blocks and the seal
    EXPECT_EQ(out->width, 400);
    const SPageBlockEntry* e = out->pBlocks->aEntries;
    ASSERT_EQ(e[0].kind, SPAGE_BLOCK_PICTURE);
    EXPECT_EQ(static_cast<SPagePicture*>(e[0].pBlock)->left, 300);
    ASSERT_EQ(e[1].kind, SPAGE_BLOCK_TEXT);
    const auto* text = static_cast<SPageTextBlock*>(e[1].pBlock);
    EXPECT_EQ(std::string(text->pText, text->textLen), "ab\r\n");
    EXPECT_EQ(text->orientation, SPAGE_TEXT_HORIZONTAL);
    EXPECT_EQ(text->width, 191);
    EXPECT_EQ(text->nLines, 1);
    EXPECT_EQ(e[2].kind, SPAGE_BLOCK_NONE);
    ASSERT_EQ(e[3].kind, SPAGE_BLOCK_PICTURE);
    const auto* picture = static_cast<SPagePicture*>(e[3].pBlock);
    EXPECT_EQ(picture->width, 80);
    EXPECT_NE(picture->pBits, nullptr);
    ASSERT_EQ(e[4].kind, SPAGE_BLOCK_TEXT);
    EXPECT_EQ(std::string(static_cast<SPageTextBlock*>(e[4].pBlock)->pText), "Hi\r\n");

    // A chain of pages is freed whole.
    out->next = page.BuildExportPage();
    FreeSPage(out, 1);
}

TEST_F(ExportPage, EditorTextFileIsNamedFromTheImagePathAndStartsWithTheMark) {
    PutPlane(page, BlankPlane(200, 100));
    page.m_pPageRegion->AddRegion(RECT{10, 10, 180, 50}, kRegionHorizontal)->m_nLines = 1;
    GiveResult({"OK"});
    page.SetPath((dir / "scan001.tif").string());
    shell.editFileType = 3;
    std::string path;
    ASSERT_TRUE(page.ExportRecognizedText(path));
    EXPECT_EQ(LastPart(path), "scan001tif.TXT");
    const std::string bytes = Read(dir / "work" / "scan001tif.TXT");
    EXPECT_EQ(bytes, std::string("\xFF\xFEO\0K\0\r\0\n\0", 10));
}

TEST_F(ExportPage, EditorHtmlGoesToTheExportLibraryAndItsFailureIsReported) {
    CScopedEntry exporter(OSTREL_DLL, "ExportToFile", &ScriptedExportToFile);
    PutPlane(page, BlankPlane(200, 100));
    page.SetPath((dir / "page.tif").string());
    shell.editFileType = 0;
    std::string path;
    EXPECT_TRUE(page.ExportRecognizedText(path));
    EXPECT_EQ(g_export.format, 1);
    EXPECT_EQ(LastPart(g_export.path), "pagetif.HTM");
    g_export.answer = 0;
    path.clear();
    EXPECT_FALSE(page.ExportRecognizedText(path));
    EXPECT_TRUE(path.empty());
    // Without a page nothing is written and nothing counts as done.
    CTestPage none;
    none.SetPath((dir / "page.tif").string());
    EXPECT_FALSE(none.ExportRecognizedText(path));
}

TEST_F(ExportPage, UnicodeTextFollowsTheSystemCodePageAndIsNeverCut) {
    std::vector<RecoCharInfo> none;
    ASSERT_TRUE(page.ReplaceContents("\xA4\xA4\r\n", none.data(), 0));
    EXPECT_EQ(page.TextAsUnicode(950), u"\u4E2D\r\n");  // Big5
    ASSERT_TRUE(page.ReplaceContents("\xD6\xD0\r\n", none.data(), 0));
    EXPECT_EQ(page.TextAsUnicode(936), u"\u4E2D\r\n");  // GBK

    std::string longText;
    for (int i = 0; i < 70000; ++i) longText += "\xD6\xD0";
    longText += "\r\n";
    ASSERT_TRUE(page.ReplaceContents(longText, none.data(), 0));
    EXPECT_EQ(page.TextAsUnicode(936).size(), 70002u);

    // A recognised single-byte character gives its one byte.
    std::vector<RecoCharInfo> one = {TestRecord(0, 0, 5, 5, 0)};
    ASSERT_TRUE(page.ReplaceContents(Unit(0, 'x', 0) + "\r\n", one.data(), 1));
    EXPECT_EQ(page.TextAsUnicode(936), u"x\r\n");
}

TEST_F(ExportPage, TableTextKeepsEveryCharacterOnItsOwnRecord) {
    PutPlane(page, BlankPlane(600, 400));
    CLayoutRegion* text = page.m_pPageRegion->AddRegion(RECT{10, 10, 500, 60}, kRegionHorizontal);
    auto* table = static_cast<CTableRegion*>(page.m_pPageRegion->AddRegion(RECT{100, 100, 399, 199}, kRegionTable));
    TableGrid* grid = NewTableGrid(1, 2);
    ASSERT_NE(grid, nullptr);
    grid->ppRows[0] = new TableCell[2];
    grid->pCellsPerRow[0] = 2;
    for (int c = 0; c < 2; ++c) {
        TableCell cell{};
        cell.nFirstCol = c, cell.nLastCol = c + 1, cell.nFirstRow = 0, cell.nLastRow = 1;
        cell.left = 2 + 150 * c, cell.right = 147 + 150 * c, cell.top = 2, cell.bottom = 97;
        cell.nLeftRule = cell.nTopRule = cell.nRightRule = cell.nBottomRule = 1;
        cell.nTopWidth = cell.nBottomWidth = cell.nLeftWidth = cell.nRightWidth = 1;
        cell.nColumns = 1;
        cell.bOwn = 1;
        grid->ppRows[0][c] = cell;
    }
    ASSERT_TRUE(table->AttachGrid(page.m_pImage, grid));
    ASSERT_EQ(table->GetChildCount(), 2);
    // A text region of two characters, then one character in each cell: the
    // cells are blocks 1 and 2, so their records start after the text's.
    std::vector<RecoCharInfo> records = {TestRecord(20, 20, 10, 30, 0), TestRecord(32, 20, 10, 30, 0),
                                         TestRecord(120, 120, 10, 30, 1), TestRecord(270, 120, 10, 30, 2)};
    const std::string form = Unit(0, 'A', 0) + Unit(0, 'B', 1) + "\r\n" + Unit(0, 'C', 2) + "\r\n" + Unit(0, 'D', 3) + "\r\n";
    ASSERT_TRUE(page.ReplaceContents(form, records.data(), 4));
    text->m_nLines = 1;
    table->GetChild(0)->m_nLines = 1;
    table->GetChild(1)->m_nLines = 1;
    page.AssembleTableText();
    EXPECT_GE(table->m_nLines, 3);
    const std::string_view out = page.Text();
    int seen = 0;
    for (std::size_t p = 0; p < out.size();) {
        if (static_cast<BYTE>(out[p]) == kRecoMark) {
            const UINT index = static_cast<BYTE>(out[p + 3]) | (static_cast<UINT>(static_cast<BYTE>(out[p + 4])) << 8);
            ASSERT_LT(index, 4u);
            EXPECT_EQ(out[p + 2], "ABCD"[index]) << index;
            ++seen;
            p += 6;
        } else {
            p += static_cast<BYTE>(out[p]) > 0x80 ? 2 : 1;
        }
    }
    EXPECT_EQ(seen, 4);
    EXPECT_EQ(page.m_nLineCount, static_cast<UINT>(1 + table->m_nLines));

    // A grid the layout refuses leaves the cells' own lines, not a two-line table.
    ASSERT_TRUE(page.ReplaceContents(form, records.data(), 4));
    table->m_pGrid->ppRows[0][1].nLastCol = 0;
    table->m_nLines = 0;
    page.AssembleTableText();
    EXPECT_EQ(std::string(page.Text()), form);
    EXPECT_EQ(table->m_nLines, 2);
}
