// Message queues: posting from any thread, removal by range, peeking and
// dispatching (nested pumps included), sent messages across threads, timers
// and registered message numbers.
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <functional>
#include <set>

#include "platform/afx/ui/pump_wait.h"
#include "platform/afx/ui/ui_private.h"

namespace afx_detail {

namespace {
constexpr QEvent::Type kWakeEvent = static_cast<QEvent::Type>(QEvent::User + 0x2A1);

std::mutex g_queuesMu;
std::unordered_map<DWORD, std::weak_ptr<ThreadQueue>> g_queues;
std::atomic<DWORD> g_nextThreadId{1};

thread_local std::shared_ptr<ThreadQueue> t_queue;
thread_local MSG t_lastMsg{};

// Input events taken from the queue by a pump, kept until dispatched; the
// oldest are dropped when a pump takes many without dispatching them.
thread_local std::map<std::uintptr_t, std::shared_ptr<QEvent>> t_inputs;
thread_local std::uintptr_t t_nextInput = 1;
constexpr size_t kMaxKeptInputs = 256;

std::uintptr_t KeepInput(std::shared_ptr<QEvent> e) {
    std::uintptr_t id = t_nextInput++;
    t_inputs[id] = std::move(e);
    while (t_inputs.size() > kMaxKeptInputs) t_inputs.erase(t_inputs.begin());
    return id;
}

struct ThreadTimer {
    QTimer* timer;
    TIMERPROC proc;
};
thread_local std::map<UINT_PTR, ThreadTimer> t_threadTimers;
thread_local UINT_PTR t_nextThreadTimer = 0;

bool Matches(const MSG& m, HWND hwnd, UINT first, UINT last) {
    if (hwnd && m.hwnd != hwnd) return false;
    if (first == 0 && last == 0) return true;
    return m.message >= first && m.message <= last;
}

DWORD NowMs() {
    using namespace std::chrono;
    return static_cast<DWORD>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
}  // namespace

void DispatchAvailable(ThreadQueue* q);

class QueueWaker : public QObject {
public:
    explicit QueueWaker(ThreadQueue* q) : q_(q) {}
    bool event(QEvent* e) override {
        if (e->type() != kWakeEvent) return QObject::event(e);
        q_->wakePending_ = false;
        // A pump on this thread is collecting messages itself.
        if (q_->peekDepth.load() > 0) return true;
        DispatchAvailable(q_);
        return true;
    }

private:
    ThreadQueue* q_;
};

ThreadQueue::ThreadQueue() : id(g_nextThreadId++), owner(std::this_thread::get_id()) {}

ThreadQueue::~ThreadQueue() {
    for (auto& m : q_) {
        ReleasePayload(m);
        if (m.send) {
            std::lock_guard<std::mutex> l(m.send->mu);
            m.send->done = true;
            m.send->cv.notify_all();
        }
    }
    delete waker;
}

bool ThreadQueue::Post(QueuedMessage m, bool limited) {
    {
        std::lock_guard<std::mutex> l(mu_);
        if (limited && q_.size() >= kMaxQueued) return false;
        if (m.send) {
            // Sent messages go before posted ones, after earlier sent ones.
            auto it = q_.begin();
            while (it != q_.end() && it->send) ++it;
            q_.insert(it, std::move(m));
        } else {
            q_.push_back(std::move(m));
        }
    }
    cv_.notify_all();
    Wake();
    return true;
}

void ThreadQueue::Wake() {
    if (!waker) return;
    if (wakePending_.exchange(true)) return;
    QCoreApplication::postEvent(waker, new QEvent(kWakeEvent));
}

bool ThreadQueue::Take(HWND hwnd, UINT first, UINT last, bool remove, QueuedMessage& out) {
    std::lock_guard<std::mutex> l(mu_);
    for (auto it = q_.begin(); it != q_.end(); ++it) {
        if (it->send) continue;
        if (!Matches(it->msg, hwnd, first, last)) continue;
        if (remove) {
            out = std::move(*it);
            q_.erase(it);
        } else {
            out = *it;
        }
        return true;
    }
    return false;
}

bool ThreadQueue::TakeSent(QueuedMessage& out) {
    std::lock_guard<std::mutex> l(mu_);
    if (q_.empty() || !q_.front().send) return false;
    out = std::move(q_.front());
    q_.pop_front();
    return true;
}

int ThreadQueue::Remove(HWND hwnd, UINT first, UINT last) {
    std::deque<QueuedMessage> removed;
    {
        std::lock_guard<std::mutex> l(mu_);
        for (auto it = q_.begin(); it != q_.end();) {
            bool hit = !it->send && Matches(it->msg, hwnd, first, last);
            if (hit && first == 0 && last == 0 && hwnd == nullptr) hit = false;  // never flush everything by accident
            if (hit) {
                removed.push_back(std::move(*it));
                it = q_.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& m : removed) ReleasePayload(m);
    return static_cast<int>(removed.size());
}

bool ThreadQueue::HasTimer(HWND hwnd, UINT_PTR tid) {
    std::lock_guard<std::mutex> l(mu_);
    for (auto& m : q_)
        if (m.timer && m.msg.hwnd == hwnd && m.msg.wParam == tid) return true;
    return false;
}

bool ThreadQueue::Empty() {
    std::lock_guard<std::mutex> l(mu_);
    return q_.empty();
}

void ThreadQueue::SetQuit(int code) {
    {
        std::lock_guard<std::mutex> l(mu_);
        quit_ = true;
        quitCode_ = code;
    }
    cv_.notify_all();
    Wake();
}

bool ThreadQueue::QuitPosted(int* code) {
    std::lock_guard<std::mutex> l(mu_);
    if (code) *code = quitCode_;
    return quit_;
}

void ThreadQueue::ClearQuit() {
    std::lock_guard<std::mutex> l(mu_);
    quit_ = false;
}

void ThreadQueue::WaitFor(int ms) {
    std::unique_lock<std::mutex> l(mu_);
    cv_.wait_for(l, std::chrono::milliseconds(ms), [&] { return !q_.empty() || quit_; });
}

std::shared_ptr<ThreadQueue> CurrentQueue() {
    if (!t_queue) {
        auto q = std::make_shared<ThreadQueue>();
        if (QCoreApplication::instance()) q->waker = new QueueWaker(q.get());
        std::lock_guard<std::mutex> l(g_queuesMu);
        g_queues[q->id] = q;
        t_queue = q;
    } else if (!t_queue->waker && QCoreApplication::instance()) {
        t_queue->waker = new QueueWaker(t_queue.get());
    }
    return t_queue;
}

std::shared_ptr<ThreadQueue> QueueById(DWORD id) {
    std::lock_guard<std::mutex> l(g_queuesMu);
    auto it = g_queues.find(id);
    return it == g_queues.end() ? nullptr : it->second.lock();
}

void ReleasePayload(QueuedMessage& m) {
    if (m.release) {
        auto release = m.release;
        m.release = nullptr;
        release(m.msg.wParam, m.msg.lParam);
    }
}


namespace {
// Runs the messages other threads sent to this one and are waiting on.
void ProcessSent(ThreadQueue* q) {
    QueuedMessage m;
    while (q->TakeSent(m)) {
        LRESULT r = 0;
        if (CWnd* w = CWnd::FromHandlePermanent(m.msg.hwnd)) r = CallWnd(w, m.msg.message, m.msg.wParam, m.msg.lParam);
        {
            std::lock_guard<std::mutex> l(m.send->mu);
            m.send->result = r;
            m.send->done = true;
        }
        m.send->cv.notify_all();
        m = QueuedMessage{};
    }
}

// Takes one message for the caller of PeekMessage: the payload passes to the
// caller, input events are kept for DispatchMessage.
void Hand(QueuedMessage& m, MSG* out, bool remove) {
    *out = m.msg;
    out->lPrivate = 0;
    if (m.input) {
        out->lPrivate = remove ? KeepInput(m.input) : 0;
        if (remove) SetModifiersFrom(m.input.get());
    }
    if (remove) m.release = nullptr;
}
}  // namespace

void DispatchAvailable(ThreadQueue* q) {
    ProcessSent(q);
    // Only what is queued now: a handler that posts again does not starve input.
    int budget = 512;
    QueuedMessage m;
    while (budget-- > 0 && q->Take(nullptr, 0, 0, true, m)) {
        MSG msg;
        Hand(m, &msg, true);
        t_lastMsg = msg;
        CWinThread* thread = q->thread && ThreadObjectExists(q->thread) ? q->thread : AfxGetThread();
        if (!thread || !thread->PreTranslateMessage(&msg)) ::DispatchMessage(&msg);
        m = QueuedMessage{};
        ProcessSent(q);
    }
    if (!q->Empty()) q->Wake();
}

const MSG& LastMessage() { return t_lastMsg; }

BOOL PostTo(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, void (*release)(WPARAM, LPARAM),
            bool timer = false) {
    auto q = QueueOfWindow(hwnd);
    if (!q) return FALSE;
    QueuedMessage m;
    m.msg.hwnd = hwnd;
    m.msg.message = message;
    m.msg.wParam = wParam;
    m.msg.lParam = lParam;
    m.msg.time = NowMs();
    m.release = release;
    m.timer = timer;
    // Timer ticks are bounded by their timers (one waits at a time); posts by the queue's limit.
    return q->Post(std::move(m), !timer) ? TRUE : FALSE;
}

}  // namespace afx_detail

using namespace afx_detail;

BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!hwnd) return PostThreadMessage(CurrentQueue()->id, message, wParam, lParam);
    if (hwnd == HWND_BROADCAST) {
        for (HWND h : AllWindows())
            if (CWnd* w = CWnd::FromHandlePermanent(h); w && w->m_hWnd && !(w->m_dwStyle & WS_CHILD))
                PostTo(h, message, wParam, lParam, nullptr);
        RemoteBroadcast(message, wParam, lParam);
        return TRUE;
    }
    if (IsRemoteHandle(hwnd)) return RemotePost(hwnd, message, wParam, lParam);
    return PostTo(hwnd, message, wParam, lParam, nullptr);
}

BOOL AfxPostMessageOwned(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, void (*release)(WPARAM, LPARAM)) {
    if (hwnd && !IsRemoteHandle(hwnd) && PostTo(hwnd, message, wParam, lParam, release)) return TRUE;
    // Nobody will receive it: the payload is freed now.
    if (release) release(wParam, lParam);
    return FALSE;
}

int AfxRemovePostedMessages(HWND hwnd, UINT first, UINT last) {
    std::shared_ptr<ThreadQueue> q = hwnd ? QueueOfWindow(hwnd) : CurrentQueue();
    if (!q) return 0;
    if (first == 0 && last == 0) last = 0xFFFFFFFFu;
    return q->Remove(hwnd, first, last);
}

BOOL PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
    auto q = QueueById(threadId);
    if (!q) return FALSE;
    QueuedMessage m;
    m.msg.message = message;
    m.msg.wParam = wParam;
    m.msg.lParam = lParam;
    m.msg.time = NowMs();
    return q->Post(std::move(m), true) ? TRUE : FALSE;
}

