// The button template: a panel in the main dialog's template area with the
// settings of the button's action (the template key names the action), and a
// run entry that hands the button's settings to the program's own job as a job
// ini file ("Keyrider /SKIPBTN /B n <ini>"), waiting for it with messages
// pumped. A button that lacks a setting its action needs says so instead.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "outside/button_template/action_form.h"
#include "outside/button_template/action_panel.h"
#include "outside/button_template/job_ini_writer.h"
#include "outside/button_template/panel_ids.h"
#include "outside/include/button_utility.h"
#include "outside/include/library_export.h"
#include "outside/include/tarrik.h"
#include "platform/afx/afxwin.h"
#include "platform/win/handles.h"
#include "platform/win/process.h"
#include "platform/win/sync.h"

namespace {

// A job may scan many pages; beyond this the button manager stops waiting
// (the job goes on by itself).
constexpr auto kLongestWait = std::chrono::minutes(30);

// The message the main dialog takes as "the button's settings changed".
constexpr WPARAM kApplyNotifyChanged = 0x05080330;

struct Attached {
    KEYRIDER_SETTINGS* settings = nullptr;
    button_template::ActionForm form;
    std::unique_ptr<button_template::CActionPanel> panel;
    UTILITY_SCANBLOCK block{};
    UTILITY_BLANKPAGE blank{};
};

std::map<UTILITY_CONTEXT*, Attached>& attached() {
    static std::map<UTILITY_CONTEXT*, Attached> all;
    return all;
}

std::string Text(HKEY key, const std::string& name) {
    char text[520] = {};
    DWORD type = 0, size = sizeof text - 1;
    if (!key || RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    return text;
}

// What this machine offers the form's lists.
button_template::FormSources SourcesFor(UTILITY_CONTEXT* c, const KEYRIDER_SETTINGS& settings) {
    button_template::FormSources sources;
    HKEY formats = nullptr;
    if (settings.AppKey && RegOpenKeyExA(settings.AppKey, "File Format", 0, KEY_READ, &formats) == ERROR_SUCCESS) {
        for (int i = 1; i <= 9; ++i) sources.formats.push_back(Text(formats, std::to_string(i)));
        RegCloseKey(formats);
    }
    DWORD needed = 0, count = 0;
    EnumPrintersA(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed);
    if (needed && EnumPrintersA(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 2, buffer.data(), needed, &needed,
                                &count)) {
        const auto* printers = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
        for (DWORD i = 0; i < count; ++i)
            if (printers[i].pPrinterName) sources.printers.emplace_back(printers[i].pPrinterName);
    }
    // The applications the action can hand its pages to, in list order.
    for (int n = 1; n <= 100; ++n) {
        HKEY entry = nullptr;
        if (RegOpenKeyExA(c->TemplateKey.Key(), ("OCR Application\\" + std::to_string(n)).c_str(), 0, KEY_READ, &entry) !=
            ERROR_SUCCESS)
            break;
        const std::string name = Text(entry, "Name");
        RegCloseKey(entry);
        if (!name.empty()) sources.applications.push_back(name);
    }
    return sources;
}

// The scan block as the button's colour mode and resolution say.
void FillBlock(Attached& a) {
    const button_template::ActionForm& form = a.form;
    auto number = [&](int id, int fallback) {
        const int at = form.IndexOf(id);
        return at < 0 ? fallback : std::atoi(form.Value(std::size_t(at)).c_str());
    };
    const int mode = number(button_template::kPanelMode, 1);
    a.block.Mode = mode == 0 ? 2 : mode == 2 ? 0 : 1;  // the block counts from black and white
    a.block.Resolution = number(button_template::kPanelResolution, 200);
    a.block.MinResolution = 50;
    a.block.MaxResolution = 600;
    a.block.Side = 0;
}

void TellMainDialog(UTILITY_CONTEXT* c) {
    if (!c->Owner || !c->Owner->GetSafeHwnd()) return;
    static const UINT message = RegisterWindowMessage("Keyrider Apply Notification");
    c->Owner->SendMessage(message, kApplyNotifyChanged, 1);
}

int probe(UTILITY_CONTEXT* c, KEYRIDER_SETTINGS*) {
    if (!c || !c->TemplateKey.IsOpen()) return -1;
    return 0;
}

int open(UTILITY_CONTEXT* c, KEYRIDER_SETTINGS* settings) {
    if (!c || !settings || !c->TemplateKey.IsOpen()) return 0;
    Attached& a = attached()[c];
    a.settings = settings;
    a.form = button_template::ActionForm(button_template::ActionOfTemplateKey(c->TemplateKeyPath.GetString()),
                                         SourcesFor(c, *settings));
    a.form.Load(c->TemplateKey.Key(), c->ButtonNumber);
    FillBlock(a);
    c->ScanBlock = &a.block;
    if (c->Owner && c->Owner->GetSafeHwnd()) {
        a.panel = std::make_unique<button_template::CActionPanel>(a.form, settings->BrowseCaption.GetString(),
                                                                  [c] { TellMainDialog(c); });
        if (!a.panel->CreateOver(c->Owner, c->Panel, c->ButtonNumber)) a.panel.reset();
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
    BOOL ok = key.SetString(text ? text : "", "Description");
    auto it = attached().find(c);
    if (it != attached().end()) {
        ok = it->second.form.Save(c->TemplateKey.Key(), c->ButtonNumber) && ok;
        FillBlock(it->second);
    }
    return ok;
}

void revert(UTILITY_CONTEXT* c) {
    auto it = attached().find(c);
    if (it == attached().end()) return;
    it->second.form.Load(c->TemplateKey.Key(), c->ButtonNumber);
    FillBlock(it->second);
    if (it->second.panel) it->second.panel->Refresh();
}

// Says, in the message library's words, what the button lacks.
void TellMissing(UTILITY_CONTEXT* c, const KEYRIDER_SETTINGS& s, const std::string& missing) {
    HMODULE module = LoadLibraryA("Tarrik.dll");
    auto entry = module ? reinterpret_cast<TARRIK_GETFUNCTIONTABLE>(GetProcAddress(module, "Tarrik_GetFunctionTable"))
                        : nullptr;
    const TARRIK_FUNCTIONTABLE* messages = entry ? entry() : nullptr;
    if (messages) {
        char format[520] = {};
        messages->MsgGetText(kMessageMissingSetting, format, sizeof format);
        std::string text = format;
        const std::size_t at = text.find("%1");
        if (at != std::string::npos) text.replace(at, 2, missing);
        HWND owner = c->Owner ? c->Owner->GetSafeHwnd() : nullptr;
        messages->MsgShowBox(owner, kMessageMissingSetting, text.c_str(), 0, s.ApplicationName.GetString(), MB_ICONHAND, 128);
    }
    if (module) FreeLibrary(module);
}

int run(UTILITY_CONTEXT* c) {
    auto it = attached().find(c);
    if (it == attached().end() || !it->second.settings) return 0;
    const KEYRIDER_SETTINGS& s = *it->second.settings;
    const std::string missing = it->second.form.Missing();
    if (!missing.empty()) {
        TellMissing(c, s, missing);
        return 0;
    }
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
