// The side dock bar's sizing edge, the stretch bar's place, the file bar's
// folder button and the search bar's engine choice.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/afx/ui/msgbox.h"
#include "platform/win/codepage.h"
#include "shell/frame/ad_status_bar.h"
#include "shell/frame/file_manager_bar.h"
#include "shell/frame/my_contrl_bar.h"
#include "shell/dialogs/browse_folder_dlg.h"
#include "shell/frame/scan_name_folder.h"
#include "platform/win/path.h"
#include <filesystem>
#include <cstdlib>
#include "shell/frame/search_tool_bar.h"
#include "shell/frame/stretch_bar.h"
#include "shell/frame/tests/chrome_fixture.h"

namespace {

using chrometest::Picture;

TEST(SizingEdge, TheEdgeFacesTheViews) {
    const CRect client(0, 0, 200, 600);
    SizingEdge left(CBRS_ALIGN_LEFT, 200, 64);
    EXPECT_EQ(left.EdgeRect(client), CRect(196, -1, 200, 601)) << "right side of a left bar, one pixel beyond top and bottom";
    SizingEdge right(CBRS_ALIGN_RIGHT, 200, 64);
    EXPECT_EQ(right.EdgeRect(client), CRect(0, -1, 4, 601));
    SizingEdge top(CBRS_ALIGN_TOP, 100, 64);
    EXPECT_EQ(top.EdgeRect(CRect(0, 0, 800, 100)), CRect(-1, 96, 801, 100));
    SizingEdge bottom(CBRS_ALIGN_BOTTOM, 100, 64);
    EXPECT_EQ(bottom.EdgeRect(CRect(0, 0, 800, 100)), CRect(-1, 0, 801, 4));
    EXPECT_EQ(left.LayoutSize(client), CSize(197, 603));
    EXPECT_EQ(top.LayoutSize(CRect(0, 0, 800, 100)), CSize(800, 97));
    EXPECT_EQ(left.CursorAt(client, CPoint(198, 300)), SizingEdge::kCursorVertical);
    EXPECT_EQ(top.CursorAt(CRect(0, 0, 800, 100), CPoint(10, 98)), SizingEdge::kCursorHorizontal);
    EXPECT_EQ(left.CursorAt(client, CPoint(100, 300)), 0u);
}

// A left bar at screen x 0..200 in a frame whose client spans 0..1000.
struct LeftDrag {
    SizingEdge edge{CBRS_ALIGN_LEFT, 200, 64};
    const CRect client{0, 0, 200, 600};
    bool Begin(int x) {
        return edge.Begin(client, CPoint(x, 300), CRect(196, -1, 200, 601), CRect(0, 0, 200, 600),
                          CRect(0, 0, 1000, 600), CPoint(x, 300));
    }
};

TEST(SizingEdge, DraggingResizesWithinTheMinimumAndTheFrame) {
    LeftDrag d;
    EXPECT_FALSE(d.Begin(100)) << "a press off the edge starts nothing";
    ASSERT_TRUE(d.Begin(198));
    EXPECT_EQ(d.edge.Move(CPoint(298, 10)), CRect(296, -1, 300, 601)) << "horizontal moves only";
    EXPECT_EQ(d.edge.End(CPoint(298, 10)), 300);
    // Far beyond the minimum: it stops at the minimum size.
    LeftDrag small;
    ASSERT_TRUE(small.Begin(198));
    small.edge.Move(CPoint(-500, 300));
    EXPECT_EQ(small.edge.End(CPoint(-500, 300)), 64);
    // Beyond the frame's far side: the tracker stays inside.
    LeftDrag wide;
    ASSERT_TRUE(wide.Begin(198));
    EXPECT_EQ(wide.edge.Move(CPoint(5000, 300)).right, 1000);
    // A drag that ends where it started keeps the size.
    LeftDrag still;
    ASSERT_TRUE(still.Begin(198));
    EXPECT_EQ(still.edge.End(CPoint(198, 300)), 200);
    EXPECT_FALSE(still.edge.Tracking());
    // A right bar grows when its edge moves left.
    SizingEdge right(CBRS_ALIGN_RIGHT, 200, 64);
    ASSERT_TRUE(right.Begin(CRect(0, 0, 200, 600), CPoint(2, 300), CRect(800, -1, 804, 601), CRect(800, 0, 1000, 600),
                            CRect(0, 0, 1000, 600), CPoint(802, 300)));
    EXPECT_EQ(right.End(CPoint(702, 300)), 300);
}

TEST(StretchBar, ItsPlaceFollowsTheDockBarsAlignment) {
    EXPECT_EQ(StretchBarPlace(CBRS_ALIGN_LEFT, CSize(200, 500)), CRect(0, -2, 200, 501));
    EXPECT_EQ(StretchBarPlace(CBRS_ALIGN_RIGHT | CBRS_BORDER_LEFT, CSize(200, 500)), CRect(3, -2, 203, 501));
    EXPECT_EQ(StretchBarPlace(CBRS_ALIGN_TOP, CSize(800, 90)), CRect(0, -2, 800, 88));
    EXPECT_EQ(StretchBarPlace(CBRS_ALIGN_BOTTOM, CSize(800, 90)), CRect(0, 3, 800, 93));
}

TEST(ScanNameFolder, TheBoxSplitsIntoFolderAndNameAndJoinsAgain) {
    EXPECT_EQ(SplitScanName("C:\\Scans\\OR001.tif").folder, "C:\\Scans");
    EXPECT_EQ(SplitScanName("C:\\Scans\\OR001.tif").file, "OR001.tif");
    EXPECT_EQ(SplitScanName("C:\\OR001.tif").folder, "C:\\") << "a drive's root keeps its backslash";
    EXPECT_EQ(SplitScanName("OR001.tif").folder, "") << "only a file name: no starting folder";
    EXPECT_EQ(SplitScanName("OR001.tif").file, "OR001.tif");
    EXPECT_EQ(SplitScanName("/home/u/OR001.tif").folder, "/home/u");
    EXPECT_EQ(JoinScanName("D:\\Pages", "OR001.tif"), "D:\\Pages\\OR001.tif");
    EXPECT_EQ(JoinScanName("D:\\", "OR001.tif"), "D:\\OR001.tif");
    EXPECT_EQ(JoinScanName("/", "a.tif"), "/a.tif");
}

CWinApp theSideBarsApp("SideBarsTests");

// What the folder browser showed in its folder box, and what is typed there.
struct BrowserVisit {
    std::vector<std::string> titles, shown;
    std::string typed;
};

void TypeScanFolder(CWnd* dialog, void* data) {
    auto* visit = static_cast<BrowserVisit*>(data);
    CString title, shown;
    dialog->GetWindowText(title);
    visit->titles.emplace_back(title.GetString());
    dialog->GetDlgItemText(IDC_BROWSE_FOLDER_EDIT, shown);
    visit->shown.emplace_back(shown.GetString());
    if (!visit->typed.empty()) dialog->SetDlgItemText(IDC_BROWSE_FOLDER_EDIT, visit->typed.c_str());
}

TEST(FileBar, TheFolderButtonBrowsesFromTheBoxsFolderAndKeepsTheName) {
    chrometest::Language language;
    ASSERT_TRUE(language.Loaded());
    const bool scripted = AfxTestScript::Enabled();
    AfxTestScript::Enable(true);
    AfxTestScript::Clear();
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/filebar-XXXXXX";
    const std::filesystem::path root = mkdtemp(pattern.data());
    auto* frame = new CFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, "File bar", WS_OVERLAPPEDWINDOW, CRect(0, 0, 400, 300)));
    CFileManagerBar bar;
    ASSERT_TRUE(bar.Create(frame, 1004));
    EXPECT_NE(bar.GetDlgItem(1007), nullptr) << "the scan-name box";
    EXPECT_NE(bar.GetDlgItem(1009), nullptr) << "the page list";
    // A new folder typed into the browser is made (after Yes) and taken.
    const std::string pages = suite::WindowsPath((root / "Pages").string());
    BrowserVisit visit{{}, {}, pages};
    bar.SetScanName(suite::WindowsPath(root.string()) + "\\OR001.tif");
    AfxTestScript::QueueDialogAction(TypeScanFolder, &visit);
    AfxTestScript::QueueAnswer(IDOK);
    AfxTestScript::QueueAnswer(IDYES);
    bar.SendMessage(WM_STRIPBUTTON, 0, 0);
    EXPECT_EQ(bar.ScanName(), pages + "\\OR001.tif");
    EXPECT_TRUE(std::filesystem::is_directory(root / "Pages"));
    // It opens on the box's folder; cancelled, nothing changes.
    visit.typed.clear();
    AfxTestScript::QueueDialogAction(TypeScanFolder, &visit);
    AfxTestScript::QueueAnswer(IDCANCEL);
    bar.SendMessage(WM_STRIPBUTTON, 0, 0);
    EXPECT_EQ(bar.ScanName(), pages + "\\OR001.tif");
    EXPECT_EQ(visit.shown, (std::vector<std::string>{suite::WindowsPath(root.string()), pages}));
    EXPECT_EQ(bar.SendMessage(WM_STRIPBUTTON, 0, 1), 1) << "other buttons: nothing, result 1";
    ASSERT_FALSE(visit.titles.empty());
    EXPECT_EQ(visit.titles.front(), suite::Utf8ToAnsi("浏览文件夹"));
    bar.DestroyWindow();
    frame->DestroyWindow();
    AfxPumpMessages();
    AfxTestScript::Clear();
    AfxTestScript::Enable(scripted);
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
}

