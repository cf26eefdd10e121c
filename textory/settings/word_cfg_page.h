// The "Word" page of Textory's settings sheet (template 286): a thin window
// over CWordCfgPageState, which holds the values and decides what is enabled.
#pragma once

#include <functional>

#include "platform/afx/afxwin.h"
#include "textory/settings/word_cfg_page_state.h"

class CWordCfgPage : public CPropertyPage {
    DECLARE_DYNCREATE(CWordCfgPage)
public:
    static constexpr UINT kTemplate = 286;
    CWordCfgPage();

    textory::CWordCfgPageState& State() { return state_; }
    // The detection run when "自动检测" is checked (the registry's, by default).
    std::function<int()> detect = [] { return DetectWordVersion(); };

    BOOL OnInitDialog() override;

protected:
    afx_msg void OnColumnInfo();
    afx_msg void OnFilterBreaks();
    afx_msg void OnFilterBreaksInput();
    afx_msg void OnAutoDetect();
    afx_msg void OnWordVersion(UINT id);
    afx_msg void OnDocMode(UINT id);
    DECLARE_MESSAGE_MAP()

private:
    // The controls from the state: checks, radios and what is enabled.
    void showState();

    textory::CWordCfgPageState state_;
};
