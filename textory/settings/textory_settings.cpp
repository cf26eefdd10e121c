#include "textory/settings/textory_settings.h"

#include <cstring>

#include "platform/afx/afxwin.h"
#include "platform/win/registry.h"

namespace {

constexpr const char* kApp = "App settings";
constexpr const char* kConfig = "Config";
// A remembered window rectangle must lie within this many pixels.
constexpr LONG kRectLimit = 32767;

int readInt(CWinApp& app, const char* section, const char* key, int fallback, int low, int high) {
    const int value = static_cast<int>(app.GetProfileInt(section, key, fallback));
    return value < low || value > high ? fallback : value;
}

bool readFlag(CWinApp& app, const char* section, const char* key, bool fallback) {
    return app.GetProfileInt(section, key, fallback ? 1 : 0) != 0;
}

// A rectangle of positive size within the limits, else the fallback.
RECT readRect(CWinApp& app, const char* prefix, const RECT& fallback) {
    const std::string p = prefix;
    RECT r;
    r.left = static_cast<int>(app.GetProfileInt(kConfig, (p + " Left").c_str(), fallback.left));
    r.top = static_cast<int>(app.GetProfileInt(kConfig, (p + " Top").c_str(), fallback.top));
    r.right = static_cast<int>(app.GetProfileInt(kConfig, (p + " Right").c_str(), fallback.right));
    r.bottom = static_cast<int>(app.GetProfileInt(kConfig, (p + " Bottom").c_str(), fallback.bottom));
    const bool inside = r.left > -kRectLimit && r.top > -kRectLimit && r.right < kRectLimit && r.bottom < kRectLimit;
    return inside && r.right > r.left && r.bottom > r.top ? r : fallback;
}

void writeRect(CWinApp& app, const char* prefix, const RECT& r) {
    const std::string p = prefix;
    app.WriteProfileInt(kConfig, (p + " Left").c_str(), r.left);
    app.WriteProfileInt(kConfig, (p + " Top").c_str(), r.top);
    app.WriteProfileInt(kConfig, (p + " Right").c_str(), r.right);
    app.WriteProfileInt(kConfig, (p + " Bottom").c_str(), r.bottom);
}

}  // namespace

void TextorySettings::Load(CWinApp& app) {
    const TextorySettings d;
    manuSetScan = readFlag(app, kApp, "Manu SetScan", d.manuSetScan);
    selLayout = readFlag(app, kApp, "Sel Layout", d.selLayout);
    wordHaveCol = readFlag(app, kApp, "Word Have Col", d.wordHaveCol);
    wordFilterLinefeed = readFlag(app, kApp, "Word Filter Linefeed", d.wordFilterLinefeed);
    wordFilterLinefeedAuto = readFlag(app, kApp, "Word Filter Linefeed for Auto", d.wordFilterLinefeedAuto);
    scanResolution = readInt(app, kApp, "Scan Resolution", d.scanResolution, 0, 2);
    scanImageType = readInt(app, kApp, "Scan Image Type", d.scanImageType, 1, 2);
    createToWord = readFlag(app, kApp, "Create to Word", d.createToWord);
    outputToWord = readFlag(app, kApp, "Output to Word", d.outputToWord);
    manuCorrect = readFlag(app, kApp, "Manu Correct", d.manuCorrect);
    workMode = readInt(app, kApp, "Work Mode", d.workMode, 0, 1);
    layoutRect = readRect(app, "Layout Rect", d.layoutRect);
    correctRect = readRect(app, "Correct Rect", d.correctRect);
    autoTestWord = readFlag(app, kConfig, "Auto Test Word", d.autoTestWord);
    wordVersion = readInt(app, kConfig, "Word Version", d.wordVersion, 0, 3);
}

void TextorySettings::Save(CWinApp& app, bool trayMode) const {
    app.WriteProfileInt(kApp, "Manu SetScan", manuSetScan ? 1 : 0);
    app.WriteProfileInt(kApp, "Tray Mode", trayMode ? 1 : 0);
    app.WriteProfileInt(kApp, "Sel Layout", selLayout ? 1 : 0);
    app.WriteProfileInt(kApp, "Word Have Col", wordHaveCol ? 1 : 0);
    app.WriteProfileInt(kApp, "Word Filter Linefeed", wordFilterLinefeed ? 1 : 0);
    app.WriteProfileInt(kApp, "Word Filter Linefeed for Auto", wordFilterLinefeedAuto ? 1 : 0);
    app.WriteProfileInt(kApp, "Scan Resolution", scanResolution);
    app.WriteProfileInt(kApp, "Scan Image Type", scanImageType);
    app.WriteProfileInt(kApp, "Create to Word", createToWord ? 1 : 0);
    app.WriteProfileInt(kApp, "Output to Word", outputToWord ? 1 : 0);
    app.WriteProfileInt(kApp, "Manu Correct", manuCorrect ? 1 : 0);
    app.WriteProfileInt(kApp, "Work Mode", workMode);
    writeRect(app, "Layout Rect", layoutRect);
    writeRect(app, "Correct Rect", correctRect);
    app.WriteProfileInt(kConfig, "Auto Test Word", autoTestWord ? 1 : 0);
    app.WriteProfileInt(kConfig, "Word Version", wordVersion);
}

int DetectWordVersion(bool* missing) {
    if (missing) *missing = false;
    char value[257] = {};
    LONG size = 256;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, "Word.Application\\CurVer", value, &size) != ERROR_SUCCESS) {
        if (missing) *missing = true;
        return 3;
    }
    value[256] = '\0';
    if (std::strcmp(value, "Word.Application.8") == 0) return 0;
    if (std::strcmp(value, "Word.Application.9") == 0) return 1;
    if (std::strcmp(value, "Word.Application.10") == 0) return 2;
    return 3;
}
