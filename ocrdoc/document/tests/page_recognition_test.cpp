// Page recognition: rendered pages through the real engines, and scripted
// engines for what a real page cannot show on demand (code letters, an
// empty Chinese answer, no English answer, progress and the text pieces).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ocrdoc/document/ocr_doc.h"
#include "ocrdoc/document/tests/pipeline_fixtures.h"
#include "ocrdoc/regions/table_region.h"
#include "ocrdoc/regions/text_region.h"
#include "ocrdoc/tests/fake_document_host.h"
#include "outside/include/pendril20.h"
#include "outside/include/tresk.h"
#include "outside/tests/harness.h"

namespace {

// A scripted Chinese engine: one line-cutting entry per block, and an answer
// of one character per block (or none).
struct ScriptedChinese {
    int blocks = 0;
    std::vector<std::string> seen;  // "v left,top" or "h left,top" per block
    int recogCalls = 0;
    int code = 0, traditional = -1;
    bool answer = true;
    std::function<void()> whileRecognising;
    std::vector<_seg_regioninfo> seg;
    std::vector<_regioninfo> result;
    std::vector<_lineinfo> lines;
    std::vector<_charinfo> chars;
};
ScriptedChinese g_cn;

_seg_regioninfo* CnSegImg(void*, short, short, _recblock* blocks, char*) {
    g_cn.blocks = 0;
    g_cn.seen.clear();
    for (_recblock* b = blocks; b; b = b->next, ++g_cn.blocks)
        g_cn.seen.push_back((b->bVertical ? "v " : "h ") + std::to_string(b->left) + "," + std::to_string(b->top));
    if (!g_cn.blocks) return nullptr;
    g_cn.seg.assign(static_cast<std::size_t>(g_cn.blocks), _seg_regioninfo{});
    for (std::size_t i = 0; i < g_cn.seg.size(); ++i) {
        g_cn.seg[i].nLines = 1;
        g_cn.seg[i].next = i + 1 < g_cn.seg.size() ? &g_cn.seg[i + 1] : nullptr;
    }
    return g_cn.seg.data();
}
_regioninfo* CnRecog(_seg_regioninfo* seg, void*, short, short, char*, int code, int traditional, int reserved,
                     TRESK_TEXT_CALLBACK text, TRESK_PUMP_CALLBACK pump) {
    ++g_cn.recogCalls;
    g_cn.code = code;
    g_cn.traditional = traditional;
    EXPECT_EQ(reserved, 0);
    if (g_cn.whileRecognising) g_cn.whileRecognising();
    if (pump) pump();
    if (!g_cn.answer) return nullptr;
    int n = 0;
    for (_seg_regioninfo* s = seg; s; s = s->next) ++n;
    g_cn.result.assign(static_cast<std::size_t>(n), _regioninfo{});
    g_cn.lines.assign(static_cast<std::size_t>(n), _lineinfo{});
    g_cn.chars.assign(static_cast<std::size_t>(n), _charinfo{});
    for (int i = 0; i < n; ++i) {
        _charinfo& c = g_cn.chars[static_cast<std::size_t>(i)];
        c = _charinfo{static_cast<SHORT>(10 + i), 10, static_cast<SHORT>(30 + i), 30, 0, 1, {0xD0D6}, 10, 0, nullptr};
        _lineinfo& l = g_cn.lines[static_cast<std::size_t>(i)];
        l = _lineinfo{1, 10, 10, 30, 30, 1, &c, nullptr};
        _regioninfo& r = g_cn.result[static_cast<std::size_t>(i)];
        r.nLines = 1;
        r.pLines = &l;
        r.next = i + 1 < n ? &g_cn.result[static_cast<std::size_t>(i) + 1] : nullptr;
        if (text) {
            text("\xD6\xD0");
            text("\n");
        }
    }
    return g_cn.result.data();
}
void CnFreeSeg(_seg_regioninfo*) {}
void CnFreeResult(_regioninfo*) {}

// A scripted English engine answering "Hi" in each block, or nothing.
struct ScriptedEnglish {
    bool answer = true;
    int calls = 0;
    int blocks = -1;
    std::vector<std::string> seen;  // "left,top" per block
    EnglishHiAnswer hi;
};
ScriptedEnglish g_en;

_regioninfoeng* EnRecog(unsigned char*, short, short, _recblockeng* blocks, PENDRIL20_PROGRESS_CALLBACK,
                        PENDRIL20_PUMP_CALLBACK) {
    ++g_en.calls;
    g_en.blocks = 0;
    g_en.seen.clear();
    for (_recblockeng* b = blocks; b; b = b->next, ++g_en.blocks)
        g_en.seen.push_back(std::to_string(b->left) + "," + std::to_string(b->top));
    if (!g_en.answer || !g_en.blocks) return nullptr;
    return g_en.hi.Make(static_cast<std::size_t>(g_en.blocks));
}
void EnFree(_regioninfoeng*) {}

class PageRecognition : public ::testing::Test {
protected:
    void SetUp() override {
        g_cn = ScriptedChinese{};
        g_en = ScriptedEnglish{};
    }
    void Script() {
        entries_.push_back(std::make_unique<CScopedEntry>(TRESK_DLL, "OR_CHN40_SegImg", &CnSegImg));
        entries_.push_back(std::make_unique<CScopedEntry>(TRESK_DLL, "OR_CHN40_Recog", &CnRecog));
        entries_.push_back(std::make_unique<CScopedEntry>(TRESK_DLL, "OR_CHN40_FreeSegInfo", &CnFreeSeg));
        entries_.push_back(std::make_unique<CScopedEntry>(TRESK_DLL, "#7", &CnFreeResult));
        entries_.push_back(std::make_unique<CScopedEntry>(PENDRIL20_DLL, "OR_PENDRIL20_RECOGIMG_ENGSTR", &EnRecog));
        entries_.push_back(std::make_unique<CScopedEntry>(PENDRIL20_DLL, "OR_PENDRIL20_FREERGNINFO_ENGSTR", &EnFree));
    }
    // A blank page with a text column and an English column.
    void TwoColumns() {
        PutPlane(page, BlankPlane(400, 200));
        page.m_pPageRegion->AddRegion(RECT{10, 10, 180, 180}, kRegionHorizontal);
        page.m_pPageRegion->AddRegion(RECT{200, 10, 380, 180}, kRegionEnglish);
    }
    CFakeDocumentHost shell;
    CTestPage page;
    std::vector<std::unique_ptr<CScopedEntry>> entries_;
};

int SumOfRegionLines(const CPageRegion& root) {
    int n = 0;
    for (int i = 0; i < root.GetChildCount(); ++i) n += root.GetChild(i)->m_nLines;
    return n;
}

}  // namespace

