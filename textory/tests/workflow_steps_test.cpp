// The step table and the scan-target history.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "textory/workflow/path_history.h"
#include "textory/workflow/workflow_steps.h"

namespace {

TEST(TextoryWorkflowSteps, FirstPendingAndTheIndexRange) {
    std::vector<std::string> reports;
    CWorkflowSteps steps([&](const std::string& text) { reports.push_back(text); });
    EXPECT_EQ(steps.FirstPending(), -1);
    steps.SetPending(1, 1);
    steps.SetPending(3, 1);
    EXPECT_EQ(steps.FirstPending(), 1);
    steps.SetPending(1, 2);  // only exactly 1 counts as pending
    EXPECT_EQ(steps.FirstPending(), 3);
    steps.SetOption(3, 2);
    EXPECT_EQ(steps.GetOptionOrFail(3), 2);
    EXPECT_TRUE(reports.empty());

    steps.SetPending(4, 1);
    steps.SetOption(-1, 0);
    EXPECT_EQ(steps.IsPending(7), 0);
    EXPECT_EQ(steps.GetOption(4), 0);
    EXPECT_EQ(steps.GetOptionOrFail(4), -1);
    EXPECT_EQ(reports, std::vector<std::string>(5, "index excess"));
    EXPECT_EQ(steps.FirstPending(), 3) << "a bad index changed nothing";

    steps.SetAllPending(1);
    steps.SetAllOptions(0);
    EXPECT_EQ(steps.FirstPending(), 0);
    EXPECT_EQ(steps.GetOption(2), 0);
    steps.Reset();
    for (int i = 0; i < CWorkflowSteps::kCount; ++i) {
        EXPECT_EQ(steps.IsPending(i), 0);
        EXPECT_EQ(steps.GetOption(i), 1);
    }
}

std::string series(int n, int counter = 1) {
    char name[64];
    std::snprintf(name, sizeof name, "c:\\scans\\s%02d_%03d.jpg", n, counter);
    return name;
}

TEST(TextoryPathHistory, OneEntryPerSeriesAtMostTen) {
    CPathHistory history;
    EXPECT_EQ(history.Find(""), -1);
    EXPECT_EQ(history.Find(series(1)), -1);
    for (int i = 1; i <= 10; ++i) history.AddPath(series(i));
    EXPECT_EQ(history.GetCount(), 10);
    // The newest series only renames its entry.
    history.AddPath(series(10, 2));
    EXPECT_EQ(history.GetCount(), 10);
    EXPECT_EQ(history.NewestFirst().front(), series(10, 2));
    // An older series moves to the newest place.
    history.AddPath(series(3, 9));
    EXPECT_EQ(history.GetCount(), 10);
    EXPECT_EQ(history.NewestFirst().front(), series(3, 9));
    EXPECT_EQ(history.Find(series(10, 5)), 1);
    // An 11th series drops the oldest (series 1).
    history.AddPath(series(11));
    EXPECT_EQ(history.GetCount(), 10);
    EXPECT_EQ(history.Find(series(1)), -1);
    EXPECT_EQ(history.Find(series(2)), 9);
    EXPECT_EQ(history.NewestFirst().back(), series(2));
}

TEST(TextoryPathHistory, RemovalsByPositionAndLongPaths) {
    CPathHistory history;
    std::string out;
    EXPECT_FALSE(history.PopOldest(out));
    const std::string longPath = "c:\\" + std::string(600, 'x') + "\\scan001.jpg";
    history.AddPath(longPath);
    history.AddPath("c:\\a\\b001.jpg");
    history.AddPath("c:\\a\\c001.jpg");
    EXPECT_EQ(history.Find("C:\\" + std::string(600, 'X') + "\\SCAN777.JPG"), 2);
    EXPECT_FALSE(history.RemoveAt(3, out));
    EXPECT_FALSE(history.RemoveNewestAt(-1, out));
    ASSERT_TRUE(history.RemoveNewestAt(1, out));
    EXPECT_EQ(out, "c:\\a\\b001.jpg");
    ASSERT_TRUE(history.PopOldest(out));
    EXPECT_EQ(out, longPath) << "kept whole";
    history.SetNewest("c:\\z\\z001.jpg");
    ASSERT_TRUE(history.RemoveAt(0, out));
    EXPECT_EQ(out, "c:\\z\\z001.jpg");
    EXPECT_EQ(history.GetCount(), 0);
}

}  // namespace
