#include "outside/vantor32/source_dialogs.h"

#include <algorithm>

#include "platform/afx/afxwin.h"
#include "platform/afx/ui/controls.h"
#include "platform/afx/ui/dialog.h"

namespace vantor {
namespace {

constexpr int kMinResolution = 50;
constexpr int kMaxResolution = 2400;

CDialogItemTemplate item(WORD id, const char* className, const char* text, DWORD style, SHORT x, SHORT y, SHORT cx,
                         SHORT cy) {
    CDialogItemTemplate t;
    t.id = id;
    t.className = className;
    t.text = text;
    t.style = WS_CHILD | WS_VISIBLE | style;
    t.x = x, t.y = y, t.cx = cx, t.cy = cy;
    return t;
}

CDialogTemplate frame(const char* caption, SHORT cx, SHORT cy) {
    CDialogTemplate t;
    t.style = DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    t.cx = cx, t.cy = cy;
    t.caption = caption;
    t.items.push_back(item(IDOK, "Button", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, SHORT(cx - 118), SHORT(cy - 21), 50, 14));
    t.items.push_back(item(IDCANCEL, "Button", "Cancel", WS_TABSTOP, SHORT(cx - 60), SHORT(cy - 21), 50, 14));
    return t;
}

int indexOf(const std::vector<std::string>& devices, const std::string& device) {
    auto at = std::find(devices.begin(), devices.end(), device);
    return at == devices.end() ? 0 : int(at - devices.begin());
}

class ChooseDialog : public CDialog {
public:
    ChooseDialog(CWnd* owner, const std::vector<std::string>& devices, int chosen) : devices_(devices), chosen_(chosen) {
        m_pParentWnd = owner;
        m_template = frame("Select Source", 220, 130);
        m_template.items.push_back(item(0xFFFF, "Static", "Sources:", 0, 7, 7, 200, 9));
        m_template.items.push_back(
            item(kDeviceListId, "ListBox", "", LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 7, 18, 206, 84));
    }
    int chosen() const { return chosen_; }

protected:
    BOOL OnInitDialog() override {
        for (const std::string& d : devices_) addString(kDeviceListId, LB_ADDSTRING, d.c_str());
        return CDialog::OnInitDialog();  // selects the current device
    }
    void DoDataExchange(CDataExchange* dx) override {
        CDialog::DoDataExchange(dx);
        DDX_LBIndex(dx, kDeviceListId, chosen_);
    }
    void OnOK() override {
        if (!UpdateData(TRUE) || chosen_ < 0) return;  // nothing chosen: the dialog stays
        EndDialog(IDOK);
    }

private:
    void addString(int id, UINT message, const char* text) {
        SendDlgItemMessage(id, message, 0, reinterpret_cast<LPARAM>(text));
    }
    const std::vector<std::string>& devices_;
    int chosen_;
};

class SettingsDialog : public CDialog {
public:
    SettingsDialog(CWnd* owner, const std::vector<std::string>& devices, const SourceSettings& settings)
        : devices_(devices), settings_(settings) {
        m_pParentWnd = owner;
        m_template = frame("Scanner Settings", 220, 104);
        m_template.items.push_back(item(0xFFFF, "Static", "Scanner:", 0, 7, 9, 50, 9));
        m_template.items.push_back(item(kDeviceListId, "ComboBox", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 60, 7, 153, 80));
        m_template.items.push_back(item(0xFFFF, "Static", "Mode:", 0, 7, 27, 50, 9));
        m_template.items.push_back(item(kModeListId, "ComboBox", "", CBS_DROPDOWNLIST | WS_TABSTOP, 60, 25, 153, 60));
        m_template.items.push_back(item(0xFFFF, "Static", "Resolution (dpi):", 0, 7, 45, 60, 9));
        m_template.items.push_back(item(kResolutionId, "Edit", "", ES_NUMBER | WS_BORDER | WS_TABSTOP, 70, 43, 50, 12));
        m_template.items.push_back(
            item(kFeederId, "Button", "Scan every page of the document feeder", BS_AUTOCHECKBOX | WS_TABSTOP, 7, 62, 206, 10));
        device_ = indexOf(devices, settings.device);
        mode_ = settings.mode;
        resolution_ = settings.resolution;
        feeder_ = settings.feeder ? 1 : 0;
    }
    const SourceSettings& settings() const { return settings_; }

protected:
    BOOL OnInitDialog() override {
        for (const std::string& d : devices_)
            SendDlgItemMessage(kDeviceListId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(d.c_str()));
        for (const char* m : {"Colour", "Grey", "Black and white"})
            SendDlgItemMessage(kModeListId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(m));
        return CDialog::OnInitDialog();  // fills the controls from the members
    }
    void DoDataExchange(CDataExchange* dx) override {
        CDialog::DoDataExchange(dx);
        DDX_CBIndex(dx, kDeviceListId, device_);
        DDX_CBIndex(dx, kModeListId, mode_);
        DDX_Text(dx, kResolutionId, resolution_);
        DDV_MinMaxInt(dx, resolution_, kMinResolution, kMaxResolution);
        DDX_Check(dx, kFeederId, feeder_);
    }
    void OnOK() override {
        if (!UpdateData(TRUE)) return;
        if (device_ >= 0 && device_ < int(devices_.size())) settings_.device = devices_[std::size_t(device_)];
        settings_.mode = std::clamp(mode_, 0, 2);
        settings_.resolution = resolution_;
        settings_.feeder = feeder_ != 0;
        EndDialog(IDOK);
    }

private:
    const std::vector<std::string>& devices_;
    SourceSettings settings_;
    int device_ = 0, mode_ = 1, resolution_ = 300, feeder_ = 0;
};

}  // namespace

bool ChooseDevice(HWND owner, const std::vector<std::string>& devices, std::string& device) {
    if (devices.empty()) return false;
    ChooseDialog dialog(CWnd::FromHandle(owner), devices, indexOf(devices, device));
    if (dialog.DoModal() != IDOK || dialog.chosen() < 0 || dialog.chosen() >= int(devices.size())) return false;
    device = devices[std::size_t(dialog.chosen())];
    return true;
}

bool EditSettings(HWND owner, const std::vector<std::string>& devices, SourceSettings& settings) {
    SettingsDialog dialog(CWnd::FromHandle(owner), devices, settings);
    if (dialog.DoModal() != IDOK) return false;
    settings = dialog.settings();
    return true;
}

}  // namespace vantor
