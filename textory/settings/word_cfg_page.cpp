#include "textory/settings/word_cfg_page.h"

using namespace textory;

IMPLEMENT_DYNCREATE(CWordCfgPage, CPropertyPage)

BEGIN_MESSAGE_MAP(CWordCfgPage, CPropertyPage)
ON_BN_CLICKED(kColumnInfoCheck, OnColumnInfo)
ON_BN_CLICKED(kFilterBreaksCheck, OnFilterBreaks)
ON_BN_CLICKED(kFilterBreaksInputCheck, OnFilterBreaksInput)
ON_BN_CLICKED(kAutoDetectCheck, OnAutoDetect)
ON_COMMAND_RANGE(kWord97Radio, kNoWordRadio, OnWordVersion)
ON_COMMAND_RANGE(kNewDocumentRadio, kInsertDocumentRadio, OnDocMode)
END_MESSAGE_MAP()

CWordCfgPage::CWordCfgPage() : CPropertyPage(kTemplate) {}

BOOL CWordCfgPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    showState();
    return TRUE;
}

void CWordCfgPage::showState() {
    CheckDlgButton(kColumnInfoCheck, state_.columnInfo ? 1 : 0);
    CheckDlgButton(kFilterBreaksCheck, state_.filterBreaks ? 1 : 0);
    CheckDlgButton(kFilterBreaksInputCheck, state_.filterBreaksInput ? 1 : 0);
    CheckDlgButton(kAutoDetectCheck, state_.autoDetect ? 1 : 0);
    CheckRadioButton(kWord97Radio, kNoWordRadio, kWord97Radio + state_.wordVersion);
    CheckRadioButton(kNewDocumentRadio, kInsertDocumentRadio, kNewDocumentRadio + state_.docMode);
    for (int id : {kColumnInfoCheck, kFilterBreaksCheck, kFilterBreaksInputCheck, kAutoDetectCheck, kWord97Radio,
                   kWord2000Radio, kWordXpRadio, kNoWordRadio, kNewDocumentRadio, kInsertDocumentRadio})
        if (CWnd* control = GetDlgItem(id)) control->EnableWindow(state_.IsEnabled(id));
}

void CWordCfgPage::OnColumnInfo() {
    state_.OnColumnInfo(IsDlgButtonChecked(kColumnInfoCheck) != 0);
    SetModified();
    showState();
}

void CWordCfgPage::OnFilterBreaks() {
    state_.filterBreaks = IsDlgButtonChecked(kFilterBreaksCheck) != 0;
    SetModified();
}

void CWordCfgPage::OnFilterBreaksInput() {
    state_.filterBreaksInput = IsDlgButtonChecked(kFilterBreaksInputCheck) != 0;
    SetModified();
}

void CWordCfgPage::OnAutoDetect() {
    state_.OnAutoDetect(IsDlgButtonChecked(kAutoDetectCheck) != 0, detect);
    SetModified();
    showState();
}

void CWordCfgPage::OnWordVersion(UINT id) {
    state_.OnWordVersion(static_cast<int>(id) - kWord97Radio);
    SetModified();
}

void CWordCfgPage::OnDocMode(UINT id) {
    state_.OnDocMode(static_cast<int>(id) - kNewDocumentRadio);
    SetModified();
    showState();
}
