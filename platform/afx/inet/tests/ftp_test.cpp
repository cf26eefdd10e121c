// FTP through the framework's internet session against a loopback server:
// folders, binary uploads in both transfer modes, log-in failures, a silent
// server, a server that dies, and names that would break a command.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/afx/inet/afxinet.h"

namespace {

namespace fs = std::filesystem;

// The server process and the folder it serves.
class FtpServer {
public:
    FtpServer() {
        const char* temp = getenv("TMPDIR");
        std::string pattern = std::string(temp && *temp ? temp : "/tmp") + "/ftp_test_XXXXXX";
        if (mkdtemp(pattern.data())) root_ = pattern;
        int out[2];
        if (root_.empty() || pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], 1);
            close(out[0]);
            close(out[1]);
            execl("/usr/bin/python3", "python3", FTP_SERVER_SCRIPT, root_.c_str(), "60", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        std::FILE* f = fdopen(out[0], "r");
        if (f && std::fscanf(f, "%d", &port_) != 1) port_ = 0;
        if (f) std::fclose(f);
    }
    ~FtpServer() {
        Kill();
        if (!root_.empty()) fs::remove_all(root_);
    }
    void Kill() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }
    WORD port() const { return static_cast<WORD>(port_); }
    const std::string& root() const { return root_; }

private:
    std::string root_;
    pid_t pid_ = -1;
    int port_ = 0;
};

std::vector<char> Bytes(size_t n) {
    std::vector<char> b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<char>((i * 7 + i / 255) & 0xFF);
    return b;
}

std::vector<char> ReadAll(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(f), {});
}

void Upload(CFtpConnection* c, const char* name, const std::vector<char>& bytes) {
    CInternetFile* f = c->OpenFile(name, GENERIC_WRITE, FTP_TRANSFER_TYPE_BINARY);
    for (size_t at = 0; at < bytes.size(); at += 10240)
        f->Write(bytes.data() + at, static_cast<UINT>(std::min<size_t>(10240, bytes.size() - at)));
    try {
        f->Close();
    } catch (...) {
        delete f;
        throw;
    }
    delete f;
}

// True when `f` throws a CInternetException* (which is freed).
template <class F>
bool ThrowsInternet(F f) {
    try {
        f();
    } catch (CInternetException* e) {
        e->Delete();
        return true;
    }
    return false;
}

class Ftp : public ::testing::TestWithParam<bool> {};

TEST_P(Ftp, MakesFoldersAndStoresBinaryFilesWhole) {
    FtpServer server;
    ASSERT_NE(server.port(), 0);
    CInternetSession session;
    session.SetOption(INTERNET_OPTION_CONNECT_TIMEOUT, 5000);
    session.SetOption(INTERNET_OPTION_RECEIVE_TIMEOUT, 5000);
    CFtpConnection* c = session.GetFtpConnection("127.0.0.1", "scan", "secret", server.port(), GetParam());
    ASSERT_NE(c, nullptr);
    CString folder;
    ASSERT_TRUE(c->GetCurrentDirectory(folder));
    EXPECT_STREQ(folder, "/");
    EXPECT_FALSE(c->SetCurrentDirectory("Scans 2026"));
    EXPECT_EQ(c->GetLastResponse().Left(3), CString("550"));
    ASSERT_TRUE(c->CreateDirectory("Scans 2026"));
    ASSERT_TRUE(c->SetCurrentDirectory("Scans 2026")) << c->GetLastResponse();
    ASSERT_TRUE(c->GetCurrentDirectory(folder));
    EXPECT_STREQ(folder, "/Scans 2026");
    EXPECT_FALSE(c->CreateDirectory("Scans 2026/../../outside/x"));

    std::vector<char> big = Bytes(123457), crlf = {'a', '\r', '\n', 'b', '\n', '\r', 0, 'c'};
    Upload(c, "page 1.jpg", big);
    Upload(c, "crlf.bin", crlf);
    Upload(c, "empty.pdf", {});
    EXPECT_EQ(ReadAll(fs::path(server.root()) / "Scans 2026" / "page 1.jpg"), big);
    EXPECT_EQ(ReadAll(fs::path(server.root()) / "Scans 2026" / "crlf.bin"), crlf);
    EXPECT_TRUE(fs::exists(fs::path(server.root()) / "Scans 2026" / "empty.pdf"));
    // An upload after moving back up goes where the folder says.
    ASSERT_TRUE(c->SetCurrentDirectory("/"));
    Upload(c, "top.bin", crlf);
    EXPECT_EQ(ReadAll(fs::path(server.root()) / "top.bin"), crlf);
    delete c;
}

INSTANTIATE_TEST_SUITE_P(PassiveAndActive, Ftp, ::testing::Values(true, false));

