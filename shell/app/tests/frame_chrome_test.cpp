// The started main window's chrome: the flat tool bar, the owner-drawn
// menus, the sizing side dock bar with the file bar, Tab between the panes
// and files dropped on the window.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/afx/ui/testing.h"
#include "platform/win/path.h"
#include "shell/app/tests/scribant_fixture.h"
#include "shell/frame/main_frame.h"

namespace scribanttest {
namespace {

// Where a grab goes: test-output/shell beside the test program's folder.
std::string GrabFile(const std::string& name) {
    std::error_code ec;
    const fs::path dir = fs::read_symlink("/proc/self/exe", ec).parent_path().parent_path() / "test-output" / "shell";
    fs::create_directories(dir, ec);
    return (dir / name).string();
}

class FrameChrome : public ScribantHome {
protected:
    void SetUp() override {
        ScribantHome::SetUp();
        ASSERT_TRUE(Start());
        frame = app_->MainFrame();
        ASSERT_NE(frame, nullptr);
        frame->MoveWindow(0, 0, 1024, 700);
        AfxPumpMessages();
    }
    void command(UINT id) { frame->SendMessage(WM_COMMAND, id, 0); }
    CMainFrame* frame = nullptr;
};

TEST_F(FrameChrome, BarsAndMenusAreInPlace) {
    CToolBarEx& bar = frame->ToolBar();
    ASSERT_TRUE(bar.GetSafeHwnd());
    EXPECT_TRUE(bar.GetButtonStyle(bar.CommandToIndex(32913)) & TBBS_HIDDEN) << "no PDF conversion";
    EXPECT_TRUE(bar.GetButtonStyle(bar.CommandToIndex(32919)) & TBBS_HIDDEN);
    EXPECT_TRUE(bar.GetBarStyle() & CBRS_TOOLTIPS);
    CMyContrlBar* dock = frame->SideDockBar();
    ASSERT_NE(dock, nullptr);
    EXPECT_EQ(dock->GetDlgCtrlID(), AFX_IDW_DOCKBAR_LEFT);
    EXPECT_EQ(dock->Size(), app_->m_settings.ocrBarHeight);
    // Popups are converted while open and given back when the menu closes.
    CMenu* file = frame->GetMenu()->GetSubMenu(0);
    ASSERT_NE(file, nullptr);
    frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file->GetSafeHmenu()), 0);
    EXPECT_GT(frame->MenuManager().Records().Count(), 5u);
    EXPECT_TRUE(file->GetMenuState(1, MF_BYPOSITION) & MF_OWNERDRAW);
    frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(frame->MenuManager().Records().Count(), 0u);
    EXPECT_TRUE(frame->GrabToFile(GrabFile("scribant_chrome.png").c_str()));
}

TEST_F(FrameChrome, DraggingTheDockBarsEdgeStoresTheWidth) {
    CMyContrlBar* dock = frame->SideDockBar();
    ASSERT_NE(dock, nullptr);
    CRect client;
    dock->GetClientRect(&client);
    const int x = client.right - 2;
    dock->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 200));
    dock->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + 50, 200));
    dock->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(x + 50, 200));
    AfxPumpMessages();
    EXPECT_EQ(app_->m_settings.ocrBarHeight, 258) << "208 and the 50 pixels dragged";
    EXPECT_EQ(frame->ViewsShown(), 1);
    // Dragged across the whole window: the list alone.
    dock->GetClientRect(&client);
    dock->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.right - 2, 200));
    dock->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(client.right + 2000, 200));
    AfxPumpMessages();
    EXPECT_EQ(frame->ViewsShown(), 0);
    EXPECT_EQ(app_->m_settings.ocrBarHeight, 258) << "the stored width stays";
}

