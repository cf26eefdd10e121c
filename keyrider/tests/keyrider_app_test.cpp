// The button manager in one process on a scripted scanner and a recording
// template: start-up, the tray and its menu, scanner events, button runs,
// exit, template switches and the main dialog's edits.
#include "keyrider/tests/keyrider_fixture.h"

#include "keyrider/button_model.h"
#include "keyrider/keyrider_ids.h"
#include "platform/afx/ui/testing.h"
#include "platform/win/ini.h"

namespace keyridertest {
namespace {

int Count(const std::vector<std::string>& calls, const std::string& what) {
    int n = 0;
    for (const auto& c : calls) n += c == what;
    return n;
}

TEST_F(KeyriderFixture, FirstStartCopiesTheMachineTreeAndListsTwelveButtonsInTheTray) {
    WriteTree();
    ASSERT_TRUE(Start());
    // The user's tree came from the machine's.
    HKEY k = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, (keyrider::InstallerKeyPath() + "\\Keyrider").c_str(),
                            0, KEY_READ, &k),
              ERROR_SUCCESS);
    EXPECT_EQ(keyrider::ReadDword(k, "First Run", 7), 0u);  // buttons were loaded
    RegCloseKey(k);

    CMenu* popup = Dialog()->TrayPopup();
    ASSERT_NE(popup, nullptr);
    CMenu* execute = popup->GetSubMenu(1);
    ASSERT_NE(execute, nullptr);
    ASSERT_EQ(execute->GetMenuItemCount(), 12u);
    std::vector<UINT> ids;
    for (int i = 0; i < 12; ++i) {
        CString text;
        execute->GetMenuString(UINT(i), text, MF_BYPOSITION);
        EXPECT_EQ(std::string(text.GetString()).rfind(std::to_string(i + 1) + ") ", 0), 0u) << text.GetString();
        ids.push_back(execute->GetMenuItemID(i));
    }
    // Buttons above 9 have ids of their own, clear of the program's commands.
    for (UINT id : ids) {
        EXPECT_NE(id, 32786u);
        EXPECT_NE(id, 32791u);
        EXPECT_NE(id, 32793u);
        EXPECT_NE(id, 32794u);
    }
    EXPECT_EQ(keyrider::ButtonFromCommand(ids[11]), 12);
    // "Quit" is never in the menu; no scanner utility is installed.
    CString text;
    EXPECT_EQ(popup->GetMenuString(ID_QUIT, text, MF_BYCOMMAND), 0);
    EXPECT_EQ(popup->GetMenuString(ID_SCANNER_UTILITY, text, MF_BYCOMMAND), 0);
    EXPECT_EQ(Dialog()->Tray().Current(), 0);  // connected icon
}

TEST_F(KeyriderFixture, ScannerEventsSwitchTheIconAndButtonPressesRunTheTemplateOnce) {
    WriteTree();
    ASSERT_TRUE(Start({}, 0));
    EXPECT_EQ(Dialog()->Tray().Current(), 1);  // disconnected
    ScriptedScanState* scan = Scan();
    EXPECT_EQ(scan->Raise(SCAN_STATUS_CONNECTION, 1), 2);
    EXPECT_EQ(Dialog()->Tray().Current(), 0);
    EXPECT_EQ(scan->Raise(SCAN_STATUS_BUTTON, 1), 1);
    RecordingTemplateLog* log = Template();
    ASSERT_NE(log, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return Count(log->calls, "run 1") == 1; }));
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(Count(log->calls, "run 1"), 1);
    // A button that is not configured, and an unknown event, do nothing.
    EXPECT_EQ(scan->Raise(SCAN_STATUS_BUTTON, 40), 1);
    EXPECT_EQ(scan->Raise(7, 1), 2);
    EXPECT_EQ(scan->Raise(SCAN_STATUS_CONNECTION, 0), 2);
    EXPECT_EQ(Dialog()->Tray().Current(), 1);
}

