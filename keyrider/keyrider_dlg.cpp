#include "keyrider/keyrider_dlg.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "keyrider/bounded_text.h"
#include "keyrider/job_export.h"
#include "keyrider/keyrider_app.h"
#include "keyrider/keyrider_ids.h"
#include "platform/win/path.h"
#include "platform/win/process.h"
#include "platform/win/registry.h"

namespace keyrider {
namespace {

// The sub-menu of `menu` holding command `id`, with its position.
CMenu* subMenuWith(CMenu* menu, UINT id, int* position = nullptr) {
    if (!menu) return nullptr;
    for (UINT i = 0; i < menu->GetMenuItemCount(); ++i) {
        CMenu* sub = menu->GetSubMenu(int(i));
        if (!sub) continue;
        for (UINT j = 0; j < sub->GetMenuItemCount(); ++j)
            if (sub->GetMenuItemID(int(j)) == id) {
                if (position) *position = int(i);
                return sub;
            }
    }
    return nullptr;
}

}  // namespace

CKeyriderDlg::CKeyriderDlg(CKeyriderApp& app) : app_(app) {}

int CKeyriderDlg::LockOf(int index) const { return index >= 0 && index <= 10 ? locks_[std::size_t(index)] : 0; }

CMenu* CKeyriderDlg::TrayPopup() { return trayMenu_.GetSafeHmenu() ? trayMenu_.GetSubMenu(0) : nullptr; }

bool CKeyriderDlg::ApplyEnabled() {
    CWnd* apply = GetDlgItem(IDC_APPLY);
    return apply && apply->IsWindowEnabled();
}

void CKeyriderDlg::readEdgeFill() {
    KEYRIDER_SETTINGS& s = app_.Settings();
    HKEY k = nullptr;
    RegCreateKeyExA(s.AppKey, "Edge Fill", 0, nullptr, 0, KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE, nullptr, &k, nullptr);
    auto number = [&](const char* name, double def) {
        const std::string text = ReadString(k, name);
        char* end = nullptr;
        double v = text.empty() ? def : std::strtod(text.c_str(), &end);
        return text.empty() || (end && *end) ? def : v;
    };
    EDGEFILL_SETTINGS& e = edgeFill_;
    e.Flags = WORD(ReadDword(k, "Flag", 4) & 0xFFFF);
    if (ReadDword(s.InstallerKey, "Edge Fill - Unit", 0) != 0)
        e.Flags = WORD(e.Flags | 2);
    else
        e.Flags = 4;
    e.Min = number("Min", 0.01);
    e.Max = number("Max", 1.0);
    e.Inc = number("Inc", 0.01);
    e.Enable = ReadDword(k, "Enable", 0) != 0;
    e.Color = ReadDword(k, "Color", 0xFFFFFF);
    e.Gray = ReadDword(k, "Gray", 0xFFFFFF);
    e.BW = ReadDword(k, "BW", 0xFFFFFF);
    e.AllSame = ReadDword(k, "AllSame", 0) != 0;
    e.Top = number("Top", 0.01);
    e.Left = number("Left", 0.01);
    e.Right = number("Right", 0.01);
    e.Bottom = number("Bottom", 0.01);
    if (k) RegCloseKey(k);
}

void CKeyriderDlg::writeEdgeFill() {
    HKEY k = nullptr;
    if (RegCreateKeyExA(app_.Settings().AppKey, "Edge Fill", 0, nullptr, 0, KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE,
                        nullptr, &k, nullptr) != ERROR_SUCCESS)
        return;
    const EDGEFILL_SETTINGS& e = edgeFill_;
    auto dword = [&](const char* name, DWORD v) { RegSetValueExA(k, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4); };
    auto number = [&](const char* name, double v) {
        char text[64];
        std::snprintf(text, sizeof text, "%lf", v);
        RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), DWORD(std::strlen(text) + 1));
    };
    dword("Flag", e.Flags);
    number("Min", e.Min);
    number("Max", e.Max);
    number("Inc", e.Inc);
    dword("Enable", DWORD(e.Enable));
    dword("Color", e.Color);
    dword("Gray", e.Gray);
    dword("BW", e.BW);
    dword("AllSame", DWORD(e.AllSame));
    number("Top", e.Top);
    number("Left", e.Left);
    number("Right", e.Right);
    number("Bottom", e.Bottom);
    RegCloseKey(k);
}

