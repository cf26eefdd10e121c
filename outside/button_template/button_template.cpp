// The button template: a panel in the main dialog's template area showing the
// button's description, and a run entry that hands the button's settings to
// the program's own job as a job ini file ("Keyrider /SKIPBTN /B n <ini>"),
// waiting for it with messages pumped.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "outside/button_template/job_ini_writer.h"
#include "outside/include/button_utility.h"
#include "outside/include/library_export.h"
#include "platform/afx/afxwin.h"
#include "platform/win/handles.h"
#include "platform/win/process.h"
#include "platform/win/sync.h"

namespace {

// A job may scan many pages; beyond this the button manager stops waiting
// (the job goes on by itself).
constexpr auto kLongestWait = std::chrono::minutes(30);

struct Attached {
    KEYRIDER_SETTINGS* settings = nullptr;
    std::unique_ptr<CStatic> panel;
    UTILITY_SCANBLOCK block{};
    UTILITY_BLANKPAGE blank{};
};

std::map<UTILITY_CONTEXT*, Attached>& attached() {
    static std::map<UTILITY_CONTEXT*, Attached> all;
    return all;
}

CString description(UTILITY_CONTEXT* c) {
    CRegExt key;
    CString text;
    if (key.OpenReadOnly(std::to_string(c->ButtonNumber).c_str(), c->TemplateKey.Key())) key.GetString(text, "", "Description");
    return text;
}

int probe(UTILITY_CONTEXT* c, KEYRIDER_SETTINGS*) {
    if (!c || !c->TemplateKey.IsOpen()) return -1;
    return 0;
}

int open(UTILITY_CONTEXT* c, KEYRIDER_SETTINGS* settings) {
    if (!c || !settings || !c->TemplateKey.IsOpen()) return 0;
    Attached& a = attached()[c];
    a.settings = settings;
    CRegExt source;
    int mode = 1, resolution = 200;
    if (source.OpenReadOnly((std::to_string(c->ButtonNumber) + "\\ADF").c_str(), c->TemplateKey.Key())) {
        source.GetInt(mode, 1, "Mode");
        source.GetInt(resolution, 200, "Resolution");
    }
    a.block.Mode = mode == 0 ? 2 : mode == 2 ? 0 : 1;
    a.block.Resolution = resolution;
    a.block.MinResolution = 50;
    a.block.MaxResolution = 600;
    a.block.Side = 0;
    c->ScanBlock = &a.block;
    if (c->Owner && c->Owner->GetSafeHwnd()) {
        a.panel = std::make_unique<CStatic>();
        a.panel->Create(description(c), WS_CHILD, c->Panel, c->Owner);
    }
    return 1;
}

void close(UTILITY_CONTEXT* c) {
    auto it = attached().find(c);
    if (it == attached().end()) return;
    if (it->second.panel && it->second.panel->GetSafeHwnd()) it->second.panel->DestroyWindow();
    if (c->ScanBlock == &it->second.block) c->ScanBlock = nullptr;
    attached().erase(it);
}

int save(UTILITY_CONTEXT* c, LPCSTR text) {
    if (!c) return 0;
    CRegExt key;
    if (!key.CreateKey(std::to_string(c->ButtonNumber).c_str(), c->TemplateKey.Key(),
                       KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY))
        return 0;
    return key.SetString(text ? text : "", "Description");
}

void revert(UTILITY_CONTEXT* c) {
    auto it = attached().find(c);
    if (it != attached().end() && it->second.panel && it->second.panel->GetSafeHwnd())
        it->second.panel->SetWindowText(description(c));
}

int run(UTILITY_CONTEXT* c) {
    auto it = attached().find(c);
    if (it == attached().end() || !it->second.settings) return 0;
    const KEYRIDER_SETTINGS& s = *it->second.settings;
    const std::string ini = button_template::WriteButtonJobIni(s.AppKeyPath.GetString(), c->TemplateKeyPath.GetString(),
                                                               c->ButtonNumber);
    if (ini.empty()) return 0;
    // A template key may name another program to run the job; by default it is the button manager itself.
    CString other;
    c->TemplateKey.GetString(other, "", "Program");
    const std::string program = other.IsEmpty() ? std::string(s.ProgramFolder.GetString()) + "Keyrider" : other.GetString();
    HANDLE process = suite::StartProgram(program, {"/SKIPBTN", "/B", std::to_string(c->ButtonNumber), ini});
    int result = 0;
    if (process) {
        const auto end = std::chrono::steady_clock::now() + kLongestWait;
        while (WaitForSingleObject(process, 20) == WAIT_TIMEOUT && std::chrono::steady_clock::now() < end)
            AfxPumpMessages();
        DWORD code = 0;
        GetExitCodeProcess(process, &code);
        result = code == 0 ? 1 : 0;
        CloseHandle(process);
    }
    std::remove(ini.c_str());
    return result;
}

void show(UTILITY_CONTEXT* c, BOOL visible) {
    auto it = attached().find(c);
    if (it != attached().end() && it->second.panel && it->second.panel->GetSafeHwnd())
        it->second.panel->ShowWindow(visible ? SW_SHOW : SW_HIDE);
}

int canRun(UTILITY_CONTEXT* c) { return attached().count(c) ? 1 : 0; }
void prepare(UTILITY_CONTEXT*) {}

void setBlankPage(UTILITY_CONTEXT* c, const UTILITY_BLANKPAGE* blank) {
    auto it = attached().find(c);
    if (it != attached().end() && blank) it->second.blank = *blank;
}

void globalChanged(UTILITY_CONTEXT*) {}

const UTILITY_TABLE table = {probe, open,   close,   save,    nullptr,      revert,
                             run,   show,   canRun,  prepare, setBlankPage, globalChanged};

}  // namespace

SUITE_LIBRARY_EXPORT const UTILITY_TABLE* UtilityEntry() { return &table; }
