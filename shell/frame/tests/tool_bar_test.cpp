// The flat tool bar: each button's look (hot, checked, disabled, pressed),
// separators and the gripper, the custom-draw conversation with the owner,
// hot tracking, and the main tool bar of the language libraries as a window.
#include <gtest/gtest.h>

#include <vector>

#include "shell/frame/tests/chrome_fixture.h"
#include "shell/frame/tool_bar_ex.h"

namespace {

using chrometest::Picture;

CWinApp theChromeApp("ChromeTests");

// A 16 x 15 image list with one image: a black 4 x 4 block at (6, 5) on face grey.
struct OneImage {
    OneImage() {
        AfxWinInit();
        list.Create(16, 15, ILC_COLOR24 | ILC_MASK, 1, 1);
        Picture p(16, 15);
        p.dc.FillSolidRect(0, 0, 16, 15, RGB(192, 192, 192));
        p.dc.FillSolidRect(6, 5, 4, 4, RGB(0, 0, 0));
        CBitmap copy;
        copy.CreateBitmap(16, 15, 1, 32, nullptr);
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        CBitmap* old = dc.SelectObject(&copy);
        dc.BitBlt(0, 0, 16, 15, &p.dc, 0, 0, SRCCOPY);
        dc.SelectObject(old);
        list.Add(&copy, RGB(192, 192, 192));
    }
    CImageList list;
};

ToolBarColours Colours() {
    ToolBarColours c;
    c.face = RGB(212, 208, 200);
    c.highlight = RGB(255, 255, 255);
    c.shadow = RGB(128, 128, 128);
    c.light = RGB(240, 240, 240);
    return c;
}

ToolButtonView Button(UINT style, bool hot = false) {
    ToolButtonView b;
    b.rect = CRect(0, 0, 23, 22);
    b.id = 100;
    b.style = style;
    b.image = 0;
    b.hot = hot;
    return b;
}

TEST(ToolBarLook, ColoursTakeTheHighlightWhenTheLightIsTheFace) {
    const ToolBarColours c = ToolBarColours::FromSystem();
    EXPECT_EQ(c.face, GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(c.shadow, GetSysColor(COLOR_BTNSHADOW));
    // This system's 3D light is its face colour.
    ASSERT_EQ(GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(c.light, GetSysColor(COLOR_BTNHIGHLIGHT));
}

TEST(ToolBarLook, ButtonsShowTheirStateInEdgeBackgroundAndImage) {
    OneImage img;
    const ToolBarColours c = Colours();
    ToolBarPainter painter(c, &img.list, CSize(16, 15));
    // The image sits at ((23 - 16) / 2, (22 - 15) / 2) = (3, 3): its block at (9..12, 8..11).
    EXPECT_EQ(painter.ImageOffset(CSize(23, 22), false), CPoint(3, 3));
    {  // At rest: flat, no edge.
        Picture p(23, 22);
        painter.PaintButton(p.dc, Button(0));
        EXPECT_EQ(p.At(0, 0), c.face);
        EXPECT_EQ(p.At(22, 21), c.face);
        EXPECT_EQ(p.At(10, 9), RGB(0, 0, 0));
        EXPECT_EQ(p.At(8, 7), c.face) << "the image's background is see-through";
    }
    {  // Hot: raised, highlight top-left and shadow bottom-right.
        Picture p(23, 22);
        painter.PaintButton(p.dc, Button(0, true));
        EXPECT_EQ(p.At(0, 5), c.highlight);
        EXPECT_EQ(p.At(5, 0), c.highlight);
        EXPECT_EQ(p.At(22, 5), c.shadow);
        EXPECT_EQ(p.At(5, 21), c.shadow);
    }
    {  // Checked, cursor elsewhere: sunken on the light colour, a face-coloured inner edge, image one pixel down-right.
        Picture p(23, 22);
        painter.PaintButton(p.dc, Button(TBBS_CHECKED));
        EXPECT_EQ(p.At(0, 5), c.shadow);
        EXPECT_EQ(p.At(22, 5), c.highlight);
        EXPECT_EQ(p.At(1, 5), c.face) << "the inner edge";
        EXPECT_EQ(p.At(5, 5), c.light);
        EXPECT_EQ(p.At(9, 8), c.light) << "the image moved away from its place";
        EXPECT_EQ(p.At(13, 12), RGB(0, 0, 0));
    }
    {  // Checked and hot: the face colour inside and no inner edge.
        Picture p(23, 22);
        painter.PaintButton(p.dc, Button(TBBS_CHECKED, true));
        EXPECT_EQ(p.At(5, 5), c.face);
        EXPECT_EQ(p.At(0, 5), c.shadow);
    }
    {  // Disabled, even under the cursor: no edge, the image embossed.
        Picture p(23, 22);
        painter.PaintButton(p.dc, Button(TBBS_DISABLED, true));
        EXPECT_EQ(p.At(0, 5), c.face);
        EXPECT_EQ(p.At(10, 9), c.shadow);
        EXPECT_EQ(p.At(13, 12), c.highlight) << "the highlight copy one pixel right and down";
        EXPECT_EQ(p.At(8, 7), c.face);
    }
}

TEST(ToolBarLook, SeparatorsAndGripperFollowWhereTheBarSits) {
    OneImage img;
    const ToolBarColours c = Colours();
    ToolBarPainter painter(c, &img.list, CSize(16, 15));
    ToolButtonView sep;
    sep.style = TBBS_SEPARATOR;
    sep.rect = CRect(10, 0, 18, 22);
    {  // Docked at the top: a vertical groove through the middle.
        Picture p(40, 40);
        painter.PaintSeparator(p.dc, sep, ToolBarPlace{true, false}, 23);
        EXPECT_EQ(p.At(13, 10), c.shadow);
        EXPECT_EQ(p.At(14, 10), c.highlight);
        EXPECT_EQ(p.At(11, 10), RGB(1, 2, 3));
    }
    {  // Docked at a side: a horizontal groove one button wide just below it.
        Picture p(40, 40);
        ToolButtonView side = sep;
        side.rect = CRect(0, 10, 23, 18);
        painter.PaintSeparator(p.dc, side, ToolBarPlace{false, false}, 23);
        EXPECT_EQ(p.At(5, 19), c.shadow);
        EXPECT_EQ(p.At(5, 20), c.highlight);
        EXPECT_EQ(p.At(5, 14), RGB(1, 2, 3));
    }
    {  // Wider than 8 pixels, or wrapped in a floating bar: not drawn.
        Picture p(40, 40);
        ToolButtonView wide = sep;
        wide.rect = CRect(10, 0, 30, 22);
        painter.PaintSeparator(p.dc, wide, ToolBarPlace{true, false}, 23);
        ToolButtonView wrapped = sep;
        wrapped.style |= TBBS_WRAPPED;
        painter.PaintSeparator(p.dc, wrapped, ToolBarPlace{true, true}, 23);
        for (int x = 0; x < 40; ++x) EXPECT_EQ(p.At(x, 10), RGB(1, 2, 3)) << x;
    }
    {  // The gripper: two ridges along the short side, 4 pixels in; none when floating.
        Picture p(100, 26);
        painter.PaintGripper(p.dc, CRect(0, 0, 100, 26), ToolBarPlace{true, false});
        EXPECT_EQ(p.At(2, 10), c.highlight);
        EXPECT_EQ(p.At(4, 10), c.shadow);
        EXPECT_EQ(p.At(5, 10), c.highlight);
        EXPECT_EQ(p.At(7, 10), c.shadow);
        EXPECT_EQ(p.At(3, 3), RGB(1, 2, 3)) << "4 pixels in from the top";
        EXPECT_EQ(p.At(3, 22), RGB(1, 2, 3)) << "and from the bottom";
        Picture q(100, 26);
        painter.PaintGripper(q.dc, CRect(0, 0, 100, 26), ToolBarPlace{true, true});
        EXPECT_EQ(q.At(2, 10), RGB(1, 2, 3));
    }
}

TEST(ToolBarLook, TheOwnerIsAskedAroundEveryButtonItWantsToSee) {
    OneImage img;
    const ToolBarColours c = Colours();
    ToolBarPainter painter(c, &img.list, CSize(16, 15));
    std::vector<ToolButtonView> items(3, Button(0));
    items[0].id = 10;
    items[1].id = 11;
    items[1].rect.OffsetRect(23, 0);
    items[1].style = TBBS_DISABLED;
    items[2].id = 12;
    items[2].rect.OffsetRect(46, 0);
    items[2].style = TBBS_CHECKED;
    struct Note {
        DWORD stage;
        DWORD_PTR id;
        UINT state;
    };
    std::vector<Note> notes;
    auto sink = [&](NMCUSTOMDRAW& r) -> LRESULT {
        notes.push_back({r.dwDrawStage, r.dwItemSpec, r.uItemState});
        if (r.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
        if (r.dwDrawStage == CDDS_ITEMPREPAINT && r.dwItemSpec == 11) return CDRF_SKIPDEFAULT | CDRF_NOTIFYPOSTPAINT;
        return CDRF_DODEFAULT;
    };
    Picture p(80, 22);
    painter.PaintBar(p.dc, CRect(0, 0, 80, 22), items, CRect(0, 0, 80, 22), ToolBarPlace{}, sink);
    ASSERT_EQ(notes.size(), 6u);
    EXPECT_EQ(notes[0].stage, CDDS_PREPAINT);
    EXPECT_EQ(notes[1].stage, CDDS_ITEMPREPAINT);
    EXPECT_EQ(notes[1].id, 10u);
    EXPECT_EQ(notes[1].state, 0u);
    EXPECT_EQ(notes[2].id, 11u);
    EXPECT_EQ(notes[2].state, static_cast<UINT>(CDIS_DISABLED));
    EXPECT_EQ(notes[3].stage, CDDS_ITEMPOSTPAINT);
    EXPECT_EQ(notes[3].id, 11u);
    EXPECT_EQ(notes[4].id, 12u);
    EXPECT_EQ(notes[4].state, static_cast<UINT>(CDIS_CHECKED));
    EXPECT_EQ(notes[5].stage, CDDS_POSTPAINT);
    EXPECT_EQ(p.At(23 + 10, 9), c.face) << "the skipped button is left undrawn";
    EXPECT_EQ(p.At(10, 9), RGB(0, 0, 0));

    // An owner that wants nothing more than the bar's pre-paint hears nothing else;
    // buttons outside the update rectangle are not drawn.
    notes.clear();
    Picture q(80, 22);
    painter.PaintBar(q.dc, CRect(0, 0, 80, 22), items, CRect(0, 0, 20, 22), ToolBarPlace{},
                     [&](NMCUSTOMDRAW& r) -> LRESULT {
                         notes.push_back({r.dwDrawStage, r.dwItemSpec, r.uItemState});
                         return CDRF_DODEFAULT;
                     });
    EXPECT_EQ(notes.size(), 1u);
    EXPECT_EQ(q.At(46 + 5, 5), c.face) << "the checked button lay outside the update";
}

TEST(ToolBarLook, HotTrackingFollowsTheCursorAndEndsWhenItLeaves) {
    ToolBarHotTracker hot;
    EXPECT_EQ(hot.MouseMove(2), std::vector<int>{2});
    EXPECT_TRUE(hot.MouseMove(2).empty()) << "no redraw while it stays";
    EXPECT_EQ(hot.MouseMove(4), (std::vector<int>{2, 4}));
    EXPECT_EQ(hot.TimerTick(true), -1) << "still inside";
    EXPECT_EQ(hot.Hot(), 4);
    EXPECT_EQ(hot.TimerTick(false), 4);
    EXPECT_EQ(hot.Hot(), -1);
    EXPECT_EQ(hot.TimerTick(false), -1);
    EXPECT_EQ(hot.MouseMove(-1), std::vector<int>{});
    EXPECT_EQ(ChangedButtons({1, 2, 3}, {1, 5, 3}), std::vector<int>{1});
    EXPECT_EQ(ChangedButtons({1, 2}, {1, 2, 0}), std::vector<int>{2});
}

// The frame that owns the bar: notes the custom-draw notifications it gets.
class BarOwner : public CFrameWnd {
public:
    std::vector<DWORD> stages;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override {
        auto* nm = reinterpret_cast<NMCUSTOMDRAW*>(lParam);
        if (nm->hdr.code == NM_CUSTOMDRAW) {
            stages.push_back(nm->dwDrawStage);
            *result = CDRF_DODEFAULT;
            return TRUE;
        }
        return CFrameWnd::OnNotify(wParam, lParam, result);
    }
};

TEST(MainToolBar, BothLibrariesCarryItAndItPaintsFlat) {
    for (const char* library : {"\\Ruvuradavad.DLL", "\\Ruvozidever.DLL"}) {
        chrometest::Language language(library);
        ASSERT_TRUE(language.Loaded()) << library;
        auto* frame = new BarOwner;
        ASSERT_TRUE(frame->Create(nullptr, "Bar owner", WS_OVERLAPPEDWINDOW, CRect(0, 0, 420, 120)));
        CToolBarEx bar;
        ASSERT_TRUE(bar.CreateEx(frame));
        ASSERT_TRUE(bar.LoadToolBar(128)) << library;
        EXPECT_EQ(bar.GetCount(), 17);
        ASSERT_NE(bar.Images(), nullptr);
        EXPECT_EQ(bar.Images()->GetImageCount(), 12) << "one image a button";
        EXPECT_EQ(bar.CommandToIndex(32794), 6);
        frame->ShowWindow(SW_SHOW);
        frame->RecalcLayout();
        // Hot, checked and disabled buttons, as the grab shows them.
        bar.SetButtonStyle(bar.CommandToIndex(32818), TBBS_CHECKBOX | TBBS_CHECKED);
        bar.SetButtonStyle(bar.CommandToIndex(32913), TBBS_DISABLED);
        bar.SetButtonStyle(bar.CommandToIndex(32919), TBBS_DISABLED);
        CRect scan;
        bar.GetItemRect(bar.CommandToIndex(32773), &scan);
        bar.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(scan.CenterPoint().x, scan.CenterPoint().y));
        EXPECT_EQ(bar.HotButton(), bar.CommandToIndex(32773));
        CRect disabled;
        bar.GetItemRect(bar.CommandToIndex(32913), &disabled);
        bar.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(disabled.CenterPoint().x, disabled.CenterPoint().y));
        EXPECT_EQ(bar.HotButton(), -1) << "a disabled button never becomes hot";
        bar.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(scan.CenterPoint().x, scan.CenterPoint().y));
        frame->stages.clear();
        bar.UpdateWindow();
        bar.Invalidate();
        bar.UpdateWindow();
        EXPECT_FALSE(frame->stages.empty()) << "the owner hears of the paint";
        if (std::string(library) == "\\Ruvuradavad.DLL") {
            EXPECT_TRUE(bar.GrabToFile(chrometest::GrabPath("main_tool_bar.png").c_str()));
        }
        // The first button's image is on the face, the bar's first pixels are the gripper's.
        Picture p(420, 30);
        bar.Paint(p.dc, CRect(0, 0, 420, 30));
        CRect first;
        bar.GetItemRect(0, &first);
        EXPECT_GE(first.left, 10) << "room for the gripper";
        EXPECT_EQ(p.At(2, 10), bar.Colours().highlight);
        CRect checked;
        bar.GetItemRect(bar.CommandToIndex(32818), &checked);
        EXPECT_EQ(p.At(checked.left, checked.top + 5), bar.Colours().shadow) << "sunken";
        EXPECT_EQ(p.At(scan.left, scan.top + 5), bar.Colours().highlight) << "raised while hot";
        bar.DestroyWindow();
        frame->DestroyWindow();
        AfxPumpMessages();
    }
}

}  // namespace
