// The batch recognition window, one class for both editions and both modes.
// Counter mode (template 144): the run over the page list's selected rows,
// by the pipeline's batch runner, with the current row, the scan target, the
// status panes and a scrolling panel of the recognised text; it ends with
// IDOK when the runner has ended, also after Stop. Preview mode (template
// 145): the page being recognised, reduced, with its region frames, a tint
// over the part already recognised and a status line; RecognizeAndClose
// recognises the page, holds the final picture for 1.5 s and ends the window
// with 1 (recognised) or 2 (failed). What differs between the editions comes
// from the shell's edition hooks.
#pragma once

#include <memory>

#include "platform/afx/afxwin.h"
#include "shell/batch/batch_recog_renderer.h"
#include "shell/batch/batch_run_controller.h"
#include "shell/batch/batch_text_panel.h"

class COcrDoc;
class CBatchPreview;

#define IDD_BATCH_COUNTER 144
#define IDD_BATCH_PREVIEW 145
#define IDC_BATCH_COUNT 1044
#define IDC_BATCH_FILE 1046
#define IDC_BATCH_GROUP 1177
#define IDC_BATCH_STATUS 1178
#define ID_BATCH_RUN 32845
#define WM_RECOGNIZEPAGE (WM_USER + 1200)
// The preview could not lock its work block: said once, outside the paint.
#define WM_PREVIEWLOCKFAILED (WM_USER + 1201)

class CDlgBatchRecog : public CDialog {
public:
    static constexpr std::size_t kPieceBufferBytes = 512;
    static constexpr DWORD kHoldMs = 1500;
    enum { kPreviewMode = 0, kCounterMode = 1 };
    enum { kRecognised = 1, kFailed = 2 };

    CDlgBatchRecog(UINT templateId, int mode, CWnd* parent, COcrDoc* document);
    ~CDlgBatchRecog() override;

    BOOL OnInitDialog() override;
    void OnCancel() override;
    void OnOK() override {}

    // Static 1178 (preview mode only).
    void SetStatusText(const CString& text);
    // "Recognizing ...", then the page's recognition (wParam the page's
    // segmentation, lParam where its result goes); returns the end code.
    LRESULT RecognizeAndClose(WPARAM wParam, LPARAM lParam);

    // While 0 the window draws nothing of its own.
    int m_nDisplay = 0;
    int m_nMode;
    // The piece the recognition writes before it sends ID_BATCH_TEXT; the
    // edition's hook tells how much of it a piece may use.
    char m_szPiece[kPieceBufferBytes] = {};
    BYTE m_bStop = 0;
    COcrDoc* m_pDocument;
    // Worker threads of a run (tests choose one to make the order fixed).
    int m_nWorkers;
    // The result of the last RecognizeAndClose (0 before).
    int m_nResult = 0;

    CBatchTextPanel& Panel() { return m_panel; }
    CBatchPreview& Preview() { return *m_preview; }
    CBatchRunController* Run() { return m_run.get(); }
    // The panel's rectangle (counter mode) or the preview's area.
    RECT PanelRect() const;
    // The bytes of the piece buffer a piece may use.
    std::size_t PieceBytes() const;

protected:
    afx_msg void OnPaint();
    afx_msg void OnClose();
    afx_msg void OnBatchRun();
    afx_msg void OnAddText();
    afx_msg LRESULT OnRecognizePage(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnRecogProgress(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnBatchPiece(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnBatchPage(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnBatchLines(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnBatchEnd(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnPreviewLockFailed(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    void Apply(const std::vector<CBatchRunController::Step>& steps);
    // Adds the piece buffer's text to the panel and repaints what changed;
    // `pump` dispatches the waiting messages afterwards.
    void AddPiece(bool pump);
    void FinishRun();
    void ShowPageInViews();
    void SelectPanelFont(CDC& dc, CGdiObject*& old);
    CBatchRecogRenderer::PanelMetrics Metrics();

    CBatchTextPanel m_panel;
    std::unique_ptr<CBatchPreview> m_preview;
    std::unique_ptr<CBatchRunController> m_run;
    CBatchRecogRenderer::PanelMetrics m_metrics;
    bool m_bMeasured = false;
    bool m_bFinished = false;
    bool m_bLockReported = false;
};
