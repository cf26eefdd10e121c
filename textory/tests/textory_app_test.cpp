// Textory run in this process: after a job on a rendered page (the workflow
// through the frame's messages, the counter mode, the brightness dialog, the
// guide, the hand-offs, the modes, a taken scan name), its job's progress
// window, and started without a job, driven through its task bar.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <cctype>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <thread>

#include "platform/afx/afxwin.h"
#include "ocrdoc/document/ocr_doc.h"
#include "ocrdoc/document/tests/pipeline_fixtures.h"
#include "outside/scan/tests/sane_test_device.h"
#include "outside/tests/pages.h"
#include "platform/afx/ui/controls.h"
#include "platform/afx/ui/msgbox.h"
#include "platform/win/files.h"
#include "platform/win/library.h"
#include "platform/win/path.h"
#include "platform/win/tests/scratch_folder.h"
#include "shell/app/tests/scribant_fixture.h"
#include "shell/tests/fake_shell_services.h"
#include "textory/app/textory_app.h"
#include "shell/app/scribant_ids.h"
#include "shell/app/scribant_commands.h"
#include "platform/afx/ui/testing.h"
#include "platform/afx/ui/htmlhelp.h"
#include "platform/afx/ui/html_view.h"
#include "platform/win/codepage.h"
#include "textory/app/textory_frame.h"
#include "textory/brightness/dlg_brightness_slider.h"
#include "platform/afx/ui/drawstate.h"
#include "textory/app/textory_ids.h"
#include "views/page_view/ocr_view.h"
#include "views/text/text_view.h"
#include "shell/batch/dlg_batch_recog.h"
#include "textory/names/scan_target.h"

namespace {

namespace fs = std::filesystem;

class TestTextoryApp : public CTextoryApp {
public:
    int closeRequests = 0;
    std::vector<std::string> scans;
    // The real scanner glue (SANE's test device) instead of the recording stand-in.
    bool realScanner = false;

protected:
    WORD ReadSystemLanguage() const override { return 2052; }
    void StartupMessage(const std::string&) override {}
    void ErrorLine(const std::string&) override {}
    void CloseMainWindow() override { ++closeRequests; }
    bool AcquireScan(const std::string& target) override {
        scans.push_back(target);
        return realScanner ? CTextoryApp::AcquireScan(target) : true;
    }
};

// The rendered page as the scanner glue hands a grey page over: a packed
// 8-bit DIB, rows bottom-up.
HDIB GreyDibOf(const testpages::Page& page) {
    const int w = page.plane.width, h = page.plane.height;
    const std::size_t stride = (static_cast<std::size_t>(w) + 3) / 4 * 4;
    const std::size_t size = sizeof(BITMAPINFOHEADER) + 256 * 4 + stride * static_cast<std::size_t>(h);
    HDIB dib = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    BYTE* p = static_cast<BYTE*>(GlobalLock(dib));
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = w;
    header.biHeight = h;
    header.biPlanes = 1;
    header.biBitCount = 8;
    header.biXPelsPerMeter = header.biYPelsPerMeter = 11811;
    std::memcpy(p, &header, sizeof header);
    for (int i = 0; i < 256; ++i) p[sizeof header + i * 4] = p[sizeof header + i * 4 + 1] = p[sizeof header + i * 4 + 2] = static_cast<BYTE>(i);
    BYTE* rows = p + sizeof header + 256 * 4;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) rows[static_cast<std::size_t>(h - 1 - y) * stride + x] = page.plane.black(x, y) ? 0 : 255;
    GlobalUnlock(dib);
    return dib;
}

std::string readBytes(const fs::path& path);

const std::string kLetterText = "今天天气很好我们一起去公园散步";

std::string titleOf(CWnd* wnd) {
    CString text;
    wnd->GetWindowText(text);
    return text.GetString();
}

WORD pageZoom(CTextoryApp& app) {
    COcrDoc* doc = app.CurrentDocument();
    auto* view = doc ? dynamic_cast<COcrView*>(doc->GetPageView()) : nullptr;
    return view ? view->Controller().Zoom() : 0;
}

void grab(CWnd* wnd, const char* name) {
    const char* folder = std::getenv("TEXTORY_GRAB_DIR");
    if (!folder) return;
    AfxPumpMessages();
    EXPECT_TRUE(wnd->GrabToFile((std::string(folder) + "/" + name).c_str())) << name;
}

// On a real screen (an X server) with $TEXTORY_GRAB_DIR: the whole screen
// grabbed while `open` shows a menu, then the menu closed without a choice.
void grabScreenWithMenuOpen(const char* name, const std::function<void()>& open) {
    const char* folder = std::getenv("TEXTORY_GRAB_DIR");
    if (!folder || QGuiApplication::platformName() != "xcb") return;
    const std::string path = std::string(folder) + "/" + name;
    AfxTestScript::Enable(false);
    QTimer::singleShot(700, [path] {
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            EXPECT_TRUE(screen->grabWindow(0).save(QString::fromStdString(path))) << path;
        }
        if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    });
    open();
    AfxTestScript::Enable(true);
    AfxPumpMessages();
}

