// The icon menu's items measured and drawn into a memory bitmap.
#include <gtest/gtest.h>

#include "platform/win/tests/scratch_folder.h"
#include "textory/icon_menu.h"
#include "textory/tests/menu_template_bytes.h"

namespace {

class IconMenuDrawing : public ::testing::Test {
protected:
    void SetUp() override {
        AfxWinInit();
        saved = textory::SharedIconMenuLook();
        textory::ForgetClassicTheme();
        MenuTemplateBytes t;
        t.Popup(u"&File", true).Item(1, u"&Open\tCtrl+O").Item(0, u"", false, MF_SEPARATOR).Item(2, u"E&xit", true);
        ASSERT_TRUE(menu.LoadMenuTemplate(t.bytes().data(), t.bytes().size()));
        file = dynamic_cast<CIconMenu*>(menu.GetSubMenu(0));
        ASSERT_NE(file, nullptr);
        dc.CreateCompatibleDC(nullptr);
        bitmap.CreateBitmap(kWidth, kHeight, 1, 32, nullptr);
        old = dc.SelectObject(&bitmap);
    }
    void TearDown() override {
        dc.SelectObject(old);
        textory::SharedIconMenuLook() = saved;
        textory::ForgetClassicTheme();
    }
    // Draws item `pos` of the File popup over the whole bitmap.
    void Draw(UINT pos, UINT state) {
        dc.FillSolidRect(0, 0, kWidth, kHeight, RGB(1, 2, 3));
        DRAWITEMSTRUCT dis{};
        dis.CtlType = ODT_MENU;
        dis.itemID = file->GetMenuItemID(static_cast<int>(pos));
        dis.itemAction = ODA_DRAWENTIRE;
        dis.itemState = state;
        dis.hwndItem = reinterpret_cast<HWND>(file->m_hMenu);
        dis.hDC = dc.GetSafeHdc();
        dis.rcItem = RECT{0, 0, kWidth, kHeight};
        dis.itemData = file->GetItemData(pos, MF_BYPOSITION);
        file->DrawItem(&dis);
    }
    COLORREF At(int x, int y) { return dc.GetPixel(x, y); }
    static void Classic() { textory::SetIconMenuLookSwitches(0); }
    static void Flat() { textory::SetIconMenuLookSwitches(1); }

    static constexpr int kWidth = 160, kHeight = 22;
    suite_test::ScratchFolder scratch;
    textory::IconMenuLook saved;
    CIconMenu menu;
    CIconMenu* file = nullptr;
    CDC dc;
    CBitmap bitmap;
    CBitmap* old = nullptr;
};

}  // namespace

TEST_F(IconMenuDrawing, ItemsAreMeasuredForTheLook) {
    MEASUREITEMSTRUCT mis{ODT_MENU, 0, 1, 0, 0, file->GetItemData(0, MF_BYPOSITION)};
    Classic();
    file->MeasureItem(&mis);
    const int text = textory::MeasureMenuText(file->Records()[0]->text);
    EXPECT_EQ(static_cast<int>(mis.itemWidth), text + 2 * 16 + 1);
    EXPECT_EQ(static_cast<int>(mis.itemHeight), std::max(15 + 4, GetSystemMetrics(SM_CYMENU)));
    Flat();
    file->MeasureItem(&mis);
    EXPECT_EQ(static_cast<int>(mis.itemWidth), text + 16 + 7 + 8);
    EXPECT_EQ(static_cast<int>(mis.itemHeight), std::max(15 + 7, GetSystemMetrics(SM_CYMENU)));
    MEASUREITEMSTRUCT separator{ODT_MENU, 0, 0, 0, 0, file->GetItemData(1, MF_BYPOSITION)};
    file->MeasureItem(&separator);
    EXPECT_EQ(separator.itemWidth, 0u);
    EXPECT_EQ(static_cast<int>(separator.itemHeight), std::max((15 + 7) / 2, GetSystemMetrics(SM_CYMENU) / 2));
}

TEST_F(IconMenuDrawing, TheClassicLookHighlightsTheSelectedItem) {
    Classic();
    Draw(0, 0);
    const COLORREF back = ::GetSysColor(COLOR_BTNFACE);  // themed system: button face
    EXPECT_EQ(At(kWidth - 3, 2), back);
    Draw(0, ODS_SELECTED);
    EXPECT_EQ(At(kWidth - 3, 2), ::GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(At(1, 2), ::GetSysColor(COLOR_HIGHLIGHT));  // no icon, not checked: the whole item
    // A disabled, selected item keeps the highlight in the classic look.
    Draw(0, ODS_SELECTED | ODS_GRAYED);
    EXPECT_EQ(At(kWidth - 3, 2), ::GetSysColor(COLOR_HIGHLIGHT));
}

TEST_F(IconMenuDrawing, TheClassicCheckIsATickOrADot) {
    Classic();
    const int l = std::max((kHeight - 15 - 4) / 2, 0);
    const int boxLeft = 1, boxTop = l + 2;
    Draw(0, ODS_CHECKED);
    const COLORREF text = ::GetSysColor(COLOR_MENUTEXT);
    // The tick's lowest stroke (x + 2) starts at y + 4; the dot would fill (5..10, 4..9).
    EXPECT_EQ(At(boxLeft + 4 + 2, boxTop + 4 + 4), text);
    EXPECT_NE(At(boxLeft + 5 + 5, boxTop + 4 + 5), text);
    CBitmap mark;
    mark.CreateBitmap(8, 8, 1, 1, nullptr);
    ASSERT_TRUE(file->SetMenuItemBitmaps(0, MF_BYPOSITION, nullptr, &mark));
    Draw(0, ODS_CHECKED);
    EXPECT_EQ(At(boxLeft + 5 + 5, boxTop + 4 + 5), text);
}

TEST_F(IconMenuDrawing, TheFlatLookFramesALightSelection) {
    Flat();
    Draw(0, 0);
    const COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    EXPECT_EQ(At(kWidth - 3, 5), ::GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(At(2, 5), ::GetSysColor(COLOR_BTNFACE));  // the icon column, themed
    Draw(0, ODS_SELECTED);
    EXPECT_EQ(At(0, 0), highlight);
    EXPECT_EQ(At(kWidth - 3, 5), textory::LightenColour(highlight, 0.7));
    // Disabled items are never selected in the flat look.
    Draw(0, ODS_SELECTED | ODS_GRAYED);
    EXPECT_EQ(At(kWidth - 3, 5), ::GetSysColor(COLOR_WINDOW));
}

TEST_F(IconMenuDrawing, SeparatorsAreEtchedAcrossTheMiddle) {
    Classic();
    Draw(1, 0);
    const COLORREF back = ::GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(At(kWidth / 2, 2), back);
    EXPECT_NE(At(kWidth / 2, kHeight / 2), back);
    Flat();
    Draw(1, 0);
    EXPECT_EQ(At(kWidth / 2, 2), ::GetSysColor(COLOR_WINDOW));
    EXPECT_NE(At(kWidth / 2, kHeight / 2), ::GetSysColor(COLOR_WINDOW));
    // The etched line starts right of the column.
    EXPECT_EQ(At(16 + 7 + 3, kHeight / 2), ::GetSysColor(COLOR_WINDOW));
}
