// Tool tips: the decisions of the control without a window (delays, clicks,
// leaving, deactivation, autopop), the wrapping at the maximum width, and the
// control over real windows: relayed and watched mouse moves show the tip
// after the delay, leaving hides it.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QToolTip>

#include <cstdlib>
#include <string>

#include "platform/afx/afxwin.h"
#include "platform/afx/ui/testing.h"
#include "platform/afx/ui/tests/test_app.h"
#include "platform/afx/ui/tooltip_model.h"

namespace {

using afx::TipEffect;
using afx::TipTool;
using afx::ToolTipModel;

HWND Fake(std::uintptr_t n) { return reinterpret_cast<HWND>(n); }

TipTool RectTool(HWND window, UINT_PTR id, RECT rect, const char* text) {
    TipTool t;
    t.window = window;
    t.id = id;
    t.rect = rect;
    t.text = text;
    return t;
}

class TipModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        model.Add(RectTool(Fake(1), 1, {0, 0, 50, 20}, "first"));
        model.Add(RectTool(Fake(1), 2, {60, 0, 110, 20}, "second"));
    }
    TipEffect move(int x, int y, std::uint64_t now, HWND w = Fake(1)) { return model.Relay(WM_MOUSEMOVE, w, {x, y}, now); }
    ToolTipModel model;
};

TEST_F(TipModelTest, ATipShowsAfterTheInitialWaitAndGoesWhenTheMouseLeaves) {
    TipEffect e = move(10, 10, 0);
    EXPECT_EQ(e.waitMs, 500);
    EXPECT_FALSE(e.show);
    EXPECT_EQ(move(20, 12, 100).waitMs, -1) << "moving inside the tool does not start over";
    e = model.WaitElapsed(500);
    EXPECT_TRUE(e.show);
    EXPECT_TRUE(model.Showing());
    ASSERT_NE(model.Over(), nullptr);
    EXPECT_EQ(model.Over()->text, "first");

    e = move(55, 10, 700);  // between the tools
    EXPECT_TRUE(e.hide);
    EXPECT_EQ(e.waitMs, -1);
    EXPECT_FALSE(model.Showing());
    EXPECT_FALSE(model.WaitElapsed(800).show) << "a late wait shows nothing";

    move(10, 10, 2000);
    model.WaitElapsed(2500);
    e = model.Relay(WM_MOUSELEAVE, Fake(1), {0, 0}, 2600);
    EXPECT_TRUE(e.hide);
    EXPECT_EQ(model.Over(), nullptr);
}

TEST_F(TipModelTest, TheNextToolShowsAfterTheShortWait) {
    move(10, 10, 0);
    model.WaitElapsed(500);
    TipEffect e = move(70, 10, 600);
    EXPECT_TRUE(e.hide);
    EXPECT_EQ(e.waitMs, 100) << "straight from one tip to the next";
    EXPECT_TRUE(model.WaitElapsed(700).show);
    EXPECT_EQ(model.Over()->text, "second");
    // Long after the tip went, the full wait again.
    move(55, 10, 800);
    EXPECT_EQ(move(10, 10, 5000).waitMs, 500);
}

TEST_F(TipModelTest, AClickOrTheAutopopKeepsTheTipAwayUntilAnotherTool) {
    move(10, 10, 0);
    model.WaitElapsed(500);
    EXPECT_TRUE(model.Relay(WM_LBUTTONDOWN, Fake(1), {10, 10}, 600).hide);
    EXPECT_FALSE(model.Showing());
    EXPECT_EQ(move(12, 10, 700).waitMs, -1);
    EXPECT_FALSE(model.WaitElapsed(1200).show);
    EXPECT_EQ(move(70, 10, 1300).waitMs, 500);
    EXPECT_TRUE(model.WaitElapsed(1800).show);

    EXPECT_TRUE(model.AutoPopElapsed(6800).hide);
    EXPECT_FALSE(model.WaitElapsed(6900).show);
    EXPECT_EQ(move(10, 10, 7000).waitMs, 500);
}

TEST_F(TipModelTest, AnInactiveControlShowsNothingAndDeactivationHides) {
    move(10, 10, 0);
    model.WaitElapsed(500);
    EXPECT_TRUE(model.SetActive(false).hide);
    EXPECT_FALSE(model.Showing());
    EXPECT_EQ(move(70, 10, 600).waitMs, -1);
    EXPECT_FALSE(model.WaitElapsed(1200).show);
    model.SetActive(true);
    EXPECT_EQ(move(10, 10, 1300).waitMs, 500);
    EXPECT_TRUE(model.WaitElapsed(1800).show);
}

