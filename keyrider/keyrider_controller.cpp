#include "keyrider/keyrider_controller.h"

#include "platform/afx/ui/winuser.h"

namespace keyrider {

int KeyriderController::OnScanStatus(int type, int value) {
    if (skipButtons) return 1;
    if (type == SCAN_STATUS_CONNECTION) {
        const bool connected = value != 0;
        if (!hide) view_.SetTrayIcon(connected);
        scannerPresent = connected;
        if (connected && !firstConnectDone_) {
            firstConnectDone_ = true;
            view_.FirstConnect();
        }
        view_.UpdateEjectMenu(connected);
        if (!connected) view_.HideDialog();
        return 2;
    }
    if (type == SCAN_STATUS_BUTTON) {
        if (jobRunning_ || hide) return 1;
        // Only buttons that are configured become commands.
        if (buttons_.Find(value)) view_.PostCommand(ButtonCommandId(value));
        return 1;
    }
    return 2;
}

bool KeyriderController::runButton(int number) {
    if (!buttons_.Find(number) || jobRunning_) return false;
    jobRunning_ = true;
    view_.EnableDialog(false);
    buttons_.Run(number);
    ++buttonsRun_;
    view_.EnableDialog(true);
    jobRunning_ = false;
    // An exit asked for while the job ran happens now.
    if (exitPending_) {
        exitPending_ = false;
        exit();
    }
    return true;
}

void KeyriderController::exit() {
    if (ended_) return;
    if (jobRunning_) {
        exitPending_ = true;
        return;
    }
    if (!quietExit_ && view_.Ask(exitQuestion) != IDYES) return;
    ended_ = true;
    view_.Quit();
}

bool KeyriderController::OnCommand(unsigned id) {
    switch (id) {
        case kCmdExit:
            exit();
            return true;
        case kCmdQuit:
            quietExit_ = true;
            return true;
        case kCmdScannerUtility:
            if (!utilityExe.empty()) view_.StartUtility(utilityExe);
            return true;
        default:
            break;
    }
    if (int n = ButtonFromCommand(id)) return runButton(n);
    return false;
}

bool KeyriderController::Poll(int (*isPresent)()) {
    if (pollBusy_) return false;
    pollBusy_ = true;
    const bool present = isPresent && isPresent() != 0;
    pollBusy_ = false;
    if (present) OnScanStatus(SCAN_STATUS_CONNECTION, 1);
    return present;
}

}  // namespace keyrider
