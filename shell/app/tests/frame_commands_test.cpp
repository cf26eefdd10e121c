// The main frame's own commands through the command routing: the text
// window, the three layouts, the file bar toggle, the insert mode, the
// scanner's state, the title; and a grab of the started window.
#include <gtest/gtest.h>

#include <QTextDocument>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include <cstring>

#include "ocrdoc/document/ocr_doc.h"
#include "ocrdoc/document/tests/pipeline_fixtures.h"
#include "ocrdoc/regions/region_geometry.h"
#include "outside/include/pendril20.h"
#include "outside/tests/pages.h"
#include "platform/afx/ui/testing.h"
#include "platform/win/memory.h"
#include "platform/win/path.h"
#include "shell/app/scribant_commands.h"
#include "shell/app/scribant_ids.h"
#include "shell/app/tests/scribant_fixture.h"
#include "shell/batch/dlg_batch_recog.h"
#include "shell/frame/main_frame.h"
#include "imaging/tests/dib_builder.h"
#include "views/dialogs/dlg_brightness.h"
#include "views/page_view/ocr_view.h"
#include "views/text/text_view.h"
#include "views/page_view/page_view_ids.h"

namespace scribanttest {
namespace {

class FrameCommands : public ScribantHome {
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
    // Whether a command is enabled and checked, asked as a menu would.
    std::pair<bool, int> state(UINT id) {
        struct Probe : CCmdUI {
            bool enabled = true;
            int checked = 0;
            void Enable(BOOL on) override { enabled = on != FALSE; }
            void SetCheck(int check) override { checked = check; }
            void SetText(LPCTSTR) override {}
        } probe;
        probe.m_nID = id;
        probe.DoUpdate(frame, TRUE);
        return {probe.enabled, probe.checked};
    }
    // Writes the plane as the image file `path` and opens it from the page list.
    void OpenTestPage(const testpages::Plane& plane, const std::string& path) {
        {
            COcrDoc writer;
            writer.m_bAutoDelete = FALSE;
            writer.m_pImage = new CPageImage;
            writer.m_pImage->m_nWidth = plane.width;
            writer.m_pImage->m_nHeight = plane.height;
            writer.m_pImage->m_nBitCount = 1;
            ASSERT_TRUE(writer.m_pImage->AllocBits(writer.m_pImage->PlaneBytes()));
            std::memcpy(GlobalLock(writer.m_pImage->m_hBits), plane.bits.data(), plane.bits.size());
            GlobalUnlock(writer.m_pImage->m_hBits);
            ASSERT_TRUE(writer.WriteImageFile(path.c_str(), TRUE));
        }
        // The writer registered itself as the open document while it lived.
        app_->SetCurrentDocument(static_cast<COcrDoc*>(frame->GetActiveDocument()));
        ASSERT_TRUE(app_->OpenImagePath(path));
        ASSERT_TRUE(PumpUntil([&] {
            COcrDoc* doc = static_cast<COcrDoc*>(app_->CurrentDocument());
            return doc && doc->m_pImage && app_->CurrentDocumentPath() == path;
        }, 20000)) << "path '" << app_->CurrentDocumentPath() << "' want '" << path << "' rows " << app_->PageListRowCount();
    }
    CMainFrame* frame = nullptr;
};

TEST_F(FrameCommands, TheTextWindowCommandFlipsTheSettingAndTheRow) {
    ASSERT_TRUE(app_->IsSplitterColumnHidden());
    EXPECT_EQ(state(32830).second, 0);
    command(32830);
    EXPECT_FALSE(app_->IsSplitterColumnHidden());
    EXPECT_TRUE(app_->m_settings.viewText);
    EXPECT_EQ(state(32830).second, 1);
    command(32830);
    EXPECT_TRUE(app_->IsSplitterColumnHidden());
    EXPECT_FALSE(app_->m_settings.viewText);
}

TEST_F(FrameCommands, LayoutsCoverHideOrShowThePageList) {
    EXPECT_EQ(frame->ViewsShown(), 1);
    command(32817);  // the page list only
    EXPECT_EQ(frame->ViewsShown(), 0);
    EXPECT_TRUE(frame->FileBar().IsWindowVisible());
    EXPECT_EQ(state(32817).second, 1);
    EXPECT_EQ(state(32818).second, 0);
    command(32819);  // the views only
    EXPECT_EQ(frame->ViewsShown(), 2);
    EXPECT_FALSE(frame->FileBar().IsWindowVisible());
    EXPECT_EQ(state(32819).second, 1);
    command(32818);  // every pane again, at the stored width
    EXPECT_EQ(frame->ViewsShown(), 1);
    EXPECT_TRUE(frame->FileBar().IsWindowVisible());
    EXPECT_EQ(frame->FileBar().Width(), app_->m_settings.ocrBarHeight);
    // The bar toggle: off gives the views only, on with a covering bar the list only.
    command(32817);
    command(32829);
    EXPECT_EQ(frame->ViewsShown(), 2);
    EXPECT_FALSE(frame->FileBar().IsWindowVisible());
    command(32829);
    EXPECT_EQ(frame->ViewsShown(), 0);
    EXPECT_TRUE(frame->FileBar().IsWindowVisible());
}

TEST_F(FrameCommands, InsertModeStartsOffAndTheScannerStateDisablesScanning) {
    EXPECT_FALSE(app_->IsInsertMode());
    command(32772);
    EXPECT_TRUE(app_->IsInsertMode());
    CString insert;
    insert.LoadString(61451);
    EXPECT_EQ(app_->StatusPaneText(6), std::string(insert.GetString()));
    EXPECT_TRUE(state(32773).first);
    frame->SendMessage(WM_SCANSTATE, 1, 0);
    EXPECT_FALSE(state(32773).first);
    EXPECT_FALSE(state(32774).first);
    frame->SendMessage(WM_SCANSTATE, 0, 0);
    EXPECT_TRUE(state(32773).first);
}

std::string windowTitle(CWnd* wnd) {
    CString title;
    wnd->GetWindowText(title);
    return title.GetString();
}

TEST_F(FrameCommands, TheTitleNamesTheJobAndPageByFileName) {
    frame->OnUpdateFrameTitle(TRUE);
    EXPECT_EQ(windowTitle(frame), "Scribant - Default Task");
    // A saved job shows its file name and extension, not its folder.
    app_->m_task.m_strName = "C:\\jobs\\letters.ocr";
    frame->OnUpdateFrameTitle(TRUE);
    EXPECT_EQ(windowTitle(frame), "Scribant - letters.ocr");
    app_->m_task.m_strName = "Default Task";

    // The document titles itself "[full path]"; the frame shows the page's
    // name, and a folder name whose trail byte is a backslash is no cut.
    CDocument* doc = frame->GetActiveDocument();
    ASSERT_NE(doc, nullptr);
    doc->SetPathName((suite::WindowsPath(Data().string()) + "\\IMAGE\\OR001.tif").c_str(), FALSE);
    EXPECT_EQ(windowTitle(frame), "Scribant - Default Task - OR001.tif");
    doc->SetPathName("C:\\\x95\\\\[1].tif", FALSE);
    EXPECT_EQ(windowTitle(frame), "Scribant - Default Task - [1].tif");
    // The placeholder leaves no page: the page part goes.
    doc->SetPathName(kPlaceholderPath, FALSE);
    EXPECT_EQ(windowTitle(frame), "Scribant - Default Task");
}

// The work keys as the frame translates them: the table holds each key of
// the menus, a key of a disabled command sends nothing, F8 on two selected
// rows opens the batch window and Insert flips the insert mode.
TEST_F(FrameCommands, TheWorkKeysReachTheirCommands) {
    const int count = CopyAcceleratorTable(frame->m_hAccelTable, nullptr, 0);
    ASSERT_GT(count, 0);
    std::vector<ACCEL> keys(static_cast<std::size_t>(count));
    CopyAcceleratorTable(frame->m_hAccelTable, keys.data(), count);
    auto command = [&](BYTE modifiers, WORD key) {
        for (const ACCEL& a : keys)
            if (a.key == key && (a.fVirt & (FSHIFT | FCONTROL | FALT)) == modifiers) return static_cast<int>(a.cmd);
        return 0;
    };
    EXPECT_EQ(command(0, VK_F5), 32793);
    EXPECT_EQ(command(0, VK_F8), 32794);
    EXPECT_EQ(command(FCONTROL, VK_DELETE), 32795);
    EXPECT_EQ(command(FCONTROL, VK_NEXT), 32859);
    EXPECT_EQ(command(FCONTROL, VK_PRIOR), 32858);
    EXPECT_EQ(command(0, VK_TAB), 32833);
    EXPECT_EQ(command(0, VK_INSERT), 32772);

    auto press = [&](WORD key) {
        MSG msg{};
        msg.hwnd = frame->GetSafeHwnd();
        msg.message = WM_KEYDOWN;
        msg.wParam = key;
        return frame->PreTranslateMessage(&msg) != FALSE;
    };
    AfxTestScript::Clear();
    press(VK_F8);
    EXPECT_TRUE(AfxTestScript::Shown().empty()) << "no page listed: recognition is disabled";
    for (const char* name : {"a.tif", "b.tif", "c.tif"})
        ASSERT_TRUE(app_->m_task.AddImageToList(suite::WindowsPath((Data() / "IMAGE" / name).string()), 0));
    CFileListCtrl& list = frame->PageList();
    for (int row : {0, 1}) list.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_TRUE(press(VK_F8));
    bool batch = false;
    for (const AfxShownRecord& shown : AfxTestScript::Shown())
        batch = batch || (shown.kind == "dialog" && shown.type == IDD_BATCH_COUNTER);
    EXPECT_TRUE(batch) << "two selected rows go to the batch window";
    EXPECT_FALSE(app_->IsInsertMode());
    EXPECT_TRUE(press(VK_INSERT));
    EXPECT_TRUE(app_->IsInsertMode());
}

TEST_F(FrameCommands, WorkCommandsAreDisabledWithoutImages) {
    for (UINT id : {32794u, 32793u, 32795u, 32859u, 32858u, 32857u, 32827u, 32894u, 32908u})
        EXPECT_FALSE(state(id).first) << id;
    EXPECT_TRUE(state(32828).first);
}

TEST_F(FrameCommands, APageOpensFromTheListAndTheWindowIsGrabbed) {
    testpages::ensureGui();
    testpages::Page test = testpages::textPage(testpages::simplifiedText(3, 2), 1200, 900, testpages::Style{40});
    const std::string path = suite::WindowsPath((Data() / "IMAGE" / "OR001.tif").string());
    OpenTestPage(test.plane, path);
    if (HasFatalFailure()) return;
    EXPECT_EQ(app_->PageListRowCount(), 1);
    EXPECT_EQ(app_->PageListCurrentRow(), 0);
    EXPECT_FALSE(app_->StatusPaneText(kStatusCounter).empty());
    EXPECT_EQ(windowTitle(frame), "Scribant - Default Task - OR001.tif");
    command(32830);
    for (int i = 0; i < 20; ++i) AfxPumpMessages();
    const char* keep = std::getenv("SCRIBANT_GRAB_DIR");
    const std::string grab = keep && *keep ? std::string(keep) + "/scribant_page_open.png"
                                           : (root_ / "scribant_page_open.png").string();
    ASSERT_TRUE(frame->GrabToFile(grab.c_str()));
    std::ifstream png(grab, std::ios::binary | std::ios::ate);
    EXPECT_GT(static_cast<long>(png.tellg()), 1000L);
}

// The page list of the running window: a click on a row opens its page, the
// rows show file names under grid lines, and the column dividers stay put.
TEST_F(FrameCommands, AClickedRowOpensItsPageAndTheDividersStayFixed) {
    testpages::ensureGui();
    std::vector<std::string> paths;
    for (const char* name : {"OR001.tif", "OR002.tif", "OR003.tif"}) {
        paths.push_back(suite::WindowsPath((Data() / "IMAGE" / name).string()));
        OpenTestPage(BlankPlane(300 + 100 * static_cast<int>(paths.size()), 200), paths.back());
        if (HasFatalFailure()) return;
    }
    CFileListCtrl& list = frame->PageList();
    ASSERT_EQ(list.GetItemCount(), 3);
    EXPECT_EQ(list.GetDlgCtrlID(), 1009);
    CRect row;
    ASSERT_TRUE(list.GetItemRect(0, &row, LVIR_BOUNDS));
    AfxTestClick(&list, CPoint(row.left + 10, row.CenterPoint().y));
    ASSERT_TRUE(PumpUntil([&] { return app_->CurrentDocumentPath() == paths[0]; }, 20000))
        << "open: " << app_->CurrentDocumentPath();
    EXPECT_EQ(list.SelectedRows(), std::vector<int>{0});
    EXPECT_EQ(app_->StatusPaneText(kStatusCounter).find("1  /  3") != std::string::npos, true)
        << app_->StatusPaneText(kStatusCounter);

    // Dragging the divider after the language column would pull the hidden
    // columns open; dragging the first one would change the layout's widths.
    CHeaderCtrl* header = list.GetHeaderCtrl();
    ASSERT_NE(header, nullptr);
    std::vector<int> widths;
    for (int c = 0; c < kPageListColumns; ++c) widths.push_back(list.GetColumnWidth(c));
    for (int column : {0, 1}) {
        CRect cell;
        ASSERT_TRUE(header->GetItemRect(column, &cell));
        AfxTestMouse(header, WM_LBUTTONDOWN, CPoint(cell.right, cell.CenterPoint().y));
        AfxTestMouse(header, WM_MOUSEMOVE, CPoint(cell.right - 40, cell.CenterPoint().y), MK_LBUTTON);
        AfxTestMouse(header, WM_LBUTTONUP, CPoint(cell.right - 40, cell.CenterPoint().y));
        AfxTestMouse(header, WM_LBUTTONDBLCLK, CPoint(cell.right, cell.CenterPoint().y));
    }
    for (int c = 0; c < kPageListColumns; ++c) EXPECT_EQ(list.GetColumnWidth(c), widths[static_cast<std::size_t>(c)]) << c;

    // Row 2 selected; the picture of the list holds file names only, grid lines between the rows.
    list.SetFocus();
    list.SelectItem(1);
    for (int i = 0; i < 10; ++i) AfxPumpMessages();
    const char* keep = std::getenv("SCRIBANT_GRAB_DIR");
    const std::string grab = keep && *keep ? std::string(keep) + "/scribant_page_list.png"
                                           : (root_ / "scribant_page_list.png").string();
    ASSERT_TRUE(list.GrabToFile(grab.c_str()));
    std::ifstream png(grab, std::ios::binary | std::ios::ate);
    EXPECT_GT(static_cast<long>(png.tellg()), 500L);
}

// A right click on a region of the page view selects it and offers the page
// commands, the region kinds and the learning commands; the chosen kind
// replaces the region.
TEST_F(FrameCommands, ARightClickOnARegionOffersItsKindsAndTheChosenOneIsTaken) {
    OpenTestPage(BlankPlane(400, 300), suite::WindowsPath((Data() / "IMAGE" / "kinds.tif").string()));
    if (HasFatalFailure()) return;
    auto* doc = static_cast<COcrDoc*>(app_->CurrentDocument());
    CPageRegion* tree = doc->m_pPageRegion;
    ASSERT_NE(tree->AddRegion(RECT{20, 30, 210, 70}, kRegionHorizontal), nullptr);
    ASSERT_NE(tree->AddRegion(RECT{20, 100, 210, 140}, kRegionHorizontal), nullptr);
    tree->Select(0);
    auto* view = static_cast<COcrView*>(frame->Splitter().GetPane(0, 0));
    for (int i = 0; i < 5; ++i) AfxPumpMessages();
    const POINT at = view->Controller().PageToClient(POINT{100, 120});
    const auto menuShown = [] {
        for (const AfxShownRecord& shown : AfxTestScript::Shown())
            if (shown.kind == "menu") return true;
        return false;
    };
    // A right double-click zooms out and brings up no menu.
    view->SetZoom(256);
    const WORD zoom = view->Controller().Zoom();
    AfxTestScript::Clear();
    AfxTestMouse(view, WM_RBUTTONDOWN, at);
    AfxTestMouse(view, WM_RBUTTONUP, at);
    AfxTestMouse(view, WM_RBUTTONDBLCLK, at);
    AfxTestMouse(view, WM_RBUTTONUP, at);
    EXPECT_FALSE(PumpUntil(menuShown, static_cast<int>(::GetDoubleClickTime()) + 300));
    EXPECT_LT(view->Controller().Zoom(), zoom);

    AfxTestScript::Clear();
    AfxTestScript::QueueAnswer(ID_REGION_TABLE);
    AfxTestMouse(view, WM_RBUTTONDOWN, at);
    AfxTestMouse(view, WM_RBUTTONUP, at);
    ASSERT_TRUE(PumpUntil(menuShown, 5000));
    std::vector<std::string> items;  // owner-drawn: their texts are the menu manager's
    int chosen = 0;
    for (const AfxShownRecord& shown : AfxTestScript::Shown())
        if (shown.kind == "menu") items = shown.buttons, chosen = shown.result;
    // The image and layout commands, then the five kinds and the two learning commands, each group apart.
    EXPECT_EQ(items.size(), 18u);
    EXPECT_EQ(chosen, ID_REGION_TABLE);
    ASSERT_EQ(tree->GetChildCount(), 2);
    EXPECT_EQ(tree->GetChild(0)->m_nFlags, kRegionHorizontal) << "the region not clicked keeps its kind";
    EXPECT_EQ(tree->GetChild(1)->m_nFlags, kRegionTable);
    if (const char* keep = std::getenv("SCRIBANT_GRAB_DIR"); keep && *keep) {
        CMenu menu;
        ASSERT_TRUE(menu.LoadMenu(IDR_PAGE_CONTEXT_MENU));
        EXPECT_TRUE(AfxTestGrabPopupMenu(menu.GetSubMenu(0), frame, (std::string(keep) + "/scribant_page_menu.png").c_str()));
    }
}

// Regions drawn by hand on an English page in the running window: the one
// drawn after recognition is read last, as its number says, in the text view
// and in the export alike; clicks in the margin, shaky or not, neither ask
// nor change the layout.
TEST_F(FrameCommands, AHandDrawnRegionIsReadAtItsPlaceAndMarginClicksChangeNothing) {
    testpages::ensureGui();
    app_->m_settings.langCode = 2;  // rows are English pages
    static const char* const kLines[3] = {"Walnut Lantern Canyon", "Violin Pebble Meadow", "Copper Ribbon Tunnel"};
    const testpages::Page page = testpages::textPage({kLines[0], kLines[1], kLines[2]}, 1400, 700, testpages::Style{44});
    ASSERT_EQ(page.blocks.size(), 3u);
    // Each line with a little white round it.
    const auto band = [&](int i) {
        const testpages::Rect b = page.blocks[static_cast<std::size_t>(i)].rect;
        return RECT{b.left - 16, b.top - 16, b.right + 16, b.bottom + 16};
    };
    OpenTestPage(page.plane, suite::WindowsPath((Data() / "IMAGE" / "drawn.tif").string()));
    if (HasFatalFailure()) return;
    auto* doc = static_cast<COcrDoc*>(app_->CurrentDocument());
    auto* view = static_cast<COcrView*>(frame->Splitter().GetPane(0, 0));
    view->SetZoom(64);
    for (int i = 0; i < 5; ++i) AfxPumpMessages();
    const auto drag = [&](RECT page) {
        const POINT from = view->Controller().PageToClient(POINT{page.left, page.top});
        const POINT to = view->Controller().PageToClient(POINT{page.right, page.bottom});
        AfxTestMouse(view, WM_LBUTTONDOWN, from);
        AfxTestMouse(view, WM_MOUSEMOVE, to, MK_LBUTTON);
        AfxTestMouse(view, WM_LBUTTONUP, to);
        AfxPumpMessages();
    };
    const auto questions = [] {
        int n = 0;
        for (const AfxShownRecord& shown : AfxTestScript::Shown()) n += shown.kind == "message";
        return n;
    };
    // The first and the last band by hand, then recognised.
    drag(band(0));
    drag(band(2));
    ASSERT_EQ(doc->m_pPageRegion->GetChildCount(), 2);
    view->SendMessage(WM_COMMAND, ID_DOC_RECOGNIZE, 0);
    ASSERT_TRUE(doc->m_bHasResult);

    // Clicks and jitters in the margin keep the text and the regions.
    AfxTestScript::Clear();
    AfxTestScript::QueueAnswer(IDYES);
    std::vector<RECT> before;
    for (int i = 0; i < doc->m_pPageRegion->GetChildCount(); ++i) before.push_back(doc->m_pPageRegion->GetChild(i)->Rect());
    for (const RECT& jitter : {RECT{8, 8, 8, 8}, RECT{8, 8, 20, 20}, RECT{700, 560, 712, 568}, RECT{8, 600, 16, 608}}) {
        drag(jitter);
        EXPECT_EQ(questions(), 0) << jitter.left << "," << jitter.top;
        ASSERT_EQ(doc->m_pPageRegion->GetChildCount(), static_cast<int>(before.size()));
        for (std::size_t i = 0; i < before.size(); ++i)
            EXPECT_TRUE(RectsEqual(doc->m_pPageRegion->GetChild(static_cast<int>(i))->Rect(), before[i])) << i;
        EXPECT_TRUE(doc->m_bHasResult);
    }

    // The middle band drawn now asks, comes third and is read third.
    AfxTestScript::Clear();
    AfxTestScript::QueueAnswer(IDYES);
    drag(band(1));
    EXPECT_EQ(questions(), 1);
    ASSERT_EQ(doc->m_pPageRegion->GetChildCount(), 3);
    EXPECT_GT(doc->m_pPageRegion->GetChild(2)->top, band(1).top);
    command(ID_RECOG_START);
    for (int i = 0; i < 5; ++i) AfxPumpMessages();
    ASSERT_TRUE(doc->m_bHasResult);
    if (app_->IsSplitterColumnHidden()) command(32830);
    CTextView* text = app_->TextView();
    ASSERT_NE(text, nullptr);
    if (const char* keep = std::getenv("SCRIBANT_GRAB_DIR"); keep && *keep) {
        for (int i = 0; i < 5; ++i) AfxPumpMessages();
        EXPECT_TRUE(frame->GrabToFile((std::string(keep) + "/scribant_drawn_region.png").c_str()));
    }
    std::string shown;
    for (int row = 0; row < text->Controller().LineCount(); ++row) {
        for (const TextLineUnit& unit : text->Controller().FetchLine(row).units)
            shown.append(reinterpret_cast<const char*>(unit.bytes), static_cast<std::size_t>(unit.width));
        shown += '\n';
    }
    const std::size_t first = shown.find("Walnut"), last = shown.find("Copper"), drawn = shown.find("Violin");
    ASSERT_NE(first, std::string::npos) << shown;
    ASSERT_NE(last, std::string::npos) << shown;
    ASSERT_NE(drawn, std::string::npos) << "the drawn region's text is in the text view: " << shown;
    EXPECT_LT(first, last) << shown;
    EXPECT_LT(last, drawn) << "read in the order of the numbers: " << shown;

    // The export holds the same text in the same order.
    const fs::path out = root_ / "drawn.htm";
    AfxTestScript::QueueFile(out.string());
    command(ID_OUTPUT_TO_FORMAT);
    QTextDocument html;
    std::ifstream in(out, std::ios::binary);
    html.setHtml(QString::fromLocal8Bit(std::string(std::istreambuf_iterator<char>(in), {})));
    const std::string exported = html.toPlainText().toStdString();
    const std::size_t e1 = exported.find("Walnut"), e3 = exported.find("Copper"), e2 = exported.find("Violin");
    ASSERT_TRUE(e1 != std::string::npos && e2 != std::string::npos && e3 != std::string::npos) << exported;
    EXPECT_LT(e1, e3) << exported;
    EXPECT_LT(e3, e2) << exported;
}

void SetThreshold200(CWnd* dialog, void*) { dialog->SetDlgItemText(IDC_BRIGHTNESS_VALUE, "200"); }

// The tools menu's brightness dialog makes a grey page's black-and-white
// plane again at the threshold the user sets.
TEST_F(FrameCommands, TheBrightnessDialogRemakesAGreyPagesPlaneAtTheChosenThreshold) {
    const std::string path = suite::WindowsPath((Data() / "IMAGE" / "grey.bmp").string());
    {
        COcrDoc writer;
        writer.m_bAutoDelete = FALSE;
        writer.m_pImage = new CPageImage;
        // A ramp from black at the left to white at the right.
        ASSERT_EQ(writer.m_pImage->AttachDib(GreyDib(256, 64, [](int x, int) { return x; }).Make()), 0);
        ASSERT_TRUE(writer.WriteImageFile(path.c_str(), TRUE));
    }
    app_->SetCurrentDocument(static_cast<COcrDoc*>(frame->GetActiveDocument()));
    ASSERT_TRUE(app_->OpenImagePath(path));
    ASSERT_TRUE(PumpUntil([&] {
        auto* doc = static_cast<COcrDoc*>(app_->CurrentDocument());
        return doc && doc->m_pImage && doc->m_pImage->m_nBitCount == 8 && app_->CurrentDocumentPath() == path;
    }, 20000));
    auto* doc = static_cast<COcrDoc*>(app_->CurrentDocument());
    auto blackPixels = [&] {
        CPageImage* image = doc->m_pImage;
        const auto* bits = static_cast<const BYTE*>(GlobalLock(image->m_hBits));
        int count = 0;
        for (int y = 0; y < image->m_nHeight; ++y)
            for (int x = 0; x < image->m_nWidth; ++x)
                count += (bits[static_cast<std::size_t>(y) * image->RowBytes() + static_cast<std::size_t>(x / 8)] >> (7 - x % 8)) & 1;
        GlobalUnlock(image->m_hBits);
        return count;
    };
    ASSERT_TRUE(state(ID_IMAGE_BRIGHTNESS).first);
    AfxTestScript::Clear();
    AfxTestScript::QueueDialogAction(SetThreshold200, nullptr);
    AfxTestScript::QueueAnswer(IDOK);
    command(ID_IMAGE_BRIGHTNESS);
    bool shown = false;
    for (const AfxShownRecord& r : AfxTestScript::Shown()) shown = shown || (r.kind == "dialog" && r.type == 139);
    EXPECT_TRUE(shown);
    EXPECT_EQ(blackPixels(), 200 * 64) << "levels below 200 are black";
    EXPECT_TRUE(doc->IsModified());
    // Cancelled, the plane stays.
    AfxTestScript::QueueAnswer(IDCANCEL);
    command(ID_IMAGE_BRIGHTNESS);
    EXPECT_EQ(blackPixels(), 200 * 64);
}

// An English engine that reads for as long as the test's commands take: it
// pumps the program's messages (as the engine's callback does) and then
// answers "Hi" in each block it was given.
struct PumpingEnglishEngine {
    std::function<void(PENDRIL20_PUMP_CALLBACK)> whileReading;
    int calls = 0;
    EnglishHiAnswer hi;
};
PumpingEnglishEngine g_pumping;

_regioninfoeng* PumpingRecog(unsigned char*, short, short, _recblockeng* blocks, PENDRIL20_PROGRESS_CALLBACK,
                             PENDRIL20_PUMP_CALLBACK pump) {
    ++g_pumping.calls;
    if (g_pumping.whileReading) g_pumping.whileReading(pump);
    std::size_t n = 0;
    for (_recblockeng* b = blocks; b; b = b->next) ++n;
    return g_pumping.hi.Make(n);
}
void PumpingFree(_regioninfoeng*) {}

// Every command and mouse tool that changes the page, reached from inside a
// running recognition (the engine pumps the program's messages while it
// reads the page's regions): each is shown disabled and changes nothing,
// the window does not close, and the engine's answer lands on the regions it
// was given. Once the run has ended the commands are enabled again.
TEST_F(FrameCommands, ARunningRecognitionHoldsThePageAgainstEveryCommandAndTool) {
    g_pumping = PumpingEnglishEngine{};
    CScopedEntry recog(PENDRIL20_DLL, "OR_PENDRIL20_RECOGIMG_ENGSTR", &PumpingRecog);
    CScopedEntry release(PENDRIL20_DLL, "OR_PENDRIL20_FREERGNINFO_ENGSTR", &PumpingFree);
    app_->m_settings.langCode = 2;  // rows are English pages
    testpages::Plane plane = BlankPlane(400, 300);
    for (int y = 40; y < 60; ++y)
        for (int x = 30; x < 200; ++x) plane.bits[static_cast<std::size_t>(y * plane.stride() + x / 8)] |= 0x80 >> (x % 8);
    const std::string path = suite::WindowsPath((Data() / "IMAGE" / "hold.tif").string());
    OpenTestPage(plane, path);
    if (HasFatalFailure()) return;
    ASSERT_TRUE(app_->m_task.AddImageToList(suite::WindowsPath((Data() / "IMAGE" / "other.tif").string()), 0));
    auto* doc = static_cast<COcrDoc*>(app_->CurrentDocument());
    auto* view = static_cast<COcrView*>(frame->Splitter().GetPane(0, 0));
    ASSERT_NE(view, nullptr);
    // Two text columns inside a page rectangle that leaves a margin out (so
    // that crop would be offered), the first selected; the image edited (so
    // that restore would be).
    CPageRegion* tree = doc->m_pPageRegion;
    ASSERT_TRUE(tree->ResizeWithin(RECT{5, 5, 390, 290}, RECT{0, 0, 400, 300}));
    CLayoutRegion* first = tree->AddRegion(RECT{20, 30, 210, 70}, kRegionHorizontal);
    CLayoutRegion* second = tree->AddRegion(RECT{20, 100, 210, 140}, kRegionHorizontal);
    ASSERT_TRUE(first && second);
    tree->Select(0);
    doc->SetModifiedFlag(TRUE);
    CPageImage* image = doc->m_pImage;
    const std::vector<BYTE> pixels(static_cast<const BYTE*>(GlobalLock(image->m_hBits)),
                                   static_cast<const BYTE*>(GlobalLock(image->m_hBits)) + image->PlaneBytes());
    GlobalUnlock(image->m_hBits);
    GlobalUnlock(image->m_hBits);
    // A bitmap on the clipboard for paste.
    HGLOBAL dib = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(BITMAPINFOHEADER) + 8 + 4 * 8);
    auto* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(dib));
    *header = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), 8, 8, 1, 1, 0, 0, 0, 0, 2, 0};
    GlobalUnlock(dib);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(CF_DIB, dib);
    CloseClipboard();

    const std::vector<UINT> viewCommands = {ID_IMAGE_INVERT,      ID_IMAGE_ROTATE_LEFT,   ID_IMAGE_ROTATE_RIGHT,
                                            ID_IMAGE_RESIZE,      ID_IMAGE_AUTO_DESKEW,   ID_IMAGE_MANUAL_DESKEW,
                                            ID_IMAGE_RESTORE,     ID_EDIT_CUT,            ID_EDIT_PASTE,
                                            ID_DOC_CLEAR_LAYOUT,  ID_DOC_LAYOUT,          ID_DOC_RECOGNIZE,
                                            ID_REGION_IMAGE,      ID_REGION_CANCEL,       ID_PAGE_SEGMENT};
    const std::vector<UINT> frameCommands = {ID_RECOG_CANCEL_LAYOUT, ID_RECOG_LAYOUT, ID_RECOG_START, ID_PAGE_NEXT};
    std::vector<UINT> enabledDuring;
    g_pumping.whileReading = [&](PENDRIL20_PUMP_CALLBACK pump) {
        ASSERT_TRUE(doc->IsPageHeld());
        for (UINT id : viewCommands)
            if (state(id).first) enabledDuring.push_back(id);
        // Ctrl+Del with several rows selected asks, then drops their layouts.
        CFileListCtrl& list = frame->PageList();
        for (int row : {0, 1}) list.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
        for (UINT id : frameCommands)
            if (state(id).first) enabledDuring.push_back(id);
        AfxTestScript::QueueAnswer(IDYES);
        // Every command as a menu or a key sends it, dispatched by the engine's pump.
        for (UINT id : viewCommands) view->PostMessage(WM_COMMAND, id, 0);
        for (UINT id : frameCommands) frame->PostMessage(WM_COMMAND, id, 0);
        frame->PostMessage(WM_CLOSE, 0, 0);
        pump();
        // A drag over both columns (it would drop the second), the scissors and the pen.
        const RECT inside = first->Rect();
        const POINT from = view->Controller().PageToClient(POINT{inside.left + 2, inside.top + 2});
        const POINT to = view->Controller().PageToClient(POINT{inside.right - 2, 150});
        for (UINT tool : {ID_MOUSE_NORMAL, ID_MOUSE_SCISSORS, ID_MOUSE_PEN}) {
            view->SendMessage(WM_COMMAND, tool, 0);
            AfxTestMouse(view, WM_LBUTTONDOWN, from);
            AfxTestMouse(view, WM_MOUSEMOVE, to, MK_LBUTTON);
            AfxTestMouse(view, WM_LBUTTONUP, to);
        }
        view->SendMessage(WM_COMMAND, ID_MOUSE_NORMAL, 0);
        pump();
        for (int row : {1}) list.SetItemState(row, 0, LVIS_SELECTED);
    };
    view->SendMessage(WM_COMMAND, ID_DOC_RECOGNIZE, 0);
    EXPECT_EQ(g_pumping.calls, 1) << "a second run never started from the pump";
    EXPECT_TRUE(enabledDuring.empty()) << "enabled while held: " << ::testing::PrintToString(enabledDuring);
    ASSERT_TRUE(IsWindow(frame->GetSafeHwnd())) << "the window closed under the run";
    EXPECT_EQ(app_->CurrentDocument(), doc);
    EXPECT_EQ(doc->m_pImage, image);
    EXPECT_EQ(doc->m_pPageRegion, tree);
    ASSERT_EQ(tree->GetChildCount(), 2);
    EXPECT_EQ(tree->GetChild(0), first);
    EXPECT_EQ(tree->GetChild(1), second);
    EXPECT_EQ(tree->Rect().left, 5);
    EXPECT_EQ(image->m_nWidth, 400);
    {
        const auto* now = static_cast<const BYTE*>(GlobalLock(image->m_hBits));
        EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), now)) << "the page's pixels changed";
        GlobalUnlock(image->m_hBits);
    }
    // The answer landed on the regions the engine was given.
    EXPECT_TRUE(doc->m_bHasResult);
    EXPECT_EQ(first->m_nLines, 1);
    EXPECT_EQ(second->m_nLines, 1);
    EXPECT_EQ(app_->PageListRowCount(), 2) << "nothing was pasted";
    EXPECT_FALSE(doc->IsPageHeld());
    for (UINT id : {ID_IMAGE_INVERT, ID_IMAGE_RESIZE, ID_DOC_CLEAR_LAYOUT}) EXPECT_TRUE(state(id).first) << id;
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
}

