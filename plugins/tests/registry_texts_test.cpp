// The plug-ins' registry texts at their edges: counts that disagree with
// their lists, texts longer than the buffers they are read into, fields that
// are not numbers.
#include <gtest/gtest.h>

#include <algorithm>

#include "plugins/common/bracket_argument.h"
#include "plugins/common/registry_texts.h"

namespace {

using plugins::ParseExtraLanguage;
using plugins::ParseSupportResolution;

TEST(PluginRegistryTexts, SupportResolutionTakesAsManyAsItsCountAndTheTextHold) {
    EXPECT_EQ(ParseSupportResolution(plugins::kDefaultSupportResolution),
              (std::vector<DWORD>{150, 200, 300, 400, 500, 600}));
    EXPECT_EQ(ParseSupportResolution("2,300,600,1200"), (std::vector<DWORD>{300, 600}));
    EXPECT_EQ(ParseSupportResolution(" 3 , 100 ,200"), (std::vector<DWORD>{100, 200}));
    EXPECT_TRUE(ParseSupportResolution("").empty());
    EXPECT_TRUE(ParseSupportResolution("-4,300").empty());
    EXPECT_TRUE(ParseSupportResolution("x,300").empty());
    EXPECT_EQ(ParseSupportResolution("3,300,0,600"), (std::vector<DWORD>{300}));
    EXPECT_EQ(ParseSupportResolution("3,300,99999999999,600"), (std::vector<DWORD>{300}));
    // Only what a 500-byte buffer holds is read: the field cut by its end is
    // read as far as it goes, nothing beyond it.
    std::string text = "200";
    while (text.size() < 495) text += ",300";
    text += ",600,700";
    std::vector<DWORD> r = ParseSupportResolution(text);
    ASSERT_FALSE(r.empty());
    EXPECT_LE(r.size(), 200u);
    EXPECT_EQ(std::count(r.begin(), r.end(), 700u), 0);
}

TEST(PluginRegistryTexts, ExtraLanguageKeepsAtMostFourIdsAndCountsThoseKept) {
    EXPECT_EQ(ParseExtraLanguage("2,3,9"), (std::vector<DWORD>{3, 9}));
    EXPECT_EQ(ParseExtraLanguage("6,1,2,3,4,5,6"), (std::vector<DWORD>{1, 2, 3, 4}));
    EXPECT_EQ(ParseExtraLanguage("4,7"), (std::vector<DWORD>{7}));
    EXPECT_TRUE(ParseExtraLanguage("0").empty());
    EXPECT_TRUE(ParseExtraLanguage("").empty());
    EXPECT_EQ(ParseExtraLanguage("3,5,x,6"), (std::vector<DWORD>{5}));
    EXPECT_EQ(plugins::FormatExtraLanguage({}), "0");
    EXPECT_EQ(plugins::FormatExtraLanguage({26}), "1,26");
    EXPECT_EQ(plugins::FormatExtraLanguage({2, 3, 20}), "3,2,3,20");
}

TEST(PluginRegistryTexts, LanguageEntriesAndTheNumericLanguage) {
    plugins::LanguageEntry e;
    ASSERT_TRUE(plugins::ParseLanguageEntry("5,Thai,1,thai.dat", &e));
    EXPECT_EQ(e.id, 5u);
    EXPECT_EQ(e.name, "Thai");
    EXPECT_EQ(e.file, "thai.dat");
    ASSERT_TRUE(plugins::ParseLanguageEntry("7,Danish,0,ignored.dat", &e));
    EXPECT_EQ(e.file, "");
    ASSERT_TRUE(plugins::ParseLanguageEntry("8,Welsh,1", &e));
    EXPECT_EQ(e.file, "");  // a flag-1 language without its file name
    EXPECT_FALSE(plugins::ParseLanguageEntry("English,1,0", &e));
    EXPECT_FALSE(plugins::ParseLanguageEntry("1,English", &e));
    EXPECT_FALSE(plugins::ParseLanguageEntry(std::string(120, '1') + ",X,0", &e));  // cut by its buffer
    plugins::NumericLanguage n = plugins::ParseNumericLanguage("Digits,31");
    EXPECT_EQ(n.name, "Digits");
    EXPECT_EQ(n.id, 31u);
    n = plugins::ParseNumericLanguage("");
    EXPECT_EQ(n.name, "Numeric");
    EXPECT_EQ(n.id, 26u);
    n = plugins::ParseNumericLanguage("Zahlen,zwei");
    EXPECT_EQ(n.name, "Zahlen");
    EXPECT_EQ(n.id, 26u);
}

TEST(PluginRegistryTexts, BracketArgumentsThatWouldEndOrSplitTheCommandAreRefused) {
    EXPECT_EQ(plugins::BracketCommand("[EXPORT]", "C:\\cards\\a (1.jpg"), "[EXPORT](C:\\cards\\a (1.jpg)");
    EXPECT_EQ(plugins::BracketCommand("[OUTPUT]", "C:\\o.pdf", ",NEW"), "[OUTPUT](C:\\o.pdf,NEW)");
    for (const char* bad : {"", "C:\\a).jpg", "C:\\a,b.jpg", "C:\\a\nb.jpg"})
        EXPECT_EQ(plugins::BracketCommand("[EXPORT]", bad), "") << bad;
}

}  // namespace
