#include "shell/settings/cfg_sheet.h"

#include "shell/app/scribant_settings.h"
#include "shell/shell_services.h"

CCfgSheet::CCfgSheet(UINT captionId, CWnd* parent, UINT selectPage) : CPropertySheet(captionId, parent, selectPage) {
    AddPage(&m_doc);
    AddPage(&m_reco);
}

CCfgSheet::CCfgSheet(LPCTSTR caption, CWnd* parent, UINT selectPage) : CPropertySheet(caption, parent, selectPage) {
    AddPage(&m_doc);
    AddPage(&m_batch);
    AddPage(&m_reco);
    AddPage(&m_orb);
    AddPage(&m_face);
}

void CCfgSheet::SetValues(const CfgValues& v) {
    m_orb.m_nMouseSensibility = v.mouseSensibility;
    m_orb.m_nRecoSpeed = v.recoSpeed;
    m_orb.m_nPenColor = v.penColor;
    m_orb.m_nPenWidth = v.penWidth;
    m_batch.m_nIgnoredFlag = v.ignoredFlag;
    m_reco.m_nCodeType = v.codeType;
    m_reco.m_bAutoAdjust = v.autoAdjust;
    m_reco.m_bAutoPostProcess = v.autoPostProcess;
    m_face.m_bAutoLoadLastWork = v.autoLoadLastWork;
    m_face.m_bAutoResize = v.autoResize;
    m_doc.m_nLangCode = v.langCode;
    m_doc.m_nPageType = v.pageType;
    m_doc.m_bSaveAsJpg = v.saveAsJpg;
}

CfgValues CCfgSheet::Values() const {
    CfgValues v;
    v.mouseSensibility = m_orb.m_nMouseSensibility;
    v.recoSpeed = m_orb.m_nRecoSpeed;
    v.penColor = m_orb.m_nPenColor;
    v.penWidth = m_orb.m_nPenWidth;
    v.ignoredFlag = m_batch.m_nIgnoredFlag;
    v.codeType = m_reco.m_nCodeType;
    v.autoAdjust = m_reco.m_bAutoAdjust;
    v.autoPostProcess = m_reco.m_bAutoPostProcess;
    v.autoLoadLastWork = m_face.m_bAutoLoadLastWork;
    v.autoResize = m_face.m_bAutoResize;
    v.langCode = m_doc.m_nLangCode;
    v.pageType = m_doc.m_nPageType;
    v.saveAsJpg = m_doc.m_bSaveAsJpg;
    return v;
}

BOOL CCfgSheet::OnCommand(WPARAM wParam, LPARAM lParam) {
    switch (LOWORD(wParam)) {
    case ID_APPLY_NOW: ApplyNow(); return TRUE;
    case ID_HELP: return TRUE;  // the sheet has no help
    default: return CPropertySheet::OnCommand(wParam, lParam);
    }
}

void CCfgSheet::ApplyNow() {
    // Every page that has a window gives its controls' values; a refused
    // value (its message shown) keeps everything as it was.
    for (int i = 0; i < GetPageCount(); ++i) {
        CPropertyPage* page = GetPage(i);
        if (page && page->GetSafeHwnd() && !page->UpdateData(TRUE)) return;
    }
    if (m_pApplyTarget) Values().To(*m_pApplyTarget);
    CPropertyPage* pages[] = {&m_orb, &m_batch, &m_reco, &m_face, &m_doc};
    for (CPropertyPage* page : pages) page->SetModified(FALSE);
    if (CWinApp* app = AfxGetApp()) app->OnIdle(-1);
}

INT_PTR RunSettingsSheet(CWinApp& app, ScribantSettings& settings, CWnd* parent) {
    CCfgSheet sheet(IDS_CFG_CAPTION, parent, 0);
    sheet.SetValues(CfgValues::From(settings));
    sheet.m_pApplyTarget = &settings;
    // The edition's own pages follow the common ones.
    ShellServices().AddSettingsPages(sheet);
    const INT_PTR result = sheet.DoModal();
    if (result == IDOK) {
        sheet.Values().To(settings);
        settings.Save(app);
    }
    ShellServices().SettingsSheetClosed(result == IDOK);
    return result;
}
