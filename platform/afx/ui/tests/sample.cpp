// The sample program of the user-interface tests: a frame from a resource
// module with a menu, a tool bar, a status bar and a splitter holding two
// views of one document. With a file argument it grabs its window to that
// PNG file once it is up and quits; with a second one the tool bar floats in
// its own frame, which is grabbed to that file.
#include <cstdio>
#include <cstring>

#include "platform/afx/afxwin.h"
#include "platform/afx/ui/bars.h"
#include "platform/afx/ui/dcwnd.h"
#include "platform/afx/ui/splitter.h"
#include "platform/afx/ui/tests/sample_ids.h"
#include "platform/win/library.h"

namespace {

constexpr UINT_PTR kGrabTimer = 77;
const char* g_grabPath = nullptr;
const char* g_floatGrabPath = nullptr;

class SampleDoc : public CDocument {
    DECLARE_DYNCREATE(SampleDoc)
public:
    std::vector<CString> m_lines;
    BOOL OnNewDocument() override {
        if (!CDocument::OnNewDocument()) return FALSE;
        m_lines = {CString("The quick brown fox jumps"), CString("over the lazy dog."),
                   CString("\xD6\xD0\xCE\xC4\xCA\xB6\xB1\xF0 (GBK)"), CString("Line four of the page.")};
        return TRUE;
    }
};
IMPLEMENT_DYNCREATE(SampleDoc, CDocument)

// A page: grey desk, white sheet, text lines as black bars, one region framed in blue.
class PageView : public CView {
    DECLARE_DYNCREATE(PageView)
public:
    void OnDraw(CDC* dc) override {
        CRect r;
        GetClientRect(&r);
        dc->FillSolidRect(&r, RGB(128, 128, 128));
        CRect sheet(20, 20, r.right - 20 > 60 ? r.right - 20 : 60, r.bottom - 20 > 60 ? r.bottom - 20 : 60);
        dc->FillSolidRect(&sheet, RGB(255, 255, 255));
        for (int i = 0; i < 12; ++i) {
            CRect line(sheet.left + 20, sheet.top + 25 + i * 22, sheet.right - 20 - (i % 3) * 25, sheet.top + 35 + i * 22);
            if (line.bottom < sheet.bottom - 10) dc->FillSolidRect(&line, RGB(0, 0, 0));
        }
        CPen pen(0 /* PS_SOLID */, 2, RGB(0, 0, 255));
        CPen* old = dc->SelectObject(&pen);
        dc->SelectStockObject(5 /* NULL_BRUSH */);
        dc->Rectangle(sheet.left + 12, sheet.top + 15, sheet.right - 12, sheet.top + 110);
        dc->SelectObject(old);
    }
};
IMPLEMENT_DYNCREATE(PageView, CView)

// The recognised text, one line a row.
class TextView : public CView {
    DECLARE_DYNCREATE(TextView)
public:
    void OnDraw(CDC* dc) override {
        CRect r;
        GetClientRect(&r);
        dc->FillSolidRect(&r, RGB(255, 255, 240));
        auto* doc = static_cast<SampleDoc*>(GetDocument());
        if (!doc) return;
        dc->SetBkMode(1 /* TRANSPARENT */);
        int y = 10;
        for (const CString& line : doc->m_lines) {
            dc->SetTextColor(y == 10 ? RGB(0, 0, 160) : RGB(0, 0, 0));
            dc->TextOut(10, y, line);
            y += 22;
        }
    }
};
IMPLEMENT_DYNCREATE(TextView, CView)

const UINT kIndicators[] = {ID_SEPARATOR, ID_INDICATOR_PAGE, ID_INDICATOR_CAPS, ID_INDICATOR_NUM};

class MainFrame : public CFrameWnd {
    DECLARE_DYNCREATE(MainFrame)
public:
    CToolBar m_wndToolBar;
    CStatusBar m_wndStatusBar;
    CSplitterWnd m_wndSplitter;
    UINT m_tool = ID_TOOL_PEN;

