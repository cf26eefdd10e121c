// Layout analysis on rendered pages and with scripted layout answers: areas
// become regions in reading order, thin text areas pictures, areas are
// clamped to the page, the automatic deskew turns a page once and only with
// a slope of at most one in five, and never behind a result the user kept.
#include <gtest/gtest.h>

#include <vector>

#include "ocrdoc/document/tests/pipeline_fixtures.h"
#include "ocrdoc/tests/fake_document_host.h"
#include "outside/include/plenmar.h"

namespace {

struct ScriptedLayout {
    std::vector<CArea> areas;
    bool returnNull = false;
    int segCalls = 0, delCalls = 0, skewCalls = 0;
    int skewResult = 0, dx = 0, dy = 0;
    int lastType = -1;
    RECT lastArea{};
};
ScriptedLayout g_layout;

CArea* ScriptedSeg(unsigned char*, DWORD, DWORD, int resolution, int type, RECT area) {
    ++g_layout.segCalls;
    g_layout.lastType = type;
    g_layout.lastArea = area;
    EXPECT_EQ(resolution, 300);
    if (g_layout.returnNull || g_layout.areas.empty()) return nullptr;
    auto* list = new CArea[g_layout.areas.size()];
    for (std::size_t i = 0; i < g_layout.areas.size(); ++i) {
        list[i] = g_layout.areas[i];
        list[i].next = i + 1 < g_layout.areas.size() ? &list[i + 1] : nullptr;
    }
    return list;
}
void ScriptedDelLink(CArea* list) {
    ++g_layout.delCalls;
    delete[] list;
}
int ScriptedSkew(unsigned char*, void*, DWORD, DWORD, int, int& dx, int& dy) {
    ++g_layout.skewCalls;
    dx = g_layout.dx;
    dy = g_layout.dy;
    return g_layout.skewResult;
}

class LayoutAnalysis : public ::testing::Test {
protected:
    void SetUp() override { g_layout = ScriptedLayout{}; }
    void Script() {
        seg_ = std::make_unique<CScopedEntry>(PLENMAR_DLL, "seg", &ScriptedSeg);
        del_ = std::make_unique<CScopedEntry>(PLENMAR_DLL, "DelLink", &ScriptedDelLink);
        skew_ = std::make_unique<CScopedEntry>(PLENMAR_DLL, "skew", &ScriptedSkew);
    }
    CTestPage page;
    std::unique_ptr<CScopedEntry> seg_, del_, skew_;
};

CArea Area(LONG l, LONG t, LONG r, LONG b, LONG kind) { return CArea{l, t, r, b, kind, nullptr}; }

}  // namespace

TEST_F(LayoutAnalysis, RenderedColumnsBecomeTextRegionsInReadingOrder) {
    testpages::ensureGui();
    testpages::Page test = testpages::textPage(testpages::simplifiedText(3, 4), 1200, 900, testpages::Style{40}, 2);
    PutPlane(page, test.plane);
    page.m_settings = TestSettings(0, 2);
    page.AnalyzeLayout();
    ASSERT_GE(page.m_pPageRegion->GetChildCount(), 2);
    EXPECT_TRUE(page.m_bLayoutDirty);
    EXPECT_TRUE(page.HasHint(kHintPipelineAll));
    EXPECT_EQ(page.m_pPageRegion->m_nSelected, 0);
    const CLayoutRegion* first = page.m_pPageRegion->GetChild(0);
    const CLayoutRegion* second = page.m_pPageRegion->GetChild(1);
    EXPECT_TRUE(first->m_nFlags & kRegionHorizontal);
    // Two columns: the left one is read first.
    EXPECT_LT(first->left, second->left);

    // A page that has regions is left alone; after the layout is dropped it is analysed again.
    const int count = page.m_pPageRegion->GetChildCount();
    page.m_bLayoutDirty = 0;
    EXPECT_FALSE(page.SegmentLayout());
    EXPECT_FALSE(page.m_bLayoutDirty);
    page.ClearLayout(TRUE);
    EXPECT_EQ(page.m_pPageRegion->GetChildCount(), 0);
    page.AnalyzeLayout();
    EXPECT_EQ(page.m_pPageRegion->GetChildCount(), count);
}