GlobalSettingsInput CKeyriderDlg::SettingsInput() {
    KEYRIDER_SETTINGS& s = app_.Settings();
    GlobalSettingsInput in;
    in.appKey = s.AppKey;
    in.edgeFill = app_.Libraries().EdgeFill();
    in.edgeFillSettings = &edgeFill_;
    in.showBlankPage = ReadDword(s.InstallerKey, "Show BlankPage Controls", 1) != 0;
    in.showEdgeFill = ReadDword(s.InstallerKey, "Edge Fill-Hide", 0) == 0;
    in.showMultiImage = ReadDword(s.InstallerKey, "Show Multi-Image", 0) != 0;
    in.showPunchHole = ReadDword(s.InstallerKey, "Show RemovePunchHole", 0) != 0;
    in.lock = currentLock_;
    in.levelCount = blankPages_.Count();
    in.level = level_;
    in.displayBlankMessage = &s.DisplayBlankPageMessage;
    const auto& buttons = app_.Buttons().Buttons();
    if (current_ >= 0 && current_ < int(buttons.size())) {
        const ButtonRecord& b = *buttons[std::size_t(current_)];
        in.templateAvailable = b.context && b.context->TemplateAvailable;
        if (b.context && b.context->ScanBlock) {
            const UTILITY_SCANBLOCK& block = *b.context->ScanBlock;
            in.scan = {block.MultiImageKind, block.Mode, block.Side, block.Resolution, block.MinResolution, block.MaxResolution};
        }
    }
    return in;
}

void CKeyriderDlg::openGlobalSettings() {
    GlobalSettingsInput in = SettingsInput();
    CGlobalSettingsDlg dialog(in, this);
    if (dialog.DoModal() == IDOK) {
        level_ = in.level;
        SendMessage(applyMessage_, kApplyNotifyChanged, 1);
    }
}

void CKeyriderDlg::enableApply(bool enable) {
    if (CWnd* apply = GetDlgItem(IDC_APPLY)) apply->EnableWindow(enable);
}

BOOL CKeyriderDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    addAboutToSystemMenu();
    KEYRIDER_SETTINGS& s = app_.Settings();
    RECT panel{};
    if (CWnd* placeholder = GetDlgItem(IDC_TEMPLATE_PANEL)) {
        placeholder->GetWindowRect(&panel);
        ScreenToClient(&panel);
    }
    if (!app_.Buttons().Load(this, panel)) {
        EndDialog(IDCANCEL);
        return TRUE;
    }
    fillControls();

    // Tray: its message, its menu with one item a button, its two icons.
    trayMessage_ = RegisterWindowMessage(s.ProductName.GetString());
    applyMessage_ = RegisterWindowMessage("Keyrider Apply Notification");
    buildTrayMenu();
    hide_ = ReadDword(s.AppKey, "Hide", 0) != 0;
    app_.Controller().hide = hide_;
    tray_.Attach(this, trayMessage_);
    const std::string folder = s.ProgramFolder.GetString();
    connectedIcon_ = tray_.AddIcon(AfxLoadIconFile((folder + "Connect.ico").c_str()),
                                   ReadString(s.AppKey, "On Line Tooltips", "Scanner ready!"));
    disconnectedIcon_ = tray_.AddIcon(AfxLoadIconFile((folder + "Disconnect.ico").c_str()),
                                      ReadString(s.AppKey, "Off Line Tooltips", "Scanner not found!"));
    if (!hide_) tray_.SetIcon(s.ScannerPresent ? connectedIcon_ : disconnectedIcon_, true);
    UpdateEjectMenu(s.ScannerPresent);

    blankPages_.Read(s.InstallerKey);
    readEdgeFill();
    level_ = BlankPageTable::CheckedLevel(ReadDword(s.AppKey, "Remove Blank Page Sensitivity", 0));
    s.DisplayBlankPageMessage = ReadDword(s.AppKey, "Display Blank Page Message", 1);
    s.CustomPaperSizeUnit = ReadDword(s.AppKey, "Custom Paper Size Unit", 0);
    s.CustomPaperSizeIsCenter = ReadDword(s.AppKey, "Custom Paper Size Is Center", 1);
    enableApply(false);
    initialised_ = true;

    if (s.ScannerPresent)
        FirstConnect();
    else if (app_.PendingButton() != -1) {
        app_.ShowMessage(15);
        app_.ClearPendingButton();
    }
    bool exportShown = ReadDword(s.AppKey, "Export to Ini Enabled", 0) != 0;
    if (!app_.Arguments().empty && app_.PendingButton() != -1) exportShown = app_.Arguments().exportSwitch;
    if (CWnd* exportButton = GetDlgItem(IDC_EXPORT_INI)) exportButton->ShowWindow(exportShown ? SW_SHOW : SW_HIDE);
    return TRUE;
}

