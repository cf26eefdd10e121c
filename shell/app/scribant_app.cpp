#include "shell/app/scribant_app.h"
#include "shell/update/update_relay.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "imaging/codecs/image_file_type.h"
#include "ocrdoc/document/ocr_doc.h"
#include "ocrdoc/document/outside_library.h"
#include "outside/include/tresk.h"
#include "platform/win/codepage.h"
#include "platform/win/files.h"
#include "platform/win/folders.h"
#include "platform/win/library.h"
#include "platform/win/path.h"
#include "platform/win/process.h"
#include "platform/win/sync.h"
#include "platform/win/time.h"
#include "shell/app/recent_file_menu.h"
#include "shell/app/scribant_ids.h"
#include "shell/dialogs/ui_pdf_prompts.h"
#include "shell/frame/main_frame.h"
#include "views/page_view/ocr_view.h"

namespace {

// A file named on the command line as a full Windows-style path: the
// program's arguments are native paths (relative to the folder it started
// in); anything that names no native file is taken as a Windows-style path.
std::string commandLinePath(const std::string& arg) {
    std::error_code ec;
    const std::filesystem::path native(arg);
    if (!arg.empty() && std::filesystem::exists(native, ec))
        return suite::WindowsPath(std::filesystem::absolute(native, ec).lexically_normal().string());
    return suite::FullWindowsPath(arg);
}

// The command line as the framework reads it, except that an argument naming
// an existing file is a file even when it begins with '/' (a native absolute
// path), not a switch.
void parseArguments(const std::vector<CString>& args, CCommandLineInfo& info) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string a = args[i].GetString();
        std::error_code ec;
        const bool isFile = !a.empty() && a[0] == '/' && std::filesystem::exists(std::filesystem::path(a), ec);
        const bool flag = !isFile && a.size() > 1 && (a[0] == '/' || a[0] == '-');
        info.ParseParam(flag ? a.c_str() + 1 : a.c_str(), flag, i + 1 == args.size());
    }
}

// A file the program opens as a page of its own (an image of a kind it reads;
// not the edited page or the project file kept beside one).
bool opensAsPage(const std::string& path) {
    int type = IMGTYPE_UNKNOWN;
    return GetImageFileType(path.c_str(), &type, false) && type != IMGTYPE_BKI && type != IMGTYPE_PST;
}

// The longest the second start waits for the running program to take a
// hand-off; a program that has only just started (its lock taken, its window
// still being made or its start still running) is waited for as long.
constexpr UINT kHandOffTimeoutMs = 20000;
// How often the second start looks for the window meanwhile.
constexpr UINT kHandOffPollMs = 50;
// The longest the exit waits for an update check to stop.
constexpr DWORD kUpdateStopMs = 5000;

}  // namespace

CScribantApp* ScribantApp() { return dynamic_cast<CScribantApp*>(AfxGetApp()); }

CScribantApp::CScribantApp() : CWinApp("Scribant") {}

CScribantApp::~CScribantApp() {
    if (scannedDib_) GlobalFree(scannedDib_);
    if (shell_detail::InstalledServices() == this) SetShellServices(nullptr);
    closeMutex();
}

std::string CScribantApp::ModuleFolder() const {
    char path[257] = {};
    GetModuleFileNameA(nullptr, path, 256);
    std::string self = path;
    const std::size_t cut = self.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : self.substr(0, cut);
}

WORD CScribantApp::ReadSystemLanguage() const { return GetSystemDefaultLangID(); }

void CScribantApp::StartupMessage(const std::string& text) { AfxMessageBox(text.c_str(), MB_OK); }

void CScribantApp::closeMutex() {
    if (m_hInstanceMutex) CloseHandle(m_hInstanceMutex);
    m_hInstanceMutex = nullptr;
}

// Enters `parent` + "\" + `name`, creating it when it is missing; the message
// when neither works.
bool CScribantApp::makeFolder(const std::string& parent, const std::string& name, const std::string& message) {
    const std::string path = parent + "\\" + name;
    if (PathIsDirectoryA(path.c_str()) || CreateDirectoryA(path.c_str(), nullptr)) return true;
    StartupMessage(message);
    return false;
}

