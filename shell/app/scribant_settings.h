// The program's settings as they live in the profile: read once at start-up,
// written at exit and when the settings sheet closes with OK. A stored value
// outside its range reads as the default, so a damaged or hand-edited profile
// cannot hand the recognition or the pen input an index they do not know.
#pragma once

#include <string>

class CWinApp;

// The narrowest the file bar's side dock bar may be (pixels).
constexpr int kOcrBarMinimumWidth = 64;

struct ScribantSettings {
    std::string newFileName;       // "App settings"/"New file name", lower-cased
    int penColor = 1;              // 0..7
    int penWidth = 2;              // 1..6
    int mouseSensibility = 3;      // 1..5
    int recoSpeed = 5;             // 5..85
    std::string externEditPath;    // "Edit"/"Extern Edit Path"
    int editFileType = 3;          // 0 HTML, 1 PDF, 2 RTF, 3 text
    bool saveProjectOnly = true;   // reset at every start
    int ignoredFlag = 1;           // 0 keep all, 1 keep layout, 2 redo all
    bool autoAdjust = false;
    bool autoPostProcess = false;  // written, reset at every start
    bool autoLoadLastWork = false; // written, reset at every start
    bool autoResize = false;       // written, reset at every start
    int codeType = 0;              // 0..2
    int langCode = -1;             // -1 (not chosen yet), 0 simplified, 1 both scripts, 2 English
    int pageType = 0;              // reset at every start; 0..4
    int resolution = 300;          // written, reset at every start
    bool saveAsJpg = true;
    bool outputToExe = false;
    int ocrBarPosition = 0;        // 1: file bar at the right edge
    int ocrBarHeight = 208;        // at least kOcrBarMinimumWidth
    std::string lastFilePath;      // "App settings"/"Last file path"
    bool backWork = false;         // read only
    bool viewText = false;         // "App settings"/"View Text"

    // Reads every setting in its order; `dataFolder` and `windowsFolder` give
    // the defaults of the paths.
    void Load(CWinApp& app, const std::string& dataFolder, const std::string& windowsFolder);
    // Writes every setting that is stored, flags as 0 or 1.
    void Save(CWinApp& app) const;
};

// The language code a start picks when none is stored: 2 for US English, 1 for
// the traditional-script languages, 0 otherwise.
int DefaultLangCodeFor(unsigned short languageId);
// Whether a system language takes the traditional-script language library.
bool IsTraditionalLanguage(unsigned short languageId);
