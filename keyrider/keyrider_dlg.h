// The main dialog (hidden at start): the button list, the template choice
// and panel, the description, and the tray icon with its menu. What it does
// is the button model's and the controller's; it only shows and forwards.
#pragma once

#include <array>
#include <map>
#include <string>

#include "keyrider/blank_page_table.h"
#include "keyrider/global_settings_dlg.h"
#include "keyrider/keyrider_controller.h"
#include "keyrider/tray_icon.h"
#include "platform/afx/afxwin.h"

namespace keyrider {

class CKeyriderApp;

// Notifications of the templates and the settings dialog.
inline constexpr WPARAM kApplyNotifyChanged = 0x05080330;
inline constexpr WPARAM kApplyNotifyIcon = 0x02200115;
inline constexpr UINT kMsgShowTrayAgain = 6579;
// What kApplyNotifyIcon points at: the button and its template's own icon
// (none: the template's icon again).
struct ButtonIconNotice {
    int number;
    HICON icon;
};
// The text background of the current button in the list.
inline constexpr COLORREF kCurrentItemBackground = 0xFFFF00;
inline constexpr UINT kMsgLockValue = 6580;

class CKeyriderDlg : public CDialog, public KeyriderView {
public:
    explicit CKeyriderDlg(CKeyriderApp& app);

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    BOOL PreTranslateMessage(MSG* msg) override;

    // KeyriderView.
    void SetTrayIcon(bool connected) override;
    void PostCommand(unsigned id) override;
    void HideDialog() override;
    void EnableDialog(bool enable) override;
    void UpdateEjectMenu(bool connected) override;
    void FirstConnect() override;
    int Ask(const std::string& text) override;
    void Stop(const std::string& text) override;
    void Quit() override;
    void StartUtility(const std::string& exe) override;

    // The tray's popup menu as it stands (for the tray and for tests).
    CMenu* TrayPopup();
    // Refreshes the popup's enabled states as before every popup.
    void UpdateTrayMenu();
    CTrayIcon& Tray() { return tray_; }
    int CurrentLock() const { return currentLock_; }
    int LockOf(int index) const;
    bool ApplyEnabled();
    BlankPageTable& BlankPages() { return blankPages_; }
    int SensitivityLevel() const { return level_; }
    // What the "Global Settings" dialog starts from for the current button.
    GlobalSettingsInput SettingsInput();
    EDGEFILL_SETTINGS& EdgeFill() { return edgeFill_; }

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void addAboutToSystemMenu();
    void fillControls();
    void selectButton(int index);
    void buildTrayMenu();
    void apply();
    void exportIni();
    void enableApply(bool enable);
    void readEdgeFill();
    void writeEdgeFill();
    void openGlobalSettings();
    void setButtonIcon(const ButtonIconNotice& notice);
    // A stop box of the message library; the application's name is the default caption.
    void stopBox(const std::string& text, const std::string& caption);

    CKeyriderApp& app_;
    CMenu trayMenu_;
    CImageList images_;  // one icon a template, in template order, then the templates' own
    std::map<int, int> customIcons_;  // button number -> its own icon in images_
    CTrayIcon tray_;
    UINT trayMessage_ = 0;
    UINT applyMessage_ = 0;
    int connectedIcon_ = -1, disconnectedIcon_ = -1;
    int current_ = -1;
    bool initialised_ = false;
    bool ejectRemoved_ = false;
    bool hide_ = false;
    std::array<int, 11> locks_{};
    int currentLock_ = 0;
    BlankPageTable blankPages_;
    int level_ = 0;
    EDGEFILL_SETTINGS edgeFill_{};
};

}  // namespace keyrider
