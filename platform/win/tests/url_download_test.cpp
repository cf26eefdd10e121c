#include "platform/win/url_download.h"

#include "loopback_http_server.h"
#include "scratch_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

class UrlDownload : public ::testing::Test {
protected:
    suite_test::ScratchFolder scratch;
    suite_test::LoopbackHttpServer server;
    suite::UrlDownloadLimits saved = suite::GetUrlDownloadLimits();
    void SetUp() override {
        ASSERT_TRUE(server.Running());
        suite::UrlDownloadLimits quick;
        quick.connectMs = 2000;
        quick.stallMs = 1000;
        quick.totalMs = 10000;
        quick.maxBytes = 64 * 1024;
        suite::SetUrlDownloadLimits(quick);
        std::filesystem::create_directories(scratch / "dl");
    }
    void TearDown() override { suite::SetUrlDownloadLimits(saved); }
    std::string native(const char* name) const { return scratch / (std::string("dl/") + name); }
    // Files named by their native path (the platform takes both forms).
    std::string target(const char* name) const { return native(name); }
};

}  // namespace

TEST_F(UrlDownload, AWholeBodyReplacesTheFile) {
    std::string body(40000, 'x');
    for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i * 7);
    server.Serve("/data.bin", body);
    std::ofstream(native("data.bin")) << "old";
    EXPECT_EQ(URLDownloadToFileA(nullptr, server.Url("/data.bin").c_str(), target("data.bin").c_str(), 0, nullptr), S_OK);
    EXPECT_EQ(readAll(native("data.bin")), body);
    server.Serve("/empty", "");
    EXPECT_EQ(URLDownloadToFileA(nullptr, server.Url("/empty").c_str(), target("empty").c_str(), 0, nullptr), S_OK);
    EXPECT_EQ(readAll(native("empty")), "");
}

TEST_F(UrlDownload, FailuresLeaveTheOldFileAndNoTemporaryOne) {
    const std::string body(30000, 'b');
    server.Serve("/cut", body, suite_test::LoopbackHttpServer::Mode::Cut);
    server.Serve("/stall", body, suite_test::LoopbackHttpServer::Mode::Stall);
    server.Serve("/broken", "oops", suite_test::LoopbackHttpServer::Mode::Whole, 500);
    server.Serve("/huge", std::string(100 * 1024, 'h'));
    std::ofstream(native("keep.txt")) << "old";
    struct Case {
        const char* path;
        HRESULT expected;
    };
    for (const Case& c : {Case{"/missing", INET_E_RESOURCE_NOT_FOUND}, Case{"/cut", INET_E_DOWNLOAD_FAILURE},
                          Case{"/broken", INET_E_DOWNLOAD_FAILURE}, Case{"/huge", INET_E_DOWNLOAD_FAILURE}}) {
        EXPECT_EQ(URLDownloadToFileA(nullptr, server.Url(c.path).c_str(), target("keep.txt").c_str(), 0, nullptr),
                  c.expected)
            << c.path;
        EXPECT_EQ(readAll(native("keep.txt")), "old") << c.path;
    }
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(URLDownloadToFileA(nullptr, server.Url("/stall").c_str(), target("keep.txt").c_str(), 0, nullptr),
              INET_E_CONNECTION_TIMEOUT);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(8)) << "a stall ends within its limit";
    EXPECT_EQ(readAll(native("keep.txt")), "old");
    int entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(scratch / "dl")) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 1) << "no temporary file is left";
    EXPECT_EQ(URLDownloadToFileA(nullptr, "not a url", target("x").c_str(), 0, nullptr) < 0, true);
    EXPECT_EQ(URLDownloadToFileA(nullptr, nullptr, target("x").c_str(), 0, nullptr), E_INVALIDARG);
    EXPECT_EQ(URLDownloadToFileA(nullptr, server.Url("/missing").c_str(), nullptr, 0, nullptr), E_INVALIDARG);
}

TEST_F(UrlDownload, ProgramsBecomeRunnableAndLocalFilesCanBeFetched) {
    server.Serve("/tool.exe", "#!/bin/sh\nexit 0\n");
    ASSERT_EQ(URLDownloadToFileA(nullptr, server.Url("/tool.exe").c_str(), target("Tool.EXE").c_str(), 0, nullptr), S_OK);
    struct stat st {};
    ASSERT_EQ(::stat(native("Tool.EXE").c_str(), &st), 0);
    EXPECT_TRUE(st.st_mode & S_IXUSR);
    ASSERT_EQ(URLDownloadToFileA(nullptr, ("file://" + native("Tool.EXE")).c_str(), target("copy.txt").c_str(), 0, nullptr),
              S_OK);
    EXPECT_EQ(readAll(native("copy.txt")), "#!/bin/sh\nexit 0\n");
    ASSERT_EQ(::stat(native("copy.txt").c_str(), &st), 0);
    EXPECT_FALSE(st.st_mode & S_IXUSR) << "only programs are made runnable";
}

TEST_F(UrlDownload, ConnectionChecksReachTheServerOrNot) {
    EXPECT_TRUE(InternetCheckConnectionA(server.Url("/").c_str(), FLAG_ICC_FORCE_CONNECTION, 0));
    int closedPort = 0;
    {
        suite_test::LoopbackHttpServer gone;
        closedPort = gone.Port();
    }
    EXPECT_FALSE(InternetCheckConnectionA(("http://127.0.0.1:" + std::to_string(closedPort) + "/").c_str(),
                                          FLAG_ICC_FORCE_CONNECTION, 0));
    EXPECT_FALSE(InternetCheckConnectionA(nullptr, 0, 0));
}
