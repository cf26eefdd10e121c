// The manual skew dialog: the handles and their limits, previews from the
// source page, zoom and pan of the preview, and the dialog driven by
// synthetic input through the document's manual deskew command.
#include "views/dialogs/dlg_manual_deskew.h"
#include "views/dialogs/tests/dialog_fixtures.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "ocrdoc/document/ocr_doc.h"
#include "platform/afx/ui/msgbox.h"
#include "platform/afx/ui/testing.h"
#include "platform/win/library.h"
#include "views/tests/fake_view_host.h"

namespace {

class ManualSkewDialog : public ::testing::Test {
protected:
    void SetUp() override {
        AfxWinInit();
        page = MakeLinedPage(600, 500);
    }
    void TearDown() override {
        if (page) page->Empty();
    }
    // The source page turned directly by `total` over 250.
    std::vector<BYTE> TurnedBy(int total) {
        HGLOBAL out = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, page->PlaneBytes());
        EXPECT_TRUE(page->Deskew(total >= 0 ? 250 : -250, std::abs(total), 0, 0, page->m_nWidth, page->m_nHeight, out));
        auto bytes = BlockBytes(out);
        GlobalFree(out);
        return bytes;
    }
    CFakeViewHost shell;
    std::unique_ptr<CPageImage> page;
};

TEST_F(ManualSkewDialog, ThirtyOneClicksStopThirtyBelow) {
    CManualSkewController c(page.get());
    ASSERT_TRUE(c.Valid());
    int changed = 0;
    for (int i = 0; i < 31; ++i) changed += c.Clockwise() ? 1 : 0;
    EXPECT_EQ(changed, 30);
    EXPECT_EQ(c.LeftY(), c.RightY() + 30);
    for (int i = 0; i < 61; ++i) c.Anticlockwise();
    EXPECT_EQ(c.LeftY(), c.RightY() - 30);
    for (int i = 0; i < 60; ++i) c.Clockwise();
    ASSERT_TRUE(c.Preview());
    EXPECT_EQ(c.Total(), 30);
    EXPECT_EQ(c.LeftY(), c.RightY()) << "the line is level again";
    EXPECT_EQ(BlockBytes(c.Working()->m_hBits), TurnedBy(30));
}

TEST_F(ManualSkewDialog, HandlesMoveWithinTheirLimits) {
    CManualSkewController c(page.get());
    // The right handle shifts the whole line and stops at 52 and 222.
    ASSERT_EQ(c.ButtonDown(POINT{290, 137}), kSkewDragRight);
    c.MouseMove(POINT{290, 20});
    EXPECT_EQ(c.RightY(), 52);
    EXPECT_EQ(c.LeftY(), 52);
    c.MouseMove(POINT{290, 400});
    EXPECT_EQ(c.RightY(), 222);
    EXPECT_EQ(c.LeftY(), 222) << "shifted, not tilted";
    c.ButtonUp();
    // The left handle tilts within 30 of the right one.
    ASSERT_EQ(c.ButtonDown(POINT{50, 222}), kSkewDragLeft);
    c.MouseMove(POINT{50, 100});
    EXPECT_EQ(c.LeftY(), 192);
    c.MouseMove(POINT{50, 300});
    EXPECT_EQ(c.LeftY(), 252);
    c.ButtonUp();
    EXPECT_EQ(c.HitTest(POINT{45, 100}), kSkewDragPicture) << "the area's own edge is picture";
    EXPECT_EQ(c.HitTest(POINT{295, 100}), kSkewDragNone) << "right edge excluded";
    EXPECT_EQ(c.HitTest(POINT{10, 10}), kSkewDragNone);
}

