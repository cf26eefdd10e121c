// Pictures of the icon menu (its commands are numbered apart from the other
// tests': item icons are shared by command for the program's run), the image buttons and a skinned background,
// written to $TEXTORY_GRAB_DIR for a person to look at (skipped without it).
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <string>

#include "platform/afx/core/dc_qt.h"
#include "platform/afx/ui/drawstate.h"
#include "platform/win/tests/scratch_folder.h"
#include "textory/icon_menu.h"
#include "textory/image_button_painter.h"
#include "textory/skin_image.h"
#include "textory/tests/grab_canvas.h"
#include "textory/tests/menu_template_bytes.h"

namespace {

using textorytest::Canvas;
using textorytest::GrabFolder;

// A 16 x 16 icon: a blue page with a folded corner, saved and loaded as an icon file.
HICON MakeIcon(const std::string& folder) {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.fillRect(2, 1, 11, 14, QColor(40, 90, 200));
    p.fillRect(4, 4, 7, 1, Qt::white);
    p.fillRect(4, 7, 7, 1, Qt::white);
    p.fillRect(4, 10, 5, 1, Qt::white);
    p.end();
    const std::string path = folder + "/page.png";
    image.save(QString::fromStdString(path));
    return AfxLoadIconFile(path.c_str());
}

}  // namespace

