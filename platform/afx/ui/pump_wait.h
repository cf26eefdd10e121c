// Waiting on the user-interface thread without freezing it: the thread's
// loop runs (its messages, timers and the window system's events) while a
// condition is awaited.
#pragma once

#include <functional>

#include "platform/afx/ui/winuser.h"

// Runs the calling thread's loop until `done` holds (looked at every 50 ms)
// or `ms` have passed: whether it held. Without an application object the
// time passes in sleeps, `done` still looked at.
AFX_UI_API bool AfxPumpMessagesFor(DWORD ms, const std::function<bool()>& done = {});