void CKeyriderDlg::addAboutToSystemMenu() {
    CMenu* menu = GetSystemMenu(FALSE);
    CString about;
    about.LoadString(IDS_ABOUTBOX);
    // Added once, also when the dialog is made again on the same menu.
    if (!menu || about.IsEmpty() || menu->GetMenuState(IDM_ABOUTBOX, MF_BYCOMMAND) != UINT(-1)) return;
    menu->AppendMenu(MF_SEPARATOR);
    menu->AppendMenu(MF_STRING, IDM_ABOUTBOX, about);
}

void CKeyriderDlg::fillControls() {
    auto* list = static_cast<CListCtrl*>(GetDlgItem(IDC_BUTTON_LIST));
    auto* combo = static_cast<CComboBox*>(GetDlgItem(IDC_TEMPLATE_COMBO));
    if (!list || !combo) return;
    list->DeleteAllItems();
    combo->ResetContent();
    // The templates' icons: "Icon" when the template is available, else
    // "Disable Icon", from the program folder; the program's own without them.
    images_.DeleteImageList();
    const int size = app_.Buttons().IconSize() > 0 ? app_.Buttons().IconSize() : 32;
    images_.Create(size, size, ILC_COLOR24, 0, 4);
    HICON fallback = AfxGetApp()->LoadIcon(IDI_KEYRIDER);
    const std::string folder = app_.Settings().ProgramFolder.GetString();
    for (const TemplateRecord& t : app_.Buttons().Templates()) {
        HICON icon = AfxLoadIconFile((folder + (t.probe == 0 ? t.icon : t.disableIcon)).c_str());
        images_.Add(icon ? icon : fallback);
    }
    list->SetImageList(&images_, LVSIL_NORMAL);
    for (const TemplateRecord& t : app_.Buttons().Templates()) {
        int at = combo->AddString(t.name.c_str());
        combo->SetItemData(at, DWORD_PTR(t.index));
    }
    int i = 0;
    for (const auto& b : app_.Buttons().Buttons()) {
        list->InsertItem(i, b->text.c_str(), b->templateNumber - 1);
        list->SetItemData(i, DWORD_PTR(b->textEditable));
        ++i;
    }
    // One column: each item below the one before, by one item's height.
    RECT first{};
    if (i > 0 && list->GetItemRect(0, &first, LVIR_BOUNDS)) {
        const int height = first.bottom - first.top;
        for (int at = 1; at < i; ++at) list->SetItemPosition(at, POINT{first.left, first.top + at * height});
    }
    customIcons_.clear();
    if (app_.Buttons().Count() > 0) selectButton(app_.Buttons().FirstAvailable());
}

