// Internals of the user-interface layer shared by its sources: the handle
// map, the per-thread message queues and the bridge between window-system
// events and window messages. Never included by code outside this folder.
#pragma once

#include <QEvent>
#include <QColor>
#include <QCursor>
#include <QImage>
#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QRegion>
#include <QString>
#include <QWidget>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/afx/ui/app.h"

#if __has_include("platform/win/profile.h")
#include "platform/win/profile.h"
#define AFX_HAVE_PROFILE 1
#endif


class CView;
class CDocument;

class QScrollBar;
class QTimer;
class QMenuBar;

namespace afx_detail {

// Text at the window-system boundary: ANSI code page bytes <-> Unicode.
QString ToQ(const char* ansi);
QString ToQ(const CString& ansi);
CString FromQ(const QString& text);

// A cross-thread SendMessage waiting for its result.
struct SendState {
    std::mutex mu;
    std::condition_variable cv;
    bool done = false;
    LRESULT result = 0;
};

struct QueuedMessage {
    MSG msg{};
    void (*release)(WPARAM, LPARAM) = nullptr;
    std::shared_ptr<QEvent> input;       // keyboard or mouse event to replay
    std::shared_ptr<SendState> send;     // a sent message from another thread
    bool timer = false;
};

class QueueWaker;

// The message queue of one thread.
class ThreadQueue {
public:
    ThreadQueue();
    ~ThreadQueue();
    DWORD id = 0;
    std::thread::id owner;
    CWinThread* thread = nullptr;

    // Queues a message; a posted one (`limited`) is refused when the queue
    // already holds kMaxQueued messages, so a flood nobody takes cannot grow without bound.
    bool Post(QueuedMessage m, bool limited = false);
    static constexpr size_t kMaxQueued = 10000;
    // The first message matching the filter; removed when `remove`.
    bool Take(HWND hwnd, UINT first, UINT last, bool remove, QueuedMessage& out);
    int Remove(HWND hwnd, UINT first, UINT last);
    bool TakeSent(QueuedMessage& out);
    bool HasTimer(HWND hwnd, UINT_PTR id);
    bool Empty();
    void SetQuit(int code);
    bool QuitPosted(int* code);
    void ClearQuit();
    // Waits until a message arrives or `ms` pass (used off the event loop).
    void WaitFor(int ms);
    void Wake();

