// The PDF options page (dialog 272): graphics, colours, bookmarks, resolution
// and quality.
#pragma once

#include "plugins/moplink/pdf_options_model.h"
#include "plugins/moplink/wizard_page.h"

namespace moplink {

class PdfOptionsPage : public WizardPage {
public:
    PdfOptionsPage(ExportSettings& settings, UINT formatCode) : WizardPage(272, settings, formatCode) {}
    const PdfOptionsModel& Model() const { return model_; }

protected:
    BOOL OnInitDialog() override;
    bool Store() override;
    void DoDataExchange(CDataExchange* dx) override;
    afx_msg void OnClicked();
    afx_msg void OnHScroll(UINT code, UINT pos, CScrollBar* bar);
    DECLARE_MESSAGE_MAP()

private:
    void ReadChecks();
    void UpdateEnabling();
    void ShowQuality();

    PdfOptionsModel model_;
};

}  // namespace moplink
