// Windows as their callers use them: default processing of dispatched and
// sent messages, destruction, bounded waits on other threads, the queue's
// limit, capture, cursors, focus, painting requests, timers, input as pumps
// and handlers see it, and messages from other programs.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QCursor>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QProcess>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/afx/ui/testing.h"
#include "platform/afx/ui/tests/test_app.h"

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
    LRESULT OnPing(WPARAM wp, LPARAM) { return static_cast<LRESULT>(wp) + 1; }
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

}  // namespace
