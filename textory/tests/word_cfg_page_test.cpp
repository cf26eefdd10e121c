// The "Word" settings page's states: what task-bar mode leaves enabled, the
// column and line-break checks depending on the document mode, and
// automatic detection filling the version.
#include "textory/settings/word_cfg_page_state.h"

#include <gtest/gtest.h>

namespace {

using namespace textory;

TEST(TextoryWordPage, EnabledControlsFollowModeAndChoices) {
    TextorySettings settings;
    CWordCfgPageState page;
    page.Fill(settings, true);
    EXPECT_TRUE(page.IsEnabled(kFilterBreaksInputCheck));
    for (int id : {kColumnInfoCheck, kFilterBreaksCheck, kNewDocumentRadio, kInsertDocumentRadio})
        EXPECT_FALSE(page.IsEnabled(id)) << id;
    EXPECT_FALSE(page.IsEnabled(kWord2000Radio)) << "automatic detection is on";

    page.Fill(settings, false);
    EXPECT_FALSE(page.IsEnabled(kFilterBreaksInputCheck));
    EXPECT_TRUE(page.IsEnabled(kColumnInfoCheck));
    EXPECT_TRUE(page.IsEnabled(kFilterBreaksCheck));
    page.OnColumnInfo(true);
    EXPECT_TRUE(page.Modified());
    EXPECT_FALSE(page.IsEnabled(kFilterBreaksCheck)) << "columns kept: no line-break filter";
    page.OnDocMode(1);
    EXPECT_FALSE(page.IsEnabled(kColumnInfoCheck));
    EXPECT_TRUE(page.IsEnabled(kFilterBreaksCheck));
    page.OnDocMode(0);
    EXPECT_TRUE(page.IsEnabled(kColumnInfoCheck));
    EXPECT_FALSE(page.IsEnabled(kFilterBreaksCheck));
}

TEST(TextoryWordPage, DetectionAndTheValuesWrittenBack) {
    TextorySettings settings;
    settings.autoTestWord = false;
    settings.wordVersion = 9;  // out of range in a damaged profile
    CWordCfgPageState page;
    page.Fill(settings, false);
    EXPECT_EQ(page.wordVersion, 3);
    EXPECT_TRUE(page.IsEnabled(kWord97Radio));
    int detections = 0;
    page.OnAutoDetect(true, [&] {
        ++detections;
        return 1;
    });
    EXPECT_EQ(detections, 1);
    EXPECT_EQ(page.wordVersion, 1);
    EXPECT_FALSE(page.IsEnabled(kWordXpRadio));
    page.OnAutoDetect(false, [&] { return ++detections; });
    EXPECT_EQ(detections, 1) << "turning detection off detects nothing";
    page.OnDocMode(1);
    page.Apply(settings);
    EXPECT_FALSE(settings.createToWord);
    EXPECT_FALSE(settings.autoTestWord);
    EXPECT_EQ(settings.wordVersion, 1);
}

}  // namespace
