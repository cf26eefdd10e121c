#include "textory/app/textory_frame.h"

#include "ocrdoc/document/ocr_doc.h"
#include "platform/afx/ui/htmlhelp.h"
#include "platform/win/codepage.h"
#include "platform/win/files.h"
#include "platform/win/path.h"
#include "platform/win/process.h"
#include "shell/app/scribant_commands.h"
#include "shell/app/scribant_ids.h"
#include "shell/batch/dlg_batch_recog.h"
#include "textory/app/textory_app.h"
#include "textory/app/textory_ids.h"
#include "views/page_view/ocr_view.h"
#include "views/page_view/page_view_ids.h"
#include "shell/dialogs/browse_folder_dlg.h"
#include "textory/brightness/dlg_brightness_slider.h"
#include "textory/dialogs/dlg_file_exists.h"
#include "textory/names/scan_target.h"

namespace {
// The help file of the modes' help command and its topic.
constexpr const char* kHelpFile = "\\Scribant.hlp";
constexpr UINT kHelpTopic = 36;
constexpr int kProofreadPageRow = 128;
constexpr int kProofreadPageRowSmall = 80;
constexpr int kSmallClient = 208;
constexpr UINT kViewScanToBar = 32912;
constexpr UINT kBrowseTitle = 61456;   // "浏览文件夹"
constexpr UINT kBrowsePrompt = 61457;  // "选择保存图像的文件夹"
// The guide beside the program and the commands that open it.
constexpr const char* kGuideFile = "ORdoc.chm";
constexpr UINT kGuideCommand = 33005;
constexpr WORD kFullSize = 256;
}  // namespace

IMPLEMENT_DYNCREATE(CTextoryFrame, CMainFrame)

BEGIN_MESSAGE_MAP(CTextoryFrame, CMainFrame)
ON_WM_CREATE()
ON_WM_CLOSE()
ON_WM_DESTROY()
ON_COMMAND(ID_BRIGHTNESS_SLIDER, OnBrightness)
ON_UPDATE_COMMAND_UI(ID_BRIGHTNESS_SLIDER, OnUpdateBrightness)
ON_MESSAGE(WM_SETBRIGHTNESS, OnSetBrightness)
ON_COMMAND(ID_HELP_FINDER, OnGuide)
ON_COMMAND(ID_HELP, OnGuide)
ON_COMMAND(kGuideCommand, OnGuide)
ON_COMMAND(textory::kCmdSubmitRegions, OnSubmitRegions)
ON_COMMAND(textory::kCmdExitRegionMode, OnExitRegionMode)
ON_COMMAND(textory::kCmdExitProofreadMode, OnExitProofreadMode)
ON_COMMAND(textory::kCmdBackToRecognition, OnBackToRecognition)
ON_COMMAND(textory::kCmdRecognizeAndOutput, OnRecognizeAndOutput)
ON_COMMAND(textory::kCmdImageTools, OnImageTools)
ON_COMMAND(textory::kCmdPointerTools, OnPointerTools)
ON_COMMAND(textory::kCmdModeHelp, OnModeHelp)
ON_NOTIFY(TBN_DROPDOWN, AFX_IDW_TOOLBAR, OnToolBarDropDown)
ON_COMMAND(CScanToBar::kButtonId, OnChooseScanFolder)
ON_COMMAND(kViewScanToBar, OnViewScanToBar)
ON_UPDATE_COMMAND_UI(kViewScanToBar, OnUpdateViewScanToBar)
ON_MESSAGE(WM_OUTPUTRESULT, OnOutputResult)
ON_MESSAGE(WM_CLOSEMAIN, OnCloseMain)
ON_MESSAGE(WM_QUERYREADY, OnQueryReady)
ON_MESSAGE(WM_SCANBUTTON, OnScanButton)
ON_MESSAGE(WM_STARTSCAN, OnStartScan)
ON_MESSAGE(WM_SCANDONE, OnScanDone)
ON_MESSAGE(WM_REGIONSDONE, OnRegionsDone)
ON_MESSAGE(WM_OUTPUTDONE, OnOutputDone)
ON_MESSAGE(WM_RUNNEXTSTEP, OnRunNextStep)
ON_MESSAGE(WM_SCANIMAGE, OnTextoryScanImage)
END_MESSAGE_MAP()

