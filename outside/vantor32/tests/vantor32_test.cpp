// The scanner glue against SANE's test backend, loaded by name and called by
// its decorated entry names as the programs call it: pages as packed DIBs at
// the scan resolution, the state messages around a run, the feeder's ten
// pages, one run at a time, stopping, failures told on the program's thread,
// and the settings and source dialogs.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/afx/ui/tests/pump_until.h"
#include "outside/include/vantor32.h"
#include "outside/scan/tests/sane_test_device.h"
#include "outside/vantor32/source_dialogs.h"
#include "outside/vantor32/source_settings.h"
#include "platform/afx/afxwin.h"
#include "platform/afx/ui/controls.h"
#include "platform/afx/ui/msgbox.h"
#include "platform/win/library.h"
#include "platform/win/memory.h"
#include "platform/win/registry.h"

namespace fs = std::filesystem;

namespace {

constexpr UINT kPageMessage = WM_USER + 257;

struct Page {
    std::vector<BYTE> dib;
    LPARAM number = 0;
    int width() const { return int(read32(4)); }
    int height() const { return int(read32(8)); }
    int bits() const { return dib[14] | (dib[15] << 8); }
    std::uint32_t perMetre() const { return read32(24); }
    std::uint32_t read32(std::size_t at) const {
        std::uint32_t v;
        std::memcpy(&v, dib.data() + at, 4);
        return v;
    }
};

// The program's window: keeps what the glue posts and offers the rest to it.
class Receiver : public CWnd {
public:
    std::vector<WPARAM> states;
    std::vector<Page> pages;
    int reports = 0;
    PFN_PROCESSTWMESSAGE process = nullptr;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == VANTOR_STATE_MESSAGE) {
            states.push_back(wParam);
            return 1;
        }
        if (message == kPageMessage) {
            auto block = reinterpret_cast<HGLOBAL>(wParam);
            Page page;
            const BYTE* bytes = static_cast<const BYTE*>(GlobalLock(block));
            page.dib.assign(bytes, bytes + GlobalSize(block));
            GlobalUnlock(block);
            GlobalFree(block);  // the message owns the page
            page.number = lParam;
            pages.push_back(std::move(page));
            return 1;
        }
        MSG msg{};
        msg.hwnd = m_hWnd;
        msg.message = message;
        msg.wParam = wParam;
        msg.lParam = lParam;
        if (process && process(&msg, m_hWnd)) {
            ++reports;
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

// A whole feeder run may take this long on a loaded machine.
constexpr int kScanWaitMs = 20000;

class GlueTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("vantor32_test_" + std::to_string(::getpid()));
        scantest::PrepareSaneTestDevice(folder_ / "sane", readStatus());
        // The scanner lock is a named object shared by every program of the
        // runtime folder: a private one keeps parallel test processes from
        // waiting on each other's scans.
        fs::create_directories(folder_ / "runtime");
        setenv("SUITE_RUNTIME_DIR", (folder_ / "runtime").c_str(), 1);
        setenv("SUITE_REGISTRY_USER", (folder_ / "user.db").c_str(), 1);
        unsetenv("SUITE_SCAN_DEVICE");
        AfxWinInit();
        AfxTestScript::Enable(true);
        AfxTestScript::Clear();
        module_ = LoadLibraryA(VANTOR32_DLL);
        ASSERT_NE(module_, nullptr);
        init_ = entry<PFN_TWINITIALIZE>("_TWInitialize@20");
        level_ = entry<PFN_SETMESSAGELEVEL>("_SetMessageLevel@4");
        openDsm_ = entry<PFN_TWOPENDSM>("_TWOpenDSM@0");
        selectDs_ = entry<PFN_TWSELECTDS>("_TWSelectDS@0");
        closeDsm_ = entry<PFN_TWCLOSEDSM>("_TWCloseDSM@4");
        acquire_ = entry<PFN_TWACQUIRE>("_TWAcquire@12");
        isOpen_ = entry<PFN_TWISDSOPEN>("_TWIsDSOpen@0");
        resetId_ = entry<PFN_RESETID>("_ResetID@0");
        close_ = entry<PFN_CLOSECONNECTION>("_CloseConnection@4");
        window_.process = entry<PFN_PROCESSTWMESSAGE>("_ProcessTWMessage@8");
        ASSERT_TRUE(window_.CreateEx(0, nullptr, "Scans", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr));
        TW_IDENTITY id = Identity();
        ASSERT_EQ(init_(&id, window_.GetSafeHwnd(), 1, "C:\\work\\~temp.bmp", kPageMessage), 1);
        level_(1);
    }
    void TearDown() override {
        if (close_) close_(0);
        if (window_.GetSafeHwnd()) window_.DestroyWindow();
        AfxPumpMessages();
        AfxTestScript::Clear();
        if (module_) FreeLibrary(module_);
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    virtual std::string readStatus() const { return "Default"; }

    template <typename F>
    F entry(const char* name) {
        auto f = reinterpret_cast<F>(GetProcAddress(module_, name));
        EXPECT_NE(f, nullptr) << name;
        return f;
    }
    static TW_IDENTITY Identity() {
        TW_IDENTITY id{};
        id.Version.MajorNum = 1;
        id.Version.MinorNum = 5;
        id.Version.Language = TWLG_USA;
        id.Version.Country = TWCY_CHINA;
        id.SupportedGroups = DG_CONTROL | DG_IMAGE;
        std::strcpy(id.ProductName, "Test program");
        return id;
    }
    static void Settings(int mode, bool feeder, int dpi = 300) {
        vantor::SourceSettings s;
        s.mode = mode;
        s.feeder = feeder;
        s.resolution = dpi;
        ASSERT_TRUE(vantor::WriteSourceSettings(s));
    }
    // Runs one acquisition without the settings dialog; false when it did not start or end.
    bool Scan(int allPages = 1) {
        const std::size_t before = window_.states.size();
        if (acquire_(window_.GetSafeHwnd(), 0, allPages) != 1) return false;
        return PumpUntil([&] { return window_.states.size() >= before + 2 && window_.states.back() == 0; }, kScanWaitMs);
    }

    fs::path folder_;
    HMODULE module_ = nullptr;
    Receiver window_;
    PFN_TWINITIALIZE init_ = nullptr;
    PFN_SETMESSAGELEVEL level_ = nullptr;
    PFN_TWOPENDSM openDsm_ = nullptr;
    PFN_TWSELECTDS selectDs_ = nullptr;
    PFN_TWCLOSEDSM closeDsm_ = nullptr;
    PFN_TWACQUIRE acquire_ = nullptr;
    PFN_TWISDSOPEN isOpen_ = nullptr;
    PFN_RESETID resetId_ = nullptr;
    PFN_CLOSECONNECTION close_ = nullptr;
};

TEST_F(GlueTest, EachModeArrivesAtItsDepthAndTheScanResolution) {
    struct Case {
        int mode;
        int bits;
    } cases[] = {{1, 8}, {0, 24}, {2, 1}};
    for (const Case& c : cases) {
        Settings(c.mode, false);
        window_.pages.clear();
        window_.states.clear();
        ASSERT_TRUE(Scan()) << "mode " << c.mode;
        ASSERT_EQ(window_.pages.size(), 1u) << "the flatbed gives one page";
        EXPECT_EQ(window_.states, (std::vector<WPARAM>{1, 0}));
        const Page& p = window_.pages[0];
        EXPECT_EQ(p.number, 1);
        EXPECT_EQ(p.width(), 944);
        EXPECT_EQ(p.height(), 1181);
        EXPECT_EQ(p.bits(), c.bits);
        EXPECT_EQ(p.perMetre(), 11811u) << "300 dpi";
        const std::size_t table = c.bits == 1 ? 2 : c.bits == 8 ? 256 : 0;
        const std::size_t row = ((std::size_t(p.width()) * std::size_t(c.bits) + 31) / 32) * 4;
        EXPECT_EQ(p.dib.size(), 40 + 4 * table + row * std::size_t(p.height()));
    }
    EXPECT_EQ(isOpen_(), 0);
}

// Grey and black-and-white pages hold the device's rows, bottom-up, as
// scanimage writes them; black stays black.
TEST_F(GlueTest, PixelsAreTheDevicesRowsBottomUp) {
    const fs::path ref = folder_ / "ref";
    fs::create_directories(ref);
    for (int mode : {1, 2}) {
        Settings(mode, false);
        window_.pages.clear();
        ASSERT_TRUE(Scan());
        ASSERT_EQ(window_.pages.size(), 1u);
        const std::string depth = mode == 1 ? "8" : "1";
        const fs::path file = ref / ("page" + depth + ".pnm");
        const std::string command = "scanimage -d test:0 --format=pnm --mode Gray --depth " + depth +
                                    " --resolution 300 > '" + file.string() + "' 2>/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0);
        scantest::Pnm pnm;
        ASSERT_TRUE(scantest::ReadPnm(file, pnm));
        const Page& p = window_.pages[0];
        ASSERT_EQ(pnm.width, p.width());
        ASSERT_EQ(pnm.height, p.height());
        const std::size_t row = ((std::size_t(p.width()) * std::size_t(p.bits()) + 31) / 32) * 4;
        const BYTE* pixels = p.dib.data() + 40 + (mode == 1 ? 1024 : 8);
        std::size_t differing = 0, black = 0;
        for (int y = 0; y < pnm.height; ++y)
            for (int x = 0; x < pnm.width; ++x) {
                const BYTE* r = pixels + std::size_t(pnm.height - 1 - y) * row;
                // 1-bit: value 1 is the table's black entry.
                const BYTE got = mode == 1 ? r[x] : ((r[x / 8] >> (7 - x % 8)) & 1 ? 0 : 255);
                const BYTE want = pnm.samples[std::size_t(y) * std::size_t(pnm.width) + std::size_t(x)];
                differing += got != want;
                black += want == 0;
            }
        EXPECT_EQ(differing, 0u) << "depth " << depth;
        EXPECT_GT(black, 0u) << "the picture has black parts";
    }
}

TEST_F(GlueTest, TheFeederRunsEmptyAfterTenPagesAndOnlyOneRunAtATime) {
    Settings(1, true, 75);
    ASSERT_EQ(acquire_(window_.GetSafeHwnd(), 0, 1), 1);
    EXPECT_EQ(isOpen_(), 1);
    EXPECT_EQ(acquire_(window_.GetSafeHwnd(), 0, 1), 0) << "a second run while one is busy";
    ASSERT_TRUE(PumpUntil([&] { return window_.states.size() >= 2; }, kScanWaitMs));
    EXPECT_EQ(window_.states, (std::vector<WPARAM>{1, 0}));
    ASSERT_EQ(window_.pages.size(), 10u);
    for (std::size_t i = 0; i < 10; ++i) EXPECT_EQ(window_.pages[i].number, LPARAM(i + 1));
    EXPECT_EQ(window_.reports, 0) << "an empty feeder after pages is no failure";
    EXPECT_EQ(isOpen_(), 0);
    // One page only when the program asks for one.
    window_.pages.clear();
    ASSERT_TRUE(Scan(0));
    EXPECT_EQ(window_.pages.size(), 1u);
}

TEST_F(GlueTest, CloseConnectionStopsARunAndPagesOfAGoneWindowAreReleased) {
    Settings(0, true, 150);
    ASSERT_EQ(acquire_(window_.GetSafeHwnd(), 0, 1), 1);
    close_(0);  // returns once the worker has ended
    EXPECT_EQ(isOpen_(), 0);
    // Pages still queued go with the window (the sanitizer build sees any leak).
    window_.DestroyWindow();
    AfxPumpMessages();
    EXPECT_LT(window_.pages.size(), 10u);
    // Not initialised any more: nothing starts.
    EXPECT_EQ(acquire_(nullptr, 0, 1), 0);
}

TEST_F(GlueTest, TheSettingsDialogChoosesTheModeAndItsCancelStartsNothing) {
    Settings(1, false);
    AfxTestScript::QueueAnswer(IDCANCEL);
    EXPECT_EQ(acquire_(window_.GetSafeHwnd(), 1, 1), 0);
    AfxPumpMessages();
    EXPECT_TRUE(window_.states.empty());

    AfxTestScript::QueueDialogAction(
        [](CWnd* dialog, void*) {
            dialog->SendDlgItemMessage(vantor::kModeListId, CB_SETCURSEL, 0);  // colour
            dialog->SetDlgItemText(vantor::kResolutionId, "100");
        },
        nullptr);
    AfxTestScript::QueueAnswer(IDOK);
    ASSERT_EQ(acquire_(window_.GetSafeHwnd(), 1, 1), 1);
    ASSERT_TRUE(PumpUntil([&] { return window_.states.size() >= 2; }, kScanWaitMs));
    ASSERT_EQ(window_.pages.size(), 1u);
    EXPECT_EQ(window_.pages[0].bits(), 24);
    EXPECT_EQ(window_.pages[0].perMetre(), 3937u) << "100 dpi";
    const vantor::SourceSettings kept = vantor::ReadSourceSettings();
    EXPECT_EQ(kept.mode, 0);
    EXPECT_EQ(kept.resolution, 100);

    // A resolution out of range keeps the dialog from closing with OK.
    AfxTestScript::QueueDialogAction(
        [](CWnd* dialog, void*) { dialog->SetDlgItemText(vantor::kResolutionId, "9"); }, nullptr);
    AfxTestScript::QueueAnswer(IDOK);
    EXPECT_EQ(acquire_(window_.GetSafeHwnd(), 1, 1), 0);
    EXPECT_EQ(vantor::ReadSourceSettings().resolution, 100);
}

// The dialogs open on the stored settings; with $VANTOR32_GRAB_DIR set their
// pictures are written there for a person to look at.
TEST_F(GlueTest, TheDialogsOpenOnTheStoredSettings) {
    Settings(2, true, 600);
    struct Seen {
        std::string device, mode, resolution;
        LRESULT feeder = 0;
    };
    static Seen seen;
    AfxTestScript::QueueDialogAction(
        [](CWnd* dialog, void*) {
            CString text;
            dialog->GetDlgItemText(vantor::kDeviceListId, text);
            seen.device = text.GetString();
            dialog->GetDlgItemText(vantor::kModeListId, text);
            seen.mode = text.GetString();
            dialog->GetDlgItemText(vantor::kResolutionId, text);
            seen.resolution = text.GetString();
            seen.feeder = dialog->SendDlgItemMessage(vantor::kFeederId, BM_GETCHECK);
            if (const char* folder = std::getenv("VANTOR32_GRAB_DIR"))
                dialog->GrabToFile((std::string(folder) + "/scanner_settings.png").c_str());
        },
        nullptr);
    AfxTestScript::QueueAnswer(IDCANCEL);
    EXPECT_EQ(acquire_(window_.GetSafeHwnd(), 1, 1), 0);
    EXPECT_EQ(seen.device, "test:0");
    EXPECT_EQ(seen.mode, "Black and white");
    EXPECT_EQ(seen.resolution, "600");
    EXPECT_EQ(seen.feeder, BST_CHECKED);

    static LRESULT chosen;
    chosen = LB_ERR;
    ASSERT_EQ(openDsm_(), 1);
    AfxTestScript::QueueDialogAction(
        [](CWnd* dialog, void*) {
            chosen = dialog->SendDlgItemMessage(vantor::kDeviceListId, LB_GETCURSEL);
            if (const char* folder = std::getenv("VANTOR32_GRAB_DIR"))
                dialog->GrabToFile((std::string(folder) + "/select_source.png").c_str());
        },
        nullptr);
    AfxTestScript::QueueAnswer(IDCANCEL);
    EXPECT_EQ(selectDs_(), 0);
    EXPECT_EQ(chosen, 0) << "the current source is selected";
    closeDsm_(0);
}

TEST_F(GlueTest, TheSourceIsChosenOnlyWithTheManagerOpen) {
    EXPECT_EQ(selectDs_(), 0);
    ASSERT_EQ(openDsm_(), 1);
    AfxTestScript::QueueAnswer(IDCANCEL);
    EXPECT_EQ(selectDs_(), 0);
    AfxTestScript::QueueAnswer(IDOK);
    EXPECT_EQ(selectDs_(), 1);
    EXPECT_EQ(vantor::ReadSourceSettings().device, "test:0");
    closeDsm_(0);
    EXPECT_EQ(selectDs_(), 0);
    resetId_();
    Settings(1, false);
    EXPECT_TRUE(Scan());
}

TEST(SourceSettings, StoredValuesOutOfRangeReadAsDefaults) {
    const fs::path folder = fs::temp_directory_path() / ("vantor32_settings_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    setenv("SUITE_REGISTRY_USER", (folder / "user.db").c_str(), 1);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, VANTOR_SOURCE_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    for (auto [name, value] : {std::pair{"Mode", DWORD(7)}, {"Resolution", DWORD(0)}, {"Feeder", DWORD(2)}})
        RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
    const vantor::SourceSettings s = vantor::ReadSourceSettings();
    EXPECT_EQ(s.mode, 1);
    EXPECT_EQ(s.resolution, 300);
    EXPECT_FALSE(s.feeder);
    EXPECT_EQ(vantor::DeviceToUse(s, {}), "");
    EXPECT_EQ(vantor::DeviceToUse(s, {"a:0", "b:1"}), "a:0");
    vantor::SourceSettings chosen = s;
    chosen.device = "b:1";
    EXPECT_EQ(vantor::DeviceToUse(chosen, {"a:0", "b:1"}), "b:1");
    chosen.device = "gone:2";
    EXPECT_EQ(vantor::DeviceToUse(chosen, {"a:0", "b:1"}), "a:0") << "a device no longer there";
    std::error_code ec;
    fs::remove_all(folder, ec);  // with the database's journal files
}

// SANE's test backend reads its jam setting when SANE starts, once a
// process: the jammed scan runs in a fresh copy of this test program (within
// a bound), whatever ran in this one before.
constexpr const char* kJamChild = "VANTOR32_JAM_CHILD";

class JammedGlueTest : public GlueTest {
protected:
    std::string readStatus() const override { return "SANE_STATUS_JAMMED"; }

    // Runs this test alone in a new process and fails with its output when
    // the child failed. The test backend stops its reader thread by
    // asynchronous cancellation; when that lands while the reader holds a C
    // library lock (inside malloc or setlocale) the child hangs for good in
    // SANE's cancel or at exit. Such a hang is the outside library's, so a
    // hung child is killed and the run tried again, a few times at most.
    static void RunInFreshProcess() {
        constexpr int kTries = 3;
        for (int attempt = 1; attempt <= kTries; ++attempt) {
            std::string output;
            const Child child = RunChild(output);
            if (child == Child::Hung) {
                std::cerr << "the jammed scan's child hung in the scanner library (try " << attempt << ")\n";
                continue;
            }
            EXPECT_EQ(child, Child::Passed) << output;
            return;
        }
        ADD_FAILURE() << "the jammed scan's child hung " << kTries << " times";
    }

private:
    enum class Child { Passed, Failed, Hung };

    static Child RunChild(std::string& text) {
        const fs::path output =
            fs::temp_directory_path() / ("vantor32_jam_child_" + std::to_string(::getpid()) + ".txt");
        const std::string filter = "--gtest_filter=JammedGlueTest.AJamIsToldOnTheProgramsThread";
        const pid_t pid = ::fork();
        if (pid == 0) {
            const int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (fd >= 0) {
                ::dup2(fd, 1);
                ::dup2(fd, 2);
            }
            ::setenv(kJamChild, "1", 1);
            ::execl("/proc/self/exe", "vantor32_tests", filter.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        if (pid < 0) {
            text = "fork failed";
            return Child::Failed;
        }
        int status = 0;
        bool hung = false;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (::waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &status, 0);
                hung = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        {
            std::ifstream in(output);
            text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        std::error_code ec;
        fs::remove(output, ec);
        // A killed child leaves its scratch folder (named after its process).
        fs::remove_all(fs::temp_directory_path() / ("vantor32_test_" + std::to_string(pid)), ec);
        if (hung) return Child::Hung;
        return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? Child::Passed : Child::Failed;
    }
};

TEST_F(JammedGlueTest, AJamIsToldOnTheProgramsThread) {
    if (!std::getenv(kJamChild)) {
        RunInFreshProcess();
        return;
    }
    Settings(1, true, 75);
    ASSERT_TRUE(Scan());
    EXPECT_TRUE(window_.pages.empty());
    ASSERT_TRUE(PumpUntil([&] { return window_.reports == 1; }, 5000));
    const std::vector<AfxShownRecord> shown = AfxTestScript::Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, "message");
    EXPECT_NE(shown[0].text.find("jammed"), std::string::npos) << shown[0].text;
}

}  // namespace