TEST_F(PageRecognition, SimplifiedPageIsReadThroughTheEngines) {
    testpages::ensureGui();
    testpages::Page test = testpages::textPage(testpages::simplifiedText(11, 2), 900, 420, testpages::Style{44});
    PutPlane(page, test.plane);
    page.m_settings = TestSettings(0, 0);
    page.RecognizePage();
    ASSERT_TRUE(page.m_bHasResult);
    EXPECT_GE(testpages::charAccuracy(testpages::expectedText(test), StoreUtf8(page), false), 0.8) << StoreUtf8(page);
    // Every line of the text belongs to a region, and the counts say so.
    EXPECT_EQ(SumOfRegionLines(*page.m_pPageRegion), static_cast<int>(page.m_nLineCount));
    EXPECT_EQ(page.m_dwBkNum, static_cast<DWORD>(page.m_pPageRegion->GetChildCount()));
    EXPECT_TRUE(page.viewText);
    EXPECT_GT(page.textColumnShows, 0);
    EXPECT_TRUE(page.HasHint(kHintResetTextView));
    EXPECT_EQ(page.m_pImage->m_hRecoBits, nullptr);  // freed after a successful run
}

TEST_F(PageRecognition, TableCellsAreReadAndLaidOutAsATable) {
    testpages::ensureGui();
    testpages::Page test = testpages::tablePage("水果表", {{"名称", "数量"}, {"苹果", "12"}}, false, testpages::Style{44});
    PutPlane(page, test.plane);
    page.m_settings = TestSettings(0, 3);
    page.RecognizePage();
    ASSERT_TRUE(page.m_bHasResult);
    CTableRegion* table = nullptr;
    for (int i = 0; i < page.m_pPageRegion->GetChildCount(); ++i)
        if (page.m_pPageRegion->GetChild(i)->m_nFlags & kRegionTable)
            table = static_cast<CTableRegion*>(page.m_pPageRegion->GetChild(i));
    ASSERT_NE(table, nullptr);
    ASSERT_NE(table->m_pGrid, nullptr);
    EXPECT_EQ(table->m_pGridImage, nullptr);  // the temporary image is gone
    EXPECT_GE(table->m_nLines, 3);
    const std::string text = StoreUtf8(page);
    EXPECT_NE(text.find("苹果"), std::string::npos) << text;
    EXPECT_NE(text.find("┏"), std::string::npos) << text;
    EXPECT_EQ(SumOfRegionLines(*page.m_pPageRegion), static_cast<int>(page.m_nLineCount));
    // Every recognised character of the laid-out table still has its record.
    std::string_view form = page.Text();
    for (std::size_t p = 0; p < form.size();) {
        if (static_cast<BYTE>(form[p]) == kRecoMark) {
            const UINT index = static_cast<BYTE>(form[p + 3]) | (static_cast<UINT>(static_cast<BYTE>(form[p + 4])) << 8);
            ASSERT_LT(index, page.RecordCount());
            p += 6;
        } else {
            p += static_cast<BYTE>(form[p]) > 0x80 ? 2 : 1;
        }
    }
}

