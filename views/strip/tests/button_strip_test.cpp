// The strip's buttons: hit test, pressed and hot looks, which clicks reach
// the parent.
#include <gtest/gtest.h>

#include "views/strip/strip_buttons.h"

#include <vector>

namespace {

TEST(ButtonStrip, HitTestExcludesEdges) {
    CStripButtons strip;
    strip.Layout(true, 3, 18, 16);
    EXPECT_EQ(strip.HitTest(POINT{9, 8}), 0);
    EXPECT_EQ(strip.HitTest(POINT{27, 8}), 1);
    EXPECT_EQ(strip.HitTest(POINT{18, 8}), -1) << "the edge between two buttons";
    EXPECT_EQ(strip.HitTest(POINT{9, 0}), -1);
    EXPECT_EQ(strip.HitTest(POINT{60, 8}), -1);
    strip.Layout(false, 2, 18, 16);
    EXPECT_EQ(strip.HitTest(POINT{9, 24}), 1);
}

TEST(ButtonStrip, ClickReportsOnlyWhenReleasedOnThePressedButton) {
    CStripButtons strip;
    strip.Layout(true, 3, 18, 16);
    int report = -2;
    EXPECT_TRUE(strip.ButtonDown(POINT{9, 8}));
    EXPECT_EQ(strip.State(0), kStripPressed);
    strip.MouseMove(POINT{27, 8});
    EXPECT_EQ(strip.State(0), kStripHot) << "pressed button shows hot while the mouse is away";
    strip.ButtonUp(POINT{27, 8}, &report);
    EXPECT_EQ(report, -1) << "started on one button, ended on another";
    EXPECT_EQ(strip.State(0), kStripNormal);
    EXPECT_EQ(strip.State(1), kStripNormal);

    strip.ButtonDown(POINT{27, 8});
    strip.ButtonUp(POINT{28, 9}, &report);
    EXPECT_EQ(report, 1);
    EXPECT_EQ(strip.State(1), kStripHot);
    EXPECT_FALSE(strip.Pressing());
}

TEST(ButtonStrip, HoverAndLeaving) {
    CStripButtons strip;
    strip.Layout(true, 2, 18, 16);
    strip.MouseMove(POINT{9, 8});
    EXPECT_EQ(strip.State(0), kStripHot);
    strip.MouseMove(POINT{27, 8});
    EXPECT_EQ(strip.State(0), kStripNormal);
    EXPECT_EQ(strip.State(1), kStripHot);
    EXPECT_TRUE(strip.CursorOutside());
    EXPECT_EQ(strip.State(1), kStripNormal);
    // While pressing, the pressed one keeps its look.
    strip.ButtonDown(POINT{9, 8});
    strip.CursorOutside();
    EXPECT_EQ(strip.State(0), kStripPressed);
}

TEST(ButtonStrip, EighthButtonIsShownButNotReported) {
    CStripButtons strip;
    strip.Layout(true, 8, 18, 16);
    int report = -2;
    strip.ButtonDown(POINT{7 * 18 + 9, 8});
    EXPECT_EQ(strip.State(7), kStripPressed);
    strip.ButtonUp(POINT{7 * 18 + 9, 8}, &report);
    EXPECT_EQ(report, -1);
    strip.ButtonDown(POINT{6 * 18 + 9, 8});
    strip.ButtonUp(POINT{6 * 18 + 9, 8}, &report);
    EXPECT_EQ(report, 6);
    strip.Layout(true, 40, 18, 16);
    EXPECT_EQ(strip.Count(), CStripButtons::kMaxItems);
}

}  // namespace

// The strip as a window: its picture and the click it sends to its parent.
#include "platform/afx/ui/testing.h"
#include "platform/win/library.h"
#include "views/strip/bitmap_button_strip.h"

namespace {

CWinApp theStripTestApp("StripTests");

class StripParent : public CWnd {
public:
    std::vector<LPARAM> clicks;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_STRIPBUTTON) {
            clicks.push_back(lParam);
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

TEST(ButtonStrip, WindowDrawsItsButtonAndReportsClicks) {
    AfxWinInit();
    HMODULE module = LoadLibraryA("\\Ruvuradavad.DLL");
    ASSERT_NE(module, nullptr);
    AfxSetResourceHandle(module);
    StripParent parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "Parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 200, 100), nullptr, 0));
    CBitmapButtonStrip strip;
    const UINT ids[] = {210};
    ASSERT_TRUE(strip.Create(CRect(10, 10, 28, 26), TRUE, 1, 18, 16, ids, &parent));
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap bitmap;
    bitmap.CreateBitmap(24, 20, 1, 32, nullptr);
    CBitmap* old = dc.SelectObject(&bitmap);
    strip.Draw(dc, CRect(0, 0, 24, 20));
    EXPECT_EQ(dc.GetPixel(0, 0) & 0xFFFFFF, RGB(192, 192, 192)) << "the light-grey face";
    EXPECT_EQ(dc.GetPixel(5, 19) & 0xFFFFFF, RGB(0, 0, 0)) << "the black bottom line";
    EXPECT_EQ(dc.GetPixel(21, 5) & 0xFFFFFF, RGB(192, 192, 192)) << "face beside the button";
    EXPECT_EQ(dc.GetPixel(2, 1) & 0xFFFFFF, RGB(0, 0, 128)) << "the bitmap's page outline";
    dc.SelectObject(old);
    AfxTestClick(&strip, POINT{9, 8});
    AfxPumpMessages();
    ASSERT_EQ(parent.clicks.size(), 1u);
    EXPECT_EQ(parent.clicks[0], 0);
    strip.DestroyWindow();
    // The item table's bound: 24 buttons fit, a 25th is refused before any
    // window is made, as is an empty strip.
    std::vector<UINT> many(25, 210);
    CBitmapButtonStrip full;
    EXPECT_TRUE(full.Create(CRect(0, 30, 24 * 18, 46), TRUE, 24, 18, 16, many.data(), &parent));
    EXPECT_EQ(full.Buttons().Count(), 24);
    CBitmapButtonStrip over;
    EXPECT_FALSE(over.Create(CRect(0, 50, 25 * 18, 66), TRUE, 25, 18, 16, many.data(), &parent));
    EXPECT_EQ(over.GetSafeHwnd(), nullptr);
    CBitmapButtonStrip none;
    EXPECT_FALSE(none.Create(CRect(0, 70, 18, 86), TRUE, 0, 18, 16, many.data(), &parent));
    full.DestroyWindow();
    parent.DestroyWindow();
    AfxPumpMessages();
    AfxSetResourceHandle(nullptr);
    FreeLibrary(module);
}

}  // namespace
