// Document file dialogs and printing until their parts are in.
#include "platform/afx/ui/docview.h"
#include "platform/afx/ui/ui_private.h"

namespace afx_detail {
BOOL SaveAsDialog(CDocument*, CString&) { return FALSE; }
BOOL OpenDialog(CString&) { return FALSE; }
}  // namespace afx_detail

void CView::OnFilePrint() {}
void CView::OnFilePrintPreview() {}
BOOL CView::DoPreparePrinting(CPrintInfo*) { return FALSE; }
