// Message boxes over the window system's message box, and the test script.
#include <QAbstractButton>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

#include <cstdio>
#include <deque>

#include "platform/afx/core/resource.h"
#include "platform/afx/ui/app.h"
#include "platform/afx/ui/msgbox.h"
#include "platform/afx/ui/ui_private.h"

using namespace afx_detail;

namespace {
struct Script {
    std::mutex mu;
    bool enabled = false;
    std::deque<int> answers;
    std::deque<std::vector<std::string>> files;
    std::deque<std::pair<void (*)(CWnd*, void*), void*>> actions;
    std::vector<AfxShownRecord> shown;
};
Script& S() {
    static Script s;
    return s;
}

struct ButtonSet {
    std::vector<std::pair<const char*, int>> buttons;
};

ButtonSet ButtonsOf(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {{{"OK", IDOK}, {"Cancel", IDCANCEL}}};
    case MB_ABORTRETRYIGNORE: return {{{"Abort", IDABORT}, {"Retry", IDRETRY}, {"Ignore", IDIGNORE}}};
    case MB_YESNOCANCEL: return {{{"Yes", IDYES}, {"No", IDNO}, {"Cancel", IDCANCEL}}};
    case MB_YESNO: return {{{"Yes", IDYES}, {"No", IDNO}}};
    case MB_RETRYCANCEL: return {{{"Retry", IDRETRY}, {"Cancel", IDCANCEL}}};
    default: return {{{"OK", IDOK}}};
    }
}

// The answer of a box closed without a button: Cancel where it has one, else
// No, else its first button.
int ClosedAnswer(UINT type) {
    ButtonSet set = ButtonsOf(type);
    for (int wanted : {IDCANCEL, IDNO})
        for (auto& b : set.buttons)
            if (b.second == wanted) return wanted;
    return set.buttons.front().second;
}
}  // namespace

void AfxTestScript::Enable(bool on) {
    std::lock_guard<std::mutex> l(S().mu);
    S().enabled = on;
}
bool AfxTestScript::Enabled() {
    std::lock_guard<std::mutex> l(S().mu);
    return S().enabled;
}
void AfxTestScript::QueueAnswer(int result) {
    std::lock_guard<std::mutex> l(S().mu);
    S().answers.push_back(result);
}
void AfxTestScript::QueueFile(const std::string& path) {
    std::lock_guard<std::mutex> l(S().mu);
    S().files.push_back(path.empty() ? std::vector<std::string>{} : std::vector<std::string>{path});
}
void AfxTestScript::QueueFiles(const std::vector<std::string>& paths) {
    std::lock_guard<std::mutex> l(S().mu);
    S().files.push_back(paths);
}
void AfxTestScript::QueueDialogAction(void (*action)(CWnd*, void*), void* data) {
    std::lock_guard<std::mutex> l(S().mu);
    S().actions.emplace_back(action, data);
}
std::vector<AfxShownRecord> AfxTestScript::Shown() {
    std::lock_guard<std::mutex> l(S().mu);
    return S().shown;
}
void AfxTestScript::Clear() {
    std::lock_guard<std::mutex> l(S().mu);
    S().answers.clear();
    S().files.clear();
    S().actions.clear();
    S().shown.clear();
}
bool AfxTestScript::TakeAnswer(int* result) {
    std::lock_guard<std::mutex> l(S().mu);
    if (S().answers.empty()) return false;
    *result = S().answers.front();
    S().answers.pop_front();
    return true;
}
bool AfxTestScript::TakeFiles(std::vector<std::string>* paths) {
    std::lock_guard<std::mutex> l(S().mu);
    if (S().files.empty()) return false;
    *paths = S().files.front();
    S().files.pop_front();
    return true;
}
bool AfxTestScript::TakeDialogAction(void (**action)(CWnd*, void*), void** data) {
    std::lock_guard<std::mutex> l(S().mu);
    if (S().actions.empty()) return false;
    *action = S().actions.front().first;
    *data = S().actions.front().second;
    S().actions.pop_front();
    return true;
}
void AfxTestScript::Record(const AfxShownRecord& r) {
    std::lock_guard<std::mutex> l(S().mu);
    S().shown.push_back(r);
    if (S().shown.size() > 1000) S().shown.erase(S().shown.begin());
}

namespace afx_detail {

bool NobodyToAsk(const char* kind, const char* title) {
    EnsureApplication();
    QString platform = QGuiApplication::platformName();
    if (platform != "offscreen" && platform != "minimal") return false;
    std::fprintf(stderr, "%s \"%s\" not shown: no screen to ask on and no scripted answer\n", kind, title ? title : "");
    return true;
}

int ShowMessageBox(CWnd* owner, LPCSTR text, LPCSTR caption, UINT type) {
    ButtonSet set = ButtonsOf(type);
    size_t def = (type & MB_DEFMASK) == MB_DEFBUTTON2 ? 1 : (type & MB_DEFMASK) == MB_DEFBUTTON3 ? 2 : 0;
    if (def >= set.buttons.size()) def = 0;
    std::string title = caption ? caption : (AfxGetAppName() ? AfxGetAppName() : "");
    AfxShownRecord rec;
    rec.kind = "message";
    rec.title = title;
    rec.text = text ? text : "";
    rec.type = type;
    for (auto& b : set.buttons) rec.buttons.push_back(b.first);
    if (AfxTestScript::Enabled()) {
        int answer = set.buttons[def].second;
        int queued = 0;
        if (AfxTestScript::TakeAnswer(&queued)) {
            // An answer the box cannot give falls back to its default button.
            for (auto& b : set.buttons)
                if (b.second == queued) answer = queued;
        }
        rec.result = answer;
        AfxTestScript::Record(rec);
        return answer;
    }
    if (NobodyToAsk("message box", text)) return ClosedAnswer(type);
    QWidget* parent = owner && owner->m_pWidget ? owner->m_pWidget->window() : nullptr;
    QMessageBox box(parent);
    box.setWindowTitle(ToQ(title.c_str()));
    box.setText(ToQ(text));
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONASTERISK: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    std::vector<std::pair<QAbstractButton*, int>> map;
    for (size_t i = 0; i < set.buttons.size(); ++i) {
        QAbstractButton* b = box.addButton(QString::fromLatin1(set.buttons[i].first), QMessageBox::ActionRole);
        map.emplace_back(b, set.buttons[i].second);
        if (i == def) box.setDefaultButton(static_cast<QPushButton*>(b));
        if (set.buttons[i].second == ClosedAnswer(type)) box.setEscapeButton(b);
    }
    box.exec();
    int result = ClosedAnswer(type);
    for (auto& [b, id] : map)
        if (box.clickedButton() == b) result = id;
    return result;
}

}  // namespace afx_detail

int AfxMessageBox(LPCTSTR text, UINT type, UINT helpId) {
    if (CWinApp* app = AfxGetApp()) return app->DoMessageBox(text, type, helpId);
    return ShowMessageBox(nullptr, text, nullptr, type);
}

int AfxMessageBox(UINT stringId, UINT type, UINT helpId) {
    CString text;
    AfxLoadString(stringId, text);
    return AfxMessageBox(text.GetString(), type, helpId == static_cast<UINT>(-1) ? stringId : helpId);
}

int MessageBox(HWND owner, LPCTSTR text, LPCTSTR caption, UINT type) {
    return ShowMessageBox(CWnd::FromHandlePermanent(owner), text, caption ? caption : "Error", type);
}