TEST_F(ManualSkewDialog, PreviewsStartFromTheSourcePage) {
    CManualSkewController twice(page.get());
    for (int step = 0; step < 2; ++step) {
        for (int i = 0; i < 10; ++i) twice.Clockwise();
        ASSERT_TRUE(twice.Preview());
    }
    EXPECT_EQ(twice.Total(), 20);
    CManualSkewController once(page.get());
    for (int i = 0; i < 20; ++i) once.Clockwise();
    ASSERT_TRUE(once.Preview());
    EXPECT_EQ(BlockBytes(twice.Working()->m_hBits), BlockBytes(once.Working()->m_hBits));
    EXPECT_NE(BlockBytes(once.Working()->m_hBits), BlockBytes(page->m_hBits));
    // Back by the same amount: the total is 0 and the source shows again.
    for (int i = 0; i < 20; ++i) once.Anticlockwise();
    ASSERT_TRUE(once.Preview());
    EXPECT_EQ(once.Total(), 0);
    EXPECT_EQ(BlockBytes(once.Working()->m_hBits), BlockBytes(page->m_hBits));
    EXPECT_FALSE(once.Preview()) << "a level line previews nothing";
}

TEST_F(ManualSkewDialog, RefusedSlopeKeepsTotalHandlesAndPreview) {
    CManualSkewController c(page.get());
    for (int i = 0; i < 30; ++i) c.Clockwise();
    ASSERT_TRUE(c.Preview());
    const auto previewed = BlockBytes(c.Working()->m_hBits);
    for (int i = 0; i < 30; ++i) c.Clockwise();
    EXPECT_FALSE(c.Preview()) << "60 over 250 is steeper than 1 in 5";
    EXPECT_EQ(c.Total(), 30);
    EXPECT_EQ(c.PendingTilt(), 30);
    EXPECT_EQ(BlockBytes(c.Working()->m_hBits), previewed);
}

TEST_F(ManualSkewDialog, ZoomAndPanOfThePreview) {
    CManualSkewController c(page.get());
    EXPECT_EQ(c.Scale(), 128);
    EXPECT_EQ(c.Window().shownWidth, 250);
    EXPECT_TRUE(c.ZoomIn());
    EXPECT_EQ(c.Scale(), 256);
    EXPECT_FALSE(c.ZoomIn());
    EXPECT_TRUE(c.Pan(1000, 1000));
    EXPECT_EQ(c.Window().panX, 344) << "350 taken in whole bytes";
    EXPECT_EQ(c.Window().panY, 250);
    EXPECT_TRUE(c.ZoomOut());
    EXPECT_EQ(c.Window().panX, 48) << "172 halved, then kept inside the 300-pixel page";
    EXPECT_EQ(c.Window().panY, 0);
    EXPECT_TRUE(c.ZoomOut());
    EXPECT_EQ(c.Scale(), 64);
    EXPECT_EQ(c.Window().panX, 0) << "the page fits the area";
    EXPECT_EQ(c.Window().shownWidth, 150);
    EXPECT_EQ(c.Window().CentreX(), 50);
    for (int i = 0; i < 10; ++i) c.ZoomOut();
    EXPECT_EQ(c.Scale(), 8) << "never under 8 pixels";
}

TEST_F(ManualSkewDialog, GreyPagesPreviewThroughTheirBitmap) {
    auto grey = std::make_unique<CPageImage>();
    ASSERT_EQ(grey->AttachDib(MakeGreyDib(300, 200, 8, [](int x, int y) { return (y / 20) % 2 && x > 10 ? 20 : 230; })), 0);
    CManualSkewController c(grey.get());
    ASSERT_TRUE(c.Valid());
    for (int i = 0; i < 10; ++i) c.Clockwise();
    EXPECT_TRUE(c.Preview());
    EXPECT_NE(BlockBytes(c.Working()->m_hDib), BlockBytes(grey->m_hDib));
    HGLOBAL work = GlobalAlloc(GMEM_MOVEABLE, GlobalSize(grey->m_hDib));
    EXPECT_TRUE(c.CopyWorkingTo(work));
    EXPECT_EQ(BlockBytes(work), BlockBytes(c.Working()->m_hDib));
    GlobalFree(work);
    grey->Empty();
}

