#include "views/dialogs/dlg_manual_deskew.h"

#include "imaging/image_messages.h"
#include "platform/afx/ui/dcwnd.h"
#include "views/dialogs/dialog_renderer.h"
#include "views/page_view/page_view_ids.h"

BEGIN_MESSAGE_MAP(CDlgManualDeskew, CDialog)
    ON_WM_PAINT()
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_RBUTTONDBLCLK()
    ON_BN_CLICKED(IDC_SKEW_PREVIEW, OnPreview)
    ON_BN_CLICKED(IDC_SKEW_CLOCKWISE, OnClockwise)
    ON_BN_CLICKED(IDC_SKEW_ANTICLOCKWISE, OnAnticlockwise)
END_MESSAGE_MAP()

CDlgManualDeskew::CDlgManualDeskew(CPageImage* page, HGLOBAL hWork, CWnd* parent)
    : CDialog(kTemplate, parent), m_controller(page), m_hWork(hWork) {}

CDlgManualDeskew::~CDlgManualDeskew() { RestoreCursor(); }

BOOL CDlgManualDeskew::OnInitDialog() {
    CDialog::OnInitDialog();
    return TRUE;
}

void CDlgManualDeskew::OnOK() {
    // The caller reads the previewed page from its own block: a page that did
    // not reach it must not replace the page.
    if (m_hWork && !m_controller.CopyWorkingTo(m_hWork)) {
        ShowImageMessage(kMsgNoEnoughMemoryToFinish);
        EndDialog(IDCANCEL);
        return;
    }
    CDialog::OnOK();
}

void CDlgManualDeskew::RestoreCursor() {
    if (!m_hSavedCursor) return;
    ::SetCursor(m_hSavedCursor);
    m_hSavedCursor = nullptr;
}

void CDlgManualDeskew::OnPaint() {
    CPaintDC dc(this);
    CDialogRenderer::DrawManualSkew(dc, m_controller);
}

void CDlgManualDeskew::OnLButtonDown(UINT, CPoint point) {
    if (m_controller.ButtonDown(point)) SetCapture();
}

void CDlgManualDeskew::OnMouseMove(UINT, CPoint point) {
    if (m_controller.DragMode() == kSkewDragPicture) {
        if (CWinApp* app = AfxGetApp()) {
            HCURSOR previous = ::SetCursor(app->LoadCursor(IDC_CURSOR_HAND));
            if (!m_hSavedCursor) m_hSavedCursor = previous;
        }
    } else {
        RestoreCursor();
    }
    if (m_controller.MouseMove(point)) {
        Invalidate(FALSE);
        if (m_controller.DragMode() == kSkewDragPicture) UpdateWindow();
    }
}

void CDlgManualDeskew::OnLButtonUp(UINT, CPoint) {
    if (m_controller.DragMode() != kSkewDragNone) ReleaseCapture();
    m_controller.ButtonUp();
    RestoreCursor();
}

void CDlgManualDeskew::OnLButtonDblClk(UINT flags, CPoint point) {
    if (m_controller.HitTest(point) == kSkewDragPicture && m_controller.ZoomIn()) Invalidate(FALSE);
    CDialog::OnLButtonDblClk(flags, point);
}

void CDlgManualDeskew::OnRButtonDblClk(UINT flags, CPoint point) {
    if (m_controller.HitTest(point) == kSkewDragPicture && m_controller.ZoomOut()) Invalidate(FALSE);
    CDialog::OnRButtonDblClk(flags, point);
}

void CDlgManualDeskew::OnPreview() {
    if (m_controller.Preview()) Invalidate(FALSE);
}

void CDlgManualDeskew::OnClockwise() {
    if (m_controller.Clockwise()) Invalidate(FALSE);
}

void CDlgManualDeskew::OnAnticlockwise() {
    if (m_controller.Anticlockwise()) Invalidate(FALSE);
}

int CManualDeskewRunner::RunModal(CPageImage* page, HGLOBAL hWork, HWND parent, ManualDeskewAnswer* out) {
    CDlgManualDeskew dialog(page, hWork, CWnd::FromHandle(parent));
    if (!dialog.Controller().Valid()) return IDCANCEL;
    const INT_PTR result = dialog.DoModal();
    if (result != IDOK) return IDCANCEL;
    if (out) {
        out->leftY = dialog.Controller().LeftY();
        out->rightY = dialog.Controller().RightY();
        out->runningTotal = dialog.Controller().Total();
    }
    return IDOK;
}
