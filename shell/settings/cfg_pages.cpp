#include "shell/settings/cfg_pages.h"

void CheckRadioGroup(CWnd* page, int first, int last, int value) {
    if (!page || !page->GetDlgItem(first)) return;
    for (int id = first; id <= last; ++id)
        if (CWnd* radio = page->GetDlgItem(id)) radio->SendMessage(BM_SETCHECK, id == first + value ? BST_CHECKED : BST_UNCHECKED);
}

int ReadRadioGroup(CWnd* page, int first, int last, int current) {
    if (!page || !page->GetDlgItem(first)) return current;
    for (int id = first; id <= last; ++id)
        if (CWnd* radio = page->GetDlgItem(id); radio && radio->SendMessage(BM_GETCHECK) == BST_CHECKED)
            return id - first;
    return current;
}

// --- Batch page ----------------------------------------------------------------

BEGIN_MESSAGE_MAP(CBatchCfgPage, CPropertyPage)
    ON_COMMAND_RANGE(IDC_CFG_BATCH_FIRST, IDC_CFG_BATCH_LAST, OnOption)
END_MESSAGE_MAP()

BOOL CBatchCfgPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    CheckRadioGroup(this, IDC_CFG_BATCH_FIRST, IDC_CFG_BATCH_LAST, m_nIgnoredFlag);
    return TRUE;
}

void CBatchCfgPage::DoDataExchange(CDataExchange* dx) {
    if (dx->m_bSaveAndValidate) m_nIgnoredFlag = ReadRadioGroup(this, IDC_CFG_BATCH_FIRST, IDC_CFG_BATCH_LAST, m_nIgnoredFlag);
    else CheckRadioGroup(this, IDC_CFG_BATCH_FIRST, IDC_CFG_BATCH_LAST, m_nIgnoredFlag);
}

void CBatchCfgPage::OnOption(UINT id) {
    m_nIgnoredFlag = static_cast<int>(id) - IDC_CFG_BATCH_FIRST;
    SetModified();
}

// --- Recognition page ------------------------------------------------------------

BEGIN_MESSAGE_MAP(CRecoCfgPage, CPropertyPage)
    ON_COMMAND_RANGE(IDC_CFG_CODE_FIRST, IDC_CFG_CODE_LAST, OnCodeType)
    ON_BN_CLICKED(IDC_CFG_AUTO_ADJUST, OnCheck)
    ON_BN_CLICKED(IDC_CFG_AUTO_POST, OnCheck)
END_MESSAGE_MAP()

BOOL CRecoCfgPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    CheckRadioGroup(this, IDC_CFG_CODE_FIRST, IDC_CFG_CODE_LAST, m_nCodeType);
    return TRUE;
}

void CRecoCfgPage::DoDataExchange(CDataExchange* dx) {
    DDX_Check(dx, IDC_CFG_AUTO_ADJUST, m_bAutoAdjust);
    DDX_Check(dx, IDC_CFG_AUTO_POST, m_bAutoPostProcess);
    if (dx->m_bSaveAndValidate) m_nCodeType = ReadRadioGroup(this, IDC_CFG_CODE_FIRST, IDC_CFG_CODE_LAST, m_nCodeType);
    else CheckRadioGroup(this, IDC_CFG_CODE_FIRST, IDC_CFG_CODE_LAST, m_nCodeType);
}

void CRecoCfgPage::OnCodeType(UINT id) {
    m_nCodeType = static_cast<int>(id) - IDC_CFG_CODE_FIRST;
    SetModified();
}

void CRecoCfgPage::OnCheck() { SetModified(); }

// --- Interface page ------------------------------------------------------------

BEGIN_MESSAGE_MAP(CFaceCfgPage, CPropertyPage)
    ON_BN_CLICKED(IDC_CFG_RELOAD_LAST, OnCheck)
    ON_BN_CLICKED(IDC_CFG_AUTO_RESIZE, OnCheck)
END_MESSAGE_MAP()

void CFaceCfgPage::DoDataExchange(CDataExchange* dx) {
    DDX_Check(dx, IDC_CFG_RELOAD_LAST, m_bAutoLoadLastWork);
    DDX_Check(dx, IDC_CFG_AUTO_RESIZE, m_bAutoResize);
}

void CFaceCfgPage::OnCheck() { SetModified(); }

// --- New image page --------------------------------------------------------------

BEGIN_MESSAGE_MAP(CDocCfgPage, CPropertyPage)
    ON_COMMAND_RANGE(IDC_CFG_LANG_FIRST, IDC_CFG_LANG_LAST, OnLanguage)
    ON_COMMAND_RANGE(IDC_CFG_TYPE_FIRST, IDC_CFG_TYPE_LAST, OnPageType)
    ON_BN_CLICKED(IDC_CFG_SAVE_JPG, OnCheck)
END_MESSAGE_MAP()

void CDocCfgPage::CheckBothGroups() {
    CheckRadioGroup(this, IDC_CFG_LANG_FIRST, IDC_CFG_LANG_LAST, m_nLangCode);
    CheckRadioGroup(this, IDC_CFG_TYPE_FIRST, IDC_CFG_TYPE_LAST, m_nPageType);
}

BOOL CDocCfgPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    CheckBothGroups();
    return TRUE;
}

void CDocCfgPage::DoDataExchange(CDataExchange* dx) {
    DDX_Check(dx, IDC_CFG_SAVE_JPG, m_bSaveAsJpg);
    if (dx->m_bSaveAndValidate) {
        m_nLangCode = ReadRadioGroup(this, IDC_CFG_LANG_FIRST, IDC_CFG_LANG_LAST, m_nLangCode);
        m_nPageType = ReadRadioGroup(this, IDC_CFG_TYPE_FIRST, IDC_CFG_TYPE_LAST, m_nPageType);
    } else {
        CheckBothGroups();
    }
}

void CDocCfgPage::OnLanguage(UINT id) {
    m_nLangCode = static_cast<int>(id) - IDC_CFG_LANG_FIRST;
    CheckBothGroups();
    SetModified();
}

void CDocCfgPage::OnPageType(UINT id) {
    m_nPageType = static_cast<int>(id) - IDC_CFG_TYPE_FIRST;
    CheckBothGroups();
    SetModified();
}

void CDocCfgPage::OnCheck() { SetModified(); }
