#include "platform/afx/core/resource.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImage>

#include <cstring>

#include "platform/afx/core/dib_qt.h"
#include "platform/afx/core/rc/rc_compiler.h"
#include "platform/afx/core/resource_qt.h"
#include "platform/afx/core/tests/resource_ids.h"
#include "platform/win/memory.h"
#include "platform/win/tests/temporary_folder.h"

namespace {

// Loads the test module and makes it the current resource module.
class ResourceModule : public ::testing::Test {
protected:
    void SetUp() override {
        m_module = LoadLibraryA("\\afx_test_resources.DLL");
        ASSERT_NE(m_module, nullptr);
        m_previous = AfxGetResourceHandle();
        AfxSetResourceHandle(m_module);
    }
    void TearDown() override {
        AfxSetResourceHandle(nullptr);
        if (m_module) FreeLibrary(m_module);
    }
    HMODULE m_module = nullptr;
    HINSTANCE m_previous = nullptr;
};

}  // namespace

TEST_F(ResourceModule, StringsComeInTheAnsiCodePage) {
    CString s;
    ASSERT_TRUE(s.LoadString(IDS_HELLO));
    EXPECT_STREQ(s, "Hello");
    ASSERT_TRUE(s.LoadString(IDS_CHINESE));
    EXPECT_STREQ(s, "\xD6\xD0\xCE\xC4 text") << "UTF-8 in the script, GBK when loaded";
    ASSERT_TRUE(s.LoadString(IDS_ESCAPES));
    EXPECT_STREQ(s, "a\tb\n\"q\" A");
    EXPECT_FALSE(s.LoadString(9999));
    EXPECT_STREQ(s, "a\tb\n\"q\" A") << "unchanged when missing";

    s.Format(IDS_FORMAT, 3, "x");
    EXPECT_STREQ(s, "3 pages of x");

    char buf[4];
    EXPECT_EQ(LoadStringA(m_module, IDS_CHINESE, buf, sizeof buf), 2) << "never cut inside a character";
    EXPECT_STREQ(buf, "\xD6\xD0");
    EXPECT_EQ(LoadStringA(m_module, 9999, buf, sizeof buf), 0);

    AfxSetResourceHandle(nullptr);
    EXPECT_FALSE(s.LoadString(IDS_HELLO)) << "the program itself has no strings";
}

TEST_F(ResourceModule, MenuTemplateRoundTrip) {
    HRSRC found = FindResource(nullptr, MAKEINTRESOURCE(IDR_MAIN), RT_MENU);
    ASSERT_NE(found, nullptr);
    const BYTE* raw = static_cast<const BYTE*>(LockResource(LoadResource(m_module, found)));
    // Standard layout: version 0, header size 0, then the first popup's flags and wide text.
    EXPECT_EQ(raw[0] | raw[1] | raw[2] | raw[3], 0);
    EXPECT_EQ(raw[4], MF_POPUP);
    EXPECT_EQ(raw[6], '&');
    EXPECT_EQ(raw[7], 0);

    CMenuTemplate menu;
    ASSERT_TRUE(AfxLoadMenuTemplate(nullptr, MAKEINTRESOURCE(IDR_MAIN), menu));
    ASSERT_EQ(menu.items.size(), 2u);
    const CMenuTemplateItem& file = menu.items[0];
    EXPECT_STREQ(file.text, "&File");
    EXPECT_TRUE(file.flags & MF_POPUP);
    ASSERT_EQ(file.children.size(), 4u);
    EXPECT_STREQ(file.children[0].text, "&Open...\tCtrl+O");
    EXPECT_EQ(file.children[0].id, static_cast<UINT>(ID_FILE_OPEN));
    EXPECT_TRUE(file.children[1].IsSeparator());
    ASSERT_EQ(file.children[2].children.size(), 1u);
    EXPECT_EQ(file.children[2].children[0].flags & MF_GRAYED, MF_GRAYED);
    EXPECT_EQ(file.children[3].id, static_cast<UINT>(ID_APP_EXIT));
    EXPECT_EQ(file.children[3].flags & MF_END, 0u) << "MF_END is not handed on";
    EXPECT_STREQ(menu.items[1].text, "\xB0\xEF\xD6\xFA");
    EXPECT_TRUE(menu.items[1].children[0].flags & MF_CHECKED);
}