void PostQuitMessage(int exitCode) { CurrentQueue()->SetQuit(exitCode); }

BOOL PeekMessage(LPMSG msg, HWND hwnd, UINT first, UINT last, UINT remove) {
    auto q = CurrentQueue();
    bool take = (remove & PM_REMOVE) != 0;
    if (QCoreApplication::instance() && q->owner == std::this_thread::get_id()) {
        q->peekDepth++;
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        q->peekDepth--;
    }
    ProcessSent(q.get());
    QueuedMessage m;
    BOOL got = FALSE;
    if (q->Take(hwnd, first, last, take, m)) {
        Hand(m, msg, take);
        got = TRUE;
    } else {
        int code = 0;
        if (q->QuitPosted(&code) && (first == 0 || (WM_QUIT >= first && WM_QUIT <= last))) {
            *msg = MSG{};
            msg->message = WM_QUIT;
            msg->wParam = static_cast<WPARAM>(code);
            if (take) q->ClearQuit();
            got = TRUE;
        }
    }
    if (got) t_lastMsg = *msg;
    if (!q->Empty()) q->Wake();
    return got;
}

BOOL GetMessage(LPMSG msg, HWND hwnd, UINT first, UINT last) {
    auto q = CurrentQueue();
    for (;;) {
        if (PeekMessage(msg, hwnd, first, last, PM_REMOVE)) return msg->message != WM_QUIT;
        if (QCoreApplication::instance() && q->owner == std::this_thread::get_id()) {
            q->peekDepth++;
            // Bounded so that timers of the window system and quit requests are seen.
            if (auto* d = QAbstractEventDispatcher::instance()) {
                QTimer guard;
                guard.setSingleShot(true);
                guard.start(200);
                d->processEvents(QEventLoop::WaitForMoreEvents);
            } else {
                q->WaitFor(50);
            }
            q->peekDepth--;
        } else {
            q->WaitFor(50);
        }
    }
}

