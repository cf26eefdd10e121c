// Editing the result text: insert, replace, delete, copy, paste, the
// doubtful-character search, undo and the table-line test.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ocrdoc/result/reco_result.h"
#include "ocrdoc/result/table_line_char.h"
#include "ocrdoc/result/tests/result_fixtures.h"
#include "ocrdoc/tests/fake_document_host.h"
#include "platform/win/memory.h"

namespace {

HGLOBAL TextBlock(const std::string& bytes, bool terminate = true) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size() + (terminate ? 1 : 0));
    auto* p = static_cast<char*>(GlobalLock(block));
    std::memcpy(p, bytes.data(), bytes.size());
    if (terminate) p[bytes.size()] = 0;
    GlobalUnlock(block);
    return block;
}

std::string BlockText(HGLOBAL block) {
    std::string s(static_cast<const char*>(GlobalLock(block)));
    GlobalUnlock(block);
    return s;
}

class Edit : public ::testing::Test {
protected:
    void SetUp() override {
        // Line 0: recognised 'a' (sure), typed "xy", recognised pair (doubtful).
        // Line 1: recognised 'b' (very doubtful), typed 'z'.
        records = {MakeRecord(0, 0, 'A'), MakeRecord(0, 0, 'D'), MakeRecord(0, 1, 'E')};
        text = RecoUnit(0, 'a', 0) + "xy" + RecoUnit(0xB0, 0xA1, 1) + "\r\n" + RecoUnit(0, 'b', 2) + "z\r\n";
        ASSERT_TRUE(LoadText(store, text, records));
    }
    std::string Text() const { return std::string(store.Text()); }
    BOOL Insert(const std::string& bytes, UINT offset) {
        return store.InsertText(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()), offset,
                                FALSE);
    }

    CFakeDocumentHost shell;
    std::vector<RecoCharInfo> records;
    std::string text;
    CRecoResult store;
};

TEST_F(Edit, InsertCountsLineEndsAndRefusesAtCapacity) {
    ASSERT_TRUE(Insert("q\r\nr", 6));
    EXPECT_EQ(Text(), RecoUnit(0, 'a', 0) + "q\r\nrxy" + RecoUnit(0xB0, 0xA1, 1) + "\r\n" + RecoUnit(0, 'b', 2) +
                          "z\r\n");
    EXPECT_EQ(store.m_nLineCount, 3u);
    EXPECT_EQ(store.m_bModified, 1);
    EXPECT_FALSE(Insert("q", 1));                // inside a recognised character
    EXPECT_FALSE(Insert("q", store.m_nTextLen));  // after the final line end
    // Length + count reaching the capacity is refused with a message.
    UINT room = store.m_nTextCapacity - store.m_nTextLen;
    EXPECT_FALSE(Insert(std::string(room, 'w'), 0));
    EXPECT_EQ(shell.messages, std::vector<std::string>{kMsgTextNoRoom});
    EXPECT_TRUE(Insert(std::string(room - 1, 'w'), 0));
}

TEST_F(Edit, InsertedMarkerAndHighBytesNeverFormUnits) {
    std::string odd = std::string("\x80" "12" "\xFF" "\xB0" "\x7F" "\r" "x" "\n") + RecoUnit(0, 'k', 9) /* no record */ +
                      RecoUnit(0, 'k', 2);
    ASSERT_TRUE(Insert(odd, 0));
    std::string expect = std::string(" 12  \x7F x ") + " " + std::string("\0k\t\0", 4) + " " + RecoUnit(0, 'k', 2);
    EXPECT_EQ(Text().substr(0, odd.size()), expect);
    EXPECT_EQ(store.m_nLineCount, 2u);
    // The text still walks unit by unit: the valid recognised character is found.
    store.SetCaret(0, 0, FALSE);
    UINT row = 0, col = 0;
    store.m_pChars[2].chClass = 'D';
    ASSERT_TRUE(store.FindDoubtfulChar(TRUE, &row, &col));
    EXPECT_EQ(row, 0u);
    EXPECT_EQ(col, 15u);
}

