// The strip's buttons: hit test, pressed and hot looks, which clicks reach
// the parent.
#include <gtest/gtest.h>

#include "shell/strip/strip_buttons.h"

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
