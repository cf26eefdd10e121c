// What the button manager does with scanner events and commands, without
// windows: status events switch the tray icon and post button commands, a
// button command runs the button's template with the dialog disabled, exit
// asks (unless quiet) and is put off while a button's job runs, and the
// presence poll finds a scanner that appears after start-up.
#pragma once

#include <string>

#include "keyrider/button_model.h"

namespace keyrider {

// Commands of the main dialog and the tray menu.
inline constexpr unsigned kCmdButtonConfiguration = 32771;
inline constexpr unsigned kCmdExit = 32773;
inline constexpr unsigned kCmdScannerUtility = 32774;
inline constexpr unsigned kCmdQuit = 32791;
inline constexpr unsigned kCmdEjectForward = 32793;
inline constexpr unsigned kCmdEjectBackward = 32794;

// What the controller asks of the windows.
class KeyriderView {
public:
    virtual ~KeyriderView() = default;
    virtual void SetTrayIcon(bool connected) = 0;
    virtual void PostCommand(unsigned id) = 0;
    virtual void HideDialog() = 0;
    virtual void EnableDialog(bool enable) = 0;
    virtual void UpdateEjectMenu(bool connected) = 0;
    virtual void FirstConnect() = 0;
    // A yes/no question (IDYES...) and a stop message, captioned with the application name.
    virtual int Ask(const std::string& text) = 0;
    virtual void Stop(const std::string& text) = 0;
    // Removes the tray icon, destroys the dialog and ends the message loop.
    virtual void Quit() = 0;
    virtual void StartUtility(const std::string& exe) = 0;
};

class KeyriderController {
public:
    KeyriderController(ButtonModel& buttons, KeyriderView& view) : buttons_(buttons), view_(view) {}

    // Settings of the run.
    bool skipButtons = false;
    bool hide = false;          // "Hide": no tray icon, scanner buttons ignored
    bool scannerPresent = false;
    std::string exitQuestion;   // message 14 with the application name
    std::string utilityExe;

    // SCANSTATUSPROC: type 1 connection, type 2 button.
    int OnScanStatus(int type, int value);
    // A command reaching the application; true when handled here.
    bool OnCommand(unsigned id);
    // The presence timer: false while a poll already runs (no re-entry).
    bool Poll(int (*isPresent)());

    bool JobRunning() const { return jobRunning_; }
    bool QuietExit() const { return quietExit_; }
    bool ExitPending() const { return exitPending_; }
    bool Ended() const { return ended_; }
    int ButtonsRun() const { return buttonsRun_; }

private:
    void exit();
    bool runButton(int number);

    ButtonModel& buttons_;
    KeyriderView& view_;
    bool jobRunning_ = false;
    bool quietExit_ = false;
    bool exitPending_ = false;
    bool pollBusy_ = false;
    bool ended_ = false;
    bool firstConnectDone_ = false;
    int buttonsRun_ = 0;
};

}  // namespace keyrider