ScriptedScanState* g_scan = nullptr;
void PressDuringRun(int) {
    g_scan->Raise(SCAN_STATUS_BUTTON, 2);
    PumpUntil([] { return false; }, 50);
}

TEST_F(KeyriderFixture, PressesDuringAJobAreIgnored) {
    WriteTree();
    ASSERT_TRUE(Start());
    g_scan = Scan();
    RecordingTemplateLog* log = Template();
    log->runHook = PressDuringRun;
    Dialog()->SendMessage(WM_COMMAND, keyrider::ButtonCommandId(1), 0);
    log->runHook = nullptr;
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(Count(log->calls, "run 1"), 1);
    EXPECT_EQ(Count(log->calls, "run 2"), 0);
}

TEST_F(KeyriderFixture, HideIgnoresButtonsAndShowsNoIcon) {
    WriteTree();
    HKEY k = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, (keyrider::InstallerKeyPath() + "\\Keyrider").c_str(), 0,
                    nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
    DWORD one = 1;
    RegSetValueExA(k, "Hide", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4);
    RegCloseKey(k);
    ASSERT_TRUE(Start());
    EXPECT_EQ(Dialog()->Tray().Current(), -1);
    Scan()->Raise(SCAN_STATUS_BUTTON, 1);
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(Count(Template()->calls, "run 1"), 0);
}

TEST_F(KeyriderFixture, SkipButtonsIgnoresScannerEvents) {
    WriteTree();
    ASSERT_TRUE(Start({"/SKIPBTN"}, 0));
    EXPECT_EQ(Scan()->Raise(SCAN_STATUS_CONNECTION, 1), 1);
    EXPECT_EQ(Dialog()->Tray().Current(), 1);
    Scan()->Raise(SCAN_STATUS_BUTTON, 1);
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(Count(Template()->calls, "run 1"), 0);
}

ScriptedScanState* g_pollScan = nullptr;
int g_reentries = 0;
void ReenterPoll() {
    // A tick arriving while the poll runs must not poll again.
    if (keyrider::KeyriderApp()->Controller().Poll(nullptr)) ++g_reentries;
}

TEST_F(KeyriderFixture, PresenceTimerFindsALateScannerWithoutReentry) {
    WriteTree();
    ASSERT_TRUE(Start({}, 0));
    EXPECT_NE(app_->PresenceTimer(), 0u);
    g_pollScan = Scan();
    g_pollScan->presenceHook = ReenterPoll;
    g_pollScan->present = 1;
    EXPECT_TRUE(PumpUntil([&] { return Dialog()->Tray().Current() == 0; }, 5000));
    EXPECT_EQ(g_reentries, 0);
    EXPECT_EQ(app_->PresenceTimer(), 0u);
    g_pollScan->presenceHook = nullptr;
}

bool g_dialogAliveDuringRun = false;
void QuitDuringRun(int) {
    CWnd* dialog = keyrider::KeyriderApp()->Dialog();
    HWND hwnd = dialog->GetSafeHwnd();
    ::PostMessage(hwnd, WM_COMMAND, 32791, 0);
    ::PostMessage(hwnd, WM_COMMAND, 32773, 0);
    PumpUntil([] { return false; }, 100);
    g_dialogAliveDuringRun = ::IsWindow(hwnd) != FALSE;
}

TEST_F(KeyriderFixture, ExitDuringARunWaitsForTheJobsEnd) {
    WriteTree();
    ASSERT_TRUE(Start());
    HWND hwnd = Dialog()->GetSafeHwnd();
    Template()->runHook = QuitDuringRun;
    Dialog()->SendMessage(WM_COMMAND, keyrider::ButtonCommandId(1), 0);
    Template()->runHook = nullptr;
    EXPECT_TRUE(g_dialogAliveDuringRun);
    EXPECT_TRUE(app_->Controller().Ended());
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_TRUE(AfxTestScript::Shown().empty());  // quiet: nothing asked
}

