#include "ocrdoc/tabletext/escaped_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ocrdoc/tabletext/tests/table_fixtures.h"
#include "ocrdoc/tests/fake_document_host.h"

namespace {

TEST(EscapedLines, LineEndsInsideEscapesAndCutTextDoNotCount) {
    // Record number 10 carries an LF byte inside its escape.
    const std::string text = Esc(0, 'a', 10) + "b\r\n" + "c\r\n";
    EXPECT_EQ(NextLine(text, 0), 9u);
    EXPECT_EQ(NextLine(text, 9), text.size());
    EXPECT_EQ(NextLine(text, text.size()), text.size());
    // An escape cut by the text's end, and a lead byte without its trail.
    const std::string cut("ab\x80\x00\x41", 5);
    EXPECT_EQ(NextLine(std::string_view(cut.data(), 5), 0), 5u);
    EXPECT_EQ(NextLine(std::string_view("x\xB0", 2), 0), 2u);
    std::size_t consumed = 0;
    EXPECT_EQ(LineToPlain(std::string_view(cut.data(), 5), 0, &consumed), std::string("ab\0A", 4));
    EXPECT_EQ(consumed, 5u);
}

TEST(EscapedLines, PlainFormKeepsCodesAndDropsBrokenMarkers) {
    const std::string text = Esc(0, 'a', 0) + Esc(0xD6, 0xD0, 1) + "\xB0\xA1" + "\xFF" + "\x80z" + "\r\nnext";
    std::size_t consumed = 0;
    EXPECT_EQ(LineToPlain(text, 0, &consumed), "a\xD6\xD0\xB0\xA1\xFFz\r\n");
    EXPECT_EQ(consumed, text.size() - 4);
    EXPECT_EQ(LineToPlain(text, consumed, &consumed), "next");
}

TEST(EscapedLines, CopyLinePlainBoundsLongLines) {
    // 1 + 1500 double-byte characters: the 1024-byte buffer ends in the middle of one.
    std::string line = "a";
    for (int i = 0; i < 1500; ++i) line += "\xB0\xA1";
    const std::string text = line + "\r\nrest\r\n";
    std::vector<char> out(1024 + 16, '#');
    bool cut = false;
    std::size_t consumed = CopyLinePlain(text, 0, out.data(), 1024, &cut);
    EXPECT_TRUE(cut);
    EXPECT_EQ(consumed, line.size() + 2);  // the caller moves to the next line
    std::string copied(out.data());
    EXPECT_EQ(copied.size(), 1022u);  // 1 + 510 pairs + LF; the 512th byte would split a pair
    EXPECT_EQ(copied.back(), '\n');
    EXPECT_EQ(out[1024], '#');
    consumed = CopyLinePlain(text, consumed, out.data(), 1024, &cut);
    EXPECT_FALSE(cut);
    EXPECT_STREQ(out.data(), "rest\r\n");
    EXPECT_EQ(CopyLinePlain(text, 0, out.data(), 1, &cut), 0u);
}

TEST(EscapedLines, TableLineTestsLookAtTypedPairsOnly) {
    CFakeDocumentHost shell;
    const std::string v = Box(kBoxVertical), h = Box(kBoxHorizontal);
    EXPECT_TRUE(LineStartsWithTableChar(v + "a\r\n", 0));
    EXPECT_FALSE(LineStartsWithTableChar(Esc(0xA9, 0xA7, 0) + "\r\n", 0));
    EXPECT_FALSE(LineStartsWithTableChar("\xA9", 0));  // a lead byte at the end
    EXPECT_TRUE(LineHasHorizontalChar("ab" + h + "\r\n", 0));
    EXPECT_FALSE(LineHasHorizontalChar("ab\r\n" + h, 0));
    EXPECT_FALSE(LineHasHorizontalChar("a" + Esc(0xA9, 0xA5, 3) + "\r\n", 0));
    EXPECT_TRUE(LineStartsWithBottomLeft(Box(kBoxBottomLeft) + h, 0));
    EXPECT_FALSE(LineStartsWithBottomLeft(Box(kBoxTopLeft) + h, 0));
    shell.simplified = false;  // the GB characters are no table lines on a traditional system
    EXPECT_FALSE(LineStartsWithTableChar("\xA9\xA7" "a", 0));
    EXPECT_TRUE(LineStartsWithTableChar(Box(kBoxVertical), 0));
    EXPECT_EQ(Box(kBoxVertical), "\xA2\x78");
}

TEST(EscapedLines, LineBlockAndLineEnd) {
    RecoCharInfo recs[2]{};
    recs[1].wBlock = 7;
    EXPECT_EQ(GetLineBlock("ab" + Esc(0, 'c', 1) + "\r\n", 0, recs, 2), 7);
    EXPECT_EQ(GetLineBlock("ab\r\n" + Esc(0, 'c', 1), 0, recs, 2), -1);
    EXPECT_EQ(GetLineBlock(Esc(0, 'c', 5) + "\r\n", 0, recs, 2), -1);
    std::string s = "abc \t ";
    EXPECT_FALSE(AppendLineEnd(s));
    EXPECT_EQ(s, "abc\r\n");
    s = "  \r\n";
    EXPECT_TRUE(AppendLineEnd(s));
    EXPECT_EQ(s, "");
}

}  // namespace