// The modes as the workflow and the mode tool bars reach them.
void DriveTheModes(TestTextoryApp& app) {
    auto* frame = dynamic_cast<CTextoryFrame*>(app.m_pMainWnd);
    ASSERT_NE(frame, nullptr);
    ASSERT_NE(frame->Modes(), nullptr);
    ASSERT_TRUE(app.m_workflow.IsIdle());
    const std::string jobTitle = titleOf(frame);
    frame->SetWindowPos(nullptr, 0, 0, 900, 700, SWP_NOZORDER);
    frame->ShowWindow(SW_SHOW);

    // Single step: the scanned page waits in region designation.
    app.m_textory.workMode = 1;
    frame->SendMessage(WM_SCANBUTTON, 0, 0);
    frame->SendMessage(WM_SCANDONE, 0, 0);
    ASSERT_TRUE(app.m_workflow.InRegionMode());
    EXPECT_TRUE(app.m_workflow.Designating());
    EXPECT_EQ(titleOf(frame), suite::Utf8ToAnsi("Textory--指定识别区域"));
    EXPECT_EQ(frame->GetMenu(), nullptr);
    EXPECT_FALSE(frame->FileBar().IsWindowVisible());
    EXPECT_TRUE(frame->IsTextRowHidden());
    EXPECT_TRUE(frame->IsWindowVisible());
    EXPECT_FALSE(frame->TaskBarShown());
    EXPECT_EQ(pageZoom(app), 64);
    CToolBarEx& bar = frame->ToolBar();
    ASSERT_GE(bar.CommandToIndex(32924), 0);
    ASSERT_GE(bar.CommandToIndex(32945), 0);
    EXPECT_LT(bar.CommandToIndex(32773), 0) << "the main tool bar gave way";
    // The arrow of the image tools drops menu 331 down; its choice goes to the page.
    CRect arrow;
    bar.GetDropDownArrowRect(bar.CommandToIndex(32988), &arrow);
    ASSERT_FALSE(arrow.IsRectEmpty());
    RECT asked{};
    ASSERT_TRUE(bar.SendMessage(TB_GETRECT, 32988, reinterpret_cast<LPARAM>(&asked)));
    EXPECT_EQ(asked.right, arrow.right);
    grab(frame, "textory_region_mode.png");
    AfxTestScript::Clear();
    AfxTestScript::QueueAnswer(0);
    AfxTestClick(&bar, arrow.CenterPoint());
    ASSERT_EQ(AfxTestScript::Shown().size(), 1u);
    EXPECT_EQ(AfxTestScript::Shown()[0].kind, "menu");
    EXPECT_EQ(AfxTestScript::Shown()[0].buttons.size(), 6u) << "menu 331: five tools and a separator";
    // The pointer tools by their command: menu 332, the scissors chosen.
    AfxTestScript::QueueAnswer(32877);
    frame->SendMessage(WM_COMMAND, 32991, 0);
    ASSERT_EQ(AfxTestScript::Shown().size(), 2u);
    EXPECT_EQ(AfxTestScript::Shown()[1].buttons.size(), 3u) << "menu 332: three pointers";
    EXPECT_EQ(AfxTestScript::Shown()[1].result, 32877);
    // The mode's help: no old help file beside the program, so the guide
    // shipped with it opens, without a word of complaint.
    frame->SendMessage(WM_COMMAND, 32951, 0);
    const std::string guideTitle = suite::Utf8ToAnsi("Textory 操作指南");
    EXPECT_TRUE(scribanttest::PumpUntil([&] { return ::FindWindow(nullptr, guideTitle.c_str()) != nullptr; }));
    EXPECT_EQ(AfxTestScript::Shown().size(), 2u);
    HtmlHelpA(nullptr, nullptr, HH_CLOSE_ALL, 0);

    // "提交识别": recognised in the mode; the window stays in it.
    frame->SendMessage(WM_COMMAND, 32924, 0);
    ASSERT_TRUE(scribanttest::PumpUntil([&] { return app.m_workflow.IsIdle(); }, 120000));
    EXPECT_FALSE(app.m_workflow.Designating());
    EXPECT_TRUE(app.m_workflow.InRegionMode());
    EXPECT_TRUE(app.CurrentDocument()->m_bHasResult);
    // Automatic deskew from the image tools asks first: "否" keeps the
    // result, "是" drops it and deskews the page afresh.
    for (int answer : {IDNO, IDYES}) {
        AfxTestScript::Clear();
        AfxTestScript::QueueAnswer(32781);
        AfxTestScript::QueueAnswer(answer);
        AfxTestClick(&bar, arrow.CenterPoint());
        AfxPumpMessages();
        const auto shown = AfxTestScript::Shown();
        ASSERT_EQ(shown.size(), 2u) << "the image tools, then the question";
        EXPECT_EQ(shown[1].kind, "message");
        EXPECT_EQ(app.CurrentDocument()->m_bHasResult != 0, answer == IDNO);
    }
    EXPECT_NE(app.CurrentDocument()->m_pImage, nullptr);
    // "退出": everything back, the window hidden, the task bar shown.
    frame->SendMessage(WM_COMMAND, 32945, 0);
    CWorkflowBar* taskBar = frame->TaskBar();
    ASSERT_NE(taskBar, nullptr);
    EXPECT_TRUE(taskBar->IsWindowVisible());
    grab(taskBar, "textory_task_bar.png");
    EXPECT_FALSE(app.m_workflow.InRegionMode());
    EXPECT_NE(frame->GetMenu(), nullptr);
    EXPECT_EQ(titleOf(frame), jobTitle);
    EXPECT_GE(frame->ToolBar().CommandToIndex(32773), 0);
    EXPECT_FALSE(frame->IsWindowVisible());
    frame->ShowWindow(SW_SHOW);
    EXPECT_TRUE(frame->FileBar().IsWindowVisible()) << "the page list is back";
    EXPECT_TRUE(frame->ScanToBar().IsWindowVisible()) << "the scan-to bar is back";
    EXPECT_EQ(frame->ScanToBar().Target(), app.m_strScanTarget);
    grab(frame, "textory_main_window.png");
    frame->ShowWindow(SW_HIDE);
    EXPECT_TRUE(frame->TaskBarShown());
    EXPECT_TRUE(app.m_workflow.IsIdle());

    // The task bar drags by its own background.
    CRect barAt, barMoved;
    taskBar->GetWindowRect(&barAt);
    AfxTestMouse(taskBar, WM_LBUTTONDOWN, CPoint(1, 20));
    AfxTestMouse(taskBar, WM_MOUSEMOVE, CPoint(41, 50), MK_LBUTTON);
    AfxTestMouse(taskBar, WM_LBUTTONUP, CPoint(41, 50));
    taskBar->GetWindowRect(&barMoved);
    EXPECT_EQ(barMoved.TopLeft(), barAt.TopLeft() + CPoint(40, 30));
    EXPECT_TRUE(app.m_workflow.IsIdle()) << "a drag is no click";
    // Proofreading from the task bar: the text view above a strip of the page at 100 %.
    CWnd* proofread = taskBar->Control(textory::kBarProofreadButton);
    ASSERT_NE(proofread, nullptr);
    EXPECT_TRUE(proofread->IsWindowEnabled()) << "a recognised page enables proofreading";
    AfxTestClick(proofread, CPoint(5, 5));
    ASSERT_TRUE(app.m_workflow.InProofMode()) << "a recognised page enables proofreading";
    EXPECT_FALSE(taskBar->IsWindowVisible());
    EXPECT_EQ(titleOf(frame), suite::Utf8ToAnsi("Textory--校对"));
    EXPECT_FALSE(frame->IsTextRowHidden());
    EXPECT_GE(frame->ToolBar().CommandToIndex(32950), 0);
    EXPECT_EQ(pageZoom(app), 256);
    EXPECT_TRUE(frame->IsWindowVisible());
    grab(frame, "textory_proofread_mode.png");
    // "返回重新识别", yes: the result is dropped and the page is designated again.
    AfxTestScript::QueueAnswer(IDYES);
    frame->SendMessage(WM_COMMAND, 32987, 0);
    EXPECT_FALSE(app.CurrentDocument()->m_bHasResult);
    EXPECT_FALSE(app.m_workflow.InProofMode());
    EXPECT_TRUE(app.m_workflow.InRegionMode());
    EXPECT_TRUE(frame->IsTextRowHidden());
    // Proofreading's "退出" leaves region designation too.
    frame->SendMessage(WM_COMMAND, 32950, 0);
    EXPECT_FALSE(app.m_workflow.InRegionMode());
    EXPECT_EQ(titleOf(frame), jobTitle);
    EXPECT_NE(frame->GetMenu(), nullptr);
    EXPECT_FALSE(frame->IsWindowVisible());
    EXPECT_TRUE(app.m_workflow.IsIdle());
    app.m_textory.workMode = 0;
}

// Records what an update handler decided.
class RecordingCmdUI : public CCmdUI {
public:
    int enabled = -1;
    void Enable(BOOL on) override { enabled = on ? 1 : 0; }
};

int updateOf(CWnd* frame, UINT id) {
    RecordingCmdUI ui;
    ui.m_nID = id;
    ui.DoUpdate(frame, TRUE);
    return ui.enabled;
}

