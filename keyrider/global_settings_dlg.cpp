#include "keyrider/global_settings_dlg.h"

#include "keyrider/gray_level_dlg.h"
#include "keyrider/keyrider_ids.h"
#include "platform/afx/ui/commdlg.h"
#include "keyrider/startup_registry.h"
#include "platform/win/registry.h"

namespace keyrider {
namespace {

const char* const kModeNames[3] = {"Color", "Gray", "BW"};
const UINT kChecks[2][3] = {{1086, 1087, 1088}, {1089, 1090, 1091}};
const UINT kCombos[2][3] = {{1092, 1093, 1094}, {1095, 1096, 1097}};
const UINT kEdits[2][3] = {{1005, 1006, 1007}, {1008, 1009, 1010}};

// Scroll, command and owner-draw messages of a page reach the dialog that owns it.
class PageDialog : public CDialog {
public:
    PageDialog(UINT id, CWnd* owner) : CDialog(id, owner), owner_(owner) {}

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if ((message == WM_HSCROLL || message == WM_COMMAND || message == WM_DRAWITEM) && owner_) return owner_->SendMessage(message, wParam, lParam);
        return CDialog::WindowProc(message, wParam, lParam);
    }

private:
    CWnd* owner_;
};

}  // namespace

SideValues ReadSide(HKEY appKey, const char* side) {
    SideValues v;
    HKEY k = nullptr;
    if (RegCreateKeyExA(appKey, (std::string("Multi-Image\\") + side).c_str(), 0, nullptr, 0,
                        KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE, nullptr, &k, nullptr) != ERROR_SUCCESS)
        return v;
    for (int m = 0; m < 3; ++m) {
        v.modes[std::size_t(m)] = ReadDword(k, kModeNames[m], m == 0 ? 1 : 0) != 0;
        v.dpi[std::size_t(m)] = int(ReadDword(k, (std::string("Resolution-") + kModeNames[m]).c_str(), 200));
    }
    RegCloseKey(k);
    return v;
}

void WriteSide(HKEY appKey, const char* side, const SideValues& v) {
    HKEY k = nullptr;
    if (RegCreateKeyExA(appKey, (std::string("Multi-Image\\") + side).c_str(), 0, nullptr, 0,
                        KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE, nullptr, &k, nullptr) != ERROR_SUCCESS)
        return;
    for (int m = 0; m < 3; ++m) {
        DWORD on = v.modes[std::size_t(m)] ? 1 : 0, dpi = DWORD(v.dpi[std::size_t(m)]);
        RegSetValueExA(k, kModeNames[m], 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), 4);
        RegSetValueExA(k, (std::string("Resolution-") + kModeNames[m]).c_str(), 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&dpi), 4);
    }
    RegCloseKey(k);
}

