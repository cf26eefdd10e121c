// What Textory keeps in the profile beside Scribant's settings (sections
// "App settings" and "Config"). Read once at start (all but "Tray Mode",
// which only records the run's mode), each value brought into its range, and
// written when the settings sheet closes with OK.
#pragma once

#include "platform/win/types.h"

class CWinApp;

struct TextorySettings {
    bool manuSetScan = false;             // "Manu SetScan"
    bool selLayout = false;               // "Sel Layout"
    bool wordHaveCol = false;             // "Word Have Col"
    bool wordFilterLinefeed = false;      // "Word Filter Linefeed"
    bool wordFilterLinefeedAuto = false;  // "Word Filter Linefeed for Auto"
    int scanResolution = 1;               // "Scan Resolution": 0 200, 1 300, 2 400 dpi
    int scanImageType = 1;                // "Scan Image Type": 1 black and white, 2 colour
    bool createToWord = true;             // "Create to Word"
    bool outputToWord = false;            // "Output to Word"
    bool manuCorrect = false;             // "Manu Correct"
    int workMode = 0;                     // "Work Mode": 0 automatic, 1 single step
    RECT layoutRect{0, 0, 800, 600};      // "Layout Rect Left" ...
    RECT correctRect{0, 0, 800, 600};     // "Correct Rect Left" ...
    bool autoTestWord = true;             // "Auto Test Word"
    int wordVersion = 0;                  // "Word Version": 0 Word97, 1 Word2000, 2 WordXP, 3 none

    void Load(CWinApp& app);
    void Save(CWinApp& app, bool trayMode) const;
};

// The word processor's version from the registry's classes root
// ("Word.Application\CurVer"): .8 → 0, .9 → 1, .10 → 2, anything else 3.
// `missing` is set when the key is not there at all.
int DetectWordVersion(bool* missing = nullptr);
