// Conversations between programs over per-user local sockets: a server
// listens on one socket per registered service name (a file named by a hash
// of the name and the process id in the endpoint folder); a client connects,
// names the service and topic, and then sends commands, each answered by the
// server's flags. Frames are checked before use (dde_frame.h).
#include "platform/afx/ui/ddeml.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>

#include <signal.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>

#include "platform/afx/ui/dde_frame.h"
#include "platform/afx/ui/pump_wait.h"
#include "platform/afx/ui/ui_private.h"
#include "platform/win/process.h"

struct HSZ__ {
    std::string text;
};

struct HDDEDATA__ {
    std::vector<BYTE> bytes;
    UINT format = 0;
};

struct HCONV__ {
    DWORD instance = 0;
    bool client = false;
    bool confirmed = false;  // server side: the connect was accepted
    QPointer<QLocalSocket> socket;
    std::string service, topic;
    QByteArray pending;  // received bytes not yet a whole frame
};

namespace {

using afx_detail::DdeFrame;
using afx_detail::DdeOp;

constexpr int kConnectMs = 500;         // the socket connection of one endpoint
constexpr DWORD kConnectAnswerMs = 2000;  // a server's answer to a connect
constexpr int kMaxPending = 4 + 600 + int(afx_detail::kDdeMaxFrameData);

struct Service {
    std::string name;
    std::unique_ptr<QLocalServer> server;
    QString path;
};

struct Instance {
    PFNCALLBACK callback = nullptr;
    DWORD commands = 0;
    UINT lastError = DMLERR_NO_ERROR;
    std::vector<Service> services;
    std::set<HSZ__*> strings;
    std::set<HCONV__*> conversations;
};

std::mutex g_mu;
std::map<DWORD, std::unique_ptr<Instance>> g_instances;
DWORD g_nextInstance = 1;
int g_nextEndpoint = 0;
// Data handles the caller made (and may free); the ones handed to callbacks are not among them.
std::set<HDDEDATA__*> g_dataHandles;

Instance* Find(DWORD id) {
    std::lock_guard<std::mutex> l(g_mu);
    auto it = g_instances.find(id);
    return it == g_instances.end() ? nullptr : it->second.get();
}

bool SameName(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

QString ServiceFolder() {
    QString dir = afx_detail::IpcFolder() + "/dde";
    QDir().mkpath(dir);
    return dir;
}

// Socket paths are short: the service is named by a hash of its lower-case text.
QString ServiceKey(const std::string& name) {
    std::uint64_t h = 1469598103934665603ull;
    for (char c : name) {
        h ^= static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(c)));
        h *= 1099511628211ull;
    }
    return QString("%1").arg(h, 16, 16, QChar('0'));
}

void Send(QLocalSocket* s, const DdeFrame& f) {
    std::vector<std::uint8_t> body = afx_detail::EncodeDdeFrame(f);
    QByteArray out;
    auto n = static_cast<quint32>(body.size());
    for (int i = 0; i < 4; ++i) out.append(static_cast<char>((n >> (8 * i)) & 0xFF));
    out.append(reinterpret_cast<const char*>(body.data()), static_cast<qsizetype>(body.size()));
    s->write(out);
    s->flush();
}

// 1: a frame was taken from `buf`; 0: more bytes are needed; -1: the stream is broken.
int TakeFrame(QByteArray& buf, DdeFrame* f) {
    if (buf.size() < 4) return 0;
    quint32 n = 0;
    for (int i = 0; i < 4; ++i) n |= quint32(static_cast<unsigned char>(buf[i])) << (8 * i);
    if (n > quint32(kMaxPending - 4)) return -1;
    if (buf.size() < qsizetype(4 + n)) return 0;
    bool ok = afx_detail::DecodeDdeFrame(reinterpret_cast<const std::uint8_t*>(buf.constData()) + 4, n, f);
    buf.remove(0, qsizetype(4 + n));
    return ok ? 1 : -1;
}

void PumpFor(DWORD ms, const std::function<bool()>& done = {}) { AfxPumpMessagesFor(ms, done); }