TEST_F(FrameChrome, TabCyclesThroughTheVisiblePanes) {
    CWnd* list = &frame->PageList();
    CWnd* page = frame->Splitter().GetPane(0, 0);
    ASSERT_NE(page, nullptr);
    list->SetFocus();
    command(32833);
    EXPECT_EQ(CWnd::GetFocus(), page) << "the page view, alone in the splitter";
    EXPECT_EQ(frame->GetActiveView(), page);
    command(32833);
    EXPECT_EQ(CWnd::GetFocus(), list);
    // With the text row shown: list, text view, page view.
    command(32830);
    CWnd* text = frame->Splitter().GetPane(0, 0);
    CWnd* lower = frame->Splitter().GetPane(1, 0);
    ASSERT_TRUE(text && lower);
    list->SetFocus();
    command(32833);
    EXPECT_EQ(CWnd::GetFocus(), text);
    command(32833);
    EXPECT_EQ(CWnd::GetFocus(), lower);
    command(32833);
    EXPECT_EQ(CWnd::GetFocus(), list);
    // With the file bar hidden the list is passed over.
    command(32829);
    text->SetFocus();
    command(32833);
    EXPECT_EQ(CWnd::GetFocus(), lower);
    command(32833);
    EXPECT_EQ(CWnd::GetFocus(), text);
}

TEST_F(FrameChrome, DroppedFilesAreListedAndTheFirstNewOneOpens) {
    std::vector<std::string> paths;
    for (const char* name : {"a.tif", "b.tif", "c.tif"}) {
        const fs::path file = root_ / name;
        std::ofstream(file) << "x";
        paths.push_back(suite::WindowsPath(file.string()));
    }
    ASSERT_TRUE(app_->m_task.AddImageToList(paths[1], 0));
    ASSERT_EQ(app_->PageListRowCount(), 1);
    // The listed row's own choices and value (a split PDF page's record).
    CFileListCtrl& list = frame->PageList();
    list.SetItemText(0, kPageListType, "table");
    list.SetItemText(0, kPageListResolution, "600");
    list.SetItemData(0, 0x5A5A);
    ASSERT_TRUE(AfxTestDropFiles(frame, paths, POINT{300, 300}));
    AfxPumpMessages();
    EXPECT_EQ(app_->PageListRowCount(), 3) << "two rows added, the listed one not again";
    EXPECT_EQ(app_->PageListCurrentRow(), 1) << "the first new row is the open one";
    EXPECT_EQ(app_->PageListItemText(0, kPageListPath), paths[1]);
    EXPECT_EQ(app_->PageListItemText(0, kPageListType), "table") << "a dropped listed file changes nothing";
    EXPECT_EQ(app_->PageListItemText(0, kPageListResolution), "600");
    EXPECT_EQ(list.GetItemData(0), 0x5A5Au);
    // A path longer than the list takes is left out, not cut.
    ASSERT_TRUE(AfxTestDropFiles(frame, {std::string("C:\\") + std::string(300, 'x') + ".tif"}, POINT{300, 300}));
    EXPECT_EQ(app_->PageListRowCount(), 3);
}

TEST_F(FrameChrome, AClickInTheInsertPaneTogglesTheInsertMode) {
    auto& bar = static_cast<CAdStatusBar&>(frame->StatusBar());
    CRect pane;
    bar.GetItemRect(CAdStatusBar::kInsertPane, &pane);
    ASSERT_FALSE(pane.IsRectEmpty());
    EXPECT_EQ(bar.PaneAt(pane.CenterPoint()), CAdStatusBar::kInsertPane);
    EXPECT_FALSE(app_->IsInsertMode());
    AfxTestClick(&bar, pane.CenterPoint());
    AfxPumpMessages();
    EXPECT_TRUE(app_->IsInsertMode());
    bar.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(pane.CenterPoint().x, pane.CenterPoint().y));
    AfxPumpMessages();
    EXPECT_FALSE(app_->IsInsertMode());
    // Elsewhere a click does nothing.
    CRect other;
    bar.GetItemRect(2, &other);
    AfxTestClick(&bar, other.CenterPoint());
    AfxPumpMessages();
    EXPECT_FALSE(app_->IsInsertMode());
}

}  // namespace
}  // namespace scribanttest