TEST_F(KeyriderFixture, ExitAsksAndNoKeepsTheProgram) {
    WriteTree();
    ASSERT_TRUE(Start());
    AfxTestScript::QueueAnswer(IDNO);
    Dialog()->SendMessage(WM_COMMAND, 32773, 0);
    EXPECT_FALSE(app_->Controller().Ended());
    auto shown = AfxTestScript::Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].text.find("Keyrider"), std::string::npos);
    AfxTestScript::QueueAnswer(IDYES);
    Dialog()->SendMessage(WM_COMMAND, 32773, 0);
    EXPECT_TRUE(app_->Controller().Ended());
}

TEST_F(KeyriderFixture, RefusedTemplateSwitchKeepsTheOldTemplate) {
    WriteTree();
    // Template 2 ("filing") refuses to attach.
    MachineDword("Keyrider\\filing", "Refuse Open", 1);
    ASSERT_TRUE(Start());
    keyrider::ButtonModel& buttons = app_->Buttons();
    // Buttons bound to the refusing template are not listed.
    EXPECT_EQ(buttons.Find(2), nullptr);
    keyrider::ButtonRecord* one = buttons.Find(1);
    ASSERT_NE(one, nullptr);
    EXPECT_FALSE(buttons.SwitchTemplate(1, 2));
    EXPECT_EQ(one->templateNumber, 1);
    ASSERT_NE(one->table, nullptr);
    EXPECT_EQ(Count(Template()->calls, "close 1"), 0);
    // A working switch attaches the new one before closing the old.
    ASSERT_TRUE(buttons.SwitchTemplate(1, 3));
    EXPECT_EQ(one->templateNumber, 3);
    auto& calls = Template()->calls;
    auto openAt = std::find(calls.rbegin(), calls.rend(), "open 1");
    auto closeAt = std::find(calls.rbegin(), calls.rend(), "close 1");
    ASSERT_NE(closeAt, calls.rend());
    EXPECT_LT(std::distance(calls.rbegin(), closeAt), std::distance(calls.rbegin(), openAt));
    EXPECT_TRUE(one->modified);
}

TEST_F(KeyriderFixture, LabelEditApplyAndCancel) {
    WriteTree();
    ASSERT_TRUE(Start());
    keyrider::ButtonModel& buttons = app_->Buttons();
    EXPECT_FALSE(buttons.Rename(1, ""));
    EXPECT_TRUE(buttons.Rename(1, "Scan to printer"));
    EXPECT_EQ(buttons.MenuItems()[0].text, "1) Scan to printer");
    Dialog()->SendMessage(WM_COMMAND, IDC_APPLY, 0);
    EXPECT_FALSE(Dialog()->ApplyEnabled());
    HKEY k = nullptr;
    RegOpenKeyExA(HKEY_CURRENT_USER,
                  (keyrider::InstallerKeyPath() + "\\Keyrider\\Button\\1").c_str(), 0, KEY_READ, &k);
    EXPECT_EQ(keyrider::ReadString(k, "Button Text"), "Scan to printer");
    RegCloseKey(k);
    EXPECT_EQ(Count(Template()->calls, "save 1"), 1);
    // Cancel drops the edits of a modified button, and a template switch made
    // in the combo box: the button has its old template, text and settings.
    buttons.Find(3)->modified = true;
    auto* combo = static_cast<CComboBox*>(Dialog()->GetDlgItem(IDC_TEMPLATE_COMBO));
    combo->SetCurSel(4);  // "Custom"
    Dialog()->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_TEMPLATE_COMBO, CBN_SELCHANGE),
                          reinterpret_cast<LPARAM>(combo->GetSafeHwnd()));
    EXPECT_EQ(buttons.Find(1)->templateNumber, 5);
    EXPECT_TRUE(buttons.Rename(1, "Scan to nowhere"));
    Dialog()->SendMessage(WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(Count(Template()->calls, "revert 3"), 1);
    EXPECT_FALSE(Dialog()->IsWindowVisible());
    EXPECT_EQ(buttons.Find(1)->templateNumber, 1);
    EXPECT_EQ(buttons.Find(1)->text, "Scan to printer");
    EXPECT_EQ(buttons.Find(1)->context->TemplateKeyPath, "copy");
    EXPECT_EQ(combo->GetCurSel(), 0);
    // A later Apply writes the old template, not the dropped one.
    Dialog()->SendMessage(WM_COMMAND, IDC_APPLY, 0);
    RegOpenKeyExA(HKEY_CURRENT_USER,
                  (keyrider::InstallerKeyPath() + "\\Keyrider\\Button\\1").c_str(), 0, KEY_READ, &k);
    EXPECT_EQ(keyrider::ReadDword(k, "Application Type", 0), 1u);
    RegCloseKey(k);
}

