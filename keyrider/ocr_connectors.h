// The "ocr" and "bcr" hand-offs: which outside OCR or card application a
// button names, whether it is installed, its options, and how each one is
// handed a batch of pages (command line, list file, ini file or DDE script).
// Every wait is bounded; pages are deleted only after an application that
// was waited for took them, never after a plain start.
#pragma once

#include <array>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "keyrider/job_profile.h"
#include "platform/win/registry.h"

namespace keyrider {

// The tag of a list entry's "DLL" value ("orocr.dll" -> "Marrowby"); a DLL
// of no known application is its own tag.
std::string OcrTagOfDll(const std::string& dll);
// "Marrowby 6" counts as "Marrowby", "harnel finder" as "hotcard".
std::string CanonicalOcrName(const std::string& name);

struct OcrApplication {
    std::string tag;      // as in the tag table ("Marrowby", "harnel", ...)
    int entry = 0;        // the list entry that matched
    std::string program;  // the installed program
    int imageKind = 2;    // 1 and 4 TIFF (4: a batch in one file), 2 JPEG, 3 PNG, else BMP
    std::map<std::string, int> options;  // numbers of the entry's "Private" section
    std::string sendTo, language;
    int delaySeconds = 0;  // "moplink": how long to wait for its result
    std::map<std::string, int> pdf;  // "moplink": its "--Default\PDF" values
    int Option(const std::string& name, int def = 0) const;
};

// Reads the application list of `actionType` under `appKey`, finds the entry
// whose DLL's tag is `name`, detects the program and reads the options from
// `section` + "\OCR Application\" + n + "\Private". False (with `problem`)
// when no entry matches before the list ends or the application is not
// installed.
bool SelectOcrApplication(HKEY appKey, const JobProfile& profile, const std::string& section, const std::string& name,
                          const std::string& actionType, OcrApplication* app, std::string* problem);

// The image library format and extension of an image kind.
int ImageFormatOfKind(int kind);
const char* ExtensionOfKind(int kind);

// What a hand-off needs of the program around it (windows, processes, DDE).
struct ConnectorServices {
    std::string temporaryFolder;  // the job's private folder (ends in a separator)
    std::string programFolder;    // the button manager's own folder ("PMDATA.DLL"), ends in a separator
    // Starts a command line; `wait` bounds the wait for its end (0: no wait).
    // False when it could not start or did not end in time.
    std::function<bool(const std::string& commandLine, unsigned waitMs)> run;
    // Starts a command line and waits, at most `waitMs`, for the registered
    // message `message` to reach this program.
    std::function<bool(const std::string& commandLine, const std::string& message, unsigned waitMs)> runUntilMessage;
    // Starts a command line, waits for a window of `windowClass` to appear
    // (at most `appearMs`) and then to go (at most `goMs`).
    std::function<bool(const std::string& commandLine, const std::string& windowClass, unsigned appearMs,
                       unsigned goMs)>
        runWhileWindow;
    // A DDE conversation: connect (starting `startLine` when nobody answers,
    // waiting for the window of that class or title, posting `postCommand`),
    // then each command with its time-out; false at the first refusal.
    struct DdeScript {
        std::string service, topic, startLine, windowClass, windowTitle;
        unsigned postCommand = 0;
        std::vector<std::pair<std::string, unsigned>> commands;
        bool endWhenStarted = false;  // add "[ENDAPPLICATION]" when the program was started here
    };
    std::function<bool(const DdeScript& script, std::string* problem)> dde;
    std::function<void(const std::string& program, const std::string& file)> open;  // "Send To"
    std::function<void(const std::string& text)> report;
    std::function<bool(const std::string& path)> exists;
    unsigned waitMs = 60000;  // the bound of every wait for an application
    // The local time for list names (year, month, day, hour, minute, second).
    std::function<std::array<int, 6>()> now;
};

// Hands `batches` (one list of page files for each output name of `names`)
// to the application. Returns the page files the application took (they may
// be deleted); every other page stays.
std::vector<std::string> SendToOcrApplication(const OcrApplication& app,
                                              const std::vector<std::vector<std::string>>& batches,
                                              const std::vector<std::string>& names, bool openResult,
                                              bool doubleSided, const ConnectorServices& services);

// A path that would end a DDE command's argument early (")" or ",") is refused.
bool SafeForDdeCommand(const std::string& path);

}  // namespace keyrider
