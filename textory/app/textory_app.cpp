#include "textory/app/textory_app.h"

#include <algorithm>
#include <cstdio>

#include "ocrdoc/document/ocr_doc.h"
#include "outside/include/convert_library.h"
#include "shell/batch/dlg_batch_recog.h"
#include "platform/win/files.h"
#include "platform/win/folders.h"
#include "platform/win/library.h"
#include "platform/win/path.h"
#include "platform/win/codepage.h"
#include "shell/app/scribant_ids.h"
#include "shell/frame/main_frame.h"
#include "textory/app/textory_frame.h"
#include "ocrdoc/helpers/path_helpers.h"
#include "shell/app/scribant_commands.h"
#include "textory/names/numbered_names.h"
#include "textory/names/path_parts.h"
#include "textory/names/scan_series.h"
#include "textory/names/scan_target.h"
#include "textory/output/export_current_page.h"
#include "views/page_view/ocr_view.h"

namespace {

constexpr const char* kIllegalArgument = "illegal argument!";
constexpr const char* kCreateFileFailure = "create file %s failure.";
constexpr const char* kReadingImage = "Reading image ...";
constexpr const char* kSaveJobQuestion = "识别工作已改变，是否保存？";
constexpr const char* kNoWordProcessor = "系统未安装Word";

// A path as the user wrote it (the program works with Windows-style ones).
std::string userPath(const std::string& windowsPath) { return suite::ShownPath(windowsPath); }

// Whether the output document can be written: an existing file is opened
// for writing and left as it is; a new one is made and removed again.
bool outputWritable(const std::string& path) {
    const bool existed = GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    if (!existed) DeleteFileA(path.c_str());
    return true;
}

std::string loadedString(UINT id, const char* fallback) {
    CString text;
    if (text.LoadString(id) && !text.IsEmpty()) return text.GetString();
    return fallback;
}

}  // namespace

CTextoryApp* TextoryApp() { return dynamic_cast<CTextoryApp*>(AfxGetApp()); }

namespace {
constexpr UINT kIdOpenJob = 32828;
constexpr UINT kIdShowMainWindow = 32913;
constexpr UINT kIdExit = 32914;
constexpr UINT kIdSystemConfig = 32915;
constexpr UINT kIdOutputToFile = 32986;
constexpr UINT kIdStartReader = 33002;
constexpr UINT kIdSelectScanner = 32943;
constexpr UINT kIdAbout = 32918;
constexpr UINT kIdResolution200 = 32957;  // 32958 300 dpi, 32959 400 dpi
constexpr UINT kIdResolution400 = 32959;
constexpr UINT kIdBlackAndWhite = 32960;  // 32961 colour
constexpr UINT kIdColour = 32961;
constexpr UINT kIdSimplified = 32962;     // 32963 both scripts, 32964 English
constexpr UINT kIdEnglish = 32964;
// What the scan settings mean to the scanner glue: dots an inch by the
// resolution setting, and its colour mode (0 colour, 2 black and white).
constexpr int kScanDpi[] = {200, 300, 400};
constexpr int kGlueColour = 0;
constexpr int kGlueBlackAndWhite = 2;
constexpr UINT kJobFilter = 61206;
constexpr UINT kOutputFilter = 61237;
constexpr DWORD kOpenFlags = 0x00001000u | 0x00000004u | 0x00000008u;  // must exist, no read-only box, folder kept
constexpr DWORD kSaveFlags = 0x00000002u | 0x00000004u | 0x00000008u;
// The recognition display's scale.
constexpr int kRecognitionSteps = 10;
// The longest the exit waits for the read-aloud program to end.
constexpr DWORD kReaderEndMs = 3000;
}  // namespace

