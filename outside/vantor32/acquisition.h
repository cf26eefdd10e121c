// One acquisition at a time, on a worker thread: opens the scanner under the
// cross-process device lock, applies the source settings and posts each page
// to the window as an owned packed DIB, framed by the state message (1 when
// it starts, 0 when it has ended). A failure is kept for the caller's thread.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "outside/vantor32/source_settings.h"
#include "platform/win/types.h"

namespace vantor {

class Acquisition {
public:
    Acquisition() = default;
    Acquisition(const Acquisition&) = delete;
    Acquisition& operator=(const Acquisition&) = delete;
    ~Acquisition() { Stop(); }

    // Starts a run; false when one is running. `reportMessage` (0: none) is
    // posted to the window when the run ended with a failure.
    bool Start(HWND window, UINT pageMessage, UINT reportMessage, const SourceSettings& settings, bool allPages);
    bool Running() const { return running_; }
    // Asks a running acquisition to stop after its current page and waits for it.
    void Stop();
    // The failure of the last run, taken ("" when none).
    std::string TakeFailure();

private:
    void run(HWND window, UINT pageMessage, UINT reportMessage, SourceSettings settings, bool allPages);
    void fail(const std::string& text);

    std::thread worker_;
    std::atomic<bool> running_{false};
    std::atomic<bool> stop_{false};
    std::mutex lock_;
    std::string failure_;
};

}  // namespace vantor
