#include "shell/update/update_relay.h"

#include "shell/update/dlg_update.h"

#include "platform/afx/ui/msgbox.h"
#include "platform/win/process.h"

#include <functional>

namespace {

// A piece of work for the user-interface thread and its answer.
struct Request {
    std::function<LRESULT()> work;
};

}  // namespace

BEGIN_MESSAGE_MAP(CUpdateRelay, CWnd)
ON_MESSAGE(WM_UPDATE_REQUEST, OnRequest)
END_MESSAGE_MAP()

BOOL CUpdateRelay::CreateRelay() {
    if (GetSafeHwnd()) return TRUE;
    if (!CreateEx(0, nullptr, "UpdateRelay", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr)) return FALSE;
    m_window = GetSafeHwnd();
    return TRUE;
}

void CUpdateRelay::DestroyRelay() {
    m_window = nullptr;
    if (GetSafeHwnd()) DestroyWindow();
}

LRESULT CUpdateRelay::OnRequest(WPARAM, LPARAM request) {
    auto* r = reinterpret_cast<Request*>(request);
    return r && r->work ? r->work() : 0;
}

LRESULT CUpdateRelay::send(void* request) {
    HWND window = m_window;
    return window ? ::SendMessage(window, WM_UPDATE_REQUEST, 0, reinterpret_cast<LPARAM>(request)) : 0;
}

int CUpdateRelay::Message(UINT stringId, UINT style) {
    Request r{[=] { return static_cast<LRESULT>(AfxMessageBox(stringId, style)); }};
    return static_cast<int>(send(&r));
}

int CUpdateRelay::ChooseEntry(const std::string& taskIni, int startEntry) {
    Request r{[&] {
        CDlgUpdate dialog(taskIni, startEntry, AfxGetMainWnd());
        return static_cast<LRESULT>(dialog.DoModal() == IDOK ? dialog.Chosen() : 0);
    }};
    return static_cast<int>(send(&r));
}

bool CUpdateRelay::StartUpdater(const std::string& program, const std::string& parameter, const std::string& folder) {
    Request r{[&] {
        CWnd* main = AfxGetMainWnd();
        const auto result = reinterpret_cast<std::intptr_t>(ShellExecuteA(
            main ? main->GetSafeHwnd() : nullptr, "open", program.c_str(), parameter.c_str(), folder.c_str(),
            SW_SHOWNORMAL));
        return static_cast<LRESULT>(result > 32 ? 1 : 0);
    }};
    return send(&r) != 0;
}

void CUpdateRelay::CloseProgram() {
    Request r{[] {
        if (CWnd* main = AfxGetMainWnd()) main->PostMessage(WM_CLOSE);
        return static_cast<LRESULT>(1);
    }};
    send(&r);
}

CUpdateRelay& UpdateRelay() {
    // Never destroyed: a check that outlived the exit's bound still finds it
    // (with its window gone, every request is answered as cancelled).
    static CUpdateRelay* relay = new CUpdateRelay;
    return *relay;
}