// Waits for one answer frame on a client conversation, dispatching messages.
// 1 answered, 0 timed out, -1 the server went away or broke the stream.
int AwaitAnswer(HCONV__* c, DWORD ms, DdeFrame* answer) {
    QLocalSocket* s = c->socket;
    if (!s) return -1;
    DWORD instance = c->instance;
    int state = 0;
    auto take = [&] {
        Instance* in = Find(instance);
        // A message handler run during the wait may have closed the conversation.
        if (!in || !in->conversations.count(c) || !c->socket || !c->socket->isOpen()) {
            state = -1;
            return;
        }
        c->pending += c->socket->readAll();
        int r = TakeFrame(c->pending, answer);
        if (r == 1 && answer->op != DdeOp::kAnswer) r = -1;
        if (r != 0) state = r;
        else if (c->socket->state() != QLocalSocket::ConnectedState) state = -1;
    };
    take();
    if (state != 0) return state;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(s, &QLocalSocket::readyRead, &loop, [&] {
        take();
        if (state != 0) loop.quit();
    });
    QObject::connect(s, &QLocalSocket::disconnected, &loop, [&] {
        take();
        if (state == 0) state = -1;
        loop.quit();
    });
    timer.start(static_cast<int>(std::min<DWORD>(ms, 0x7FFFFFFF)));
    loop.exec();
    return state;
}

void SetError(DWORD instance, UINT error) {
    if (Instance* in = Find(instance)) in->lastError = error;
}

void CloseConversation(Instance* in, HCONV__* c) {
    if (c->socket) {
        c->socket->disconnect();
        c->socket->abort();
        c->socket->deleteLater();
    }
    in->conversations.erase(c);
    delete c;
}

HDDEDATA Call(Instance* in, UINT type, HCONV conv, const std::string& s1, const std::string* s2,
              const std::vector<BYTE>* data) {
    if (!in->callback) return nullptr;
    HSZ__ a{s1}, b{s2 ? *s2 : std::string()};
    HDDEDATA__ d;
    if (data) d.bytes = *data;
    d.format = CF_TEXT_DDE;
    return in->callback(type, data ? CF_TEXT_DDE : 0, conv, &a, s2 ? &b : nullptr, data ? &d : nullptr, 0, 0);
}

// Whether a callback left the instance, the conversation and its socket alive.
bool StillOpen(DWORD instance, HCONV__* c, const QPointer<QLocalSocket>& s) {
    Instance* in = Find(instance);
    return in && in->conversations.count(c) && s;
}

// One frame from a client of this server.
void ServeFrame(DWORD instance, HCONV__* c, const DdeFrame& f) {
    Instance* in = Find(instance);
    if (!in || !c->socket) return;
    QPointer<QLocalSocket> s = c->socket;
    DdeFrame answer;
    answer.op = DdeOp::kAnswer;
    if (f.op == DdeOp::kConnect && !c->confirmed) {
        bool ours = std::any_of(in->services.begin(), in->services.end(),
                                [&](const Service& sv) { return SameName(sv.name, f.service); });
        bool accepted = ours && Call(in, XTYP_CONNECT, nullptr, f.topic, &f.service, nullptr) != nullptr;
        if (!StillOpen(instance, c, s)) return;
        answer.flags = accepted ? 1 : 0;
        Send(s, answer);
        if (!accepted) {
            s->disconnectFromServer();
            return;
        }
        c->confirmed = true;
        c->service = f.service;
        c->topic = f.topic;
        Call(in, XTYP_CONNECT_CONFIRM, reinterpret_cast<HCONV>(c), c->topic, &c->service, nullptr);
        return;
    }
    if (f.op == DdeOp::kExecute && c->confirmed) {
        HDDEDATA r = Call(in, XTYP_EXECUTE, reinterpret_cast<HCONV>(c), c->topic, nullptr, &f.data);
        if (!StillOpen(instance, c, s)) return;
        answer.flags = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(r));
        Send(s, answer);
        return;
    }
    s->abort();  // out of order: the peer does not speak this protocol
}

