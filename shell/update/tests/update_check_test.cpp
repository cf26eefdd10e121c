// The update check against a loopback server, with a host that records what
// would be shown and answers the dialog as told.
#include "shell/update/update_check.h"
#include "shell/update/sha256.h"
#include "shell/update/update_dialog_controller.h"
#include "shell/update/update_version.h"

#include "platform/win/tests/loopback_http_server.h"
#include "platform/win/url_download.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

class RecordingHost final : public CUpdateHost {
public:
    std::vector<UINT> messages;
    int answer = IDYES;      // of Yes/No questions
    int choose = -1;         // the dialog's answer; -1: the newest entry offered
    int offeredStart = 0;    // the start entry the dialog was opened with
    int dialogs = 0;
    std::vector<std::string> started;  // program and parameter
    bool startWorks = true;
    int closes = 0;
    int Message(UINT id, UINT style) override {
        messages.push_back(id);
        return (style & MB_YESNO) ? answer : IDOK;
    }
    int ChooseEntry(const std::string& taskIni, int startEntry) override {
        ++dialogs;
        offeredStart = startEntry;
        if (choose >= 0) return choose;
        CUpdateDialogController c(taskIni, startEntry);
        c.Load();
        c.Accept();
        return c.Chosen();
    }
    bool StartUpdater(const std::string& program, const std::string& parameter, const std::string&) override {
        started = {program, parameter};
        return startWorks;
    }
    void CloseProgram() override { ++closes; }
};

const char* const kUpdater = "#!/bin/sh\necho \"$@\" >> \"$0.record\"\n";

class UpdateCheck : public ::testing::Test {
protected:
    fs::path dir;
    UpdateFiles files;
    suite_test::LoopbackHttpServer server;
    RecordingHost host;

    void SetUp() override {
        ASSERT_TRUE(server.Running());
        dir = fs::temp_directory_path() / ("update-check-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "Update");
        files.folder = dir.string() + "\\Update\\";
        std::ofstream(dir / "Update" / "Stelby.dll") << server.Url("/task.ini") << "\r\nignored second line\r\n";
        installed("8.1.4", "1.0");
        suite::UrlDownloadLimits quick;
        quick.connectMs = 2000;
        quick.stallMs = 1000;
        quick.totalMs = 10000;
        suite::SetUrlDownloadLimits(quick);
        server.Serve("/Rovant.exe", kUpdater);
    }
    void TearDown() override {
        suite::SetUrlDownloadLimits(suite::UrlDownloadLimits{});
        fs::remove_all(dir);
    }
    void installed(const std::string& version, const std::string& updater) {
        std::ofstream(dir / "Update" / "version.ini")
            << "[version]\r\nMain_Version=" << version << "\r\nUpdate_Version=" << updater << "\r\n";
    }
    // A description with entries of the given versions (the last the newest).
    void publish(const std::vector<std::string>& versions, const std::string& top, const std::string& updater = "2.0",
                 const std::string* hash = nullptr) {
        std::ostringstream ini;
        ini << "[Main_Version]\r\nversion_top=" << top << "\r\nnVersion=" << versions.size() << "\r\n";
        for (std::size_t k = 1; k <= versions.size(); ++k)
            // "Version_k" and "version_k" are one key of the file (keys ignore case).
            ini << "Version_" << k << "=" << versions[k - 1] << "\r\nInfo_" << k << "=first;second\r\n";
        const std::string sha = hash ? *hash : CSha256::Hex(kUpdater);
        ini << "[Update_Version]\r\nversion_Manage=" << updater << "\r\nUrl_Manage=" << server.Url("/Rovant.exe")
            << "\r\nSha256_Manage=" << sha << "\r\n";
        server.Serve("/task.ini", ini.str());
    }
    bool taskLeft() const { return fs::exists(dir / "Update" / "UpdateTask.ini"); }
    fs::path updater() const { return dir / "Update" / "Rovant.exe"; }
};

}  // namespace

TEST(UpdateVersions, PartsCompareAsNumbersAndMissingPartsAreZero) {
    EXPECT_EQ(ParseUpdateVersion("8.1.10"), (UpdateVersion{8, 1, 10}));
    EXPECT_GT(CompareUpdateVersions(ParseUpdateVersion("8.1.10"), ParseUpdateVersion("8.1.9")), 0);
    EXPECT_LT(CompareUpdateVersions(ParseUpdateVersion("8.1.9"), ParseUpdateVersion("8.2")), 0);
    EXPECT_EQ(ParseUpdateVersion("8"), (UpdateVersion{8, 0, 0}));
    EXPECT_EQ(ParseUpdateVersion(""), (UpdateVersion{0, 0, 0}));
    EXPECT_EQ(ParseUpdateVersion("8.1.4.7"), (UpdateVersion{8, 1, 4})) << "the third part is the rest";
    EXPECT_EQ(ParseUpdateVersion(" 9x.y.3beta"), (UpdateVersion{9, 0, 3}));
    EXPECT_EQ(ParseUpdateVersion("99999999999999999999999.1"), (UpdateVersion{std::numeric_limits<long>::max(), 1, 0}));
    EXPECT_EQ(CompareUpdateVersions(ParseUpdateVersion("8.01.4"), ParseUpdateVersion("8.1.4")), 0);
}

