// Walking and reading the result text, and writing it as plain text.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ocrdoc/result/reco_result.h"
#include "ocrdoc/result/tests/result_fixtures.h"
#include "ocrdoc/tests/fake_document_host.h"
#include "platform/win/codepage.h"
#include "platform/win/memory.h"

namespace fs = std::filesystem;

namespace {

// Line 0: recognised GBK 0xD6D0, typed 'x', recognised 'a' (doubtful).
// Line 1: typed pair 0xCEC4, recognised 'b'.
// Line 2: empty.
class Walk : public ::testing::Test {
protected:
    void SetUp() override {
        records = {MakeRecord(0, 0, 'A'), MakeRecord(0, 0, 'D'), MakeRecord(1, 0, 'E')};
        text = RecoUnit(0xD6, 0xD0, 0) + "x" + RecoUnit(0, 'a', 1) + "\r\n" + "\xCE\xC4" + RecoUnit(0, 'b', 2) +
               "\r\n\r\n";
        ASSERT_TRUE(LoadText(store, text, records));
    }
    std::vector<RecoCharInfo> records;
    std::string text;
    CRecoResult store;
};

TEST_F(Walk, LinesAndColumns) {
    EXPECT_EQ(store.m_nLineCount, 3u);
    EXPECT_EQ(store.LineOffset(0), 0u);
    EXPECT_EQ(store.LineOffset(1), 15u);
    EXPECT_EQ(store.LineOffset(2), 25u);
    EXPECT_EQ(store.LineOffset(9), 25u);  // clamped to the last line
    store.SetCaret(1, 0, FALSE);
    EXPECT_EQ(store.m_nCaretOffset, 15u);
    EXPECT_EQ(store.LineOffset(-1), 0u);
    EXPECT_EQ(store.LineOffset(-5), 0u);
    // Forward: the pair is two columns, a target inside it gives the offset after it.
    EXPECT_EQ(store.ColumnOffset(1), 17u);
    EXPECT_EQ(store.ColumnOffset(2), 17u);
    EXPECT_EQ(store.ColumnOffset(3), 23u);
    EXPECT_EQ(store.ColumnOffset(50), 23u);  // stops at the CR
    // Backward: one unit per character whatever its width, CR LF not counted.
    store.SetCaret(1, 2, FALSE);
    EXPECT_EQ(store.m_nCaretOffset, 17u);
    EXPECT_EQ(store.ColumnOffset(-1), 15u);
    EXPECT_EQ(store.ColumnOffset(-2), 7u);
    EXPECT_EQ(store.ColumnOffset(-3), 6u);
    EXPECT_EQ(store.ColumnOffset(-9), 0u);
    store.SetCaret(0, 3, TRUE);  // on the recognised 'a'
    EXPECT_EQ(store.m_nCaretOffset, 7u);
    EXPECT_EQ(store.m_nCaretCol, 3u);
    EXPECT_EQ(store.m_pCurChar, store.m_pChars + 1);
    store.SetCaret(0, 2, TRUE);  // on the typed 'x': no record
    EXPECT_FALSE(store.SelectCharAtCaret());
    EXPECT_EQ(store.m_pCurChar, store.m_pChars + 1);
}

TEST_F(Walk, GetLineCopiesDisplayBytesAndClasses) {
    BYTE line[64];
    BYTE classes[1024];
    store.SetCaret(0, 3, TRUE);
    RecoCharInfo* current = store.m_pCurChar;
    int n = store.GetLine(line, sizeof line, 1, classes);
    // A recognised pair, a typed... here: typed pair + recognised 'b' + CR.
    EXPECT_EQ(n, 3);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(line), 4), "\xCE\xC4" "b\r");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(classes), 4), "AEAA");
    // Painting a line moves neither the caret nor the current record.
    EXPECT_EQ(store.m_pCurChar, current);
    EXPECT_EQ(store.m_nCaretOffset, 7u);
    n = store.GetLine(line, sizeof line, 0, classes);
    EXPECT_EQ(n, 4);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(line), 5), "\xD6\xD0xa\r");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(classes), 4), "AADA");
    EXPECT_EQ(store.LineDisplayLength(0), 4u);
}

TEST_F(Walk, GetLineNeverOverrunsItsBuffers) {
    std::string longLine;
    for (int i = 0; i < 700; ++i) longLine += "\xB0\xA1";
    longLine += "\r\n";
    ASSERT_TRUE(LoadText(store, longLine, {}));
    std::vector<BYTE> out(515, 0xEE), classes(40, 0xEE);
    int n = store.GetLine(out.data(), 512, 0, classes.data(), 32);
    EXPECT_EQ(n, 512);
    EXPECT_EQ(out[512], 0xEE);
    EXPECT_EQ(classes[32], 0xEE);
    EXPECT_EQ(store.LineDisplayLength(0), 1400u);
    // A pair that does not fit whole is left out.
    n = store.GetLine(out.data(), 5, 0, nullptr);
    EXPECT_EQ(n, 4);
}