void Accept(DWORD instance, QLocalServer* server) {
    while (QLocalSocket* s = server->nextPendingConnection()) {
        Instance* in = Find(instance);
        if (!in) {
            s->abort();
            s->deleteLater();
            continue;
        }
        s->setParent(nullptr);  // a withdrawn name keeps its open conversations
        auto* c = new HCONV__;
        c->instance = instance;
        c->socket = s;
        in->conversations.insert(c);
        QObject::connect(s, &QLocalSocket::readyRead, s, [instance, c] {
            Instance* in = Find(instance);
            if (!in || !in->conversations.count(c) || !c->socket) return;
            c->pending += c->socket->readAll();
            DdeFrame f;
            while (in->conversations.count(c) && c->socket) {
                int r = TakeFrame(c->pending, &f);
                if (r == 0) break;
                if (r < 0) {
                    c->socket->abort();
                    break;
                }
                ServeFrame(instance, c, f);
                in = Find(instance);
                if (!in) return;
            }
        });
        QObject::connect(s, &QLocalSocket::disconnected, s, [instance, c] {
            Instance* in = Find(instance);
            if (!in || !in->conversations.count(c)) return;
            if (c->confirmed) Call(in, XTYP_DISCONNECT, reinterpret_cast<HCONV>(c), c->topic, &c->service, nullptr);
            if ((in = Find(instance)) && in->conversations.count(c)) CloseConversation(in, c);
        });
    }
}

}  // namespace

UINT DdeInitialize(LPDWORD instance, PFNCALLBACK callback, DWORD commands, DWORD) {
    if (!instance) return DMLERR_INVALIDPARAMETER;
    if (!QCoreApplication::instance()) return DMLERR_SYS_ERROR;
    auto in = std::make_unique<Instance>();
    in->callback = callback;
    in->commands = commands;
    std::lock_guard<std::mutex> l(g_mu);
    *instance = g_nextInstance++;
    g_instances[*instance] = std::move(in);
    return DMLERR_NO_ERROR;
}

BOOL DdeUninitialize(DWORD instance) {
    Instance* in = Find(instance);
    if (!in) return FALSE;
    DdeNameService(instance, nullptr, nullptr, DNS_UNREGISTER);
    while (!in->conversations.empty()) CloseConversation(in, *in->conversations.begin());
    for (HSZ__* h : in->strings) delete h;
    std::unique_ptr<Instance> gone;
    {
        std::lock_guard<std::mutex> l(g_mu);
        auto it = g_instances.find(instance);
        gone = std::move(it->second);
        g_instances.erase(it);
    }
    return TRUE;
}

UINT DdeGetLastError(DWORD instance) {
    Instance* in = Find(instance);
    if (!in) return DMLERR_DLL_NOT_INITIALIZED;
    UINT e = in->lastError;
    in->lastError = DMLERR_NO_ERROR;
    return e;
}

HSZ DdeCreateStringHandle(DWORD instance, LPCSTR text, int) {
    Instance* in = Find(instance);
    if (!in || !text || std::strlen(text) > afx_detail::kDdeMaxName) {
        if (in) in->lastError = DMLERR_INVALIDPARAMETER;
        return nullptr;
    }
    auto* h = new HSZ__{text};
    in->strings.insert(h);
    return h;
}

BOOL DdeFreeStringHandle(DWORD instance, HSZ hsz) {
    Instance* in = Find(instance);
    if (!in || !in->strings.erase(hsz)) return FALSE;
    delete hsz;
    return TRUE;
}

DWORD DdeQueryString(DWORD, HSZ hsz, LPSTR buffer, DWORD size, int) {
    if (!hsz) return 0;
    auto n = static_cast<DWORD>(hsz->text.size());
    if (buffer && size) {
        DWORD k = std::min(n, size - 1);
        std::memcpy(buffer, hsz->text.data(), k);
        buffer[k] = 0;
        return k;
    }
    return n;
}

