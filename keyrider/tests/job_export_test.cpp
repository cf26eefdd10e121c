// Export of the button settings: the golden file, no buttons, a fresh file
// each time, and a failed or killed export keeping the previous file.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "keyrider/job_export.h"
#include "platform/win/registry.h"
#include "platform/win/registry_export.h"

namespace fs = std::filesystem;

namespace {

const char* const kApp = "Software\\Selvint Corp\\bin\\Keyrider";

class JobExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/jobexport-XXXXXX";
        dir_ = mkdtemp(pattern);
        setenv("SUITE_REGISTRY_USER", (dir_ / "user.db").c_str(), 1);
        setenv("SUITE_REGISTRY_MACHINE", (dir_ / "machine.db").c_str(), 1);
        ini_ = (dir_ / "Keyrider.ini").string();
    }
    void TearDown() override { fs::remove_all(dir_); }

    HKEY Create(const std::string& path) {
        HKEY k = nullptr;
        EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
                  ERROR_SUCCESS);
        return k;
    }
    static void Text(HKEY k, const char* name, const std::string& v) {
        RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()), DWORD(v.size() + 1));
    }
    static void Number(HKEY k, const char* name, DWORD v) {
        RegSetValueExA(k, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4);
    }
    static void Bytes(HKEY k, const char* name, DWORD type, const std::string& v) {
        RegSetValueExA(k, name, 0, type, reinterpret_cast<const BYTE*>(v.data()), DWORD(v.size()));
    }
    // Two buttons' settings: a "copy" button with a password and a list, a
    // "filing" button with a nested source key.
    void MakeButtons() {
        HKEY one = Create(std::string(kApp) + "\\copy\\1");
        Text(one, "Description", "Copy to the printer");
        Number(one, "Copies", 2);
        std::string scrambled;
        BYTE v = REGISTRY_EXPORT_SCRAMBLE_START;
        for (char c : std::string("pa55")) {
            scrambled += char(BYTE(c) ^ v);
            v = BYTE(c);
        }
        Bytes(one, "Password", REG_BINARY, scrambled);
        // 45 bytes: two printer names and the list's terminators.
        const std::string list("Front Desk Printer\0Copier on the 2nd Floor!\0\0", 45);
        Bytes(one, "Printers", REG_MULTI_SZ, list);
        HKEY two = Create(std::string(kApp) + "\\filing\\2");
        Text(two, "Description", "File as PDF");
        Number(two, "Source", 4);
        HKEY adf = Create(std::string(kApp) + "\\filing\\2\\ADF");
        Number(adf, "Resolution", 300);
        HKEY gray = Create(std::string(kApp) + "\\filing\\2\\ADF\\Gray");
        Number(gray, "Threshold", -1);
        HKEY after = Create(std::string(kApp) + "\\filing\\2\\Output");
        Text(after, "Folder", "C:\\Scans");
        for (HKEY k : {one, two, adf, gray, after}) RegCloseKey(k);
    }
    std::string Read(const std::string& path) const {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    fs::path dir_;
    std::string ini_;
};

struct Recorder : keyrider::ExportProgress {
    std::vector<int> percents;
    std::vector<std::string> texts;
    void Text(const std::string& t) override { texts.push_back(t); }
    void Percent(int p) override { percents.push_back(p); }
};

TEST_F(JobExportTest, GoldenFile) {
    MakeButtons();
    Recorder progress;
    auto outcome = keyrider::ExportJobIni(kApp, {{1, "copy"}, {2, "filing"}}, ini_, "Exporting to %s", &progress);
    ASSERT_TRUE(outcome.written);
    EXPECT_TRUE(outcome.skipped.empty());
    EXPECT_EQ(Read(ini_), Read(std::string(SUITE_TEST_DATA) + "/keyrider/tests/data/export_golden.ini"));
    EXPECT_EQ(progress.percents, (std::vector<int>{50, 100, 100}));
    EXPECT_EQ(progress.texts.front(), "Exporting to " + ini_);
    for (const auto& entry : fs::directory_iterator(dir_))  // no temporary file is left
        EXPECT_EQ(entry.path().filename().string().find(".export-"), std::string::npos);
}

TEST_F(JobExportTest, NoButtonsGivesTwoKeysAndEachExportStartsAfresh) {
    MakeButtons();
    ASSERT_TRUE(keyrider::ExportJobIni(kApp, {{1, "copy"}}, ini_, "%s", nullptr).written);
    Recorder progress;
    ASSERT_TRUE(keyrider::ExportJobIni(kApp, {}, ini_, "%s", &progress).written);
    EXPECT_EQ(Read(ini_), "[Summary]\r\nRoot key=" + std::string(kApp) + "\r\nUtility Count=0\r\n");
    EXPECT_EQ(progress.percents, (std::vector<int>{100}));
}

TEST_F(JobExportTest, FailedExportKeepsThePreviousFile) {
    std::ofstream(ini_) << "[Summary]\nUtility Count=1\n";
    // A folder where the temporary file would go cannot be written.
    const std::string blocked = (dir_ / "missing" / "Keyrider.ini").string();
    EXPECT_FALSE(keyrider::ExportJobIni(kApp, {}, blocked, "%s", nullptr).written);
    EXPECT_FALSE(fs::exists(blocked));
    EXPECT_EQ(Read(ini_), "[Summary]\nUtility Count=1\n");
}

// The child exports and is killed while the export runs.
struct KillMidway : keyrider::ExportProgress {
    void Text(const std::string&) override {}
    void Percent(int p) override {
        if (p >= 50) ::kill(::getpid(), SIGKILL);
    }
};

TEST_F(JobExportTest, KilledExportKeepsTheOldFile) {
    MakeButtons();
    std::ofstream(ini_) << "old contents\n";
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        KillMidway progress;
        keyrider::ExportJobIni(kApp, {{1, "copy"}, {2, "filing"}}, ini_, "%s", &progress);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(Read(ini_), "old contents\n");
    // The next export replaces the old file and the killed one's leftovers do no harm.
    ASSERT_TRUE(keyrider::ExportJobIni(kApp, {{1, "copy"}, {2, "filing"}}, ini_, "%s", nullptr).written);
    EXPECT_EQ(Read(ini_), Read(std::string(SUITE_TEST_DATA) + "/keyrider/tests/data/export_golden.ini"));
}

TEST_F(JobExportTest, ValuesThatWouldReadBackAsOtherKeysAreReported) {
    HKEY k = Create(std::string(kApp) + "\\copy\\1");
    Text(k, "Description", "two\n[3]\nlines");
    Text(k, "Good", "yes");
    RegCloseKey(k);
    auto outcome = keyrider::ExportJobIni(kApp, {{1, "copy"}}, ini_, "%s", nullptr);
    ASSERT_TRUE(outcome.written);
    ASSERT_EQ(outcome.skipped.size(), 1u);
    EXPECT_NE(outcome.skipped[0].find("Description"), std::string::npos);
    EXPECT_EQ(Read(ini_).find("[3]"), std::string::npos);
}

}  // namespace