CTextoryFrame::CTextoryFrame() = default;
CTextoryFrame::~CTextoryFrame() = default;

BOOL CTextoryFrame::PreCreateWindow(CREATESTRUCT& cs) {
    if (!CMainFrame::PreCreateWindow(cs)) return FALSE;
    cs.lpszClass = TEXTORY_FRAME_CLASS;
    return TRUE;
}

int CTextoryFrame::OnCreate(LPCREATESTRUCT cs) {
    if (CMainFrame::OnCreate(cs) == -1) return -1;
    completeMenu();
    CTextoryApp* app = TextoryApp();
    if (!app) return 0;
    modes_ = std::make_unique<textory::CWindowModes>(static_cast<textory::CWindowModesHost&>(*this), app->m_textory,
                                                     app->m_workflow);
    // The scan-to bar holds the next scan's file; what the user types there is the target.
    if (scanToBar_.Create(this)) {
        scanToBar_.SetTarget(app->m_strScanTarget);
        scanToBar_.onTargetEdited = [](const std::string& target) {
            if (CTextoryApp* a = TextoryApp()) a->m_strScanTarget = target;
        };
        scanToBar_.EnableDocking(CBRS_ALIGN_TOP);
        DockControlBar(&scanToBar_, AFX_IDW_DOCKBAR_TOP);
    }
    barState_ = std::make_unique<textory::CWorkflowBarState>(app->m_textory, app->m_workflow);
    CWorkflowBar::Links links;
    links.mainFrame = [this]() -> CWnd* { return this; };
    links.langCode = [] {
        CTextoryApp* a = TextoryApp();
        return a ? a->m_settings.langCode : 0;
    };
    links.startRedesignation = [this] { return modes_ && modes_->StartRedesignation(); };
    links.startProofreading = [this] { return modes_ && modes_->StartProofreading(); };
    links.createToWordChanged = [this] {
        if (modes_) modes_->FollowCreateToWord();
    };
    taskBar_ = std::make_unique<CWorkflowBar>(*barState_, links);
    if (!taskBar_->Create()) taskBar_.reset();
    return 0;
}

int CTextoryFrame::AskReplaceScannedFile(const std::string& name) {
    CDlgFileExists question(FileExistsMessage(name), this);
    switch (question.DoModal()) {
    case CDlgFileExists::kReplace: return IDYES;
    case CDlgFileExists::kRename: return IDNO;
    default: return IDCANCEL;
    }
}

void CTextoryFrame::OnUpdateFrameTitle(BOOL addToTitle) {
    if (modes_ && modes_->InMode()) return;
    CMainFrame::OnUpdateFrameTitle(addToTitle);
}

std::string CTextoryFrame::ProductTitle() const {
    const char* name = AfxGetAppName();
    return name && *name ? name : "Textory";
}

COcrView* CTextoryFrame::pageView() const {
    CTextoryApp* app = TextoryApp();
    COcrDoc* doc = app ? app->CurrentDocument() : nullptr;
    return doc ? dynamic_cast<COcrView*>(doc->GetPageView()) : nullptr;
}

// --- The modes' commands.

void CTextoryFrame::OnSubmitRegions() {
    if (modes_) modes_->OnSubmitRegions();
}

void CTextoryFrame::OnExitRegionMode() {
    if (modes_) modes_->OnExitRegionMode();
}

void CTextoryFrame::OnExitProofreadMode() {
    if (modes_) modes_->OnExitProofreadMode();
}

void CTextoryFrame::OnBackToRecognition() {
    if (modes_) modes_->OnBackToRecognition();
}

