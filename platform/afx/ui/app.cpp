// Threads, the message loop, the application object and its settings.
#include <QApplication>
#include <QCursor>

#include <cstdio>
#include <exception>
#include <mutex>
#include <unordered_set>

#include "platform/afx/core/exception.h"
#include "platform/afx/core/resource.h"
#include "platform/afx/ui/app.h"
#include "platform/afx/ui/menu.h"
#include "platform/win/files.h"
#include "platform/afx/ui/msgbox.h"
#include "platform/afx/ui/ui_private.h"


using namespace afx_detail;

namespace {
CWinApp* g_app = nullptr;
thread_local CWinThread* t_thread = nullptr;
struct EndThread {
    UINT code;
};

// The thread objects that exist: a message queue hands its messages only to
// one of them (a queue may still name one that is gone). Never destroyed, so
// that objects destroyed at the very end of the program may still leave it.
std::mutex& LiveThreadsMu() {
    static auto* mu = new std::mutex;
    return *mu;
}
std::unordered_set<const CWinThread*>& LiveThreads() {
    static auto* live = new std::unordered_set<const CWinThread*>;
    return *live;
}
void RememberThreadObject(const CWinThread* thread) {
    std::lock_guard<std::mutex> l(LiveThreadsMu());
    LiveThreads().insert(thread);
}
void ForgetThreadObject(const CWinThread* thread) {
    std::lock_guard<std::mutex> l(LiveThreadsMu());
    LiveThreads().erase(thread);
}
}  // namespace

namespace afx_detail {
bool ThreadObjectExists(const CWinThread* thread) {
    std::lock_guard<std::mutex> l(LiveThreadsMu());
    return LiveThreads().count(thread) != 0;
}
}  // namespace afx_detail

struct CWinThread::State {
    std::thread worker;
    std::mutex mu;
    std::condition_variable cv;
    bool done = false;
};

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)

CWinThread::CWinThread() {
    m_pState = new State;
    RememberThreadObject(this);
}

CWinThread::CWinThread(AFX_THREADPROC proc, LPVOID param) : CWinThread() {
    m_pfnThreadProc = proc;
    m_pThreadParams = param;
}

CWinThread::~CWinThread() {
    if (m_pState && m_pState->worker.joinable()) {
        if (m_pState->worker.get_id() == std::this_thread::get_id()) m_pState->worker.detach();
        else m_pState->worker.join();
    }
    delete m_pState;
    if (t_thread == this) t_thread = nullptr;
    ForgetThreadObject(this);
}

BOOL CWinThread::InitInstance() { return FALSE; }
int CWinThread::ExitInstance() { return static_cast<int>(m_msgCur.wParam); }
CWnd* CWinThread::GetMainWnd() { return m_pActiveWnd ? m_pActiveWnd : m_pMainWnd; }

BOOL CWinThread::PreTranslateMessage(MSG* msg) {
    // A message for the thread itself goes to its own handlers (ON_THREAD_MESSAGE).
    if (!msg->hwnd) return DispatchWindowMessage(msg->message, msg->wParam, msg->lParam, nullptr);
    // The window the message is for, then its parents, may take it first.
    for (CWnd* w = CWnd::FromHandlePermanent(msg->hwnd); w; w = (w->m_dwStyle & WS_CHILD) ? w->GetParent() : nullptr) {
        HWND h = w->m_hWnd;
        if (w->PreTranslateMessage(msg)) return TRUE;
        if (!StateOf(h)) return TRUE;  // destroyed by its own handling
    }
    CWnd* main = GetMainWnd();
    if (main && msg->hwnd && CWnd::FromHandlePermanent(msg->hwnd) &&
        CWnd::FromHandlePermanent(msg->hwnd)->GetTopLevelParent() != main)
        return main->PreTranslateMessage(msg);
    return FALSE;
}

BOOL CWinThread::IsIdleMessage(MSG* msg) {
    return msg->message != WM_TIMER && msg->message != WM_PAINT && msg->message != 0x0118;
}

