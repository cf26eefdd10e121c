// Filling the result store from the engines, from saved text and from the
// engine's work files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ocrdoc/result/reco_result.h"
#include "ocrdoc/result/tests/result_fixtures.h"
#include "ocrdoc/tests/fake_document_host.h"
#include "platform/win/memory.h"

namespace fs = std::filesystem;

namespace {

std::string TextOf(const CRecoResult& store) { return std::string(store.Text()); }

// One two-byte code of a class-and-candidates entry.
std::string Code(unsigned char a, unsigned char b) { return std::string{static_cast<char>(a), static_cast<char>(b)}; }

TEST(RecoFill, EmptyEngineResultIsOneEmptyLine) {
    CRecoResult store;
    EXPECT_EQ(store.LoadFromChineseResult(nullptr), 1);
    EXPECT_EQ(TextOf(store), "\r\n");
    EXPECT_EQ(store.m_nLineCount, 1u);
    EXPECT_EQ(store.m_bHasResult, 1);
    EXPECT_EQ(store.m_bModified, 1);
    EXPECT_EQ(store.m_nTextCapacity, 128000u);
}

TEST(RecoFill, ChineseResultGivesUnitsRecordsAndClasses) {
    ChineseResultBuilder b;
    _regioninfo* region = b.AddRegion(false);
    _lineinfo* line = b.AddLine(region, 100, 50, 300, 80, 1);
    // GBK 0xB0A1 with its lead byte in the low half, two spaces before it.
    _charinfo* c0 = b.AddChar(line, 0xA1B0, 40, 110, 52, 129, 79, 2, 'S');
    c0->nCands = 3;
    c0->wCand[1] = 0xA2B0;
    c0->wCand[2] = 'x';
    b.AddChar(line, 'A', 100, 130, 55, 139, 78);
    b.AddChar(line, 0xA3B0, 151, 140, 52, 159, 79);
    _regioninfo* vertical = b.AddRegion(true);
    _lineinfo* column = b.AddLine(vertical, 500, 100, 530, 400);
    b.AddChar(column, 0xA4B0, 0, 502, 110, 528, 140);

    CRecoResult store;
    ASSERT_EQ(store.LoadFromChineseResult(b.Result()), 2);
    std::string expect = "  " + RecoUnit(0xB0, 0xA1, 0) + RecoUnit(0, 'A', 1) + RecoUnit(0xB0, 0xA3, 2) + "\r\n" +
                         RecoUnit(0xB0, 0xA4, 3) + "\r\n";
    EXPECT_EQ(TextOf(store), expect);
    ASSERT_EQ(store.RecordCount(), 4u);
    const RecoCharInfo& r0 = *store.Record(0);
    EXPECT_EQ(+r0.nBoxAlong, 110);
    EXPECT_EQ(+r0.nBoxAcross, 52);
    EXPECT_EQ(+r0.nBoxLen, 20);
    EXPECT_EQ(+r0.nBoxThick, 28);
    EXPECT_EQ(+r0.nLineX, 100);
    EXPECT_EQ(+r0.nLineThick, 31);
    EXPECT_EQ(+r0.nLineLen, 201);
    EXPECT_EQ(r0.byLineAttr, 1);
    EXPECT_EQ(r0.byFlags, 'S');
    EXPECT_EQ(r0.chClass, 'A');
    EXPECT_EQ(+r0.wCand[0], 0xA1B0);
    EXPECT_EQ(+r0.wCand[1], 0xA2B0);
    EXPECT_EQ(+r0.wCand[2], 'x' << 8);  // single-byte candidate: 0 then the byte
    EXPECT_EQ(+r0.wCand[3], 0);
    EXPECT_EQ(store.Record(1)->chClass, 'D');
    EXPECT_EQ(store.Record(1)->byChar, 1);
    EXPECT_EQ(store.Record(2)->chClass, 'E');
    const RecoCharInfo& v = *store.Record(3);
    EXPECT_EQ(v.byFlags, 0x80);
    EXPECT_EQ(+v.nBoxAcross, 528);  // right x
    EXPECT_EQ(+v.nBoxAlong, 110);   // top y
    EXPECT_EQ(+v.nBoxThick, 27);
    EXPECT_EQ(+v.nBoxLen, 31);
    EXPECT_EQ(+v.nLineX, 530);
    EXPECT_EQ(+v.wBlock, 1);
    RECT box = RecoCharBox(v);
    EXPECT_EQ(box.left, 502);
    EXPECT_EQ(box.bottom, 140);
}

TEST(RecoFill, EveryEngineEntryIsOneBlockEvenWhenEmpty) {
    ChineseResultBuilder b;
    b.AddRegion(false);  // no lines at all
    _regioninfo* second = b.AddRegion(false);
    b.AddLine(second, 0, 0, 10, 10);  // an empty first line
    _lineinfo* line = b.AddLine(second, 0, 20, 100, 40);
    b.AddChar(line, 'a', 0, 0, 20, 9, 39);
    _regioninfo* third = b.AddRegion(false);
    b.AddChar(b.AddLine(third, 0, 50, 100, 70), 'b', 0, 0, 50, 9, 69);

    CRecoResult store;
    ASSERT_EQ(store.LoadFromChineseResult(b.Result()), 3);
    ASSERT_EQ(store.RecordCount(), 2u);
    EXPECT_EQ(+store.Record(0)->wBlock, 1);
    EXPECT_EQ(store.Record(0)->byLine, 1);
    EXPECT_EQ(+store.Record(1)->wBlock, 2);
}

TEST(RecoFill, BoxesAreBoundedByThePageAndNeverEmpty) {
    ChineseResultBuilder b;
    _lineinfo* line = b.AddLine(b.AddRegion(false), -5, -5, 5000, 30);
    b.AddChar(line, 'a', 0, 90, 10, 3000, 20);
    b.AddChar(line, 'b', 0, 50, 10, 40, 20);  // right before left
    CRecoResult store;
    ASSERT_EQ(store.LoadFromChineseResult(b.Result(), 100, 200), 1);
    EXPECT_EQ(+store.Record(0)->nBoxLen, 10);  // 90..99
    EXPECT_EQ(+store.Record(0)->nLineX, 0);
    EXPECT_EQ(+store.Record(0)->nLineLen, 100);
    EXPECT_EQ(+store.Record(1)->nBoxLen, 1);
}

TEST(RecoFill, MoreRecordsThanSixteenBitIndexesAreRefused) {
    CFakeDocumentHost shell;
    ChineseResultBuilder b;
    _lineinfo* line = b.AddLine(b.AddRegion(false), 0, 0, 10, 10);
    for (UINT i = 0; i < kRecoMaxRecords + 1; ++i) b.AddChar(line, 'a', 0, 0, 0, 1, 1);
    CRecoResult store;
    EXPECT_EQ(store.LoadFromChineseResult(b.Result()), 0);
    EXPECT_EQ(store.m_bHasResult, 0);
    EXPECT_EQ(store.m_nTextLen, 0u);
    EXPECT_EQ(store.RecordCount(), 0u);
    ASSERT_EQ(shell.messages.size(), 1u);
    // The last one that fits still loads, with its index intact.
    b.chars.back().next = nullptr;
    b.chars[b.chars.size() - 2].next = nullptr;
    EXPECT_EQ(store.LoadFromChineseResult(b.Result()), 1);
    ASSERT_EQ(store.RecordCount(), kRecoMaxRecords);
    std::string_view text = store.Text();
    size_t last = text.size() - 2 - kRecoUnitLength;
    EXPECT_EQ(static_cast<unsigned char>(text[last + 3]) | (static_cast<unsigned char>(text[last + 4]) << 8),
              static_cast<int>(kRecoMaxRecords - 1));
}

// One English answer, as a plain English page loads it and as the English
// regions of a Chinese page convert it for the merge: both read the same.
TEST(EnglishAnswer, CodesClassesAndBlanksReadTheSameOnEveryPage) {
    CFakeDocumentHost shell;
    _charinfoeng a{}, b{}, c{}, d{}, e{}, f{};
    a.nCands = 2;
    a.wCand[0] = 0x0041;
    a.wCand[1] = 0x00E9;  // a single byte above 128: '~'
    a.nDist = 100;
    a.top = 10, a.bottom = 29, a.left = 5, a.right = 14;
    a.byFlags = 0x80 | 'S';
    b = a;
    b.nCands = 1;
    b.wCand[0] = 0x00C4;
    b.nDist = 151;
    b.left = 15, b.right = 24;
    a.next = &b;
    c = a;
    c.nCands = 1;
    c.wCand[0] = 0xA9B3;  // a double-byte character, lead byte low
    c.nDist = 101;
    c.left = 40, c.right = 49;
    c.next = &d;
    d = c;
    d.nCands = 0;  // nothing recognised
    d.nDist = 0;
    d.next = &e;
    e = c;
    e.wCand[0] = 10;  // would break the line
    e.nDist = 150;
    e.next = nullptr;
    f = a;
    f.next = nullptr;
    _wordinfoeng w1{2, 0, &a, nullptr}, w2{3, 1, &c, nullptr}, w3{1, 2, &f, nullptr};
    w1.next = &w2;
    _lineinfoeng line2{&w3, 40, 59, 5, 60, nullptr};
    _lineinfoeng line{&w1, 10, 29, 5, 60, &line2};
    _regioninfoeng region{2, &line, nullptr};

    std::string text;
    std::vector<RecoCharInfo> records;
    ASSERT_TRUE(ConvertEnglishResult(&region, 0, 0, text, records));
    EXPECT_EQ(text, RecoUnit(0, 'A', 0) + RecoUnit(0, '~', 1) + " " + RecoUnit(0xB3, 0xA9, 2) + RecoUnit(0, '~', 3) +
                        RecoUnit(0, '~', 4) + "\r\n" + "  " + RecoUnit(0, 'A', 5) + "\r\n");
    ASSERT_EQ(records.size(), 6u);
    EXPECT_EQ(+records[0].wCand[0], 0x4100);
    EXPECT_EQ(+records[0].wCand[1], '~' << 8);
    EXPECT_EQ(+records[2].wCand[0], 0xA9B3);
    EXPECT_EQ(+records[3].wCand[0], 0);
    const char classes[] = {'A', 'E', 'D', 'E', 'D', 'A'};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(records[i].chClass, classes[i]) << i;
    EXPECT_EQ(records[0].byFlags, 'S');  // the font letter; never vertical
    EXPECT_EQ(records[0].byLineAttr, 1);
    EXPECT_EQ(records[1].byLineAttr, 0);
    EXPECT_EQ(records[4].byChar, 4);
    EXPECT_EQ(records[5].byLine, 1);
    EXPECT_EQ(records[5].byChar, 0);
    EXPECT_EQ(records[5].byLineAttr, 1);
    EXPECT_EQ(+records[0].nLineThick, 20);
    EXPECT_EQ(+records[0].nLineLen, 56);
    EXPECT_EQ(+records[0].nBoxAlong, 5);
    EXPECT_EQ(+records[0].nBoxLen, 10);

    CRecoResult store;
    ASSERT_TRUE(store.LoadFromEnglishResult(&region));
    EXPECT_EQ(TextOf(store), text);
    ASSERT_EQ(store.RecordCount(), records.size());
    for (UINT i = 0; i < store.RecordCount(); ++i)
        EXPECT_EQ(std::memcmp(store.Record(i), &records[i], sizeof(RecoCharInfo)), 0) << i;
    EXPECT_EQ(store.m_nLineCount, 2u);
}

TEST(EnglishAnswer, EveryEntryIsOneBlockAndBoxesStayOnThePage) {
    _charinfoeng a{}, b{};
    a.nCands = 1;
    a.wCand[0] = 'x';
    a.top = 10, a.bottom = 29, a.left = 90, a.right = 3000;
    b = a;
    b.left = 50, b.right = 40;  // right before left
    _wordinfoeng wa{1, 0, &a, nullptr}, wb{1, 0, &b, nullptr};
    _lineinfoeng emptyLine{nullptr, 0, 5, 0, 5, nullptr};
    _lineinfoeng lineA{&wa, -5, 30, -5, 5000, nullptr};
    emptyLine.next = &lineA;  // the second entry's first line is empty
    _lineinfoeng lineB{&wb, 40, 60, 0, 99, nullptr};
    _regioninfoeng third{1, &lineB, nullptr};
    _regioninfoeng second{2, &emptyLine, &third};
    _regioninfoeng first{0, nullptr, &second};  // no lines at all

    std::string text;
    std::vector<RecoCharInfo> records;
    ASSERT_TRUE(ConvertEnglishResult(&first, 100, 200, text, records));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(+records[0].wBlock, 1);
    EXPECT_EQ(records[0].byLine, 1);
    EXPECT_EQ(+records[1].wBlock, 2);
    EXPECT_EQ(+records[0].nBoxLen, 10);  // 90..99
    EXPECT_EQ(+records[0].nLineX, 0);
    EXPECT_EQ(+records[0].nLineLen, 100);
    EXPECT_EQ(+records[1].nBoxLen, 1);
}

// Work files written by the test into a data folder of its own.
class WorkFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("reco_work_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "work");
        shell.dataFolder = dir.string();
    }
    void TearDown() override { fs::remove_all(dir); }

