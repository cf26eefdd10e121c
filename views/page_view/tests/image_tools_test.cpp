// Whole-page commands and the clipboard copy and cut, without the window.
#include "views/page_view/page_image_tools.h"
#include "views/page_view/tests/page_view_fixtures.h"

#include <gtest/gtest.h>

#include "imaging/tests/dib_builder.h"
#include "platform/afx/core/clipboard.h"
#include "views/tests/fake_view_host.h"

namespace {

class ImageTools : public ::testing::Test {
protected:
    void SetUp() override {
        EnsurePageViewUi();
        page = MakeMonoPage(400, 300);
        // The page region as the document makes it for a page just opened.
        tree = new CPageRegion(CPageRegion::WholePage(400, 300));
        view.SetPage(page.get(), tree);
        view.SetImageArea(300, 200);
        view.ResetView();
    }
    void TearDown() override {
        view.SetPage(nullptr, nullptr);
        delete tree;
        FreePage(page);
    }
    CPageImageTools Tools() { return CPageImageTools(view, host, page.get(), tree); }
    CFakeViewHost shell;
    CRecordingHost host;
    CPageViewController view{&host};
    std::unique_ptr<CPageImage> page;
    CPageRegion* tree = nullptr;
};

TEST_F(ImageTools, InvertFlipsEveryPixelAndEmptiesTheTree) {
    tree->AddRegion(RECT{10, 10, 50, 50}, kRegionHorizontal);
    PaintInk(*page, RECT{0, 0, 9, 9});
    auto tools = Tools();
    ASSERT_TRUE(tools.Invert());
    EXPECT_FALSE(InkAt(*page, 5, 5));
    EXPECT_TRUE(InkAt(*page, 100, 100));
    EXPECT_EQ(tree->GetChildCount(), 0);
    EXPECT_EQ(view.Tree(), tree);
    EXPECT_EQ(host.modified, 1);
    host.discardAnswer = FALSE;
    EXPECT_FALSE(tools.Invert()) << "kept result: nothing happens";
    EXPECT_TRUE(InkAt(*page, 100, 100));
}

TEST_F(ImageTools, RotateChecksTheRowBeforeAskingAndTurnsThePage) {
    tree->AddRegion(RECT{10, 10, 50, 50}, kRegionHorizontal);
    auto tools = Tools();
    EXPECT_FALSE(tools.Rotate(true, false, false));
    EXPECT_EQ(host.discardAsks, 0) << "no row: the result is not dropped for nothing";
    EXPECT_EQ(tree->GetChildCount(), 1);
    PaintInk(*page, RECT{0, 0, 9, 0});
    ASSERT_TRUE(tools.Rotate(true, false, true));
    EXPECT_EQ(page->m_nWidth, 300);
    EXPECT_EQ(page->m_nHeight, 400);
    EXPECT_EQ(tree->GetChildCount(), 0);
    EXPECT_EQ(tree->Rect().right, 300);
    EXPECT_EQ(tree->m_pSealRect, nullptr);
    EXPECT_TRUE(InkAt(*page, 0, 399)) << "the top-left row turned left lies along the left edge, at the bottom";
    ASSERT_TRUE(tools.Rotate(false, true, true)) << "a 1-bit page is never turned as official";
    EXPECT_EQ(page->m_nWidth, 400);
    EXPECT_TRUE(InkAt(*page, 0, 0));
}

TEST_F(ImageTools, CropIsEnabledOnlyForAnInwardPageRectangle) {
    auto tools = Tools();
    EXPECT_FALSE(tools.CanCrop()) << "a page just opened has nothing to crop";
    EXPECT_FALSE(tools.Crop());
    EXPECT_EQ(host.discardAsks, 0);
    EXPECT_EQ(host.modified, 0);
    // A page rectangle drawn out to the last column and row takes in the page too.
    ASSERT_TRUE(tree->ResizeWithin(RECT{0, 0, 399, 299}, RECT{0, 0, 400, 300}));
    EXPECT_FALSE(tools.CanCrop());
    CLayoutRegion* region = tree->AddRegion(RECT{60, 60, 100, 100}, kRegionHorizontal);
    ASSERT_NE(region, nullptr);
    ASSERT_TRUE(tree->ResizeWithin(RECT{50, 40, 249, 199}, RECT{0, 0, 399, 299}));
    EXPECT_TRUE(tools.CanCrop());
    PaintInk(*page, RECT{50, 40, 50, 40});
    ASSERT_TRUE(tools.Crop());
    EXPECT_EQ(page->m_nWidth, 200);
    EXPECT_EQ(page->m_nHeight, 160);
    EXPECT_EQ(tree->Rect().left, 0);
    EXPECT_EQ(tree->Rect().right, 200);
    EXPECT_EQ(tree->GetChild(0)->Rect().left, 10);
    EXPECT_TRUE(InkAt(*page, 0, 0));
    EXPECT_FALSE(tools.CanCrop());
}

TEST_F(ImageTools, CopyPutsTheDocumentsPictureOfTheSelectedRegionOnTheClipboard) {
    auto tools = Tools();
    BorrowedPage doc(page.get(), tree);
    EXPECT_FALSE(tools.Copy(doc, nullptr)) << "no selected region";
    tree->AddRegion(RECT{10, 20, 49, 39}, kRegionHorizontal);
    tree->Select(0);
    PaintInk(*page, RECT{10, 20, 10, 20});
    ASSERT_TRUE(tools.Copy(doc, nullptr));
    ASSERT_TRUE(OpenClipboard(nullptr));
    auto* dib = static_cast<const BITMAPINFOHEADER*>(GlobalLock(GetClipboardData(CF_DIB)));
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(dib->biWidth, 40);
    EXPECT_EQ(dib->biHeight, 20);
    GlobalUnlock(GetClipboardData(CF_DIB));
    CloseClipboard();
}

TEST_F(ImageTools, CutErasesOnlyAfterAGoodCopyAndNeverOnAHeldPage) {
    tree->AddRegion(RECT{10, 20, 49, 39}, kRegionHorizontal);
    tree->Select(0);
    PaintInk(*page, RECT{10, 20, 49, 39});
    auto tools = Tools();
    BorrowedPage doc(page.get(), tree);
    // The clipboard is held elsewhere: nothing is lost.
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_FALSE(tools.Cut(doc, nullptr));
    CloseClipboard();
    EXPECT_TRUE(InkAt(*page, 30, 30));
    EXPECT_EQ(tree->GetChildCount(), 1);
    // A run reading the page holds it.
    {
        CPageHold hold(doc);
        EXPECT_FALSE(tools.Cut(doc, nullptr));
    }
    EXPECT_TRUE(InkAt(*page, 30, 30));
    ASSERT_TRUE(tools.Cut(doc, nullptr));
    EXPECT_FALSE(InkAt(*page, 30, 30));
    EXPECT_EQ(tree->GetChildCount(), 0);
    EXPECT_EQ(host.modified, 1);
}

TEST_F(ImageTools, OfficialColourPageKeepsItsRedInkAsTheSeal) {
    // A 900 x 1300 official page at 300 dpi: black text above, a red seal
    // ring 460 pixels across centred at (450, 900).
    auto tint = [](int base, int x, int y) { return static_cast<BYTE>(base + (x * 13 + y * 7) % 9); };
    auto ring = [](int x, int y) {
        const int d2 = (x - 450) * (x - 450) + (y - 900) * (y - 900);
        return d2 >= 218 * 218 && d2 <= 230 * 230;
    };
    TestDib dib = ColourDib(900, 1300, [&](int x, int y) {
        if (ring(x, y)) return Bgr{tint(40, x, y), tint(35, x, y), tint(215, x, y)};
        if (y >= 60 && y < 420 && x >= 60 && x < 840 && x % 20 < 6 && y % 30 < 10)
            return Bgr{tint(20, x, y), tint(22, x, y), tint(20, x, y)};
        return Bgr{tint(238, x, y), tint(240, x, y), tint(240, x, y)};
    });
    dib.xPelsPerMeter = 11811;
    auto colour = std::make_unique<CPageImage>();
    ASSERT_EQ(colour->AttachDib(dib.Make()), 0);
    CPageRegion* colourTree = new CPageRegion(RECT{0, 0, 899, 1299});
    view.SetPage(colour.get(), colourTree);
    CPageImageTools official(view, host, colour.get(), colourTree);
    ASSERT_TRUE(official.Rotate(true, true, true));
    ASSERT_NE(colourTree->m_pSealRect, nullptr);
    // Counter-clockwise: (x, y) goes to (y, W - 1 - x); the seal's centre (450, 900) to (900, 449).
    EXPECT_NEAR((colourTree->m_pSealRect->left + colourTree->m_pSealRect->right) / 2, 900, 8);
    EXPECT_NEAR((colourTree->m_pSealRect->top + colourTree->m_pSealRect->bottom) / 2, 449, 8);
    EXPECT_EQ(colour->m_nWidth, 1300);
    // Turned as an ordinary page: no seal.
    ASSERT_TRUE(official.Rotate(false, false, true));
    EXPECT_EQ(colourTree->m_pSealRect, nullptr);
    view.SetPage(page.get(), tree);
    delete colourTree;
    colour->Empty();
}

}  // namespace