BOOL CWinThread::OnIdle(LONG count) {
    if (count <= 0) {
        if (CWnd* main = GetMainWnd(); main && main->m_hWnd && main->IsWindowVisible()) {
            main->SendMessage(WM_IDLEUPDATECMDUI, TRUE, 0);
            if (main->m_hWnd) main->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE);
        }
        return TRUE;
    }
    return FALSE;
}

BOOL CWinThread::PumpMessage() {
    if (!::GetMessage(&m_msgCur, nullptr, 0, 0)) return FALSE;
    if (!PreTranslateMessage(&m_msgCur)) {
        ::TranslateMessage(&m_msgCur);
        ::DispatchMessage(&m_msgCur);
    }
    return TRUE;
}

int CWinThread::Run() {
    // The loop's thread object while it runs; the one before it afterwards
    // (the loop's object may be gone by then).
    CWinThread* outerThread = t_thread;
    auto queue = CurrentQueue();
    CWinThread* outerQueueThread = queue->thread;
    t_thread = this;
    queue->thread = this;
    struct Restore {
        CWinThread* thread;
        std::shared_ptr<ThreadQueue> queue;
        CWinThread* queueThread;
        ~Restore() {
            t_thread = thread;
            queue->thread = queueThread;
        }
    } restore{outerThread, queue, outerQueueThread};
    LONG idleCount = 0;
    bool idle = true;
    for (;;) {
        MSG peek;
        while (idle && !::PeekMessage(&peek, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(idleCount++)) idle = false;
        }
        do {
            if (!PumpMessage()) return ExitInstance();
            if (IsIdleMessage(&m_msgCur)) {
                idle = true;
                idleCount = 0;
            }
        } while (::PeekMessage(&peek, nullptr, 0, 0, PM_NOREMOVE));
    }
}

BOOL CWinThread::CreateThread(DWORD flags, UINT, LPVOID) {
    if (!m_pfnThreadProc || m_pState->worker.joinable()) return FALSE;
    (void)flags;
    static std::atomic<DWORD> ids{0x100000};
    m_nThreadID = ++ids;
    m_pState->worker = std::thread([this] {
        t_thread = this;
        UINT code = 0;
        try {
            code = m_pfnThreadProc(m_pThreadParams);
        } catch (const EndThread& e) {
            code = e.code;
        }
        m_dwExitCode = code;
        bool autoDelete = m_bAutoDelete != FALSE;
        {
            std::lock_guard<std::mutex> l(m_pState->mu);
            m_pState->done = true;
        }
        m_pState->cv.notify_all();
        t_thread = nullptr;
        if (autoDelete) {
            m_pState->worker.detach();
            delete this;
        }
    });
    return TRUE;
}

DWORD CWinThread::ResumeThread() { return 0; }
BOOL CWinThread::SetThreadPriority(int) { return TRUE; }
int CWinThread::GetThreadPriority() { return THREAD_PRIORITY_NORMAL; }

BOOL CWinThread::PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::PostThreadMessage(m_nThreadID, message, wParam, lParam);
}

BOOL CWinThread::Join(DWORD timeout) {
    std::unique_lock<std::mutex> l(m_pState->mu);
    if (!m_pState->cv.wait_for(l, std::chrono::milliseconds(timeout), [&] { return m_pState->done; })) return FALSE;
    l.unlock();
    if (m_pState->worker.joinable()) m_pState->worker.join();
    return TRUE;
}

CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority, UINT stackSize, DWORD flags,
                           LPVOID security) {
    auto* t = new CWinThread(proc, param);
    if (!t->CreateThread(flags, stackSize, security)) {
        delete t;
        return nullptr;
    }
    t->SetThreadPriority(priority);
    return t;
}

void AfxEndThread(UINT exitCode, BOOL) { throw EndThread{exitCode}; }

CWinThread* AfxGetThread() { return t_thread ? t_thread : g_app; }

// The recent-file list.
CRecentFileList::CRecentFileList(UINT start, LPCTSTR section, LPCTSTR entryFormat, int size, int maxDisplayLength)
    : m_nSize(size < 0 ? 0 : size), m_nStart(start), m_strSectionName(section), m_strEntryFormat(entryFormat),
      m_nMaxDisplayLength(maxDisplayLength), m_arrNames(static_cast<size_t>(m_nSize)) {}

