// The program itself: two copies (the second forwards quit and show, or says
// that the scanner is missing), its tray icon as another process sees it, and
// the whole road of a button press on the set-up tool's tree and SANE's test
// device.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "keyrider/setup/machine_tree.h"
#include "keyrider/tests/program_files.h"
#include "outside/scan/tests/sane_test_device.h"
#include "platform/afx/afxwin.h"
#include "platform/win/handles.h"
#include "platform/win/library.h"
#include "platform/win/process.h"
#include "platform/win/registry.h"
#include "platform/win/sync.h"

namespace fs = std::filesystem;

namespace {

using keyridertest::Bin;
using keyridertest::FilesIn;
using keyridertest::ReadAll;

bool StartsAsJpeg(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    unsigned char magic[3] = {};
    in.read(reinterpret_cast<char*>(magic), 3);
    return magic[0] == 0xFF && magic[1] == 0xD8 && magic[2] == 0xFF;
}

bool WaitFor(const std::function<bool()>& done, int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        AfxPumpMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// The page count pdfinfo reads from `file`; -1 when it reads none.
int PdfPages(const fs::path& file) {
    const fs::path info = fs::path(file).concat(".info");
    const std::string command = "pdfinfo '" + file.string() + "' > '" + info.string() + "' 2>&1";
    const int status = std::system(command.c_str());
    const std::string text = ReadAll(info);
    fs::remove(info);
    const std::size_t at = text.find("Pages:");
    return status == 0 && at != std::string::npos ? std::atoi(text.c_str() + at + 6) : -1;
}

class ProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        AfxWinInit();
        char pattern[] = "/tmp/keyrider-process-XXXXXX";
        root_ = mkdtemp(pattern);
        setenv("SUITE_REGISTRY_USER", (root_ / "user.db").c_str(), 1);
        setenv("SUITE_REGISTRY_MACHINE", (root_ / "machine.db").c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("SUITE_TRAY_LOG", (root_ / "tray.log").c_str(), 1);
        options_.programFolder = Bin().string() + "/";
        // Each test has its own product, hence its own instance mutex and window title.
        options_.productName = "Keyrider Test " + std::to_string(::getpid());
        ASSERT_TRUE(keyrider::WriteMachineTree(options_));
        title_ = "Button Configuration (" + options_.productName + ")";
    }
    void TearDown() override {
        if (first_) {
            if (WaitForSingleObject(first_, 0) == WAIT_TIMEOUT) TerminateProcess(first_, 9);
            CloseHandle(first_);
        }
        fs::remove_all(root_);
    }
    void Scanner(bool present) {
        if (present) {
            scantest::PrepareSaneTestDevice(root_ / "sane");
        } else {
            fs::create_directories(root_ / "nosane");
            std::ofstream(root_ / "nosane" / "dll.conf") << "\n";
            setenv("SANE_CONFIG_DIR", (root_ / "nosane").c_str(), 1);
        }
    }
    void StartFirst() {
        first_ = suite::StartProgram((Bin() / "Keyrider").string(), {});
        ASSERT_NE(first_, nullptr);
        ASSERT_TRUE(WaitFor([&] { return FindWindow(nullptr, title_.c_str()) != nullptr; }, 20000));
    }
    // Runs a second copy to its end; its error output.
    std::string Second(const std::string& arguments) {
        const fs::path err = root_ / "second.err";
        const std::string command = "'" + (Bin() / "Keyrider").string() + "' " + arguments + " 2> '" + err.string() + "'";
        int status = std::system(command.c_str());
        (void)status;
        return ReadAll(err);
    }
    // The last change of the first copy's tray icon: "add|modify|delete <pid> <id> <tooltip>".
    std::string TrayState() {
        std::istringstream lines(ReadAll(root_ / "tray.log"));
        std::string line, last;
        while (std::getline(lines, line))
            if (!line.empty()) last = line;
        return last;
    }
    bool TrayShows(const std::string& tooltip) {
        const std::string last = TrayState();
        return last.rfind("delete ", 0) != 0 && last.size() > tooltip.size() &&
               last.compare(last.size() - tooltip.size(), tooltip.size(), tooltip) == 0;
    }
    bool FirstRunning() { return first_ && WaitForSingleObject(first_, 0) == WAIT_TIMEOUT; }

    fs::path root_;
    keyrider::MachineTreeOptions options_;
    std::string title_;
    HANDLE first_ = nullptr;
};

TEST_F(ProcessTest, SetUpToolRefusesABadButtonCountAndNamesTheProductsKey) {
    const std::string setup = "'" + (Bin() / "KeyriderSetup").string() + "' ";
    const fs::path out = root_ / "setup.txt";
    auto run = [&](const std::string& arguments) {
        const int status = std::system((setup + arguments + " > '" + out.string() + "' 2> /dev/null").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    for (const char* bad : {"abc", "3x", "-1", "100", ""}) {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, keyrider::InstallerKeyPath().c_str());
        EXPECT_EQ(run(std::string("/buttons ") + bad), 2) << bad;
        HKEY k = nullptr;
        EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyrider::InstallerKeyPath().c_str(), 0, KEY_READ, &k), ERROR_SUCCESS)
            << bad;
    }
    // The key is the product's, not one named after the folder it was built in.
    EXPECT_EQ(run("'" + Bin().string() + "/' /buttons 3"), 0) << ReadAll(out);
    EXPECT_EQ(ReadAll(out), "Software\\Selvint Corp\\Keyrider\n");
}