std::vector<int> ResolutionChoices(HKEY appKey) {
    std::vector<int> table, out;
    HKEY k = nullptr;
    if (RegOpenKeyExA(appKey, "Resolution", 0, KEY_READ, &k) == ERROR_SUCCESS) {
        for (int n = 1; n <= 64; ++n) {
            bool found = false;
            DWORD v = ReadDword(k, std::to_string(n).c_str(), 0, &found);
            if (!found) break;
            table.push_back(int(v));
        }
        RegCloseKey(k);
    }
    if (RegOpenKeyExA(appKey, "Multi-Image", 0, KEY_READ, &k) == ERROR_SUCCESS) {
        DWORD type = 0, size = 0;
        if (RegQueryValueExA(k, "Resolution Support", nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_BINARY) {
            std::vector<DWORD> indexes(size / 4);
            RegQueryValueExA(k, "Resolution Support", nullptr, &type, reinterpret_cast<LPBYTE>(indexes.data()), &size);
            for (DWORD i : indexes)
                if (i < table.size()) out.push_back(table[i]);
        }
        RegCloseKey(k);
    }
    return out;
}

CGlobalSettingsDlg::CGlobalSettingsDlg(GlobalSettingsInput& input, CWnd* parent)
    : CDialog(IDD_GLOBAL_SETTINGS, parent), input_(input) {}

void CGlobalSettingsDlg::addPage(CWnd* page, UINT titleId) {
    auto* tabs = static_cast<CTabCtrl*>(GetDlgItem(IDC_SETTINGS_TABS));
    CString title;
    title.LoadString(titleId);
    tabs->InsertItem(tabs->GetItemCount(), title);
    page->MoveWindow(&area_);
    page->ShowWindow(pages_.empty() ? SW_SHOW : SW_HIDE);
    pages_.push_back(page);
}

BOOL CGlobalSettingsDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    CWnd* tabs = GetDlgItem(IDC_SETTINGS_TABS);
    if (!tabs) return TRUE;
    tabs->GetWindowRect(&area_);
    ScreenToClient(&area_);
    area_.left += 5;
    area_.top += 20;
    area_.right -= 5;
    area_.bottom -= 5;
    if (input_.showBlankPage) {
        blankPage_ = std::make_unique<PageDialog>(IDD_BLANK_PAGE, this);
        blankPage_->Create(IDD_BLANK_PAGE, this);
        level_ = std::make_unique<BlankLevelModel>(input_.levelCount, input_.level);
        if (auto* bar = static_cast<CScrollBar*>(blankPage_->GetDlgItem(IDC_BLANK_LEVEL)))
            bar->SetScrollRange(level_->Minimum(), level_->Maximum());
        showLevel();
        if (input_.lock)
            for (UINT id : {IDC_BLANK_LEVEL, IDC_BLANK_SENSITIVITY, IDC_BLANK_NUMBER, IDC_BLANK_LOW, IDC_BLANK_HIGH})
                if (CWnd* w = blankPage_->GetDlgItem(int(id))) w->EnableWindow(FALSE);
        if (auto* check = static_cast<CButton*>(blankPage_->GetDlgItem(IDC_BLANK_MESSAGE)))
            check->SetCheck(input_.displayBlankMessage && *input_.displayBlankMessage ? BST_CHECKED : BST_UNCHECKED);
        addPage(blankPage_.get(), IDS_TAB_BLANK_PAGE);
    }
    if (input_.showEdgeFill) {
        edgeHost_ = std::make_unique<PageDialog>(IDD_EDGE_FILL_HOST, this);
        edgeHost_->Create(IDD_EDGE_FILL_HOST, this);
        addPage(edgeHost_.get(), IDS_TAB_EDGE_FILL);
        RECT inside{0, 0, area_.right - area_.left, area_.bottom - area_.top};
        if (input_.edgeFill && input_.edgeFill->CreatePage && input_.edgeFillSettings)
            edgePage_ = input_.edgeFill->CreatePage(&inside, edgeHost_->GetSafeHwnd(), &inside, input_.edgeFillSettings);
    }
    if (input_.templateAvailable && input_.showMultiImage) {
        multiPage_ = std::make_unique<PageDialog>(IDD_MULTI_IMAGE, this);
        multiPage_->Create(IDD_MULTI_IMAGE, this);
        multi_ = std::make_unique<MultiImageModel>(input_.scan, ReadSide(input_.appKey, "Front"),
                                                   ReadSide(input_.appKey, "Rear"), input_.lock);
        const std::vector<int> choices = ResolutionChoices(input_.appKey);
        for (int side = 0; side < 2; ++side)
            for (int m = 0; m < 3; ++m)
                if (auto* combo = static_cast<CComboBox*>(multiPage_->GetDlgItem(int(kCombos[side][m])))) {
                    for (int dpi : choices) combo->SetItemData(combo->AddString(std::to_string(dpi).c_str()), DWORD_PTR(dpi));
                    combo->SetItemData(combo->AddString("Custom"), 0);
                }
        ShowMultiImage();
        addPage(multiPage_.get(), IDS_TAB_MULTI_IMAGE);
    }
    if (input_.showPunchHole) {
        punchPage_ = std::make_unique<PageDialog>(IDD_PUNCH_HOLE, this);
        punchPage_->Create(IDD_PUNCH_HOLE, this);
        punch_ = std::make_unique<PunchHoleModel>(ReadPunchHole(input_.appKey));
        punchPage_->CheckRadioButton(IDC_PUNCH_BACKGROUND, IDC_PUNCH_CUSTOM, punch_->Values().custom ? IDC_PUNCH_CUSTOM : IDC_PUNCH_BACKGROUND);
        addPage(punchPage_.get(), IDS_TAB_PUNCH_HOLE);
    }
    return TRUE;
}

