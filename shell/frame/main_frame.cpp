#include "shell/frame/main_frame.h"

#include "ocrdoc/document/ocr_doc.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/win/memory.h"

#include "platform/afx/ui/htmlhelp.h"
#include "platform/win/process.h"
#include "platform/win/url_download.h"
#include "shell/app/scribant_app.h"
#include "shell/frame/online_help.h"
#include "shell/app/scribant_ids.h"
#include "views/page_view/ocr_view.h"
#include "views/page_view/page_view_ids.h"
#include "platform/win/path.h"
#include "views/text/text_view.h"

namespace {
constexpr UINT kFileBarId = 0xE810;
constexpr int kStatusPanes = 9;
constexpr int kTextRowHeight = 360;
constexpr UINT kIdAppUpdate = 32912;
constexpr UINT kIdFileScan = 32773;
constexpr UINT kIdFileSelectScanner = 32774;
constexpr UINT kIdToggleInsert = 32772;
constexpr UINT kIdLayoutManagerOnly = 32817;
constexpr UINT kIdLayoutShowAll = 32818;
constexpr UINT kIdLayoutImageText = 32819;
constexpr UINT kIdViewManagerBar = 32829;
constexpr UINT kIdViewTextWindow = 32830;
constexpr UINT kInsertText = 61451;
constexpr UINT kOverwriteText = 61452;
constexpr int kInsertPane = 6;
// The width that makes the file bar cover the views.
constexpr int kCoveringWidth = 2000;
constexpr UINT kIdHelpOnline = 32928;
constexpr UINT kIdPdfToRtf = 32913;
constexpr UINT kFileBarCaption = 61458;
constexpr UINT kIdNextPane = 32833;
constexpr UINT kDroppedPathMax = 260;
constexpr int kSideBarMinimum = kOcrBarMinimumWidth;
constexpr UINT kIdPdfToTxt = 32919;
constexpr UINT kIdWebSearch = 32916;
constexpr UINT kNetworkDown = 61489;
// Panes 1-8 are as wide as the strings of these ids, which are blanks; the
// insert pane is as wide as the wider of its two texts. Pane 0 (the prompt)
// takes what is left.
constexpr UINT kPaneSizeIds[kStatusPanes] = {0, 32839, 32841, 32842, 32843, 32837, 0, 32844, 32845};
constexpr int kProgressPaneWidth = 120;  // until the bar has laid its panes out
}  // namespace

IMPLEMENT_DYNCREATE(CMainFrame, CFrameWnd)

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
ON_WM_CREATE()
ON_WM_CLOSE()
ON_WM_SIZE()
ON_WM_DROPFILES()
ON_COMMAND(kIdNextPane, OnNextPane)
ON_MESSAGE(WM_CONTROLBAR_RESIZED, OnControlBarResized)
ON_COMMAND(ID_OPEN_QUEUED_IMAGES, OnOpenQueuedImages)
ON_UPDATE_COMMAND_UI(kIdFileSelectScanner, OnUpdateScan)
ON_UPDATE_COMMAND_UI(kIdFileScan, OnUpdateScan)
ON_COMMAND(kIdViewManagerBar, OnViewManagerBar)
ON_UPDATE_COMMAND_UI(kIdViewManagerBar, OnUpdateViewManagerBar)
ON_COMMAND(ID_IMAGE_BRIGHTNESS, OnImageBrightness)
ON_UPDATE_COMMAND_UI(ID_IMAGE_BRIGHTNESS, OnUpdateImageBrightness)
ON_COMMAND(kIdViewTextWindow, OnViewTextWindow)
ON_UPDATE_COMMAND_UI(kIdViewTextWindow, OnUpdateViewTextWindow)
ON_COMMAND(kIdLayoutShowAll, OnLayoutShowAll)
ON_COMMAND(kIdLayoutManagerOnly, OnLayoutManagerOnly)
ON_COMMAND(kIdLayoutImageText, OnLayoutImageText)
ON_UPDATE_COMMAND_UI(kIdLayoutShowAll, OnUpdateLayoutShowAll)
ON_UPDATE_COMMAND_UI(kIdLayoutImageText, OnUpdateLayoutImageText)
ON_UPDATE_COMMAND_UI(kIdLayoutManagerOnly, OnUpdateLayoutManagerOnly)
ON_COMMAND(kIdToggleInsert, OnToggleInsert)
ON_MESSAGE(WM_SCANSTATE, OnScanState)
ON_MESSAGE(WM_SCANIMAGE, OnScanImageArrived)
ON_COMMAND(ID_HELP_FINDER, OnHelpFinder)
ON_COMMAND(ID_HELP, OnHelp)
ON_COMMAND(ID_CONTEXT_HELP, OnHelp)
ON_COMMAND(kIdHelpOnline, OnHelpOnline)
ON_COMMAND(kIdWebSearch, OnWebSearch)
END_MESSAGE_MAP()