TEST_F(Edit, ReplaceRecodesARecognisedCharacter) {
    const BYTE code[] = {0xB0, 0xA2};
    ASSERT_TRUE(store.InsertText(code, 2, 8, TRUE));
    EXPECT_EQ(Text().substr(8, 6), RecoUnit(0xB0, 0xA2, 1));
    EXPECT_EQ(store.m_pCurChar, store.m_pChars + 1);
    EXPECT_EQ(store.m_pChars[1].chClass, 'A');
    EXPECT_EQ(store.m_nTextLen, text.size());
    EXPECT_FALSE(store.InsertText(code, 2, 6, TRUE));  // a typed character
    const BYTE bad[] = {0xB0, 0x7F};
    EXPECT_FALSE(store.InsertText(bad, 2, 8, TRUE));
}

TEST_F(Edit, DeleteKeepsTheFinalLineEnd) {
    UINT len = store.m_nTextLen;
    EXPECT_FALSE(store.DeleteText(2, len - 2));
    EXPECT_EQ(Text(), text);
    ASSERT_TRUE(store.DeleteText(9, len - 9));  // 'b' unit + 'z' + CR LF: 7 removed
    EXPECT_EQ(Text(), RecoUnit(0, 'a', 0) + "xy" + RecoUnit(0xB0, 0xA1, 1) + "\r\n\r\n");
    ASSERT_TRUE(LoadText(store, "abcd\r\n", {}));
    ASSERT_TRUE(store.DeleteText(5, 1));  // the last 5 bytes: 3 go
    EXPECT_EQ(Text(), "a\r\n");
    EXPECT_EQ(store.m_nLineCount, 1u);
    ASSERT_TRUE(LoadText(store, text, records));
    EXPECT_FALSE(store.DeleteText(3, 2));  // would split a recognised character
    ASSERT_TRUE(store.DeleteText(8, 14));  // the first line end and 'b'
    EXPECT_EQ(store.m_nLineCount, 1u);
}

TEST_F(Edit, CopyGivesPlainText) {
    HGLOBAL copy = store.CopyText(store.m_nTextLen, 0);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(BlockText(copy), "axy\xB0\xA1\r\nbz\r\n");
    GlobalFree(copy);
    copy = store.CopyText(14, 6);
    EXPECT_EQ(BlockText(copy), "xy\xB0\xA1");
    GlobalFree(copy);
}

TEST_F(Edit, PasteCleansTheText) {
    store.SetCaret(1, 1, FALSE);
    UINT caret = store.m_nCaretOffset;
    HGLOBAL block = TextBlock("a\tb");
    ASSERT_TRUE(store.PasteText(block));
    GlobalFree(block);
    EXPECT_EQ(Text().substr(caret, 4), "a bz");
    EXPECT_EQ(store.m_nCaretOffset, caret);
    // A GB table line, a marker byte, 0xFF, a lone LF and a pair are cleaned or kept.
    block = TextBlock("\xA9\xA5\x80\xFF\n\xB0\xA1\r\nq");
    ASSERT_TRUE(store.PasteText(block));
    GlobalFree(block);
    EXPECT_EQ(Text().substr(caret, 10), "     \xB0\xA1\r\nq");
    EXPECT_EQ(store.m_nLineCount, 3u);
    // Without a terminating zero the block's size bounds the text.
    block = TextBlock("mn", false);
    ASSERT_TRUE(store.PasteText(block));
    GlobalFree(block);
    EXPECT_EQ(Text().substr(caret, 2), "mn");
    // On a traditional system the Big5 set is the table line.
    shell.simplified = false;
    block = TextBlock("\xA2\x77\xA9\xA5");
    ASSERT_TRUE(store.PasteText(block));
    GlobalFree(block);
    EXPECT_EQ(Text().substr(caret, 4), "  \xA9\xA5");
}

TEST_F(Edit, DoubtfulSearchBothWays) {
    UINT row = 9, col = 9;
    store.SetCaret(0, 3, FALSE);  // on the doubtful pair itself
    ASSERT_TRUE(store.FindDoubtfulChar(TRUE, &row, &col));
    EXPECT_EQ(row, 1u);  // not this one: the next
    EXPECT_EQ(col, 0u);
    store.SetCaret(1, 0, FALSE);
    EXPECT_FALSE(store.FindDoubtfulChar(TRUE, &row, &col));
    ASSERT_TRUE(store.FindDoubtfulChar(FALSE, &row, &col));
    EXPECT_EQ(row, 0u);
    EXPECT_EQ(col, 3u);
    store.SetCaret(0, 0, FALSE);
    EXPECT_FALSE(store.FindDoubtfulChar(FALSE, &row, &col));
}

