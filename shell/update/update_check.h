// The update check: the installed version against the published description,
// the update dialog, the updater fetched and checked against its published
// SHA-256, then started while the program closes. It runs on a worker thread
// of its own (one at a time); everything it shows goes through CUpdateHost,
// which answers on the user-interface thread.
#pragma once

#include "platform/afx/ui/winuser.h"  // the message-box styles and answers
#include "platform/win/types.h"

#include <atomic>
#include <string>

#define IDS_UPDATE_DAMAGED 61470     // "数据文件已经被破坏，不能更新"
#define IDS_UPDATE_NONE 61472        // "当前没有可用更新"
#define IDS_UPDATE_NETWORK 61490     // "请检测网络是否畅通!"
#define IDS_UPDATE_ASK 61492         // the silent mode's question
#define IDS_UPDATE_FETCH_FAILED 61903
#define IDS_UPDATE_HASH_FAILED 61904
#define IDS_UPDATE_START_FAILED 61905

// What the check asks of the program. Called on the worker thread; an
// implementation answers on the user-interface thread and never lets the
// worker touch a window.
class CUpdateHost {
public:
    virtual ~CUpdateHost() = default;
    // A message box with a string of the resources: its answer.
    virtual int Message(UINT stringId, UINT style) = 0;
    // The update dialog for the description `taskIni` opened at `startEntry`:
    // the chosen entry, 0 when cancelled.
    virtual int ChooseEntry(const std::string& taskIni, int startEntry) = 0;
    // Starts the updater with its parameter and folder: false when it did not start.
    virtual bool StartUpdater(const std::string& program, const std::string& parameter, const std::string& folder) = 0;
    // Closes the main window (the program ends).
    virtual void CloseProgram() = 0;
};

// The files of the update folder (the program folder's "\Update\").
struct UpdateFiles {
    std::string folder;  // ends in a backslash
    std::string Address() const { return folder + "Stelby.dll"; }
    std::string Installed() const { return folder + "version.ini"; }
    std::string Task() const { return folder + "UpdateTask.ini"; }
    std::string Updater() const { return folder + "Rovant.exe"; }
    // Downloaded beside the old one; named as a program so that it stays runnable.
    std::string NewUpdater() const { return folder + "Rovant.new.exe"; }
};

// One run of the check. `silent` makes failures quiet and asks before the
// dialog. FALSE after handing over to the updater, else TRUE.
BOOL RunUpdateCheck(const UpdateFiles& files, bool silent, CUpdateHost& host);
// The same, ending early and quietly (no message, no dialog, no updater)
// once `stop` is set; a download under way ends within about a second.
BOOL RunUpdateCheck(const UpdateFiles& files, bool silent, CUpdateHost& host, const std::atomic<bool>* stop);

// Starts the check on a worker thread unless one is running: false then.
// `host` must outlive the thread (WaitForUpdateCheck).
bool StartUpdateCheck(const UpdateFiles& files, bool silent, CUpdateHost* host);
bool UpdateCheckRunning();
// Waits up to `ms` for a running check to end: true when none runs.
bool WaitForUpdateCheck(DWORD ms);
// Tells a running check to stop and waits up to `ms` for its thread to end
// (the program's exit, before the objects the check uses go): true when no
// check runs any more.
bool StopUpdateCheck(DWORD ms);
