// The page view's display during recognition: the whole page shown from the
// first position, the user's zoom and scroll position back at the end, and a
// hidden view (no size) left alone; a page that fits keeps 100 %, one three
// views high 25 %.
#include "textory/view/recognition_display.h"

#include <gtest/gtest.h>

namespace {

using textory::CRecognitionDisplay;

TEST(TextoryRecognitionDisplay, TheWholePageWhileItRunsAndTheUsersZoomAfter) {
    CRecognitionDisplay display;
    EXPECT_FALSE(display.IsOn());
    const POINT top{0, 0}, scrolled{120, 900};
    // A page three times the view's height at the user's 200 %, scrolled down.
    EXPECT_EQ(display.OnProgress(0, 10, 512, scrolled, 600, 2400, 800, 800).zoom, 64);
    EXPECT_TRUE(display.IsOn());
    // Later positions keep the display (and the remembered zoom and place).
    const CRecognitionDisplay::Change running = display.OnProgress(5, 10, 64, top, 600, 2400, 800, 800);
    EXPECT_EQ(running.zoom, -1);
    EXPECT_FALSE(running.restoreScroll);
    EXPECT_EQ(display.Position(), 5);
    EXPECT_EQ(display.Value(), 10);
    const CRecognitionDisplay::Change end = display.OnProgress(-1, 0, 64, top, 600, 2400, 800, 800);
    EXPECT_EQ(end.zoom, 512);
    ASSERT_TRUE(end.restoreScroll);
    EXPECT_EQ(end.scroll.x, 120);
    EXPECT_EQ(end.scroll.y, 900);
    EXPECT_FALSE(display.IsOn());
    // A second end gives nothing back twice.
    const CRecognitionDisplay::Change again = display.OnProgress(-1, 0, 512, top, 600, 2400, 800, 800);
    EXPECT_EQ(again.zoom, -1);
    EXPECT_FALSE(again.restoreScroll);

    // A page that fits is shown at 100 %; at 100 % already nothing changes.
    EXPECT_EQ(display.OnProgress(0, 10, 256, top, 400, 300, 800, 600).zoom, -1);
    EXPECT_EQ(display.OnProgress(-1, 0, 256, top, 400, 300, 800, 600).zoom, -1);

    // A hidden view keeps its zoom, and its end restores nothing wrong.
    EXPECT_EQ(display.OnProgress(0, 10, 128, top, 600, 2400, 0, 0).zoom, -1);
    EXPECT_EQ(display.OnProgress(-1, 0, 128, top, 600, 2400, 0, 0).zoom, -1);
}

}  // namespace
