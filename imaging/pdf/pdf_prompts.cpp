#include "imaging/pdf/pdf_prompts.h"

#include <atomic>

namespace {

class SilentPrompts final : public CPdfPrompts {
public:
    bool AskPassword(const char*, std::string&, HANDLE) override { return false; }
    void ShowWrongPassword() override {}
    void PostProgress(HWND, int, int) override {}
    void PumpMessages() override {}
};

SilentPrompts g_silent;
std::atomic<CPdfPrompts*> g_prompts{nullptr};

}  // namespace

void SetPdfPrompts(CPdfPrompts* prompts) { g_prompts.store(prompts); }

CPdfPrompts& PdfPrompts() {
    CPdfPrompts* p = g_prompts.load();
    return p ? *p : g_silent;
}
