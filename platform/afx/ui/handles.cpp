// The handle map: window handles, their state and their widgets; the
// temporary CWnd objects of handles without one; the window-system
// application instance; text conversion at the window-system boundary.
#include <QApplication>

#include <cstdlib>

#if __has_include("platform/win/codepage.h")
#include "platform/win/codepage.h"
#define AFX_HAVE_CODEPAGE 1
#endif

#include "platform/afx/ui/ui_private.h"

namespace afx_detail {

QString ToQ(const char* ansi) {
    if (!ansi) return QString();
#ifdef AFX_HAVE_CODEPAGE
    std::u16string u = suite::AnsiToUtf16(ansi);
    return QString::fromUtf16(u.data(), static_cast<qsizetype>(u.size()));
#else
    return QString::fromLocal8Bit(ansi);
#endif
}

QString ToQ(const CString& ansi) { return ToQ(ansi.GetString()); }

CString FromQ(const QString& text) {
#ifdef AFX_HAVE_CODEPAGE
    std::u16string u(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size()));
    return CString(suite::Utf16ToAnsi(u).c_str());
#else
    return CString(text.toLocal8Bit().constData());
#endif
}

namespace {
std::mutex g_mapMu;
std::unordered_map<std::uintptr_t, std::shared_ptr<WindowState>> g_windows;
std::unordered_map<const QWidget*, HWND> g_byWidget;
std::uintptr_t g_nextHandle = 0x10000;
std::unordered_map<std::uintptr_t, std::unique_ptr<CWnd>> g_temporaries;

std::uintptr_t Key(HWND h) { return reinterpret_cast<std::uintptr_t>(h); }
}  // namespace

HWND RegisterWindow(CWnd* wnd, QWidget* widget) {
    auto s = std::make_shared<WindowState>();
    s->wnd = wnd;
    s->widget = widget;
    s->queue = CurrentQueue();
    std::lock_guard<std::mutex> l(g_mapMu);
    g_nextHandle += 4;
    s->hwnd = reinterpret_cast<HWND>(g_nextHandle);
    g_windows[g_nextHandle] = s;
    if (widget) g_byWidget[widget] = s->hwnd;
    return s->hwnd;
}

void UnregisterWindow(HWND hwnd) {
    std::shared_ptr<WindowState> s;
    {
        std::lock_guard<std::mutex> l(g_mapMu);
        auto it = g_windows.find(Key(hwnd));
        if (it == g_windows.end()) return;
        s = it->second;
        g_windows.erase(it);
        for (auto w = g_byWidget.begin(); w != g_byWidget.end();) {
            if (w->second == hwnd) w = g_byWidget.erase(w);
            else ++w;
        }
        g_temporaries.erase(Key(hwnd));
    }
    // Messages still queued for the window go with it, payloads freed.
    if (s->queue) s->queue->Remove(hwnd, 0, 0xFFFFFFFFu);
}

void AliasWidget(QWidget* widget, HWND hwnd) {
    std::lock_guard<std::mutex> l(g_mapMu);
    g_byWidget[widget] = hwnd;
}

WindowState* StateOf(HWND hwnd) {
    std::lock_guard<std::mutex> l(g_mapMu);
    auto it = g_windows.find(Key(hwnd));
    return it == g_windows.end() ? nullptr : it->second.get();
}

WindowState* StateOf(const CWnd* wnd) { return wnd ? StateOf(wnd->m_hWnd) : nullptr; }

HWND HandleOfWidget(const QWidget* widget) {
    std::lock_guard<std::mutex> l(g_mapMu);
    auto it = g_byWidget.find(widget);
    return it == g_byWidget.end() ? nullptr : it->second;
}

std::shared_ptr<ThreadQueue> QueueOfWindow(HWND hwnd) {
    std::lock_guard<std::mutex> l(g_mapMu);
    auto it = g_windows.find(Key(hwnd));
    return it == g_windows.end() ? nullptr : it->second->queue;
}

bool IsLocalWindow(HWND hwnd) {
    std::lock_guard<std::mutex> l(g_mapMu);
    return g_windows.count(Key(hwnd)) != 0;
}

std::vector<HWND> AllWindows() {
    std::lock_guard<std::mutex> l(g_mapMu);
    std::vector<HWND> out;
    for (auto& [k, s] : g_windows) out.push_back(s->hwnd);
    std::sort(out.begin(), out.end());
    return out;
}

CWnd* TemporaryFor(HWND hwnd) {
    std::lock_guard<std::mutex> l(g_mapMu);
    auto& slot = g_temporaries[Key(hwnd)];
    if (!slot) {
        slot = std::make_unique<CWnd>();
        slot->m_hWnd = hwnd;
        slot->m_bTemporary = true;
    }
    return slot.get();
}

void EnsureApplication() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "suite";
    static char* argv[] = {name, nullptr};
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    new QApplication(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
}

namespace {
std::mutex g_factoryMu;
std::map<std::string, WidgetFactory>& Factories() {
    static std::map<std::string, WidgetFactory> f;
    return f;
}
std::string Upper(const char* s) {
    std::string out;
    for (; s && *s; ++s) out += static_cast<char>((*s >= 'a' && *s <= 'z') ? *s - 32 : *s);
    return out;
}
}  // namespace

namespace {
thread_local std::function<void(WindowState*)> t_pendingSetup;
}
void SetPendingSetup(std::function<void(WindowState*)> setup) { t_pendingSetup = std::move(setup); }
void RunPendingSetup(WindowState* s) {
    auto setup = std::move(t_pendingSetup);
    t_pendingSetup = nullptr;
    if (setup) setup(s);
}

void RegisterWidgetFactory(const char* className, WidgetFactory factory) {
    std::lock_guard<std::mutex> l(g_factoryMu);
    Factories()[Upper(className)] = std::move(factory);
}

WidgetFactory FindWidgetFactory(const char* className) {
    if (!className || IS_INTRESOURCE(className)) return nullptr;
    std::lock_guard<std::mutex> l(g_factoryMu);
    auto it = Factories().find(Upper(className));
    return it == Factories().end() ? nullptr : it->second;
}

}  // namespace afx_detail