void CKeyriderDlg::selectButton(int index) {
    const auto& buttons = app_.Buttons().Buttons();
    if (index < 0 || index >= int(buttons.size())) return;
    if (current_ >= 0 && current_ < int(buttons.size()) && current_ != index) {
        ButtonRecord& old = *buttons[std::size_t(current_)];
        if (old.table && old.table->UtilityShow) old.table->UtilityShow(old.context.get(), FALSE);
    }
    current_ = index;
    ButtonRecord& b = *buttons[std::size_t(index)];
    currentLock_ = LockOf(b.number);
    if (b.table && b.table->UtilityShow) b.table->UtilityShow(b.context.get(), TRUE);
    if (auto* combo = static_cast<CComboBox*>(GetDlgItem(IDC_TEMPLATE_COMBO))) {
        combo->SetCurSel(b.templateNumber - 1);
        combo->EnableWindow(b.characteristic == 1);
    }
    SetDlgItemText(IDC_DESCRIPTION, b.description.c_str());
    if (auto* edit = static_cast<CEdit*>(GetDlgItem(IDC_DESCRIPTION))) edit->SetReadOnly(!b.textEditable);
    if (auto* list = static_cast<CListCtrl*>(GetDlgItem(IDC_BUTTON_LIST)))
        list->SetItemState(index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void CKeyriderDlg::buildTrayMenu() {
    if (!trayMenu_.LoadMenu(IDR_TRAY_MENU)) return;
    CMenu* popup = TrayPopup();
    if (!popup) return;
    popup->DeleteMenu(ID_QUIT, MF_BYCOMMAND);
    if (app_.Values().utilityExe.empty() ||
        !std::filesystem::exists(suite::NativePathOfEither(app_.Values().utilityExe)))
        popup->DeleteMenu(ID_SCANNER_UTILITY, MF_BYCOMMAND);
    if (CMenu* execute = subMenuWith(popup, ID_BUTTON_1)) {
        while (execute->GetMenuItemCount() > 0) execute->DeleteMenu(0, MF_BYPOSITION);
        for (const MenuItem& item : app_.Buttons().MenuItems())
            execute->AppendMenu(MF_STRING, item.id, item.text.c_str());
    }
}

void CKeyriderDlg::UpdateTrayMenu() {
    CMenu* popup = TrayPopup();
    if (!popup) return;
    const bool present = app_.Settings().ScannerPresent;
    const UINT state = present ? MF_ENABLED : MF_GRAYED;
    popup->EnableMenuItem(ID_BUTTON_CONFIGURATION, MF_BYCOMMAND | state);
    popup->EnableMenuItem(ID_SCANNER_UTILITY, MF_BYCOMMAND | state);
    int position = -1;
    if (subMenuWith(popup, ID_BUTTON_1, &position) || position >= 0)
        popup->EnableMenuItem(UINT(position), MF_BYPOSITION | state);
    for (const MenuItem& item : app_.Buttons().MenuItems())
        popup->EnableMenuItem(item.id, MF_BYCOMMAND | (item.enabled ? MF_ENABLED : MF_GRAYED));
    popup->EnableMenuItem(ID_EXIT, MF_BYCOMMAND | MF_ENABLED);
}

void CKeyriderDlg::UpdateEjectMenu(bool connected) {
    CMenu* popup = TrayPopup();
    int position = -1;
    CMenu* eject = subMenuWith(popup, ID_EJECT_FORWARD, &position);
    if (!eject || ejectRemoved_) return;
    if (!connected) {
        popup->EnableMenuItem(UINT(position), MF_BYPOSITION | MF_GRAYED);
        eject->EnableMenuItem(ID_EJECT_FORWARD, MF_BYCOMMAND | MF_GRAYED);
        eject->EnableMenuItem(ID_EJECT_BACKWARD, MF_BYCOMMAND | MF_GRAYED);
        return;
    }
    bool found = false;
    DWORD direction = ReadDword(app_.Settings().InstallerKey, "Paper Eject Direction", 0, &found);
    if (!found) return;
    if (direction > 1) {
        popup->DeleteMenu(UINT(position), MF_BYPOSITION);
        ejectRemoved_ = true;
        return;
    }
    popup->EnableMenuItem(UINT(position), MF_BYPOSITION | MF_ENABLED);
    eject->EnableMenuItem(ID_EJECT_FORWARD, MF_BYCOMMAND | MF_ENABLED);
    eject->EnableMenuItem(ID_EJECT_BACKWARD, MF_BYCOMMAND | MF_ENABLED);
    eject->CheckMenuItem(ID_EJECT_FORWARD, MF_BYCOMMAND | (direction == 0 ? MF_CHECKED : MF_UNCHECKED));
    eject->CheckMenuItem(ID_EJECT_BACKWARD, MF_BYCOMMAND | (direction == 1 ? MF_CHECKED : MF_UNCHECKED));
}

void CKeyriderDlg::SetTrayIcon(bool connected) {
    app_.Settings().ScannerPresent = connected;
    tray_.SetIcon(connected ? connectedIcon_ : disconnectedIcon_, false);
}

void CKeyriderDlg::PostCommand(unsigned id) { PostMessage(WM_COMMAND, id, 0); }

void CKeyriderDlg::HideDialog() {
    if (GetSafeHwnd()) ShowWindow(SW_HIDE);
}

void CKeyriderDlg::EnableDialog(bool enable) {
    if (GetSafeHwnd()) EnableWindow(enable);
}

void CKeyriderDlg::FirstConnect() {
    const UTILITY_BLANKPAGE thresholds = blankPages_.Thresholds(level_);
    for (const auto& b : app_.Buttons().Buttons()) {
        if (!b->enabled || !b->table) continue;
        if (b->table->UtilityPrepare) b->table->UtilityPrepare(b->context.get());
        if (b->table->UtilitySetBlankPage) b->table->UtilitySetBlankPage(b->context.get(), &thresholds);
    }
    // With every page of the Global Settings off there is nothing to open.
    const GlobalSettingsInput in = SettingsInput();
    const bool anyPage = in.showBlankPage || in.showEdgeFill || in.showMultiImage || in.showPunchHole;
    if (CWnd* global = GetDlgItem(IDC_GLOBAL_SETTINGS)) global->ShowWindow(anyPage ? SW_SHOW : SW_HIDE);
}

void CKeyriderDlg::setButtonIcon(const ButtonIconNotice& notice) {
    const auto& buttons = app_.Buttons().Buttons();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (buttons[i]->number != notice.number) continue;
        auto* list = static_cast<CListCtrl*>(GetDlgItem(IDC_BUTTON_LIST));
        int image = buttons[i]->templateNumber - 1;
        if (notice.icon) {
            // A template's own icon takes a place of its own in the image list.
            auto own = customIcons_.find(notice.number);
            image = own != customIcons_.end() ? images_.Replace(own->second, notice.icon) : images_.Add(notice.icon);
            customIcons_[notice.number] = image;
        } else {
            customIcons_.erase(notice.number);
        }
        if (list) list->SetItem(int(i), 0, LVIF_IMAGE, nullptr, image, 0, 0, 0);
        return;
    }
}

int CKeyriderDlg::Ask(const std::string& text) {
    const TARRIK_FUNCTIONTABLE* m = app_.Libraries().Messages();
    if (!m) return IDNO;
    return m->MsgShowBox(GetSafeHwnd(), 14, text.c_str(), 0, app_.Settings().ApplicationName.GetString(),
                         MB_YESNO | MB_ICONQUESTION, IDI_KEYRIDER);
}

void CKeyriderDlg::Stop(const std::string& text) { stopBox(text, {}); }

void CKeyriderDlg::stopBox(const std::string& text, const std::string& caption) {
    const TARRIK_FUNCTIONTABLE* m = app_.Libraries().Messages();
    if (m)
        m->MsgShowBox(GetSafeHwnd(), 0, text.c_str(), 0,
                      caption.empty() ? app_.Settings().ApplicationName.GetString() : caption.c_str(), MB_ICONHAND,
                      IDI_KEYRIDER);
}

void CKeyriderDlg::Quit() {
    tray_.SetIcon(-1, false);
    DestroyWindow();
    PostQuitMessage(0);
}

void CKeyriderDlg::StartUtility(const std::string& exe) {
    if (std::filesystem::exists(suite::NativePathOfEither(exe))) ShellExecuteA(GetSafeHwnd(), "open", exe.c_str(), nullptr, nullptr, SW_SHOW);
}

void CKeyriderDlg::apply() {
    KEYRIDER_SETTINGS& s = app_.Settings();
    auto setDword = [&](const char* name, DWORD v) {
        RegSetValueExA(s.AppKey, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4);
    };
    setDword("Remove Blank Page Sensitivity", DWORD(level_));
    setDword("Display Blank Page Message", s.DisplayBlankPageMessage);
    setDword("Custom Paper Size Unit", s.CustomPaperSizeUnit);
    setDword("Custom Paper Size Is Center", s.CustomPaperSizeIsCenter ? 1 : 0);
    writeEdgeFill();
    app_.Buttons().Apply();
    const UTILITY_BLANKPAGE thresholds = blankPages_.Thresholds(level_);
    for (const auto& b : app_.Buttons().Buttons())
        if (b->enabled && b->table && b->table->UtilitySetBlankPage) b->table->UtilitySetBlankPage(b->context.get(), &thresholds);
    if (const SCAN_FUNCTIONTABLE* scan = app_.Libraries().Scan()) scan->ScanSettingsApplied();
    enableApply(false);
}

void CKeyriderDlg::exportIni() {
    // Where to write: the program's own job file unless the user picks another.
    std::string ini = std::string(app_.Settings().ProgramFolder.GetString()) + "Keyrider.ini";
    CFileDialog where(FALSE, "ini", ini.c_str(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, "Job files (*.ini)|*.ini||", this);
    if (where.DoModal() != IDOK) return;
    ini = where.GetPathName().GetString();
    const TARRIK_FUNCTIONTABLE* m = app_.Libraries().Messages();
    struct Progress : ExportProgress {
        const TARRIK_FUNCTIONTABLE* m;
        CWnd* dialog;
        void Text(const std::string& t) override {
            if (m) m->MsgSetProgressText(0, t.c_str());
        }
        void Percent(int p) override {
            if (m) m->MsgSetProgress(p);
            // The dialog under the progress window stays drawn.
            dialog->RedrawWindow();
            dialog->UpdateWindow();
        }
    } progress;
    progress.m = m;
    progress.dialog = this;
    const std::string caption = MessageText(m, 28);
    if (m) {
        MSG_PROGRESS record{GetSafeHwnd(), caption.c_str(), 100};
        m->MsgOpenProgress(&record);
    }
    std::vector<ExportButton> buttons;
    for (const auto& b : app_.Buttons().Buttons()) {
        const auto& templates = app_.Buttons().Templates();
        if (b->templateNumber >= 1 && b->templateNumber <= int(templates.size()))
            buttons.push_back({b->number, templates[std::size_t(b->templateNumber - 1)].keyPath});
    }
    ExportOutcome outcome = ExportJobIni(app_.Settings().AppKeyPath.GetString(), buttons, ini, MessageText(m, 29), &progress);
    if (m) m->MsgCloseProgress();
    if (!outcome.written)
        stopBox("Error while creating the file", "Registry export");
    else if (!outcome.skipped.empty())
        stopBox("Some settings hold line breaks or \"=\" in their names and were not exported (" +
                 std::to_string(outcome.skipped.size()) + ").",
             "Registry export");
}

void CKeyriderDlg::OnOK() {
    apply();
    ShowWindow(SW_HIDE);
}

BOOL CKeyriderDlg::PreTranslateMessage(MSG* msg) {
    // Enter applies and closes nothing: OK does that when it is pressed. A
    // control that takes every key (a label being edited) still gets it.
    if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) {
        CWnd* focus = GetFocus();
        const bool onPushButton = focus && focus->m_strClass.CompareNoCase("Button") == 0 &&
                                  (focus->m_dwStyle & BS_TYPEMASK) <= BS_DEFPUSHBUTTON;
        const bool wantsIt =
            focus && (focus->SendMessage(WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg)) & DLGC_WANTALLKEYS);
        if (!onPushButton && !wantsIt) return TRUE;
    }
    return CDialog::PreTranslateMessage(msg);
}

