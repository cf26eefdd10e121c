// Item icons: taken into the shared list, drawn in each look, embossed when
// the item is disabled.
#include <gtest/gtest.h>

#include "platform/win/tests/scratch_folder.h"
#include "textory/icon_menu.h"
#include "textory/icon_menu_icons.h"
#include "textory/tests/menu_template_bytes.h"

namespace {

constexpr COLORREF kRed = RGB(200, 0, 0);

// A list of one 16 x 15 image: a red square from (4, 4) to (11, 11) on the mask colour.
void MakeList(CImageList& list) {
    ASSERT_TRUE(list.Create(16, 15, ILC_COLOR24 | ILC_MASK, 1, 1));
    CBitmap bitmap;
    bitmap.CreateBitmap(16, 15, 1, 32, nullptr);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap* old = dc.SelectObject(&bitmap);
    dc.FillSolidRect(0, 0, 16, 15, RGB(255, 0, 255));
    dc.FillSolidRect(4, 4, 8, 8, kRed);
    dc.SelectObject(old);
    ASSERT_EQ(list.Add(&bitmap, RGB(255, 0, 255)), 0);
}

class IconMenuIcons : public ::testing::Test {
protected:
    void SetUp() override {
        AfxWinInit();
        saved = textory::SharedIconMenuLook();
        MakeList(list);
        dc.CreateCompatibleDC(nullptr);
        bitmap.CreateBitmap(kWidth, kHeight, 1, 32, nullptr);
        old = dc.SelectObject(&bitmap);
    }
    void TearDown() override {
        dc.SelectObject(old);
        textory::SharedIconMenuLook() = saved;
    }
    // A menu whose File popup has "Open" (command `id`) with the red icon.
    CIconMenu* Load(CIconMenu& menu, UINT id) {
        MenuTemplateBytes t;
        t.Popup(u"&File", true).Item(id, u"&Open").Item(id + 1, u"E&xit", true);
        EXPECT_TRUE(menu.LoadMenuTemplate(t.bytes().data(), t.bytes().size()));
        EXPECT_TRUE(menu.SetItemIcon(nullptr, id, &list, 0));
        return dynamic_cast<CIconMenu*>(menu.GetSubMenu(0));
    }
    void Draw(CIconMenu* file, UINT state) {
        dc.FillSolidRect(0, 0, kWidth, kHeight, RGB(1, 2, 3));
        DRAWITEMSTRUCT dis{ODT_MENU, 0, file->GetMenuItemID(0), ODA_DRAWENTIRE, state,
                           reinterpret_cast<HWND>(file->m_hMenu), dc.GetSafeHdc(), RECT{0, 0, kWidth, kHeight},
                           file->GetItemData(0, MF_BYPOSITION)};
        file->DrawItem(&dis);
    }
    static constexpr int kWidth = 120, kHeight = 23;
    suite_test::ScratchFolder scratch;
    textory::IconMenuLook saved;
    CImageList list;
    CDC dc;
    CBitmap bitmap;
    CBitmap* old = nullptr;
};

}  // namespace

