// The prompts of the PDF page access in the program: the password dialog and
// the wrong-password message always on the user-interface thread. A caller
// on another thread (the page-load thread) posts its question to a hidden
// window of that thread and waits for the answer, giving up when its stop
// event is set, when the prompts are shut down, or after a longest wait; the
// dialog it left is closed as cancelled.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "imaging/pdf/pdf_prompts.h"

class CPromptRelayWnd;

class CUiPdfPrompts final : public CPdfPrompts {
public:
    // Made on the user-interface thread.
    CUiPdfPrompts();
    ~CUiPdfPrompts() override;
    CUiPdfPrompts(const CUiPdfPrompts&) = delete;
    CUiPdfPrompts& operator=(const CUiPdfPrompts&) = delete;

    // Ends the hidden window; questions from other threads are cancelled from now on.
    void Shutdown();

    bool AskPassword(const char* path, std::string& password, HANDLE stopEvent) override;
    void ShowWrongPassword() override;
    void PostProgress(HWND window, int done, int total) override;
    void PumpMessages() override;

    // The longest wait of another thread for the user's answer.
    unsigned answerTimeoutMs = 10 * 60 * 1000;

private:
    bool onUiThread() const { return std::this_thread::get_id() == uiThread_; }

    std::thread::id uiThread_;
    std::unique_ptr<CPromptRelayWnd> relay_;
    std::atomic<HWND> relayHandle_{nullptr};  // what other threads post to; NULL once shut down
};
