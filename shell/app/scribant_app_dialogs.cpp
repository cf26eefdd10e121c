// The application's small dialogs: the start-up picture, the about box, the
// external editor's settings and saving under the same name in a chosen format.
#include "shell/app/scribant_app.h"
#include "shell/app/scribant_commands.h"
#include "shell/dialogs/about_dlg.h"
#include "shell/dialogs/extern_editor_dlg.h"
#include "shell/dialogs/save_format_dlg.h"

namespace {
// The splash goes after this long, or at the first key or mouse press.
constexpr DWORD kSplashMs = 500;
}  // namespace

void CScribantApp::ShowSplash() {
    if (!splash_.Create(nullptr)) return;
    splash_.ShowWindow(SW_SHOWNOACTIVATE);
    splash_.UpdateWindow();
    splashTicks_ = GetTickCount();
}

void CScribantApp::HideSplash() {
    if (!splash_.GetSafeHwnd()) return;
    splash_.DestroyWindow();
    if (m_pMainWnd) m_pMainWnd->UpdateWindow();
}

bool CScribantApp::SplashShown() const { return splash_.GetSafeHwnd() != nullptr; }

bool CScribantApp::SplashWantsIdle() {
    if (!SplashShown()) return false;
    if (GetTickCount() - splashTicks_ <= kSplashMs) return true;
    HideSplash();
    return false;
}

BOOL CScribantApp::PreTranslateMessage(MSG* msg) {
    const BOOL handled = CWinApp::PreTranslateMessage(msg);
    if (SplashShown() && msg) {
        switch (msg->message) {
        case WM_NCLBUTTONDOWN:
        case WM_NCRBUTTONDOWN:
        case WM_NCMBUTTONDOWN:
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN: HideSplash(); break;
        default: break;
        }
    }
    return handled;
}

void CScribantApp::OnAppAbout() {
    CAboutDlg about(m_pMainWnd);
    about.DoModal();
}

void CScribantApp::OnSetExternEditor() {
    CDlgExternEditor dialog(m_pMainWnd, m_settings.externEditPath, m_settings.editFileType);
    if (dialog.DoModal() != IDOK) return;
    m_settings.externEditPath = dialog.m_strPath;
    m_settings.editFileType = dialog.m_nFileType;
}

void CScribantApp::OnOutputSameName() {
    CDlgSaveFormat dialog(m_pMainWnd);
    if (dialog.DoModal() != IDOK) return;
    m_task.SaveSelectedSameName(dialog.m_nFormat);
}