// The brightness dialog of the open grey page: a real modeless window over
// the page at 100 %, previews while the bar moves, the final value on
// deactivation; zoom-out closes it without the side file; closing it applies
// the value, brings the zoom back and writes the ".ATR" file; a recognition
// closes it too. Then the save-as and region-cancel update rules.
void DriveTheBrightnessDialog(TestTextoryApp& app) {
    auto* frame = dynamic_cast<CTextoryFrame*>(app.m_pMainWnd);
    ASSERT_NE(frame, nullptr);
    COcrDoc* doc = app.CurrentDocument();
    ASSERT_TRUE(doc && doc->m_pImage);
    ASSERT_EQ(doc->m_pImage->m_nBitCount, 8) << "a grey page";
    frame->SetWindowPos(nullptr, 0, 0, 900, 700, SWP_NOZORDER);
    frame->ShowWindow(SW_SHOW);
    auto* view = dynamic_cast<COcrView*>(doc->GetPageView());
    ASSERT_NE(view, nullptr);
    view->SetZoom(64);
    const fs::path atr = suite::NativePath(app.CurrentDocumentPath() + ".ATR");
    fs::remove(atr);
    auto dialogWindow = [] {
        HWND h = FindWindow(nullptr, suite::Utf8ToAnsi("亮度调节").c_str());
        return h ? dynamic_cast<CDlgBrightnessSlider*>(CWnd::FromHandlePermanent(h)) : nullptr;
    };
    auto valueShown = [](CWnd* dialog) {
        CString text;
        dialog->GetDlgItemText(CDlgBrightnessSlider::kValueEdit, text);
        return std::string(text.GetString());
    };
    auto scroll = [](CWnd* dialog, UINT code, UINT position) {
        CWnd* bar = dialog->GetDlgItem(CDlgBrightnessSlider::kScrollBar);
        dialog->SendMessage(WM_HSCROLL, MAKEWPARAM(code, position), reinterpret_cast<LPARAM>(bar->GetSafeHwnd()));
    };
    auto blackCount = [&] {
        int n = 0;
        CPageImage& page = *doc->m_pImage;
        const BYTE* plane = static_cast<const BYTE*>(GlobalLock(page.m_hBits));
        for (DWORD i = 0; i < page.PlaneBytes(); ++i) n += __builtin_popcount(plane[i]);
        GlobalUnlock(page.m_hBits);
        return n;
    };

    EXPECT_EQ(updateOf(frame, ID_BRIGHTNESS_SLIDER), 1) << "a grey page takes brightness";
    frame->SendMessage(WM_COMMAND, ID_BRIGHTNESS_SLIDER, 0);
    ASSERT_NE(frame->BrightnessDialog(), nullptr);
    CDlgBrightnessSlider* dialog = dialogWindow();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->IsWindowVisible());
    EXPECT_EQ(pageZoom(app), 256) << "the page at 100 % while the dialog is open";
    EXPECT_EQ((dialog->GetExStyle() & WS_EX_TOPMOST) != 0, (frame->GetExStyle() & WS_EX_TOPMOST) != 0);
    CRect placed;
    dialog->GetWindowRect(&placed);
    EXPECT_NEAR(placed.top, ::GetSystemMetrics(SM_CYSCREEN) / 3, 4) << "a third down the screen (its frame aside)";
    EXPECT_NEAR(placed.left + placed.Width() / 2, ::GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    const int start = frame->BrightnessDialog()->Value();
    EXPECT_GE(start, 0) << "unset: the page's automatic threshold";
    EXPECT_LE(start, 255);
    EXPECT_EQ(valueShown(dialog), std::to_string(start));
    grab(dialog, "textory_brightness.png");
    frame->SendMessage(WM_COMMAND, ID_BRIGHTNESS_SLIDER, 0);
    EXPECT_EQ(dialogWindow(), dialog) << "one dialog at a time";

    // Dragging to 255 previews: the visible page turns black, the value is the page's.
    const int blackBefore = blackCount();
    scroll(dialog, SB_THUMBTRACK, 255);
    EXPECT_EQ(valueShown(dialog), "255");
    AfxPumpMessages();
    EXPECT_EQ(frame->PageBrightness().value, 255);
    EXPECT_GT(blackCount(), blackBefore * 2);
    EXPECT_FALSE(fs::exists(atr)) << "nothing written while dragging";
    // Back one page and deactivated: the final value over the whole page.
    scroll(dialog, SB_PAGELEFT, 0);
    dialog->SendMessage(WM_ACTIVATE, WA_INACTIVE, 0);
    AfxPumpMessages();
    EXPECT_EQ(frame->PageBrightness().value, 245);
    EXPECT_EQ(frame->PageBrightness().lastThreshold, 245);

    // Zoom-out: the dialog goes, no side file, the zoom halves from 100 %.
    frame->SendMessage(WM_COMMAND, ID_ZOOM_OUT, 0);
    EXPECT_EQ(frame->BrightnessDialog(), nullptr);
    EXPECT_EQ(dialogWindow(), nullptr);
    EXPECT_FALSE(fs::exists(atr));
    EXPECT_EQ(pageZoom(app), 128);

    // Opened again it starts at the page's value; closed with its close box
    // it applies, restores the zoom and writes the side file.
    frame->SendMessage(WM_COMMAND, ID_BRIGHTNESS_SLIDER, 0);
    dialog = dialogWindow();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(valueShown(dialog), "245");
    scroll(dialog, SB_THUMBPOSITION, 128);
    dialog->SendMessage(WM_CLOSE, 0, 0);
    AfxPumpMessages();
    EXPECT_EQ(frame->BrightnessDialog(), nullptr);
    EXPECT_EQ(dialogWindow(), nullptr);
    EXPECT_EQ(pageZoom(app), 128);
    EXPECT_EQ(frame->PageBrightness().value, 128);
    EXPECT_EQ(readBytes(atr), std::string("\x80\0\0\0", 4));
    // A recognition step applies and closes an open dialog.
    frame->SendMessage(WM_COMMAND, ID_BRIGHTNESS_SLIDER, 0);
    ASSERT_NE(frame->BrightnessDialog(), nullptr);
    scroll(dialog = dialogWindow(), SB_LINERIGHT, 0);
    app.CloseBrightnessDialog();
    EXPECT_EQ(frame->BrightnessDialog(), nullptr);
    EXPECT_EQ(dialogWindow(), nullptr);
    EXPECT_EQ(readBytes(atr), std::string("\x81\0\0\0", 4));
    fs::remove(atr);

    // Save-as: a page open and fewer than two rows selected.
    EXPECT_EQ(updateOf(frame, ID_FILE_SAVE_AS), 1);
    const int row = app.PageListCurrentRow();
    ASSERT_GE(app.PageListRowCount(), 2);
    frame->PageList().SetItemState(row == 0 ? 1 : 0, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(app.PageListSelectedCount(), 2);
    EXPECT_EQ(updateOf(frame, ID_FILE_SAVE_AS), 0) << "two rows selected";
    frame->PageList().SetItemState(row == 0 ? 1 : 0, 0, LVIS_SELECTED);
    // Region cancel: a page, the views shown and a selected region.
    CLayoutRegion* page = doc->m_pPageRegion;
    if (page) page->ClearSelection();
    EXPECT_EQ(updateOf(frame, ID_REGION_CANCEL), 0) << "no region selected";
    if (page && page->GetChildCount() > 0) {
        page->Select(0);
        EXPECT_EQ(updateOf(frame, ID_REGION_CANCEL), 1);
        page->ClearSelection();
    }
    frame->ShowWindow(SW_HIDE);
}

// F1, "操作指南" and its menu twin open the guide shipped beside the program
// in the help viewer, all three in the same window; without the guide the
// user is told which file is missing.
void OpenTheGuide(TestTextoryApp& app, const fs::path& scratch) {
    CWnd* frame = app.m_pMainWnd;
    const fs::path program = scratch / "guide-program";
    fs::create_directories(program);
    const std::string installed = app.m_strAppDir;
    app.m_strAppDir = suite::WindowsPath(program.string());
    AfxTestScript::Clear();
    frame->SendMessage(WM_COMMAND, ID_HELP_FINDER, 0);
    ASSERT_EQ(AfxTestScript::Shown().size(), 1u);
    EXPECT_NE(AfxTestScript::Shown()[0].text.find("ORdoc.chm"), std::string::npos);
    app.m_strAppDir = installed;

    const std::string title = suite::Utf8ToAnsi("Textory 操作指南");
    HWND window = nullptr;
    for (UINT command : {UINT(ID_HELP_FINDER), UINT(33005), UINT(ID_HELP)}) {
        frame->SendMessage(WM_COMMAND, command, 0);
        HWND shown = nullptr;
        ASSERT_TRUE(scribanttest::PumpUntil([&] { return (shown = ::FindWindow(nullptr, title.c_str())) != nullptr; }))
            << command;
        if (!window) window = shown;
        EXPECT_EQ(shown, window) << "one guide window";
    }
    CHtmlBrowserCtrl* browser = AfxBrowserOfWindow(window);
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->GetLastNavigationError(), 0) << "the page was found";
    EXPECT_EQ(AfxTestScript::Shown().size(), 1u) << "no further message";
    HtmlHelpA(nullptr, nullptr, HH_CLOSE_ALL, 0);
    AfxTestScript::Clear();
}

// A job prepared for proofreading (its ".con" companion is there) goes to the
// proofreading program, and Textory closes; when that program cannot be
// started the user is told "未找到文件 ..." and Textory stays.
void HandTheJobToTheProofreader(TestTextoryApp& app, const fs::path& scratch) {
    const fs::path job = scratch / "hand off.OCR";
    std::ofstream(job) << "";
    std::ofstream(scratch / "hand off.con") << "";
    const fs::path missing = scratch / "no-such-folder" / "Emendo10";
    ::setenv("SUITE_PROGRAM_EMENDO10", missing.c_str(), 1);
    const int closes = app.closeRequests;
    AfxTestScript::Clear();
    AfxTestScript::QueueAnswer(IDNO);  // the job list's changes, should it ask
    EXPECT_FALSE(app.OpenJobPath(suite::WindowsPath(job.string())));
    EXPECT_EQ(app.closeRequests, closes) << "Textory stays";
    bool told = false;
    for (const auto& shown : AfxTestScript::Shown())
        told = told || shown.text.find(suite::Utf8ToAnsi("未找到文件")) != std::string::npos;
    EXPECT_TRUE(told);

    const fs::path log = scratch / "recorder-log";
    fs::create_directories(log);
    ::setenv("SUITE_RECORDER_DIR", log.c_str(), 1);
    const std::string recorder = suite::ProgramFolder() + "/suite_recorder";
    ::setenv("SUITE_PROGRAM_EMENDO10", recorder.c_str(), 1);
    AfxTestScript::Clear();
    AfxTestScript::QueueAnswer(IDNO);
    EXPECT_TRUE(app.OpenJobPath(suite::WindowsPath(job.string())));
    EXPECT_EQ(app.closeRequests, closes + 1) << "handed on: Textory closes";
    ::unsetenv("SUITE_PROGRAM_EMENDO10");
    ::unsetenv("SUITE_RECORDER_DIR");
    AfxTestScript::Clear();
}

// Every row selected and recognised: the batch window in its counter mode
// (template 144, the text panel inside its group box) runs over the rows,
// showing "%6d/%6d" in status pane 1 and keeping the scan-to box's target
// beside each row's image, and ends by itself.
struct CounterModeSeen {
    std::vector<std::string> counters;
    RECT panel{}, group{};
    bool stopShown = true;
    bool ended = false;
};

