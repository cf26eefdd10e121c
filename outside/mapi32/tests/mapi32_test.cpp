// The mail library through its exported entries: SMTP to a loopback server,
// the desktop hand-off, and each failure code.
#include <gtest/gtest.h>

#include "platform/win/codepage.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "outside/include/mapi32.h"
#include "outside/mapi32/compose_model.h"
#include "platform/win/library.h"
#include "platform/win/registry.h"

namespace {

namespace fs = std::filesystem;

std::vector<char> ReadAll(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(f), {});
}

std::vector<std::string> Lines(const fs::path& p) {
    std::vector<std::string> out;
    std::ifstream f(p);
    for (std::string l; std::getline(f, l);) out.push_back(l);
    return out;
}

class Mail : public ::testing::Test {
protected:
    void SetUp() override {
        const char* temp = getenv("TMPDIR");
        std::string pattern = std::string(temp && *temp ? temp : "/tmp") + "/mapi32_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        fs::create_directories(dir_ / "reg");
        fs::create_directories(dir_ / "inbox");
        setenv("SUITE_REGISTRY_DIR", (dir_ / "reg").c_str(), 1);
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        lib_ = LoadLibraryA("Mapi32.dll");
        ASSERT_NE(lib_, nullptr);
        logon_ = reinterpret_cast<LPMAPILOGON>(GetProcAddress(lib_, "MAPILogon"));
        send_ = reinterpret_cast<LPMAPISENDMAIL>(GetProcAddress(lib_, "MAPISendMail"));
        docs_ = reinterpret_cast<LPMAPISENDDOCUMENTS>(GetProcAddress(lib_, "MAPISendDocuments"));
        ASSERT_TRUE(logon_ && send_ && docs_);
        for (int i = 0; i < 3; ++i) {
            std::vector<char> b(20000 + i * 777);
            for (size_t k = 0; k < b.size(); ++k) b[k] = static_cast<char>((k * 31 + i) & 0xFF);
            b[0] = static_cast<char>(0xFF), b[1] = static_cast<char>(0xD8);
            std::string name = (dir_ / ("page" + std::to_string(i + 1) + ".jpg")).string();
            std::ofstream(name, std::ios::binary).write(b.data(), static_cast<std::streamsize>(b.size()));
            pages_.push_back(name);
        }
    }
    void TearDown() override {
        StopServer();
        if (lib_) FreeLibrary(lib_);
        unsetenv("SUITE_REGISTRY_DIR");
        if (!path_.empty()) setenv("PATH", path_.c_str(), 1);
        fs::remove_all(dir_);
    }
    int StartServer() {
        int out[2];
        if (pipe(out) != 0) return 0;
        server_ = fork();
        if (server_ == 0) {
            dup2(out[1], 1);
            close(out[0]);
            close(out[1]);
            execl("/usr/bin/python3", "python3", SMTP_SERVER_SCRIPT, (dir_ / "inbox").c_str(), "60",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        int port = 0;
        std::FILE* f = fdopen(out[0], "r");
        if (f && std::fscanf(f, "%d", &port) != 1) port = 0;
        if (f) std::fclose(f);
        return port;
    }
    void StopServer() {
        if (server_ > 0) {
            kill(server_, SIGKILL);
            waitpid(server_, nullptr, 0);
            server_ = -1;
        }
    }
    void SetServer(const std::string& url, DWORD timeoutMs = 5000) {
        HKEY k = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Mapi32", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                                  nullptr),
                  ERROR_SUCCESS);
        auto str = [&](const char* name, const std::string& v) {
            RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()), static_cast<DWORD>(v.size() + 1));
        };
        str("SMTP Server", url);
        str("From", "scanner@example.test");
        RegSetValueExA(k, "Timeout", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&timeoutMs), 4);
        RegCloseKey(k);
    }
    ULONG SendPages(const char* to, const char* subject = "Scanned pages") {
        std::vector<MapiFileDesc> files(pages_.size());
        for (size_t i = 0; i < pages_.size(); ++i) files[i].lpszPathName = pages_[i].data();
        MapiRecipDesc r{};
        r.ulRecipClass = MAPI_TO;
        std::string address = to ? std::string("SMTP:") + to : "";
        r.lpszAddress = address.data();
        MapiMessage m{};
        m.lpszSubject = const_cast<LPSTR>(subject);
        m.nRecipCount = to ? 1 : 0;
        m.lpRecips = to ? &r : nullptr;
        m.nFileCount = static_cast<ULONG>(files.size());
        m.lpFiles = files.data();
        return send_(0, 0, &m, 0, 0);
    }

    fs::path dir_;
    HINSTANCE lib_ = nullptr;
    LPMAPILOGON logon_ = nullptr;
    LPMAPISENDMAIL send_ = nullptr;
    LPMAPISENDDOCUMENTS docs_ = nullptr;
    std::vector<std::string> pages_;
    pid_t server_ = -1;
    std::string path_;
};

