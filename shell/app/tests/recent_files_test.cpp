// The recent-file entries of Scribant's File menu: shown in place of the
// placeholder item, kept across starts, and commands that do nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/app/recent_file_menu.h"
#include "shell/app/tests/scribant_fixture.h"
#include "shell/frame/main_frame.h"

namespace scribanttest {
namespace {

constexpr UINT kFirstRecent = 57616;

class RecentFiles : public ScribantHome {
protected:
    void SetUp() override {
        ScribantHome::SetUp();
        ASSERT_TRUE(Start());
    }
    // The File menu's recent-file items as the opened menu shows them ("text|on" or "text|off").
    std::vector<std::string> RecentItems() {
        CMainFrame* frame = app_->MainFrame();
        CMenu* file = frame->GetMenu()->GetSubMenu(0);
        frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file->GetSafeHmenu()), 0);
        frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);  // closed: the items are plain again
        std::vector<std::string> items;
        for (UINT i = 0; i < file->GetMenuItemCount(); ++i) {
            const UINT id = file->GetMenuItemID(static_cast<int>(i));
            if (id < kFirstRecent || id >= kFirstRecent + 16) continue;
            CString text;
            file->GetMenuString(i, text, MF_BYPOSITION);
            items.push_back(std::string(text.GetString()) + ((file->GetMenuState(i, MF_BYPOSITION) & MF_GRAYED) ? "|off" : "|on"));
        }
        return items;
    }
};

TEST_F(RecentFiles, EntriesReplaceThePlaceholderAreKeptAcrossStartsAndDoNothing) {
    ASSERT_NE(dynamic_cast<CScribantRecentFileList*>(app_->m_pRecentFileList), nullptr);
    EXPECT_EQ(app_->m_pRecentFileList->GetSize(), 4);
    const std::vector<std::string> empty = RecentItems();
    ASSERT_EQ(empty.size(), 1u);
    EXPECT_EQ(empty[0].substr(empty[0].size() - 4), "|off") << "nothing listed: the placeholder, disabled";
    const std::string placeholder = empty[0];

    app_->AddToRecentFileList("C:\\scans\\R&D.tif");
    app_->AddToRecentFileList("C:\\scans\\a folder with a long name\\page.tif");
    const std::vector<std::string> shown{"&1 C:\\...\\page.tif|on", "&2 C:\\scans\\R&&D.tif|on"};
    EXPECT_EQ(RecentItems(), shown);
    EXPECT_EQ(RecentItems(), shown) << "opened again: no entry twice";
    // Choosing an entry is handled and changes nothing.
    EXPECT_TRUE(app_->OnCmdMsg(kFirstRecent + 1, CN_COMMAND, nullptr, nullptr));
    app_->MainFrame()->SendMessage(WM_COMMAND, kFirstRecent + 1, 0);
    EXPECT_EQ(RecentItems(), shown);

    // The next start reads what the exit wrote.
    ASSERT_TRUE(Start());
    EXPECT_EQ(RecentItems(), shown);
    app_->m_pRecentFileList->Remove(0);
    app_->m_pRecentFileList->Remove(0);
    EXPECT_EQ(RecentItems(), std::vector<std::string>{placeholder});
    ASSERT_TRUE(Start());
    EXPECT_EQ(RecentItems(), std::vector<std::string>{placeholder}) << "the emptied list was written too";
}

TEST(RecentFileSubmenu, EntriesGoIntoTheSubmenuTheItemOpens) {
    CMenu file, recent;
    ASSERT_TRUE(file.CreatePopupMenu() && recent.CreatePopupMenu());
    recent.AppendMenu(MF_STRING, kFirstRecent, "Recent");
    file.AppendMenu(MF_STRING, 57601, "Open");
    file.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(recent.GetSafeHmenu()), "Recent files");
    CScribantRecentFileList list(4);
    list.Add("C:\\scans\\one.tif");
    list.Add("C:\\scans\\two.tif");
    CCmdUI ui;
    ui.m_pMenu = &file;
    ui.m_pSubMenu = &recent;
    ui.m_nIndex = 1;
    ui.m_nID = kFirstRecent;
    ui.m_nIndexMax = 2;
    list.UpdateMenu(&ui);
    EXPECT_EQ(file.GetMenuItemCount(), 2u) << "the File menu itself keeps its items";
    ASSERT_EQ(recent.GetMenuItemCount(), 2u);
    CString first, second;
    recent.GetMenuString(0, first, MF_BYPOSITION);
    recent.GetMenuString(1, second, MF_BYPOSITION);
    EXPECT_STREQ(first, "&1 C:\\scans\\two.tif");
    EXPECT_STREQ(second, "&2 C:\\scans\\one.tif");
    EXPECT_EQ(recent.GetMenuItemID(1), kFirstRecent + 1);
    recent.Detach();  // owned by the File menu
}

}  // namespace
}  // namespace scribanttest