TEST_F(LayoutAnalysis, AreasAreMappedClampedAndThinTextBecomesPicture) {
    Script();
    PutPlane(page, BlankPlane(400, 300));
    page.m_settings = TestSettings(0, 3);
    g_layout.areas = {Area(10, 10, 17, 100, PLENMAR_AREA_VERTICAL),   // 7 wide: a picture
                      Area(30, 10, 38, 100, PLENMAR_AREA_VERTICAL),   // 8 wide: vertical text
                      Area(50, 10, 90, 16, PLENMAR_AREA_TEXT),        // 6 high: a picture
                      Area(-20, 120, 500, 200, 99),                   // past the edges: clamped
                      Area(420, 10, 450, 50, PLENMAR_AREA_TEXT),      // right of the page: dropped
                      Area(100, 220, 300, 290, PLENMAR_AREA_TABLE),
                      Area(310, 220, 390, 290, PLENMAR_AREA_PICTURE)};
    ASSERT_TRUE(page.SegmentLayout());
    EXPECT_EQ(g_layout.lastType, 3);
    EXPECT_EQ(g_layout.lastArea.right, 399);
    EXPECT_EQ(g_layout.lastArea.bottom, 299);
    EXPECT_EQ(g_layout.delCalls, 1);
    CPageRegion& root = *page.m_pPageRegion;
    ASSERT_EQ(root.GetChildCount(), 6);
    EXPECT_EQ(root.GetChild(0)->m_nFlags, kRegionPicture);
    EXPECT_EQ(root.GetChild(1)->m_nFlags, kRegionVertical);
    EXPECT_EQ(root.GetChild(2)->m_nFlags, kRegionPicture);
    EXPECT_EQ(root.GetChild(3)->m_nFlags, kRegionHorizontal);
    EXPECT_EQ(root.GetChild(3)->left, 0);
    EXPECT_EQ(root.GetChild(3)->right, 399);
    EXPECT_EQ(root.GetChild(4)->m_nFlags, kRegionTable);
    EXPECT_EQ(root.GetChild(5)->m_nFlags, kRegionPicture);
}

TEST_F(LayoutAnalysis, NoAreasStillCountsAsAnalysedAndUnknownTypeIsFive) {
    Script();
    PutPlane(page, BlankPlane(200, 100));
    page.m_settings = TestSettings(0, 0);
    page.m_settings.type = "?";
    g_layout.returnNull = true;
    EXPECT_TRUE(page.SegmentLayout());
    EXPECT_EQ(g_layout.lastType, 5);
    EXPECT_EQ(g_layout.delCalls, 1);  // given back even when empty
    EXPECT_EQ(page.m_pPageRegion->GetChildCount(), 0);
    EXPECT_TRUE(page.m_bLayoutDirty);
}

TEST_F(LayoutAnalysis, WithoutRowOrPageNothingHappens) {
    Script();
    page.AnalyzeLayout();  // no page
    PutPlane(page, BlankPlane(200, 100));
    page.m_settings = PageSettings{};  // no focused row
    g_layout.areas = {Area(10, 10, 100, 50, PLENMAR_AREA_TEXT)};
    page.AnalyzeLayout();
    EXPECT_EQ(g_layout.segCalls, 0);
    EXPECT_EQ(page.m_pPageRegion->GetChildCount(), 0);
}

