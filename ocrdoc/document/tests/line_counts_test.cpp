// The per-region line counts of the document: mapping lines to regions,
// keeping the counts in step with line breaks and pastes, and undo.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ocrdoc/document/ocr_doc.h"
#include "ocrdoc/tests/fake_document_host.h"
#include "platform/win/memory.h"

namespace {

class LineCounts : public ::testing::Test {
protected:
    CFakeDocumentHost shell;
    COcrDoc doc;

    // A page whose top-level regions have these line counts.
    void MakeRegions(const std::vector<int>& counts) {
        doc.m_pPageRegion = new CPageRegion(RECT{0, 0, 1000, 2000});
        int top = 10;
        for (int count : counts) {
            ASSERT_NE(doc.m_pPageRegion->AddRegionEx(RECT{10, top, 500, top + 100}, 1, count), nullptr);
            top += 150;
        }
        doc.RebuildLineCounts();
    }
    std::vector<int> RegionCounts() const {
        std::vector<int> out;
        for (int i = 0; i < doc.m_pPageRegion->GetChildCount(); ++i) out.push_back(doc.m_pPageRegion->GetChild(i)->m_nLines);
        return out;
    }
    std::vector<int> ArrayCounts() const {
        std::vector<int> out;
        for (DWORD i = 0; i < doc.m_dwBkNum; ++i) out.push_back(doc.m_pLineCounts[i]);
        return out;
    }
    std::pair<int, int> Range(int index) {
        int first = 7, last = 7;
        doc.GetRegionLineRange(index, &first, &last);
        return {first, last};
    }
    HGLOBAL Block(const std::string& bytes) {
        HGLOBAL h = GlobalAlloc(GHND, bytes.size());
        std::memcpy(GlobalLock(h), bytes.data(), bytes.size());
        GlobalUnlock(h);
        return h;
    }
};

TEST_F(LineCounts, LinesMapToTheRegionsThatHoldThem) {
    MakeRegions({2, 0, 3});
    EXPECT_EQ(doc.m_dwBkNum, 3u);
    EXPECT_EQ(ArrayCounts(), (std::vector<int>{2, 0, 3}));

    EXPECT_EQ(doc.GetRegionLineCountAt(0), 2);
    EXPECT_EQ(doc.GetRegionLineCountAt(1), 2);
    EXPECT_EQ(doc.GetRegionLineCountAt(2), 3);
    EXPECT_EQ(doc.GetRegionLineCountAt(4), 3);
    EXPECT_EQ(doc.GetRegionLineCountAt(5), -1);
    EXPECT_EQ(doc.GetRegionLineCountAt(-1), -1);

    EXPECT_EQ(Range(0), std::make_pair(0, 1));
    EXPECT_EQ(Range(1), std::make_pair(-1, -1));  // a region without lines
    EXPECT_EQ(Range(2), std::make_pair(2, 4));
    EXPECT_EQ(Range(3), std::make_pair(-1, -1));   // no such region
    EXPECT_EQ(Range(-1), std::make_pair(-1, -1));
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(LineCounts, NoPageMeansNoRegionsAndNoArray) {
    doc.RebuildLineCounts();
    EXPECT_EQ(doc.m_dwBkNum, 0u);
    EXPECT_EQ(doc.m_pLineCounts, nullptr);
    EXPECT_EQ(doc.AdjustRegionLineCount(0, 1), 0);
    EXPECT_EQ(doc.GetRegionLineCountAt(0), -1);
    EXPECT_EQ(Range(0), std::make_pair(-1, -1));
}

TEST_F(LineCounts, AdjustingChangesTheHoldingRegionNeverBelowZero) {
    MakeRegions({2, 0, 3});
    EXPECT_EQ(doc.AdjustRegionLineCount(3, 1), 1);
    EXPECT_EQ(RegionCounts(), (std::vector<int>{2, 0, 4}));
    EXPECT_EQ(ArrayCounts(), (std::vector<int>{2, 0, 4}));

    EXPECT_EQ(doc.AdjustRegionLineCount(1, -3), 1);
    EXPECT_EQ(RegionCounts(), (std::vector<int>{0, 0, 4}));
    EXPECT_EQ(ArrayCounts(), (std::vector<int>{0, 0, 4}));
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(LineCounts, AdjustingBeyondTheLastLineChangesNothingButRebuilds) {
    MakeRegions({2, 0, 3});
    // A count changed behind the array's back shows up after the rebuild.
    doc.m_pPageRegion->GetChild(1)->m_nLines = 6;
    EXPECT_EQ(doc.AdjustRegionLineCount(11, 1), 0);
    EXPECT_EQ(RegionCounts(), (std::vector<int>{2, 6, 3}));
    EXPECT_EQ(ArrayCounts(), (std::vector<int>{2, 6, 3}));
}

TEST_F(LineCounts, ANegativeCountOnTheWayIsReported) {
    MakeRegions({2, 0, 3});
    doc.m_pPageRegion->GetChild(1)->m_nLines = -1;

    // Lines before the damaged region are still found.
    EXPECT_EQ(doc.GetRegionLineCountAt(1), 2);
    EXPECT_EQ(Range(0), std::make_pair(0, 1));
    EXPECT_TRUE(shell.messages.empty());

    EXPECT_EQ(doc.AdjustRegionLineCount(3, 1), -1);
    EXPECT_EQ(RegionCounts(), (std::vector<int>{2, -1, 3}));
    EXPECT_EQ(doc.GetRegionLineCountAt(3), -1);
    EXPECT_EQ(Range(2), std::make_pair(-1, -1));
    ASSERT_EQ(shell.messages.size(), 3u);
    for (const std::string& m : shell.messages) EXPECT_EQ(m, kMsgTextLineError);
}

TEST_F(LineCounts, PastedLineEndsAreCountedUpToTheFirstZero) {
    MakeRegions({2, 0, 3});
    HGLOBAL twoPairs = Block("a\r\nb\r\n\rc\nd");  // a lone CR and a lone LF do not count
    EXPECT_EQ(doc.OnTextPasted(twoPairs, 0), 1);
    EXPECT_EQ(RegionCounts(), (std::vector<int>{4, 0, 3}));

    HGLOBAL cut = Block(std::string("x\r\n\0\r\n\r\n", 9));
    EXPECT_EQ(doc.OnTextPasted(cut, 5), 1);
    EXPECT_EQ(RegionCounts(), (std::vector<int>{4, 0, 4}));

    // No line end, or a CR as the block's last byte: nothing to adjust.
    HGLOBAL none = Block("ab\r");
    EXPECT_EQ(doc.OnTextPasted(none, 0), 1);
    EXPECT_EQ(RegionCounts(), (std::vector<int>{4, 0, 4}));
    EXPECT_EQ(doc.OnTextPasted(nullptr, 0), 1);

    // Pasted beyond the last line: no region takes the lines.
    EXPECT_EQ(doc.OnTextPasted(twoPairs, 40), 0);
    EXPECT_EQ(RegionCounts(), (std::vector<int>{4, 0, 4}));
    for (HGLOBAL h : {twoPairs, cut, none}) GlobalFree(h);
}

TEST_F(LineCounts, SettingAllCountsNeedsOnePerRegion) {
    MakeRegions({2, 0, 3});
    const WORD two[] = {5, 5};
    EXPECT_FALSE(doc.SetAllLineCounts(2, two));
    EXPECT_FALSE(doc.SetAllLineCounts(-1, two));
    ASSERT_EQ(shell.messages.size(), 2u);
    EXPECT_EQ(shell.messages[0], kMsgLineCountMismatch);
    EXPECT_EQ(RegionCounts(), (std::vector<int>{2, 0, 3}));

    const WORD three[] = {1, 4, 0};
    EXPECT_TRUE(doc.SetAllLineCounts(3, three));
    EXPECT_EQ(RegionCounts(), (std::vector<int>{1, 4, 0}));
    EXPECT_EQ(ArrayCounts(), (std::vector<int>{1, 4, 0}));
}

TEST_F(LineCounts, UndoRestoresTheCountsSavedWithTheEdit) {
    MakeRegions({2, 0, 3});
    const std::string text = "ab\r\ncd\r\n\r\n\r\nef\r\n";
    ASSERT_TRUE(doc.LoadSaved(1, reinterpret_cast<const BYTE*>(text.data()), static_cast<UINT>(text.size()),
                              nullptr, 0));

    // Nothing to undo: counts and text stay.
    UINT row = 99, col = 99;
    EXPECT_EQ(doc.Undo(&row, &col), -1);
    EXPECT_EQ(RegionCounts(), (std::vector<int>{2, 0, 3}));
    EXPECT_TRUE(shell.messages.empty());

    // What the text view does for a new line break after "a": save the
    // counts with the edit, insert, adjust.
    const WORD before[] = {2, 0, 3};
    ASSERT_EQ(doc.m_actions.PushAction(ACTION_INSERT, 3, before, 1, 2, nullptr, 0), 1);
    ASSERT_TRUE(doc.InsertText(reinterpret_cast<const BYTE*>("\r\n"), 2, 1, FALSE));
    ASSERT_EQ(doc.AdjustRegionLineCount(0, 1), 1);
    ASSERT_EQ(RegionCounts(), (std::vector<int>{3, 0, 3}));

    EXPECT_EQ(doc.Undo(&row, &col), 1);
    EXPECT_EQ(doc.Text(), text);
    EXPECT_EQ(row, 0u);
    EXPECT_EQ(col, 1u);
    EXPECT_EQ(RegionCounts(), (std::vector<int>{2, 0, 3}));
    EXPECT_EQ(ArrayCounts(), (std::vector<int>{2, 0, 3}));
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(LineCounts, UndoOfAnEditSavedWithOtherRegionsReportsTheMismatch) {
    MakeRegions({2, 3});
    const std::string text = "ab\r\ncd\r\ne\r\nf\r\ng\r\n";
    ASSERT_TRUE(doc.LoadSaved(1, reinterpret_cast<const BYTE*>(text.data()), static_cast<UINT>(text.size()),
                              nullptr, 0));
    const WORD before[] = {1, 1, 3};
    ASSERT_EQ(doc.m_actions.PushAction(ACTION_INSERT, 3, before, 0, 1, nullptr, 0), 1);
    ASSERT_TRUE(doc.InsertText(reinterpret_cast<const BYTE*>("z"), 1, 0, FALSE));
    UINT row = 0, col = 0;
    EXPECT_EQ(doc.Undo(&row, &col), 0);
    EXPECT_EQ(doc.Text(), text);
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0], kMsgLineCountMismatch);
    EXPECT_EQ(RegionCounts(), (std::vector<int>{2, 3}));
}

}  // namespace