int CRecentFileList::GetCount() const {
    int n = 0;
    for (auto& s : m_arrNames)
        if (!s.IsEmpty()) ++n;
    return n;
}

void CRecentFileList::Add(LPCTSTR path) {
    if (!path || !*path || m_nSize == 0) return;
    CString p(path);
    // An entry already in the list moves to the top; names compare without case.
    int at = m_nSize - 1;
    for (int i = 0; i < m_nSize; ++i)
        if (m_arrNames[static_cast<size_t>(i)].CompareNoCase(p) == 0) {
            at = i;
            break;
        }
    for (int i = at; i > 0; --i) m_arrNames[static_cast<size_t>(i)] = m_arrNames[static_cast<size_t>(i - 1)];
    m_arrNames[0] = p;
}

void CRecentFileList::Remove(int index) {
    if (index < 0 || index >= m_nSize) return;
    for (int i = index; i < m_nSize - 1; ++i) m_arrNames[static_cast<size_t>(i)] = m_arrNames[static_cast<size_t>(i + 1)];
    m_arrNames[static_cast<size_t>(m_nSize - 1)].Empty();
}

void CRecentFileList::ReadList() {
    CWinApp* app = AfxGetApp();
    if (!app) return;
    for (int i = 0; i < m_nSize; ++i) {
        CString entry;
        entry.Format(m_strEntryFormat.GetString(), i + 1);
        m_arrNames[static_cast<size_t>(i)] = app->GetProfileString(m_strSectionName, entry, "");
    }
}

void CRecentFileList::WriteList() {
    CWinApp* app = AfxGetApp();
    if (!app) return;
    for (int i = 0; i < m_nSize; ++i) {
        CString entry;
        entry.Format(m_strEntryFormat.GetString(), i + 1);
        const CString& name = m_arrNames[static_cast<size_t>(i)];
        app->WriteProfileString(m_strSectionName, entry, name.IsEmpty() ? nullptr : name.GetString());
    }
}

BOOL CRecentFileList::GetDisplayName(CString& name, int index, LPCTSTR curDir, int curDirLength, BOOL atLeastName) const {
    if (index < 0 || index >= m_nSize || m_arrNames[static_cast<size_t>(index)].IsEmpty()) return FALSE;
    name = m_arrNames[static_cast<size_t>(index)];
    // A file of the current folder shows by its name alone.
    const CString folder = curDir && curDirLength > 0 ? CString(curDir).Left(curDirLength) : CString();
    if (!folder.IsEmpty() && name.GetLength() > folder.GetLength() &&
        name.Left(folder.GetLength()).CompareNoCase(folder) == 0) {
        CString rest = name.Mid(folder.GetLength());
        if (rest[0] == '\\' || rest[0] == '/') rest = rest.Mid(1);
        else if (folder[folder.GetLength() - 1] != '\\' && folder[folder.GetLength() - 1] != '/') rest.Empty();
        if (!rest.IsEmpty() && rest.FindOneOf("\\/") < 0) name = rest;
    }
    if (m_nMaxDisplayLength > 0 && name.GetLength() > m_nMaxDisplayLength) {
        // Too long: the start (drive or first folder), "...", and the file name.
        int cut = name.ReverseFind('\\');
        if (name.ReverseFind('/') > cut) cut = name.ReverseFind('/');
        const CString file = cut >= 0 ? name.Mid(cut) : name;
        int head = name.FindOneOf("\\/");
        CString shortName = head >= 0 && head < cut ? name.Left(head + 1) + "..." + file : CString("...") + file;
        if (shortName.GetLength() > m_nMaxDisplayLength && atLeastName) shortName = file.Mid(cut >= 0 ? 1 : 0);
        name = shortName;
    }
    return TRUE;
}