int DdeCmpStringHandles(HSZ a, HSZ b) {
    if (!a || !b) return a == b ? 0 : (a ? 1 : -1);
    int r = strcasecmp(a->text.c_str(), b->text.c_str());
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

HDDEDATA DdeCreateDataHandle(DWORD, const BYTE* data, DWORD size, DWORD offset, HSZ, UINT format, UINT) {
    if (size > kDdeMaxData || (!data && size)) return nullptr;
    auto* d = new HDDEDATA__;
    if (data && size > offset) d->bytes.assign(data + offset, data + size);
    d->format = format;
    std::lock_guard<std::mutex> l(g_mu);
    g_dataHandles.insert(d);
    return d;
}

DWORD DdeGetData(HDDEDATA data, BYTE* buffer, DWORD size, DWORD offset) {
    if (!data || offset > data->bytes.size()) return 0;
    auto avail = static_cast<DWORD>(data->bytes.size() - offset);
    if (!buffer) return avail;
    DWORD n = std::min(avail, size);
    if (n) std::memcpy(buffer, data->bytes.data() + offset, n);
    return n;
}

BOOL DdeFreeDataHandle(HDDEDATA data) {
    {
        std::lock_guard<std::mutex> l(g_mu);
        if (!g_dataHandles.erase(data)) return FALSE;
    }
    delete data;
    return TRUE;
}

HDDEDATA DdeNameService(DWORD instance, HSZ service, HSZ, UINT command) {
    Instance* in = Find(instance);
    if (!in) return nullptr;
    if (command & DNS_UNREGISTER) {
        bool any = false;
        for (auto it = in->services.begin(); it != in->services.end();) {
            if (service && !SameName(it->name, service->text)) {
                ++it;
                continue;
            }
            it->server->close();
            QFile::remove(it->path);
            it = in->services.erase(it);
            any = true;
        }
        return any || !service ? reinterpret_cast<HDDEDATA>(1) : nullptr;
    }
    if (!(command & DNS_REGISTER) || !service || service->text.empty() || (in->commands & APPCMD_CLIENTONLY)) {
        in->lastError = DMLERR_INVALIDPARAMETER;
        return nullptr;
    }
    for (const Service& sv : in->services)
        if (SameName(sv.name, service->text)) return reinterpret_cast<HDDEDATA>(1);
    Service sv;
    sv.name = service->text;
    sv.path = ServiceFolder() +
              QString("/%1-%2-%3.sock").arg(ServiceKey(sv.name)).arg(QCoreApplication::applicationPid()).arg(g_nextEndpoint++);
    sv.server = std::make_unique<QLocalServer>();
    sv.server->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(sv.path);
    if (!sv.server->listen(sv.path)) {
        in->lastError = DMLERR_SYS_ERROR;
        return nullptr;
    }
    QLocalServer* server = sv.server.get();
    QObject::connect(server, &QLocalServer::newConnection, server, [instance, server] { Accept(instance, server); });
    in->services.push_back(std::move(sv));
    return reinterpret_cast<HDDEDATA>(1);
}

HCONV DdeConnect(DWORD instance, HSZ service, HSZ topic, PCONVCONTEXT) {
    Instance* in = Find(instance);
    if (!in) return nullptr;
    if (!service || !topic) {
        in->lastError = DMLERR_INVALIDPARAMETER;
        return nullptr;
    }
    std::string serviceName = service->text, topicName = topic->text;
    QString prefix = ServiceKey(serviceName) + "-";
    QDir dir(ServiceFolder());
    for (const QString& name : dir.entryList({prefix + "*.sock"}, QDir::System | QDir::Files, QDir::Name)) {
        bool ok = false;
        qint64 pid = name.mid(prefix.size()).section('-', 0, 0).toLongLong(&ok);
        if (!ok) continue;
        auto* s = new QLocalSocket;
        s->connectToServer(dir.filePath(name));
        if (!s->waitForConnected(kConnectMs)) {
            delete s;
            if (::kill(static_cast<pid_t>(pid), 0) != 0) QFile::remove(dir.filePath(name));  // a dead server's endpoint
            continue;
        }
        auto* c = new HCONV__;
        c->instance = instance;
        c->client = true;
        c->socket = s;
        c->service = serviceName;
        c->topic = topicName;
        in->conversations.insert(c);
        DdeFrame f;
        f.op = DdeOp::kConnect;
        f.service = serviceName;
        f.topic = topicName;
        Send(s, f);
        DdeFrame answer;
        int r = AwaitAnswer(c, kConnectAnswerMs, &answer);
        if (!(in = Find(instance))) return nullptr;
        if (r == 1 && answer.flags == 1) return reinterpret_cast<HCONV>(c);
        CloseConversation(in, c);
    }
    in->lastError = DMLERR_NO_CONV_ESTABLISHED;
    return nullptr;
}

BOOL DdeDisconnect(HCONV conv) {
    if (!conv) return FALSE;
    Instance* in = Find(conv->instance);
    if (!in || !in->conversations.count(conv)) return FALSE;
    if (conv->socket && conv->client) conv->socket->disconnectFromServer();
    CloseConversation(in, conv);
    return TRUE;
}

HDDEDATA DdeClientTransaction(const BYTE* data, DWORD size, HCONV conv, HSZ, UINT, UINT type, DWORD timeoutMs,
                              LPDWORD result) {
    if (result) *result = 0;
    if (!conv) return nullptr;
    DWORD instance = conv->instance;
    Instance* in = Find(instance);
    if (!in || !in->conversations.count(conv) || !conv->client) return nullptr;
    if (type != XTYP_EXECUTE || size > kDdeMaxData || (!data && size)) {
        in->lastError = DMLERR_INVALIDPARAMETER;
        return nullptr;
    }
    if (!conv->socket || conv->socket->state() != QLocalSocket::ConnectedState) {
        in->lastError = DMLERR_SERVER_DIED;
        return nullptr;
    }
    DdeFrame f;
    f.op = DdeOp::kExecute;
    if (size) f.data.assign(data, data + size);
    Send(conv->socket, f);
    DdeFrame answer;
    int r = AwaitAnswer(conv, timeoutMs, &answer);
    if (!(in = Find(instance)) || !in->conversations.count(conv)) return nullptr;
    if (r == 0) {
        // A late answer would pass for the next command's: end the conversation.
        conv->socket->abort();
        in->lastError = DMLERR_EXECACKTIMEOUT;
        return nullptr;
    }
    if (r < 0) {
        in->lastError = DMLERR_SERVER_DIED;
        return nullptr;
    }
    if (result) *result = answer.flags;
    if (answer.flags & DDE_FACK) return reinterpret_cast<HDDEDATA>(1);
    in->lastError = (answer.flags & DDE_FBUSY) ? DMLERR_BUSY : DMLERR_NOTPROCESSED;
    return nullptr;
}

BOOL DdeExecuteText(HCONV conv, LPCSTR command, DWORD timeoutMs) {
    if (!command) return FALSE;
    auto n = static_cast<DWORD>(std::strlen(command) + 1);
    return DdeClientTransaction(reinterpret_cast<const BYTE*>(command), n, conv, nullptr, CF_TEXT_DDE, XTYP_EXECUTE,
                                timeoutMs, nullptr) != nullptr;
}

HCONV DdeConnectOrStart(DWORD instance, LPCSTR service, LPCSTR topic, const DdeStartRecipe& recipe, BOOL* started) {
    if (started) *started = FALSE;
    HSZ hService = DdeCreateStringHandle(instance, service, CP_WINANSI);
    HSZ hTopic = DdeCreateStringHandle(instance, topic, CP_WINANSI);
    HCONV conv = nullptr;
    auto done = [&](HCONV c) {
        DdeFreeStringHandle(instance, hService);
        DdeFreeStringHandle(instance, hTopic);
        if (!c) SetError(instance, DMLERR_NO_CONV_ESTABLISHED);
        return c;
    };
    if (!hService || !hTopic) return done(nullptr);
    if ((conv = DdeConnect(instance, hService, hTopic, nullptr)) || !recipe.commandLine) return done(conv);
    if (WinExec(recipe.commandLine, SW_SHOWNORMAL) <= 31) return done(nullptr);
    if (started) *started = TRUE;
    if (recipe.windowClass || recipe.windowTitle) {
        HWND window = nullptr;
        PumpFor(recipe.windowWaitMs, [&] { return (window = FindWindow(recipe.windowClass, recipe.windowTitle)) != nullptr; });
        if (window && recipe.postCommand) PostMessage(window, WM_COMMAND, recipe.postCommand, 0);
    }
    for (UINT i = 0; i < recipe.retries; ++i) {
        if ((conv = DdeConnect(instance, hService, hTopic, nullptr))) return done(conv);
        if (!Find(instance)) return nullptr;
        PumpFor(recipe.intervalMs);
    }
    return done(nullptr);
}
