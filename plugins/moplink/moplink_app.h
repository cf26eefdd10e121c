// The DDE export plug-in's application object: what it found, the settings
// of every format, its resources and the wizard's state. One lives from the
// library's load to its unload.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/afx/afxwin.h"
#include "platform/win/registry_key.h"
#include "plugins/common/registry_texts.h"
#include "plugins/moplink/export_settings.h"
#include "plugins/moplink/ocrexport_interface.h"

namespace moplink {

class WizardPage;

class MoplinkApp {
public:
    static MoplinkApp& Get();

    // The resource library "MoplinkRes.dll" beside the plug-in, else the plug-in itself.
    HINSTANCE Resources() const { return resources_; }
    // String `id` of the resources (the plug-in's own table when the library lacks it).
    CString Text(UINT id) const;
    // Shows string `id` with "%1" replaced by `arg`.
    int Message(UINT id, UINT type, const std::string& arg = {}) const;
    UINT ExportMessage() const { return exportMessage_; }

    void GetInfo(HKEY hostKey, OCREXPORT_INFO* info);
    void Run(const std::vector<std::string>& files, UINT formatCode);

    ExportSettings& Settings(UINT formatCode) { return settings_[formatCode]; }
    bool Found() const { return found_; }
    bool Version10() const { return version10_; }
    const std::string& ExePath() const { return exePath_; }
    HKEY LanguageKey() const;  // "V10\Language" or "V9\Language"; null when missing
    const plugins::NumericLanguage& Numeric() const { return numeric_; }
    void SaveAll();

    // Wizard state.
    UINT currentFormat = 0;
    int step = 0;
    std::unique_ptr<WizardPage> page;
    CWnd* hostWindow = nullptr;  // the host's wizard window while the wizard runs

private:
    MoplinkApp();
    void LoadAllSettings();
    bool Detect();

    HINSTANCE resources_ = nullptr;
    HMODULE resourceLibrary_ = nullptr;
    UINT exportMessage_ = 0;
    suite::RegKey pluginKey_;
    mutable suite::RegKey languageKey_;
    std::string exePath_;
    bool found_ = false;
    bool version10_ = false;
    plugins::NumericLanguage numeric_;
    std::map<UINT, ExportSettings> settings_;
};

}  // namespace moplink