TEST_F(LayoutAnalysis, SkewOfOneInFiveTurnsThePageOnce) {
    Script();
    testpages::ensureGui();
    testpages::Style tilted{40};
    tilted.skewDegrees = 4;
    testpages::Page test = testpages::textPage(testpages::simplifiedText(5, 2), 800, 500, tilted);
    PutPlane(page, test.plane);
    page.m_settings = TestSettings(0, 0);
    page.m_settings.autoAdjust = true;
    g_layout.dx = 50, g_layout.dy = -10;  // dy becomes 10, dx stays 50: 50 >= 5 x 10
    const std::vector<std::uint8_t> before = test.plane.bits;
    page.AnalyzeLayout();
    EXPECT_EQ(g_layout.skewCalls, 1);
    EXPECT_TRUE(page.IsPageEdited());
    EXPECT_TRUE(page.HasHint(kHintPageImageChanged));
    EXPECT_TRUE(page.m_bHasLayout);
    std::vector<std::uint8_t> after(before.size());
    CopyFromGlobal(page.m_pImage->m_hBits, 0, after.data(), static_cast<DWORD>(after.size()));
    EXPECT_NE(after, before);

    // Dropped and analysed again on the same loaded page: no second deskew.
    page.ClearLayout(TRUE);
    page.AnalyzeLayout();
    EXPECT_EQ(g_layout.skewCalls, 1);
}

TEST_F(LayoutAnalysis, SteeperSlopeOrFailedMeasureLeavesThePage) {
    Script();
    PutPlane(page, BlankPlane(300, 200));
    page.m_settings = TestSettings(0, 0);
    page.m_settings.autoAdjust = true;
    g_layout.dx = 49, g_layout.dy = -10;
    page.AnalyzeLayout();
    EXPECT_EQ(g_layout.skewCalls, 1);
    EXPECT_FALSE(page.IsPageEdited());
    EXPECT_FALSE(page.HasHint(kHintPageImageChanged));

    CTestPage other;
    PutPlane(other, BlankPlane(300, 200));
    other.m_settings = page.m_settings;
    g_layout.dx = 500, g_layout.dy = 10, g_layout.skewResult = 3;  // not measured
    other.AnalyzeLayout();
    EXPECT_FALSE(other.IsPageEdited());
}

TEST_F(LayoutAnalysis, ResultTheUserKeepsIsNotTurnedAway) {
    Script();
    PutPlane(page, BlankPlane(300, 200));
    page.m_settings = TestSettings(0, 0);
    std::vector<RecoCharInfo> records = {TestRecord(10, 10, 20, 20, 0)};
    const std::string text = Unit(0, 'A', 0) + "\r\n";
    ASSERT_TRUE(page.ReplaceContents(text, records.data(), 1));
    page.answerYes = false;
    g_layout.dx = 100, g_layout.dy = 10;
    page.AutoDeskew();
    EXPECT_EQ(page.questions.size(), 1u);
    EXPECT_FALSE(page.IsPageEdited());
    EXPECT_TRUE(page.m_bHasResult);
    EXPECT_EQ(std::string(page.Text()), text);
}

TEST_F(LayoutAnalysis, ClearLayoutKeepsPageAndSealRectangles) {
    PutPlane(page, BlankPlane(300, 200));
    page.m_pPageRegion->AddRegion(RECT{10, 10, 100, 100}, kRegionHorizontal);
    RECT seal{200, 20, 260, 80};
    page.m_pPageRegion->SetSealRect(&seal);
    page.ClearLayout(FALSE);
    ASSERT_NE(page.m_pPageRegion, nullptr);
    EXPECT_EQ(page.m_pPageRegion->GetChildCount(), 0);
    ASSERT_NE(page.m_pPageRegion->m_pSealRect, nullptr);
    EXPECT_EQ(page.m_pPageRegion->m_pSealRect->left, 200);
    EXPECT_EQ(page.m_pPageRegion->right, 300);
    EXPECT_TRUE(page.m_bLayoutDirty);

    // A declined discard keeps everything.
    page.m_pPageRegion->AddRegion(RECT{10, 10, 100, 100}, kRegionHorizontal);
    std::vector<RecoCharInfo> records = {TestRecord(10, 10, 20, 20, 0)};
    ASSERT_TRUE(page.ReplaceContents(Unit(0, 'A', 0) + "\r\n", records.data(), 1));
    page.answerYes = false;
    page.ClearLayout(TRUE);
    EXPECT_EQ(page.m_pPageRegion->GetChildCount(), 1);
    EXPECT_TRUE(page.m_bHasResult);
}
