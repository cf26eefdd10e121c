#include "shell/batch/dlg_batch_recog.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "ocrdoc/document/ocr_doc.h"
#include "ocrdoc/document/reco_progress.h"
#include "ocrdoc/task/task.h"
#include "platform/afx/ui/dcwnd.h"
#include "shell/batch/batch_preview.h"
#include "shell/shell_services.h"

BEGIN_MESSAGE_MAP(CDlgBatchRecog, CDialog)
    ON_WM_PAINT()
    ON_WM_CLOSE()
    ON_COMMAND(ID_BATCH_RUN, OnBatchRun)
    ON_COMMAND(ID_BATCH_TEXT, OnAddText)
    ON_MESSAGE(WM_RECOGNIZEPAGE, OnRecognizePage)
    ON_MESSAGE(WM_RECOGPROGRESS, OnRecogProgress)
    ON_MESSAGE(WM_BATCH_PIECE, OnBatchPiece)
    ON_MESSAGE(WM_BATCH_PAGE, OnBatchPage)
    ON_MESSAGE(WM_BATCH_LINES, OnBatchLines)
    ON_MESSAGE(WM_BATCH_END, OnBatchEnd)
    ON_MESSAGE(WM_PREVIEWLOCKFAILED, OnPreviewLockFailed)
END_MESSAGE_MAP()

CDlgBatchRecog::CDlgBatchRecog(UINT templateId, int mode, CWnd* parent, COcrDoc* document)
    : CDialog(templateId, parent), m_nMode(mode), m_pDocument(document),
      m_nWorkers(CBatchRecognizer::DefaultWorkers()), m_preview(std::make_unique<CBatchPreview>()) {}

CDlgBatchRecog::~CDlgBatchRecog() = default;

std::size_t CDlgBatchRecog::PieceBytes() const {
    return std::clamp<std::size_t>(ShellServices().BatchPieceBytes(), 2, kPieceBufferBytes);
}

BOOL CDlgBatchRecog::OnInitDialog() {
    CDialog::OnInitDialog();
    CenterWindow(m_nMode == kPreviewMode ? CWnd::FromHandle(::GetDesktopWindow()) : nullptr);
    if (m_nMode == kCounterMode) {
        // The count, then the run: both editions start it from here.
        const std::vector<int> rows = ShellServices().PageListSelectedRows();
        SetDlgItemText(IDC_BATCH_COUNT,
                       FormatBatchText(TaskString(IDS_BATCH_COUNT), static_cast<int>(rows.size())).substr(0, 80).c_str());
        PostMessage(WM_COMMAND, ID_BATCH_RUN, 0);
    }
    return TRUE;
}

RECT CDlgBatchRecog::PanelRect() const {
    RECT client{};
    GetClientRect(&client);
    if (m_nMode == kPreviewMode) {
        client.right = std::max(client.left, client.right - 200);
        return client;
    }
    const RECT margins = ShellServices().BatchPanelMargins();
    RECT panel{client.left + margins.left, client.top + margins.top, client.right - margins.right,
               client.bottom - margins.bottom};
    if (panel.right < panel.left) panel.right = panel.left;
    if (panel.bottom < panel.top) panel.bottom = panel.top;
    return panel;
}

void CDlgBatchRecog::SelectPanelFont(CDC& dc, CGdiObject*& old) {
    CFont* dialogFont = ShellServices().BatchPanelUsesDialogFont() ? GetFont() : nullptr;
    old = dialogFont ? dc.SelectObject(dialogFont) : dc.SelectStockObject(SYSTEM_FIXED_FONT);
}

CBatchRecogRenderer::PanelMetrics CDlgBatchRecog::Metrics() {
    if (!m_bMeasured) {
        CClientDC dc(this);
        CGdiObject* old = nullptr;
        SelectPanelFont(dc, old);
        m_metrics = CBatchRecogRenderer::Measure(dc);
        if (old) dc.SelectObject(old);
        CBatchRecogRenderer::Layout(PanelRect(), m_metrics, m_panel);
        m_bMeasured = true;
    }
    return m_metrics;
}