TEST(Sha256Digests, MatchTheStandardExamples) {
    EXPECT_EQ(CSha256::Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(CSha256::Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(CSha256::Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    CSha256 pieces;
    const std::string million(1000000, 'a');
    for (std::size_t at = 0; at < million.size(); at += 999) pieces.Add(million.data() + at, std::min<std::size_t>(999, million.size() - at));
    std::string hex;
    for (std::uint8_t b : pieces.Finish()) {
        char two[3];
        std::snprintf(two, sizeof two, "%02x", b);
        hex += two;
    }
    EXPECT_EQ(hex, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST_F(UpdateCheck, AnEqualOrOlderPublishedVersionIsNotOffered) {
    publish({"8.1.2", "8.1.4"}, "8.1.4");
    EXPECT_TRUE(RunUpdateCheck(files, false, host));
    EXPECT_EQ(host.messages, (std::vector<UINT>{IDS_UPDATE_NONE}));
    EXPECT_EQ(host.dialogs, 0);
    EXPECT_FALSE(taskLeft()) << "the description is deleted";
    host.messages.clear();
    publish({"8.1.2", "8.1.3"}, "8.1.3");  // older than installed: compared as numbers, not as text
    installed("8.1.10", "1.0");
    EXPECT_TRUE(RunUpdateCheck(files, false, host));
    EXPECT_EQ(host.messages, (std::vector<UINT>{IDS_UPDATE_NONE}));
    host.messages.clear();
    EXPECT_TRUE(RunUpdateCheck(files, true, host));
    EXPECT_TRUE(host.messages.empty()) << "silent";
    EXPECT_EQ(host.dialogs, 0);
}

TEST_F(UpdateCheck, TheStartEntryFollowsTheInstalledVersion) {
    publish({"8.1.2", "8.1.5", "8.1.10"}, "8.1.10");
    host.choose = 0;
    EXPECT_TRUE(RunUpdateCheck(files, false, host));
    EXPECT_EQ(host.offeredStart, 2) << "entry 2 is newer than 8.1.4, entry 1 is not";
    EXPECT_TRUE(host.started.empty()) << "cancelled";
    installed("", "1.0");
    fs::remove(dir / "Update" / "version.ini");
    EXPECT_TRUE(RunUpdateCheck(files, false, host));
    EXPECT_EQ(host.offeredStart, 1) << "no installed version";
    installed("8", "1.0");
    publish({"7.9.9", "8.0.1", "8.0.5"}, "8.0.5");
    EXPECT_TRUE(RunUpdateCheck(files, false, host));
    EXPECT_EQ(host.offeredStart, 2) << "\"8\" is 8.0.0: entry 2 is newer, entry 1 is not";
    host.choose = 9;
    EXPECT_TRUE(RunUpdateCheck(files, false, host));
    EXPECT_TRUE(host.started.empty()) << "an entry past the newest is refused";
}

TEST_F(UpdateCheck, AGoodUpdaterIsPutInPlaceStartedWithTheEntryAndTheProgramCloses) {
    publish({"8.1.2", "8.1.5", "8.1.10"}, "8.1.10");
    std::ofstream(updater()) << "old updater";
    EXPECT_FALSE(RunUpdateCheck(files, false, host));
    EXPECT_EQ(readAll(updater()), kUpdater);
    EXPECT_EQ(host.started, (std::vector<std::string>{files.Updater(), "3"}));
    EXPECT_EQ(host.closes, 1);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_NE(readAll(dir / "Update" / "version.ini").find("Update_Version=2.0"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "Update" / "Rovant.new.exe"));
    // The same updater version again: no download.
    const int before = server.Requests("/Rovant.exe");
    host = RecordingHost();
    EXPECT_FALSE(RunUpdateCheck(files, false, host));
    EXPECT_EQ(server.Requests("/Rovant.exe"), before);
}

TEST_F(UpdateCheck, ABadOrMissingHashOrABrokenDownloadKeepsTheOldUpdaterAndTheProgram) {
    std::ofstream(updater()) << "old updater";
    const std::string wrong(64, '0');
    const std::string none;
    struct Case {
        const char* what;
        std::function<void()> set;
        UINT message;
    };
    const std::vector<Case> cases = {
        {"wrong hash", [&] { publish({"9.0.0"}, "9.0.0", "2.0", &wrong); }, IDS_UPDATE_HASH_FAILED},
        {"no hash", [&] { publish({"9.0.0"}, "9.0.0", "2.0", &none); }, IDS_UPDATE_HASH_FAILED},
        {"404", [&] { publish({"9.0.0"}, "9.0.0"); server.Serve("/Rovant.exe", "", suite_test::LoopbackHttpServer::Mode::Whole, 404); },
         IDS_UPDATE_FETCH_FAILED},
        {"cut body", [&] { publish({"9.0.0"}, "9.0.0"); server.Serve("/Rovant.exe", kUpdater, suite_test::LoopbackHttpServer::Mode::Cut); },
         IDS_UPDATE_FETCH_FAILED},
    };
    for (const Case& c : cases) {
        host = RecordingHost();
        c.set();
        EXPECT_TRUE(RunUpdateCheck(files, false, host)) << c.what;
        EXPECT_EQ(host.messages, (std::vector<UINT>{c.message})) << c.what;
        EXPECT_TRUE(host.started.empty()) << c.what;
        EXPECT_EQ(host.closes, 0) << c.what;
        EXPECT_EQ(readAll(updater()), "old updater") << c.what;
        EXPECT_FALSE(fs::exists(dir / "Update" / "Rovant.new.exe")) << c.what;
        EXPECT_NE(readAll(dir / "Update" / "version.ini").find("Update_Version=1.0"), std::string::npos) << c.what;
    }
}

TEST_F(UpdateCheck, FailuresAreReportedToTheUserAndQuietOtherwise) {
    // No address file.
    fs::remove(dir / "Update" / "Stelby.dll");
    EXPECT_TRUE(RunUpdateCheck(files, true, host));
    EXPECT_EQ(host.messages, (std::vector<UINT>{IDS_UPDATE_DAMAGED})) << "shown in both modes";
    // The description cannot be fetched: missing, cut, stalled.
    std::ofstream(dir / "Update" / "Stelby.dll") << server.Url("/task.ini");
    server.Serve("/task.ini", "", suite_test::LoopbackHttpServer::Mode::Whole, 404);
    host = RecordingHost();
    EXPECT_TRUE(RunUpdateCheck(files, false, host));
    EXPECT_EQ(host.messages, (std::vector<UINT>{IDS_UPDATE_NETWORK}));
    host = RecordingHost();
    EXPECT_TRUE(RunUpdateCheck(files, true, host));
    EXPECT_TRUE(host.messages.empty());
    server.Serve("/task.ini", std::string(5000, ';'), suite_test::LoopbackHttpServer::Mode::Stall);
    host = RecordingHost();
    EXPECT_TRUE(RunUpdateCheck(files, false, host));
    EXPECT_EQ(host.messages, (std::vector<UINT>{IDS_UPDATE_NETWORK}));
    // Silent mode asks before the dialog; No ends it and deletes the description.
    publish({"9.0.0"}, "9.0.0");
    host = RecordingHost();
    host.answer = IDNO;
    EXPECT_TRUE(RunUpdateCheck(files, true, host));
    EXPECT_EQ(host.messages, (std::vector<UINT>{IDS_UPDATE_ASK}));
    EXPECT_EQ(host.dialogs, 0);
    EXPECT_FALSE(taskLeft());
    // The updater does not start: said so, the program stays.
    host = RecordingHost();
    host.startWorks = false;
    EXPECT_TRUE(RunUpdateCheck(files, false, host));
    EXPECT_EQ(host.messages, (std::vector<UINT>{IDS_UPDATE_START_FAILED}));
    EXPECT_EQ(host.closes, 0);
}

TEST_F(UpdateCheck, OneCheckRunsAtATime) {
    server.Serve("/task.ini", "x", suite_test::LoopbackHttpServer::Mode::Stall);
    RecordingHost second;
    ASSERT_TRUE(StartUpdateCheck(files, false, &host));
    EXPECT_FALSE(StartUpdateCheck(files, false, &second)) << "a second check is refused while one runs";
    EXPECT_TRUE(UpdateCheckRunning());
    EXPECT_TRUE(WaitForUpdateCheck(8000));
    EXPECT_EQ(host.messages, (std::vector<UINT>{IDS_UPDATE_NETWORK}));
    EXPECT_TRUE(second.messages.empty());
    ASSERT_TRUE(StartUpdateCheck(files, true, &second)) << "the next one may start";
    EXPECT_TRUE(WaitForUpdateCheck(8000));
}

TEST_F(UpdateCheck, TheDialogShowsTheNewestEntry) {
    publish({"8.1.5", "8.2.0"}, "8.2.0");
    ASSERT_EQ(URLDownloadToFileA(nullptr, server.Url("/task.ini").c_str(), files.Task().c_str(), 0, nullptr), S_OK);
    CUpdateDialogController c(files.Task(), 1);
    c.Load();
    EXPECT_EQ(c.VersionText(), "8.2.0");
    EXPECT_EQ(c.Notes(), "first\r\nsecond");
    EXPECT_EQ(c.Chosen(), 0);
    c.Accept();
    EXPECT_EQ(c.Chosen(), 2);
    CUpdateDialogController missing(files.folder + "none.ini", 1);
    missing.Load();
    EXPECT_EQ(missing.VersionText(), "");
    EXPECT_EQ(missing.Newest(), 0);
}