// Insert typed in the text view of the running window flips the mode, and
// the caret takes the mode's shape: a line under the character to
// overwrite, an upright bar to insert.
TEST_F(FrameCommands, InsertInTheTextViewChangesTheCaretsShape) {
    g_pumping = PumpingEnglishEngine{};
    CScopedEntry recog(PENDRIL20_DLL, "OR_PENDRIL20_RECOGIMG_ENGSTR", &PumpingRecog);
    CScopedEntry release(PENDRIL20_DLL, "OR_PENDRIL20_FREERGNINFO_ENGSTR", &PumpingFree);
    app_->m_settings.langCode = 2;
    OpenTestPage(BlankPlane(400, 300), suite::WindowsPath((Data() / "IMAGE" / "caret.tif").string()));
    if (HasFatalFailure()) return;
    auto* doc = static_cast<COcrDoc*>(app_->CurrentDocument());
    ASSERT_NE(doc->m_pPageRegion->AddRegion(RECT{20, 30, 210, 70}, kRegionHorizontal), nullptr);
    auto* view = static_cast<COcrView*>(frame->Splitter().GetPane(0, 0));
    view->SendMessage(WM_COMMAND, ID_DOC_RECOGNIZE, 0);
    ASSERT_TRUE(doc->m_bHasResult);
    if (app_->IsSplitterColumnHidden()) command(32830);
    CTextView* text = app_->TextView();
    ASSERT_NE(text, nullptr);
    text->SetFocus();
    for (int i = 0; i < 5; ++i) AfxPumpMessages();
    ASSERT_TRUE(text->OwnsCaret());
    ASSERT_FALSE(app_->IsInsertMode());
    EXPECT_EQ(text->CaretSize().cy, 2) << "overwrite: a line";
    auto press = [&](CWnd* target, WORD key) {
        MSG msg{};
        msg.hwnd = target->GetSafeHwnd();
        msg.message = WM_KEYDOWN;
        msg.wParam = key;
        if (!frame->PreTranslateMessage(&msg)) target->SendMessage(WM_KEYDOWN, key, 0);
    };
    press(text, VK_INSERT);
    AfxPumpMessages();
    EXPECT_TRUE(app_->IsInsertMode());
    EXPECT_EQ(text->CaretSize().cx, 2) << "insert: a bar";
    EXPECT_GT(text->CaretSize().cy, 2);
    press(text, VK_INSERT);
    AfxPumpMessages();
    EXPECT_EQ(text->CaretSize().cy, 2);
}

