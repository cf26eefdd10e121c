// What every wizard page shares: it is a modeless child of the host's wizard
// window, answers the host's "store" request on the registered "Export
// Message" and tells the host whether its input is complete.
#pragma once

#include "platform/afx/afxwin.h"
#include "plugins/moplink/export_settings.h"
#include "plugins/moplink/ocrexport_interface.h"

namespace moplink {

// The number of "Export Message", registered when the library loads.
extern const UINT kExportMessage;

class WizardPage : public CDialog {
public:
    WizardPage(UINT templateId, ExportSettings& settings, UINT formatCode)
        : settings_(settings), format_(formatCode), templateId_(templateId) {}
    // Creates the page from its template as a child of `host`.
    BOOL CreatePage(CWnd* host);

protected:
    // Stores the page's values into the settings; false refuses (the host stays).
    virtual bool Store() = 0;
    void PostInputState(bool complete);
    void Enable(UINT control, bool on);
    void OnOK() override {}
    void OnCancel() override {}
    afx_msg LRESULT OnExportMessage(WPARAM wParam, LPARAM lParam);

    ExportSettings& settings_;
    UINT format_;
    UINT templateId_;
    DECLARE_MESSAGE_MAP()
};

}  // namespace moplink