TEST(SideDockBar, ItHoldsTheFileBarAtItsSizeAndTellsTheFrameOfADrag) {
    chrometest::Language language;
    auto* frame = new CFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, "Dock", WS_OVERLAPPEDWINDOW, CRect(0, 0, 800, 500)));
    auto* dock = new CMyContrlBar(CBRS_ALIGN_LEFT, 220, 64);
    dock->m_bAutoDelete = TRUE;
    ASSERT_TRUE(dock->Create(frame, WS_CHILD | WS_VISIBLE | CBRS_ALIGN_LEFT, AFX_IDW_DOCKBAR_LEFT));
    frame->EnableDocking(CBRS_ALIGN_ANY);
    CFileManagerBar bar;
    ASSERT_TRUE(bar.Create(frame, 1004));
    bar.EnableDocking(CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT);
    frame->DockControlBar(&bar, AFX_IDW_DOCKBAR_LEFT);
    bar.ShowWindow(SW_SHOW);
    frame->ShowWindow(SW_SHOW);
    frame->RecalcLayout();
    AfxPumpMessages();
    CRect dockRect, barRect;
    dock->GetWindowRect(&dockRect);
    bar.GetWindowRect(&barRect);
    EXPECT_EQ(dockRect.Width(), 220);
    EXPECT_EQ(barRect.Width(), 217) << "the dock bar's size less its edge";
    EXPECT_EQ(bar.Width(), 220);
    bar.SetWidth(300);
    AfxPumpMessages();
    dock->GetWindowRect(&dockRect);
    EXPECT_EQ(dockRect.Width(), 300);
    // A drag of the edge 40 pixels to the right.
    CRect client;
    dock->GetClientRect(&client);
    const int x = client.right - 2;
    dock->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 100));
    EXPECT_TRUE(dock->Edge().Tracking());
    dock->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + 40, 100));
    dock->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(x + 40, 100));
    EXPECT_EQ(dock->Size(), 340);
    AfxPumpMessages();
    dock->GetWindowRect(&dockRect);
    EXPECT_EQ(dockRect.Width(), 340);
    // With the file bar hidden the dock bar takes no room.
    frame->ShowControlBar(&bar, FALSE, FALSE);
    frame->RecalcLayout();
    dock->GetWindowRect(&dockRect);
    EXPECT_EQ(dockRect.Width(), 0);
    EXPECT_TRUE(dock->GetWidget() != nullptr);
    EXPECT_TRUE(frame->GrabToFile(chrometest::GrabPath("side_dock_bar.png").c_str()));
    bar.DestroyWindow();
    frame->DestroyWindow();
    AfxPumpMessages();
}

