#include "feedgate/feedgate_route.h"

#include <gtest/gtest.h>

#include <string>

#include "feedgate/feedgate_launch.h"

using feedgate::Program;
using feedgate::RouteCommandLine;

TEST(FeedgateRouting, NoFileOrOneDirectImageGoesToScribant) {
    EXPECT_EQ(RouteCommandLine(""), Program::Scribant);
    EXPECT_EQ(RouteCommandLine("\"C:\\Scans\\PAGE.TIF\""), Program::Scribant);
    EXPECT_EQ(RouteCommandLine("C:\\Scans\\page.jpg"), Program::Scribant);
    EXPECT_EQ(RouteCommandLine("\"/home/u/my scans/a.Bmp\""), Program::Scribant);
    EXPECT_EQ(RouteCommandLine("\"C:\\v1.2\\page.tif\""), Program::Scribant);
    for (const char* line : {"\"a.pdf\"", "\"a.PNG\"", "\"a.jpeg\"", "\"a.Tiff\"", "\"a.pcx\""})
        EXPECT_EQ(RouteCommandLine(line), Program::Scribant) << line;
}

TEST(FeedgateRouting, OtherKindsAndSeveralFilesGoToTextory) {
    for (const char* line : {"\"a.doc\"", "\"a.tif2\"", "\"a.pdfx\"", "\"C:\\Scans\\page\"",
                             "\"C:\\v1.2\\page\"", "page.pdf.txt", "\"a.bmp\" \"b.bmp\"", "\"a.tif\" \"b.jpg\"",
                             "\"a.pdf\" \"out.rtf\""}) {
        EXPECT_EQ(RouteCommandLine(line), Program::Textory) << line;
    }
}

TEST(FeedgateRouting, QuotesAreStrippedOnlyFromALineOfTwoOrMore) {
    EXPECT_EQ(feedgate::StripOuterQuotes("\"a.tif\""), "a.tif");
    EXPECT_EQ(feedgate::StripOuterQuotes("\"\""), "");
    // A lone quote both starts and ends the line; it stays as it is.
    EXPECT_EQ(feedgate::StripOuterQuotes("\""), "\"");
    EXPECT_EQ(RouteCommandLine("\""), Program::Textory);
    EXPECT_EQ(RouteCommandLine("\"\""), Program::Textory);
    EXPECT_EQ(feedgate::StripOuterQuotes("\"a.tif"), "\"a.tif");
    // Half-quoted lines keep their quote: the count or the extension sees it.
    EXPECT_EQ(RouteCommandLine("\"a.tif"), Program::Textory);
    EXPECT_EQ(RouteCommandLine("a.tif\""), Program::Textory);
}

TEST(FeedgateRouting, QuotesAreCountedBeforeTheLastTwoCharacters) {
    EXPECT_FALSE(feedgate::NamesSeveralFiles("\"a\""));
    EXPECT_FALSE(feedgate::NamesSeveralFiles("\"C:\\a b\\c.tif\""));
    EXPECT_TRUE(feedgate::NamesSeveralFiles("\"a.bmp\" \"b.bmp\""));
    // Unquoted: a quote in the last two characters is not counted.
    EXPECT_FALSE(feedgate::NamesSeveralFiles("ab.tif\""));
    EXPECT_TRUE(feedgate::NamesSeveralFiles("a\"b.tif"));
    EXPECT_TRUE(feedgate::NamesSeveralFiles("\"\"\""));
}

TEST(FeedgateRouting, LinesOfAnyLengthAreRouted) {
    // Far longer than the 256 characters a fixed working copy would hold.
    std::string folder = "C:\\" + std::string(3000, 'd') + "\\";
    EXPECT_EQ(RouteCommandLine("\"" + folder + "page.TIF\""), Program::Scribant);
    EXPECT_EQ(RouteCommandLine("\"" + folder + "page.doc\""), Program::Textory);
    EXPECT_EQ(RouteCommandLine("\"" + folder + "page." + std::string(400, 't') + "\""), Program::Textory);
    EXPECT_EQ(RouteCommandLine("\"x." + std::string(5000, 'j') + "\" \"b.jpg\""), Program::Textory);
}

TEST(FeedgateRouting, DoubleByteNamesKeepTheirExtension) {
    // GBK characters whose trail byte is a backslash are no folder separator.
    EXPECT_EQ(RouteCommandLine("\"C:\\\xCA\\\xD4\\\xB5\\.jpg\""), Program::Scribant);
}

TEST(FeedgateCommandLines, AreHandedOnUnchanged) {
    EXPECT_EQ(feedgate::ScribantCommandLine(""), "Scribant.exe");
    EXPECT_EQ(feedgate::ScribantCommandLine("\"C:\\a b\\p.TIF\""), "Scribant.exe \"C:\\a b\\p.TIF\"");
    const std::string textory = feedgate::TextoryCommandLine("/opt/suite", "\"a.bmp\" \"b.bmp\"");
    EXPECT_TRUE(textory.ends_with("\\Textory.exe \"a.bmp\" \"b.bmp\"")) << textory;
    // A program folder with a blank is quoted so that the name stays whole.
    const std::string spaced = feedgate::TextoryCommandLine("/opt/my suite", "x");
    EXPECT_EQ(spaced.front(), '"');
    EXPECT_NE(spaced.find("my suite\\Textory.exe\" x"), std::string::npos) << spaced;
}
