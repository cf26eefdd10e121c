#include "textory/icon_menu.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win/registry.h"
#include "platform/win/tests/scratch_folder.h"
#include "textory/menu_template_walk.h"
#include "textory/tests/menu_template_bytes.h"

namespace {

inline CWinApp theIconMenuTestApp("IconMenuTests");

// Records what a walk tells the builder, one line an event.
class WalkLog : public textory::MenuTemplateBuilder {
public:
    void OpenPopup(UINT, const std::u16string& text) override { events.push_back("open " + Narrow(text)); }
    void AddItem(UINT flags, UINT id, const std::u16string& text) override {
        events.push_back("item " + std::to_string(id) + " " + Narrow(text) + ((flags & MF_END) ? " END" : ""));
    }
    void CloseLevel() override { events.push_back("close"); }
    static std::string Narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }
    std::vector<std::string> events;
};

// File (Open, More (A, B)), Edit (Undo): More is File's last item.
std::vector<BYTE> NestedTemplate() {
    MenuTemplateBytes t;
    t.Popup(u"&File").Item(100, u"&Open\tCtrl+O").Popup(u"&More", true).Item(101, u"A").Item(102, u"B", true);
    t.Popup(u"&Edit", true).Item(200, u"&Undo\tCtrl+Z", true);
    return t.bytes();
}

class IconMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        AfxWinInit();
        look = textory::SharedIconMenuLook();
        textory::ForgetClassicTheme();
    }
    void TearDown() override {
        textory::SharedIconMenuLook() = look;
        textory::ForgetClassicTheme();
    }
    suite_test::ScratchFolder scratch;
    textory::IconMenuLook look;
};

}  // namespace

TEST(MenuTemplateWalk, ANestedPopupEndingItsLevelClosesBothLevels) {
    WalkLog log;
    const auto bytes = NestedTemplate();
    ASSERT_TRUE(textory::WalkMenuTemplate(bytes.data(), bytes.size(), &log));
    EXPECT_EQ(log.events, (std::vector<std::string>{"open &File", "item 100 &Open\tCtrl+O", "open &More", "item 101 A",
                                                    "item 102 B", "close", "close", "open &Edit",
                                                    "item 200 &Undo\tCtrl+Z", "close", "close"}));
}

TEST(MenuTemplateWalk, CutOrOpenTemplatesAreRefused) {
    const auto bytes = NestedTemplate();
    for (size_t size = 0; size < bytes.size(); ++size)
        EXPECT_FALSE(textory::WalkMenuTemplate(bytes.data(), size, nullptr)) << size;
    // A header size running past the end.
    std::vector<BYTE> header{0, 0, 0xFF, 0x7F, 0, 0};
    EXPECT_FALSE(textory::WalkMenuTemplate(header.data(), header.size(), nullptr));
    // Bytes after the bar's last item are ignored.
    auto longer = bytes;
    longer.insert(longer.end(), {1, 2, 3});
    EXPECT_TRUE(textory::WalkMenuTemplate(longer.data(), longer.size(), nullptr));
}

TEST_F(IconMenuTest, LoadingBuildsOwnerDrawnPopupsUnderAPlainBar) {
    CIconMenu menu;
    const auto bytes = NestedTemplate();
    ASSERT_TRUE(menu.LoadMenuTemplate(bytes.data(), bytes.size()));
    ASSERT_EQ(menu.GetMenuItemCount(), 2u);
    // The bar's items are plain strings again; their popups are owner-drawn.
    EXPECT_EQ(menu.GetMenuState(0, MF_BYPOSITION) & MF_OWNERDRAW, 0u);
    CString text;
    menu.GetMenuString(1, text, MF_BYPOSITION);
    EXPECT_STREQ(text, "&Edit");
    CMenu* file = menu.GetSubMenu(0);
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(file->GetMenuItemCount(), 2u);
    EXPECT_NE(file->GetMenuState(0, MF_BYPOSITION) & MF_OWNERDRAW, 0u);
    CMenu* more = file->GetSubMenu(1);
    ASSERT_NE(more, nullptr);
    EXPECT_EQ(more->GetMenuItemCount(), 2u);
    EXPECT_NE(dynamic_cast<CIconMenu*>(more), nullptr);
    EXPECT_TRUE(menu.GetItemText(102, text, MF_BYCOMMAND));
    EXPECT_STREQ(text, "B");
    EXPECT_FALSE(menu.GetItemText(999, text, MF_BYCOMMAND));
}