TEST_F(ProcessTest, SecondCopyForwardsOnlyQuitAndShow) {
    Scanner(true);
    StartFirst();
    // Started without "/M", the first copy lives in the tray, its window hidden.
    HWND window = FindWindow(nullptr, title_.c_str());
    EXPECT_FALSE(IsWindowVisible(window));
    // The test device is found: the tray shows the connected icon.
    EXPECT_TRUE(WaitFor([&] { return TrayShows("Scanner ready!"); }, 10000)) << TrayState();
    Second("/q x");
    EXPECT_TRUE(FirstRunning());
    EXPECT_FALSE(IsWindowVisible(window));
    Second("/M");
    EXPECT_TRUE(FirstRunning());
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(window) != FALSE; }, 5000));
    Second("/q");
    EXPECT_EQ(WaitForSingleObject(first_, 15000), WAIT_OBJECT_0);  // ended without a question
    EXPECT_EQ(TrayState().rfind("delete ", 0), 0u) << TrayState();  // and its icon went with it
}

TEST_F(ProcessTest, ButtonWithoutScannerInTheSecondCopyShowsMessage15Only) {
    Scanner(false);
    StartFirst();
    EXPECT_TRUE(WaitFor([&] { return TrayShows("Scanner not found!"); }, 10000)) << TrayState();
    std::string err = Second("/B 1");
    // One box, message 15, and nothing asked of the first copy.
    std::size_t first = err.find("message box \"The scanner is not present.");
    EXPECT_NE(first, std::string::npos) << err;
    EXPECT_EQ(err.find("not shown", err.find("not shown", first) + 1), std::string::npos) << err;
    EXPECT_TRUE(FirstRunning());
    Second("/q");
    EXPECT_EQ(WaitForSingleObject(first_, 15000), WAIT_OBJECT_0);
}

