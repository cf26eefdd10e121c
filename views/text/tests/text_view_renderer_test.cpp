// The text view's renderer, read back pixel by pixel: class colours, the
// selection, the line-image strip, the grey area without a result, and the
// layout of panel, bars and text area.
#include <gtest/gtest.h>

#include <functional>

#include "imaging/page_image.h"
#include "views/text/tests/text_view_fixtures.h"
#include "views/text/text_view_renderer.h"

namespace {

class TextViewRenderer : public TextViewTest {
protected:
    static constexpr int kWidth = 640, kHeight = 64 + 16 * 20;
    CTextViewRenderer renderer;
    CDC dc;
    CBitmap surface;
    CBitmap* old = nullptr;

    void SetUp() override {
        TextViewTest::SetUp();
        shell.languageId = 1033;  // the GB font
        ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
        ASSERT_TRUE(surface.CreateBitmap(kWidth, kHeight, 1, 32, nullptr));
        old = dc.SelectObject(&surface);
        dc.FillSolidRect(0, 0, kWidth, kHeight, RGB(1, 2, 3));
    }
    void TearDown() override { dc.SelectObject(old); }

    void Paint() {
        view.SetCell(renderer.MeasureCell(&dc, shell.languageId));
        renderer.Paint(&dc, view, shell.languageId, false);
    }
    // Pixels of a colour in a rectangle.
    int Count(int x0, int y0, int x1, int y1, COLORREF colour) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += dc.GetPixel(x, y) == colour;
        return n;
    }
    // The cells of columns [c0, c1) of window row r.
    int CountCells(int r, int c0, int c1, COLORREF colour) {
        const SIZE cell = view.Cell();
        const RECT& a = view.TextArea();
        return Count(a.left + c0 * cell.cx, a.top + r * cell.cy, a.left + c1 * cell.cx, a.top + (r + 1) * cell.cy,
                     colour);
    }
};

TEST_F(TextViewRenderer, ClassesHaveTheirColours) {
    std::vector<RecoCharInfo> recs{MakeRecord(0, 0, 'C'), MakeRecord(0, 0, 'D'), MakeRecord(0, 0, 'F'),
                                   MakeRecord(0, 0, 'A'), MakeRecord(0, 0, 'B')};
    Load(RecoUnit(0xD6, 0xD0, 0) + RecoUnit(0xCE, 0xC4, 1) + RecoUnit(0xD7, 0xD6, 2) + RecoUnit(0xB7, 0xFB, 3) +
             RecoUnit(0xBA, 0xC5, 4) + "\r\nline two\r\n",
         recs, {2});
    view.OnCandidateBar(32, kRequestToggleStrip);  // no strip: line 0 on row 0
    Paint();
    EXPECT_GT(CountCells(0, 0, 2, kClassCInk), 10) << "class C in blue";
    EXPECT_EQ(CountCells(0, 0, 2, kDoubtfulInk), 0);
    EXPECT_GT(CountCells(0, 2, 4, kDoubtfulInk), 10) << "class D in red";
    EXPECT_GT(CountCells(0, 4, 6, kDoubtfulInk), 10) << "class F in red";
    EXPECT_EQ(CountCells(0, 6, 10, kDoubtfulInk) + CountCells(0, 6, 10, kClassCInk), 0);
    EXPECT_GT(CountCells(0, 6, 8, kTextInk), 10) << "class A in black";
    EXPECT_GT(CountCells(0, 8, 10, kTextInk), 10) << "class B in black";
    EXPECT_GT(CountCells(1, 0, 8, kTextInk), 10);
    // Nothing outside the text area is touched; below the lines it is white.
    EXPECT_EQ(Count(0, 0, kWidth, 64, RGB(1, 2, 3)), kWidth * 64);
    EXPECT_EQ(CountCells(5, 0, 10, kTextPaper), 10 * view.Cell().cx * view.Cell().cy);
}

TEST_F(TextViewRenderer, TheSelectionIsWhiteOnNavy) {
    std::vector<RecoCharInfo> recs{MakeRecord(0, 0, 'D')};
    Load("abcdef\r\n" + RecoUnit(0xD6, 0xD0, 0) + "ghij\r\nklmnop\r\nqrstuv\r\n", recs, {4});
    view.OnCandidateBar(32, kRequestToggleStrip);
    Caret(0, 2);
    Key(VK_DOWN, true);
    Key(VK_DOWN, true);  // (0, 2) .. (2, 2)
    Paint();
    const SIZE cell = view.Cell();
    // Row 0: columns 0-1 normal, from 2 on selected.
    EXPECT_EQ(CountCells(0, 0, 2, kSelectedPaper), 0);
    EXPECT_GT(CountCells(0, 2, 6, kSelectedPaper), 2 * cell.cx * cell.cy);
    EXPECT_GT(CountCells(0, 2, 6, kSelectedInk), 10);
    // Row 1 wholly inside: navy, the doubtful character red on navy.
    EXPECT_GT(CountCells(1, 0, 2, kDoubtfulInk), 10);
    EXPECT_GT(CountCells(1, 0, 2, kSelectedPaper), cell.cx * cell.cy / 2);
    EXPECT_GT(CountCells(1, 2, 6, kSelectedPaper), 2 * cell.cx * cell.cy);
    // Row 2: selected up to column 2, normal after.
    EXPECT_GT(CountCells(2, 0, 2, kSelectedPaper), cell.cx * cell.cy);
    EXPECT_EQ(CountCells(2, 2, 6, kSelectedPaper), 0);
    EXPECT_EQ(CountCells(3, 0, 6, kSelectedPaper), 0);
    // Within one row: three runs.
    Caret(3, 1);
    Key(VK_RIGHT, true);
    Key(VK_RIGHT, true);
    Paint();
    EXPECT_EQ(CountCells(3, 0, 1, kSelectedPaper), 0);
    EXPECT_EQ(CountCells(3, 1, 3, kSelectedPaper) + CountCells(3, 1, 3, kSelectedInk), 2 * cell.cx * cell.cy);
    EXPECT_EQ(CountCells(3, 3, 6, kSelectedPaper), 0);
}

