// Region commands and learning: column types and the bit they carry, the
// handwriting page's commands, removing the deepest selected region, the
// region's image for the clipboard, manual deskew through the dialog's
// interface, and the learning file's entries.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ocrdoc/document/manual_deskew_dialog.h"
#include "ocrdoc/document/ocr_doc.h"
#include "ocrdoc/document/tests/pipeline_fixtures.h"
#include "ocrdoc/regions/table_region.h"
#include "ocrdoc/tests/fake_document_host.h"

namespace fs = std::filesystem;

namespace {

// A manual skew dialog that answers as scripted and may paint the working copy.
class CScriptedDeskewDialog : public CManualDeskewDialog {
public:
    int answer = IDOK;
    ManualDeskewAnswer handles{137, 137, 0};
    BYTE paint = 0;  // written over the working copy's first byte when set
    int runs = 0;
    SIZE_T workSize = 0;
    int RunModal(CPageImage*, HGLOBAL hWork, HWND, ManualDeskewAnswer* out) override {
        ++runs;
        workSize = GlobalSize(hWork);
        if (paint) {
            BYTE* p = static_cast<BYTE*>(GlobalLock(hWork));
            p[0] = paint;
            GlobalUnlock(hWork);
        }
        if (answer == IDOK) *out = handles;
        return answer;
    }
};

class RegionCommands : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("region_commands_" + std::to_string(::getpid()));
        fs::create_directories(dir / "work");
        shell.dataFolder = dir.string();
        SetManualDeskewDialog(&dialog);
    }
    void TearDown() override {
        SetManualDeskewDialog(nullptr);
        fs::remove_all(dir);
    }
    std::vector<BYTE> Plane() const {
        std::vector<BYTE> bits(page.m_pImage->PlaneBytes());
        CopyFromGlobal(page.m_pImage->m_hBits, 0, bits.data(), static_cast<DWORD>(bits.size()));
        return bits;
    }
    CFakeDocumentHost shell;
    CScriptedDeskewDialog dialog;
    CTestPage page;
    fs::path dir;
};

}  // namespace

TEST_F(RegionCommands, ColumnTypeCarriesItsHighBitOnlyBetweenTextKinds) {
    PutPlane(page, BlankPlane(300, 200));
    page.m_pPageRegion->AddRegion(RECT{10, 10, 100, 100}, kRegionHorizontal)->m_nFlags |= 0x8000;
    page.m_pPageRegion->Select(0);
    ASSERT_TRUE(page.SetSelectedColumnType(kRegionVertical));
    EXPECT_EQ(page.m_pPageRegion->GetChild(0)->m_nFlags, kRegionVertical | 0x8000);
    EXPECT_TRUE(page.m_bLayoutDirty);
    EXPECT_TRUE(page.HasHint(kHintInvalidateRegion));
    ASSERT_TRUE(page.SetSelectedColumnType(kRegionPicture));
    EXPECT_EQ(page.m_pPageRegion->GetChild(0)->m_nFlags, kRegionPicture);
    ASSERT_TRUE(page.SetSelectedColumnType(kRegionEnglish));
    EXPECT_EQ(page.m_pPageRegion->GetChild(0)->m_nFlags, kRegionEnglish);

    // A declined discard keeps region and result; no column, no change.
    std::vector<RecoCharInfo> records = {TestRecord(10, 10, 20, 20, 0)};
    ASSERT_TRUE(page.ReplaceContents(Unit(0, 'A', 0) + "\r\n", records.data(), 1));
    page.answerYes = false;
    EXPECT_FALSE(page.SetSelectedColumnType(kRegionTable));
    EXPECT_EQ(page.m_pPageRegion->GetChild(0)->m_nFlags, kRegionEnglish);
    EXPECT_TRUE(page.m_bHasResult);
    page.m_pPageRegion->ClearSelection();
    EXPECT_FALSE(page.SetSelectedColumnType(kRegionTable));
}

TEST_F(RegionCommands, HandwritingPageLeavesOnlyHorizontalTextEnabled) {
    COcrDoc doc;
    doc.m_pImage = ImageOfPlane(BlankPlane(200, 100));
    doc.m_pPageRegion = new CPageRegion(RECT{0, 0, 200, 100});
    doc.m_pPageRegion->AddRegion(RECT{10, 10, 100, 90}, kRegionHorizontal);
    doc.m_pPageRegion->Select(0);
    shell.currentRow = 0;
    shell.rowCount = 1;
    shell.cells[{0, kPageListType}] = TestSettings(0, 4).type;
    for (UINT id : {ID_REGION_IMAGE, ID_REGION_HTEXT, ID_REGION_VTEXT, ID_REGION_TABLE, ID_REGION_ENGLISH}) {
        CRecordingCmdUI ui;
        ui.m_nID = id;
        doc.OnUpdateRegionType(&ui);
        EXPECT_EQ(ui.enabled, id == ID_REGION_HTEXT ? TRUE : FALSE) << id;
        EXPECT_EQ(ui.check, id == ID_REGION_HTEXT ? 1 : 0) << id;
    }
    CRecordingCmdUI learnPage, learnChar;
    doc.OnUpdateLearnPage(&learnPage);
    doc.OnUpdateLearnChar(&learnChar);
    EXPECT_FALSE(learnPage.enabled);
    EXPECT_FALSE(learnChar.enabled);

    // Another type enables them all; without the views' room none.
    shell.cells[{0, kPageListType}] = TestSettings(0, 0).type;
    CRecordingCmdUI table;
    table.m_nID = ID_REGION_TABLE;
    doc.OnUpdateRegionType(&table);
    EXPECT_TRUE(table.enabled);
    shell.viewsShown = false;
    doc.OnUpdateRegionType(&table);
    EXPECT_FALSE(table.enabled);
    CRecordingCmdUI cancel;
    doc.OnUpdateRegionCancel(&cancel);
    EXPECT_FALSE(cancel.enabled);
}

