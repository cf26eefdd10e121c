// The candidate panel: its layouts, hit test, mouse and timer states and the
// requests it sends, on the model and through the real window.
#include <gtest/gtest.h>

#include "platform/afx/ui/testing.h"
#include "platform/win/library.h"
#include "views/text/candidate_bar.h"
#include "views/text/tests/text_view_fixtures.h"

namespace {

SIZE TestFaceSize(int id) {
    if (id == kFaceImageFrame) return SIZE{36, 36};
    if (id == kFaceCandidateNormal || id == kFaceCandidateHot || id == kFaceCandidatePressed) return SIZE{34, 34};
    return SIZE{18, 20};
}

struct Panel {
    CCandidateLayout layout{TestFaceSize};
    explicit Panel(int width = 600) {
        layout.SetClientSize(width, 64);
        layout.LayoutItems();
    }
    POINT Center(int item) const {
        const RECT& rc = layout.Item(item).rc;
        return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    }
    CandidateClick Click(int item) {
        layout.ButtonDown(Center(item));
        return layout.ButtonUp(Center(item));
    }
};

const WORD kCodes[10] = {0xD0D6, 0xC4CE, static_cast<WORD>('k' << 8), 0xB0B1, 0xB0B2,
                         0xB0B3, 0xB0B4, 0xB0B5, 0xB0B6, 0xB0B7};

TEST(CandidateBar, ThreeCandidatesLeaveTheOtherButtonsBlankAndDeaf) {
    Panel p;
    p.layout.SetCandidates(kCodes, 3);
    EXPECT_EQ(p.layout.ItemText(1), 0xD0D6);
    EXPECT_EQ(p.layout.ItemText(3), static_cast<WORD>(' ' | ('k' << 8))) << "a 0 byte shows as a space";
    for (int k = 4; k <= 10; ++k) {
        EXPECT_EQ(p.layout.ItemText(k), kBlankCandidate);
        EXPECT_EQ(p.layout.HitTest(p.Center(k)), -1);
        EXPECT_EQ(p.Click(k).request, 0);
    }
    CandidateClick click = p.Click(2);
    EXPECT_EQ(click.request, 2);
    EXPECT_EQ(click.code, 0xC4CE);
    EXPECT_EQ(p.Click(0).request, 0) << "the image does nothing";
    // More than ten are cut to ten.
    WORD many[200];
    for (WORD& c : many) c = 0xB0A1;
    p.layout.SetCandidates(many, 200);
    EXPECT_EQ(p.layout.CandidateCount(), 10);
    EXPECT_EQ(p.layout.ItemText(10), 0xB0A1);
    p.layout.SetCandidates(nullptr, 5);
    EXPECT_EQ(p.layout.CandidateCount(), 0);
}

TEST(CandidateBar, FullBandLayout) {
    Panel p;
    EXPECT_EQ(p.layout.Item(0).nKind, kItemImage);
    EXPECT_EQ(p.layout.Item(0).rc.left, 4);
    EXPECT_EQ(p.layout.Item(1).rc.left, 36 + 8);
    EXPECT_EQ(p.layout.Item(2).rc.left, p.layout.Item(1).rc.right + 1);
    EXPECT_EQ(p.layout.Item(5).rc.left, p.layout.Item(4).rc.right + 1 + 16) << "a gap after the fourth";
    EXPECT_EQ(p.layout.Item(9).rc.left, p.layout.Item(8).rc.right + 1 + 16) << "and after the eighth";
    EXPECT_EQ(p.layout.Item(1).rc.top, (64 - 34) / 2);
    for (int i : {11, 12, 13}) {
        EXPECT_EQ(p.layout.Item(i).nKind, kItemButton);
        EXPECT_EQ(p.layout.Item(i).rc.right, 600);
    }
    EXPECT_LT(p.layout.Item(11).rc.bottom, p.layout.Item(12).rc.top + 1);
    EXPECT_EQ(p.layout.Item(12).faces[0], kFaceMoveNormal);
}

TEST(CandidateBar, ANarrowPanelDropsTheButtonsThatDoNotFit) {
    Panel p(300);
    p.layout.SetCandidates(kCodes, 10);
    int present = 0;
    for (int k = 1; k <= 10; ++k) {
        if (p.layout.Item(k).nKind != kItemCandidate) continue;
        ++present;
        EXPECT_LE(p.layout.Item(k).rc.right, 300 - 18 - 4);
    }
    EXPECT_GE(present, 5);
    EXPECT_LT(present, 10);
    EXPECT_EQ(p.layout.Item(10).nKind, kItemEmpty);
    EXPECT_EQ(p.layout.HitTest(POINT{280, 30}), -1);
}

TEST(CandidateBar, ReleasingOffThePressedItemSendsNothing) {
    Panel p;
    p.layout.SetCandidates(kCodes, 10);
    ASSERT_TRUE(p.layout.ButtonDown(p.Center(1)));
    EXPECT_EQ(p.layout.Item(1).nState, kItemPressed);
    EXPECT_TRUE(p.layout.IsCaptured());
    p.layout.MouseMove(p.Center(2));
    EXPECT_EQ(p.layout.Item(1).nState, kItemHot) << "hot while the pointer is off it";
    p.layout.MouseMove(p.Center(1));
    EXPECT_EQ(p.layout.Item(1).nState, kItemPressed);
    EXPECT_EQ(p.layout.ButtonUp(p.Center(2)).request, 0);
    EXPECT_FALSE(p.layout.IsCaptured());
    EXPECT_EQ(p.layout.Item(1).nState, kItemNormal);
    EXPECT_EQ(p.layout.ButtonUp(p.Center(1)).request, 0) << "no capture, no click";
    // A press on nothing captures nothing.
    EXPECT_FALSE(p.layout.ButtonDown(POINT{2, 2}));
}

TEST(CandidateBar, TheTimerReturnsHotItemsToNormal) {
    Panel p;
    p.layout.SetCandidates(kCodes, 10);
    p.layout.MouseMove(p.Center(3));
    EXPECT_EQ(p.layout.Item(3).nState, kItemHot);
    p.layout.MouseMove(p.Center(4));
    EXPECT_EQ(p.layout.Item(3).nState, kItemNormal);
    EXPECT_EQ(p.layout.Item(4).nState, kItemHot);
    EXPECT_FALSE(p.layout.Tick(true)) << "nothing while the pointer is inside";
    EXPECT_TRUE(p.layout.Tick(false));
    EXPECT_EQ(p.layout.Item(4).nState, kItemNormal);
    // The held item stays as it is.
    p.layout.ButtonDown(p.Center(5));
    p.layout.Tick(false);
    EXPECT_EQ(p.layout.Item(5).nState, kItemPressed);
}

TEST(CandidateBar, ButtonRequestsInBothLayouts) {
    Panel p;
    CandidateClick click = p.Click(11);
    EXPECT_EQ(click.request, 11);
    EXPECT_TRUE(p.layout.TextWindowOn());
    EXPECT_EQ(p.layout.Item(11).faces[0], kFaceTextWindowOnNormal);
    click = p.Click(13);
    EXPECT_EQ(click.request, 13);
    EXPECT_TRUE(p.layout.LineImageOn());
    EXPECT_EQ(p.layout.Item(13).faces[0], kFaceLineImageOnNormal);
    EXPECT_EQ(p.Click(12).request, 12);

    // The view places the panel in the corner: the compact column.
    EXPECT_FALSE(p.layout.Place(true)) << "only from the state it is in";
    ASSERT_TRUE(p.layout.Place(false));
    p.layout.SetClientSize(18, 64);
    p.layout.LayoutItems();
    EXPECT_TRUE(p.layout.IsCompact());
    EXPECT_EQ(p.layout.Item(0).faces[0], kFaceTextWindowOnNormal);
    EXPECT_EQ(p.layout.Item(1).faces[0], kFaceExpandNormal);
    EXPECT_EQ(p.layout.Item(2).faces[0], kFaceLineImageOnNormal);
    for (int i = 3; i < kCandidateItems; ++i) EXPECT_EQ(p.layout.Item(i).nKind, kItemEmpty);
    EXPECT_EQ(p.Click(0).request, 11);
    EXPECT_FALSE(p.layout.TextWindowOn());
    EXPECT_EQ(p.Click(2).request, 13);
    EXPECT_FALSE(p.layout.LineImageOn());
    EXPECT_EQ(p.Click(1).request, 12);
}

TEST(CandidateBar, CompactModeStoresTheImageWithoutDrawingIt) {
    Panel p;
    ASSERT_TRUE(p.layout.Place(false));
    BYTE image[kCharImageBytes];
    for (int i = 0; i < kCharImageBytes; ++i) image[i] = static_cast<BYTE>(i % 3 ? 0xFF : 0);
    EXPECT_FALSE(p.layout.SetCharImage(nullptr));
    EXPECT_FALSE(p.layout.HasCharImage());
    ASSERT_TRUE(p.layout.SetCharImage(image));
    EXPECT_EQ(p.layout.Item(0).nKind, kItemButton) << "no image item in the column";
    ASSERT_TRUE(p.layout.Place(true));
    EXPECT_EQ(p.layout.Item(0).nKind, kItemImage);
    EXPECT_TRUE(p.layout.HasCharImage());
    EXPECT_EQ(std::memcmp(p.layout.CharImage(), image, kCharImageBytes), 0);
}

// The window over the language library's faces.
class CandidateBarWindow : public ::testing::Test {
protected:
    CFakeViewHost shell;
    HMODULE strings = LoadLibraryA("\\Ruvuradavad.DLL");
    CFrameWnd* frame = nullptr;
    struct Parent : CWnd {
        std::vector<std::pair<WPARAM, LPARAM>> requests;
        LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
            if (message == WM_CANDIDATEBAR) {
                requests.emplace_back(wParam, lParam);
                return 1;
            }
            return CWnd::WindowProc(message, wParam, lParam);
        }
    } parent;
    CCandidateBar bar;