BEGIN_MESSAGE_MAP(CTextoryApp, CScribantApp)
ON_COMMAND(kIdOpenJob, OnOpenJob)
ON_COMMAND_RANGE(ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE16, OnOpenRecentJob)
ON_COMMAND(ID_FILE_SAVE_PROJECT, OnSaveJob)
ON_COMMAND(kIdStartReader, OnStartReader)
ON_COMMAND(ID_CHAR_INPUT, OnCharacterInput)
ON_COMMAND(kIdOutputToFile, OnOutputToFile)
ON_COMMAND(ID_OUTPUT_TO_FORMAT, OnOutputToFile)
ON_COMMAND(kIdExit, OnExitCommand)
ON_COMMAND(kIdShowMainWindow, OnShowMainWindow)
ON_UPDATE_COMMAND_UI(kIdShowMainWindow, OnUpdateShowMainWindow)
ON_COMMAND(kIdSelectScanner, OnSelectScannerCommand)
ON_COMMAND(kIdSystemConfig, OnSystemConfig)
ON_COMMAND(kIdAbout, OnAboutCommand)
ON_COMMAND_RANGE(kIdResolution200, kIdResolution400, OnScanResolution)
ON_UPDATE_COMMAND_UI_RANGE(kIdResolution200, kIdResolution400, OnUpdateScanResolution)
ON_COMMAND_RANGE(kIdBlackAndWhite, kIdColour, OnScanImageType)
ON_UPDATE_COMMAND_UI_RANGE(kIdBlackAndWhite, kIdColour, OnUpdateScanImageType)
ON_COMMAND_RANGE(kIdSimplified, kIdEnglish, OnLanguageCode)
ON_UPDATE_COMMAND_UI_RANGE(kIdSimplified, kIdEnglish, OnUpdateLanguageCode)
END_MESSAGE_MAP()

CTextoryApp::CTextoryApp() { m_strInstanceName = "Textory"; }

CTextoryApp::~CTextoryApp() = default;

void CTextoryApp::ErrorLine(const std::string& text) {
    // The program's texts are in its code page; the terminal reads UTF-8.
    std::fprintf(stderr, "Textory: %s\n", suite::AnsiToUtf8(text).c_str());
}

BOOL CTextoryApp::failStart(int status, const std::string& errorLine) {
    exitStatus_ = status;
    if (!errorLine.empty()) ErrorLine(errorLine);
    // A main window made before the start failed closes as it would at the
    // end of a job, its bars and views with it.
    if (m_pMainWnd && m_pMainWnd->GetSafeHwnd()) m_pMainWnd->SendMessage(WM_CLOSE, 0, 0);
    exitStatus_ = status;
    return FALSE;
}

// Textory's own table first; whatever it does not hold (the frame's menu,
// tool bar and the document's texts) comes from Scribant's language library
// of the system language.
bool CTextoryApp::loadResources() {
    ownResources_ = LoadLibraryA((m_strAppDir + "\\TextoryRes.DLL").c_str());
    const bool traditional = IsTraditionalLanguage(m_wSysLangID);
    languageResources_ =
        LoadLibraryA((m_strAppDir + (traditional ? "\\Ruvozidever.DLL" : "\\Ruvuradavad.DLL")).c_str());
    if (!ownResources_ || !languageResources_) return false;
    AfxSetResourceHandle(ownResources_);
    AfxSetInstanceHandle(languageResources_);
    return true;
}