TEST_F(PageRecognition, ATableWithoutAGridIsReadAsText) {
    // A table region over text without rules: no grid is found, and its text
    // is read all the same, on a Chinese page and on an English one.
    testpages::ensureGui();
    for (int language : {0, 2}) {
        const std::vector<std::string> text =
            language == 2 ? testpages::englishText(5, 1) : testpages::simplifiedText(5, 1);
        testpages::Page test = testpages::textPage(text, 900, 420, testpages::Style{44});
        CTestPage one;
        PutPlane(one, test.plane);
        one.m_settings = TestSettings(language, 0);
        ASSERT_NE(one.m_pPageRegion->AddRegion(RECT{2, 2, test.plane.width - 3, test.plane.height - 3}, kRegionTable),
                  nullptr);
        one.m_pPageRegion->Select(0);
        one.RecognizePage();
        ASSERT_TRUE(one.m_bHasResult) << language;
        ASSERT_EQ(one.m_pPageRegion->GetChildCount(), 1);
        EXPECT_EQ(one.m_pPageRegion->GetChild(0)->m_nFlags, kRegionHorizontal) << language;
        EXPECT_EQ(one.m_pPageRegion->GetSelectedChild(), one.m_pPageRegion->GetChild(0));
        EXPECT_GE(testpages::charAccuracy(testpages::expectedText(test), StoreUtf8(one), false), 0.8)
            << language << ": " << StoreUtf8(one);
        EXPECT_EQ(SumOfRegionLines(*one.m_pPageRegion), static_cast<int>(one.m_nLineCount)) << language;
    }
}