    void Write(const char* ext, const std::string& bytes) {
        std::ofstream(dir / "work" / (std::string("atemp000") + ext), std::ios::binary) << bytes;
    }
    static std::string Idx(int lineX, int lineY, int thick, int line, int attr, int ch, bool vertical, int across,
                           int along, int boxThick, int boxLen, char font) {
        std::string r(24, '\0');
        auto put = [&r](int at, int v) {
            r[at] = static_cast<char>(v & 0xFF);
            r[at + 1] = static_cast<char>((v >> 8) & 0xFF);
        };
        put(0, vertical ? lineX : lineY);
        put(20, vertical ? lineY : lineX);
        put(2, thick);
        r[4] = static_cast<char>(line);
        r[5] = static_cast<char>(attr);
        r[6] = static_cast<char>(ch);
        r[7] = static_cast<char>(vertical ? 0x80 : 0);
        put(8, across);
        put(10, along);
        put(12, boxThick);
        put(14, boxLen);
        r[22] = font;
        return r;
    }
    static std::string Ce(char cls, const std::vector<std::string>& codes) {
        std::string e;
        e.push_back(cls);
        e.push_back(static_cast<char>('0' + codes.size() - 1));
        for (const std::string& code : codes) e += code;
        return e + "\x01\x02";
    }