void CGlobalSettingsDlg::ShowPage(int index) {
    for (int i = 0; i < int(pages_.size()); ++i) pages_[std::size_t(i)]->ShowWindow(i == index ? SW_SHOW : SW_HIDE);
    if (auto* tabs = static_cast<CTabCtrl*>(GetDlgItem(IDC_SETTINGS_TABS))) tabs->SetCurSel(index);
}

void CGlobalSettingsDlg::showLevel() {
    if (!blankPage_ || !level_) return;
    if (auto* bar = static_cast<CScrollBar*>(blankPage_->GetDlgItem(IDC_BLANK_LEVEL))) bar->SetScrollPos(level_->Position());
    blankPage_->SetDlgItemText(IDC_BLANK_NUMBER, std::to_string(level_->Position()).c_str());
}

void CGlobalSettingsDlg::ShowMultiImage() {
    if (!multiPage_ || !multi_) return;
    for (int side = 0; side < 2; ++side)
        for (int m = 0; m < 3; ++m) {
            const ModeControl& c = multi_->At(side, m);
            if (auto* check = static_cast<CButton*>(multiPage_->GetDlgItem(int(kChecks[side][m])))) {
                check->SetCheck(c.checked ? BST_CHECKED : BST_UNCHECKED);
                check->EnableWindow(c.checkEnabled);
            }
            auto* combo = static_cast<CComboBox*>(multiPage_->GetDlgItem(int(kCombos[side][m])));
            int selected = -1;
            if (combo) {
                for (int i = 0; i < combo->GetCount(); ++i)
                    if (int(combo->GetItemData(i)) == c.dpi) selected = i;
                combo->SetCurSel(selected >= 0 ? selected : combo->GetCount() - 1);
                combo->EnableWindow(c.comboEnabled);
            }
            if (CWnd* edit = multiPage_->GetDlgItem(int(kEdits[side][m]))) {
                edit->SetWindowText(std::to_string(c.dpi).c_str());
                edit->EnableWindow(c.comboEnabled && selected < 0);
            }
        }
}

void CGlobalSettingsDlg::closePages() {
    if (edgePage_ && input_.edgeFill && input_.edgeFill->DestroyPage) input_.edgeFill->DestroyPage(edgePage_, input_.edgeFillSettings);
    edgePage_ = nullptr;
    for (CWnd* page : pages_)
        if (page->GetSafeHwnd()) page->DestroyWindow();
    pages_.clear();
}

void CGlobalSettingsDlg::OnOK() {
    if (level_) input_.level = level_->Level();
    if (edgePage_ && input_.edgeFill && input_.edgeFill->ReadPage) input_.edgeFill->ReadPage(edgePage_, input_.edgeFillSettings);
    if (multi_) {
        WriteSide(input_.appKey, "Front", multi_->Values(0));
        WriteSide(input_.appKey, "Rear", multi_->Values(1));
    }
    if (punchPage_ && punch_) {
        punch_->SetCustom(punchPage_->GetCheckedRadioButton(IDC_PUNCH_BACKGROUND, IDC_PUNCH_CUSTOM) == IDC_PUNCH_CUSTOM);
        WritePunchHole(input_.appKey, punch_->Values());
    }
    closePages();
    CDialog::OnOK();
}

void CGlobalSettingsDlg::OnCancel() {
    closePages();
    CDialog::OnCancel();
}

BOOL CGlobalSettingsDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header && header->idFrom == IDC_SETTINGS_TABS && header->code == TCN_SELCHANGE) {
        auto* tabs = static_cast<CTabCtrl*>(GetDlgItem(IDC_SETTINGS_TABS));
        ShowPage(tabs->GetCurSel());
        return TRUE;
    }
    return CDialog::OnNotify(wParam, lParam, pResult);
}