TEST_F(Edit, UndoRestoresTextCaretAndLineCounts) {
    WORD counts[2] = {2, 1};
    WORD out[8] = {};
    int n = 0;
    UINT row = 9, col = 9;
    EXPECT_EQ(store.ApplyUndo(&row, &col, &n, out, 8), -1);  // nothing to undo
    EXPECT_EQ(row, 9u);

    // A deletion of a selection across both lines ("y", the pair, CR LF, 'b').
    UINT from = 7, to = 22;
    std::string removed = Text().substr(from, to - from);
    store.m_actions.PushAction(ACTION_DELETE, 2, counts, from, static_cast<int>(removed.size()),
                               reinterpret_cast<const BYTE*>(removed.data()), 0);
    ASSERT_TRUE(store.DeleteText(to - from, from));
    EXPECT_EQ(store.m_nLineCount, 1u);
    EXPECT_EQ(store.ApplyUndo(&row, &col, &n, out, 8), 1);
    EXPECT_EQ(Text(), text);
    EXPECT_EQ(store.m_nLineCount, 2u);
    EXPECT_EQ(row, 0u);
    EXPECT_EQ(col, 2u);
    ASSERT_EQ(n, 2);
    EXPECT_EQ(out[0], 2);
    EXPECT_EQ(out[1], 1);

    // A typed insertion, then an overwrite of "xy" by "Q\r\n".
    store.m_actions.PushAction(ACTION_INSERT, 2, counts, 6, 1, nullptr, 0);
    ASSERT_TRUE(Insert("k", 6));
    store.m_actions.PushAction(ACTION_REPLACE, 2, counts, 6, 3, reinterpret_cast<const BYTE*>("kxy"), 3);
    ASSERT_TRUE(store.DeleteText(3, 6));
    ASSERT_TRUE(Insert("Q\r\n", 6));
    EXPECT_EQ(store.m_nLineCount, 3u);
    EXPECT_EQ(store.ApplyUndo(&row, &col, &n, out, 8), 1);
    EXPECT_EQ(Text().substr(6, 3), "kxy");
    EXPECT_EQ(store.ApplyUndo(&row, &col, &n, out, 8), 0);
    EXPECT_EQ(Text(), text);

    // A recode puts back the code and the class.
    const BYTE old[] = {0xB0, 0xA1, 'D'};
    store.m_actions.PushAction(ACTION_RECODE, 2, counts, 8, 3, old, 3);
    const BYTE code[] = {0xB0, 0xA5};
    ASSERT_TRUE(store.InsertText(code, 2, 8, TRUE));
    EXPECT_EQ(store.ApplyUndo(&row, &col, &n, out, 8), 0);
    EXPECT_EQ(Text(), text);
    EXPECT_EQ(store.m_pChars[1].chClass, 'D');

    // Counts that do not fit the caller's array are not handed out.
    store.m_actions.PushAction(ACTION_INSERT, 2, counts, 0, 1, nullptr, 0);
    ASSERT_TRUE(Insert("k", 0));
    EXPECT_EQ(store.ApplyUndo(&row, &col, &n, out, 1), 0);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(Text(), text);
}

TEST_F(Edit, TableLineCharacters) {
    EXPECT_TRUE(IsTableLineChar(0xA9A4));
    EXPECT_FALSE(IsTableLineChar(0xA9F1));
    EXPECT_FALSE(IsTableLineCharNotVertical(0xA9A7));
    EXPECT_TRUE(IsTableLineCharNotVertical(0xA9A5));
    shell.simplified = false;
    EXPECT_FALSE(IsTableLineChar(0xA9A4));
    EXPECT_TRUE(IsTableLineChar(0xA271));
    EXPECT_FALSE(IsTableLineCharNotVertical(0xA278));
    shell.simplified = true;
    ASSERT_TRUE(LoadText(store, "ab\xA9\xA5" "cd\xA9\xA7\r\n", {}));
    EXPECT_TRUE(store.RangeHasTableLineChar(0, 2));
    EXPECT_TRUE(store.RangeHasTableLineChar(2, 2));
    EXPECT_FALSE(store.RangeHasTableLineChar(3, 5));  // inside the pair, then plain letters
    EXPECT_TRUE(store.RangeHasTableLineChar(6, 9));
    EXPECT_FALSE(store.RangeHasTableLineChar(5, 4));
}

}  // namespace
