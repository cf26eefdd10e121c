// The scan library's table: start-up with the paper list, the watcher that
// reports the scanner's presence and front-panel buttons, and page scanning.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

#include "outside/include/library_export.h"
#include "outside/scan/device_lock.h"
#include "outside/scan/page_cleanup.h"
#include "outside/scan/sane_device.h"
#include "platform/afx/ui/winuser.h"
#include "platform/win/handles.h"
#include "platform/win/registry.h"
#include "platform/win/sync.h"

namespace {

using namespace std::chrono_literals;

// Devices are opened only while the cross-process device lock is held, so
// that two programs never drive the scanner at once.
constexpr DWORD kPollLockWaitMs = 50;
constexpr DWORD kScanLockWaitMs = 10000;
constexpr auto kButtonPeriod = 200ms;
constexpr auto kPresencePeriod = 2000ms;
constexpr int kMaxPagesPerScan = 100000;

struct Event {
    int type;
    int value;
};

struct State {
    std::mutex lock;
    std::condition_variable wake;
    std::deque<Event> events;
    std::thread watcher;
    bool stop = false;
    std::atomic<bool> scanning{false};
    std::atomic<int> present{0};
    std::atomic<int> lastEnd{SCAN_END_DONE};
    std::atomic<int> blanksDropped{0};
    std::string appKeyPath;  // the button manager's key under HKEY_CURRENT_USER
    SCANSTATUSPROC status = nullptr;
    void* context = nullptr;
    UINT_PTR deliveryTimer = 0;
    bool running = false;
};

State& state() {
    static State s;
    return s;
}

using scan::DeviceLock;

// What the Global Settings dialog stored under the button manager's key:
// the punch-hole fill ("Remove Punch Hole") and the margins to fill ("Edge
// Fill"); without them holes take the paper's colour and no margin is filled.
scan::PageFills ReadPageFills(const std::string& appKeyPath) {
    scan::PageFills fills;
    auto open = [&](const char* sub) {
        HKEY key = nullptr;
        if (appKeyPath.empty() ||
            RegOpenKeyExA(HKEY_CURRENT_USER, (appKeyPath + "\\" + sub).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return HKEY(nullptr);
        return key;
    };
    auto dword = [](HKEY key, const char* name, DWORD fallback) {
        DWORD value = 0, type = 0, size = sizeof value;
        return RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
                       type == REG_DWORD
                   ? value
                   : fallback;
    };
    auto number = [](HKEY key, const char* name) {
        char text[64] = {};
        DWORD type = 0, size = sizeof text - 1;
        if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS ||
            type != REG_SZ)
            return 0.0;
        char* end = nullptr;
        const double v = std::strtod(text, &end);
        return end != text && v > 0 && v < 100 ? v : 0.0;
    };
    if (HKEY key = open("Remove Punch Hole")) {
        fills.holes.custom = dword(key, "Custom", 0) != 0;
        fills.holes.color = dword(key, "Color", 0xFFFFFF) & 0xFFFFFF;
        fills.holes.gray = dword(key, "Gray", 0xFFFFFF) & 0xFFFFFF;
        fills.holes.bw = dword(key, "BW", 0xFFFFFF) & 0xFFFFFF;
        RegCloseKey(key);
    }
    if (HKEY key = open("Edge Fill")) {
        scan::EdgeMargins& m = fills.margins;
        m.enable = dword(key, "Enable", 0) != 0;
        // Flag 2: the installer's metric unit; otherwise inches.
        m.centimetres = (dword(key, "Flag", 4) & 2) != 0;
        m.top = number(key, "Top");
        const bool same = dword(key, "AllSame", 0) != 0;
        m.left = same ? m.top : number(key, "Left");
        m.right = same ? m.top : number(key, "Right");
        m.bottom = same ? m.top : number(key, "Bottom");
        m.color = dword(key, "Color", 0xFFFFFF) & 0xFFFFFF;
        m.gray = dword(key, "Gray", 0xFFFFFF) & 0xFFFFFF;
        m.bw = dword(key, "BW", 0xFFFFFF) & 0xFFFFFF;
        RegCloseKey(key);
    }
    return fills;
}

void post(int type, int value) {
    State& s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    s.events.push_back({type, value});
}

// Runs on the ScanInit thread: hands the queued events to the status callback.
void deliver(HWND, UINT, UINT_PTR, DWORD) {
    State& s = state();
    for (;;) {
        Event e{};
        {
            std::lock_guard<std::mutex> guard(s.lock);
            if (s.events.empty() || !s.status) return;
            e = s.events.front();
            s.events.pop_front();
        }
        s.status(e.type, e.value, s.context);
    }
}

bool scannerThere() { return !scan::ChooseDevice(scan::ListDevices()).empty(); }

void watch() {
    State& s = state();
    auto nextPresence = std::chrono::steady_clock::now();
    std::vector<int> previous;
    bool havePrevious = false;
    for (;;) {
        {
            std::unique_lock<std::mutex> guard(s.lock);
            if (s.wake.wait_for(guard, kButtonPeriod, [&] { return s.stop; })) return;
        }
        if (s.scanning) continue;
        if (std::chrono::steady_clock::now() >= nextPresence) {
            nextPresence = std::chrono::steady_clock::now() + kPresencePeriod;
            int now = scannerThere() ? 1 : 0;
            if (now != s.present.exchange(now)) {
                post(SCAN_STATUS_CONNECTION, now);
                havePrevious = false;
            }
        }
        if (!s.present) continue;
        DeviceLock device(kPollLockWaitMs);
        if (!device.held() || s.scanning) continue;
        scan::SaneDevice scanner;
        if (!scanner.open(scan::ChooseDevice(scan::ListDevices()))) continue;
        std::vector<int> values = scanner.readHardSelect(scanner.hardSelectOptions());
        if (havePrevious && values.size() == previous.size())
            for (std::size_t i = 0; i < values.size(); ++i)
                if (values[i] && !previous[i]) post(SCAN_STATUS_BUTTON, int(i) + 1);
        previous = values;
        havePrevious = true;
    }
}

void stopWatcher() {
    State& s = state();
    {
        std::lock_guard<std::mutex> guard(s.lock);
        s.stop = true;
    }
    s.wake.notify_all();
    if (s.watcher.joinable()) s.watcher.join();
    if (s.deliveryTimer) KillTimer(nullptr, s.deliveryTimer);
    s.deliveryTimer = 0;
    std::lock_guard<std::mutex> guard(s.lock);
    s.events.clear();
    s.status = nullptr;
    s.running = false;
}

int scanInit(LPCSTR appKeyPath, LPCSTR, SCANSTATUSPROC status, KEYRIDER_SETTINGS* settings, void* context) {
    State& s = state();
    if (s.running) stopWatcher();
    s.appKeyPath = appKeyPath ? appKeyPath : "";
    if (!scan::EnsureSaneStarted()) return 0;
    std::string device = scan::ChooseDevice(scan::ListDevices());
    s.present = device.empty() ? 0 : 1;
    if (settings) {
        settings->ScannerPresent = s.present;
        if (!device.empty() && !settings->Papers) {
            DeviceLock lock(kScanLockWaitMs);
            scan::SaneDevice scanner;
            if (lock.held() && scanner.open(device)) {
                std::vector<KEYRIDER_PAPER> papers = scan::PapersFor(scanner);
                if (!papers.empty()) {
                    auto* list = static_cast<KEYRIDER_PAPER*>(std::malloc(papers.size() * sizeof(KEYRIDER_PAPER)));
                    if (list) {
                        std::memcpy(list, papers.data(), papers.size() * sizeof(KEYRIDER_PAPER));
                        settings->Papers = list;
                        settings->PaperCount = DWORD(papers.size());
                    }
                }
            }
        }
    }
    s.status = status;
    s.context = context;
    s.stop = false;
    s.deliveryTimer = SetTimer(nullptr, 0, 50, deliver);
    s.watcher = std::thread(watch);
    std::lock_guard<std::mutex> guard(s.lock);
    s.running = true;
    return 1;
}

// While the watcher runs, its last look (at most one presence period old) is
// the answer: the caller (the button manager's timer on its window thread)
// never waits for the device enumeration, which can take long.
int scanIsScannerPresent() {
    State& s = state();
    {
        std::lock_guard<std::mutex> guard(s.lock);
        if (s.running) return s.present;
    }
    return scannerThere() ? 1 : 0;
}

void scanTerminate() {
    stopWatcher();
    scan::StopSane();
}

int scanPages(SCAN_SETTINGS* settings, SCANPAGEPROC page, void* argument) {
    State& s = state();
    s.lastEnd = SCAN_END_FAILED;
    s.blanksDropped = 0;
    if (!settings || !page) return 0;
    struct Busy {
        std::atomic<bool>& flag;
        explicit Busy(std::atomic<bool>& f) : flag(f) { flag = true; }
        ~Busy() { flag = false; }
    } busy(s.scanning);
    s.lastEnd = SCAN_END_NO_SCANNER;
    DeviceLock lock(kScanLockWaitMs);
    if (!lock.held()) return 0;
    scan::SaneDevice scanner;
    if (!scanner.open(scan::ChooseDevice(scan::ListDevices()))) return 0;
    const bool duplex = scan::ApplySettings(scanner, *settings);
    const scan::PageFills fills = ReadPageFills(s.appKeyPath);
    const bool feeder = scan::IsFeederSource(*settings);
    int pages = 0, sides = 0;
    scan::PageResult read = scan::PageResult::Failed;
    while (sides < kMaxPagesPerScan) {
        IL_IMAGE image{};
        read = scanner.readPage(image, settings->Resolution);
        if (read != scan::PageResult::Page) break;
        // A duplex feeder sends the front, then the rear of each sheet.
        const bool rear = duplex && sides % 2 == 1;
        ++sides;
        // A page the clean-up could not work on is handed on as scanned.
        if (scan::CleanPage(image, *settings, rear, fills) == scan::PageFate::Blank) {
            ++s.blanksDropped;
            delete image.Header;
            std::free(image.Bits);
            if (!feeder) break;
            continue;
        }
        ++pages;
        int goOn = page(&image, argument);
        // What the callback did not free is freed here.
        delete image.Header;
        std::free(image.Bits);
        if (!goOn || !feeder) break;
    }
    scanner.cancel();
    switch (read) {
        case scan::PageResult::Jammed: s.lastEnd = SCAN_END_JAMMED; break;
        case scan::PageResult::Failed: s.lastEnd = SCAN_END_FAILED; break;
        case scan::PageResult::NoMoreDocuments: s.lastEnd = sides == 0 ? SCAN_END_NO_PAPER : SCAN_END_DONE; break;
        default: s.lastEnd = SCAN_END_DONE; break;
    }
    if (pages == 0 && sides > 0 && s.lastEnd == SCAN_END_DONE) s.lastEnd = SCAN_END_ALL_BLANK;
    if (pages == 0) return 0;
    return read == scan::PageResult::Jammed ? SCAN_PAGES_JAMMED : SCAN_PAGES_DONE;
}

int scanLastEnd() { return state().lastEnd; }
int scanBlanksDropped() { return state().blanksDropped; }
int scanEndJob(const BYTE*) { return 1; }
int scanLoadSettings() { return 1; }
int scanSettingsApplied() { return 1; }

SCAN_FUNCTIONTABLE makeTable() {
    SCAN_FUNCTIONTABLE t{};
    t.ScanInit = scanInit;
    t.ScanIsScannerPresent = scanIsScannerPresent;
    t.ScanTerminate = scanTerminate;
    t.ScanPages = scanPages;
    t.ScanLastEnd = scanLastEnd;
    t.ScanBlanksDropped = scanBlanksDropped;
    t.ScanEndJob = scanEndJob;
    t.ScanLoadSettings = scanLoadSettings;
    t.ScanSettingsApplied = scanSettingsApplied;
    return t;
}

const SCAN_FUNCTIONTABLE table = makeTable();

}  // namespace

SUITE_LIBRARY_EXPORT const SCAN_FUNCTIONTABLE* ScanDlgEntry() { return &table; }
