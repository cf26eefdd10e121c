// The PDF save page (dialog 275): one combined file or one file per image,
// prompted or named automatically.
#pragma once

#include "plugins/moplink/pdf_save_model.h"
#include "plugins/moplink/wizard_page.h"

namespace moplink {

class PdfSavePage : public WizardPage {
public:
    PdfSavePage(ExportSettings& settings, UINT formatCode) : WizardPage(275, settings, formatCode) {}
    const PdfSaveModel& Model() const { return model_; }

protected:
    BOOL OnInitDialog() override;
    bool Store() override;
    afx_msg void OnMethod();
    afx_msg void OnFieldChanged();
    afx_msg void OnFirstNumberChanged();
    afx_msg void OnBrowseFile();
    afx_msg void OnBrowseFolder();
    afx_msg void OnStepSpin(NMHDR* header, LRESULT* result);
    afx_msg void OnWidthSpin(NMHDR* header, LRESULT* result);
    DECLARE_MESSAGE_MAP()

private:
    void ReadFields();
    void ShowFields();
    void Update();

    PdfSaveModel model_;
    bool showing_ = false;
};

}  // namespace moplink
