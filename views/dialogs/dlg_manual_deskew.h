// The manual skew dialog (template 155): a thin window over
// CManualSkewController, and the runner the document's manual deskew
// command calls through its dialog interface.
#pragma once

#include "ocrdoc/document/manual_deskew_dialog.h"
#include "platform/afx/afxwin.h"
#include "views/dialogs/manual_skew_controller.h"

#define IDC_SKEW_PREVIEW 1029
#define IDC_SKEW_CLOCKWISE 3
#define IDC_SKEW_ANTICLOCKWISE 4

class CDlgManualDeskew : public CDialog {
public:
    static constexpr UINT kTemplate = 155;
    // The page stays the caller's; hWork receives the working copy after OK.
    CDlgManualDeskew(CPageImage* page, HGLOBAL hWork, CWnd* parent);
    ~CDlgManualDeskew() override;

    CManualSkewController& Controller() { return m_controller; }
    BOOL OnInitDialog() override;
    void OnOK() override;

protected:
    afx_msg void OnPaint();
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint point);
    afx_msg void OnRButtonDblClk(UINT flags, CPoint point);
    afx_msg void OnPreview();
    afx_msg void OnClockwise();
    afx_msg void OnAnticlockwise();
    DECLARE_MESSAGE_MAP()

private:
    void RestoreCursor();
    CManualSkewController m_controller;
    HGLOBAL m_hWork;
    HCURSOR m_hSavedCursor = nullptr;
};

// Runs the dialog for the document (installed by the page view).
class CManualDeskewRunner : public CManualDeskewDialog {
public:
    int RunModal(CPageImage* page, HGLOBAL hWork, HWND parent, ManualDeskewAnswer* out) override;
};