void CKeyriderDlg::OnCancel() {
    if (const SCAN_FUNCTIONTABLE* scan = app_.Libraries().Scan()) scan->ScanLoadSettings();
    app_.Buttons().RestoreCopy();
    const UTILITY_BLANKPAGE thresholds = blankPages_.Thresholds(level_);
    for (const auto& b : app_.Buttons().Buttons())
        if (b->enabled && b->table && b->table->UtilitySetBlankPage) b->table->UtilitySetBlankPage(b->context.get(), &thresholds);
    enableApply(false);
    ShowWindow(SW_HIDE);
    // The list, the icons and the tray menu show the restored buttons.
    fillControls();
    if (CMenu* execute = subMenuWith(TrayPopup(), ButtonCommandId(1)))
        for (const MenuItem& item : app_.Buttons().MenuItems())
            execute->ModifyMenu(item.id, MF_BYCOMMAND | MF_STRING, item.id, item.text.c_str());
}

BOOL CKeyriderDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    const UINT id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    switch (id) {
        case ID_BUTTON_CONFIGURATION:
            if (!app_.Controller().JobRunning() && !IsWindowVisible()) {
                selectButton(current_ >= 0 ? current_ : app_.Buttons().FirstAvailable());
                ShowWindow(SW_SHOW);
            }
            SetForegroundWindow();
            return TRUE;
        case IDC_APPLY:
            apply();
            return TRUE;
        case IDC_EXPORT_INI:
            exportIni();
            return TRUE;
        case IDC_GLOBAL_SETTINGS:
            openGlobalSettings();
            return TRUE;
        case IDC_HELP_BUTTON: {
            // The help file opens with the desktop's viewer for it.
            const std::string help = ReadString(app_.Settings().AppKey, "Help File");
            if (!help.empty() && std::filesystem::exists(suite::NativePathOfEither(help)))
                ShellExecuteA(GetSafeHwnd(), "open", help.c_str(), nullptr, nullptr, SW_SHOW);
            return TRUE;
        }
        case IDC_DESCRIPTION:
            if (code == EN_CHANGE && initialised_ && current_ >= 0) {
                ButtonRecord& b = *app_.Buttons().Buttons()[std::size_t(current_)];
                CString text;
                GetDlgItemText(IDC_DESCRIPTION, text);
                if (text.GetString() != b.description) {
                    b.description = text.GetString();
                    b.modified = true;
                    enableApply(true);
                }
            }
            return TRUE;
        case IDC_TEMPLATE_COMBO:
            if (code == CBN_SELCHANGE && current_ >= 0) {
                auto* combo = static_cast<CComboBox*>(GetDlgItem(IDC_TEMPLATE_COMBO));
                ButtonRecord& b = *app_.Buttons().Buttons()[std::size_t(current_)];
                const int chosen = combo ? int(combo->GetItemData(combo->GetCurSel())) : 0;
                if (chosen > 0 && chosen != b.templateNumber && app_.Buttons().SwitchTemplate(b.number, chosen)) {
                    if (auto* list = static_cast<CListCtrl*>(GetDlgItem(IDC_BUTTON_LIST)))
                        list->SetItem(current_, 0, LVIF_IMAGE, nullptr, chosen - 1, 0, 0, 0);
                    FirstConnect();
                    if (b.table && b.table->UtilityShow) b.table->UtilityShow(b.context.get(), TRUE);
                    SetDlgItemText(IDC_DESCRIPTION, b.description.c_str());
                    enableApply(true);
                } else if (combo) {
                    combo->SetCurSel(b.templateNumber - 1);  // the old template stays
                }
                currentLock_ = LockOf(b.number);
            }
            return TRUE;
        case ID_EJECT_FORWARD:
        case ID_EJECT_BACKWARD: {
            DWORD v = id == ID_EJECT_FORWARD ? 0 : 1;
            if (RegSetValueExA(app_.Settings().InstallerKey, "Paper Eject Direction", 0, REG_DWORD,
                               reinterpret_cast<const BYTE*>(&v), 4) == ERROR_SUCCESS)
                UpdateEjectMenu(true);
            return TRUE;
        }
        default:
            break;
    }
    if (code == 0 && app_.Controller().OnCommand(id)) return TRUE;
    return CDialog::OnCommand(wParam, lParam);
}

