// Image buttons: the state machine of hover, clicks and styles, the painted
// borders, and the button in a window with its drop-down menu.
#include "textory/image_button.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/afx/ui/drawstate.h"
#include "platform/afx/ui/testing.h"
#include "platform/afx/ui/tests/pump_until.h"
#include "platform/win/tests/scratch_folder.h"
#include "textory/tests/menu_template_bytes.h"

using textory::ButtonBorder;
using textory::ImageButtonState;

TEST(ImageButtonState, AFlatButtonShowsItsBorderOnlyWhenHoveredOrPressed) {
    ImageButtonState s;
    EXPECT_EQ(s.Border(0), ButtonBorder::None);
    bool track = false;
    EXPECT_TRUE(s.MouseMove(true, false, true, track));
    EXPECT_TRUE(track);
    EXPECT_EQ(s.Border(0), ButtonBorder::FlatRaised);
    EXPECT_EQ(s.Border(ODS_SELECTED), ButtonBorder::FlatSunken);
    // A further move over it changes nothing and arms nothing.
    EXPECT_FALSE(s.MouseMove(true, false, true, track));
    EXPECT_FALSE(track);
    // The open drop-down menu keeps it pressed.
    s.hasMenu = true;
    s.menuShowing = 1;
    EXPECT_EQ(s.Border(0), ButtonBorder::FlatSunken);
    s.menuShowing = 0;
    s.drawBorder = 0;
    EXPECT_EQ(s.Border(ODS_SELECTED), ButtonBorder::None);
    EXPECT_EQ(s.Border(0), ButtonBorder::None);
    s.flat = 0;
    EXPECT_EQ(s.Border(0), ButtonBorder::Raised3D);
    EXPECT_EQ(s.Border(ODS_SELECTED), ButtonBorder::ShadowFrame);
}

TEST(ImageButtonState, HoverEndsOnLeaveOrAMoveOntoAnotherWindow) {
    ImageButtonState s;
    bool track = false;
    s.MouseMove(true, false, true, track);
    EXPECT_TRUE(s.CancelHover());
    EXPECT_EQ(s.over, 0);
    EXPECT_FALSE(s.CancelHover());  // nothing to repaint twice
    s.MouseMove(true, false, true, track);
    EXPECT_TRUE(s.MouseMove(false, false, true, track));
    EXPECT_EQ(s.over, 0);
    // Dragging in from outside with the button held does not highlight.
    EXPECT_FALSE(s.MouseMove(true, true, true, track));
    EXPECT_EQ(s.over, 0);
    // An inactive program still highlights while track always is on.
    EXPECT_TRUE(s.MouseMove(true, false, false, track));
    s.CancelHover();
    s.trackAlways = 0;
    EXPECT_FALSE(s.MouseMove(true, false, false, track));
    // Buttons that are not flat never track.
    s.trackAlways = 1;
    s.flat = 0;
    EXPECT_FALSE(s.MouseMove(true, false, true, track));
}

TEST(ImageButtonState, StylesSetTheTypeTheDefaultFlagAndCheckBoxMode) {
    ImageButtonState s;
    EXPECT_EQ(s.Subclass(WS_CHILD | BS_DEFPUSHBUTTON), static_cast<DWORD>(WS_CHILD | BS_OWNERDRAW));
    EXPECT_EQ(s.buttonType, BS_PUSHBUTTON);
    EXPECT_EQ(s.defaultButton, 1);
    EXPECT_EQ(s.checkBoxMode, 0);
    ImageButtonState box;
    box.Subclass(BS_AUTOCHECKBOX);
    EXPECT_EQ(box.checkBoxMode, 1);
    // BM_SETSTYLE: owner-draw on, bits 0x14 off; type 1 sets the default flag, type 0 clears it.
    EXPECT_EQ(s.SetStyle(BS_PUSHBUTTON), static_cast<DWORD>(BS_OWNERDRAW & ~0x14u));
    EXPECT_EQ(s.defaultButton, 0);
    EXPECT_EQ(s.SetStyle(BS_DEFPUSHBUTTON | 0x100), static_cast<DWORD>((BS_DEFPUSHBUTTON | 0x100 | BS_OWNERDRAW) & ~0x14u));
    EXPECT_EQ(s.defaultButton, 1);
    EXPECT_EQ(s.buttonType, BS_DEFPUSHBUTTON);
    s.SetStyle(BS_AUTOCHECKBOX);
    EXPECT_EQ(s.defaultButton, 1);  // other types leave the flag
    // BM_SETCHECK only in check-box mode: 1 and 2 check, anything else clears.
    EXPECT_FALSE(s.SetCheck(1));
    EXPECT_TRUE(box.SetCheck(2));
    EXPECT_EQ(box.checked, 1);
    box.SetCheck(3);
    EXPECT_EQ(box.checked, 0);
}

