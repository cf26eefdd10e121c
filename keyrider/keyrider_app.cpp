#include "keyrider/keyrider_app.h"

#include <cstdlib>
#include <filesystem>
#include <strings.h>
#include <vector>

#include "keyrider/bounded_text.h"
#include "keyrider/keyrider_dlg.h"
#include "keyrider/keyrider_ids.h"
#include "keyrider/confirm_prefix_dlg.h"
#include "keyrider/connector_services.h"
#include "keyrider/save_name_dialog.h"
#include "keyrider/scan_job.h"
#include "outside/include/tarrik.h"
#include "platform/win/handles.h"
#include "platform/win/ini.h"
#include "platform/win/library.h"
#include "platform/win/path.h"
#include "platform/win/process.h"
#include "platform/win/sync.h"

namespace keyrider {
namespace {

std::string programFolder() {
    std::string self = suite::ModuleNativePath(GetModuleHandleA(nullptr));
    return self.substr(0, self.find_last_of('/') + 1);
}

const char* sourceName(int source) {
    static const char* const names[] = {"Reflection", "Positive", "Negative", "ADF", "Sheetfed", "Auto Source"};
    return source >= 1 && source <= 6 ? names[source - 1] : "Reflection";
}

const char* modeName(int mode) {
    static const char* const names[] = {"Color", "Gray", "BW"};
    return mode >= 0 && mode <= 2 ? names[mode] : "Gray";
}

// The driver and port of the printer `name` among the local and connected ones.
bool FindPrinter(const std::string& name, std::string* driver, std::string* port) {
    DWORD needed = 0, count = 0;
    EnumPrintersA(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed);
    if (!needed || !EnumPrintersA(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 2, buffer.data(), needed,
                                  &needed, &count))
        return false;
    const auto* printers = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        if (printers[i].pPrinterName && strcasecmp(printers[i].pPrinterName, name.c_str()) == 0) {
            *driver = printers[i].pDriverName ? printers[i].pDriverName : "";
            *port = printers[i].pPortName ? printers[i].pPortName : "";
            return true;
        }
    return false;
}

}  // namespace

CKeyriderApp* KeyriderApp() { return static_cast<CKeyriderApp*>(AfxGetApp()); }

CKeyriderApp::CKeyriderApp() : CWinApp("Keyrider") {}

CKeyriderApp::~CKeyriderApp() { releaseAll(); }

std::string CKeyriderApp::ProgramFolder() const { return programFolder(); }

int CKeyriderApp::ScanStatus(int type, int value, void* context) {
    auto* app = static_cast<CKeyriderApp*>(context);
    if (!app || !app->controller_) return app && app->commandLine_.skipButtons ? 1 : 2;
    return app->controller_->OnScanStatus(type, value);
}

void CKeyriderApp::presenceTick(HWND, UINT, UINT_PTR, DWORD) {
    CKeyriderApp* app = KeyriderApp();
    if (!app || !app->controller_ || !app->bundle_.Scan()) return;
    if (app->controller_->Poll(app->bundle_.Scan()->ScanIsScannerPresent)) {
        KillTimer(nullptr, app->presenceTimer_);
        app->presenceTimer_ = 0;
        app->settings_.ScannerPresent = TRUE;
    }
}

std::string CKeyriderApp::DialogTitle() const {
    CString format;
    format.LoadString(IDS_DIALOG_TITLE);
    std::string product = ReadString(settings_.InstallerKey, "PRODUCT NAME");
    return ReplaceFirstPercentOne(format.IsEmpty() ? "Button Configuration (%1)" : format.GetString(), product, 200);
}

void CKeyriderApp::ShowText(const std::string& text) {
    const TARRIK_FUNCTIONTABLE* messages = bundle_.Messages();
    if (!messages) return;
    CWnd* owner = AfxGetMainWnd();
    messages->MsgShowBox(owner ? owner->GetSafeHwnd() : nullptr, 0, text.c_str(), 0,
                         settings_.ApplicationName.GetString(), MB_ICONHAND, IDI_KEYRIDER);
}

void CKeyriderApp::ShowMessage(int id, const std::string& value) {
    const TARRIK_FUNCTIONTABLE* messages = bundle_.Messages();
    if (!messages) return;
    const std::string text = MessageText(messages, id, value);
    CWnd* owner = AfxGetMainWnd();
    messages->MsgShowBox(owner ? owner->GetSafeHwnd() : nullptr, id, text.c_str(), 0,
                         settings_.ApplicationName.GetString(), MB_ICONHAND, IDI_KEYRIDER);
}

bool CKeyriderApp::AskReplace(const std::string& path) {
    const TARRIK_FUNCTIONTABLE* messages = bundle_.Messages();
    if (!messages) return false;
    const std::string text = suite::NativePathOfEither(path) + " already exists.\nDo you want to replace it?";
    CWnd* owner = AfxGetMainWnd();
    return messages->MsgShowBox(owner ? owner->GetSafeHwnd() : nullptr, 0, text.c_str(), 0,
                                settings_.ApplicationName.GetString(), MB_YESNO | MB_ICONQUESTION, IDI_KEYRIDER) == IDYES;
}

bool CKeyriderApp::runJobFile(const std::string& path) {
    if (!std::filesystem::exists(suite::NativePathOfEither(path))) {
        ShowMessage(30, path);
        return false;
    }
    const std::string key = std::to_string(buttonToRun_);
    char name[261] = {};
    GetPrivateProfileStringA("Summary", key.c_str(), "", name, sizeof name, path.c_str());
    const int source = int(GetPrivateProfileIntA(key.c_str(), "Source", 0, path.c_str()));
    const int mode = int(GetPrivateProfileIntA(key.c_str(), "Mode", 1, path.c_str()));
    if (name[0] == '\0') {
        ShowMessage(kMessageNoButtonJob, path);
        return false;
    }
    JobServices services;
    services.appKey = settings_.AppKey;
    services.installerKey = settings_.InstallerKey;
    services.image = bundle_.Image();
    services.scan = bundle_.Scan();
    services.messages = bundle_.Messages();
    if (settings_.Papers) services.papers.assign(settings_.Papers, settings_.Papers + settings_.PaperCount);
    services.programFolder = ProgramFolder();
    services.title = settings_.ApplicationName.GetString();
    services.naming.message = [this](int id, const std::string& value) { ShowMessage(id, value); };
    services.naming.replace = [this](const std::string& file) { return AskReplace(file); };
    services.report = [this](const std::string& text) { ShowText(text); };
    services.launch = &StartProgram;
    services.findPrinter = &FindPrinter;
    services.connectors = MakeConnectorServices();
    services.owner = AfxGetMainWnd() ? AfxGetMainWnd()->GetSafeHwnd() : nullptr;
    services.pump = [] { AfxPumpMessages(); };
    services.naming.saveDialog = [](std::string& path, int, const std::string& extension) {
        return AskSaveName(path, extension, AfxGetMainWnd());
    };
    const std::string message10 = MessageText(bundle_.Messages(), 10);
    const std::string caption = settings_.ApplicationName.GetString();
    services.naming.confirmPrefix = [message10, caption](std::string& prefix, bool& keepAsking, const std::string& folder) {
        ConfirmPrefixModel model(prefix, folder);
        CConfirmPrefixDlg dialog(model, message10, caption, AfxGetMainWnd());
        if (dialog.DoModal() != IDOK) return false;
        prefix = model.Prefix();
        keepAsking = model.keepAsking;
        return true;
    };
    CScanJob job(JobProfile(path), std::move(services));
    job.SetNames(key, modeName(mode), sourceName(source));
    if (!job.ReadActionSettings(name)) return false;
    job.ReadScanSettings(&job.Block());
    job.DispatchJobOutput(name);
    // A job that ran but reported a problem (a jam, a file not made, a mail not sent) ends non-zero.
    if (!job.Problems().empty()) exitStatus_ = 1;
    return true;
}

BOOL CKeyriderApp::InitInstance() {
    // Pages a killed job left in its private folder are of no use to anyone.
    RemoveStaleJobFolders();
    const std::string folder = ProgramFolder();
    resources_ = LoadLibraryA((folder + "KeyriderRes.dll").c_str());
    if (resources_) AfxSetResourceHandle(resources_);
    std::vector<std::string> args;
    for (const CString& a : m_args) args.emplace_back(a.GetString());
    commandLine_ = ParseArguments(args);
    buttonToRun_ = commandLine_.button;
    settings_.ProgramFolder = folder.c_str();

    ChainResult chain = bundle_.Load(
        folder, [&] { return RunRegistryStep(*bundle_.Common(), folder, settings_, values_); },
        [&](const SCAN_FUNCTIONTABLE& scan) {
            settings_.CommonTable = bundle_.Common();
            return scan.ScanInit(settings_.AppKeyPath.GetString(), folder.c_str(), &CKeyriderApp::ScanStatus,
                                 &settings_, this);
        });
    if (!chain.ok) {
        if (!chain.message.empty()) AfxMessageBox(chain.message.c_str(), MB_OK);
        CloseStartupKeys(settings_);
        return FALSE;
    }
    settings_.ScanTable = bundle_.Scan();
    settings_.CommonTable = bundle_.Common();
    settings_.ImageTable = bundle_.Image();
    settings_.ScannerPresent = bundle_.ScannerPresentAtStart();
    m_pszAppName = settings_.ApplicationName.GetString();

    buttons_ = std::make_unique<ButtonModel>(settings_);
    dialog_ = std::make_unique<CKeyriderDlg>(*this);
    controller_ = std::make_unique<KeyriderController>(*buttons_, *dialog_);
    controller_->skipButtons = commandLine_.skipButtons;
    controller_->scannerPresent = settings_.ScannerPresent;
    controller_->exitQuestion = MessageText(bundle_.Messages(), 14, settings_.ApplicationName.GetString());
    controller_->utilityExe = values_.utilityExe;

    const std::string mutexName = std::string(settings_.ProductName.GetString()) + "1031";
    HANDLE running = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, mutexName.c_str());