void CDlgBatchRecog::OnPaint() {
    if (!m_nDisplay) {
        Default();
        return;
    }
    CPaintDC dc(this);
    const RECT area = PanelRect();
    if (m_nMode == kCounterMode) {
        CGdiObject* old = nullptr;
        SelectPanelFont(dc, old);
        m_metrics = CBatchRecogRenderer::Measure(dc);
        m_bMeasured = true;
        CBatchRecogRenderer::Layout(area, m_metrics, m_panel);
        CBatchRecogRenderer::DrawPanel(dc, area, m_metrics, m_panel);
        if (old) dc.SelectObject(old);
        return;
    }
    m_preview->SetPage(m_pDocument ? m_pDocument->m_pImage : nullptr, m_pDocument ? m_pDocument->m_pPageRegion : nullptr);
    if (CBatchRecogRenderer::DrawPreview(dc, area, *m_preview) == CBatchPreview::Build::kLockFailed && !m_bLockReported) {
        // Said once, and not from inside the paint: the next paint tries again.
        m_bLockReported = true;
        PostMessage(WM_PREVIEWLOCKFAILED, 0, 0);
    }
}

LRESULT CDlgBatchRecog::OnPreviewLockFailed(WPARAM, LPARAM) {
    ShellServices().MessageBox("Can't Lock Memory", "", MB_OK | MB_ICONEXCLAMATION);
    return 0;
}

void CDlgBatchRecog::AddPiece(bool pump) {
    if (m_nMode == kPreviewMode) return;
    const CBatchRecogRenderer::PanelMetrics metrics = Metrics();
    const CBatchTextPanel::Change change = m_panel.AddText(m_szPiece);
    if (!GetSafeHwnd()) return;
    const RECT panel = PanelRect();
    if (change.whole) {
        InvalidateRect(&panel, FALSE);
    } else if (change.line >= 0) {
        const RECT touched = CBatchRecogRenderer::LineRect(panel, metrics, change.line, change.fromColumn);
        InvalidateRect(&touched, FALSE);
    }
    if (pump) AfxPumpMessages();
    else UpdateWindow();
}

void CDlgBatchRecog::OnAddText() {
    // The piece buffer was filled by the recognition's callback, bounded to
    // the buffer; a piece is never read past its end.
    m_szPiece[kPieceBufferBytes - 1] = '\0';
    AddPiece(true);
}

void CDlgBatchRecog::Apply(const std::vector<CBatchRunController::Step>& steps) {
    bool shown = false;
    for (const CBatchRunController::Step& step : steps) {
        if (step.kind == CBatchRunController::Step::kShowPage) {
            SetDlgItemText(IDC_BATCH_FILE, step.text.c_str());
            shown = true;
        } else {
            CopyTextPiece(m_szPiece, PieceBytes(), step.text.c_str());
            AddPiece(false);
        }
    }
    if (shown) ShowPageInViews();
}

void CDlgBatchRecog::ShowPageInViews() {
    // The page and text views follow the page being recognised. The page
    // comes from its files as they are; the document writes nothing over
    // what the workers write (it has no edit of its own meanwhile).
    if (m_nMode != kCounterMode || !m_run) return;
    CShellServices& shell = ShellServices();
    COcrDoc* doc = shell.CurrentDocument();
    const int row = m_run->LastShownRow();
    if (!doc || row < 0 || doc->IsPageHeld()) return;
    const std::string path = shell.PageListItemText(row, kPageListPath);
    if (path.empty() || path == shell.CurrentDocumentPath()) return;
    // A page that cannot be read is the run's to name in its closing list:
    // the page's arrival shows no box while the run goes on unattended.
    shell.SetBusy(true);
    doc->OnOpenDocument(path.c_str());
}

void CDlgBatchRecog::OnBatchRun() {
    if (m_run) return;
    CShellServices& shell = ShellServices();
    m_nDisplay = 1;
    if (GetSafeHwnd()) Invalidate(FALSE);
    // The open page's work is on disk before the workers read the files.
    if (COcrDoc* doc = shell.CurrentDocument()) doc->SaveModified();
    m_run = std::make_unique<CBatchRunController>(CBatchRecognizer::PlanSelectedRows(), shell.BatchMode());
    std::vector<CBatchRunController::Step> steps;
    const BOOL started = m_run->Start(GetSafeHwnd(), m_nWorkers, steps);
    Apply(steps);
    if (!started) FinishRun();
}