void CTextoryFrame::OnRecognizeAndOutput() {
    if (modes_) modes_->OnRecognizeAndOutput();
}

void CTextoryFrame::OnImageTools() { ShowToolMenu(textory::kCmdImageTools); }

void CTextoryFrame::OnPointerTools() { ShowToolMenu(textory::kCmdPointerTools); }

void CTextoryFrame::ShowToolMenu(UINT button) {
    const UINT menuId = button == textory::kCmdImageTools ? textory::kImageToolsMenu : textory::kPointerToolsMenu;
    RECT rect{};
    if (!ToolBar().SendMessage(TB_GETRECT, button, reinterpret_cast<LPARAM>(&rect))) return;
    ToolBar().ClientToScreen(&rect);
    CMenu menu;
    if (!menu.LoadMenu(menuId)) return;
    if (CMenu* popup = menu.GetSubMenu(0))
        popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_LEFTBUTTON, rect.left, rect.bottom, this);
}

void CTextoryFrame::OnToolBarDropDown(NMHDR* header, LRESULT* result) {
    const auto* note = reinterpret_cast<const NMTOOLBARA*>(header);
    const UINT button = note ? static_cast<UINT>(note->iItem) : 0;
    if (button == textory::kCmdImageTools || button == textory::kCmdPointerTools) ShowToolMenu(button);
    if (result) *result = TBDDRET_DEFAULT;
}

void CTextoryFrame::OnModeHelp() {
    CTextoryApp* app = TextoryApp();
    const std::string file = (app ? app->m_strAppDir : std::string(".")) + kHelpFile;
    // The old help file where one was installed beside the program; else the
    // guide that ships with it, so the modes' help always opens something.
    if (!PathFileExistsA(file.c_str())) {
        OnGuide();
        return;
    }
    if (!WinHelpA(GetSafeHwnd(), file.c_str(), HELP_CONTEXT, kHelpTopic)) {
        const std::string text = "Cannot open the help file " + suite::ShownPath(file) + ".";
        ::MessageBox(GetSafeHwnd(), text.c_str(), "Textory", MB_OK | MB_ICONEXCLAMATION);
    }
}

// --- What the modes ask of the frame.

void CTextoryFrame::ShowSideBars(bool shown) {
    ShowControlBar(&FileBar(), shown ? TRUE : FALSE, FALSE);
    if (scanToBar_.m_hWnd) ShowControlBar(&scanToBar_, shown ? TRUE : FALSE, FALSE);
    RecalcLayout();
}

bool CTextoryFrame::TextRowShown() const { return !IsTextRowHidden(); }

void CTextoryFrame::ShowTextRow(bool shown) {
    if (shown == TextRowShown()) return;
    if (shown) CMainFrame::ShowTextRow();
    else HideTextRow();
    Splitter().RecalcLayout();
}

void CTextoryFrame::SplitForProofreading() {
    CRect client;
    GetClientRect(&client);
    const int pageRow = client.Height() < kSmallClient ? kProofreadPageRowSmall : kProofreadPageRow;
    Splitter().SetRowHeight(0, std::max(1, static_cast<int>(client.Height()) - pageRow));
    RecalcLayout();
    Splitter().RecalcLayout();
}

void CTextoryFrame::FocusPagePane() {
    const int row = IsTextRowHidden() ? 0 : 1;
    if (CWnd* pane = Splitter().GetPane(row, 0)) {
        Splitter().SetActivePane(row, 0, pane);
        pane->SetFocus();
    }
}

void CTextoryFrame::RemoveMainMenu() {
    CMenu* old = GetMenu();
    SetMenu(nullptr);
    if (old) old->DestroyMenu();
}

void CTextoryFrame::RestoreMainMenu() {
    if (GetMenu()) return;
    CMenu menu;
    if (!menu.LoadMenu(IDR_MAINFRAME)) return;
    SetMenu(&menu);
    menu.Detach();
    TrimMenu(GetMenu());
    completeMenu();
}

