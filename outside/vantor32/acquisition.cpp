#include "outside/vantor32/acquisition.h"

#include <cstring>
#include <utility>

#include "outside/include/keyrider_scan.h"
#include "outside/include/vantor32.h"
#include "outside/scan/device_lock.h"
#include "outside/scan/dib_packing.h"
#include "outside/scan/sane_device.h"
#include "platform/afx/ui/winuser.h"
#include "platform/win/memory.h"

namespace vantor {
namespace {

// The longest a run waits for another program to let go of the scanner.
constexpr DWORD kDeviceLockWaitMs = 10000;
// A feeder that never runs empty still ends the run.
constexpr int kMaxPagesPerRun = 10000;

void freePage(WPARAM wParam, LPARAM) { GlobalFree(reinterpret_cast<HGLOBAL>(wParam)); }

// The frame as a movable block holding its packed DIB; null when it cannot be packed.
HGLOBAL packPage(const scan::RawFrame& frame, int dpi) {
    scan::FrameLayout layout;
    layout.colour = frame.params.format == SANE_FRAME_RGB;
    layout.depth = frame.params.depth;
    layout.pixelsPerLine = frame.params.pixels_per_line;
    layout.bytesPerLine = frame.params.bytes_per_line;
    const std::size_t size = scan::PackedDibSize(layout, frame.bytes.size());
    if (!size) return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block) return nullptr;
    auto* bytes = static_cast<BYTE*>(GlobalLock(block));
    const bool packed = bytes && scan::PackDib(layout, frame.bytes.data(), frame.bytes.size(), dpi, bytes);
    if (bytes) GlobalUnlock(block);
    if (!packed) {
        GlobalFree(block);
        return nullptr;
    }
    return block;
}

}  // namespace

bool Acquisition::Start(HWND window, UINT pageMessage, UINT reportMessage, const SourceSettings& settings,
                        bool allPages) {
    if (running_) return false;
    if (worker_.joinable()) worker_.join();  // the last run has ended; its thread is winding down
    stop_ = false;
    running_ = true;
    {
        std::lock_guard<std::mutex> guard(lock_);
        failure_.clear();
    }
    PostMessage(window, VANTOR_STATE_MESSAGE, 1, 0);
    try {
        worker_ = std::thread(&Acquisition::run, this, window, pageMessage, reportMessage, settings, allPages);
    } catch (...) {
        running_ = false;
        PostMessage(window, VANTOR_STATE_MESSAGE, 0, 0);
        return false;
    }
    return true;
}

void Acquisition::Stop() {
    stop_ = true;
    if (worker_.joinable()) worker_.join();
    running_ = false;
}

std::string Acquisition::TakeFailure() {
    std::lock_guard<std::mutex> guard(lock_);
    return std::exchange(failure_, std::string());
}

void Acquisition::fail(const std::string& text) {
    std::lock_guard<std::mutex> guard(lock_);
    failure_ = text;
}

void Acquisition::run(HWND window, UINT pageMessage, UINT reportMessage, SourceSettings settings, bool allPages) {
    {
        scan::DeviceLock deviceLock(kDeviceLockWaitMs);
        scan::SaneDevice device;
        const std::string name = DeviceToUse(settings, scan::ListDevices());
        if (!deviceLock.held()) {
            fail("The scanner is in use by another program.");
        } else if (name.empty()) {
            fail("No scanner was found.");
        } else if (!device.open(name)) {
            fail("The scanner \"" + name + "\" cannot be opened.");
        } else {
            SCAN_SETTINGS applied{};
            applied.Source = settings.feeder ? 3 : 0;
            applied.Mode = settings.mode;
            applied.Resolution = settings.resolution;
            scan::ApplySettings(device, applied);
            // The resolution the device really took goes into each page.
            int dpi = settings.resolution;
            if (auto set = device.getNumber(device.find(SANE_NAME_SCAN_RESOLUTION)); set && *set > 0) dpi = int(*set + 0.5);
            const bool everyPage = settings.feeder && allPages;
            for (int page = 1; page <= kMaxPagesPerRun && !stop_; ++page) {
                scan::RawFrame frame;
                const scan::PageResult result = device.readFrame(frame);
                if (result == scan::PageResult::NoMoreDocuments) {
                    if (page == 1) fail("The document feeder is empty.");
                    break;
                }
                if (result == scan::PageResult::Jammed) {
                    fail("The paper jammed in the scanner.");
                    break;
                }
                if (result == scan::PageResult::Cancelled) break;
                if (result != scan::PageResult::Page) {
                    fail("The scanner failed to deliver the page.");
                    break;
                }
                HGLOBAL dib = packPage(frame, dpi);
                frame = scan::RawFrame{};
                if (!dib) {
                    fail("The scanned page is too large.");
                    break;
                }
                if (!AfxPostMessageOwned(window, pageMessage, reinterpret_cast<WPARAM>(dib), LPARAM(page), freePage)) {
                    GlobalFree(dib);  // the window is gone: nobody takes the pages
                    break;
                }
                if (!everyPage) break;
            }
            device.cancel();
        }
    }
    bool failed = false;
    {
        std::lock_guard<std::mutex> guard(lock_);
        failed = !failure_.empty();
    }
    running_ = false;
    if (failed && reportMessage) PostMessage(window, reportMessage, 0, 0);
    PostMessage(window, VANTOR_STATE_MESSAGE, 0, 0);
}

}  // namespace vantor