LRESULT CDlgBatchRecog::OnBatchPiece(WPARAM, LPARAM lParam) {
    std::unique_ptr<BatchPiece> piece = TakeBatchPiece(lParam);
    if (piece && m_run && !m_bFinished) Apply(m_run->OnPiece(piece->page, std::move(piece->text)));
    return 0;
}

LRESULT CDlgBatchRecog::OnBatchPage(WPARAM, LPARAM lParam) {
    std::unique_ptr<BatchPageDone> done = TakeBatchPage(lParam);
    if (done && m_run && !m_bFinished) Apply(m_run->OnPageEnded(*done));
    return 0;
}

LRESULT CDlgBatchRecog::OnBatchLines(WPARAM, LPARAM lParam) {
    std::unique_ptr<BatchLines> lines = TakeBatchLines(lParam);
    if (lines && m_run && lines->page == m_run->ShownPage() && lines->total > 0)
        ShellServices().DrawProgress(1, lines->total, std::min(lines->lines, lines->total));
    return 0;
}

LRESULT CDlgBatchRecog::OnBatchEnd(WPARAM, LPARAM) {
    if (m_run) m_run->OnRunEnded();
    FinishRun();
    return 0;
}

void CDlgBatchRecog::FinishRun() {
    if (m_bFinished) return;
    m_bFinished = true;
    m_panel.SetCurrentLine(-1);
    CShellServices& shell = ShellServices();
    shell.ClearProgress();
    // The page of the last row shown comes again from its files, which the
    // workers may have rewritten; what the document held was saved before.
    const int row = m_run ? m_run->LastShownRow() : -1;
    if (COcrDoc* doc = shell.CurrentDocument(); doc && row >= 0) {
        const std::string path = shell.PageListItemText(row, kPageListPath);
        if (!path.empty()) doc->OnOpenDocument(path.c_str());
    }
    if (const std::string failed = m_run ? m_run->FailureMessage() : std::string(); !failed.empty())
        shell.MessageBox(failed, "", MB_OK | MB_ICONEXCLAMATION);
    EndDialog(IDOK);
}

void CDlgBatchRecog::OnCancel() {
    // Stop: a run ends by itself soon and then closes the window.
    m_bStop = 1;
    if (m_run && !m_bFinished) {
        m_run->Stop();
        return;
    }
    CDialog::OnCancel();
}

void CDlgBatchRecog::OnClose() { OnCancel(); }

void CDlgBatchRecog::SetStatusText(const CString& text) {
    if (GetSafeHwnd() && GetDlgItem(IDC_BATCH_STATUS)) SetDlgItemText(IDC_BATCH_STATUS, text);
}

LRESULT CDlgBatchRecog::RecognizeAndClose(WPARAM wParam, LPARAM lParam) {
    SetStatusText("Recognizing ...");
    return OnRecognizePage(wParam, lParam);
}

LRESULT CDlgBatchRecog::OnRecognizePage(WPARAM wParam, LPARAM lParam) {
    int recognised = 0;
    m_nResult = 0;
    if (m_pDocument)
        recognised = m_pDocument->RecognizeWithSegmentation(GetSafeHwnd(), m_szPiece, PieceBytes(), &m_bStop,
                                                            reinterpret_cast<_seg_regioninfo*>(wParam),
                                                            reinterpret_cast<_regioninfo**>(lParam));
    if (!recognised) {
        m_nResult = kFailed;
        EndDialog(kFailed);
        return kFailed;
    }
    const auto start = std::chrono::steady_clock::now();
    m_szPiece[0] = '\n';
    m_szPiece[1] = '\r';
    m_szPiece[2] = '\0';
    AddPiece(false);
    AddPiece(false);
    // The final picture stays on screen for the hold; nothing is dispatched
    // meanwhile, so the thread sleeps rather than spins.
    const auto until = start + std::chrono::milliseconds(kHoldMs);
    std::this_thread::sleep_until(until);
    AfxPumpMessages();
    m_nResult = kRecognised;
    EndDialog(kRecognised);
    return kRecognised;
}

LRESULT CDlgBatchRecog::OnRecogProgress(WPARAM wParam, LPARAM lParam) {
    m_preview->SetProgress(static_cast<int>(wParam), static_cast<int>(lParam));
    if (GetSafeHwnd()) Invalidate(FALSE);
    AfxPumpMessages();
    return 1;
}