TEST_F(KeyriderFixture, LockMessageIndexesOutsideTheButtonsAreIgnored) {
    WriteTree();
    ASSERT_TRUE(Start());
    Dialog()->SendMessage(keyrider::kMsgLockValue, 3, 7);
    EXPECT_EQ(Dialog()->LockOf(3), 7);
    Dialog()->SendMessage(keyrider::kMsgLockValue, 11, 9);
    Dialog()->SendMessage(keyrider::kMsgLockValue, WPARAM(-1), 9);
    Dialog()->SendMessage(keyrider::kMsgLockValue, 100000, 9);
    EXPECT_EQ(Dialog()->LockOf(11), 0);
    Dialog()->SendMessage(keyrider::kMsgLockValue, 1, 5);
    EXPECT_EQ(Dialog()->CurrentLock(), 5);
}

TEST_F(KeyriderFixture, NoUsableTemplateListsNoButtonsAndKeepsFirstRun) {
    options_.templateDll = "Missing.dll";
    WriteTree();
    ASSERT_TRUE(Start());
    EXPECT_EQ(app_->Buttons().Count(), 0);
    EXPECT_EQ(Dialog()->TrayPopup()->GetSubMenu(1)->GetMenuItemCount(), 0u);
    HKEY k = nullptr;
    RegOpenKeyExA(HKEY_CURRENT_USER, (keyrider::InstallerKeyPath() + "\\Keyrider").c_str(), 0,
                  KEY_READ, &k);
    EXPECT_EQ(keyrider::ReadDword(k, "First Run", 0), 1u);
    RegCloseKey(k);
}

TEST_F(KeyriderFixture, EmptyBlankPageTableGivesZeroThresholds) {
    WriteTree();
    RegDeleteTreeA(HKEY_LOCAL_MACHINE,
                   (keyrider::InstallerKeyPath() + "\\Remove Blank Page\\Color").c_str());
    MachineDword("Keyrider", "Remove Blank Page Sensitivity", 15);
    ASSERT_TRUE(Start());
    EXPECT_EQ(Dialog()->BlankPages().Count(), 0);
    EXPECT_EQ(Dialog()->SensitivityLevel(), 0);
    const UTILITY_BLANKPAGE b = Template()->lastBlank;
    EXPECT_EQ(b.Color, 0u);
    EXPECT_EQ(b.Gray, 0u);
    EXPECT_EQ(b.BW, 0u);
}

TEST_F(KeyriderFixture, EjectDirectionTwoRemovesTheEjectMenu) {
    WriteTree();
    MachineDword("", "Paper Eject Direction", 2);
    ASSERT_TRUE(Start());
    CString text;
    EXPECT_EQ(Dialog()->TrayPopup()->GetMenuString(ID_EJECT_FORWARD, text, MF_BYCOMMAND), 0);
}

