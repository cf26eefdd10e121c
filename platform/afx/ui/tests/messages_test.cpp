// Message queues, posting across threads, payload ownership, nested pumps,
// timers, sent messages, synthetic input and handles.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/afx/ui/testing.h"
#include "platform/afx/ui/tests/test_app.h"

namespace {

constexpr UINT WM_SEQ = WM_USER + 1;
constexpr UINT WM_OUTER = WM_USER + 2;
constexpr UINT WM_INNER = WM_USER + 3;
constexpr UINT WM_ASKTHREAD = WM_USER + 4;

std::atomic<int> g_payloadsFreed{0};
void FreePayload(WPARAM, LPARAM lp) {
    delete reinterpret_cast<std::string*>(lp);
    ++g_payloadsFreed;
}

UINT g_registered = RegisterWindowMessage("UiTests.Registered");

class Receiver : public CWnd {
public:
    std::vector<int> seq;
    std::vector<std::thread::id> threads;
    std::vector<std::string> log;
    std::vector<std::string> payloads;
    std::vector<UINT> chars;
    std::vector<UINT> keys;
    int timers = 0;
    int registered = 0;
    int clicks = 0;
    CPoint lastClick;

    BOOL Make() { return CreateEx(0, nullptr, "Receiver", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr); }

    LRESULT OnSeq(WPARAM wp, LPARAM lp) {
        seq.push_back(static_cast<int>(wp));
        threads.push_back(std::this_thread::get_id());
        if (lp) {
            // The receiver owns a taken payload.
            payloads.push_back(*reinterpret_cast<std::string*>(lp));
            FreePayload(wp, lp);
        }
        return 0;
    }
    LRESULT OnOuter(WPARAM, LPARAM) {
        log.push_back("outer-begin");
        PostMessage(WM_INNER);
        AfxPumpMessages();
        log.push_back("outer-end");
        return 0;
    }
    LRESULT OnInner(WPARAM, LPARAM) {
        log.push_back("inner");
        return 0;
    }
    LRESULT OnAskThread(WPARAM wp, LPARAM) {
        return std::this_thread::get_id() == *reinterpret_cast<std::thread::id*>(wp) ? 1 : 2;
    }
    LRESULT OnRegistered(WPARAM wp, LPARAM) {
        registered += static_cast<int>(wp);
        return 7;
    }
    afx_msg void OnTimer(UINT_PTR) { ++timers; }
    afx_msg void OnChar(UINT ch, UINT, UINT) { chars.push_back(ch); }
    afx_msg void OnKeyDown(UINT vk, UINT, UINT) { keys.push_back(vk); }
    afx_msg void OnLButtonDown(UINT, CPoint p) {
        ++clicks;
        lastClick = p;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Receiver, CWnd)
    ON_MESSAGE(WM_SEQ, OnSeq)
    ON_MESSAGE(WM_OUTER, OnOuter)
    ON_MESSAGE(WM_INNER, OnInner)
    ON_MESSAGE(WM_ASKTHREAD, OnAskThread)
    ON_REGISTERED_MESSAGE(g_registered, OnRegistered)
    ON_WM_TIMER()
    ON_WM_CHAR()
    ON_WM_KEYDOWN()
    ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

class MessagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureUi();
        ASSERT_TRUE(wnd.Make());
        g_payloadsFreed = 0;
    }
    void TearDown() override {
        wnd.DestroyWindow();
        AfxPumpMessages();
    }
    Receiver wnd;
};

TEST_F(MessagesTest, PostsFromAWorkerArriveOnTheUiThreadInOrder) {
    constexpr int kCount = 2000;
    HWND h = wnd.m_hWnd;
    std::thread worker([h] {
        for (int i = 0; i < kCount; ++i) ASSERT_TRUE(::PostMessage(h, WM_SEQ, static_cast<WPARAM>(i), 0));
    });
    ASSERT_TRUE(PumpUntil([&] { return wnd.seq.size() == kCount; }));
    worker.join();
    for (int i = 0; i < kCount; ++i) ASSERT_EQ(wnd.seq[static_cast<size_t>(i)], i);
    for (auto id : wnd.threads) EXPECT_EQ(id, std::this_thread::get_id());
}

TEST_F(MessagesTest, RemovingByRangeFreesPayloadsAndKeepsTheRest) {
    const UINT first = WM_USER + 1009, last = WM_USER + 1014;
    for (UINT m : {first, first + 2, last})
        ASSERT_TRUE(AfxPostMessageOwned(wnd.m_hWnd, m, 0, reinterpret_cast<LPARAM>(new std::string("p")), FreePayload));
    ASSERT_TRUE(wnd.PostMessage(last + 1));  // just outside the range: stays
    ASSERT_TRUE(AfxPostMessageOwned(wnd.m_hWnd, WM_SEQ, 5, reinterpret_cast<LPARAM>(new std::string("kept")), FreePayload));
    EXPECT_EQ(AfxRemovePostedMessages(wnd.m_hWnd, first, last), 3);
    EXPECT_EQ(g_payloadsFreed, 3);
    // A second removal finds nothing more in the range.
    EXPECT_EQ(AfxRemovePostedMessages(wnd.m_hWnd, first, last), 0);
    ASSERT_TRUE(PumpUntil([&] { return wnd.payloads.size() == 1; }));
    EXPECT_EQ(wnd.payloads[0], "kept");
    // The kept one was taken by its receiver, which freed it.
    EXPECT_EQ(g_payloadsFreed, 4);
}