TEST(ImageButtonState, ClicksToggleCheckBoxesOrOpenTheMenu) {
    ImageButtonState s;
    EXPECT_EQ(s.Click(), ImageButtonState::ClickAction::Nothing);
    s.hasMenu = true;
    EXPECT_EQ(s.Click(), ImageButtonState::ClickAction::ShowMenu);
    s.checkBoxMode = 1;
    EXPECT_EQ(s.Click(), ImageButtonState::ClickAction::Toggled);
    EXPECT_EQ(s.checked, 1);
    EXPECT_TRUE(s.Pressed(0));  // a checked check box is drawn pressed
    EXPECT_FALSE(s.ShiftFace(0));
    s.Click();
    EXPECT_EQ(s.checked, 0);
}

namespace {

// Paints a button state into a bitmap and reads its pixels.
class ButtonPicture {
public:
    ButtonPicture(int width, int height) : m_width(width), m_height(height) {
        m_dc.CreateCompatibleDC(nullptr);
        m_bitmap.CreateBitmap(width, height, 1, 32, nullptr);
        m_old = m_dc.SelectObject(&m_bitmap);
    }
    ~ButtonPicture() { m_dc.SelectObject(m_old); }
    void Paint(const ImageButtonState& state, UINT itemState, const std::string& caption = "") {
        textory::ImageButtonFace face;
        face.caption = caption;
        textory::PaintImageButton(m_dc, RECT{0, 0, m_width, m_height}, itemState, state,
                                  textory::DefaultButtonColours(), face);
    }
    COLORREF At(int x, int y) { return m_dc.GetPixel(x, y); }
    CBitmap& Bitmap() { return m_bitmap; }

private:
    int m_width, m_height;
    CDC m_dc;
    CBitmap m_bitmap;
    CBitmap* m_old = nullptr;
};

}  // namespace