    afx_msg int OnCreate(LPCREATESTRUCT cs) {
        if (CFrameWnd::OnCreate(cs) == -1) return -1;
        if (!m_wndToolBar.CreateEx(this, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS | CBRS_FLYBY) ||
            !m_wndToolBar.LoadToolBar(IDR_MAINFRAME))
            return -1;
        if (!m_wndStatusBar.Create(this) || !m_wndStatusBar.SetIndicators(kIndicators, 4)) return -1;
        m_wndToolBar.EnableDocking(CBRS_ALIGN_ANY);
        EnableDocking(CBRS_ALIGN_ANY);
        DockControlBar(&m_wndToolBar);
        m_wndStatusBar.SetPaneText(0, "\xBE\xCD\xD0\xF7");  // "就绪"
        return 0;
    }
    BOOL OnCreateClient(LPCREATESTRUCT, CCreateContext* ctx) override {
        if (!m_wndSplitter.CreateStatic(this, 1, 2)) return FALSE;
        if (!m_wndSplitter.CreateView(0, 0, RUNTIME_CLASS(PageView), CSize(420, 0), ctx)) return FALSE;
        if (!m_wndSplitter.CreateView(0, 1, RUNTIME_CLASS(TextView), CSize(0, 0), ctx)) return FALSE;
        m_wndSplitter.SetColumnInfo(0, 420, 50);
        return TRUE;
    }
    void OnToolPen() { m_tool = ID_TOOL_PEN; }
    void OnToolErase() { m_tool = ID_TOOL_ERASE; }
    void OnUpdateTool(CCmdUI* ui) { ui->SetRadio(ui->m_nID == m_tool); }
    void OnUpdateZoomOut(CCmdUI* ui) { ui->Enable(FALSE); }
    void OnZoomIn() {}
    void OnUpdatePage(CCmdUI* ui) {
        ui->Enable(TRUE);
        ui->SetText("Page 1 of 3");
    }
    afx_msg void OnTimer(UINT_PTR id) {
        if (id != kGrabTimer) return;
        KillTimer(id);
        AfxGetApp()->OnIdle(0);  // bring the bars' states up to date before the picture
        UpdateWindow();
        int code = GrabToFile(g_grabPath) ? 0 : 3;
        if (code == 0 && g_floatGrabPath) {
            CFrameWnd* floating = m_wndToolBar.IsFloating() ? m_wndToolBar.GetParentFrame() : nullptr;
            if (!floating) code = 4;
            else {
                floating->UpdateWindow();
                if (!floating->GrabToFile(g_floatGrabPath)) code = 3;
            }
        }
        PostQuitMessage(code);
    }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(MainFrame, CFrameWnd)
BEGIN_MESSAGE_MAP(MainFrame, CFrameWnd)
    ON_WM_CREATE()
    ON_WM_TIMER()
    ON_COMMAND(ID_TOOL_PEN, OnToolPen)
    ON_COMMAND(ID_TOOL_ERASE, OnToolErase)
    ON_COMMAND(ID_VIEW_ZOOM_IN, OnZoomIn)
    ON_UPDATE_COMMAND_UI_RANGE(ID_TOOL_PEN, ID_TOOL_ERASE, OnUpdateTool)
    ON_UPDATE_COMMAND_UI(ID_VIEW_ZOOM_OUT, OnUpdateZoomOut)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_PAGE, OnUpdatePage)
END_MESSAGE_MAP()

class SampleApp : public CWinApp {
public:
    SampleApp() : CWinApp("Sample") {}
    BOOL InitInstance() override {
        HINSTANCE res = LoadLibraryA("afx_ui_sample_res.DLL");
        if (!res) {
            std::fprintf(stderr, "sample: the resource module is missing\n");
            return FALSE;
        }
        AfxSetResourceHandle(res);
        AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(SampleDoc), RUNTIME_CLASS(MainFrame),
                                              RUNTIME_CLASS(PageView)));
        OnFileNew();
        if (!m_pMainWnd) return FALSE;
        m_pMainWnd->MoveWindow(0, 0, 900, 600);
        m_pMainWnd->ShowWindow(SW_SHOW);
        m_pMainWnd->UpdateWindow();
        if (g_floatGrabPath) {
            // Floated over the text view, right of the splitter.
            auto* frame = static_cast<MainFrame*>(m_pMainWnd);
            CRect r;
            frame->GetWindowRect(&r);
            frame->FloatControlBar(&frame->m_wndToolBar, CPoint(r.left + 560, r.top + 140));
        }
        if (g_grabPath) m_pMainWnd->SetTimer(kGrabTimer, 400);
        return TRUE;
    }
};
SampleApp theApp;

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) g_grabPath = argv[1];
    if (argc > 2) g_floatGrabPath = argv[2];
    return AfxWinMain(argc, argv);
}