TEST_F(ProcessTest, EndToEndAPressRunsTheButtonsJobProgram) {
    Scanner(true);
    // The templates hand their jobs to the recording program.
    const std::string recorder = (Bin() / "keyrider_recording_program").string();
    for (const char* t : {"copy", "filing", "pdf", "e-mail", "custom"}) {
        HKEY k = nullptr;
        std::string path = keyrider::InstallerKeyPath() + "\\Keyrider\\" + t;
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS, &k);
        RegSetValueExA(k, "Program", 0, REG_SZ, reinterpret_cast<const BYTE*>(recorder.c_str()), DWORD(recorder.size() + 1));
        RegCloseKey(k);
    }
    const fs::path record = root_ / "record.txt";
    setenv("KEYRIDER_RECORD_FILE", record.c_str(), 1);
    StartFirst();
    HWND window = FindWindow(nullptr, title_.c_str());
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(WaitFor([&] { return TrayShows("Scanner ready!"); }, 10000)) << TrayState();
    ::PostMessage(window, WM_COMMAND, 32775, 0);
    ASSERT_TRUE(WaitFor([&] { return ReadAll(record).find("ini:") != std::string::npos; }, 20000));
    const std::string text = ReadAll(record);
    EXPECT_NE(text.find("arg: /SKIPBTN\narg: /B\narg: 1\narg: "), std::string::npos) << text;
    EXPECT_NE(text.find("[Summary]"), std::string::npos) << text;
    EXPECT_NE(text.find("1=copy"), std::string::npos) << text;
    EXPECT_NE(text.find("[1]"), std::string::npos) << text;
    EXPECT_NE(text.find("Description=Copy the scanned pages"), std::string::npos) << text;
    EXPECT_NE(text.find("[1\\ADF]"), std::string::npos) << text;
    Second("/q");
    EXPECT_EQ(WaitForSingleObject(first_, 15000), WAIT_OBJECT_0);
}

