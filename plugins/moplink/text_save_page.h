// The text save page (dialog 274): where the HTML, text or RTF result goes.
#pragma once

#include "plugins/moplink/wizard_page.h"

namespace moplink {

class TextSavePage : public WizardPage {
public:
    TextSavePage(ExportSettings& settings, UINT formatCode) : WizardPage(274, settings, formatCode) {}

protected:
    BOOL OnInitDialog() override;
    bool Store() override;
    afx_msg void OnBrowse();
    DECLARE_MESSAGE_MAP()
};

}  // namespace moplink