TEST_F(ResourceModule, DialogTemplateKeepsIdsAndDialogUnits) {
    CDialogTemplate dlg;
    ASSERT_TRUE(AfxLoadDialogTemplate(nullptr, MAKEINTRESOURCE(IDD_SETTINGS), dlg));
    EXPECT_EQ(dlg.x, 10);
    EXPECT_EQ(dlg.y, 20);
    EXPECT_EQ(dlg.cx, 220);
    EXPECT_EQ(dlg.cy, 120);
    EXPECT_EQ(dlg.style, 0x80C80040u);
    EXPECT_STREQ(dlg.caption, "\xC9\xE8\xD6\xC3");
    EXPECT_STREQ(dlg.fontName, "SimSun");
    EXPECT_EQ(dlg.pointSize, 9);
    ASSERT_EQ(dlg.items.size(), 5u);
    EXPECT_EQ(dlg.items[0].id, 0xFFFF);
    EXPECT_STREQ(dlg.items[0].className, "Static");

    const CDialogItemTemplate* name = dlg.FindItem(IDC_NAME);
    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(name->className, "Edit");
    EXPECT_EQ(name->style, 0x50810080u) << "child, visible, tab stop, border and the given bits";
    EXPECT_EQ(name->x, 50);
    EXPECT_EQ(name->cx, 120);
    EXPECT_EQ(name->cy, 12);

    const CDialogItemTemplate* keep = dlg.FindItem(IDC_KEEP);
    ASSERT_NE(keep, nullptr);
    EXPECT_EQ(keep->style, 0x50000003u) << "NOT clears the default tab stop";
    const CDialogItemTemplate* list = dlg.FindItem(IDC_LIST);
    ASSERT_NE(list, nullptr);
    EXPECT_STREQ(list->className, "SysListView32");
    EXPECT_EQ(list->exStyle, 0x200u);
    EXPECT_EQ(dlg.FindItem(1)->style, 0x50010001u);

    CDialogTemplate named;
    EXPECT_TRUE(AfxLoadDialogTemplate(m_module, "Settings_Named", named)) << "names compare case-insensitively";
    EXPECT_TRUE(named.items.empty());
    EXPECT_FALSE(AfxLoadDialogTemplate(m_module, MAKEINTRESOURCE(999), named));
}

TEST_F(ResourceModule, AcceleratorsAndToolBars) {
    HACCEL accel = LoadAccelerators(nullptr, MAKEINTRESOURCE(IDR_MAIN));
    ASSERT_NE(accel, nullptr);
    ACCEL entries[4];
    ASSERT_EQ(CopyAcceleratorTable(accel, nullptr, 0), 3);
    ASSERT_EQ(CopyAcceleratorTable(accel, entries, 4), 3);
    EXPECT_EQ(entries[0].fVirt, FVIRTKEY | FCONTROL);
    EXPECT_EQ(entries[0].key, 'O');
    EXPECT_EQ(entries[0].cmd, ID_FILE_OPEN);
    EXPECT_EQ(entries[1].fVirt, 0);
    EXPECT_EQ(entries[1].key, 24) << "^X is the control character";
    EXPECT_EQ(entries[2].fVirt, FVIRTKEY | FSHIFT) << "the end flag is not handed on";
    DestroyAcceleratorTable(accel);

    CToolBarTemplate bar;
    ASSERT_TRUE(AfxLoadToolBarTemplate(nullptr, MAKEINTRESOURCE(IDR_MAIN), bar));
    EXPECT_EQ(bar.width, 16);
    EXPECT_EQ(bar.height, 15);
    ASSERT_EQ(bar.ids.size(), 3u);
    EXPECT_EQ(bar.ids[1], 0);
    EXPECT_EQ(bar.ids[2], ID_HELP_ABOUT);
}

