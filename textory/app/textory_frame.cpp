#include "textory/app/textory_frame.h"

#include "textory/app/textory_app.h"
#include "shell/app/scribant_ids.h"
#include "textory/app/textory_ids.h"

IMPLEMENT_DYNCREATE(CTextoryFrame, CMainFrame)

BEGIN_MESSAGE_MAP(CTextoryFrame, CMainFrame)
ON_WM_CLOSE()
ON_MESSAGE(WM_OUTPUTRESULT, OnOutputResult)
ON_MESSAGE(WM_CLOSEMAIN, OnCloseMain)
ON_MESSAGE(WM_QUERYREADY, OnQueryReady)
ON_MESSAGE(WM_SCANBUTTON, OnScanButton)
ON_MESSAGE(WM_STARTSCAN, OnStartScan)
ON_MESSAGE(WM_SCANDONE, OnScanDone)
ON_MESSAGE(WM_REGIONSDONE, OnRegionsDone)
ON_MESSAGE(WM_OUTPUTDONE, OnOutputDone)
ON_MESSAGE(WM_RUNNEXTSTEP, OnRunNextStep)
ON_MESSAGE(WM_SCANIMAGE, OnTextoryScanImage)
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
    if (CTextoryApp* app = TextoryApp()) app->CloseMainWindow();
    else PostMessage(WM_CLOSE, 0, 0);
    return 0;
}

LRESULT CTextoryFrame::OnQueryReady(WPARAM, LPARAM) { return 1; }

LRESULT CTextoryFrame::OnScanButton(WPARAM, LPARAM) {
    if (CTextoryApp* app = TextoryApp()) app->m_workflow.OnScanButton();
    return 0;
}

LRESULT CTextoryFrame::OnStartScan(WPARAM, LPARAM) {
    if (CTextoryApp* app = TextoryApp()) app->StartScan();
    return 0;
}

LRESULT CTextoryFrame::OnScanDone(WPARAM, LPARAM) {
    if (CTextoryApp* app = TextoryApp()) app->m_workflow.OnScanDone();
    return 0;
}

LRESULT CTextoryFrame::OnRegionsDone(WPARAM, LPARAM) {
    if (CTextoryApp* app = TextoryApp()) app->m_workflow.OnRegionsDone();
    return 0;
}

LRESULT CTextoryFrame::OnOutputDone(WPARAM, LPARAM) {
    if (CTextoryApp* app = TextoryApp()) app->m_workflow.OnOutputDone();
    return 0;
}

LRESULT CTextoryFrame::OnRunNextStep(WPARAM, LPARAM) {
    if (CTextoryApp* app = TextoryApp()) app->m_workflow.RunNextStep();
    return 1;
}

LRESULT CTextoryFrame::OnTextoryScanImage(WPARAM wParam, LPARAM lParam) {
    CTextoryApp* app = TextoryApp();
    if (!app) return CMainFrame::OnScanImageArrived(wParam, lParam);
    HDIB dib = reinterpret_cast<HDIB>(wParam);
    if (!dib) {
        // The plan waits for the page itself (WM_SCANDONE).
        app->m_workflow.SetScanFlag(true);
        return 1;
    }
    app->TakeScannedPage(dib);
    return 1;
}

void CTextoryFrame::OnClose() {
    if (CTextoryApp* app = TextoryApp()) app->OnMainFrameClosing();
    CMainFrame::OnClose();
}
