// The OCR settings page (dialog 271): orientation, deskewing and languages.
#pragma once

#include "plugins/moplink/language_page_model.h"
#include "plugins/moplink/wizard_page.h"

namespace moplink {

class OcrSettingsPage : public WizardPage {
public:
    OcrSettingsPage(ExportSettings& settings, UINT formatCode, LanguageGroups groups,
                    plugins::NumericLanguage numeric);
    const LanguagePageModel& Model() const { return model_; }

protected:
    BOOL OnInitDialog() override;
    bool Store() override;
    afx_msg void OnNumeric();
    afx_msg void OnPrimaryChanged();
    afx_msg void OnListChanged(NMHDR* header, LRESULT* result);
    DECLARE_MESSAGE_MAP()

private:
    void ShowList();
    void UpdateEnabling();

    LanguagePageModel model_;
    LanguageGroups groups_;
    plugins::NumericLanguage numeric_;
    bool filling_ = false;
};

}  // namespace moplink
