// The command line's shell commands besides open: printing a file on the
// default or a named printer ("/p", "/pt"), and removing the program's
// registry entries ("/Unregister"). Each ends the start.
#include <string>

#include "ocrdoc/document/ocr_doc.h"
#include "platform/win/codepage.h"
#include "platform/win/path.h"
#include "platform/win/registry.h"
#include "shell/app/scribant_app.h"
#include "shell/frame/main_frame.h"
#include "views/page_view/ocr_view.h"

namespace {
// The longest wait for the page to arrive from the page-load thread.
constexpr DWORD kPageWaitMs = 30000;
constexpr UINT kRegistryRemoved = 61707;
constexpr UINT kRegistryNotRemoved = 61708;
constexpr UINT kCannotPrint = 61522;  // "无法打印文件%s"
}  // namespace

BOOL CScribantApp::PrintCommandLineFile(const std::string& path, const std::string& printer) {
    if (PrintFile(path, printer)) return FALSE;
    CString text;
    text.LoadString(kCannotPrint);
    std::string line = text.GetString();
    if (const std::size_t at = line.find("%s"); at != std::string::npos) line.replace(at, 2, path);
    StartupMessage(line);
    return FALSE;
}

bool CScribantApp::PrintFile(const std::string& path, const std::string& printer) {
    const bool pdf = suite::AnsiToLower(suite::PathLastPart(path)).ends_with(".pdf");
    if (!(pdf ? OpenPdfFile(path) : OpenImagePath(path))) return false;
    // The page comes from the page-load thread; the wait is bounded.
    auto arrived = [this] {
        const COcrDoc* doc = CurrentDocument();
        return doc && doc->m_pImage && doc->m_pImage->m_hBits && !IsBusy();
    };
    const DWORD start = GetTickCount();
    while (!arrived() && GetTickCount() - start < kPageWaitMs) {
        MSG msg;
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessage(&msg);
        }
        Sleep(10);
    }
    CMainFrame* frame = MainFrame();
    auto* view = frame ? dynamic_cast<COcrView*>(frame->Splitter().GetPane(0, 0)) : nullptr;
    if (!arrived() || !view) return false;
    if (printer.empty()) view->SendMessage(WM_COMMAND, ID_FILE_PRINT_DIRECT, 0);
    else view->PrintTo(printer);
    return true;
}

void CScribantApp::StartShellDde() {
    ddeServer_.Start(m_strInstanceName, [this](const ShellDdeCommand& command) { return RunShellDdeCommand(command); });
}

bool CScribantApp::RunShellDdeCommand(const ShellDdeCommand& command) {
    const std::string path = suite::FullWindowsPath(command.path);
    if (command.verb != ShellDdeCommand::kOpen) return PrintFile(path, command.printer);
    const bool pdf = suite::AnsiToLower(suite::PathLastPart(path)).ends_with(".pdf");
    return (pdf ? OpenPdfFile(path) : OpenImagePath(path)) != FALSE;
}

BOOL CScribantApp::UnregisterProgram() {
    // The settings tree under the registry key: HKEY_CURRENT_USER\Software\<key>\<program>.
    bool removed = true;
    if (m_pszRegistryKey && *m_pszRegistryKey) {
        const std::string program = m_pszProfileName && *m_pszProfileName ? m_pszProfileName
                                    : m_pszAppName && *m_pszAppName    ? m_pszAppName
                                                                        : "Scribant";
        const std::string tree = std::string("Software\\") + m_pszRegistryKey + "\\" + program;
        const LONG result = RegDeleteTreeA(HKEY_CURRENT_USER, tree.c_str());
        removed = result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
    }
    unregistered_ = true;
    CString text;
    text.LoadString(removed ? kRegistryRemoved : kRegistryNotRemoved);
    StartupMessage(text.GetString());
    return FALSE;
}
