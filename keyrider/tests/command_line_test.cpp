// The command line: whole switches without case, the quoted job ini path kept
// as written, button numbers checked.
#include <gtest/gtest.h>

#include "keyrider/bounded_text.h"
#include "keyrider/command_line.h"

namespace {

using keyrider::ParseCommandLine;

TEST(CommandLine, QuitOnlyWhenTheWholeLineIsQ) {
    EXPECT_TRUE(ParseCommandLine("/q").quit);
    EXPECT_TRUE(ParseCommandLine("  /Q  ").quit);
    EXPECT_FALSE(ParseCommandLine("/q x").quit);
    EXPECT_FALSE(ParseCommandLine("/q /M").quit);
    EXPECT_FALSE(ParseCommandLine("\"/q\"").quit);
    EXPECT_FALSE(ParseCommandLine("/quit").quit);
    EXPECT_TRUE(ParseCommandLine("").empty);
    EXPECT_TRUE(ParseCommandLine(" \t ").empty);
    EXPECT_FALSE(ParseCommandLine("/q x").empty);
}

TEST(CommandLine, PathsHoldingSwitchLettersKeepTheirCaseAndSwitchNothing) {
    auto c = ParseCommandLine("/SKIPBTN /B 3 \"/home/bob/Job.ini\"");
    EXPECT_TRUE(c.skipButtons);
    EXPECT_EQ(c.button, 3);
    EXPECT_FALSE(c.show);
    EXPECT_EQ(c.iniPath, "/home/bob/Job.ini");
    EXPECT_TRUE(c.quotedPathGiven);

    auto unquoted = ParseCommandLine("/home/bob/job.ini /Media/x");
    EXPECT_EQ(unquoted.button, -1);
    EXPECT_FALSE(unquoted.show);
    EXPECT_FALSE(unquoted.quotedPathGiven);

    auto spaced = ParseCommandLine("/b2 \"C:\\My Jobs\\A.ini\" \"second.ini\" /m /export");
    EXPECT_EQ(spaced.button, 2);
    EXPECT_EQ(spaced.iniPath, "C:\\My Jobs\\A.ini");
    EXPECT_TRUE(spaced.show);
    EXPECT_TRUE(spaced.exportSwitch);

    EXPECT_EQ(ParseCommandLine("\"unterminated path").iniPath, "unterminated path");
}

TEST(CommandLine, ButtonNumbersArePositiveDecimals) {
    EXPECT_EQ(ParseCommandLine("/B 0").button, -1);
    EXPECT_EQ(ParseCommandLine("/B -1").button, -1);
    EXPECT_EQ(ParseCommandLine("/B 17x").button, -1);
    EXPECT_EQ(ParseCommandLine("/B").button, -1);
    EXPECT_EQ(ParseCommandLine("/B \"3\"").button, -1);
    EXPECT_EQ(ParseCommandLine("/B 99999999999999").button, -1);
    EXPECT_EQ(ParseCommandLine("/B 12").button, 12);
    EXPECT_EQ(ParseCommandLine("/BX").button, -1);
    EXPECT_TRUE(keyrider::IsButtonNumber(12, 12));
    EXPECT_FALSE(keyrider::IsButtonNumber(13, 12));
    EXPECT_FALSE(keyrider::IsButtonNumber(0, 12));
    EXPECT_FALSE(keyrider::IsButtonNumber(-1, 12));
}

TEST(BoundedText, NeverOverrunsNorSplitsADoubleByteCharacter) {
    // "\xD6\xD0\xCE\xC4" is two GBK characters.
    EXPECT_EQ(keyrider::FitText("ab\xD6\xD0\xCE\xC4", 5), "ab\xD6\xD0");
    EXPECT_EQ(keyrider::FitText("ab\xD6\xD0\xCE\xC4", 6), "ab\xD6\xD0\xCE\xC4");
    EXPECT_EQ(keyrider::FitText("abc", 0), "");
    char buffer[4];
    keyrider::CopyBounded(buffer, sizeof buffer, "a\xD6\xD0\xCE\xC4");
    EXPECT_STREQ(buffer, "a\xD6\xD0");
    keyrider::CopyBounded(buffer, sizeof buffer, "\xD6\xD0\xCE\xC4");
    EXPECT_STREQ(buffer, "\xD6\xD0");
    keyrider::CopyBounded(buffer, 1, "abc");
    EXPECT_STREQ(buffer, "");
    keyrider::CopyBounded(buffer, 0, "abc");  // nothing written
    std::string longName(300, 'n');
    std::string title = keyrider::ReplaceFirstPercentOne("Button Configuration (%1)", longName, 200);
    EXPECT_EQ(title.size(), 199u);
    EXPECT_EQ(keyrider::ReplaceFirstPercentOne("A %1 %1", "x", 200), "A x %1");
    // A double-byte product name is cut before its character, not through it.
    std::string gbk;
    for (int i = 0; i < 100; ++i) gbk += "\xD6\xD0";
    std::string cut = keyrider::ReplaceFirstPercentOne("(%1)", gbk, 200);
    EXPECT_EQ(cut.size(), 199u);
    EXPECT_EQ(cut.substr(cut.size() - 2), "\xD6\xD0");
}

}  // namespace

namespace {

TEST(CommandLine, ProgramArgumentsTakeTheFirstNonSwitchAsTheIniPath) {
    auto c = keyrider::ParseArguments({"/SKIPBTN", "/B", "1", "/tmp/keyrider-job-Ab12"});
    EXPECT_TRUE(c.skipButtons);
    EXPECT_EQ(c.button, 1);
    EXPECT_EQ(c.iniPath, "/tmp/keyrider-job-Ab12");
    auto upper = keyrider::ParseArguments({"/home/bob/Job.ini", "/m"});
    EXPECT_EQ(upper.iniPath, "/home/bob/Job.ini");
    EXPECT_TRUE(upper.show);
    EXPECT_EQ(upper.button, -1);
    EXPECT_TRUE(keyrider::ParseArguments({"/q"}).quit);
    EXPECT_FALSE(keyrider::ParseArguments({"/q", "x"}).quit);
    EXPECT_TRUE(keyrider::ParseArguments({}).empty);
    EXPECT_EQ(keyrider::ParseArguments({"/B", "0"}).button, -1);
    EXPECT_EQ(keyrider::ParseArguments({"/b12"}).button, 12);
}

}  // namespace
