// Windows of other programs: each process with top-level windows listens on a
// per-user local socket (one file per process in the endpoint folder);
// FindWindow asks every live endpoint, and messages and show requests to the
// found handle travel over it. Every wait is bounded.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/afx/ui/ui_private.h"
#include "platform/afx/ui/window_request.h"
#include "platform/win/process.h"
#include "platform/win/sync.h"

namespace afx_detail {

namespace {
constexpr std::uintptr_t kRemoteBit = std::uintptr_t(1) << 62;
constexpr int kConnectMs = 500;

struct RemoteWindow {
    qint64 pid;
    quint64 hwnd;
};
std::mutex g_remoteMu;
std::vector<RemoteWindow> g_remotes;

QString EndpointDir() {
    QString dir = QString::fromLocal8Bit(suite::WindowEndpointFolder().c_str());
    QDir().mkpath(dir);
    QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return dir;
}

QString EndpointOf(qint64 pid) { return EndpointDir() + QString("/%1.sock").arg(pid); }

HWND RemoteHandle(qint64 pid, quint64 hwnd) {
    std::lock_guard<std::mutex> l(g_remoteMu);
    for (size_t i = 0; i < g_remotes.size(); ++i)
        if (g_remotes[i].pid == pid && g_remotes[i].hwnd == hwnd) return reinterpret_cast<HWND>(kRemoteBit | i);
    g_remotes.push_back({pid, hwnd});
    return reinterpret_cast<HWND>(kRemoteBit | (g_remotes.size() - 1));
}

bool Lookup(HWND h, RemoteWindow* out) {
    auto v = reinterpret_cast<std::uintptr_t>(h);
    if (!(v & kRemoteBit)) return false;
    std::lock_guard<std::mutex> l(g_remoteMu);
    size_t i = v & ~kRemoteBit;
    if (i >= g_remotes.size()) return false;
    *out = g_remotes[i];
    return true;
}

template <class T>
void Put(QByteArray& b, T v) {
    b.append(reinterpret_cast<const char*>(&v), sizeof v);
}

// One request, one reply, on a fresh connection.
bool Exchange(qint64 pid, const QByteArray& request, QByteArray* reply, int timeoutMs) {
    QLocalSocket s;
    s.connectToServer(EndpointOf(pid));
    if (!s.waitForConnected(kConnectMs)) {
        if (::kill(static_cast<pid_t>(pid), 0) != 0) QFile::remove(EndpointOf(pid));  // a dead program's endpoint
        return false;
    }
    s.write(FramedWindowMessage(request));
    if (!s.waitForBytesWritten(timeoutMs)) return false;
    QByteArray in;
    QElapsedTimer timer;
    timer.start();
    while (true) {
        const FrameState state = TakeWindowFrame(in, reply);
        if (state == FrameState::kWhole) return true;
        if (state == FrameState::kBad) return false;
        int left = timeoutMs - static_cast<int>(timer.elapsed());
        if (left <= 0) return false;
        if (!s.waitForReadyRead(left)) return false;
        in += s.readAll();
    }
}

bool Matches(CWnd* w, const char* cls, const char* title) {
    if (!w || (w->m_dwStyle & WS_CHILD) || !w->m_hWnd) return false;
    if (cls && w->m_strClass.CompareNoCase(cls) != 0) return false;
    if (title) {
        CString t;
        w->GetWindowText(t);
        if (t.CompareNoCase(title) != 0) return false;
    }
    return true;
}

HWND FindLocal(const char* cls, const char* title) {
    for (HWND h : AllWindows())
        if (CWnd* w = CWnd::FromHandlePermanent(h); Matches(w, cls, title)) return h;
    return nullptr;
}

// What another program may send or post here. Its addresses mean nothing in
// this process, so the system's messages that carry pointers (text, records,
// a timer's callback, reflected notifications) are refused; the pointer-free
// ones and the programs' own messages (WM_USER and up, registered ones) pass.
bool AcceptedFromOutside(UINT message) {
    switch (message) {
    case WM_NULL:
    case WM_CLOSE:
    case WM_COMMAND:
    case WM_SYSCOMMAND:
    case WM_SYSCOLORCHANGE:
    case WM_ACTIVATEAPP:
    case WM_CANCELMODE:
        return true;
    default:
        break;
    }
    if (message < WM_USER) return false;
    return !(message >= WM_REFLECT_BASE && message < WM_REFLECT_BASE + WM_USER);
}

// The windows other programs reach: this process's top-level windows, as FindWindow finds them.
CWnd* OutsideTarget(HWND hwnd) {
    CWnd* w = IsLocalWindow(hwnd) ? CWnd::FromHandlePermanent(hwnd) : nullptr;
    return w && !(w->m_dwStyle & WS_CHILD) ? w : nullptr;
}

QByteArray Handle(const QByteArray& bytes) {
    WindowRequest r;
    QByteArray out;
    if (!DecodeWindowRequest(bytes, &r)) {
        // Read as any client reads it: no window found, nothing done.
        Put<quint64>(out, 0);
        Put<BYTE>(out, 0);
        return out;
    }
    if (r.op == WindowOp::kFind) {
        HWND h = FindLocal(r.hasClassName ? r.className.c_str() : nullptr, r.hasTitle ? r.title.c_str() : nullptr);
        Put<quint64>(out, reinterpret_cast<quint64>(h));
        return out;
    }
    const auto wp = static_cast<WPARAM>(r.wParam);
    const auto lp = static_cast<LPARAM>(r.lParam);
    if (r.op == WindowOp::kBroadcast) {
        int posted = 0;
        if (AcceptedFromOutside(r.message))
            for (HWND h : AllWindows())
                if (OutsideTarget(h) && ::PostMessage(h, r.message, wp, lp)) ++posted;
        Put<BYTE>(out, posted > 0 ? 1 : 0);
        return out;
    }
    auto hwnd = reinterpret_cast<HWND>(r.window);
    if (r.op == WindowOp::kShow) {
        CWnd* w = OutsideTarget(hwnd);
        if (w) {
            if (r.showCommand >= 0) w->ShowWindow(r.showCommand);
            if (r.foreground) w->SetForegroundWindow();
        }
        Put<BYTE>(out, w ? 1 : 0);
        Put<BYTE>(out, w && w->IsWindowVisible() ? 1 : 0);  // the state after the call
        return out;
    }
    bool ok = OutsideTarget(hwnd) && AcceptedFromOutside(r.message);
    LRESULT result = 0;
    if (ok && r.op == WindowOp::kPost) ok = ::PostMessage(hwnd, r.message, wp, lp);
    if (ok && r.op == WindowOp::kSend) result = ::SendMessage(hwnd, r.message, wp, lp);
    Put<BYTE>(out, ok ? 1 : 0);
    Put<qint64>(out, static_cast<qint64>(result));
    return out;
}

class Endpoint : public QObject {
public:
    Endpoint() {
        path_ = EndpointOf(QCoreApplication::applicationPid());
        QLocalServer::removeServer(path_);
        server_.setSocketOptions(QLocalServer::UserAccessOption);
        server_.listen(path_);
        connect(&server_, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* s = server_.nextPendingConnection()) {
                // A request's handler may run a modal loop (a message box),
                // inside which the sender can stop waiting and go: the socket
                // is then only marked, and deleted once no handler of it is
                // on the stack any more (never inside its own read handler).
                connect(s, &QLocalSocket::disconnected, s, [s] {
                    if (s->property("busy").toInt() > 0) s->setProperty("gone", true);
                    else s->deleteLater();
                });
                connect(s, &QLocalSocket::readyRead, s, [s] {
                    QByteArray buf = s->property("buf").toByteArray() + s->readAll();
                    for (;;) {
                        QByteArray req;
                        const FrameState state = TakeWindowFrame(buf, &req);
                        if (state == FrameState::kMore) break;
                        if (state == FrameState::kBad) {  // a length no request has: never met
                            s->abort();
                            return;
                        }
                        QPointer<QLocalSocket> guard(s);
                        s->setProperty("busy", s->property("busy").toInt() + 1);
                        QByteArray reply = Handle(req);
                        if (!guard) return;
                        const int busy = s->property("busy").toInt() - 1;
                        s->setProperty("busy", busy);
                        if (s->property("gone").toBool() || s->state() != QLocalSocket::ConnectedState) {
                            // The sender is gone: its reply is dropped.
                            if (busy == 0) s->deleteLater();
                            return;
                        }
                        s->write(FramedWindowMessage(reply));
                        s->flush();
                    }
                    s->setProperty("buf", buf);
                });
            }
        });
    }
    ~Endpoint() override {
        server_.close();
        QFile::remove(path_);
    }

private:
    QLocalServer server_;
    QString path_;
};