void RecogniseTheRowsInCounterMode(TestTextoryApp& app) {
    CWnd* frame = app.m_pMainWnd;
    ASSERT_GE(app.PageListRowCount(), 2);
    const std::string targetName(suite::PathLastPart(app.m_strScanTarget));
    frame->SendMessage(WM_COMMAND, ID_FILE_SELECT_ALL, 0);
    ASSERT_EQ(app.PageListSelectedCount(), app.PageListRowCount());
    static CounterModeSeen seen;
    seen = CounterModeSeen{};
    static TestTextoryApp* running;
    running = &app;
    AfxTestScript::Clear();
    AfxTestScript::QueueDialogAction(
        [](CWnd* dialog, void*) {
            auto* window = dynamic_cast<CDlgBatchRecog*>(dialog);
            ASSERT_NE(window, nullptr);
            seen.panel = window->PanelRect();
            CRect group;
            dialog->GetDlgItem(IDC_BATCH_GROUP)->GetWindowRect(&group);
            dialog->ScreenToClient(&group);
            seen.group = group;
            seen.stopShown = dialog->GetDlgItem(IDCANCEL)->IsWindowVisible();
            const HWND handle = dialog->GetSafeHwnd();
            scribanttest::PumpUntil(
                [&] {
                    const std::string counter = running->StatusPaneText(1);
                    // Grabbed as each row starts: the last grab shows the rows before it.
                    if (!counter.empty() && (seen.counters.empty() || seen.counters.back() != counter)) {
                        seen.counters.push_back(counter);
                        if (::IsWindow(handle)) grab(dialog, "textory_batch_counter_mode.png");
                    }
                    return !::IsWindow(handle) || !dialog->IsWindowVisible() || window->m_bEnded;
                },
                120000);
            seen.ended = true;
        },
        nullptr);
    frame->SendMessage(WM_COMMAND, ID_RECOG_START, 0);
    AfxPumpMessages();
    ASSERT_TRUE(seen.ended);
    ASSERT_FALSE(AfxTestScript::Shown().empty());
    EXPECT_EQ(AfxTestScript::Shown()[0].type, 144u);
    EXPECT_EQ(AfxTestScript::Shown()[0].result, IDOK) << "ended by itself";
    EXPECT_FALSE(seen.stopShown) << "Esc and the close box stop a run; the stop button stays hidden";
    ASSERT_FALSE(seen.counters.empty());
    bool counted = false;
    for (int row = 1; row <= app.PageListRowCount(); ++row) {
        char counter[32];
        std::snprintf(counter, sizeof counter, "%6d/%6d", row, app.PageListRowCount());
        counted = counted || std::find(seen.counters.begin(), seen.counters.end(), counter) != seen.counters.end();
    }
    EXPECT_TRUE(counted) << "the run's own counter in status pane 1";
    EXPECT_GE(seen.panel.left, seen.group.left);
    EXPECT_GE(seen.panel.top, seen.group.top);
    EXPECT_LE(seen.panel.right, seen.group.right + 1);
    EXPECT_LE(seen.panel.bottom, seen.group.bottom + 1);
    EXPECT_EQ(std::string(suite::PathLastPart(app.m_strScanTarget)), targetName) << "the target keeps its own name";
    AfxTestScript::Clear();
}

// Outside task-bar mode a scanned page whose name is taken asks with the
// file-exists dialog: "取消" drops the page, "换名" saves it under the name
// the save dialog gives, "是" replaces the file.
void AskWhenTheNameIsTaken(TestTextoryApp& app, const testpages::Page& page, const fs::path& scratch) {
    CWnd* frame = app.m_pMainWnd;
    const std::string taken = app.m_strDataDir + "\\image\\taken001.jpg";
    const fs::path takenFile = suite::NativePath(taken);
    std::ofstream(takenFile) << "the user's file";
    app.m_workflow.taskMode = false;
    const int rows = app.PageListRowCount();
    auto press = [](UINT button) {
        static UINT pressed;
        pressed = button;
        AfxTestScript::QueueDialogAction(
            [](CWnd* dialog, void*) {
                CString text;
                dialog->GetDlgItemText(1176, text);
                EXPECT_NE(std::string(text.GetString()).find("taken001.jpg"), std::string::npos);
                if (const char* folder = std::getenv("TEXTORY_GRAB_DIR"))
                    dialog->GrabToFile((std::string(folder) + "/textory_file_exists.png").c_str());
                dialog->SendMessage(WM_COMMAND, pressed, 0);
            },
            nullptr);
    };
    AfxTestScript::Clear();
    app.SetScanTarget(taken);
    press(IDCANCEL);
    frame->SendMessage(WM_SCANIMAGE, reinterpret_cast<WPARAM>(GreyDibOf(page)), 0);
    ASSERT_FALSE(AfxTestScript::Shown().empty());
    EXPECT_EQ(AfxTestScript::Shown()[0].type, 375u);
    EXPECT_EQ(AfxTestScript::Shown()[0].result, 2);
    EXPECT_EQ(app.PageListRowCount(), rows) << "dropped";
    EXPECT_EQ(readBytes(takenFile), "the user's file");
    EXPECT_TRUE(app.m_workflow.IsIdle());

    const std::string other = (scratch / "other001.jpg").string();
    app.SetScanTarget(taken);
    press(3);
    AfxTestScript::QueueFile(other);
    frame->SendMessage(WM_SCANIMAGE, reinterpret_cast<WPARAM>(GreyDibOf(page)), 0);
    EXPECT_EQ(app.PageListRowCount(), rows + 1);
    EXPECT_EQ(readBytes(takenFile), "the user's file");
    EXPECT_EQ(readBytes(other).substr(0, 2), "\xFF\xD8");

    app.SetScanTarget(taken);
    press(IDOK);
    const fs::path oldBrightness = suite::NativePath(taken + ".ATR");
    std::ofstream(oldBrightness) << "old";
    frame->SendMessage(WM_SCANIMAGE, reinterpret_cast<WPARAM>(GreyDibOf(page)), 0);
    EXPECT_EQ(readBytes(takenFile).substr(0, 2), "\xFF\xD8") << "replaced by the user's choice";
    EXPECT_FALSE(fs::exists(oldBrightness)) << "the replaced image's brightness file goes with it";
    app.m_workflow.taskMode = true;
    AfxTestScript::Clear();
}

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A home of its own for a run in this process, and `text` rendered as the
// page `image` (written through the conversion library, as the codecs write).
testpages::Page PrepareHomeAndPage(const suite_test::ScratchFolder& scratch, const std::string& image,
                                   const std::string& text, int width, int height) {
    ::setenv("SUITE_REGISTRY_USER", (scratch / "user.db").c_str(), 1);
    ::setenv("SUITE_RUNTIME_DIR", (scratch / "runtime").c_str(), 1);
    fs::create_directories(scratch / "runtime");
    AfxWinInit();
    AfxTestScript::Enable(true);
    testpages::ensureGui();
    CFakeShellServices writer;
    writer.convertLibrary = LoadLibraryA("Convert.dll");
    EXPECT_NE(writer.convertLibrary, nullptr);
    testpages::Page rendered = testpages::textPage({text}, width, height, testpages::Style{50, 0, 0, 3});
    EXPECT_TRUE(SavePlaneAsImage(rendered.plane, image));
    if (writer.convertLibrary) FreeLibrary(writer.convertLibrary);
    return rendered;
}

// The job started on `image`, its output beside it as "job.txt".
bool StartJob(TestTextoryApp& app, const suite_test::ScratchFolder& scratch, const std::string& image) {
    app.m_args.emplace_back(image.c_str());
    app.m_args.emplace_back((scratch / "job.txt").c_str());
    return app.InitInstance();
}

// The main window gone and the program ended, as a test's run ends.
void EndRun(TestTextoryApp& app) {
    if (app.m_pMainWnd) app.m_pMainWnd->DestroyWindow();
    app.m_pMainWnd = nullptr;
    app.ExitInstance();
    AfxTestScript::Clear();
}

// Textory started in this process on a rendered page, its job run to its
// output (the program then asks once to close); each case drives the open
// program on from there.
class TextoryAfterItsJob : public ::testing::Test {
protected:
    void SetUp() override {
        image = scratch / "page.tif";
        rendered = PrepareHomeAndPage(scratch, image, kLetterText, 1100, 420);
        jobOutput = scratch / "job.txt";
        run = std::make_unique<TestTextoryApp>();
        ASSERT_TRUE(StartJob(*run, scratch, image));
        ASSERT_NE(run->m_pMainWnd, nullptr);
        frame = run->m_pMainWnd;
        ASSERT_TRUE(scribanttest::PumpUntil([&] { return run->closeRequests > 0; }, 120000));
        EXPECT_EQ(run->Job().Status(), textory::kExitWritten);
        ASSERT_NE(run->CurrentDocument(), nullptr);
    }
    void TearDown() override {
        if (run) EndRun(*run);
    }

    // A grey page from the scanner through a full plan: saved under the
    // target, listed, opened, recognised and output to `exported`.
    void ScanAPageThroughThePlan(const std::string& exported) {
        run->m_textory.outputToWord = false;
        frame->SendMessage(WM_SCANBUTTON, 0, 0);
        ASSERT_FALSE(run->m_workflow.IsIdle());
        const int rows = run->PageListRowCount();
        AfxTestScript::QueueFile(exported);
        frame->SendMessage(WM_SCANIMAGE, reinterpret_cast<WPARAM>(GreyDibOf(rendered)), 0);
        EXPECT_EQ(run->PageListRowCount(), rows + 1);
        ASSERT_TRUE(scribanttest::PumpUntil([&] { return run->m_workflow.IsIdle(); }, 120000));
        EXPECT_TRUE(fs::exists(exported));
    }

