// The button manager's application object: start-up (libraries, registry,
// single instance, job ini), the scan library's status events and exit.
#pragma once

#include <memory>
#include <string>

#include "keyrider/bundle.h"
#include "keyrider/button_model.h"
#include "keyrider/command_line.h"
#include "keyrider/keyrider_controller.h"
#include "keyrider/startup_registry.h"
#include "platform/afx/afxwin.h"

namespace keyrider {

class CKeyriderDlg;

class CKeyriderApp : public CWinApp {
public:
    CKeyriderApp();
    ~CKeyriderApp() override;
    BOOL InitInstance() override;
    int ExitInstance() override;

    KEYRIDER_SETTINGS& Settings() { return settings_; }
    Bundle& Libraries() { return bundle_; }
    ButtonModel& Buttons() { return *buttons_; }
    KeyriderController& Controller() { return *controller_; }
    const CommandLine& Arguments() const { return commandLine_; }
    const StartupValues& Values() const { return values_; }
    int PendingButton() const { return buttonToRun_; }
    void ClearPendingButton() { buttonToRun_ = -1; }
    // Message `id` of the message library in a stop box.
    void ShowMessage(int id, const std::string& value = {});
    // Asks whether the existing output file `path` may be replaced; true on Yes.
    bool AskReplace(const std::string& path);
    // `text` in a stop box of the message library.
    void ShowText(const std::string& text);
    // The window title of the running copy: string 105 with the product name.
    std::string DialogTitle() const;

    static int ScanStatus(int type, int value, void* context);
    CKeyriderDlg* Dialog() { return dialog_.get(); }
    UINT_PTR PresenceTimer() const { return presenceTimer_; }

protected:
    // The folder of the program's libraries, icons and job ini (ends in "/").
    virtual std::string ProgramFolder() const;

private:
    bool runJobFile(const std::string& path);
    void releaseAll();
    static void presenceTick(HWND, UINT, UINT_PTR, DWORD);

    KEYRIDER_SETTINGS settings_{};
    Bundle bundle_;
    StartupValues values_;
    CommandLine commandLine_;
    std::unique_ptr<ButtonModel> buttons_;
    std::unique_ptr<KeyriderController> controller_;
    std::unique_ptr<CKeyriderDlg> dialog_;
    HMODULE resources_ = nullptr;
    HANDLE mutex_ = nullptr;
    int buttonToRun_ = -1;
    int exitStatus_ = 0;  // nonzero: a job of the command line did not run
    UINT_PTR presenceTimer_ = 0;
};

CKeyriderApp* KeyriderApp();

}  // namespace keyrider