TEST_F(PageRecognition, CodeLetterFollowsLanguageAndSystem) {
    Script();
    struct Case {
        int language;
        bool simplified;
        int code, traditional;
    } cases[] = {{1, true, 'K', 1}, {0, true, 'G', 0}, {0, false, 'B', 1}, {1, false, 'B', 1}};
    for (const Case& c : cases) {
        CTestPage one;
        PutPlane(one, BlankPlane(200, 100));
        one.m_pPageRegion->AddRegion(RECT{10, 10, 150, 80}, kRegionHorizontal);
        one.m_settings = TestSettings(c.language, 0);
        one.m_settings.simplified = c.simplified;
        one.RecognizePage();
        EXPECT_EQ(g_cn.code, c.code) << c.language << c.simplified;
        EXPECT_EQ(g_cn.traditional, c.traditional) << c.language << c.simplified;
        EXPECT_TRUE(one.m_bHasResult);
    }
}

TEST_F(PageRecognition, EmptyChineseAnswerKeepsTheEnglishText) {
    Script();
    TwoColumns();
    page.m_settings = TestSettings(0, 0);
    g_cn.answer = false;
    page.RecognizePage();
    EXPECT_EQ(g_cn.recogCalls, 1);
    ASSERT_TRUE(page.m_bHasResult);
    EXPECT_EQ(StoreUtf8(page), "Hi\r\n");
    EXPECT_EQ(page.m_pPageRegion->GetChild(0)->m_nLines, 0);
    EXPECT_EQ(page.m_pPageRegion->GetChild(1)->m_nLines, 1);
}

TEST_F(PageRecognition, ChineseAndEnglishRegionsAreMergedInReadingOrder) {
    Script();
    PutPlane(page, BlankPlane(400, 300));
    page.m_pPageRegion->AddRegion(RECT{10, 10, 380, 60}, kRegionEnglish);
    page.m_pPageRegion->AddRegion(RECT{10, 80, 380, 280}, kRegionHorizontal);
    page.m_settings = TestSettings(0, 0);
    page.RecognizePage();
    ASSERT_TRUE(page.m_bHasResult);
    EXPECT_EQ(StoreUtf8(page), "Hi\r\n中\r\n");
    ASSERT_EQ(page.RecordCount(), 3u);
    // The English records follow the Chinese one, in the blocks after it.
    EXPECT_EQ(+page.Record(0)->wBlock, 0);
    EXPECT_EQ(+page.Record(1)->wBlock, 1);
    const std::string_view form = page.Text();
    EXPECT_EQ(static_cast<BYTE>(form[3]), 1);  // "H" is record 1
}

TEST_F(PageRecognition, EachEngineGetsItsRegionsInReadingOrder) {
    Script();
    PutPlane(page, BlankPlane(400, 300));
    page.m_pPageRegion->AddRegion(RECT{10, 10, 120, 280}, kRegionVertical);
    page.m_pPageRegion->AddRegion(RECT{140, 10, 380, 100}, kRegionEnglish);
    page.m_pPageRegion->AddRegion(RECT{140, 120, 380, 280}, kRegionHorizontal);
    page.m_settings = TestSettings(0, 0);
    page.RecognizePage();
    EXPECT_EQ(g_en.seen, (std::vector<std::string>{"140,10"}));
    EXPECT_EQ(g_cn.seen, (std::vector<std::string>{"v 10,10", "h 140,120"}));
    EXPECT_EQ(page.m_pPageRegion->GetChild(0)->m_nLines, 1);
    EXPECT_EQ(page.m_pPageRegion->GetChild(1)->m_nLines, 1);
    EXPECT_EQ(page.m_pPageRegion->GetChild(2)->m_nLines, 1);
}

TEST_F(PageRecognition, EnglishRegionsGoToTheChineseEngineWhenTheEnglishOneGivesNothing) {
    Script();
    TwoColumns();
    page.m_settings = TestSettings(0, 0);
    g_en.answer = false;
    page.RecognizePage();
    EXPECT_EQ(g_en.blocks, 1);
    EXPECT_EQ(page.m_pPageRegion->GetChild(1)->m_nFlags, kRegionHorizontal);
    EXPECT_EQ(g_cn.blocks, 2);
    EXPECT_EQ(StoreUtf8(page), "中\r\n中\r\n");
}

