// The application object shared by the user-interface tests, and helpers.
#pragma once

#include <functional>

#include "platform/afx/afxwin.h"

class TestApp : public CWinApp {
public:
    TestApp() : CWinApp("UiTests") {}
    BOOL InitInstance() override { return TRUE; }
};

// Makes the window-system application once.
void EnsureUi();
// Pumps messages until `done` or `ms` pass; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, int ms = 5000);