BOOL CKeyriderDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header && header->idFrom == IDC_BUTTON_LIST) {
        if (header->code == NM_CUSTOMDRAW) {
            // The current button's text stands on its own colour.
            auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(lParam);
            *pResult = CDRF_DODEFAULT;
            if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) *pResult = CDRF_NOTIFYITEMDRAW;
            else if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT && int(draw->nmcd.dwItemSpec) == current_)
                draw->clrTextBk = kCurrentItemBackground;
            return TRUE;
        }
        if (header->code == LVN_ITEMCHANGED) {
            auto* change = reinterpret_cast<NMLISTVIEW*>(lParam);
            if (initialised_ && (change->uNewState & LVIS_SELECTED) && change->iItem != current_) selectButton(change->iItem);
            return TRUE;
        }
        if (header->code == LVN_BEGINLABELEDIT) {
            auto* info = reinterpret_cast<NMLVDISPINFO*>(lParam);
            auto* list = static_cast<CListCtrl*>(GetDlgItem(IDC_BUTTON_LIST));
            *pResult = list && list->GetItemData(info->item.iItem) ? 0 : 1;
            return TRUE;
        }
        if (header->code == LVN_ENDLABELEDIT) {
            auto* info = reinterpret_cast<NMLVDISPINFO*>(lParam);
            const auto& buttons = app_.Buttons().Buttons();
            *pResult = 0;
            if (info->item.pszText && info->item.iItem >= 0 && info->item.iItem < int(buttons.size())) {
                char text[260];
                CopyBounded(text, sizeof text, info->item.pszText);
                if (app_.Buttons().Rename(buttons[std::size_t(info->item.iItem)]->number, text)) {
                    enableApply(true);
                    *pResult = 1;
                    if (CMenu* execute = subMenuWith(TrayPopup(), ButtonCommandId(buttons[std::size_t(info->item.iItem)]->number))) {
                        for (const MenuItem& item : app_.Buttons().MenuItems())
                            execute->ModifyMenu(item.id, MF_BYCOMMAND | MF_STRING, item.id, item.text.c_str());
                    }
                }
            }
            return TRUE;
        }
    }
    return CDialog::OnNotify(wParam, lParam, pResult);
}