TEST_F(TextViewRenderer, TheStripShowsTheCaretLineAboveIt) {
    ASSERT_TRUE(GiveBlankPage(doc, 400, 200));
    doc.m_pImage->DrawLine(10, 30, 150, 30, 5);
    std::vector<RecoCharInfo> recs;
    std::string text = "one\r\ntwo\r\nthree\r\n";
    for (int i = 0; i < 6; ++i) {
        recs.push_back(MakeRecord(0, 0, 'A', static_cast<SHORT>(10 + 24 * i), 20, 20, 20));
        text += RecoUnit(0xB0, static_cast<unsigned char>(0xA1 + i), static_cast<unsigned>(i));
    }
    text += "\r\nlast\r\n";
    Load(text, recs, {5});
    Caret(3, 0);
    ASSERT_TRUE(view.StripShown());
    Paint();
    EXPECT_TRUE(renderer.StripDrawn());
    EXPECT_GT(renderer.StripImageSize().cy, 0);
    // Rows 3 and 4 are the strip: ink blue on light yellow; the caret line is on row 5.
    const int stripInk = CountCells(3, 0, 24, kStripInk) + CountCells(4, 0, 24, kStripInk);
    const int stripPaper = CountCells(3, 0, 24, kStripPaper) + CountCells(4, 0, 24, kStripPaper);
    EXPECT_GT(stripInk, 20);
    EXPECT_GT(stripPaper, 100);
    EXPECT_EQ(CountCells(3, 0, 24, kTextInk) + CountCells(4, 0, 24, kTextInk), 0);
    EXPECT_GT(CountCells(5, 0, 12, kTextInk), 10) << "the caret line below its strip";
    EXPECT_GT(CountCells(2, 0, 5, kTextInk), 10) << "the line above stays in place";
    EXPECT_GT(CountCells(6, 0, 4, kTextInk), 10) << "the next line moves down too";

    // Switched off: no strip, the lines close up.
    view.OnCandidateBar(32, kRequestToggleStrip);
    Paint();
    EXPECT_FALSE(renderer.StripDrawn());
    EXPECT_EQ(CountCells(3, 0, 24, kStripInk) + CountCells(3, 0, 24, kStripPaper), 0);
    EXPECT_GT(CountCells(3, 0, 12, kTextInk), 10);
}

TEST_F(TextViewRenderer, GreyWithoutAResult) {
    view.ResetView();
    Paint();
    const RECT& a = view.TextArea();
    EXPECT_EQ(Count(a.left, a.top, a.right, a.bottom, kNoResultGrey), (a.right - a.left) * (a.bottom - a.top));
    EXPECT_FALSE(renderer.StripDrawn());
}

TEST_F(TextViewRenderer, FontsFollowTheSystemLanguage) {
    EXPECT_NE(renderer.FontFor(1033), nullptr);
    EXPECT_NE(renderer.FontFor(1028), nullptr);
    EXPECT_NE(renderer.FontFor(1033), renderer.FontFor(3076));
    EXPECT_EQ(renderer.FontFor(4100), renderer.FontFor(5124));
    EXPECT_EQ(renderer.FontFor(2052), nullptr) << "others take the system's fixed font";
    const SIZE cell = renderer.MeasureCell(&dc, 1033);
    EXPECT_GE(cell.cy, 14);
    EXPECT_LE(cell.cy, 16);
    EXPECT_GT(cell.cx, 0);
}

TEST(TextViewLayout, PanelBarsAndTextAreaInBothLayouts) {
    TextViewLayout full = ComputeTextViewLayout(500, 300, 16, 16, false);
    EXPECT_EQ(CRect(full.panel), CRect(0, 0, 500, 64));
    EXPECT_EQ(CRect(full.text), CRect(0, 64, 484, 284)) << "the text starts 64 pixels down";
    EXPECT_EQ(CRect(full.vbar), CRect(484, 64, 500, 284));
    EXPECT_EQ(CRect(full.hbar), CRect(0, 284, 484, 300));
    TextViewLayout compact = ComputeTextViewLayout(500, 300, 16, 16, true);
    EXPECT_EQ(CRect(compact.panel), CRect(484, 0, 500, 64)) << "the corner above the vertical bar";
    EXPECT_EQ(CRect(compact.text), CRect(0, 0, 484, 284));
    EXPECT_EQ(CRect(compact.vbar), CRect(full.vbar));
    TextViewLayout tiny = ComputeTextViewLayout(10, 20, 16, 16, false);
    EXPECT_GE(tiny.text.right, tiny.text.left);
    EXPECT_GE(tiny.text.bottom, tiny.text.top);
}

}  // namespace