BOOL WaitMessage() {
    auto q = CurrentQueue();
    if (!q->Empty()) return TRUE;
    if (auto* d = QAbstractEventDispatcher::instance()) {
        q->peekDepth++;
        QTimer guard;
        guard.setSingleShot(true);
        guard.start(200);
        d->processEvents(QEventLoop::WaitForMoreEvents);
        q->peekDepth--;
    } else {
        q->WaitFor(50);
    }
    return TRUE;
}

BOOL TranslateMessage(const MSG* msg) {
    // Character messages come with the key's event itself (see DeliverInput).
    return msg && (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN);
}

LRESULT DispatchMessage(const MSG* msg) {
    if (!msg) return 0;
    if (msg->lPrivate) {
        auto it = t_inputs.find(msg->lPrivate);
        if (it == t_inputs.end()) return 0;
        std::shared_ptr<QEvent> e = it->second;
        t_inputs.erase(it);
        DeliverInput(msg->hwnd, e.get());
        return 0;
    }
    if (msg->message == WM_TIMER && (msg->hwnd || msg->lParam)) {
        // Only a live timer ticks (a tick queued before KillTimer is dropped), and
        // only the callback it was set with is called.
        TIMERPROC proc = nullptr;
        if (msg->hwnd) {
            WindowState* s = StateOf(msg->hwnd);
            if (!s || !s->timers.count(msg->wParam)) return 0;
            proc = s->timerProcs[msg->wParam];
        } else {
            auto it = t_threadTimers.find(msg->wParam);
            if (it == t_threadTimers.end()) return 0;
            proc = it->second.proc;
        }
        if (proc && msg->lParam) {
            proc(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
            return 0;
        }
    }
    if (!msg->hwnd) return 0;  // thread messages are seen by the loop's PreTranslateMessage
    CWnd* w = CWnd::FromHandlePermanent(msg->hwnd);
    if (!w) return 0;
    // In a frame of its own, so that the handler's Default() processes this message.
    return CallWnd(w, msg->message, msg->wParam, msg->lParam);
}

namespace {
// Sends to a window of this process: directly on the window's own thread,
// otherwise through its thread's queue, waiting while the window exists and
// at most `timeoutMs` (negative: without limit). `*answered` tells whether
// the window's procedure ran and gave the result.
LRESULT SendLocal(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, int timeoutMs, bool* answered) {
    *answered = false;
    auto q = QueueOfWindow(hwnd);
    if (!q) return 0;
    if (q->owner == std::this_thread::get_id()) {
        CWnd* w = CWnd::FromHandlePermanent(hwnd);
        if (!w) return 0;
        *answered = true;
        return CallWnd(w, message, wParam, lParam);
    }
    QueuedMessage m;
    m.msg.hwnd = hwnd;
    m.msg.message = message;
    m.msg.wParam = wParam;
    m.msg.lParam = lParam;
    m.msg.time = NowMs();
    m.send = std::make_shared<SendState>();
    auto send = m.send;
    q->Post(std::move(m));
    // A message the receiver takes after the sender gave up is still run; its result is dropped.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    std::unique_lock<std::mutex> l(send->mu);
    while (!send->done) {
        auto step = std::chrono::steady_clock::duration(std::chrono::milliseconds(100));
        if (timeoutMs >= 0) {
            auto left = deadline - std::chrono::steady_clock::now();
            if (left <= std::chrono::steady_clock::duration::zero()) return 0;
            if (left < step) step = left;
        }
        send->cv.wait_for(l, step);
        if (!send->done && !IsLocalWindow(hwnd)) return 0;
    }
    *answered = true;
    return send->result;
}
}  // namespace

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!hwnd) return 0;
    if (IsRemoteHandle(hwnd)) return RemoteSend(hwnd, message, wParam, lParam, 5000, nullptr);
    bool answered = false;
    return SendLocal(hwnd, message, wParam, lParam, -1, &answered);
}