BOOL CTextoryApp::InitInstance() {
    using textory::CommandLineVerdict;
    SetShellServices(this);
    m_strAppDir = ModuleFolder();
    m_wSysLangID = ReadSystemLanguage();
    m_bSimplified = m_wSysLangID == 1028 ? 0 : 1;
    if (!loadResources()) return failStart(textory::kExitStartFailed, "the resource libraries are missing");
    // Every window and message of the run carries the program's own title.
    CString appName;
    if (appName.LoadString(IDS_APP_NAME) && !appName.IsEmpty()) {
        static std::string kept;
        kept = appName.Left(255).GetString();
        m_pszAppName = kept.c_str();
    }

    char documents[MAX_PATH + 1] = {};
    SHGetSpecialFolderPathA(nullptr, documents, CSIDL_PERSONAL, TRUE);
    std::string data = documents;
    while (!data.empty() && suite::IsPathSeparator(data.back())) data.pop_back();
    const std::string ordoc = data + "\\My ORdoc Files";
    m_strDataDir = PathIsDirectoryA(ordoc.c_str()) || CreateDirectoryA(ordoc.c_str(), nullptr) ? ordoc : m_strAppDir;
    m_strQueueFile = "c:\\Dareverud60.txt";
    m_strListFile = m_strAppDir + "\\nlist.txt";
    handOffs_ = std::make_unique<textory::CHandOffs>(m_strAppDir);

    SetRegistryKey("Orvane");
    LoadStdProfileSettings(4);
    // Settings are read back and brought into range ("Tray Mode" only records
    // how the last run went).
    char windows[MAX_PATH + 1] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    m_settings.Load(*this, m_strDataDir, windows);
    m_textory.Load(*this);

    std::vector<std::string> args;
    for (const CString& a : m_args) args.emplace_back(a.GetString());
    // Without arguments the run is the user's: the task bar drives it.
    idleStart_ = args.empty();
    const textory::CommandLine line = idleStart_ ? textory::CommandLine{} : textory::ParseArguments(args);
    if (!idleStart_ && line.verdict == CommandLineVerdict::kIllegal) {
        StartupMessage(loadedString(IDS_ILLEGAL_ARGUMENT, kIllegalArgument));
        return failStart(textory::kExitCommandLineRefused, kIllegalArgument);
    }
    if (!idleStart_ && line.verdict == CommandLineVerdict::kRefused) {
        // Started from the desktop with a file of another kind: the user is
        // told why nothing happens.
        const std::string refusal = "cannot recognise \"" + userPath(line.input) +
                                    "\": the image must be .tif, .bmp or .jpg and the output .doc, .txt or .htm";
        StartupMessage(refusal);
        return failStart(textory::kExitCommandLineRefused, refusal);
    }
    m_workflow.taskMode = true;
    if (line.embedded) {
        // Started for automation: nothing of the job runs.
        exitStatus_ = textory::kExitWritten;
        return TRUE;
    }

    // What would stop the job is found before any of it runs.
    if (!idleStart_) {
        for (const std::string* path : {&line.input, &line.output}) {
            if (path->size() < MAX_PATH) continue;
            const std::string text = "the path is longer than " + std::to_string(MAX_PATH - 1) +
                                     " characters: " + userPath(*path);
            StartupMessage(text);
            return failStart(textory::kExitCommandLineRefused, text);
        }
        if (!outputWritable(line.output)) {
            char message[MAX_PATH + 64];
            std::snprintf(message, sizeof message, kCreateFileFailure, userPath(line.output).c_str());
            StartupMessage(message);
            return failStart(textory::kExitOutputNotWritten, message);
        }
    }

    SetCurrentDirectoryA(m_strDataDir.c_str());
    if (!makeFolder(m_strDataDir, "WORK", "Can not find or create WORK directory!") ||
        !makeFolder(m_strDataDir, "IMAGE", "Can not find or create IMAGE directory!"))
        return failStart(textory::kExitStartFailed, {});
    m_task.m_strFolder = m_strAppDir + "\\OCRFiles\\";
    StartEngine();
    // The page language starts as the system's, by the rule Scribant starts by.
    if (m_settings.langCode == -1) m_settings.langCode = DefaultLangCodeFor(m_wSysLangID);

    AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(COcrDoc), RUNTIME_CLASS(CTextoryFrame),
                                          RUNTIME_CLASS(COcrView)));
    m_hConvertDll = LoadLibraryA("Convert.dll");
    OnFileNew();
    if (!MainFrame()) return failStart(textory::kExitStartFailed, "the main window could not be made");
    if (idleStart_) {
        // The main window waits hidden; the task bar is what the user sees.
        if (auto* frame = dynamic_cast<CTextoryFrame*>(m_pMainWnd)) frame->ShowTaskBarOnly();
        m_workflow.BackToIdle();
        exitStatus_ = textory::kExitWritten;
        return TRUE;
    }

    const DWORD attributes = GetFileAttributesA(line.input.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return failStart(textory::kExitImageUnreadable, "cannot read the image " + userPath(line.input));
    if (!m_task.AddImageToList(line.input, 0) || PageListRowCount() < 1)
        return failStart(textory::kExitStartFailed, "cannot list the image " + userPath(line.input));
    tellOfFurtherPages(line.input);

    job_.Start(line.input, line.output);
    sideFiles_.Note(line.input, line.output);
    // The job's progress window: the page is read, then recognised in it.
    auto* frame = dynamic_cast<CTextoryFrame*>(m_pMainWnd);
    if (frame) frame->OpenProgressWindow(CurrentDocument(), kReadingImage);
    m_task.SelectImage(0);
    PageListSelectItem(0);
    if (frame) frame->FocusProgressWindow();
    exitStatus_ = job_.Status();
    return TRUE;
}

void CTextoryApp::postToFrame(UINT message, WPARAM wParam) {
    if (m_pMainWnd) m_pMainWnd->PostMessage(message, wParam, 0);
}

void CTextoryApp::PageArrived(bool attached) {
    auto* frame = dynamic_cast<CTextoryFrame*>(m_pMainWnd);
    if (frame) frame->PageChanged();
    switch (job_.OnPageArrived(attached, CurrentDocumentPath())) {
    case textory::CCommandLineJob::Action::kRecognise:
        if (frame) frame->FocusProgressWindow();
        AfxPumpMessages();
        PostMainCommand(ID_DOC_RECOGNIZE);
        break;
    case textory::CCommandLineJob::Action::kClose:
        if (job_.Status() == textory::kExitImageUnreadable) {
            const std::string text = "cannot read the image " + userPath(job_.Input());
            ErrorLine(text);
            MessageBox(text, "", MB_OK | MB_ICONEXCLAMATION);
        }
        postToFrame(WM_CLOSEMAIN);
        break;
    default: break;
    }
}

