// Windows as their callers use them: default processing of dispatched and
// sent messages, destruction, bounded waits on other threads, the queue's
// limit, capture, cursors, focus, painting requests, timers, input as pumps
// and handlers see it, and messages from other programs.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QCursor>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>
#include <QProcess>
#include <QWheelEvent>
#include <QWidget>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/afx/ui/drawstate.h"
#include "platform/afx/ui/testing.h"
#include "platform/afx/ui/tests/test_app.h"
#include "platform/win/path.h"

namespace {

constexpr UINT WM_NEST = WM_USER + 41;
constexpr UINT WM_PING = WM_USER + 42;

// A window that records what reaches it and whose handlers leave messages to
// the default processing, as most of the system's windows do.
class Probe : public CWnd {
public:
    std::vector<std::string> log;
    std::vector<UINT> current;  // GetCurrentMessage()->message inside handlers
    int destroys = 0, ncDestroys = 0;
    bool destroySelfInOnDestroy = false;
    CWnd* destroyInOnDestroy = nullptr;

    BOOL Make(CWnd* parent = nullptr, DWORD style = WS_OVERLAPPEDWINDOW) {
        if (parent) return Create(nullptr, "Probe", style | WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 80), parent, 100);
        return CreateEx(0, nullptr, "Probe", style, 0, 0, 200, 150, nullptr, nullptr);
    }
    afx_msg void OnClose() {
        log.push_back("close");
        current.push_back(GetCurrentMessage()->message);
        CWnd::OnClose();  // default processing destroys the window
    }
    afx_msg void OnDestroy() {
        ++destroys;
        log.push_back("destroy");
        if (destroySelfInOnDestroy) DestroyWindow();
        if (destroyInOnDestroy) destroyInOnDestroy->DestroyWindow();
        CWnd::OnDestroy();
    }
    afx_msg void OnNcDestroy() {
        ++ncDestroys;
        log.push_back("ncdestroy");
        CWnd::OnNcDestroy();
    }
    LRESULT OnNest(WPARAM, LPARAM) {
        // A long handler that dispatches what is waiting meanwhile.
        log.push_back("nest");
        AfxPumpMessages();
        return 5;
    }
    LRESULT OnPing(WPARAM wp, LPARAM) {
        ++pings;
        return static_cast<LRESULT>(wp) + 1;
    }
    int pings = 0;
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Probe, CWnd)
    ON_WM_CLOSE()
    ON_WM_DESTROY()
    ON_WM_NCDESTROY()
    ON_MESSAGE(WM_NEST, OnNest)
    ON_MESSAGE(WM_PING, OnPing)
END_MESSAGE_MAP()

TEST(WndDefault, DispatchedAndSentMessagesGetTheirOwnDefaultProcessing) {
    EnsureUi();
    // A posted WM_CLOSE taken from the queue: the handler's default processing destroys the window.
    {
        Probe w;
        ASSERT_TRUE(w.Make());
        HWND h = w.m_hWnd;
        ASSERT_TRUE(w.PostMessage(WM_CLOSE));
        AfxPumpMessages();
        EXPECT_FALSE(::IsWindow(h));
        EXPECT_EQ(w.current, std::vector<UINT>{WM_CLOSE});
    }
    // Dispatched inside the handler of another (sent) message: the default
    // processing is still the posted message's, not the outer one's.
    {
        Probe w;
        ASSERT_TRUE(w.Make());
        HWND h = w.m_hWnd;
        ASSERT_TRUE(w.PostMessage(WM_CLOSE));
        EXPECT_EQ(w.SendMessage(WM_NEST), 5);
        EXPECT_FALSE(::IsWindow(h));
        EXPECT_EQ(w.log, (std::vector<std::string>{"nest", "close", "destroy", "ncdestroy"}));
        EXPECT_EQ(w.current, std::vector<UINT>{WM_CLOSE});
    }
    // Through the handle-level SendMessage.
    {
        Probe w;
        ASSERT_TRUE(w.Make());
        HWND h = w.m_hWnd;
        ::SendMessage(h, WM_CLOSE, 0, 0);
        EXPECT_FALSE(::IsWindow(h));
    }
    // Sent from a worker thread: run on the window's thread, with its default processing.
    {
        Probe w;
        ASSERT_TRUE(w.Make());
        HWND h = w.m_hWnd;
        std::atomic<bool> sent{false};
        std::thread worker([&] {
            ::SendMessage(h, WM_CLOSE, 0, 0);
            sent = true;
        });
        EXPECT_TRUE(PumpUntil([&] { return sent.load(); }));
        worker.join();
        EXPECT_FALSE(::IsWindow(h));
        EXPECT_EQ(w.current, std::vector<UINT>{WM_CLOSE});
    }
}