LRESULT CKeyriderDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (trayMessage_ && message == trayMessage_) {
        if (lParam == WM_LBUTTONDBLCLK && app_.Settings().ScannerPresent)
            SendMessage(WM_COMMAND, ID_BUTTON_CONFIGURATION, 0);
        else if (lParam == WM_RBUTTONUP && !app_.Controller().JobRunning()) {
            UpdateTrayMenu();
            POINT at{};
            GetCursorPos(&at);
            if (CMenu* popup = TrayPopup()) popup->TrackPopupMenu(TPM_RIGHTBUTTON, at.x, at.y, this);
        }
        return 0;
    }
    if (applyMessage_ && message == applyMessage_) {
        if (wParam == kApplyNotifyChanged && lParam == 1) {
            enableApply(true);
            if (current_ >= 0) app_.Buttons().Buttons()[std::size_t(current_)]->modified = true;
        } else if (wParam == kApplyNotifyChanged && lParam == 2) {
            for (const auto& b : app_.Buttons().Buttons())
                if (b->table && b->table->UtilityGlobalChanged) b->table->UtilityGlobalChanged(b->context.get());
        } else if (wParam == kApplyNotifyIcon && lParam) {
            setButtonIcon(*reinterpret_cast<const ButtonIconNotice*>(lParam));
        }
        return 0;
    }
    if (message == kMsgShowTrayAgain) {
        if (!hide_) tray_.SetIcon(app_.Settings().ScannerPresent ? connectedIcon_ : disconnectedIcon_, true);
        return 0;
    }
    if (message == kMsgLockValue) {
        // Lock values belong to buttons 1..10; other indexes are ignored.
        const int index = int(wParam);
        if (index >= 0 && index <= 10) {
            locks_[std::size_t(index)] = int(lParam);
            if (index <= 1) currentLock_ = int(lParam);
        }
        return 0;
    }
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == IDM_ABOUTBOX) {
        CDialog about(IDD_ABOUTBOX, this);
        about.DoModal();
        return 0;
    }
    if (message == WM_CLOSE) {
        ShowWindow(SW_HIDE);
        return 0;
    }
    if (message == WM_DESTROY) {
        tray_.SetIcon(-1, false);
        trayMenu_.DestroyMenu();
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

}  // namespace keyrider