TEST_F(Mail, SendsThreePagesByteEqualThroughTheServer) {
    int port = StartServer();
    ASSERT_NE(port, 0);
    SetServer("smtp://127.0.0.1:" + std::to_string(port));
    LHANDLE session = 0;
    ASSERT_EQ(logon_(0, nullptr, nullptr, MAPI_LOGON_UI | MAPI_NEW_SESSION, 0, &session), ULONG(SUCCESS_SUCCESS));
    EXPECT_NE(session, 0u);
    ASSERT_EQ(SendPages("desk@example.test"), ULONG(SUCCESS_SUCCESS));
    fs::path got = dir_ / "inbox" / "0";
    ASSERT_TRUE(fs::exists(got / "envelope"));
    std::vector<std::string> want = {"scanner@example.test", "desk@example.test", "Scanned pages"};
    EXPECT_EQ(Lines(got / "envelope"), want);
    for (int i = 0; i < 3; ++i) {
        std::string name = "page" + std::to_string(i + 1) + ".jpg";
        EXPECT_EQ(ReadAll(got / name), ReadAll(dir_ / name)) << name;
    }
    // A subject in the program's code page, long enough to take two encoded
    // words, reads the same at the other end.
    const std::string chinese = "\xE6\x89\xAB\xE6\x8F\x8F\xE7\x9A\x84\xE9\xA1\xB5\xE9\x9D\xA2";  // 扫描的页面
    std::string subject, shown;
    for (int i = 0; i < 4; ++i) shown += chinese;
    subject = suite::Utf8ToAnsi(shown);
    ASSERT_EQ(SendPages("desk@example.test", subject.c_str()), ULONG(SUCCESS_SUCCESS));
    want.back() = shown;
    EXPECT_EQ(Lines(dir_ / "inbox" / "1" / "envelope"), want);
}

TEST_F(Mail, ReportsEachFailure) {
    // Nowhere to send: no server, no desktop.
    LHANDLE session = 7;
    EXPECT_EQ(logon_(0, nullptr, nullptr, MAPI_LOGON_UI, 0, &session), ULONG(MAPI_E_LOGIN_FAILURE));
    EXPECT_EQ(session, 0u);
    EXPECT_EQ(SendPages("desk@example.test"), ULONG(MAPI_E_LOGIN_FAILURE));
    std::string joined = pages_[0] + ";" + pages_[1];
    EXPECT_EQ(docs_(0, const_cast<LPSTR>(";"), joined.data(), nullptr, 0), ULONG(MAPI_E_LOGIN_FAILURE));

    int port = StartServer();
    ASSERT_NE(port, 0);
    SetServer("smtp://127.0.0.1:" + std::to_string(port));
    // No recipients and no desktop to choose them: refused, not sent.
    EXPECT_EQ(SendPages(nullptr), ULONG(MAPI_E_INVALID_RECIPS));
    EXPECT_EQ(docs_(0, const_cast<LPSTR>(";"), joined.data(), nullptr, 0), ULONG(MAPI_E_INVALID_RECIPS));
    // A header that would end early, and a missing page.
    EXPECT_EQ(SendPages("desk@example.test", "a\r\nBcc: x@example.test"), ULONG(MAPI_E_FAILURE));
    fs::remove(pages_[1]);
    EXPECT_EQ(SendPages("desk@example.test"), ULONG(MAPI_E_ATTACHMENT_NOT_FOUND));
    EXPECT_FALSE(fs::exists(dir_ / "inbox" / "0"));
    // A server that went away fails within the bound.
    StopServer();
    SetServer("smtp://127.0.0.1:" + std::to_string(port), 2000);
    std::ofstream(pages_[1]) << "x";
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(SendPages("desk@example.test"), ULONG(MAPI_E_FAILURE));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(Mail, WithoutAServerADesktopMailProgramTakesTheFiles) {
    fs::path bin = dir_ / "bin";
    fs::create_directories(bin);
    fs::path args = dir_ / "args.txt";
    std::ofstream(bin / "xdg-email") << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '"
                                     << args.string() << "'\n";
    fs::permissions(bin / "xdg-email", fs::perms::owner_all);
    path_ = getenv("PATH") ? getenv("PATH") : "";
    setenv("PATH", (bin.string() + ":" + path_).c_str(), 1);
    setenv("DISPLAY", ":99", 1);
    LHANDLE session = 0;
    ASSERT_EQ(logon_(0, nullptr, nullptr, MAPI_LOGON_UI, 0, &session), ULONG(SUCCESS_SUCCESS));
    std::string joined = pages_[0] + ";" + pages_[2];
    ASSERT_EQ(docs_(0, const_cast<LPSTR>(";"), joined.data(), nullptr, 0), ULONG(SUCCESS_SUCCESS));
    std::vector<std::string> want = {"--attach", pages_[0], "--attach", pages_[2]};
    EXPECT_EQ(Lines(args), want);
    unsetenv("DISPLAY");
}

TEST(ComposeModel, RecipientsMustBeAddresses) {
    mapi32::ComposeModel m;
    EXPECT_FALSE(m.Problem().empty());
    m.to = "a@b.test; SMTP:c@d.test,  e@f.test";
    EXPECT_EQ(m.Recipients(), (std::vector<std::string>{"a@b.test", "c@d.test", "e@f.test"}));
    EXPECT_EQ(m.Problem(), "");
    for (const char* bad : {"nobody", "@b.test", "a@", "a@b", "a@@b.test", "a@b.test\r\nRCPT TO:<x@y.z>", "<a@b.test>"}) {
        m.to = bad;
        EXPECT_FALSE(m.Problem().empty()) << bad;
    }
    m.to = "a@b.test";
    m.subject = "two\r\nlines";
    EXPECT_FALSE(m.Problem().empty());
}

}  // namespace
