// English recognition: the merge into a Chinese result with renumbered records
// and blocks, answers larger than the old fixed buffers, success counted in
// characters, and a whole English page through the real engine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ocrdoc/document/english_text.h"
#include "ocrdoc/document/tests/pipeline_fixtures.h"
#include "ocrdoc/tests/fake_document_host.h"
#include "outside/include/pendril20.h"
#include "outside/tests/harness.h"

namespace {

// An English answer built in memory: entries of lines of words.
struct Answer {
    std::vector<std::unique_ptr<_charinfoeng>> chars;
    std::vector<std::unique_ptr<_wordinfoeng>> words;
    std::vector<std::unique_ptr<_lineinfoeng>> lines;
    std::vector<std::unique_ptr<_regioninfoeng>> entries;

    _regioninfoeng* Entry() {
        entries.push_back(std::make_unique<_regioninfoeng>());
        if (entries.size() > 1) entries[entries.size() - 2]->next = entries.back().get();
        return entries.back().get();
    }
    _lineinfoeng* Line(_regioninfoeng* entry, SHORT top, SHORT left) {
        lines.push_back(std::make_unique<_lineinfoeng>(_lineinfoeng{nullptr, top, SHORT(top + 20), left, SHORT(left + 300), nullptr}));
        _lineinfoeng** link = &entry->pLines;
        while (*link) link = &(*link)->next;
        *link = lines.back().get();
        ++entry->nLines;
        return lines.back().get();
    }
    // Adds a word of codes with distances.
    void Word(_lineinfoeng* line, SHORT blanks, const std::vector<std::pair<WORD, SHORT>>& codes, SHORT nChars = -1) {
        words.push_back(std::make_unique<_wordinfoeng>(_wordinfoeng{nChars < 0 ? SHORT(codes.size()) : nChars, blanks, nullptr, nullptr}));
        _wordinfoeng* word = words.back().get();
        _charinfoeng** link = &word->pChars;
        SHORT x = 10;
        for (auto [code, dist] : codes) {
            chars.push_back(std::make_unique<_charinfoeng>(
                _charinfoeng{1, {code}, dist, line->top, line->bottom, x, SHORT(x + 9), 'S', nullptr}));
            *link = chars.back().get();
            link = &chars.back()->next;
            x += 12;
        }
        _wordinfoeng** wl = &line->pWords;
        while (*wl) wl = &(*wl)->next;
        *wl = word;
    }
    _regioninfoeng* Head() { return entries.empty() ? nullptr : entries.front().get(); }
};

struct ScriptedEnglish {
    _regioninfoeng* answer = nullptr;
    bool sawBlocks = true;
    int calls = 0;
};
ScriptedEnglish g_eng;

_regioninfoeng* EngRecog(unsigned char*, short, short, _recblockeng* blocks, PENDRIL20_PROGRESS_CALLBACK progress,
                         PENDRIL20_PUMP_CALLBACK) {
    ++g_eng.calls;
    g_eng.sawBlocks = blocks != nullptr;
    if (progress) progress(50);
    return g_eng.answer;
}
void EngFree(_regioninfoeng*) {}

class EnglishRecognition : public ::testing::Test {
protected:
    void SetUp() override { g_eng = ScriptedEnglish{}; }
    CFakeDocumentHost shell;
    CTestPage page;
};

}  // namespace

TEST_F(EnglishRecognition, MergeRenumbersRecordsAndBlocksAfterTheChineseOnes) {
    PutPlane(page, BlankPlane(400, 300));
    CLayoutRegion* chinese = page.m_pPageRegion->AddRegion(RECT{10, 10, 380, 100}, kRegionHorizontal);
    CLayoutRegion* english = page.m_pPageRegion->AddRegion(RECT{10, 120, 380, 200}, kRegionEnglish);
    chinese->m_nLines = 2;
    english->m_nLines = 1;
    std::vector<RecoCharInfo> records;
    std::string text;
    for (int i = 0; i < 10; ++i) {
        records.push_back(TestRecord(10 + 20 * i, 10, 18, 18, static_cast<WORD>(i / 4)));
        text += Unit(0xD6, 0xD0, static_cast<UINT>(i));
        if (i == 4) text += "\r\n";
    }
    text += "\r\n";
    ASSERT_TRUE(page.ReplaceContents(text, records.data(), 10));

    Answer a;
    a.Word(a.Line(a.Entry(), 130, 10), 0, {{'O', 10}, {'K', 10}});
    ASSERT_TRUE(page.AppendEnglishResult(a.Head()));
    ASSERT_EQ(page.RecordCount(), 12u);
    EXPECT_EQ(+page.Record(10)->wBlock, 3);  // the last Chinese block was 2
    EXPECT_EQ(+page.Record(11)->wBlock, 3);
    EXPECT_EQ(std::string(page.Text()), text + Unit(0, 'O', 10) + Unit(0, 'K', 11) + "\r\n");
    EXPECT_EQ(page.m_nLineCount, 3u);
}