    fs::path dir;
    CFakeDocumentHost shell;
};

TEST_F(WorkFiles, FillFromWorkFiles) {
    // "A", a GBK pair, a skipped entry, a space and on a new line (vertical) "b".
    std::string txt = "A\xB0\xA1\x80\x80 \r\nb\n";
    std::string idx = Idx(100, 50, 30, 0, 7, 0, false, 52, 110, 28, 20, 'S') +
                      Idx(100, 50, 30, 0, 7, 1, false, 52, 131, 28, 0, 0) +
                      Idx(0, 0, 0, 0, 0, 2, false, 0, 0, 0, 0, 0) +
                      Idx(600, 40, 25, 0, 1, 0, true, 620, 45, 25, 30, 'H');
    std::string ce = std::string(20, 'H') + Ce('A', {Code(0, 'A'), Code(0xB0, 0xA2)}) + Ce('E', {Code(0xB0, 0xA1)}) +
                     Ce('A', {Code(0x80, 0x80)});
    std::vector<std::string> eleven;
    for (char c = 'b'; c <= 'l'; ++c) eleven.push_back(Code(c == 'c' ? 1 : 0, static_cast<unsigned char>(c)));
    ce += Ce('C', eleven);
    Write(".c&e", ce);
    Write(".idx", idx);
    Write(".txt", txt);

    CRecoResult store;
    ASSERT_TRUE(store.LoadSaved(0, nullptr, 0, nullptr, 0));
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_EQ(TextOf(store), RecoUnit(0, 'A', 0) + RecoUnit(0xB0, 0xA1, 1) + " \r\n" + RecoUnit(0, 'b', 2) + "\r\n");
    EXPECT_EQ(store.m_nLineCount, 2u);
    EXPECT_EQ(store.m_nTextCapacity, 256000u);
    EXPECT_EQ(store.m_bModified, 1);
    ASSERT_EQ(store.RecordCount(), 3u);
    const RecoCharInfo& r0 = *store.Record(0);
    EXPECT_EQ(+r0.nLineX, 100);
    EXPECT_EQ(+r0.nLineY, 50);
    EXPECT_EQ(r0.byLineAttr, 7);
    EXPECT_EQ(r0.byFlags, 'S');
    EXPECT_EQ(+r0.nBoxAlong, 110);
    EXPECT_EQ(r0.chClass, 'A');
    EXPECT_EQ(+r0.wCand[0], 'A' << 8);  // two bytes below 0x80: the second alone
    EXPECT_EQ(+r0.wCand[1], 0xA2B0);
    EXPECT_EQ(+r0.wBlock, 0);
    EXPECT_EQ(+store.Record(1)->nBoxLen, 1);
    EXPECT_EQ(store.Record(1)->chClass, 'E');
    const RecoCharInfo& v = *store.Record(2);
    EXPECT_EQ(v.chClass, 'C');  // a work-file letter stays as it is
    EXPECT_EQ(v.byFlags, 0x80 | 'H');
    EXPECT_EQ(+v.nLineX, 600);
    EXPECT_EQ(+v.nLineY, 40);
    EXPECT_EQ(+v.wBlock, 1);
    EXPECT_EQ(+v.wCand[0], 'b' << 8);
    EXPECT_EQ(+v.wCand[1], 'c' << 8);  // 0x01 'c': both below 0x80, the second alone
    EXPECT_EQ(+v.wCand[9], 'k' << 8);  // at most ten candidates
}