TEST_F(TipModelTest, ToolsAreFoundByRectangleOrWholeWindowAndReplacedOrRemoved) {
    TipTool whole;
    whole.window = Fake(1);
    whole.id = reinterpret_cast<UINT_PTR>(Fake(7));
    whole.wholeWindow = true;
    whole.text = "whole";
    model.Add(whole);
    EXPECT_EQ(model.At(Fake(7), {500, 500})->text, "whole");
    EXPECT_EQ(model.At(Fake(1), {49, 19})->text, "first");
    EXPECT_EQ(model.At(Fake(1), {50, 19}), nullptr) << "the right edge is outside";
    EXPECT_EQ(model.At(Fake(2), {10, 10}), nullptr);

    model.Add(RectTool(Fake(1), 1, {0, 0, 50, 20}, "first again"));
    EXPECT_EQ(model.Tools().size(), 3u);
    model.SetText(Fake(1), 2, "renamed");
    EXPECT_EQ(model.Find(Fake(1), 2)->text, "renamed");

    move(10, 10, 0);
    model.WaitElapsed(500);
    EXPECT_TRUE(model.SetText(Fake(1), 1, "new").show) << "a tip that is up shows its new text";
    EXPECT_TRUE(model.Remove(Fake(1), 1).hide);
    EXPECT_EQ(model.Over(), nullptr);
    EXPECT_FALSE(model.Remove(Fake(1), 1).hide);
}

TEST(TipDelays, TheAutomaticDelayDrivesTheOthersAndNegativeRestores) {
    ToolTipModel model;
    model.SetDelay(TTDT_AUTOMATIC, 200);
    EXPECT_EQ(model.Delay(TTDT_INITIAL), 200);
    EXPECT_EQ(model.Delay(TTDT_AUTOPOP), 2000);
    EXPECT_EQ(model.Delay(TTDT_RESHOW), 40);
    model.SetDelay(TTDT_AUTOPOP, 800);
    EXPECT_EQ(model.Delay(TTDT_AUTOPOP), 800);
    model.SetDelay(TTDT_INITIAL, -1);
    EXPECT_EQ(model.Delay(TTDT_INITIAL), 500);
    EXPECT_EQ(model.SetMaxWidth(400), -1);
    EXPECT_EQ(model.SetMaxWidth(-5), 400);
    EXPECT_EQ(model.MaxWidth(), -1);
}

TEST(TipWrapping, LinesBreakAtBlanksAndBetweenWideCharactersWithinTheWidth) {
    auto sevenEach = [](const QString& s) { return 7 * static_cast<int>(s.size()); };
    EXPECT_EQ(afx::WrapTipText("one\r\ntwo three", -1, sevenEach), QStringList{"one two three"});
    EXPECT_EQ(afx::WrapTipText("scan the page to a file", 70, sevenEach),
              (QStringList{"scan the", "page to a", "file"}));
    EXPECT_EQ(afx::WrapTipText("a verylongwordindeed b", 35, sevenEach),
              (QStringList{"a", "verylongwordindeed", "b"}));
    EXPECT_EQ(afx::WrapTipText("first\r\nsecond\nthird", 400, sevenEach), (QStringList{"first", "second", "third"}));
    EXPECT_EQ(afx::WrapTipText(QString::fromUtf8("扫描输出到Word"), 35, sevenEach),
              (QStringList{QString::fromUtf8("扫描输出到"), QString::fromUtf8("Word")}));
    EXPECT_EQ(afx::WrapTipText("", 100, sevenEach), QStringList{""});
}

// A window with two buttons, the first and second tools.
class TipWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureUi();
        ASSERT_TRUE(frame.CreateEx(0, nullptr, "Tips", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 300, 200, nullptr, nullptr));
        ASSERT_TRUE(left.Create("Left", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(10, 10, 110, 40), &frame, 101));
        ASSERT_TRUE(right.Create("Right", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(130, 10, 230, 40), &frame, 102));
        ASSERT_TRUE(tip.Create(&frame));
        tip.SetDelayTime(TTDT_INITIAL, 40);
    }
    void TearDown() override {
        tip.DestroyWindow();
        frame.DestroyWindow();
        AfxPumpMessages();
    }
    void relay(CWnd& w, UINT message, int x, int y) {
        MSG msg{};
        msg.hwnd = w.GetSafeHwnd();
        msg.message = message;
        msg.lParam = MAKELPARAM(x, y);
        tip.RelayEvent(&msg);
    }
    static bool tipIs(const std::string& text, int ms = 3000) {
        return PumpUntil([&] { return AfxTestShownToolTip() == text; }, ms);
    }
    CWnd frame;
    CButton left;
    CButton right;
    CToolTipCtrl tip;
};