void CTextoryFrame::completeMenu() {
    nameAboutItem();
    addJobItems();
}

void CTextoryFrame::addJobItems() {
    // The job files in the File menu, after the new task: open (F3) and save.
    CMenu* menu = GetMenu();
    CMenu* file = menu ? menu->GetSubMenu(0) : nullptr;
    if (!file || file->GetMenuState(ID_FILE_OPEN_PROJECT, MF_BYCOMMAND) != static_cast<UINT>(-1)) return;
    UINT at = 0;
    const UINT count = file->GetMenuItemCount();
    while (at < count && file->GetMenuItemID(static_cast<int>(at)) != ID_TASK_NEW) ++at;
    at = at < count ? at + 1 : 0;
    const std::string open = suite::Utf8ToAnsi("打开工程(&J)...\tF3"), save = suite::Utf8ToAnsi("保存工程(&S)");
    file->InsertMenu(at, MF_BYPOSITION | MF_STRING, ID_FILE_OPEN_PROJECT, open.c_str());
    file->InsertMenu(at + 1, MF_BYPOSITION | MF_STRING, ID_FILE_SAVE_PROJECT, save.c_str());
    DrawMenuBar();
}

BOOL CTextoryFrame::PreTranslateMessage(MSG* msg) {
    // F3 opens a job file wherever the focus is in the main window (not in
    // the task bar or a dialog of its own).
    bool inside = false;
    for (CWnd* w = CWnd::FromHandlePermanent(msg->hwnd); w && !inside;
         w = (w->GetStyle() & WS_CHILD) ? w->GetParent() : nullptr)
        inside = w == this;
    if (inside && msg->message == WM_KEYDOWN && msg->wParam == VK_F3 && (GetKeyState(VK_CONTROL) & 0x8000) == 0 &&
        (GetKeyState(VK_SHIFT) & 0x8000) == 0) {
        SendMessage(WM_COMMAND, ID_FILE_OPEN_PROJECT, 0);
        return TRUE;
    }
    return CMainFrame::PreTranslateMessage(msg);
}

void CTextoryFrame::nameAboutItem() {
    // The shared menu names the other program in its about item.
    CMenu* menu = GetMenu();
    CString text;
    if (!menu || !menu->GetMenuString(ID_APP_ABOUT, text, MF_BYCOMMAND)) return;
    std::string caption = text.GetString();
    const std::size_t at = caption.find("Scribant");
    if (at == std::string::npos) return;
    caption.replace(at, 8, ProductTitle());
    menu->ModifyMenu(ID_APP_ABOUT, MF_BYCOMMAND | MF_STRING, ID_APP_ABOUT, caption.c_str());
    DrawMenuBar();
}

std::string CTextoryFrame::Title() const {
    CString text;
    GetWindowText(text);
    return text.GetString();
}

void CTextoryFrame::SetTitle(const std::string& title) { SetWindowText(title.c_str()); }

void CTextoryFrame::LoadToolBar(UINT id, const std::vector<UINT>& dropDowns) {
    CToolBarEx& bar = ToolBar();
    if (!bar.LoadToolBar(id) && id != textory::kMainToolBar) bar.LoadToolBar(textory::kMainToolBar);
    DWORD extended = bar.GetExtendedStyle() & ~TBSTYLE_EX_DRAWDDARROWS;
    for (UINT button : dropDowns) {
        const int index = bar.CommandToIndex(button);
        if (index < 0) continue;
        bar.SetButtonStyle(index, bar.GetButtonStyle(index) | TBSTYLE_DROPDOWN);
        extended |= TBSTYLE_EX_DRAWDDARROWS;
    }
    bar.SendMessage(TB_SETEXTENDEDSTYLE, 0, static_cast<LPARAM>(extended));
    RecalcLayout();
}

void CTextoryFrame::RestoreFrameLook() {
    SetDlgCtrlID(AFX_IDW_PANE_FIRST);
    ModifyStyle(0, WS_CAPTION, SWP_FRAMECHANGED);
}