TEST_F(IconMenuIcons, TheClassicLookDrawsTheIconInItsBox) {
    textory::SetIconMenuLookSwitches(0);
    CIconMenu menu;
    CIconMenu* file = Load(menu, 7001);
    ASSERT_NE(file, nullptr);
    const int position = textory::FindMenuIcon(7001);
    ASSERT_GE(position, 0);
    EXPECT_EQ(file->Records()[0]->iconIndex, position);
    EXPECT_FALSE(textory::HasMenuIconCopies(position));
    EXPECT_EQ(file->Records()[1]->iconIndex, -1);
    const int l = std::max((kHeight - 15 - 4) / 2, 0);
    Draw(file, 0);
    EXPECT_EQ(dc.GetPixel(2 + 6, l + 2 + 6), kRed);
    EXPECT_EQ(dc.GetPixel(2 + 1, l + 2 + 1), ::GetSysColor(COLOR_BTNFACE));  // the mask shows the box
    // Disabled: the shape embossed, no red left.
    Draw(file, ODS_GRAYED);
    EXPECT_EQ(dc.GetPixel(2 + 6, l + 2 + 6), ::GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(dc.GetPixel(2 + 12, l + 2 + 12), ::GetSysColor(COLOR_BTNHIGHLIGHT));
    // An item appended later for the same command finds the icon.
    file->AppendIconItem(MF_STRING, 7001, u"Open again");
    EXPECT_EQ(file->Records().back()->iconIndex, position);
}

TEST_F(IconMenuIcons, TheFlatLookUsesTheFadedAndShadowCopies) {
    textory::SetIconMenuLookSwitches(1);
    CIconMenu menu;
    CIconMenu* file = Load(menu, 7101);
    ASSERT_NE(file, nullptr);
    const int position = textory::FindMenuIcon(7101);
    ASSERT_TRUE(textory::HasMenuIconCopies(position));
    EXPECT_EQ(textory::SharedMenuIcons()->GetImageCount() >= position + 3, true);
    const int column = 16 + 7;
    const int x = (column - 16 + 1) / 2, y = (kHeight - 15 + 1) / 2;
    Draw(file, 0);
    EXPECT_EQ(dc.GetPixel(x + 6, y + 6), textory::LightenColour(kRed, 0.3));  // faded at rest
    Draw(file, ODS_SELECTED);
    EXPECT_EQ(dc.GetPixel(x - 1 + 6, y - 1 + 6), kRed);  // lifted
    EXPECT_EQ(dc.GetPixel(x + 1 + 11, y + 1 + 11), textory::LightenColour(::GetSysColor(COLOR_BTNSHADOW), 0.49));
    // Taking the icon again gives the command new images, drawn alike.
    EXPECT_TRUE(menu.SetItemIcon(u"Open now", 7101, &list, 0));
    const int again = textory::FindMenuIcon(7101);
    EXPECT_GT(again, position);
    EXPECT_EQ(file->Records()[0]->iconIndex, again);
    Draw(file, 0);
    EXPECT_EQ(dc.GetPixel(x + 6, y + 6), textory::LightenColour(kRed, 0.3));
    EXPECT_EQ(dc.GetPixel(x + 1, y + 1), ::GetSysColor(COLOR_BTNFACE));  // still see-through
    EXPECT_EQ(file->Records()[0]->text, u"Open now");
    EXPECT_FALSE(menu.SetItemIcon(nullptr, 7101, &list, 5));  // no such image
}

TEST_F(IconMenuIcons, ToolBarButtonsGiveTheirItemsIcons) {
    HINSTANCE resources = LoadLibraryA("afx_ui_sample_res.DLL");
    ASSERT_NE(resources, nullptr);
    HINSTANCE before = AfxGetResourceHandle();
    AfxSetResourceHandle(resources);
    textory::SetIconMenuLookSwitches(0);
    constexpr UINT kPen = 32773, kErase = 32774, kOther = 7301;  // the sample tool bar's last two buttons
    MenuTemplateBytes t;
    t.Popup(u"&Tools", true).Item(kPen, u"&Pen").Item(kOther, u"&Other").Item(kErase, u"&Eraser", true);
    CIconMenu menu;
    ASSERT_TRUE(menu.LoadMenuTemplate(t.bytes().data(), t.bytes().size()));
    EXPECT_FALSE(menu.LoadToolBarIcons(4321));  // no such tool bar
    ASSERT_TRUE(menu.LoadToolBarIcons(128));
    auto* tools = dynamic_cast<CIconMenu*>(menu.GetSubMenu(0));
    ASSERT_NE(tools, nullptr);
    EXPECT_EQ(tools->Records()[0]->iconIndex, textory::FindMenuIcon(kPen));
    EXPECT_GE(tools->Records()[0]->iconIndex, 0);
    EXPECT_GE(tools->Records()[2]->iconIndex, 0);
    EXPECT_NE(tools->Records()[0]->iconIndex, tools->Records()[2]->iconIndex);
    EXPECT_EQ(tools->Records()[1]->iconIndex, -1);
    AfxSetResourceHandle(before);
}
