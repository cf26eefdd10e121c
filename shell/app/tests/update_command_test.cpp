// The update command of Scribant end to end: the check on its worker thread
// against a loopback server, the dialog and messages on the user-interface
// thread, and a recording program standing for the updater.
#include "scribant_fixture.h"

#include "platform/win/tests/loopback_http_server.h"
#include "platform/win/url_download.h"
#include "shell/app/scribant_commands.h"
#include "shell/update/sha256.h"
#include "shell/update/update_check.h"
#include "shell/frame/tests/chrome_fixture.h"

#include <fstream>
#include <sstream>

namespace scribanttest {
namespace {

class UpdateTestApp : public TestScribantApp {
public:
    std::string folder;
    std::string UpdateFolder() const override { return folder; }
};

class UpdateCommand : public ScribantHome {
protected:
    suite_test::LoopbackHttpServer server;
    fs::path update, record;
    std::string updater;

    void SetUp() override {
        ScribantHome::SetUp();
        ASSERT_TRUE(server.Running());
        update = root_ / "Update";
        fs::create_directories(update);
        record = root_ / "updater-ran.txt";
        updater = "#!/bin/sh\necho \"$@\" > '" + record.string() + "'\n";
        std::ofstream(update / "Stelby.dll") << server.Url("/task.ini") << "\r\n";
        std::ofstream(update / "version.ini") << "[version]\r\nMain_Version=8.1.4\r\nUpdate_Version=1.0\r\n";
        server.Serve("/Rovant.exe", updater);
        suite::UrlDownloadLimits quick;
        quick.connectMs = 2000;
        quick.stallMs = 2000;
        quick.totalMs = 10000;
        suite::SetUrlDownloadLimits(quick);
        auto app = std::make_unique<UpdateTestApp>();
        app->folder = update.string() + "\\";
        app->m_strInstanceName = "Scribant test " + root_.filename().string();
        app_ = std::move(app);
        ASSERT_TRUE(app_->InitInstance());
    }
    void TearDown() override {
        WaitForUpdateCheck(10000);
        suite::SetUrlDownloadLimits(suite::UrlDownloadLimits{});
        ScribantHome::TearDown();
    }
    void publish(const std::string& hash) {
        std::ostringstream ini;
        ini << "[Main_Version]\r\nversion_top=8.1.10\r\nnVersion=3\r\nVersion_1=8.1.2\r\nVersion_2=8.1.5\r\n"
            << "Version_3=8.1.10\r\nInfo_3=faster;smaller\r\n[Update_Version]\r\nversion_Manage=2.0\r\nUrl_Manage="
            << server.Url("/Rovant.exe") << "\r\nSha256_Manage=" << hash << "\r\n";
        server.Serve("/task.ini", ini.str());
    }
    // Runs the command and waits, pumping, until the check has ended.
    void runUpdate() {
        app_->m_pMainWnd->SendMessage(WM_COMMAND, ID_APP_UPDATE, 0);
        EXPECT_TRUE(PumpUntil([] { return !UpdateCheckRunning(); }, 15000));
    }
    std::vector<std::string> shown(const char* kind) const {
        std::vector<std::string> texts;
        for (const AfxShownRecord& r : AfxTestScript::Shown())
            if (r.kind == kind) texts.push_back(kind == std::string("dialog") ? std::to_string(r.type) : r.text);
        return texts;
    }
};

}  // namespace

TEST_F(UpdateCommand, AGoodUpdaterStartsWithTheChosenEntryAndTheProgramCloses) {
    publish(CSha256::Hex(updater));
    static std::string shownVersion;
    AfxTestScript::QueueDialogAction(
        [](CWnd* dialog, void*) {
            CString version;
            dialog->GetDlgItemText(1133, version);
            shownVersion = version.GetString();
            dialog->GrabToFile(chrometest::GrabPath("update_dialog.png").c_str());
        },
        nullptr);
    AfxTestScript::QueueAnswer(IDOK);
    runUpdate();
    EXPECT_EQ(shown("dialog"), (std::vector<std::string>{"285"}));
    EXPECT_EQ(shownVersion, "8.1.10");
    EXPECT_TRUE(shown("message").empty());
    EXPECT_TRUE(fs::exists(update / "Rovant.exe"));
    EXPECT_TRUE(PumpUntil([&] { return app_->m_pMainWnd == nullptr; }, 5000)) << "the main window closes";
    ASSERT_TRUE(PumpUntil([&] { return fs::exists(record) && fs::file_size(record) > 0; }, 5000));
    std::ifstream in(record);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "3") << "the updater gets the chosen entry";
}

TEST_F(UpdateCommand, ABadHashStartsNothingAndTheProgramStays) {
    publish(std::string(64, 'a'));
    AfxTestScript::QueueAnswer(IDOK);
    runUpdate();
    CString refusal;
    refusal.LoadString(IDS_UPDATE_HASH_FAILED);
    EXPECT_EQ(shown("message"), (std::vector<std::string>{refusal.GetString()}));
    PumpUntil([] { return false; }, 300);
    EXPECT_NE(app_->m_pMainWnd, nullptr) << "the program stays open";
    EXPECT_FALSE(fs::exists(record));
    EXPECT_FALSE(fs::exists(update / "Rovant.exe"));
}

TEST_F(UpdateCommand, ASecondCommandWhileACheckRunsStartsNoSecondCheck) {
    server.Serve("/task.ini", "", suite_test::LoopbackHttpServer::Mode::Stall);
    app_->m_pMainWnd->SendMessage(WM_COMMAND, ID_APP_UPDATE, 0);
    app_->m_pMainWnd->SendMessage(WM_COMMAND, ID_APP_UPDATE, 0);
    EXPECT_TRUE(PumpUntil([] { return !UpdateCheckRunning(); }, 15000));
    EXPECT_EQ(server.Requests("/task.ini"), 1);
    CString network;
    network.LoadString(IDS_UPDATE_NETWORK);
    EXPECT_EQ(shown("message"), (std::vector<std::string>{network.GetString()}));
}

TEST_F(UpdateCommand, QuittingWhileACheckDownloadsEndsTheCheckFirstAndQuietly) {
    server.Serve("/task.ini", "", suite_test::LoopbackHttpServer::Mode::Stall);
    // A server that stalls far longer than the exit may wait.
    suite::UrlDownloadLimits patient;
    patient.stallMs = 60000;
    patient.totalMs = 120000;
    suite::SetUrlDownloadLimits(patient);
    app_->m_pMainWnd->SendMessage(WM_COMMAND, ID_APP_UPDATE, 0);
    ASSERT_TRUE(PumpUntil([&] { return server.Requests("/task.ini") == 1; }, 10000));
    const auto start = std::chrono::steady_clock::now();
    Stop();
    EXPECT_FALSE(UpdateCheckRunning()) << "the check outlived the program's exit";
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(6));
    EXPECT_EQ(shown("message"), std::vector<std::string>{}) << "nothing is shown after the exit";
    EXPECT_FALSE(fs::exists(update / "UpdateTask.ini"));
}

}  // namespace scribanttest