// The search bar alone (the frame never creates it).
class SearchHost : public CFrameWnd {};

TEST(SearchBar, TheEngineMenuOpensInsideTheScreenAndSwitchesTheEngine) {
    chrometest::Language language;
    const CRect atRightEdge(1000, 40, 1023, 62);
    EXPECT_EQ(CSearchToolBar::EnginePopupPoint(atRightEdge, 1024), CPoint(918, 62));
    EXPECT_EQ(CSearchToolBar::EnginePopupPoint(CRect(40, 40, 63, 62), 1024), CPoint(40, 62));
    auto* frame = new SearchHost;
    ASSERT_TRUE(frame->Create(nullptr, "Search", WS_OVERLAPPEDWINDOW, CRect(0, 0, 400, 200)));
    CSearchToolBar bar;
    ASSERT_TRUE(bar.Create(frame));
    const UINT ids[] = {ID_SEPARATOR, ID_SEPARATOR, 32916};
    bar.SetButtons(ids, 3);
    EXPECT_EQ(bar.Engine(), 0);
    AfxTestScript::Enable(true);
    AfxTestScript::Clear();
    AfxTestScript::QueueAnswer(ID_SEARCH_ENGINE_2);
    NMTOOLBARA note{};
    note.hdr.code = TBN_DROPDOWN;
    note.iItem = 32916;
    LRESULT result = -1;
    bar.OnDropDown(&note.hdr, &result);
    AfxPumpMessages();
    ASSERT_FALSE(AfxTestScript::Shown().empty());
    EXPECT_EQ(AfxTestScript::Shown().back().kind, "menu");
    EXPECT_EQ(AfxTestScript::Shown().back().buttons, (std::vector<std::string>{suite::Utf8ToAnsi("百度搜索"), suite::Utf8ToAnsi("Google搜索")}));
    EXPECT_EQ(bar.Engine(), 1);
    UINT id = 0, style = 0;
    int image = 0;
    bar.GetButtonInfo(2, id, style, image);
    EXPECT_EQ(image, 3);
    bar.SendMessage(WM_COMMAND, ID_SEARCH_ENGINE_1);
    EXPECT_EQ(bar.Engine(), 0);
    bar.GetButtonInfo(2, id, style, image);
    EXPECT_EQ(image, 2);
    AfxTestScript::Clear();
    AfxTestScript::Enable(false);
    bar.DestroyWindow();
    frame->DestroyWindow();
    AfxPumpMessages();
}

