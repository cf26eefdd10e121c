// Documents, views and frames working together: the single-document
// template's open path, views told of changes, frames closing through their
// document, and what a frame's bars do around its views.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/afx/ui/bars.h"
#include "platform/afx/ui/dcwnd.h"
#include "platform/afx/ui/splitter.h"
#include "platform/afx/ui/testing.h"
#include "platform/afx/ui/tests/sample_ids.h"
#include "platform/afx/ui/tests/test_app.h"

namespace {

CRect RectIn(CWnd* w, CWnd* in) {
    CRect r;
    w->GetWindowRect(&r);
    in->ScreenToClient(&r);
    return r;
}

// What the documents and views of the template below were asked, in order.
std::vector<std::string> g_log;
BOOL g_openResult = TRUE;
bool g_deferOpen = false;      // open as a page loader does: take the path, answer FALSE
int g_saveModified = -1;       // -1: the framework's question; else the answer given

class LogDoc : public CDocument {
    DECLARE_DYNCREATE(LogDoc)
public:
    ~LogDoc() override { g_log.push_back("doc gone"); }
    BOOL OnNewDocument() override {
        g_log.push_back("new");
        return CDocument::OnNewDocument();
    }
    BOOL OnOpenDocument(LPCTSTR path) override {
        g_log.push_back(std::string("open ") + path + (IsModified() ? " modified" : ""));
        if (g_deferOpen) {
            SetPathName(path, FALSE);
            return FALSE;
        }
        return g_openResult && CDocument::OnOpenDocument(path);
    }
    BOOL SaveModified() override {
        g_log.push_back("save?");
        return g_saveModified < 0 ? CDocument::SaveModified() : g_saveModified;
    }
};
IMPLEMENT_DYNCREATE(LogDoc, CDocument)

struct UpdateSeen {
    int view;
    CView* sender;
    LPARAM hint;
    CObject* object;
};
std::vector<UpdateSeen> g_updates;

class LogView : public CView {
    DECLARE_DYNCREATE(LogView)
public:
    ~LogView() override { g_log.push_back("view gone"); }
    int Pane() const { return GetDlgCtrlID() - AFX_IDW_PANE_FIRST; }
    void OnDraw(CDC*) override {}
    void OnInitialUpdate() override { g_log.push_back("init " + std::to_string(Pane())); }
    void OnUpdate(CView* sender, LPARAM hint, CObject* object) override {
        g_updates.push_back({Pane(), sender, hint, object});
    }
    void OnActivateView(BOOL activate, CView*, CView*) override {
        g_log.push_back((activate ? "activate " : "deactivate ") + std::to_string(Pane()));
    }
};
IMPLEMENT_DYNCREATE(LogView, CView)

// A frame whose client is a splitter with two views of the document, as the
// main window's is.
class SplitFrame : public CFrameWnd {
    DECLARE_DYNCREATE(SplitFrame)
public:
    CSplitterWnd m_split;
    BOOL OnCreateClient(LPCREATESTRUCT, CCreateContext* ctx) override {
        return m_split.CreateStatic(this, 1, 2) && m_split.CreateView(0, 0, RUNTIME_CLASS(LogView), CSize(200, 0), ctx) &&
               m_split.CreateView(0, 1, RUNTIME_CLASS(LogView), CSize(0, 0), ctx);
    }
};
IMPLEMENT_DYNCREATE(SplitFrame, CFrameWnd)

CSingleDocTemplate* Template() {
    static CSingleDocTemplate* t = [] {
        auto* made = new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(LogDoc), RUNTIME_CLASS(SplitFrame), RUNTIME_CLASS(LogView));
        AfxGetApp()->AddDocTemplate(made);
        return made;
    }();
    return t;
}

class DocTemplateTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(UseSampleResources());
        app = AfxGetApp();
        ASSERT_EQ(app->m_pMainWnd, nullptr);
        Template();
        g_log.clear();
        g_updates.clear();
        g_openResult = TRUE;
        g_deferOpen = false;
        g_saveModified = -1;
        AfxTestScript::Enable(true);
        AfxTestScript::Clear();
        recent = new CRecentFileList(0, "Recent File List", "File%d", 4);
        app->m_pRecentFileList = recent;
    }
    void TearDown() override {
        g_saveModified = TRUE;
        if (CDocument* doc = Template()->m_pOnlyDoc) doc->OnCloseDocument();
        AfxPumpMessages();
        MSG msg;
        while (::PeekMessage(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        app->m_pMainWnd = nullptr;
        app->m_pRecentFileList = nullptr;
        delete recent;
        AfxTestScript::Clear();
        AfxTestScript::Enable(false);
    }
    // The document of a frame made by File New, its views in pane order.
    LogDoc* NewDocument() {
        app->OnFileNew();
        return static_cast<LogDoc*>(Template()->m_pOnlyDoc);
    }
    std::vector<CView*> Views(CDocument* doc) {
        std::vector<CView*> views;
        for (POSITION pos = doc->GetFirstViewPosition(); pos;) views.push_back(doc->GetNextView(pos));
        return views;
    }
    CString Title() {
        CString t;
        app->m_pMainWnd->GetWindowText(t);
        return t;
    }
    CWinApp* app = nullptr;
    CRecentFileList* recent = nullptr;
};

TEST_F(DocTemplateTest, OpeningReplacesTheDocumentOnlyWhenItAgreesAndNeverOpensTheSamePathTwice) {
    LogDoc* doc = NewDocument();
    ASSERT_NE(doc, nullptr);
    ASSERT_NE(app->m_pMainWnd, nullptr);
    CWnd* frame = app->m_pMainWnd;
    EXPECT_EQ(g_log, (std::vector<std::string>{"new", "init 0", "init 1", "activate 0"}));
    EXPECT_STREQ(doc->GetTitle(), "Untitled");
    EXPECT_STREQ(Title(), "Sample Frame - Untitled");
    EXPECT_TRUE(frame->IsWindowVisible());

    // A changed document is asked first; what it held is no change of the file being read.
    g_log.clear();
    g_saveModified = TRUE;
    doc->SetModifiedFlag(TRUE);
    EXPECT_EQ(app->OpenDocumentFile("/data/pages/a.tif"), doc);
    EXPECT_EQ(g_log, (std::vector<std::string>{"save?", "open /data/pages/a.tif", "init 0", "init 1", "activate 0"}));
    EXPECT_STREQ(doc->GetPathName(), "/data/pages/a.tif");
    EXPECT_STREQ(Title(), "Sample Frame - a.tif");
    EXPECT_STREQ((*recent)[0], "/data/pages/a.tif");
    EXPECT_EQ(app->m_pMainWnd, frame);  // the one frame is kept

    // The path that is open already (in any case) is only brought up again.
    g_log.clear();
    EXPECT_EQ(app->OpenDocumentFile("/DATA/pages/A.TIF"), doc);
    EXPECT_TRUE(g_log.empty());

    // A refused replacement opens nothing; a failed open keeps the path, the title and the list.
    g_saveModified = FALSE;
    EXPECT_EQ(app->OpenDocumentFile("/data/pages/b.tif"), nullptr);
    EXPECT_EQ(g_log, std::vector<std::string>{"save?"});
    g_log.clear();
    g_saveModified = TRUE;
    g_openResult = FALSE;
    doc->SetModifiedFlag(TRUE);
    EXPECT_EQ(app->OpenDocumentFile("/data/pages/b.tif"), nullptr);
    EXPECT_EQ(g_log, (std::vector<std::string>{"save?", "open /data/pages/b.tif"}));
    EXPECT_FALSE(doc->IsModified());
    EXPECT_STREQ(doc->GetPathName(), "/data/pages/a.tif");
    EXPECT_STREQ(Title(), "Sample Frame - a.tif");
    EXPECT_EQ(recent->GetCount(), 1);

    // A document that reads in the background takes the path itself and answers FALSE;
    // asking for that page again finds it open instead of starting another read.
    g_log.clear();
    g_deferOpen = true;
    EXPECT_EQ(app->OpenDocumentFile("/data/pages/c.tif"), nullptr);
    EXPECT_STREQ(doc->GetPathName(), "/data/pages/c.tif");
    EXPECT_STREQ(Title(), "Sample Frame - c.tif");
    EXPECT_EQ(app->OpenDocumentFile("/data/pages/c.tif"), doc);
    EXPECT_EQ(g_log, (std::vector<std::string>{"save?", "open /data/pages/c.tif"}));

    // An empty path is no file: an untitled document is not taken for it.
    g_deferOpen = false;
    EXPECT_EQ(NewDocument(), doc);
    g_log.clear();
    g_openResult = FALSE;
    EXPECT_EQ(app->OpenDocumentFile(""), nullptr);
    EXPECT_EQ(g_log, (std::vector<std::string>{"save?", "open "}));
    g_openResult = TRUE;

    // File New reuses the document and the frame, and starts its views afresh.
    g_log.clear();
    EXPECT_EQ(NewDocument(), doc);
    EXPECT_EQ(g_log, (std::vector<std::string>{"save?", "new", "init 0", "init 1", "activate 0"}));
    EXPECT_TRUE(doc->GetPathName().IsEmpty());
    EXPECT_STREQ(Title(), "Sample Frame - Untitled");
    EXPECT_EQ(app->m_pMainWnd, frame);
}

TEST_F(DocTemplateTest, ViewsHearOfChangesMadeThroughAnotherAndTakeTurnsBeingActive) {
    LogDoc* doc = NewDocument();
    ASSERT_NE(doc, nullptr);
    auto* frame = static_cast<SplitFrame*>(app->m_pMainWnd);
    std::vector<CView*> views = Views(doc);
    ASSERT_EQ(views.size(), 2u);
    EXPECT_EQ(views[0], frame->m_split.GetPane(0, 0));
    EXPECT_EQ(views[1], frame->m_split.GetPane(0, 1));
    EXPECT_EQ(frame->GetActiveView(), views[0]);
    EXPECT_EQ(frame->GetActiveDocument(), doc);

    // Every view but the one that made the change, with the hint as given.
    CStringList hintObject;  // any object the views know how to read
    doc->UpdateAllViews(views[0], 7, &hintObject);
    ASSERT_EQ(g_updates.size(), 1u);
    EXPECT_EQ(g_updates[0].view, 1);
    EXPECT_EQ(g_updates[0].sender, views[0]);
    EXPECT_EQ(g_updates[0].hint, 7);
    EXPECT_EQ(g_updates[0].object, &hintObject);
    g_updates.clear();
    doc->UpdateAllViews(nullptr);
    ASSERT_EQ(g_updates.size(), 2u);
    EXPECT_EQ(g_updates[0].view, 0);
    EXPECT_EQ(g_updates[1].view, 1);

    // The other pane becomes active, and both are told.
    g_log.clear();
    frame->m_split.SetActivePane(0, 1);
    EXPECT_EQ(frame->GetActiveView(), views[1]);
    EXPECT_EQ(g_log, (std::vector<std::string>{"deactivate 0", "activate 1"}));
    int row = -1, col = -1;
    EXPECT_EQ(frame->m_split.GetActivePane(&row, &col), views[1]);
    EXPECT_EQ(col, 1);

    // The document's title reaches the frame's caption when it changes.
    doc->SetTitle("page 3");
    EXPECT_STREQ(Title(), "Sample Frame - page 3");
}

TEST_F(DocTemplateTest, ClosingTheMainFrameAsksTheDocumentOnceAndEndsTheProgram) {
    LogDoc* doc = NewDocument();
    ASSERT_NE(doc, nullptr);
    HWND frame = app->m_pMainWnd->m_hWnd;
    doc->SetModifiedFlag(TRUE);

    // Cancel keeps everything.
    AfxTestScript::QueueAnswer(IDCANCEL);
    ::SendMessage(frame, WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(frame));
    EXPECT_EQ(AfxTestScript::Shown().size(), 1u);
    EXPECT_EQ(Template()->m_pOnlyDoc, doc);

    // No: the question is not put again, the frame, its views and the document go, and the program ends.
    g_log.clear();
    AfxTestScript::QueueAnswer(IDNO);
    ::SendMessage(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(AfxTestScript::Shown().size(), 2u);
    EXPECT_FALSE(::IsWindow(frame));
    EXPECT_EQ(app->m_pMainWnd, nullptr);
    EXPECT_EQ(Template()->m_pOnlyDoc, nullptr);
    EXPECT_EQ(std::count(g_log.begin(), g_log.end(), "save?"), 1);
    EXPECT_EQ(std::count(g_log.begin(), g_log.end(), "view gone"), 2);
    EXPECT_EQ(std::count(g_log.begin(), g_log.end(), "doc gone"), 1);
    MSG msg;
    EXPECT_TRUE(::PeekMessage(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

TEST_F(DocTemplateTest, ClosingTheDocumentTakesItsFrameWithBothPanes) {
    LogDoc* doc = NewDocument();
    ASSERT_NE(doc, nullptr);
    HWND frame = app->m_pMainWnd->m_hWnd;
    g_log.clear();
    // File Close from the menu, routed through the active view to the document.
    ::SendMessage(frame, WM_COMMAND, ID_FILE_CLOSE, 0);
    EXPECT_FALSE(::IsWindow(frame));
    EXPECT_EQ(Template()->m_pOnlyDoc, nullptr);
    EXPECT_EQ(g_log, (std::vector<std::string>{"save?", "view gone", "view gone", "doc gone"}));
}

// Dialog bars: the bar's own handlers, then the frame's; only command buttons
// go grey for want of a handler.
class OwnBar : public CDialogBar {
public:
    int m_keepClicks = 0;
    void OnUpdateCancel(CCmdUI* ui) {
        ui->Enable(TRUE);
        ui->SetText("Stop");
    }
    void OnKeep() { ++m_keepClicks; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(OwnBar, CDialogBar)
    ON_UPDATE_COMMAND_UI(IDCANCEL, OnUpdateCancel)
    ON_BN_CLICKED(IDC_KEEP, OnKeep)
END_MESSAGE_MAP()

TEST(DialogBar, ControlsFollowTheBarsOwnHandlersFirstAndOnlyCommandButtonsGoGrey) {
    ASSERT_TRUE(UseSampleResources());
    auto* frame = new CommandFrame;
    ASSERT_TRUE(frame->Create(nullptr, "Dialog bar", WS_OVERLAPPEDWINDOW, CRect(0, 0, 500, 400)));
    OwnBar bar;
    ASSERT_TRUE(bar.Create(frame, IDD_SETTINGS, CBRS_TOP | WS_VISIBLE, AFX_IDW_DIALOGBAR));
    frame->ShowWindow(SW_SHOW);
    frame->SendMessage(WM_IDLEUPDATECMDUI, TRUE, 0);
    bar.SendMessage(WM_IDLEUPDATECMDUI, TRUE, 0);

    // Without any handler: the edits, boxes, lists and state-keeping buttons stay usable...
    for (int id : {IDC_NAME, IDC_COUNT, IDC_KIND, IDC_LIST, IDC_KEEP, IDC_MODE_A, IDC_LEVEL})
        EXPECT_TRUE(bar.GetDlgItem(id)->IsWindowEnabled()) << id;
    // ...and a command button nobody handles is disabled.
    EXPECT_FALSE(bar.GetDlgItem(IDOK)->IsWindowEnabled());
    // The bar's own update handler decides for its button.
    EXPECT_TRUE(bar.GetDlgItem(IDCANCEL)->IsWindowEnabled());
    CString text;
    bar.GetDlgItem(IDCANCEL)->GetWindowText(text);
    EXPECT_STREQ(text, "Stop");

    // Clicks the bar handles stay with it; the others reach the frame.
    CWnd* keep = bar.GetDlgItem(IDC_KEEP);
    bar.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_KEEP, BN_CLICKED), reinterpret_cast<LPARAM>(keep->m_hWnd));
    EXPECT_EQ(bar.m_keepClicks, 1);
    EXPECT_TRUE(frame->m_commands.empty());
    bar.SendMessage(WM_COMMAND, MAKEWPARAM(ID_FILE_OPEN, BN_CLICKED), 0);
    EXPECT_EQ(frame->m_commands, std::vector<UINT>{ID_FILE_OPEN});
    bar.DestroyWindow();
    frame->DestroyWindow();
}

// Tool bars: buttons hidden and shown, check buttons and their groups, tips.
TEST(ToolBar, HiddenButtonsGiveTheirPlaceAwayAndCheckButtonsFlipOnAClick) {
    ASSERT_TRUE(UseSampleResources());
    auto* frame = new CommandFrame;
    ASSERT_TRUE(frame->Create(nullptr, "Tool bar", WS_OVERLAPPEDWINDOW, CRect(0, 0, 500, 300)));
    CToolBar bar;
    ASSERT_TRUE(bar.CreateEx(frame, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS) &&
                bar.LoadToolBar(IDR_MAINFRAME));
    frame->ShowWindow(SW_SHOW);
    frame->RecalcLayout();
    const QRgb folder = qRgb(240, 200, 40);  // the glyph of ID_FILE_OPEN
    bar.UpdateWindow();
    QImage before = Picture(&bar);
    ASSERT_GT(PixelsOf(before, before.rect(), folder), 20);
    CRect open, save;
    bar.GetItemRect(1, &open);
    bar.GetItemRect(2, &save);
    int length = bar.CalcFixedLayout(FALSE, TRUE).cx;

    // Hidden: the buttons after it move up, the bar is shorter, and the picture shows it.
    bar.SetButtonStyle(1, TBBS_HIDDEN);
    CRect moved;
    bar.GetItemRect(2, &moved);
    EXPECT_EQ(moved.left, open.left);
    EXPECT_EQ(bar.CalcFixedLayout(FALSE, TRUE).cx, length - open.Width());
    bar.UpdateWindow();
    QImage hidden = Picture(&bar);
    EXPECT_EQ(PixelsOf(hidden, hidden.rect(), folder), 0);
    bar.SetButtonStyle(1, TBBS_BUTTON);
    bar.GetItemRect(2, &moved);
    EXPECT_EQ(moved, save);
    bar.UpdateWindow();
    QImage shown = Picture(&bar);
    EXPECT_GT(PixelsOf(shown, shown.rect(), folder), 20);

    // A check button flips with each click; in a group the clicked one is the checked one.
    auto click = [&](int index) {
        CRect r;
        bar.GetItemRect(index, &r);
        AfxTestClick(&bar, r.CenterPoint());
    };
    const int zoomIn = bar.CommandToIndex(ID_VIEW_ZOOM_IN);
    const int pen = bar.CommandToIndex(ID_TOOL_PEN), eraser = bar.CommandToIndex(ID_TOOL_ERASE);
    bar.SetButtonStyle(zoomIn, TBBS_CHECKBOX);
    click(zoomIn);
    EXPECT_TRUE(bar.GetButtonStyle(zoomIn) & TBBS_CHECKED);
    click(zoomIn);
    EXPECT_FALSE(bar.GetButtonStyle(zoomIn) & TBBS_CHECKED);
    bar.SetButtonStyle(pen, TBBS_CHECKGROUP);
    bar.SetButtonStyle(eraser, TBBS_CHECKGROUP);
    click(pen);
    click(eraser);
    EXPECT_FALSE(bar.GetButtonStyle(pen) & TBBS_CHECKED);
    EXPECT_TRUE(bar.GetButtonStyle(eraser) & TBBS_CHECKED);
    click(eraser);
    EXPECT_TRUE(bar.GetButtonStyle(eraser) & TBBS_CHECKED);
    // The zoom button next to the group is no part of it.
    EXPECT_FALSE(bar.GetButtonStyle(zoomIn) & TBBS_CHECKED);
    EXPECT_EQ(frame->m_commands, (std::vector<UINT>{ID_VIEW_ZOOM_IN, ID_VIEW_ZOOM_IN, ID_TOOL_PEN, ID_TOOL_ERASE,
                                                    ID_TOOL_ERASE}));

    // The tip is the part of the command's string after the line feed, and goes off the buttons.
    bar.GetItemRect(1, &open);
    AfxTestMouse(&bar, WM_MOUSEMOVE, open.CenterPoint());
    EXPECT_EQ(bar.GetWidget()->toolTip(), QString("Open"));
    AfxTestMouse(&bar, WM_MOUSEMOVE, POINT{length + 40, open.CenterPoint().y});
    EXPECT_TRUE(bar.GetWidget()->toolTip().isEmpty());
    bar.DestroyWindow();
    frame->DestroyWindow();
}

// A frame with a tool bar, a dialog bar and a status bar around its view.
class PaneView : public CView {
    DECLARE_DYNCREATE(PaneView)
public:
    void OnDraw(CDC* dc) override {
        CRect r;
        GetClientRect(&r);
        dc->FillSolidRect(&r, RGB(0, 160, 160));
    }
};
IMPLEMENT_DYNCREATE(PaneView, CView)

TEST(FrameLayout, ToolDialogAndStatusBarsStackAroundTheViewAndGiveBackTheirRoom) {
    ASSERT_TRUE(UseSampleResources());
    auto* frame = new CommandFrame;
    ASSERT_TRUE(frame->Create(nullptr, "Layout", WS_OVERLAPPEDWINDOW, CRect(0, 0, 640, 480)));
    CCreateContext ctx;
    ctx.m_pNewViewClass = RUNTIME_CLASS(PaneView);
    CView* view = static_cast<CView*>(frame->CreateView(&ctx));
    ASSERT_NE(view, nullptr);
    CToolBar tools;
    CDialogBar dialog;
    CStatusBar status;
    ASSERT_TRUE(tools.CreateEx(frame) && tools.LoadToolBar(IDR_MAINFRAME));
    ASSERT_TRUE(dialog.Create(frame, IDD_SETTINGS, CBRS_TOP | WS_VISIBLE, AFX_IDW_DIALOGBAR));
    const UINT ids[] = {ID_SEPARATOR, ID_INDICATOR_PAGE, ID_INDICATOR_CAPS};
    ASSERT_TRUE(status.Create(frame) && status.SetIndicators(ids, 3));
    frame->ShowWindow(SW_SHOW);
    frame->RecalcLayout();

    CRect client, tb = RectIn(&tools, frame), db = RectIn(&dialog, frame), sb = RectIn(&status, frame);
    frame->GetClientRect(&client);
    EXPECT_EQ(tb.top, 0);
    EXPECT_EQ(db.top, tb.bottom);
    EXPECT_EQ(db.Width(), client.Width());
    EXPECT_EQ(sb.bottom, client.bottom);
    EXPECT_EQ(RectIn(view, frame), CRect(0, db.bottom, client.right, sb.top));

    // Menu prompts and the tool bar's fly-by prompts go to the first pane, and
    // give way to the idle message when the menu closes or the mouse leaves the buttons.
    CString idle;
    ASSERT_TRUE(AfxLoadString(AFX_IDS_IDLEMESSAGE, idle));
    CMenu popup;
    ASSERT_TRUE(popup.CreatePopupMenu());
    popup.AppendMenu(MF_STRING, ID_FILE_OPEN, "Open");
    frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(ID_FILE_OPEN, 0), reinterpret_cast<LPARAM>(popup.m_hMenu));
    EXPECT_STREQ(status.GetPaneText(0), "Open a page");
    frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_STREQ(status.GetPaneText(0), idle);
    tools.SetBarStyle(tools.GetBarStyle() | CBRS_FLYBY);
    CRect button;
    tools.GetItemRect(tools.CommandToIndex(ID_FILE_SAVE), &button);
    AfxTestMouse(&tools, WM_MOUSEMOVE, button.CenterPoint());
    EXPECT_STREQ(status.GetPaneText(0), "Save the page");
    AfxTestMouse(&tools, WM_MOUSEMOVE, POINT{tb.right - 5, button.CenterPoint().y});
    EXPECT_STREQ(status.GetPaneText(0), idle);
    frame->SetMessageText(ID_FILE_OPEN);
    // The indicators keep their own texts.
    EXPECT_EQ(status.CommandToIndex(ID_INDICATOR_CAPS), 2);
    EXPECT_EQ(status.CommandToIndex(ID_INDICATOR_NUM), -1);
    // A wider pane takes its room from the stretching one; moved to another pane, the stretch follows.
    CRect p0, p1, p2, q0, q1, q2;
    status.GetItemRect(0, &p0);
    status.GetItemRect(1, &p1);
    status.GetItemRect(2, &p2);
    UINT id = 0, style = 0;
    int width = 0;
    status.GetPaneInfo(1, id, style, width);
    status.SetPaneInfo(1, id, style, width + 50);
    status.GetItemRect(0, &q0);
    status.GetItemRect(1, &q1);
    status.GetItemRect(2, &q2);
    EXPECT_EQ(q0.Width(), p0.Width() - 50);
    EXPECT_EQ(q1.Width(), p1.Width() + 50);
    EXPECT_EQ(q2, p2);
    status.SetPaneInfo(0, ID_SEPARATOR, SBPS_NOBORDERS, 100);
    status.SetPaneInfo(1, id, SBPS_STRETCH, 0);
    status.GetItemRect(0, &q0);
    status.GetItemRect(1, &q1);
    status.GetItemRect(2, &q2);
    EXPECT_LT(q0.Width(), p0.Width());
    EXPECT_GT(q1.Width(), p1.Width());
    EXPECT_EQ(q1.left, q0.right + (p1.left - p0.right));
    EXPECT_EQ(q2, p2);

    frame->UpdateWindow();
    QString png = QCoreApplication::applicationDirPath() + "/../test-output/afx_ui";
    QDir().mkpath(png);
    EXPECT_TRUE(frame->GrabToFile((png + "/frame_bars_layout.png").toLocal8Bit().constData()));
    QImage img = Picture(frame);
    CRect inView = RectIn(view, frame);
    EXPECT_GT(PixelsOf(img, QRect(inView.left + 5, inView.top + 5, 50, 50), qRgb(0, 160, 160)), 2000);

    // Hidden, the dialog bar gives its room to the view; shown, it takes it back.
    frame->ShowControlBar(&dialog, FALSE, FALSE);
    EXPECT_EQ(RectIn(view, frame).top, tb.bottom);
    frame->ShowControlBar(&dialog, TRUE, FALSE);
    EXPECT_EQ(RectIn(view, frame).top, db.bottom);
    frame->ShowControlBar(&status, FALSE, FALSE);
    EXPECT_EQ(RectIn(view, frame).bottom, client.bottom);
    tools.DestroyWindow();
    dialog.DestroyWindow();
    status.DestroyWindow();
    frame->DestroyWindow();
}

}  // namespace