TEST_F(IconMenuTest, AMalformedTemplateLeavesTheMenuAsItWas) {
    CIconMenu menu;
    const auto bytes = NestedTemplate();
    ASSERT_TRUE(menu.LoadMenuTemplate(bytes.data(), bytes.size()));
    HMENU before = menu.m_hMenu;
    EXPECT_FALSE(menu.LoadMenuTemplate(bytes.data(), bytes.size() - 3));
    EXPECT_EQ(menu.m_hMenu, before);
    EXPECT_EQ(menu.GetMenuItemCount(), 2u);
    EXPECT_FALSE(menu.LoadMenu(UINT{54321}));
    EXPECT_EQ(menu.m_hMenu, before);
}

TEST_F(IconMenuTest, AcceleratorsStartInOneMeasuredColumn) {
    MenuTemplateBytes t;
    t.Popup(u"&File", true)
        .Item(1, u"&Open\tCtrl+O")
        .Item(2, u"Save &everything as...\tCtrl+Shift+S")
        .Item(0, u"", false, MF_SEPARATOR)
        .Item(3, u"E&xit", true);
    CIconMenu menu;
    ASSERT_TRUE(menu.LoadMenuTemplate(t.bytes().data(), t.bytes().size()));
    auto* file = dynamic_cast<CIconMenu*>(menu.GetSubMenu(0));
    ASSERT_NE(file, nullptr);
    const auto& records = file->Records();
    ASSERT_EQ(records.size(), 4u);
    auto before = [&](size_t i) { return records[i]->text.substr(0, records[i]->text.find(u'\t')); };
    const int widest = textory::MeasureMenuText(u"Save &everything as... ");
    ASSERT_GT(widest, 0);
    const int space = textory::MeasureMenuText(u" ");
    for (size_t i : {0u, 1u}) {
        const int width = textory::MeasureMenuText(before(i));
        EXPECT_GE(width, widest) << i;
        EXPECT_LT(width, widest + space) << i;
    }
    EXPECT_EQ(records[0]->text.substr(records[0]->text.find(u'\t')), u"\tCtrl+O");
    EXPECT_EQ(records[1]->text.substr(records[1]->text.find(u'\t')), u"\tCtrl+Shift+S");
    // Items without an accelerator keep their text.
    EXPECT_EQ(records[3]->text, u"E&xit");
}

TEST_F(IconMenuTest, MnemonicsPickTheFirstItemInAnyCase) {
    MenuTemplateBytes t;
    t.Popup(u"&Tools", true).Item(1, u"&Options").Item(2, u"&Other").Item(3, u"E&xit", true);
    CIconMenu menu;
    ASSERT_TRUE(menu.LoadMenuTemplate(t.bytes().data(), t.bytes().size()));
    CMenu* tools = menu.GetSubMenu(0);
    EXPECT_EQ(menu.FindMnemonic('o', MF_POPUP, tools), MAKELRESULT(0, MNC_EXECUTE));
    EXPECT_EQ(menu.FindMnemonic('O', MF_POPUP, tools), MAKELRESULT(0, MNC_EXECUTE));
    EXPECT_EQ(menu.FindMnemonic('X', MF_POPUP, tools), MAKELRESULT(2, MNC_EXECUTE));
    EXPECT_EQ(menu.FindMnemonic('q', MF_POPUP, tools), 0);
    // Only popups answer.
    EXPECT_EQ(menu.FindMnemonic('o', 0, tools), 0);
    // An item added behind the menu's back is found after a resync.
    tools->AppendMenu(MF_STRING, 4, "&Zoom");
    EXPECT_EQ(menu.FindMnemonic('z', MF_POPUP, tools), MAKELRESULT(3, MNC_EXECUTE));
    auto* level = dynamic_cast<CIconMenu*>(tools);
    ASSERT_NE(level, nullptr);
    ASSERT_EQ(level->Records().size(), 4u);
    EXPECT_EQ(level->Records()[3]->text, u"&Zoom");
    EXPECT_NE(tools->GetMenuState(3, MF_BYPOSITION) & MF_OWNERDRAW, 0u);
}

TEST_F(IconMenuTest, TheRegistryHoldsEveryHandleUntilDestroyMenu) {
    const size_t before = RegisteredMenuCount();
    auto menu = std::make_unique<CIconMenu>();
    const auto bytes = NestedTemplate();
    ASSERT_TRUE(menu->LoadMenuTemplate(bytes.data(), bytes.size()));
    HMENU bar = menu->m_hMenu;
    HMENU file = menu->GetSubMenu(0)->m_hMenu;
    HMENU more = menu->GetSubMenu(0)->GetSubMenu(1)->m_hMenu;
    EXPECT_TRUE(IsMenuRegistered(bar));
    EXPECT_TRUE(IsMenuRegistered(file));
    EXPECT_TRUE(IsMenuRegistered(more));
    EXPECT_EQ(RegisteredMenuCount(), before + 4);  // bar, File, More, Edit
    menu->DestroyMenu();
    EXPECT_EQ(RegisteredMenuCount(), before);
    EXPECT_FALSE(IsMenuRegistered(bar));
    EXPECT_FALSE(IsMenuRegistered(more));
    EXPECT_FALSE(IsMenu(bar));
    EXPECT_TRUE(menu->Records().empty());
    EXPECT_TRUE(menu->SubMenus().empty());
    // Loading again after the destruction works, and the destructor cleans up.
    ASSERT_TRUE(menu->LoadMenuTemplate(bytes.data(), bytes.size()));
    menu.reset();
    EXPECT_EQ(RegisteredMenuCount(), before);
}