void CTextoryApp::tellOfFurtherPages(const std::string& input) {
    auto count = m_hConvertDll ? reinterpret_cast<PFN_TIFFPAGECOUNT>(GetProcAddress(m_hConvertDll, "TiffPageCount"))
                               : nullptr;
    const int pages = count ? count(input.c_str()) : 0;
    if (pages < 2) return;
    const std::string text = userPath(input) + " has " + std::to_string(pages) + " pages: only the first is recognised";
    ErrorLine(text);
    MessageBox(text, "", MB_OK | MB_ICONINFORMATION);
}

int CTextoryApp::OpenDocumentPath(const std::string& path) {
    const int opened = CScribantApp::OpenDocumentPath(path);
    // A job's run ends when its last page left the list; the user's run goes on.
    if (path == kPlaceholderPath && job_.CurrentStep() != textory::CCommandLineJob::Step::kNone)
        postToFrame(WM_CLOSEMAIN);
    return opened;
}

void CTextoryApp::showRecognition(int position, int value) {
    COcrDoc* doc = CurrentDocument();
    auto* view = doc ? dynamic_cast<COcrView*>(doc->GetPageView()) : nullptr;
    if (!view || !doc->m_pImage) return;
    const RECT& area = view->ImageArea();
    const CPageViewController& now = view->Controller();
    const textory::CRecognitionDisplay::Change change = recognitionDisplay_.OnProgress(
        position, value, now.Zoom(), POINT{now.ScrollX(), now.ScrollY()}, doc->m_pImage->m_nWidth,
        doc->m_pImage->m_nHeight, area.right - area.left, area.bottom - area.top);
    if (change.zoom > 0) view->SetZoom(static_cast<WORD>(change.zoom));
    if (change.restoreScroll) {
        // Through the view's own scrolling, so that its bars follow.
        view->SendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, change.scroll.x), 0);
        view->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, change.scroll.y), 0);
    }
}

int CTextoryApp::RecognizeInProgressWindow(_seg_regioninfo* seg, _regioninfo** result) {
    COcrDoc* doc = CurrentDocument();
    if (!doc || !m_pMainWnd) return -1;
    // The whole page while it is recognised; the user's zoom again after.
    showRecognition(0, kRecognitionSteps);
    struct Restore {
        CTextoryApp* app;
        ~Restore() { app->showRecognition(-1, 0); }
    } restore{this};
    // The job's page in the job's progress window; any other page in a
    // window of its own.
    auto* frame = dynamic_cast<CTextoryFrame*>(m_pMainWnd);
    CDlgBatchRecog* held = frame ? frame->ProgressWindow() : nullptr;
    std::unique_ptr<CDlgBatchRecog> own;
    if (!held || !held->GetSafeHwnd()) {
        own = std::make_unique<CDlgBatchRecog>(IDD_BATCH_PREVIEW, CDlgBatchRecog::kPreviewMode, m_pMainWnd, doc);
        if (!own->Create(IDD_BATCH_PREVIEW, m_pMainWnd)) return -1;
        held = own.get();
    }
    CDlgBatchRecog& window = *held;
    window.ShowWindow(SW_SHOW);
    window.SetStatusText("Segment ...");
    window.m_nDisplay = 1;
    const LRESULT code = window.RecognizeAndClose(reinterpret_cast<WPARAM>(seg), reinterpret_cast<LPARAM>(result));
    if (own) own->DestroyWindow();
    return code == CDlgBatchRecog::kRecognised ? 1 : 0;
}

void CTextoryApp::PageRecognitionEnded(bool recognised) {
    // The job's own page writes the job's output; any other recognition
    // belongs to the workflow.
    if (job_.OnRecognitionEnded(recognised, CurrentDocumentPath()) ==
        textory::CCommandLineJob::Action::kWriteOutput) {
        postToFrame(WM_OUTPUTRESULT, recognised ? 1 : 0);
        return;
    }
    // A recognised page can be proofread from the task bar.
    if (auto* frame = dynamic_cast<CTextoryFrame*>(m_pMainWnd); recognised && frame && frame->TaskBar()) {
        frame->TaskBar()->State().SetProofreadEnabled(true);
        frame->TaskBar()->Refresh();
    }
    m_workflow.OnRecognitionEnded(recognised);
}