    suite_test::ScratchFolder scratch;
    std::string image, jobOutput;
    testpages::Page rendered;
    std::unique_ptr<TestTextoryApp> run;
    CWnd* frame = nullptr;
};

// After the job the workflow is driven through the frame's messages (1286,
// WM_USER+1100 to +1110): a full plan scans (the acquisition stands in),
// finds regions, recognises and outputs to a file, and the job's own output
// is never written again; a scanned page carries the plan on; when the last
// page leaves the list the program closes.
TEST_F(TextoryAfterItsJob, TheWorkflowRunsThroughTheFramesMessages) {
    TestTextoryApp& app = *run;
    const std::string written = readBytes(jobOutput);
    ASSERT_GT(written.size(), 4u);
    EXPECT_EQ(frame->SendMessage(WM_QUERYREADY, 0, 0), 1);
    EXPECT_EQ(frame->SendMessage(WM_RUNNEXTSTEP, 0, 0), 1);
    EXPECT_TRUE(app.m_workflow.IsIdle());

    // The scan button: a full plan that waits for its page.
    app.m_textory.outputToWord = false;
    frame->SendMessage(WM_SCANBUTTON, 0, 0);
    ASSERT_EQ(app.scans.size(), 1u);
    EXPECT_EQ(app.scans[0], app.m_strDataDir + "\\image\\OR001.jpg");
    EXPECT_TRUE(fs::is_directory(suite::NativePath(app.m_strDataDir + "\\image")));
    EXPECT_FALSE(app.m_workflow.IsIdle());
    EXPECT_EQ(app.m_workflow.Steps().FirstPending(), 0);
    frame->SendMessage(WM_SCANBUTTON, 0, 0);
    EXPECT_EQ(app.scans.size(), 1u) << "no second start while the scan runs";

    // The page has arrived (told to the page view, WM_USER+1107): regions,
    // recognition, output to a file.
    const std::string exported = scratch / "exported.txt";
    AfxTestScript::QueueFile(exported);
    ASSERT_NE(app.CurrentDocument()->GetPageView(), nullptr);
    app.CurrentDocument()->GetPageView()->SendMessage(WM_USER + 1107, 0, 0);
    ASSERT_TRUE(scribanttest::PumpUntil([&] { return app.m_workflow.IsIdle(); }, 120000));
    EXPECT_TRUE(fs::exists(exported));
    EXPECT_EQ(readBytes(jobOutput), written) << "the job's output is never written again";
    EXPECT_EQ(app.closeRequests, 1) << "a workflow recognition does not close the program";

    frame->SendMessage(WM_STARTSCAN, 0, 0);
    EXPECT_EQ(app.scans.size(), 2u);
    app.m_workflow.Steps().SetPending(3, 1);
    frame->SendMessage(WM_OUTPUTDONE, 0, 0);
    EXPECT_EQ(app.m_workflow.Steps().IsPending(3), 0);

    // A page from the scanner: saved under the target, listed, opened, and
    // the plan goes on from WM_SCANDONE to the output.
    frame->SendMessage(WM_SCANBUTTON, 0, 0);
    ASSERT_FALSE(app.m_workflow.IsIdle());
    frame->SendMessage(WM_SCANIMAGE, 0, 0);
    EXPECT_TRUE(app.m_workflow.ScanFlag());
    EXPECT_FALSE(app.m_workflow.IsIdle()) << "the plan waits for its page";
    const int rows = app.PageListRowCount();
    const std::string scannedExport = scratch / "scanned.txt";
    AfxTestScript::QueueFile(scannedExport);
    frame->SendMessage(WM_SCANIMAGE, reinterpret_cast<WPARAM>(GreyDibOf(rendered)), 0);
    EXPECT_EQ(app.PageListRowCount(), rows + 1);
    EXPECT_TRUE(fs::exists(suite::NativePath(app.m_strDataDir + "\\image\\OR001.jpg")));
    EXPECT_EQ(app.m_strScanTarget, app.m_strDataDir + "\\image\\OR002.jpg");
    ASSERT_TRUE(scribanttest::PumpUntil([&] { return app.m_workflow.IsIdle(); }, 120000));
    EXPECT_TRUE(fs::exists(scannedExport));

    // The last page leaves the list: nothing is left, the program closes.
    const int closes = app.closeRequests;
    app.PageListDeleteAll();
    app.m_task.SelectImage(-1);
    ASSERT_TRUE(scribanttest::PumpUntil([&] { return app.closeRequests > closes; }, 10000));
    EXPECT_TRUE(app.CurrentDocumentPath().empty());
}

TEST_F(TextoryAfterItsJob, TheSelectedRowsRunInTheCounterMode) {
    ScanAPageThroughThePlan(scratch / "scanned.txt");
    RecogniseTheRowsInCounterMode(*run);
}

// The stop button hidden, Esc ends a run early: the row under way is
// finished, the run goes no further and the window closes.
TEST_F(TextoryAfterItsJob, EscEndsACounterModeRunEarly) {
    ScanAPageThroughThePlan(scratch / "scanned.txt");
    ASSERT_EQ(run->PageListRowCount(), 2);
    frame->SendMessage(WM_COMMAND, ID_FILE_SELECT_ALL, 0);
    static TestTextoryApp* running;
    running = run.get();
    static std::vector<std::string> counters;
    counters.clear();
    static bool ended;
    ended = false;
    AfxTestScript::Clear();
    AfxTestScript::QueueDialogAction(
        [](CWnd* dialog, void*) {
            // Pressed while the first row is under way (the pane held other text before).
            scribanttest::PumpUntil(
                [] {
                    const std::string counter = running->StatusPaneText(1);
                    return counter == "     1/     2" || counter == "     2/     2";
                },
                60000);
            counters.push_back(running->StatusPaneText(1));
            // Esc as the message loop hands it on.
            MSG esc{};
            esc.hwnd = dialog->GetSafeHwnd();
            esc.message = WM_KEYDOWN;
            esc.wParam = VK_ESCAPE;
            EXPECT_TRUE(running->PreTranslateMessage(&esc));
            auto* window = dynamic_cast<CDlgBatchRecog*>(dialog);
            ended = scribanttest::PumpUntil(
                [&] {
                    counters.push_back(running->StatusPaneText(1));
                    return window->m_bEnded != 0;
                },
                60000);
        },
        nullptr);
    frame->SendMessage(WM_COMMAND, ID_RECOG_START, 0);
    AfxPumpMessages();
    EXPECT_TRUE(ended);
    ASSERT_FALSE(AfxTestScript::Shown().empty());
    EXPECT_EQ(AfxTestScript::Shown()[0].type, 144u);
    ASSERT_FALSE(counters.empty());
    EXPECT_EQ(counters.front(), "     1/     2");
    EXPECT_EQ(std::find(counters.begin(), counters.end(), "     2/     2"), counters.end()) << "the second row was run";
    AfxTestScript::Clear();
}

TEST_F(TextoryAfterItsJob, TheBrightnessDialogWorksOnAScannedGreyPage) {
    ScanAPageThroughThePlan(scratch / "scanned.txt");
    DriveTheBrightnessDialog(*run);
}

TEST_F(TextoryAfterItsJob, EachHelpCommandOpensTheGuideShippedWithTheProgram) { OpenTheGuide(*run, scratch.path()); }

TEST_F(TextoryAfterItsJob, AJobReadyForProofreadingIsHandedToTheProofreader) {
    HandTheJobToTheProofreader(*run, scratch.path());
}

TEST_F(TextoryAfterItsJob, TheModesComeAndGoThroughTheirToolBarsAndTheTaskBar) { DriveTheModes(*run); }

TEST_F(TextoryAfterItsJob, AScannedPageWhoseNameIsTakenAsksFirst) {
    AskWhenTheNameIsTaken(*run, rendered, scratch.path());
}

// The job's progress window: up from the start with "Reading image ...",
// the page recognised in that same window (no second one), which then ends
// itself; the start's prompt never goes to the status bar.
TEST(TextoryInProcess, TheJobsPageIsReadAndRecognisedInItsProgressWindow) {
    suite_test::ScratchFolder scratch;
    const std::string image = scratch / "page.tif";
    PrepareHomeAndPage(scratch, image, "今天天气很好我们一起去公园散步", 1100, 420);
    TestTextoryApp app;
    ASSERT_TRUE(StartJob(app, scratch, image));
    auto* frame = dynamic_cast<CTextoryFrame*>(app.m_pMainWnd);
    ASSERT_NE(frame, nullptr);
    CDlgBatchRecog* progress = frame->ProgressWindow();
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(progress->IsWindowVisible());
    EXPECT_EQ(titleOf(progress), "Textory");
    EXPECT_EQ(titleOf(progress->GetDlgItem(IDC_BATCH_STATUS)), "Reading image ...");
    EXPECT_EQ(app.StatusPaneText(kStatusPrompt), "");

    ASSERT_TRUE(scribanttest::PumpUntil([&] { return app.closeRequests > 0; }, 120000));
    EXPECT_EQ(app.Job().Status(), textory::kExitWritten);
    ASSERT_EQ(frame->ProgressWindow(), progress) << "recognised in the window of the start";
    EXPECT_EQ(progress->m_nDisplay, 1) << "the page was drawn in it";
    EXPECT_EQ(titleOf(progress->GetDlgItem(IDC_BATCH_STATUS)), "Recognizing ...");
    EXPECT_FALSE(progress->IsWindowVisible()) << "ended after its hold";
    EndRun(app);
}