TEST_F(MessagesTest, PayloadsOfAGoneWindowAreFreed) {
    Receiver other;
    ASSERT_TRUE(other.Make());
    HWND h = other.m_hWnd;
    ASSERT_TRUE(AfxPostMessageOwned(h, WM_SEQ, 1, reinterpret_cast<LPARAM>(new std::string("x")), FreePayload));
    other.DestroyWindow();
    EXPECT_EQ(g_payloadsFreed, 1);
    // Posting to the gone handle fails and still frees the payload.
    EXPECT_FALSE(AfxPostMessageOwned(h, WM_SEQ, 1, reinterpret_cast<LPARAM>(new std::string("y")), FreePayload));
    EXPECT_EQ(g_payloadsFreed, 2);
    EXPECT_FALSE(::IsWindow(h));
    EXPECT_EQ(CWnd::FromHandle(h), nullptr);
}

TEST_F(MessagesTest, NestedPumpDispatchesInsideTheHandler) {
    wnd.PostMessage(WM_OUTER);
    wnd.PostMessage(WM_SEQ, 42);
    ASSERT_TRUE(PumpUntil([&] { return wnd.log.size() == 3 && !wnd.seq.empty(); }));
    ASSERT_EQ(wnd.log.size(), 3u);
    EXPECT_EQ(wnd.log[0], "outer-begin");
    EXPECT_EQ(wnd.log[1], "inner");
    EXPECT_EQ(wnd.log[2], "outer-end");
    // The message queued behind the outer one was dispatched by the nested pump.
    EXPECT_EQ(wnd.seq, std::vector<int>{42});
}