Endpoint* g_endpoint = nullptr;
}  // namespace

QString IpcFolder() { return EndpointDir(); }

bool IsRemoteHandle(HWND hwnd) { return (reinterpret_cast<std::uintptr_t>(hwnd) & kRemoteBit) != 0; }

void PublishWindows() {
    if (g_endpoint || !QCoreApplication::instance()) return;
    g_endpoint = new Endpoint;
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, [] {
        delete g_endpoint;
        g_endpoint = nullptr;
    });
    std::atexit([] {
        QFile::remove(EndpointOf(getpid()));
    });
}

namespace {
QByteArray FindRequest(LPCSTR cls, LPCSTR title) {
    WindowRequest r;
    r.op = WindowOp::kFind;
    r.hasClassName = cls != nullptr;
    r.hasTitle = title != nullptr;
    if (cls) r.className = cls;
    if (title) r.title = title;
    return EncodeWindowRequest(r);
}
}  // namespace

HWND RemoteFindIn(qint64 pid, LPCSTR cls, LPCSTR title) {
    if (pid <= 0 || pid == QCoreApplication::applicationPid()) return nullptr;
    const QByteArray req = FindRequest(cls, title);
    QByteArray reply;
    if (!Exchange(pid, req, &reply, 2000) || reply.size() < 8) return nullptr;
    quint64 h;
    std::memcpy(&h, reply.constData(), 8);
    return h ? RemoteHandle(pid, h) : nullptr;
}

