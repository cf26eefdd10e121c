// Conversations between programs: in one process, with the DDE peer program,
// with a peer that hangs or refuses, and the bounded connect-or-start helper.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/afx/afxwin.h"
#include "platform/afx/ui/dde_frame.h"
#include "platform/afx/ui/ddeml.h"
#include "platform/win/process.h"

namespace {

class TestApp : public CWinApp {
public:
    TestApp() : CWinApp("DdeTests") {}
    BOOL InitInstance() override { return TRUE; }
};
TestApp theTestApp;

std::string Unique(const char* stem) {
    static int n = 0;
    return std::string(stem) + std::to_string(getpid()) + "_" + std::to_string(++n);
}

std::string PeerPath() {
    AfxWinInit();
    return QCoreApplication::applicationDirPath().toStdString() + "/suite_dde_peer";
}

std::string TempFile(const std::string& name) {
    return QDir::tempPath().toStdString() + "/" + name;
}

std::vector<std::string> Lines(const std::string& path) {
    std::vector<std::string> out;
    std::ifstream f(path);
    for (std::string line; std::getline(f, line);) out.push_back(line);
    return out;
}

bool WaitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        AfxPumpMessages();
        usleep(10000);
    }
    return true;
}

// A server in this process that records what it was asked.
struct Recorder {
    static std::vector<std::string> events;
    static DWORD instance;
    static HDDEDATA Callback(UINT type, UINT, HCONV, HSZ hsz1, HSZ hsz2, HDDEDATA data, DWORD_PTR, DWORD_PTR) {
        char a[256] = {}, b[256] = {};
        DdeQueryString(instance, hsz1, a, sizeof a, CP_WINANSI);
        DdeQueryString(instance, hsz2, b, sizeof b, CP_WINANSI);
        if (type == XTYP_CONNECT) {
            events.push_back(std::string("connect ") + a + " " + b);
            return std::string(a) == "Topic" ? reinterpret_cast<HDDEDATA>(1) : nullptr;
        }
        if (type == XTYP_DISCONNECT) events.push_back("disconnect");
        if (type != XTYP_EXECUTE) return nullptr;
        std::string text(DdeGetData(data, nullptr, 0, 0), '\0');
        DdeGetData(data, reinterpret_cast<BYTE*>(text.data()), static_cast<DWORD>(text.size()), 0);
        events.push_back("execute " + std::string(text.c_str()));
        EXPECT_FALSE(DdeFreeDataHandle(data));  // lent to the callback, not its own
        return reinterpret_cast<HDDEDATA>(static_cast<std::uintptr_t>(text == std::string("no\0", 3) ? DDE_FNOTPROCESSED : DDE_FACK));
    }
};
std::vector<std::string> Recorder::events;
DWORD Recorder::instance = 0;

