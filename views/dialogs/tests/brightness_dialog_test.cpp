// The brightness dialog: the plane at a threshold, scroll codes and typed
// values, the preview window, and the dialog driven by synthetic input.
#include "views/dialogs/dlg_brightness.h"
#include "views/dialogs/tests/dialog_fixtures.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/afx/ui/msgbox.h"
#include "platform/afx/ui/testing.h"
#include "platform/win/library.h"
#include "views/tests/fake_view_host.h"

namespace {

class BrightnessDialog : public ::testing::Test {
protected:
    void SetUp() override { AfxWinInit(); }
    CFakeViewHost shell;
};

TEST_F(BrightnessDialog, ThresholdEndsGiveWhiteAndNearlyAllBlack) {
    HDIB dib = MakeGreyDib(40, 30, 8, [](int x, int y) { return (x * 7 + y * 3) % 256; });
    {
        CBrightnessController zero(dib, 0);
        ASSERT_TRUE(zero.BuildWorkImage(false));
        const auto bytes = BlockBytes(zero.Plane());
        EXPECT_TRUE(std::all_of(bytes.begin(), bytes.end(), [](BYTE b) { return b == 0; }));
    }
    HDIB full = MakeGreyDib(40, 30, 8, [](int x, int) { return x == 5 ? 255 : 254; });
    CBrightnessController top(full, 255);
    ASSERT_TRUE(top.BuildWorkImage(false));
    EXPECT_TRUE(PlaneBit(top.Plane(), 8, 0, 0));
    EXPECT_FALSE(PlaneBit(top.Plane(), 8, 5, 0)) << "255 is never below the threshold";
    GlobalFree(dib);
    GlobalFree(full);
}

TEST_F(BrightnessDialog, PlaneIsTopDownRoundedAndTheSourceUntouched) {
    HDIB dib = MakeGreyDib(100, 60, 8, [](int, int y) { return y == 0 ? 0 : 200; });
    const auto before = BlockBytes(dib);
    CBrightnessController c(dib, 127);
    ASSERT_TRUE(c.BuildWorkImage(false));
    EXPECT_EQ(c.Width(), 128);
    EXPECT_EQ(c.Height(), 60);
    EXPECT_TRUE(PlaneBit(c.Plane(), 16, 50, 0)) << "the image's top row comes first";
    EXPECT_FALSE(PlaneBit(c.Plane(), 16, 50, 59));
    EXPECT_FALSE(PlaneBit(c.Plane(), 16, 110, 0)) << "added columns are white";
    EXPECT_EQ(GlobalSize(c.Plane()), 16u * 60u);
    EXPECT_EQ(BlockBytes(dib), before) << "the caller's bitmap is never written";
    HGLOBAL taken = c.TakePlane();
    EXPECT_EQ(c.Plane(), nullptr);
    GlobalFree(taken);
    GlobalFree(dib);
}

TEST_F(BrightnessDialog, FourBitSamplesUseASixteenthOfTheThreshold) {
    HDIB dib = MakeGreyDib(9, 4, 4, [](int x, int) { return x; });
    CBrightnessController c(dib, 128);
    ASSERT_TRUE(c.BuildWorkImage(false));
    for (int x = 0; x < 9; ++x) EXPECT_EQ(PlaneBit(c.Plane(), 4, x, 0), x < 8) << x;
    EXPECT_FALSE(PlaneBit(c.Plane(), 4, 9, 0)) << "the padding nibble is no pixel";
    bool clamped = false;
    c.Type(64, &clamped);
    ASSERT_TRUE(c.BuildWorkImage(false));
    EXPECT_TRUE(PlaneBit(c.Plane(), 4, 3, 0));
    EXPECT_FALSE(PlaneBit(c.Plane(), 4, 4, 0)) << "64 is 4 in 4-bit samples, not all black";
    GlobalFree(dib);
}

TEST_F(BrightnessDialog, BadSourcesGiveNoPlane) {
    HDIB rgb = MakeGreyDib(8, 8, 8, [](int, int) { return 0; });
    {
        CBlockLock lock(rgb);
        reinterpret_cast<BITMAPINFOHEADER*>(lock.get())->biBitCount = 24;
    }
    CBrightnessController wrongDepth(rgb, 127);
    EXPECT_EQ(wrongDepth.Plane(), nullptr);
    EXPECT_FALSE(wrongDepth.BuildWorkImage(false));
    GlobalFree(rgb);
    HDIB tall = MakeGreyDib(8, 8, 8, [](int, int) { return 0; });
    {
        CBlockLock lock(tall);
        reinterpret_cast<BITMAPINFOHEADER*>(lock.get())->biHeight = 5000;  // rows beyond the block
    }
    CBrightnessController truncated(tall, 127);
    EXPECT_EQ(truncated.Plane(), nullptr);
    GlobalFree(tall);
    CBrightnessController none(nullptr, 127);
    EXPECT_FALSE(none.BuildWorkImage(false));
}

TEST_F(BrightnessDialog, ScrollCodesAndTypedValues) {
    HDIB dib = MakeGreyDib(20, 20, 8, [](int, int) { return 100; });
    CBrightnessController c(dib, 250);
    EXPECT_TRUE(c.Scroll(SB_PAGERIGHT, 0));
    EXPECT_EQ(c.Threshold(), 255);
    EXPECT_FALSE(c.Scroll(SB_PAGERIGHT, 0));
    EXPECT_FALSE(c.Scroll(SB_LINERIGHT, 0));
    EXPECT_TRUE(c.Scroll(SB_PAGELEFT, 0));
    EXPECT_EQ(c.Threshold(), 247);
    EXPECT_TRUE(c.Scroll(SB_TOP, 0));
    EXPECT_FALSE(c.Scroll(SB_LINELEFT, 0));
    EXPECT_FALSE(c.Scroll(SB_PAGELEFT, 0));
    EXPECT_TRUE(c.Scroll(SB_THUMBTRACK, 90));
    EXPECT_EQ(c.Threshold(), 90);
    EXPECT_FALSE(c.Scroll(SB_ENDSCROLL, 0));
    bool clamped = false;
    EXPECT_TRUE(c.Type(300, &clamped));
    EXPECT_TRUE(clamped);
    EXPECT_EQ(c.Threshold(), 255);
    EXPECT_TRUE(c.Type(-5, &clamped));
    EXPECT_EQ(c.Threshold(), 0);
    EXPECT_FALSE(c.Type(0, &clamped));
    EXPECT_FALSE(clamped);
    GlobalFree(dib);
}

TEST_F(BrightnessDialog, PreviewIsCentredAndPansInBytes) {
    HDIB narrow = MakeGreyDib(100, 40, 8, [](int, int) { return 0; });
    CBrightnessController small(narrow, 127);
    EXPECT_EQ(small.Window().shownWidth, 128);
    EXPECT_EQ(small.Window().CentreX(), 61);
    EXPECT_EQ(small.Window().CentreY(), 105);
    GlobalFree(narrow);

    HDIB wide = MakeGreyDib(1000, 600, 8, [](int x, int) { return x >= 300 ? 0 : 255; });
    CBrightnessController c(wide, 127);
    EXPECT_TRUE(c.Pan(5000, 0));
    EXPECT_EQ(c.Window().panX, 774);
    EXPECT_FALSE(c.Pan(10, 0)) << "at the right end";
    EXPECT_TRUE(c.Pan(-774 + 300 - 3, 0));
    EXPECT_EQ(c.Window().panX, 297);
    // 297 is used as byte 37 (pixel 296): four white pixels, then the black from 300 on.
    const auto& bits = c.Window().Bits();
    EXPECT_EQ(bits[0], 0x0F);
    EXPECT_TRUE(c.Pan(0, 2000));
    EXPECT_EQ(c.Window().panY, 350);
    EXPECT_FALSE(c.Pan(0, 0));
    GlobalFree(wide);
}

TEST_F(BrightnessDialog, ShortPagePreviewStaysInItsRows) {
    HDIB dib = MakeGreyDib(300, 20, 8, [](int, int y) { return y < 10 ? 0 : 255; });
    CBrightnessController c(dib, 127);
    EXPECT_EQ(c.Window().shownHeight, 20);
    EXPECT_EQ(c.Window().Bits()[0], 0xFF);
    EXPECT_EQ(c.Window().Bits()[15 * CPreviewWindow::kStride], 0x00);
    GlobalFree(dib);
}

struct DialogRun {
    int editAfterTyping = -1;
    int scrollAfterTyping = -1;
    int thresholdAfterPage = -1;
    std::string grab;
};

TEST_F(BrightnessDialog, DrivenBySyntheticInput) {
    HMODULE module = LoadLibraryA("\\Ruvuradavad.DLL");
    ASSERT_NE(module, nullptr);
    AfxSetResourceHandle(module);
    AfxTestScript::Enable(true);
    AfxTestScript::Clear();
    HDIB dib = MakeGreyDib(400, 300, 8, [](int x, int y) { return (x + y) % 256; });
    CDlgBrightness dialog(nullptr, 127, dib);
    DialogRun run;
    run.grab = (std::filesystem::path(SUITE_TEST_DATA) / "build" / "test-output" / "views" / "page_view_brightness.png").string();
    std::filesystem::create_directories(std::filesystem::path(run.grab).parent_path());
    AfxTestScript::QueueDialogAction(
        [](CWnd* w, void* data) {
            auto* r = static_cast<DialogRun*>(data);
            auto* dlg = static_cast<CDlgBrightness*>(w);
            dlg->SetDlgItemText(IDC_BRIGHTNESS_VALUE, "300");
            BOOL ok = FALSE;
            r->editAfterTyping = static_cast<int>(dlg->GetDlgItemInt(IDC_BRIGHTNESS_VALUE, &ok, TRUE));
            r->scrollAfterTyping = static_cast<CScrollBar*>(dlg->GetDlgItem(IDC_BRIGHTNESS_BAR))->GetScrollPos();
            dlg->SendMessage(WM_HSCROLL, MAKEWPARAM(SB_PAGELEFT, 0),
                             reinterpret_cast<LPARAM>(dlg->GetDlgItem(IDC_BRIGHTNESS_BAR)->GetSafeHwnd()));
            r->thresholdAfterPage = dlg->Controller().Threshold();
            // Drag the preview 40 pixels to the left: the window moves right by 40.
            AfxTestMouse(dlg, WM_LBUTTONDOWN, POINT{200, 100});
            AfxTestMouse(dlg, WM_MOUSEMOVE, POINT{160, 100}, MK_LBUTTON);
            AfxTestMouse(dlg, WM_LBUTTONUP, POINT{160, 100});
            dlg->Invalidate(FALSE);
            AfxPumpMessages();
            dlg->GrabToFile(r->grab.c_str());
        },
        &run);
    AfxTestScript::QueueAnswer(IDOK);
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(run.editAfterTyping, 255);
    EXPECT_EQ(run.scrollAfterTyping, 255);
    EXPECT_EQ(run.thresholdAfterPage, 247);
    EXPECT_EQ(dialog.Controller().Window().panX, 40);
    EXPECT_TRUE(std::filesystem::exists(run.grab));
    ASSERT_TRUE(dialog.BuildWorkImage(0));
    HGLOBAL plane = dialog.TakePlane();
    EXPECT_EQ(dialog.Height(), 300);
    EXPECT_EQ(dialog.Width(), 416);
    EXPECT_EQ(GlobalSize(plane), 52u * 300u);
    EXPECT_TRUE(PlaneBit(plane, 52, 0, 0)) << "sample 0 is below 247";
    GlobalFree(plane);
    GlobalFree(dib);
    AfxTestScript::Clear();
    AfxTestScript::Enable(false);
    AfxSetResourceHandle(nullptr);
    FreeLibrary(module);
}

}  // namespace