TEST(WndDestroy, DestroyingFromWithinDestructionHappensOnce) {
    EnsureUi();
    // The window destroys itself again from its WM_DESTROY handler.
    Probe self;
    ASSERT_TRUE(self.Make());
    self.destroySelfInOnDestroy = true;
    EXPECT_TRUE(self.DestroyWindow());
    EXPECT_EQ(self.destroys, 1);
    EXPECT_EQ(self.ncDestroys, 1);
    EXPECT_EQ(self.m_hWnd, nullptr);

    // A child that destroys its parent while the parent's destruction reaches it.
    Probe parent, child;
    ASSERT_TRUE(parent.Make());
    ASSERT_TRUE(child.Make(&parent));
    HWND ph = parent.m_hWnd, ch = child.m_hWnd;
    child.destroyInOnDestroy = &parent;
    EXPECT_TRUE(parent.DestroyWindow());
    EXPECT_FALSE(::IsWindow(ph));
    EXPECT_FALSE(::IsWindow(ch));
    EXPECT_EQ(parent.destroys, 1);
    EXPECT_EQ(parent.ncDestroys, 1);
    EXPECT_EQ(child.destroys, 1);
    EXPECT_EQ(child.ncDestroys, 1);
    // The parent hears of its destruction before its children, and is freed after them.
    EXPECT_EQ(parent.log, (std::vector<std::string>{"destroy", "ncdestroy"}));
}

