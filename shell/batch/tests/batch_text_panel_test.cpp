// The batch window's text panel: pieces fill a line until the next does not
// fit, line feeds only end lines, a full panel scrolls by one line, and
// nothing ever goes past the 16 lines of 79 characters, whatever the pieces
// and the panel's size.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "shell/batch/batch_text_panel.h"

namespace {

std::string LineOf(const CBatchTextPanel& p, int i) { return p.Line(i); }

}  // namespace

TEST(BatchTextPanel, PiecesWrapAtTheColumnsAndLineFeedsOnlyEndLines) {
    CBatchTextPanel panel;
    panel.SetGeometry(4, 10);
    EXPECT_EQ(panel.CurrentLine(), -1);
    auto c = panel.AddText("abcd");
    EXPECT_EQ(panel.CurrentLine(), 0);
    EXPECT_FALSE(c.whole);
    EXPECT_EQ(c.line, 0);
    EXPECT_EQ(c.fromColumn, 0);
    c = panel.AddText("efgh");
    EXPECT_EQ(c.fromColumn, 4);
    EXPECT_EQ(LineOf(panel, 0), "abcdefgh");
    // Three more would make 11 of 10 columns: the piece starts line 1.
    c = panel.AddText("ijk");
    EXPECT_EQ(panel.CurrentLine(), 1);
    EXPECT_EQ(c.line, 1);
    EXPECT_EQ(c.fromColumn, 0);
    EXPECT_EQ(LineOf(panel, 0), "abcdefgh");
    EXPECT_EQ(LineOf(panel, 1), "ijk");
    // A line feed advances and adds nothing; so does the second of two.
    c = panel.AddText("\n");
    EXPECT_EQ(panel.CurrentLine(), 2);
    EXPECT_EQ(c.line, -1);
    panel.AddText("\n\r");
    EXPECT_EQ(panel.CurrentLine(), 3);
    EXPECT_EQ(LineOf(panel, 2), "");
    // Carriage returns inside a piece are not drawn.
    panel.AddText("x\ry");
    EXPECT_EQ(LineOf(panel, 3), "xy");
}

TEST(BatchTextPanel, AFullPanelScrollsUpByOneLine) {
    CBatchTextPanel panel;
    panel.SetGeometry(3, 5);
    panel.AddText("one");
    panel.AddText("\n");
    panel.AddText("two");
    panel.AddText("\n");
    panel.AddText("three");
    EXPECT_EQ(panel.CurrentLine(), 2);
    // The last visible line is current: a line end moves everything up.
    auto c = panel.AddText("\n");
    EXPECT_TRUE(c.whole);
    EXPECT_EQ(panel.CurrentLine(), 2);
    EXPECT_EQ(LineOf(panel, 0), "two");
    EXPECT_EQ(LineOf(panel, 1), "three");
    EXPECT_EQ(LineOf(panel, 2), "");
    // So does a piece that does not fit the last line.
    panel.AddText("four");
    c = panel.AddText("five");
    EXPECT_TRUE(c.whole);
    EXPECT_EQ(LineOf(panel, 0), "three");
    EXPECT_EQ(LineOf(panel, 1), "four");
    EXPECT_EQ(LineOf(panel, 2), "five");
}

TEST(BatchTextPanel, GeometryAndPiecesStayInsideTheBuffer) {
    CBatchTextPanel panel;
    // A panel taller and wider than the buffer is bounded to it; a tiny one to 1 x 1.
    panel.SetGeometry(400, 1000);
    EXPECT_EQ(panel.VisibleLines(), CBatchTextPanel::kMaxLines);
    EXPECT_EQ(panel.Columns(), CBatchTextPanel::kMaxColumns);
    panel.SetGeometry(-3, 0);
    EXPECT_EQ(panel.VisibleLines(), 1);
    EXPECT_EQ(panel.Columns(), 1);

    panel.SetGeometry(400, 1000);
    // A 500-byte piece goes over several whole lines, none past 79 characters.
    const std::string longPiece(500, 'w');
    panel.AddText(longPiece.c_str());
    for (int i = 0; i < CBatchTextPanel::kMaxLines; ++i) EXPECT_LE(std::strlen(panel.Line(i)), 79u);
    EXPECT_EQ(LineOf(panel, 0), std::string(79, 'w'));
    EXPECT_EQ(panel.CurrentLine(), 6);  // 6 full lines and 26 characters
    EXPECT_EQ(LineOf(panel, 6), std::string(500 - 6 * 79, 'w'));
    // Hundreds of lines never leave the 16 lines.
    for (int i = 0; i < 300; ++i) panel.AddText(i % 3 ? "\n" : "abc");
    EXPECT_LT(panel.CurrentLine(), CBatchTextPanel::kMaxLines);
    // A panel that shrank below its text scrolls the current line into view.
    panel.SetGeometry(4, 79);
    panel.AddText("\n");
    EXPECT_EQ(panel.CurrentLine(), 3);
    EXPECT_EQ(panel.Line(99), std::string());
}

TEST(BatchTextPanel, DoubleByteCharactersAreNeverSplit) {
    CBatchTextPanel panel;
    panel.SetGeometry(4, 5);
    // "识别结果" in GBK: four 2-byte characters.
    const char* text = "\xCA\xB6\xB1\xF0\xBD\xE1\xB9\xFB";
    panel.AddText(text);
    EXPECT_EQ(LineOf(panel, 0), "\xCA\xB6\xB1\xF0");
    EXPECT_EQ(LineOf(panel, 1), "\xBD\xE1\xB9\xFB");
    // One column still takes a whole character per line.
    panel.Clear();
    panel.SetGeometry(4, 1);
    panel.AddText("\xCA\xB6\xB1\xF0");
    EXPECT_EQ(LineOf(panel, 0), "\xCA\xB6");
    EXPECT_EQ(LineOf(panel, 1), "\xB1\xF0");
}