// The job's own page handed to the proofreading program: the files written
// beside the image for it outlive Textory's exit.
TEST(TextoryInProcess, TheFilesHandedToTheProofreaderStay) {
    suite_test::ScratchFolder scratch;
    const std::string image = scratch / "page.tif";
    PrepareHomeAndPage(scratch, image, "今天天气很好", 700, 300);
    TestTextoryApp app;
    ASSERT_TRUE(StartJob(app, scratch, image));
    ASSERT_TRUE(scribanttest::PumpUntil([&] { return app.closeRequests > 0; }, 120000));
    ASSERT_EQ(app.CurrentDocumentPath(), suite::WindowsPath(image));
    app.CurrentDocument()->CRecoResult::m_bModified = TRUE;

    const fs::path job = scratch / "proof.OCR";
    std::ofstream(job) << "";
    std::ofstream(scratch / "proof.con") << "";
    const fs::path log = scratch / "recorder-log";
    fs::create_directories(log);
    ::setenv("SUITE_RECORDER_DIR", log.c_str(), 1);
    ::setenv("SUITE_PROGRAM_EMENDO10", (suite::ProgramFolder() + "/suite_recorder").c_str(), 1);
    AfxTestScript::QueueAnswer(IDNO);
    EXPECT_TRUE(app.OpenJobPath(suite::WindowsPath(job.string())));
    ::unsetenv("SUITE_PROGRAM_EMENDO10");
    ::unsetenv("SUITE_RECORDER_DIR");
    ASSERT_TRUE(fs::exists(image + ".PST"));
    EndRun(app);
    EXPECT_TRUE(fs::exists(image + ".PST")) << "the proofreading program's project file was removed";
}

// A button of the task bar clicked with a menu answer queued: what the
// click showed (the menu first), after the chosen command has arrived.
std::vector<AfxShownRecord> ClickWithAnswer(CWorkflowBar& bar, int control, int answer) {
    AfxTestScript::Clear();
    AfxTestScript::QueueAnswer(answer);
    AfxTestClick(bar.Control(control), CPoint(4, 4));
    AfxPumpMessages();
    return AfxTestScript::Shown();
}

std::string CaptionOf(CWorkflowBar& bar, int control) { return titleOf(bar.Control(control)); }

// The resolution a page's bitmap header gives, in dots per inch (0: no header).
int DotsPerInchOf(HDIB dib) {
    if (!dib) return 0;
    const auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(dib));
    const int dpi = header ? static_cast<int>(std::lround(header->biXPelsPerMeter * 0.0254)) : 0;
    GlobalUnlock(dib);
    return dpi;
}