TEST_F(PageRecognition, NoChineseBlockWithoutEnglishDiscardsTheResult) {
    Script();
    PutPlane(page, BlankPlane(200, 100));
    page.m_pPageRegion->AddRegion(RECT{10, 10, 150, 80}, kRegionPicture);
    std::vector<RecoCharInfo> records = {TestRecord(10, 10, 20, 20, 0)};
    ASSERT_TRUE(page.ReplaceContents(Unit(0, 'A', 0) + "\r\n", records.data(), 1));
    page.m_settings = TestSettings(0, 0);
    page.RecognizePage();
    EXPECT_EQ(g_cn.recogCalls, 0);
    EXPECT_FALSE(page.m_bHasResult);
}

TEST_F(PageRecognition, BatchRunWithoutPageRecognisesNothing) {
    char buffer[kBatchTextBytes] = {};
    BYTE cancel = 0;
    page.m_settings = TestSettings(0, 0);
    EXPECT_EQ(page.RecognizePageBatch(nullptr, buffer, &cancel), 0);
    Script();
    PutPlane(page, BlankPlane(200, 100));
    EXPECT_EQ(page.RecognizePageBatch(nullptr, buffer, &cancel), 0);  // no regions after analysis
    page.m_pPageRegion->AddRegion(RECT{10, 10, 150, 80}, kRegionHorizontal);
    EXPECT_EQ(page.RecognizePageBatch(nullptr, buffer, &cancel), 1);
    EXPECT_STREQ(buffer, "\n");  // the last piece
}

TEST_F(PageRecognition, HandwritingPageGetsBoxesButNoChineseText) {
    Script();
    testpages::ensureGui();
    testpages::Page test = testpages::textPage(testpages::simplifiedText(2, 1), 900, 500, testpages::Style{44});
    PutPlane(page, test.plane);
    ASSERT_FALSE(test.blocks.empty());
    const testpages::Rect r = test.blocks[0].rect;
    page.m_pPageRegion->AddRegion(RECT{r.left, r.top, r.right, r.bottom}, kRegionHorizontal);
    page.m_settings = TestSettings(0, 4);
    shell.currentRow = 0;
    shell.rowCount = 1;
    shell.cells[{0, kPageListType}] = page.m_settings.type;
    page.RecognizePage();
    EXPECT_EQ(g_cn.recogCalls, 0);
    auto* text = page.m_pPageRegion->GetChild(0)->AsTextRegion();
    ASSERT_NE(text, nullptr);
    EXPECT_GT(text->m_nRows, 0);
    EXPECT_EQ(text->m_nLines, text->m_nRows);
    EXPECT_FALSE(page.m_bHasResult);
}

TEST_F(PageRecognition, PagesBeyondSixteenBitsAreRefusedNotCut) {
    Script();
    PutPlane(page, BlankPlane(33000, 16));
    page.m_pPageRegion->AddRegion(RECT{10, 2, 32900, 12}, kRegionHorizontal);
    page.m_settings = TestSettings(0, 0);
    _seg_regioninfo* seg = reinterpret_cast<_seg_regioninfo*>(1);
    EXPECT_FALSE(page.CutTextLines(&seg));
    EXPECT_EQ(seg, nullptr);
    EXPECT_EQ(page.m_pImage->m_hRecoBits, nullptr);
    EXPECT_EQ(g_cn.blocks, 0);
}

TEST_F(PageRecognition, ProgressIsDrawnWhenTheWholePercentChanges) {
    RecoProgress& p = ThreadRecoProgress();
    p = RecoProgress{};
    p.nTotal = 200;
    p.chLast = 'x';
    char buffer[kBatchTextBytes];
    p.pTextBuf = buffer;
    for (int line = 0; line < 10; ++line) {
        RecoTextCallback("\xD6\xD0");
        RecoTextCallback("\n");
        RecoTextCallback("\n");  // right after a line end: not a line
    }
    EXPECT_EQ(p.nLines, 10);
    EXPECT_EQ(shell.progress, (std::vector<int>{2, 4, 6, 8, 10}));
    // Without a total nothing is drawn.
    shell.progress.clear();
    p.nTotal = 0;
    p.nLines = 0;
    RecoTextCallback("a");
    RecoTextCallback("\n");
    EXPECT_TRUE(shell.progress.empty());
    p = RecoProgress{};
}

