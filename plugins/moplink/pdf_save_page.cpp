#include "plugins/moplink/pdf_save_page.h"

#include "plugins/moplink/moplink_app.h"
#include "plugins/moplink/output_names.h"

namespace moplink {

BEGIN_MESSAGE_MAP(PdfSavePage, WizardPage)
    ON_BN_CLICKED(kCombine, OnMethod)
    ON_BN_CLICKED(kPerImage, OnMethod)
    ON_BN_CLICKED(kPrompt, OnMethod)
    ON_BN_CLICKED(kAutomatic, OnMethod)
    ON_EN_CHANGE(kCombinedPath, OnFieldChanged)
    ON_EN_CHANGE(kFolder, OnFieldChanged)
    ON_EN_CHANGE(kPrefix, OnFieldChanged)
    ON_EN_CHANGE(kStep, OnFieldChanged)
    ON_EN_CHANGE(kWidth, OnFieldChanged)
    ON_EN_CHANGE(kFirstNumber, OnFirstNumberChanged)
    ON_BN_CLICKED(kCombinedBrowse, OnBrowseFile)
    ON_BN_CLICKED(kFolderBrowse, OnBrowseFolder)
    ON_NOTIFY(UDN_DELTAPOS, kStepSpin, OnStepSpin)
    ON_NOTIFY(UDN_DELTAPOS, kWidthSpin, OnWidthSpin)
END_MESSAGE_MAP()

namespace {
std::string TextOf(const CWnd* wnd, UINT id) {
    CString text;
    wnd->GetDlgItemText(static_cast<int>(id), text);
    return static_cast<LPCSTR>(text);
}
}  // namespace

BOOL PdfSavePage::OnInitDialog() {
    WizardPage::OnInitDialog();
    model_.Open(settings_);
    static_cast<CSpinButtonCtrl*>(GetDlgItem(kStepSpin))->SetRange32(1, 10);
    ShowFields();
    Update();
    return TRUE;
}

void PdfSavePage::ShowFields() {
    showing_ = true;
    CheckRadioButton(kCombine, kPerImage, model_.perImage ? kPerImage : kCombine);
    CheckRadioButton(kPrompt, kAutomatic, model_.automatic ? kAutomatic : kPrompt);
    SetDlgItemText(kCombinedPath, model_.combinedPath.c_str());
    SetDlgItemText(kFolder, model_.folder.c_str());
    SetDlgItemText(kPrefix, model_.prefix.c_str());
    SetDlgItemText(kFirstNumber, model_.firstNumber.c_str());
    SetDlgItemText(kStep, model_.step.c_str());
    SetDlgItemText(kWidth, model_.width.c_str());
    showing_ = false;
}

void PdfSavePage::ReadFields() {
    model_.perImage = IsDlgButtonChecked(kPerImage) == BST_CHECKED;
    model_.automatic = IsDlgButtonChecked(kAutomatic) == BST_CHECKED;
    model_.combinedPath = TextOf(this, kCombinedPath);
    model_.folder = TextOf(this, kFolder);
    model_.prefix = TextOf(this, kPrefix);
    model_.step = TextOf(this, kStep);
    model_.width = TextOf(this, kWidth);
}

void PdfSavePage::Update() {
    static_cast<CSpinButtonCtrl*>(GetDlgItem(kWidthSpin))->SetRange32(model_.WidthLow(), PdfSaveModel::kWidthHigh);
    for (UINT id : {kCombinedPath, kCombinedBrowse, kPrompt, kAutomatic, kFolder, kFolderBrowse, kPrefix, kFirstNumber,
                    kStep, kWidth, kStepSpin, kWidthSpin})
        Enable(id, model_.Enabled(id));
    SetDlgItemText(kExample, model_.Example(static_cast<LPCSTR>(MoplinkApp::Get().Text(kIdsExample))).c_str());
    PostInputState(model_.InputState());
}

void PdfSavePage::OnMethod() {
    ReadFields();
    Update();
}

void PdfSavePage::OnFieldChanged() {
    if (showing_) return;
    ReadFields();
    Update();
}

void PdfSavePage::OnFirstNumberChanged() {
    if (showing_) return;
    ReadFields();
    if (!model_.SetFirstNumber(TextOf(this, kFirstNumber))) {
        showing_ = true;
        SetDlgItemText(kFirstNumber, model_.firstNumber.c_str());  // undone: the old value returns
        showing_ = false;
    }
    showing_ = true;
    SetDlgItemText(kWidth, model_.width.c_str());
    showing_ = false;
    Update();
}

void PdfSavePage::OnBrowseFile() {
    MoplinkApp& app = MoplinkApp::Get();
    CFileDialog dialog(FALSE, app.Text(kIdsExtensionPdf), nullptr, OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST,
                       app.Text(kIdsFilterPdf), this);
    if (dialog.DoModal() != IDOK) return;
    SetDlgItemText(kCombinedPath, WithExtension(static_cast<LPCSTR>(dialog.GetPathName()), "pdf").c_str());
}

void PdfSavePage::OnBrowseFolder() {
    CString title = MoplinkApp::Get().Text(kIdsSelectFolder);
    char name[MAX_PATH] = {};
    BROWSEINFO info{};
    info.hwndOwner = GetSafeHwnd();
    info.pszDisplayName = name;
    info.lpszTitle = title;
    LPITEMIDLIST chosen = SHBrowseForFolder(&info);
    if (!chosen) return;
    char folder[MAX_PATH] = {};
    BOOL ok = SHGetPathFromIDList(chosen, folder);
    CoTaskMemFree(chosen);
    if (!ok) return;
    std::string path = folder;
    if (!path.empty() && path.back() != '\\') path += '\\';
    SetDlgItemText(kFolder, path.c_str());
}

void PdfSavePage::OnStepSpin(NMHDR* header, LRESULT* result) {
    auto* change = reinterpret_cast<NMUPDOWN*>(header);
    ReadFields();
    model_.StepSpin(std::atoi(model_.step.c_str()), change->iDelta);
    SetDlgItemText(kStep, model_.step.c_str());
    *result = 1;  // the page has set the value itself
}

void PdfSavePage::OnWidthSpin(NMHDR* header, LRESULT* result) {
    auto* change = reinterpret_cast<NMUPDOWN*>(header);
    ReadFields();
    model_.WidthSpin(std::atoi(model_.width.c_str()), change->iDelta);
    SetDlgItemText(kWidth, model_.width.c_str());
    *result = 1;
}

bool PdfSavePage::Store() {
    ReadFields();
    model_.firstNumber = TextOf(this, kFirstNumber);
    model_.Store(&settings_);
    return true;
}

}  // namespace moplink