TEST_F(Walk, CharsAroundCaret) {
    WORD before = 1, at = 1;
    store.SetCaret(0, 0, FALSE);
    store.GetCharsAroundCaret(&before, &at);
    EXPECT_EQ(before, 0);
    EXPECT_EQ(at, 0xD0D6);
    store.SetCaret(1, 2, FALSE);
    store.GetCharsAroundCaret(&before, &at);
    EXPECT_EQ(before, 0xC4CE);
    EXPECT_EQ(at, 'b' << 8);
    store.SetCaret(1, 3, FALSE);  // on the line end
    store.GetCharsAroundCaret(&before, &at);
    EXPECT_EQ(at, 0);
}

TEST_F(Walk, MarkerAndHighBytesAreNeverLeadBytes) {
    // A typed 0xFF, then a lead byte before a 0x7F, then a recognised unit.
    std::string odd = std::string("\xFF") + RecoUnit(0, 'q', 0) + "\x81\x7F" + RecoUnit(0xB0, 0xA1, 0) + "\r\n";
    ASSERT_TRUE(LoadText(store, odd, {MakeRecord(0, 0, 'D')}));
    EXPECT_EQ(store.UnitLength(0), 1u);
    EXPECT_EQ(store.UnitLength(1), 6u);
    EXPECT_EQ(store.UnitLength(7), 1u);
    EXPECT_EQ(store.UnitLength(8), 1u);
    EXPECT_EQ(store.UnitLength(9), 6u);
    store.SetCaret(0, 2, TRUE);
    EXPECT_EQ(store.m_nCaretOffset, 7u);
    UINT row = 9, col = 9;
    ASSERT_TRUE(store.FindDoubtfulChar(TRUE, &row, &col));
    EXPECT_EQ(col, 4u);
}