LRESULT SendMessageTimeout(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT, UINT timeout,
                           DWORD_PTR* result) {
    bool ok = false;
    LRESULT r = 0;
    int ms = timeout > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(timeout);
    if (IsRemoteHandle(hwnd)) r = RemoteSend(hwnd, message, wParam, lParam, timeout, &ok);
    else if (hwnd) r = SendLocal(hwnd, message, wParam, lParam, ms, &ok);
    if (result) *result = ok ? static_cast<DWORD_PTR>(r) : 0;
    return ok ? 1 : 0;
}

DWORD GetMessageTime() { return LastMessage().time; }
DWORD GetMessagePos() {
    QPoint p = QCursor::pos();
    return MAKELONG(static_cast<WORD>(p.x()), static_cast<WORD>(p.y()));
}

UINT RegisterWindowMessage(LPCSTR name) {
    static std::mutex mu;
    static std::map<std::string, UINT> names;
    static std::set<UINT> used;
    if (!name || !*name) return 0;
    // The same name always gives the same number, also in another process.
    std::string key;
    for (const char* p = name; *p; ++p) key += static_cast<char>((*p >= 'a' && *p <= 'z') ? *p - 32 : *p);
    std::lock_guard<std::mutex> l(mu);
    auto it = names.find(key);
    if (it != names.end()) return it->second;
    UINT h = 2166136261u;
    for (unsigned char c : key) h = (h ^ c) * 16777619u;
    if (used.size() >= 0x3FFFu) return 0;  // every number is taken
    // A name whose number is taken already gets the next free one.
    UINT id = 0xC000u + (h % 0x3FFFu);
    while (used.count(id)) id = 0xC000u + ((id - 0xC000u + 1) % 0x3FFFu);
    names[key] = id;
    used.insert(id);
    return id;
}

