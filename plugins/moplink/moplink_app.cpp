#include "plugins/moplink/moplink_app.h"

#include <cstring>

#include "platform/win/locator.h"
#include "plugins/common/plugin_module.h"
#include "plugins/moplink/export_run.h"
#include "plugins/moplink/wizard_page.h"

// The plug-in's own copy of its resources, linked in privately.
extern "C" const SuiteResourceTable suite_resource_table;

namespace moplink {

MoplinkApp& MoplinkApp::Get() {
    static MoplinkApp app;
    return app;
}

MoplinkApp::MoplinkApp() {
    HMODULE self = plugins::ThisPluginModule();
    AfxAttachResourceTable(self, &suite_resource_table);
    resourceLibrary_ = LoadLibraryA((plugins::ThisPluginFolder() + "MoplinkRes.dll").c_str());
    resources_ = resourceLibrary_ ? resourceLibrary_ : self;
    exportMessage_ = RegisterWindowMessage(kExportMessageName);
    for (const ExportFormat& f : AllFormats()) settings_[f.code] = DefaultSettings(f);
}

CString MoplinkApp::Text(UINT id) const {
    char buffer[1024] = {};
    if (LoadStringA(resources_, id, buffer, sizeof buffer) == 0)
        LoadStringA(plugins::ThisPluginModule(), id, buffer, sizeof buffer);
    return CString(buffer);
}

int MoplinkApp::Message(UINT id, UINT type, const std::string& arg) const {
    const CString text = Text(id);
    return AfxMessageBox(arg.empty() ? text : AfxFormatText(text, arg.c_str()), type);
}

bool MoplinkApp::Detect() {
    for (bool v10 : {true, false}) {
        suite::RegKey version(pluginKey_.get(), v10 ? "V10" : "V9");
        if (!version) continue;
        std::string path;
        if (suite::FirstExistingLocatedFile(version.get(), "Exe RegPath ", &path, nullptr, MAX_PATH)) {
            exePath_ = path;
            version10_ = v10;
            return true;
        }
    }
    return false;
}

HKEY MoplinkApp::LanguageKey() const {
    languageKey_ = suite::RegKey(pluginKey_.get(), version10_ ? "V10\\Language" : "V9\\Language");
    return languageKey_.get();
}

void MoplinkApp::GetInfo(HKEY hostKey, OCREXPORT_INFO* info) {
    exePath_.clear();
    found_ = false;
    // The key stays open while the library is loaded; a second call reuses it.
    if (!pluginKey_) pluginKey_ = suite::RegKey(hostKey, "Moplink", KEY_READ | KEY_WRITE);
    if (!pluginKey_ || !Detect()) {
        if (info) info->bFound = 0;
        return;
    }
    found_ = true;
    numeric_ = plugins::NumericLanguage();
    if (HKEY language = LanguageKey()) {
        std::string text;
        if (suite::ReadStringValue(language, "Numeric", &text)) numeric_ = plugins::ParseNumericLanguage(text);
    }
    LoadAllSettings();
    if (!info) return;
    info->dwFlags = 15;
    info->dwFormats = FormatsOffered(version10_);
    std::strncpy(info->szName, Text(kIdsName), sizeof info->szName - 1);
    info->szName[sizeof info->szName - 1] = '\0';
    int slot = 0;
    for (const ExportFormat& f : AllFormats()) {
        if (!(info->dwFormats & f.code) || slot >= kOcrExportMaxFormats) continue;
        std::strncpy(info->szFormatName[slot], Text(f.nameId), sizeof info->szFormatName[slot] - 1);
        info->szFormatName[slot][sizeof info->szFormatName[slot] - 1] = '\0';
        ++slot;
    }
    info->bFound = 1;
}

void MoplinkApp::LoadAllSettings() {
    for (const ExportFormat& f : AllFormats()) {
        ExportSettings s = DefaultSettings(f);
        LoadSettings(pluginKey_.get(), f, &s);
        settings_[f.code] = s;
    }
}

void MoplinkApp::SaveAll() {
    if (!pluginKey_) return;
    for (const ExportFormat& f : AllFormats()) SaveSettings(pluginKey_.get(), f, settings_[f.code]);
}

void MoplinkApp::Run(const std::vector<std::string>& files, UINT formatCode) {
    currentFormat = formatCode;
    const ExportFormat* format = FindFormat(formatCode);
    if (!format || !found_) return;
    RunExport(*this, *format, settings_[formatCode], files);
}

}  // namespace moplink