CMainFrame::CMainFrame() = default;
CMainFrame::~CMainFrame() {
    // A page being saved may still be asking the user: it learns that the frame went.
    *alive_ = false;
    for (HDIB dib : waitingScans_) GlobalFree(dib);
}

BOOL CMainFrame::PreTranslateMessage(MSG* msg) {
    if (msg && msg->message == WM_KEYDOWN && searchEdit_.GetSafeHwnd() && ::GetFocus() == searchEdit_.m_hWnd) {
        // The search box: the editing keys with Ctrl, every other Ctrl
        // combination swallowed, Enter searches.
        if (::GetKeyState(VK_CONTROL) < 0) {
            switch (msg->wParam) {
            case 'C': searchEdit_.SendMessage(WM_COPY); break;
            case 'V': searchEdit_.SendMessage(WM_PASTE); break;
            case 'X': searchEdit_.SendMessage(WM_CUT); break;
            case 'Z': searchEdit_.SendMessage(EM_UNDO); break;
            default: break;
            }
            return TRUE;
        }
        if (msg->wParam == VK_RETURN) {
            OnWebSearch();
            return TRUE;
        }
    }
    if (CScribantApp* app = ScribantApp(); app && app->Scanner().ProcessMessage(msg, m_hWnd)) return TRUE;
    return CFrameWnd::PreTranslateMessage(msg);
}

BOOL CMainFrame::PreCreateWindow(CREATESTRUCT& cs) {
    if (!CFrameWnd::PreCreateWindow(cs)) return FALSE;
    // The whole screen, maximised: a desktop without a window manager that
    // ignores the maximised show still gets a window as large as the screen.
    cs.x = 0;
    cs.y = 0;
    cs.cx = GetSystemMetrics(SM_CXSCREEN);
    cs.cy = GetSystemMetrics(SM_CYSCREEN);
    cs.style |= WS_MAXIMIZE;
    cs.lpszClass = SCRIBANT_FRAME_CLASS;
    cs.dwExStyle |= WS_EX_ACCEPTFILES;
    return TRUE;
}