TEST(StatusProgress, TheDonePartIsNavyTheRestGreyAndThePercentWhite) {
    AfxWinInit();
    ProgressPane progress;
    ASSERT_TRUE(progress.Set(1, 10, 5, 100));
    Picture p(102, 20);
    const CRect inside(1, 1, 101, 19);
    PaintProgressPane(p.dc, inside, progress, "   5  /  10", 40);
    EXPECT_EQ(p.At(1, 2), RGB(0, 0, 128));
    EXPECT_EQ(p.At(35, 17), RGB(0, 0, 128));
    EXPECT_EQ(p.At(60, 2), RGB(128, 128, 128));
    EXPECT_EQ(p.At(100, 17), RGB(128, 128, 128));
    EXPECT_EQ(p.At(0, 0), RGB(1, 2, 3)) << "the pane's edge is left alone";
    EXPECT_EQ(p.At(101, 10), RGB(1, 2, 3)) << "nothing runs past the pane";
    int white = 0;
    for (int y = 1; y < 19; ++y)
        for (int x = 40; x < 101; ++x) white += p.At(x, y) == RGB(255, 255, 255);
    EXPECT_GT(white, 10) << "the percentage";
    // Past the end of the range the pane is full, never more.
    ASSERT_TRUE(progress.Set(0, 0, 7, 100));
    Picture full(102, 20);
    PaintProgressPane(full.dc, inside, progress, "", 40);
    EXPECT_EQ(full.At(100, 2), RGB(0, 0, 128));
    EXPECT_EQ(full.At(101, 2), RGB(1, 2, 3));
    // Without progress: the pane's own text on the face.
    progress.Clear();
    Picture idle(102, 20);
    PaintProgressPane(idle.dc, inside, progress, "   5  /  10", 40);
    EXPECT_EQ(idle.At(100, 2), GetSysColor(COLOR_BTNFACE));
    int black = 0;
    for (int y = 1; y < 19; ++y)
        for (int x = 1; x < 101; ++x) black += idle.At(x, y) == RGB(0, 0, 0);
    EXPECT_GT(black, 5);
}

}  // namespace
