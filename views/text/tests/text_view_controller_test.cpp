// The text view's controller: typing and its refusals, the editing keys,
// navigation, candidates, undo and the region line counts.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

#include "ocrdoc/result/table_line_char.h"
#include "views/text/tests/text_view_fixtures.h"
#include "platform/win/tests/temporary_folder.h"

namespace {

using TextViewController = TextViewTest;

std::string Box(int entry) {
    WORD c = TableBoxChar(entry);
    return std::string{static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
}

TEST_F(TextViewController, TypingPairsOnlyRealLeadAndTrailBytes) {
    LoadPlain("ab\r\n");
    Caret(0, 1);
    Type("\xD6\xD0");  // a GB character
    EXPECT_EQ(Plain(), "a\xD6\xD0" "b\r\n");
    EXPECT_EQ(view.caretCol(), 3) << "the caret moves past both bytes";

    // A lead byte followed by a CR: the CR is no trail; the lead goes, nothing is stored.
    Type("\xB0\r");
    EXPECT_EQ(Plain(), "a\xD6\xD0" "b\r\n");
    EXPECT_EQ(view.PendingLeadByte(), 0);
    // A byte that cannot trail drops the lead and is typed alone.
    Type("\xB0" "1");
    EXPECT_EQ(Plain(), "a\xD6\xD0" "1b\r\n");
    // 0x80 and 0xFF are no characters; 0x7F after a lead drops it.
    Type("\x80\xFF");
    Type("\xB0\x7F");
    EXPECT_EQ(Plain(), "a\xD6\xD0" "1b\r\n");
    // A trail in 0x40..0x7E completes a Big5-style pair.
    Type("\xA4\x40");
    EXPECT_EQ(Plain(), "a\xD6\xD0" "1\xA4\x40" "b\r\n");
    EXPECT_EQ(doc.m_nLineCount, 1u);
}

TEST_F(TextViewController, LinesStopAt512Bytes) {
    LoadPlain(std::string(511, 'x') + "\r\n" + std::string(510, 'y') + "\r\n");
    Key(VK_END);
    Type("\xD6\xD0");
    EXPECT_EQ(view.FetchLine(0).length, 511) << "no pair on a line of 511";
    Type("z");
    EXPECT_EQ(view.FetchLine(0).length, 512);
    Type("z");
    EXPECT_EQ(view.FetchLine(0).length, 512);
    Key(VK_DOWN);
    Key(VK_END);
    Type("\xD6\xD0");
    EXPECT_EQ(view.FetchLine(1).length, 512) << "a pair fits a line of 510";
    EXPECT_FALSE(view.PendingLeadByte());
}

TEST_F(TextViewController, TableFramesRefuseEdits) {
    shell.simplified = true;
    const std::string v = Box(kBoxVertical), h = Box(kBoxHorizontal);
    LoadPlain(v + "ab" + v + "\r\n" + "c" + v + "d\r\n" + h + h + "\r\n");
    // Column 0 of a line starting with a frame, and the end of a line ending with one.
    Type("x");
    Key(VK_END);
    Type("x");
    // On a horizontal line.
    Caret(2, 0);
    Type("x");
    EXPECT_EQ(Plain(), v + "ab" + v + "\r\n" + "c" + v + "d\r\n" + h + h + "\r\n");

    // In front of a vertical line: allowed in insert mode, not in overwrite mode.
    Caret(1, 1);
    SetInsert(false);
    Type("x");
    EXPECT_EQ(view.FetchLine(1).length, 4);
    SetInsert(true);
    Type("x");
    EXPECT_EQ(Plain(), v + "ab" + v + "\r\n" + "cx" + v + "d\r\n" + h + h + "\r\n");
    // A typed frame character, Enter, Ctrl+Y and deleting a frame character are refused.
    Type(v);
    Key(VK_RETURN);
    Key('Y', false, true);
    Caret(1, 2);
    Key(VK_DELETE);
    Key(VK_RIGHT);
    Key(VK_BACK);
    EXPECT_EQ(Plain(), v + "ab" + v + "\r\n" + "cx" + v + "d\r\n" + h + h + "\r\n");
    // A selection holding a frame character is neither replaced nor deleted.
    Caret(1, 0);
    for (int i = 0; i < 4; ++i) Key(VK_RIGHT, true);
    Type("q");
    Key(VK_DELETE);
    EXPECT_EQ(view.FetchLine(1).length, 5);
}

TEST_F(TextViewController, OverwritingARecognisedCharacterKeepsItsRecord) {
    RecoCharInfo rec = MakeRecord(0, 0, 'D');
    rec.wCand[0] = 0xA1B0;
    Load(RecoUnit(0xB0, 0xA1, 0) + "b\r\n", {rec}, {1});
    SetInsert(false);
    Type("\xD6\xD0");
    const std::string recoded = RecoUnit(0xD6, 0xD0, 0) + "b\r\n";
    EXPECT_EQ(Raw(), recoded);
    EXPECT_EQ(doc.Record(0)->chClass, 'A');
    EXPECT_EQ(view.caretCol(), 2);
    // A single byte over a recognised character: 0 then the byte.
    Key(VK_HOME);
    Type("k");
    EXPECT_EQ(Raw(), RecoUnit(0, 'k', 0) + "b\r\n");
    EXPECT_EQ(view.caretCol(), 1);

    view.Undo();
    EXPECT_EQ(Raw(), recoded);
    view.Undo();
    EXPECT_EQ(Raw(), RecoUnit(0xB0, 0xA1, 0) + "b\r\n");
    EXPECT_EQ(doc.Record(0)->chClass, 'D') << "the old class comes back";
    EXPECT_FALSE(view.CanUndo());
}

TEST_F(TextViewController, EnterInOverwriteModeMovesOrAppends) {
    Load("ab\r\ncd\r\n", {}, {1, 1});
    SetInsert(false);
    Caret(0, 1);
    Key(VK_RETURN);
    EXPECT_EQ(Plain(), "ab\r\ncd\r\n");
    EXPECT_EQ(view.caretRow(), 1);
    EXPECT_EQ(view.caretCol(), 0);
    Key(VK_RETURN);  // last line, not at the end: nothing further
    EXPECT_EQ(view.caretRow(), 1);
    Key(VK_END);
    Key(VK_RETURN);
    EXPECT_EQ(Plain(), "ab\r\ncd\r\n\r\n");
    EXPECT_EQ(Counts(), (std::vector<int>{1, 2}));
    EXPECT_EQ(view.caretRow(), 2);
    // Insert mode splits inside a line; the caret line's region grows.
    SetInsert(true);
    Caret(0, 1);
    Key(VK_RETURN);
    EXPECT_EQ(Plain(), "a\r\nb\r\ncd\r\n\r\n");
    EXPECT_EQ(Counts(), (std::vector<int>{2, 2}));
    view.Undo();
    view.Undo();
    EXPECT_EQ(Plain(), "ab\r\ncd\r\n");
    EXPECT_EQ(Counts(), (std::vector<int>{1, 1}));
}

TEST_F(TextViewController, DeletingAThreeLineSelectionLowersCountsBottomFirst) {
    Load("abc\r\ndef\r\nghi\r\n", {}, {1, 1, 1});
    Caret(0, 1);
    Key(VK_DOWN, true);
    Key(VK_DOWN, true);
    EXPECT_TRUE(view.HasSelection());
    Key(VK_DELETE);
    EXPECT_EQ(Plain(), "ahi\r\n");
    // Row 1's region first, then row 0's: the third region keeps the joined line.
    EXPECT_EQ(Counts(), (std::vector<int>{0, 0, 1}));
    EXPECT_EQ(view.caretRow(), 0);
    EXPECT_EQ(view.caretCol(), 1);
    EXPECT_FALSE(view.HasSelection());
    view.Undo();
    EXPECT_EQ(Plain(), "abc\r\ndef\r\nghi\r\n");
    EXPECT_EQ(Counts(), (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(view.caretRow(), 0);
    EXPECT_EQ(view.caretCol(), 1);
}

TEST_F(TextViewController, BackspaceDeleteAndCtrlY) {
    Load("a\xD6\xD0" "b\r\nxy\r\nlast\r\n", {}, {2, 1});
    Caret(0, 3);
    Key(VK_BACK);  // the double-byte character goes whole
    EXPECT_EQ(Plain(), "ab\r\nxy\r\nlast\r\n");
    EXPECT_EQ(view.caretCol(), 1);
    Key(VK_END);
    Key(VK_DELETE);  // joins the next line
    EXPECT_EQ(Plain(), "abxy\r\nlast\r\n");
    EXPECT_EQ(Counts(), (std::vector<int>{1, 1}));
    Key(VK_HOME);
    Key(VK_BACK);  // nothing at the very start
    EXPECT_EQ(Plain(), "abxy\r\nlast\r\n");
    Key('Y', false, true);
    EXPECT_EQ(Plain(), "last\r\n");
    EXPECT_EQ(Counts(), (std::vector<int>{0, 1}));
    // The last line: its bytes go, its line end and the counts stay.
    Key('Y', false, true);
    EXPECT_EQ(Plain(), "\r\n");
    EXPECT_EQ(Counts(), (std::vector<int>{0, 1}));
    Key('Y', false, true);  // an empty last line stays
    EXPECT_EQ(Plain(), "\r\n");
    for (int i = 0; i < 4; ++i) view.Undo();
    EXPECT_EQ(Plain(), "a\xD6\xD0" "b\r\nxy\r\nlast\r\n");
    EXPECT_EQ(Counts(), (std::vector<int>{2, 1}));
    EXPECT_FALSE(view.CanUndo());
}

TEST_F(TextViewController, JoiningLinesPastTheLimitIsRefused) {
    LoadPlain(std::string(300, 'a') + "\r\n" + std::string(300, 'b') + "\r\n");
    Key(VK_END);
    Key(VK_DELETE);
    EXPECT_EQ(doc.m_nLineCount, 2u);
    Key(VK_DOWN);
    Key(VK_HOME);
    Key(VK_BACK);
    EXPECT_EQ(doc.m_nLineCount, 2u);
    EXPECT_FALSE(view.CanUndo());
    // A selection whose removal would join them past the limit stays too.
    Caret(0, 290);
    Key(VK_DOWN, true);
    Key(VK_HOME, true);
    Key(VK_DELETE);
    EXPECT_EQ(doc.m_nLineCount, 2u);
    // Joined to exactly 512, the lines take no character in place of the selection.
    Caret(0, 212);
    Key(VK_DOWN, true);
    Key(VK_HOME, true);
    Type("z");
    view.OnCandidateBar(0xD0D6, 1);
    EXPECT_EQ(doc.m_nLineCount, 2u);
    Key(VK_DELETE);
    EXPECT_EQ(doc.m_nLineCount, 1u);
    EXPECT_EQ(view.FetchLine(0).length, 512);
}

TEST_F(TextViewController, RefusedStoreChangesLeaveNoRecordAndNoCountChange) {
    Load("ab\r\n", {}, {1});
    // The store's text block is full: the insert is refused with its message.
    doc.m_nTextCapacity = doc.m_nTextLen + 1;
    Type("x");
    Key(VK_RETURN);
    EXPECT_EQ(Plain(), "ab\r\n");
    EXPECT_FALSE(view.CanUndo()) << "no record for a refused insert";
    EXPECT_EQ(Counts(), (std::vector<int>{1}));
    EXPECT_FALSE(shell.messages.empty());
}

TEST_F(TextViewController, VerticalMovesSnapToCharacterStarts) {
    LoadPlain("abcd\r\n\xD6\xD0\xCE\xC4\r\nx\r\n");
    Caret(0, 3);
    Key(VK_DOWN);
    EXPECT_EQ(view.caretCol(), 2) << "column 3 is the second byte of a character";
    Key(VK_UP);
    EXPECT_EQ(view.caretCol(), 2);
    Caret(0, 1);
    Key(VK_DOWN);
    EXPECT_EQ(view.caretCol(), 0);
    Key(VK_END);
    Key(VK_DOWN);
    EXPECT_EQ(view.caretCol(), 1) << "past the end of a shorter line: its end";
    Key(VK_LEFT);
    Key(VK_LEFT);
    EXPECT_EQ(view.caretRow(), 1);
    EXPECT_EQ(view.caretCol(), 4) << "left from column 0 goes to the end of the line above";
    Key(VK_LEFT);
    EXPECT_EQ(view.caretCol(), 2);
    Key(VK_RIGHT);
    Key(VK_RIGHT);
    EXPECT_EQ(view.caretRow(), 2) << "right at the line end goes to the next line";
    EXPECT_EQ(view.caretCol(), 0);
    for (int c = 0; c <= 20; ++c) EXPECT_EQ(view.SnapColumn(1, c) % 2, 0);
}

TEST_F(TextViewController, TabFindsTheDoubtfulCharacters) {
    std::vector<RecoCharInfo> recs{MakeRecord(0, 0, 'A'), MakeRecord(0, 0, 'D'), MakeRecord(0, 1, 'E'),
                                   MakeRecord(0, 1, 'A')};
    Load(RecoUnit(0xB0, 0xA1, 0) + RecoUnit(0xB0, 0xA2, 1) + "\r\nq" + RecoUnit(0, 'z', 2) + RecoUnit(0xB0, 0xA3, 3) +
             "\r\n",
         recs, {2});
    Key(VK_TAB);
    EXPECT_EQ(view.caretRow(), 0);
    EXPECT_EQ(view.caretCol(), 2);
    Key(VK_TAB);
    EXPECT_EQ(view.caretRow(), 1);
    EXPECT_EQ(view.caretCol(), 1);
    Key(VK_TAB);  // none after it
    EXPECT_EQ(view.caretCol(), 1);
    Key(VK_TAB, true);
    EXPECT_EQ(view.caretRow(), 0);
    EXPECT_EQ(view.caretCol(), 2);
    // The candidates and the frame follow the caret.
    EXPECT_EQ(host.candidates.size(), 10u);
    ASSERT_FALSE(host.frames.empty());
}

TEST_F(TextViewController, CandidatesReplaceTheCaretCharacter) {
    RecoCharInfo rec = MakeRecord(0, 0, 'D');
    rec.wCand[0] = 0xA1B0;
    rec.wCand[1] = 0xD0D6;
    rec.wCand[2] = static_cast<WORD>('k' << 8);  // a single-byte candidate: 0 then the byte
    Load("a" + RecoUnit(0xB0, 0xA1, 0) + "b\r\n", {rec}, {1});
    SetInsert(true);
    Caret(0, 1);
    ASSERT_EQ(host.PanelCandidate(2), 0xD0D6);
    view.TakeCandidate(2);  // insert mode still replaces
    EXPECT_EQ(Raw(), "a" + RecoUnit(0xD6, 0xD0, 0) + "b\r\n");
    EXPECT_EQ(view.caretCol(), 3);
    EXPECT_GT(host.focusTaken, 0);
    Caret(0, 1);
    view.OnCandidateBar(host.PanelCandidate(3), 3);
    EXPECT_EQ(Raw(), "a" + RecoUnit(0, 'k', 0) + "b\r\n");
    // The blank candidate does nothing.
    Caret(0, 1);
    view.OnCandidateBar(kBlankCandidate, 4);
    view.TakeCandidate(9);
    EXPECT_EQ(Raw(), "a" + RecoUnit(0, 'k', 0) + "b\r\n");
    // On a typed character: replaced (kind 1); on the line end: inserted.
    Key(VK_END);
    view.OnCandidateBar(0xD0D6, 1);
    Key(VK_HOME);
    view.OnCandidateBar(static_cast<WORD>(' ' | ('m' << 8)), 1);
    EXPECT_EQ(Raw(), "m" + RecoUnit(0, 'k', 0) + "b\xD6\xD0\r\n");
    // Bytes that are no character are refused.
    view.OnCandidateBar(0x0A0D, 1);
    view.OnCandidateBar(0x41FF, 1);
    EXPECT_EQ(Raw(), "m" + RecoUnit(0, 'k', 0) + "b\xD6\xD0\r\n");
    for (int i = 0; i < 4; ++i) view.Undo();
    EXPECT_EQ(Raw(), "a" + RecoUnit(0xB0, 0xA1, 0) + "b\r\n");
    EXPECT_EQ(doc.Record(0)->chClass, 'D');
}

TEST_F(TextViewController, UndoRestoresTextCaretAndCountsForEveryKind) {
    Load("abc\r\ndef\r\n", {}, {1, 1});
    const std::string start = Plain();
    Caret(1, 1);
    Type("X");  // insert
    SetInsert(false);
    Type("Y");  // replace
    SetInsert(true);
    Key(VK_HOME);
    Key(VK_BACK);  // delete of a line end
    EXPECT_EQ(Plain(), "abcdXYf\r\n");
    EXPECT_EQ(Counts(), (std::vector<int>{0, 1}));
    Caret(0, 0);
    Key(VK_RIGHT, true);
    Key(VK_RIGHT, true);
    Type("\xD6\xD0");  // a selection replaced
    EXPECT_EQ(Plain(), "\xD6\xD0" "cdXYf\r\n");

    view.Undo();
    EXPECT_EQ(Plain(), "abcdXYf\r\n");
    EXPECT_EQ(view.caretRow(), 0);
    EXPECT_EQ(view.caretCol(), 0);
    view.Undo();
    EXPECT_EQ(Plain(), "abc\r\ndXYf\r\n");
    EXPECT_EQ(Counts(), (std::vector<int>{1, 1}));
    EXPECT_EQ(view.caretRow(), 0);
    EXPECT_EQ(view.caretCol(), 3);
    view.Undo();
    EXPECT_EQ(Plain(), "abc\r\ndXef\r\n");
    EXPECT_EQ(view.caretRow(), 1);
    EXPECT_EQ(view.caretCol(), 2);
    view.Undo();
    EXPECT_EQ(view.caretCol(), 1);
    EXPECT_EQ(Plain(), start);
    EXPECT_FALSE(view.CanUndo());
    view.Undo();  // nothing left: nothing happens
    EXPECT_EQ(Plain(), start);
}

TEST_F(TextViewController, SelectionByShiftKeysMouseAndSelectAll) {
    Load("abc\r\ndef\r\n", {}, {2});
    Key(VK_RIGHT, true);
    Key(VK_DOWN, true);
    int r0 = 0, c0 = 0, r1 = 0, c1 = 0;
    view.SelectionRange(&r0, &c0, &r1, &c1);
    EXPECT_EQ(std::vector<int>({r0, c0, r1, c1}), std::vector<int>({0, 0, 1, 1}));
    Key(VK_LEFT);  // without Shift the selection goes
    EXPECT_FALSE(view.HasSelection());

    // Dragging from (0, 2) to (1, 1), the strip switched off; the area starts at y 64.
    view.OnCandidateBar(32, kRequestToggleStrip);
    view.OnLButtonDown(POINT{2 * 8 + 3, 64 + 3}, false);
    EXPECT_TRUE(view.IsDragging());
    EXPECT_TRUE(host.captured);
    ASSERT_EQ(view.caretRow(), 0);
    ASSERT_EQ(view.caretCol(), 2);
    EXPECT_FALSE(view.StripShown());
    view.OnMouseMove(POINT{8 + 3, 64 + 16 + 3});
    view.OnLButtonUp();
    EXPECT_FALSE(host.captured);
    view.SelectionRange(&r0, &c0, &r1, &c1);
    EXPECT_EQ(std::vector<int>({r0, c0, r1, c1}), std::vector<int>({0, 2, 1, 1}));
    view.SelectAll();
    EXPECT_EQ(view.SelectionStart(), 0u);
    EXPECT_EQ(view.SelectionEnd(), doc.m_nTextLen - 2);
    EXPECT_EQ(view.caretRow(), 1);
    EXPECT_EQ(view.caretCol(), 3);
    // Clicks below the last line are ignored.
    view.OnLButtonDown(POINT{5, 64 + 16 * 10}, false);
    EXPECT_EQ(view.caretRow(), 1);
}

TEST_F(TextViewController, ClicksOnTheStripRowsAreIgnored) {
    std::string text;
    for (int i = 0; i < 10; ++i) text += "line" + std::to_string(i) + "\r\n";
    LoadPlain(text);
    Caret(4, 0);
    ASSERT_TRUE(view.StripShown());
    // Rows 4 and 5 of the window are the strip; row 6 shows line 4.
    view.OnLButtonDown(POINT{3, 64 + 4 * 16 + 2}, false);
    view.OnLButtonUp();
    EXPECT_EQ(view.caretRow(), 4);
    view.OnLButtonDown(POINT{3 * 8 + 1, 64 + 7 * 16 + 2}, false);
    view.OnLButtonUp();
    EXPECT_EQ(view.caretRow(), 5);
    EXPECT_EQ(view.caretCol(), 3);
    // The caret sits below the strip.
    EXPECT_EQ(view.CaretShape().y, 64 + (5 + 2) * 16);
}

TEST_F(TextViewController, WheelTurnsOfAnySizeScrollOneLine) {
    std::string text;
    for (int i = 0; i < 50; ++i) text += "l\r\n";
    LoadPlain(text);
    view.OnMouseWheel(-120);
    EXPECT_EQ(view.topRow(), 1);
    view.OnMouseWheel(-256);
    EXPECT_EQ(view.topRow(), 2);
    view.OnMouseWheel(-1000);
    EXPECT_EQ(view.topRow(), 3);
    view.OnMouseWheel(300);
    EXPECT_EQ(view.topRow(), 2);
    view.OnMouseWheel(120);
    view.OnMouseWheel(120);
    view.OnMouseWheel(120);
    EXPECT_EQ(view.topRow(), 0);
    EXPECT_EQ(host.topRow, 0);
    EXPECT_EQ(host.lastLine, 49);
}

TEST_F(TextViewController, PagingAndKeepingTheCaretInView) {
    std::string text;
    for (int i = 0; i < 100; ++i) text += std::string(i % 7 + 1, 'a') + "\r\n";
    LoadPlain(text);
    Key(VK_NEXT);
    EXPECT_EQ(view.topRow(), 20);
    EXPECT_EQ(view.caretRow(), 20);
    Key(VK_END, false, true);
    EXPECT_EQ(view.caretRow(), 99);
    EXPECT_LE(view.topRow(), 99);
    EXPECT_GE(view.caretRow() - view.topRow() + 2, 2);
    EXPECT_LT(view.caretRow() - view.topRow() + 2, 20) << "the caret line shows below its strip";
    Key(VK_PRIOR);
    Key(VK_HOME, false, true);
    EXPECT_EQ(view.topRow(), 0);
    EXPECT_EQ(view.caretRow(), 0);
    // A long line scrolls sideways.
    LoadPlain(std::string(200, 'w') + "\r\n");
    Key(VK_END);
    EXPECT_EQ(view.firstCol(), 200 + 1 - 640 / 8);
    Key(VK_HOME);
    EXPECT_EQ(view.firstCol(), 0);
}

TEST_F(TextViewController, CaretStatusAndCaretShapes) {
    LoadPlain("\xD6\xD0" "ab\r\n");
    EXPECT_EQ(shell.statusPanes[5], FormatCaretStatus(1, 1));
    EXPECT_NE(shell.statusPanes[5].find("1"), std::string::npos);
    view.SetOwnsCaret(true);
    Key(VK_RIGHT);
    EXPECT_EQ(shell.statusPanes[5], FormatCaretStatus(1, 3)) << "the column counts bytes";
    EXPECT_EQ(host.caret.width, 2);
    EXPECT_EQ(host.caret.height, 16);
    EXPECT_EQ(host.caret.x, 16);
    SetInsert(false);
    Key(VK_HOME);
    EXPECT_EQ(host.caret.width, 16) << "an underline of two cells under a double-byte character";
    EXPECT_EQ(host.caret.height, 2);
    EXPECT_EQ(host.caret.y, 64 + 2 * 16 + 16 - 2) << "below the strip";
}

TEST_F(TextViewController, TheCaretCharacterImageIsClippedToThePage) {
    ASSERT_TRUE(GiveBlankPage(doc, 300, 300));
    doc.m_pImage->DrawLine(0, 50, 299, 50, 3);
    RecoCharInfo inside = MakeRecord(0, 0, 'A', 40, 40, 20, 20);
    RecoCharInfo offPage = MakeRecord(0, 0, 'A', 500, 500, 20, 20);
    RecoCharInfo straddling = MakeRecord(0, 0, 'A', 290, 40, 30, 20);
    RecoCharInfo huge = MakeRecord(0, 0, 'A', 0, 0, 260, 260);
    offPage.wCand[0] = 0xA1B0;
    Load(RecoUnit(0xB0, 0xA1, 0) + RecoUnit(0xB0, 0xA2, 1) + RecoUnit(0xB0, 0xA3, 2) + RecoUnit(0xB0, 0xA4, 3) + "\r\n",
         {inside, offPage, straddling, huge}, {1});
    auto ink = [&] {
        int n = 0;
        for (BYTE b : host.image) n += b != 0;
        return n;
    };
    EXPECT_GT(ink(), 0) << "the line through the box shows";
    ASSERT_FALSE(host.frames.empty());
    EXPECT_EQ(host.frames.back().left, 40);
    host.frames.clear();
    Key(VK_RIGHT);
    EXPECT_EQ(ink(), 0) << "a box off the page gives the empty image";
    EXPECT_EQ(host.candidates.size(), 10u);
    EXPECT_EQ(host.candidates[0], 0xA1B0);
    EXPECT_TRUE(host.frames.empty());
    Key(VK_RIGHT);
    EXPECT_GT(ink(), 0);
    ASSERT_FALSE(host.frames.empty());
    EXPECT_EQ(host.frames.back().right, 299) << "clipped to the page";
    host.frames.clear();
    Key(VK_RIGHT);
    EXPECT_EQ(ink(), 0) << "a box of 63800 pixels or more gives the empty image";
    EXPECT_EQ(host.frames.size(), 1u) << "but is still framed";
}

TEST_F(TextViewController, ExternalEditorGetsTheFileAsOneArgument) {
    suite_test::TemporaryFolder folder("textview-editor");
    const std::string dir = folder.path();
    const std::string record = dir + "/args.txt";
    const std::string editor = dir + "/editor.sh";
    {
        std::ofstream script(editor);
        script << "#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" > '" << record << "'\n";
    }
    ASSERT_EQ(chmod(editor.c_str(), 0755), 0);
    shell.externEditPath = editor;
    LoadPlain("text\r\n");
    host.exportPath = dir + "/My ORdoc Files/work/result file.txt";
    host.exportOk = false;
    view.TextToEditor();
    EXPECT_EQ(host.exports, 1);
    host.exportOk = true;
    view.TextToEditor();
    std::string got;
    for (int i = 0; i < 200 && got.empty(); ++i) {
        std::ifstream in(record);
        std::getline(in, got);
        if (got.empty()) usleep(20000);
    }
    EXPECT_EQ(got, "1|" + host.exportPath + "|");
}

TEST_F(TextViewController, RegionLineCountBoxAndPanelRequests) {
    Load("a\r\nb\r\nc\r\n", {}, {1, 2});
    Caret(2, 0);
    view.ShowBlockLineCount();
    ASSERT_FALSE(shell.messages.empty());
    EXPECT_EQ(shell.messages.back(), "2");
    view.OnCandidateBar(32, kRequestToggleTextWindow);
    EXPECT_TRUE(view.TextWindowFlag());
    ASSERT_FALSE(shell.postedCommands.empty());
    EXPECT_EQ(shell.postedCommands.back(), static_cast<UINT>(ID_VIEW_TEXT_WINDOW));
    view.OnCandidateBar(33, kRequestMovePanel);
    EXPECT_EQ(host.relayouts, 1);
    EXPECT_TRUE(view.ShowStripEnabled());
    view.OnCandidateBar(32, kRequestToggleStrip);
    EXPECT_FALSE(view.ShowStripEnabled());
    EXPECT_FALSE(view.StripShown());
}

TEST_F(TextViewController, NothingHappensWithoutAResult) {
    view.ResetView();
    view.OnChar('a');
    Key(VK_DOWN);
    Key(VK_RETURN);
    view.Paste();
    view.Undo();
    view.OnCandidateBar(0xD0D6, 1);
    view.OnLButtonDown(POINT{10, 80}, false);
    EXPECT_FALSE(view.CanUndo());
    EXPECT_FALSE(view.CanPaste());
    EXPECT_FALSE(view.CanSelectAll());
    EXPECT_EQ(host.focusTaken, 0);
    EXPECT_EQ(view.LineCount(), 0);
}

}  // namespace
