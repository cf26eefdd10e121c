#include "plugins/moplink/ocr_settings_page.h"

#include "plugins/moplink/moplink_app.h"

namespace moplink {

namespace {
enum : UINT { kOrientation = 1309, kDeskew = 1310, kNumeric = 1306, kPrimary = 1307, kSecondaries = 1308 };
}

BEGIN_MESSAGE_MAP(OcrSettingsPage, WizardPage)
    ON_BN_CLICKED(kNumeric, OnNumeric)
    ON_CBN_SELCHANGE(kPrimary, OnPrimaryChanged)
    ON_NOTIFY(LVN_ITEMCHANGED, kSecondaries, OnListChanged)
END_MESSAGE_MAP()

OcrSettingsPage::OcrSettingsPage(ExportSettings& settings, UINT formatCode, LanguageGroups groups,
                                 plugins::NumericLanguage numeric)
    : WizardPage(271, settings, formatCode), groups_(std::move(groups)), numeric_(std::move(numeric)) {}

BOOL OcrSettingsPage::OnInitDialog() {
    WizardPage::OnInitDialog();
    model_.Open(settings_, groups_, format_ == kFormatPdfImage);
    CheckDlgButton(kOrientation, model_.Orientation() ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(kDeskew, model_.Deskew() ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(kNumeric, model_.Numeric() ? BST_CHECKED : BST_UNCHECKED);
    auto* combo = static_cast<CComboBox*>(GetDlgItem(kPrimary));
    for (const auto& item : model_.Combo()) {
        int at = combo->AddString(item.name.c_str());
        combo->SetItemData(at, item.data);
    }
    combo->SetCurSel(model_.ComboSelection());
    auto* list = static_cast<CListCtrl*>(GetDlgItem(kSecondaries));
    list->SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    CRect box;
    list->GetClientRect(&box);
    list->InsertColumn(0, "", LVCFMT_LEFT, box.Width() - 4);
    ShowList();
    UpdateEnabling();
    return TRUE;
}

void OcrSettingsPage::ShowList() {
    filling_ = true;
    auto* list = static_cast<CListCtrl*>(GetDlgItem(kSecondaries));
    list->DeleteAllItems();
    int row = 0;
    for (const auto& item : model_.List()) {
        list->InsertItem(row, item.name.c_str());
        list->SetItemData(row, item.id);
        list->SetCheck(row, item.checked);
        ++row;
    }
    filling_ = false;
}

void OcrSettingsPage::UpdateEnabling() {
    Enable(kNumeric, model_.NumericEnabled());
    Enable(kPrimary, model_.LanguagesEnabled());
    Enable(kSecondaries, model_.LanguagesEnabled());
}

void OcrSettingsPage::OnNumeric() {
    model_.SetNumeric(IsDlgButtonChecked(kNumeric) == BST_CHECKED);
    UpdateEnabling();
}

void OcrSettingsPage::OnPrimaryChanged() {
    model_.SelectCombo(static_cast<CComboBox*>(GetDlgItem(kPrimary))->GetCurSel());
    ShowList();
}

void OcrSettingsPage::OnListChanged(NMHDR*, LRESULT* result) {
    if (result) *result = 0;
    if (filling_) return;
    auto* list = static_cast<CListCtrl*>(GetDlgItem(kSecondaries));
    for (int row = 0; row < list->GetItemCount(); ++row) model_.SetChecked(row, list->GetCheck(row) != FALSE);
}

bool OcrSettingsPage::Store() {
    model_.SetOrientation(IsDlgButtonChecked(kOrientation) == BST_CHECKED);
    model_.SetDeskew(IsDlgButtonChecked(kDeskew) == BST_CHECKED);
    model_.SetNumeric(IsDlgButtonChecked(kNumeric) == BST_CHECKED);
    auto* list = static_cast<CListCtrl*>(GetDlgItem(kSecondaries));
    for (int row = 0; row < list->GetItemCount(); ++row) model_.SetChecked(row, list->GetCheck(row) != FALSE);
    if (model_.Store(numeric_, &settings_) == LanguagePageModel::StoreResult::TooManySecondaries) {
        MoplinkApp::Get().Message(kIdsTooManyLanguages, MB_ICONSTOP);
        return false;
    }
    return true;
}

}  // namespace moplink
