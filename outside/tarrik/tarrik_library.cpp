// The message library's table: texts by number, boxes through the
// platform's message box, and one progress window with a Cancel button.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "outside/include/library_export.h"
#include "outside/include/tarrik.h"
#include "outside/tarrik/message_texts.h"
#include "platform/afx/afxwin.h"

namespace {

constexpr UINT kCancelId = 2;

// A small top-level window: caption, one line of text, a bar and Cancel.
class ProgressWindow : public CWnd {
public:
    bool open(const MSG_PROGRESS& p) {
        range_ = p.Range > 0 ? p.Range : 100;
        if (!CreateEx(0, nullptr, p.Caption ? p.Caption : "", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 200, 200, 360,
                      130, p.Owner, nullptr))
            return false;
        RECT textArea{10, 10, 340, 30}, barArea{10, 40, 340, 60}, buttonArea{260, 70, 340, 94};
        text_.Create("", WS_CHILD | WS_VISIBLE, textArea, this);
        bar_.Create(WS_CHILD | WS_VISIBLE, barArea, this, 1001);
        bar_.SetRange32(0, range_);
        cancel_.Create("Cancel", WS_CHILD | WS_VISIBLE, buttonArea, this, kCancelId);
        return true;
    }
    void setText(LPCSTR text) { text_.SetWindowText(text ? text : ""); }
    void setPercent(int percent) { bar_.SetPos(std::clamp(percent, 0, 100) * range_ / 100); }
    bool cancelled() const { return cancelled_; }
    void cancel() { cancelled_ = true; }
    int position() { return bar_.GetPos(); }

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        if (LOWORD(wParam) == kCancelId) {
            cancelled_ = true;
            return TRUE;
        }
        return CWnd::OnCommand(wParam, lParam);
    }

private:
    CStatic text_;
    CProgressCtrl bar_;
    CButton cancel_;
    int range_ = 100;
    bool cancelled_ = false;
};

std::unique_ptr<ProgressWindow>& progress() {
    static std::unique_ptr<ProgressWindow> window;
    return window;
}

int getText(int id, LPSTR buffer, int size) {
    if (!buffer || size <= 0) return 0;
    const char* text = tarrik::MessageText(id);
    std::string t = text ? text : "";
    std::size_t n = std::min<std::size_t>(t.size(), std::size_t(size - 1));
    std::memcpy(buffer, t.data(), n);
    buffer[n] = '\0';
    return text ? 1 : 0;
}

int showBox(HWND owner, int id, LPCSTR text, int, LPCSTR caption, UINT flags, int) {
    std::string body = text && *text ? text : "";
    if (body.empty())
        if (const char* t = tarrik::MessageText(id)) body = t;
    return ::MessageBox(owner, body.c_str(), caption ? caption : "", flags);
}

int openProgress(const MSG_PROGRESS* p) {
    if (!p) return 0;
    auto& window = progress();
    if (window) window->DestroyWindow();
    window = std::make_unique<ProgressWindow>();
    if (!window->open(*p)) {
        window.reset();
        return 0;
    }
    AfxPumpMessages();
    return 1;
}

int setProgressText(int, LPCSTR text) {
    if (!progress()) return 0;
    progress()->setText(text);
    AfxPumpMessages();
    return 1;
}

int setProgress(int percent) {
    if (!progress()) return 0;
    progress()->setPercent(percent);
    AfxPumpMessages();
    return progress()->cancelled() ? 0 : 1;
}

int closeProgress() {
    auto& window = progress();
    if (!window) return 0;
    window->DestroyWindow();
    window.reset();
    return 1;
}

const TARRIK_FUNCTIONTABLE table = {getText, showBox, openProgress, setProgressText, setProgress, closeProgress};

}  // namespace

SUITE_LIBRARY_EXPORT const TARRIK_FUNCTIONTABLE* Tarrik_GetFunctionTable() { return &table; }