// --- The workflow's host.

void CTextoryApp::SetStepText(UINT stringId) {
    m_strStepText = loadedString(stringId, "");
    if (auto* frame = dynamic_cast<CTextoryFrame*>(m_pMainWnd); frame && frame->TaskBar())
        frame->TaskBar()->SetStepText(m_strStepText);
}

void CTextoryApp::SetScanTarget(const std::string& target) {
    m_strScanTarget = target;
    if (auto* frame = dynamic_cast<CTextoryFrame*>(m_pMainWnd)) {
        frame->ScanToBar().SetTarget(target);
        if (frame->ScanToBar().m_hWnd) frame->ScanToBar().SetHistory(m_scanHistory.NewestFirst());
    }
}

std::string CTextoryApp::PrepareScanTarget() {
    std::string target = m_strScanTarget;
    if (target.empty()) target = m_strDataDir + "\\image\\OR001.jpg";
    const textory::PathParts parts = textory::SplitWholePath(target);
    CreateFolderPath((parts.drive + parts.folder).c_str());
    target = textory::ReplaceFileExt(target, ".jpg");
    if (!CTask::StemEndsInCounter(target)) CTask::AppendCounter(target);
    SetScanTarget(target);
    return target;
}

bool CTextoryApp::ensureScanner() {
    if (m_scanner.IsReady()) return true;
    // No scanner connection is made at start: the first scan or scanner
    // choice binds the glue to the main window and its page message.
    if (!m_pMainWnd) return false;
    return m_scanner.Initialize(m_pMainWnd->GetSafeHwnd(), m_strDataDir + "\\work\\~temp.bmp", WM_SCANIMAGE);
}