BOOL CScribantApp::InitInstance() {
    SetShellServices(this);
    const std::string moduleFolder = ModuleFolder();

    char documents[MAX_PATH + 1] = {};
    SHGetSpecialFolderPathA(nullptr, documents, CSIDL_PERSONAL, TRUE);
    std::string data = documents;
    while (!data.empty() && suite::IsPathSeparator(data.back())) data.pop_back();
    if (!makeFolder(data, "My ORdoc Files", "Can not find or create \"My ORdoc Files\" directory!")) return FALSE;
    data += "\\My ORdoc Files";
    if (!makeFolder(data, "Scribant", "Can not find or create \"Scribant\" directory!")) return FALSE;
    data += "\\Scribant";
    m_strDataDir = data;
    m_strQueueFile = data + "\\work\\Zoduvezevav.txt";
    queue_ = std::make_unique<CQueueFile>(m_strQueueFile, m_strInstanceName + " Queue");

    SetRegistryKey("Orvane");
    LoadStdProfileSettings(4);
    char windows[MAX_PATH + 1] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    m_settings.Load(*this, m_strDataDir, windows);
    m_bAutoOpenRtf = static_cast<int>(GetProfileInt("Config", "AutoOpenRtf", 0));
    m_bAutoOpenTxt = static_cast<int>(GetProfileInt("Config", "AutoOpenTxt", 0));
    m_strOutputPath = GetProfileString("Config", "OutputPath", "").GetString();

    CCommandLineInfo info;
    parseArguments(m_args, info);
    const std::string file = info.m_strFileName.GetString();

    const bool opensFile = opensAsPage(file) || suite::HasExtension(file, ".pdf");
    m_hInstanceMutex = CreateMutexA(nullptr, FALSE, m_strInstanceName.c_str());
    if (m_hInstanceMutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        if (file.empty() || !opensFile) {
            HandOffToRunningInstance({}, false);
            handedOff_ = true;
            closeMutex();
            return FALSE;
        }
        if (HandOffToRunningInstance(file, true)) {
            handedOff_ = true;
            closeMutex();
            return FALSE;
        }
    }
    if (info.m_bRunEmbedded || info.m_bRunAutomated) {
        closeMutex();
        return TRUE;
    }
    m_strAppDir = moduleFolder;
    m_task.m_strFolder = m_strAppDir + "\\OCRFiles\\";

    if (!makeFolder(m_strDataDir, "WORK", "Can not find or create WORK directory!") ||
        !makeFolder(m_strDataDir, "OUTPUT", "Can not find or create OUTPUT directory!") ||
        !makeFolder(m_strDataDir, "IMAGE", "Can not find or create IMAGE directory!")) {
        closeMutex();
        return FALSE;
    }

    m_wSysLangID = ReadSystemLanguage();
    const bool traditional = IsTraditionalLanguage(m_wSysLangID);
    m_bSimplified = traditional ? 0 : 1;
    if (m_settings.langCode == -1) m_settings.langCode = DefaultLangCodeFor(m_wSysLangID);
    const std::string library = m_strAppDir + (traditional ? "\\Ruvozidever.DLL" : "\\Ruvuradavad.DLL");
    m_hResDll = LoadLibraryA(library.c_str());
    if (!m_hResDll) {
        closeMutex();
        StartupMessage(library);
        return FALSE;
    }
    AfxSetResourceHandle(m_hResDll);
    // Said in the interface's own language, so only now.
    if (!file.empty() && !opensFile) {
        StartupMessage(ChosenFileRefusal(file, IDS_FILE_NOT_IMAGE));
        closeMutex();
        return FALSE;
    }
    CString appName;
    if (appName.LoadString(IDS_APP_NAME) && !appName.IsEmpty()) {
        static std::string kept;
        kept = appName.Left(255).GetString();
        m_pszAppName = kept.c_str();
    }

    AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(COcrDoc), RUNTIME_CLASS(CMainFrame),
                                          RUNTIME_CLASS(COcrView)));
    ShowSplash();
    m_hConvertDll = LoadLibraryA("Convert.dll");
    // PDF passwords are asked on this thread, also for the page-load thread.
    pdfPrompts_ = std::make_unique<CUiPdfPrompts>();
    SetPdfPrompts(pdfPrompts_.get());

    if (!OpenCommandLineFile(info)) {
        HideSplash();
        return FALSE;
    }
    InitTwain();
    StartEngine();
    if (m_pMainWnd) {
        m_pMainWnd->ShowWindow(SW_SHOWMAXIMIZED);
        m_pMainWnd->UpdateWindow();
        CString title;
        title.LoadString(IDS_MAIN_TITLE);
        m_pMainWnd->SetWindowText(title.GetString());
    }
    return TRUE;
}

