// The brightness dialog (template 139): a thin window over
// CBrightnessController; the caller asks for the whole plane after OK.
#pragma once

#include "platform/afx/afxwin.h"
#include "views/dialogs/brightness_controller.h"

#define IDC_BRIGHTNESS_BAR 1005
#define IDC_BRIGHTNESS_VALUE 1006

class CDlgBrightness : public CDialog {
public:
    static constexpr UINT kTemplate = 139;
    CDlgBrightness(CWnd* parent, int threshold, HDIB source);

    CBrightnessController& Controller() { return m_controller; }
    // With previewOnly FALSE: the whole page at the chosen threshold.
    BOOL BuildWorkImage(int previewOnly) { return m_controller.BuildWorkImage(previewOnly != 0) ? TRUE : FALSE; }
    HGLOBAL TakePlane() { return m_controller.TakePlane(); }
    int Width() const { return m_controller.Width(); }
    int Height() const { return m_controller.Height(); }

    BOOL OnInitDialog() override;

protected:
    afx_msg void OnHScroll(UINT code, UINT pos, CScrollBar* bar);
    afx_msg void OnChangeValue();
    afx_msg void OnPaint();
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    DECLARE_MESSAGE_MAP()

private:
    void Changed(bool rewriteText);
    CBrightnessController m_controller;
    bool m_bDragging = false;
    bool m_bWriting = false;
    POINT m_last{0, 0};
    HCURSOR m_hSavedCursor = nullptr;
};