TEST_F(WorkFiles, MissingFilesAreReportedInOrder) {
    CRecoResult store;
    EXPECT_FALSE(store.LoadSaved(0, nullptr, 0, nullptr, 0));
    Write(".c&e", std::string(20, 0));
    EXPECT_FALSE(store.LoadSaved(0, nullptr, 0, nullptr, 0));
    Write(".idx", "");
    EXPECT_FALSE(store.LoadSaved(0, nullptr, 0, nullptr, 0));
    EXPECT_EQ(shell.messages, (std::vector<std::string>{kMsgCeOpenError, kMsgIdxOpenError, kMsgTxtOpenError}));
    Write(".txt", "");
    EXPECT_TRUE(store.LoadSaved(0, nullptr, 0, nullptr, 0));
    EXPECT_EQ(TextOf(store), "\r\n");
}

TEST_F(WorkFiles, DamagedWorkFilesFailCleanly) {
    std::string idx = Idx(1, 2, 3, 0, 0, 0, false, 1, 1, 1, 1, 0);
    std::string ce = std::string(20, 0) + Ce('A', {Code('a', 'b')});
    struct Case {
        const char* what;
        std::string ce, idx, txt;
    } cases[] = {
        {"more characters than index records", ce, idx, "ab"},
        {"more characters than entries", ce, idx + idx, "ab"},
        {"an entry running past the file", std::string(20, 0) + "A9ab", idx, "a"},
        {"a lead byte at the end of the text", ce, idx, "\xB0"},
        {"a class file shorter than its header", "A0", idx, "a"},
    };
    for (const Case& c : cases) {
        CRecoResult store;
        shell.messages.clear();
        EXPECT_FALSE(store.LoadFromWorkFileBytes(c.ce, c.idx, c.txt)) << c.what;
        EXPECT_EQ(store.m_bHasResult, 0) << c.what;
        EXPECT_EQ(store.m_nTextLen, 0u) << c.what;
        EXPECT_EQ(store.m_hText, nullptr) << c.what;
        EXPECT_EQ(shell.messages, std::vector<std::string>{kMsgWorkFilesDamaged}) << c.what;
    }
    // Too large a text file is refused before it is read whole.
    Write(".c&e", ce);
    Write(".idx", idx);
    Write(".txt", std::string(kRecoMaxWorkTxtBytes + 1, ' '));
    CRecoResult store;
    shell.messages.clear();
    EXPECT_FALSE(store.LoadSaved(0, nullptr, 0, nullptr, 0));
    EXPECT_EQ(shell.messages, std::vector<std::string>{kMsgWorkFilesDamaged});
}