bool CScribantApp::HandOffToRunningInstance(const std::string& file, bool queueIt) {
    HWND running = FindWindow(SCRIBANT_FRAME_CLASS, nullptr);
    if (!queueIt) {
        if (running) {
            if (::IsIconic(running)) ::ShowWindow(running, SW_RESTORE);
            else ::SetForegroundWindow(running);
        }
        return true;
    }
    // The running program reads lines that are whole paths.
    const std::string line = commandLinePath(file);
    // A line that could not be queued would be lost by the hand-off: this
    // start lists it itself.
    if (!queue_->Append(line)) {
        StartupMessage("open Ruziruvud.txt error when add");
        return false;
    }
    // The program that holds the lock may have only just started: its window
    // is waited for, and its answer, within one bound. The line stays queued
    // meanwhile, so a program that reads the queue once its window is up
    // takes it even if this start stops waiting.
    const DWORD deadline = GetTickCount() + kHandOffTimeoutMs;
    for (;;) {
        const DWORD left = deadline - GetTickCount();
        if (static_cast<int>(left) <= 0) break;
        if (!running) {
            Sleep(kHandOffPollMs);
            running = FindWindow(SCRIBANT_FRAME_CLASS, nullptr);
            continue;
        }
        DWORD_PTR result = 0;
        if (SendMessageTimeout(running, WM_COMMAND, ID_OPEN_QUEUED_IMAGES, 0, SMTO_ABORTIFHUNG, left, &result)) break;
        // No answer (the window went, or is busy): look again.
        Sleep(kHandOffPollMs);
        running = FindWindow(SCRIBANT_FRAME_CLASS, nullptr);
    }
    // Nobody took it in time: this start takes its line back and lists it
    // itself; a line already taken was handed over after all.
    if (queue_->TakeBack(line)) return false;
    if (running) {
        if (::IsIconic(running)) ::ShowWindow(running, SW_RESTORE);
        else ::SetForegroundWindow(running);
    }
    return true;
}

BOOL CScribantApp::OpenCommandLineFile(CCommandLineInfo& info) {
    if (info.m_nShellCommand == CCommandLineInfo::AppUnregister) return UnregisterProgram();
    OnNewTask();
    if (!m_pMainWnd) return FALSE;
    StartShellDde();
    if ((info.m_nShellCommand == CCommandLineInfo::FilePrint || info.m_nShellCommand == CCommandLineInfo::FilePrintTo) &&
        !info.m_strFileName.IsEmpty())
        return PrintCommandLineFile(commandLinePath(info.m_strFileName.GetString()), info.m_strPrinterName.GetString());
    if (info.m_nShellCommand != CCommandLineInfo::FileOpen || info.m_strFileName.IsEmpty()) return TRUE;
    // A file that could not be listed has been named with its reason; the
    // program starts all the same.
    ListChosenFiles({commandLinePath(info.m_strFileName.GetString())});
    return TRUE;
}

void CScribantApp::OnNewTask() {
    if (m_pMainWnd) {
        m_task.New();
        return;
    }
    OnFileNew();
}