    void SetUp() override {
        AfxWinInit();
        ASSERT_NE(strings, nullptr);
        AfxSetResourceHandle(strings);
        frame = new CFrameWnd;
        frame->Create(nullptr, "CandidateBar");
        frame->MoveWindow(0, 0, 700, 200);
        ASSERT_TRUE(parent.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 660, 150), frame, 1));
    }
    void TearDown() override {
        bar.DestroyWindow();
        parent.DestroyWindow();
        frame->DestroyWindow();
        AfxPumpMessages();
        AfxSetResourceHandle(nullptr);
        FreeLibrary(strings);
    }
};

TEST_F(CandidateBarWindow, ClicksBecomeRequestsToTheParent) {
    ASSERT_TRUE(bar.Create(CRect(0, 0, 640, 64), &parent));
    bar.SetCandidates(kCodes, 3);
    const RECT rc = bar.Layout().Item(2).rc;
    AfxTestClick(&bar, POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
    ASSERT_EQ(parent.requests.size(), 1u);
    EXPECT_EQ(parent.requests[0].first, 0xC4CEu);
    EXPECT_EQ(parent.requests[0].second, 2);
    const RECT blank = bar.Layout().Item(6).rc;
    AfxTestClick(&bar, POINT{(blank.left + blank.right) / 2, (blank.top + blank.bottom) / 2});
    EXPECT_EQ(parent.requests.size(), 1u);
    bar.SetCharImage(nullptr);
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0], kMsgImagePointerNull);
    // The panel's faces are the language library's.
    for (int id : {169, 170, 171, 172, 179, 190, 202, 207}) {
        HBITMAP face = LoadBitmapA(nullptr, MAKEINTRESOURCE(id));
        EXPECT_NE(face, nullptr) << id;
        if (face) DeleteObject(face);
    }
}

TEST_F(CandidateBarWindow, CreationFailsWithoutItsFaces) {
    AfxSetResourceHandle(nullptr);
    CCandidateBar orphan;
    EXPECT_FALSE(orphan.Create(CRect(0, 0, 100, 64), &parent));
    AfxSetResourceHandle(strings);
}

}  // namespace