LRESULT CGlobalSettingsDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HSCROLL && level_ && !input_.lock) {
        level_->Scroll(LOWORD(wParam), short(HIWORD(wParam)));
        showLevel();
        return 0;
    }
    if (message == WM_COMMAND && blankPage_ && LOWORD(wParam) == IDC_BLANK_MESSAGE && input_.displayBlankMessage) {
        auto* check = static_cast<CButton*>(blankPage_->GetDlgItem(IDC_BLANK_MESSAGE));
        if (check) *input_.displayBlankMessage = check->GetCheck() == BST_CHECKED;
        return 0;
    }
    if (message == WM_DRAWITEM && punch_) {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (item && item->CtlID >= IDC_SWATCH_COLOR && item->CtlID <= IDC_SWATCH_BLACK) {
            PaintPunchSwatch(item->hDC, item->rcItem, item->CtlID, *punch_);
            return TRUE;
        }
    }
    if (message == WM_COMMAND && punch_ && onPunchCommand(LOWORD(wParam), HIWORD(wParam))) return 0;
    if (message == WM_COMMAND && multi_) {
        for (int side = 0; side < 2; ++side)
            for (int m = 0; m < 3; ++m) {
                if (LOWORD(wParam) == kChecks[side][m] && HIWORD(wParam) == BN_CLICKED) {
                    multi_->Click(side, m);
                    ShowMultiImage();
                    return 0;
                }
                if (LOWORD(wParam) == kCombos[side][m] && HIWORD(wParam) == CBN_SELCHANGE) {
                    auto* combo = static_cast<CComboBox*>(multiPage_->GetDlgItem(int(kCombos[side][m])));
                    const int dpi = combo ? int(combo->GetItemData(combo->GetCurSel())) : 0;
                    // A listed resolution is taken; "Custom" keeps the value and opens the edit.
                    if (dpi) multi_->Type(side, m, dpi);
                    if (CWnd* edit = multiPage_->GetDlgItem(int(kEdits[side][m]))) {
                        edit->SetWindowText(std::to_string(multi_->At(side, m).dpi).c_str());
                        edit->EnableWindow(dpi == 0);
                    }
                    return 0;
                }
                if (LOWORD(wParam) == kEdits[side][m] && HIWORD(wParam) == EN_KILLFOCUS) {
                    BOOL ok = FALSE;
                    const int dpi = int(multiPage_->GetDlgItemInt(int(kEdits[side][m]), &ok, FALSE));
                    if (!ok || !multi_->Type(side, m, dpi)) {
                        MessageBeep(MB_ICONEXCLAMATION);
                        multiPage_->SetDlgItemText(int(kEdits[side][m]), std::to_string(multi_->At(side, m).dpi).c_str());
                    }
                    return 0;
                }
            }
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

bool CGlobalSettingsDlg::onPunchCommand(UINT id, UINT code) {
    if (code != BN_CLICKED) return false;
    switch (id) {
    case IDC_SWATCH_WHITE:
    case IDC_SWATCH_BLACK: punch_->SwapBlackAndWhite(); break;
    case IDC_PICK_COLOR: {
        CColorDialog pick(punch_->Values().color, CC_FULLOPEN, this);
        if (pick.DoModal() != IDOK) return true;
        punch_->SetColor(pick.GetColor());
        break;
    }
    case IDC_PICK_GRAY: {
        CGrayLevelDlg pick(punch_->GrayLevel(), this);
        if (pick.DoModal() != IDOK) return true;
        punch_->SetGrayLevel(pick.Level());
        break;
    }
    default: return false;
    }
    for (UINT swatch = IDC_SWATCH_COLOR; swatch <= IDC_SWATCH_BLACK; ++swatch)
        if (CWnd* w = punchPage_->GetDlgItem(int(swatch))) w->Invalidate();
    return true;
}

}  // namespace keyrider
