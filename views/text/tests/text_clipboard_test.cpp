// The text view's clipboard: copy, cut and paste through the desktop's
// clipboard, and the cleaning of pasted text.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>

#include <cstring>

#include "ocrdoc/result/table_line_char.h"
#include "platform/afx/core/clipboard.h"
#include "platform/win/memory.h"
#include "views/text/tests/text_view_fixtures.h"

namespace {

using TextClipboard = TextViewTest;

std::string Clean(const std::string& bytes) {
    return CleanPastedText(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size());
}

// Puts ANSI bytes on the clipboard as CF_TEXT.
void PutText(const std::string& bytes) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size() + 1);
    std::memcpy(GlobalLock(block), bytes.c_str(), bytes.size() + 1);
    GlobalUnlock(block);
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
}

std::string ClipboardText() {
    if (!OpenClipboard(nullptr)) return "<busy>";
    std::string out;
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
        out = static_cast<const char*>(GlobalLock(h));
        GlobalUnlock(h);
    }
    CloseClipboard();
    return out;
}

TEST_F(TextClipboard, CopyGivesCrLfTextAndTheDesktopSeesLf) {
    Load("ab" + RecoUnit(0xD6, 0xD0, 0) + "\r\ncd\r\n", {MakeRecord(0, 0, 'D')}, {2});
    EXPECT_FALSE(view.CanCopy());
    EXPECT_FALSE(view.Copy() && ClipboardText() != "") << "an empty selection copies nothing";
    Caret(0, 1);
    Key(VK_DOWN, true);
    ASSERT_TRUE(view.CanCopy());
    ASSERT_TRUE(view.Copy());
    EXPECT_EQ(ClipboardText(), "b\xD6\xD0\r\nc");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("b中\nc"));
    EXPECT_EQ(shell.waitCursorDepth, 0);
    EXPECT_EQ(Plain(), "ab\xD6\xD0\r\ncd\r\n") << "copy leaves the text";
}

TEST_F(TextClipboard, PasteMakesCrLfOfLoneLineEndsAndCountsTheLinesInserted) {
    Load("ab\r\ncd\r\n", {}, {1, 1});
    QGuiApplication::clipboard()->setText(QString::fromUtf8("x\ny\tz\n中"));
    ASSERT_TRUE(view.CanPaste());
    Caret(0, 1);
    view.Paste();
    EXPECT_EQ(Plain(), "ax\r\ny z\r\n\xD6\xD0" "b\r\ncd\r\n");
    EXPECT_EQ(Counts(), (std::vector<int>{3, 1}));
    EXPECT_EQ(CountSum(), static_cast<int>(doc.m_nLineCount));
    view.Undo();
    EXPECT_EQ(Plain(), "ab\r\ncd\r\n");
    EXPECT_EQ(Counts(), (std::vector<int>{1, 1}));

    // Our own CF_TEXT with lone CR and LF and a tab (bytes the desktop cannot
    // carry are tested on the cleaning itself).
    PutText("1\r2\n3\t");
    Caret(1, 2);
    view.Paste();
    EXPECT_EQ(Plain(), "ab\r\ncd1\r\n2\r\n3 \r\n");
    EXPECT_EQ(Counts(), (std::vector<int>{1, 3}));
}

TEST_F(TextClipboard, PastedTextIsCleanedInACopy) {
    EXPECT_EQ(Clean(std::string("ab\0cd", 5)), "ab") << "nothing after an embedded 0";
    EXPECT_EQ(Clean("a\tb\x01\x7F\x80\xFF"), "a b    ");
    EXPECT_EQ(Clean("\r\r\n\n"), "\r\n\r\n\r\n");
    EXPECT_EQ(Clean("\xD6\xD0\xD6"), "\xD6\xD0") << "a lead byte without its trail at the end goes";
    EXPECT_EQ(Clean("\xD6" "1"), " 1");
    EXPECT_EQ(Clean(""), "");

    // The clipboard's own block is left as it was.
    Load("ab\r\n", {}, {1});
    PutText("p\tq");
    view.Paste();
    EXPECT_EQ(Plain(), "p qab\r\n");
    EXPECT_EQ(ClipboardText(), "p\tq");
}

TEST_F(TextClipboard, PastingReplacesTheSelectionAndRefusesOverlongLines) {
    Load("abc\r\ndef\r\n", {}, {1, 1});
    PutText("Z");
    Caret(0, 1);
    Key(VK_DOWN, true);
    view.Paste();
    EXPECT_EQ(Plain(), "aZef\r\n");
    EXPECT_EQ(Counts(), (std::vector<int>{0, 1}));
    view.Undo();
    EXPECT_EQ(Plain(), "abc\r\ndef\r\n");
    EXPECT_EQ(Counts(), (std::vector<int>{1, 1}));

    PutText(std::string(510, 'w'));
    view.Paste();
    EXPECT_EQ(Plain(), "abc\r\ndef\r\n") << "the line would pass 512 bytes";
    PutText(std::string(509, 'w') + "\r\n" + std::string(509, 'v'));
    Caret(0, 0);
    view.Paste();
    EXPECT_EQ(view.FetchLine(0).length, 509);
    EXPECT_EQ(view.FetchLine(1).length, 512);
    EXPECT_EQ(CountSum(), static_cast<int>(doc.m_nLineCount));
}

TEST_F(TextClipboard, CutDeletesOnlyAfterAGoodCopy) {
    Load("abc\r\ndef\r\n", {}, {1, 1});
    Caret(0, 1);
    Key(VK_DOWN, true);
    // Another window holds the clipboard open: no copy, so nothing is cut.
    ASSERT_TRUE(OpenClipboard(nullptr));
    view.Cut();
    EXPECT_EQ(Plain(), "abc\r\ndef\r\n");
    view.Paste();
    EXPECT_EQ(Plain(), "abc\r\ndef\r\n");
    CloseClipboard();

    view.Cut();
    EXPECT_EQ(Plain(), "aef\r\n");
    EXPECT_EQ(ClipboardText(), "bc\r\nd");
    EXPECT_EQ(Counts(), (std::vector<int>{0, 1}));
    view.Undo();
    EXPECT_EQ(Plain(), "abc\r\ndef\r\n");
    EXPECT_EQ(Counts(), (std::vector<int>{1, 1}));
}

TEST_F(TextClipboard, TableFramesAreNeitherCutNorPastedInto) {
    shell.simplified = true;
    WORD v = TableBoxChar(kBoxVertical);
    const std::string frame{static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)};
    Load("a" + frame + "b\r\nplain\r\n", {}, {2});
    PutText("Q");
    view.Paste();
    EXPECT_EQ(Plain(), "a" + frame + "b\r\nplain\r\n") << "the caret line holds a frame";
    Key(VK_RIGHT, true);
    Key(VK_RIGHT, true);
    view.Cut();
    EXPECT_EQ(Plain(), "a" + frame + "b\r\nplain\r\n");
    // Frame characters pasted elsewhere become spaces.
    Caret(1, 0);
    PutText("x" + frame + "y");
    view.Paste();
    EXPECT_EQ(view.FetchLine(1).length, 9);
    EXPECT_EQ(Plain(), "a" + frame + "b\r\nx  yplain\r\n");
}

}  // namespace