TEST(Grabs, IconMenuButtonsAndSkin) {
    if (GrabFolder().empty()) GTEST_SKIP() << "set TEXTORY_GRAB_DIR to write the pictures";
    AfxWinInit();
    suite_test::ScratchFolder scratch;
    const textory::IconMenuLook saved = textory::SharedIconMenuLook();

    MenuTemplateBytes t;
    t.Popup(u"&File", true)
        .Item(9101, u"&Open...\tCtrl+O")
        .Item(9102, u"Save &all as text\tCtrl+Shift+S")
        .Item(0, u"", false, MF_SEPARATOR)
        .Item(9103, u"&Word wrap")
        .Item(9104, u"&Recognise\tF5")
        .Item(9105, u"E&xit", true);
    CIconMenu menu;
    ASSERT_TRUE(menu.LoadMenuTemplate(t.bytes().data(), t.bytes().size()));
    HICON icon = MakeIcon(scratch.path());
    ASSERT_NE(icon, nullptr);
    CImageList icons;
    ASSERT_TRUE(icons.Create(16, 15, ILC_COLOR24 | ILC_MASK, 1, 1));
    ASSERT_EQ(icons.Add(icon), 0);
    auto* file = dynamic_cast<CIconMenu*>(menu.GetSubMenu(0));
    ASSERT_NE(file, nullptr);
    const UINT states[] = {ODS_SELECTED, 0, 0, ODS_CHECKED, ODS_GRAYED, 0};
    for (int flat : {1, 0}) {
        textory::SetIconMenuLookSwitches(flat);
        for (UINT id : {9101u, 9104u, 9105u}) menu.SetItemIcon(nullptr, id, &icons, 0);
        int y = 0, width = 0;
        std::vector<MEASUREITEMSTRUCT> sizes;
        for (UINT pos = 0; pos < file->GetMenuItemCount(); ++pos) {
            MEASUREITEMSTRUCT mis{ODT_MENU, 0, file->GetMenuItemID(static_cast<int>(pos)), 0, 0,
                                  file->GetItemData(pos, MF_BYPOSITION)};
            file->MeasureItem(&mis);
            sizes.push_back(mis);
            width = std::max(width, static_cast<int>(mis.itemWidth) + 30);
            y += static_cast<int>(mis.itemHeight);
        }
        Canvas canvas(width, y);
        y = 0;
        for (UINT pos = 0; pos < sizes.size(); ++pos) {
            DRAWITEMSTRUCT dis{ODT_MENU, 0, sizes[pos].itemID, ODA_DRAWENTIRE, states[pos],
                               reinterpret_cast<HWND>(file->m_hMenu), canvas.dc.GetSafeHdc(),
                               RECT{0, y, width, y + static_cast<int>(sizes[pos].itemHeight)}, sizes[pos].itemData};
            file->DrawItem(&dis);
            y += static_cast<int>(sizes[pos].itemHeight);
        }
        EXPECT_TRUE(canvas.Save(flat ? "icon_menu_flat.png" : "icon_menu_classic.png"));
    }
    textory::SharedIconMenuLook() = saved;

    struct Case {
        const char* caption;
        int flat, over, checkBox, checked;
        BYTE alignment;
        UINT itemState;
    };
    const Case cases[] = {
        {"At rest", 1, 0, 0, 0, 0, 0},          {"Hovered", 1, 1, 0, 0, 0, 0},
        {"Pressed", 1, 1, 0, 0, 0, ODS_SELECTED}, {"Raised", 0, 0, 0, 0, 0, 0},
        {"Focused", 0, 0, 0, 0, 0, ODS_FOCUS},    {"Disabled", 1, 0, 0, 0, 0, ODS_DISABLED},
        {"Checked", 1, 0, 1, 1, 0, 0},            {"Above", 1, 1, 0, 0, 1, 0},
        {"Right", 1, 1, 0, 0, 2, 0},
    };
    const int w = 110, h = 48;
    Canvas buttons(w * 3 + 20, h * 3 + 20);
    buttons.dc.FillSolidRect(0, 0, w * 3 + 20, h * 3 + 20, ::GetSysColor(COLOR_BTNFACE));
    for (int i = 0; i < 9; ++i) {
        textory::ImageButtonState s;
        s.flat = cases[i].flat;
        s.over = cases[i].over;
        s.checkBoxMode = cases[i].checkBox;
        s.checked = cases[i].checked;
        s.alignment = cases[i].alignment;
        textory::ImageButtonFace face;
        face.icon = icon;
        face.iconWidth = face.iconHeight = 16;
        face.caption = cases[i].caption;
        const int x = 5 + (i % 3) * (w + 5), y = 5 + (i / 3) * (h + 5);
        const int saved = buttons.dc.SaveDC();
        buttons.dc.SetViewportOrg(x, y);
        textory::PaintImageButton(buttons.dc, RECT{0, 0, w, h}, cases[i].itemState, s, textory::DefaultButtonColours(),
                                  face);
        buttons.dc.RestoreDC(saved);
    }
    EXPECT_TRUE(buttons.Save("image_buttons.png"));

    // A skinned background: a 100 x 40 tile of soft stripes over 250 x 90.
    class StripedSkin : public CSkinImage {
    public:
        StripedSkin() {
            m_bitmap.CreateBitmap(100, 40, 1, 32, nullptr);
            CDC dc;
            dc.CreateCompatibleDC(nullptr);
            CBitmap* old = dc.SelectObject(&m_bitmap);
            for (int y = 0; y < 40; ++y) dc.FillSolidRect(0, y, 100, 1, RGB(210 - y, 225 - y / 2, 245));
            dc.FillSolidRect(0, 0, 100, 1, RGB(150, 170, 210));
            dc.FillSolidRect(0, 0, 1, 40, RGB(150, 170, 210));
            dc.SelectObject(old);
            m_width = 100;
            m_height = 40;
        }
    } skin;
    Canvas dialog(250, 90);
    ASSERT_TRUE(skin.Tile(&dialog.dc, 0, 0, 250, 90));
    textory::ImageButtonState s;
    textory::ImageButtonFace face;
    face.icon = icon;
    face.iconWidth = face.iconHeight = 16;
    face.caption = "Scan";
    s.seeThrough = 1;
    CDC background;
    background.CreateCompatibleDC(&dialog.dc);
    CBitmap saved2;
    saved2.CreateBitmap(90, 30, 1, 32, nullptr);
    CBitmap* oldBackground = background.SelectObject(&saved2);
    background.BitBlt(0, 0, 90, 30, &dialog.dc, 20, 30, SRCCOPY);
    face.savedBackground = &background;
    s.over = 1;
    const int keep = dialog.dc.SaveDC();
    dialog.dc.SetViewportOrg(20, 30);
    textory::PaintImageButton(dialog.dc, RECT{0, 0, 90, 30}, 0, s, textory::DefaultButtonColours(), face);
    dialog.dc.RestoreDC(keep);
    background.SelectObject(oldBackground);
    EXPECT_TRUE(dialog.Save("skinned_dialog.png"));
    DestroyIcon(icon);
}
