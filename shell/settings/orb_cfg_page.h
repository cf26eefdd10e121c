// The pen page of the settings sheet: the ink colour list (owner-drawn,
// sorted by its compare callback, each entry carrying its COLORREF), the
// stroke-width radios with a sample line of each width, and the recognition
// speed and mouse sensitivity scroll bars with their edits.
#pragma once

#include <array>

#include "platform/afx/afxwin.h"

class CInkColorList : public CListBox {
public:
    void DrawItem(LPDRAWITEMSTRUCT dis) override;
    void MeasureItem(LPMEASUREITEMSTRUCT mis) override;
    int CompareItem(LPCOMPAREITEMSTRUCT cis) override;
};

class COrbCfgPage : public CPropertyPage {
public:
    static constexpr UINT kTemplate = 166;
    COrbCfgPage() : CPropertyPage(kTemplate) {}

    int m_nMouseSensibility = 3;
    int m_nRecoSpeed = 5;
    int m_nPenColor = 1;
    int m_nPenWidth = 2;

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    // The colour of the selected entry (black when none).
    COLORREF SelectedColor() const;
    // Where the width radios stand in the page's client area.
    std::array<RECT, 6> WidthRadioRects() const;
    CInkColorList& ColorList() { return m_colors; }

protected:
    afx_msg void OnSelectColor();
    afx_msg void OnWidth(UINT id);
    afx_msg void OnHScroll(UINT code, UINT pos, CScrollBar* bar);
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()

private:
    CInkColorList m_colors;
    bool m_bAttached = false;
};