TEST_F(PageRecognition, TextPiecesStayInsideTheBufferAsWholeCharacters) {
    char guarded[kBatchTextBytes + 16];
    std::memset(guarded, 'G', sizeof guarded);
    RecoProgress& p = ThreadRecoProgress();
    p = RecoProgress{};
    p.pTextBuf = guarded;
    std::string piece = "a";
    for (int i = 0; i < 120; ++i) piece += "\xD6\xD0";  // 241 bytes
    RecoTextCallback(piece.c_str());
    EXPECT_EQ(std::strlen(guarded), 127u);
    for (std::size_t i = kBatchTextBytes; i < sizeof guarded; ++i) EXPECT_EQ(guarded[i], 'G');
    std::string even(240, '\0');
    for (std::size_t i = 0; i < even.size(); i += 2) even[i] = '\xD6', even[i + 1] = '\xD0';
    RecoTextCallback(even.c_str());
    EXPECT_EQ(std::strlen(guarded), 126u);  // never half a character
    p = RecoProgress{};
}

TEST_F(PageRecognition, RunHoldsThePageAgainstOpensFromItsPump) {
    Script();
    COcrDoc doc;
    doc.m_pImage = ImageOfPlane(BlankPlane(200, 100));
    doc.m_pPageRegion = new CPageRegion(RECT{0, 0, 200, 100});
    doc.m_pPageRegion->AddRegion(RECT{10, 10, 150, 80}, kRegionHorizontal);
    shell.currentRow = 0;
    shell.rowCount = 1;
    shell.cells[{0, kPageListLanguage}] = TestSettings(0, 0).languageNames[0];
    CPageImage* before = doc.m_pImage;
    CPageImage* arriving = ImageOfPlane(BlankPlane(50, 40));
    BOOL opened = TRUE, attached = TRUE;
    int pumps = 0;
    g_cn.whileRecognising = [&] {
        if (pumps++) return;
        opened = doc.OnOpenDocument("C:\\EMPTY$$$.TIF");
        // A page that was on its way arrives while the engine reads this one.
        attached = doc.AttachLoadedPage(nullptr, arriving);
        EXPECT_EQ(doc.m_pImage, before);
        // A second run started from the pump does not reach the engine, and
        // the page commands are shown disabled meanwhile.
        doc.OnDocRecognize();
        EXPECT_EQ(g_cn.recogCalls, 1);
        CRecordingCmdUI during;
        doc.OnUpdatePageCommand(&during);
        EXPECT_FALSE(during.enabled);
    };
    doc.OnDocRecognize();
    EXPECT_EQ(g_cn.recogCalls, 1);
    CRecordingCmdUI after;
    doc.OnUpdatePageCommand(&after);
    EXPECT_TRUE(after.enabled);
    EXPECT_FALSE(opened);
    EXPECT_FALSE(attached);
    EXPECT_FALSE(doc.IsPageHeld());
    // Taken once the run had ended.
    EXPECT_EQ(doc.m_pImage, arriving);
    // After the run the page may be changed again.
    EXPECT_TRUE(doc.OnOpenDocument("C:\\EMPTY$$$.TIF"));
    // A deferred page left behind is freed with the document.
    COcrDoc other;
    {
        CPageHold hold(other);
        EXPECT_FALSE(other.AttachLoadedPage(nullptr, ImageOfPlane(BlankPlane(20, 20))));
    }
    EXPECT_EQ(doc.m_pImage, nullptr);
}