TEST_F(WorkFiles, BlocksFollowTheIndexNumbers) {
    // Characters at (line 0, char 0) open a block; the first character always has one.
    std::string idx = Idx(0, 0, 0, 1, 0, 3, false, 0, 0, 1, 1, 0) + Idx(0, 0, 0, 0, 0, 0, false, 0, 0, 1, 1, 0) +
                      Idx(0, 0, 0, 0, 0, 1, false, 0, 0, 1, 1, 0) + Idx(0, 0, 0, 0, 0, 0, false, 0, 0, 1, 1, 0);
    std::string ce = std::string(20, 0) + Ce('A', {Code('a', 'b')}) + Ce('A', {Code('a', 'b')}) +
                     Ce('A', {Code('a', 'b')}) + Ce('A', {Code('a', 'b')});
    CRecoResult store;
    ASSERT_TRUE(store.LoadFromWorkFileBytes(ce, idx, "abcd"));
    EXPECT_EQ(+store.Record(0)->wBlock, 0);
    EXPECT_EQ(+store.Record(1)->wBlock, 1);
    EXPECT_EQ(+store.Record(2)->wBlock, 1);
    EXPECT_EQ(+store.Record(3)->wBlock, 2);
    EXPECT_EQ(TextOf(store).substr(TextOf(store).size() - 2), "\r\n");  // a final line end is added
}