RECT CTextoryFrame::WindowRect() const {
    CRect rect;
    GetWindowRect(&rect);
    return rect;
}

void CTextoryFrame::PlaceAndShow(const RECT& rect) {
    if (rect.right > rect.left && rect.bottom > rect.top)
        SetWindowPos(nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, SWP_NOZORDER);
    ShowWindow(SW_SHOW);
}

void CTextoryFrame::HideMainWindow() { ShowWindow(SW_HIDE); }

void CTextoryFrame::ShowTaskBarOnly() {
    HideMainWindow();
    ShowTaskBar(true);
}

void CTextoryFrame::ShowTaskBar(bool shown) {
    taskBarShown_ = shown;
    if (!taskBar_) return;
    if (shown && !taskBarPlaced_) {
        // First shown at the top of the screen, in the middle; later where the user dragged it.
        CRect bar;
        taskBar_->GetWindowRect(&bar);
        const int x = std::max(0, (::GetSystemMetrics(SM_CXSCREEN) - bar.Width()) / 2);
        taskBar_->SetWindowPos(nullptr, x, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        taskBarPlaced_ = true;
    }
    taskBar_->ShowWindow(shown ? SW_SHOWNA : SW_HIDE);
}

void CTextoryFrame::OnChooseScanFolder() {
    const std::string target = scanToBar_.Target();
    CString title, prompt;
    title.LoadString(kBrowseTitle);
    prompt.LoadString(kBrowsePrompt);
    CBrowseFolderDlg browser(title.GetString(), prompt.GetString(), textory::ScanTargetFolder(target), this);
    if (browser.DoModal() != 1) return;
    const std::string chosen = textory::ScanTargetInFolder(browser.GetFolderPath(), target);
    scanToBar_.SetTarget(chosen);
    if (CTextoryApp* app = TextoryApp()) app->m_strScanTarget = chosen;
}

void CTextoryFrame::OnViewScanToBar() {
    if (!scanToBar_.m_hWnd) return;
    ShowControlBar(&scanToBar_, scanToBar_.IsWindowVisible() ? FALSE : TRUE, FALSE);
}

void CTextoryFrame::OnUpdateViewScanToBar(CCmdUI* ui) {
    ui->SetCheck(scanToBar_.m_hWnd && scanToBar_.IsWindowVisible() ? 1 : 0);
}

void CTextoryFrame::SetPageZoom(WORD zoom) {
    if (COcrView* view = pageView()) view->SetZoom(zoom);
}

void CTextoryFrame::NormalPointer() {
    if (COcrView* view = pageView()) view->SendMessage(WM_COMMAND, ID_MOUSE_NORMAL, 0);
}

void CTextoryFrame::CloseBrightnessDialog() { ApplyAndCloseBrightness(); }

// --- The brightness dialog.

void CTextoryFrame::OpenBrightnessDialog() {
    CTextoryApp* app = TextoryApp();
    COcrDoc* doc = app ? app->CurrentDocument() : nullptr;
    COcrView* view = pageView();
    if (!doc || !view || !textory::TakesBrightness(doc->m_pImage)) return;
    if (brightness_) return;  // one dialog at a time
    const int value = textory::StartingBrightness(pageBrightness_, *doc->m_pImage);
    textory::CBrightnessSlider::Host host;
    const HWND self = GetSafeHwnd();
    host.setBrightness = [self](bool final, int v) { ::PostMessage(self, WM_SETBRIGHTNESS, final ? 1 : 0, v); };
    host.restoreZoom = [this] {
        if (COcrView* v = pageView(); v && zoomBeforeBrightness_) v->SetZoom(zoomBeforeBrightness_);
    };
    host.documentPath = [] {
        CTextoryApp* a = TextoryApp();
        return a ? a->CurrentDocumentPath() : std::string();
    };
    if (!CDlgBrightnessSlider::Open(value, std::move(host), &brightness_, this)) return;
    zoomBeforeBrightness_ = view->Controller().Zoom();
    view->SetZoom(kFullSize);
}

void CTextoryFrame::ApplyAndCloseBrightness() {
    if (brightness_) brightness_->Close();
}

void CTextoryFrame::OnBrightness() { OpenBrightnessDialog(); }

void CTextoryFrame::OnUpdateBrightness(CCmdUI* ui) {
    CTextoryApp* app = TextoryApp();
    COcrDoc* doc = app ? app->CurrentDocument() : nullptr;
    ui->Enable(doc && textory::TakesBrightness(doc->m_pImage));
}

LRESULT CTextoryFrame::OnSetBrightness(WPARAM wParam, LPARAM lParam) {
    CTextoryApp* app = TextoryApp();
    COcrDoc* doc = app ? app->CurrentDocument() : nullptr;
    COcrView* view = pageView();
    if (!doc || !doc->m_pImage) return 0;
    const RECT visible = view ? view->Controller().VisiblePageRect() : RECT{0, 0, -1, -1};
    if (!textory::ApplyBrightness(pageBrightness_, *doc->m_pImage, wParam != 0, static_cast<int>(lParam), visible))
        return 0;
    if (view) {
        view->UpdateDisplayImage();
        view->Invalidate(FALSE);
    }
    return 1;
}

BOOL CTextoryFrame::OnCmdMsg(UINT id, int code, void* extra, AFX_CMDHANDLERINFO* info) {
    // Zoom-out closes an open brightness dialog the shorter way before it
    // zooms (the page view handles the command itself).
    if (id == ID_ZOOM_OUT && code == CN_COMMAND && !info && brightness_) brightness_->CloseForZoomOut();
    // Automatic deskew asks first and starts the page afresh: the results
    // and the regions go, then the page view deskews it.
    if (id == ID_IMAGE_AUTO_DESKEW && code == CN_COMMAND && !info && !readyForAutoDeskew()) return TRUE;
    return CMainFrame::OnCmdMsg(id, code, extra, info);
}

bool CTextoryFrame::readyForAutoDeskew() {
    CTextoryApp* app = TextoryApp();
    COcrDoc* doc = app ? app->CurrentDocument() : nullptr;
    COcrView* view = pageView();
    if (!doc || !doc->m_pImage || !doc->m_pPageRegion || !view || app->IsBusy() || view->Controller().SealMode())
        return false;
    if (!AskDiscardResult()) return false;
    doc->DiscardResult(FALSE);
    doc->ClearLayout(FALSE);
    return true;
}

void CTextoryFrame::OnDestroy() {
    // The dialog goes with the frame; nothing is left pointing at either.
    if (brightness_) brightness_->Dismiss();
    CloseProgressWindow();
    CMainFrame::OnDestroy();
}

void CTextoryFrame::OnGuide() {
    CTextoryApp* app = TextoryApp();
    const std::string folder = app ? app->m_strAppDir : std::string(".");
    // The guide's pages beside the program, in the help viewer (which tells
    // the user when they are missing).
    HtmlHelpA(GetSafeHwnd(), (folder + "\\" + kGuideFile).c_str(), HH_DISPLAY_TOPIC, 0);
}

bool CTextoryFrame::AskDiscardResult() {
    CString question;
    question.LoadString(IDS_DISCARD_RESULT);
    return ::MessageBox(GetSafeHwnd(), question.GetString(), "Textory", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

bool CTextoryFrame::HasResult() const {
    CTextoryApp* app = TextoryApp();
    COcrDoc* doc = app ? app->CurrentDocument() : nullptr;
    return doc && doc->m_bHasResult;
}

void CTextoryFrame::DropResults() {
    CTextoryApp* app = TextoryApp();
    if (COcrDoc* doc = app ? app->CurrentDocument() : nullptr) doc->DiscardResult(FALSE);
}

bool CTextoryFrame::OnlyPictureRegions() const {
    CTextoryApp* app = TextoryApp();
    COcrDoc* doc = app ? app->CurrentDocument() : nullptr;
    const CLayoutRegion* page = doc ? doc->m_pPageRegion : nullptr;
    if (!page || page->GetChildCount() == 0) return false;
    for (int i = 0; i < page->GetChildCount(); ++i)
        if (!(page->GetChild(i)->m_nFlags & kRegionPicture)) return false;
    return true;
}

LRESULT CTextoryFrame::OnOutputResult(WPARAM wParam, LPARAM) {
    if (CTextoryApp* app = TextoryApp()) app->WriteCommandLineOutput(wParam != 0);
    return 0;
}

LRESULT CTextoryFrame::OnCloseMain(WPARAM, LPARAM) {
    if (CTextoryApp* app = TextoryApp()) app->CloseMainWindow();
    else PostMessage(WM_CLOSE, 0, 0);
    return 0;
}

LRESULT CTextoryFrame::OnQueryReady(WPARAM, LPARAM) { return 1; }

LRESULT CTextoryFrame::OnScanButton(WPARAM, LPARAM) {
    if (CTextoryApp* app = TextoryApp()) app->m_workflow.OnScanButton();
    return 0;
}

LRESULT CTextoryFrame::OnStartScan(WPARAM, LPARAM) {
    if (CTextoryApp* app = TextoryApp()) app->StartScan();
    return 0;
}

LRESULT CTextoryFrame::OnScanDone(WPARAM, LPARAM) {
    if (CTextoryApp* app = TextoryApp()) app->m_workflow.OnScanDone();
    return 0;
}

LRESULT CTextoryFrame::OnRegionsDone(WPARAM, LPARAM) {
    if (CTextoryApp* app = TextoryApp()) app->m_workflow.OnRegionsDone();
    return 0;
}

LRESULT CTextoryFrame::OnOutputDone(WPARAM, LPARAM) {
    if (CTextoryApp* app = TextoryApp()) app->m_workflow.OnOutputDone();
    return 0;
}

LRESULT CTextoryFrame::OnRunNextStep(WPARAM, LPARAM) {
    if (CTextoryApp* app = TextoryApp()) app->m_workflow.RunNextStep();
    return 1;
}

LRESULT CTextoryFrame::OnTextoryScanImage(WPARAM wParam, LPARAM lParam) {
    CTextoryApp* app = TextoryApp();
    if (!app) return CMainFrame::OnScanImageArrived(wParam, lParam);
    HDIB dib = reinterpret_cast<HDIB>(wParam);
    if (!dib) {
        // The plan waits for the page itself (WM_SCANDONE).
        app->m_workflow.SetScanFlag(true);
        return 1;
    }
    app->TakeScannedPage(dib);
    return 1;
}

void CTextoryFrame::OnClose() {
    if (CTextoryApp* app = TextoryApp()) app->OnMainFrameClosing();
    CloseProgressWindow();
    CMainFrame::OnClose();
}

CDlgBatchRecog* CTextoryFrame::OpenProgressWindow(COcrDoc* document, const char* status) {
    CloseProgressWindow();
    auto window = std::make_unique<CDlgBatchRecog>(IDD_BATCH_PREVIEW, CDlgBatchRecog::kPreviewMode, nullptr, document);
    if (!window->Create(IDD_BATCH_PREVIEW, nullptr)) return nullptr;
    progress_ = std::move(window);
    progress_->ShowWindow(SW_SHOW);
    progress_->SetStatusText(status);
    progress_->SetFocus();
    return progress_.get();
}

void CTextoryFrame::FocusProgressWindow() {
    if (!progress_ || !progress_->GetSafeHwnd()) return;
    progress_->Invalidate(FALSE);
    progress_->UpdateWindow();
    progress_->SetFocus();
}

void CTextoryFrame::CloseProgressWindow() {
    if (!progress_) return;
    if (progress_->GetSafeHwnd()) progress_->DestroyWindow();
    progress_.reset();
}