TEST_F(FrameCommands, CharacterInputStartsTheProgramInItsFolderOrTheDesktopsMap) {
    // The recording program stands in for both programs.
    const fs::path apps = root_ / "apps", records = root_ / "records";
    fs::create_directories(apps);
    fs::create_directories(records);
    const fs::path built = fs::path(suite::NativePathOfEither(app_->m_strAppDir)) / "suite_recorder";
    ASSERT_TRUE(fs::exists(built));
    fs::copy_file(built, apps / "Wendaro");
    fs::copy_file(built, apps / "gucharmap");
    setenv("SUITE_RECORDER_DIR", records.c_str(), 1);
    setenv("SUITE_PROGRAM_WENDARO", (apps / "Wendaro").c_str(), 1);
    auto recorded = [&](const char* name) {
        return PumpUntil([&] { return fs::exists(records / (std::string(name) + ".record")); }, 10000);
    };
    command(ID_CHAR_INPUT);
    ASSERT_TRUE(recorded("Wendaro"));
    std::ifstream in(records / "Wendaro.record");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("cwd: " + suite::NativePathOfEither(app_->m_strAppDir) + "\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("arg: "), std::string::npos) << "it is given nothing";

    // Not installed: the desktop's character map instead.
    setenv("SUITE_PROGRAM_WENDARO", (apps / "missing").c_str(), 1);
    setenv("SUITE_PROGRAM_CHARACTERMAP", (apps / "gucharmap").c_str(), 1);
    command(ID_CHAR_INPUT);
    EXPECT_TRUE(recorded("gucharmap"));
    for (const char* name : {"SUITE_RECORDER_DIR", "SUITE_PROGRAM_WENDARO", "SUITE_PROGRAM_CHARACTERMAP"}) unsetenv(name);
}

}  // namespace
}  // namespace scribanttest