void CRecentFileList::UpdateMenu(CCmdUI* ui) {
    if (!ui) return;
    CMenu* menu = ui->m_pMenu;
    if (m_strOriginal.IsEmpty() && menu && !ui->m_pSubMenu) menu->GetMenuString(ui->m_nIndex, m_strOriginal, MF_BYPOSITION);
    if (GetCount() == 0 || !menu || ui->m_pSubMenu) {
        // Nothing listed: the placeholder item with its own text, disabled.
        if (menu && !ui->m_pSubMenu) {
            for (int i = 1; i < m_nSize; ++i) menu->DeleteMenu(ui->m_nID + static_cast<UINT>(i), MF_BYCOMMAND);
            if (!m_strOriginal.IsEmpty()) ui->SetText(m_strOriginal);
        }
        ui->Enable(FALSE);
        return;
    }
    // The entries take the place of the placeholder (or of the entries shown before).
    for (int i = 0; i < m_nSize; ++i) menu->DeleteMenu(ui->m_nID + static_cast<UINT>(i), MF_BYCOMMAND);
    char folder[MAX_PATH + 1] = {};
    const int folderLength = static_cast<int>(::GetCurrentDirectoryA(MAX_PATH, folder));
    UINT at = ui->m_nIndex;
    for (int i = 0; i < m_nSize; ++i) {
        CString name;
        if (!GetDisplayName(name, i, folder, folderLength)) continue;
        name.Replace("&", "&&");  // an ampersand in a name is no mnemonic
        CString text;
        text.Format("&%d ", static_cast<int>((m_nStart + static_cast<UINT>(i) + 1) % 10));
        menu->InsertMenu(at++, MF_STRING | MF_BYPOSITION, ui->m_nID + static_cast<UINT>(i), text + name);
    }
    // The caller's walk goes on after the last entry.
    ui->m_nIndex = at - 1;
    ui->m_nIndexMax = menu->GetMenuItemCount();
    ui->m_bEnableChanged = TRUE;
}

// The application.
IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

BEGIN_MESSAGE_MAP(CWinApp, CWinThread)
    ON_COMMAND(ID_APP_EXIT, OnAppExit)
    ON_COMMAND(ID_FILE_NEW, OnFileNew)
    ON_COMMAND(ID_FILE_OPEN, OnFileOpen)
    ON_UPDATE_COMMAND_UI(ID_FILE_MRU_FILE1, OnUpdateRecentFileMenu)
    ON_COMMAND_EX_RANGE(ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE16, OnOpenRecentFile)
END_MESSAGE_MAP()


CWinApp::CWinApp(LPCTSTR appName) : m_pImpl(new Impl) {
    g_app = this;
    if (appName) {
        m_pImpl->appName = appName;
        m_pszAppName = m_pImpl->appName.GetString();
    }
}