// The characters of a .doc (RTF) file written in the GBK code page: its
// escaped bytes decoded, the plain letters as they stand, control words left
// out, from its first paragraph on (the font table before it names fonts).
std::string RtfTextInGbk(const std::string& rtf) {
    std::string bytes;
    for (std::size_t i = rtf.find("\\pard"); i < rtf.size(); ++i) {
        if (rtf[i] == '\\' && i + 3 < rtf.size() && rtf[i + 1] == '\'') {
            bytes += static_cast<char>(std::stoi(rtf.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else if (rtf[i] == '\\') {
            while (i + 1 < rtf.size() && std::isalnum(static_cast<unsigned char>(rtf[i + 1]))) ++i;
        } else if (rtf[i] != '{' && rtf[i] != '}' && rtf[i] != '\n' && rtf[i] != '\r' && rtf[i] != ';') {
            bytes += rtf[i];
        }
    }
    return suite::AnsiToUtf8(bytes, 936);
}

// A tool-bar button of the main window clicked.
void ClickToolButton(CTextoryFrame& frame, UINT command) {
    CToolBarEx& tools = frame.ToolBar();
    const int index = tools.CommandToIndex(command);
    ASSERT_GE(index, 0) << command;
    CRect rect;
    tools.GetItemRect(index, &rect);
    AfxTestClick(&tools, rect.CenterPoint());
    AfxPumpMessages();
}

// Textory started without arguments: the main window waits hidden and the
// task bar alone is up. Through the bar: the program's icon menu (the about
// box, the settings sheet, the scanner choice), the scan settings' menus
// (300 dpi and colour chosen, the language), the read-aloud program, the
// layout and "Create to Word" boxes, the output choice, single step, and the
// scan through the scanner glue over SANE's test device: the page arrives in
// colour at 300 dpi and waits in region designation. A text page dropped on
// the main window is marked by hand, recognised, proofread from the bar and
// output to a .doc file; "识别" asks before it drops the result. Exit from
// the menu; the main window from the menu, where the job is saved from the
// File menu and reopened with F3, its pages listed again.
TEST(TextoryInProcess, StartedWithoutAJobTheTaskBarDrivesTheRun) {
    suite_test::ScratchFolder scratch;
    ::setenv("SUITE_REGISTRY_USER", (scratch / "user.db").c_str(), 1);
    ::setenv("SUITE_RUNTIME_DIR", (scratch / "runtime").c_str(), 1);
    fs::create_directories(scratch / "runtime");
    scantest::PrepareSaneTestDevice(scratch / "sane");
    ::unsetenv("SUITE_SCAN_DEVICE");
    AfxWinInit();
    AfxTestScript::Enable(true);
    testpages::ensureGui();
    const std::string textImage = scratch / "letter.tif";
    {
        CFakeShellServices writer;
        writer.convertLibrary = LoadLibraryA("Convert.dll");
        ASSERT_NE(writer.convertLibrary, nullptr);
        const testpages::Page page = testpages::textPage({kLetterText}, 1100, 420, testpages::Style{50, 0, 0, 3});
        ASSERT_TRUE(SavePlaneAsImage(page.plane, textImage));
        FreeLibrary(writer.convertLibrary);
    }

    TestTextoryApp app;
    app.realScanner = true;
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(app.ExitStatus(), textory::kExitWritten);
    auto* frame = dynamic_cast<CTextoryFrame*>(app.m_pMainWnd);
    ASSERT_NE(frame, nullptr);
    AfxPumpMessages();
    EXPECT_FALSE(frame->IsWindowVisible()) << "the main window waits hidden";
    CWorkflowBar* bar = frame->TaskBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_TRUE(bar->IsWindowVisible());
    EXPECT_FALSE(bar->Control(textory::kBarProofreadButton)->IsWindowEnabled()) << "nothing recognised yet";
    EXPECT_EQ(CaptionOf(*bar, textory::kBarStepText), "");
    grab(bar, "textory_task_bar_started.png");
    for (const auto& [control, name] :
         {std::pair{textory::kBarMenuButton, "textory_task_bar_menu_open.png"},
          std::pair{textory::kBarResolutionButton, "textory_task_bar_resolution_open.png"},
          std::pair{textory::kBarImageTypeButton, "textory_task_bar_image_type_open.png"},
          std::pair{textory::kBarLanguageButton, "textory_task_bar_language_open.png"}})
        grabScreenWithMenuOpen(name, [&, control = control] { AfxTestClick(bar->Control(control), CPoint(4, 4)); });

    // The program's icon menu: settings, scanner, about, exit; about chosen.
    ASSERT_NE(bar->Button(textory::kBarMenuButton), nullptr);
    CMenu* programMenu = bar->Button(textory::kBarMenuButton)->Menu().GetSubMenu(0);
    ASSERT_NE(programMenu, nullptr);
    EXPECT_TRUE(IsMenuRegistered(programMenu->GetSafeHmenu())) << "an icon menu";
    std::vector<AfxShownRecord> shown = ClickWithAnswer(*bar, textory::kBarMenuButton, 32918);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].kind, "menu");
    EXPECT_EQ(shown[0].buttons.size(), 6u);
    EXPECT_EQ(shown[1].kind, "dialog") << "the about box";
    EXPECT_EQ(shown[1].type, 100u);
    // The program's own title, also in the main window's menu.
    EXPECT_EQ(titleOf(frame).rfind("Textory", 0), 0u) << titleOf(frame);
    CString about;
    ASSERT_NE(frame->GetMenu(), nullptr);
    frame->GetMenu()->GetMenuString(ID_APP_ABOUT, about, MF_BYCOMMAND);
    EXPECT_NE(std::string(about.GetString()).find("Textory"), std::string::npos) << about.GetString();

    // The scan settings from their menus; the captions follow.
    shown = ClickWithAnswer(*bar, textory::kBarResolutionButton, 32958);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown[0].buttons.size(), 3u);
    EXPECT_EQ(app.m_textory.scanResolution, 1);
    EXPECT_EQ(CaptionOf(*bar, textory::kBarResolutionButton), suite::Utf8ToAnsi("300dpi↓"));
    // Opened again, the menu checks the setting as it is now.
    ClickWithAnswer(*bar, textory::kBarResolutionButton, 0);
    CMenu* resolutions = bar->Button(textory::kBarResolutionButton)->Menu().GetSubMenu(0);
    ASSERT_NE(resolutions, nullptr);
    EXPECT_TRUE(resolutions->GetMenuState(32958, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(resolutions->GetMenuState(32957, MF_BYCOMMAND) & MF_CHECKED);
    ClickWithAnswer(*bar, textory::kBarImageTypeButton, 32961);
    EXPECT_EQ(app.m_textory.scanImageType, 2);
    EXPECT_EQ(CaptionOf(*bar, textory::kBarImageTypeButton), suite::Utf8ToAnsi("彩色↓"));
    ClickWithAnswer(*bar, textory::kBarLanguageButton, 32964);
    EXPECT_EQ(app.m_settings.langCode, 2);
    EXPECT_EQ(CaptionOf(*bar, textory::kBarLanguageButton), suite::Utf8ToAnsi("英文↓"));
    ClickWithAnswer(*bar, textory::kBarLanguageButton, 32962);
    EXPECT_EQ(app.m_settings.langCode, 0);

    // The program menu's settings sheet and the scanner choice.
    shown = ClickWithAnswer(*bar, textory::kBarMenuButton, 32915);
    ASSERT_GE(shown.size(), 2u);
    EXPECT_EQ(shown[1].kind, "dialog") << "the settings sheet";
    shown = ClickWithAnswer(*bar, textory::kBarMenuButton, 32943);
    ASSERT_GE(shown.size(), 2u) << "the scanner choice is shown";
    // The read-aloud program from its button.
    const fs::path apps = scratch / "apps";
    fs::create_directories(apps);
    fs::create_directories(scratch / "log");
    fs::copy_file(suite::ProgramFolder() + "/suite_recorder", apps / "Lectiva");
    ::setenv("SUITE_RECORDER_DIR", (scratch / "log").c_str(), 1);
    ::setenv("SUITE_PROGRAM_LECTIVA", (apps / "Lectiva").c_str(), 1);
    AfxTestScript::Clear();
    AfxTestClick(bar->Control(textory::kBarReadButton), CPoint(4, 4));
    const fs::path started = fs::path(scratch / "log") / "Lectiva.record";
    EXPECT_TRUE(scribanttest::PumpUntil([&] { return fs::exists(started); }, 10000));
    EXPECT_TRUE(AfxTestScript::Shown().empty()) << "started without a word";
    ::unsetenv("SUITE_PROGRAM_LECTIVA");
    ::unsetenv("SUITE_RECORDER_DIR");
    // The layout choice and "Create to Word" from their boxes.
    const bool selLayout = app.m_textory.selLayout;
    AfxTestClick(bar->Control(textory::kBarSelLayoutCheck), CPoint(4, 4));
    EXPECT_NE(app.m_textory.selLayout, selLayout);
    const bool createToWord = app.m_textory.createToWord;
    AfxTestClick(bar->Control(textory::kBarCreateToWordCheck), CPoint(4, 4));
    EXPECT_NE(app.m_textory.createToWord, createToWord);
    AfxTestClick(bar->Control(textory::kBarCreateToWordCheck), CPoint(4, 4));
    EXPECT_EQ(app.m_textory.createToWord, createToWord);

    // The output choice turns both faces; single step and automatic from their radios.
    const bool toWord = app.m_textory.outputToWord;
    AfxTestClick(bar->Control(textory::kBarOutputChoice), CPoint(4, 4));
    EXPECT_NE(app.m_textory.outputToWord, toWord);
    AfxTestClick(bar->Control(textory::kBarOutputChoice), CPoint(4, 4));
    EXPECT_EQ(app.m_textory.outputToWord, toWord);
    // The scan button's tip, the pointer resting on it, says where the pages go.
    AfxTestMouse(bar->Control(textory::kBarScanButton), WM_MOUSEMOVE, CPoint(6, 6));
    const std::string scanTip = toWord ? "扫描输出到Word" : "扫描输出到文件";
    EXPECT_TRUE(scribanttest::PumpUntil([&] { return AfxTestShownToolTip() == scanTip; }, 3000))
        << AfxTestShownToolTip();
    if (const char* folder = std::getenv("TEXTORY_GRAB_DIR"))
        AfxTestGrabToolTip((std::string(folder) + "/textory_task_bar_scan_tip.png").c_str());
    MSG leave{};
    leave.hwnd = bar->Control(textory::kBarScanButton)->GetSafeHwnd();
    leave.message = WM_MOUSELEAVE;
    bar->Control(textory::kBarScanButton)->PreTranslateMessage(&leave);
    AfxTestClick(bar->Control(textory::kBarSingleStepRadio), CPoint(4, 4));
    EXPECT_EQ(app.m_textory.workMode, 1);
    AfxTestClick(bar->Control(textory::kBarAutomaticRadio), CPoint(4, 4));
    EXPECT_EQ(app.m_textory.workMode, 0);
    EXPECT_FALSE(bar->IsDlgButtonChecked(textory::kBarSingleStepRadio));
    AfxTestClick(bar->Control(textory::kBarSingleStepRadio), CPoint(4, 4));
    EXPECT_EQ(app.m_textory.workMode, 1);

    // The scan: through the glue, with the settings chosen above.
    const std::string target = app.m_strDataDir + "\\image\\page010.jpg";
    app.SetScanTarget(target);
    AfxTestScript::Clear();
    AfxTestClick(bar->Control(textory::kBarScanButton), CPoint(4, 4));
    ASSERT_TRUE(scribanttest::PumpUntil([&] { return app.m_workflow.InRegionMode(); }, 60000))
        << "the page arrives and the plan goes on to region designation";
    EXPECT_TRUE(AfxTestScript::Shown().empty()) << "no scanner dialog: the bar's settings hold";
    const std::string jpeg = readBytes(suite::NativePath(target));
    ASSERT_GT(jpeg.size(), 20u);
    EXPECT_EQ(jpeg.substr(0, 2), "\xFF\xD8");
    ASSERT_NE(app.CurrentDocument(), nullptr);
    ASSERT_NE(app.CurrentDocument()->m_pImage, nullptr);
    EXPECT_EQ(app.CurrentDocument()->m_pImage->m_nBitCount, 24) << "in colour";
    // The page itself carries the resolution (the test device scans at 50 dpi unless told).
    EXPECT_EQ(DotsPerInchOf(app.CurrentDocument()->m_pImage->m_hDib), 300);
    ASSERT_EQ(jpeg.substr(6, 4), "JFIF");
    EXPECT_EQ(jpeg[13], 1) << "dots an inch";
    EXPECT_EQ((static_cast<unsigned char>(jpeg[14]) << 8) | static_cast<unsigned char>(jpeg[15]), 300);
    EXPECT_EQ(app.m_strScanTarget, app.m_strDataDir + "\\image\\page011.jpg");
    EXPECT_TRUE(frame->IsWindowVisible());
    EXPECT_FALSE(bar->IsWindowVisible()) << "the bar hides while a mode shows the main window";
    app.realScanner = false;

    // A text page dropped on the main window, marked by hand and recognised.
    // Named as a real drop names it.
    ASSERT_TRUE(AfxTestDropFiles(frame, {suite::WindowsPath(textImage)}, CPoint(200, 200)));
    ASSERT_TRUE(scribanttest::PumpUntil(
        [&] { return app.CurrentDocumentPath() == suite::WindowsPath(textImage) && app.CurrentDocument()->m_pImage; },
        30000));
    // The drop lists the page and opens it: wait until the page view shows it.
    scribanttest::PumpUntil([] { return false; }, 1500);
    COcrDoc* doc = app.CurrentDocument();
    auto* view = dynamic_cast<COcrView*>(doc->GetPageView());
    ASSERT_NE(view, nullptr);
    const POINT from = view->Controller().PageToClient(POINT{20, 20});
    const POINT to = view->Controller().PageToClient(POINT{1080, 400});
    AfxTestMouse(view, WM_LBUTTONDOWN, from);
    AfxTestMouse(view, WM_MOUSEMOVE, POINT{(from.x + to.x) / 2, (from.y + to.y) / 2}, MK_LBUTTON);
    AfxTestMouse(view, WM_MOUSEMOVE, to, MK_LBUTTON);
    AfxTestMouse(view, WM_LBUTTONUP, to);
    AfxPumpMessages();
    ASSERT_TRUE(doc->m_pPageRegion && doc->m_pPageRegion->GetChildCount() > 0) << "a region marked by hand";
    // The page at 100 %: the recognition shows it whole, then gives the
    // zoom back (the text view then frames its first character).
    view->SetZoom(256);
    ClickToolButton(*frame, textory::kCmdSubmitRegions);
    ASSERT_TRUE(scribanttest::PumpUntil([&] { return app.m_workflow.IsIdle(); }, 120000));
    EXPECT_TRUE(doc->m_bHasResult);
    EXPECT_EQ(view->Controller().Zoom(), 256) << "the zoom given back";
    ClickToolButton(*frame, textory::kCmdExitRegionMode);
    EXPECT_FALSE(frame->IsWindowVisible());
    ASSERT_TRUE(bar->IsWindowVisible());

    // Proofreading from the bar; the text goes out as a .doc file.
    CWnd* proofread = bar->Control(textory::kBarProofreadButton);
    ASSERT_TRUE(proofread->IsWindowEnabled());
    AfxTestClick(proofread, CPoint(4, 4));
    ASSERT_TRUE(app.m_workflow.InProofMode());
    // A correction typed into the text view goes out with the text.
    CTextView* textView = nullptr;
    for (POSITION at = doc->GetFirstViewPosition(); at && !textView;)
        textView = dynamic_cast<CTextView*>(doc->GetNextView(at));
    ASSERT_NE(textView, nullptr);
    const bool typed = GetACP() == 936;
    if (typed) {
        AfxTestKey(textView, VK_HOME);
        AfxTestKey(textView, 0, "中");
    }
    const fs::path document = scratch / "letter.doc";
    AfxTestScript::Clear();
    AfxTestScript::QueueFile(document.string());
    ClickToolButton(*frame, 32986);
    ASSERT_TRUE(fs::exists(document));
    const std::string rtf = readBytes(document);
    EXPECT_EQ(rtf.substr(0, 5), "{\\rtf");
    EXPECT_GE(testpages::charAccuracy(kLetterText, RtfTextInGbk(rtf), false), 0.6) << rtf;
    if (typed) {
        EXPECT_NE(RtfTextInGbk(rtf).find("中"), std::string::npos) << "the correction kept";
    }
    ClickToolButton(*frame, textory::kCmdExitProofreadMode);
    EXPECT_TRUE(bar->IsWindowVisible());
    EXPECT_TRUE(app.m_workflow.IsIdle());

    // "识别" on a recognised page asks first: "否" keeps the result; "是"
    // drops it and the page waits in region designation again.
    AfxTestScript::Clear();
    AfxTestScript::QueueAnswer(IDNO);
    AfxTestClick(bar->Control(textory::kBarRecognizeButton), CPoint(4, 4));
    AfxPumpMessages();
    ASSERT_EQ(AfxTestScript::Shown().size(), 1u);
    EXPECT_TRUE(doc->m_bHasResult);
    EXPECT_TRUE(bar->IsWindowVisible());
    AfxTestScript::QueueAnswer(IDYES);
    AfxTestClick(bar->Control(textory::kBarRecognizeButton), CPoint(4, 4));
    AfxPumpMessages();
    EXPECT_FALSE(doc->m_bHasResult);
    EXPECT_TRUE(app.m_workflow.InRegionMode());
    EXPECT_FALSE(bar->IsWindowVisible());
    ClickToolButton(*frame, textory::kCmdExitRegionMode);
    EXPECT_TRUE(bar->IsWindowVisible());
    EXPECT_TRUE(app.m_workflow.IsIdle());

    // A changed job is offered for saving by a new task ("取消" keeps it).
    const int rows = app.PageListRowCount();
    ASSERT_EQ(rows, 2) << "the scanned page and the dropped one";
    ClickWithAnswer(*bar, textory::kBarLanguageButton, 32963);
    EXPECT_EQ(app.PageListItemText(app.PageListCurrentRow(), 1), suite::Utf8ToAnsi("简繁"));
    EXPECT_EQ(app.m_task.m_bJobModified, 1) << "the row's language changed the job";

    // F3 belongs to the main window: pressed on the task bar it opens nothing.
    AfxTestScript::Clear();
    MSG onBar{};
    onBar.hwnd = bar->GetSafeHwnd();
    onBar.message = WM_KEYDOWN;
    onBar.wParam = VK_F3;
    app.PreTranslateMessage(&onBar);
    EXPECT_TRUE(AfxTestScript::Shown().empty());

    // Exit from the bar's menu asks the main window to close.
    const int closesBefore = app.closeRequests;
    ClickWithAnswer(*bar, textory::kBarMenuButton, 32914);
    EXPECT_EQ(app.closeRequests, closesBefore + 1);

    // The main window from the bar's menu: the task bar goes, the job's
    // commands are in the File menu.
    ClickWithAnswer(*bar, textory::kBarMenuButton, 32913);
    EXPECT_TRUE(frame->IsWindowVisible());
    EXPECT_FALSE(bar->IsWindowVisible());
    EXPECT_FALSE(app.TaskMode());
    ASSERT_NE(frame->GetMenu(), nullptr);
    CMenu* fileMenu = frame->GetMenu()->GetSubMenu(0);
    ASSERT_NE(fileMenu, nullptr);
    EXPECT_NE(fileMenu->GetMenuState(ID_FILE_OPEN_PROJECT, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_NE(fileMenu->GetMenuState(ID_FILE_SAVE_PROJECT, MF_BYCOMMAND), static_cast<UINT>(-1));
    AfxTestScript::Clear();
    AfxTestScript::QueueAnswer(IDCANCEL);
    frame->SendMessage(WM_COMMAND, ID_TASK_NEW, 0);
    ASSERT_EQ(AfxTestScript::Shown().size(), 1u);
    EXPECT_EQ(AfxTestScript::Shown()[0].kind, "message");
    EXPECT_EQ(app.PageListRowCount(), rows) << "kept";

    // Saved under the name the user gives; a new task then asks nothing.
    const fs::path jobFile = scratch / "letters.OCR";
    AfxTestScript::Clear();
    AfxTestScript::QueueFile(suite::WindowsPath(jobFile.string()));
    frame->SendMessage(WM_COMMAND, ID_FILE_SAVE_PROJECT, 0);
    ASSERT_TRUE(fs::exists(jobFile));
    EXPECT_EQ(app.m_task.m_bJobModified, 0);
    EXPECT_EQ(app.m_task.m_strName, suite::WindowsPath(jobFile.string()));
    std::vector<std::string> listed;
    for (int row = 0; row < rows; ++row) listed.push_back(app.PageListItemText(row, 0));
    frame->SendMessage(WM_COMMAND, ID_TASK_NEW, 0);
    EXPECT_EQ(app.PageListRowCount(), 0);

    // Reopened with F3 pressed in the page view (as the message loop hands
    // the key on): the pages are listed again and the marked one opened.
    AfxTestScript::Clear();
    AfxTestScript::QueueFile(suite::WindowsPath(jobFile.string()));
    MSG f3{};
    f3.hwnd = view->GetSafeHwnd();
    f3.message = WM_KEYDOWN;
    f3.wParam = VK_F3;
    EXPECT_TRUE(app.PreTranslateMessage(&f3));
    AfxPumpMessages();
    ASSERT_EQ(app.PageListRowCount(), rows) << readBytes(jobFile);
    for (int row = 0; row < rows; ++row) EXPECT_EQ(app.PageListItemText(row, 0), listed[static_cast<std::size_t>(row)]);
    EXPECT_EQ(app.PageListItemText(app.PageListCurrentRow(), 1), suite::Utf8ToAnsi("简繁"));
    EXPECT_EQ(app.m_task.m_strName, suite::WindowsPath(jobFile.string()));
    ASSERT_TRUE(scribanttest::PumpUntil(
        [&] { return app.CurrentDocumentPath() == app.PageListItemText(app.PageListCurrentRow(), 0); }, 30000))
        << app.CurrentDocumentPath() << " | " << app.PageListItemText(app.PageListCurrentRow(), 0);

    // Changed again and let go ("否"): the user's run goes on without pages.
    frame->SendMessage(WM_COMMAND, 32962, 0);
    EXPECT_EQ(app.m_task.m_bJobModified, 1);
    AfxTestScript::QueueAnswer(IDNO);
    frame->SendMessage(WM_COMMAND, ID_TASK_NEW, 0);
    EXPECT_EQ(app.PageListRowCount(), 0);
    AfxPumpMessages();
    EXPECT_EQ(app.closeRequests, closesBefore + 1) << "the user's run goes on without pages";

    frame->DestroyWindow();
    app.m_pMainWnd = nullptr;
    app.ExitInstance();
    AfxTestScript::Clear();
}

}  // namespace