TEST(ImageButtonPainting, BordersFollowRestHoverAndPress) {
    AfxWinInit();
    ButtonPicture picture(60, 30);
    ImageButtonState s;
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const COLORREF light = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
    picture.Paint(s, 0);
    EXPECT_EQ(picture.At(0, 0), face);
    EXPECT_EQ(picture.At(59, 29), face);
    s.over = 1;
    picture.Paint(s, 0);
    EXPECT_EQ(picture.At(0, 0), light);
    EXPECT_EQ(picture.At(59, 29), shadow);
    picture.Paint(s, ODS_SELECTED);
    EXPECT_EQ(picture.At(0, 0), shadow);
    EXPECT_EQ(picture.At(59, 29), light);
    // Not flat and focused: a black frame, then the 3-D border inside it.
    s.flat = 0;
    s.over = 0;
    picture.Paint(s, ODS_FOCUS);
    EXPECT_EQ(picture.At(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(picture.At(1, 1), light);
    EXPECT_EQ(picture.At(58, 28), ::GetSysColor(COLOR_3DDKSHADOW));
}

TEST(ImageButtonPainting, TheFacePlacesIconAndCaptionByAlignment) {
    POINT icon{};
    RECT caption{};
    textory::PlaceImageButtonFace(RECT{0, 0, 100, 40}, 0, 16, 16, true, icon, caption);
    EXPECT_EQ(icon.x, 3);
    EXPECT_EQ(icon.y, 12);
    EXPECT_EQ(caption.left, 19);
    textory::PlaceImageButtonFace(RECT{0, 0, 100, 40}, 1, 16, 16, true, icon, caption);
    EXPECT_EQ(icon.x, 42);
    EXPECT_EQ(icon.y, 3);
    EXPECT_EQ(caption.top, 16);
    textory::PlaceImageButtonFace(RECT{0, 0, 100, 40}, 2, 16, 16, true, icon, caption);
    EXPECT_EQ(icon.x, 100 - 16 - 3);
    EXPECT_EQ(caption.left, 3);
    EXPECT_EQ(caption.right, 100 - 19);
    textory::PlaceImageButtonFace(RECT{0, 0, 100, 40}, 2, 16, 16, false, icon, caption);
    EXPECT_EQ(icon.x, 42);
    EXPECT_EQ(icon.y, 12);
}

namespace {

inline CWinApp theImageButtonTestApp("ImageButtonTests");

// A frame that owns the buttons and records the commands that reach it.
class ButtonHost : public CFrameWnd {
public:
    std::vector<UINT> commands;
    int clicks = 0;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        if (lParam == 0) commands.push_back(LOWORD(wParam));
        else if (HIWORD(wParam) == BN_CLICKED) ++clicks;
        return CFrameWnd::OnCommand(wParam, lParam);
    }
};

void Pump() {
    for (int i = 0; i < 20; ++i) AfxPumpMessages();
}

class ImageButtonWindow : public ::testing::Test {
protected:
    void SetUp() override {
        AfxWinInit();
        AfxTestScript::Enable(true);
        AfxTestScript::Clear();
        host = new ButtonHost;
        ASSERT_TRUE(host->Create(nullptr, "Buttons"));
        host->ShowWindow(SW_SHOW);
    }
    void TearDown() override {
        AfxTestScript::Clear();
        host->DestroyWindow();
    }
    suite_test::ScratchFolder scratch;
    ButtonHost* host = nullptr;
};

}  // namespace

TEST_F(ImageButtonWindow, ADoubleClickTogglesACheckBoxButtonTwice) {
    CImageButton button;
    ASSERT_TRUE(button.Create("Scan", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, CRect(10, 10, 90, 40), host, 501));
    EXPECT_EQ(button.State().checkBoxMode, 1);
    EXPECT_NE(button.GetStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_AUTOCHECKBOX));
    const CPoint at(20, 10);
    AfxTestMouse(&button, WM_LBUTTONDOWN, at);
    AfxTestMouse(&button, WM_LBUTTONUP, at);
    Pump();
    EXPECT_EQ(button.SendMessage(BM_GETCHECK), 1);
    AfxTestMouse(&button, WM_LBUTTONDBLCLK, at);
    AfxTestMouse(&button, WM_LBUTTONUP, at);
    Pump();
    EXPECT_EQ(button.SendMessage(BM_GETCHECK), 0);
    EXPECT_EQ(host->clicks, 2);
    // The program's own check goes through BM_SETCHECK.
    button.SendMessage(BM_SETCHECK, BST_CHECKED);
    EXPECT_EQ(button.SendMessage(BM_GETCHECK), 1);
    button.DestroyWindow();
}