TEST(WndThreads, SendMessageTimeoutToABusyThreadGivesUp) {
    EnsureUi();
    Probe w;
    ASSERT_TRUE(w.Make());
    HWND h = w.m_hWnd;
    std::atomic<int> state{0};
    std::atomic<LRESULT> ok{-1};
    std::atomic<long long> waitedMs{0};
    DWORD_PTR result = 99;
    std::thread worker([&] {
        auto t0 = std::chrono::steady_clock::now();
        ok = SendMessageTimeout(h, WM_PING, 1, 0, SMTO_NORMAL, 200, &result);
        waitedMs = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
        state = 1;
    });
    // The window's thread is busy (does not pump) for much longer than the timeout.
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    while (state.load() == 0 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(state.load(), 1) << "the sender still waits on a thread that does not answer";
    AfxPumpMessages();  // the late message is harmless now
    worker.join();
    EXPECT_EQ(ok.load(), 0);
    EXPECT_LT(waitedMs.load(), 1000);
    // Answered in time: the result arrives.
    std::thread again([&] { ok = SendMessageTimeout(h, WM_PING, 41, 0, SMTO_NORMAL, 5000, &result); state = 2; });
    EXPECT_TRUE(PumpUntil([&] { return state.load() == 2; }));
    again.join();
    EXPECT_EQ(ok.load(), 1);
    EXPECT_EQ(result, 42u);
    // A gone window answers at once with failure.
    w.DestroyWindow();
    EXPECT_EQ(SendMessageTimeout(h, WM_PING, 1, 0, SMTO_NORMAL, 5000, &result), 0);
}

std::atomic<int> g_freed{0};
void CountFree(WPARAM, LPARAM lp) {
    delete reinterpret_cast<int*>(lp);
    ++g_freed;
}

TEST(WndQueue, PostingStopsAtTheQueueLimitWithoutLosingPayloads) {
    EnsureUi();
    Probe w;
    ASSERT_TRUE(w.Make());
    int accepted = 0;
    while (accepted < 20000 && w.PostMessage(WM_PING, static_cast<WPARAM>(accepted))) ++accepted;
    EXPECT_GE(accepted, 1000);
    EXPECT_LT(accepted, 20000) << "a queue nobody empties grows without bound";
    // Refused messages with payloads free them; nothing leaks.
    g_freed = 0;
    EXPECT_FALSE(AfxPostMessageOwned(w.m_hWnd, WM_PING, 0, reinterpret_cast<LPARAM>(new int(1)), CountFree));
    EXPECT_EQ(g_freed, 1);
    EXPECT_FALSE(::PostThreadMessage(AfxGetApp()->m_nThreadID, WM_PING, 0, 0));
    // Once the queue drains, posting works again.
    EXPECT_EQ(AfxRemovePostedMessages(w.m_hWnd, 0, 0), accepted);
    EXPECT_TRUE(w.PostMessage(WM_PING));
    AfxPumpMessages();
}


// Capture and cursors: a window under the mouse that picks its cursor after
// the default processing, as views do, and one that records capture changes.
class Pointer : public CWnd {
public:
    HCURSOR pick = nullptr;   // the cursor chosen over the client area (none: the default)
    int setCursors = 0;
    std::vector<HWND> lostTo;  // WM_CAPTURECHANGED: the window that took the capture
    BOOL Make(CWnd* parent = nullptr) {
        if (parent) return Create(nullptr, "Child", WS_CHILD | WS_VISIBLE, CRect(10, 10, 60, 60), parent, 7);
        return CreateEx(0, nullptr, "Pointer", WS_OVERLAPPEDWINDOW, 0, 0, 200, 150, nullptr, nullptr);
    }
    afx_msg BOOL OnSetCursor(CWnd* wnd, UINT hit, UINT message) {
        ++setCursors;
        BOOL done = CWnd::OnSetCursor(wnd, hit, message);
        if (!pick || hit != HTCLIENT) return done;
        ::SetCursor(pick);
        return TRUE;
    }
    afx_msg void OnCaptureChanged(CWnd* wnd) { lostTo.push_back(wnd ? wnd->m_hWnd : nullptr); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(Pointer, CWnd)
    ON_WM_SETCURSOR()
    ON_WM_CAPTURECHANGED()
END_MESSAGE_MAP()

// A child without cursor handling of its own.
class Plain : public CWnd {};

TEST(WndCursor, ACursorChosenAfterTheDefaultStaysAndTheDefaultComesBack) {
    EnsureUi();
    Pointer w;
    ASSERT_TRUE(w.Make());
    w.pick = ::LoadCursor(nullptr, IDC_CROSS);
    AfxTestMouse(&w, WM_MOUSEMOVE, POINT{20, 20});
    EXPECT_EQ(w.setCursors, 1);
    EXPECT_EQ(w.GetWidget()->cursor().shape(), Qt::CrossCursor);
    EXPECT_EQ(::GetCursor(), w.pick);
    // Nothing chosen any more: the default processing puts the window's own cursor back.
    w.pick = nullptr;
    AfxTestMouse(&w, WM_MOUSEMOVE, POINT{22, 20});
    EXPECT_EQ(w.GetWidget()->cursor().shape(), Qt::ArrowCursor);
    // A parent choosing the cursor for a child without a choice of its own.
    Plain child;
    ASSERT_TRUE(child.Create(nullptr, "Child", WS_CHILD | WS_VISIBLE, CRect(10, 10, 60, 60), &w, 7));
    w.pick = ::LoadCursor(nullptr, IDC_IBEAM);
    AfxTestMouse(&child, WM_MOUSEMOVE, POINT{5, 5});
    EXPECT_EQ(child.GetWidget()->cursor().shape(), Qt::IBeamCursor);
    // While the mouse is captured nobody is asked: the drag keeps its cursor.
    int asked = w.setCursors;
    w.SetCapture();
    ::SetCursor(::LoadCursor(nullptr, IDC_SIZEWE));
    AfxTestMouse(&w, WM_MOUSEMOVE, POINT{30, 20});
    EXPECT_EQ(w.setCursors, asked);
    EXPECT_EQ(w.GetWidget()->cursor().shape(), Qt::SizeHorCursor);
    ReleaseCapture();
    child.DestroyWindow();
    w.DestroyWindow();
}

TEST(WndCapture, TheWindowLosingTheCaptureHearsWhoTookIt) {
    EnsureUi();
    Pointer a, b;
    ASSERT_TRUE(a.Make());
    ASSERT_TRUE(b.Make());
    EXPECT_EQ(a.SetCapture(), nullptr);
    EXPECT_EQ(CWnd::GetCapture(), &a);
    EXPECT_TRUE(a.lostTo.empty());
    a.SetCapture();  // taking it again changes nothing
    EXPECT_TRUE(a.lostTo.empty());
    EXPECT_EQ(b.SetCapture(), &a);
    EXPECT_EQ(a.lostTo, std::vector<HWND>{b.m_hWnd});
    EXPECT_EQ(::GetCapture(), b.m_hWnd);
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_EQ(b.lostTo, std::vector<HWND>{nullptr});
    EXPECT_EQ(::GetCapture(), nullptr);
    ReleaseCapture();  // nobody has it: nobody hears of it
    EXPECT_EQ(b.lostTo.size(), 1u);
    // A window destroyed with the capture leaves nobody holding it.
    {
        Pointer gone;
        ASSERT_TRUE(gone.Make());
        gone.SetCapture();
        gone.DestroyWindow();
    }
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_EQ(a.SetCapture(), nullptr);
    ReleaseCapture();
    a.DestroyWindow();
    b.DestroyWindow();
}

std::vector<UINT_PTR> g_threadTicks;
void ThreadTick(HWND hwnd, UINT message, UINT_PTR id, DWORD) {
    EXPECT_EQ(hwnd, nullptr);
    EXPECT_EQ(message, WM_TIMER);
    g_threadTicks.push_back(id);
}

TEST(WndTimers, ThreadTimersWithoutAWindowTickUntilKilled) {
    EnsureUi();
    g_threadTicks.clear();
    UINT_PTR a = ::SetTimer(nullptr, 0, 10, ThreadTick);
    UINT_PTR b = ::SetTimer(nullptr, 0, 10, ThreadTick);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    EXPECT_NE(a, b);
    auto count = [](UINT_PTR id) { return std::count(g_threadTicks.begin(), g_threadTicks.end(), id); };
    ASSERT_TRUE(PumpUntil([&] { return count(a) >= 2 && count(b) >= 2; }, 3000));
    EXPECT_TRUE(::KillTimer(nullptr, a));
    EXPECT_FALSE(::KillTimer(nullptr, a));
    // A tick of the killed timer already waiting is not delivered.
    auto seen = count(a);
    ASSERT_TRUE(PumpUntil([&] { return count(b) >= 5; }, 3000));
    EXPECT_EQ(count(a), seen);
    // Setting an existing thread timer again keeps its id.
    EXPECT_EQ(::SetTimer(nullptr, b, 10, ThreadTick), b);
    EXPECT_TRUE(::KillTimer(nullptr, b));
    AfxPumpMessages();
}

TEST(WndHandles, ADetachedObjectNoLongerOwnsItsHandle) {
    EnsureUi();
    auto* first = new Probe;
    ASSERT_TRUE(first->Make());
    HWND h = first->Detach();
    EXPECT_EQ(first->m_hWnd, nullptr);
    delete first;  // the window stays; the map must not keep the deleted object
    EXPECT_TRUE(::IsWindow(h));
    EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);
    Probe second;
    ASSERT_TRUE(second.Attach(h));
    EXPECT_EQ(CWnd::FromHandle(h), &second);
    EXPECT_EQ(second.SendMessage(WM_PING, 2), 3);
    // Text into a missing buffer is refused rather than written anywhere.
    EXPECT_EQ(second.SendMessage(WM_GETTEXT, 16, 0), 0);
    EXPECT_TRUE(second.DestroyWindow());
    EXPECT_FALSE(::IsWindow(h));
}


TEST(WndRemote, MessagesFromAnotherProgramCannotCarryPointers) {
    EnsureUi();
    QProcess p;
    p.setProgram(QCoreApplication::applicationDirPath() + "/afx_ui_peer");
    p.setArguments({QString(), "WndRemotePeer"});  // a class of its own: other tests run peers too
    p.start();
    ASSERT_TRUE(p.waitForStarted(10000));
    HWND peer = nullptr;
    for (int i = 0; i < 200 && !peer; ++i) {
        peer = FindWindow("WndRemotePeer", nullptr);
        if (!peer) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_NE(peer, nullptr);
    DWORD_PTR result = 0;
    // Addresses mean nothing in the other program: text in or out, a timer's
    // callback, a reflected notification's record are all refused there.
    EXPECT_FALSE(SendMessageTimeout(peer, WM_GETTEXT, 64, 0x10, SMTO_NORMAL, 2000, &result));
    EXPECT_FALSE(SendMessageTimeout(peer, WM_SETTEXT, 0, 0x10, SMTO_NORMAL, 2000, &result));
    EXPECT_FALSE(PostMessage(peer, WM_TIMER, 1, 0x1));
    EXPECT_FALSE(PostMessage(peer, WM_REFLECT_BASE + WM_NOTIFY, 0, 0x10));
    // A sender that stops waiting while the handler runs a modal loop: the
    // reply to it is dropped, and the program does not fall over when the
    // loop ends.
    EXPECT_FALSE(SendMessageTimeout(peer, WM_USER + 9, 800, 0, SMTO_NORMAL, 100, &result));
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    EXPECT_EQ(p.state(), QProcess::Running);
    // The program lives on and still answers its own messages.
    EXPECT_EQ(SendMessage(peer, WM_USER + 7, 20, 22), 42);
    EXPECT_TRUE(SendMessageTimeout(peer, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result));
    ASSERT_TRUE(PostMessage(peer, WM_CLOSE, 0, 0));
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
}


// Records keyboard and wheel messages with their parameters.
class Typist : public CWnd {
public:
    struct Seen {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<Seen> seen;
    std::vector<UINT> chars;
    BOOL Make() { return CreateEx(0, nullptr, "Typist", WS_OVERLAPPEDWINDOW, 0, 0, 200, 150, nullptr, nullptr); }
    LRESULT Note() {
        const MSG* m = GetCurrentMessage();
        seen.push_back({m->message, m->wParam, m->lParam});
        return 0;
    }
    afx_msg void OnKeyDown(UINT, UINT, UINT) { Note(); }
    afx_msg void OnKeyUp(UINT, UINT, UINT) { Note(); }
    afx_msg void OnSysKeyDown(UINT, UINT, UINT) { Note(); }
    LRESULT OnSysKeyUp(WPARAM, LPARAM) { return Note(); }
    afx_msg void OnChar(UINT ch, UINT, UINT) { chars.push_back(ch); }
    afx_msg void OnSysChar(UINT, UINT, UINT) {}
    afx_msg BOOL OnMouseWheel(UINT, short, CPoint) { return Note() == 0; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(Typist, CWnd)
    ON_WM_KEYDOWN()
    ON_WM_KEYUP()
    ON_WM_SYSKEYDOWN()
    ON_MESSAGE(WM_SYSKEYUP, OnSysKeyUp)
    ON_WM_CHAR()
    ON_WM_SYSCHAR()
    ON_WM_MOUSEWHEEL()
END_MESSAGE_MAP()

class Dropper : public CWnd {
public:
    std::vector<std::string> files;
    BOOL Make() {
        if (!CreateEx(0, nullptr, "Dropper", WS_OVERLAPPEDWINDOW, 0, 0, 200, 150, nullptr, nullptr)) return FALSE;
        DragAcceptFiles(TRUE);
        return TRUE;
    }
    afx_msg void OnDropFiles(HDROP drop) {
        char name[MAX_PATH + 1];
        for (UINT i = 0; i < DragQueryFile(drop, 0xFFFFFFFFu, nullptr, 0); ++i) {
            DragQueryFile(drop, i, name, sizeof name);
            files.emplace_back(name);
        }
        DragFinish(drop);
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(Dropper, CWnd)
    ON_WM_DROPFILES()
END_MESSAGE_MAP()

TEST(WndInput, FilesDroppedFromTheDesktopAreNamedAsTheProgramNamesFiles) {
    EnsureUi();
    Dropper d;
    ASSERT_TRUE(d.Make());
    const std::string native = "/tmp/dropped folder/page.tif";
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(native))});
    // As the desktop drags them in: entering the window, then dropped.
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(d.GetWidget(), &enter);
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(d.GetWidget(), &drop);
    ASSERT_EQ(d.files.size(), 1u);
    EXPECT_EQ(d.files[0], suite::WindowsPath(native));
    EXPECT_NE(d.files[0], native);
}

TEST(WndInput, APumpSeesInputMessagesWithTheParametersTheWindowGets) {
    EnsureUi();
    Typist t;
    ASSERT_TRUE(t.Make());
    QWidget* w = t.GetWidget();
    QCoreApplication::postEvent(w, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"));
    QCoreApplication::postEvent(w, new QKeyEvent(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, "a"));
    QCoreApplication::postEvent(w, new QKeyEvent(QEvent::KeyPress, Qt::Key_F, Qt::AltModifier));
    QCoreApplication::postEvent(w, new QKeyEvent(QEvent::KeyRelease, Qt::Key_F, Qt::AltModifier));
    QPointF global = w->mapToGlobal(QPointF(30, 40));
    QCoreApplication::postEvent(w, new QWheelEvent(QPointF(30, 40), global, QPoint(), QPoint(0, -240), Qt::NoButton,
                                                   Qt::ControlModifier, Qt::NoScrollPhase, false));
    std::vector<Typist::Seen> peeked;
    MSG msg;
    while (::PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.hwnd == t.m_hWnd) peeked.push_back({msg.message, msg.wParam, msg.lParam});
        ::TranslateMessage(&msg);
        ::DispatchMessage(&msg);
    }
    ASSERT_EQ(peeked.size(), 5u);
    ASSERT_EQ(t.seen.size(), 5u);
    const UINT kinds[] = {WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP, WM_MOUSEWHEEL};
    for (size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(peeked[i].message, kinds[i]);
        EXPECT_EQ(t.seen[i].message, kinds[i]);
        EXPECT_EQ(peeked[i].wParam, t.seen[i].wParam);
        EXPECT_EQ(peeked[i].lParam, t.seen[i].lParam);
    }
    // Key messages: a repeat count of one, the previous state and transition bits of a release, Alt's context bit.
    EXPECT_EQ(t.seen[0].wParam, WPARAM('A'));
    EXPECT_EQ(LOWORD(t.seen[0].lParam), 1);
    EXPECT_EQ((t.seen[0].lParam >> 30) & 3, 0);
    EXPECT_EQ((t.seen[1].lParam >> 30) & 3, 3);
    EXPECT_NE(t.seen[2].lParam & (1 << 29), 0);
    EXPECT_EQ((t.seen[3].lParam >> 30) & 3, 3);
    // The wheel: two notches towards the user, with Ctrl, at the screen point.
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(t.seen[4].wParam), -240);
    EXPECT_EQ(LOWORD(t.seen[4].wParam) & MK_CONTROL, MK_CONTROL);
    EXPECT_EQ(GET_X_LPARAM(t.seen[4].lParam), qRound(global.x()));
    EXPECT_EQ(GET_Y_LPARAM(t.seen[4].lParam), qRound(global.y()));
    EXPECT_EQ(t.chars, std::vector<UINT>{'a'});
}

TEST(WndInput, TextFromAnInputMethodArrivesAsCodePageBytes) {
    EnsureUi();
    Typist t;
    ASSERT_TRUE(t.Make());
    QWidget* w = t.GetWidget();
    // The input method asks where the caret is, to place its candidate window there.
    t.CreateSolidCaret(2, 16);
    t.SetCaretPos(CPoint(24, 8));
    EXPECT_TRUE(w->inputMethodQuery(Qt::ImEnabled).toBool());
    EXPECT_EQ(w->inputMethodQuery(Qt::ImCursorRectangle).toRect().topLeft(), QPoint(24, 8));
    // Composition in progress shows nothing; the committed text arrives as
    // WM_CHAR bytes, lead byte first, as typed double-byte characters do.
    QInputMethodEvent composing("zhong", {});
    QCoreApplication::sendEvent(w, &composing);
    EXPECT_TRUE(t.chars.empty());
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8("中文a"));
    QCoreApplication::sendEvent(w, &commit);
    EXPECT_EQ(t.chars, (std::vector<UINT>{0xD6, 0xD0, 0xCE, 0xC4, 'a'}));
    ::DestroyCaret();
}

// A thread whose idle processing posts a message once, then asks to quit.
class IdleLoop : public CWinThread {
public:
    std::vector<LONG> counts;
    HWND target = nullptr;
    bool posted = false;
    BOOL OnIdle(LONG count) override {
        counts.push_back(count);
        if (count < 2) return TRUE;
        if (!posted) {
            posted = true;
            ::PostMessage(target, WM_PING, 0, 0);
            return TRUE;
        }
        PostQuitMessage(7);
        return FALSE;
    }
};

TEST(WndLoop, IdleCountsRestartAfterAMessageAndTheLoopEndsWithTheQuitCode) {
    EnsureUi();
    Probe w;
    ASSERT_TRUE(w.Make());
    CWinThread* before = AfxGetThread();
    auto* loop = new IdleLoop;
    loop->target = w.m_hWnd;
    EXPECT_EQ(loop->Run(), 7);
    EXPECT_EQ(loop->counts, (std::vector<LONG>{0, 1, 2, 0, 1, 2}));
    EXPECT_EQ(w.pings, 1);
    delete loop;
    // The loop's object is gone: the thread is the one it was before, also for
    // messages the window system's own loop dispatches (as under a modal box).
    EXPECT_EQ(AfxGetThread(), before);
    ASSERT_TRUE(w.PostMessage(WM_PING));
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (w.pings < 2 && std::chrono::steady_clock::now() < until) QCoreApplication::processEvents();
    EXPECT_EQ(w.pings, 2);
    MSG msg;
    EXPECT_FALSE(::PeekMessage(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

TEST(WndMessages, RegisteredNumbersAreDistinctPerNameAndStable) {
    std::map<UINT, std::string> byId;
    std::vector<UINT> ids;
    for (int i = 0; i < 3000; ++i) {
        std::string name = "WndTest.Registered." + std::to_string(i);
        UINT id = RegisterWindowMessage(name.c_str());
        ASSERT_GE(id, 0xC000u);
        ASSERT_LE(id, 0xFFFFu);
        auto [it, fresh] = byId.emplace(id, name);
        ASSERT_TRUE(fresh) << name << " and " << it->second << " got the same number " << id;
        ids.push_back(id);
    }
    for (int i = 0; i < 3000; ++i)
        ASSERT_EQ(RegisterWindowMessage(("WNDTEST.REGISTERED." + std::to_string(i)).c_str()), ids[static_cast<size_t>(i)]);
}

TEST(WndPaint, ScrollingMovesWhatWaitsToBePaintedWithTheContents) {
    EnsureUi();
    Probe w;
    ASSERT_TRUE(w.Make());
    w.UpdateWindow();  // painted once: nothing waits
    CRect r;
    EXPECT_FALSE(w.GetUpdateRect(&r));
    CRect part(10, 10, 20, 20);
    w.InvalidateRect(&part, FALSE);
    w.ScrollWindow(0, 30);
    // The band scrolled in and the part that waited, now 30 pixels lower.
    EXPECT_TRUE(w.GetUpdateRect(&r));
    CRect client;
    w.GetClientRect(&client);
    EXPECT_EQ(r, CRect(0, 0, client.right, 50));
    // Scrolling the other way: the band comes in at the bottom.
    w.UpdateWindow();
    w.ScrollWindow(0, -25);
    EXPECT_TRUE(w.GetUpdateRect(&r));
    EXPECT_EQ(r, CRect(0, client.bottom - 25, client.right, client.bottom));
}


// Records focus changes with the window named in them, and paint requests.
class Focusable : public CWnd {
public:
    std::vector<std::string>* log = nullptr;
    std::string name;
    int erases = 0, paints = 0;
    BOOL Make(CWnd* parent, const char* n, std::vector<std::string>* l, int x) {
        name = n;
        log = l;
        return Create(nullptr, n, WS_CHILD | WS_VISIBLE | WS_TABSTOP, CRect(x, 0, x + 50, 40), parent, 0);
    }
    static std::string NameOf(CWnd* w) {
        auto* f = dynamic_cast<Focusable*>(w);
        return f ? f->name : w ? "?" : "-";
    }
    afx_msg void OnSetFocus(CWnd* old) { log->push_back(name + ".set(" + NameOf(old) + ")"); }
    afx_msg void OnKillFocus(CWnd* next) { log->push_back(name + ".kill(" + NameOf(next) + ")"); }
    afx_msg BOOL OnEraseBkgnd(CDC* dc) {
        ++erases;
        return CWnd::OnEraseBkgnd(dc);
    }
    afx_msg void OnPaint() {
        ++paints;
        CPaintDC dc(this);
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(Focusable, CWnd)
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_WM_ERASEBKGND()
    ON_WM_PAINT()
END_MESSAGE_MAP()

TEST(WndFocus, TheWindowLosingFocusHearsFirstAndBothNameEachOther) {
    EnsureUi();
    for (bool shown : {false, true}) {
        SCOPED_TRACE(shown ? "shown and active" : "never shown");
        Probe top;
        ASSERT_TRUE(top.Make());
        if (shown) {
            top.ShowWindow(SW_SHOW);
            top.SetForegroundWindow();
            PumpUntil([&] { return CWnd::GetForegroundWindow() == &top; }, 2000);
        }
        std::vector<std::string> log;
        Focusable a, b;
        ASSERT_TRUE(a.Make(&top, "a", &log, 0));
        ASSERT_TRUE(b.Make(&top, "b", &log, 60));
        a.SetFocus();
        AfxPumpMessages();
        EXPECT_EQ(CWnd::GetFocus(), &a);
        log.clear();
        EXPECT_EQ(b.SetFocus(), &a);
        AfxPumpMessages();
        EXPECT_EQ(CWnd::GetFocus(), &b);
        EXPECT_EQ(log, (std::vector<std::string>{"a.kill(b)", "b.set(a)"}));
        // Asking again for the window that has it changes nothing.
        log.clear();
        b.SetFocus();
        AfxPumpMessages();
        EXPECT_TRUE(log.empty());
        a.DestroyWindow();
        b.DestroyWindow();
        top.DestroyWindow();
    }
}

// Records the activation changes a top-level window hears.
class Activatable : public CWnd {
public:
    std::vector<UINT> states;
    BOOL Make(int x) { return CreateEx(0, nullptr, "Activatable", WS_OVERLAPPEDWINDOW, x, 0, 120, 90, nullptr, nullptr); }
    afx_msg void OnActivate(UINT state, CWnd*, BOOL) { states.push_back(state); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(Activatable, CWnd)
    ON_WM_ACTIVATE()
END_MESSAGE_MAP()

TEST(WndActivate, TheWindowThatLosesTheActivationHearsWaInactive) {
    EnsureUi();
    Activatable a, b;
    ASSERT_TRUE(a.Make(0));
    ASSERT_TRUE(b.Make(200));
    a.ShowWindow(SW_SHOW);
    a.SetForegroundWindow();
    ASSERT_TRUE(PumpUntil([&] { return !a.states.empty() && a.states.back() == WA_ACTIVE; }, 3000))
        << "the activated window hears WA_ACTIVE";
    b.ShowWindow(SW_SHOW);
    b.SetForegroundWindow();
    EXPECT_TRUE(PumpUntil([&] { return a.states.back() == WA_INACTIVE; }, 3000));
    EXPECT_TRUE(PumpUntil([&] { return !b.states.empty() && b.states.back() == WA_ACTIVE; }, 3000));
    a.DestroyWindow();
    b.DestroyWindow();
}

TEST(WndPaint, EraseOnlyWhenAskedAndNothingPaintsOnceValidated) {
    EnsureUi();
    Probe top;
    ASSERT_TRUE(top.Make());
    std::vector<std::string> log;
    Focusable w;
    ASSERT_TRUE(w.Make(&top, "w", &log, 0));
    w.UpdateWindow();
    EXPECT_EQ(w.paints, 1);
    int erases = w.erases;
    w.Invalidate(FALSE);
    w.UpdateWindow();
    EXPECT_EQ(w.paints, 2);
    EXPECT_EQ(w.erases, erases);
    w.Invalidate(TRUE);
    w.UpdateWindow();
    EXPECT_EQ(w.paints, 3);
    EXPECT_EQ(w.erases, erases + 1);
    // Validated after asking for an erase: neither paint nor erase is owed any more.
    w.Invalidate(TRUE);
    w.ValidateRect(nullptr);
    w.UpdateWindow();
    EXPECT_EQ(w.paints, 3);
    w.Invalidate(FALSE);
    w.UpdateWindow();
    EXPECT_EQ(w.paints, 4);
    EXPECT_EQ(w.erases, erases + 1);
    // Part of it validated: the rest is still owed.
    CRect all(0, 0, 50, 40), left(0, 0, 25, 40);
    w.InvalidateRect(&all, FALSE);
    w.ValidateRect(&left);
    CRect r;
    EXPECT_TRUE(w.GetUpdateRect(&r));
    EXPECT_EQ(r, CRect(25, 0, 50, 40));
}

TEST(WndKeys, KeyStateFollowsTheMessagesAndLockKeysToggle) {
    EnsureUi();
    Typist t;
    ASSERT_TRUE(t.Make());
    short caps = GetKeyState(VK_CAPITAL);
    AfxTestKey(&t, VK_CAPITAL);
    EXPECT_EQ(GetKeyState(VK_CAPITAL) & 1, (caps & 1) ^ 1) << "a press of Caps Lock toggles it";
    EXPECT_EQ(GetKeyState(VK_CAPITAL) & 0x8000, 0) << "and it is up again";
    AfxTestKey(&t, VK_CAPITAL);
    EXPECT_EQ(GetKeyState(VK_CAPITAL) & 1, caps & 1);
    // Held keys read as down while their messages are handled, up after the release.
    QWidget* w = t.GetWidget();
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Right, Qt::ShiftModifier);
    QCoreApplication::sendEvent(w, &down);
    EXPECT_LT(GetKeyState(VK_SHIFT), 0);
    EXPECT_LT(GetKeyState(VK_RIGHT), 0);
    QKeyEvent up(QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &up);
    EXPECT_GE(GetKeyState(VK_SHIFT), 0);
    EXPECT_GE(GetKeyState(VK_RIGHT), 0);
}


// A thread with a handler of its own for a thread message.
constexpr UINT WM_THREADWORK = WM_APP + 17;
class MessageLoop : public CWinThread {
public:
    std::vector<WPARAM> work;
    bool posted = false;
    BOOL OnIdle(LONG) override {
        if (!posted) {
            posted = true;
            EXPECT_TRUE(::PostThreadMessage(AfxGetApp()->m_nThreadID, WM_THREADWORK, 11, 0));
            EXPECT_TRUE(::PostThreadMessage(AfxGetApp()->m_nThreadID, WM_THREADWORK, 12, 0));
        }
        return FALSE;
    }
    LRESULT OnThreadWork(WPARAM wp, LPARAM) {
        work.push_back(wp);
        if (work.size() == 2) PostQuitMessage(4);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(MessageLoop, CWinThread)
    ON_THREAD_MESSAGE(WM_THREADWORK, OnThreadWork)
END_MESSAGE_MAP()

TEST(WndLoop, ThreadMessagesReachTheThreadsOwnHandlers) {
    EnsureUi();
    MessageLoop loop;
    EXPECT_EQ(loop.Run(), 4);
    EXPECT_EQ(loop.work, (std::vector<WPARAM>{11, 12}));
}


class Mover : public CWnd {
public:
    std::vector<CPoint> moves;
    afx_msg void OnMove(int x, int y) { moves.push_back(CPoint(x, y)); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(Mover, CWnd)
    ON_WM_MOVE()
END_MESSAGE_MAP()

TEST(WndGeometry, ChildPositionsAreInTheParentsClientAreaBelowItsMenu) {
    EnsureUi();
    Probe top;
    ASSERT_TRUE(top.Make());
    CMenu menu;
    ASSERT_TRUE(menu.CreateMenu());
    menu.AppendMenu(MF_STRING, 100, "File");
    top.SetMenu(&menu);
    top.ShowWindow(SW_SHOW);
    Mover child;
    ASSERT_TRUE(child.Create(nullptr, "Child", WS_CHILD | WS_VISIBLE, CRect(5, 6, 35, 26), &top, 3));
    auto placed = [&] {
        CRect r;
        child.GetWindowRect(&r);
        top.ScreenToClient(&r);
        return r;
    };
    EXPECT_EQ(placed(), CRect(5, 6, 35, 26));
    EXPECT_TRUE(child.SetWindowPos(nullptr, 0, 0, 50, 40, SWP_NOMOVE | SWP_NOZORDER));
    EXPECT_EQ(placed(), CRect(5, 6, 55, 46));
    child.moves.clear();
    EXPECT_TRUE(child.SetWindowPos(nullptr, 9, 8, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
    EXPECT_EQ(placed(), CRect(9, 8, 59, 48));
    AfxPumpMessages();
    ASSERT_FALSE(child.moves.empty());
    EXPECT_EQ(child.moves.back(), CPoint(9, 8));
    // A point goes to the screen and back unchanged.
    CPoint p(3, 4);
    child.ClientToScreen(&p);
    top.ScreenToClient(&p);
    EXPECT_EQ(p, CPoint(12, 12));
    child.DestroyWindow();
    top.SetMenu(nullptr);
    top.DestroyWindow();
}

}  // namespace