TEST(FtpSession, AnonymousLogInAndAbortedFilesLeaveNothing) {
    FtpServer server;
    ASSERT_NE(server.port(), 0);
    CInternetSession session;
    CFtpConnection* c = session.GetFtpConnection("127.0.0.1", "", "", server.port(), TRUE);
    CInternetFile* f = c->OpenFile("dropped.bin");
    f->Write("abc", 3);
    f->Abort();
    delete f;
    delete c;
    EXPECT_FALSE(fs::exists(fs::path(server.root()) / "dropped.bin"));
    // The session outlives nothing it handed out: closing it closes the connection.
    CFtpConnection* d = session.GetFtpConnection("127.0.0.1", nullptr, nullptr, server.port(), TRUE);
    session.Close();
    CString folder;
    EXPECT_FALSE(d->GetCurrentDirectory(folder));
    EXPECT_TRUE(ThrowsInternet([&] { delete d->OpenFile("x"); }));
    delete d;
}

DWORD ConnectError(CInternetSession& s, LPCTSTR host, LPCTSTR user, LPCTSTR password, WORD port) {
    try {
        delete s.GetFtpConnection(host, user, password, port, TRUE);
    } catch (CInternetException* e) {
        DWORD error = e->m_dwError;
        char text[200];
        EXPECT_TRUE(e->GetErrorMessage(text, sizeof text));
        e->Delete();
        return error;
    }
    return 0;
}

TEST(FtpSession, ReportsRefusedLogInsAndMissingServers) {
    FtpServer server;
    ASSERT_NE(server.port(), 0);
    CInternetSession session;
    session.SetOption(INTERNET_OPTION_CONNECT_TIMEOUT, 3000);
    EXPECT_EQ(ConnectError(session, "127.0.0.1", "scan", "wrong", server.port()), DWORD(ERROR_INTERNET_LOGIN_FAILURE));
    EXPECT_EQ(ConnectError(session, "", "scan", "secret", server.port()), DWORD(ERROR_INTERNET_INVALID_URL));
    EXPECT_EQ(ConnectError(session, "host/evil", "scan", "secret", server.port()), DWORD(ERROR_INTERNET_INVALID_URL));
    server.Kill();
    EXPECT_EQ(ConnectError(session, "127.0.0.1", "scan", "secret", server.port()), DWORD(ERROR_INTERNET_CANNOT_CONNECT));
}

TEST(FtpSession, ASilentServerTimesOut) {
    int s = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(s, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(listen(s, 4), 0);
    socklen_t len = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    CInternetSession session;
    session.SetOption(INTERNET_OPTION_CONNECT_TIMEOUT, 1000);
    session.SetOption(INTERNET_OPTION_RECEIVE_TIMEOUT, 1000);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ConnectError(session, "127.0.0.1", "scan", "secret", ntohs(a.sin_port)), DWORD(ERROR_INTERNET_TIMEOUT));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    close(s);
}

TEST(FtpSession, AServerThatDiesFailsTheNextFileAndKeepsTheEarlierOnes) {
    FtpServer server;
    ASSERT_NE(server.port(), 0);
    CInternetSession session;
    session.SetOption(INTERNET_OPTION_CONNECT_TIMEOUT, 2000);
    session.SetOption(INTERNET_OPTION_RECEIVE_TIMEOUT, 2000);
    CFtpConnection* c = session.GetFtpConnection("127.0.0.1", "scan", "secret", server.port(), TRUE);
    std::vector<char> first = Bytes(5000);
    Upload(c, "1.jpg", first);
    EXPECT_EQ(ReadAll(fs::path(server.root()) / "1.jpg"), first);
    server.Kill();
    bool thrown = false;
    try {
        Upload(c, "2.jpg", first);
    } catch (CInternetException* e) {
        thrown = true;
        EXPECT_NE(e->m_dwError, 0u);
        e->Delete();
    }
    EXPECT_TRUE(thrown);
    delete c;
}

TEST(FtpSession, RefusesNamesThatWouldEndACommand) {
    FtpServer server;
    ASSERT_NE(server.port(), 0);
    CInternetSession session;
    CFtpConnection* c = session.GetFtpConnection("127.0.0.1", "scan", "secret", server.port(), TRUE);
    EXPECT_FALSE(c->CreateDirectory("a\r\nDELE x"));
    EXPECT_FALSE(c->SetCurrentDirectory("a\nb"));
    EXPECT_TRUE(ThrowsInternet([&] { delete c->OpenFile("x\r\nRMD /"); }));
    EXPECT_TRUE(ThrowsInternet([&] { delete c->OpenFile("x", GENERIC_READ); }));
    delete c;
}

}  // namespace
