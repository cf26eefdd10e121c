// Pumps the user-interface thread's messages until a condition holds or a
// bound passes; shared by every test that waits on posted work.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

#include "platform/afx/afxwin.h"

// Pumps messages until `done` or `ms` milliseconds pass; returns done().
inline bool PumpUntil(const std::function<bool()>& done, int ms = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        AfxPumpMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