TEST_F(MessagesTest, PeekByRangeLeavesOtherMessagesQueued) {
    wnd.PostMessage(WM_SEQ, 1);
    wnd.PostMessage(WM_INNER);
    MSG msg;
    ASSERT_TRUE(::PeekMessage(&msg, wnd.m_hWnd, WM_INNER, WM_INNER, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_INNER);
    EXPECT_FALSE(::PeekMessage(&msg, wnd.m_hWnd, WM_INNER, WM_INNER, PM_NOREMOVE));
    ASSERT_TRUE(::PeekMessage(&msg, wnd.m_hWnd, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, WM_SEQ);
    AfxPumpMessages();
    EXPECT_EQ(wnd.seq, std::vector<int>{1});
    EXPECT_TRUE(wnd.log.empty());
}

TEST_F(MessagesTest, QuitIsSeenByPeekAndLeftForTheLoop) {
    PostQuitMessage(3);
    AfxPumpMessages();  // a nested pump leaves WM_QUIT in place
    MSG msg;
    ASSERT_TRUE(::PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_FALSE(::PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessagesTest, TimersTickUntilKilled) {
    ASSERT_EQ(wnd.SetTimer(7, 15), 7u);
    ASSERT_TRUE(PumpUntil([&] { return wnd.timers >= 3; }, 3000));
    EXPECT_TRUE(wnd.KillTimer(7));
    int seen = wnd.timers;
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(wnd.timers, seen);
    EXPECT_FALSE(wnd.KillTimer(7));
}

TEST_F(MessagesTest, SendFromAWorkerRunsOnTheUiThread) {
    std::thread::id ui = std::this_thread::get_id();
    HWND h = wnd.m_hWnd;
    std::atomic<LRESULT> result{0};
    std::atomic<LRESULT> registered{0};
    std::thread worker([&] {
        result = ::SendMessage(h, WM_ASKTHREAD, reinterpret_cast<WPARAM>(&ui), 0);
        registered = ::SendMessage(h, g_registered, 5, 0);
    });
    ASSERT_TRUE(PumpUntil([&] { return registered.load() != 0; }));
    worker.join();
    EXPECT_EQ(result.load(), 1);
    EXPECT_EQ(registered.load(), 7);
    EXPECT_EQ(wnd.registered, 5);
}

TEST_F(MessagesTest, RegisteredMessagesAreStablePerName) {
    EXPECT_EQ(RegisterWindowMessage("UiTests.Registered"), g_registered);
    EXPECT_EQ(RegisterWindowMessage("uitests.registered"), g_registered);
    UINT other = RegisterWindowMessage("UiTests.Other");
    EXPECT_NE(other, g_registered);
    EXPECT_GE(other, 0xC000u);
    EXPECT_EQ(RegisterWindowMessage(""), 0u);
}

TEST_F(MessagesTest, KeysArriveAsVirtualKeysAndAnsiBytes) {
    AfxTestKey(&wnd, 'A', "a");
    // A Chinese character arrives as its two GBK bytes, lead byte first.
    AfxTestKey(&wnd, 0, "中");
    EXPECT_EQ(wnd.keys, std::vector<UINT>{'A'});
    EXPECT_EQ(wnd.chars, (std::vector<UINT>{'a', 0xD6, 0xD0}));
}

TEST_F(MessagesTest, InputReachingAPumpWaitsInTheQueueInOrder) {
    // Key events that arrive while a pump collects messages are queued, so a
    // loop can take Esc out and dispatch the rest.
    QWidget* w = wnd.GetWidget();
    QCoreApplication::postEvent(w, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    QCoreApplication::postEvent(w, new QKeyEvent(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, "b"));
    bool sawEscape = false;
    MSG msg;
    while (::PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
            sawEscape = true;
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessage(&msg);
    }
    EXPECT_TRUE(sawEscape);
    EXPECT_EQ(wnd.keys, std::vector<UINT>{'B'});
    EXPECT_EQ(wnd.chars, std::vector<UINT>{'b'});
}

TEST_F(MessagesTest, MouseOutsideAPumpGoesStraightToTheWindow) {
    AfxTestMouse(&wnd, WM_LBUTTONDOWN, POINT{5, 6});
    EXPECT_EQ(wnd.clicks, 1);
    EXPECT_EQ(wnd.lastClick, CPoint(5, 6));
}

TEST_F(MessagesTest, HandlesAreNotReusedAndMapBack) {
    HWND h = wnd.m_hWnd;
    EXPECT_EQ(CWnd::FromHandle(h), &wnd);
    EXPECT_EQ(wnd.GetSafeHwnd(), h);
    Receiver other;
    ASSERT_TRUE(other.Make());
    EXPECT_NE(other.m_hWnd, h);
    HWND gone = other.m_hWnd;
    other.DestroyWindow();
    Receiver third;
    ASSERT_TRUE(third.Make());
    EXPECT_NE(third.m_hWnd, gone);
}

TEST_F(MessagesTest, WindowTextRoundTripsThroughTheCodePage) {
    const char gbk[] = "\xD6\xD0\xCE\xC4 ok";  // "中文 ok"
    wnd.SetWindowText(gbk);
    CString back;
    wnd.GetWindowText(back);
    EXPECT_STREQ(back.GetString(), gbk);
    EXPECT_EQ(wnd.GetWindowTextLength(), 7);
    char small[4];
    EXPECT_EQ(wnd.GetWindowText(small, 4), 3);
}

// A window whose handler works for a while and pumps meanwhile, as long
// operations on the user-interface thread do.
constexpr UINT WM_WORK = WM_USER + 5;
int g_procTicks = 0;
void CountTick(HWND, UINT, UINT_PTR, DWORD) { ++g_procTicks; }

class Worker : public CWnd {
public:
    int ticks = 0, ticksWhileWorking = 0;
    bool working = false;
    BOOL Make() { return CreateEx(0, nullptr, "Worker", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr); }
    LRESULT OnWork(WPARAM ms, LPARAM) {
        working = true;
        PumpUntil([] { return false; }, static_cast<int>(ms));
        working = false;
        return 0;
    }
    afx_msg void OnTimer(UINT_PTR) {
        ++ticks;
        if (working) ++ticksWhileWorking;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(Worker, CWnd)
    ON_MESSAGE(WM_WORK, OnWork)
    ON_WM_TIMER()
END_MESSAGE_MAP()

// Pumps until a WM_TIMER for `hwnd` waits in the queue, without taking it.
bool TimerWaiting(HWND hwnd) {
    return PumpUntil([hwnd] {
        MSG m;
        return ::PeekMessage(&m, hwnd, WM_TIMER, WM_TIMER, PM_NOREMOVE) != FALSE;
    }, 3000);
}

TEST(Timers, TickInsideANestedPumpAndStopForGoodWhenKilled) {
    EnsureUi();
    Worker w;
    ASSERT_TRUE(w.Make());
    ASSERT_EQ(w.SetTimer(1, 10), 1u);
    w.SendMessage(WM_WORK, 200, 0);
    EXPECT_GE(w.ticksWhileWorking, 2);
    EXPECT_EQ(w.ticksWhileWorking, w.ticks);
    // A tick already waiting when the timer is killed is never delivered.
    ASSERT_TRUE(TimerWaiting(w.m_hWnd));
    EXPECT_TRUE(w.KillTimer(1));
    int seen = w.ticks;
    PumpUntil([] { return false; }, 60);
    EXPECT_EQ(w.ticks, seen);
    // The same for a timer with a callback of its own.
    g_procTicks = 0;
    ASSERT_EQ(::SetTimer(w.m_hWnd, 2, 10, CountTick), 2u);
    ASSERT_TRUE(TimerWaiting(w.m_hWnd));
    EXPECT_TRUE(::KillTimer(w.m_hWnd, 2));
    PumpUntil([] { return false; }, 60);
    EXPECT_EQ(g_procTicks, 0);
    EXPECT_EQ(w.ticks, seen);
    w.DestroyWindow();
}

}  // namespace