int CMainFrame::OnCreate(LPCREATESTRUCT cs) {
    if (CFrameWnd::OnCreate(cs) == -1) return -1;
    DragAcceptFiles(TRUE);
    // The header advert bar, hidden.
    if (!headAd_.Create(this, CBRS_TOP, CDlgBarHeadAd::kBarId)) return -1;
    headAd_.ShowWindow(SW_HIDE);
    // The main tool bar; the PDF conversions are not offered.
    if (!toolBar_.CreateEx(this) || !toolBar_.LoadToolBar(IDR_MAINFRAME)) return -1;
    for (UINT hidden : {kIdPdfToRtf, kIdPdfToTxt})
        if (const int i = toolBar_.CommandToIndex(hidden); i >= 0)
            toolBar_.SetButtonStyle(i, toolBar_.GetButtonStyle(i) | TBBS_HIDDEN);
    toolBar_.SetBarStyle(toolBar_.GetBarStyle() | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC);
    // A status bar whose browser cannot be made goes; one without it takes its place.
    if (!statusBar_.Create(this) && !statusBar_.CreateWithoutBrowser(this)) return -1;
    UINT ids[kStatusPanes];
    for (UINT& id : ids) id = ID_SEPARATOR;
    statusBar_.SetIndicators(ids, kStatusPanes);
    statusBar_.SetPaneInfo(0, ID_SEPARATOR, SBPS_STRETCH, 0);
    const std::vector<int> widths = StatusPaneWidths();
    for (int p = 1; p < kStatusPanes; ++p) statusBar_.SetPaneInfo(p, ID_SEPARATOR, SBPS_NORMAL, widths[static_cast<std::size_t>(p)]);
    // Pane 1 draws the progress of long work itself.
    statusBar_.SetPaneInfo(1, ID_SEPARATOR, SBPS_OWNERDRAW, widths[1]);
    statusBar_.SetProgress(&progress_);
    statusBar_.PlaceBrowser();
    // The menus show the tool bar's images; their accelerator texts stay as the menu has them.
    menuManager_.Install(this);
    menuManager_.LoadToolbar(IDR_MAINFRAME);
    menuManager_.m_bAutoAccel = FALSE;
    CScribantApp* app = ScribantApp();
    if (!fileBar_.Create(this, kFileBarId, app && !app->m_bSimplified)) return -1;
    CString caption;
    caption.LoadString(kFileBarCaption);
    fileBar_.SetWindowText(caption);
    fileBar_.SetBarStyle(fileBar_.GetBarStyle() | CBRS_SIZE_DYNAMIC);
    fileBar_.EnableDocking(CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT);
    toolBar_.EnableDocking(CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM);
    EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&toolBar_);
    DockControlBar(&fileBar_, app && app->m_settings.ocrBarPosition == 1 ? AFX_IDW_DOCKBAR_RIGHT : AFX_IDW_DOCKBAR_LEFT);
    fileBar_.ShowWindow(SW_SHOW);
    if (app) fileBar_.SetScanName(app->m_settings.newFileName);
    // The page list opens rows, marks the job and shows edited cells through the frame.
    PageList().onOpenRow = [](int row) {
        if (CScribantApp* a = ScribantApp()) a->m_task.SelectImage(row);
    };
    PageList().onModified = [] {
        if (CScribantApp* a = ScribantApp()) a->m_task.m_bJobModified = 1;
    };
    PageList().onShowCell = [this](int pane, const std::string& text) { SetPaneText(pane, text); };
    TrimMenu(GetMenu());
    CString overwrite;
    overwrite.LoadString(kOverwriteText);
    SetPaneText(kInsertPane, overwrite.GetString());
    return 0;
}

void CMainFrame::EnableDocking(DWORD dockStyle) {
    CScribantApp* app = ScribantApp();
    const int size = app ? app->m_settings.ocrBarHeight : 208;
    // The top and bottom dock bars first, so that they span the whole width.
    CFrameWnd::EnableDocking(dockStyle & (CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM));
    for (const auto& [align, id] : {std::pair{CBRS_ALIGN_LEFT, AFX_IDW_DOCKBAR_LEFT}, std::pair{CBRS_ALIGN_RIGHT, AFX_IDW_DOCKBAR_RIGHT}}) {
        if (!(dockStyle & align) || GetDlgItem(id)) continue;
        auto* dock = new CMyContrlBar(align, size, kSideBarMinimum);
        dock->m_bAutoDelete = TRUE;
        if (!dock->Create(this, WS_CHILD | WS_VISIBLE | align, id)) {
            delete dock;
            AfxThrowResourceException();
        }
    }
    CFrameWnd::EnableDocking(dockStyle);
}

CMyContrlBar* CMainFrame::SideDockBar() const { return dynamic_cast<CMyContrlBar*>(fileBar_.GetParent()); }

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
    // The advert view, a hidden child below the splitter.
    auto* ad = new CAdvertiseView;
    if (!ad->Create(nullptr, nullptr, WS_CHILD, CRect(0, 0, 100, 100), this, CAdvertiseView::kChildId, nullptr)) return FALSE;
    adView_ = ad;
    return TRUE;
}

void CMainFrame::WinHelp(DWORD_PTR, UINT) { OnHelpFinder(); }

void CMainFrame::OnHelp() { WinHelp(0, 0); }

void CMainFrame::OnHelpFinder() {
    CScribantApp* app = ScribantApp();
    if (!app) return;
    const std::string reference = online_help::HelpFinderReference(app->ProgramFolder(), app->m_wSysLangID);
    HtmlHelpA(m_hWnd, reference.c_str(), HH_DISPLAY_TOPIC, 0);
}