TEST_F(EnglishRecognition, AnswersBeyondTheOldFixedBuffersAreTaken) {
    PutPlane(page, BlankPlane(400, 300));
    CLayoutRegion* english = page.m_pPageRegion->AddRegion(RECT{10, 10, 380, 280}, kRegionEnglish);
    Answer a;
    _regioninfoeng* e = a.Entry();
    for (int l = 0; l < 40; ++l) {
        _lineinfoeng* line = a.Line(e, static_cast<SHORT>(10 + l * 6), 10);
        for (int w = 0; w < 10; ++w) a.Word(line, 1, {{'w', 20}, {'o', 20}, {'r', 20}, {'d', 20}, {'s', 20}});
    }
    english->m_nLines = 40;
    ASSERT_TRUE(page.AppendEnglishResult(a.Head()));  // 2,000 characters, about 12,400 text bytes
    EXPECT_EQ(page.RecordCount(), 2000u);
    EXPECT_EQ(page.m_nLineCount, 40u);
    EXPECT_GT(page.m_nTextLen, 12000u);
}

TEST_F(EnglishRecognition, MalformedEnglishTextLeavesTheStoreAsItWas) {
    PutPlane(page, BlankPlane(200, 100));
    page.m_pPageRegion->AddRegion(RECT{10, 10, 180, 90}, kRegionEnglish)->m_nLines = 1;
    std::vector<RecoCharInfo> records = {TestRecord(10, 10, 20, 20, 0)};
    const std::string before = Unit(0xD6, 0xD0, 0) + "\r\n";
    ASSERT_TRUE(page.ReplaceContents(before, records.data(), 1));
    RecoCharInfo one = TestRecord(30, 10, 10, 20, 0);
    const std::string cut = Unit(0, 'x', 0).substr(0, 4);  // a unit cut short
    EXPECT_FALSE(page.MergeEnglishResult(cut.data(), static_cast<UINT>(cut.size()), &one, sizeof one));
    const std::string badIndex = Unit(0, 'x', 7) + "\r\n";  // no record 7
    EXPECT_FALSE(page.MergeEnglishResult(badIndex.data(), static_cast<UINT>(badIndex.size()), &one, sizeof one));
    EXPECT_EQ(std::string(page.Text()), before);
    EXPECT_EQ(page.RecordCount(), 1u);
}

TEST_F(EnglishRecognition, SuccessIsCountedInCharactersNotInWordFields) {
    CScopedEntry recog(PENDRIL20_DLL, "OR_PENDRIL20_RECOGIMG_ENGSTR", &EngRecog);
    CScopedEntry release(PENDRIL20_DLL, "OR_PENDRIL20_FREERGNINFO_ENGSTR", &EngFree);
    PutPlane(page, BlankPlane(300, 200));
    CLayoutRegion* region = page.m_pPageRegion->AddRegion(RECT{10, 10, 280, 180}, kRegionHorizontal);
    page.m_settings = TestSettings(2, 0);
    Answer a;
    a.Word(a.Line(a.Entry(), 20, 10), 0, {{'Z', 10}}, 0);  // the word's count says 0, yet it holds a character
    g_eng.answer = a.Head();
    char buffer[kBatchTextBytes] = {};
    BYTE cancel = 0;
    _regioninfoeng* result = nullptr;
    EXPECT_TRUE(page.RecognizeEnglish(nullptr, buffer, &cancel, &result));
    EXPECT_EQ(result, a.Head());
    EXPECT_EQ(region->m_nLines, 1);
    EXPECT_EQ(shell.progress, std::vector<int>{50});

    // And a word that claims characters it does not have is no success.
    Answer empty;
    empty.Word(empty.Line(empty.Entry(), 20, 10), 0, {}, 3);
    g_eng.answer = empty.Head();
    EXPECT_FALSE(page.RecognizeEnglish(nullptr, buffer, &cancel, &result));
}

