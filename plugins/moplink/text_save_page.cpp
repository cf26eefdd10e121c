#include "plugins/moplink/text_save_page.h"

#include "plugins/moplink/moplink_app.h"
#include "plugins/moplink/output_names.h"

namespace moplink {

namespace {
enum : UINT { kPath = 1270, kBrowse = 1271 };
}

BEGIN_MESSAGE_MAP(TextSavePage, WizardPage)
    ON_BN_CLICKED(kBrowse, OnBrowse)
END_MESSAGE_MAP()

BOOL TextSavePage::OnInitDialog() {
    WizardPage::OnInitDialog();
    SetDlgItemText(kPath, "");
    PostInputState(false);
    return TRUE;
}

void TextSavePage::OnBrowse() {
    const ExportFormat* format = FindFormat(format_);
    if (!format) return;
    // Strings 11-13 and 15-17 follow the order HTML, text, RTF.
    UINT offset = format_ == kFormatHtml ? 0 : format_ == kFormatText ? 1 : 2;
    MoplinkApp& app = MoplinkApp::Get();
    CFileDialog dialog(FALSE, app.Text(kIdsExtensionHtml + offset), nullptr, OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST,
                       app.Text(kIdsFilterHtml + offset), this);
    if (dialog.DoModal() != IDOK) return;
    std::string path = WithExtension(static_cast<LPCSTR>(dialog.GetPathName()), format->extension);
    SetDlgItemText(kPath, path.c_str());
    if (!path.empty()) PostInputState(true);
}

bool TextSavePage::Store() {
    CString path;
    GetDlgItemText(kPath, path);
    settings_.outputPath = static_cast<LPCSTR>(path);
    return true;
}

}  // namespace moplink