// A start with "/B" and a job ini scans the test device's feeder (ten pages)
// and files them: ten JPEG files for button 1, one ten-page PDF for button 2.
TEST_F(ProcessTest, EndToEndAJobIniFilesTheFeedersPages) {
    Scanner(true);
    const fs::path ini = root_ / "job.ini", jpegs = root_ / "jpegs", pdfs = root_ / "pdfs";
    std::ofstream(ini) << "[Summary]\n1=filing\n2=PDF\n"
                       << "[1]\nSource=4\nMode=1\nDate And Time=0\n[1\\ADF]\nResolution=75\n[1\\Folder]\n1=" << jpegs.string()
                       << "\n[2]\nSource=4\nMode=1\n[2\\ADF]\nResolution=75\n[2\\Gray]\nFormat=6\nPDF Single File=1\n"
                       << "[2\\Folder]\n1=" << pdfs.string() << "\n";
    first_ = suite::StartProgram((Bin() / "Keyrider").string(), {"/B", "1", ini.string()});
    ASSERT_NE(first_, nullptr);
    // The job runs before the program settles in the tray.
    ASSERT_TRUE(WaitFor([&] { return FindWindow(nullptr, title_.c_str()) != nullptr; }, 60000));
    std::vector<fs::path> jpegFiles = FilesIn(jpegs);
    ASSERT_EQ(jpegFiles.size(), 10u);
    EXPECT_EQ(jpegFiles.front().filename(), "Image00.jpg");
    EXPECT_EQ(jpegFiles.back().filename(), "Image09.jpg");
    for (const fs::path& f : jpegFiles) EXPECT_TRUE(StartsAsJpeg(f)) << f;
    Second("/q");
    ASSERT_EQ(WaitForSingleObject(first_, 15000), WAIT_OBJECT_0);
    CloseHandle(first_);
    // Killed while it makes its PDF file, the job leaves nothing under the
    // file's name; its folder of pages and its half-made file go at the next
    // start, while the folder of a job still running (this process's) stays.
    const fs::path tmp = root_ / "tmp";
    fs::create_directories(tmp);
    setenv("TMPDIR", tmp.c_str(), 1);
    auto named = [&] {
        std::vector<fs::path> files;
        for (const fs::path& f : FilesIn(pdfs))
            if (f.filename().string().find(".~") == std::string::npos) files.push_back(f);
        return files;
    };
    first_ = suite::StartProgram((Bin() / "Keyrider").string(), {"/B", "2", ini.string()});
    ASSERT_NE(first_, nullptr);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    auto joining = [&] {
        for (const fs::path& f : FilesIn(pdfs)) {
            std::error_code ec;
            if (fs::file_size(f, ec) > 0) return true;
        }
        return false;
    };
    while (!joining() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    TerminateProcess(first_, 9);
    ASSERT_EQ(WaitForSingleObject(first_, 15000), WAIT_OBJECT_0);
    CloseHandle(first_);
    first_ = nullptr;
    ASSERT_FALSE(FilesIn(pdfs).empty());
    for (const fs::path& f : named()) EXPECT_EQ(PdfPages(f), 10) << f;  // only a whole file has a name
    std::vector<fs::path> killed = FilesIn(tmp);
    std::erase_if(killed, [](const fs::path& f) { return f.filename().string().rfind("keyrider-job-", 0) != 0; });
    ASSERT_EQ(killed.size(), 1u) << "the killed job's folder of pages";
    const fs::path running = tmp / ("keyrider-job-" + std::to_string(::getpid()) + "-Kq3x9Z");
    fs::create_directories(running);
    std::ofstream(running / "page001.jpg") << "a page";

    first_ = suite::StartProgram((Bin() / "Keyrider").string(), {"/B", "2", ini.string()});
    ASSERT_TRUE(WaitFor([&] { return FindWindow(nullptr, title_.c_str()) != nullptr; }, 60000));
    EXPECT_FALSE(fs::exists(killed[0]));
    EXPECT_TRUE(fs::exists(running / "page001.jpg"));
    std::vector<fs::path> pdfFiles = named();
    for (const fs::path& f : FilesIn(pdfs))
        EXPECT_FALSE(f.extension() == ".pdf" && f.filename().string().find(".~") != std::string::npos) << f;
    ASSERT_GE(pdfFiles.size(), 1u);
    for (const fs::path& f : pdfFiles) EXPECT_EQ(PdfPages(f), 10) << f;
    Second("/q");
    EXPECT_EQ(WaitForSingleObject(first_, 15000), WAIT_OBJECT_0);
}

// A press in the running copy goes through the button's template: it writes
// the button's settings into a job ini and starts the program's own job, which
// files the test device's ten pages as a "/B" start does.
TEST_F(ProcessTest, EndToEndAPressInTheRunningCopyFilesThePagesThroughTheTemplate) {
    Scanner(true);
    StartFirst();
    HWND window = FindWindow(nullptr, title_.c_str());
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitFor([&] { return TrayShows("Scanner ready!"); }, 10000)) << TrayState();
    // Button 2 runs the "filing" template; its settings as the set-up dialogs leave them.
    const fs::path jpegs = root_ / "jpegs";
    const std::string button = keyrider::InstallerKeyPath() + "\\Keyrider\\filing\\2";
    auto number = [](HKEY k, const char* name, DWORD v) {
        RegSetValueExA(k, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
    };
    HKEY k = nullptr, folder = nullptr, adf = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, button.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    number(k, "Source", 4);
    number(k, "Mode", 1);
    number(k, "Date And Time", 0);
    RegCreateKeyExA(k, "Folder", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &folder, nullptr);
    RegSetValueExA(folder, "1", 0, REG_SZ, reinterpret_cast<const BYTE*>(jpegs.c_str()), DWORD(jpegs.string().size() + 1));
    RegCreateKeyExA(k, "ADF", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &adf, nullptr);
    number(adf, "Resolution", 75);
    number(adf, "Mode", 1);
    for (HKEY h : {adf, folder, k}) RegCloseKey(h);
    ::PostMessage(window, WM_COMMAND, 32776, 0);
    ASSERT_TRUE(WaitFor([&] { return FilesIn(jpegs).size() >= 10; }, 90000)) << FilesIn(jpegs).size();
    // The job ends with the last page: no eleventh file comes.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const std::vector<fs::path> files = FilesIn(jpegs);
    ASSERT_EQ(files.size(), 10u);
    EXPECT_EQ(files.front().filename(), "Image00.jpg");
    EXPECT_EQ(files.back().filename(), "Image09.jpg");
    for (const fs::path& f : files) EXPECT_TRUE(StartsAsJpeg(f)) << f;
    EXPECT_TRUE(FirstRunning());
    Second("/q");
    EXPECT_EQ(WaitForSingleObject(first_, 15000), WAIT_OBJECT_0);
}

}  // namespace
