#include "shell/settings/orb_cfg_page.h"

#include "platform/afx/ui/dcwnd.h"
#include "shell/settings/cfg_pages.h"
#include "shell/settings/cfg_renderer.h"
#include "shell/settings/cfg_values.h"

void CInkColorList::DrawItem(LPDRAWITEMSTRUCT dis) {
    if (!dis || dis->itemID == static_cast<UINT>(-1)) return;
    CDC* dc = CDC::FromHandle(dis->hDC);
    if (!dc) return;
    CCfgRenderer::DrawInkEntry(*dc, dis->rcItem, static_cast<COLORREF>(dis->itemData), (dis->itemState & ODS_SELECTED) != 0);
}

void CInkColorList::MeasureItem(LPMEASUREITEMSTRUCT mis) {
    if (mis) mis->itemHeight = cfg::kEntryHeight;
}

int CInkColorList::CompareItem(LPCOMPAREITEMSTRUCT cis) {
    return cis ? cfg::CompareInkColors(static_cast<COLORREF>(cis->itemData1), static_cast<COLORREF>(cis->itemData2)) : 0;
}

BEGIN_MESSAGE_MAP(COrbCfgPage, CPropertyPage)
    ON_LBN_SELCHANGE(IDC_CFG_INK_COLOR, OnSelectColor)
    ON_COMMAND_RANGE(IDC_CFG_WIDTH_FIRST, IDC_CFG_WIDTH_LAST, OnWidth)
    ON_WM_HSCROLL()
    ON_WM_PAINT()
END_MESSAGE_MAP()

BOOL COrbCfgPage::OnInitDialog() {
    if (!m_bAttached && GetDlgItem(IDC_CFG_INK_COLOR)) m_bAttached = m_colors.SubclassDlgItem(IDC_CFG_INK_COLOR, this) != FALSE;
    CPropertyPage::OnInitDialog();
    if (m_bAttached) {
        for (COLORREF color : cfg::kInkColors) {
            const int index = m_colors.AddString(reinterpret_cast<LPCTSTR>(static_cast<std::uintptr_t>(color)));
            if (index >= 0) m_colors.SetItemData(index, color);
        }
        m_colors.SetCurSel(m_nPenColor);
    }
    CheckRadioGroup(this, IDC_CFG_WIDTH_FIRST, IDC_CFG_WIDTH_LAST, m_nPenWidth - 1);
    if (auto* speed = static_cast<CScrollBar*>(GetDlgItem(IDC_CFG_SPEED_BAR))) {
        speed->SetScrollRange(cfg::kSpeedMin, cfg::kSpeedMax, FALSE);
        speed->SetScrollPos(m_nRecoSpeed, TRUE);
    }
    if (auto* sensibility = static_cast<CScrollBar*>(GetDlgItem(IDC_CFG_SENSIBILITY_BAR))) {
        sensibility->SetScrollRange(cfg::kSensibilityMin, cfg::kSensibilityMax, FALSE);
        sensibility->SetScrollPos(m_nMouseSensibility, TRUE);
    }
    return TRUE;
}

void COrbCfgPage::DoDataExchange(CDataExchange* dx) {
    DDX_Text(dx, IDC_CFG_SENSIBILITY_EDIT, m_nMouseSensibility);
    DDV_MinMaxInt(dx, m_nMouseSensibility, cfg::kSensibilityMin, cfg::kSensibilityMax);
    DDX_Text(dx, IDC_CFG_SPEED_EDIT, m_nRecoSpeed);
    DDV_MinMaxInt(dx, m_nRecoSpeed, cfg::kSpeedMin, cfg::kSpeedMax);
    if (dx->m_bSaveAndValidate) {
        m_nPenWidth = ReadRadioGroup(this, IDC_CFG_WIDTH_FIRST, IDC_CFG_WIDTH_LAST, m_nPenWidth - 1) + 1;
        if (m_bAttached && m_colors.GetCurSel() >= 0) m_nPenColor = m_colors.GetCurSel();
    }
}

COLORREF COrbCfgPage::SelectedColor() const {
    if (!m_bAttached) return 0;
    const int index = m_colors.GetCurSel();
    return index >= 0 ? static_cast<COLORREF>(m_colors.GetItemData(index)) : 0;
}

std::array<RECT, 6> COrbCfgPage::WidthRadioRects() const {
    std::array<RECT, 6> rects{};
    for (int i = 0; i < 6; ++i) {
        if (CWnd* radio = GetDlgItem(IDC_CFG_WIDTH_FIRST + i)) {
            RECT r{};
            radio->GetWindowRect(&r);
            ScreenToClient(&r);
            rects[static_cast<std::size_t>(i)] = r;
        }
    }
    return rects;
}

void COrbCfgPage::OnSelectColor() {
    const int index = m_colors.GetCurSel();
    if (index >= 0) m_nPenColor = index;
    SetModified();
    // The old entry loses its inverted frame, the samples take the colour.
    m_colors.Invalidate();
    Invalidate();
}

void COrbCfgPage::OnWidth(UINT id) {
    m_nPenWidth = static_cast<int>(id) - IDC_CFG_WIDTH_FIRST + 1;
    SetModified();
}

void COrbCfgPage::OnHScroll(UINT code, UINT pos, CScrollBar* bar) {
    if (!bar) return;
    const int id = bar->GetDlgCtrlID();
    if (id == IDC_CFG_SPEED_BAR) {
        m_nRecoSpeed = cfg::ScrollStep(m_nRecoSpeed, code, static_cast<int>(pos), cfg::kSpeedMin, cfg::kSpeedMax, cfg::kSpeedPage);
        bar->SetScrollPos(m_nRecoSpeed, TRUE);
        SetDlgItemInt(IDC_CFG_SPEED_EDIT, static_cast<UINT>(m_nRecoSpeed));
    } else if (id == IDC_CFG_SENSIBILITY_BAR) {
        m_nMouseSensibility = cfg::ScrollStep(m_nMouseSensibility, code, static_cast<int>(pos), cfg::kSensibilityMin,
                                              cfg::kSensibilityMax, 1);
        bar->SetScrollPos(m_nMouseSensibility, TRUE);
        SetDlgItemInt(IDC_CFG_SENSIBILITY_EDIT, static_cast<UINT>(m_nMouseSensibility));
    } else {
        return;
    }
    SetModified();
}

void COrbCfgPage::OnPaint() {
    CPaintDC dc(this);
    CCfgRenderer::DrawWidthSamples(dc, WidthRadioRects(), SelectedColor());
}
