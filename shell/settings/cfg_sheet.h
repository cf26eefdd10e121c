// The settings sheet: five pages, of which the program's command shows the
// new-image and recognition pages. Values travel by copy: the caller puts
// the thirteen settings into the pages before the sheet opens and takes
// them back after OK. Apply copies them into the settings it was given
// (not saved), clears every page's modified state and refreshes the
// command states.
#pragma once

#include "platform/afx/afxwin.h"
#include "shell/settings/cfg_pages.h"
#include "shell/settings/cfg_values.h"
#include "shell/settings/orb_cfg_page.h"

struct ScribantSettings;

#define IDS_CFG_CAPTION 61229  // "设置系统参数"

class CCfgSheet : public CPropertySheet {
public:
    // The command's form: the new-image and recognition pages only.
    CCfgSheet(UINT captionId, CWnd* parent, UINT selectPage);
    // Every page: new image, batch, recognition, pen, interface.
    CCfgSheet(LPCTSTR caption, CWnd* parent, UINT selectPage);

    void SetValues(const CfgValues& values);
    CfgValues Values() const;
    // Where Apply writes (NULL: nowhere).
    ScribantSettings* m_pApplyTarget = nullptr;

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    COrbCfgPage m_orb;
    CBatchCfgPage m_batch;
    CRecoCfgPage m_reco;
    CFaceCfgPage m_face;
    CDocCfgPage m_doc;

private:
    void ApplyNow();
};

// The settings command: the sheet over `settings`; OK saves them to the
// application's profile at once, Cancel changes nothing that Apply did not.
// Returns the sheet's result.
INT_PTR RunSettingsSheet(CWinApp& app, ScribantSettings& settings, CWnd* parent);
