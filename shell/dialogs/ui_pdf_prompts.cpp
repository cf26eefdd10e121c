#include "shell/dialogs/ui_pdf_prompts.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/afx/afxwin.h"
#include "platform/afx/ui/msgbox.h"
#include "imaging/formats/codec_signals.h"
#include "platform/win/sync.h"
#include "shell/dialogs/pdf_password_dlg.h"

namespace {

constexpr UINT kWrongPassword = 61463;
constexpr UINT WM_ASK_PASSWORD = WM_USER + 0x2A1;
constexpr UINT WM_SHOW_WRONG_PASSWORD = WM_USER + 0x2A2;
constexpr auto kPoll = std::chrono::milliseconds(20);

// One question of another thread; shared by the asking thread and the
// posted message until both are done with it.
struct PasswordQuestion {
    std::string path;
    std::mutex lock;
    std::condition_variable answeredCv;
    bool answered = false;
    bool accepted = false;
    bool abandoned = false;
    std::string password;
};

using QuestionPtr = std::shared_ptr<PasswordQuestion>;

void releaseQuestion(WPARAM, LPARAM lParam) { delete reinterpret_cast<QuestionPtr*>(lParam); }

bool isSet(HANDLE event) {
    if (!event || WaitForSingleObject(event, 0) != WAIT_OBJECT_0) return false;
    SetEvent(event);  // the stop stays visible to the thread's own checks
    return true;
}

// Shows the dialog; true with the password on OK.
bool askOnThisThread(const std::string& path, std::string& password, std::function<bool()> giveUp) {
    CPdfPasswordDlg dialog(path, AfxGetMainWnd(), std::move(giveUp));
    if (dialog.DoModal() != IDOK) return false;
    password = dialog.m_strPassword.GetString();
    return true;
}

void showWrongPassword() {
    CString text;
    text.LoadString(kWrongPassword);
    AfxMessageBox(text.GetString(), MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

// The hidden window of the user-interface thread that takes the questions.
class CPromptRelayWnd : public CWnd {
public:
    afx_msg LRESULT OnAskPassword(WPARAM, LPARAM lParam) {
        const QuestionPtr question = *reinterpret_cast<QuestionPtr*>(lParam);
        delete reinterpret_cast<QuestionPtr*>(lParam);
        {
            std::lock_guard guard(question->lock);
            if (question->abandoned) return 0;
        }
        std::string password;
        const bool accepted = askOnThisThread(question->path, password, [question] {
            std::lock_guard guard(question->lock);
            return question->abandoned;
        });
        {
            std::lock_guard guard(question->lock);
            question->answered = true;
            question->accepted = accepted && !question->abandoned;
            question->password = password;
        }
        question->answeredCv.notify_all();
        return 0;
    }
    afx_msg LRESULT OnShowWrongPassword(WPARAM, LPARAM) {
        showWrongPassword();
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPromptRelayWnd, CWnd)
    ON_MESSAGE(WM_ASK_PASSWORD, OnAskPassword)
    ON_MESSAGE(WM_SHOW_WRONG_PASSWORD, OnShowWrongPassword)
END_MESSAGE_MAP()

CUiPdfPrompts::CUiPdfPrompts() : uiThread_(std::this_thread::get_id()), relay_(std::make_unique<CPromptRelayWnd>()) {
    if (!relay_->CreateEx(0, nullptr, "", WS_OVERLAPPED, 0, 0, 1, 1, nullptr, nullptr)) relay_.reset();
    relayHandle_ = relay_ ? relay_->GetSafeHwnd() : nullptr;
}

CUiPdfPrompts::~CUiPdfPrompts() { Shutdown(); }

void CUiPdfPrompts::Shutdown() {
    if (!relay_ || !onUiThread()) return;
    relayHandle_ = nullptr;
    if (relay_->GetSafeHwnd()) relay_->DestroyWindow();
    relay_.reset();
}

bool CUiPdfPrompts::AskPassword(const char* path, std::string& password, HANDLE stopEvent) {
    const std::string file = path ? path : "";
    if (onUiThread()) return askOnThisThread(file, password, [stopEvent] { return isSet(stopEvent); });
    HWND relay = relayHandle_.load();
    if (!relay) return false;
    auto question = std::make_shared<PasswordQuestion>();
    question->path = file;
    if (!AfxPostMessageOwned(relay, WM_ASK_PASSWORD, 0, reinterpret_cast<LPARAM>(new QuestionPtr(question)),
                             releaseQuestion))
        return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(answerTimeoutMs);
    std::unique_lock guard(question->lock);
    while (!question->answered) {
        question->answeredCv.wait_for(guard, kPoll);
        if (question->answered) break;
        if (isSet(stopEvent) || std::chrono::steady_clock::now() > deadline || !relayHandle_.load()) {
            question->abandoned = true;
            return false;
        }
    }
    if (!question->accepted) return false;
    password = question->password;
    return true;
}

void CUiPdfPrompts::ShowWrongPassword() {
    if (onUiThread()) {
        showWrongPassword();
        return;
    }
    if (HWND relay = relayHandle_.load()) ::PostMessage(relay, WM_SHOW_WRONG_PASSWORD, 0, 0);
}

void CUiPdfPrompts::PostProgress(HWND window, int done, int total) {
    if (window) ::PostMessage(window, WM_IMAGEPROGRESS, static_cast<WPARAM>(done), static_cast<LPARAM>(total));
}

void CUiPdfPrompts::PumpMessages() {
    if (onUiThread()) AfxPumpMessages();
}