TEST_F(RegionCommands, CancelRemovesTheDeepestSelectedRegion) {
    PutPlane(page, BlankPlane(400, 300));
    auto* table = page.m_pPageRegion->AddRegion(RECT{50, 50, 250, 250}, kRegionTable);
    ASSERT_TRUE(table->AddRegion(RECT{60, 60, 140, 140}, kRegionHorizontal));
    ASSERT_TRUE(table->AddRegion(RECT{160, 60, 240, 140}, kRegionHorizontal));
    page.m_pPageRegion->Select(0);
    table->Select(1);
    page.CancelSelectedRegion();
    ASSERT_EQ(page.m_pPageRegion->GetChildCount(), 1);
    ASSERT_EQ(table->GetChildCount(), 1);
    EXPECT_EQ(table->GetChild(0)->left, 60);
    EXPECT_TRUE(page.m_bLayoutDirty);
    ASSERT_TRUE(page.HasHint(kHintClearDragRect));
    bool cleared = false;
    for (std::size_t i = 0; i < page.hints.size(); ++i)
        if (page.hints[i] == kHintClearDragRect && page.hintRects[i].left == 160) cleared = true;
    EXPECT_TRUE(cleared);
    // Nothing selected below the page: nothing to remove.
    page.m_pPageRegion->ClearSelection();
    page.CancelSelectedRegion();
    EXPECT_EQ(page.m_pPageRegion->GetChildCount(), 1);
}

TEST_F(RegionCommands, RegionImageIsABottomUpBitmapWithInkBlack) {
    testpages::Plane plane = BlankPlane(64, 16);
    plane.bits[1 * 8 + 1] = 0xFF;  // row 1, pixels 8..15
    PutPlane(page, plane);
    page.m_pPageRegion->AddRegion(RECT{8, 0, 47, 2}, kRegionPicture);
    page.m_pPageRegion->Select(0);
    HGLOBAL block = page.CopySelectedRegionImage();
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalSize(block), static_cast<SIZE_T>((47 - 8 + 32) / 32 * 4 * 3 + 48));
    const BYTE* p = static_cast<const BYTE*>(GlobalLock(block));
    BITMAPINFOHEADER header;
    std::memcpy(&header, p, sizeof header);
    EXPECT_EQ(header.biWidth, 40);
    EXPECT_EQ(header.biHeight, 3);
    EXPECT_EQ(header.biBitCount, 1);
    EXPECT_EQ(header.biClrUsed, 2u);
    EXPECT_EQ(p[40], 255);  // colour 0 white
    EXPECT_EQ(p[44], 0);    // colour 1 black
    // Rows bottom-up, 8 bytes each: the inked row 1 is the middle one.
    EXPECT_EQ(p[48 + 8 * 1], 0xFF);
    EXPECT_EQ(p[48 + 8 * 0], 0x00);
    EXPECT_EQ(p[48 + 8 * 2], 0x00);
    GlobalUnlock(block);
    GlobalFree(block);
    page.m_pPageRegion->ClearSelection();
    EXPECT_EQ(page.CopySelectedRegionImage(), nullptr);
}

TEST_F(RegionCommands, ManualDeskewWithLevelHandlesTakesThePreview) {
    PutPlane(page, BlankPlane(120, 40));
    page.m_pPageRegion->AddRegion(RECT{10, 10, 100, 30}, kRegionHorizontal);
    dialog.paint = 0xAA;
    page.ManualDeskew(nullptr);
    EXPECT_EQ(dialog.workSize, page.m_pImage->PlaneBytes());
    EXPECT_EQ(Plane()[0], 0xAA);
    EXPECT_EQ(page.m_pPageRegion->GetChildCount(), 0);
    EXPECT_TRUE(page.IsPageEdited());
    EXPECT_TRUE(page.HasHint(kHintPageImageChanged));
}

