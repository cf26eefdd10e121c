// Document file dialogs, data exchange and bar layout until their parts are in.
#include "platform/afx/ui/docview.h"
#include "platform/afx/ui/ui_private.h"

namespace afx_detail {
BOOL SaveAsDialog(CDocument*, CString&) { return FALSE; }
BOOL OpenDialog(CString&) { return FALSE; }
}  // namespace afx_detail

BOOL CWnd::UpdateData(BOOL) { return TRUE; }
void CWnd::DoDataExchange(CDataExchange*) {}

void CWnd::RepositionBars(UINT, UINT, UINT idLeftOver, UINT, LPRECT, LPCRECT clientRect, BOOL) {
    CRect r;
    if (clientRect) r = *clientRect;
    else GetClientRect(&r);
    if (CWnd* pane = GetDlgItem(static_cast<int>(idLeftOver))) pane->MoveWindow(&r);
}

void CView::OnFilePrint() {}
void CView::OnFilePrintPreview() {}
BOOL CView::DoPreparePrinting(CPrintInfo*) { return FALSE; }

void CFrameWnd::OnUpdateControlBarMenu(CCmdUI* ui) { ui->Enable(FALSE); }
BOOL CFrameWnd::OnBarCheck(UINT) { return FALSE; }
