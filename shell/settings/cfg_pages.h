// The pages of the settings sheet. Each holds its settings as members; the
// radio groups map to 0-based values by the radio's offset from the group's
// first id, check boxes exchange an int, and any click marks the page
// modified. A radio group the page's template does not carry is left alone.
#pragma once

#include "platform/afx/afxwin.h"

// Radio groups and check boxes by id.
#define IDC_CFG_INK_COLOR 1066
#define IDC_CFG_WIDTH_FIRST 1067
#define IDC_CFG_WIDTH_LAST 1072
#define IDC_CFG_SPEED_BAR 1005
#define IDC_CFG_SENSIBILITY_BAR 1074
#define IDC_CFG_SPEED_EDIT 1075
#define IDC_CFG_SENSIBILITY_EDIT 1077
#define IDC_CFG_BATCH_FIRST 1078
#define IDC_CFG_BATCH_LAST 1080
#define IDC_CFG_AUTO_ADJUST 1081
#define IDC_CFG_AUTO_POST 1082
#define IDC_CFG_CODE_FIRST 1083
#define IDC_CFG_CODE_LAST 1085
#define IDC_CFG_LANG_FIRST 1086
#define IDC_CFG_LANG_LAST 1088
#define IDC_CFG_TYPE_FIRST 1089
#define IDC_CFG_TYPE_LAST 1093
#define IDC_CFG_RELOAD_LAST 1095
#define IDC_CFG_AUTO_RESIZE 1097
#define IDC_CFG_SAVE_JPG 1107

// Checks the radio `first + value` of a group (nothing when the template
// has no such group) and reads the checked one back (`current` when none).
void CheckRadioGroup(CWnd* page, int first, int last, int value);
int ReadRadioGroup(CWnd* page, int first, int last, int current);

class CBatchCfgPage : public CPropertyPage {
public:
    static constexpr UINT kTemplate = 223;
    CBatchCfgPage() : CPropertyPage(kTemplate) {}
    int m_nIgnoredFlag = 1;
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;

protected:
    afx_msg void OnOption(UINT id);
    DECLARE_MESSAGE_MAP()
};

class CRecoCfgPage : public CPropertyPage {
public:
    static constexpr UINT kTemplate = 224;
    CRecoCfgPage() : CPropertyPage(kTemplate) {}
    int m_nCodeType = 0;
    int m_bAutoAdjust = 0;
    int m_bAutoPostProcess = 0;
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;

protected:
    afx_msg void OnCodeType(UINT id);
    afx_msg void OnCheck();
    DECLARE_MESSAGE_MAP()
};

class CFaceCfgPage : public CPropertyPage {
public:
    static constexpr UINT kTemplate = 226;
    CFaceCfgPage() : CPropertyPage(kTemplate) {}
    int m_bAutoLoadLastWork = 0;
    int m_bAutoResize = 0;
    void DoDataExchange(CDataExchange* dx) override;

protected:
    afx_msg void OnCheck();
    DECLARE_MESSAGE_MAP()
};

class CDocCfgPage : public CPropertyPage {
public:
    static constexpr UINT kTemplate = 225;
    CDocCfgPage() : CPropertyPage(kTemplate) {}
    int m_nLangCode = 0;
    int m_nPageType = 0;
    int m_bSaveAsJpg = 0;
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;

protected:
    afx_msg void OnLanguage(UINT id);
    afx_msg void OnPageType(UINT id);
    afx_msg void OnCheck();
    DECLARE_MESSAGE_MAP()

private:
    void CheckBothGroups();
};
