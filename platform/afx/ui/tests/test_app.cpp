#include "platform/afx/ui/tests/test_app.h"

#include <chrono>
#include <thread>

TestApp theTestApp;

void EnsureUi() { AfxWinInit(); }

bool PumpUntil(const std::function<bool()>& done, int ms) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        AfxPumpMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