    std::atomic<int> peekDepth{0};
    QueueWaker* waker = nullptr;

private:
    std::mutex mu_;
    std::condition_variable cv_;
    std::deque<QueuedMessage> q_;
    bool quit_ = false;
    int quitCode_ = 0;
    std::atomic<bool> wakePending_{false};
    friend class QueueWaker;
};

std::shared_ptr<ThreadQueue> CurrentQueue();
std::shared_ptr<ThreadQueue> QueueById(DWORD id);
// Whether a thread object still exists (a queue's `thread` may outlive it).
bool ThreadObjectExists(const CWinThread* thread);
void ReleasePayload(QueuedMessage& m);

// Scroll bar state of a window's own scroll bars (WS_HSCROLL/WS_VSCROLL).
struct ScrollState {
    int minPos = 0, maxPos = 0, page = 0, pos = 0, trackPos = 0;
    bool visible = false;
    bool disableNoScroll = false;
    QScrollBar* bar = nullptr;
};

struct WindowState {
    HWND hwnd = nullptr;
    CWnd* wnd = nullptr;
    QPointer<QWidget> widget;
    std::shared_ptr<ThreadQueue> queue;
    QMargins nc;                 // client area inset (menu bar, scroll bars)
    QImage surface;              // what the window's painting produced
    QRegion invalid;             // waiting for WM_PAINT
    bool erase = true;
    bool ownsPainting = false;   // the window paints its surface itself
    ScrollState scroll[2];
    std::map<UINT_PTR, QTimer*> timers;
    std::map<UINT_PTR, TIMERPROC> timerProcs;
    QMenuBar* menuBar = nullptr;
    CMenu* menu = nullptr;
    HCURSOR classCursor = nullptr;
    // The cursor the widget came with (an edit box's I-beam), which the default
    // processing of WM_SETCURSOR puts back; without one the parent's shows.
    bool hasOwnCursor = false;
    QCursor ownCursor;
    HFONT font = nullptr;        // WM_SETFONT's font (nullptr: the default)
    bool acceptFiles = false;
    bool mouseInside = false;
    bool redraw = true;
    // The default processing of a control's own messages (BM_, EM_, CB_, ...).
    std::function<bool(UINT, WPARAM, LPARAM, LRESULT*)> controlProc;
    // The CWnd object was made by the framework (a dialog's control) and goes with the window.
    bool autoDelete = false;
    QSize reportedSize{-1, -1};  // the client size the last WM_SIZE told
    bool destroying = false;     // DestroyWindow is under way (handlers may ask again)
    // A procedure put in front of the window (SetWindowLongPtr); nullptr: the CWnd's own.
    LRESULT (*wndProc)(HWND, UINT, WPARAM, LPARAM) = nullptr;
};

WindowState* StateOf(HWND hwnd);
WindowState* StateOf(const CWnd* wnd);
HWND HandleOfWidget(const QWidget* widget);
// Registers a widget as the backing of `wnd` and gives it a handle.
HWND RegisterWindow(CWnd* wnd, QWidget* widget);
void UnregisterWindow(HWND hwnd);
// Routes a helper widget's events (a scroll area's viewport) to a window.
void AliasWidget(QWidget* widget, HWND hwnd);
std::vector<HWND> AllWindows();
CWnd* TemporaryFor(HWND hwnd);
// The message being handled on this thread, for Default() and GetCurrentMessage().
struct MessageFrame {
    MSG msg{};
    bool defaultCalled = false;
    MessageFrame* outer = nullptr;
};
MessageFrame* CurrentFrame();
// The window's procedure: the one put in front of it, else its WindowProc.
LRESULT CallWindowChain(CWnd* wnd, UINT message, WPARAM wParam, LPARAM lParam);
// Calls a window's procedure inside a message frame.
LRESULT CallWnd(CWnd* wnd, UINT message, WPARAM wParam, LPARAM lParam, bool* defaultCalled = nullptr);
// A press on a window's caption (WM_NCLBUTTONDOWN with HTCAPTION) moves the
// window with the mouse until the button is released; `global` is the
// press's screen point.
void BeginCaptionDrag(HWND hwnd, POINT global);
const MSG& LastMessage();
// The process-wide lock of the handle map, for lookups from other threads.
std::shared_ptr<ThreadQueue> QueueOfWindow(HWND hwnd);
bool IsLocalWindow(HWND hwnd);

// Remote windows (another process's) have handles of their own kind.
bool IsRemoteHandle(HWND hwnd);
// 1 when another process's window is visible, 0 when hidden, -1 when it cannot be asked.
int RemoteVisible(HWND hwnd);
BOOL RemotePost(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Posts `message` to the top-level windows of every other program; the number
// of programs that took it.
int RemoteBroadcast(UINT message, WPARAM wParam, LPARAM lParam);
LRESULT RemoteSend(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT timeout, bool* ok);
BOOL RemoteShow(HWND hwnd, int cmd, bool foreground);
HWND RemoteFind(LPCSTR className, LPCSTR title);
void PublishWindows();  // starts this process's endpoint when it has top-level windows
QString IpcFolder();    // the per-user folder of the programs' local sockets

// Client geometry helpers.
QPoint ClientOrigin(const WindowState* s);
QRect ClientRectQ(const WindowState* s);
void LayoutNonClient(WindowState* s);
// Lays out the non-client parts and sends WM_SIZE when the client size changed.
void ReportSize(WindowState* s);

// Calls the window procedure for a message delivered by the bridge;
// `wantDefault` reports whether the window asked for default processing (or
// had no handler).
LRESULT Deliver(CWnd* wnd, UINT message, WPARAM wParam, LPARAM lParam, bool* wantDefault);
// Delivers a keyboard/mouse event (as it comes, or removed from the queue by
// a pump). A mouse event's position is in `receiver`'s coordinates; without
// one, in those of the widget that takes the window's mouse input (a scroll
// area's viewport, else the window's widget).
void DeliverInput(HWND hwnd, QEvent* event, QObject* receiver = nullptr);

// The application instance of the window system, created on first use.
void EnsureApplication();

// Handles a registered window class name -> widget factory for controls.
using WidgetFactory = std::function<QWidget*(CWnd*, CREATESTRUCT&, QWidget*)>;
void RegisterWidgetFactory(const char* className, WidgetFactory factory);
// A factory's setup of the window's state, run once the window has its handle.
void SetPendingSetup(std::function<void(WindowState*)> setup);
void RunPendingSetup(WindowState* s);
WidgetFactory FindWidgetFactory(const char* className);

// Paint support: runs WM_PAINT for a window that owns its painting.
void PaintSurface(WindowState* s, const QRegion& exposed);

// Painting defaults: WM_PAINT validates (erasing first), WM_ERASEBKGND fills
// the invalid area with the window's background.
void DefaultPaint(CWnd* wnd);
LRESULT DefaultErase(CWnd* wnd, HDC dc);
QColor BackgroundOf(CWnd* wnd);
// The frame window class, once the document/view part is linked in.
const CRuntimeClass* FrameClass();
// Focus requested while the window system could not give it (no active window off screen).
HWND& FocusOverride();
int ShowMessageBox(CWnd* owner, LPCSTR text, LPCSTR caption, UINT type);
bool KeyIsDown(UINT vk);
bool KeyIsToggled(UINT vk);
// Shift, Ctrl and Alt as an input event had them.
void SetModifiersFrom(const QEvent* event);
void SetKeyDown(UINT vk, bool down);

// Cursors and icons behind HCURSOR / HICON.
struct CursorData;
struct IconData;
QCursor CursorOf(HCURSOR cursor);
// The default processing of WM_SETCURSOR over the client area: the window's own cursor.
void ShowOwnCursor(WindowState* s);
QImage IconImage(HICON icon);
HICON LoadIconResource(HINSTANCE module, LPCSTR name);
// The documents' templates of an application, freed with it.
void DestroyTemplates(CWinApp* app);

// A device context drawing into an image (owner-drawn items, surfaces).
HDC ImageDC(QImage* image);
void ReleaseImageDC(HDC dc);
void RebuildMenuBar(WindowState* s);

// Views paint through OnPrepareDC and OnDraw on a paint DC.
void PaintView(CView* view);
void SetDCOrigin(CDC* dc, int x, int y);
// The file dialogs behind the document commands.
BOOL SaveAsDialog(CDocument* doc, CString& path);
BOOL OpenDialog(CString& path);

// Controls made from templates belong to the framework until a member takes them over.
void OwnControl(CWnd* wnd);
// A new object of the control class that goes with a window class ("Button" -> CButton...).
CWnd* NewControlObject(const CString& className);
void ReleaseOwnedControl(CWnd* old);

// The SB_ code of a scroll bar action of the window system (-1: none; SB_THUMBTRACK for a drag).
int ScrollCodeOf(int sliderAction);
// Runs messages until `*ended` or the window goes; TRUE when it ended normally.
// `filter` sees each message first (dialogs' keyboard handling).
BOOL RunModalLoop(const BOOL* ended, HWND self, const std::function<BOOL(MSG*)>& filter);

// Owner drawing that the parent left to the control: WM_DRAWITEM goes to the
// control class's DrawItem, WM_MEASUREITEM to its MeasureItem when it has one.
template <class Control>
bool OwnerDrawNotify(Control* c, UINT message, LPARAM lParam, LRESULT* pResult) {
    if (message == WM_DRAWITEM) {
        c->DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
    } else if constexpr (requires { c->MeasureItem(LPMEASUREITEMSTRUCT{}); }) {
        if (message != WM_MEASUREITEM) return false;
        c->MeasureItem(reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam));
    } else {
        return false;
    }
    if (pResult) *pResult = TRUE;
    return true;
}

// Keyboard translation.
UINT VirtualKeyOf(int qtKey);
int QtKeyOf(UINT vk);

}  // namespace afx_detail

struct CWinApp::Impl {
#ifdef AFX_HAVE_PROFILE
    suite::AppProfile profile;
#endif
    std::vector<CDocTemplate*> templates;
    CString appName, registryKey, profileName, exeName;
};