TEST(RecoSaved, SavedTextAndRecordsLoadUnmodified) {
    std::vector<RecoCharInfo> records{MakeRecord(0, 0, 'A'), MakeRecord(0, 0, 'D')};
    std::string text = RecoUnit(0xD6, 0xD0, 0) + "\xCE\xC4" + "x\r\n" + RecoUnit(0, 'a', 1) + "\r\n";
    CRecoResult store;
    ASSERT_TRUE(LoadText(store, text, records));
    EXPECT_EQ(TextOf(store), text);
    EXPECT_EQ(store.m_bModified, 0);
    EXPECT_EQ(store.m_bHasResult, 1);
    EXPECT_EQ(store.m_nLineCount, 2u);
    EXPECT_EQ(store.m_nTextCapacity, 256000u);
    EXPECT_EQ(store.m_nCharBytes, 86u);
    EXPECT_EQ(store.Record(1)->chClass, 'D');
}

TEST(RecoSaved, DamagedSavedTextIsRefusedOnce) {
    std::vector<RecoCharInfo> records{MakeRecord(0, 0, 'A')};
    const std::string cases[] = {
        RecoUnit(0, 'a', 1) + "\r\n",                   // index beyond the records
        RecoUnit(0, 'a', 0).substr(0, 5) + "x\r\n",     // no closing marker
        "abc",                                          // no final line end
        "a\nb\r\n",                                     // LF without CR
        "a\rb\r\n",                                     // CR without LF
        std::string("a") + RecoUnit(0, 'a', 0).substr(0, 4),  // unit cut by the end
    };
    for (const std::string& text : cases) {
        CRecoResult store;
        EXPECT_FALSE(LoadText(store, text, records)) << text;
        EXPECT_EQ(store.m_bHasResult, 0);
        EXPECT_EQ(store.m_nTextLen, 0u);
    }
    CRecoResult store;
    std::vector<BYTE> odd(44);
    EXPECT_FALSE(store.LoadSaved(1, reinterpret_cast<const BYTE*>("\r\n"), 2, odd.data(), 44));
    std::vector<RecoCharInfo> tooMany(kRecoMaxRecords + 1);
    EXPECT_FALSE(LoadText(store, "\r\n", tooMany));
}

TEST(RecoSaved, LongSavedTextHasNoRoomLeft) {
    std::string text(300000, 'a');
    text += "\r\n";
    CRecoResult store;
    ASSERT_TRUE(LoadText(store, text, {}));
    EXPECT_EQ(store.m_nTextCapacity, text.size());
}

}  // namespace