bool CTextoryApp::AcquireScan(const std::string& target) {
    if (target.empty()) return false;
    if (!ensureScanner()) {
        MessageBox(loadedString(IDS_CHECK_SCANNER, "The scanner does not answer."), "", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (!m_scanner.IsSourceOpen()) m_scanner.ResetSource();
    // The pages arrive later as WM_SCANIMAGE at the main frame, each saved
    // under the target as it stands then.
    // The task bar's resolution and image type, without the scanner's own
    // settings dialog; every page the feeder holds.
    const int dpi = kScanDpi[std::clamp(m_textory.scanResolution, 0, 2)];
    const int mode = m_textory.scanImageType == 2 ? kGlueColour : kGlueBlackAndWhite;
    if (!m_scanner.SetImageSettings(dpi, mode) || m_scanner.Acquire(m_pMainWnd->GetSafeHwnd(), 0, 1) == 0) {
        MessageBox(loadedString(IDS_CHECK_SCANNER, "The scanner does not answer."), "", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

void CTextoryApp::OnSelectScannerCommand() {
    if (ensureScanner()) m_scanner.SelectSource();
    else MessageBox(loadedString(IDS_CHECK_SCANNER, "The scanner does not answer."), "", MB_OK | MB_ICONEXCLAMATION);
}

bool CTextoryApp::StartScan() { return AcquireScan(PrepareScanTarget()); }

bool CTextoryApp::TakeScannedPage(HDIB dib) {
    CTextoryFrame* frame = dynamic_cast<CTextoryFrame*>(MainFrame());
    if (!frame) {
        GlobalFree(dib);
        return false;
    }
    std::string target = m_strScanTarget.empty() ? PrepareScanTarget() : m_strScanTarget;
    if (TaskMode()) {
        textory::ScanTargetAsk ask;
        ask.tell = [this](const std::string& text) { MessageBox(text, "", MB_OK | MB_ICONEXCLAMATION); };
        const textory::ScanTarget settled = textory::SettleScanTarget(target, true, ask);
        if (!settled.save) {
            GlobalFree(dib);
            m_workflow.BackToIdle();
            return false;
        }
        target = settled.path;
    }
    // The shared scanned-page path saves, lists and opens the page; outside
    // task-bar mode it asks about a missing folder or a taken name itself.
    frame->FileBar().SetScanName(target);
    const int rows = PageListRowCount();
    const std::string before = CurrentDocumentPath();
    frame->CMainFrame::OnScanImageArrived(reinterpret_cast<WPARAM>(dib), 0);
    const std::string saved = CurrentDocumentPath();
    if (saved.empty() || (saved == before && PageListRowCount() == rows)) {
        m_workflow.BackToIdle();
        return false;
    }
    // A brightness side file left by an image this page replaced no longer belongs to it.
    DeleteFileA(textory::CSideFiles::SidePath(saved, ".ATR").c_str());
    m_scanHistory.AddPath(saved);
    SetScanTarget(textory::IncrementCounterSuffix(saved));
    frame->FileBar().SetScanName(m_strScanTarget);
    if (TaskMode()) {
        m_workflow.SetScanFlag(true);
        postToFrame(WM_SCANDONE);
    } else {
        m_workflow.BackToIdle();
    }
    return true;
}

bool CTextoryApp::AnalyzeLayout() {
    COcrDoc* doc = CurrentDocument();
    if (!doc || !doc->m_pImage) return false;
    doc->AnalyzeLayout();
    return doc->m_pPageRegion && doc->m_pPageRegion->GetChildCount() > 0;
}

void CTextoryApp::PostRecognize() { PostMainCommand(ID_DOC_RECOGNIZE); }

void CTextoryApp::RecognizePage() { SendMainCommand(ID_DOC_RECOGNIZE); }

void CTextoryApp::RecognizeSelected() { m_task.RecognizeSelected(); }

void CTextoryApp::OutputToFormat() { OnOutputToFile(); }

void CTextoryApp::CloseBrightnessDialog() {
    if (auto* frame = dynamic_cast<CTextoryFrame*>(m_pMainWnd)) frame->ApplyAndCloseBrightness();
}

void CTextoryApp::EnterRegionMode() {
    auto* frame = dynamic_cast<CTextoryFrame*>(m_pMainWnd);
    if (frame && frame->Modes()) frame->Modes()->EnterRegionMode();
    else if (m_pMainWnd) m_pMainWnd->ShowWindow(SW_SHOWNORMAL);
}

void CTextoryApp::ShowMessage(const std::string& text) { MessageBox(text, "", MB_OK); }

void CTextoryApp::WriteCommandLineOutput(bool /*recognised*/) {
    if (job_.CurrentStep() != textory::CCommandLineJob::Step::kWriting) return;
    COcrDoc* doc = CurrentDocument();
    const textory::OutputOutcome outcome =
        doc ? textory::WriteCommandLineOutput(*doc, job_.Output(), m_wSysLangID)
            : textory::OutputOutcome::kNothingRecognised;
    if (outcome == textory::OutputOutcome::kNotWritten) {
        char message[600];
        std::snprintf(message, sizeof message, kCreateFileFailure, userPath(job_.Output()).c_str());
        MessageBox(message, "", MB_OK | MB_ICONEXCLAMATION);
        ErrorLine(message);
    } else if (outcome == textory::OutputOutcome::kNothingRecognised) {
        ErrorLine("no text was recognised on " + userPath(job_.Input()));
    }
    if (job_.OnOutputWritten(outcome) == textory::CCommandLineJob::Action::kClose) postToFrame(WM_CLOSEMAIN);
    exitStatus_ = job_.Status();
}

void CTextoryApp::OnMainFrameClosing() {
    job_.OnClosing();
    if (job_.CurrentStep() != textory::CCommandLineJob::Step::kNone) exitStatus_ = job_.Status();
}

BOOL CTextoryApp::SaveWorkState() { return m_task.SaveModified(); }

bool CTextoryApp::ReadsPdfImages() const { return false; }

std::size_t CTextoryApp::BatchPieceBytes() const { return CDlgBatchRecog::kPieceBufferBytes; }

std::string CTextoryApp::BatchCounterText(int row, int rowCount) const {
    char text[32];
    std::snprintf(text, sizeof text, "%6d/%6d", row, rowCount);
    return text;
}

RECT CTextoryApp::BatchPanelMargins() const {
    // Template 144 (268 x 171 dialog units) and its group box 1177 at
    // (30, 20), 185 x 113, in pixels of the dialog font.
    const LONG units = GetDialogBaseUnits();
    const int x = LOWORD(units), y = HIWORD(units);
    return RECT{30 * x / 4, 20 * y / 8, (268 - 30 - 185) * x / 4, (171 - 20 - 113) * y / 8};
}

bool CTextoryApp::PointerSwitchAllowed() const { return !m_workflow.InRegionMode(); }

void CTextoryApp::AddSettingsPages(CPropertySheet& sheet) {
    wordPage_ = std::make_unique<CWordCfgPage>();
    wordPage_->detect = [this] { return DetectWordVersion(); };
    wordPage_->State().Fill(m_textory, TaskMode());
    sheet.AddPage(wordPage_.get());
}

void CTextoryApp::SettingsSheetClosed(bool accepted) {
    if (accepted && wordPage_) {
        const bool createBefore = m_textory.createToWord;
        wordPage_->State().Apply(m_textory);
        auto* frame = dynamic_cast<CTextoryFrame*>(m_pMainWnd);
        // The main tool bar follows "Create to Word" (a mode keeps its own).
        if (m_textory.createToWord != createBefore && frame && frame->Modes()) frame->Modes()->FollowCreateToWord();
        if (m_textory.autoTestWord) DetectWordVersion();
        // The sheet's language page may have changed the page language.
        UpdateListLanguage();
        RefreshTaskBar();
        m_textory.Save(*this, TaskMode());
    }
    wordPage_.reset();
}

void CTextoryApp::CloseMainWindow() {
    if (m_pMainWnd) m_pMainWnd->PostMessage(WM_CLOSE, 0, 0);
}

// --- Commands Textory adds.

void CTextoryApp::OnOpenJob() {
    if (m_workflow.InRegionMode()) return;
    std::string path;
    if (!PromptImageFileName(TRUE, ".OCR", path, kOpenFlags, kJobFilter) || path.empty()) return;
    AfxPumpMessages();
    if (OpenJobPath(path)) AddToRecentFileList(path.c_str());
}

void CTextoryApp::OnOpenRecentJob(UINT id) {
    if (!m_pRecentFileList) return;
    const int index = static_cast<int>(id) - ID_FILE_MRU_FILE1;
    if (index < 0 || index >= m_pRecentFileList->GetSize()) return;
    const std::string path = (*m_pRecentFileList)[index].GetString();
    if (path.empty()) {
        m_pRecentFileList->Remove(index);
        return;
    }
    // A hand-off that failed leaves the job where it is: its entry stays.
    if (GetFileAttributesA(textory::CompanionPath(path).c_str()) != INVALID_FILE_ATTRIBUTES) {
        HandOffJob(path);
        return;
    }
    if (!jobFiles_.Open(path)) m_pRecentFileList->Remove(index);
}

void CTextoryApp::OnSaveJob() { jobFiles_.Save(); }

BOOL CTextoryApp::OfferToSaveJob() {
    if (job_.CurrentStep() != textory::CCommandLineJob::Step::kNone) return TRUE;
    switch (MessageBox(suite::Utf8ToAnsi(kSaveJobQuestion), "", MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES: return jobFiles_.Save();
    case IDNO: return TRUE;
    default: return FALSE;
    }
}

int CTextoryApp::DetectWordVersion() {
    bool missing = false;
    m_textory.wordVersion = ::DetectWordVersion(&missing);
    if (missing) MessageBox(suite::Utf8ToAnsi(kNoWordProcessor), "", MB_OK | MB_ICONEXCLAMATION);
    return m_textory.wordVersion;
}

BOOL CTextoryApp::OpenJobPath(const std::string& path) {
    const std::string companion = textory::CompanionPath(path);
    if (GetFileAttributesA(companion.c_str()) == INVALID_FILE_ATTRIBUTES) return jobFiles_.Open(path);
    return HandOffJob(path);
}

BOOL CTextoryApp::HandOffJob(const std::string& path) {
    // Prepared for proofreading: the proofreading program takes the job.
    if (COcrDoc* doc = CurrentDocument()) {
        doc->WriteProjectFile();
        sideFiles_.Keep(doc->GetPathName().GetString());
        doc->SetModifiedFlag(FALSE);
        doc->CRecoResult::m_bModified = FALSE;
    }
    if (!m_task.SaveModified()) return FALSE;
    if (!handOffs_->StartProofreading(path)) {
        MessageBox(textory::CHandOffs::NotFoundMessage(handOffs_->Proofreader().Path()), "", MB_OK);
        return FALSE;
    }
    CloseMainWindow();
    return TRUE;
}

void CTextoryApp::OnStartReader() {
    switch (handOffs_->StartReader()) {
    case textory::CHandOffs::ReaderStart::kAlreadyRunning:
        MessageBox(textory::CHandOffs::ReaderRunningMessage(), "", MB_OK);
        break;
    case textory::CHandOffs::ReaderStart::kNotFound:
        MessageBox(textory::CHandOffs::NotFoundMessage(handOffs_->Reader().Path()), "", MB_OK);
        break;
    default: break;
    }
}

void CTextoryApp::OnCharacterInput() {
    if (!handOffs_->StartCharacterInput())
        MessageBox(textory::CHandOffs::NotFoundMessage(handOffs_->CharacterInput().Path()), "", MB_OK);
}

void CTextoryApp::OnOutputToFile() {
    COcrDoc* doc = CurrentDocument();
    if (!doc || !doc->m_pImage) return;
    std::string path;
    if (!PromptImageFileName(FALSE, ".txt", path, kSaveFlags, kOutputFilter) || path.empty()) return;
    const textory::ExportOutcome outcome = textory::ExportCurrentPage(*doc, path, m_wSysLangID);
    if (!outcome.written) {
        MessageBox(outcome.message, "", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (m_settings.outputToExe) OpenWithDefaultAction(outcome.path);
}

void CTextoryApp::OnExitCommand() { CloseMainWindow(); }

void CTextoryApp::OnShowMainWindow() {
    if (!m_workflow.IsIdle() || !m_pMainWnd) return;
    const bool hidden = !m_pMainWnd->IsWindowVisible();
    m_pMainWnd->ShowWindow(SW_SHOWMAXIMIZED);
    if (hidden) m_workflow.taskMode = false;
    // The main window is the user's from now on: the task bar goes.
    if (auto* frame = dynamic_cast<CTextoryFrame*>(m_pMainWnd)) frame->HideTaskBar();
    m_workflow.BackToIdle();
    m_pMainWnd->Invalidate();
}

void CTextoryApp::OnUpdateShowMainWindow(CCmdUI* ui) {
    // Not Scribant's PDF command of the same number: shown while the workflow waits.
    ui->Enable(m_workflow.IsIdle() && m_pMainWnd != nullptr);
}

void CTextoryApp::RefreshTaskBar() {
    if (auto* frame = dynamic_cast<CTextoryFrame*>(m_pMainWnd); frame && frame->TaskBar()) frame->TaskBar()->Refresh();
}

void CTextoryApp::OnScanResolution(UINT id) {
    m_textory.scanResolution = static_cast<int>(id - kIdResolution200);
    RefreshTaskBar();
}

void CTextoryApp::OnUpdateScanResolution(CCmdUI* ui) {
    ui->SetCheck(m_textory.scanResolution == static_cast<int>(ui->m_nID - kIdResolution200));
}

void CTextoryApp::OnScanImageType(UINT id) {
    m_textory.scanImageType = id == kIdColour ? 2 : 1;
    RefreshTaskBar();
}

void CTextoryApp::OnUpdateScanImageType(CCmdUI* ui) {
    ui->SetCheck(m_textory.scanImageType == (ui->m_nID == kIdColour ? 2 : 1));
}

void CTextoryApp::OnLanguageCode(UINT id) {
    m_settings.langCode = static_cast<int>(id - kIdSimplified);
    RefreshTaskBar();
    UpdateListLanguage();
}

void CTextoryApp::OnUpdateLanguageCode(CCmdUI* ui) {
    ui->SetCheck(m_settings.langCode == static_cast<int>(ui->m_nID - kIdSimplified));
}

void CTextoryApp::UpdateListLanguage() {
    const int row = PageListCurrentRow();
    if (row < 0) return;
    const char* text = m_settings.langCode == 1 ? "简繁" : m_settings.langCode == 2 ? "英文" : "简体";
    if (PageListItemText(row, 1) == suite::Utf8ToAnsi(text)) return;
    PageListSetItemText(row, 1, suite::Utf8ToAnsi(text));
    m_task.m_bJobModified = 1;
}

void CTextoryApp::OnAboutCommand() { OnAppAbout(); }

int CTextoryApp::ExitInstance() {
    OnMainFrameClosing();
    EndEngine();
    // Ends the scanner connection (and an acquisition still running).
    if (m_scanner.IsReady()) m_scanner.Close();
    if (handOffs_) handOffs_->CloseReader(kReaderEndMs);
    sideFiles_.RemoveOwn();
    if (m_hConvertDll) FreeLibrary(m_hConvertDll);
    m_hConvertDll = nullptr;
    AfxSetResourceHandle(nullptr);
    AfxSetInstanceHandle(nullptr);
    if (ownResources_) FreeLibrary(ownResources_);
    if (languageResources_) FreeLibrary(languageResources_);
    ownResources_ = languageResources_ = nullptr;
    if (shell_detail::InstalledServices() == this) SetShellServices(nullptr);
    CWinApp::ExitInstance();
    return exitStatus_;
}