HWND RemoteFind(LPCSTR cls, LPCSTR title) {
    const QByteArray req = FindRequest(cls, title);
    qint64 self = QCoreApplication::applicationPid();
    QDir dir(EndpointDir());
    for (const QString& name : dir.entryList({"*.sock"}, QDir::System | QDir::Files, QDir::Name)) {
        bool ok = false;
        qint64 pid = name.left(name.size() - 5).toLongLong(&ok);
        if (!ok || pid == self) continue;
        QByteArray reply;
        if (!Exchange(pid, req, &reply, 2000) || reply.size() < 8) continue;
        quint64 h;
        std::memcpy(&h, reply.constData(), 8);
        if (h) return RemoteHandle(pid, h);
    }
    return nullptr;
}

namespace {
QByteArray MessageRequest(WindowOp op, quint64 window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowRequest r;
    r.op = op;
    r.window = window;
    r.message = message;
    r.wParam = wParam;
    r.lParam = lParam;
    return EncodeWindowRequest(r);
}

QByteArray ShowRequest(quint64 window, int cmd, bool foreground) {
    WindowRequest r;
    r.op = WindowOp::kShow;
    r.window = window;
    r.showCommand = cmd;
    r.foreground = foreground;
    return EncodeWindowRequest(r);
}
}  // namespace

BOOL RemotePost(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    RemoteWindow rw;
    if (!Lookup(hwnd, &rw)) return FALSE;
    QByteArray req = MessageRequest(WindowOp::kPost, rw.hwnd, message, wParam, lParam), reply;
    return Exchange(rw.pid, req, &reply, 2000) && reply.size() >= 1 && reply[0] == 1;
}

LRESULT RemoteSend(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT timeout, bool* ok) {
    if (ok) *ok = false;
    RemoteWindow rw;
    if (!Lookup(hwnd, &rw)) return 0;
    QByteArray req = MessageRequest(WindowOp::kSend, rw.hwnd, message, wParam, lParam), reply;
    int ms = timeout > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(timeout);
    if (!Exchange(rw.pid, req, &reply, ms) || reply.size() < 9 || reply[0] != 1) return 0;
    qint64 r;
    std::memcpy(&r, reply.constData() + 1, 8);
    if (ok) *ok = true;
    return static_cast<LRESULT>(r);
}

int RemoteBroadcast(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!QCoreApplication::instance()) return 0;
    const QByteArray req = MessageRequest(WindowOp::kBroadcast, 0, message, wParam, lParam);
    qint64 self = QCoreApplication::applicationPid();
    QDir dir(EndpointDir());
    int reached = 0;
    for (const QString& name : dir.entryList({"*.sock"}, QDir::System | QDir::Files, QDir::Name)) {
        bool ok = false;
        qint64 pid = name.left(name.size() - 5).toLongLong(&ok);
        if (!ok || pid == self) continue;
        QByteArray reply;
        if (Exchange(pid, req, &reply, 1000) && reply.size() >= 1 && reply[0] == 1) ++reached;
    }
    return reached;
}

BOOL RemoteShow(HWND hwnd, int cmd, bool foreground) {
    RemoteWindow rw;
    if (!Lookup(hwnd, &rw)) return FALSE;
    QByteArray reply;
    const QByteArray req = ShowRequest(rw.hwnd, cmd, foreground);
    return Exchange(rw.pid, req, &reply, 2000) && reply.size() >= 1 && reply[0] == 1;
}

int RemoteVisible(HWND hwnd) {
    RemoteWindow rw;
    if (!Lookup(hwnd, &rw)) return -1;
    QByteArray reply;
    const QByteArray req = ShowRequest(rw.hwnd, -1, false);  // show nothing, only ask
    if (!Exchange(rw.pid, req, &reply, 2000) || reply.size() < 2 || reply[0] != 1) return -1;
    return reply[1] == 1 ? 1 : 0;
}

}  // namespace afx_detail

HWND FindWindow(LPCSTR className, LPCSTR title) {
    if (className && IS_INTRESOURCE(className)) className = nullptr;
    if (HWND h = afx_detail::FindLocal(className, title)) return h;
    return afx_detail::RemoteFind(className, title);
}

DWORD GetWindowThreadProcessId(HWND hwnd, LPDWORD processId) {
    DWORD pid = 0;
    afx_detail::RemoteWindow remote{};
    if (afx_detail::Lookup(hwnd, &remote)) pid = static_cast<DWORD>(remote.pid);
    else if (hwnd && ::IsWindow(hwnd)) pid = GetCurrentProcessId();
    if (processId) *processId = pid;
    return pid;
}

namespace suite {
HWND FindWindowOfProcess(DWORD processId, LPCSTR className, LPCSTR title) {
    if (className && IS_INTRESOURCE(className)) className = nullptr;
    if (processId == GetCurrentProcessId()) return afx_detail::FindLocal(className, title);
    return afx_detail::RemoteFindIn(processId, className, title);
}
}  // namespace suite
