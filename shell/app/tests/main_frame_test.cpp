// The main frame as the program starts it: the splitter with its hideable
// text row, the page list in the file bar, the trimmed menu, the status bar
// and its progress pane, and the shell services answered by the frame.
#include <gtest/gtest.h>

#include "shell/app/scribant_ids.h"
#include "shell/app/tests/scribant_fixture.h"
#include "shell/frame/main_frame.h"
#include "views/page_view/ocr_view.h"
#include "views/text/text_view.h"

namespace scribanttest {
namespace {

class MainFrame : public ScribantHome {
protected:
    void SetUp() override {
        ScribantHome::SetUp();
        ASSERT_TRUE(Start());
        frame = app_->MainFrame();
        ASSERT_NE(frame, nullptr);
    }
    CMainFrame* frame = nullptr;
    CHideSplitterWnd& splitter() { return frame->Splitter(); }
};

TEST_F(MainFrame, HidingTheTextRowKeepsThePageViewShown) {
    // The text view is hidden at start while the settings do not show it.
    ASSERT_TRUE(app_->IsSplitterColumnHidden());
    CWnd* top = splitter().GetPane(0, 0);
    ASSERT_NE(top, nullptr);
    EXPECT_TRUE(top->IsKindOf(RUNTIME_CLASS(COcrView)));
    EXPECT_TRUE(top->IsWindowVisible());
    EXPECT_EQ(splitter().GetRowCount(), 1);
    ASSERT_NE(app_->TextView(), nullptr);
    EXPECT_FALSE(app_->TextView()->IsWindowVisible());

    app_->ShowTextColumn();
    EXPECT_FALSE(app_->IsSplitterColumnHidden());
    EXPECT_EQ(splitter().GetRowCount(), 2);
    EXPECT_EQ(splitter().GetPane(0, 0), static_cast<CWnd*>(app_->TextView()));
    EXPECT_EQ(splitter().GetPane(1, 0), top);
    EXPECT_TRUE(app_->TextView()->IsWindowVisible());
    EXPECT_TRUE(top->IsWindowVisible());
    // Showing again does nothing.
    app_->ShowTextColumn();
    EXPECT_EQ(splitter().GetRowCount(), 2);

    app_->HideTextColumn();
    EXPECT_TRUE(app_->IsSplitterColumnHidden());
    EXPECT_EQ(splitter().GetPane(0, 0), top);
    EXPECT_TRUE(top->IsWindowVisible());
    EXPECT_FALSE(app_->TextView()->IsWindowVisible());
    // A second hide while one row is hidden changes nothing.
    app_->HideTextColumn();
    EXPECT_EQ(splitter().GetRowCount(), 1);
    EXPECT_EQ(splitter().GetPane(0, 0), top);
    EXPECT_TRUE(top->IsWindowVisible());
}

TEST_F(MainFrame, TheMenuLosesTheItemsTheProgramDoesNotOffer) {
    CMenu* menu = frame->GetMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->GetMenuItemCount(), 6u);
    CMenu* output = menu->GetSubMenu(3);
    ASSERT_EQ(output->GetMenuItemCount(), 2u);
    EXPECT_EQ(output->GetMenuItemID(0), 32827u);
    EXPECT_EQ(output->GetMenuItemID(1), 32889u);
    CMenu* view = menu->GetSubMenu(4);
    ASSERT_EQ(view->GetMenuItemCount(), 6u);
    for (UINT i = 0; i < 6; ++i) EXPECT_NE(view->GetMenuItemID(static_cast<int>(i)), 32920u);
    CMenu* help = menu->GetSubMenu(5);
    for (UINT i = 0; i < help->GetMenuItemCount(); ++i) {
        EXPECT_NE(help->GetMenuItemID(static_cast<int>(i)), 32912u);
        EXPECT_NE(help->GetMenuItemID(static_cast<int>(i)), 32928u);
    }
    EXPECT_EQ(help->GetMenuItemID(static_cast<int>(help->GetMenuItemCount()) - 1), 57664u);
}

TEST_F(MainFrame, PageListRowsAreFoundByNameAndAListedFileKeepsItsRow) {
    FileItemInfo a{"C:\\scans\\page*.tif", "简体", "自动", 0, "300"};
    FileItemInfo b{"C:\\scans\\page1.tif", "英文", "表格", 2, "600"};
    EXPECT_EQ(app_->PageListUpdateItem(a), 0);
    EXPECT_EQ(app_->PageListUpdateItem(b), 1);
    EXPECT_EQ(app_->PageListRowCount(), 2);
    // '*' is an ordinary character: it names only itself.
    EXPECT_EQ(app_->PageListFindItem("C:\\scans\\page?.tif"), -1);
    EXPECT_EQ(app_->PageListFindItem("C:\\scans\\page1.tif"), 1);
    EXPECT_EQ(app_->PageListCurrentRow(), 1);
    EXPECT_EQ(app_->PageListFindItem("C:\\scans\\page*.tif"), 0);
    EXPECT_EQ(app_->PageListSelectedRows(), std::vector<int>{0});
    EXPECT_EQ(app_->PageListItemText(1, kPageListResolution), "600");
    EXPECT_EQ(app_->PageListItemText(1, kPageListStatus), "2");
    EXPECT_EQ(app_->PageListItemText(5, kPageListPath), "");
    EXPECT_EQ(app_->PageListItemText(0, 9), "");
    // A listed file, in any letter case, is not listed again and its row stays as it is.
    app_->m_task.m_bJobModified = 0;
    b.status = 3;
    EXPECT_EQ(app_->PageListUpdateItem(b), -1);
    b.path = "c:\\SCANS\\Page1.TIF";
    EXPECT_EQ(app_->PageListUpdateItem(b), -1);
    EXPECT_EQ(app_->PageListRowCount(), 2);
    EXPECT_EQ(app_->PageListItemText(1, kPageListStatus), "2");
    EXPECT_EQ(app_->PageListFindItem("c:\\scans\\PAGE1.tif"), 1);
    EXPECT_FALSE(app_->m_task.m_bJobModified);
    // A new row marks the job modified.
    EXPECT_EQ(app_->PageListUpdateItem(FileItemInfo{"C:\\scans\\page2.tif", "简体", "自动", 0, "300"}), 2);
    EXPECT_TRUE(app_->m_task.m_bJobModified);
    app_->PageListDeleteAll();
    EXPECT_EQ(app_->PageListRowCount(), 0);
    EXPECT_EQ(app_->PageListCurrentRow(), -1);
}

TEST_F(MainFrame, StatusPanesAndProgress) {
    frame->MoveWindow(0, 0, 800, 600);
    frame->RecalcLayout();
    app_->SetStatusPaneText(kStatusLanguage, "简体");
    EXPECT_EQ(app_->StatusPaneText(kStatusLanguage), "简体");
    EXPECT_EQ(app_->StatusPaneText(12), "");
    app_->SetStatusPaneText(12, "nowhere");  // no such pane: nothing happens
    app_->DrawProgress(1, 4, 2);
    EXPECT_TRUE(frame->Progress().Active());
    EXPECT_GT(frame->Progress().Filled(), 0);
    app_->DrawProgress(5, 4, 4);  // an empty range draws nothing
    EXPECT_FALSE(frame->Progress().Active());
    app_->DrawProgress(0, 0, 7);  // past the end: the pane is full, no more
    CRect pane;
    frame->StatusBar().GetItemRect(1, &pane);
    EXPECT_LE(frame->Progress().Filled(), std::max(pane.Width(), 120));
    const CPoint inPane(pane.left + 4, pane.top + pane.Height() / 2);
    auto pixel = [&] {
        CDC* dc = frame->StatusBar().GetDC();
        const COLORREF c = dc ? dc->GetPixel(inPane) : CLR_INVALID;
        frame->StatusBar().ReleaseDC(dc);
        return c;
    };
    EXPECT_EQ(pixel(), RGB(0, 0, 128));
    // Cleared: an empty grey bar at once, though the pane's text is the same.
    app_->SetStatusPaneText(kStatusCounter, "   1  /  3");
    app_->ClearProgress();
    EXPECT_TRUE(frame->Progress().Active());
    EXPECT_EQ(pixel(), RGB(128, 128, 128));
    // Refreshed when the work ends: the bar goes and the counter shows again.
    app_->DrawProgress(1, 4, 4);
    app_->RefreshProgress();
    EXPECT_FALSE(frame->Progress().Active());
    EXPECT_NE(pixel(), RGB(0, 0, 128));
    EXPECT_NE(pixel(), RGB(128, 128, 128));
    EXPECT_EQ(app_->StatusPaneText(kStatusCounter), "   1  /  3");
}

TEST_F(MainFrame, EachStatusPaneHoldsTheWidestTextItShows) {
    frame->MoveWindow(0, 0, 1280, 700);
    frame->RecalcLayout();
    CStatusBar& bar = frame->StatusBar();
    CClientDC dc(&bar);
    CFont* font = bar.GetFont();
    CFont* old = font ? dc.SelectObject(font) : nullptr;
    auto fits = [&](int pane, const char* text) {
        CRect rect;
        bar.GetItemRect(pane, &rect);
        return dc.GetTextExtent(text).cx <= rect.Width();
    };
    // The caret's line and column (GBK " 行 %5d 列 %3d"), the page counter,
    // the page's language, type and resolution, the insert mode.
    EXPECT_TRUE(fits(5, " \xD0\xD0 99999 \xC1\xD0 999"));
    EXPECT_TRUE(fits(kStatusCounter, " 99999  /  99999"));
    EXPECT_TRUE(fits(kStatusLanguage, "\xBC\xF2\xCC\xE5"));
    EXPECT_TRUE(fits(kStatusType, "\xD7\xD4\xB6\xAF"));
    EXPECT_TRUE(fits(kStatusResolution, "1200"));
    CString insert, overwrite;
    insert.LoadString(61451);
    overwrite.LoadString(61452);
    EXPECT_TRUE(fits(CAdStatusBar::kInsertPane, insert.GetString()));
    EXPECT_TRUE(fits(CAdStatusBar::kInsertPane, overwrite.GetString()));
    // Four blanks and five: the last pane is the wider of the two empty ones.
    CRect seventh, eighth;
    bar.GetItemRect(7, &seventh);
    bar.GetItemRect(8, &eighth);
    EXPECT_LT(seventh.Width(), eighth.Width());
    if (old) dc.SelectObject(old);
}

TEST_F(MainFrame, TheScanNameBoxStartsWithTheStoredNameAndKeepsItAtClose) {
    EXPECT_EQ(app_->ScanName(), app_->m_settings.newFileName);
    app_->SetScanName("c:\\scans\\page007.tif");
    EXPECT_TRUE(app_->SaveWorkState());
    EXPECT_EQ(app_->m_settings.newFileName, "c:\\scans\\page007.tif");
}

}  // namespace
}  // namespace scribanttest