// A window of this process that counts the messages it was sent while a client waited.
class CountingWnd : public CWnd {
public:
    int count = 0;
    LRESULT OnPing(WPARAM, LPARAM) {
        ++count;
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CountingWnd, CWnd)
    ON_MESSAGE(WM_USER + 31, OnPing)
END_MESSAGE_MAP()

class Client : public ::testing::Test {
protected:
    void SetUp() override {
        AfxWinInit();
        ASSERT_EQ(DdeInitialize(&inst, nullptr, APPCMD_CLIENTONLY, 0), DMLERR_NO_ERROR);
    }
    void TearDown() override { DdeUninitialize(inst); }
    HCONV Connect(const std::string& service, const std::string& topic) {
        HSZ s = DdeCreateStringHandle(inst, service.c_str(), CP_WINANSI);
        HSZ t = DdeCreateStringHandle(inst, topic.c_str(), CP_WINANSI);
        HCONV c = DdeConnect(inst, s, t, nullptr);
        DdeFreeStringHandle(inst, s);
        DdeFreeStringHandle(inst, t);
        return c;
    }
    // Starts the peer with `args` and waits until it answers on `service`.
    HCONV StartPeer(QProcess& p, const std::string& service, QStringList args) {
        args << QString::fromStdString("service=" + service) << "lifetime=20000";
        p.setProgram(QString::fromStdString(PeerPath()));
        p.setArguments(args);
        p.start();
        if (!p.waitForStarted(10000)) return nullptr;
        HCONV c = nullptr;
        WaitFor([&] { return (c = Connect(service, "QuadeOCR")) != nullptr; }, 10000);
        return c;
    }
    DWORD inst = 0;
};

TEST_F(Client, TalksToAServerOfItsOwnProcessOnlyOnItsTopic) {
    Recorder::events.clear();
    ASSERT_EQ(DdeInitialize(&Recorder::instance, Recorder::Callback, APPCLASS_STANDARD, 0), DMLERR_NO_ERROR);
    std::string service = Unique("Local");
    HSZ hs = DdeCreateStringHandle(Recorder::instance, service.c_str(), CP_WINANSI);
    ASSERT_NE(DdeNameService(Recorder::instance, hs, nullptr, DNS_REGISTER), nullptr);

    EXPECT_EQ(Connect(service, "Other"), nullptr);
    EXPECT_EQ(DdeGetLastError(inst), DMLERR_NO_CONV_ESTABLISHED);
    HCONV c = Connect(service, "Topic");
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(DdeExecuteText(c, "[NEW_DOCUMENT]", 2000));
    DWORD flags = 0;
    EXPECT_EQ(DdeClientTransaction(reinterpret_cast<const BYTE*>("no"), 3, c, nullptr, CF_TEXT_DDE, XTYP_EXECUTE, 2000, &flags), nullptr);
    EXPECT_EQ(DdeGetLastError(inst), DMLERR_NOTPROCESSED);
    // A withdrawn name reaches nobody new, but the open conversation goes on.
    EXPECT_NE(DdeNameService(Recorder::instance, hs, nullptr, DNS_UNREGISTER), nullptr);
    EXPECT_EQ(Connect(service, "Topic"), nullptr);
    EXPECT_TRUE(DdeExecuteText(c, "[AFTER]", 2000));
    EXPECT_TRUE(DdeDisconnect(c));
    WaitFor([] { return !Recorder::events.empty() && Recorder::events.back() == "disconnect"; }, 2000);
    std::vector<std::string> want = {"connect Other " + service, "connect Topic " + service, "execute [NEW_DOCUMENT]",
                                     "execute no", "execute [AFTER]", "disconnect"};
    EXPECT_EQ(Recorder::events, want);
    DdeUninitialize(Recorder::instance);
}

TEST_F(Client, RefusesBadArgumentsAndUnknownServices) {
    EXPECT_EQ(Connect(Unique("Nobody"), "Topic"), nullptr);
    EXPECT_EQ(DdeGetLastError(inst), DMLERR_NO_CONV_ESTABLISHED);
    EXPECT_EQ(DdeConnect(inst, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(DdeGetLastError(inst), DMLERR_INVALIDPARAMETER);
    EXPECT_FALSE(DdeExecuteText(nullptr, "[X]", 100));
    std::string tooLong(300, 'a');
    EXPECT_EQ(DdeCreateStringHandle(inst, tooLong.c_str(), CP_WINANSI), nullptr);
    HSZ s = DdeCreateStringHandle(inst, "Quade", CP_WINANSI);
    char small[3];
    EXPECT_EQ(DdeQueryString(inst, s, nullptr, 0, CP_WINANSI), 5u);
    EXPECT_EQ(DdeQueryString(inst, s, small, sizeof small, CP_WINANSI), 2u);
    EXPECT_STREQ(small, "Qu");
    // A client-only instance cannot offer a service.
    EXPECT_EQ(DdeNameService(inst, s, nullptr, DNS_REGISTER), nullptr);
    EXPECT_TRUE(DdeFreeStringHandle(inst, s));
    EXPECT_FALSE(DdeFreeStringHandle(inst, s));
    HDDEDATA d = DdeCreateDataHandle(inst, reinterpret_cast<const BYTE*>("abcdef"), 6, 2, nullptr, CF_TEXT_DDE, 0);
    BYTE got[8] = {};
    EXPECT_EQ(DdeGetData(d, nullptr, 0, 0), 4u);
    EXPECT_EQ(DdeGetData(d, got, 3, 1), 3u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(got)), "def");
    EXPECT_EQ(DdeGetData(d, got, 3, 9), 0u);
    EXPECT_TRUE(DdeFreeDataHandle(d));
    EXPECT_FALSE(DdeFreeDataHandle(d));
}

TEST_F(Client, SendsCommandsToAnotherProgramInOrder) {
    std::string record = TempFile(Unique("dde_record") + ".txt");
    std::string service = Unique("Quade");
    QProcess p;
    HCONV c = StartPeer(p, service, {QString::fromStdString("record=" + record)});
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(DdeExecuteText(c, "[NEW_DOCUMENT]", 5000));
    EXPECT_TRUE(DdeExecuteText(c, "[INPUT](/tmp/a b.jpg)", 5000));
    EXPECT_FALSE(DdeExecuteText(c, "[FAIL]", 5000));
    EXPECT_EQ(DdeGetLastError(inst), DMLERR_NOTPROCESSED);
    EXPECT_FALSE(DdeExecuteText(c, "[BUSY]", 5000));
    EXPECT_EQ(DdeGetLastError(inst), DMLERR_BUSY);
    EXPECT_TRUE(DdeExecuteText(c, "[ENDAPPLICATION]", 5000));
    // The wait above runs the loop, which may have seen the program end already.
    EXPECT_TRUE(p.state() == QProcess::NotRunning || p.waitForFinished(10000));
    DdeDisconnect(c);
    std::vector<std::string> want = {"<started>", "[NEW_DOCUMENT]", "[INPUT](/tmp/a b.jpg)", "[FAIL]", "[BUSY]",
                                     "[ENDAPPLICATION]"};
    auto got = Lines(record);
    if (got.size() > want.size()) got.resize(want.size());  // a disconnect may follow
    EXPECT_EQ(got, want);
    std::remove(record.c_str());
}

TEST_F(Client, AHangingServerTimesOutWhileTheClientKeepsDispatching) {
    std::string service = Unique("Hang");
    QProcess p;
    HCONV c = StartPeer(p, service, {});
    ASSERT_NE(c, nullptr);
    CountingWnd w;
    ASSERT_TRUE(w.CreateEx(0, "DdeCounting", "Counting", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr, nullptr));
    ASSERT_TRUE(PostMessage(w.m_hWnd, WM_USER + 31, 0, 0));
    QElapsedTimer t;
    t.start();
    EXPECT_FALSE(DdeExecuteText(c, "[HANG](8000)", 600));
    qint64 took = t.elapsed();
    EXPECT_EQ(DdeGetLastError(inst), DMLERR_EXECACKTIMEOUT);
    EXPECT_GE(took, 550);
    EXPECT_LT(took, 3000);
    EXPECT_EQ(w.count, 1);  // dispatched during the wait
    // The conversation is over: a late answer cannot pass for the next one.
    t.restart();
    EXPECT_FALSE(DdeExecuteText(c, "[NEW_DOCUMENT]", 5000));
    EXPECT_EQ(DdeGetLastError(inst), DMLERR_SERVER_DIED);
    EXPECT_LT(t.elapsed(), 1000);
    DdeDisconnect(c);
    w.DestroyWindow();
    p.kill();
    p.waitForFinished(5000);
}

TEST_F(Client, APeerThatRefusesOrDiesEndsTheConversation) {
    std::string service = Unique("Refuse");
    QProcess refusing;
    refusing.setProgram(QString::fromStdString(PeerPath()));
    refusing.setArguments({QString::fromStdString("service=" + service), "refuse=1", "lifetime=20000"});
    refusing.start();
    ASSERT_TRUE(refusing.waitForStarted(10000));
    usleep(500000);
    EXPECT_EQ(Connect(service, "QuadeOCR"), nullptr);
    refusing.kill();
    refusing.waitForFinished(5000);

    std::string other = Unique("Dies");
    QProcess p;
    HCONV c = StartPeer(p, other, {});
    ASSERT_NE(c, nullptr);
    p.kill();
    p.waitForFinished(5000);
    QElapsedTimer t;
    t.start();
    EXPECT_FALSE(DdeExecuteText(c, "[NEW_DOCUMENT]", 5000));
    EXPECT_LT(t.elapsed(), 2000);
    DdeDisconnect(c);
    // The dead program's endpoint is forgotten.
    EXPECT_EQ(Connect(other, "QuadeOCR"), nullptr);
}

TEST_F(Client, ConnectOrStartStartsTheProgramAndPostsItsCommand) {
    std::string service = Unique("Lomart");
    std::string cls = Unique("Quade_LomartApplication");
    std::string record = TempFile(Unique("dde_start") + ".txt");
    std::string command = suite::QuoteArgument(PeerPath()) + " service=" + service + " topic=SYSTEM class=" + cls +
                          " register-on=372 lifetime=20000 record=" + suite::QuoteArgument(record);
    DdeStartRecipe recipe;
    recipe.commandLine = command.c_str();
    recipe.windowClass = cls.c_str();
    recipe.windowWaitMs = 10000;
    recipe.postCommand = 372;
    recipe.retries = 40;
    recipe.intervalMs = 250;
    BOOL started = FALSE;
    HCONV c = DdeConnectOrStart(inst, service.c_str(), "SYSTEM", recipe, &started);
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(started);
    EXPECT_TRUE(DdeExecuteText(c, "[EXPORT](/tmp/card.jpg)", 5000));
    // Already running: no second start.
    BOOL again = TRUE;
    HCONV c2 = DdeConnectOrStart(inst, service.c_str(), "SYSTEM", recipe, &again);
    ASSERT_NE(c2, nullptr);
    EXPECT_FALSE(again);
    DdeDisconnect(c2);
    EXPECT_TRUE(DdeExecuteText(c, "[ENDAPPLICATION]", 5000));
    DdeDisconnect(c);
    WaitFor([&] { return FindWindow(cls.c_str(), nullptr) == nullptr; }, 5000);
    auto lines = Lines(record);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "<started>");
    EXPECT_EQ(lines[1], "<command 372>");
    EXPECT_EQ(lines[2], "[EXPORT](/tmp/card.jpg)");
    std::remove(record.c_str());
}

TEST_F(Client, ConnectOrStartGivesUpWithinItsBound) {
    std::string service = Unique("Never");
    std::string cls = Unique("NeverClass");
    // The program starts but never offers the service (it waits for a command nobody posts).
    std::string command = suite::QuoteArgument(PeerPath()) + " service=" + service + " class=" + cls +
                          " register-on=999 lifetime=8000";
    DdeStartRecipe recipe;
    recipe.commandLine = command.c_str();
    recipe.windowClass = cls.c_str();
    recipe.windowWaitMs = 10000;
    recipe.postCommand = 372;
    recipe.retries = 5;
    recipe.intervalMs = 100;
    BOOL started = FALSE;
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(DdeConnectOrStart(inst, service.c_str(), "SYSTEM", recipe, &started), nullptr);
    EXPECT_TRUE(started);
    EXPECT_EQ(DdeGetLastError(inst), DMLERR_NO_CONV_ESTABLISHED);
    EXPECT_LT(t.elapsed(), 9000);
    if (HWND h = FindWindow(cls.c_str(), nullptr)) PostMessage(h, WM_CLOSE, 0, 0);

    // A program that cannot start, and a window that never shows, are bounded too.
    std::string missing = "/nonexistent/program service=" + service;
    recipe.commandLine = missing.c_str();
    t.restart();
    EXPECT_EQ(DdeConnectOrStart(inst, service.c_str(), "SYSTEM", recipe, &started), nullptr);
    EXPECT_FALSE(started);
    EXPECT_LT(t.elapsed(), 3000);
}

}  // namespace