TEST(RecoText, RoundTripsWithGbkAndBig5) {
    CFakeDocumentHost shell;
    fs::path dir = fs::temp_directory_path() / ("reco_text_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    struct Case {
        UINT codePage;
        std::string zhong, wen, expectUtf8;
    } cases[] = {{936, "\xD6\xD0", "\xCE\xC4", "中文a\r\n表\r\n"}, {950, "\xA4\xA4", "\xA4\xE5", "中文a\r\n表\r\n"}};
    for (const Case& c : cases) {
        std::string biao = c.codePage == 936 ? "\xB1\xED" : "\xAA\xED";
        std::vector<RecoCharInfo> records{MakeRecord(0, 0, 'A'), MakeRecord(0, 0, 'A')};
        std::string text = RecoUnit(static_cast<unsigned char>(c.zhong[0]), static_cast<unsigned char>(c.zhong[1]), 0) +
                           c.wen + RecoUnit(0, 'a', 1) + "\r\n" + biao + "\r\n";
        CRecoResult store;
        ASSERT_TRUE(LoadText(store, text, records));
        std::string image = (dir / ("page" + std::to_string(c.codePage) + ".tif")).string();
        std::string path = ResultTextPath(image);
        EXPECT_EQ(path, image + ".TXT");
        ASSERT_TRUE(store.WriteTextFile(path.c_str()));
        std::ifstream in(path, std::ios::binary);
        std::string plain((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(plain, c.zhong + c.wen + "a\r\n" + biao + "\r\n");
        EXPECT_EQ(suite::AnsiToUtf8(plain, c.codePage), c.expectUtf8);
        // Text and records written and read back give the same store.
        std::string saved(store.Text());
        CRecoResult back;
        ASSERT_TRUE(back.LoadSaved(1, reinterpret_cast<const BYTE*>(saved.data()), static_cast<UINT>(saved.size()),
                                   reinterpret_cast<const BYTE*>(store.m_pChars), store.m_nCharBytes));
        EXPECT_EQ(back.Text(), store.Text());
        EXPECT_EQ(std::memcmp(back.m_pChars, store.m_pChars, store.m_nCharBytes), 0);
    }
    fs::remove_all(dir);
}

TEST(RecoText, TextFileFailureIsReported) {
    CFakeDocumentHost shell;
    CRecoResult store;
    ASSERT_TRUE(LoadText(store, "abc\r\n", {}));
    EXPECT_FALSE(store.WriteTextFile("/nonexistent-folder/x/y.TXT"));
    EXPECT_EQ(shell.messages, std::vector<std::string>{kMsgTextCreateError});
}

TEST(RecoText, SaveTextIfChangedAsksAndWritesOneName) {
    CFakeDocumentHost shell;
    fs::path dir = fs::temp_directory_path() / ("reco_save_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::string image = (dir / "p001.tif").string();
    CRecoResult store;
    ASSERT_TRUE(LoadText(store, "abc\r\n", {}));
    EXPECT_TRUE(store.SaveTextIfChanged(image.c_str()));  // unmodified: nothing asked
    EXPECT_TRUE(shell.messages.empty());
    store.m_bModified = 1;
    shell.messageAnswer = IDCANCEL;
    EXPECT_FALSE(store.SaveTextIfChanged(image.c_str()));
    shell.messageAnswer = IDNO;
    EXPECT_TRUE(store.SaveTextIfChanged(image.c_str()));
    EXPECT_FALSE(fs::exists(image + ".TXT"));
    shell.messageAnswer = IDYES;
    EXPECT_TRUE(store.SaveTextIfChanged(image.c_str()));
    EXPECT_TRUE(fs::exists(image + ".TXT"));
    EXPECT_EQ(shell.messages.back(), "Save changes to " + image + ".TXT?");
    fs::remove_all(dir);
}

TEST(RecoText, LongRangesAreNotCut) {
    std::string text;
    for (int i = 0; i < 5000; ++i) text += RecoUnit(0, 'a', 0) + "0123456789012345678\r\n";
    CRecoResult store;
    ASSERT_TRUE(LoadText(store, text, {MakeRecord(0, 0, 'A')}));
    UINT end = 0, len = 0;
    char* lines = store.GetLinesText(0, 4999, &end, &len);
    EXPECT_EQ(len, 5000u * 22);
    EXPECT_EQ(end, store.m_nTextLen);
    EXPECT_EQ(std::string(lines, 22), "a0123456789012345678\r\n");
    delete[] lines;
    lines = store.GetLinesText(1, 2, &end, &len);
    EXPECT_EQ(len, 44u);
    EXPECT_EQ(end, 3u * 27);
    delete[] lines;
    lines = store.GetLinesText(6000, 6001, &end, &len);
    EXPECT_EQ(len, 0u);
    EXPECT_EQ(lines[0], 0);
    delete[] lines;
    HGLOBAL copy = store.CopyText(store.m_nTextLen, 0);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(GlobalSize(copy), 5000u * 22 + 1);
    GlobalFree(copy);
}

TEST(RecoText, BlockStatsAndLookups) {
    std::vector<RecoCharInfo> r{MakeRecord(0, 0, 'A', 10, 20, 16, 18), MakeRecord(0, 0, 'A', 30, 20, 16, 18),
                                MakeRecord(0, 1, 'A', 10, 50, 16, 18), MakeRecord(1, 0, 'A', 400, 400, 20, 20)};
    r[0].byFlags = 'H';
    r[1].byFlags = 'H';
    r[2].byFlags = 'S';
    r[2].nLineY = 50;
    std::string text =
        RecoUnit(0, 'a', 0) + RecoUnit(0, 'b', 1) + "\r\n" + RecoUnit(0, 'c', 2) + "\r\n" + RecoUnit(0, 'd', 3) + "\r\n";
    CRecoResult store;
    ASSERT_TRUE(LoadText(store, text, r));
    int size = 0, font = -1;
    DWORD spacing = 0;
    store.GetBlockStats(0, &size, &font, &spacing);
    EXPECT_EQ(font, 3);  // 'H'
    EXPECT_EQ(size, 18);
    EXPECT_EQ(spacing, (12u << 16) | 4u);  // line gap 50-20-18, character gap 30-10-16
    store.GetBlockStats(7, &size, &font, &spacing);
    EXPECT_EQ(font, 0);
    EXPECT_EQ(size, 32);
    EXPECT_EQ(spacing, (8u << 16) | 3u);
    EXPECT_EQ(store.FindBlockInRect(390, 403, 430, 417), 1);
    EXPECT_EQ(store.FindBlockInRect(0, 0, 5, 5), -1);
    EXPECT_EQ(store.FindBlockOverlapping(RECT{395, 395, 425, 425}), 1);
    EXPECT_EQ(store.FindBlockOverlapping(RECT{0, 0, 12, 22}), 0);  // barely: the last overlapping one
    EXPECT_EQ(store.FindBlockOverlapping(RECT{900, 900, 901, 901}), -1);
}

}  // namespace