TEST_F(TipWindowTest, RelayedMovesShowTheToolsTipAfterTheDelayAndLeavingHidesIt) {
    CRect client;
    left.GetClientRect(&client);
    ASSERT_TRUE(tip.AddTool(&left, "Scan to Word", &client, 1));
    ASSERT_TRUE(tip.AddTool(&right, "Choose the output"));
    EXPECT_EQ(tip.GetToolCount(), 2);
    EXPECT_EQ(tip.GetText(&left, 1), "Scan to Word");

    relay(left, WM_MOUSEMOVE, 5, 5);
    AfxPumpMessages();
    EXPECT_EQ(AfxTestShownToolTip(), "") << "not before the delay";
    ASSERT_TRUE(tipIs("Scan to Word"));
    EXPECT_TRUE(QToolTip::isVisible());

    relay(right, WM_MOUSEMOVE, 50, 10);
    ASSERT_TRUE(tipIs("Choose the output"));
    relay(right, WM_MOUSELEAVE, 0, 0);
    EXPECT_TRUE(tipIs(""));

    // A click on the tool takes the tip away.
    relay(left, WM_MOUSEMOVE, 6, 6);
    ASSERT_TRUE(tipIs("Scan to Word"));
    relay(left, WM_LBUTTONDOWN, 6, 6);
    EXPECT_EQ(AfxTestShownToolTip(), "");
    relay(left, WM_MOUSEMOVE, 7, 7);
    EXPECT_FALSE(tipIs("Scan to Word", 300));

    tip.DelTool(&left, 1);
    EXPECT_EQ(tip.GetToolCount(), 1);
}

TEST_F(TipWindowTest, TheWatchedWindowsMouseShowsTheTipAndDeactivationKeepsItAway) {
    ASSERT_TRUE(tip.AddTool(&right, "Recognise again"));
    AfxTestMouse(&right, WM_MOUSEMOVE, {20, 10});
    ASSERT_TRUE(tipIs("Recognise again"));
    tip.Activate(FALSE);
    EXPECT_EQ(AfxTestShownToolTip(), "");
    AfxTestMouse(&left, WM_MOUSEMOVE, {20, 10});
    AfxTestMouse(&right, WM_MOUSEMOVE, {22, 10});
    EXPECT_FALSE(tipIs("Recognise again", 300));
    tip.Activate(TRUE);
    AfxTestMouse(&left, WM_MOUSEMOVE, {20, 10});
    relay(left, WM_MOUSELEAVE, 0, 0);
    AfxTestMouse(&right, WM_MOUSEMOVE, {24, 10});
    EXPECT_TRUE(tipIs("Recognise again"));
}

TEST_F(TipWindowTest, TheMaximumWidthWrapsTheTip) {
    const char* text = "Scan the page and send its text to the word processor when recognised";
    ASSERT_TRUE(tip.AddTool(&left, text));
    EXPECT_EQ(tip.SetMaxTipWidth(120), -1);
    EXPECT_EQ(tip.GetMaxTipWidth(), 120);
    AfxTestMouse(&left, WM_MOUSEMOVE, {20, 10});
    ASSERT_TRUE(PumpUntil([] { return !AfxTestShownToolTip().empty(); }));
    const std::string shown = AfxTestShownToolTip();
    const QStringList lines = QString::fromStdString(shown).split('\n');
    EXPECT_GE(lines.size(), 3) << shown;
    QFontMetrics metrics(QToolTip::font());
    for (const QString& line : lines) EXPECT_LE(metrics.horizontalAdvance(line), 120) << line.toStdString();
    EXPECT_EQ(lines.join(' ').toStdString(), text) << "no word lost or cut";
    if (const char* dir = std::getenv("SUITE_GRAB_DIR")) {
        const std::string png = std::string(dir) + "/tooltip_wrapped.png";
        EXPECT_TRUE(AfxTestGrabToolTip(png.c_str()));
    }

    tip.SetMaxTipWidth(-1);
    AfxTestMouse(&left, WM_LBUTTONDOWN, {20, 10});
    relay(left, WM_MOUSELEAVE, 0, 0);
    AfxTestMouse(&left, WM_MOUSEMOVE, {21, 10});
    EXPECT_TRUE(tipIs(text)) << "one line without a width";
}

}  // namespace