namespace {

TEST(DdeFrames, RoundTripAndRefuseDamagedBytes) {
    afx_detail::DdeFrame f;
    f.op = afx_detail::DdeOp::kConnect;
    f.service = "Quade";
    f.topic = "QuadeOCR";
    f.flags = 0x8000;
    f.data = {'[', 'O', 'C', 'R', ']', 0};
    std::vector<std::uint8_t> body = afx_detail::EncodeDdeFrame(f);
    afx_detail::DdeFrame back;
    ASSERT_TRUE(afx_detail::DecodeDdeFrame(body.data(), body.size(), &back));
    EXPECT_EQ(back.service, "Quade");
    EXPECT_EQ(back.topic, "QuadeOCR");
    EXPECT_EQ(back.flags, 0x8000u);
    EXPECT_EQ(back.data, f.data);
    // Every cut, and every stray byte after the end, is refused.
    for (size_t n = 0; n < body.size(); ++n) EXPECT_FALSE(afx_detail::DecodeDdeFrame(body.data(), n, &back)) << n;
    body.push_back(0);
    EXPECT_FALSE(afx_detail::DecodeDdeFrame(body.data(), body.size(), &back));
    body.pop_back();
    for (std::uint8_t op : {0, 4, 255}) {
        std::vector<std::uint8_t> bad = body;
        bad[0] = op;
        EXPECT_FALSE(afx_detail::DecodeDdeFrame(bad.data(), bad.size(), &back));
    }
    // A name length that runs past the end.
    std::vector<std::uint8_t> bad = body;
    bad[1] = 200;
    EXPECT_FALSE(afx_detail::DecodeDdeFrame(bad.data(), bad.size(), &back));
    EXPECT_FALSE(afx_detail::DecodeDdeFrame(nullptr, 5, &back));
}

}  // namespace