    if (!commandLine_.empty && settings_.ScannerPresent && buttonToRun_ != -1) {
        const std::string ini = commandLine_.quotedPathGiven ? commandLine_.iniPath : folder + "Keyrider.ini";
        if (!runJobFile(ini)) {
            exitStatus_ = 1;
            if (running) CloseHandle(running);
            return FALSE;
        }
        buttonToRun_ = -1;
    }

    if (running) {
        CloseHandle(running);
        HWND other = FindWindow(nullptr, DialogTitle().c_str());
        if (!other) return FALSE;
        if (commandLine_.quit) {
            ::PostMessage(other, WM_COMMAND, kCmdQuit, 0);
            ::PostMessage(other, WM_COMMAND, kCmdExit, 0);
        } else if (buttonToRun_ != -1) {
            ShowMessage(15);
            buttonToRun_ = -1;
        }
        if (commandLine_.show && settings_.ScannerPresent) {
            ::ShowWindow(other, SW_SHOW);
            ::SetForegroundWindow(other);
            ::BringWindowToTop(other);
        }
        return FALSE;
    }
    if (commandLine_.quit) return FALSE;
    mutex_ = CreateMutexA(nullptr, FALSE, mutexName.c_str());
    if (!mutex_) return FALSE;
    if (!dialog_->Create(IDD_KEYRIDER_DIALOG, nullptr)) return FALSE;
    m_pMainWnd = dialog_.get();
    dialog_->SetWindowText(DialogTitle().c_str());
    if (commandLine_.show && settings_.ScannerPresent) dialog_->ShowWindow(SW_SHOW);
    if (!settings_.ScannerPresent) presenceTimer_ = SetTimer(nullptr, 0, 2000, &CKeyriderApp::presenceTick);
    return TRUE;
}

void CKeyriderApp::releaseAll() {
    if (presenceTimer_) KillTimer(nullptr, presenceTimer_);
    presenceTimer_ = 0;
    if (dialog_ && dialog_->GetSafeHwnd()) dialog_->DestroyWindow();
    controller_.reset();
    if (buttons_) buttons_->Clear();
    dialog_.reset();
    buttons_.reset();
    bundle_.Release();
    CloseStartupKeys(settings_);
    if (mutex_) CloseHandle(mutex_);
    mutex_ = nullptr;
    std::free(settings_.Papers);
    settings_.Papers = nullptr;
    settings_.PaperCount = 0;
    if (resources_) {
        AfxSetResourceHandle(nullptr);
        FreeLibrary(resources_);
    }
    resources_ = nullptr;
}

int CKeyriderApp::ExitInstance() {
    releaseAll();
    const int code = CWinApp::ExitInstance();
    return exitStatus_ ? exitStatus_ : code;
}

}  // namespace keyrider