TEST_F(EnglishRecognition, ChinesePageWithoutEnglishRegionCallsTheEngineWithNoBlocks) {
    CScopedEntry recog(PENDRIL20_DLL, "OR_PENDRIL20_RECOGIMG_ENGSTR", &EngRecog);
    CScopedEntry release(PENDRIL20_DLL, "OR_PENDRIL20_FREERGNINFO_ENGSTR", &EngFree);
    PutPlane(page, BlankPlane(300, 200));
    page.m_pPageRegion->AddRegion(RECT{10, 10, 280, 180}, kRegionHorizontal);
    _regioninfoeng* result = nullptr;
    EXPECT_FALSE(page.RecognizeEnglishRegions(&result));
    EXPECT_EQ(g_eng.calls, 1);
    EXPECT_FALSE(g_eng.sawBlocks);
    EXPECT_EQ(page.m_pImage->m_hRecoBits, nullptr);
}

TEST_F(EnglishRecognition, EnglishPageIsReadThroughTheEngine) {
    testpages::ensureGui();
    testpages::Page test = testpages::textPage(testpages::englishText(4, 2), 1000, 420, testpages::Style{40});
    PutPlane(page, test.plane);
    page.m_settings = TestSettings(2, 0);
    page.RecognizePage();
    ASSERT_TRUE(page.m_bHasResult);
    const std::string got = StoreUtf8(page);
    EXPECT_GE(testpages::charAccuracy(testpages::expectedText(test), got, true), 0.85) << got;
    int lines = 0;
    for (int i = 0; i < page.m_pPageRegion->GetChildCount(); ++i) lines += page.m_pPageRegion->GetChild(i)->m_nLines;
    EXPECT_EQ(lines, static_cast<int>(page.m_nLineCount));
    for (UINT i = 0; i < page.RecordCount(); ++i) EXPECT_NE(std::string("ADE").find(static_cast<char>(page.Record(i)->chClass)), std::string::npos);
}

TEST_F(EnglishRecognition, MergeWalksStrayHighBytesAsTheStoreDoesAndEndsEveryLine) {
    PutPlane(page, BlankPlane(300, 200));
    page.m_pPageRegion->AddRegion(RECT{10, 10, 280, 90}, kRegionEnglish)->m_nLines = 2;
    page.m_pPageRegion->AddRegion(RECT{10, 100, 280, 190}, kRegionHorizontal)->m_nLines = 1;
    std::vector<RecoCharInfo> records = {TestRecord(10, 110, 20, 20, 0)};
    ASSERT_TRUE(page.ReplaceContents(Unit(0xD6, 0xD0, 0) + "\r\n", records.data(), 1));
    // 0xFF is never a lead byte, and the last 0x9B has no trail: single
    // bytes both, so the unit after them is still a whole recognised character.
    RecoCharInfo one = TestRecord(20, 20, 10, 20, 0);
    const std::string english = std::string("\xFF\x9B\x9B\x9B ") + Unit(0, 'g', 0);  // one line, no line end
    ASSERT_TRUE(page.MergeEnglishResult(english.data(), static_cast<UINT>(english.size()), &one, sizeof one));
    EXPECT_EQ(std::string(page.Text()), english.substr(0, 5) + Unit(0, 'g', 1) + "\r\n" + Unit(0xD6, 0xD0, 0) + "\r\n");
    // A lead byte right before a unit would take its marker as its trail: refused.
    const std::string eaten = std::string("\x9B") + Unit(0, 'g', 0) + "\r\n";
    EXPECT_FALSE(page.MergeEnglishResult(eaten.data(), static_cast<UINT>(eaten.size()), &one, sizeof one));
    EXPECT_EQ(page.m_nLineCount, 2u);
    EXPECT_TRUE(IsWholeTextForm(page.Text(), page.RecordCount()));
}
