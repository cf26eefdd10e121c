// The page view's display during recognition: the whole page shown from the
// first position, the user's zoom back at the end, and a hidden view (no
// size) left alone; a page that fits keeps 100 %, one three views high 25 %.
#include "textory/view/recognition_display.h"

#include <gtest/gtest.h>

namespace {

using textory::CRecognitionDisplay;

TEST(TextoryRecognitionDisplay, TheWholePageWhileItRunsAndTheUsersZoomAfter) {
    CRecognitionDisplay display;
    EXPECT_FALSE(display.IsOn());
    // A page three times the view's height at the user's 200 %.
    EXPECT_EQ(display.OnProgress(0, 10, 512, 600, 2400, 800, 800), 64);
    EXPECT_TRUE(display.IsOn());
    // Later positions keep the display (and the remembered zoom).
    EXPECT_EQ(display.OnProgress(5, 10, 64, 600, 2400, 800, 800), -1);
    EXPECT_EQ(display.Position(), 5);
    EXPECT_EQ(display.Value(), 10);
    EXPECT_EQ(display.OnProgress(-1, 0, 64, 600, 2400, 800, 800), 512);
    EXPECT_FALSE(display.IsOn());
    // A second end gives nothing back twice.
    EXPECT_EQ(display.OnProgress(-1, 0, 512, 600, 2400, 800, 800), -1);

    // A page that fits is shown at 100 %; at 100 % already nothing changes.
    EXPECT_EQ(display.OnProgress(0, 10, 256, 400, 300, 800, 600), -1);
    EXPECT_EQ(display.OnProgress(-1, 0, 256, 400, 300, 800, 600), -1);

    // A hidden view keeps its zoom, and its end restores nothing wrong.
    EXPECT_EQ(display.OnProgress(0, 10, 128, 600, 2400, 0, 0), -1);
    EXPECT_EQ(display.OnProgress(-1, 0, 128, 600, 2400, 0, 0), -1);
}

}  // namespace