TEST(IconMenuLook, VersionCodesFollowTheSystem) {
    auto info = [](DWORD major, DWORD minor) {
        OSVERSIONINFOA i{};
        i.dwOSVersionInfoSize = sizeof i;
        i.dwMajorVersion = major;
        i.dwMinorVersion = minor;
        return i;
    };
    const DWORD nine = 0x80000000u;
    OSVERSIONINFOA v;
    EXPECT_EQ(textory::VersionCodeOf(nine | 3u, nullptr), 0);
    EXPECT_EQ(textory::VersionCodeOf(4u, nullptr), 1);
    EXPECT_EQ(textory::VersionCodeOf(nine | 4u, nullptr), 2);
    EXPECT_EQ(textory::VersionCodeOf(nine | 4u, &(v = info(4, 0))), 2);
    EXPECT_EQ(textory::VersionCodeOf(nine | 4u, &(v = info(4, 10))), 3);
    EXPECT_EQ(textory::VersionCodeOf(nine | 4u, &(v = info(4, 90))), 4);
    EXPECT_EQ(textory::VersionCodeOf(4u, &(v = info(4, 0))), 5);
    EXPECT_EQ(textory::VersionCodeOf(5u, &(v = info(5, 0))), 6);
    EXPECT_EQ(textory::VersionCodeOf(5u | (1u << 8), &(v = info(5, 1))), 7);
    EXPECT_EQ(textory::VersionCodeOf(6u, &(v = info(6, 0))), 1);
    EXPECT_EQ(textory::GetWindowsVersionCode(), 7);
}

TEST_F(IconMenuTest, TheClassicThemeIsReadOnceFromTheUsersTree) {
    EXPECT_TRUE(textory::IsClassicThemeValue("C:\\WINDOWS\\Resources\\Themes\\WINDOWS CLASSIC.THEME"));
    EXPECT_TRUE(textory::IsClassicThemeValue("Windows Classic.theme"));
    EXPECT_FALSE(textory::IsClassicThemeValue("C:\\WINDOWS\\Resources\\Themes\\Luna.theme"));
    EXPECT_FALSE(textory::IsClassicThemeValue("Classic.theme"));
    EXPECT_FALSE(textory::IsClassicTheme());  // no key

    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Plus!\\Themes\\Current", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const char value[] = "C:\\WINDOWS\\Resources\\Themes\\Windows Classic.THEME";
    ASSERT_EQ(RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), sizeof value),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_FALSE(textory::IsClassicTheme());  // the cached answer
    textory::ForgetClassicTheme();
    EXPECT_TRUE(textory::IsClassicTheme());
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Microsoft\\Plus!\\Themes\\Current");
}

TEST(IconMenuLook, FlatOnlyOnAThemedXpWithTheDefaultSwitches) {
    textory::IconMenuLook look;
    look.versionCode = 7;
    EXPECT_TRUE(look.Flat(false));
    EXPECT_FALSE(look.Flat(true));  // classic theme: the other switch
    for (int code : {0, 1, 2, 3, 4, 5, 6}) {
        look.versionCode = code;
        EXPECT_FALSE(look.Flat(false)) << code;
    }
    look.versionCode = 7;
    look.flatUnderThemes = look.flatOtherwise = 0;  // what attaching a menu with 0 does
    EXPECT_FALSE(look.Flat(false));
    look.flatOtherwise = 1;
    EXPECT_TRUE(look.Flat(true));
    EXPECT_FALSE(look.NewStyleEdges() == false);
    look.versionCode = 1;
    EXPECT_FALSE(look.NewStyleEdges());
}

TEST(IconMenuLook, LighteningMovesEachChannelTowardsWhite) {
    EXPECT_EQ(textory::LightenColour(RGB(0, 100, 255), 0.5), RGB(127, 177, 255));
    EXPECT_EQ(textory::LightenColour(RGB(10, 20, 30), 0.0), RGB(10, 20, 30));
    EXPECT_EQ(textory::LightenColour(RGB(10, 20, 30), 1.5), RGB(10, 20, 30));
    EXPECT_EQ(textory::LightenColour(RGB(10, 20, 30), 1.0), RGB(255, 255, 255));
}