TEST_F(ManualSkewDialog, OkThatCannotHandThePageOverCancels) {
    HMODULE module = LoadLibraryA("\\Ruvuradavad.DLL");
    ASSERT_NE(module, nullptr);
    AfxSetResourceHandle(module);
    AfxTestScript::Enable(true);
    AfxTestScript::Clear();
    // The caller's block is too small for the page and cannot grow.
    HGLOBAL work = GlobalAlloc(GHND, 1);
    AfxTestScript::QueueDialogAction(
        [](CWnd* w, void*) {
            for (int i = 0; i < 10; ++i) w->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_SKEW_CLOCKWISE, BN_CLICKED));
            w->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_SKEW_PREVIEW, BN_CLICKED));
            SetImageAllocFailAfter(0);
            w->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED));
            SetImageAllocFailAfter(-1);
        },
        nullptr);
    CManualDeskewRunner runner;
    ManualDeskewAnswer answer;
    EXPECT_EQ(runner.RunModal(page.get(), work, nullptr, &answer), IDCANCEL);
    EXPECT_EQ(shell.messages, std::vector<std::string>{kMsgNoEnoughMemoryToFinish});
    EXPECT_EQ(GlobalSize(work), 1u);
    GlobalFree(work);
    AfxTestScript::Clear();
    AfxTestScript::Enable(false);
    AfxSetResourceHandle(nullptr);
    FreeLibrary(module);
}

struct SkewRun {
    bool doubleClickOnHandleZoomed = false;
    std::string grab;
};

TEST_F(ManualSkewDialog, DocumentDeskewsThroughTheDialog) {
    HMODULE module = LoadLibraryA("\\Ruvuradavad.DLL");
    ASSERT_NE(module, nullptr);
    AfxSetResourceHandle(module);
    AfxTestScript::Enable(true);
    AfxTestScript::Clear();
    CManualDeskewRunner runner;
    SetManualDeskewDialog(&runner);
    COcrDoc doc;
    doc.m_bAutoDelete = FALSE;
    doc.m_pImage = MakeLinedPage(600, 500).release();
    doc.m_pPageRegion = new CPageRegion(RECT{0, 0, 599, 499});
    const auto expected = TurnedBy(10);
    SkewRun run;
    run.grab = (std::filesystem::path(SUITE_TEST_DATA) / "build" / "test-output" / "views" / "page_view_manual_skew.png").string();
    std::filesystem::create_directories(std::filesystem::path(run.grab).parent_path());
    AfxTestScript::QueueDialogAction(
        [](CWnd* w, void* data) {
            auto* r = static_cast<SkewRun*>(data);
            auto* dlg = static_cast<CDlgManualDeskew*>(w);
            for (int i = 0; i < 10; ++i) dlg->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_SKEW_CLOCKWISE, BN_CLICKED));
            const WORD scale = dlg->Controller().Scale();
            AfxTestMouse(dlg, WM_LBUTTONDBLCLK, POINT{290, dlg->Controller().RightY()});
            r->doubleClickOnHandleZoomed = dlg->Controller().Scale() != scale;
            dlg->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_SKEW_PREVIEW, BN_CLICKED));
            // Drag the right handle down by 20: the level line moves along.
            AfxTestMouse(dlg, WM_LBUTTONDOWN, POINT{290, 137});
            AfxTestMouse(dlg, WM_MOUSEMOVE, POINT{290, 157}, MK_LBUTTON);
            AfxTestMouse(dlg, WM_LBUTTONUP, POINT{290, 157});
            for (int i = 0; i < 5; ++i) dlg->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_SKEW_ANTICLOCKWISE, BN_CLICKED));
            dlg->Invalidate(FALSE);
            AfxPumpMessages();
            dlg->GrabToFile(r->grab.c_str());
            for (int i = 0; i < 5; ++i) dlg->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_SKEW_CLOCKWISE, BN_CLICKED));
        },
        &run);
    AfxTestScript::QueueAnswer(IDOK);
    doc.ManualDeskew(nullptr);
    EXPECT_FALSE(run.doubleClickOnHandleZoomed);
    EXPECT_TRUE(std::filesystem::exists(run.grab));
    EXPECT_EQ(BlockBytes(doc.m_pImage->m_hBits), expected) << "OK with a level line takes the previewed page";
    SetManualDeskewDialog(nullptr);
    AfxTestScript::Clear();
    AfxTestScript::Enable(false);
    AfxSetResourceHandle(nullptr);
    FreeLibrary(module);
}

}  // namespace
