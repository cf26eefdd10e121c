#include "shell/app/scribant_settings.h"

#include <cctype>

#include <algorithm>

#include "platform/afx/afxwin.h"

namespace {

// A stored int, or `def` when it is missing or outside [low, high].
int readInt(CWinApp& app, const char* section, const char* entry, int def, int low, int high) {
    const int value = static_cast<int>(app.GetProfileInt(section, entry, def));
    return value < low || value > high ? def : value;
}

bool readFlag(CWinApp& app, const char* section, const char* entry, int def) {
    return app.GetProfileInt(section, entry, def) != 0;
}

std::string readString(CWinApp& app, const char* section, const char* entry, const std::string& def) {
    return app.GetProfileString(section, entry, def.c_str()).GetString();
}

}  // namespace

bool IsTraditionalLanguage(unsigned short id) { return id == 0x404 || id == 0xC04 || id == 0x1404 || id == 0x1004; }

int DefaultLangCodeFor(unsigned short id) {
    if (id == 0x409) return 2;
    return IsTraditionalLanguage(id) ? 1 : 0;
}

void ScribantSettings::Load(CWinApp& app, const std::string& dataFolder, const std::string& windowsFolder) {
    // Kept as written: folders on a case-sensitive disk would be lost if
    // the name were folded to one case (names compare without case instead).
    newFileName = readString(app, "App settings", "New file name", dataFolder + "\\IMAGE\\OR001.tif");
    penColor = readInt(app, "Config", "Pen Color", 1, 0, 7);
    penWidth = readInt(app, "Config", "Pen Width", 2, 1, 6);
    // A stored 0 is what an old settings sheet left for "not set".
    mouseSensibility = readInt(app, "Config", "Mouse Sensibility", 3, 1, 5);
    recoSpeed = readInt(app, "Config", "Reco Speed", 5, 5, 85);
    externEditPath = readString(app, "Edit", "Extern Edit Path", windowsFolder + "\\NOTEPAD.EXE");
    editFileType = readInt(app, "Edit", "File Type", 3, 0, 3);
    saveProjectOnly = true;
    ignoredFlag = readInt(app, "Config", "IngoredFlag", 1, 0, 2);
    autoAdjust = readFlag(app, "Config", "Auto adjust", 0);
    autoPostProcess = false;
    autoLoadLastWork = false;
    autoResize = false;
    codeType = readInt(app, "Config", "CodeType", 0, 0, 2);
    langCode = readInt(app, "Config", "LangCode", -1, -1, 2);
    pageType = 0;
    resolution = 300;
    saveAsJpg = readFlag(app, "Config", "SaveAsJpg", 1);
    outputToExe = readFlag(app, "Config", "Output to Exe", 0);
    ocrBarPosition = readInt(app, "OcrBar", "Position", 0, 0, 1);
    const int height = static_cast<int>(app.GetProfileInt("OcrBar", "Height", 208));
    // A stored width too narrow for the bar's layout is raised to the narrowest it may be.
    ocrBarHeight = height <= 0 ? 208 : std::max(height, kOcrBarMinimumWidth);
    lastFilePath = readString(app, "App settings", "Last file path", dataFolder + "\\IMAGE\\");
    backWork = readFlag(app, "Config", "Back work", 0);
    viewText = readFlag(app, "App settings", "View Text", 0);
}

void ScribantSettings::Save(CWinApp& app) const {
    app.WriteProfileString("App settings", "New file name", newFileName.c_str());
    app.WriteProfileString("Edit", "Extern Edit Path", externEditPath.c_str());
    app.WriteProfileInt("Edit", "File Type", editFileType);
    app.WriteProfileInt("Config", "Pen Color", penColor);
    app.WriteProfileInt("Config", "Pen Width", penWidth);
    app.WriteProfileInt("Config", "Mouse Sensibility", mouseSensibility);
    app.WriteProfileInt("Config", "Reco Speed", recoSpeed);
    app.WriteProfileInt("Config", "IngoredFlag", ignoredFlag);
    app.WriteProfileInt("Config", "Auto adjust", autoAdjust ? 1 : 0);
    app.WriteProfileInt("Config", "Auto post process", autoPostProcess ? 1 : 0);
    app.WriteProfileInt("Config", "Auto load last work", autoLoadLastWork ? 1 : 0);
    app.WriteProfileInt("Config", "Auto ReSize", autoResize ? 1 : 0);
    app.WriteProfileInt("Config", "CodeType", codeType);
    app.WriteProfileInt("Config", "LangCode", langCode);
    app.WriteProfileInt("Config", "Res", resolution);
    app.WriteProfileInt("Config", "SaveAsJpg", saveAsJpg ? 1 : 0);
    app.WriteProfileInt("Config", "Output To Exe", outputToExe ? 1 : 0);
    app.WriteProfileInt("OcrBar", "Position", ocrBarPosition);
    app.WriteProfileInt("OcrBar", "Height", ocrBarHeight);
    app.WriteProfileString("App settings", "Last file path", lastFilePath.c_str());
    app.WriteProfileInt("App settings", "View Text", viewText ? 1 : 0);
}