// Timers.
namespace {
// A timer of the thread without a window: its ticks are thread messages
// (hwnd nullptr) that DispatchMessage hands to the callback.
UINT_PTR SetThreadTimer(UINT_PTR id, UINT elapse, TIMERPROC proc) {
    if (!QCoreApplication::instance()) return 0;
    auto it = t_threadTimers.find(id);
    if (it == t_threadTimers.end()) {
        // A new timer gets a number of its own; the id asked for names an existing one only.
        do id = ++t_nextThreadTimer;
        while (id == 0 || t_threadTimers.count(id));
        it = t_threadTimers.emplace(id, ThreadTimer{new QTimer, proc}).first;
    }
    QTimer* t = it->second.timer;
    it->second.proc = proc;
    t->disconnect();
    QObject::connect(t, &QTimer::timeout, [id] {
        auto found = t_threadTimers.find(id);
        auto q = CurrentQueue();
        if (found == t_threadTimers.end() || q->HasTimer(nullptr, id)) return;
        QueuedMessage m;
        m.msg.message = WM_TIMER;
        m.msg.wParam = id;
        m.msg.lParam = reinterpret_cast<LPARAM>(found->second.proc);
        m.msg.time = NowMs();
        m.timer = true;
        q->Post(std::move(m));
    });
    t->start(static_cast<int>(elapse < 10 ? 10 : elapse));
    return id;
}
}  // namespace

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    if (!hwnd) return SetThreadTimer(id, elapse, proc);
    WindowState* s = StateOf(hwnd);
    if (!s || !s->widget) return 0;
    if (id == 0) id = 1;
    auto it = s->timers.find(id);
    QTimer* t = it == s->timers.end() ? new QTimer(s->widget) : it->second;
    t->disconnect();
    s->timers[id] = t;
    s->timerProcs[id] = proc;
    QObject::connect(t, &QTimer::timeout, [hwnd, id] {
        WindowState* st = StateOf(hwnd);
        if (!st || !st->queue) return;
        if (st->queue->HasTimer(hwnd, id)) return;  // one WM_TIMER waits at a time
        PostTo(hwnd, WM_TIMER, id, reinterpret_cast<LPARAM>(st->timerProcs[id]), nullptr, true);
    });
    t->start(static_cast<int>(elapse < 10 ? 10 : elapse));
    return id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
    if (!hwnd) {
        auto it = t_threadTimers.find(id);
        if (it == t_threadTimers.end()) return FALSE;
        it->second.timer->stop();
        it->second.timer->deleteLater();
        t_threadTimers.erase(it);
        return TRUE;
    }
    WindowState* s = StateOf(hwnd);
    if (!s) return FALSE;
    auto it = s->timers.find(id);
    if (it == s->timers.end()) return FALSE;
    it->second->stop();
    it->second->deleteLater();
    s->timers.erase(it);
    s->timerProcs.erase(id);
    return TRUE;
}

bool AfxPumpMessagesFor(DWORD ms, const std::function<bool()>& done) {
    if (!QCoreApplication::instance()) {
        // No loop to run: the condition is looked at while the time passes.
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!(done && done())) {
            if (std::chrono::steady_clock::now() >= end) return false;
            ::Sleep(std::min<DWORD>(ms, 50));
        }
        return true;
    }
    if (done && done()) return true;
    QEventLoop loop;
    QTimer timer, poll;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    bool met = false;
    if (done) {
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (done()) {
                met = true;
                loop.quit();
            }
        });
        poll.start(50);
    }
    timer.start(static_cast<int>(std::min<DWORD>(ms, 0x7FFFFFFF)));
    loop.exec();
    return met;
}

void AfxPumpMessages() {
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Leave the quit request for the loop that owns it.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
}