BOOL CScribantApp::OnIdle(LONG count) {
    BOOL more = CWinApp::OnIdle(count);
    if (queuePending_ && !m_bBusy && !batchRunning_ && m_nBatchMode == 0) OpenQueuedImages();
    // The splash wants idle passes until its time is over; the hand-offs
    // waiting meanwhile are not held up by it.
    if (SplashWantsIdle()) more = TRUE;
    return more;
}

void CScribantApp::OpenQueuedImages() {
    if (!queue_) return;
    // A recognition in progress owns the page list: the paths wait in the
    // queue file until it has ended.
    // Opening a page pumps messages while the earlier page's load stops, so
    // a hand-off can arrive in the middle of an open: its lines stay in the
    // queue for the next round here rather than opening a page inside
    // another page's open.
    if (openingQueued_) {
        queuePending_ = true;
        return;
    }
    queuePending_ = m_bBusy || batchRunning_ || m_nBatchMode != 0;
    if (queuePending_) return;
    openingQueued_ = true;
    for (std::vector<std::string> lines = queue_->TakeAll(); !lines.empty(); lines = queue_->TakeAll())
        for (const std::string& line : lines) ListChosenFiles({line});
    openingQueued_ = false;
}

BOOL CScribantApp::SaveWorkState() {
    if (CMainFrame* frame = MainFrame()) {
        m_settings.newFileName = frame->FileBar().ScanName();
    }
    return m_task.SaveModified();
}

void CScribantApp::LoadStdProfileSettings(UINT count) {
    delete m_pRecentFileList;
    m_pRecentFileList = nullptr;
    if (count > 16) count = 16;  // the menu has ids for sixteen entries
    if (count > 0) {
        m_pRecentFileList = new CScribantRecentFileList(static_cast<int>(count));
        m_pRecentFileList->ReadList();
    }
    m_nNumPreviewPages = GetProfileInt("Settings", "PreviewPages", 0);
}

void CScribantApp::StartEngine() {
    // Its answer (whether a model was found) is not needed here.
    if (auto init = OutsideEntry<PFN_OR_CHN40_INIT>(TRESK_DLL, "OR_CHN40_Init")) {
        std::string folder = m_strAppDir;
        init(folder.data());
        m_bEngineStarted = true;
    }
}

void CScribantApp::EndEngine() {
    if (!m_bEngineStarted) return;
    if (auto term = OutsideEntry<PFN_OR_CHN40_TERM>(TRESK_DLL, "OR_CHN40_Term")) term();
    m_bEngineStarted = false;
}

int CScribantApp::ExitInstance() {
    ddeServer_.Stop();
    HideSplash();
    EndEngine();
    if (pdfPrompts_) {
        SetPdfPrompts(nullptr);
        pdfPrompts_->Shutdown();
    }
    closeMutex();
    if (handedOff_ || unregistered_) {
        // Nothing of this start ran: what it read belongs to the running
        // program, or was just removed and stays removed.
        if (shell_detail::InstalledServices() == this) SetShellServices(nullptr);
        return 0;
    }
    // A check still under way is stopped before what it uses goes: its
    // requests to the relay are answered as cancelled once the relay is gone.
    UpdateRelay().DestroyRelay();
    StopUpdateCheck(kUpdateStopMs);
    m_scanner.Close();
    if (m_hResDll) {
        AfxSetResourceHandle(nullptr);
        FreeLibrary(m_hResDll);
        m_hResDll = nullptr;
    }
    if (m_hConvertDll) FreeLibrary(m_hConvertDll);
    m_hConvertDll = nullptr;
    if (!m_strDataDir.empty()) {
        m_settings.Save(*this);
        WriteProfileInt("Config", "AutoOpenRtf", m_bAutoOpenRtf);
        WriteProfileInt("Config", "AutoOpenTxt", m_bAutoOpenTxt);
        WriteProfileString("Config", "OutputPath", m_strOutputPath.c_str());
        for (const char* ext : {".idx", ".txt", ".c&e", ".dat", ".hx"})
            DeleteFileA((m_strDataDir + "\\work\\atemp000" + ext).c_str());
    }
    if (shell_detail::InstalledServices() == this) SetShellServices(nullptr);
    return CWinApp::ExitInstance();
}

