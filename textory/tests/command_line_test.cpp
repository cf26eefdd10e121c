// Textory's command line: the quote rules on the whole text, the extension
// checks, the argument vector put back into quoted form (a quote inside an
// argument refused), and names made absolute against the starting folder.
#include "textory/app/command_line.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/win/path.h"
#include "platform/win/tests/scratch_folder.h"

namespace {

using textory::CommandLineVerdict;
using textory::ParseArguments;
using textory::ParseCommandLineText;

TEST(TextoryCommandLineText, QuotesMakeOneOrTwoNames) {
    auto two = ParseCommandLineText("\"c:\\in\\a.jpg\" \"d:\\out\\b.txt\"");
    EXPECT_EQ(two.verdict, CommandLineVerdict::kAccepted);
    EXPECT_EQ(two.input, "c:\\in\\a.jpg");
    EXPECT_EQ(two.output, "d:\\out\\b.txt");
    // Text outside the quotes is ignored.
    auto framed = ParseCommandLineText("x \"a.jpg\"-y-\"b.txt\" z");
    EXPECT_EQ(framed.verdict, CommandLineVerdict::kAccepted);
    EXPECT_EQ(framed.output, "b.txt");
    auto one = ParseCommandLineText("\"a b.jpg\"");
    EXPECT_EQ(one.verdict, CommandLineVerdict::kAccepted);
    EXPECT_EQ(one.input, "a b.jpg");
    EXPECT_EQ(one.output, "c:\\test.doc");
}

TEST(TextoryCommandLineText, MalformedLinesAreIllegal) {
    for (const char* text : {"", "\"", "a.jpg b.txt", "\"a.jpg", "\"a.jpg\" \"b.txt", "\"\"\"", "\"a.jpg\" \"b.txt\" \"c.txt\""}) {
        EXPECT_EQ(ParseCommandLineText(text).verdict, CommandLineVerdict::kIllegal) << text;
    }
}

TEST(TextoryCommandLineText, ExtensionsAreCheckedWithoutCase) {
    EXPECT_EQ(ParseCommandLineText("\"A.JPG\" \"B.Doc\"").verdict, CommandLineVerdict::kAccepted);
    EXPECT_EQ(ParseCommandLineText("\"a.Tif\" \"b.HTM\"").verdict, CommandLineVerdict::kAccepted);
    EXPECT_EQ(ParseCommandLineText("\"a.bmp\" \"b.txt\"").verdict, CommandLineVerdict::kAccepted);
    for (const char* text : {"\"a.png\" \"b.doc\"", "\"a.jpg\" \"b.rtf\"", "\"a.jpg\" \"b\"", "\"a\" \"b.txt\"",
                             "\"a.jpg\" \"b.docx\"", "\"dir.jpg\\a\" \"b.txt\"", "\"a.jpg\" \"out.txt\\b\""})
        EXPECT_EQ(ParseCommandLineText(text).verdict, CommandLineVerdict::kRefused) << text;
}

TEST(TextoryArguments, AreQuotedAndMadeAbsolute) {
    suite_test::ScratchFolder scratch;
    const std::filesystem::path before = std::filesystem::current_path();
    ASSERT_EQ(::chdir(scratch.path().c_str()), 0);
    auto line = ParseArguments({"page one.tif", "../out/b.txt"});
    ASSERT_EQ(::chdir(before.c_str()), 0);
    ASSERT_EQ(line.verdict, CommandLineVerdict::kAccepted);
    EXPECT_EQ(suite::NativePath(line.input), scratch / "page one.tif");
    EXPECT_EQ(suite::NativePath(line.output),
              (std::filesystem::path(scratch.path()).parent_path() / "out" / "b.txt").string());

    auto windows = ParseArguments({"c:\\in\\a.jpg", "c:\\out\\b.htm"});
    EXPECT_EQ(windows.input, "C:\\in\\a.jpg");
    EXPECT_EQ(windows.output, "C:\\out\\b.htm");
    EXPECT_FALSE(windows.embedded);
}

TEST(TextoryArguments, QuotesInsideAnArgumentAndMissingNamesAreIllegal) {
    EXPECT_EQ(ParseArguments({}).verdict, CommandLineVerdict::kIllegal);
    EXPECT_EQ(ParseArguments({"\""}).verdict, CommandLineVerdict::kIllegal);
    EXPECT_EQ(ParseArguments({"a.jpg", "b\".txt"}).verdict, CommandLineVerdict::kIllegal);
    EXPECT_EQ(ParseArguments({"/a.jpg\" \"/b.txt"}).verdict, CommandLineVerdict::kIllegal);
    EXPECT_EQ(ParseArguments({"a.png", "b.doc"}).verdict, CommandLineVerdict::kRefused);
    // Three names would run the second and third together into one.
    EXPECT_EQ(ParseArguments({"/a.jpg", "/b.txt", "/c.txt"}).verdict, CommandLineVerdict::kIllegal);
}

TEST(TextoryArguments, AutomationSwitchesStandApart) {
    auto line = ParseArguments({"/x/a.jpg", "/x/b.txt", "/Embedding"});
    EXPECT_EQ(line.verdict, CommandLineVerdict::kAccepted);
    EXPECT_TRUE(line.embedded);
    EXPECT_TRUE(ParseArguments({"-automation", "/x/a.jpg"}).embedded);
    EXPECT_EQ(ParseArguments({"/x/a.jpg", "/x/b.txt", "/Other"}).verdict, CommandLineVerdict::kIllegal);
}

}  // namespace