TEST_F(KeyriderFixture, ShowSwitchDoubleClickAndApplyNotifications) {
    WriteTree();
    ASSERT_TRUE(Start({"/M"}));
    EXPECT_TRUE(Dialog()->IsWindowVisible());
    Dialog()->ShowWindow(SW_HIDE);
    // A double click on the tray icon opens the dialog while the scanner is there.
    const UINT trayMessage = RegisterWindowMessage(options_.productName.c_str());
    Dialog()->SendMessage(trayMessage, 0, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(Dialog()->IsWindowVisible());
    // Templates tell of edits and of changed global settings.
    const UINT apply = RegisterWindowMessage("Keyrider Apply Notification");
    EXPECT_FALSE(Dialog()->ApplyEnabled());
    Dialog()->SendMessage(apply, keyrider::kApplyNotifyChanged, 1);
    EXPECT_TRUE(Dialog()->ApplyEnabled());
    // Enter in the list neither applies nor closes the dialog.
    CWnd* list = Dialog()->GetDlgItem(IDC_BUTTON_LIST);
    list->SetFocus();
    AfxTestKey(list, VK_RETURN);
    PumpUntil([] { return false; }, 50);
    EXPECT_TRUE(Dialog()->IsWindowVisible());
    EXPECT_TRUE(Dialog()->ApplyEnabled());
    EXPECT_EQ(Count(Template()->calls, "save 1"), 0);
    Dialog()->SendMessage(apply, keyrider::kApplyNotifyChanged, 2);
    EXPECT_EQ(Count(Template()->calls, "global 1"), 1);
    // Closing only hides.
    Dialog()->SendMessage(WM_CLOSE, 0, 0);
    EXPECT_FALSE(Dialog()->IsWindowVisible());
    EXPECT_TRUE(::IsWindow(Dialog()->GetSafeHwnd()));
}

LRESULT EndLabelEdit(CWnd* dialog, int item, char* text) {
    NMLVDISPINFO info{};
    info.hdr.idFrom = IDC_BUTTON_LIST;
    info.hdr.code = LVN_ENDLABELEDIT;
    info.hdr.hwndFrom = dialog->GetDlgItem(IDC_BUTTON_LIST)->GetSafeHwnd();
    info.item.iItem = item;
    info.item.pszText = text;
    return dialog->SendMessage(WM_NOTIFY, IDC_BUTTON_LIST, reinterpret_cast<LPARAM>(&info));
}

TEST_F(KeyriderFixture, LabelEditRenamesTheButtonAndItsTrayItem) {
    WriteTree();
    ASSERT_TRUE(Start());
    char empty[] = "";
    EndLabelEdit(Dialog(), 1, empty);
    EXPECT_EQ(app_->Buttons().Find(2)->text, "Filing 2");  // an empty name is refused
    EXPECT_FALSE(Dialog()->ApplyEnabled());
    std::string longName(300, 'x');
    EndLabelEdit(Dialog(), 1, longName.data());
    EXPECT_EQ(app_->Buttons().Find(2)->text.size(), 259u);  // bounded to the button text's 260 bytes
    char name[] = "To the archive";
    EndLabelEdit(Dialog(), 1, name);
    EXPECT_TRUE(Dialog()->ApplyEnabled());
    CString text;
    Dialog()->TrayPopup()->GetSubMenu(1)->GetMenuString(1, text, MF_BYPOSITION);
    EXPECT_STREQ(text, "2) To the archive");
}

TEST_F(KeyriderFixture, WithoutScannerTheShowSwitchKeepsTheDialogHidden) {
    WriteTree();
    ASSERT_TRUE(Start({"/M"}, 0));
    EXPECT_FALSE(Dialog()->IsWindowVisible());
    const UINT trayMessage = RegisterWindowMessage(options_.productName.c_str());
    Dialog()->SendMessage(trayMessage, 0, WM_LBUTTONDBLCLK);
    EXPECT_FALSE(Dialog()->IsWindowVisible());
}

TEST_F(KeyriderFixture, ExportButtonWritesTheJobIniWhereTheUserSays) {
    WriteTree();
    ASSERT_TRUE(Start());
    // The save dialog offers the program's own job file; the user picks another place.
    const fs::path ini = root_ / "exported.ini";
    AfxTestScript::QueueFile(ini.string());
    Dialog()->SendMessage(WM_COMMAND, IDC_EXPORT_INI, 0);
    ASSERT_EQ(AfxTestScript::Shown().size(), 1u);
    EXPECT_EQ(AfxTestScript::Shown()[0].kind, "file");
    EXPECT_EQ(AfxTestScript::Shown()[0].name, "Keyrider.ini");
    EXPECT_FALSE(fs::exists(folder_ / "Keyrider.ini"));
    ASSERT_TRUE(fs::exists(ini));
    char text[64] = {};
    GetPrivateProfileStringA("Summary", "Utility Count", "", text, sizeof text, ini.c_str());
    EXPECT_STREQ(text, "12");
    // Nine templates, one a kind of action: button 12 has the third.
    GetPrivateProfileStringA("Summary", "12", "", text, sizeof text, ini.c_str());
    EXPECT_STREQ(text, "pdf");
    GetPrivateProfileStringA("12", "Description", "", text, sizeof text, ini.c_str());
    EXPECT_STREQ(text, "Make a PDF file of the scanned pages");
    EXPECT_EQ(AfxTestScript::Shown().size(), 1u);  // no error box
    // A place that cannot be written is told in the export's own box; Cancel writes nothing.
    AfxTestScript::Clear();
    AfxTestScript::QueueFile((root_ / "no-such-folder" / "job.ini").string());
    Dialog()->SendMessage(WM_COMMAND, IDC_EXPORT_INI, 0);
    ASSERT_EQ(AfxTestScript::Shown().size(), 2u);
    EXPECT_EQ(AfxTestScript::Shown()[1].title, "Registry export");
    EXPECT_EQ(AfxTestScript::Shown()[1].text, "Error while creating the file");
    AfxTestScript::QueueFile("");
    Dialog()->SendMessage(WM_COMMAND, IDC_EXPORT_INI, 0);
    EXPECT_FALSE(fs::exists(folder_ / "Keyrider.ini"));
}

// The system menu's About item opens dialog 100 (grabbed for a look); other
// system commands do not.
TEST_F(KeyriderFixture, SystemMenuAboutItemShowsTheAboutBox) {
    WriteTree();
    ASSERT_TRUE(Start());
    CMenu* menu = Dialog()->GetSystemMenu(FALSE);
    ASSERT_NE(menu, nullptr);
    CString text;
    menu->GetMenuString(IDM_ABOUTBOX, text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "&About Keyrider...");
    static std::string grab;
    grab = (BuildFolder().parent_path() / "grabs" / "keyrider" / "about_box.png").string();
    fs::create_directories(fs::path(grab).parent_path());
    AfxTestScript::Clear();
    AfxTestScript::QueueDialogAction([](CWnd* about, void*) { about->GrabToFile(grab.c_str()); }, nullptr);
    AfxTestScript::QueueAnswer(IDOK);
    Dialog()->SendMessage(WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    auto shown = AfxTestScript::Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, "dialog");
    EXPECT_EQ(shown[0].type, UINT(IDD_ABOUTBOX));
    EXPECT_EQ(shown[0].title, "About Keyrider");
    EXPECT_TRUE(fs::exists(grab));
    // The low four bits are the system's own; 32 is no About command.
    AfxTestScript::Clear();
    AfxTestScript::QueueAnswer(IDOK);
    Dialog()->SendMessage(WM_SYSCOMMAND, IDM_ABOUTBOX + 3, 0);
    EXPECT_EQ(AfxTestScript::Shown().size(), 1u);
    AfxTestScript::Clear();
    Dialog()->SendMessage(WM_SYSCOMMAND, 0x20, 0);
    EXPECT_TRUE(AfxTestScript::Shown().empty());
}

}  // namespace
}  // namespace keyridertest
