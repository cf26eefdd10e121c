// A scan library for tests: the scanner's presence is set by the test, and
// status events are raised by it on its own thread, as the real library
// delivers them on the ScanInit thread.
#include "keyrider/tests/scripted_scan.h"
#include "outside/include/library_export.h"

namespace {

ScriptedScanState& state() {
    static ScriptedScanState s;
    return s;
}

int init(LPCSTR, LPCSTR, SCANSTATUSPROC status, KEYRIDER_SETTINGS* settings, void* context) {
    ScriptedScanState& s = state();
    s.status = status;
    s.context = context;
    ++s.inits;
    if (settings) settings->ScannerPresent = s.present;
    return s.initResult;
}
int present() {
    ScriptedScanState& s = state();
    ++s.presenceCalls;
    if (s.presenceHook) s.presenceHook();
    return s.present;
}
void terminate() { ++state().terminates; }
int pages(SCAN_SETTINGS*, SCANPAGEPROC, void*) { return 0; }
int endJob(const BYTE*) { return 1; }
int loadSettings() { return state().loadSettingsResult; }
int applied() { return 1; }

SCAN_FUNCTIONTABLE makeTable() {
    SCAN_FUNCTIONTABLE t{};
    t.ScanInit = init;
    t.ScanIsScannerPresent = present;
    t.ScanTerminate = terminate;
    t.ScanPages = pages;
    t.ScanEndJob = endJob;
    t.ScanLoadSettings = loadSettings;
    t.ScanSettingsApplied = applied;
    return t;
}
const SCAN_FUNCTIONTABLE table = makeTable();

}  // namespace

SUITE_LIBRARY_EXPORT const SCAN_FUNCTIONTABLE* ScanDlgEntry() { return &table; }
SUITE_LIBRARY_EXPORT ScriptedScanState* ScriptedScan() { return &state(); }