bool CMainFrame::OpenAddress(const std::string& address) {
    const auto result =
        reinterpret_cast<std::intptr_t>(ShellExecuteA(m_hWnd, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result > 32) return true;
    return statusBar_.Navigate(address.c_str(), 1) != FALSE;
}

void CMainFrame::OnHelpOnline() {
    CScribantApp* app = ScribantApp();
    if (!app) return;
    const std::string target = online_help::OnlineHelpTarget(app->ProgramFolder(), [](const std::string& url) {
        return InternetCheckConnectionA(url.c_str(), FLAG_ICC_FORCE_CONNECTION, 0) != FALSE;
    });
    if (target.empty()) {
        AfxMessageBox(kNetworkDown);
        return;
    }
    OpenAddress(target);
}

void CMainFrame::OnWebSearch() {
    CString text;
    if (searchEdit_.GetSafeHwnd()) searchEdit_.GetWindowText(text);
    OpenAddress(online_help::WebSearchAddress(text.GetString(), searchBar_.Engine()));
}

void CMainFrame::OnClose() {
    CScribantApp* app = ScribantApp();
    // A run reads the open page now: the document it works on stays until the run has ended.
    if (const COcrDoc* doc = app ? app->CurrentDocument() : nullptr; doc && doc->IsPageHeld()) return;
    if (app && !app->SaveWorkState()) return;
    // A page still loading (perhaps waiting for a PDF password) is stopped
    // with a bounded wait before the document goes.
    if (COcrDoc* doc = app ? app->CurrentDocument() : nullptr) doc->StopLoadThread();
    // The file bar comes back on the side it was docked on.
    if (app)
        if (const CMyContrlBar* dock = SideDockBar())
            app->m_settings.ocrBarPosition = dock->GetDlgCtrlID() == AFX_IDW_DOCKBAR_RIGHT ? 1 : 0;
    CFrameWnd::OnClose();
}

void CMainFrame::OnOpenQueuedImages() {
    if (CScribantApp* app = ScribantApp()) app->OpenQueuedImages();
}

void CMainFrame::HideTextRow() { splitter_.HideRow(0); }

void CMainFrame::ShowTextRow() { splitter_.ShowRow(); }

// Pane 1 shows its text (the page counter) or, during long work, the bar:
// ClearProgress starts an empty bar, DrawProgress fills it, RefreshProgress
// removes it so that the text shows again.
void CMainFrame::ClearProgress() {
    progress_.Empty();
    RepaintProgressPane();
}

void CMainFrame::DrawProgress(int first, int last, int current) {
    CRect pane;
    if (statusBar_.GetSafeHwnd()) statusBar_.GetItemRect(1, &pane);
    const int width = pane.Width() > 0 ? pane.Width() : kProgressPaneWidth;
    if (!progress_.Set(first, last, current, width)) return;
    RepaintProgressPane();
}

void CMainFrame::RefreshProgress() {
    progress_.Clear();
    RepaintProgressPane();
}

void CMainFrame::RepaintProgressPane() {
    if (!statusBar_.GetSafeHwnd()) return;
    CRect pane;
    statusBar_.GetItemRect(1, &pane);
    statusBar_.InvalidateRect(&pane, FALSE);
    statusBar_.UpdateWindow();
}

std::vector<int> CMainFrame::StatusPaneWidths() {
    // Each blank is one half-width character cell: the sizing strings were
    // written for a font whose blanks, digits and Latin letters are one cell
    // wide and whose Chinese characters are two, so that the caret's
    // " 行 %5d 列 %3d" fills its 16 blanks. Drawn in a proportional font a
    // blank is far narrower than a digit: the cell is the wider of a digit
    // and half a Chinese character (the insert pane's texts are two).
    CClientDC dc(&statusBar_);
    CFont* font = statusBar_.GetFont();
    CFont* old = font ? dc.SelectObject(font) : nullptr;
    CString insert, overwrite;
    insert.LoadString(kInsertText);
    overwrite.LoadString(kOverwriteText);
    const int texts = std::max(dc.GetTextExtent(insert).cx, dc.GetTextExtent(overwrite).cx);
    const int cell = std::max<int>(dc.GetTextExtent("0").cx, (texts + 3) / 4);
    if (old) dc.SelectObject(old);
    constexpr int kPadding = 6;
    std::vector<int> widths(kStatusPanes, 0);
    for (int p = 1; p < kStatusPanes; ++p) {
        const UINT id = kPaneSizeIds[p];
        if (!id) {
            widths[static_cast<std::size_t>(p)] = texts + kPadding;
            continue;
        }
        CString blanks;
        blanks.LoadString(id);
        widths[static_cast<std::size_t>(p)] = blanks.GetLength() * cell + kPadding;
    }
    return widths;
}

std::string CMainFrame::PaneText(int pane) const {
    if (!statusBar_.GetSafeHwnd() || pane < 0 || pane >= kStatusPanes) return {};
    return statusBar_.GetPaneText(pane).GetString();
}

void CMainFrame::SetPaneText(int pane, const std::string& text) {
    if (statusBar_.GetSafeHwnd() && pane >= 0 && pane < kStatusPanes) statusBar_.SetPaneText(pane, text.c_str());
}

void CMainFrame::OnUpdateFrameTitle(BOOL) {
    // "Scribant - <job> - <page>", job and page by file name and extension
    // ("Scribant - Default Task - OR001.tif"). The document titles itself
    // with its full path in brackets, so the page's name comes from its path.
    // The title always begins with the product title (a second start looks
    // for it); a document without a page adds nothing.
    std::string title = ProductTitle();
    if (CScribantApp* app = ScribantApp()) {
        title += " - " + std::string(suite::PathLastPart(app->m_task.m_strName));
        if (CDocument* doc = GetActiveDocument()) {
            const CString& path = doc->GetPathName();
            const CString& name = doc->GetTitle();
            if (!path.IsEmpty()) title += " - " + std::string(suite::PathLastPart(path.GetString()));
            else if (!name.IsEmpty() && name != "Untitled" && name != "Empty$$$") title += " - " + std::string(name.GetString());
        }
    }
    CString current;
    GetWindowText(current);
    if (title != current.GetString()) SetWindowText(title.c_str());
}

void CMainFrame::OnViewTextWindow() {
    CScribantApp* app = ScribantApp();
    if (app) app->m_settings.viewText = !app->m_settings.viewText;
    if (splitter_.IsLineHidden()) splitter_.ShowRow();
    else splitter_.HideRow(0);
}

void CMainFrame::OnUpdateViewTextWindow(CCmdUI* ui) { ui->SetCheck(splitter_.IsLineHidden() ? 0 : 1); }

void CMainFrame::ApplyLayout(int mode) {
    if (mode == viewsShown_) return;
    CScribantApp* app = ScribantApp();
    const int barWidth = app ? app->m_settings.ocrBarHeight : 208;
    switch (mode) {
    case 0:
        fileBar_.SetWidth(kCoveringWidth);
        if (!fileBar_.IsWindowVisible()) ShowControlBar(&fileBar_, TRUE, FALSE);
        break;
    case 1:
        fileBar_.SetWidth(barWidth);
        if (!fileBar_.IsWindowVisible()) ShowControlBar(&fileBar_, TRUE, FALSE);
        break;
    default:
        if (fileBar_.IsWindowVisible()) ShowControlBar(&fileBar_, FALSE, FALSE);
        mode = 2;
        break;
    }
    viewsShown_ = mode;
    RecalcLayout();
}

void CMainFrame::OnLayoutShowAll() { ApplyLayout(1); }
void CMainFrame::OnLayoutManagerOnly() { ApplyLayout(0); }
void CMainFrame::OnLayoutImageText() { ApplyLayout(2); }
void CMainFrame::OnUpdateLayoutShowAll(CCmdUI* ui) { ui->SetCheck(viewsShown_ == 1 && fileBar_.IsWindowVisible()); }
void CMainFrame::OnUpdateLayoutManagerOnly(CCmdUI* ui) { ui->SetCheck(viewsShown_ == 0 && fileBar_.IsWindowVisible()); }
void CMainFrame::OnUpdateLayoutImageText(CCmdUI* ui) { ui->SetCheck(viewsShown_ == 2); }

void CMainFrame::OnNextPane() {
    std::vector<CWnd*> cycle;
    if (fileBar_.IsWindowVisible()) cycle.push_back(&PageList());
    if (CWnd* first = splitter_.GetPane(0, 0)) cycle.push_back(first);
    if (!splitter_.IsLineHidden())
        if (CWnd* second = splitter_.GetPane(1, 0)) cycle.push_back(second);
    CWnd* focus = GetFocus();
    auto at = std::find_if(cycle.begin(), cycle.end(), [focus](CWnd* w) { return focus && (w == focus || w->IsChild(focus)); });
    if (at == cycle.end()) return;  // a focus elsewhere stays where it is
    CWnd* next = *(at + 1 == cycle.end() ? cycle.begin() : at + 1);
    next->SetFocus();
    if (next->IsKindOf(RUNTIME_CLASS(CView))) SetActiveView(static_cast<CView*>(next));
}

void CMainFrame::OnDropFiles(HDROP drop) {
    SetActiveWindow();
    CScribantApp* app = ScribantApp();
    const int before = PageList().GetItemCount();
    const UINT count = DragQueryFile(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count && app; ++i) {
        char path[kDroppedPathMax + 1] = {};
        // A longer path is not cut to a name it does not have: it is left out.
        if (DragQueryFile(drop, i, nullptr, 0) > kDroppedPathMax) continue;
        DragQueryFile(drop, i, path, sizeof path);
        // A listed file keeps its row as it is: adding it again would reset
        // its language, type and resolution and drop its row value (a split
        // PDF page's record).
        if (PageList().FindItemText(kPageListPath, path) >= 0) continue;
        app->m_task.AddImageToList(path, 0);
    }
    DragFinish(drop);
    if (app && PageList().GetItemCount() > before) {
        app->m_task.SelectImage(before);
        PageList().SelectItem(before);
    }
}

void CMainFrame::OnSize(UINT type, int cx, int cy) {
    // Layout 0 keeps covering the new width; layout 1 whose bar is now as wide as the frame becomes layout 0.
    if (viewsShown_ == 0) {
        viewsShown_ = 1;
        ApplyLayout(0);
    } else if (viewsShown_ == 1 && cx != 0 && fileBar_.Width() >= cx) {
        viewsShown_ = 0;
    }
    CFrameWnd::OnSize(type, cx, cy);
}

LRESULT CMainFrame::OnControlBarResized(WPARAM, LPARAM) {
    CRect client;
    GetClientRect(&client);
    if (fileBar_.Width() < client.Width() - 8) {
        viewsShown_ = 1;
        if (CScribantApp* app = ScribantApp()) app->m_settings.ocrBarHeight = fileBar_.Width();
    } else {
        viewsShown_ = 0;
    }
    return 1;
}

void CMainFrame::OnViewManagerBar() {
    const bool visible = fileBar_.IsWindowVisible() != FALSE;
    CRect client;
    GetClientRect(&client);
    if (visible) viewsShown_ = 2;
    else viewsShown_ = fileBar_.Width() >= client.Width() - 8 ? 0 : 1;
    ShowControlBar(&fileBar_, !visible, FALSE);
    RecalcLayout();
}

void CMainFrame::OnUpdateViewManagerBar(CCmdUI* ui) { ui->SetCheck(fileBar_.IsWindowVisible() ? 1 : 0); }

void CMainFrame::OnToggleInsert() {
    insertMode_ = !insertMode_;
    CString text;
    text.LoadString(insertMode_ ? kInsertText : kOverwriteText);
    SetPaneText(kInsertPane, text.GetString());
    // The text view's caret takes the new mode's shape: a bar to insert, a line to overwrite.
    if (CScribantApp* app = ScribantApp())
        if (CTextView* view = app->TextView(); view && ::IsWindow(view->GetSafeHwnd())) view->RecreateCaret();
}

// The brightness dialog of the tools menu works on the page view's grey page,
// whichever view has the focus.
void CMainFrame::OnImageBrightness() {
    if (auto* view = dynamic_cast<COcrView*>(splitter_.GetPane(0, 0))) view->AdjustBrightness();
}

void CMainFrame::OnUpdateImageBrightness(CCmdUI* ui) {
    auto* view = dynamic_cast<COcrView*>(splitter_.GetPane(0, 0));
    ui->Enable(view && ViewsShown() != 0 && view->CanAdjustBrightness());
}

void CMainFrame::OnUpdateScan(CCmdUI* ui) { ui->Enable(scanIdle_); }

LRESULT CMainFrame::OnScanState(WPARAM wParam, LPARAM) {
    scanIdle_ = wParam == 0;
    return 1;
}
