#include "shell/frame/main_frame.h"

#include "shell/app/scribant_app.h"
#include "shell/app/scribant_ids.h"
#include "views/page_view/ocr_view.h"
#include "views/text/text_view.h"

namespace {
constexpr UINT kFileBarId = 0xE810;
constexpr int kStatusPanes = 9;
constexpr int kTextRowHeight = 360;
constexpr UINT kIdAppUpdate = 32912;
constexpr UINT kIdHelpOnline = 32928;
// Pane widths in pixels; pane 0 (the prompt) takes what is left.
constexpr int kPaneWidths[kStatusPanes] = {0, 120, 48, 48, 48, 40, 60, 40, 40};
}  // namespace

IMPLEMENT_DYNCREATE(CMainFrame, CFrameWnd)

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
ON_WM_CREATE()
ON_WM_CLOSE()
ON_COMMAND(ID_OPEN_QUEUED_IMAGES, OnOpenQueuedImages)
END_MESSAGE_MAP()

CMainFrame::CMainFrame() = default;
CMainFrame::~CMainFrame() = default;

BOOL CMainFrame::PreCreateWindow(CREATESTRUCT& cs) {
    if (!CFrameWnd::PreCreateWindow(cs)) return FALSE;
    cs.lpszClass = SCRIBANT_FRAME_CLASS;
    return TRUE;
}

int CMainFrame::OnCreate(LPCREATESTRUCT cs) {
    if (CFrameWnd::OnCreate(cs) == -1) return -1;
    toolBar_.CreateEx(this);
    toolBar_.LoadToolBar(IDR_MAINFRAME);
    if (!statusBar_.Create(this)) return -1;
    UINT ids[kStatusPanes];
    for (UINT& id : ids) id = ID_SEPARATOR;
    statusBar_.SetIndicators(ids, kStatusPanes);
    statusBar_.SetPaneInfo(0, ID_SEPARATOR, SBPS_STRETCH, 0);
    for (int p = 1; p < kStatusPanes; ++p) statusBar_.SetPaneInfo(p, ID_SEPARATOR, SBPS_NORMAL, kPaneWidths[p]);
    CScribantApp* app = ScribantApp();
    if (!fileBar_.Create(this, kFileBarId, 260)) return -1;
    if (app) fileBar_.SetScanName(app->m_settings.newFileName);
    TrimMenu(GetMenu());
    return 0;
}

void CMainFrame::TrimMenu(CMenu* menu) {
    if (!menu) return;
    // Update, online help, the search bar and the PDF conversions are not
    // offered: the help menu loses two items by id, the view menu its seventh
    // item, the output menu its second and third.
    if (CMenu* help = menu->GetSubMenu(5)) {
        help->DeleteMenu(kIdAppUpdate, MF_BYCOMMAND);
        help->DeleteMenu(kIdHelpOnline, MF_BYCOMMAND);
    }
    if (CMenu* view = menu->GetSubMenu(4)) view->DeleteMenu(6, MF_BYPOSITION);
    if (CMenu* output = menu->GetSubMenu(3)) {
        output->DeleteMenu(2, MF_BYPOSITION);
        output->DeleteMenu(1, MF_BYPOSITION);
    }
}

BOOL CMainFrame::OnCreateClient(LPCREATESTRUCT, CCreateContext* context) {
    // The text view above the page view; the text row is hidden unless the
    // settings show it.
    if (!splitter_.CreateStatic(this, 2, 1)) return FALSE;
    if (!splitter_.CreateView(1, 0, RUNTIME_CLASS(COcrView), CSize(100, 100), context)) return FALSE;
    if (!splitter_.CreateView(0, 0, RUNTIME_CLASS(CTextView), CSize(100, kTextRowHeight), context)) return FALSE;
    splitter_.SetRowHeight(0, kTextRowHeight);
    splitter_.HideRow(0);
    CScribantApp* app = ScribantApp();
    if (app && app->m_settings.viewText) splitter_.ShowRow();
    // The page view sits at (0, 0) while the text row is hidden, else at (1, 0).
    const int pageRow = splitter_.HiddenRow() >= 0 ? 0 : 1;
    if (CWnd* page = splitter_.GetPane(pageRow, 0)) SetActiveView(static_cast<CView*>(page));
    return TRUE;
}

void CMainFrame::OnClose() {
    if (CScribantApp* app = ScribantApp(); app && !app->SaveWorkState()) return;
    CFrameWnd::OnClose();
}

void CMainFrame::OnOpenQueuedImages() {
    if (CScribantApp* app = ScribantApp()) app->OpenQueuedImages();
}

void CMainFrame::HideTextRow() { splitter_.HideRow(0); }

void CMainFrame::ShowTextRow() { splitter_.ShowRow(); }

void CMainFrame::ClearProgress() {
    progress_.Clear();
    SetPaneText(1, "");
}

void CMainFrame::DrawProgress(int first, int last, int current) {
    CRect pane;
    if (statusBar_.GetSafeHwnd()) statusBar_.GetItemRect(1, &pane);
    const int width = pane.Width() > 0 ? pane.Width() : kPaneWidths[1];
    if (!progress_.Set(first, last, current, width)) return;
    // The pane shows the bar as a run of blocks, one a tenth of its width.
    const int blocks = progress_.Filled() * 10 / width;
    SetPaneText(1, std::string(static_cast<std::size_t>(blocks), '|'));
}

void CMainFrame::RefreshProgress() {
    if (statusBar_.GetSafeHwnd()) statusBar_.UpdateWindow();
}

std::string CMainFrame::PaneText(int pane) const {
    if (!statusBar_.GetSafeHwnd() || pane < 0 || pane >= kStatusPanes) return {};
    return statusBar_.GetPaneText(pane).GetString();
}

void CMainFrame::SetPaneText(int pane, const std::string& text) {
    if (statusBar_.GetSafeHwnd() && pane >= 0 && pane < kStatusPanes) statusBar_.SetPaneText(pane, text.c_str());
}