TEST_F(RegionCommands, ManualDeskewCancelledOrRefusedKeepsPageAndRegions) {
    testpages::ensureGui();
    testpages::Page test = testpages::textPage(testpages::simplifiedText(1, 1), 900, 400, testpages::Style{30});
    ASSERT_FALSE(test.blocks.empty());
    PutPlane(page, test.plane);
    page.m_pPageRegion->AddRegion(RECT{10, 10, 500, 150}, kRegionHorizontal);
    const std::vector<BYTE> before = Plane();
    dialog.answer = IDCANCEL;
    page.ManualDeskew(nullptr);
    EXPECT_EQ(Plane(), before);
    EXPECT_EQ(page.m_pPageRegion->GetChildCount(), 1);

    // A tilt of 100 over 250 is steeper than the deskew takes: nothing changes.
    dialog.answer = IDOK;
    dialog.handles = ManualDeskewAnswer{187, 137, 50};
    page.ManualDeskew(nullptr);
    EXPECT_EQ(Plane(), before);
    EXPECT_EQ(page.m_pPageRegion->GetChildCount(), 1);
    EXPECT_FALSE(page.IsPageEdited());

    // Previews that add up to nothing leave the page alone too.
    dialog.handles = ManualDeskewAnswer{147, 137, -10};
    page.ManualDeskew(nullptr);
    EXPECT_EQ(page.m_pPageRegion->GetChildCount(), 1);

    // A gentle tilt turns the page and drops the regions.
    dialog.handles = ManualDeskewAnswer{147, 137, 0};
    page.ManualDeskew(nullptr);
    EXPECT_NE(Plane(), before);
    EXPECT_EQ(page.m_pPageRegion->GetChildCount(), 0);
    EXPECT_TRUE(page.IsPageEdited());
}

TEST_F(RegionCommands, LearningFileHoldsTheBoxesAsTheyLieOnThePage) {
    testpages::Plane plane = BlankPlane(400, 300);
    for (int y = 100; y < 130; ++y) plane.bits[static_cast<std::size_t>(y) * plane.stride() + 25] = 0xFF;  // x 200..207
    PutPlane(page, plane);
    page.m_settings = TestSettings(0, 0);
    std::vector<RecoCharInfo> records = {TestRecord(10, 10, 12, 20, 0), TestRecord(10, 40, 300, 20, 0),
                                         RecoCharInfo{}};
    // A vertical character: across is its right edge, along its top.
    RecoCharInfo& v = records[2];
    v.byFlags = kRecoVertical;
    v.nBoxAcross = 207;
    v.nBoxAlong = 100;
    v.nBoxThick = 8;
    v.nBoxLen = 30;
    const std::string text = Unit(0xD6, 0xD0, 0) + Unit(0, 'w', 1) + Unit(0xB9, 0xFA, 2) + Unit(0, 'z', 99) + "\r\n";
    ASSERT_TRUE(page.ReplaceContents(text, records.data(), 3));
    ASSERT_TRUE(page.WriteLearnFile(FALSE));
    std::ifstream in(dir / "work" / "~temp.pnt", std::ios::binary);
    const std::string file((std::istreambuf_iterator<char>(in)), {});
    // Two entries: the 300-wide box and the unknown record are skipped.
    const std::size_t first = 6 + 20 * 2, second = 6 + 30 * 1;
    ASSERT_EQ(file.size(), first + second);
    EXPECT_EQ(static_cast<BYTE>(file[0]), first);
    EXPECT_EQ(file.substr(2, 2), "\xD6\xD0");
    EXPECT_EQ(static_cast<BYTE>(file[4]), 12);
    EXPECT_EQ(static_cast<BYTE>(file[5]), 20);
    EXPECT_EQ(file.substr(first + 2, 2), "\xB9\xFA");
    EXPECT_EQ(static_cast<BYTE>(file[first + 4]), 8);
    EXPECT_EQ(static_cast<BYTE>(file[first + 5]), 30);
    EXPECT_EQ(static_cast<BYTE>(file[first + 6]), 0xFF);  // the ink of the vertical box

    // The character at the caret alone.
    page.m_nCaretOffset = 12;
    ASSERT_TRUE(page.WriteLearnFile(TRUE));
    std::ifstream again(dir / "work" / "~temp.pnt", std::ios::binary);
    const std::string one((std::istreambuf_iterator<char>(again)), {});
    EXPECT_EQ(one.size(), second);
}

TEST_F(RegionCommands, LearningFileNeverOutgrowsThePlane) {
    // A 64 x 40 one-bit plane is 320 bytes; a 20 x 30 box takes 6 + 90 of
    // them, so three boxes fit and the fourth and fifth are left out.
    PutPlane(page, BlankPlane(64, 40));
    page.m_settings = TestSettings(0, 0);
    std::vector<RecoCharInfo> records;
    std::string text;
    for (UINT i = 0; i < 5; ++i) {
        records.push_back(TestRecord(2 + 20 * static_cast<int>(i % 3), 5, 20, 30, 0));
        text += Unit(0xD6, 0xD0, i);
    }
    text += "\r\n";
    ASSERT_TRUE(page.ReplaceContents(text, records.data(), 5));
    ASSERT_TRUE(page.WriteLearnFile(FALSE));
    std::ifstream in(dir / "work" / "~temp.pnt", std::ios::binary);
    const std::string file((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(file.size(), 3u * (6 + 90));
}
