// The status bar's progress fill: empty ranges draw nothing, positions past
// either end are clamped to the pane.
#include <gtest/gtest.h>

#include "shell/frame/progress_pane.h"

TEST(ProgressPane, FillsInProportionAndNeverPastThePane) {
    ProgressPane p;
    EXPECT_TRUE(p.Set(1, 10, 5, 100));
    EXPECT_EQ(p.Filled(), 50);
    EXPECT_EQ(p.Percent(), 50);
    EXPECT_TRUE(p.Set(1, 10, 10, 100));
    EXPECT_EQ(p.Filled(), 100);
    EXPECT_TRUE(p.Set(1, 10, 50, 100));
    EXPECT_EQ(p.Filled(), 100);
    EXPECT_EQ(p.Percent(), 100);
    EXPECT_TRUE(p.Set(1, 10, -7, 100));
    EXPECT_EQ(p.Filled(), 0);
    // One step: the whole pane at its only position.
    EXPECT_TRUE(p.Set(3, 3, 3, 120));
    EXPECT_EQ(p.Filled(), 120);
    // Huge ranges do not overflow.
    EXPECT_TRUE(p.Set(-2000000000, 2000000000, 0, 1000));
    EXPECT_EQ(p.Filled(), 500);
}

TEST(ProgressPane, EmptyOrReversedRangesDrawNothing) {
    ProgressPane p;
    ASSERT_TRUE(p.Set(0, 9, 9, 100));
    EXPECT_FALSE(p.Set(5, 4, 4, 100));
    EXPECT_FALSE(p.Active());
    EXPECT_EQ(p.Filled(), 0);
    EXPECT_FALSE(p.Set(0, 9, 3, 0));
    p.Clear();
    EXPECT_EQ(p.Filled(), 0);
    // The empty bar before long work: grey, without a figure.
    p.Empty();
    EXPECT_TRUE(p.Active());
    EXPECT_EQ(p.Filled(), 0);
    EXPECT_LT(p.Percent(), 0);
}