CWinApp::~CWinApp() {
    delete m_pRecentFileList;
    m_pRecentFileList = nullptr;
    DestroyTemplates(this);
    delete m_pImpl;
    if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitApplication() { return TRUE; }
BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() {
    SaveStdProfileSettings();
    return static_cast<int>(m_msgCur.wParam);
}

int CWinApp::Run() {
    if (!m_pMainWnd) {
        // Nothing to run without a main window.
        return ExitInstance();
    }
    return CWinThread::Run();
}

BOOL CWinApp::OnIdle(LONG count) { return CWinThread::OnIdle(count); }

BOOL CWinApp::PreTranslateMessage(MSG* msg) { return CWinThread::PreTranslateMessage(msg); }

int CWinApp::DoMessageBox(LPCTSTR prompt, UINT type, UINT) {
    CWnd* owner = GetMainWnd();
    return ShowMessageBox(owner, prompt, m_pszAppName, type);
}

void CWinApp::SetRegistryKey(LPCTSTR key) {
    m_pImpl->registryKey = key ? key : "";
    m_pszRegistryKey = m_pImpl->registryKey.GetString();
#ifdef AFX_HAVE_PROFILE
    m_pImpl->profile.SetAppName(m_pszAppName ? m_pszAppName : "");
    m_pImpl->profile.SetRegistryKey(key);
    m_pImpl->profileName = m_pImpl->profile.ProfileName().c_str();
    m_pszProfileName = m_pImpl->profileName.GetString();
#endif
}

void CWinApp::SetRegistryKey(UINT stringId) {
    CString key;
    AfxLoadString(stringId, key);
    SetRegistryKey(key.GetString());
}

#ifdef AFX_HAVE_PROFILE
namespace {
suite::AppProfile& ProfileOf(CWinApp* app) {
    suite::AppProfile& p = app->m_pImpl->profile;
    if (p.AppName().empty() && app->m_pszAppName) p.SetAppName(app->m_pszAppName);
    return p;
}
}  // namespace
UINT CWinApp::GetProfileInt(LPCTSTR section, LPCTSTR entry, int def) { return ProfileOf(this).GetProfileIntA(section, entry, def); }
CString CWinApp::GetProfileString(LPCTSTR section, LPCTSTR entry, LPCTSTR def) {
    return CString(ProfileOf(this).GetProfileStringA(section, entry, def).c_str());
}
BOOL CWinApp::WriteProfileInt(LPCTSTR section, LPCTSTR entry, int value) { return ProfileOf(this).WriteProfileIntA(section, entry, value); }
BOOL CWinApp::WriteProfileString(LPCTSTR section, LPCTSTR entry, LPCTSTR value) {
    return ProfileOf(this).WriteProfileStringA(section, entry, value);
}
BOOL CWinApp::GetProfileBinary(LPCTSTR section, LPCTSTR entry, LPBYTE* data, UINT* bytes) {
    return ProfileOf(this).GetProfileBinary(section, entry, data, bytes);
}
BOOL CWinApp::WriteProfileBinary(LPCTSTR section, LPCTSTR entry, LPBYTE data, UINT bytes) {
    return ProfileOf(this).WriteProfileBinary(section, entry, data, bytes);
}
HKEY CWinApp::GetAppRegistryKey() { return ProfileOf(this).GetAppRegistryKey(); }
HKEY CWinApp::GetSectionKey(LPCTSTR section) { return ProfileOf(this).GetSectionKey(section); }
#else
UINT CWinApp::GetProfileInt(LPCTSTR, LPCTSTR, int def) { return static_cast<UINT>(def); }
CString CWinApp::GetProfileString(LPCTSTR, LPCTSTR, LPCTSTR def) { return CString(def); }
BOOL CWinApp::WriteProfileInt(LPCTSTR, LPCTSTR, int) { return FALSE; }
BOOL CWinApp::WriteProfileString(LPCTSTR, LPCTSTR, LPCTSTR) { return FALSE; }
BOOL CWinApp::GetProfileBinary(LPCTSTR, LPCTSTR, LPBYTE* data, UINT* bytes) {
    if (data) *data = nullptr;
    if (bytes) *bytes = 0;
    return FALSE;
}
BOOL CWinApp::WriteProfileBinary(LPCTSTR, LPCTSTR, LPBYTE, UINT) { return FALSE; }
HKEY CWinApp::GetAppRegistryKey() { return nullptr; }
HKEY CWinApp::GetSectionKey(LPCTSTR) { return nullptr; }
#endif

void CWinApp::LoadStdProfileSettings(UINT maxMru) {
    if (maxMru > 16) maxMru = 16;
    delete m_pRecentFileList;
    m_pRecentFileList = nullptr;
    if (maxMru > 0) {
        m_pRecentFileList = new CRecentFileList(0, "Recent File List", "File%d", static_cast<int>(maxMru));
        m_pRecentFileList->ReadList();
    }
    m_nNumPreviewPages = GetProfileInt("Settings", "PreviewPages", 0);
}

void CWinApp::SaveStdProfileSettings() {
    if (m_pRecentFileList) m_pRecentFileList->WriteList();
    // The default count is not written: programs that never set one leave no entry.
    if (m_nNumPreviewPages != 0) WriteProfileInt("Settings", "PreviewPages", static_cast<int>(m_nNumPreviewPages));
}

void CWinApp::AddToRecentFileList(LPCTSTR path) {
    if (m_pRecentFileList) m_pRecentFileList->Add(path);
}

void CWinApp::OnUpdateRecentFileMenu(CCmdUI* ui) {
    if (m_pRecentFileList) m_pRecentFileList->UpdateMenu(ui);
    else ui->Enable(FALSE);
}

BOOL CWinApp::OnOpenRecentFile(UINT id) {
    if (!m_pRecentFileList) return FALSE;
    int index = static_cast<int>(id - ID_FILE_MRU_FILE1);
    if (index < 0 || index >= m_pRecentFileList->GetSize()) return FALSE;
    CString path = (*m_pRecentFileList)[index];
    if (path.IsEmpty()) return FALSE;
    if (!OpenDocumentFile(path)) m_pRecentFileList->Remove(index);
    return TRUE;
}

void CWinApp::OnAppExit() {
    if (m_pMainWnd && m_pMainWnd->m_hWnd) m_pMainWnd->SendMessage(WM_CLOSE);
    else PostQuitMessage(0);
}

void CWinApp::WinHelp(DWORD_PTR, UINT) {}

// Cursors and icons: standard ones map to the window system's shapes.
HCURSOR CWinApp::LoadCursor(LPCTSTR name) const { return ::LoadCursor(AfxGetResourceHandle(), name); }
HCURSOR CWinApp::LoadCursor(UINT id) const { return ::LoadCursor(AfxGetResourceHandle(), MAKEINTRESOURCE(id)); }
HCURSOR CWinApp::LoadStandardCursor(LPCTSTR name) const { return ::LoadCursor(nullptr, name); }
HCURSOR CWinApp::LoadOEMCursor(UINT id) const { return ::LoadCursor(nullptr, MAKEINTRESOURCE(id)); }
HICON CWinApp::LoadIcon(LPCTSTR name) const { return LoadIconResource(AfxGetResourceHandle(), name); }
HICON CWinApp::LoadIcon(UINT id) const { return LoadIconResource(AfxGetResourceHandle(), MAKEINTRESOURCE(id)); }
HICON CWinApp::LoadStandardIcon(LPCTSTR name) const { return LoadIconResource(nullptr, name); }

CWinApp* AfxGetApp() { return g_app; }

CWnd* AfxGetMainWnd() {
    CWinThread* t = AfxGetThread();
    return t ? t->GetMainWnd() : nullptr;
}

LPCTSTR AfxGetAppName() { return g_app ? g_app->m_pszAppName : nullptr; }

void AfxWinInit(int argc, char** argv) {
    if (!QCoreApplication::instance()) {
        if (argc > 0 && argv) {
            static int s_argc;
            s_argc = argc;
            if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
                setenv("QT_QPA_PLATFORM", "offscreen", 0);
            new QApplication(s_argc, argv);
            QApplication::setQuitOnLastWindowClosed(false);
        } else {
            EnsureApplication();
        }
    }
    CurrentQueue();
    // Exceptions reported by the core show as message boxes from now on.
    AfxSetReportErrorHook([](LPCTSTR message, UINT type) { return AfxMessageBox(message, type); });
    if (g_app) {
        for (int i = 1; i < argc; ++i) g_app->m_args.push_back(CString(argv[i]));
        if (!g_app->m_pszAppName) {
            CString title;
            if (AfxLoadString(AFX_IDS_APP_TITLE, title)) g_app->m_pImpl->appName = title;
            else if (argc > 0 && argv && argv[0]) {
                CString exe(argv[0]);
                int cut = exe.ReverseFind('/');
                g_app->m_pImpl->appName = cut >= 0 ? exe.Mid(cut + 1) : exe;
            }
            g_app->m_pszAppName = g_app->m_pImpl->appName.GetString();
        }
        if (!g_app->m_pszExeName) {
            g_app->m_pImpl->exeName = g_app->m_pszAppName;
            g_app->m_pszExeName = g_app->m_pImpl->exeName.GetString();
        }
        g_app->m_hInstance = AfxGetInstanceHandle();
        g_app->m_nThreadID = CurrentQueue()->id;
        CurrentQueue()->thread = g_app;
        // Command line: the arguments after the program, joined by blanks.
        static std::string cmdLine;
        cmdLine.clear();
        for (int i = 1; i < argc; ++i) {
            if (i > 1) cmdLine += ' ';
            cmdLine += argv[i];
        }
        g_app->m_lpCmdLine = cmdLine.data();
    }
}

int AfxWinMain(int argc, char** argv) {
    AfxWinInit(argc, argv);
    CWinApp* app = AfxGetApp();
    if (!app) return -1;
    int code = -1;
    if (app->InitApplication() && app->InitInstance()) code = app->Run();
    else code = app->ExitInstance();
    return code;
}
