// The search tool bar: a search-text box over its first two buttons (the
// main frame's) and a drop-down button (index 2) that picks the search
// engine from menu 283. The frame constructs it and never creates it.
#pragma once

#include "platform/afx/afxwin.h"

#define ID_SEARCH_ENGINE_1 32921
#define ID_SEARCH_ENGINE_2 32922
#ifndef TPM_VERTICAL
#define TPM_VERTICAL 0x0040u
#endif

class CSearchToolBar : public CToolBar {
public:
    static constexpr int kEngineButton = 2;
    static constexpr int kMenuWidth = 106;
    static constexpr UINT kEngineMenu = 283;

    // 0: the first engine, 1: the second.
    int Engine() const { return m_nEngine; }
    // Where the engine popup opens under the engine button (screen
    // coordinates), moved in so that the menu fits on a screen `screenWidth` wide.
    static CPoint EnginePopupPoint(const CRect& buttonOnScreen, int screenWidth);
    // Pops up the engine menu below the engine button; the bar owns it.
    void ShowEngineMenu();

    afx_msg void OnDropDown(NMHDR* header, LRESULT* result);
    afx_msg void OnSearchEngine1();
    afx_msg void OnSearchEngine2();
    DECLARE_MESSAGE_MAP()

private:
    void ChooseEngine(int engine);
    int m_nEngine = 0;
};