void CScribantApp::InitTwain() {
    // 0x501: the message the glue posts each scanned page with (WM_SCANIMAGE).
    if (m_pMainWnd) m_scanner.Initialize(m_pMainWnd->GetSafeHwnd(), m_strDataDir + "\\work\\~temp.bmp", WM_SCANIMAGE);
}

CMainFrame* CScribantApp::MainFrame() const { return dynamic_cast<CMainFrame*>(m_pMainWnd); }

// --- The shell's services.

std::string CScribantApp::CurrentDocumentPath() const {
    return document_ ? std::string(document_->GetPathName().GetString()) : std::string();
}
int CScribantApp::PageListCurrentRow() const {
    CMainFrame* f = MainFrame();
    return f ? f->PageList().CurrentRow() : -1;
}
int CScribantApp::PageListRowCount() const {
    CMainFrame* f = MainFrame();
    return f ? f->PageList().GetItemCount() : 0;
}
std::string CScribantApp::PageListItemText(int row, int column) const {
    CMainFrame* f = MainFrame();
    if (!f || row < 0 || row >= f->PageList().GetItemCount() || column < 0 || column > kPageListResolution) return {};
    return f->PageList().GetItemText(row, column).GetString();
}
int CScribantApp::MessageBox(const std::string& text, const std::string& caption, UINT style) {
    CWnd* main = m_pMainWnd;
    return ::MessageBox(main ? main->GetSafeHwnd() : nullptr, text.c_str(),
                        caption.empty() ? m_pszAppName : caption.c_str(), style);
}
void CScribantApp::BeginWaitCursor() {
    if (waitDepth_++ == 0) ::SetCursor(LoadStandardCursor(IDC_WAIT));
}
void CScribantApp::EndWaitCursor() {
    if (waitDepth_ > 0 && --waitDepth_ == 0) ::SetCursor(LoadStandardCursor(IDC_ARROW));
}
void CScribantApp::ClearProgress() {
    if (CMainFrame* f = MainFrame()) f->ClearProgress();
}
void CScribantApp::DrawProgress(int first, int last, int current) {
    if (CMainFrame* f = MainFrame()) f->DrawProgress(first, last, current);
}
void CScribantApp::RefreshProgress() {
    if (CMainFrame* f = MainFrame()) f->RefreshProgress();
}
bool CScribantApp::IsSplitterColumnHidden() const {
    CMainFrame* f = MainFrame();
    return f && f->IsTextRowHidden();
}
void CScribantApp::HideTextColumn() {
    if (CMainFrame* f = MainFrame()) f->HideTextRow();
}
void CScribantApp::ShowTextColumn() {
    if (CMainFrame* f = MainFrame()) f->ShowTextRow();
}
void CScribantApp::UpdateFrameTitle(BOOL addToTitle) {
    if (CMainFrame* f = MainFrame()) f->OnUpdateFrameTitle(addToTitle);
}
std::string CScribantApp::ScanName() const {
    CMainFrame* f = MainFrame();
    return f ? f->FileBar().ScanName() : m_settings.newFileName;
}
void CScribantApp::SetScanName(const std::string& name) {
    if (CMainFrame* f = MainFrame()) f->FileBar().SetScanName(name);
}
HDIB CScribantApp::TakeScannedDib() {
    HDIB dib = scannedDib_;
    scannedDib_ = nullptr;
    return dib;
}
void CScribantApp::PutScannedDib(HDIB dib) {
    if (scannedDib_) GlobalFree(scannedDib_);
    scannedDib_ = dib;
}
int CScribantApp::PageListSelectedCount() const {
    CMainFrame* f = MainFrame();
    return f ? static_cast<int>(f->PageList().SelectedRows().size()) : 0;
}
int CScribantApp::PageListSetSelectedItemText(const std::string& path) {
    CMainFrame* f = MainFrame();
    if (!f) return -1;
    const std::vector<int> rows = f->PageList().SelectedRows();
    if (rows.empty()) return -1;
    f->PageList().SetItemText(rows.front(), kPageListPath, path.c_str());
    return rows.front();
}
void CScribantApp::PostMainCommand(UINT id) {
    if (m_pMainWnd) m_pMainWnd->PostMessage(WM_COMMAND, id, 0);
}
void CScribantApp::SendMainCommand(UINT id) {
    if (m_pMainWnd) m_pMainWnd->SendMessage(WM_COMMAND, id, 0);
}
bool CScribantApp::IsInsertMode() const {
    CMainFrame* f = MainFrame();
    return f && f->IsInsertMode();
}
bool CScribantApp::ViewsShown() const {
    CMainFrame* f = MainFrame();
    return !f || f->ViewsShown() != 0;
}
std::string CScribantApp::StatusPaneText(int pane) const {
    CMainFrame* f = MainFrame();
    return f ? f->PaneText(pane) : std::string();
}
void CScribantApp::SetStatusPaneText(int pane, const std::string& text) {
    if (CMainFrame* f = MainFrame()) f->SetPaneText(pane, text);
}
void CScribantApp::ShowLearnStatus() {
    const std::string kept = StatusPaneText(0);
    CString text;
    text.LoadString(61233);
    SetStatusPaneText(0, text.GetString());
    AfxPumpMessages();
    BeginWaitCursor();
    SetStatusPaneText(0, kept);
    EndWaitCursor();
}
int CScribantApp::OpenDocumentPath(const std::string& path) {
    // The document keeps its path in the full Windows form; the list may
    // hold a native one (as the file dialog gives it).
    const auto isOpenPath = [&] { return document_ && CurrentDocumentPath() == suite::FullWindowsPath(path); };
    if (document_ && (CurrentDocumentPath() == path || isOpenPath())) return kOpenAlreadyOpen;
    if (document_ && !document_->SaveModified()) return kOpenFailed;
    if (OpenDocumentFile(path.c_str())) return kOpenStarted;
    // The document answers an image's open with "not yet": the page comes
    // from its load thread. It took the path only when that load started.
    return isOpenPath() || CurrentDocumentPath() == path ? kOpenStarted : kOpenFailed;
}
BOOL CScribantApp::OpenWithDefaultAction(const std::string& path) {
    return reinterpret_cast<std::intptr_t>(ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr,
                                                         SW_RESTORE)) > 32;
}
void CScribantApp::PageListSelectItem(int row) {
    if (CMainFrame* f = MainFrame()) f->PageList().SelectItem(row);
}
void CScribantApp::PageListSelectRows(const std::vector<int>& rows, int focus) {
    CMainFrame* f = MainFrame();
    if (!f) return;
    CFileListCtrl& list = f->PageList();
    // The focused row first (it becomes the only selection), then the others.
    if (focus >= 0 && focus < list.GetItemCount()) list.SelectItem(focus);
    for (int row : rows)
        if (row != focus && row >= 0 && row < list.GetItemCount()) list.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
}
int CScribantApp::PageListFindItem(const std::string& path) {
    CMainFrame* f = MainFrame();
    return f ? f->PageList().FindItem(path) : -1;
}
std::vector<int> CScribantApp::PageListSelectedRows() const {
    CMainFrame* f = MainFrame();
    return f ? f->PageList().SelectedRows() : std::vector<int>();
}
int CScribantApp::PageListUpdateItem(const FileItemInfo& item) {
    CMainFrame* f = MainFrame();
    return f ? f->PageList().UpdateItem(item) : -1;
}
void CScribantApp::PageListSetItemValue(int row, std::uintptr_t value) {
    if (CMainFrame* f = MainFrame()) f->PageList().SetItemData(row, value);
}
void CScribantApp::PageListSetItemText(int row, int column, const std::string& text) {
    if (CMainFrame* f = MainFrame()) f->PageList().SetItemText(row, column, text.c_str());
}
void CScribantApp::PageListDeleteAll() {
    if (CMainFrame* f = MainFrame()) f->PageList().DeleteAllItems();
}
