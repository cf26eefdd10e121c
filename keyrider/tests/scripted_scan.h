// The scripted scan library's state, reached through its export ScriptedScan.
#pragma once

#include "outside/include/keyrider_scan.h"

struct ScriptedScanState {
    int present = 0;
    int initResult = 1;
    int loadSettingsResult = 1;
    int inits = 0, terminates = 0, presenceCalls = 0;
    void (*presenceHook)() = nullptr;
    SCANSTATUSPROC status = nullptr;
    void* context = nullptr;
    int Raise(int type, int value) { return status ? status(type, value, context) : -1; }
};
using SCRIPTED_SCAN = ScriptedScanState* (*)();
