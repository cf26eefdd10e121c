#include "plugins/moplink/pdf_options_page.h"

namespace moplink {

BEGIN_MESSAGE_MAP(PdfOptionsPage, WizardPage)
    ON_BN_CLICKED(kIncludeGraphics, OnClicked)
    ON_BN_CLICKED(kBookmarks, OnClicked)
    ON_BN_CLICKED(kKeepTextColors, OnClicked)
    ON_BN_CLICKED(kBwGraphics, OnClicked)
    ON_BN_CLICKED(kOriginalResolution, OnClicked)
    ON_BN_CLICKED(kLimitResolution, OnClicked)
    ON_WM_HSCROLL()
END_MESSAGE_MAP()

BOOL PdfOptionsPage::OnInitDialog() {
    model_.Open(settings_, format_);
    WizardPage::OnInitDialog();
    CheckDlgButton(kIncludeGraphics, model_.includeGraphics);
    CheckDlgButton(kBookmarks, model_.bookmarks);
    CheckDlgButton(kKeepTextColors, model_.keepTextColors);
    CheckDlgButton(kBwGraphics, model_.bwGraphics);
    CheckRadioButton(kOriginalResolution, kLimitResolution, model_.keepOriginal ? kOriginalResolution : kLimitResolution);
    UpdateData(FALSE);
    auto* bar = static_cast<CScrollBar*>(GetDlgItem(kQualityBar));
    bar->SetScrollRange(kMinQuality, kMaxQuality, FALSE);
    ShowQuality();
    UpdateEnabling();
    return TRUE;
}

void PdfOptionsPage::ReadChecks() {
    model_.includeGraphics = IsDlgButtonChecked(kIncludeGraphics) == BST_CHECKED;
    model_.bookmarks = IsDlgButtonChecked(kBookmarks) == BST_CHECKED;
    model_.keepTextColors = IsDlgButtonChecked(kKeepTextColors) == BST_CHECKED;
    model_.bwGraphics = IsDlgButtonChecked(kBwGraphics) == BST_CHECKED;
    model_.keepOriginal = IsDlgButtonChecked(kOriginalResolution) == BST_CHECKED;
}

void PdfOptionsPage::UpdateEnabling() {
    for (UINT id : {kIncludeGraphics, kBookmarks, kKeepTextColors, kBwGraphics, kOriginalResolution,
                    kLimitResolution, kDpiEdit, kQualityBar})
        Enable(id, model_.Enabled(id));
}

void PdfOptionsPage::ShowQuality() {
    static_cast<CScrollBar*>(GetDlgItem(kQualityBar))->SetScrollPos(model_.quality);
    SetDlgItemInt(kQualityNumber, static_cast<UINT>(model_.quality), FALSE);
}

void PdfOptionsPage::OnClicked() {
    ReadChecks();
    UpdateEnabling();
}

void PdfOptionsPage::OnHScroll(UINT code, UINT pos, CScrollBar*) {
    model_.Scroll(code, static_cast<int>(pos));
    ShowQuality();
}

void PdfOptionsPage::DoDataExchange(CDataExchange* dx) {
    WizardPage::DoDataExchange(dx);
    DDX_Text(dx, kDpiEdit, model_.dpi);
    DDV_MinMaxInt(dx, model_.dpi, kMinDpi, kMaxDpi);
}

bool PdfOptionsPage::Store() {
    ReadChecks();
    // The class library's range message refuses a dpi outside 50 to 300.
    if (!UpdateData(TRUE)) return false;
    model_.Store(&settings_);
    return true;
}

}  // namespace moplink
