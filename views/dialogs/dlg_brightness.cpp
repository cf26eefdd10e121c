#include "views/dialogs/dlg_brightness.h"

#include "platform/afx/ui/dcwnd.h"
#include "views/dialogs/dialog_renderer.h"
#include "views/page_view/page_view_ids.h"

BEGIN_MESSAGE_MAP(CDlgBrightness, CDialog)
    ON_WM_HSCROLL()
    ON_EN_CHANGE(IDC_BRIGHTNESS_VALUE, OnChangeValue)
    ON_WM_PAINT()
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
END_MESSAGE_MAP()

CDlgBrightness::CDlgBrightness(CWnd* parent, int threshold, HDIB source)
    : CDialog(kTemplate, parent), m_controller(source, threshold) {}

BOOL CDlgBrightness::OnInitDialog() {
    CDialog::OnInitDialog();
    if (auto* bar = static_cast<CScrollBar*>(GetDlgItem(IDC_BRIGHTNESS_BAR))) {
        bar->SetScrollRange(0, 255, TRUE);
        bar->SetScrollPos(m_controller.Threshold(), TRUE);
    }
    m_bWriting = true;
    SetDlgItemInt(IDC_BRIGHTNESS_VALUE, static_cast<UINT>(m_controller.Threshold()));
    m_bWriting = false;
    return TRUE;
}

void CDlgBrightness::Changed(bool rewriteText) {
    if (rewriteText) {
        m_bWriting = true;
        SetDlgItemInt(IDC_BRIGHTNESS_VALUE, static_cast<UINT>(m_controller.Threshold()));
        m_bWriting = false;
    }
    if (auto* bar = static_cast<CScrollBar*>(GetDlgItem(IDC_BRIGHTNESS_BAR))) bar->SetScrollPos(m_controller.Threshold(), TRUE);
    Invalidate(FALSE);
}

void CDlgBrightness::OnHScroll(UINT code, UINT pos, CScrollBar*) {
    if (m_controller.Scroll(code, static_cast<int>(pos))) Changed(true);
}

void CDlgBrightness::OnChangeValue() {
    if (m_bWriting) return;
    BOOL ok = FALSE;
    const int value = static_cast<int>(GetDlgItemInt(IDC_BRIGHTNESS_VALUE, &ok, TRUE));
    if (!ok) return;  // not a number yet: the threshold stays
    bool clamped = false;
    const bool changed = m_controller.Type(value, &clamped);
    if (changed || clamped) Changed(clamped);
}

void CDlgBrightness::OnPaint() {
    CPaintDC dc(this);
    CDialogRenderer::DrawBrightness(dc, m_controller);
}

void CDlgBrightness::OnLButtonDown(UINT, CPoint point) {
    if (!CBrightnessController::HitPreview(point)) return;
    m_bDragging = true;
    m_last = point;
    SetCapture();
}

void CDlgBrightness::OnMouseMove(UINT, CPoint point) {
    if (!m_bDragging) {
        if (m_hSavedCursor) {
            ::SetCursor(m_hSavedCursor);
            m_hSavedCursor = nullptr;
        }
        return;
    }
    if (CWinApp* app = AfxGetApp()) {
        HCURSOR hand = app->LoadCursor(IDC_CURSOR_HAND);
        HCURSOR previous = ::SetCursor(hand);
        if (!m_hSavedCursor) m_hSavedCursor = previous;
    }
    if (m_controller.Pan(m_last.x - point.x, m_last.y - point.y)) {
        Invalidate(FALSE);
        UpdateWindow();
    }
    m_last = point;
}

void CDlgBrightness::OnLButtonUp(UINT, CPoint) {
    if (!m_bDragging) return;
    m_bDragging = false;
    ReleaseCapture();
    if (m_hSavedCursor) {
        ::SetCursor(m_hSavedCursor);
        m_hSavedCursor = nullptr;
    }
}