TEST(ResourceCompiler, ReportsErrorsWithTheLine) {
    struct Case {
        const char* script;
        const char* message;
    };
    const Case cases[] = {
        {"STRINGTABLE\nBEGIN\n  1, \"unterminated\nEND\n", "t.rc:3: unterminated string"},
        {"STRINGTABLE\nBEGIN\n  NOPE, \"x\"\nEND\n", "t.rc:3: bad string id"},
        {"STRINGTABLE\nBEGIN\n  1, \"a\"\n  1, \"b\"\nEND\n", "t.rc:4: duplicate resource 1"},
        {"1 MENU\nBEGIN\n  POPUP \"x\"\n  BEGIN\n  END\nEND\n", "t.rc:5: empty menu level"},
        {"1 DIALOG 0, 0, 10\nBEGIN\nEND\n", "t.rc:1: expected `id DIALOG x, y, width, height`"},
        {"1 MENU\nBEGIN\n  MENUITEM \"x\", 1\n", "t.rc:3: unexpected end of script"},
        {"1 BITMAP \"missing.bmp\"\n", "t.rc:1: cannot read"},
        {"1 WIDGET \"x\"\n", "t.rc:1: unknown resource type WIDGET"},
        {"STRINGTABLE\nBEGIN\n  1, \"\xC3\x28\"\nEND\n", "t.rc:3: string is not valid UTF-8"},
    };
    for (const Case& c : cases) {
        suite::rc::Result r = suite::rc::CompileText(c.script, "t.rc", {});
        EXPECT_EQ(r.error.rfind(c.message, 0), 0u) << c.script << " gave: " << r.error;
        EXPECT_TRUE(r.resources.empty());
    }
}

TEST(ResourceCompiler, BitmapsBecomePackedDibs) {
    // A 3x2 indexed image written as PNG: stored as a 4-bit DIB (3 colours).
    QImage image(3, 2, QImage::Format_Indexed8);
    image.setColorTable({qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)});
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) image.setPixel(x, y, static_cast<uint>((x + y) % 3));
    }
    suite_test::TemporaryFolder temp("afx-rc");
    const std::string dir = temp.path();
    std::string png = dir + "/afx_rc_bitmap.png";
    ASSERT_TRUE(image.save(QString::fromStdString(png)));
    suite::rc::Result r = suite::rc::CompileText("5 BITMAP \"afx_rc_bitmap.png\"\n", dir + "/t.rc", {});
    ASSERT_TRUE(r.error.empty()) << r.error;
    ASSERT_EQ(r.resources.size(), 1u);
    const auto& dib = r.resources[0].data;
    AfxDibLayout layout;
    ASSERT_TRUE(AfxDibLayoutOf(dib.data(), dib.size(), layout));
    EXPECT_EQ(layout.bitCount, 4);
    EXPECT_EQ(layout.width, 3);
    EXPECT_EQ(layout.height, 2);
    QImage back = AfxDibToImage(dib.data(), dib.size());
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) EXPECT_EQ(back.pixel(x, y), image.pixel(x, y)) << x << "," << y;
    }
    ASSERT_EQ(r.inputs.size(), 1u) << "the bitmap is a build dependency";
    EXPECT_NE(r.inputs[0].find("afx_rc_bitmap.png"), std::string::npos);
}

TEST(ResourceCompiler, IconsAndCursorsKeepTheirFilesAndHotSpots) {
    QImage small(16, 16, QImage::Format_ARGB32);
    small.fill(qRgba(10, 20, 30, 255));
    suite_test::TemporaryFolder temp("afx-rc");
    const std::string dir = temp.path();
    ASSERT_TRUE(small.save(QString::fromStdString(dir + "/afx_rc_icon.png")));
    suite::rc::Result r = suite::rc::CompileText(
        "7 ICON \"afx_rc_icon.png\"\n8 CURSOR \"afx_rc_icon.png\", 3, 12\n", dir + "/t.rc", {});
    ASSERT_TRUE(r.error.empty()) << r.error;
    ASSERT_EQ(r.resources.size(), 2u);
    QImage icon;
    ASSERT_TRUE(AfxDecodeIcon(r.resources[0].data.data(), static_cast<DWORD>(r.resources[0].data.size()), icon));
    EXPECT_EQ(icon.size(), QSize(16, 16));
    EXPECT_EQ(icon.pixel(5, 5), qRgba(10, 20, 30, 255));
    QImage cursor;
    QPoint hot;
    ASSERT_TRUE(AfxDecodeCursor(r.resources[1].data.data(), static_cast<DWORD>(r.resources[1].data.size()), cursor, hot));
    EXPECT_EQ(hot, QPoint(3, 12));
    EXPECT_FALSE(AfxDecodeIcon("junk", 4, icon));

    {
        QFile junk(QString::fromStdString(dir + "/afx_rc_junk.ico"));
        ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
        junk.write("not an icon at all");
    }
    suite::rc::Result bad = suite::rc::CompileText("9 ICON \"afx_rc_junk.ico\"\n", dir + "/t.rc", {});
    EXPECT_NE(bad.error.find("cannot read the image"), std::string::npos) << "a file that is not an image is refused";
}