TEST_F(ImageButtonWindow, AChosenCommandIsPostedAfterTheMenuClosed) {
    CImageButton button;
    ASSERT_TRUE(button.Create("Send to", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(10, 10, 90, 40), host, 502));
    MenuTemplateBytes t;
    t.Popup(u"Targets", true).Item(40001, u"&Word").Item(40002, u"&Mail", true);
    ASSERT_TRUE(button.Menu().LoadMenuTemplate(t.bytes().data(), t.bytes().size()));
    button.State().hasMenu = true;
    ASSERT_EQ(button.AttachMenu(0, host->GetSafeHwnd(), 0, 0, 16, 16, 0xFF00FF, FALSE), 0);
    button.Menu().LoadMenuTemplate(t.bytes().data(), t.bytes().size());
    button.State().hasMenu = true;

    // This host takes every command itself: it enables all its items.
    host->m_bAutoMenuEnable = FALSE;
    AfxTestScript::QueueAnswer(40002);
    button.ShowMenu();
    EXPECT_EQ(button.State().menuShowing, 0);
    EXPECT_TRUE(host->commands.empty());  // posted, not sent
    Pump();
    EXPECT_EQ(host->commands, std::vector<UINT>{40002});
    // Dismissed: nothing arrives.
    host->commands.clear();
    button.ShowMenu();
    Pump();
    EXPECT_TRUE(host->commands.empty());
    // The owner checks and enables the items before they show: a frame
    // greys what nothing handles, so nothing can be chosen.
    host->m_bAutoMenuEnable = TRUE;
    AfxTestScript::QueueAnswer(40002);
    button.ShowMenu();
    Pump();
    EXPECT_TRUE(host->commands.empty());
    EXPECT_TRUE(button.Menu().GetSubMenu(0)->GetMenuState(40002, MF_BYCOMMAND) & MF_GRAYED);
    button.DestroyWindow();
}

TEST_F(ImageButtonWindow, StylesAndDialogCodes) {
    CImageButton button;
    ASSERT_TRUE(button.Create("OK", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, CRect(10, 10, 90, 40), host, 503));
    EXPECT_EQ(button.State().defaultButton, 1);
    EXPECT_EQ(button.SendMessage(WM_GETDLGCODE) & DLGC_DEFPUSHBUTTON, static_cast<LRESULT>(DLGC_DEFPUSHBUTTON));
    button.SendMessage(BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    EXPECT_EQ(button.State().defaultButton, 0);
    EXPECT_EQ(button.SendMessage(WM_GETDLGCODE) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON),
              static_cast<LRESULT>(DLGC_UNDEFPUSHBUTTON));
    // A hovered button leaves its hover on WM_MOUSELEAVE and on deactivation.
    button.State().over = 1;
    button.SendMessage(WM_MOUSELEAVE);
    EXPECT_EQ(button.State().over, 0);
    button.State().over = 1;
    button.SendMessage(WM_ACTIVATE, WA_INACTIVE);
    EXPECT_EQ(button.State().over, 0);
    EXPECT_EQ(button.SetAlignment(3), 4);
    EXPECT_EQ(button.SetAlignment(1), 0);
    button.DestroyWindow();
}

TEST_F(ImageButtonWindow, TheTooltipShowsOnlyOnceActivatedAndGoesOnLeave) {
    CImageButton button;
    ASSERT_TRUE(button.Create("Scan", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(10, 10, 90, 40), host, 504));
    EXPECT_EQ(button.SetTooltipText("Scan to the word processor", FALSE), 0);
    AfxTestMouse(&button, WM_MOUSEMOVE, CPoint(20, 10));
    EXPECT_FALSE(PumpUntil([] { return !AfxTestShownToolTip().empty(); }, 800)) << "created inactive";
    button.ActivateTooltip(TRUE);
    AfxTestMouse(&button, WM_MOUSEMOVE, CPoint(22, 12));
    ASSERT_TRUE(PumpUntil([] { return AfxTestShownToolTip() == "Scan to the word processor"; }, 3000));
    // A new text takes the place of the old one; leaving hides it.
    button.SetTooltipText("Scan to a file", TRUE);
    EXPECT_TRUE(PumpUntil([] { return AfxTestShownToolTip() == "Scan to a file"; }, 3000));
    // The button hands its messages to the tooltip before its own handling.
    MSG leave{};
    leave.hwnd = button.GetSafeHwnd();
    leave.message = WM_MOUSELEAVE;
    button.PreTranslateMessage(&leave);
    EXPECT_TRUE(PumpUntil([] { return AfxTestShownToolTip().empty(); }, 3000));
    button.DestroyWindow();
}
