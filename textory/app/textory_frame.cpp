#include "textory/app/textory_frame.h"

#include "textory/app/textory_app.h"
#include "textory/app/textory_ids.h"

IMPLEMENT_DYNCREATE(CTextoryFrame, CMainFrame)

BEGIN_MESSAGE_MAP(CTextoryFrame, CMainFrame)
ON_WM_CLOSE()
ON_MESSAGE(WM_OUTPUTRESULT, OnOutputResult)
ON_MESSAGE(WM_CLOSEMAIN, OnCloseMain)
ON_MESSAGE(WM_QUERYREADY, OnQueryReady)
END_MESSAGE_MAP()

CTextoryFrame::CTextoryFrame() = default;
CTextoryFrame::~CTextoryFrame() = default;

BOOL CTextoryFrame::PreCreateWindow(CREATESTRUCT& cs) {
    if (!CMainFrame::PreCreateWindow(cs)) return FALSE;
    cs.lpszClass = TEXTORY_FRAME_CLASS;
    return TRUE;
}

LRESULT CTextoryFrame::OnOutputResult(WPARAM wParam, LPARAM) {
    if (CTextoryApp* app = TextoryApp()) app->WriteCommandLineOutput(wParam != 0);
    return 0;
}

LRESULT CTextoryFrame::OnCloseMain(WPARAM, LPARAM) {
    PostMessage(WM_CLOSE, 0, 0);
    return 0;
}

LRESULT CTextoryFrame::OnQueryReady(WPARAM, LPARAM) { return 1; }

void CTextoryFrame::OnClose() {
    if (CTextoryApp* app = TextoryApp()) app->OnMainFrameClosing();
    CMainFrame::OnClose();
}
